// Type names from the shared MIME database: by name only, folders with the
// directory type, nothing for names no pattern knows.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <QList>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/ShellTypeNames.h"

namespace volcatra {
namespace {

// What the database itself says for the name.
std::u16string DatabaseTypeName(const std::u16string& name) {
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(QString::fromStdU16String(name));
    if (types.isEmpty() || !types.first().isValid()) return {};
    return types.first().comment().toStdU16String();
}

std::string Printable(const std::u16string& name) {
    return QString::fromStdU16String(name).toStdString();
}

// Enough distinct names for the type names to start sharing answers.
void AskManyNames(const CMimeTypeNames& types) {
    for (size_t i = 0; i < CMimeTypeNames::kLookupsBeforeSharing; ++i)
        types.GetTypeName(u"name without dot " + QString::number(i).toStdU16String(), false);
}

TEST(ShellTypeNamesTest, TypesByNamePatternOnly) {
    const CMimeTypeNames types;
    const std::u16string folder = types.GetTypeName(u"DOCS", true);
    const std::u16string text = types.GetTypeName(u"a.txt", false);
    EXPECT_FALSE(folder.empty());
    EXPECT_FALSE(text.empty());
    EXPECT_NE(folder, text);
    // The tests run in the C locale: the database's own English texts.
    EXPECT_EQ(folder, u"folder");
    EXPECT_EQ(text, u"plain text document");

    struct Case {
        std::u16string name;
        bool folder;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"A.TXT", false, text},          // patterns ignore letter case
        {u"dir/notes.txt", false, text},  // an archive member's path: its last part counts
        {u"a.txt", true, folder},         // a folder is a folder whatever its name
        {u"", true, folder},
        {u"qqqzzz", false, u""},  // no pattern at all
        {u"file.qqqzzz", false, u""},
        {u"", false, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(types.GetTypeName(c.name, c.folder), c.expected);
        // Asked again: the remembered description is the same.
        EXPECT_EQ(types.GetTypeName(c.name, c.folder), c.expected);
    }
    EXPECT_NE(types.GetTypeName(u"photo.JPG", false), text);
    EXPECT_EQ(types.GetTypeName(u"photo.JPG", false), types.GetTypeName(u"other.jpeg", false));
}

// Answers are shared only between names the database types alike: most
// names here follow one with the same part from the first dot on that the
// database types differently, so a key that misses the difference shows.
// Among them: the Kelvin sign, which lowers to "k"; ".jpg", which "*.jpg"
// does not match; unpaired surrogates, on which wildcard matching fails.
TEST(ShellTypeNamesTest, SameAnswersAsTheDatabase) {
    const std::u16string names[] = {u"IMG_1.jpg",
                                    u"IMG_2.JPG",
                                    u"写真77.JPG",
                                    u"README12.jpg",
                                    u"x.qqq",
                                    u"README.qqq",
                                    u"readme.qqq",
                                    u"ReadMe4711.qqq",
                                    u"Makefile.qqq",
                                    u"makefile.am",
                                    u"Makefile.in",
                                    u"x.in",
                                    u"SConscript.qqq",
                                    u"notes.txt",
                                    u"readme.txt",
                                    u"meson_options.txt",
                                    u"CMakeLists.txt",
                                    u"cmakelists.TXT",
                                    u"CMa\u212AeLists.txt",
                                    u"x.build",
                                    u"meson.build",
                                    u"MESON.BUILD",
                                    u"a.out",
                                    u"gmon.out",
                                    u"a.xml",
                                    u"pom.xml",
                                    u"a.tar.gz",
                                    u"b.gz",
                                    u"x.c",
                                    u"x.C",
                                    u"foo.txt",
                                    u"foo.txt~",
                                    u"foo~",
                                    u"RCS,v",
                                    u"a.b,v",
                                    u"core",
                                    u"Makefile",
                                    u"README",
                                    u"libz.so",
                                    u"libz.so.1",
                                    u"x.vdr",
                                    u"123.vdr",
                                    u"12.vdr",
                                    u"a123.vdr",
                                    u"a.jpg",
                                    u".jpg",
                                    u"a.3",
                                    u"\xDC81_.3",
                                    u"b\xD83Dz.3",
                                    u"\xD83D\xDE00.3",
                                    u"\xDC81.jpg",
                                    u"noext",
                                    u"",
                                    u"a.b.c.unknownext",
                                    u"dir/a.txt",
                                    u"a.b/README",
                                    u"dir/meson.build"};
    const CMimeTypeNames types;
    // Before and after enough lookups for answers to be shared, twice each
    // time: a wrong shared answer may come from a later name too.
    for (int round = 0; round < 2; ++round) {
        if (round == 1) AskManyNames(types);
        for (int pass = 0; pass < 2; ++pass) {
            for (const std::u16string& name : names) {
                SCOPED_TRACE(Printable(name));
                EXPECT_EQ(types.GetTypeName(name, false), DatabaseTypeName(name));
            }
        }
    }
}

// Every plain "*.ext" pattern of the database, behind an ordinary stem and
// behind the stems of the patterns that look at a name's beginning.
TEST(ShellTypeNamesTest, EveryExtensionAsTheDatabaseTypesIt) {
    const CMimeTypeNames types;
    AskManyNames(types);
    const QString wildcards = QStringLiteral("*?[");
    for (const QMimeType& type : QMimeDatabase().allMimeTypes()) {
        for (const QString& pattern : type.globPatterns()) {
            const QString ext = pattern.mid(1);
            if (!pattern.startsWith(u"*.") ||
                std::any_of(ext.begin(), ext.end(), [&](QChar c) { return wildcards.contains(c); }))
                continue;
            for (const char16_t* stem : {u"name", u"README", u"Makefile", u"SCONSCRIPT"}) {
                const std::u16string name = stem + ext.toStdU16String();
                SCOPED_TRACE(Printable(name));
                EXPECT_EQ(types.GetTypeName(name, false), DatabaseTypeName(name));
            }
        }
    }
}

// The file system is not consulted: a folder that happens to exist under the
// name is still typed by the name, and content is never read.
TEST(ShellTypeNamesTest, FileSystemIsNotTouched) {
    std::string pattern = ::testing::TempDir() + "volcatra-types-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string dir = pattern;
    ASSERT_EQ(::mkdir((dir + "/notes.txt").c_str(), 0700), 0);
    const CMimeTypeNames types;
    const std::string path = dir + "/notes.txt";
    EXPECT_EQ(types.GetTypeName(std::u16string(path.begin(), path.end()), false),
              types.GetTypeName(u"notes.txt", false));
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace
}  // namespace volcatra
