// Finding the real file behind a catalogue entry: the medium is recognised
// among the mounted volumes by its drive type and volume serial number, and
// the file manager is asked to show the folder or the item there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/UiText.h"
#include "platform/FileManager.h"
#include "platform/MountedVolumes.h"
#include "platform/RemovableMedia.h"

namespace volcatra {

class CFileEntry;
class CRootEntry;

inline constexpr UiText kMediumNotFoundText =
    VOLCATRA_TEXT("Browsing", "同じボリュームシリアル番号のメディアが見つかりませんでした。");

// The mounted volumes and their facts, so that tests can stand in for them.
class IVolumeQuery {
public:
    virtual ~IVolumeQuery() = default;
    // The mounted volumes in descending order of mount point.
    virtual std::vector<MountEntry> ListVolumes() = 0;
    virtual uint32_t DriveType(const MountEntry& mount) = 0;
    // The serial number; nullopt when the volume information cannot be read.
    virtual std::optional<uint32_t> SerialNumber(const MountEntry& mount) = 0;
};

// This machine's mount table.
class CSystemVolumeQuery : public IVolumeQuery {
public:
    std::vector<MountEntry> ListVolumes() override;
    uint32_t DriveType(const MountEntry& mount) override;
    std::optional<uint32_t> SerialNumber(const MountEntry& mount) override;
};

// What the folder tree's selection tells: the volume of the selected item
// (none for the catalogue item or no selection), the selected item's entry
// and the texts of the items from below the volume item down to the
// selected item.
struct TreeSelection {
    const CRootEntry* volume = nullptr;
    const CFileEntry* selected = nullptr;
    std::vector<std::u16string> path;
};

// Where to look: the volume, the components below its read folder and
// whether the last component is to be shown selected in its folder.
struct LocateTarget {
    const CRootEntry* volume = nullptr;
    std::vector<std::u16string> components;
    bool select = false;
};

// The volume and path for a selection and an optional entry (a row of the
// file list); nullopt when there is nothing to locate. A tree item that is
// a recorded archive is a file on the medium and is selected; an entry
// given with a folder shown is appended and selected; a volume row given
// while no volume is selected selects the volume's folder itself.
std::optional<LocateTarget> ResolveLocateTarget(const TreeSelection& selection, const CFileEntry* entry);

// The mount point of the volume that holds the recorded medium: the first
// in the list whose drive type and serial number equal the recorded ones.
// Only the mount of a file system's own root counts (bind mounts and
// subvolume mounts name parts of it); a file system that is mounted only
// in parts counts once, by the mount of the part nearest its root. The
// label is not compared. nullopt when none qualifies.
std::optional<std::string> FindRecordedMedium(const CRootEntry& volume, IVolumeQuery& volumes);

// The local path: the mount point, the components of the volume's read
// folder and the target's components, joined with "/", each name turned
// back into the bytes it was read from.
std::string LocalPath(const std::string& mountPoint, const LocateTarget& target);

// The selection that shows the entry at path inside the volume ("\\DOCS\\a.txt";
// the volume itself for "" or "\\"), as the tree and the list would hold it:
// the folders and recorded archives down to the entry's folder in the
// tree, the entry as a row when it has no tree item of its own. A path
// into a recorded archive stops at the archive. Names are compared exactly
// first, then ignoring ASCII case. False when a component is not found.
bool SelectionForPath(const CRootEntry& volume, std::u16string_view path, TreeSelection& selection,
                      const CFileEntry*& entry);

// The serial number of a medium that is not mounted, from what can be known
// without mounting it: the UUID the service reports is the serial for FAT,
// exFAT and NTFS (its low 32 bits); ISO 9660 and UDF discs need their
// descriptors, read from the device when it can be read, as do file systems
// whose UUID the service does not report. nullopt when it cannot be known.
std::optional<uint32_t> UnmountedMediumSerial(const std::string& device, const FileSystemId& id);

// The outcome of the whole command.
enum class LocateOutcome {
    Nothing,   // nothing to locate (no volume behind the selection)
    NotFound,  // no mounted volume holds the medium: kMediumNotFoundText
    Found,     // request is filled
};

// The whole command: resolves the target, finds the medium and builds the
// file manager's request. When no mounted volume holds the medium and media
// is given, a present medium of the recorded drive type and serial number
// that is not mounted is mounted (as the desktop would) and looked for again.
LocateOutcome LocateRealFile(const TreeSelection& selection, const CFileEntry* entry, bool folderTree,
                             IVolumeQuery& volumes, FileManagerRequest& request, IRemovableMedia* media = nullptr);

}  // namespace volcatra
