#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDataStream>
#include <QFileInfo>
#include <QLocalSocket>

namespace volcatra {

namespace {
// The hand-over message: a tag, then the list of paths.
constexpr quint32 kOpenTag = 0x4F50454E;  // "OPEN"
}  // namespace

QString InstanceServerName() {
    return QStringLiteral("volcatra-%1").arg(::getuid());
}

bool SendToRunningInstance(const QString& serverName, const QStringList& paths, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QStringList absolute;
    for (const QString& path : paths) absolute << QFileInfo(path).absoluteFilePath();
    QByteArray message;
    {
        QDataStream stream(&message, QIODevice::WriteOnly);
        stream << kOpenTag << absolute;
    }
    QByteArray framed;
    {
        QDataStream stream(&framed, QIODevice::WriteOnly);
        stream << message;
    }
    socket.write(framed);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The running program closes the connection once it has the message.
    socket.waitForDisconnected(timeoutMs);
    return true;
}

bool IsInstanceRunning(const QString& serverName, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const bool running = socket.waitForConnected(timeoutMs);
    if (running) socket.disconnectFromServer();
    return running;
}

CInstanceServer::CInstanceServer(QObject* parent) : QObject(parent) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &CInstanceServer::OnConnection);
}

bool CInstanceServer::Listen(const QString& serverName) {
    if (m_server.listen(serverName)) return true;
    // No program answered on the name (checked by the caller): the socket
    // file is left from one that ended abnormally.
    QLocalServer::removeServer(serverName);
    return m_server.listen(serverName);
}

void CInstanceServer::OnConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
            QDataStream stream(socket);
            stream.startTransaction();
            QByteArray message;
            stream >> message;
            if (!stream.commitTransaction()) return;
            QDataStream inner(message);
            quint32 tag = 0;
            QStringList paths;
            inner >> tag >> paths;
            socket->disconnectFromServer();
            if (inner.status() == QDataStream::Ok && tag == kOpenTag) emit FilesReceived(paths);
        });
    }
}

}  // namespace volcatra
