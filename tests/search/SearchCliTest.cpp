// volcatra-cli search and export to listings, run in-process on catalogue
// files in a scratch folder.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "CatalogueBuilder.h"
#include "CliRun.h"
#include "SampleCatalogue.h"
#include "cli/CliCommands.h"
#include "model/CatalogueFile.h"
#include "model/FileNameCodec.h"
#include "platform/ShellTypeNames.h"

namespace volcatra {
namespace {

using test::AddEntry;

using test::CliResult;
using test::ReadBytes;
using test::RunTool;

// Volume Disk1 with \DOCS\SUB and a few files of every kind.
RootList DiskCatalogue() {
    RootList roots;
    roots.push_back(std::make_unique<CRootEntry>());
    CRootEntry& root = *roots[0];
    root.m_volumeName = u"Disk1";
    auto addArray = [&](std::u16string path) -> CFileArray& {
        root.m_folders.push_back(std::make_unique<CFileArray>());
        root.m_folders.back()->m_path = std::move(path);
        return *root.m_folders.back();
    };
    CFileArray& top = addArray(u"\\");
    AddEntry(top, u"DOCS", FA_DIRECTORY, 0, 1262304000, 1);  // 2010-01-01 00:00 UTC
    AddEntry(top, u"big.txt", FA_ARCHIVE, 5'000'000'000ull, 0);
    CFileArray& docs = addArray(u"\\DOCS");
    AddEntry(docs, u"SUB", FA_DIRECTORY, 0, 0, 2);
    CFileArray& sub = addArray(u"\\DOCS\\SUB");
    AddEntry(sub, u"Report \"1\".TXT", FA_ARCHIVE | FA_READONLY, 1025, 1277942400);  // 2010-07-01 00:00 UTC
    AddEntry(sub, u"old.txt", FA_ARCHIVE, 0, -100);
    return roots;
}

class SearchCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        std::string pattern = ::testing::TempDir() + "volcatra-search-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    void Save(const std::string& name, const RootList& roots) {
        std::vector<CRootEntry*> plain;
        for (const auto& root : roots) plain.push_back(root.get());
        SaveCatalogueFile(Path(name), plain);
    }

    std::string Kind(const std::u16string& name, bool folder) const {
        return Utf16ToFileName(m_types.GetTypeName(name, folder));
    }

    std::string m_dir;
    CMimeTypeNames m_types;
};

// --- search ----------------------------------------------------------------

TEST_F(SearchCliTest, TabSeparatedLines) {
    Save("disk.fsr", DiskCatalogue());
    const std::string file = m_dir + "/disk.fsr";
    const CliResult r = RunTool({"search", "--in", m_dir, "*.txt"});
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    const std::string text = Kind(u"a.txt", false);
    EXPECT_EQ(r.out, "big.txt\t[Disk1] \\\t4,882,813KB\t" + text + "\t\t" + file + "\n" +
                         "Report \"1\".TXT\t[Disk1] \\DOCS\\SUB\t2KB\t" + text + "\t2010/07/01 00:00\t" + file + "\n" +
                         "old.txt\t[Disk1] \\DOCS\\SUB\t0KB\t" + text + "\t\t" + file + "\n");
    EXPECT_EQ(r.err, "3 個のファイルが見つかりました。\n");

    // Folders: no size, the folder type.
    const CliResult folders = RunTool({"search", "--in", m_dir, "s"});
    EXPECT_EQ(folders.out, "DOCS\t[Disk1] \\\t\t" + Kind(u"DOCS", true) + "\t2010/01/01 00:00\t" + file + "\n" +
                               "SUB\t[Disk1] \\DOCS\t\t" + Kind(u"SUB", true) + "\t\t" + file + "\n");
    EXPECT_EQ(folders.err, "2 個のファイルが見つかりました。\n");
}

TEST_F(SearchCliTest, JsonLines) {
    Save("disk.fsr", DiskCatalogue());
    const std::string file = m_dir + "/disk.fsr";
    const CliResult r = RunTool({"search", "--json", "--in", m_dir, "report"});
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out,
              "{\"name\":\"Report \\\"1\\\".TXT\",\"folder\":\"[Disk1] \\\\DOCS\\\\SUB\",\"size\":\"2KB\",\"kind\":\"" +
                  Kind(u"a.txt", false) + "\",\"date\":\"2010/07/01 00:00\",\"catalogue\":\"" + file +
                  "\",\"bytes\":1025,\"time\":1277942400,\"attributes\":33}\n");
    EXPECT_EQ(r.err, "1 個のファイルが見つかりました。\n");
}

TEST_F(SearchCliTest, PlacesSubfoldersAndTheCatalogueOption) {
    ASSERT_EQ(::mkdir(Path("sub").c_str(), 0700), 0);
    Save("a.fsr", DiskCatalogue());
    Save("sub/b.fsr", DiskCatalogue());
    auto catalogues = [](const std::string& out) {
        std::vector<std::string> files;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) files.push_back(line.substr(line.rfind('\t') + 1));
        return files;
    };
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {{"search", "--in", m_dir, "big.txt"}, {Path("a.fsr"), Path("sub/b.fsr")}},
        {{"search", "--no-subfolders", "--in", m_dir, "big.txt"}, {Path("a.fsr")}},
        {{"search", "--in", Path("sub"), "big.txt"}, {Path("sub/b.fsr")}},
        // One catalogue's volumes: the catalogue file column stays empty.
        {{"search", "--catalogue", Path("sub/b.fsr"), "big.txt"}, {""}},
        {{"search", "--catalogue", Path("sub/b.fsr"), "--", "-x"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const CliResult r = RunTool(c.args);
        EXPECT_EQ(r.status, CLI_OK) << r.err;
        EXPECT_EQ(catalogues(r.out), c.files);
    }

    // The current folder by default.
    char* previous = ::getcwd(nullptr, 0);
    ASSERT_NE(previous, nullptr);
    ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    const CliResult here = RunTool({"search", "big.txt"});
    const CliResult flat = RunTool({"search", "--no-subfolders", "big.txt"});
    ASSERT_EQ(::chdir(previous), 0);
    ::free(previous);
    EXPECT_EQ(catalogues(here.out), (std::vector<std::string>{"./a.fsr", "./sub/b.fsr"}));
    EXPECT_EQ(catalogues(flat.out), (std::vector<std::string>{"./a.fsr"}));
}

TEST_F(SearchCliTest, DamagedFilesAndMissingPlaces) {
    std::vector<uint8_t> bytes = WriteCatalogue(DiskCatalogue());
    bytes.resize(bytes.size() / 2);
    {
        std::ofstream out(Path("bad.fsr"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ASSERT_EQ(::mkdir(Path("sub").c_str(), 0700), 0);
    Save("sub/good.fsr", DiskCatalogue());
    const CliResult r = RunTool({"search", "--in", m_dir, "big"});
    EXPECT_EQ(r.status, CLI_OK);
    EXPECT_EQ(r.err, Path("bad.fsr") + " の末尾以降にアクセスしようとしました。\n1 個のファイルが見つかりました。\n");
    EXPECT_EQ(r.out.find("bad.fsr"), std::string::npos);

    const CliResult missing = RunTool({"search", "--in", Path("missing"), "x"});
    EXPECT_EQ(missing.status, CLI_OK);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "0 個のファイルが見つかりました。\n");

    // --catalogue opens the file like a catalogue window: its failures are
    // the command's.
    const CliResult noFile = RunTool({"search", "--catalogue", Path("missing.fsr"), "x"});
    EXPECT_EQ(noFile.status, CLI_FILE_OR_USAGE_ERROR);
    EXPECT_EQ(noFile.err, Path("missing.fsr") + " が見つかりませんでした。\n");
    const CliResult badFile = RunTool({"search", "--catalogue", Path("bad.fsr"), "x"});
    EXPECT_EQ(badFile.status, CLI_FORMAT_ERROR);
}

TEST_F(SearchCliTest, UsageErrors) {
    const std::vector<std::vector<std::string>> cases{
        {"search"},
        {"search", "a", "b"},
        {"search", "--in"},
        {"search", "--in", "x", "--in", "y", "a"},
        {"search", "--catalogue", "x.fsr", "--in", "y", "a"},
        {"search", "--nosuch", "a"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.size());
        const CliResult r = RunTool(args);
        EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
        EXPECT_EQ(r.err.rfind("Usage: volcatra-cli search", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const CliResult help = RunTool({"search", "--help"});
    EXPECT_EQ(help.status, CLI_OK);
    EXPECT_EQ(help.out.rfind("Usage: volcatra-cli search", 0), 0u);
}

// --- export to listings ------------------------------------------------------

std::vector<uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

TEST_F(SearchCliTest, ExportListings) {
    Save("worked.fsr", MakeWorkedExample());
    const std::u16string head =
        u"  ボリュームラベルは  DATA\r\n  ボリュームシリアル番号は  1234-ABCD\r\n\r\n  ディレクトリは  \\\r\n\r\n";
    const std::u16string tail = u"\r\n  ディレクトリは  \\DOCS\r\n\r\n\r\n\r\n";
    const std::u16string csv = head + u"\"DOCS\",,\"" + m_types.GetTypeName(u"DOCS", true) +
                               u"\"\r\n\"A.TXT\",1234,\"" + m_types.GetTypeName(u"A.TXT", false) +
                               u"\",2010/07/01 00:00:00\r\n" + tail;
    const std::u16string prn =
        head + u"  <DIR>       2010/01/01 00:00:00  DOCS\r\n" + u"        1234  2010/07/01 00:00:00  A.TXT\r\n" + tail;
    struct Case {
        std::string out;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"list.csv", Utf16Bytes(csv)},
        {"LIST.PRN", Utf16Bytes(prn)},
        {"list.Csv", Utf16Bytes(csv)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        const CliResult r = RunTool({"export", Path("worked.fsr"), Path(c.out)});
        EXPECT_EQ(r.status, CLI_OK) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(ReadBytes(Path(c.out)), c.expected);
    }
    // A failed write names the file; nothing is left behind.
    const CliResult r = RunTool({"export", Path("worked.fsr"), Path("missing/list.csv")});
    EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
    EXPECT_EQ(r.err, Path("missing/list.csv") + " が見つかりませんでした。\n");
    // The help names the formats.
    EXPECT_NE(RunTool({"export", "--help"}).out.find(".prn"), std::string::npos);
}

}  // namespace
}  // namespace volcatra
