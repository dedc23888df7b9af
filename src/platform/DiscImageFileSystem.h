// Disc images read as the disc they hold, without mounting: an ISO 9660
// or UDF file system in an image file (plain 2048-byte sectors, or the raw
// 2352-byte sectors of a .bin), recognised by its content. The volume is
// what the same disc shows in a drive: label, serial number, space in use
// and the tree with the names, sizes, times and attributes of a mounted
// disc. A hybrid image (ISO 9660 and UDF) is read from its UDF side, as a
// drive shows it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ByteSource.h"
#include "platform/DirectoryListing.h"
#include "platform/OpticalDescriptors.h"

namespace volcatra {

// One back end: the tree of one file system on the disc.
class IDiscTree {
public:
    virtual ~IDiscTree() = default;
    virtual std::unique_ptr<IDirectoryListing> OpenRoot(int& error) = 0;
    // The bytes of a file below the root, by its names joined with "/";
    // nullptr when there is no such file.
    virtual std::unique_ptr<IByteSource> OpenFile(const std::string& relativePath) = 0;
    // Why the last listing could not be opened, in English.
    virtual std::string Reason() const = 0;
};

class DiscImageFileSystem : public IMediaFileSystem, public IEmbeddedFiles {
public:
    // Opens the image file at path. nullptr when it holds no disc that can
    // be read, with the reason in English in reason.
    static std::unique_ptr<DiscImageFileSystem> Open(const std::string& path, std::string& reason);
    // The same over bytes already at hand (the fuzzer); path names the
    // image's root for the read.
    static std::unique_ptr<DiscImageFileSystem> Open(std::shared_ptr<const IByteSource> image, const std::string& path,
                                                     std::string& reason);
    ~DiscImageFileSystem() override;

    bool GetVolumeInformation(const std::string& rootPath, std::u16string& label, uint32_t& serialNumber) override;
    bool GetDiskSpace(const std::string& rootPath, DiskSpace& space) override;
    // Only the image itself (path as opened) is a folder: the disc's root.
    std::unique_ptr<IDirectoryListing> OpenFolder(const std::string& path, int& error) override;
    bool FoldsCase(const std::string& rootPath, const std::string& path) override;
    std::string FailureReason() const override;

    // The bytes of a file of the disc by its path below the image path
    // (image path + "/" + names); nullptr when there is none. While the
    // file system lives, readers that open files by path find them too.
    std::unique_ptr<IByteSource> OpenEmbeddedFile(const std::string& path) override;

    const std::string& Path() const { return m_path; }
    DiscFileSystem FileSystem() const { return m_fileSystem; }

private:
    DiscImageFileSystem() = default;

    std::string m_path;
    DiscFileSystem m_fileSystem = DiscFileSystem::None;
    std::shared_ptr<const IByteSource> m_image;
    std::unique_ptr<DiscSectorSource> m_disc;
    std::unique_ptr<IDiscTree> m_tree;
    std::unique_ptr<IDirectoryListing> m_root;  // listed when opened
    std::u16string m_label;
    uint32_t m_serialNumber = 0;
    uint64_t m_usedBytes = 0;
};

// Whether path is a regular file that holds a disc image (ISO 9660 or UDF
// by content, or a UDF volume of a block size that cannot be read, which
// Open then refuses with its reason).
bool IsDiscImageFile(const std::string& path);

// The ISO 9660 and UDF back ends over the disc's logical sectors.
std::unique_ptr<IDiscTree> OpenIso9660Tree(const DiscSectorSource& disc, std::string& reason);
std::unique_ptr<IDiscTree> OpenUdfTree(const DiscSectorSource& disc, std::string& reason);

}  // namespace volcatra
