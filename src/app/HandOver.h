// What the running program does with the request of a later start: its
// window comes forward, with the desktop's token so that it may take the
// focus, and the files open as catalogues. While a modal window (a message
// box, a dialog) is open or the main window is disabled (a read runs), the
// files wait until it is over, so that no second box stacks over the first.
#pragma once

#include <QObject>
#include <QTimer>
#include <deque>

#include "app/SingleInstance.h"

class QWidget;

namespace volcatra {

class CFSRecApp;

// Brings a top-level window forward: restores it when minimised (a
// maximised window stays maximised), raises and activates it, using the
// desktop's token of the start that asked for it.
void BringWindowForward(QWidget& window, const HandOverRequest& request);

class CHandOver : public QObject {
    Q_OBJECT
public:
    explicit CHandOver(CFSRecApp& app, QObject* parent = nullptr);

    // Takes a request: the window comes forward at once, the files open now
    // or when the program is no longer busy.
    void Receive(const HandOverRequest& request);
    // Files waiting for the program to be free.
    int PendingCount() const { return int(m_pending.size()); }

private:
    bool Busy() const;
    void OpenPending();

    CFSRecApp& m_app;
    std::deque<QString> m_pending;
    QTimer m_retry;
    bool m_opening = false;
};

}  // namespace volcatra
