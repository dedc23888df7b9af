#include "browsing/LocateRealFile.h"

#include <algorithm>

#include "model/FileEntry.h"
#include "model/FileNameCodec.h"

namespace volcatra {

std::vector<MountEntry> CSystemVolumeQuery::ListVolumes() {
    return ListMountedVolumes();
}

uint32_t CSystemVolumeQuery::DriveType(const MountEntry& mount) {
    return GetDriveType(mount);
}

std::optional<uint32_t> CSystemVolumeQuery::SerialNumber(const MountEntry& mount) {
    std::u16string label;
    uint32_t serial = 0;
    if (!GetVolumeInformation(mount, label, serial)) return std::nullopt;
    return serial;
}

namespace {

bool IsRoot(const CFileEntry* entry) {
    return entry && entry->GetRuntimeClass() == &CRootEntry::s_class;
}

// Whether two mounts show the same file system. Block devices have a device
// number; others (network shares, overlays) are told apart by their source.
bool SameFileSystem(const MountEntry& a, const MountEntry& b) {
    if (a.major != 0 || a.minor != 0 || b.major != 0 || b.minor != 0) return a.major == b.major && a.minor == b.minor;
    return a.source == b.source && a.fsType == b.fsType;
}

bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    const auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

}  // namespace

std::optional<LocateTarget> ResolveLocateTarget(const TreeSelection& selection, const CFileEntry* entry) {
    LocateTarget target;
    target.volume = selection.volume;
    if (!target.volume) {
        // The list shows the volumes while the catalogue item is selected:
        // a volume row stands for the volume's folder itself.
        if (!IsRoot(entry)) return std::nullopt;
        target.volume = static_cast<const CRootEntry*>(entry);
        target.select = true;
        return target;
    }
    target.components = selection.path;
    // A recorded archive is a folder in the tree but a file on the medium:
    // it is shown selected, and a member chosen in the list is not appended.
    if (selection.selected && (selection.selected->m_attributes & FA_ARCHIVE_LISTED)) target.select = true;
    if (!target.select && entry) {
        target.components.push_back(entry->GetDisplayName());
        target.select = true;
    }
    return target;
}

std::optional<std::string> FindRecordedMedium(const CRootEntry& volume, IVolumeQuery& volumes) {
    const std::vector<MountEntry> mounts = volumes.ListVolumes();
    // One mount per file system: its own root where that is mounted,
    // otherwise the mounted part with the shortest root (a btrfs whose
    // top level is not mounted); the first in the list among equals.
    std::vector<const MountEntry*> chosen;
    for (const MountEntry& mount : mounts) {
        const auto same =
            std::find_if(chosen.begin(), chosen.end(), [&](const MountEntry* c) { return SameFileSystem(*c, mount); });
        if (same == chosen.end()) {
            chosen.push_back(&mount);
        } else if (mount.root.size() < (*same)->root.size()) {
            *same = &mount;
        }
    }
    for (const MountEntry& mount : mounts) {
        if (std::find(chosen.begin(), chosen.end(), &mount) == chosen.end()) continue;
        if (volumes.DriveType(mount) != volume.m_driveType) continue;
        const std::optional<uint32_t> serial = volumes.SerialNumber(mount);
        if (serial && *serial == volume.m_serialNumber) return mount.mountPoint;
    }
    return std::nullopt;
}

std::string LocalPath(const std::string& mountPoint, const LocateTarget& target) {
    std::string path = mountPoint;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const auto append = [&path](std::u16string_view name) {
        if (name.empty()) return;
        if (path.empty() || path.back() != '/') path += '/';
        AppendFileName(path, name);
    };
    // The read folder is stored as one text with backslashes between its
    // components; the tree's components are names of their own, which on
    // Linux may hold a backslash.
    const std::u16string folder = target.volume ? target.volume->GetFolderPart() : std::u16string();
    size_t start = 0;
    while (start <= folder.size()) {
        const size_t end = std::min(folder.find(u'\\', start), folder.size());
        append(std::u16string_view(folder).substr(start, end - start));
        start = end + 1;
    }
    for (const std::u16string& component : target.components) append(component);
    return path.empty() ? std::string("/") : path;
}

bool SelectionForPath(const CRootEntry& volume, std::u16string_view path, TreeSelection& selection,
                      const CFileEntry*& entry) {
    selection = {&volume, &volume, {}};
    entry = nullptr;
    const CFileArray* folder = volume.m_childIndex >= 0 && size_t(volume.m_childIndex) < volume.m_folders.size()
                                   ? volume.m_folders[size_t(volume.m_childIndex)].get()
                                   : nullptr;
    size_t start = 0;
    while (start < path.size()) {
        const size_t end = std::min(path.find(u'\\', start), path.size());
        const std::u16string_view name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty()) continue;
        if (entry || !folder) return false;  // below a file, or below a folder without recorded contents
        const CFileEntry* found = nullptr;
        for (const bool exact : {true, false}) {
            for (const auto& owned : folder->m_entries) {
                if (found) break;
                if (exact ? owned.m_name == name : EqualIgnoringAsciiCase(owned.m_name, name)) found = &owned;
            }
        }
        if (!found) return false;
        if (found->m_attributes & FA_ARCHIVE_LISTED) {
            // The members are inside the archive file, which is what is shown.
            selection.selected = found;
            selection.path.push_back(found->m_name.str());
            return true;
        }
        if (found->m_attributes & FA_DIRECTORY) {
            selection.selected = found;
            selection.path.push_back(found->m_name.str());
            folder = volume.ChildArray(*found);
        } else {
            entry = found;
        }
    }
    return true;
}

std::optional<uint32_t> UnmountedMediumSerial(const std::string& device, const FileSystemId& id) {
    if (!id.uuid.empty() && (id.fsType == "vfat" || id.fsType == "exfat" || id.fsType == "ntfs"))
        return SerialFromUuid(id.fsType, id.uuid);
    VolumeIdentity identity;
    if (!device.empty() && ProbeVolumeIdentity(device, identity) && identity.serialNumber) return identity.serialNumber;
    // Without the device: file systems whose serial is their UUID's first bytes.
    if (!id.uuid.empty() && !id.fsType.empty() && id.fsType != "iso9660" && id.fsType != "udf")
        return SerialFromUuid(id.fsType, id.uuid);
    return std::nullopt;
}

LocateOutcome LocateRealFile(const TreeSelection& selection, const CFileEntry* entry, bool folderTree,
                             IVolumeQuery& volumes, FileManagerRequest& request, IRemovableMedia* media) {
    const std::optional<LocateTarget> target = ResolveLocateTarget(selection, entry);
    if (!target) return LocateOutcome::Nothing;
    const CRootEntry& volume = *target->volume;
    std::optional<std::string> mountPoint = FindRecordedMedium(volume, volumes);
    if (!mountPoint && media) {
        for (const UnmountedMedium& medium : media->ListUnmountedMedia()) {
            if (!medium.hasMedium || medium.driveType != volume.m_driveType) continue;
            if (UnmountedMediumSerial(medium.device, media->Identify(medium.device)) != volume.m_serialNumber) continue;
            if (media->Mount(medium.device)) mountPoint = FindRecordedMedium(volume, volumes);
            if (mountPoint) break;
        }
    }
    if (!mountPoint) return LocateOutcome::NotFound;
    request.path = LocalPath(*mountPoint, *target);
    request.selectItem = target->select;
    request.folderTree = folderTree;
    return LocateOutcome::Found;
}

}  // namespace volcatra
