// Stand-ins for locating real files: a volume list given by the test and a
// file manager that records what it was asked.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "browsing/LocateRealFile.h"
#include "model/FileEntry.h"

namespace volcatra::test {

struct FakeVolume {
    MountEntry mount;
    uint32_t driveType = DRIVE_CDROM;
    std::optional<uint32_t> serial;
};

// A mount of the whole file system on device 8:minor (or a part of it, root).
inline MountEntry FakeMount(std::string mountPoint, uint32_t minor, std::string root = "/") {
    MountEntry mount;
    mount.mountPoint = std::move(mountPoint);
    mount.root = std::move(root);
    mount.major = 8;
    mount.minor = minor;
    return mount;
}

class FakeVolumeQuery : public IVolumeQuery {
public:
    // In the order the list gives them (descending mount points).
    std::vector<FakeVolume> volumes;
    std::vector<std::string> askedSerials;

    std::vector<MountEntry> ListVolumes() override {
        std::vector<MountEntry> mounts;
        for (const FakeVolume& v : volumes) mounts.push_back(v.mount);
        return mounts;
    }
    uint32_t DriveType(const MountEntry& mount) override { return Find(mount).driveType; }
    std::optional<uint32_t> SerialNumber(const MountEntry& mount) override {
        askedSerials.push_back(mount.mountPoint);
        return Find(mount).serial;
    }

private:
    const FakeVolume& Find(const MountEntry& mount) const {
        for (const FakeVolume& v : volumes)
            if (v.mount.mountPoint == mount.mountPoint) return v;
        throw std::logic_error("unknown mount");
    }
};

// Media that are present but not mounted: none unless the test adds them;
// what a mount does is up to onMount (without it, nothing is mounted).
class FakeRemovableMedia : public IRemovableMedia {
public:
    std::vector<UnmountedMedium> media;
    std::map<std::string, FileSystemId> identities;
    std::vector<std::string> mounted;
    std::vector<UnmountedMedium> ListUnmountedMedia() override { return media; }
    FileSystemId Identify(const std::string& device) override {
        const auto found = identities.find(device);
        return found == identities.end() ? FileSystemId{} : found->second;
    }
    bool Mount(const std::string& device) override {
        mounted.push_back(device);
        return onMount ? onMount(device) : false;
    }
    std::function<bool(const std::string&)> onMount;
};

class RecordingFileManager : public IFileManager {
public:
    std::vector<FileManagerRequest> requests;
    void Show(const FileManagerRequest& request) override { requests.push_back(request); }
};

}  // namespace volcatra::test
