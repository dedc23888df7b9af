#include "platform/RemovableMedia.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "model/FileEntry.h"
#include "platform/MountedVolumes.h"

namespace volcatra {

namespace {

// Whether any mount has this device as its source.
bool IsMounted(const std::vector<MountEntry>& mounts, const std::string& device) {
    return std::any_of(mounts.begin(), mounts.end(), [&](const MountEntry& m) { return m.source == device; });
}

// CDS_DISC_OK, CDS_NO_DISC, ... or -1 when the device cannot be asked.
int DriveStatus(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    ::close(fd);
    return status;
}

}  // namespace

std::vector<UnmountedMedium> CSysfsOpticalDrives::ListUnmountedMedia() {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir((m_sysfsRoot + "/block").c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() > 2 && name.compare(0, 2, "sr") == 0) names.push_back(name);
        }
        ::closedir(dir);
    }
    // sr2 before sr10.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    const std::vector<MountEntry> mounts = ListMountedVolumes();
    std::vector<UnmountedMedium> media;
    for (const std::string& name : names) {
        UnmountedMedium medium;
        medium.device = m_deviceRoot + "/" + name;
        medium.driveType = DRIVE_CDROM;
        if (IsMounted(mounts, medium.device)) continue;
        const int status = DriveStatus(medium.device);
        if (status == CDS_DISC_OK) {
            VolumeIdentity identity;
            if (ProbeVolumeIdentity(medium.device, identity)) medium.label = identity.label;
        } else {
            medium.hasMedium = false;
        }
        media.push_back(std::move(medium));
    }
    return media;
}

}  // namespace volcatra
