// The volume-editing verbs of volcatra-cli, run in-process on catalogue
// files in a scratch folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "CliRun.h"
#include "DocumentFakes.h"
#include "SampleCatalogue.h"
#include "cli/CliCommands.h"
#include "model/FileNameCodec.h"

namespace volcatra {
namespace {

using test::MakeRoot;
using test::ScratchFolder;

using test::CliResult;
using test::RunTool;

void SaveRoots(const std::string& path, const RootList& roots) {
    std::vector<CRootEntry*> plain;
    for (const auto& root : roots) plain.push_back(root.get());
    SaveCatalogueFile(path, plain);
}

RootList Load(const std::string& path) {
    return LoadCatalogueFile(path, HeaderAcceptance::Document);
}

std::vector<std::u16string> Names(const std::string& path) {
    std::vector<std::u16string> names;
    for (const auto& root : Load(path)) names.push_back(root->GetDisplayName());
    return names;
}

// A catalogue of the volumes ONE, TWO, THREE.
std::string ThreeVolumeFile(const ScratchFolder& dir, const std::string& name) {
    RootList roots;
    uint32_t serial = 0x10001;
    for (const char16_t* label : {u"ONE", u"TWO", u"THREE"}) roots.push_back(MakeRoot(label, serial++));
    roots[1]->m_comment = u"二枚目";
    const std::string path = dir.Path(name);
    SaveRoots(path, roots);
    return path;
}

TEST(VolumeVerbs, VolumesListsNumberNameSerialAndCounts) {
    ScratchFolder dir;
    const std::string path = dir.Path("sample.fsr");
    SaveRoots(path, MakeSampleCatalogue());
    const CliResult r = RunTool({"volumes", path});
    EXPECT_EQ(r.status, CLI_OK) << r.err;
    const RootList roots = MakeSampleCatalogue();
    std::ostringstream expected;
    for (size_t i = 0; i < roots.size(); ++i) {
        const std::u16string name = roots[i]->GetDisplayName();
        const std::u16string serial = roots[i]->GetSerialText();
        expected << i + 1 << '\t' << Utf16ToFileName(name) << '\t' << Utf16ToFileName(serial) << '\t'
                 << roots[i]->m_folderCount << '\t' << roots[i]->m_fileCount << '\n';
    }
    EXPECT_EQ(r.out, expected.str());
    EXPECT_EQ(r.out.rfind("1\t旅行の写真\t5A3C-9E01\t", 0), 0u) << r.out;
}

TEST(VolumeVerbs, RenameCommentAndRemoveChangeOneVolume) {
    ScratchFolder dir;
    const std::string path = ThreeVolumeFile(dir, "cat.fsr");
    EXPECT_EQ(RunTool({"rename", path, "2", "二枚目のディスク"}).status, CLI_OK);
    EXPECT_EQ(Names(path), (std::vector<std::u16string>{u"ONE", u"二枚目のディスク", u"THREE"}));
    EXPECT_EQ(RunTool({"rename", path, "2", ""}).status, CLI_OK);  // back to the label
    EXPECT_EQ(Names(path), (std::vector<std::u16string>{u"ONE", u"TWO", u"THREE"}));

    EXPECT_EQ(RunTool({"comment", path, "3", "メモ"}).status, CLI_OK);
    EXPECT_EQ(Load(path)[2]->m_comment, u"メモ");
    EXPECT_EQ(Load(path)[1]->m_comment, u"二枚目");

    EXPECT_EQ(RunTool({"remove", path, "1"}).status, CLI_OK);
    EXPECT_EQ(Names(path), (std::vector<std::u16string>{u"TWO", u"THREE"}));
    EXPECT_EQ(dir.Listing(), std::vector<std::string>{"cat.fsr"});  // no temporary files left
}

TEST(VolumeVerbs, UnchangedCommentLeavesTheFileAlone) {
    ScratchFolder dir;
    const std::string path = ThreeVolumeFile(dir, "cat.fsr");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    EXPECT_EQ(RunTool({"comment", path, "2", "二枚目"}).status, CLI_OK);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced by a new file
}

TEST(VolumeVerbs, MoveAndCopyBetweenCatalogues) {
    ScratchFolder dir;
    const std::string source = ThreeVolumeFile(dir, "src.fsr");
    const std::string target = dir.Path("dst.fsr");
    SaveRoots(target, MakeWorkedExample());
    const RootList original = Load(source);

    EXPECT_EQ(RunTool({"copy-volume", source, "2", target}).status, CLI_OK);
    EXPECT_EQ(Names(source), (std::vector<std::u16string>{u"ONE", u"TWO", u"THREE"}));
    EXPECT_EQ(Names(target), (std::vector<std::u16string>{u"DATA", u"TWO"}));

    EXPECT_EQ(RunTool({"move-volume", source, "3", target}).status, CLI_OK);
    EXPECT_EQ(Names(source), (std::vector<std::u16string>{u"ONE", u"TWO"}));
    EXPECT_EQ(Names(target), (std::vector<std::u16string>{u"DATA", u"TWO", u"THREE"}));
    // The volume travels whole: its payload is unchanged.
    EXPECT_EQ(WriteVolumePayload(*Load(target)[2]), WriteVolumePayload(*original[2]));
    EXPECT_EQ(Load(target)[1]->m_comment, u"二枚目");

    // A target that does not exist yet is created.
    const std::string fresh = dir.Path("new.fsr");
    EXPECT_EQ(RunTool({"move-volume", source, "1", fresh}).status, CLI_OK);
    EXPECT_EQ(Names(fresh), std::vector<std::u16string>{u"ONE"});
    EXPECT_EQ(Names(source), std::vector<std::u16string>{u"TWO"});
}

TEST(VolumeVerbs, MoveAndCopyWithinOneCatalogue) {
    ScratchFolder dir;
    const std::string path = ThreeVolumeFile(dir, "cat.fsr");
    EXPECT_EQ(RunTool({"move-volume", path, "1", path}).status, CLI_OK);
    EXPECT_EQ(Names(path), (std::vector<std::u16string>{u"TWO", u"THREE", u"ONE"}));
    EXPECT_EQ(RunTool({"copy-volume", path, "1", dir.Root() + "/./cat.fsr"}).status, CLI_OK);
    EXPECT_EQ(Names(path), (std::vector<std::u16string>{u"TWO", u"THREE", u"ONE", u"TWO"}));
}

TEST(VolumeVerbs, FailedTargetSaveNeverLosesTheVolume) {
    ScratchFolder dir;
    const std::string source = ThreeVolumeFile(dir, "src.fsr");
    const std::vector<uint8_t> before = ReadWholeFile(source);
    const std::string target = dir.Path("missing/dst.fsr");
    const CliResult r = RunTool({"move-volume", source, "2", target});
    EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR);
    EXPECT_EQ(r.err,
              target + " が見つかりませんでした。\nvolcatra-cli: nothing was moved; " + source + " is unchanged\n");
    EXPECT_EQ(ReadWholeFile(source), before);
}

TEST(VolumeVerbs, ReadOnlyFilesAreNotChanged) {
    ScratchFolder dir;
    const std::string source = ThreeVolumeFile(dir, "src.fsr");
    const std::string target = ThreeVolumeFile(dir, "dst.fsr");
    ASSERT_EQ(::chmod(source.c_str(), 0444), 0);
    const std::vector<uint8_t> sourceBefore = ReadWholeFile(source);
    const std::vector<uint8_t> targetBefore = ReadWholeFile(target);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"rename", source, "1", "x"}, {"remove", source, "1"}, {"move-volume", source, "1", target}}) {
        const CliResult r = RunTool(args);
        EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR) << args[0];
        EXPECT_EQ(r.err, source + " へのアクセスは拒否されました。\n") << args[0];
    }
    EXPECT_EQ(ReadWholeFile(source), sourceBefore);
    EXPECT_EQ(ReadWholeFile(target), targetBefore);
    // Copying out of a read-only catalogue is fine.
    EXPECT_EQ(RunTool({"copy-volume", source, "1", target}).status, CLI_OK);
}

TEST(VolumeVerbs, UsageAndFileErrors) {
    ScratchFolder dir;
    const std::string path = ThreeVolumeFile(dir, "cat.fsr");
    const std::string listing = dir.Path("list.csv");
    { std::ofstream(listing) << "not a catalogue"; }
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"volumes"}, CLI_FILE_OR_USAGE_ERROR, "Usage: volcatra-cli volumes FILE.fsr\n"},
        {{"rename", path, "1"}, CLI_FILE_OR_USAGE_ERROR, "Usage: volcatra-cli rename FILE.fsr N TEXT\n"},
        {{"remove", path, "0"},
         CLI_FILE_OR_USAGE_ERROR,
         "volcatra-cli: " + path + " has no volume 0 (it has 3 volumes)\n"},
        {{"remove", path, "4"},
         CLI_FILE_OR_USAGE_ERROR,
         "volcatra-cli: " + path + " has no volume 4 (it has 3 volumes)\n"},
        {{"comment", path, "x", "c"},
         CLI_FILE_OR_USAGE_ERROR,
         "volcatra-cli: " + path + " has no volume x (it has 3 volumes)\n"},
        {{"rename", path, "-1", "c"},
         CLI_FILE_OR_USAGE_ERROR,
         "volcatra-cli: " + path + " has no volume -1 (it has 3 volumes)\n"},
        {{"volumes", dir.Path("none.fsr")},
         CLI_FILE_OR_USAGE_ERROR,
         dir.Path("none.fsr") + " が見つかりませんでした。\n"},
        {{"volumes", listing}, CLI_FORMAT_ERROR, "予期しないファイル形式です。\n"},
        {{"copy-volume", path, "1", listing}, CLI_FORMAT_ERROR, "予期しないファイル形式です。\n"},
    };
    const std::vector<uint8_t> before = ReadWholeFile(path);
    for (const Case& c : cases) {
        const CliResult r = RunTool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << " " << r.err;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.args[0];
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(ReadWholeFile(path), before);
    const CliResult help = RunTool({"move-volume", "--help"});
    EXPECT_EQ(help.status, CLI_OK);
    EXPECT_EQ(help.out.rfind("Usage: volcatra-cli move-volume SRC.fsr N DST.fsr\n", 0), 0u);
}

}  // namespace
}  // namespace volcatra
