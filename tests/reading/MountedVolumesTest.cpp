// Mounted volumes: the mount table parser, finding the volume of a path,
// drive types, serial numbers (from UUIDs and from optical disc
// descriptors), labels, and the facts of this machine's own volumes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/DirectoryListing.h"
#include "platform/MountedVolumes.h"

namespace volcatra {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(MountInfoTest, ParsesLinesAndUndoesEscapes) {
    const std::string text =
        "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "36 27 8:17 / /media/My\\040Disc rw,nosuid shared:7 master:1 - vfat /dev/sdb1 rw,fmask=0022\n"
        "40 27 0:45 /sub /srv/data rw - btrfs /dev/sda2 rw\n"
        "41 27 0:46 / /mnt/share rw - cifs //host/share rw\n"
        "garbage line\n"
        "42 27 1:2 / /no/dash rw ext4 /dev/x rw\n"
        "43 27 x:2 / /bad/numbers rw - ext4 /dev/x rw\n"
        "44 27 1:2 / relative rw - ext4 /dev/x rw\n"
        "\n";
    const std::vector<MountEntry> m = ParseMountInfo(text);
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].mountId, 27u);
    EXPECT_EQ(m[0].major, 254u);
    EXPECT_EQ(m[0].mountPoint, "/");
    EXPECT_EQ(m[0].fsType, "ext4");
    EXPECT_EQ(m[0].source, "/dev/vda");
    EXPECT_EQ(m[1].mountPoint, "/media/My Disc");
    EXPECT_EQ(m[1].fsType, "vfat");
    EXPECT_EQ(m[1].major, 8u);
    EXPECT_EQ(m[1].minor, 17u);
    EXPECT_EQ(m[2].root, "/sub");
    EXPECT_EQ(m[2].major, 0u);
    EXPECT_EQ(m[3].source, "//host/share");
}

TEST(MountInfoTest, PseudoFileSystems) {
    for (const char* type : {"proc", "sysfs", "cgroup", "cgroup2", "devpts", "debugfs", "tracefs", "securityfs",
                             "mqueue", "fusectl", "bpf", "autofs"})
        EXPECT_TRUE(IsPseudoFileSystem(type)) << type;
    for (const char* type : {"ext4", "vfat", "tmpfs", "overlay", "iso9660", "nfs", "fuseblk"})
        EXPECT_FALSE(IsPseudoFileSystem(type)) << type;
}

TEST(MountInfoTest, LongestMountPointPrefix) {
    std::vector<MountEntry> mounts(5);
    mounts[0].mountPoint = "/";
    mounts[1].mountPoint = "/media/disc";
    mounts[1].mountId = 1;
    mounts[2].mountPoint = "/media/disc2";
    mounts[3].mountPoint = "/media/disc/inner";
    mounts[4].mountPoint = "/media/disc";  // mounted over the first
    mounts[4].mountId = 4;
    struct Case {
        const char* path;
        const MountEntry* expected;
    };
    const Case cases[] = {
        {"/", &mounts[0]},
        {"/home", &mounts[0]},
        {"/media/disc", &mounts[4]},
        {"/media/disc/photos", &mounts[4]},
        {"/media/disc2/x", &mounts[2]},
        {"/media/disc3", &mounts[0]},
        {"/media/disc/inner/deep", &mounts[3]},
        {"/media/disc/innerx", &mounts[4]},
    };
    for (const Case& c : cases) EXPECT_EQ(FindMountByPrefix(mounts, c.path), c.expected) << c.path;
    EXPECT_EQ(FindMountByPrefix({}, "/x"), nullptr);
}

TEST(DriveTypeTest, Classification) {
    struct Case {
        const char* fsType;
        const char* source;
        bool deviceKnown;
        const char* disk;
        uint32_t diskMajor;
        bool removable;
        uint32_t driveType;
    };
    const Case cases[] = {
        {"proc", "proc", false, "", 0, false, 0},
        {"nfs4", "server:/export", false, "", 0, false, 4},
        {"cifs", "//host/share", false, "", 0, false, 4},
        {"fuse.sshfs", "user@host:", false, "", 0, false, 4},
        {"ext4", "host:/path", false, "", 0, false, 4},
        {"tmpfs", "tmpfs", false, "", 0, false, 6},
        {"ext4", "/dev/zram0", true, "zram0", 252, false, 6},
        {"iso9660", "/dev/sr0", true, "sr0", 11, true, 5},
        {"udf", "/dev/loop3", true, "loop3", 7, false, 5},
        {"ext4", "/dev/loop3", true, "loop3", 7, false, 3},
        {"vfat", "/dev/sdb1", true, "sdb", 8, true, 2},
        {"exfat", "/dev/mmcblk0p1", true, "mmcblk0", 179, false, 2},
        {"ext4", "/dev/sda2", true, "sda", 8, false, 3},
        {"btrfs", "/dev/nvme0n1p2", true, "nvme0n1", 259, false, 3},
        {"overlay", "overlay", false, "", 0, false, 3},
    };
    for (const Case& c : cases) {
        MountEntry mount;
        mount.fsType = c.fsType;
        mount.source = c.source;
        BlockDeviceFacts device;
        device.known = c.deviceKnown;
        device.diskName = c.disk;
        device.diskMajor = c.diskMajor;
        device.removable = c.removable;
        EXPECT_EQ(ClassifyDriveType(mount, device), c.driveType) << c.fsType << " " << c.source;
    }
}

TEST(SerialNumberTest, FromUuids) {
    struct Case {
        const char* fsType;
        const char* uuid;
        uint32_t serial;
    };
    const Case cases[] = {
        {"vfat", "1234-ABCD", 0x1234ABCD},  // as Windows shows it
        {"exfat", "0a1b-2c3d", 0x0A1B2C3D},
        {"ntfs", "0123456789ABCDEF", 0x89ABCDEF},  // the low half of the 64-bit serial
        {"ntfs3", "0123456789abcdef", 0x89ABCDEF},
        {"ext4", "5b6a482f-1c2d-4e5f-8a9b-0c1d2e3f4a5b", 0x5B6A482F},  // the first 32 bits
        {"xfs", "00000001-0000-0000-0000-000000000002", 1},
        {"btrfs", "", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(SerialFromUuid(c.fsType, c.uuid), c.serial) << c.fsType << " " << c.uuid;
    // Optical discs without readable descriptors: a stable value of the UUID.
    const uint32_t iso = SerialFromUuid("iso9660", "2011-03-13-07-06-40-00");
    EXPECT_EQ(iso, SerialFromUuid("iso9660", "2011-03-13-07-06-40-00"));
    EXPECT_NE(iso, SerialFromUuid("iso9660", "2011-03-13-07-06-41-00"));
    // Volumes without a UUID: stable per share, per mount point for tmpfs.
    MountEntry a, b;
    a.source = b.source = "tmpfs";
    a.mountPoint = "/run/a";
    b.mountPoint = "/run/b";
    EXPECT_NE(SerialFromSource(a), SerialFromSource(b));
    MountEntry share1, share2;
    share1.source = share2.source = "//host/share";
    share1.mountPoint = "/mnt/x";
    share2.mountPoint = "/mnt/y";
    EXPECT_EQ(SerialFromSource(share1), SerialFromSource(share2));
}

TEST(LabelTest, FatLabelsAreInTheAnsiCodePage) {
    EXPECT_EQ(DecodeLabel("vfat", "\xC3\xBD\xC4 DATA"), u"ﾃｽﾄ DATA");  // half-width katakana in CP932
    EXPECT_EQ(DecodeLabel("ext4", "写真"), u"写真");
    EXPECT_EQ(DecodeLabel("ext4", "\xFF"), u"\xDCFF");
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "volcatra-images-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = m_dir + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    std::optional<uint32_t> SerialOf(const std::string& path, const char* fsType) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        const std::optional<uint32_t> serial = OpticalDiscSerial(fd, fsType);
        ::close(fd);
        return serial;
    }
    std::string m_dir;
};

constexpr size_t kSector = 2048;

uint8_t* Sector(Bytes& image, size_t n) {
    if (image.size() < (n + 1) * kSector) image.resize((n + 1) * kSector);
    return image.data() + n * kSector;
}

void Descriptor(Bytes& image, size_t n, uint8_t type, const char* escape = nullptr) {
    uint8_t* s = Sector(image, n);
    s[0] = type;
    std::memcpy(s + 1, "CD001", 5);
    s[6] = 1;
    for (size_t i = 7; i < kSector; ++i) s[i] = uint8_t(i * 7 + n * 3 + type);  // distinct content per descriptor
    if (escape) std::memcpy(s + 88, escape, 3);
}

uint32_t Lanes(const uint8_t* block, bool reversed) {
    uint8_t lane[4] = {};
    for (size_t i = 0; i < kSector; ++i) lane[i % 4] = uint8_t(lane[i % 4] + block[i]);
    return reversed ? uint32_t(lane[3]) << 24 | uint32_t(lane[2]) << 16 | uint32_t(lane[1]) << 8 | lane[0]
                    : uint32_t(lane[0]) << 24 | uint32_t(lane[1]) << 16 | uint32_t(lane[2]) << 8 | lane[3];
}

TEST_F(ImageTest, IsoSerialPrefersTheJolietDescriptor) {
    Bytes image;
    Descriptor(image, 16, 1);
    Descriptor(image, 17, 2, "%/E");
    Descriptor(image, 18, 255);
    const uint32_t primary = Lanes(Sector(image, 16), false);
    const uint32_t joliet = Lanes(Sector(image, 17), false);
    ASSERT_NE(primary, joliet);
    EXPECT_EQ(SerialOf(Write("joliet.iso", image), "iso9660"), joliet);

    // A supplementary descriptor that is not Joliet does not count.
    Bytes plain;
    Descriptor(plain, 16, 1);
    Descriptor(plain, 17, 2, "XYZ");
    Descriptor(plain, 18, 255);
    EXPECT_EQ(SerialOf(Write("plain.iso", plain), "iso9660"), Lanes(Sector(plain, 16), false));

    // A known value: a descriptor of zeros but its type, "CD001" and version.
    Bytes zeros(19 * kSector, 0);
    uint8_t* s = Sector(zeros, 16);
    s[0] = 1;
    std::memcpy(s + 1, "CD001", 5);
    s[6] = 1;
    Sector(zeros, 17)[0] = 255;
    std::memcpy(Sector(zeros, 17) + 1, "CD001", 5);
    // Bytes 1 'C' 'D' '0' '0' '1' 1: lane 0 = 1 + '0', lane 1 = 'C' + '1',
    // lane 2 = 'D' + 1, lane 3 = '0'.
    EXPECT_EQ(SerialOf(Write("zeros.iso", zeros), "iso9660"), 0x31744530u);

    EXPECT_FALSE(SerialOf(Write("empty.iso", Bytes(40 * kSector, 0)), "iso9660"));
    EXPECT_FALSE(SerialOf(Write("short.iso", Bytes(100, 0)), "iso9660"));
}

TEST_F(ImageTest, UdfSerialUsesTheFileSetDescriptor) {
    Bytes image;
    uint8_t* anchor = Sector(image, 256);
    anchor[0] = 2;                                                                // anchor volume descriptor pointer
    anchor[16] = uint8_t(4 * kSector), anchor[17] = uint8_t((4 * kSector) >> 8);  // main sequence length
    anchor[20] = 32;                                                              // main sequence at sector 32
    Sector(image, 32)[0] = 5;                                                     // partition descriptor
    Sector(image, 32)[188] = uint8_t(300 & 0xFF), Sector(image, 32)[189] = uint8_t(300 >> 8);
    Sector(image, 33)[0] = 6;    // logical volume descriptor
    Sector(image, 33)[252] = 2;  // file set descriptor at block 2 of the partition
    Sector(image, 34)[0] = 8;    // terminating descriptor
    uint8_t* fsd = Sector(image, 302);
    fsd[0] = 0x00, fsd[1] = 0x01;  // tag 256
    for (size_t i = 16; i < kSector; ++i) fsd[i] = uint8_t(i * 13);
    Sector(image, 257)[5] = 99;
    EXPECT_EQ(SerialOf(Write("fsd.udf", image), "udf"), Lanes(Sector(image, 302), true));

    // Without a file set descriptor where it should be: sector 257.
    Sector(image, 302)[1] = 0;
    EXPECT_EQ(SerialOf(Write("nofsd.udf", image), "udf"), Lanes(Sector(image, 257), true));

    Sector(image, 256)[0] = 0;  // no anchor
    EXPECT_FALSE(SerialOf(Write("noanchor.udf", image), "udf"));
}

// A 1.44 MB floppy image with volume ID 1234-ABCD and a label in CP932
// (half-width katakana).
Bytes FatFloppy() {
    Bytes image(1474560, 0);
    uint8_t* b = image.data();
    const uint8_t jump[] = {0xEB, 0x3C, 0x90};
    std::memcpy(b, jump, 3);
    std::memcpy(b + 3, "MSDOS5.0", 8);
    b[0x0B] = 0x00, b[0x0C] = 0x02;  // 512 bytes per sector
    b[0x0D] = 1;                     // sectors per cluster
    b[0x0E] = 1;                     // reserved sectors
    b[0x10] = 2;                     // FATs
    b[0x11] = 224;                   // root entries
    b[0x13] = 0x40, b[0x14] = 0x0B;  // 2880 sectors
    b[0x15] = 0xF0;
    b[0x16] = 9;  // sectors per FAT
    b[0x18] = 18;
    b[0x1A] = 2;
    b[0x26] = 0x29;
    b[0x27] = 0xCD, b[0x28] = 0xAB, b[0x29] = 0x34, b[0x2A] = 0x12;
    std::memcpy(b + 0x2B, "NO NAME    ", 11);
    std::memcpy(b + 0x36, "FAT12   ", 8);
    b[510] = 0x55, b[511] = 0xAA;
    for (size_t fat : {size_t(512), size_t(512 * 10)}) b[fat] = 0xF0, b[fat + 1] = 0xFF, b[fat + 2] = 0xFF;
    // The label as the volume-label entry of the root folder holds it (what
    // Windows shows; the boot sector's copy says NO NAME).
    uint8_t* root = b + 19 * 512;
    std::memcpy(root, "\xC3\xBD\xC4 DATA   ", 11);
    root[11] = 0x08;
    return image;
}

TEST_F(ImageTest, ProbesFatImages) {
    VolumeIdentity identity;
    ASSERT_TRUE(ProbeVolumeIdentity(Write("floppy.img", FatFloppy()), identity));
    EXPECT_EQ(identity.fsType, "vfat");
    EXPECT_EQ(identity.uuid, "1234-ABCD");
    ASSERT_TRUE(identity.serialNumber);
    EXPECT_EQ(*identity.serialNumber, 0x1234ABCDu);
    EXPECT_EQ(identity.label, u"ﾃｽﾄ DATA");

    VolumeIdentity none;
    EXPECT_FALSE(ProbeVolumeIdentity(Write("zeros.img", Bytes(65536, 0)), none));
    const std::string fifo = m_dir + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ProbeVolumeIdentity(fifo, none)) << "a FIFO is refused without being opened";
    EXPECT_FALSE(ProbeVolumeIdentity(m_dir + "/missing", none));
}

TEST_F(ImageTest, ProbesIsoImagesWithTheDescriptorChecksum) {
    Bytes image;
    Descriptor(image, 16, 1);
    uint8_t* pvd = Sector(image, 16);
    std::memset(pvd + 8, ' ', 32);  // system identifier
    std::memcpy(pvd + 40, "DISC1                           ", 32);
    std::memset(pvd + 72, 0, 8);
    pvd[80] = 20, pvd[87] = 20;                                          // volume space size, both byte orders
    pvd[120] = 1, pvd[123] = 1;                                          // volume set size
    pvd[124] = 1, pvd[127] = 1;                                          // volume sequence number
    pvd[128] = 0x00, pvd[129] = 0x08, pvd[130] = 0x08, pvd[131] = 0x00;  // 2048-byte blocks
    std::memcpy(pvd + 813, "2011031307064000\0", 17);                    // creation date
    Descriptor(image, 17, 255);
    image.resize(20 * kSector);
    VolumeIdentity identity;
    ASSERT_TRUE(ProbeVolumeIdentity(Write("disc.iso", image), identity));
    EXPECT_EQ(identity.fsType, "iso9660");
    EXPECT_EQ(identity.label, u"DISC1");
    ASSERT_TRUE(identity.serialNumber);
    EXPECT_EQ(*identity.serialNumber, Lanes(Sector(image, 16), false));
}

// The machine's own volumes.
TEST(LiveVolumesTest, TheVolumeOfATemporaryFolder) {
    std::string pattern = ::testing::TempDir() + "volcatra-live-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    char* real = ::realpath(pattern.c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    const std::string path = real;
    std::free(real);

    const std::optional<MountEntry> mount = FindMountedVolume(path);
    ASSERT_TRUE(mount);
    EXPECT_TRUE(mount->mountPoint == "/" || path.rfind(mount->mountPoint + "/", 0) == 0) << mount->mountPoint;
    EXPECT_FALSE(IsPseudoFileSystem(mount->fsType));
    EXPECT_NE(GetDriveType(*mount), 0u);

    DiskSpace space;
    ASSERT_TRUE(GetDiskSpace(*mount, space));
    EXPECT_GE(space.sectorSize, 512u);
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.usedBytes, space.totalBytes);

    std::u16string label;
    uint32_t serial = 0;
    EXPECT_TRUE(GetVolumeInformation(*mount, label, serial));
    std::u16string again;
    uint32_t serialAgain = 1;
    EXPECT_TRUE(GetVolumeInformation(*mount, again, serialAgain));
    EXPECT_EQ(serial, serialAgain) << "the serial number is stable";
    EXPECT_LE(label.size(), 255u);
    ::rmdir(path.c_str());

    EXPECT_FALSE(FindMountedVolume(path + "/missing"));
}

// A temporary folder of its own, resolved, removed with what it holds.
class LiveFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "volcatra-live-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        char* real = ::realpath(pattern.c_str(), nullptr);
        ASSERT_NE(real, nullptr);
        m_dir = real;
        std::free(real);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string m_dir;
};

// Where no line of the mount table holds a path (a chroot, some
// containers), the volume is taken from the path itself: it ends where the
// mount ends, is a fixed drive, and has a label, serial number and space.
TEST_F(LiveFolder, WithoutAMountLineTheVolumeComesFromThePath) {
    ASSERT_EQ(::mkdir((m_dir + "/a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((m_dir + "/a/b").c_str(), 0755), 0);
    const std::optional<MountEntry> listed = FindMountedVolume(m_dir);
    ASSERT_TRUE(listed);
    ASSERT_TRUE(listed->inMountTable);
    const std::optional<MountEntry> bare = FindMountedVolumeIn({}, m_dir + "/a/b");
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->inMountTable);
    EXPECT_EQ(bare->mountPoint, listed->mountPoint);
    EXPECT_EQ(GetDriveType(*bare), 3u);

    DiskSpace fromTable, fromPath;
    ASSERT_TRUE(GetDiskSpace(*listed, fromTable));
    ASSERT_TRUE(GetDiskSpace(*bare, fromPath));
    EXPECT_EQ(fromPath.totalBytes, fromTable.totalBytes);
    EXPECT_EQ(fromPath.clusterSize, fromTable.clusterSize);

    std::u16string label, again;
    uint32_t serial = 0, serialAgain = 1;
    ASSERT_TRUE(GetVolumeInformation(*bare, label, serial));
    ASSERT_TRUE(GetVolumeInformation(*bare, again, serialAgain));
    EXPECT_EQ(serial, serialAgain) << "the serial number is stable";
    EXPECT_EQ(label, again);

    // A line of another mount whose mount point covers the path is not
    // taken for it when the kernel names the mount of the path.
    struct statx sx {};
    ASSERT_EQ(::statx(AT_FDCWD, m_dir.c_str(), 0, STATX_MNT_ID, &sx), 0);
    if (sx.stx_mask & STATX_MNT_ID) {
        MountEntry other = *listed;
        other.mountId = sx.stx_mnt_id + 1;
        other.mountPoint = "/";
        const std::optional<MountEntry> found = FindMountedVolumeIn({other}, m_dir);
        ASSERT_TRUE(found);
        EXPECT_FALSE(found->inMountTable);
    }
    EXPECT_FALSE(FindMountedVolumeIn({}, m_dir + "/missing"));
}

// The temporary folder's file system keeps case apart (it is not FAT); the
// probe finds a folder again under swapped case only where it is the same
// folder.
TEST_F(LiveFolder, CaseFoldingByTypeAndByProbe) {
    for (const char* name : {"/tree", "/Twin", "/tWIN", "/2010"}) ASSERT_EQ(::mkdir((m_dir + name).c_str(), 0755), 0);
    const std::optional<MountEntry> mount = FindMountedVolume(m_dir);
    ASSERT_TRUE(mount);
    EXPECT_FALSE(FoldsCase(mount->mountPoint, m_dir + "/tree"));
    EXPECT_FALSE(ProbeCaseFolding(m_dir, m_dir + "/tree")) << "no twin";
    EXPECT_FALSE(ProbeCaseFolding(m_dir, m_dir + "/Twin")) << "a twin that is another folder";
    EXPECT_FALSE(ProbeCaseFolding(m_dir, m_dir + "/2010")) << "no letters";
    EXPECT_FALSE(ProbeCaseFolding(m_dir, m_dir)) << "the mount point itself";
    EXPECT_FALSE(ProbeCaseFolding(m_dir + "/tr", m_dir + "/tree")) << "not below the mount point";

    // The same folder under the swapped name: a bind mount of tree at TREE,
    // in a mount namespace of a child's own.
    ASSERT_EQ(::mkdir((m_dir + "/TREE").c_str(), 0755), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) ::_exit(77);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount((m_dir + "/tree").c_str(), (m_dir + "/TREE").c_str(), nullptr, MS_BIND, nullptr) != 0)
            ::_exit(77);
        ::_exit(ProbeCaseFolding(m_dir, m_dir + "/tree") ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace of our own here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the bind-mounted twin is the same folder";
}

TEST(LiveVolumesTest, ListedVolumesAreRealAndSorted) {
    const std::vector<MountEntry> volumes = ListMountedVolumes();
    ASSERT_FALSE(volumes.empty());
    for (size_t i = 0; i < volumes.size(); ++i) {
        EXPECT_FALSE(IsPseudoFileSystem(volumes[i].fsType)) << volumes[i].mountPoint;
        if (i > 0) {
            EXPECT_GT(volumes[i - 1].mountPoint, volumes[i].mountPoint);
        }
    }
}

}  // namespace
}  // namespace volcatra
