// The handler table with fake libraries: which libraries are kept, the
// supported-extensions text, matching names to rows, and how a member list
// is read through the library interface and the setup library.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "FakeArchiver.h"
#include "ReadingFakes.h"
#include "reading/ArchiveContents.h"

namespace volcatra {
namespace {

using test::FakeExports;
using test::FakeLoader;
using test::FakeMember;
using test::g_script;

ArchiverFileTime FileTimeOf(int64_t seconds) {
    return UnixSecondsToFileTime(seconds);
}

class ArchiveTableTest : public ::testing::Test {
protected:
    void SetUp() override { g_script.Reset(); }
    void TearDown() override { EXPECT_EQ(g_script.openHandles, 0) << "every opened archive is closed"; }
};

TEST_F(ArchiveTableTest, AllLibrariesGiveTheirExtensionsInRowOrder) {
    FakeLoader loader;
    test::AddAllArchivers(loader);
    loader.libraries["SETUPAPI.DLL"] = test::FakeSetupLibrary();
    CArchiverTable table(loader);
    EXPECT_EQ(table.LoadArchivers(), u".LZH, .ARJ, .ZIP, .CAB, .TAR, .TGZ, .GZ");
    EXPECT_FALSE(table.IsLoaded(kSetupCabinetRow)) << "the cabinet archiver is preferred";
    EXPECT_EQ(std::count(loader.loadOrder.begin(), loader.loadOrder.end(), "SETUPAPI.DLL"), 0);
    EXPECT_EQ(loader.loadsHeld["TAR32"], 3) << "rows 5 to 7 load the library each";
    EXPECT_EQ(table.FindArchiveHandler(u"x.cab"), kCabinetArchiverRow);

    // Loading again keeps what is loaded.
    const size_t loads = loader.loadOrder.size();
    EXPECT_EQ(table.LoadArchivers(), u".LZH, .ARJ, .ZIP, .CAB, .TAR, .TGZ, .GZ");
    EXPECT_EQ(loader.loadOrder.size(), loads);

    table.UnloadArchivers();
    EXPECT_EQ(loader.TotalLoadsHeld(), 0);
    for (int row = 0; row < kArchiverRowCount; ++row) EXPECT_FALSE(table.IsLoaded(row));
    EXPECT_EQ(table.FindArchiveHandler(u"x.zip"), -1);
}

TEST_F(ArchiveTableTest, SetupLibraryStandsInForTheCabinetArchiver) {
    FakeLoader loader;
    loader.libraries["TAR32"] = FakeExports("Tar");
    loader.libraries["SETUPAPI.DLL"] = test::FakeSetupLibrary();
    CArchiverTable table(loader);
    EXPECT_EQ(table.LoadArchivers(), u".CAB, .TAR, .TGZ, .GZ");
    EXPECT_EQ(table.FindArchiveHandler(u"setup.CAB"), kSetupCabinetRow);

    // A setup library without the cabinet iteration is not kept.
    FakeLoader bare;
    bare.libraries["SETUPAPI.DLL"] = {};
    CArchiverTable other(bare);
    EXPECT_EQ(other.LoadArchivers(), u"");
    EXPECT_EQ(bare.TotalLoadsHeld(), 0);
}

TEST_F(ArchiveTableTest, OnlyTheTarLibrary) {
    FakeLoader loader;
    loader.libraries["TAR32"] = FakeExports("Tar");
    CArchiverTable table(loader);
    EXPECT_EQ(table.LoadArchivers(), u".TAR, .TGZ, .GZ");
    struct Case {
        const char16_t* name;
        int row;
    };
    const Case cases[] = {{u"backup.TGZ", 6}, {u"x.tar", 5}, {u"y.gz", 7}, {u"z.tar.bz2", -1}, {u"a.zip", -1}};
    for (const Case& c : cases) EXPECT_EQ(table.FindArchiveHandler(c.name), c.row) << std::string(c.name, c.name + 3);
}

TEST_F(ArchiveTableTest, FindArchiveHandlerMatchesTheEndOfTheName) {
    FakeLoader loader;
    test::AddAllArchivers(loader);
    CArchiverTable table(loader);
    table.LoadArchivers();
    struct Case {
        std::u16string name;
        int row;
    };
    const Case cases[] = {
        {u"x.zip", 3}, {u"X.ZIP", 3},       {u"x.Zip", 3},     {u".zip", 3},       {u"zip", -1},     {u"a.lzh", 1},
        {u"b.ARJ", 2}, {u"c.cab", 4},       {u"d.tar", 5},     {u"backup.tgz", 6}, {u"data.gz", 7},  {u"data.GZ", 7},
        {u"a.Gz", 7},  {u"gz", -1},         {u"x.gz.txt", -1}, {u"x.zip ", -1},    {u"x.tar.gz", 7}, {u"x.tar.bz2", -1},
        {u"x.z", -1},  {u"x.\uFF3AIP", -1}, {u"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(table.FindArchiveHandler(c.name), c.row);
}

TEST_F(ArchiveTableTest, RequiredExportsAndVersion) {
    const char* required[] = {"SetCursorMode", "CheckArchive", "OpenArchive", "CloseArchive",
                              "FindFirst",     "FindNext",     "GetVersion"};
    for (const char* missing : required) {
        FakeLoader loader;
        loader.libraries["UNZIP32"] = FakeExports("UnZip", {missing});
        CArchiverTable table(loader);
        EXPECT_EQ(table.LoadArchivers(), u"") << missing;
        EXPECT_EQ(loader.TotalLoadsHeld(), 0) << missing << ": the library is unloaded again";
    }
    const char* optional[] = {"GetFileName",  "GetFileNameW",      "GetAttribute",   "GetOriginalSize",
                              "GetWriteTime", "GetOriginalSizeEx", "GetWriteTimeEx", "CheckArchiveW",
                              "OpenArchiveW", "FindFirstW",        "FindNextW"};
    for (const char* missing : optional) {
        FakeLoader loader;
        loader.libraries["UNZIP32"] = FakeExports("UnZip", {missing});
        CArchiverTable table(loader);
        EXPECT_EQ(table.LoadArchivers(), u".ZIP") << missing;
    }
    // Exports are looked up under the row's own prefix.
    FakeLoader wrongPrefix;
    wrongPrefix.libraries["UNZIP32"] = FakeExports("Unzip");
    CArchiverTable table(wrongPrefix);
    EXPECT_EQ(table.LoadArchivers(), u"");

    struct VersionCase {
        const char* library;
        const char* prefix;
        uint16_t version;
        bool kept;
    };
    const VersionCase versions[] = {
        {"UNZIP32", "UnZip", 89, false}, {"UNZIP32", "UnZip", 90, true}, {"UNZIP32", "UnZip", 0, false},
        {"UNLHA32", "Unlha", 1, true},   {"UNLHA32", "Unlha", 0, false},
    };
    for (const VersionCase& v : versions) {
        g_script.version = v.version;
        FakeLoader loader;
        loader.libraries[v.library] = FakeExports(v.prefix);
        CArchiverTable t(loader);
        EXPECT_EQ(!t.LoadArchivers().empty(), v.kept) << v.library << " " << v.version;
        EXPECT_EQ(loader.TotalLoadsHeld(), v.kept ? 1 : 0);
    }
}

TEST_F(ArchiveTableTest, TableUnloadsWhenDestroyed) {
    FakeLoader loader;
    test::AddAllArchivers(loader);
    {
        CArchiverTable table(loader);
        table.LoadArchivers();
        EXPECT_EQ(loader.TotalLoadsHeld(), 7);
    }
    EXPECT_EQ(loader.TotalLoadsHeld(), 0);
}

struct ReadFixture : ArchiveTableTest {
    FakeLoader loader;
    CRootEntry root;
    test::RecordingProgress progress;

    int32_t Read(const std::set<std::string>& without, const std::string& path = "/m/a.zip") {
        loader.libraries["UNZIP32"] = FakeExports("UnZip", without);
        CArchiverTable table(loader);
        table.LoadArchivers();
        return table.ReadArchive(&progress, root, 3, path, u"\\a.zip");
    }
};

TEST_F(ReadFixture, MemberFieldsFromThePreferredFunctions) {
    FakeMember folder;
    folder.wideName = u"docs/";
    folder.attributes = 0x10;
    FakeMember file;
    file.wideName = u"docs/readme.txt";
    file.narrowName = "ignored";
    file.attributes = 0xE1;  // only the low six bits count
    file.sizeEx = int64_t(5) << 30;
    file.size32 = 7;
    file.timeEx = FileTimeOf(1277942400);
    file.time32 = 1;
    g_script.archives["/m/a.zip"].members = {folder, file};

    const int32_t position = Read({});
    ASSERT_EQ(position, 0);
    ASSERT_EQ(root.m_folders.size(), 1u);
    const CFileArray& list = *root.m_folders[0];
    EXPECT_EQ(list.m_path, u"\\a.zip");
    ASSERT_EQ(list.m_entries.size(), 2u);
    EXPECT_EQ(list.m_entries[0].m_name, u"docs/");
    EXPECT_EQ(list.m_entries[0].m_attributes, 0x4000) << "a folder member is marked 0x4000 instead of 0x10";
    EXPECT_EQ(list.m_entries[1].m_name, u"docs/readme.txt");
    EXPECT_EQ(list.m_entries[1].m_attributes, 0x21);
    EXPECT_EQ(list.m_entries[1].m_size, uint64_t(5) << 30);
    EXPECT_EQ(list.m_entries[1].m_time, 1277942400);
    EXPECT_EQ(list.m_entries[1].m_iconNumber, 0);
    EXPECT_EQ(list.m_entries[1].m_childIndex, 0);

    EXPECT_EQ(g_script.calls,
              (std::vector<std::string>{"SetCursorMode 0", "CheckArchiveW /m/a.zip", "OpenArchiveW /m/a.zip",
                                        "FindFirstW *.*", "FindNext", "FindNext", "CloseArchive"}))
        << "FindNext even though FindNextW exists; the member record is never passed";
    EXPECT_EQ(progress.paths, std::vector<std::u16string>{u"/m/a.zip"});
}

TEST_F(ReadFixture, FallbacksWhenPreferredFunctionsAreMissing) {
    FakeMember m;
    m.narrowName = "\x83\x65\x83\x58\x83\x67.txt";  // テスト.txt in CP932
    m.attributes = 0x3F;
    m.size32 = 123;
    m.time32 = 0x4C2BDA80;
    g_script.archives["/m/a.zip"].members = {m};
    ASSERT_EQ(Read({"GetFileNameW", "GetOriginalSizeEx", "GetWriteTimeEx", "OpenArchiveW", "FindFirstW"}), 0);
    const CFileEntry& e = root.m_folders[0]->m_entries[0];
    EXPECT_EQ(e.m_name, u"テスト.txt");
    EXPECT_EQ(e.m_attributes, 0x402F);
    EXPECT_EQ(e.m_size, 123u);
    EXPECT_EQ(e.m_time, 0x4C2BDA80) << "32-bit times are stored as they are";
    EXPECT_EQ(g_script.calls,
              (std::vector<std::string>{"SetCursorMode 0", "CheckArchive /m/a.zip", "OpenArchive /m/a.zip",
                                        "FindFirst *.*", "FindNext", "CloseArchive"}))
        << "CheckArchiveW alone is not used";
}

TEST_F(ReadFixture, MissingOptionalFunctionsGiveEmptyFields) {
    FakeMember m;
    m.wideName = u"x";
    m.attributes = 0x20;
    m.sizeEx = 9;
    g_script.archives["/m/a.zip"].members = {m};
    ASSERT_EQ(Read({"GetFileNameW", "GetFileName", "GetAttribute", "GetOriginalSizeEx", "GetOriginalSize",
                    "GetWriteTimeEx", "GetWriteTime"}),
              0);
    const CFileEntry& e = root.m_folders[0]->m_entries[0];
    EXPECT_EQ(e.m_name, u"");
    EXPECT_EQ(e.m_attributes, 0);
    EXPECT_EQ(e.m_size, 0u);
    EXPECT_EQ(e.m_time, 0);
}

TEST_F(ReadFixture, NameBufferIsAlwaysTerminated) {
    FakeMember m;
    g_script.archives["/m/a.zip"].members = {m};
    g_script.archives["/m/a.zip"].fillWholeNameBuffer = true;
    ASSERT_EQ(Read({}), 0);
    EXPECT_EQ(root.m_folders[0]->m_entries[0].m_name, std::u16string(4095, u'x'));
}

TEST_F(ReadFixture, EarlyTimesAndNegativeSizes) {
    FakeMember m;
    m.wideName = u"old";
    m.timeEx = ArchiverFileTime{0, 0};  // 1601
    m.sizeEx = -5;
    g_script.archives["/m/a.zip"].members = {m};
    ASSERT_EQ(Read({}), 0);
    EXPECT_EQ(root.m_folders[0]->m_entries[0].m_time, 0);
    EXPECT_EQ(root.m_folders[0]->m_entries[0].m_size, 0u);
}

TEST_F(ReadFixture, RejectedArchives) {
    struct Case {
        const char* what;
        void (*arrange)(test::FakeArchive&);
        std::vector<std::string> tail;  // the calls after SetCursorMode and the check
    };
    const Case cases[] = {
        {"check fails", [](test::FakeArchive& a) { a.checkFails = true; }, {}},
        {"open fails", [](test::FakeArchive& a) { a.openFails = true; }, {"OpenArchiveW /m/a.zip"}},
        {"FindFirst error",
         [](test::FakeArchive& a) {
             a.findFirstResult = 0x8012;
             a.members.resize(2);
         },
         {"OpenArchiveW /m/a.zip", "FindFirstW *.*", "CloseArchive"}},
    };
    for (const Case& c : cases) {
        g_script.Reset();
        c.arrange(g_script.archives["/m/a.zip"]);
        CRootEntry r;
        FakeLoader l;
        l.libraries["UNZIP32"] = FakeExports("UnZip");
        CArchiverTable table(l);
        table.LoadArchivers();
        EXPECT_EQ(table.ReadArchive(nullptr, r, 3, "/m/a.zip", u"\\a.zip"), -1) << c.what;
        EXPECT_TRUE(r.m_folders.empty()) << c.what;
        std::vector<std::string> expected = {"SetCursorMode 0", "CheckArchiveW /m/a.zip"};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(g_script.calls, expected) << c.what;
    }
    // A file the library does not know at all.
    g_script.Reset();
    EXPECT_EQ(Read({}, "/m/unknown.zip"), -1);
}

TEST_F(ReadFixture, EmptyArchiveAndEarlyEnd) {
    g_script.archives["/m/a.zip"];  // FindFirst answers -1
    g_script.archives["/m/b.zip"].members.resize(5);
    g_script.archives["/m/b.zip"].findNextFailsAt = 2;
    loader.libraries["UNZIP32"] = FakeExports("UnZip");
    CArchiverTable table(loader);
    table.LoadArchivers();
    EXPECT_EQ(table.ReadArchive(nullptr, root, 3, "/m/a.zip", u"\\a.zip"), 0);
    EXPECT_TRUE(root.m_folders[0]->m_entries.empty()) << "an empty member list is still appended";
    EXPECT_EQ(table.ReadArchive(nullptr, root, 3, "/m/b.zip", u"\\b.zip"), 1);
    EXPECT_EQ(root.m_folders[1]->m_entries.size(), 2u) << "the members before the failing FindNext remain";
}

TEST_F(ArchiveTableTest, CabinetsThroughTheSetupLibrary) {
    test::FakeCabinetMember file{u"docs\\readme.txt", 6, 0x3C21, 0x0000, 0x21};  // 2010-01-01 00:00:00
    test::FakeCabinetMember folder{u"docs\\", 0, 0x3CE1, 0x6000, 0x10};          // 2010-07-01 12:00:00
    g_script.cabinets["/m/s.cab"] = {file, folder};
    FakeLoader loader;
    loader.libraries["SETUPAPI.DLL"] = test::FakeSetupLibrary();
    CArchiverTable table(loader);
    table.LoadArchivers();
    CRootEntry root;
    test::RecordingProgress progress;
    EXPECT_EQ(table.FindArchiveHandler(u"s.cab"), 0);
    EXPECT_EQ(table.ReadMembers(&progress, root, 0, "/m/s.cab", u"\\s.cab"), 0);
    ASSERT_EQ(root.m_folders.size(), 1u);
    const auto& members = root.m_folders[0]->m_entries;
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].m_name, u"docs\\readme.txt");
    EXPECT_EQ(members[0].m_attributes, 0x21);
    EXPECT_EQ(members[0].m_size, 6u);
    EXPECT_EQ(members[0].m_time, 1262304000);  // local time; the tests run with TZ=UTC
    EXPECT_EQ(members[1].m_attributes, 0x4010) << "a name ending in a backslash adds 0x4000";
    EXPECT_EQ(members[1].m_time, 1277985600);
    EXPECT_EQ(g_script.cabinetAnswers, (std::vector<uint32_t>{0, 2, 2}))
        << "other notifications answer 0; members are skipped (not extracted)";
    EXPECT_EQ(progress.paths, std::vector<std::u16string>{u"/m/s.cab"});

    // A cabinet the iteration cannot read still gets its (empty) list.
    EXPECT_EQ(table.ReadCabinet(nullptr, root, "/m/broken.cab", u"\\broken.cab"), 1);
    EXPECT_TRUE(root.m_folders[1]->m_entries.empty());

    table.UnloadArchivers();
    EXPECT_EQ(table.ReadCabinet(nullptr, root, "/m/s.cab", u"\\s.cab"), -1);
}

TEST(ArchiverTimesTest, Conversions) {
    EXPECT_EQ(FileTimeToUnixSeconds(UnixSecondsToFileTime(1277942400)), 1277942400);
    EXPECT_EQ(FileTimeToUnixSeconds(UnixSecondsToFileTime(0)), 0);
    EXPECT_EQ(FileTimeToUnixSeconds(UnixSecondsToFileTime(-86400)), -86400);
    EXPECT_EQ(FileTimeToUnixSeconds(UnixSecondsToFileTime(-2208988800)), -2208988800);  // 1900-01-01
    EXPECT_EQ(FileTimeToUnixSeconds(UnixSecondsToFileTime(-2208988801)), 0);            // before 1900
    EXPECT_EQ(FileTimeToUnixSeconds({0xFFFFFFFFu, 0xFFFFFFFFu}), 1833029933770);
    EXPECT_EQ(DosDateTimeToUnixSeconds(0x3CE1, 0x0000), 1277942400);  // 2010-07-01 00:00:00 (TZ=UTC)
    EXPECT_EQ(DosDateTimeToUnixSeconds(0x3CE1, 0xBF7D), 1278028798);  // 23:59:58
    EXPECT_EQ(DosDateTimeToUnixSeconds(0, 0x1234), 0);
    EXPECT_EQ(DosDateTimeToUnixSeconds(0x3C01, 0), 0);       // month 0
    EXPECT_EQ(DosDateTimeToUnixSeconds(0x3DA1, 0), 0);       // month 13
    EXPECT_EQ(DosDateTimeToUnixSeconds(0x3CE0, 0), 0);       // day 0
    EXPECT_EQ(DosDateTimeToUnixSeconds(0x3CE1, 0xC000), 0);  // hour 24
    EXPECT_EQ(DosDateTimeToUnixSeconds(0x3CE1, 0x001E), 0);  // 60 seconds
}

}  // namespace
}  // namespace volcatra
