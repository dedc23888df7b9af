// The command-line verbs, run in-process on catalogue files in a scratch
// folder: their output, their exit statuses and their error texts.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "SampleCatalogue.h"
#include "cli/CliCommands.h"
#include "model/CatalogueFile.h"

namespace volcatra {
namespace {

using test::CliResult;
using test::ReadBytes;
using test::RunTool;

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void SaveRoots(const std::string& path, const RootList& roots) {
    std::vector<CRootEntry*> plain;
    for (const auto& root : roots) plain.push_back(root.get());
    SaveCatalogueFile(path, plain);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        std::string pattern = ::testing::TempDir() + "volcatra-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    std::string WorkedExampleFile() {
        const std::string path = Path("worked.fsr");
        SaveRoots(path, MakeWorkedExample());
        return path;
    }

    std::string m_dir;
};

// --- Usage ----------------------------------------------------------------

TEST_F(CliTest, VersionAndHelp) {
    const CliResult version = RunTool({"--version"});
    EXPECT_EQ(version.status, CLI_OK);
    EXPECT_EQ(version.out, "ボルカトラ Version 3.20.160\n");
    EXPECT_EQ(version.err, "");

    struct Case {
        std::vector<std::string> args;
        std::string firstLine;
    };
    const Case cases[] = {
        {{"--help"}, "Usage: volcatra-cli [--help]"},
        {{"-h"}, "Usage: volcatra-cli [--help]"},
        {{"help"}, "Usage: volcatra-cli [--help]"},
        {{"info", "--help"}, "Usage: volcatra-cli info FILE.fsr"},
        {{"dump", "x.fsr", "-h"}, "Usage: volcatra-cli dump FILE.fsr"},
        {{"export", "--help"}, "Usage: volcatra-cli export IN.fsr OUT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const CliResult r = RunTool(c.args);
        EXPECT_EQ(r.status, CLI_OK);
        EXPECT_EQ(r.out.rfind(c.firstLine, 0), 0u) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(CliTest, UsageErrors) {
    const std::string file = WorkedExampleFile();
    struct Case {
        std::vector<std::string> args;
        std::string errStart;
    };
    const Case cases[] = {
        {{}, "Usage: volcatra-cli [--help]"},
        {{"frobnicate", file}, "volcatra-cli: unknown verb 'frobnicate'\n\nUsage: volcatra-cli [--help]"},
        {{"--verbose"}, "volcatra-cli: unknown verb '--verbose'"},
        {{"info"}, "Usage: volcatra-cli info"},
        {{"info", file, file}, "Usage: volcatra-cli info"},
        {{"dump"}, "Usage: volcatra-cli dump"},
        {{"dump", file, file}, "Usage: volcatra-cli dump"},
        {{"export", file}, "Usage: volcatra-cli export"},
        {{"export", file, Path("a.fsr"), Path("b.fsr")}, "Usage: volcatra-cli export"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0] + " with " + std::to_string(c.args.size() - 1));
        const CliResult r = RunTool(c.args);
        EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind(c.errStart, 0), 0u) << r.err;
    }
    EXPECT_FALSE(Exists(Path("a.fsr")));
}

// --- info and dump ----------------------------------------------------------

TEST_F(CliTest, InfoPrintsOneLinePerVolume) {
    const CliResult worked = RunTool({"info", WorkedExampleFile()});
    EXPECT_EQ(worked.status, CLI_OK);
    EXPECT_EQ(worked.out, "DATA\t1234-ABCD\t5\t8KB\t1\t1\t2011/03/13 07:06:40\n");
    EXPECT_EQ(worked.err, "");

    const std::string sample = Path("sample.fsr");
    SaveRoots(sample, MakeSampleCatalogue());
    const CliResult r = RunTool({"info", sample});
    EXPECT_EQ(r.status, CLI_OK);
    EXPECT_EQ(r.out,
              "旅行の写真\t5A3C-9E01\t5\t12MB\t3\t7\t2010/12/24 12:00:00\n"
              "BACKUP::\\home\\taro\t0BAD-F00D\t3\t122,880MB\t2\t2\t2023/11/14 22:13:20\n");
}

TEST_F(CliTest, InfoOfAnUnknownTimeAndAnEmptyCatalogue) {
    RootList roots = MakeWorkedExample();
    roots[0]->m_time = 0;
    roots[0]->m_usedBytes = 100;
    const std::string path = Path("untimed.fsr");
    SaveRoots(path, roots);
    EXPECT_EQ(RunTool({"info", path}).out, "DATA\t1234-ABCD\t5\t\t1\t1\t\n");

    const std::string empty = Path("empty.fsr");
    SaveRoots(empty, RootList());
    const CliResult r = RunTool({"info", empty});
    EXPECT_EQ(r.status, CLI_OK);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(RunTool({"dump", empty}).out, "{\"volumes\":[]}\n");
}

TEST_F(CliTest, DumpOfTheWorkedExample) {
    const CliResult r = RunTool({"dump", WorkedExampleFile()});
    EXPECT_EQ(r.status, CLI_OK);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, R"({"volumes":[{"name":"","volumeName":"DATA","serialNumber":305441741,"driveType":5,)"
                     R"("usedBytes":8192,"time":1300000000,"attributes":0,"iconNumber":0,"childIndex":0,)"
                     R"("folderCount":1,"fileCount":1,"comment":"","iconCount":0,"extBlockCount":0,)"
                     R"("folders":[{"path":"\\","entries":[)"
                     R"({"name":"DOCS","extraText":"","time":1262304000,"attributes":16,"iconNumber":0,"size":0,)"
                     R"("childIndex":1},)"
                     R"({"name":"A.TXT","extraText":"","time":1277942400,"attributes":32,"iconNumber":0,"size":1234,)"
                     R"("childIndex":0}]},)"
                     R"({"path":"\\DOCS\\","entries":[]}]}]})"
                     "\n");
}

TEST_F(CliTest, DumpEscapesTexts) {
    RootList roots = MakeWorkedExample();
    std::u16string name = u"say \"hi\"\\ \n\r\t\x01 日本 \U0001F600";
    name += char16_t(0xDC81);
    roots[0]->m_name = name;
    std::u16string extra = u"x";
    extra += char16_t(0xD800);
    roots[0]->m_folders[0]->m_entries[1].m_extraText = extra;
    roots[0]->m_comment = u"コメント\u001F";
    const std::string path = Path("escapes.fsr");
    SaveRoots(path, roots);

    const CliResult r = RunTool({"dump", path});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_NE(r.out.find(R"({"volumes":[{"name":"say \"hi\"\\ \n\r\t\u0001 日本 😀\udc81","volumeName":"DATA",)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(R"("name":"A.TXT","extraText":"x\ud800",)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(R"("comment":"コメント\u001f",)"), std::string::npos) << r.out;
    // The output is one line: every control character was escaped.
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
}

// --- Failures -----------------------------------------------------------------

TEST_F(CliTest, MissingFile) {
    const std::string path = Path("nowhere.fsr");
    for (const char* verb : {"info", "dump"}) {
        const CliResult r = RunTool({verb, path});
        EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR) << verb;
        EXPECT_EQ(r.out, "") << verb;
        EXPECT_EQ(r.err, path + " が見つかりませんでした。\n") << verb;
    }
    const CliResult r = RunTool({"export", path, Path("out.fsr")});
    EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
    EXPECT_EQ(r.err, path + " が見つかりませんでした。\n");
    EXPECT_FALSE(Exists(Path("out.fsr")));
}

TEST_F(CliTest, UnreadableContent) {
    // The worked example up to its first text, the root's name.
    std::vector<uint8_t> start = WriteCatalogue(MakeWorkedExample());
    const std::vector<uint8_t> emptyName{0xFF, 0xFE, 0xFF, 0x00};
    ASSERT_GT(start.size(), 86u);
    ASSERT_EQ(std::vector<uint8_t>(start.begin() + 82, start.begin() + 86), emptyName);
    start.resize(82);
    auto withNameLength = [&](uint64_t length) {
        std::vector<uint8_t> bytes = start;
        // Wide mark, then the 8-, 16- and 32-bit lengths all saying "longer".
        for (uint8_t b : {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) bytes.push_back(b);
        for (int i = 0; i < 8; ++i) bytes.push_back(uint8_t(length >> (8 * i)));
        for (int i = 0; i < 64; ++i) bytes.push_back(0x41);
        return bytes;
    };
    const std::string formatText = "予期しないファイル形式です。\n";
    const std::string generalText = "ドキュメントを開くことに失敗しました。\n";

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"text instead of a header", {'h', 'e', 'l', 'l', 'o'}, CLI_FORMAT_ERROR, formatText},
        {"empty file", {}, CLI_FORMAT_ERROR, formatText},
        {"header only", std::vector<uint8_t>(start.begin(), start.begin() + 64), CLI_FORMAT_ERROR, formatText},
        {"cut in the root", start, CLI_FORMAT_ERROR, formatText},
        {"text length 2^31 - 1 past the end", withNameLength(0x7FFFFFFF), CLI_FORMAT_ERROR, formatText},
        {"text length 2^31", withNameLength(0x80000000), CLI_GENERAL_FAILURE, generalText},
        {"text length 2^64 - 1", withNameLength(UINT64_MAX), CLI_GENERAL_FAILURE, generalText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Path("bad.fsr");
        WriteBytes(path, c.bytes);
        for (const char* verb : {"info", "dump"}) {
            const CliResult r = RunTool({verb, path});
            EXPECT_EQ(r.status, c.status) << verb;
            EXPECT_EQ(r.out, "") << verb;
            EXPECT_EQ(r.err, c.err) << verb;
        }
        const CliResult r = RunTool({"export", path, Path("out.fsr")});
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        EXPECT_FALSE(Exists(Path("out.fsr")));
    }
}

// --- export -------------------------------------------------------------------

TEST_F(CliTest, ExportReproducesTheFileByteForByte) {
    struct Case {
        const char* what;
        RootList (*make)();
        const char* outName;
    };
    const Case cases[] = {
        {"worked example", &MakeWorkedExample, "copy.fsr"},
        {"sample catalogue", &MakeSampleCatalogue, "copy.fsr"},
        {"upper-case extension", &MakeSampleCatalogue, "COPY.FSR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string in = Path("in.fsr");
        const std::string out = Path(c.outName);
        SaveRoots(in, c.make());
        const std::vector<uint8_t> original = ReadBytes(in);
        ASSERT_EQ(original, WriteCatalogue(c.make()));

        // An existing file is replaced.
        WriteBytes(out, {'o', 'l', 'd'});
        const CliResult r = RunTool({"export", in, out});
        EXPECT_EQ(r.status, CLI_OK) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(ReadBytes(out), original);
        std::filesystem::remove(out);
    }
}

TEST_F(CliTest, ExportRefusesOtherFormats) {
    const std::string in = WorkedExampleFile();
    for (const char* name : {"out.txt", "out", "out.fsr.bak", "out.fs"}) {
        SCOPED_TRACE(name);
        const CliResult r = RunTool({"export", in, Path(name)});
        EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
        EXPECT_EQ(r.err.rfind("volcatra-cli: unsupported output format", 0), 0u) << r.err;
        EXPECT_FALSE(Exists(Path(name)));
    }
    // A dot in a folder name is no extension.
    ASSERT_EQ(::mkdir(Path("dir.fsr").c_str(), 0700), 0);
    EXPECT_EQ(RunTool({"export", in, Path("dir.fsr/out")}).status, CLI_FILE_OR_USAGE_ERROR);
    EXPECT_FALSE(Exists(Path("dir.fsr/out")));
}

TEST_F(CliTest, ExportIntoAMissingOrFalseFolder) {
    const std::string in = WorkedExampleFile();
    const std::vector<uint8_t> original = ReadBytes(in);
    struct Case {
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {Path("missing/out.fsr"), Path("missing/out.fsr") + " が見つかりませんでした。\n"},
        // The folder named is the existing input file.
        {in + "/out.fsr", in + "/out.fsr" + " に正しくないパスが含まれています。\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        const CliResult r = RunTool({"export", in, c.out});
        EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_FALSE(Exists(Path("missing")));
    EXPECT_EQ(ReadBytes(in), original);
    // Nothing but the input was left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace volcatra
