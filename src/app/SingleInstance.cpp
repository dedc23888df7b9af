#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDataStream>
#include <QFileInfo>
#include <QLocalSocket>

namespace volcatra {

namespace {
// The hand-over message: a tag, the list of paths, then the activation token
// and the startup id. A reader that knows only the paths ignores the rest.
constexpr quint32 kOpenTag = 0x4F50454E;  // "OPEN"
}  // namespace

QString InstanceServerName() {
    return QStringLiteral("volcatra-%1").arg(::getuid());
}

HandOverRequest MakeHandOverRequest(const QStringList& paths) {
    HandOverRequest request;
    for (const QString& path : paths) request.m_paths << QFileInfo(path).absoluteFilePath();
    request.m_activationToken = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    request.m_startupId = qEnvironmentVariable("DESKTOP_STARTUP_ID");
    return request;
}

bool SendToRunningInstance(const QString& serverName, const HandOverRequest& request, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QByteArray message;
    {
        QDataStream stream(&message, QIODevice::WriteOnly);
        stream << kOpenTag << request.m_paths << request.m_activationToken << request.m_startupId;
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
            HandOverRequest request;
            inner >> tag >> request.m_paths;
            if (!inner.atEnd()) inner >> request.m_activationToken >> request.m_startupId;
            socket->disconnectFromServer();
            if (inner.status() == QDataStream::Ok && tag == kOpenTag) emit RequestReceived(request);
        });
    }
}

}  // namespace volcatra
