#include "reading/ui/QtReadCommand.h"

#include <QApplication>
#include <QCursor>
#include <QSettings>

#include "platform/ArchiverLibraries.h"
#include "reading/ArchiveContents.h"
#include "reading/ui/ReadProgDlg.h"
#include "reading/ui/WorkerRead.h"

namespace volcatra {

CQtReadCommand::CQtReadCommand(QtReadServices services) : m_services(std::move(services)) {
    if (!m_services.fileSystem) {
        m_localFileSystem = std::make_unique<LocalFileSystem>();
        m_services.fileSystem = m_localFileSystem.get();
    }
    if (!m_services.archivers && m_services.builtInArchivers) {
        m_builtInArchivers = std::make_unique<CArchiverTable>(BuiltInArchiverLoader());
        m_services.archivers = m_builtInArchivers.get();
    }
}

CQtReadCommand::~CQtReadCommand() = default;

std::vector<DriveItem> CQtReadCommand::ListMachineDrives() {
    CSysfsOpticalDrives opticalDrives;
    return BuildDriveList(CollectMountedVolumes(), opticalDrives.ListUnmountedMedia());
}

std::optional<ReadChoice> CQtReadCommand::RunDialog(bool isNew, const std::u16string& extensions) {
    const std::unique_ptr<QSettings> settings = m_services.openSettings();
    std::vector<DriveItem> items = m_services.listDrives ? m_services.listDrives() : ListMachineDrives();
    QWidget* owner = m_services.owner ? m_services.owner() : QApplication::activeWindow();
    CDriveDlg dialog(isNew, extensions, std::move(items), *settings, m_services.chooseFolder, m_services.showHelp,
                     owner);
    const int result = m_services.runDialog ? m_services.runDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

bool CQtReadCommand::Read(CFSRecDoc& document, bool isNew) {
    ReadCommandServices services;
    services.fileSystem = m_services.fileSystem;
    services.messages = m_services.messages;
    services.archivers = m_services.archivers;
    services.findMedium = m_services.findMedium;
    services.showWaitCursor = [](bool busy) {
        // The busy arrow: the progress dialog's Cancel stays a target.
        if (busy)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    services.runScan = [this](const CRootEntry&, const ScanJob& job) {
        QWidget* owner = m_services.owner ? m_services.owner() : QApplication::activeWindow();
        CReadProgDlg progress(owner);
        return RunScanOnWorker(progress, *m_services.messages, job, m_services.abandonAfter);
    };
    const ReadDialog dialog = [this](bool newRead, const std::u16string& extensions) {
        return RunDialog(newRead, extensions);
    };
    const bool read = ReadMedia(document, isNew, services, dialog, &m_report);
    if (m_report.abandoned && m_builtInArchivers && m_services.archivers == m_builtInArchivers.get()) {
        // The abandoned scan keeps its table, which is never destroyed (the
        // scan may still be inside it when the program ends); the next read
        // gets a new one.
        static_cast<void>(m_builtInArchivers.release());
        m_builtInArchivers = std::make_unique<CArchiverTable>(BuiltInArchiverLoader());
        m_services.archivers = m_builtInArchivers.get();
    }
    return read;
}

}  // namespace volcatra
