#include "reading/VolumeScan.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

constexpr uint32_t kDefaultSectorSize = 512;
// Each directory record counts 32 bytes in the progress arithmetic.
constexpr uint64_t kDirectoryRecordSize = 32;
constexpr size_t kMaxLabelLength = 255;

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// A listing whose first item has been taken already: hands it out again
// before the rest.
class ListingWithFirstItem : public IDirectoryListing {
public:
    ListingWithFirstItem(std::unique_ptr<IDirectoryListing> listing, ListingStatus status, DirectoryItem item)
        : m_listing(std::move(listing)), m_status(status), m_item(std::move(item)) {}

    ListingStatus Next(DirectoryItem& item) override {
        if (m_replayed) return m_listing->Next(item);
        m_replayed = true;
        if (m_status == ListingStatus::Item) item = m_item;
        return m_status;
    }
    std::unique_ptr<IDirectoryListing> OpenSubfolder(const std::string& name, int& error) override {
        return m_listing->OpenSubfolder(name, error);
    }
    int Error() const override { return m_listing->Error(); }

private:
    std::unique_ptr<IDirectoryListing> m_listing;
    ListingStatus m_status;
    DirectoryItem m_item;
    bool m_replayed = false;
};

// The walk over one volume. Folders are read depth first with an explicit
// stack of open listings, so the depth of a tree is limited only by the
// number of open files, not by the call stack.
class VolumeScanner {
public:
    VolumeScanner(CRootEntry& root, const ReadServices& services, IReadProgress* progress, ReadFailure* failure,
                  uint32_t sectorSize)
        : m_root(root), m_services(services), m_progress(progress), m_failure(failure), m_sectorSize(sectorSize) {}

    // True when a pending cancel request was confirmed.
    bool CancelConfirmed() {
        if (!m_progress->TakeCancelRequest()) return false;
        const bool yes =
            !m_services.messages || m_services.messages->Show(Tr(kCancelReadQuestion), MessageButtons::YesNo,
                                                              MessageIcon::Question) == MessageAnswer::Yes;
        if (yes && m_failure) m_failure->cancelled = true;
        return yes;
    }

    // Reads the top folder from its open listing; the position of its
    // array (0) or -1.
    int32_t Walk(std::unique_ptr<IDirectoryListing> top, const std::string& basePath) {
        try {
            return WalkFolders(std::move(top), basePath);
        } catch (const std::bad_alloc&) {
            return -1;
        }
    }

private:
    struct Frame {
        std::unique_ptr<IDirectoryListing> listing;
        CFileArray* array;
        int32_t position;
        std::u16string prefix;  // the folder's catalogue path with a backslash at the end
        std::string path;       // the folder's path on this system
        CFileEntry* entry;      // the folder's entry in its parent; nullptr for the top
    };

    void Fail(const std::string& path, int error) {
        if (!m_failure) return;
        m_failure->path = FileNameToUtf16(path);
        m_failure->error = error;
    }

    // Appends a new folder array; its position, or -1 when m_folders is full.
    int32_t AppendArray(std::u16string path, CFileArray*& array) {
        if (m_root.m_folders.size() >= size_t(INT32_MAX)) return -1;
        auto created = std::make_unique<CFileArray>();
        created->m_path = std::move(path);
        array = created.get();
        m_root.m_folders.push_back(std::move(created));
        return int32_t(m_root.m_folders.size() - 1);
    }

    int32_t WalkFolders(std::unique_ptr<IDirectoryListing> top, const std::string& basePath) {
        if (m_progress) m_progress->SetPathText(FileNameToUtf16(basePath));
        std::vector<Frame> stack;
        CFileArray* topArray = nullptr;
        const int32_t topPosition = AppendArray(u"\\", topArray);
        if (topPosition < 0) return -1;
        stack.push_back({std::move(top), topArray, topPosition, u"\\", basePath, nullptr});

        DirectoryItem item;
        while (!stack.empty()) {
            if (m_pending.size() < stack.size()) m_pending.resize(stack.size());
            Frame& frame = stack.back();
            const ListingStatus status = frame.listing->Next(item);
            if (status == ListingStatus::Failed) {
                Fail(frame.path, frame.listing->Error());
                return -1;
            }
            if (status == ListingStatus::End) {
                // The folder's entries go to its array at their exact count.
                std::vector<CFileEntry>& pending = m_pending[stack.size() - 1];
                frame.array->m_entries.reserve(frame.array->m_entries.size() + pending.size());
                std::move(pending.begin(), pending.end(), std::back_inserter(frame.array->m_entries));
                pending.clear();
                const Frame done = {nullptr, frame.array, frame.position, {}, {}, frame.entry};
                stack.pop_back();  // closes the listing
                if (!done.entry) return done.position;
                done.entry->m_childIndex = done.position;
                if (m_progress)
                    m_progress->AddPos(
                        (uint64_t(done.array->m_entries.size()) + 2) * kDirectoryRecordSize / m_sectorSize + 1);
                ++m_root.m_folderCount;
                continue;
            }
            if (IsDotName(item.name)) continue;
            if (m_progress) {
                m_progress->PumpMessages();
                if (CancelConfirmed()) return -1;
            }
            // Entries wait in a list of their folder's depth, kept from folder
            // to folder for its room, until the folder is done. An entry
            // stays in place meanwhile: its list grows only while its folder
            // is the one on top, and a folder's entry is kept in the frame
            // below until its own contents are done.
            CFileEntry& entry = m_pending[stack.size() - 1].emplace_back();
            m_name.clear();
            AppendUtf16OfFileName(m_name, item.name);
            entry.m_name.AssignIn(m_root.m_texts, m_name);
            entry.m_attributes = item.attributes;
            entry.m_time = item.time;

            if (item.kind == ItemKind::Folder) {
                // A system folder, and a folder on which another file
                // system is mounted, is recorded but not entered.
                if ((entry.m_attributes & FA_SYSTEM) || item.otherFileSystem) {
                    entry.m_childIndex = -1;
                    ++m_root.m_folderCount;
                    continue;
                }
                std::u16string relPath = frame.prefix + entry.m_name.str();
                std::string path = JoinPath(frame.path, item.name);
                if (m_progress) m_progress->SetPathText(FileNameToUtf16(path));
                int error = 0;
                std::unique_ptr<IDirectoryListing> listing = frame.listing->OpenSubfolder(item.name, error);
                if (!listing) {
                    Fail(path, error);
                    return -1;
                }
                CFileArray* array = nullptr;
                const int32_t position = AppendArray(relPath, array);
                if (position < 0) return -1;
                relPath += u'\\';
                // frame is not used after this: the push may move it.
                stack.push_back({std::move(listing), array, position, std::move(relPath), std::move(path), &entry});
                continue;
            }

            // A file. Only regular files are handed to an archive handler:
            // links are not followed and FIFOs and devices never opened.
            if (m_services.archivers && item.kind == ItemKind::RegularFile) {
                const int row = m_services.archivers->FindArchiveHandler(entry.m_name);
                if (row >= 0) {
                    entry.m_childIndex = m_services.archivers->ReadMembers(
                        m_progress, m_root, row, JoinPath(frame.path, item.name), frame.prefix + entry.m_name.str());
                    if (entry.m_childIndex >= 0) entry.m_attributes |= FA_ARCHIVE_LISTED;
                }
            }
            entry.m_size = item.size;
            ++m_root.m_fileCount;
            if (m_progress) m_progress->AddPos(item.size / m_sectorSize + (item.size % m_sectorSize != 0));
        }
        return -1;
    }

    CRootEntry& m_root;
    std::u16string m_name;                           // the name being decoded, kept for its room
    std::vector<std::vector<CFileEntry>> m_pending;  // by depth
    const ReadServices& m_services;
    IReadProgress* m_progress;
    ReadFailure* m_failure;
    uint32_t m_sectorSize;
};

}  // namespace

std::u16string CataloguePathBelow(const std::string& rootPath, const std::string& path) {
    std::string below;
    if (rootPath == "/") {
        if (path.empty() || path[0] != '/') return {};
        below = path;
    } else {
        if (path.compare(0, rootPath.size(), rootPath) != 0) return {};
        below = path.substr(rootPath.size());
        if (!below.empty() && below[0] != '/') return {};
    }
    std::u16string out;
    size_t i = 0;
    while (i < below.size()) {
        while (i < below.size() && below[i] == '/') ++i;
        const size_t start = i;
        while (i < below.size() && below[i] != '/') ++i;
        if (i > start) {
            out += u'\\';
            out += FileNameToUtf16(std::string_view(below).substr(start, i - start));
        }
    }
    return out.empty() ? std::u16string(u"\\") : out;
}

bool ReadVolume(CRootEntry& root, const ReadServices& services, uint32_t driveType, const std::string& readPath,
                const std::string& rootPath, IReadProgress* progress, ReadFailure* failure) {
    try {
        root.m_driveType = driveType;
        std::u16string label;
        uint32_t serialNumber = 0;
        if (!services.fileSystem.GetVolumeInformation(rootPath, label, serialNumber)) return false;
        if (label.size() > kMaxLabelLength) {
            label.resize(kMaxLabelLength);
            if (label.back() >= 0xD800 && label.back() <= 0xDBFF) label.pop_back();  // half a pair
        }
        root.m_volumeName = label;
        root.m_serialNumber = serialNumber;
        if (readPath != rootPath) {
            const std::u16string below = CataloguePathBelow(rootPath, readPath);
            if (below.empty()) return false;
            root.m_volumeName = label + u"::" + below;
        }

        DiskSpace space;
        if (!services.fileSystem.GetDiskSpace(rootPath, space)) return false;
        const uint32_t sectorSize = space.sectorSize ? space.sectorSize : kDefaultSectorSize;
        root.m_usedBytes = space.usedBytes;
        root.m_size = space.usedBytes;
        root.m_sectorSize = sectorSize;

        // The probe: a top folder that cannot be listed (an empty drive)
        // gives a volume with no contents and no progress phase.
        int error = 0;
        std::unique_ptr<IDirectoryListing> top = services.fileSystem.OpenFolder(readPath, error);
        if (!top) {
            // A folder read whose folder is not there, or is a file, is a
            // failed read rather than an empty volume.
            if (readPath != rootPath && (error == ENOENT || error == ENOTDIR)) return false;
            root.m_childIndex = -1;
            return true;
        }
        // A whole volume with nothing on it is recorded the same way: the
        // root of an empty medium lists nothing, not even "." and "..". An
        // empty folder read as a folder keeps its one empty list.
        DirectoryItem first;
        ListingStatus status = top->Next(first);
        while (status == ListingStatus::Item && IsDotName(first.name)) status = top->Next(first);
        if (status == ListingStatus::End && readPath == rootPath) {
            root.m_childIndex = -1;
            return true;
        }
        top = std::make_unique<ListingWithFirstItem>(std::move(top), status, std::move(first));
        // The sectors in use. With a cluster that is a whole number of
        // sectors this equals clusters in use x sectors per cluster.
        const uint64_t range = space.usedBytes / sectorSize;
        if (progress) {
            progress->SetPhaseText(ReadPhase::Directory);
            progress->SetRange(range);
        }
        VolumeScanner scanner(root, services, progress, failure, sectorSize);
        root.m_childIndex = scanner.Walk(std::move(top), readPath);
        if (root.m_childIndex < 0) return false;
        if (progress) {
            progress->SetPathText(u"");
            progress->SetPos(range);
            if (scanner.CancelConfirmed()) return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace volcatra
