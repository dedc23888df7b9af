// The desktop program: volcatra [FILE.fsr] | --register | --unregister | --version
#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QSettings>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstring>

#include "app/FSRecApp.h"
#include "app/HandOver.h"
#include "app/MainFrame.h"
#include "app/ShellRegistration.h"
#include "app/SingleInstance.h"
#include "reading/ui/QtReadCommand.h"
#include "ui/QtServices.h"

namespace {

// With VOLCATRA_EXIT_AFTER_SHOWN set, the program closes its main window as
// soon as it is on the screen, and so ends by itself: a check that an
// installed program starts, also without a desktop (offscreen).
void CloseWhenShown(QWidget& window) {
    auto* timer = new QTimer(&window);
    QObject::connect(timer, &QTimer::timeout, &window, [&window]() {
        if (window.windowHandle() && window.windowHandle()->isExposed()) window.close();
    });
    timer->start(20);
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace volcatra;
    // Answered without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("ボルカトラ Version %s\n", kAppVersion);
            return 0;
        }
    }
    // The desktop's tokens of this start: Qt's X11 client takes the startup
    // id out of the environment when it connects.
    HandOverRequest request = MakeHandOverRequest({});
    QApplication application(argc, argv);
    SetApplicationNames();
    // The desktop entry the windows belong to (its icon, its task-bar entry).
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopFileId));

    QStringList arguments = application.arguments();
    arguments.removeFirst();
    QStringList files;
    bool switches = false;
    for (const QString& argument : arguments) {
        if (argument.startsWith(u'-'))
            switches = true;
        else
            files << argument;
    }
    // A later start hands its files (or only the wish to see the window)
    // to the running program and ends.
    const QString serverName = InstanceServerName();
    request.m_paths = MakeHandOverRequest(files).m_paths;
    if (!switches && SendToRunningInstance(serverName, request)) return 0;

    CQtMessageService messages;
    CQtClipboard clipboard;
    CQtDragService drags;
    CQtSaveDialogHost saveDialog;
    AppServices services;
    services.m_messages = &messages;
    services.m_clipboard = &clipboard;
    services.m_dragService = &drags;
    services.m_saveDialog = &saveDialog;
    services.m_chooseOpenFile = []() {
        return QFileDialog::getOpenFileName(
            QApplication::activeWindow(), QString(), QString(),
            QCoreApplication::translate("Application", "メディア構成 ファイル (*.fsr);;すべてのファイル (*)"), nullptr,
            QFileDialog::DontUseNativeDialog);
    };
    // The two read commands; the read dialog and the progress dialog belong
    // to the main window.
    CFSRecApp* appObject = nullptr;
    QtReadServices readServices;
    readServices.messages = &messages;
    readServices.openSettings = OpenSettings;
    readServices.owner = [&appObject]() -> QWidget* {
        return appObject ? static_cast<QWidget*>(appObject->MainFrame()) : QApplication::activeWindow();
    };
    CQtReadCommand reader(std::move(readServices));
    services.m_readIntoNewDocument = [&reader](CFSRecDoc& document) { return reader.Read(document, true); };
    services.m_readAdditional = [&reader](CFSRecDoc& document) { reader.Read(document, false); };
    CFSRecApp app(std::move(services));
    appObject = &app;
    // This program takes the requests of later starts from now on, so that
    // one started while this one still opens its catalogue hands over too;
    // they are carried out once the main window is there. A start with the
    // registration switches ends at once and takes none.
    CInstanceServer server;
    CHandOver handOver(app);
    QObject::connect(&server, &CInstanceServer::RequestReceived, &handOver, &CHandOver::Receive);
    if (!switches && !IsInstanceRunning(serverName)) server.Listen(serverName);
    if (!app.InitInstance(arguments)) return app.ExitCode();
    saveDialog.SetParent(app.MainFrame());
    if (qEnvironmentVariableIsSet("VOLCATRA_EXIT_AFTER_SHOWN")) CloseWhenShown(*app.MainFrame());
    return application.exec();
}
