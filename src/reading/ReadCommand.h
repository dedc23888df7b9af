// The read command: reading a medium or a folder into an open catalogue
// document. ReadIntoCatalogue is the driver (the insert-medium prompt, the
// same-volume question, placing the new volume, the directory phase, the
// icon phase, handing the result to the document or restoring it);
// ReadMedia is the body of the two read commands around it (the archiver
// libraries and the read dialog).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "document/FSRecDoc.h"
#include "model/UiText.h"
#include "platform/DirectoryListing.h"
#include "platform/DiscImageFileSystem.h"
#include "platform/MessageService.h"
#include "platform/RemovableMedia.h"
#include "reading/ArchiveContents.h"
#include "reading/ReadProgress.h"
#include "reading/VolumeScan.h"

namespace volcatra {

// "%1 ドライブ に %2 をセットしてください": %1 the mount point or device the
// user chose, %2 kCdRomMediumName for a CD-ROM drive, else kDiskMediumName.
inline constexpr UiText kInsertMediumText = VOLCATRA_TEXT("Reading", "%1 ドライブ に %2 をセットしてください");
inline constexpr char16_t kCdRomMediumName[] = u"CD-ROM";
inline constexpr UiText kDiskMediumName = VOLCATRA_TEXT("Reading", "ディスク");
inline constexpr UiText kSameVolumeQuestion = VOLCATRA_TEXT(
    "Reading", "同じメディアまたはフォルダがすでに記録されています。\n記録されている内容を置き換えますか？");

// The insert-medium prompt for a drive.
std::u16string InsertMediumText(const std::u16string& drive, uint32_t driveType);

// How the same-volume question is answered: asked through the message
// service, or decided beforehand (the command line's --replace / --add).
enum class SameVolumeAnswer { Ask, Replace, Add };

// One read: what to read and how.
struct ReadRequest {
    // The folder to read, absolute and normalised. Empty, or equal to
    // drive: the whole medium in the drive.
    std::string path;
    // The mount point or device the user chose, named in the insert-medium
    // prompt. Empty: the volume that holds path.
    std::string drive;
    uint32_t driveType = 0;
    bool readIcons = false;
    // A path that names a disc image file (ISO 9660 or UDF by content) is
    // read as the disc it holds, with drive type 5; false reads it as the
    // file it is.
    bool readImages = true;
    SameVolumeAnswer sameVolume = SameVolumeAnswer::Ask;
    // The user-given name and comment of the new volume; unset, a new
    // volume has none and a replacing one keeps those of the volume it
    // replaces.
    std::optional<std::u16string> name;
    std::optional<std::u16string> comment;
};

// What the read dialog returns when the user confirmed a path.
struct ReadChoice {
    ReadRequest request;
    bool readArchives = true;
};

// Where a medium stands: the folder its volume is mounted at (the read's
// root path) and whether that is a folder at all.
struct MediumRoot {
    std::string rootPath;
    bool isFolder = true;
};

// How a read command ended.
enum class ReadOutcome {
    Read,       // a volume was read into the document
    Cancelled,  // ended quietly at the insert-medium prompt or the same-volume question
    Failed,     // "読み取りに失敗しました" was shown (also after a confirmed cancel)
    NotRun,     // the read dialog was cancelled or gave no path
};

struct ReadReport {
    ReadOutcome outcome = ReadOutcome::NotRun;
    int position = -1;      // the new volume's position in the document after a read
    bool replaced = false;  // the read replaced the volume at position
    ReadFailure failure;    // the scan's reason, after a failed directory phase
    // The read was abandoned while a system call blocked: the scan may
    // still be running and uses the archiver table it was given.
    bool abandoned = false;
};

// The icon phase over a volume just read: (root, progress, messages,
// readPath, rootPath) → success. It runs after the directory phase when
// icons are asked for, with the message service of the scan; a failure or a
// cancel fails the whole read. A job keeps a copy of it, so what it needs
// lives as long as the copy.
using IconPass = std::function<bool(CRootEntry& root, IReadProgress* progress, IMessageService& messages,
                                    const std::string& readPath, const std::string& rootPath)>;

// The directory phase and the icon phase of one read into a root that is
// not yet in the document, with the progress object (or none) and the
// message service to use while it runs. True when the root was read. A job
// owns what it works on (the new root, the request, the paths), so that a
// runner may abandon a job whose system call hangs and let it end alone.
using ScanJob = std::function<bool(IReadProgress* progress, IMessageService& messages)>;

// How a runner ended a scan job: its result, or nullopt when the user
// abandoned it while it was blocked (it may still be running).
using ScanResult = std::optional<bool>;

// What the read command works with.
struct ReadCommandServices {
    IMediaFileSystem* fileSystem = nullptr;  // required
    IMessageService* messages = nullptr;     // required
    // The handler table; ReadMedia loads it for one command and unloads it
    // at the end. nullptr: archive contents are never read.
    CArchiverTable* archivers = nullptr;
    // Finds the medium now in request.drive (or holding request.path when
    // no drive is named); nullopt while there is none. Unset: the mounted
    // file systems of this machine (FindMountedMedium).
    std::function<std::optional<MediumRoot>(const std::string& drive, const std::string& path)> findMedium;
    // Mounts a medium that is present but not mounted when the user named
    // its device; nullptr: nothing is mounted (the insert-medium prompt
    // waits for the desktop or the user to mount it).
    IRemovableMedia* removableMedia = nullptr;
    // Creates the progress dialog for one read of the new root (which stays
    // valid while the dialog lives). Unset: no progress object.
    std::function<std::unique_ptr<IReadProgress>(const CRootEntry& newRoot)> makeProgress;
    // Runs the scan of newRoot (which stays valid until it returns): the
    // desktop program runs it on a worker thread behind its progress dialog
    // and answers the job's questions on its own thread. Unset: the job runs
    // here with the progress object of makeProgress and the messages service.
    std::function<ScanResult(const CRootEntry& newRoot, const ScanJob& job)> runScan;
    // The icon phase. Unset: icons are not read even when asked for.
    IconPass readIcons;
    // Shows (true) and ends (false) the wait cursor around the read.
    std::function<void(bool busy)> showWaitCursor;
    // Seconds since 1970 UTC for the volume's read time. Unset: the clock.
    std::function<int64_t()> currentTime;
};

// The medium in drive on this machine: for a drive that names a mount
// point, the file system mounted there; for one that names a device, the
// first mount of that device; without a drive, the mounted file system
// that holds path. nullopt when nothing is mounted there.
std::optional<MediumRoot> FindMountedMedium(const std::string& drive, const std::string& path);
// Whether a path lies where the desktop mounts media (/media, /run/media,
// /mnt): a missing folder there means a missing medium.
bool IsBelowMediaFolder(const std::string& path);

// Reads request.path into the document: prompts for the medium until it is
// there (Retry/Cancel), reads the label and serial number, asks whether a
// volume already recorded for the same medium or folder is to be replaced
// (Yes replaces it in place keeping its name and comment, No adds, Cancel
// ends), then reads the new volume with a progress dialog and the icon
// phase when asked. The document's list changes only when the read has
// ended: on success the document takes the volume in the place chosen
// (history cleared, an added volume becomes the undo step, modified, views
// rebuilt); on any failure or confirmed cancel "読み取りに失敗しました" is
// shown and the document is left exactly as it was. True when read.
bool ReadIntoCatalogue(CFSRecDoc& document, const ReadCommandServices& services, const ReadRequest& request,
                       ReadReport* report = nullptr);

// The read dialog: given whether the command makes a new catalogue and the
// supported-extensions text (empty when no archiver is available), the
// user's choice, or nullopt when the user cancelled or gave no path.
using ReadDialog = std::function<std::optional<ReadChoice>(bool isNew, const std::u16string& supportedExtensions)>;

// The body of both read commands: loads the archivers, runs the read
// dialog, unloads the archivers before the read when archive contents are
// not wanted, runs ReadIntoCatalogue, and unloads the archivers at the end
// in every case. True when a volume was read into the document.
bool ReadMedia(CFSRecDoc& document, bool isNew, const ReadCommandServices& services, const ReadDialog& dialog,
               ReadReport* report = nullptr);

}  // namespace volcatra
