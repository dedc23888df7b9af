// The volume scan: reads one mounted volume, or one folder of it, into a
// new root: identity, space in use, and the whole directory tree depth
// first, with archive member lists where a handler is loaded.
#pragma once

#include <cstdint>
#include <string>

#include "model/FileEntry.h"
#include "platform/DirectoryListing.h"
#include "platform/MessageService.h"
#include "reading/ArchiveContents.h"
#include "reading/ReadProgress.h"

namespace volcatra {

// What a read works with.
struct ReadServices {
    IMediaFileSystem& fileSystem;
    // Asks "読み取りを中止しますか？" when a cancel request is collected;
    // without it a request cancels at once.
    IMessageService* messages = nullptr;
    // The loaded handler table; nullptr when archive contents are not read.
    CArchiverTable* archivers = nullptr;
};

// Why a read failed, for a front end that can say more than
// "読み取りに失敗しました".
struct ReadFailure {
    std::u16string path;  // the folder that could not be listed, if any
    int error = 0;        // its errno value
    bool cancelled = false;
    std::string reason;  // what was wrong with a disc image, in English; empty otherwise
};

// Reads the folder readPath (absolute and normalised) of the volume
// mounted at rootPath into root, which must be new and empty. readPath
// equal to rootPath reads the whole volume; otherwise m_volumeName becomes
// label + ":" + the catalogue path of readPath below the mount point
// (DISC1::\photos\2010). Returns false when the volume facts are not
// available, a subfolder cannot be listed, memory runs out or the user
// cancels; a top folder that cannot be listed, or the empty top of a whole
// volume, gives a volume without folder lists (m_childIndex -1). With
// a progress object the walk reports sectors and collects cancel requests.
// On failure root holds what was appended so far and is to be discarded.
bool ReadVolume(CRootEntry& root, const ReadServices& services, uint32_t driveType, const std::string& readPath,
                const std::string& rootPath, IReadProgress* progress, ReadFailure* failure = nullptr);

// The catalogue path of a folder below a mount point: "\\" for the mount
// point itself, else a backslash before every component (\photos\2010),
// names mapped to UTF-16 reversibly. Empty when path does not lie below
// rootPath.
std::u16string CataloguePathBelow(const std::string& rootPath, const std::string& path);

}  // namespace volcatra
