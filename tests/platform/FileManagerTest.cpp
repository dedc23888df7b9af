// The file manager client against a fake org.freedesktop.FileManager1 on a
// private session bus (the test runs under dbus-run-session; without a bus
// it is skipped).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QThread>

#include "platform/FreedesktopFileManager.h"

namespace volcatra {
namespace {

class FakeFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList calls;  // "ShowItems <uri>" or "ShowFolders <uri>"
    bool hang = false;  // never answer
    QDBusMessage held;  // a call left unanswered
public slots:
    void ShowItems(const QStringList& uris, const QString& startupId) { Record("ShowItems", uris, startupId); }
    void ShowFolders(const QStringList& uris, const QString& startupId) { Record("ShowFolders", uris, startupId); }

private:
    void Record(const char* method, const QStringList& uris, const QString& startupId) {
        calls << QString::fromLatin1(method) + u' ' + uris.join(u',') + (startupId.isEmpty() ? "" : " id");
        if (hang) {
            setDelayedReply(true);
            held = message();
        }
    }
};

class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus (run under dbus-run-session)";
    }
    void TearDown() override {
        if (!m_registered) return;
        m_service.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
        m_service.unregisterService(QLatin1String(kFileManagerService));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-file-manager"));
    }
    void Register() {
        m_service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-file-manager"));
        ASSERT_TRUE(m_service.registerService(QLatin1String(kFileManagerService)));
        ASSERT_TRUE(m_service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &m_fake,
                                             QDBusConnection::ExportAllSlots));
        m_registered = true;
    }
    // Shows and waits for the outcome; the events of this thread go on meanwhile.
    std::optional<bool> ShowAndWait(CFreedesktopFileManager& manager, const FileManagerRequest& request) {
        std::optional<bool> answered;
        QObject::connect(&manager, &CFreedesktopFileManager::Finished, [&](bool a) { answered = a; });
        manager.Show(request);
        QElapsedTimer timer;
        timer.start();
        while (!answered && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return answered;
    }

    FakeFileManager m_fake;
    QDBusConnection m_service{QString()};
    bool m_registered = false;
    QStringList m_fallbacks;
    CFreedesktopFileManager::Fallback m_fallback = [this](const QUrl& url) {
        m_fallbacks << url.toString(QUrl::FullyEncoded);
    };
};

TEST_F(FileManagerTest, ItemsAndFoldersGoToTheirCalls) {
    Register();
    CFreedesktopFileManager manager(m_fallback, QDBusConnection::sessionBus());
    // The "/e," variant makes the same call; a name that is not UTF-8 keeps its bytes.
    EXPECT_EQ(ShowAndWait(manager, {"/media/E/DOCS/caf\xe9 1.txt", true, true}), true);
    EXPECT_EQ(ShowAndWait(manager, {"/media/E/DOCS", false, false}), true);
    EXPECT_EQ(m_fake.calls,
              (QStringList{"ShowItems file:///media/E/DOCS/caf%E9%201.txt", "ShowFolders file:///media/E/DOCS"}));
    EXPECT_TRUE(m_fallbacks.isEmpty());
}

TEST_F(FileManagerTest, WithoutAServiceTheFolderIsOpened) {
    CFreedesktopFileManager manager(m_fallback, QDBusConnection::sessionBus());
    EXPECT_EQ(ShowAndWait(manager, {"/media/E/DOCS/readme.txt", true, false}), false);
    EXPECT_EQ(ShowAndWait(manager, {"/media/E", false, false}), false);
    EXPECT_EQ(ShowAndWait(manager, {"/top", true, false}), false);
    EXPECT_EQ(m_fallbacks, (QStringList{"file:///media/E/DOCS", "file:///media/E", "file:///"}));
}

TEST_F(FileManagerTest, AHangingServiceDoesNotHoldTheCaller) {
    Register();
    m_fake.hang = true;
    CFreedesktopFileManager manager(m_fallback, QDBusConnection::sessionBus(), std::chrono::milliseconds(300));
    QElapsedTimer timer;
    timer.start();
    bool finished = false;
    QObject::connect(&manager, &CFreedesktopFileManager::Finished, [&](bool) { finished = true; });
    manager.Show({"/media/E/DOCS", false, false});
    EXPECT_LT(timer.elapsed(), 200);  // returned without waiting for the answer
    EXPECT_FALSE(finished);
    while (!finished && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(finished);
    EXPECT_EQ(m_fallbacks, QStringList{"file:///media/E/DOCS"});
}

}  // namespace
}  // namespace volcatra

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "FileManagerTest.moc"
