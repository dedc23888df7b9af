// Writes pictures of the main window with a catalogue open, rendered
// offscreen: volcatra-screenshots CATALOGUE.fsr OUTPUT_FOLDER
// In Japanese, the program's own language, unless VOLCATRA_LANG=en asks for
// the English interface: then only the main window, as main-window-en.png.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMdiArea>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>

#include "app/FSRecApp.h"
#include "app/MainFrame.h"
#include "browsing/CatalogueDocument.h"
#include "browsing/ChildFrame.h"
#include "browsing/FSListView.h"
#include "browsing/FSTreeView.h"
#include "browsing/VolumeProperties.h"
#include "reading/ui/DriveDlg.h"
#include "reading/ui/ReadProgDlg.h"
#include "search/ui/FSFindView.h"
#include "search/ui/FindFrame.h"
#include "search/ui/SearchWindows.h"
#include "ui/QtServices.h"

namespace {

// Message boxes cannot be answered here: their texts go to the error output.
class CPrintingMessages : public volcatra::IMessageService {
public:
    volcatra::MessageAnswer Show(const std::u16string& text, volcatra::MessageButtons, volcatra::MessageIcon) override {
        std::fprintf(stderr, "message: %s\n", QString::fromStdU16String(text).toUtf8().constData());
        return volcatra::MessageAnswer::Cancel;
    }
};

bool Save(QWidget& window, const QString& path) {
    QApplication::processEvents();
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace volcatra;
    // The pictures show a first start: no settings of the user are read or written.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool english = qgetenv("VOLCATRA_LANG") == "en";
    if (!english) qputenv("VOLCATRA_LANG", "ja");
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: volcatra-screenshots CATALOGUE.fsr OUTPUT_FOLDER\n");
        return 2;
    }
    // The Japanese texts need a font that has them; in English the default
    // font shows the texts and Qt falls back to another for the names.
    for (const QString& family : english ? QStringList() : QFontDatabase::families()) {
        if (family.contains(QLatin1String("IPAPGothic")) || family.contains(QLatin1String("IPAGothic"))) {
            QApplication::setFont(QFont(family, 9));
            break;
        }
    }
    CPrintingMessages messages;
    CQtClipboard clipboard;
    CQtSaveDialogHost saveDialog;
    AppServices services;
    services.m_messages = &messages;
    services.m_clipboard = &clipboard;
    services.m_saveDialog = &saveDialog;
    CFSRecApp app(std::move(services));
    if (!app.InitInstance({QString::fromLocal8Bit(argv[1])})) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(folder);
    CMainFrame* frame = app.MainFrame();
    frame->resize(900, 560);
    CChildFrame* child = frame->ActiveCatalogueFrame();
    if (!child) return 1;
    bool ok = english || Save(*frame, QDir(folder).filePath(QStringLiteral("main-window-volumes.png")));
    // The first volume's top folder.
    CFSTreeView* tree = child->TreeView();
    const QModelIndex top = tree->model()->index(0, 0);
    const QModelIndex volume = tree->model()->index(0, 0, top);
    if (volume.isValid()) {
        tree->setCurrentIndex(volume);
        tree->expandAll();
        const QString name = english ? QStringLiteral("main-window-en.png") : QStringLiteral("main-window.png");
        ok = Save(*frame, QDir(folder).filePath(name)) && ok;
    }
    if (english) return ok ? 0 : 1;
    // The property sheet of the first volume.
    if (!child->Document().Roots().empty()) {
        CVolumePropertySheet sheet(*child->Document().Roots().front(), frame);
        sheet.show();
        ok = Save(sheet, QDir(folder).filePath(QStringLiteral("volume-properties.png"))) && ok;
    }
    // A search window with its results, over a copy of the catalogue in a
    // folder whose name reads as a user's own (not the build machine's).
    const QString places = QDir::temp().filePath(QStringLiteral("カタログ"));
    QDir(places).removeRecursively();
    QDir().mkpath(places);
    QFile::copy(QString::fromLocal8Bit(argv[1]), QDir(places).filePath(QStringLiteral("旅行.fsr")));
    if (CFindFrame* search = app.SearchWindows().OpenSearchWindow(nullptr)) {
        search->Bar()->NameBox()->setEditText(QStringLiteral("*.jpg"));
        search->Bar()->PlaceBox()->setEditText(places);
        search->RunCommand(ID_SEARCH_START);
        ok = Save(*frame, QDir(folder).filePath(QStringLiteral("search-window.png"))) && ok;
    }
    QDir(places).removeRecursively();
    // The read dialog over a sample drive list, and the progress dialog
    // in the middle of a directory phase.
    {
        auto settings = OpenSettings();
        const std::vector<DriveItem> items = {{u"/", "/", DRIVE_FIXED, true},
                                              {u"/media/user/DISC1 [DISC1]", "/media/user/DISC1", DRIVE_CDROM, true},
                                              {u"/media/user/STICK", "/media/user/STICK", DRIVE_REMOVABLE, true},
                                              {u"/dev/sr1 CD-ROM", "/dev/sr1", DRIVE_CDROM, false}};
        CDriveDlg dialog(true, u"lzh, arj, zip, cab, tar, tgz, gz", items, *settings, {}, [] {});
        dialog.show();
        ok = Save(dialog, QDir(folder).filePath(QStringLiteral("read-dialog.png"))) && ok;
    }
    {
        CReadProgDlg progress(nullptr);
        progress.SetPhaseText(ReadPhase::Directory);
        progress.SetRange(1000);
        progress.SetPos(420);
        progress.SetPathText(u"/media/user/DISC1/Pictures/2010/Summer holidays in the mountains/Day 3");
        ok = Save(progress, QDir(folder).filePath(QStringLiteral("read-progress.png"))) && ok;
    }
    return ok ? 0 : 1;
}
