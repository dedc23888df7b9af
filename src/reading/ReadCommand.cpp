#include "reading/ReadCommand.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <new>
#include <vector>

#include "model/FileNameCodec.h"
#include "platform/MountedVolumes.h"

namespace volcatra {

namespace {

constexpr size_t kMaxLabelLength = 255;

// The label as the read records it: at most 255 code units, never half a
// surrogate pair.
std::u16string RecordedLabel(std::u16string label) {
    if (label.size() > kMaxLabelLength) {
        label.resize(kMaxLabelLength);
        if (label.back() >= 0xD800 && label.back() <= 0xDBFF) label.pop_back();
    }
    return label;
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    explicit WaitCursor(const std::function<void(bool)>& show) : m_show(show) {
        if (m_show) m_show(true);
    }
    ~WaitCursor() {
        if (m_show) m_show(false);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    const std::function<void(bool)>& m_show;
};

// Unloads the handler table on every exit of the read command.
class ArchiverUnloader {
public:
    explicit ArchiverUnloader(CArchiverTable* table) : m_table(table) {}
    ~ArchiverUnloader() {
        if (m_table) m_table->UnloadArchivers();
    }
    // An abandoned scan may still use the table: it stays loaded.
    void Release() { m_table = nullptr; }
    ArchiverUnloader(const ArchiverUnloader&) = delete;
    ArchiverUnloader& operator=(const ArchiverUnloader&) = delete;

private:
    CArchiverTable* m_table;
};

bool ShowReadFailed(IMessageService& messages, ReadReport& report) {
    messages.Show(Tr(kReadFailedText), MessageButtons::Ok, MessageIcon::Stop);
    report.outcome = ReadOutcome::Failed;
    return false;
}

}  // namespace

std::u16string InsertMediumText(const std::u16string& drive, uint32_t driveType) {
    std::u16string text = Tr(kInsertMediumText);
    text.replace(text.find(u"%1"), 2, drive);
    text.replace(text.find(u"%2"), 2, driveType == DRIVE_CDROM ? kCdRomMediumName : Tr(kDiskMediumName));
    return text;
}

bool IsBelowMediaFolder(const std::string& path) {
    for (const char* base : {"/media/", "/run/media/", "/mnt/"})
        if (path.rfind(base, 0) == 0) return true;
    return false;
}

std::optional<MediumRoot> FindMountedMedium(const std::string& drive, const std::string& path) {
    std::string rootPath;
    if (drive.empty()) {
        std::optional<MountEntry> mount = FindMountedVolume(path);
        // A typed folder that is not there: where media are mounted, its
        // medium is missing (the prompt asks for it); anywhere else the
        // volume that holds the nearest folder above it is there, and the
        // read of the missing folder fails.
        if (!mount && !IsBelowMediaFolder(path)) {
            std::string above = path;
            while (!mount && above.size() > 1) {
                const size_t slash = above.find_last_of('/');
                if (slash == std::string::npos) break;
                above.resize(slash == 0 ? 1 : slash);
                struct stat st {};
                if (::stat(above.c_str(), &st) == 0) {
                    mount = FindMountedVolume(above);
                    break;
                }
            }
        }
        if (!mount) return std::nullopt;
        rootPath = mount->mountPoint;
    } else {
        const std::string wanted = WithoutTrailingSlashes(drive);
        const std::vector<MountEntry> mounts = ListMountedVolumes();
        const MountEntry* found = nullptr;
        for (const MountEntry& mount : mounts)
            if (mount.mountPoint == wanted) found = &mount;
        if (!found)
            for (const MountEntry& mount : mounts)
                if (!found && mount.source == wanted) found = &mount;
        if (!found) return std::nullopt;
        rootPath = found->mountPoint;
    }
    struct stat st {};
    return MediumRoot{rootPath, ::stat(rootPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)};
}

bool ReadIntoCatalogue(CFSRecDoc& document, const ReadCommandServices& services, const ReadRequest& request,
                       ReadReport* report) {
    ReadReport unused;
    ReadReport& result = report ? *report : unused;
    result = ReadReport{};
    IMessageService& messages = *services.messages;
    const WaitCursor waitCursor(services.showWaitCursor);

    // A disc image file is read as the disc it holds: the image is the
    // medium, always there, and its own file system.
    std::shared_ptr<IMediaFileSystem> image;
    if (request.readImages && !request.path.empty() && IsDiscImageFile(request.path)) {
        std::string reason;
        std::unique_ptr<DiscImageFileSystem> opened = DiscImageFileSystem::Open(request.path, reason);
        if (!opened) {
            result.failure.path = FileNameToUtf16(request.path);
            result.failure.reason = reason;
            return ShowReadFailed(messages, result);
        }
        image = std::move(opened);
    }
    IMediaFileSystem* const fileSystem = image ? image.get() : services.fileSystem;

    // The medium: asked for until it is there or the user gives up.
    const std::string& named = request.drive.empty() ? request.path : request.drive;
    std::optional<MediumRoot> medium;
    const auto find = [&] {
        return services.findMedium ? services.findMedium(request.drive, request.path)
                                   : FindMountedMedium(request.drive, request.path);
    };
    // A device is mounted as the user before each look (after a Retry the
    // desktop may have mounted it meanwhile: then the look finds it).
    const bool device = request.drive.rfind("/dev/", 0) == 0;
    if (image) medium = MediumRoot{request.path, true};
    while (!medium) {
        medium = find();
        if (!medium && device && services.removableMedia && services.removableMedia->Mount(request.drive))
            medium = find();
        if (medium) break;
        const MessageAnswer answer = messages.Show(InsertMediumText(FileNameToUtf16(named), request.driveType),
                                                   MessageButtons::RetryCancel, MessageIcon::Exclamation);
        if (answer != MessageAnswer::Retry) {
            result.outcome = ReadOutcome::Cancelled;
            return false;
        }
    }
    const std::string& rootPath = medium->rootPath;
    const bool wholeMedium = image || request.path.empty() || request.path == request.drive;
    std::string readPath = wholeMedium ? rootPath : request.path;
    if (!medium->isFolder) return ShowReadFailed(messages, result);

    // The identity of the medium, and the folder part of the read for
    // recognising a medium or folder read before. A folder named through a
    // symbolic link that leads onto another volume is read where it lies.
    std::u16string folderPart = CataloguePathBelow(rootPath, readPath);
    if (folderPart.empty() && !wholeMedium) {
        if (const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(readPath.c_str(), nullptr),
                                                                       &std::free);
            resolved) {
            readPath = resolved.get();
            folderPart = CataloguePathBelow(rootPath, readPath);
        }
    }
    if (folderPart.empty()) return ShowReadFailed(messages, result);
    std::u16string label;
    uint32_t serialNumber = 0;
    if (!fileSystem->GetVolumeInformation(rootPath, label, serialNumber)) return ShowReadFailed(messages, result);
    label = RecordedLabel(std::move(label));

    // Names differ by case alone on most file systems here; where the file
    // system folds case, a folder typed in another case is the same one.
    const bool foldsCase = folderPart != u"\\" && fileSystem->FoldsCase(rootPath, readPath);
    int replacePosition = document.FindRecordedVolume(serialNumber, label, folderPart, foldsCase);
    if (replacePosition >= 0) {
        switch (request.sameVolume) {
            case SameVolumeAnswer::Replace:
                break;
            case SameVolumeAnswer::Add:
                replacePosition = -1;
                break;
            case SameVolumeAnswer::Ask:
                switch (messages.Show(Tr(kSameVolumeQuestion), MessageButtons::YesNoCancel, MessageIcon::Question)) {
                    case MessageAnswer::Yes:
                        break;
                    case MessageAnswer::No:
                        replacePosition = -1;
                        break;
                    default:
                        result.outcome = ReadOutcome::Cancelled;
                        return false;
                }
                break;
        }
    }

    // The new volume is read outside the document, which changes only when
    // the read has ended (so that a read on another thread never races the
    // views); it takes over the name and comment of a volume it replaces.
    if (document.IsReadingVolume()) return ShowReadFailed(messages, result);
    // What the scan works on, owned by the job (see ScanJob).
    struct ScanContext {
        std::unique_ptr<CRootEntry> root;
        ReadRequest request;
        std::string readPath;
        std::string rootPath;
        IMediaFileSystem* fileSystem = nullptr;
        std::shared_ptr<IMediaFileSystem> image;  // the disc image read, if any
        CArchiverTable* archivers = nullptr;
        IconPass readIcons;
        ReadFailure failure;
    };
    std::shared_ptr<ScanContext> context;
    try {
        context = std::make_shared<ScanContext>();
        context->root = std::make_unique<CRootEntry>();
        context->request = request;
        context->readPath = readPath;
        context->rootPath = rootPath;
        context->fileSystem = fileSystem;
        context->image = image;
        if (image) context->request.driveType = DRIVE_CDROM;
        context->archivers = services.archivers;
        context->readIcons = services.readIcons;
    } catch (const std::bad_alloc&) {
        return ShowReadFailed(messages, result);
    }
    CRootEntry* root = context->root.get();
    if (replacePosition >= 0) {
        const CRootEntry& old = *document.Roots()[size_t(replacePosition)];
        root->m_name = request.name ? std::u16string_view(*request.name) : old.m_name.view();
        root->m_comment = request.comment ? *request.comment : old.m_comment;
    } else {
        if (request.name) root->m_name = *request.name;
        if (request.comment) root->m_comment = *request.comment;
    }
    const ScanJob job = [context](IReadProgress* progress, IMessageService& scanMessages) {
        try {
            ScanContext& c = *context;
            const ReadServices scan{*c.fileSystem, &scanMessages, c.archivers};
            bool done = ReadVolume(*c.root, scan, c.request.driveType, c.readPath, c.rootPath, progress, &c.failure);
            // The icon phase.
            if (done && c.request.readIcons && c.readIcons)
                done = c.readIcons(*c.root, progress, scanMessages, c.readPath, c.rootPath);
            return done;
        } catch (const std::bad_alloc&) {
            return false;
        }
    };
    ScanResult read;
    // Without a runner the progress dialog stays up until the driver ends.
    std::unique_ptr<IReadProgress> progress;
    if (services.runScan) {
        read = services.runScan(*root, job);
    } else {
        try {
            if (services.makeProgress) progress = services.makeProgress(*root);
        } catch (const std::bad_alloc&) {
        }
        read = job(progress.get(), messages);
    }
    if (!read) {
        // The job may still run: nothing it owns is touched here.
        result.abandoned = true;
        return ShowReadFailed(messages, result);
    }
    result.failure = context->failure;
    if (!*read) {
        if (result.failure.reason.empty()) result.failure.reason = fileSystem->FailureReason();
        return ShowReadFailed(messages, result);
    }
    std::unique_ptr<CRootEntry> created = std::move(context->root);

    CVolumeReadScope scope(document, replacePosition, std::move(created));
    if (!scope.Root()) return ShowReadFailed(messages, result);
    if (request.name) root->m_name = *request.name;
    if (request.comment) root->m_comment = *request.comment;
    scope.Commit(services.currentTime ? services.currentTime() : int64_t(std::time(nullptr)));
    result.outcome = ReadOutcome::Read;
    result.position = document.FindRoot(root);
    result.replaced = replacePosition >= 0;
    return true;
}

bool ReadMedia(CFSRecDoc& document, bool isNew, const ReadCommandServices& services, const ReadDialog& dialog,
               ReadReport* report) {
    ReadReport unused;
    ReadReport& result = report ? *report : unused;
    result = ReadReport{};
    ArchiverUnloader unloader(services.archivers);
    std::u16string extensions;
    if (services.archivers) extensions = services.archivers->LoadArchivers();

    const std::optional<ReadChoice> choice = dialog ? dialog(isNew, extensions) : std::nullopt;
    if (!choice) return false;
    ReadCommandServices readServices = services;
    if (!choice->readArchives && services.archivers) {
        // No file may match an archive handler.
        services.archivers->UnloadArchivers();
        readServices.archivers = nullptr;
    }
    if (choice->request.path.empty() && choice->request.drive.empty()) return false;
    const bool read = ReadIntoCatalogue(document, readServices, choice->request, &result);
    if (result.abandoned) unloader.Release();
    return read;
}

}  // namespace volcatra
