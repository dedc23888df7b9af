// Mounted file systems: what stands in for drive letters on Linux.
//
// A volume is a line of /proc/self/mountinfo. For a volume the catalogue
// wants the facts a drive letter gives elsewhere: label, 32-bit serial
// number, drive type code, bytes in use and sector size. Serial numbers
// follow what the same medium shows on Windows wherever that is knowable,
// so that catalogues move between systems.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace volcatra {

// One line of /proc/self/mountinfo.
struct MountEntry {
    uint64_t mountId = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
    std::string root;        // the folder of the file system that is mounted here
    std::string mountPoint;  // unescaped bytes
    std::string fsType;
    std::string source;  // unescaped bytes ("/dev/sdb1", "//host/share", "tmpfs")
    // False for a volume taken from a path that no line of the mount table
    // names (MountFromPath): its facts come from the path itself.
    bool inMountTable = true;
};

// Parses the text of /proc/self/mountinfo. Lines that do not have the
// expected fields are skipped; "\040"-style escapes are undone.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// File systems that hold no user data (proc, sysfs, cgroup, ...).
bool IsPseudoFileSystem(std::string_view fsType);

// The mounted file systems without pseudo file systems, one per mount point
// (the one mounted last where several are stacked), in descending byte
// order of their mount points.
std::vector<MountEntry> ListMountedVolumes();

// The entry whose mount point is the longest prefix (by whole components)
// of the absolute, normalised path; among equal mount points the last one
// wins. nullptr when there is none.
const MountEntry* FindMountByPrefix(const std::vector<MountEntry>& mounts, std::string_view path);

// The mounted file system that holds an existing path: by the mount id of
// statx when the kernel reports it, otherwise by the longest mount-point
// prefix of the resolved path. When the mount table has no line for it (a
// chroot, some containers and sandboxes), the volume is taken from the path
// itself (MountFromPath). nullopt only when the path cannot be examined.
std::optional<MountEntry> FindMountedVolume(const std::string& path);

// The same over a given mount table.
std::optional<MountEntry> FindMountedVolumeIn(const std::vector<MountEntry>& mounts, const std::string& path);

// A volume for an existing path without the mount table: its mount point is
// the highest folder above the resolved path on the same mount (the same
// mount id, or device where the kernel reports no mount id), its type the
// name of the file-system magic of statfs, its source empty. Such a volume
// is a fixed drive; its label and serial number come from the mount point
// itself (GetVolumeInformation), its space from statvfs.
std::optional<MountEntry> MountFromPath(const std::string& path);

// Whether the file system holding path looks names up without regard to
// case, for the part of path below the mount point rootPath. Known from
// the file-system type where that is certain (FAT and exFAT fold; ext2/3/4,
// XFS, btrfs and tmpfs do not); otherwise probed (ProbeCaseFolding).
bool FoldsCase(const std::string& rootPath, const std::string& path);

// Whether the folder path, below the mount point rootPath, is found again
// with the case of the ASCII letters of that part swapped: the same device
// and inode. False when that part has no letters to swap.
bool ProbeCaseFolding(const std::string& rootPath, const std::string& path);

// What sysfs tells about the block device behind a mount.
struct BlockDeviceFacts {
    bool known = false;             // a block device was found
    std::string diskName;           // "sda", "sr0", "loop3", "mmcblk0" (the whole disk, not the partition)
    uint32_t diskMajor = 0;         // major number of the whole disk
    bool removable = false;         // /sys/block/<disk>/removable is 1
    uint32_t logicalBlockSize = 0;  // 0 when unknown
};

BlockDeviceFacts ProbeBlockDevice(const MountEntry& mount);

// Drive type codes (2 removable, 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk);
// 0 for pseudo file systems; 3 for a volume taken from a path (MountFromPath).
uint32_t ClassifyDriveType(const MountEntry& mount, const BlockDeviceFacts& device);

// The drive type of a mounted volume.
uint32_t GetDriveType(const MountEntry& mount);

// The 32-bit serial number that belongs to a file-system UUID as blkid
// prints it: FAT and exFAT "1234-ABCD" as they are, NTFS the low 32 bits of
// its 64-bit serial, ISO 9660 and UDF a stable hash of the UUID text, other
// file systems the first 32 bits of the UUID. 0 for an empty UUID.
uint32_t SerialFromUuid(std::string_view fsType, std::string_view uuid);

// A stable 32-bit value for a volume without a UUID (tmpfs, network shares).
uint32_t SerialFromSource(const MountEntry& mount);

// The serial number Windows shows for an optical disc, computed over the
// volume descriptors read from fd (an image file or a readable device):
// for ISO 9660 four wrapping byte sums over the Joliet supplementary
// descriptor (else the primary one), for UDF the same over the File Set
// Descriptor with the lanes in reverse order. sessionStart is the first
// sector of the last session of a multisession disc (0 otherwise).
std::optional<uint32_t> OpticalDiscSerial(int fd, std::string_view fsType, uint64_t sessionStart = 0);

// Label and serial number of a volume as probed on its device or image.
struct VolumeIdentity {
    std::string fsType;
    std::u16string label;
    std::string uuid;
    std::optional<uint32_t> serialNumber;
};

// Probes a block device or an image file with libblkid (and the optical
// checksum for ISO 9660 and UDF). Anything else (FIFOs, character devices)
// is refused without being read. False when nothing was recognised.
bool ProbeVolumeIdentity(const std::string& deviceOrImage, VolumeIdentity& identity);

// Decodes a label as the file system stores it: FAT labels are in the ANSI
// code page, every other file system reports UTF-8.
std::u16string DecodeLabel(std::string_view fsType, std::string_view bytes);

// Label and serial number of a mounted volume, from the sources that need
// no privileges first: the label ioctl on the mount point, the FAT volume
// id ioctl, /dev/disk/by-label and by-uuid, then libblkid on the device
// when it can be read. Fills what it finds; false only when the mount point
// itself cannot be opened.
bool GetVolumeInformation(const MountEntry& mount, std::u16string& label, uint32_t& serialNumber);

// Space of a mounted volume as the catalogue records it.
struct DiskSpace {
    uint64_t totalBytes = 0;
    uint64_t usedBytes = 0;       // (blocks - free blocks) x fragment size, as df shows it
    uint32_t sectorSize = 512;    // logical block size of the device; 2048 for optical discs
    uint32_t clusterSize = 4096;  // fragment size of the file system
};

bool GetDiskSpace(const MountEntry& mount, DiskSpace& space);

}  // namespace volcatra
