// The places the read dialog offers in its drop-down list: the mounted
// volumes a user reads (removable media, optical discs, fixed disks,
// network mounts), then media that are present but not mounted and optical
// drives without a medium.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MountedVolumes.h"
#include "platform/RemovableMedia.h"

namespace volcatra {

// One item of the list.
struct DriveItem {
    std::u16string text;     // mount point or device with its suffix: "/media/cd [DISC1]", "/dev/sr0 CD-ROM"
    std::string path;        // the mount point or device itself; never parsed back from the text
    uint32_t driveType = 0;  // 2 removable, 3 fixed, 4 remote, 5 CD-ROM
    bool mounted = true;     // false: a device without a mounted file system
};

// A mounted volume with the facts the list needs.
struct MountedVolumeFacts {
    MountEntry mount;
    uint32_t driveType = 0;
    std::u16string label;  // asked only for fixed and optical volumes
    bool isFolder = true;  // false for a mount point that is a file (a bind-mounted /etc/hosts)
};

// The list from the facts: volumes of types 2 to 5 whose mount point is a
// folder, one per mounted file system root (the first mount point in
// ascending byte order keeps it), in ascending order of mount point, with
// " [LABEL]" for optical and fixed volumes that have a label and " CD-ROM"
// for optical ones that do not; then the unmounted media by device (with
// " [LABEL]" when known) and the empty optical drives with " CD-ROM".
std::vector<DriveItem> BuildDriveList(std::vector<MountedVolumeFacts> volumes,
                                      const std::vector<UnmountedMedium>& unmounted);

// The facts of this machine's mounted volumes.
std::vector<MountedVolumeFacts> CollectMountedVolumes();

// The item to select when the dialog opens for the chosen path: the item
// for that path; for an empty path (or one naming a device that is gone)
// the first optical drive; -1 when there is none or the path names a folder
// that is not an item (the edit field then keeps it).
int InitialDriveSelection(const std::vector<DriveItem>& items, const std::string& chosenPath);

}  // namespace volcatra
