#include "platform/FreedesktopFileManager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace volcatra {

namespace {

// A file URL of the path's bytes as they are: names that are not UTF-8
// keep their bytes through the percent encoding.
QUrl FileUrl(const std::string& path) {
    const QByteArray bytes(path.data(), qsizetype(path.size()));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return path;
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

CFreedesktopFileManager::CFreedesktopFileManager(Fallback fallback, QDBusConnection connection,
                                                 std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), m_fallback(std::move(fallback)), m_connection(std::move(connection)), m_timeout(timeout) {}

QUrl CFreedesktopFileManager::FallbackFolder(const FileManagerRequest& request) {
    return FileUrl(request.selectItem ? ParentFolder(request.path) : request.path);
}

void CFreedesktopFileManager::Show(const FileManagerRequest& request) {
    const QUrl fallbackFolder = FallbackFolder(request);
    if (!m_connection.isConnected()) {
        if (m_fallback) m_fallback(fallbackFolder);
        emit Finished(false);
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kFileManagerService), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"),
        request.selectItem ? QStringLiteral("ShowItems") : QStringLiteral("ShowFolders"));
    // An unregistered service is started by the bus when it is activatable;
    // otherwise the call fails at once with ServiceUnknown.
    message.setAutoStartService(true);
    message << QStringList{FileUrl(request.path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(message, int(m_timeout.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, fallbackFolder] {
        watcher->deleteLater();
        const bool answered = !watcher->isError();
        if (!answered && m_fallback) m_fallback(fallbackFolder);
        emit Finished(answered);
    });
}

}  // namespace volcatra
