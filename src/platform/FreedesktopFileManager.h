// The file manager through org.freedesktop.FileManager1 on the session bus:
// ShowItems for an item selected in its folder, ShowFolders for a folder.
// The call is made without waiting; when no service answers within the
// timeout (none registered, none activatable, or one that hangs) the folder
// is handed to the fallback, which opens it with the desktop's default
// handler.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <functional>

#include "platform/FileManager.h"

namespace volcatra {

inline constexpr char kFileManagerService[] = "org.freedesktop.FileManager1";

class CFreedesktopFileManager : public QObject, public IFileManager {
    Q_OBJECT
public:
    using Fallback = std::function<void(const QUrl& folder)>;

    CFreedesktopFileManager(Fallback fallback, QDBusConnection connection = QDBusConnection::sessionBus(),
                            std::chrono::milliseconds timeout = std::chrono::seconds(8), QObject* parent = nullptr);

    void Show(const FileManagerRequest& request) override;

    // The folder the fallback opens for a request: the item's parent for a
    // selected item, the folder itself otherwise.
    static QUrl FallbackFolder(const FileManagerRequest& request);

signals:
    // The service answered (true) or the fallback was used (false).
    void Finished(bool answered);

private:
    Fallback m_fallback;
    QDBusConnection m_connection;
    std::chrono::milliseconds m_timeout;
};

}  // namespace volcatra
