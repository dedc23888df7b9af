// The UDisks2 client against a small fake of the service on a private bus
// (the test runs under dbus-run-session; without a bus it is skipped).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QThread>
#include <QVariantMap>
#include <atomic>

#include "model/FileEntry.h"
#include "platform/UDisks2Media.h"

using UDisksInterfaces = QMap<QString, QVariantMap>;
using UDisksObjects = QMap<QDBusObjectPath, UDisksInterfaces>;
Q_DECLARE_METATYPE(UDisksInterfaces)
Q_DECLARE_METATYPE(UDisksObjects)

namespace volcatra {
namespace {

const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");

QDBusObjectPath Path(const char* tail) {
    return QDBusObjectPath(QStringLiteral("/org/freedesktop/UDisks2/") + QLatin1String(tail));
}

QVariantMap Block(const char* device, const char* drive, const QString& label = {}, bool system = false) {
    return {{QStringLiteral("Device"), QByteArray(device) + '\0'},
            {QStringLiteral("Drive"), QVariant::fromValue(Path(drive))},
            {QStringLiteral("IdLabel"), label},
            {QStringLiteral("HintSystem"), system},
            {QStringLiteral("HintIgnore"), false}};
}

QVariantMap Filesystem(QByteArrayList mountPoints = {}) {
    return {{QStringLiteral("MountPoints"), QVariant::fromValue(mountPoints)}};
}

QVariantMap Drive(bool removable, bool opticalDrive, bool mediaAvailable) {
    return {{QStringLiteral("MediaRemovable"), removable},
            {QStringLiteral("MediaAvailable"), mediaAvailable},
            {QStringLiteral("Optical"), opticalDrive && mediaAvailable},
            {QStringLiteral("MediaCompatibility"),
             opticalDrive ? QStringList{QStringLiteral("optical_cd"), QStringLiteral("optical_dvd")} : QStringList{}}};
}

class FakeObjectManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")
public:
    UDisksObjects objects;
public slots:
    UDisksObjects GetManagedObjects() { return objects; }
};

class FakeFilesystem : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Filesystem")
public:
    QString errorName;  // empty: the mount succeeds
    std::atomic<int> calls{0};
    std::atomic<bool> interactive{false};
public slots:
    QString Mount(const QVariantMap&) {
        ++calls;
        interactive = message().isInteractiveAuthorizationAllowed();
        if (!errorName.isEmpty()) sendErrorReply(errorName, QStringLiteral("refused"));
        return QStringLiteral("/media/user/STICK");
    }
};

class UDisks2MediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus (run under dbus-run-session)";
        m_thread.start();
        m_manager.moveToThread(&m_thread);
        m_stick.moveToThread(&m_thread);
        m_service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-udisks"));
        ASSERT_TRUE(m_service.registerService(QLatin1String(kUDisks2Service)));
        ASSERT_TRUE(m_service.registerObject(QStringLiteral("/org/freedesktop/UDisks2"), &m_manager,
                                             QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(m_service.registerObject(QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdc1"), &m_stick,
                                             QDBusConnection::ExportAllSlots));
        auto& o = m_manager.objects;
        o[Path("drives/stick")] = {{kDrive, Drive(true, false, true)}};
        o[Path("drives/dvd")] = {{kDrive, Drive(true, true, true)}};
        o[Path("drives/emptydvd")] = {{kDrive, Drive(true, true, false)}};
        o[Path("drives/disk")] = {{kDrive, Drive(false, false, true)}};
        o[Path("block_devices/sdc1")] = {{kBlock, Block("/dev/sdc1", "drives/stick", QStringLiteral("STICK"))},
                                         {kFilesystem, Filesystem()}};
        o[Path("block_devices/sr0")] = {{kBlock, Block("/dev/sr0", "drives/dvd", QStringLiteral("DISC [1]"))},
                                        {kFilesystem, Filesystem()}};
        o[Path("block_devices/sr1")] = {{kBlock, Block("/dev/sr1", "drives/emptydvd")}};
        // Mounted, a fixed disk, a system partition of a stick: none offered.
        o[Path("block_devices/sdd1")] = {{kBlock, Block("/dev/sdd1", "drives/stick")},
                                         {kFilesystem, Filesystem({QByteArray("/media/x\0", 9)})}};
        o[Path("block_devices/sda1")] = {{kBlock, Block("/dev/sda1", "drives/disk")}, {kFilesystem, Filesystem()}};
        o[Path("block_devices/sdc2")] = {{kBlock, Block("/dev/sdc2", "drives/stick", {}, true)},
                                         {kFilesystem, Filesystem()}};
    }
    void TearDown() override {
        if (!m_thread.isRunning()) return;
        m_service.unregisterService(QLatin1String(kUDisks2Service));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-udisks"));
        m_thread.quit();
        m_thread.wait();
    }

    QThread m_thread;
    FakeObjectManager m_manager;
    FakeFilesystem m_stick;
    QDBusConnection m_service{QString()};
};

TEST_F(UDisks2MediaTest, ListsUnmountedMediaAndEmptyOpticalDrives) {
    CUDisks2Media media(QDBusConnection::sessionBus());
    ASSERT_TRUE(media.Available());
    std::vector<UnmountedMedium> found = media.ListUnmountedMedia();
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.device < b.device; });
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].device, "/dev/sdc1");
    EXPECT_EQ(found[0].label, u"STICK");
    EXPECT_EQ(found[0].driveType, DRIVE_REMOVABLE);
    EXPECT_TRUE(found[0].hasMedium);
    EXPECT_EQ(found[1].device, "/dev/sr0");
    EXPECT_EQ(found[1].label, u"DISC [1]");
    EXPECT_EQ(found[1].driveType, DRIVE_CDROM);
    EXPECT_EQ(found[2].device, "/dev/sr1");
    EXPECT_FALSE(found[2].hasMedium);
    EXPECT_EQ(found[2].driveType, DRIVE_CDROM);
}

TEST_F(UDisks2MediaTest, MountsWithInteractiveAuthorisationAndTakesAlreadyMountedAsSuccess) {
    CUDisks2Media media(QDBusConnection::sessionBus());
    EXPECT_TRUE(media.Mount("/dev/sdc1"));
    EXPECT_EQ(m_stick.calls, 1);
    EXPECT_TRUE(m_stick.interactive);
    m_stick.errorName = QStringLiteral("org.freedesktop.UDisks2.Error.AlreadyMounted");
    EXPECT_TRUE(media.Mount("/dev/sdc1"));
    m_stick.errorName = QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorizedDismissed");
    EXPECT_FALSE(media.Mount("/dev/sdc1"));
    EXPECT_EQ(m_stick.calls, 3);
    // No such block object, and names that are not devices.
    EXPECT_FALSE(media.Mount("/dev/sdz9"));
    EXPECT_FALSE(media.Mount("/media/user/STICK"));
    EXPECT_FALSE(media.Mount("/dev/../etc"));
}

TEST(UDisks2MediaWithoutService, NothingIsOfferedOrMounted) {
    if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";
    CUDisks2Media media(QDBusConnection::sessionBus());
    // The private bus has no UDisks2 unless a test registered it.
    EXPECT_FALSE(media.Available());
    EXPECT_TRUE(media.ListUnmountedMedia().empty());
    EXPECT_FALSE(media.Mount("/dev/sdc1"));
}

}  // namespace
}  // namespace volcatra

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    qDBusRegisterMetaType<QByteArrayList>();
    qDBusRegisterMetaType<UDisksInterfaces>();
    qDBusRegisterMetaType<UDisksObjects>();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "UDisks2MediaTest.moc"
