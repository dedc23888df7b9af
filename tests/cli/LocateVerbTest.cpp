// volcatra-cli locate on this machine's own mounts: a folder read with
// `read` is found again where it lies; a medium that is not mounted is not.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "CatalogueBuilder.h"
#include "CliRun.h"
#include "browsing/LocateRealFile.h"
#include "cli/CliVerbs.h"
#include "model/CatalogueFile.h"

namespace volcatra {
namespace {

using test::RunTool;

class LocateVerbTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "volcatra-locate-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        char* resolved = ::realpath(pattern.c_str(), nullptr);
        ASSERT_NE(resolved, nullptr);
        m_dir = resolved;
        ::free(resolved);
        std::filesystem::create_directories(m_dir + "/tree/DOCS");
        std::ofstream(m_dir + "/tree/DOCS/readme.txt") << "x";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string m_dir;
};

TEST_F(LocateVerbTest, AFolderReadIsFoundWhereItLies) {
    const std::string catalogue = m_dir + "/cat.fsr";
    ASSERT_EQ(RunTool({"read", m_dir + "/tree", "-o", catalogue}).status, CLI_OK);
    auto r = RunTool({"locate", catalogue, "1"});
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out, m_dir + "/tree\n");
    // Case is matched exactly first, then ignoring ASCII case.
    r = RunTool({"locate", catalogue, "1", "\\docs\\readme.txt"});
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out, m_dir + "/tree/DOCS/readme.txt\n");
    r = RunTool({"locate", catalogue, "1", "\\DOCS\\gone.txt"});
    EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
    EXPECT_NE(r.err.find("no entry"), std::string::npos) << r.err;
    r = RunTool({"locate", catalogue, "2"});
    EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
    EXPECT_NE(r.err.find("has no volume 2"), std::string::npos) << r.err;
}

TEST_F(LocateVerbTest, AMediumThatIsNotMountedIsReported) {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = u"GONE";
    root->m_driveType = DRIVE_CDROM;
    root->m_serialNumber = 0x0BADF00D;
    root->m_childIndex = 0;
    test::AddArray(*root, u"\\");
    const std::string catalogue = m_dir + "/gone.fsr";
    SaveCatalogueFile(catalogue, {root.get()});
    const auto r = RunTool({"locate", catalogue, "1"});
    EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err, Utf8(Tr(kMediumNotFoundText)) + "\n");
}

}  // namespace
}  // namespace volcatra
