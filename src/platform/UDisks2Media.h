// Removable media through the UDisks2 service on the system bus, as the
// desktop's file managers see them: block devices with a file system that
// is not mounted (removable and optical media), optical drives without a
// medium, and mounting as the user with the desktop's authorisation prompt.
#pragma once

#include <QDBusConnection>
#include <chrono>
#include <map>

#include "platform/RemovableMedia.h"

namespace volcatra {

inline constexpr char kUDisks2Service[] = "org.freedesktop.UDisks2";

class CUDisks2Media : public IRemovableMedia {
public:
    // connection: the system bus, or a private bus in tests. timeout: how
    // long a mount may take (the user may be typing a password meanwhile).
    explicit CUDisks2Media(QDBusConnection connection = QDBusConnection::systemBus(),
                           std::chrono::milliseconds timeout = std::chrono::minutes(2));

    // Whether the service answers (or can be started) on the bus.
    bool Available() const;
    std::vector<UnmountedMedium> ListUnmountedMedia() override;
    // Calls Filesystem.Mount with interactive authorisation allowed and
    // waits for the answer while this thread's events go on; the error
    // AlreadyMounted counts as success.
    bool Mount(const std::string& device) override;
    // IdType and IdUUID of the device's block object in the last list.
    FileSystemId Identify(const std::string& device) override;

private:
    QDBusConnection m_connection;
    std::chrono::milliseconds m_timeout;
    std::map<std::string, FileSystemId> m_identities;
};

}  // namespace volcatra
