// One running program per user: a second start hands its files to the
// running program over a local socket and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace volcatra {

// The socket name of the running program of this user.
QString InstanceServerName();

// What a later start hands to the running program: the files to open (none:
// only bring the window forward) and the desktop's token that lets the
// running program take the focus.
struct HandOverRequest {
    QStringList m_paths;
    QString m_activationToken;  // XDG_ACTIVATION_TOKEN (Wayland)
    QString m_startupId;        // DESKTOP_STARTUP_ID (X11 startup notification)
};

// The request of this start: the paths (made absolute) and the tokens of
// the environment.
HandOverRequest MakeHandOverRequest(const QStringList& paths);

// Sends the request to the running program; false when none answers.
bool SendToRunningInstance(const QString& serverName, const HandOverRequest& request, int timeoutMs = 1000);

// Whether a program listens on the name.
bool IsInstanceRunning(const QString& serverName, int timeoutMs = 300);

class CInstanceServer : public QObject {
    Q_OBJECT
public:
    explicit CInstanceServer(QObject* parent = nullptr);
    // Starts listening; a stale socket of a program that ended is removed.
    bool Listen(const QString& serverName);

signals:
    // A request handed over by another start.
    void RequestReceived(const volcatra::HandOverRequest& request);

private:
    void OnConnection();
    QLocalServer m_server;
};

}  // namespace volcatra
