#include "app/HandOver.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

#include "app/FSRecApp.h"
#include "app/MainFrame.h"
#include "app/X11Activation.h"

namespace volcatra {

namespace {
// How often a busy program looks again whether the files can open.
constexpr int kRetryMs = 150;
}  // namespace

void BringWindowForward(QWidget& window, const HandOverRequest& request) {
    if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") && !request.m_startupId.isEmpty()) {
        // The window manager lets a window take the focus when the request
        // is newer than the user's last action elsewhere: the startup id
        // carries the time of the click that started the second program.
        if (ActivateX11Window(window.winId(), request.m_startupId)) return;
    }
    if (platform.startsWith(QLatin1String("wayland")) && !request.m_activationToken.isEmpty()) {
        // Qt's Wayland client hands this variable to the compositor on the
        // next activation and removes it.
        qputenv("XDG_ACTIVATION_TOKEN", request.m_activationToken.toUtf8());
    }
    window.activateWindow();
}

CHandOver::CHandOver(CFSRecApp& app, QObject* parent) : QObject(parent), m_app(app) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &CHandOver::OpenPending);
}

void CHandOver::Receive(const HandOverRequest& request) {
    if (CMainFrame* frame = m_app.MainFrame()) {
        // An open modal window stays in front of the main window.
        QWidget* modal = QApplication::activeModalWidget();
        BringWindowForward(modal ? *modal->window() : *static_cast<QWidget*>(frame), request);
    }
    for (const QString& path : request.m_paths) m_pending.push_back(path);
    OpenPending();
}

bool CHandOver::Busy() const {
    const CMainFrame* frame = m_app.MainFrame();
    return QApplication::activeModalWidget() || QApplication::activePopupWidget() || !frame || !frame->isEnabled();
}

void CHandOver::OpenPending() {
    // An open that runs a loop of its own comes back here; the outer call
    // goes on with the files.
    if (m_opening) return;
    m_opening = true;
    while (!m_pending.empty()) {
        if (Busy()) {
            m_retry.start();
            break;
        }
        const QString path = m_pending.front();
        m_pending.pop_front();
        // Opening may show a message box; the next file waits for it.
        m_app.OpenDocumentFile(path);
    }
    m_opening = false;
}

}  // namespace volcatra
