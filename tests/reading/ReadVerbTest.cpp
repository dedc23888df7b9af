// volcatra-cli read, run in-process on temporary trees: new catalogues,
// appended volumes, archive listing on and off, and failures that leave
// an existing catalogue file as it was.
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "CliRun.h"
#include "cli/CliCommands.h"
#include "model/CatalogueFile.h"
#include "model/FileNameCodec.h"
#include "platform/MountedVolumes.h"
#include "reading/VolumeScan.h"

namespace volcatra {
namespace {

const std::string kData = VOLCATRA_READING_DATA_DIR;

using test::CliResult;
using test::RunTool;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ReadVerbTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "volcatra-read-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        char* real = ::realpath(pattern.c_str(), nullptr);
        m_dir = real;
        std::free(real);
        ASSERT_EQ(::mkdir((m_dir + "/tree").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((m_dir + "/tree/sub").c_str(), 0755), 0);
        std::ofstream(m_dir + "/tree/a.txt") << "abcd";
        std::ofstream(m_dir + "/tree/sub/b.txt") << "b";
        std::filesystem::copy_file(kData + "/sample.tgz", m_dir + "/tree/sub/sample.tgz");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Tree() const { return m_dir + "/tree"; }
    std::string Catalogue() const { return m_dir + "/out.fsr"; }

    std::string m_dir;
};

TEST_F(ReadVerbTest, NewCatalogueThenAFurtherVolume) {
    const CliResult first = RunTool({"read", Tree(), "-o", Catalogue()});
    ASSERT_EQ(first.status, CLI_OK) << first.err;
    EXPECT_TRUE(first.err.empty()) << first.err;  // no progress line without a terminal

    RootList roots = LoadCatalogueFile(Catalogue(), HeaderAcceptance::Document);
    ASSERT_EQ(roots.size(), 1u);
    const CRootEntry& root = *roots[0];
    const std::optional<MountEntry> mount = FindMountedVolume(Tree());
    ASSERT_TRUE(mount);
    EXPECT_EQ(root.GetFolderPart(), CataloguePathBelow(mount->mountPoint, Tree()));
    EXPECT_EQ(root.m_folderCount, 1u);
    EXPECT_EQ(root.m_fileCount, 3u);
    EXPECT_NE(root.m_time, 0) << "the moment the read completed";
    ASSERT_EQ(root.m_folders.size(), 3u);  // top, \sub, \sub\sample.tgz
    EXPECT_EQ(root.m_folders[2]->m_path, u"\\sub\\sample.tgz");
    EXPECT_EQ(root.m_folders[2]->m_entries.size(), 3u);
    // The summary line is the one 'info' prints for the volume.
    EXPECT_EQ(first.out.substr(0, first.out.find('\t')), Utf16ToFileName(root.GetDisplayName()));

    const CliResult second = RunTool({"read", Tree() + "/sub", "--no-archives", "--output", Catalogue()});
    ASSERT_EQ(second.status, CLI_OK) << second.err;
    roots = LoadCatalogueFile(Catalogue(), HeaderAcceptance::Document);
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0]->m_fileCount, 3u) << "the first volume stays as it was";
    EXPECT_EQ(roots[1]->m_fileCount, 2u);
    EXPECT_EQ(roots[1]->m_folders.size(), 1u) << "no member lists without archives";
    EXPECT_EQ(roots[1]->GetFolderPart(), CataloguePathBelow(mount->mountPoint, Tree()) + u"\\sub");
}

TEST_F(ReadVerbTest, FailuresLeaveTheCatalogueUntouched) {
    ASSERT_EQ(RunTool({"read", Tree(), "-o", Catalogue()}).status, CLI_OK);
    const std::string before = ReadAll(Catalogue());

    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"read", m_dir + "/missing", "-o", Catalogue()}, CLI_GENERAL_FAILURE, "読み取りに失敗しました"},
        {{"read", Tree() + "/a.txt", "-o", Catalogue()}, CLI_GENERAL_FAILURE, "読み取りに失敗しました"},
        {{"read", "/proc", "-o", Catalogue()}, CLI_GENERAL_FAILURE, "読み取りに失敗しました"},
        {{"read", Tree()}, CLI_FILE_OR_USAGE_ERROR, "Usage:"},
        {{"read", "-o", Catalogue()}, CLI_FILE_OR_USAGE_ERROR, "Usage:"},
        {{"read", Tree(), "-o", Catalogue(), "--bogus"}, CLI_FILE_OR_USAGE_ERROR, "Usage:"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunTool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1];
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(Catalogue()), before) << c.args[1];
    }

    // An existing file that is not a catalogue is reported and kept.
    const std::string other = m_dir + "/notes.fsr";
    std::ofstream(other) << "not a catalogue";
    const CliResult r = RunTool({"read", Tree(), "-o", other});
    EXPECT_EQ(r.status, CLI_FORMAT_ERROR);
    EXPECT_EQ(ReadAll(other), "not a catalogue");
}

TEST_F(ReadVerbTest, ADiscImageIsReadAsItsDiscAndADamagedOneFailsWithItsReason) {
    if (std::system("command -v genisoimage >/dev/null") != 0) GTEST_SKIP() << "genisoimage is not installed";
    const std::string image = m_dir + "/disc.iso";
    ASSERT_EQ(std::system(("genisoimage -quiet -J -R -V CLIDISC -o " + image + " " + Tree()).c_str()), 0);
    const CliResult read = RunTool({"read", image, "-o", Catalogue()});
    ASSERT_EQ(read.status, CLI_OK) << read.err;
    // Label, drive type 5, two folders' worth of entries: sub and the
    // member list of sample.tgz are not counted as files.
    EXPECT_EQ(read.out.rfind("CLIDISC\t", 0), 0u) << read.out;
    EXPECT_NE(read.out.find("\t5\t"), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("\t1\t3\t"), std::string::npos) << read.out;
    const std::string before = ReadAll(Catalogue());

    // As a file it is no folder; damaged it fails with what is wrong.
    const CliResult asFile = RunTool({"read", image, "--no-image", "-o", Catalogue()});
    EXPECT_EQ(asFile.status, CLI_GENERAL_FAILURE);
    EXPECT_NE(asFile.err.find("Not a directory"), std::string::npos) << asFile.err;
    std::filesystem::resize_file(image, 20 * 2048);
    const CliResult damaged = RunTool({"read", image, "--add", "-o", Catalogue()});
    EXPECT_EQ(damaged.status, CLI_GENERAL_FAILURE);
    EXPECT_NE(damaged.err.find("読み取りに失敗しました\nvolcatra-cli: "), std::string::npos) << damaged.err;
    EXPECT_NE(damaged.err.find("beyond the end of the image"), std::string::npos) << damaged.err;
    EXPECT_EQ(ReadAll(Catalogue()), before);
}

// In a chroot the mount table is missing (no /proc) and no line could
// name the file system of the read anyway: the facts come from the path
// itself, and the chroot's root stands as the mount point.
TEST_F(ReadVerbTest, ReadsInAChrootWithoutAMountTable) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() != 0 && ::unshare(CLONE_NEWUSER) != 0) ::_exit(77);
        if (::chroot(m_dir.c_str()) != 0 || ::chdir("/") != 0) ::_exit(77);
        std::ostringstream out, err;
        const int status = RunCli({"read", "/tree", "-o", "/chroot.fsr"}, out, err);
        std::ofstream("/chroot.err") << err.str();
        ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no chroot here";
    ASSERT_EQ(WEXITSTATUS(status), CLI_OK) << ReadAll(m_dir + "/chroot.err");

    const RootList roots = LoadCatalogueFile(m_dir + "/chroot.fsr", HeaderAcceptance::Document);
    ASSERT_EQ(roots.size(), 1u);
    const CRootEntry& root = *roots[0];
    EXPECT_EQ(root.GetFolderPart(), u"\\tree");
    EXPECT_EQ(root.m_driveType, 3u);
    EXPECT_GT(root.m_usedBytes, 0u);
    EXPECT_EQ(root.m_folderCount, 1u);
    EXPECT_EQ(root.m_fileCount, 3u);
}

}  // namespace
}  // namespace volcatra
