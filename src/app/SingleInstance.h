// One running program per user: a second start hands its files to the
// running program over a local socket and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace volcatra {

// The socket name of the running program of this user.
QString InstanceServerName();

// Sends the absolute paths to the running program; false when none answers.
bool SendToRunningInstance(const QString& serverName, const QStringList& paths, int timeoutMs = 1000);

// Whether a program listens on the name.
bool IsInstanceRunning(const QString& serverName, int timeoutMs = 300);

class CInstanceServer : public QObject {
    Q_OBJECT
public:
    explicit CInstanceServer(QObject* parent = nullptr);
    // Starts listening; a stale socket of a program that ended is removed.
    bool Listen(const QString& serverName);

signals:
    // Files handed over by another start, in the order given.
    void FilesReceived(const QStringList& paths);

private:
    void OnConnection();
    QLocalServer m_server;
};

}  // namespace volcatra
