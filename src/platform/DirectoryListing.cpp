#include "platform/DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace volcatra {

namespace {

// What every listing of one read shares: the mount the top folder lies on
// and whether the real DOS attributes can be asked for.
struct ListingVolume {
    bool hasMountId = false;
    uint64_t mountId = 0;
    dev_t device = 0;
    bool fat = false;
};

constexpr unsigned kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT;
constexpr unsigned kStatxMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_MNT_ID;
constexpr int kOpenFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

ItemKind KindFromMode(unsigned mode) {
    if (S_ISDIR(mode)) return ItemKind::Folder;
    if (S_ISREG(mode)) return ItemKind::RegularFile;
    if (S_ISLNK(mode)) return ItemKind::SymbolicLink;
    return ItemKind::Other;
}

ItemKind KindFromDirentType(unsigned char type) {
    switch (type) {
        case DT_DIR:
            return ItemKind::Folder;
        case DT_REG:
            return ItemKind::RegularFile;
        case DT_LNK:
            return ItemKind::SymbolicLink;
        default:
            return ItemKind::Other;
    }
}

uint16_t PosixAttributes(const DirectoryItem& item, unsigned mode, bool modeKnown) {
    uint16_t attributes = 0;
    if (item.kind == ItemKind::Folder) attributes |= 0x10;
    if (item.kind == ItemKind::RegularFile) attributes |= 0x20;
    if (modeKnown && (mode & S_IWUSR) == 0) attributes |= 0x01;
    if (!item.name.empty() && item.name[0] == '.') attributes |= 0x02;
    return attributes;
}

// The DOS attributes of a FAT item, asked of the vfat driver. Only folders
// and regular files are opened for it.
bool FatAttributes(int folderFd, const DirectoryItem& item, uint16_t& attributes) {
    if (item.kind != ItemKind::Folder && item.kind != ItemKind::RegularFile) return false;
    const int fd = ::openat(folderFd, item.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    uint32_t value = 0;
    const bool ok = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &value) == 0;
    ::close(fd);
    if (!ok) return false;
    attributes = uint16_t(value & 0xFFFF);
    if (item.kind == ItemKind::Folder) attributes |= 0x10;
    return true;
}

// The names of a folder are read with getdents64 into a buffer of the
// listing's own rather than through opendir/readdir: fdopendir costs three
// more system calls per folder (a stat and two fcntl), a tenth of a read's
// system calls in a tree of small folders.
class LocalListing : public IDirectoryListing {
public:
    LocalListing(int fd, std::shared_ptr<const ListingVolume> volume)
        : m_fd(fd), m_volume(std::move(volume)), m_buffer(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}
    ~LocalListing() override { ::close(m_fd); }
    LocalListing(const LocalListing&) = delete;
    LocalListing& operator=(const LocalListing&) = delete;

    ListingStatus Next(DirectoryItem& item) override {
        const int folderFd = m_fd;
        for (;;) {
            if (m_next >= m_filled) {
                const ssize_t got = ::getdents64(m_fd, m_buffer.get(), kBufferSize);
                if (got < 0) {
                    if (errno == EINTR) continue;
                    m_error = errno;
                    return ListingStatus::Failed;
                }
                if (got == 0) return ListingStatus::End;
                m_filled = size_t(got);
                m_next = 0;
            }
            const auto* d = reinterpret_cast<const dirent64*>(m_buffer.get() + m_next);
            if (d->d_reclen == 0) {  // never from a sound kernel; no endless loop either way
                m_error = EIO;
                return ListingStatus::Failed;
            }
            m_next += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            item.name.assign(name);
            struct statx sx {};
            if (::statx(folderFd, name, kStatxFlags, kStatxMask, &sx) != 0) {
                if (errno == ENOENT) continue;  // removed since it was listed
                // A folder that may be read but not searched lists names
                // only: keep what the listing itself tells.
                item.kind = KindFromDirentType(d->d_type);
                item.size = 0;
                item.time = 0;
                item.otherFileSystem = false;
                item.attributes = PosixAttributes(item, 0, false);
                return ListingStatus::Item;
            }
            item.kind = KindFromMode(sx.stx_mode);
            item.size = item.kind == ItemKind::RegularFile || item.kind == ItemKind::SymbolicLink ? sx.stx_size : 0;
            item.time = sx.stx_mtime.tv_sec;
            item.otherFileSystem = item.kind == ItemKind::Folder && IsOtherFileSystem(sx);
            if (!m_volume->fat || !FatAttributes(folderFd, item, item.attributes))
                item.attributes = PosixAttributes(item, sx.stx_mode, true);
            return ListingStatus::Item;
        }
    }

    std::unique_ptr<IDirectoryListing> OpenSubfolder(const std::string& name, int& error) override {
        const int fd = ::openat(m_fd, name.c_str(), kOpenFolderFlags | O_NOFOLLOW);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        try {
            return std::make_unique<LocalListing>(fd, m_volume);
        } catch (...) {
            ::close(fd);
            throw;
        }
    }

    int Error() const override { return m_error; }

private:
    bool IsOtherFileSystem(const struct statx& sx) const {
        if (m_volume->hasMountId && (sx.stx_mask & STATX_MNT_ID)) return sx.stx_mnt_id != m_volume->mountId;
        return makedev(sx.stx_dev_major, sx.stx_dev_minor) != m_volume->device;
    }

    static constexpr size_t kBufferSize = 32 * 1024;

    int m_fd;
    std::shared_ptr<const ListingVolume> m_volume;
    std::unique_ptr<char[]> m_buffer;
    size_t m_filled = 0;
    size_t m_next = 0;
    int m_error = 0;
};

}  // namespace

bool LocalFileSystem::GetVolumeInformation(const std::string& rootPath, std::u16string& label, uint32_t& serialNumber) {
    const std::optional<MountEntry> mount = FindMountedVolume(rootPath);
    return mount && volcatra::GetVolumeInformation(*mount, label, serialNumber);
}

bool LocalFileSystem::GetDiskSpace(const std::string& rootPath, DiskSpace& space) {
    const std::optional<MountEntry> mount = FindMountedVolume(rootPath);
    return mount && volcatra::GetDiskSpace(*mount, space);
}

bool LocalFileSystem::FoldsCase(const std::string& rootPath, const std::string& path) {
    return volcatra::FoldsCase(rootPath, path);
}

std::unique_ptr<IDirectoryListing> LocalFileSystem::OpenFolder(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), kOpenFolderFlags);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    auto volume = std::make_shared<ListingVolume>();
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, STATX_MNT_ID, &sx) == 0) {
        volume->hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
        volume->mountId = sx.stx_mnt_id;
        volume->device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    }
    struct statfs fs {};
    volume->fat = ::fstatfs(fd, &fs) == 0 && fs.f_type == MSDOS_SUPER_MAGIC;
    try {
        return std::make_unique<LocalListing>(fd, std::move(volume));
    } catch (...) {
        ::close(fd);
        throw;
    }
}

}  // namespace volcatra
