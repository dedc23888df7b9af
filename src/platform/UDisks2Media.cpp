#include "platform/UDisks2Media.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QMap>
#include <QVariantMap>
#include <map>

#include "model/FileEntry.h"
#include "model/FileNameCodec.h"

using UDisksInterfaces = QMap<QString, QVariantMap>;
using UDisksObjects = QMap<QDBusObjectPath, UDisksInterfaces>;
Q_DECLARE_METATYPE(UDisksInterfaces)
Q_DECLARE_METATYPE(UDisksObjects)

namespace volcatra {

namespace {

constexpr char kRootPath[] = "/org/freedesktop/UDisks2";
constexpr char kObjectManager[] = "org.freedesktop.DBus.ObjectManager";
constexpr char kBlock[] = "org.freedesktop.UDisks2.Block";
constexpr char kFilesystem[] = "org.freedesktop.UDisks2.Filesystem";
constexpr char kDrive[] = "org.freedesktop.UDisks2.Drive";
constexpr char kAlreadyMounted[] = "org.freedesktop.UDisks2.Error.AlreadyMounted";
// At most this many objects are looked at: the answer comes from another
// process and is not trusted to be small.
constexpr int kMaxObjects = 4096;

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<UDisksInterfaces>();
        qDBusRegisterMetaType<UDisksObjects>();
        return true;
    }();
    static_cast<void>(registered);
}

// A byte string property ("ay", NUL-terminated) as bytes.
std::string Bytes(const QVariant& value) {
    QByteArray bytes;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> bytes;
    else
        bytes = value.toByteArray();
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    return bytes.toStdString();
}

// Whether an "aay" list of mount points has any entry.
bool HasMountPoints(const QVariant& value) {
    if (!value.canConvert<QDBusArgument>()) return !value.toList().isEmpty();
    const QDBusArgument argument = value.value<QDBusArgument>();
    QList<QByteArray> points;
    argument >> points;
    return !points.isEmpty();
}

}  // namespace

CUDisks2Media::CUDisks2Media(QDBusConnection connection, std::chrono::milliseconds timeout)
    : m_connection(std::move(connection)), m_timeout(timeout) {
    RegisterTypes();
}

bool CUDisks2Media::Available() const {
    if (!m_connection.isConnected() || !m_connection.interface()) return false;
    const QString name = QString::fromLatin1(kUDisks2Service);
    if (m_connection.interface()->isServiceRegistered(name)) return true;
    const QDBusReply<QStringList> activatable = m_connection.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(name);
}

FileSystemId CUDisks2Media::Identify(const std::string& device) {
    const auto found = m_identities.find(device);
    return found == m_identities.end() ? FileSystemId{} : found->second;
}

std::vector<UnmountedMedium> CUDisks2Media::ListUnmountedMedia() {
    std::vector<UnmountedMedium> media;
    m_identities.clear();
    if (!Available()) return media;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kUDisks2Service), QString::fromLatin1(kRootPath),
                                       QString::fromLatin1(kObjectManager), QStringLiteral("GetManagedObjects"));
    const QDBusReply<UDisksObjects> reply = m_connection.call(call, QDBus::Block, 5000);
    if (!reply.isValid()) return media;
    const UDisksObjects objects = reply.value();
    if (objects.size() > kMaxObjects) return media;

    // The drives first: which are optical and whether they hold a medium.
    struct DriveFacts {
        bool optical = false;
        bool removable = false;
        bool mediaAvailable = true;
        bool hasFilesystemBlock = false;
    };
    std::map<QString, DriveFacts> drives;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        const auto drive = it.value().constFind(QString::fromLatin1(kDrive));
        if (drive == it.value().cend()) continue;
        DriveFacts facts;
        facts.optical = !drive->value(QStringLiteral("MediaCompatibility"))
                             .toStringList()
                             .filter(QStringLiteral("optical"))
                             .isEmpty() ||
                        drive->value(QStringLiteral("Optical")).toBool();
        facts.removable = drive->value(QStringLiteral("MediaRemovable")).toBool() ||
                          drive->value(QStringLiteral("Removable")).toBool();
        facts.mediaAvailable = drive->value(QStringLiteral("MediaAvailable"), true).toBool();
        drives[it.key().path()] = facts;
    }
    // Block devices with a file system that is not mounted.
    std::map<QString, std::string> driveDevices;  // a device per drive, for the empty drives
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        const auto block = it.value().constFind(QString::fromLatin1(kBlock));
        if (block == it.value().cend()) continue;
        const QString drivePath = block->value(QStringLiteral("Drive")).value<QDBusObjectPath>().path();
        const std::string device = Bytes(block->value(QStringLiteral("Device")));
        if (device.empty()) continue;
        if (!driveDevices.count(drivePath)) driveDevices[drivePath] = device;
        if (block->value(QStringLiteral("HintIgnore")).toBool() || block->value(QStringLiteral("HintSystem")).toBool())
            continue;
        const auto filesystem = it.value().constFind(QString::fromLatin1(kFilesystem));
        if (filesystem == it.value().cend()) continue;
        const auto drive = drives.find(drivePath);
        if (drive == drives.end() || !(drive->second.removable || drive->second.optical)) continue;
        drive->second.hasFilesystemBlock = true;
        if (HasMountPoints(filesystem->value(QStringLiteral("MountPoints")))) continue;
        UnmountedMedium medium;
        medium.device = device;
        medium.label = block->value(QStringLiteral("IdLabel")).toString().toStdU16String();
        medium.driveType = drive->second.optical ? DRIVE_CDROM : DRIVE_REMOVABLE;
        m_identities[device] = {block->value(QStringLiteral("IdType")).toString().toStdString(),
                                block->value(QStringLiteral("IdUUID")).toString().toStdString()};
        media.push_back(std::move(medium));
    }
    // Optical drives that hold no medium, named by their block device.
    for (const auto& [path, facts] : drives) {
        if (!facts.optical || facts.mediaAvailable || facts.hasFilesystemBlock) continue;
        const auto device = driveDevices.find(path);
        if (device == driveDevices.end()) continue;
        UnmountedMedium medium;
        medium.device = device->second;
        medium.driveType = DRIVE_CDROM;
        medium.hasMedium = false;
        media.push_back(std::move(medium));
    }
    return media;
}

bool CUDisks2Media::Mount(const std::string& device) {
    if (!Available() || device.rfind("/dev/", 0) != 0) return false;
    // The block object of the device: /dev/sdb1 → .../block_devices/sdb1.
    const std::string name = device.substr(5);
    if (name.empty() || name.find('/') != std::string::npos) return false;
    QString objectName;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        objectName += plain ? QChar(c) : QStringLiteral("_%1").arg(uchar(c), 2, 16, QChar(u'0'));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kUDisks2Service),
                                       QString::fromLatin1(kRootPath) + QStringLiteral("/block_devices/") + objectName,
                                       QString::fromLatin1(kFilesystem), QStringLiteral("Mount"));
    call.setInteractiveAuthorizationAllowed(true);
    call << QVariantMap{{QStringLiteral("auth.no_user_interaction"), false}};
    QDBusPendingCallWatcher watcher(m_connection.asyncCall(call, int(m_timeout.count())));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished()) loop.exec();
    const QDBusPendingReply<QString> reply = watcher;
    if (reply.isValid()) return true;
    return reply.error().name() == QLatin1String(kAlreadyMounted);
}

}  // namespace volcatra
