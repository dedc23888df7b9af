#include "reading/DriveList.h"

#include <sys/stat.h>

#include <algorithm>

#include "model/FileEntry.h"
#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

std::u16string LabelSuffix(const std::u16string& label) {
    return u" [" + label + u"]";
}

bool Listed(uint32_t driveType) {
    return driveType == DRIVE_REMOVABLE || driveType == DRIVE_FIXED || driveType == DRIVE_REMOTE ||
           driveType == DRIVE_CDROM;
}

}  // namespace

std::vector<DriveItem> BuildDriveList(std::vector<MountedVolumeFacts> volumes,
                                      const std::vector<UnmountedMedium>& unmounted) {
    std::sort(volumes.begin(), volumes.end(), [](const MountedVolumeFacts& a, const MountedVolumeFacts& b) {
        return a.mount.mountPoint < b.mount.mountPoint;
    });
    std::vector<DriveItem> items;
    std::vector<const MountEntry*> kept;
    for (const MountedVolumeFacts& volume : volumes) {
        if (!Listed(volume.driveType) || !volume.isFolder) continue;
        const MountEntry& m = volume.mount;
        // A second mount of the same file system root (a bind mount) names
        // the same files again. Block devices have a major number; others
        // (network shares, overlays) are told apart by their source.
        const bool again = std::any_of(kept.begin(), kept.end(), [&](const MountEntry* k) {
            const bool sameDevice = (m.major != 0 || m.minor != 0) ? (k->major == m.major && k->minor == m.minor)
                                                                   : (k->source == m.source && k->fsType == m.fsType);
            return sameDevice && k->root == m.root;
        });
        if (again) continue;
        kept.push_back(&m);
        DriveItem item;
        item.path = m.mountPoint;
        item.driveType = volume.driveType;
        item.text = FileNameToUtf16(m.mountPoint);
        if ((volume.driveType == DRIVE_CDROM || volume.driveType == DRIVE_FIXED) && !volume.label.empty())
            item.text += LabelSuffix(volume.label);
        else if (volume.driveType == DRIVE_CDROM)
            item.text += u" CD-ROM";
        items.push_back(std::move(item));
    }
    // Present media first, then the drives that wait for one.
    for (const bool present : {true, false}) {
        for (const UnmountedMedium& medium : unmounted) {
            if (medium.hasMedium != present) continue;
            DriveItem item;
            item.path = medium.device;
            item.driveType = medium.driveType;
            item.mounted = false;
            item.text = FileNameToUtf16(medium.device);
            if (!medium.label.empty())
                item.text += LabelSuffix(medium.label);
            else if (medium.driveType == DRIVE_CDROM)
                item.text += u" CD-ROM";
            items.push_back(std::move(item));
        }
    }
    return items;
}

std::vector<MountedVolumeFacts> CollectMountedVolumes() {
    std::vector<MountedVolumeFacts> facts;
    for (MountEntry& mount : ListMountedVolumes()) {
        MountedVolumeFacts volume;
        volume.driveType = GetDriveType(mount);
        if (!Listed(volume.driveType)) continue;
        struct stat st {};
        volume.isFolder = ::stat(mount.mountPoint.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (volume.isFolder && (volume.driveType == DRIVE_CDROM || volume.driveType == DRIVE_FIXED)) {
            uint32_t serial = 0;
            GetVolumeInformation(mount, volume.label, serial);
        }
        volume.mount = std::move(mount);
        facts.push_back(std::move(volume));
    }
    return facts;
}

int InitialDriveSelection(const std::vector<DriveItem>& items, const std::string& chosenPath) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].path == chosenPath) return int(i);
    const bool device = chosenPath.rfind("/dev/", 0) == 0;
    if (!chosenPath.empty() && !device) return -1;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].driveType == DRIVE_CDROM) return int(i);
    return -1;
}

}  // namespace volcatra
