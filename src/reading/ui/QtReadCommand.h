// The two read commands of the desktop program: the read dialog, the read
// into the catalogue document with the progress dialog, and the scan on a
// worker thread.
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "document/FSRecDoc.h"
#include "platform/DirectoryListing.h"
#include "platform/MessageService.h"
#include "platform/QtIconSource.h"
#include "reading/DriveList.h"
#include "reading/ReadCommand.h"
#include "reading/ui/DriveDlg.h"
#include "reading/ui/WorkerRead.h"

class QDialog;
class QSettings;
class QWidget;

namespace volcatra {

class CArchiverTable;

struct QtReadServices {
    IMessageService* messages = nullptr;  // required
    // Where "ReadDrive" and "ReadFlag" are kept; required.
    std::function<std::unique_ptr<QSettings>()> openSettings;
    // The window the dialogs belong to and the progress dialog disables.
    std::function<QWidget*()> owner;
    // Runs the read dialog; QDialog::exec when unset.
    std::function<int(QDialog&)> runDialog;
    // The drop-down list; this machine's volumes and optical drives when unset.
    std::function<std::vector<DriveItem>()> listDrives;
    FolderChooser chooseFolder = ChooseFolderWithQt;
    std::function<void()> showHelp;
    // Unset: this machine's file systems, archivers and mounted media.
    IMediaFileSystem* fileSystem = nullptr;
    CArchiverTable* archivers = nullptr;
    bool builtInArchivers = true;
    std::function<std::optional<MediumRoot>(const std::string& drive, const std::string& path)> findMedium;
    // Lists and mounts media that are present but not mounted. Unset: the
    // UDisks2 service of the system bus when it answers, else none (the
    // drive list then asks the optical drives themselves).
    IRemovableMedia* removableMedia = nullptr;
    // How long a cancel request waits for a blocked scan before the user
    // may abandon the read.
    std::chrono::milliseconds abandonAfter = kAbandonAfter;
    // The icon phase. Unset: pictures from files on the medium, with the
    // type icons and the overlay of the process-wide image list.
    IconPass readIcons;
};

// The type icons and the overlay the icon phase needs, rendered from the
// process-wide image list (on the user-interface thread).
PreparedIconImages PrepareThemeIconImages();

class CQtReadCommand {
public:
    explicit CQtReadCommand(QtReadServices services);
    ~CQtReadCommand();
    CQtReadCommand(const CQtReadCommand&) = delete;
    CQtReadCommand& operator=(const CQtReadCommand&) = delete;

    // The body of both commands (new-read with isNew): true when a volume
    // was read into the document.
    bool Read(CFSRecDoc& document, bool isNew);
    const ReadReport& LastReport() const { return m_report; }

    // The drop-down list of this machine.
    std::vector<DriveItem> ListMachineDrives();

private:
    std::optional<ReadChoice> RunDialog(bool isNew, const std::u16string& extensions);

    QtReadServices m_services;
    std::unique_ptr<IMediaFileSystem> m_localFileSystem;
    std::unique_ptr<CArchiverTable> m_builtInArchivers;
    std::unique_ptr<IRemovableMedia> m_udisks;
    ReadReport m_report;
};

}  // namespace volcatra
