// The folder names the read dialog and the command line give a read, and
// the drive list of the read dialog.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/FileEntry.h"
#include "platform/RemovableMedia.h"
#include "reading/DriveList.h"
#include "reading/ReadPath.h"

namespace volcatra {
namespace {

TEST(NormalizeReadPathTest, GivesOneAbsoluteLexicalForm) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", ""},
        {"~", "/home/user"},
        {"~/photos/", "/home/user/photos"},
        {"~other", "/work/~other"},  // only the user's own home is abbreviated
        {"photos", "/work/photos"},
        {"./photos/../music", "/work/music"},
        {"..", "/"},
        {"/", "/"},
        {"///", "/"},
        {"/media/cd/", "/media/cd"},
        {"/media//cd///disc1", "/media/cd/disc1"},
        {"/media/./cd/.", "/media/cd"},
        {"/../media/x/../cd", "/media/cd"},
        {"/media/cd [DISC1]", "/media/cd [DISC1]"},
        {"/dev/sr0", "/dev/sr0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalizeReadPath(c.text, "/work", "/home/user"), c.expected) << "text: " << c.text;
}

TEST(NormalizeReadPathTest, LeavesSymbolicLinksAsTheyAreNamed) {
    char pattern[] = "/tmp/readpathXXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    ASSERT_EQ(::mkdir((dir + "/real").c_str(), 0755), 0);
    ASSERT_EQ(::symlink((dir + "/real").c_str(), (dir + "/link").c_str()), 0);
    // "link/.." is dir itself lexically, whatever the link points at.
    EXPECT_EQ(NormalizeReadPath(dir + "/link/", "/", "/"), dir + "/link");
    EXPECT_EQ(NormalizeReadPath(dir + "/link/..", "/", "/"), dir);
    std::remove((dir + "/link").c_str());
    ::rmdir((dir + "/real").c_str());
    ::rmdir(dir.c_str());
}

MountedVolumeFacts Volume(std::string mountPoint, uint32_t driveType, std::u16string label = {}, uint32_t major = 8,
                          uint32_t minor = 1, std::string root = "/", bool isFolder = true) {
    MountedVolumeFacts v;
    v.mount.mountPoint = std::move(mountPoint);
    v.mount.major = major;
    v.mount.minor = minor;
    v.mount.root = std::move(root);
    v.mount.source = "/dev/x";
    v.driveType = driveType;
    v.label = std::move(label);
    v.isFolder = isFolder;
    return v;
}

TEST(DriveListTest, SuffixesOrderAndWhatIsLeftOut) {
    std::vector<MountedVolumeFacts> volumes = {
        Volume("/media/usb", DRIVE_REMOVABLE, u"STICK", 8, 17),
        Volume("/", DRIVE_FIXED, u"", 8, 1),
        Volume("/media/cd", DRIVE_CDROM, u"DISC [1]", 11, 0),
        Volume("/media/cd2", DRIVE_CDROM, u"", 11, 1),
        Volume("/data", DRIVE_FIXED, u"DATA", 8, 2),
        Volume("/srv/again", DRIVE_FIXED, u"DATA", 8, 2),          // a second mount of /data's root
        Volume("/srv/home", DRIVE_FIXED, u"DATA", 8, 2, "/home"),  // another folder of it: kept
        Volume("/etc/hosts", DRIVE_FIXED, u"", 8, 3, "/", false),  // a file bind-mounted
        Volume("/run", DRIVE_RAMDISK, u"", 0, 25),
    };
    MountedVolumeFacts share = Volume("/mnt/share", DRIVE_REMOTE, u"", 0, 0);
    share.mount.source = "//host/share";
    share.mount.fsType = "cifs";
    volumes.push_back(share);
    MountedVolumeFacts shareAgain = share;
    shareAgain.mount.mountPoint = "/mnt/share2";
    volumes.push_back(shareAgain);

    const std::vector<UnmountedMedium> unmounted = {
        {"/dev/sr1", u"", DRIVE_CDROM, false},
        {"/dev/sdc1", u"BACKUP", DRIVE_REMOVABLE, true},
        {"/dev/sr2", u"", DRIVE_CDROM, true},
    };
    const std::vector<DriveItem> items = BuildDriveList(volumes, unmounted);
    std::vector<std::u16string> texts;
    std::vector<std::string> paths;
    for (const DriveItem& item : items) {
        texts.push_back(item.text);
        paths.push_back(item.path);
    }
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"/", u"/data [DATA]", u"/media/cd [DISC [1]]", u"/media/cd2 CD-ROM",
                                                  u"/media/usb", u"/mnt/share", u"/srv/home [DATA]",
                                                  u"/dev/sdc1 [BACKUP]", u"/dev/sr2 CD-ROM", u"/dev/sr1 CD-ROM"}));
    EXPECT_EQ(paths, (std::vector<std::string>{"/", "/data", "/media/cd", "/media/cd2", "/media/usb", "/mnt/share",
                                               "/srv/home", "/dev/sdc1", "/dev/sr2", "/dev/sr1"}));
    EXPECT_TRUE(items[2].mounted);
    EXPECT_FALSE(items[9].mounted);
    EXPECT_EQ(items[2].driveType, DRIVE_CDROM);
    EXPECT_EQ(items[5].driveType, DRIVE_REMOTE);
}

TEST(DriveListTest, InitialSelection) {
    const std::vector<DriveItem> items =
        BuildDriveList({Volume("/", DRIVE_FIXED), Volume("/media/cd", DRIVE_CDROM, u"", 11, 0),
                        Volume("/mnt/usb", DRIVE_REMOVABLE, u"", 8, 9)},
                       {});
    EXPECT_EQ(InitialDriveSelection(items, "/mnt/usb"), 2);
    EXPECT_EQ(InitialDriveSelection(items, ""), 1);                  // the first optical drive
    EXPECT_EQ(InitialDriveSelection(items, "/dev/sr9"), 1);          // a device that is gone
    EXPECT_EQ(InitialDriveSelection(items, "/mnt/usb/photos"), -1);  // a folder stays in the edit field
    const std::vector<DriveItem> noOptical = BuildDriveList({Volume("/", DRIVE_FIXED)}, {});
    EXPECT_EQ(InitialDriveSelection(noOptical, ""), -1);
}

TEST(DriveListTest, OpticalDrivesFromSysfsWithoutAMedium) {
    char pattern[] = "/tmp/sysfsXXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    ASSERT_EQ(::mkdir((root + "/block").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((root + "/dev").c_str(), 0755), 0);
    for (const char* name : {"sr10", "sr2", "sda"}) ASSERT_EQ(::mkdir((root + "/block/" + name).c_str(), 0755), 0);
    // A device node that is not a drive answers no status: no medium.
    std::ofstream(root + "/dev/sr2") << "";
    CSysfsOpticalDrives drives(root, root + "/dev");
    const std::vector<UnmountedMedium> media = drives.ListUnmountedMedia();
    ASSERT_EQ(media.size(), 2u);
    EXPECT_EQ(media[0].device, root + "/dev/sr2");
    EXPECT_EQ(media[1].device, root + "/dev/sr10");
    for (const UnmountedMedium& m : media) {
        EXPECT_FALSE(m.hasMedium);
        EXPECT_EQ(m.driveType, DRIVE_CDROM);
    }
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace volcatra
