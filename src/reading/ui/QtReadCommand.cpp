#include "reading/ui/QtReadCommand.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QSettings>

#include "platform/ArchiverLibraries.h"
#include "platform/UDisks2Media.h"
#include "reading/ArchiveContents.h"
#include "reading/QtIconPass.h"
#include "reading/ui/ReadProgDlg.h"
#include "reading/ui/WorkerRead.h"
#include "ui/SysImageList.h"

namespace volcatra {

namespace {

// Mounting waits for the service (and the user's password) with this
// thread's events going on: the owner stays disabled meanwhile, so that no
// command starts while the read waits.
class COwnerDisabledMount : public IRemovableMedia {
public:
    COwnerDisabledMount(IRemovableMedia& media, QWidget* owner) : m_media(media), m_owner(owner) {}
    std::vector<UnmountedMedium> ListUnmountedMedia() override { return m_media.ListUnmountedMedia(); }
    bool Mount(const std::string& device) override {
        const bool disable = m_owner && m_owner->isEnabled();
        if (disable) m_owner->setEnabled(false);
        const bool mounted = m_media.Mount(device);
        if (disable && m_owner) m_owner->setEnabled(true);
        return mounted;
    }

private:
    IRemovableMedia& m_media;
    QPointer<QWidget> m_owner;
};

IconImages Render(const QIcon& icon) {
    if (icon.isNull()) return {};
    return IconImages{icon.pixmap(32, 32).toImage(), icon.pixmap(16, 16).toImage()};
}

}  // namespace

PreparedIconImages PrepareThemeIconImages() {
    CSysImageList& list = CSysImageList::Instance();
    PreparedIconImages images;
    images.overlay = Render(list.OverlayIcon());
    images.linkShortcut = Render(list.Icon(list.IndexForName(QStringLiteral("a.lnk"), false)));
    images.pifShortcut = Render(list.Icon(list.IndexForName(QStringLiteral("a.pif"), false)));
    images.hardDisk = Render(list.Icon(CSysImageList::kHardDisk));
    images.opticalDisc = Render(list.Icon(CSysImageList::kOpticalDisc));
    images.removableDisk = Render(list.Icon(CSysImageList::kRemovableDisk));
    // A theme without drive pictures: the generic file's picture stands in.
    for (IconImages* drive : {&images.hardDisk, &images.opticalDisc, &images.removableDisk})
        if (drive->large.isNull()) *drive = Render(list.Icon(CSysImageList::kGenericFile));
    return images;
}

CQtReadCommand::CQtReadCommand(QtReadServices services) : m_services(std::move(services)) {
    if (!m_services.fileSystem) {
        m_localFileSystem = std::make_unique<LocalFileSystem>();
        m_services.fileSystem = m_localFileSystem.get();
    }
    if (!m_services.removableMedia) {
        auto udisks = std::make_unique<CUDisks2Media>();
        if (udisks->Available()) {
            m_udisks = std::move(udisks);
            m_services.removableMedia = m_udisks.get();
        }
    }
    if (!m_services.archivers && m_services.builtInArchivers) {
        m_builtInArchivers = std::make_unique<CArchiverTable>(BuiltInArchiverLoader());
        m_services.archivers = m_builtInArchivers.get();
    }
}

CQtReadCommand::~CQtReadCommand() = default;

std::vector<DriveItem> CQtReadCommand::ListMachineDrives() {
    if (m_services.removableMedia)
        return BuildDriveList(CollectMountedVolumes(), m_services.removableMedia->ListUnmountedMedia());
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
    std::optional<COwnerDisabledMount> mounter;
    if (m_services.removableMedia) {
        mounter.emplace(*m_services.removableMedia,
                        m_services.owner ? m_services.owner() : QApplication::activeWindow());
        services.removableMedia = &*mounter;
    }
    // The pictures of the theme are made here, on the user-interface
    // thread; the phase itself runs with the scan.
    services.readIcons = m_services.readIcons ? m_services.readIcons : MakeQtIconPass(PrepareThemeIconImages());
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
