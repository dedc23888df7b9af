#include "platform/ByteSource.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace volcatra {

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return nullptr;
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat opened {};
    uint64_t size = 0;
    bool ok = ::fstat(fd, &opened) == 0;
    if (ok && S_ISREG(opened.st_mode))
        size = uint64_t(opened.st_size);
    else if (ok && S_ISBLK(opened.st_mode))
        ok = ::ioctl(fd, BLKGETSIZE64, &size) == 0;
    else
        ok = false;
    if (!ok) {
        const int error = errno ? errno : EINVAL;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    return std::make_unique<FileByteSource>(fd, size, true);
}

FileByteSource::FileByteSource(int fd, uint64_t size, bool owned) : m_fd(fd), m_size(size), m_owned(owned) {}

FileByteSource::~FileByteSource() {
    if (m_owned && m_fd >= 0) ::close(m_fd);
}

bool FileByteSource::Read(uint64_t offset, void* buffer, size_t count) const {
    if (offset > m_size || count > m_size - offset) return false;
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(m_fd, out + done, count - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

bool MemoryByteSource::Read(uint64_t offset, void* buffer, size_t count) const {
    if (offset > m_size || count > m_size - offset) return false;
    if (count) std::memcpy(buffer, m_data + offset, count);
    return true;
}

DiscSectorSource::DiscSectorSource(const IByteSource& image, SectorLayout layout)
    : m_image(image), m_layout(layout), m_size(0) {
    const uint64_t frames = image.Size() / layout.frameSize;
    // A last frame cut short still holds its data part when that is whole.
    const uint64_t rest = image.Size() % layout.frameSize;
    m_size = frames * kDiscSectorSize + (rest >= layout.dataOffset + kDiscSectorSize ? kDiscSectorSize : 0);
}

bool DiscSectorSource::Read(uint64_t offset, void* buffer, size_t count) const {
    if (offset > m_size || count > m_size - offset) return false;
    if (!m_layout.IsRaw()) return m_image.Read(offset, buffer, count);
    auto* out = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        const uint64_t sector = offset / kDiscSectorSize;
        const uint32_t within = uint32_t(offset % kDiscSectorSize);
        const size_t piece = std::min<size_t>(count, kDiscSectorSize - within);
        if (!m_image.Read(sector * m_layout.frameSize + m_layout.dataOffset + within, out, piece)) return false;
        out += piece;
        offset += piece;
        count -= piece;
    }
    return true;
}

namespace {

std::mutex& EmbeddedLock() {
    static std::mutex lock;
    return lock;
}

std::vector<std::pair<std::string, IEmbeddedFiles*>>& EmbeddedProviders() {
    static std::vector<std::pair<std::string, IEmbeddedFiles*>> providers;
    return providers;
}

}  // namespace

void RegisterEmbeddedFiles(const std::string& prefix, IEmbeddedFiles* files) {
    const std::lock_guard<std::mutex> guard(EmbeddedLock());
    EmbeddedProviders().emplace_back(prefix, files);
}

void UnregisterEmbeddedFiles(IEmbeddedFiles* files) {
    const std::lock_guard<std::mutex> guard(EmbeddedLock());
    auto& providers = EmbeddedProviders();
    std::erase_if(providers, [files](const auto& p) { return p.second == files; });
}

std::unique_ptr<IByteSource> OpenEmbeddedFile(const std::string& path) {
    const std::lock_guard<std::mutex> guard(EmbeddedLock());
    // The provider registered last wins (an image read again while an older
    // read of it is still running).
    const auto& providers = EmbeddedProviders();
    for (auto it = providers.rbegin(); it != providers.rend(); ++it) {
        const std::string& prefix = it->first;
        if (path.size() > prefix.size() + 1 && path.compare(0, prefix.size(), prefix) == 0 &&
            path[prefix.size()] == '/')
            return it->second->OpenEmbeddedFile(path);
    }
    return nullptr;
}

}  // namespace volcatra
