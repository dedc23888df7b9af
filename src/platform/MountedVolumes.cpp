#include "platform/MountedVolumes.h"

#include <blkid.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "model/AnsiCodePage.h"
#include "model/FileNameCodec.h"
#include "platform/OpticalDescriptors.h"

namespace volcatra {

namespace {

constexpr uint32_t kOpticalSectorSize = 2048;

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

// Undoes the "\ooo" escapes of mountinfo (blank, tab, newline, backslash).
std::string UnescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            out.push_back(char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

std::vector<std::string_view> SplitBlanks(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool ParseUnsigned(std::string_view text, uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + uint64_t(c - '0');
    }
    return true;
}

bool ReadSmallFile(const std::string& path, std::string& text) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.Valid()) return false;
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        text.append(buffer, size_t(n));
        if (text.size() > (64u << 20)) return false;  // no mount table is that large
    }
    return true;
}

std::string ReadSysfsValue(const std::string& path) {
    std::string text;
    if (!ReadSmallFile(path, text)) return {};
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

uint32_t Fnv1a(std::string_view text) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The device number behind a mount: from mountinfo, or (for file systems
// that report an anonymous device, such as btrfs) from the source when it
// is a block device.
std::optional<dev_t> MountDevice(const MountEntry& mount) {
    if (mount.major != 0) return makedev(mount.major, mount.minor);
    struct stat st {};
    if (!mount.source.empty() && mount.source[0] == '/' && ::stat(mount.source.c_str(), &st) == 0 &&
        S_ISBLK(st.st_mode))
        return st.st_rdev;
    return std::nullopt;
}

// A path that opens the block device with the given number.
std::string DevicePath(const MountEntry& mount, dev_t device) {
    struct stat st {};
    if (!mount.source.empty() && mount.source[0] == '/' && ::stat(mount.source.c_str(), &st) == 0 &&
        S_ISBLK(st.st_mode) && st.st_rdev == device)
        return mount.source;
    const std::string byNumber = "/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    if (::stat(byNumber.c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device) return byNumber;
    return {};
}

// udev names links in /dev/disk/by-* with "\xHH" escapes for unsafe bytes.
std::string UnescapeUdevName(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && HexValue(name[i + 2]) >= 0 &&
            HexValue(name[i + 3]) >= 0) {
            out.push_back(char(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3])));
            i += 3;
        } else {
            out.push_back(name[i]);
        }
    }
    return out;
}

// The name of the link in folder (such as /dev/disk/by-uuid) that points
// to the device; empty when there is none.
std::string FindUdevLink(const char* folder, dev_t device) {
    DIR* dir = ::opendir(folder);
    if (!dir) return {};
    std::string found;
    while (dirent* d = ::readdir(dir)) {
        if (d->d_name[0] == '.') continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), d->d_name, &st, 0) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device) {
            found = UnescapeUdevName(d->d_name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool IsFatType(std::string_view fsType) {
    return fsType == "vfat" || fsType == "msdos" || fsType == "fat" || fsType == "umsdos";
}

bool IsOpticalType(std::string_view fsType) {
    return fsType == "iso9660" || fsType == "udf";
}

// Opens a regular file or block device for probing; anything else is
// refused before it is opened, so no FIFO or character device is touched.
int OpenForProbe(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !(S_ISREG(opened.st_mode) || S_ISBLK(opened.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The mountinfo name of a file system by the magic number statfs reports,
// for the types whose name changes what is read (FAT labels, optical
// serial numbers) and a few common ones; empty for the others.
std::string FileSystemTypeName(uint32_t magic) {
    switch (magic) {
        case MSDOS_SUPER_MAGIC:
            return "vfat";
        case EXFAT_SUPER_MAGIC:
            return "exfat";
        case ISOFS_SUPER_MAGIC:
            return "iso9660";
        case UDF_SUPER_MAGIC:
            return "udf";
        case EXT4_SUPER_MAGIC:
            return "ext4";
        case XFS_SUPER_MAGIC:
            return "xfs";
        case BTRFS_SUPER_MAGIC:
            return "btrfs";
        case TMPFS_MAGIC:
            return "tmpfs";
        default:
            return {};
    }
}

// A serial number from the file-system id statfs reports (on most file
// systems derived from the UUID or the device); nullopt when it is 0.
std::optional<uint32_t> SerialFromFsid(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return std::nullopt;
    int words[2];
    static_assert(sizeof(words) == sizeof(fs.f_fsid));
    std::memcpy(words, &fs.f_fsid, sizeof(words));
    const uint32_t serial = uint32_t(words[0]) ^ uint32_t(words[1]);
    if (serial == 0) return std::nullopt;
    return serial;
}

bool SameMount(const struct statx& a, const struct statx& b) {
    if ((a.stx_mask & STATX_MNT_ID) && (b.stx_mask & STATX_MNT_ID)) return a.stx_mnt_id == b.stx_mnt_id;
    return a.stx_dev_major == b.stx_dev_major && a.stx_dev_minor == b.stx_dev_minor;
}

uint64_t MultisessionStart(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISBLK(st.st_mode)) return 0;
    cdrom_multisession ms{};
    ms.addr_format = CDROM_LBA;
    if (::ioctl(fd, CDROMMULTISESSION, &ms) != 0 || !ms.xa_flag || ms.addr.lba < 0) return 0;
    return uint64_t(ms.addr.lba);
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::vector<std::string_view> f = SplitBlanks(text.substr(start, end - start));
        start = end + 1;
        // id parent major:minor root mount-point options [optional...] - type source super-options
        if (f.size() < 7) continue;
        size_t dash = 6;
        while (dash < f.size() && f[dash] != "-") ++dash;
        if (dash + 2 >= f.size()) continue;
        MountEntry m;
        uint64_t id = 0, major = 0, minor = 0;
        const size_t colon = f[2].find(':');
        if (!ParseUnsigned(f[0], id) || colon == std::string_view::npos ||
            !ParseUnsigned(f[2].substr(0, colon), major) || !ParseUnsigned(f[2].substr(colon + 1), minor) ||
            major > UINT32_MAX || minor > UINT32_MAX)
            continue;
        m.mountId = id;
        m.major = uint32_t(major);
        m.minor = uint32_t(minor);
        m.root = UnescapeMountField(f[3]);
        m.mountPoint = UnescapeMountField(f[4]);
        m.fsType = UnescapeMountField(f[dash + 1]);
        m.source = UnescapeMountField(f[dash + 2]);
        if (m.mountPoint.empty() || m.mountPoint[0] != '/') continue;
        mounts.push_back(std::move(m));
    }
    return mounts;
}

bool IsPseudoFileSystem(std::string_view fsType) {
    static constexpr std::string_view kPseudo[] = {
        "proc",     "sysfs",      "cgroup", "cgroup2",  "devpts",    "debugfs",     "tracefs",   "securityfs",
        "mqueue",   "fusectl",    "bpf",    "autofs",   "pstore",    "configfs",    "hugetlbfs", "binfmt_misc",
        "efivarfs", "rpc_pipefs", "nsfs",   "devtmpfs", "selinuxfs", "fuse.portal", "nfsd"};
    return std::find(std::begin(kPseudo), std::end(kPseudo), fsType) != std::end(kPseudo);
}

std::vector<MountEntry> ListMountedVolumes() {
    std::string text;
    if (!ReadSmallFile("/proc/self/mountinfo", text)) return {};
    std::vector<MountEntry> all = ParseMountInfo(text);
    std::vector<MountEntry> volumes;
    // Walk from the end so that the mount on top of a stack comes first.
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (IsPseudoFileSystem(it->fsType)) continue;
        const bool seen = std::any_of(volumes.begin(), volumes.end(),
                                      [&](const MountEntry& v) { return v.mountPoint == it->mountPoint; });
        if (!seen) volumes.push_back(std::move(*it));
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const MountEntry& a, const MountEntry& b) { return a.mountPoint > b.mountPoint; });
    return volumes;
}

const MountEntry* FindMountByPrefix(const std::vector<MountEntry>& mounts, std::string_view path) {
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts) {
        const std::string_view mp = m.mountPoint;
        const bool covers = mp == "/" || (StartsWith(path, mp) && (path.size() == mp.size() || path[mp.size()] == '/'));
        if (covers && (!best || mp.size() >= best->mountPoint.size())) best = &m;
    }
    return best;
}

std::optional<MountEntry> FindMountedVolume(const std::string& path) {
    std::string text;
    std::vector<MountEntry> mounts;
    if (ReadSmallFile("/proc/self/mountinfo", text)) mounts = ParseMountInfo(text);
    return FindMountedVolumeIn(mounts, path);
}

std::optional<MountEntry> FindMountedVolumeIn(const std::vector<MountEntry>& mounts, const std::string& path) {
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_NO_AUTOMOUNT, STATX_MNT_ID, &sx) != 0) return std::nullopt;
    if (sx.stx_mask & STATX_MNT_ID) {
        for (const MountEntry& m : mounts)
            if (m.mountId == sx.stx_mnt_id) return m;
        // The mount id is certain: a line with another id that happens to
        // cover the path would name another mount.
        return MountFromPath(path);
    }
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    const std::string real = resolved;
    std::free(resolved);
    if (const MountEntry* found = FindMountByPrefix(mounts, real)) return *found;
    return MountFromPath(path);
}

std::optional<MountEntry> MountFromPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    std::string top = resolved;
    std::free(resolved);
    constexpr unsigned kFlags = AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT;
    struct statx held {};
    if (::statx(AT_FDCWD, top.c_str(), kFlags, STATX_MNT_ID, &held) != 0) return std::nullopt;
    // Up to the last folder on the same mount (the root of a chroot at most).
    while (top != "/") {
        const std::string parent = ParentFolder(top);
        struct statx above {};
        if (::statx(AT_FDCWD, parent.c_str(), kFlags, STATX_MNT_ID, &above) != 0 || !SameMount(held, above)) break;
        top = parent;
    }
    MountEntry mount;
    mount.mountId = (held.stx_mask & STATX_MNT_ID) ? held.stx_mnt_id : 0;
    mount.major = held.stx_dev_major;
    mount.minor = held.stx_dev_minor;
    mount.mountPoint = top;
    struct statfs fs {};
    if (::statfs(top.c_str(), &fs) == 0) mount.fsType = FileSystemTypeName(uint32_t(fs.f_type));
    mount.inMountTable = false;
    return mount;
}

bool FoldsCase(const std::string& rootPath, const std::string& path) {
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) == 0) {
        switch (uint32_t(fs.f_type)) {
            case MSDOS_SUPER_MAGIC:  // vfat and msdos
            case EXFAT_SUPER_MAGIC:
                return true;
            case EXT4_SUPER_MAGIC:  // ext2, ext3 and ext4
            case XFS_SUPER_MAGIC:
            case BTRFS_SUPER_MAGIC:
            case TMPFS_MAGIC:
                return false;
            default:
                break;
        }
    }
    return ProbeCaseFolding(rootPath, path);
}

bool ProbeCaseFolding(const std::string& rootPath, const std::string& path) {
    size_t below = 0;
    if (rootPath != "/") {
        if (path.compare(0, rootPath.size(), rootPath) != 0) return false;
        if (path.size() > rootPath.size() && path[rootPath.size()] != '/') return false;
        below = rootPath.size();
    }
    std::string swapped = path;
    bool changed = false;
    for (size_t i = below; i < swapped.size(); ++i) {
        char& c = swapped[i];
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
            changed = true;
        } else if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
            changed = true;
        }
    }
    if (!changed) return false;
    struct stat original {};
    struct stat twin {};
    if (::lstat(path.c_str(), &original) != 0 || ::lstat(swapped.c_str(), &twin) != 0) return false;
    return original.st_dev == twin.st_dev && original.st_ino == twin.st_ino;
}

BlockDeviceFacts ProbeBlockDevice(const MountEntry& mount) {
    BlockDeviceFacts facts;
    const std::optional<dev_t> device = MountDevice(mount);
    if (!device) return facts;
    const std::string link = "/sys/dev/block/" + std::to_string(major(*device)) + ":" + std::to_string(minor(*device));
    char* resolved = ::realpath(link.c_str(), nullptr);
    if (!resolved) return facts;
    std::string folder = resolved;
    std::free(resolved);
    struct stat st {};
    if (::stat((folder + "/partition").c_str(), &st) == 0) folder = ParentFolder(folder);
    facts.known = true;
    facts.diskName = BaseName(folder);
    const std::string dev = ReadSysfsValue(folder + "/dev");
    uint64_t diskMajor = 0;
    if (ParseUnsigned(dev.substr(0, dev.find(':')), diskMajor) && diskMajor <= UINT32_MAX)
        facts.diskMajor = uint32_t(diskMajor);
    facts.removable = ReadSysfsValue(folder + "/removable") == "1";
    uint64_t blockSize = 0;
    if (ParseUnsigned(ReadSysfsValue(folder + "/queue/logical_block_size"), blockSize) && blockSize <= 65536)
        facts.logicalBlockSize = uint32_t(blockSize);
    return facts;
}

uint32_t ClassifyDriveType(const MountEntry& mount, const BlockDeviceFacts& device) {
    static constexpr std::string_view kRemote[] = {
        "nfs",   "nfs4",  "cifs",       "smb3",        "smbfs",           "9p",    "virtiofs",  "afs",
        "ceph",  "davfs", "fuse.sshfs", "fuse.rclone", "fuse.gvfsd-fuse", "ncpfs", "glusterfs", "fuse.glusterfs",
        "lustre"};
    if (!mount.inMountTable) return 3;  // nothing tells more about a volume taken from a path
    const std::string_view type = mount.fsType;
    if (IsPseudoFileSystem(type)) return 0;
    const std::string_view source = mount.source;
    const size_t colonSlash = source.find(":/");
    const bool remoteSource =
        StartsWith(source, "//") || (colonSlash != std::string_view::npos && colonSlash > 0 && source[0] != '/');
    if (std::find(std::begin(kRemote), std::end(kRemote), type) != std::end(kRemote) || remoteSource) return 4;
    if (type == "tmpfs" || type == "ramfs") return 6;
    if (device.known) {
        if (StartsWith(device.diskName, "zram") || StartsWith(device.diskName, "ram")) return 6;
        if (device.diskMajor == 11 || StartsWith(device.diskName, "sr")) return 5;
        if (StartsWith(device.diskName, "loop") && IsOpticalType(type)) return 5;
        if (device.removable || StartsWith(device.diskName, "mmcblk")) return 2;
        return 3;
    }
    if (IsOpticalType(type)) return 5;
    return 3;
}

uint32_t GetDriveType(const MountEntry& mount) {
    return ClassifyDriveType(mount, ProbeBlockDevice(mount));
}

uint32_t SerialFromUuid(std::string_view fsType, std::string_view uuid) {
    if (uuid.empty()) return 0;
    if (IsOpticalType(fsType)) return Fnv1a(uuid);
    std::string hex;
    for (char c : uuid)
        if (HexValue(c) >= 0) hex.push_back(c);
    const auto value = [](std::string_view digits) {
        uint32_t v = 0;
        for (char c : digits) v = v << 4 | uint32_t(HexValue(c));
        return v;
    };
    // FAT and exFAT: "1234-ABCD" is the serial itself.
    if (uuid.size() == 9 && uuid[4] == '-' && hex.size() == 8) return value(hex);
    // NTFS: 16 hex digits, most significant first; the serial is the low half.
    if (uuid.size() == 16 && hex.size() == 16) return value(std::string_view(hex).substr(8));
    if (hex.size() < 8) return Fnv1a(uuid);
    return value(std::string_view(hex).substr(0, 8));
}

uint32_t SerialFromSource(const MountEntry& mount) {
    // A network share is named by its source; a source like "tmpfs" names no
    // particular volume, so its mount point is taken in.
    const bool specific = mount.source.find('/') != std::string::npos || mount.source.find(':') != std::string::npos;
    return Fnv1a(specific ? mount.source : mount.source + ":" + mount.mountPoint);
}

// The disc's sectors behind a descriptor (an image file or a device).
std::unique_ptr<FileByteSource> DescriptorSource(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return nullptr;
    uint64_t size = 0;
    if (S_ISREG(st.st_mode))
        size = uint64_t(st.st_size);
    else if (!S_ISBLK(st.st_mode) || ::ioctl(fd, BLKGETSIZE64, &size) != 0)
        return nullptr;
    return std::make_unique<FileByteSource>(fd, size, false);
}

std::optional<uint32_t> OpticalDiscSerial(int fd, std::string_view fsType, uint64_t sessionStart) {
    const std::unique_ptr<FileByteSource> disc = DescriptorSource(fd);
    if (!disc) return std::nullopt;
    return OpticalDiscSerial(*disc, fsType, sessionStart);
}

std::u16string DecodeLabel(std::string_view fsType, std::string_view bytes) {
    if (IsFatType(fsType)) {
        try {
            return AnsiToUtf16(bytes.data(), bytes.size());
        } catch (const std::exception&) {
            // An unusable code page setting: keep the bytes reversibly.
        }
    }
    return FileNameToUtf16(bytes);
}

bool ProbeVolumeIdentity(const std::string& deviceOrImage, VolumeIdentity& identity) {
    FileDescriptor fd(OpenForProbe(deviceOrImage));
    if (!fd.Valid()) return false;
    blkid_probe probe = blkid_new_probe();
    if (!probe) return false;
    bool found = false;
    if (blkid_probe_set_device(probe, fd.Get(), 0, 0) == 0) {
        blkid_probe_enable_superblocks(probe, 1);
        blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
        if (blkid_do_safeprobe(probe) == 0) {
            const char* value = nullptr;
            size_t length = 0;
            if (blkid_probe_lookup_value(probe, "TYPE", &value, &length) == 0 && value) identity.fsType = value;
            if (blkid_probe_lookup_value(probe, "LABEL", &value, &length) == 0 && value)
                identity.label = DecodeLabel(identity.fsType, value);
            if (blkid_probe_lookup_value(probe, "UUID", &value, &length) == 0 && value) identity.uuid = value;
            found = !identity.fsType.empty();
        }
    }
    blkid_free_probe(probe);
    if (!found) return false;
    // Optical discs: label and serial number from the volume descriptors,
    // by the same rules as for an image read without mounting.
    if (IsOpticalType(identity.fsType)) {
        if (const std::unique_ptr<FileByteSource> disc = DescriptorSource(fd.Get())) {
            const uint64_t sessionStart = MultisessionStart(fd.Get());
            identity.serialNumber = OpticalDiscSerial(*disc, identity.fsType, sessionStart);
            if (std::optional<std::u16string> label = OpticalDiscLabel(*disc, identity.fsType, sessionStart))
                identity.label = std::move(*label);
        }
    }
    if (!identity.serialNumber && !identity.uuid.empty())
        identity.serialNumber = SerialFromUuid(identity.fsType, identity.uuid);
    return true;
}

bool GetVolumeInformation(const MountEntry& mount, std::u16string& label, uint32_t& serialNumber) {
    FileDescriptor root(::open(mount.mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
    if (!root.Valid()) return false;
    std::optional<std::string> labelBytes;
    std::optional<uint32_t> serial;
    char buffer[FSLABEL_MAX + 1] = {};
    if (::ioctl(root.Get(), FS_IOC_GETFSLABEL, buffer) == 0)
        labelBytes = std::string(buffer, ::strnlen(buffer, FSLABEL_MAX));
    if (IsFatType(mount.fsType)) {
        uint32_t id = 0;
        if (::ioctl(root.Get(), FAT_IOCTL_GET_VOLUME_ID, &id) == 0) serial = id;
    }
    const std::optional<dev_t> device = MountDevice(mount);
    std::string uuid;
    if (device && (!labelBytes || !serial)) {
        if (!labelBytes) {
            std::string name = FindUdevLink("/dev/disk/by-label", *device);
            if (!name.empty()) labelBytes = name;
        }
        if (!serial) uuid = FindUdevLink("/dev/disk/by-uuid", *device);
    }
    // Optical discs need the descriptors themselves; other volumes only
    // when the quicker sources had nothing.
    const bool needProbe = IsOpticalType(mount.fsType) || !labelBytes || (!serial && uuid.empty());
    if (device && needProbe) {
        const std::string path = DevicePath(mount, *device);
        VolumeIdentity identity;
        if (!path.empty() && ProbeVolumeIdentity(path, identity)) {
            // A disc's label comes from its descriptors, as for its image.
            const bool discLabel = IsOpticalType(mount.fsType) && !identity.label.empty();
            if (discLabel) labelBytes.reset();
            if (!labelBytes && !identity.label.empty()) label = identity.label;
            if (!serial && identity.serialNumber) serial = identity.serialNumber;
        }
    }
    if (labelBytes) label = DecodeLabel(mount.fsType, *labelBytes);
    if (label.size() > 255) {
        label.resize(255);
        if (label.back() >= 0xD800 && label.back() <= 0xDBFF) label.pop_back();  // half a pair
    }
    if (!serial && !uuid.empty()) serial = SerialFromUuid(mount.fsType, uuid);
    // A volume taken from a path has no source to name it by.
    if (!serial && !mount.inMountTable) serial = SerialFromFsid(root.Get());
    serialNumber = serial ? *serial : SerialFromSource(mount);
    return true;
}

bool GetDiskSpace(const MountEntry& mount, DiskSpace& space) {
    struct statvfs vfs {};
    if (::statvfs(mount.mountPoint.c_str(), &vfs) != 0) return false;
    const uint64_t fragment = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    const uint64_t usedBlocks = vfs.f_blocks >= vfs.f_bfree ? vfs.f_blocks - vfs.f_bfree : 0;
    space.totalBytes = uint64_t(vfs.f_blocks) * fragment;
    space.usedBytes = usedBlocks * fragment;
    space.clusterSize = fragment > 0 && fragment <= UINT32_MAX ? uint32_t(fragment) : 4096;
    const BlockDeviceFacts device = ProbeBlockDevice(mount);
    space.sectorSize = device.logicalBlockSize ? device.logicalBlockSize : 512;
    if (ClassifyDriveType(mount, device) == 5) space.sectorSize = std::max(space.sectorSize, kOpticalSectorSize);
    return true;
}

}  // namespace volcatra
