#include "model/TemporaryFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace volcatra {

namespace {

constexpr size_t kRandomLength = 6;

bool IsRandomCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A lock on the whole file, of the given type.
struct flock WholeFile(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // to the end, however far the file grows
    lock.l_pid = 0;  // required for open-file-description locks
    return lock;
}

// Whether the file's last change lies at least minAge before now. A time in
// the future (a clock of another machine ahead of ours) is not old.
bool OldEnough(const struct stat& st, std::chrono::seconds minAge) {
    struct timespec now {};
    if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
    const std::chrono::nanoseconds changed =
        std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec);
    const std::chrono::nanoseconds current = std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    return current - changed >= minAge;
}

// Removes one left-behind temporary file of the open folder when it is old
// enough and no writer holds it.
bool RemoveIfStale(int dirFd, const char* name, std::chrono::seconds minAge) {
    // Read-only is enough to probe: a read lock conflicts with the writer's
    // write lock, and the file may belong to another user of a shared folder.
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    bool removed = false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && OldEnough(st, minAge)) {
        struct flock lock = WholeFile(F_RDLCK);
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
            // Still the same file under that name (not replaced meanwhile)?
            struct stat now {};
            if (::fstatat(dirFd, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev &&
                now.st_ino == st.st_ino)
                removed = ::unlinkat(dirFd, name, 0) == 0;
        }
        // A lock that cannot be taken (EAGAIN, EACCES) belongs to a writer
        // still at work; one that cannot be tried at all (ENOLCK, EINVAL on a
        // file system without locks) tells nothing: either way the file stays.
    }
    ::close(fd);  // also ends the probing lock
    return removed;
}

}  // namespace

bool IsTemporaryFileName(std::string_view name) {
    const std::string_view prefix = kTemporaryFilePrefix;
    const std::string_view suffix = kTemporaryFileSuffix;
    if (name.size() != prefix.size() + kRandomLength + suffix.size()) return false;
    if (name.substr(0, prefix.size()) != prefix || name.substr(name.size() - suffix.size()) != suffix) return false;
    for (const char c : name.substr(prefix.size(), kRandomLength))
        if (!IsRandomCharacter(c)) return false;
    return true;
}

int CreateLockedTemporaryFile(const std::string& folder, std::string& path) {
    std::string name = folder + kTemporaryFilePrefix + std::string(kRandomLength, 'X') + kTemporaryFileSuffix;
    const int fd = ::mkostemps(name.data(), int(std::char_traits<char>::length(kTemporaryFileSuffix)), O_CLOEXEC);
    if (fd < 0) return -1;
    struct flock lock = WholeFile(F_WRLCK);
    // Nobody else can hold a lock on a file just created under a new name;
    // a failure means the file system does not lock, and the save goes on.
    (void)::fcntl(fd, F_OFD_SETLK, &lock);
    path = std::move(name);
    return fd;
}

size_t RemoveStaleTemporaryFiles(const std::string& folder, std::chrono::seconds minAge) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return 0;
    }
    size_t removed = 0;
    while (const dirent* d = ::readdir(dir)) {
        if (d->d_type != DT_REG && d->d_type != DT_UNKNOWN) continue;
        if (!IsTemporaryFileName(d->d_name)) continue;
        if (RemoveIfStale(::dirfd(dir), d->d_name, minAge)) ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace volcatra
