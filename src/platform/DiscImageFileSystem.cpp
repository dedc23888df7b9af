#include "platform/DiscImageFileSystem.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace volcatra {

std::unique_ptr<DiscImageFileSystem> DiscImageFileSystem::Open(const std::string& path, std::string& reason) {
    std::shared_ptr<const IByteSource> image = FileByteSource::Open(path);
    if (!image) {
        reason = std::strerror(errno);
        return nullptr;
    }
    return Open(std::move(image), path, reason);
}

std::unique_ptr<DiscImageFileSystem> DiscImageFileSystem::Open(std::shared_ptr<const IByteSource> image,
                                                               const std::string& path, std::string& reason) {
    try {
        const DiscImageProbe probe = ProbeDiscImage(*image);
        if (probe.unsupportedUdfBlockSize) {
            reason = "UDF with " + std::to_string(probe.unsupportedUdfBlockSize) +
                     "-byte blocks cannot be read (only 2048-byte blocks)";
            return nullptr;
        }
        if (probe.fileSystem == DiscFileSystem::None) {
            reason = "no ISO 9660 or UDF file system in the image";
            return nullptr;
        }
        std::unique_ptr<DiscImageFileSystem> fs(new DiscImageFileSystem);
        fs->m_path = path;
        fs->m_fileSystem = probe.fileSystem;
        fs->m_image = std::move(image);
        fs->m_disc = std::make_unique<DiscSectorSource>(*fs->m_image, probe.layout);
        const std::string_view type = DiscFileSystemName(probe.fileSystem);
        const std::optional<uint32_t> serial = OpticalDiscSerial(*fs->m_disc, type);
        const std::optional<std::u16string> label = OpticalDiscLabel(*fs->m_disc, type);
        const std::optional<uint64_t> used = OpticalDiscUsedBytes(*fs->m_disc, type);
        if (!serial || !label || !used) {
            reason = "the volume descriptors cannot be read";
            return nullptr;
        }
        fs->m_serialNumber = *serial;
        fs->m_label = *label;
        fs->m_usedBytes = *used;
        if (probe.fileSystem == DiscFileSystem::Udf)
            fs->m_tree = OpenUdfTree(*fs->m_disc, reason);
        else
            fs->m_tree = OpenIso9660Tree(*fs->m_disc, reason);
        if (!fs->m_tree) return nullptr;
        // The root is listed now, so that an image whose root cannot be read
        // fails here rather than reading as an empty disc.
        int error = 0;
        fs->m_root = fs->m_tree->OpenRoot(error);
        if (!fs->m_root) {
            reason = fs->m_tree->Reason();
            return nullptr;
        }
        RegisterEmbeddedFiles(path, fs.get());
        return fs;
    } catch (const std::bad_alloc&) {
        reason = std::strerror(ENOMEM);
        return nullptr;
    }
}

DiscImageFileSystem::~DiscImageFileSystem() {
    UnregisterEmbeddedFiles(this);
}

bool DiscImageFileSystem::GetVolumeInformation(const std::string&, std::u16string& label, uint32_t& serialNumber) {
    label = m_label;
    serialNumber = m_serialNumber;
    return true;
}

bool DiscImageFileSystem::GetDiskSpace(const std::string&, DiskSpace& space) {
    space.totalBytes = m_usedBytes;
    space.usedBytes = m_usedBytes;
    space.sectorSize = kDiscSectorSize;
    space.clusterSize = kDiscSectorSize;
    return true;
}

std::unique_ptr<IDirectoryListing> DiscImageFileSystem::OpenFolder(const std::string& path, int& error) {
    if (path != m_path) {
        error = ENOENT;
        return nullptr;
    }
    if (m_root) return std::move(m_root);
    std::unique_ptr<IDirectoryListing> root = m_tree->OpenRoot(error);
    return root;
}

bool DiscImageFileSystem::FoldsCase(const std::string&, const std::string&) {
    return false;
}

std::string DiscImageFileSystem::FailureReason() const {
    return m_tree ? m_tree->Reason() : std::string();
}

std::unique_ptr<IByteSource> DiscImageFileSystem::OpenEmbeddedFile(const std::string& path) {
    if (path.size() <= m_path.size() + 1 || path.compare(0, m_path.size(), m_path) != 0 || path[m_path.size()] != '/')
        return nullptr;
    return m_tree->OpenFile(path.substr(m_path.size() + 1));
}

bool IsDiscImageFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const std::unique_ptr<FileByteSource> image = FileByteSource::Open(path);
    if (!image) return false;
    const DiscImageProbe probe = ProbeDiscImage(*image);
    return probe.fileSystem != DiscFileSystem::None || probe.unsupportedUdfBlockSize != 0;
}

}  // namespace volcatra
