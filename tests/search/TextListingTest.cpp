// Text listings: the exact bytes of both forms, the order of entries and
// folders, headings, sizes and times, and damaged trees.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "CatalogueBuilder.h"
#include "SampleCatalogue.h"
#include "model/TextListing.h"

namespace volcatra {
namespace {

using test::AddArray;
using test::AddEntry;

// No type names at all.
class NoTypeNames : public IShellTypeNames {
public:
    std::u16string GetTypeName(std::u16string_view, bool) const override { return {}; }
};

// "T1" for folders and "T2:" + the name for files, recording every question.
class FakeTypeNames : public IShellTypeNames {
public:
    std::u16string GetTypeName(std::u16string_view name, bool folder) const override {
        m_asked.emplace_back(name, folder);
        return folder ? u"T1" : u"T2:" + std::u16string(name);
    }
    mutable std::vector<std::pair<std::u16string, bool>> m_asked;
};

std::unique_ptr<CRootEntry> MakeRoot(std::u16string label, uint32_t serial = 0x00010002) {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = std::move(label);
    root->m_serialNumber = serial;
    return root;
}

// The listing's text after the byte-order mark, which it checks.
std::u16string Listing(const RootList& roots, ListingFormat format, const IShellTypeNames& types) {
    CCatalogueStream stream;
    WriteListing(stream, roots, format, types);
    const std::vector<uint8_t>& bytes = stream.Output();
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes.size() % 2, 0u);
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += char16_t(bytes[i] | bytes[i + 1] << 8);
    return text;
}

// Lines joined with "\r\n" after each.
std::u16string Lines(std::initializer_list<std::u16string> lines) {
    std::u16string text;
    for (const std::u16string& line : lines) text += line + u"\r\n";
    return text;
}

// The lines of one folder listing: everything between its heading and the
// next blank line.
std::vector<std::u16string> EntryLines(const std::u16string& listing, const std::u16string& heading) {
    std::vector<std::u16string> lines;
    size_t at = listing.find(heading + u"\r\n\r\n");
    if (at == std::u16string::npos) return lines;
    at += heading.size() + 4;
    while (at < listing.size()) {
        const size_t end = listing.find(u"\r\n", at);
        if (end == at || end == std::u16string::npos) break;
        lines.push_back(listing.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? char(c) : '#';
    return out;
}

class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone) {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZoneScope() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};

class TextListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};

// --- The worked example, byte for byte ----------------------------------

TEST_F(TextListingTest, WorkedExampleAsCsv) {
    const RootList roots = MakeWorkedExample();
    CCatalogueStream stream;
    WriteListing(stream, roots, ListingFormat::Csv, NoTypeNames());
    const std::u16string text = Lines({
        u"  ボリュームラベルは  DATA",
        u"  ボリュームシリアル番号は  1234-ABCD",
        u"",
        u"  ディレクトリは  \\",
        u"",
        u"\"DOCS\",,\"\"",
        u"\"A.TXT\",1234,\"\",2010/07/01 00:00:00",
        u"",
        u"  ディレクトリは  \\DOCS",
        u"",
        u"",
        u"",
    });
    std::vector<uint8_t> expected{0xFF, 0xFE};
    for (char16_t c : text) {
        expected.push_back(uint8_t(c));
        expected.push_back(uint8_t(c >> 8));
    }
    EXPECT_EQ(stream.Output(), expected);
}

TEST_F(TextListingTest, WorkedExampleAsSpaceAlignedWithTypes) {
    const RootList roots = MakeWorkedExample();
    EXPECT_EQ(Listing(roots, ListingFormat::SpaceAligned, FakeTypeNames()),
              Lines({
                  u"  ボリュームラベルは  DATA",
                  u"  ボリュームシリアル番号は  1234-ABCD",
                  u"",
                  u"  ディレクトリは  \\",
                  u"",
                  u"  <DIR>       2010/01/01 00:00:00  DOCS",
                  u"        1234  2010/07/01 00:00:00  A.TXT",
                  u"",
                  u"  ディレクトリは  \\DOCS",
                  u"",
                  u"",
                  u"",
              }));
    // The CSV form puts the types in: the folder type for DOCS, the file's
    // own for A.TXT.
    FakeTypeNames types;
    const std::u16string csv = Listing(roots, ListingFormat::Csv, types);
    EXPECT_NE(csv.find(u"\r\n\"DOCS\",,\"T1\"\r\n\"A.TXT\",1234,\"T2:A.TXT\",2010/07/01 00:00:00\r\n"),
              std::u16string::npos);
    const std::vector<std::pair<std::u16string, bool>> asked{{u"DOCS", true}, {u"A.TXT", false}};
    EXPECT_EQ(types.m_asked, asked);
}

// --- Volumes --------------------------------------------------------------

TEST_F(TextListingTest, CatalogueWithoutVolumesIsOnlyTheByteOrderMark) {
    CCatalogueStream stream;
    WriteListing(stream, RootList(), ListingFormat::Csv, NoTypeNames());
    EXPECT_EQ(stream.Output(), (std::vector<uint8_t>{0xFF, 0xFE}));
}

TEST_F(TextListingTest, VolumesWithoutListsAndDisplayNames) {
    RootList roots;
    roots.push_back(MakeRoot(u"", 0xFFFF0000));  // no lists; a CD-ROM without label
    roots.back()->m_driveType = DRIVE_CDROM;
    roots.push_back(MakeRoot(u"DATA::\\photos", 0x0000000A));
    roots.back()->m_name = u"写真";
    for (ListingFormat format : {ListingFormat::Csv, ListingFormat::SpaceAligned}) {
        EXPECT_EQ(Listing(roots, format, NoTypeNames()), Lines({
                                                             u"  ボリュームラベルは  CD-ROM",
                                                             u"  ボリュームシリアル番号は  FFFF-0000",
                                                             u"",
                                                             u"",
                                                             u"  ボリュームラベルは  写真",
                                                             u"  ボリュームシリアル番号は  0000-000A",
                                                             u"",
                                                             u"",
                                                         }));
    }
}

TEST_F(TextListingTest, ReadingStreamIsLeftAlone) {
    const RootList roots = MakeWorkedExample();
    const uint8_t bytes[] = {1, 2, 3};
    CCatalogueStream stream{std::span<const uint8_t>(bytes)};
    WriteListing(stream, roots, ListingFormat::Csv, NoTypeNames());
    WriteVolumeListing(stream, *roots[0], ListingFormat::Csv, NoTypeNames());
    WriteFolderListing(stream, *roots[0]->m_folders[0], ListingFormat::Csv, roots[0]->m_folders, u"\\", FA_DIRECTORY,
                       NoTypeNames());
    WriteEntryLine(stream, ListingFormat::Csv, roots[0]->m_folders[0]->m_entries[0], NoTypeNames());
    EXPECT_TRUE(stream.Output().empty());
    EXPECT_EQ(stream.Remaining(), 3u);
}

// --- Entry lines ----------------------------------------------------------

TEST_F(TextListingTest, EntryLines) {
    constexpr int64_t k2010 = 0x4C2BDA80;  // 2010-07-01 00:00:00 UTC
    struct Case {
        const char* what;
        std::u16string name;
        uint16_t attributes;
        uint64_t size;
        int64_t time;
        std::u16string csv;
        std::u16string spaced;
    };
    const Case cases[] = {
        {"file", u"A.TXT", FA_ARCHIVE, 1234, k2010, u"\"A.TXT\",1234,\"T2:A.TXT\",2010/07/01 00:00:00\r\n",
         u"        1234  2010/07/01 00:00:00  A.TXT\r\n"},
        {"file without time", u"x", 0, 0, 0, u"\"x\",0,\"T2:x\",\r\n", u"           0                       x\r\n"},
        {"folder: no time field in CSV", u"DIR", FA_DIRECTORY, 0, k2010, u"\"DIR\",,\"T1\"\r\n",
         u"  <DIR>       2010/07/01 00:00:00  DIR\r\n"},
        {"folder without time", u"DIR", FA_DIRECTORY | FA_HIDDEN, 0, 0, u"\"DIR\",,\"T1\"\r\n",
         u"  <DIR>                            DIR\r\n"},
        {"4 GiB", u"big", 0, 4294967296ull, k2010, u"\"big\",4294967296,\"T2:big\",2010/07/01 00:00:00\r\n",
         u"  4294967296  2010/07/01 00:00:00  big\r\n"},
        {"wider than the column", u"huge", 0, 1234567890123ull, 0, u"\"huge\",1234567890123,\"T2:huge\",\r\n",
         u"1234567890123                       huge\r\n"},
        {"before 1970", u"old", 0, 1, -86400, u"\"old\",1,\"T2:old\",\r\n",
         u"           1                       old\r\n"},
        {"one second before 1970", u"old", 0, 1, -1, u"\"old\",1,\"T2:old\",\r\n",
         u"           1                       old\r\n"},
        {"first second", u"one", 0, 1, 1, u"\"one\",1,\"T2:one\",1970/01/01 00:00:01\r\n",
         u"           1  1970/01/01 00:00:01  one\r\n"},
        {"beyond four-digit years", u"far", 0, 1, 253402300800, u"\"far\",1,\"T2:far\",\r\n",
         u"           1                       far\r\n"},
        {"last four-digit second", u"end", 0, 1, 253402300799, u"\"end\",1,\"T2:end\",9999/12/31 23:59:59\r\n",
         u"           1  9999/12/31 23:59:59  end\r\n"},
        // Quotes and commas are not escaped; member paths stay as they are.
        {"quotes and commas", u"a\"b,c", 0, 5, 0, u"\"a\"b,c\",5,\"T2:a\"b,c\",\r\n",
         u"           5                       a\"b,c\r\n"},
        {"archive member", u"dir/readme.txt", 0, 7, 0, u"\"dir/readme.txt\",7,\"T2:dir/readme.txt\",\r\n",
         u"           7                       dir/readme.txt\r\n"},
        // A folder inside an archive and a listed archive are files here.
        {"archive folder", u"dir/", FA_ARCHIVE_FOLDER, 0, 0, u"\"dir/\",0,\"T2:dir/\",\r\n",
         u"           0                       dir/\r\n"},
        {"listed archive", u"a.zip", FA_ARCHIVE_LISTED | FA_ARCHIVE, 9, 0, u"\"a.zip\",9,\"T2:a.zip\",\r\n",
         u"           9                       a.zip\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFileEntry entry;
        entry.m_name = c.name;
        entry.m_attributes = c.attributes;
        entry.m_size = c.size;
        entry.m_time = c.time;
        for (ListingFormat format : {ListingFormat::Csv, ListingFormat::SpaceAligned}) {
            CCatalogueStream stream;
            WriteEntryLine(stream, format, entry, FakeTypeNames());
            const std::u16string& expected = format == ListingFormat::Csv ? c.csv : c.spaced;
            ASSERT_EQ(stream.Output().size(), expected.size() * 2);
            EXPECT_EQ(std::memcmp(stream.Output().data(), expected.data(), expected.size() * 2), 0) << Narrow(expected);
        }
    }
}

TEST_F(TextListingTest, DatesAreLocalTime) {
    CFileEntry entry;
    entry.m_name = u"A";
    entry.m_time = 0x4C2BDA80;  // 2010-07-01 00:00:00 UTC
    struct Case {
        const char* zone;
        std::u16string line;
    };
    const Case cases[] = {
        {"JST-9", u"           0  2010/07/01 09:00:00  A\r\n"},
        {"EST5EDT,M3.2.0,M11.1.0", u"           0  2010/06/30 20:00:00  A\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        TimeZoneScope zone(c.zone);
        CCatalogueStream stream;
        WriteEntryLine(stream, ListingFormat::SpaceAligned, entry, NoTypeNames());
        ASSERT_EQ(stream.Output().size(), c.line.size() * 2);
        EXPECT_EQ(std::memcmp(stream.Output().data(), c.line.data(), c.line.size() * 2), 0);
    }
    // A time just after 1970 that is still 1969 in local time has a date.
    TimeZoneScope zone("EST5EDT,M3.2.0,M11.1.0");
    std::tm local{};
    ASSERT_TRUE(ToLocalDateTime(60, local));
    EXPECT_EQ(local.tm_year + 1900, 1969);
    EXPECT_FALSE(ToLocalDateTime(0, local));
    EXPECT_FALSE(ToLocalDateTime(-60, local));
}

// --- Order ----------------------------------------------------------------

TEST_F(TextListingTest, CompareForListing) {
    struct Case {
        std::u16string a;
        uint16_t aAttributes;
        std::u16string b;
        uint16_t bAttributes;
        int expected;
    };
    const Case cases[] = {
        {u"ZZZ", FA_DIRECTORY, u"AAA", 0, -0x10},  // folders before everything else
        {u"AAA", 0, u"ZZZ", FA_DIRECTORY, 0x10},
        {u"AAA", FA_ARCHIVE_LISTED, u"ZZZ", FA_DIRECTORY | FA_HIDDEN, 0x10},
        {u"B.TXT", 0, u"b.txt", 0, 0},
        {u"_", 0, u"A", 0, 0x5F - 0x61},  // underscore before A and a
        {u"_", 0, u"a", 0, 0x5F - 0x61},
        {u"a", 0, u"c", 0, -2},
        {u"a", 0, u"ab", 0, -0x62},  // the end of a name counts as 0
        {u"AB", 0, u"a", 0, 0x62},
        {u"", 0, u"", 0, 0},
        {u"z", 0, u"é", 0, 0x7A - 0xE9},  // no folding beyond ASCII
        {u"É", 0, u"é", 0, 0xC9 - 0xE9},
        {u"dir/", FA_ARCHIVE_FOLDER, u"a", 0, 0x64 - 0x61},  // archive folders sort as files
        {u"a.zip", FA_ARCHIVE_LISTED, u"b", 0, -1},
        {u"b", FA_DIRECTORY, u"a", FA_DIRECTORY | FA_HIDDEN, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.a) + " / " + Narrow(c.b));
        CFileEntry a;
        a.m_name = c.a;
        a.m_attributes = c.aAttributes;
        CFileEntry b;
        b.m_name = c.b;
        b.m_attributes = c.bAttributes;
        EXPECT_EQ(CompareForListing(a, b), c.expected);
    }
}

TEST_F(TextListingTest, FoldersFirstThenNamesStable) {
    RootList roots;
    roots.push_back(MakeRoot(u"V"));
    CFileArray& top = AddArray(*roots[0], u"\\");
    AddEntry(top, u"b.txt", 0);
    AddEntry(top, u"_x", 0);
    AddEntry(top, u"B.TXT", 0);
    AddEntry(top, u"zdir", FA_DIRECTORY, 0, 0, -1);
    AddEntry(top, u"A", 0);
    AddEntry(top, u"a", 0);
    AddEntry(top, u"Adir", FA_DIRECTORY, 0, 0, -1);
    AddEntry(top, u"ab", 0);
    const std::vector<std::u16string> expected{
        u"  <DIR>                            Adir",  u"  <DIR>                            zdir",
        u"           0                       _x",    u"           0                       A",
        u"           0                       a",     u"           0                       ab",
        u"           0                       b.txt", u"           0                       B.TXT",
    };
    const std::u16string listing = Listing(roots, ListingFormat::SpaceAligned, NoTypeNames());
    EXPECT_EQ(EntryLines(listing, u"  ディレクトリは  \\"), expected);
    // The catalogue itself keeps its order.
    EXPECT_EQ(top.m_entries[0].m_name, u"b.txt");
    EXPECT_EQ(top.m_entries[6].m_name, u"Adir");
}

TEST_F(TextListingTest, LargeFolderSortsStably) {
    RootList roots;
    roots.push_back(MakeRoot(u"V"));
    CFileArray& top = AddArray(*roots[0], u"\\");
    constexpr int kEntries = 100'000;
    // Names in falling order, each twice in different case.
    for (int i = kEntries / 2 - 1; i >= 0; --i) {
        char name[16];
        std::snprintf(name, sizeof(name), "f%06d", i);
        AddEntry(top, std::u16string(name, name + 7), 0, uint64_t(2 * i));
        name[0] = 'F';
        AddEntry(top, std::u16string(name, name + 7), 0, uint64_t(2 * i + 1));
    }
    const std::u16string listing = Listing(roots, ListingFormat::Csv, NoTypeNames());
    const std::vector<std::u16string> lines = EntryLines(listing, u"  ディレクトリは  \\");
    ASSERT_EQ(lines.size(), size_t(kEntries));
    for (int i = 0; i < kEntries; ++i) {
        char line[64];
        std::snprintf(line, sizeof(line), "\"%c%06d\",%d,\"\",", i % 2 ? 'F' : 'f', i / 2, i);
        ASSERT_EQ(Narrow(lines[size_t(i)]), line) << i;
    }
}

// --- Folders and archives -------------------------------------------------

TEST_F(TextListingTest, FoldersAndArchivesDepthFirstInListingOrder) {
    RootList roots;
    roots.push_back(MakeRoot(u"V"));
    CRootEntry& root = *roots[0];
    CFileArray& top = AddArray(root, u"\\");
    AddEntry(top, u"zeta", FA_DIRECTORY, 0, 0, 2);
    AddEntry(top, u"Alpha", FA_DIRECTORY, 0, 0, 1);
    AddEntry(top, u"sys", FA_DIRECTORY | FA_SYSTEM, 0, 0, -1);  // not recorded: a line, no listing
    AddEntry(top, u"b.zip", FA_ARCHIVE_LISTED, 10, 0, 4);
    AddEntry(top, u"bad.zip", FA_ARCHIVE, 10, 0, 0);  // listing failed: never followed
    CFileArray& alpha = AddArray(root, u"\\does not matter");
    AddEntry(alpha, u"inner", FA_DIRECTORY, 0, 0, 3);
    CFileArray& zeta = AddArray(root, u"\\zeta");
    AddEntry(zeta, u"z.txt", 0, 1);
    CFileArray& inner = AddArray(root, u"\\Alpha\\inner");
    AddEntry(inner, u"i.txt", 0, 2);
    CFileArray& zip = AddArray(root, u"\\b.zip");
    AddEntry(zip, u"docs/", FA_ARCHIVE_FOLDER, 0, 0, 1);  // never descended into
    AddEntry(zip, u"docs/r.txt", 0, 3);

    const std::u16string listing = Listing(roots, ListingFormat::Csv, NoTypeNames());
    EXPECT_EQ(listing, Lines({
                           u"  ボリュームラベルは  V",
                           u"  ボリュームシリアル番号は  0001-0002",
                           u"",
                           u"  ディレクトリは  \\",
                           u"",
                           u"\"Alpha\",,\"\"",
                           u"\"sys\",,\"\"",
                           u"\"zeta\",,\"\"",
                           u"\"b.zip\",10,\"\",",
                           u"\"bad.zip\",10,\"\",",
                           u"",
                           u"  ディレクトリは  \\Alpha",
                           u"",
                           u"\"inner\",,\"\"",
                           u"",
                           u"  ディレクトリは  \\Alpha\\inner",
                           u"",
                           u"\"i.txt\",2,\"\",",
                           u"",
                           u"  ディレクトリは  \\zeta",
                           u"",
                           u"\"z.txt\",1,\"\",",
                           u"",
                           u"  アーカイブファイルは  \\b.zip",
                           u"",
                           u"\"docs/\",0,\"\",",
                           u"\"docs/r.txt\",3,\"\",",
                           u"",
                           u"",
                       }));
}

TEST_F(TextListingTest, ArrayOfNeitherKindHasNoHeadingPrefix) {
    RootList roots = MakeWorkedExample();
    CCatalogueStream stream;
    WriteFolderListing(stream, *roots[0]->m_folders[0], ListingFormat::Csv, roots[0]->m_folders, u"X\\", FA_ARCHIVE,
                       NoTypeNames());
    const std::u16string expected =
        u"X\\\r\n\r\n\"DOCS\",,\"\"\r\n\"A.TXT\",1234,\"\",2010/07/01 00:00:00\r\n"
        u"\r\n  ディレクトリは  X\\DOCS\r\n\r\n";
    ASSERT_EQ(stream.Output().size(), expected.size() * 2);
    EXPECT_EQ(std::memcmp(stream.Output().data(), expected.data(), expected.size() * 2), 0);
}

// Damaged catalogues: child positions that point back, at themselves, out of
// range, or twice at the same array. The listing ends, and lists each array
// at most once.
TEST_F(TextListingTest, DamagedTreesEnd) {
    RootList roots;
    roots.push_back(MakeRoot(u"V"));
    CRootEntry& root = *roots[0];
    CFileArray& top = AddArray(root, u"\\");
    AddEntry(top, u"self", FA_DIRECTORY, 0, 0, 0);
    AddEntry(top, u"a", FA_DIRECTORY, 0, 0, 1);
    AddEntry(top, u"again", FA_DIRECTORY, 0, 0, 1);
    AddEntry(top, u"far", FA_DIRECTORY, 0, 0, 99);
    AddEntry(top, u"negative", FA_ARCHIVE_LISTED, 0, 0, -5);
    CFileArray& a = AddArray(root, u"\\a");
    AddEntry(a, u"back", FA_DIRECTORY, 0, 0, 0);
    AddEntry(a, u"loop", FA_DIRECTORY, 0, 0, 1);
    const std::u16string listing = Listing(roots, ListingFormat::Csv, NoTypeNames());
    EXPECT_EQ(listing, Lines({
                           u"  ボリュームラベルは  V",
                           u"  ボリュームシリアル番号は  0001-0002",
                           u"",
                           u"  ディレクトリは  \\",
                           u"",
                           u"\"a\",,\"\"",
                           u"\"again\",,\"\"",
                           u"\"far\",,\"\"",
                           u"\"self\",,\"\"",
                           u"\"negative\",0,\"\",",
                           u"",
                           u"  ディレクトリは  \\a",
                           u"",
                           u"\"back\",,\"\"",
                           u"\"loop\",,\"\"",
                           u"",
                           u"",
                       }));
}

}  // namespace
}  // namespace volcatra
