// Type names from the shared MIME database: by name only, folders with the
// directory type, nothing for names no pattern knows.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/ShellTypeNames.h"

namespace volcatra {
namespace {

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
