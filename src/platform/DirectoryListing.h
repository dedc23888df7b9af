// Folder listings and volume facts as the volume scan sees them, behind an
// interface so that the scan runs over an in-memory file system in tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/MountedVolumes.h"

namespace volcatra {

enum class ItemKind : uint8_t {
    Folder,
    RegularFile,
    SymbolicLink,  // recorded as a file with the link's own size, never followed
    Other,         // FIFO, socket or device: recorded, never opened
};

// One item of a folder listing ("." and ".." are not reported).
struct DirectoryItem {
    std::string name;  // the bytes the file system stores
    ItemKind kind = ItemKind::RegularFile;
    uint16_t attributes = 0;       // 0x10 folder; DOS attributes on FAT; else 0x01, 0x02, 0x20
    uint64_t size = 0;             // 0 for folders
    int64_t time = 0;              // last write, seconds since 1970 UTC
    bool otherFileSystem = false;  // a folder on which another file system is mounted
};

enum class ListingStatus { Item, End, Failed };

// An open folder. Items come in the order the file system returns them.
class IDirectoryListing {
public:
    virtual ~IDirectoryListing() = default;
    // The next item; Failed when the folder cannot be read further.
    virtual ListingStatus Next(DirectoryItem& item) = 0;
    // Opens a folder item of this listing relative to the open folder;
    // nullptr with an errno value in error when it cannot be listed.
    virtual std::unique_ptr<IDirectoryListing> OpenSubfolder(const std::string& name, int& error) = 0;
    // The errno value behind the last Failed.
    virtual int Error() const = 0;
};

// The volume facts and listings a read needs.
class IMediaFileSystem {
public:
    virtual ~IMediaFileSystem() = default;
    // Label (at most 255 characters) and serial number of the volume
    // mounted at rootPath.
    virtual bool GetVolumeInformation(const std::string& rootPath, std::u16string& label, uint32_t& serialNumber) = 0;
    virtual bool GetDiskSpace(const std::string& rootPath, DiskSpace& space) = 0;
    // Opens a folder by its whole path (the top of a read).
    virtual std::unique_ptr<IDirectoryListing> OpenFolder(const std::string& path, int& error) = 0;
    // Whether the volume mounted at rootPath finds the folder path again
    // under a name that differs in case only (it folds the case of names).
    virtual bool FoldsCase(const std::string& rootPath, const std::string& path) = 0;
    // Why the last listing failed when the errno value says too little
    // (a damaged disc image); empty otherwise.
    virtual std::string FailureReason() const { return {}; }
};

// The mounted file systems of this machine. Listings use openat and statx
// relative to the open folder, do not follow symbolic links, never open
// FIFOs or devices, and report folders on which another file system is
// mounted instead of entering them.
class LocalFileSystem : public IMediaFileSystem {
public:
    bool GetVolumeInformation(const std::string& rootPath, std::u16string& label, uint32_t& serialNumber) override;
    bool GetDiskSpace(const std::string& rootPath, DiskSpace& space) override;
    std::unique_ptr<IDirectoryListing> OpenFolder(const std::string& path, int& error) override;
    bool FoldsCase(const std::string& rootPath, const std::string& path) override;
};

}  // namespace volcatra
