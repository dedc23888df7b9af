// Finding the real file of a catalogue entry among mounted volumes given by
// a fake volume list.
#include <gtest/gtest.h>

#include <memory>

#include "FakeLocateServices.h"
#include "browsing/LocateRealFile.h"
#include "model/FileEntry.h"
#include "model/FileNameCodec.h"

namespace volcatra {
namespace {

using test::FakeVolumeQuery;

MountEntry Mount(std::string mountPoint, uint32_t minor, std::string root = "/") {
    return test::FakeMount(std::move(mountPoint), minor, std::move(root));
}

std::unique_ptr<CRootEntry> Volume(std::u16string volumeName, uint32_t serial, uint32_t driveType = DRIVE_CDROM) {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = std::move(volumeName);
    root->m_serialNumber = serial;
    root->m_driveType = driveType;
    return root;
}

std::unique_ptr<CFileEntry> Entry(std::u16string name, uint16_t attributes = 0) {
    auto entry = std::make_unique<CFileEntry>();
    entry->m_name = std::move(name);
    entry->m_attributes = attributes;
    return entry;
}

class LocateRealFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The whole disc DISC in a drive mounted at /media/E, the folder
        // \photos of DATA on a disk mounted at /mnt/d.
        volumes.volumes = {{Mount("/media/E", 1), DRIVE_CDROM, 0xE0E0E0E0},
                           {Mount("/mnt/d", 2), DRIVE_FIXED, 0xD0D0D0D0},
                           {Mount("/", 3), DRIVE_FIXED, 0x11111111}};
    }

    LocateOutcome Locate(const TreeSelection& selection, const CFileEntry* entry, bool folderTree = false) {
        request = {};
        return LocateRealFile(selection, entry, folderTree, volumes, request);
    }

    FakeVolumeQuery volumes;
    FileManagerRequest request;
    std::unique_ptr<CRootEntry> disc = Volume(u"DISC", 0xE0E0E0E0);
    std::unique_ptr<CRootEntry> photos = Volume(u"DATA::\\photos", 0xD0D0D0D0, DRIVE_FIXED);
    std::unique_ptr<CFileEntry> docs = Entry(u"DOCS", FA_DIRECTORY);
    std::unique_ptr<CFileEntry> sub = Entry(u"SUB", FA_DIRECTORY);
    std::unique_ptr<CFileEntry> readme = Entry(u"readme.txt");
    std::unique_ptr<CFileEntry> archive = Entry(u"a.zip", FA_ARCHIVE_LISTED);
    std::unique_ptr<CFileEntry> member = Entry(u"inner.txt");
};

TEST_F(LocateRealFileTest, EverySelectionGivesItsPathAndCall) {
    const TreeSelection inDocs{disc.get(), docs.get(), {u"DOCS"}};
    const TreeSelection inArchive{disc.get(), archive.get(), {u"DOCS", u"a.zip"}};
    const TreeSelection discItem{disc.get(), disc.get(), {}};
    const TreeSelection photosItem{photos.get(), photos.get(), {}};
    const TreeSelection catalogue{};
    struct Case {
        const char* what;
        TreeSelection selection;
        const CFileEntry* entry;
        std::string path;
        bool selectItem;
    };
    const Case cases[] = {
        {"file row in a folder", inDocs, readme.get(), "/media/E/DOCS/readme.txt", true},
        {"folder row in a folder", inDocs, sub.get(), "/media/E/DOCS/SUB", true},
        {"member row of a recorded archive", inArchive, member.get(), "/media/E/DOCS/a.zip", true},
        {"folder item", inDocs, nullptr, "/media/E/DOCS", false},
        {"volume item", discItem, nullptr, "/media/E", false},
        {"volume item of a folder read", photosItem, nullptr, "/mnt/d/photos", false},
        {"recorded archive item", inArchive, nullptr, "/media/E/DOCS/a.zip", true},
        {"volume row", catalogue, disc.get(), "/media/E", true},
        {"volume row of a folder read", catalogue, photos.get(), "/mnt/d/photos", true},
    };
    for (const Case& c : cases) {
        for (const bool folderTree : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (folderTree ? " with folder tree" : ""));
            ASSERT_EQ(Locate(c.selection, c.entry, folderTree), LocateOutcome::Found);
            EXPECT_EQ(request.path, c.path);
            EXPECT_EQ(request.selectItem, c.selectItem);
            EXPECT_EQ(request.folderTree, folderTree);
        }
    }
}

TEST_F(LocateRealFileTest, NothingToLocateWithoutAVolume) {
    EXPECT_EQ(Locate({}, nullptr), LocateOutcome::Nothing);
    EXPECT_EQ(Locate({}, readme.get()), LocateOutcome::Nothing);
    EXPECT_TRUE(volumes.askedSerials.empty());
}

TEST_F(LocateRealFileTest, NamesAreJoinedByComponentsWithTheirBytes) {
    // A name that is not UTF-8 and a name holding a backslash, as Linux allows.
    const std::u16string latin1 = FileNameToUtf16("caf\xe9.txt");
    auto odd = Entry(latin1);
    const TreeSelection selection{disc.get(), docs.get(), {u"DOCS", u"a\\b"}};
    ASSERT_EQ(Locate(selection, odd.get()), LocateOutcome::Found);
    EXPECT_EQ(request.path, "/media/E/DOCS/a\\b/caf\xe9.txt");

    // A volume on the file system mounted at / gives no doubled slash.
    auto system = Volume(u"SYS::\\home\\user", 0x11111111, DRIVE_FIXED);
    ASSERT_EQ(Locate({system.get(), system.get(), {}}, nullptr), LocateOutcome::Found);
    EXPECT_EQ(request.path, "/home/user");
}

TEST_F(LocateRealFileTest, TheFirstMatchInDescendingOrderWins) {
    volumes.volumes = {{Mount("/media/z", 1), DRIVE_CDROM, 0xE0E0E0E0},
                       {Mount("/media/a", 2), DRIVE_CDROM, 0xE0E0E0E0}};
    ASSERT_EQ(Locate({disc.get(), disc.get(), {}}, nullptr), LocateOutcome::Found);
    EXPECT_EQ(request.path, "/media/z");
}

TEST_F(LocateRealFileTest, DriveTypeAndSerialMustBothMatch) {
    // The disc's serial on a fixed disk, another serial in a CD-ROM drive,
    // and a CD-ROM drive whose volume information cannot be read.
    volumes.volumes = {{Mount("/media/x", 1), DRIVE_FIXED, 0xE0E0E0E0},
                       {Mount("/media/w", 2), DRIVE_CDROM, 0x12345678},
                       {Mount("/media/v", 3), DRIVE_CDROM, std::nullopt}};
    EXPECT_EQ(Locate({disc.get(), disc.get(), {}}, nullptr), LocateOutcome::NotFound);
    // The label is not compared: a relabelled disc is found.
    volumes.volumes.push_back({Mount("/media/u", 4), DRIVE_CDROM, 0xE0E0E0E0});
    disc->m_volumeName = u"OTHER";
    ASSERT_EQ(Locate({disc.get(), disc.get(), {}}, nullptr), LocateOutcome::Found);
    EXPECT_EQ(request.path, "/media/u");
}

TEST_F(LocateRealFileTest, OnlyTheMountOfTheFileSystemRootCounts) {
    // /srv/zz bind-mounts the folder /export of the disk mounted at /mnt/d;
    // it comes first in the order but names only a part of the disk.
    volumes.volumes = {{Mount("/srv/zz", 2, "/export"), DRIVE_FIXED, 0xD0D0D0D0},
                       {Mount("/mnt/d", 2), DRIVE_FIXED, 0xD0D0D0D0}};
    ASSERT_EQ(Locate({photos.get(), photos.get(), {}}, nullptr), LocateOutcome::Found);
    EXPECT_EQ(request.path, "/mnt/d/photos");
    EXPECT_EQ(volumes.askedSerials, std::vector<std::string>{"/mnt/d"});

    // A btrfs whose top level is not mounted: its subvolume nearest the top stands for it.
    volumes.volumes = {{Mount("/home", 5, "/@home"), DRIVE_FIXED, 0xD0D0D0D0},
                       {Mount("/", 5, "/@"), DRIVE_FIXED, 0xD0D0D0D0}};
    ASSERT_EQ(Locate({photos.get(), photos.get(), {}}, nullptr), LocateOutcome::Found);
    EXPECT_EQ(request.path, "/photos");
}

TEST_F(LocateRealFileTest, AnUnmountedMediumWithTheSerialIsMountedFirst) {
    volumes.volumes.clear();
    test::FakeRemovableMedia media;
    media.onMount = [this](const std::string& device) {
        volumes.volumes.push_back({Mount("/run/media/u/" + device.substr(5), 9), DRIVE_CDROM, 0xE0E0E0E0});
        return true;
    };
    // A stick with the serial but of another type, a disc of another
    // serial, a drive without a medium, then the disc.
    media.media = {{"/dev/sdb1", u"", DRIVE_REMOVABLE, true},
                   {"/dev/sr1", u"", DRIVE_CDROM, true},
                   {"/dev/sr2", u"", DRIVE_CDROM, false},
                   {"/dev/sr0", u"", DRIVE_CDROM, true}};
    media.identities = {
        {"/dev/sdb1", {"vfat", "E0E0-E0E0"}}, {"/dev/sr1", {"vfat", "1234-5678"}}, {"/dev/sr0", {"vfat", "E0E0-E0E0"}}};
    ASSERT_EQ(LocateRealFile({disc.get(), disc.get(), {}}, nullptr, false, volumes, request, &media),
              LocateOutcome::Found);
    EXPECT_EQ(request.path, "/run/media/u/sr0");
    EXPECT_EQ(media.mounted, std::vector<std::string>{"/dev/sr0"});
    // Without the service's help nothing is mounted.
    volumes.volumes.clear();
    EXPECT_EQ(Locate({disc.get(), disc.get(), {}}, nullptr), LocateOutcome::NotFound);
}

TEST(UnmountedMediumSerial, FromTheUuidWhereItIsTheSerial) {
    EXPECT_EQ(UnmountedMediumSerial("", {"vfat", "1234-ABCD"}), 0x1234ABCDu);
    EXPECT_EQ(UnmountedMediumSerial("", {"ntfs", "0123456789ABCDEF"}), 0x89ABCDEFu);
    EXPECT_EQ(UnmountedMediumSerial("", {"ext4", "0a1b2c3d-0000-0000-0000-000000000000"}), 0x0A1B2C3Du);
    // A disc whose descriptors cannot be read has no serial to compare.
    EXPECT_EQ(UnmountedMediumSerial("/nonexistent/sr9", {"iso9660", "2010-01-01-00-00-00-00"}), std::nullopt);
}

}  // namespace
}  // namespace volcatra
