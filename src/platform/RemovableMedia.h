// Media and drives that have no mounted file system: media that are
// present but not mounted, and optical drives that hold no medium. The read
// dialog offers them beside the mounted volumes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace volcatra {

struct UnmountedMedium {
    std::string device;      // "/dev/sr0", "/dev/sdb1"
    std::u16string label;    // empty when unknown or none
    uint32_t driveType = 0;  // 2 removable, 5 CD-ROM
    bool hasMedium = true;   // false: an optical drive with no medium
};

// What is known of a medium's file system without mounting it ("vfat",
// "iso9660"; the UUID as blkid prints it); empty when unknown.
struct FileSystemId {
    std::string fsType;
    std::string uuid;
};

class IRemovableMedia {
public:
    virtual ~IRemovableMedia() = default;
    // The devices that are not mounted, in the order they are to be offered.
    virtual std::vector<UnmountedMedium> ListUnmountedMedia() = 0;
    // Mounts the file system on device as the user would from a file
    // manager; true when it is mounted now (also when it already was).
    // Without a service that mounts, nothing is mounted.
    virtual bool Mount(const std::string& /*device*/) { return false; }
    // The file system of a device of the last list, as far as it is known
    // without mounting it.
    virtual FileSystemId Identify(const std::string& /*device*/) { return {}; }
};

// The optical drives the kernel knows (block devices sr* in sysfs), asked
// through the CDROM_DRIVE_STATUS ioctl on the device opened without
// blocking: drives without a medium, and discs that are not mounted (their
// label probed when the device can be read). Devices that are mounted are
// left out; they appear as mounted volumes. Used when no removable-media
// service answers on the system bus.
class CSysfsOpticalDrives : public IRemovableMedia {
public:
    explicit CSysfsOpticalDrives(std::string sysfsRoot = "/sys", std::string deviceRoot = "/dev")
        : m_sysfsRoot(std::move(sysfsRoot)), m_deviceRoot(std::move(deviceRoot)) {}
    std::vector<UnmountedMedium> ListUnmountedMedia() override;

private:
    std::string m_sysfsRoot;
    std::string m_deviceRoot;
};

}  // namespace volcatra
