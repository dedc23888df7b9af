// The desktop program: volcatra [FILE.fsr] | --register | --unregister
#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>

#include "app/FSRecApp.h"
#include "app/MainFrame.h"
#include "app/SingleInstance.h"
#include "ui/QtServices.h"

int main(int argc, char* argv[]) {
    using namespace volcatra;
    QApplication application(argc, argv);
    SetApplicationNames();

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
    // A second start hands its file to the running program.
    const QString serverName = InstanceServerName();
    if (!switches && !files.isEmpty() && SendToRunningInstance(serverName, files)) return 0;

    CQtMessageService messages;
    CQtClipboard clipboard;
    CQtSaveDialogHost saveDialog;
    AppServices services;
    services.m_messages = &messages;
    services.m_clipboard = &clipboard;
    services.m_saveDialog = &saveDialog;
    services.m_chooseOpenFile = []() {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(),
                                            QStringLiteral("メディア構成 ファイル (*.fsr);;すべてのファイル (*)"),
                                            nullptr, QFileDialog::DontUseNativeDialog);
    };
    CFSRecApp app(std::move(services));
    if (!app.InitInstance(arguments)) return app.ExitCode();
    saveDialog.SetParent(app.MainFrame());

    // Another program started without a file keeps the hand-over: this one
    // only listens when nobody else does.
    CInstanceServer server;
    const bool listen = !IsInstanceRunning(serverName);
    QObject::connect(&server, &CInstanceServer::FilesReceived, &app, [&app](const QStringList& paths) {
        CMainFrame* frame = app.MainFrame();
        frame->showNormal();
        frame->raise();
        frame->activateWindow();
        for (const QString& path : paths) app.OpenDocumentFile(path);
    });
    if (listen) server.Listen(serverName);
    return application.exec();
}
