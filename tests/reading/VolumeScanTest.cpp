// The volume scan over an in-memory file system: what it records, in which
// order, the progress arithmetic, cancellation and the failure rules.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "../support/ScriptedMessageService.h"
#include "FakeArchiver.h"
#include "ReadingFakes.h"
#include "model/CatalogueFile.h"
#include "reading/VolumeScan.h"

namespace volcatra {
namespace {

using test::FakeFileSystem;
using test::FakeNode;
using test::RecordingProgress;
using test::ScriptedMessageService;

constexpr char kMount[] = "/media/disc";

// Every array but the first is named by exactly one folder or listed
// archive entry of an earlier array; the first by the root.
void ExpectTreeInvariants(const CRootEntry& root) {
    std::vector<int> namedBy(root.m_folders.size(), 0);
    for (size_t i = 0; i < root.m_folders.size(); ++i) {
        for (const auto& e : root.m_folders[i]->m_entries) {
            if (!e.HasContents() || e.m_childIndex < 0) continue;
            ASSERT_LT(size_t(e.m_childIndex), root.m_folders.size());
            EXPECT_GT(size_t(e.m_childIndex), i) << "a child array stands later than its parent";
            ++namedBy[size_t(e.m_childIndex)];
        }
    }
    for (size_t i = 1; i < namedBy.size(); ++i) EXPECT_EQ(namedBy[i], 1) << "array " << i;
}

std::vector<std::u16string> Names(const CFileArray& array) {
    std::vector<std::u16string> names;
    for (const auto& e : array.m_entries) names.push_back(e.m_name.str());
    return names;
}

// top: . .. a.txt(10000) sub/{deeper/{x.bin(1)} b.txt(2048)} Recycled/(system) mnt/(other fs) c.txt(0)
FakeFileSystem SampleVolume() {
    FakeFileSystem fs;
    FakeNode recycled = FakeNode::Folder("Recycled", {FakeNode::File("junk", 5)}, 0x16);
    FakeNode mnt = FakeNode::Folder("mnt", {FakeNode::File("y", 5)});
    mnt.otherFileSystem = true;
    fs.top.children = {
        FakeNode::Folder("."),
        FakeNode::Folder(".."),
        FakeNode::File("a.txt", 10000, 1277942400),
        FakeNode::Folder("sub",
                         {FakeNode::Folder("deeper", {FakeNode::File("x.bin", 1)}), FakeNode::File("b.txt", 2048)}),
        recycled,
        mnt,
        FakeNode::File("c.txt", 0, 0, 0x21),
    };
    fs.top.children[3].time = 1262304000;
    return fs;
}

struct ScanFixture : ::testing::Test {
    FakeFileSystem fs = SampleVolume();
    ScriptedMessageService messages;
    RecordingProgress progress;
    CRootEntry root;
    ReadFailure failure;

    bool Read(const std::string& readPath = kMount, bool withProgress = true, CArchiverTable* archivers = nullptr) {
        ReadServices services{fs, &messages, archivers};
        return ReadVolume(root, services, DRIVE_CDROM, readPath, kMount, withProgress ? &progress : nullptr, &failure);
    }
};

TEST_F(ScanFixture, RecordsTheTreeDepthFirstInListingOrder) {
    ASSERT_TRUE(Read());
    EXPECT_EQ(root.m_driveType, DRIVE_CDROM);
    EXPECT_EQ(root.m_volumeName, u"DISC1");
    EXPECT_EQ(root.m_serialNumber, 0x1234ABCDu);
    EXPECT_EQ(root.m_usedBytes, 10u * 2048);
    EXPECT_EQ(root.m_size, 10u * 2048);
    EXPECT_EQ(root.m_sectorSize, 2048u);
    EXPECT_EQ(root.m_childIndex, 0);
    EXPECT_EQ(root.m_folderCount, 4u);  // sub, deeper, Recycled, mnt; not the top, not . and ..
    EXPECT_EQ(root.m_fileCount, 4u);

    ASSERT_EQ(root.m_folders.size(), 3u);
    EXPECT_EQ(root.m_folders[0]->m_path, u"\\");
    EXPECT_EQ(root.m_folders[1]->m_path, u"\\sub");
    EXPECT_EQ(root.m_folders[2]->m_path, u"\\sub\\deeper");
    EXPECT_EQ(Names(*root.m_folders[0]),
              (std::vector<std::u16string>{u"a.txt", u"sub", u"Recycled", u"mnt", u"c.txt"}));
    EXPECT_EQ(Names(*root.m_folders[1]), (std::vector<std::u16string>{u"deeper", u"b.txt"}));
    EXPECT_EQ(Names(*root.m_folders[2]), (std::vector<std::u16string>{u"x.bin"}));

    const auto& top = root.m_folders[0]->m_entries;
    EXPECT_EQ(top[0].m_size, 10000u);
    EXPECT_EQ(top[0].m_time, 1277942400);
    EXPECT_EQ(top[0].m_attributes, 0x20);
    EXPECT_EQ(top[0].m_childIndex, 0);
    EXPECT_EQ(top[1].m_childIndex, 1);
    EXPECT_EQ(top[1].m_time, 1262304000);
    EXPECT_EQ(top[1].m_size, 0u);
    EXPECT_EQ(top[2].m_attributes, 0x16);  // kept as read
    EXPECT_EQ(top[2].m_childIndex, -1);    // system folder: not entered
    EXPECT_EQ(top[3].m_childIndex, -1);    // another file system: not entered
    EXPECT_EQ(top[4].m_attributes, 0x21);
    EXPECT_EQ(root.m_folders[1]->m_entries[0].m_childIndex, 2);
    ExpectTreeInvariants(root);
    EXPECT_EQ(fs.openListings, 0);
    EXPECT_TRUE(messages.ShownBoxes().empty());
}

TEST_F(ScanFixture, ProgressCountsSectorsAndDirectoryRecords) {
    ASSERT_TRUE(Read());
    EXPECT_EQ(progress.phases, std::vector<ReadPhase>{ReadPhase::Directory});
    ASSERT_GE(progress.calls.size(), 2u);
    EXPECT_EQ(progress.calls[0], "phase");
    EXPECT_EQ(progress.calls[1], "range 10");  // 20480 bytes in use / 2048
    // a.txt 10000 -> 5; x.bin -> 1; deeper (1 item) -> (3*32)/2048+1 = 1;
    // b.txt -> 1; sub (2 items) -> 1; the system folder and the other file
    // system add nothing; c.txt -> 0.
    EXPECT_EQ(progress.Additions(), (std::vector<uint64_t>{5, 1, 1, 1, 1, 0}));
    EXPECT_EQ(progress.calls.back(), "pos 10");
    EXPECT_EQ(progress.paths,
              (std::vector<std::u16string>{u"/media/disc", u"/media/disc/sub", u"/media/disc/sub/deeper", u""}));
    // One cancel check per recorded item (not for . and ..), one at the end.
    EXPECT_EQ(progress.cancelChecks, 8 + 1);
}

TEST(ScanProgressTest, ArithmeticTable) {
    struct Case {
        uint32_t sector;
        FakeNode item;
        uint64_t added;
    };
    std::vector<FakeNode> hundred(100, FakeNode::File("f", 0));
    std::vector<FakeNode> fourteen(14, FakeNode::File("f", 0));
    std::vector<FakeNode> thirteen(13, FakeNode::File("f", 0));
    const Case cases[] = {
        {2048, FakeNode::File("f", 10000), 5},
        {2048, FakeNode::File("f", 2048), 1},
        {2048, FakeNode::File("f", 2049), 2},
        {512, FakeNode::File("f", 1), 1},
        {512, FakeNode::File("f", (uint64_t(1) << 40) + 1), (uint64_t(1) << 31) + 1},
        {2048, FakeNode::Folder("d", hundred), 2},  // ((100 + 2) * 32) / 2048 + 1
        {512, FakeNode::Folder("d", fourteen), 2},  // (16 * 32) / 512 + 1
        {512, FakeNode::Folder("d", thirteen), 1},  // (15 * 32) / 512 + 1
        {2048, FakeNode::Folder("d"), 1},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        fs.space.sectorSize = c.sector;
        fs.top.children = {c.item};
        RecordingProgress progress;
        CRootEntry root;
        ReadServices services{fs, nullptr, nullptr};
        ASSERT_TRUE(ReadVolume(root, services, DRIVE_FIXED, kMount, kMount, &progress));
        std::vector<uint64_t> additions = progress.Additions();
        // Files inside a folder add their own (zero) sectors first.
        additions.erase(std::remove(additions.begin(), additions.end(), 0u), additions.end());
        EXPECT_EQ(additions, std::vector<uint64_t>{c.added}) << c.sector << " " << c.item.name;
    }
}

TEST_F(ScanFixture, FolderReadNamesTheFolderAfterTheLabel) {
    ASSERT_TRUE(Read("/media/disc/sub"));
    EXPECT_EQ(root.m_volumeName, u"DISC1::\\sub");
    EXPECT_EQ(root.GetLabelPart(), u"DISC1");
    EXPECT_EQ(root.GetFolderPart(), u"\\sub");
    EXPECT_EQ(root.m_usedBytes, 10u * 2048);  // the whole volume's
    ASSERT_EQ(root.m_folders.size(), 2u);
    EXPECT_EQ(root.m_folders[0]->m_path, u"\\");
    EXPECT_EQ(root.m_folders[1]->m_path, u"\\deeper");
    EXPECT_EQ(root.m_folderCount, 1u);
    EXPECT_EQ(root.m_fileCount, 2u);

    CRootEntry unlabelled;
    fs.label.clear();
    ReadServices services{fs, nullptr, nullptr};
    ASSERT_TRUE(ReadVolume(unlabelled, services, DRIVE_FIXED, "/media/disc/sub/deeper", kMount, nullptr));
    EXPECT_EQ(unlabelled.m_volumeName, u"::\\sub\\deeper");
}

// A top that cannot be listed, and the empty top of a whole volume, give a
// volume without folder lists and without a progress phase; an empty
// folder read as a folder keeps its one empty list.
TEST(EmptyVolumeTest, WhatAnEmptyTopRecords) {
    struct Case {
        const char* what;
        std::vector<FakeNode> top;
        bool unlistable;
        std::string readPath;
        int32_t childIndex;
        size_t lists;
    };
    const Case cases[] = {
        {"top cannot be listed", {FakeNode::File("a", 1)}, true, kMount, -1, 0},
        {"empty medium", {}, false, kMount, -1, 0},
        {"empty medium that lists . and ..", {FakeNode::Folder("."), FakeNode::Folder("..")}, false, kMount, -1, 0},
        {"empty folder", {FakeNode::Folder("empty")}, false, "/media/disc/empty", 0, 1},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        fs.top.children = c.top;
        fs.top.unlistable = c.unlistable;
        RecordingProgress progress;
        CRootEntry root;
        ReadServices services{fs, nullptr, nullptr};
        ASSERT_TRUE(ReadVolume(root, services, DRIVE_REMOVABLE, c.readPath, kMount, &progress)) << c.what;
        EXPECT_EQ(root.m_childIndex, c.childIndex) << c.what;
        ASSERT_EQ(root.m_folders.size(), c.lists) << c.what;
        if (c.lists == 1) {
            EXPECT_EQ(root.m_folders[0]->m_path, u"\\") << c.what;
            EXPECT_TRUE(root.m_folders[0]->m_entries.empty()) << c.what;
        } else {
            EXPECT_TRUE(progress.calls.empty()) << c.what << ": no progress phase is shown";
        }
        EXPECT_EQ(root.m_folderCount, 0u) << c.what;
        EXPECT_EQ(root.m_fileCount, 0u) << c.what;
        EXPECT_EQ(root.m_serialNumber, 0x1234ABCDu) << c.what;
        EXPECT_EQ(root.m_usedBytes, 10u * 2048) << c.what;
        EXPECT_EQ(fs.openListings, 0) << c.what;
    }
}

TEST(EmptyVolumeTest, AFolderReadOfAFileOrOfNothingFails) {
    // Recording such a read as an empty volume would hide the mistake.
    for (const char* readPath : {"/media/disc/notes.txt", "/media/disc/missing"}) {
        FakeFileSystem fs;
        fs.top.children = {FakeNode::File("notes.txt", 5)};
        CRootEntry root;
        ReadServices services{fs, nullptr, nullptr};
        EXPECT_FALSE(ReadVolume(root, services, DRIVE_REMOVABLE, readPath, kMount, nullptr)) << readPath;
    }
}

TEST_F(ScanFixture, FailuresEndTheRead) {
    struct Case {
        const char* what;
        void (*arrange)(FakeFileSystem&);
        std::u16string failedPath;
        int error;
    };
    const Case cases[] = {
        {"volume information", [](FakeFileSystem& f) { f.volumeInformationFails = true; }, u"", 0},
        {"disk space", [](FakeFileSystem& f) { f.diskSpaceFails = true; }, u"", 0},
        {"subfolder not listable", [](FakeFileSystem& f) { f.top.children[3].children[0].unlistable = true; },
         u"/media/disc/sub/deeper", EACCES},
        {"listing breaks off", [](FakeFileSystem& f) { f.top.children[3].failAfter = 1; }, u"/media/disc/sub", EIO},
        {"top listing breaks off", [](FakeFileSystem& f) { f.top.failAfter = 0; }, u"/media/disc", EIO},
    };
    for (const Case& c : cases) {
        FakeFileSystem volume = SampleVolume();
        c.arrange(volume);
        CRootEntry r;
        ReadFailure why;
        RecordingProgress p;
        ReadServices services{volume, nullptr, nullptr};
        EXPECT_FALSE(ReadVolume(r, services, DRIVE_FIXED, kMount, kMount, &p, &why)) << c.what;
        EXPECT_EQ(why.path, c.failedPath) << c.what;
        EXPECT_EQ(why.error, c.error) << c.what;
        EXPECT_FALSE(why.cancelled);
        EXPECT_EQ(volume.openListings, 0) << c.what << ": every listing is closed";
    }
}

TEST_F(ScanFixture, ReadWithoutPathBelowTheMountPointFails) {
    EXPECT_FALSE(Read("/media/other"));
}

TEST_F(ScanFixture, CancelAnsweredYesFailsTheRead) {
    progress.cancelAtCheck = 3;  // at the third recorded item
    messages.Answer({MessageAnswer::Yes});
    EXPECT_FALSE(Read());
    ASSERT_EQ(messages.ShownBoxes().size(), 1u);
    EXPECT_EQ(messages.ShownBoxes()[0].text, u"読み取りを中止しますか？");
    EXPECT_EQ(messages.ShownBoxes()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.ShownBoxes()[0].icon, MessageIcon::Question);
    EXPECT_TRUE(failure.cancelled);
    EXPECT_EQ(progress.cancelChecks, 3);
    EXPECT_EQ(fs.openListings, 0);
}

TEST_F(ScanFixture, CancelAnsweredNoLosesNothing) {
    CRootEntry reference;
    {
        FakeFileSystem other = SampleVolume();
        ReadServices services{other, nullptr, nullptr};
        ASSERT_TRUE(ReadVolume(reference, services, DRIVE_CDROM, kMount, kMount, nullptr));
    }
    for (int check = 1; check <= 9; ++check) {  // every item, and once after the walk
        CRootEntry r;
        RecordingProgress p;
        p.cancelAtCheck = check;
        ScriptedMessageService answers;
        answers.Answer({MessageAnswer::No});
        ReadServices services{fs, &answers, nullptr};
        ASSERT_TRUE(ReadVolume(r, services, DRIVE_CDROM, kMount, kMount, &p)) << check;
        EXPECT_TRUE(answers.AllAnswersUsed()) << check;
        EXPECT_EQ(answers.ShownBoxes().size(), 1u) << check;
        r.m_time = reference.m_time;
        EXPECT_EQ(WriteCatalogue(std::vector<CRootEntry*>{&r}), WriteCatalogue(std::vector<CRootEntry*>{&reference}))
            << check;
    }
}

TEST_F(ScanFixture, CancelAfterTheLastItemIsAskedOnceAtTheEnd) {
    progress.cancelAtCheck = 9;
    messages.Answer({MessageAnswer::Yes});
    EXPECT_FALSE(Read());
    EXPECT_EQ(messages.ShownBoxes().size(), 1u);
    EXPECT_EQ(root.m_childIndex, 0) << "the walk itself completed";
}

TEST_F(ScanFixture, WithoutMessageServiceACancelRequestCancels) {
    progress.cancelAtCheck = 1;
    ReadServices services{fs, nullptr, nullptr};
    EXPECT_FALSE(ReadVolume(root, services, DRIVE_FIXED, kMount, kMount, &progress, &failure));
    EXPECT_TRUE(failure.cancelled);
}

TEST_F(ScanFixture, WithoutProgressObjectNothingIsAsked) {
    ASSERT_TRUE(Read(kMount, false));
    EXPECT_EQ(root.m_fileCount, 4u);
    EXPECT_EQ(progress.cancelChecks, 0);
}

TEST(CataloguePathBelowTest, Table) {
    struct Case {
        std::string root, path;
        std::u16string below;
    };
    const Case cases[] = {
        {"/media/disc", "/media/disc", u"\\"},
        {"/media/disc", "/media/disc/photos/2010", u"\\photos\\2010"},
        {"/media/disc", "/media/disc/photos/", u"\\photos"},
        {"/", "/", u"\\"},
        {"/", "/home/user", u"\\home\\user"},
        {"/media/disc", "/media/disc2/x", u""},
        {"/media/disc", "/media", u""},
        {"/", "relative", u""},
        {"/m", "/m/caf\xC3\xA9/\xFF", u"\\caf\u00E9\\\xDCFF"},
    };
    for (const Case& c : cases) EXPECT_EQ(CataloguePathBelow(c.root, c.path), c.below) << c.path;
}

// Archive files met by the scan go to the handler table; only regular
// files, and their member lists take their place in m_folders when met.
TEST(ScanArchivesTest, ArchivesAreListedWhereTheyAreMet) {
    test::g_script.Reset();
    test::FakeMember member;
    member.wideName = u"inner.txt";
    test::g_script.archives["/media/disc/a.zip"].members = {member, member};
    test::g_script.archives["/media/disc/sub/c.zip"].members = {member};
    test::g_script.archives["/media/disc/empty.zip"];
    test::g_script.archives["/media/disc/bad.zip"].checkFails = true;
    test::FakeLoader loader;
    loader.libraries["UNZIP32"] = test::FakeExports("UnZip");
    CArchiverTable table(loader);
    table.LoadArchivers();

    FakeFileSystem fs;
    FakeNode fifo = FakeNode::File("pipe.zip", 0);
    fifo.kind = ItemKind::Other;
    FakeNode link = FakeNode::File("link.zip", 9);
    link.kind = ItemKind::SymbolicLink;
    fs.top.children = {FakeNode::File("a.zip", 100),
                       FakeNode::Folder("sub", {FakeNode::File("c.zip", 10)}),
                       FakeNode::File("empty.zip", 22),
                       FakeNode::File("bad.zip", 7),
                       fifo,
                       link,
                       FakeNode::File("readme.txt", 3)};
    CRootEntry root;
    ReadServices services{fs, nullptr, &table};
    ASSERT_TRUE(ReadVolume(root, services, DRIVE_FIXED, kMount, kMount, nullptr));

    ASSERT_EQ(root.m_folders.size(), 5u);
    EXPECT_EQ(root.m_folders[1]->m_path, u"\\a.zip");
    EXPECT_EQ(root.m_folders[2]->m_path, u"\\sub");
    EXPECT_EQ(root.m_folders[3]->m_path, u"\\sub\\c.zip");
    EXPECT_EQ(root.m_folders[4]->m_path, u"\\empty.zip");
    EXPECT_EQ(root.m_folders[1]->m_entries.size(), 2u);
    EXPECT_TRUE(root.m_folders[4]->m_entries.empty());

    const auto& top = root.m_folders[0]->m_entries;
    EXPECT_EQ(top[0].m_attributes, 0x8020);
    EXPECT_EQ(top[0].m_childIndex, 1);
    EXPECT_EQ(top[0].m_size, 100u);
    EXPECT_EQ(top[2].m_attributes, 0x8020);  // an empty archive is still a listed archive
    EXPECT_EQ(top[2].m_childIndex, 4);
    EXPECT_EQ(top[3].m_attributes, 0x20);  // rejected: a plain file with the handler's result
    EXPECT_EQ(top[3].m_childIndex, -1);
    EXPECT_EQ(top[4].m_childIndex, 0);  // the FIFO is never handed over
    EXPECT_EQ(top[5].m_childIndex, 0);  // nor the link
    EXPECT_EQ(root.m_fileCount, 7u) << "members are not counted";
    EXPECT_EQ(root.m_folderCount, 1u);
    EXPECT_EQ(test::g_script.Count("CheckArchiveW /media/disc/pipe.zip"), 0);
    EXPECT_EQ(test::g_script.Count("CheckArchiveW /media/disc/link.zip"), 0);
    EXPECT_EQ(test::g_script.Count("CheckArchiveW /media/disc/sub/c.zip"), 1);
    EXPECT_EQ(test::g_script.openHandles, 0);
    ExpectTreeInvariants(root);

    // Archive reading switched off: no file matches.
    test::g_script.calls.clear();
    table.UnloadArchivers();
    CRootEntry plain;
    ASSERT_TRUE(ReadVolume(plain, services, DRIVE_FIXED, kMount, kMount, nullptr));
    EXPECT_EQ(plain.m_folders.size(), 2u);
    EXPECT_TRUE(test::g_script.calls.empty());
}

}  // namespace
}  // namespace volcatra
