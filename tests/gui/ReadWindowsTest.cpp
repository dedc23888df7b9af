// Reading from the desktop program: the read dialog, the two read commands
// and the progress dialog with the scan on a worker thread.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "GuiTestSupport.h"
#include "ReadingFakes.h"
#include "reading/ui/DriveDlg.h"
#include "reading/ui/QtReadCommand.h"
#include "reading/ui/ReadProgDlg.h"
#include "reading/ui/WorkerRead.h"

namespace volcatra::test {
namespace {

DriveItem Item(std::u16string text, std::string path, uint32_t driveType, bool mounted = true) {
    return DriveItem{std::move(text), std::move(path), driveType, mounted};
}

std::vector<DriveItem> SampleItems() {
    return {Item(u"/", "/", DRIVE_FIXED), Item(u"/media/cd [A [B]]", "/media/cd", DRIVE_CDROM),
            Item(u"/media/usb", "/media/usb", DRIVE_REMOVABLE),
            Item(u"/dev/sr1 CD-ROM", "/dev/sr1", DRIVE_CDROM, false)};
}

QStringList ComboTexts(const QComboBox& combo) {
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i) texts << combo.itemText(i);
    return texts;
}

using ReadDialogTest = GuiTest;

TEST_F(ReadDialogTest, OpensFromTheSettingsAndTheDriveList) {
    auto settings = OpenSettings();
    settings->setValue(QStringLiteral("Settings/ReadDrive"), QStringLiteral("/media/cd/"));
    settings->setValue(QStringLiteral("Settings/ReadFlag"), QStringLiteral("1"));
    CDriveDlg dialog(true, u"lzh, zip", SampleItems(), *settings, {}, {});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("新規読み取り"));
    EXPECT_EQ(ComboTexts(*dialog.DriveCombo()),
              (QStringList{"/", "/media/cd [A [B]]", "/media/usb", "/dev/sr1 CD-ROM"}));
    EXPECT_EQ(dialog.DriveCombo()->currentIndex(), 1);
    // A typed path is read as typed, never completed to a listed one.
    EXPECT_EQ(dialog.DriveCombo()->completer(), nullptr);
    EXPECT_TRUE(dialog.IconsBox()->isChecked());
    EXPECT_FALSE(dialog.ArchivesBox()->isChecked());
    EXPECT_TRUE(dialog.ArchivesBox()->isEnabled());
    EXPECT_EQ(dialog.ExtensionsLabel()->text(), QStringLiteral("(lzh, zip)"));
    EXPECT_TRUE(dialog.HelpButton()->isHidden());

    // The item's path is its data: a label with " [" does not confuse it.
    dialog.accept();
    ASSERT_TRUE(dialog.Choice());
    EXPECT_EQ(dialog.Choice()->request.path, "/media/cd");
    EXPECT_EQ(dialog.Choice()->request.drive, "/media/cd");
    EXPECT_EQ(dialog.Choice()->request.driveType, DRIVE_CDROM);
    EXPECT_TRUE(dialog.Choice()->request.readIcons);
    EXPECT_FALSE(dialog.Choice()->readArchives);
    EXPECT_EQ(settings->value(QStringLiteral("Settings/ReadFlag")).toString(), QStringLiteral("1"));
}

TEST_F(ReadDialogTest, InitialSelectionDefaultsAndAFolderInTheEditField) {
    auto settings = OpenSettings();
    {
        // No setting: every option on, the first optical drive selected.
        CDriveDlg dialog(false, u"zip", SampleItems(), *settings, {}, {});
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("追加読み取り"));
        EXPECT_EQ(dialog.DriveCombo()->currentIndex(), 1);
        EXPECT_TRUE(dialog.IconsBox()->isChecked());
        EXPECT_TRUE(dialog.ArchivesBox()->isChecked());
    }
    settings->setValue(QStringLiteral("Settings/ReadDrive"), QStringLiteral("/media/usb/photos/"));
    CDriveDlg dialog(false, u"zip", SampleItems(), *settings, {}, {});
    EXPECT_EQ(dialog.DriveCombo()->currentIndex(), -1);
    EXPECT_EQ(dialog.DriveCombo()->currentText(), QStringLiteral("/media/usb/photos"));
}

TEST_F(ReadDialogTest, WithoutArchiversTheArchiveOptionIsOffAndSavedClear) {
    auto settings = OpenSettings();
    CDriveDlg dialog(true, u"", SampleItems(), *settings, {}, {});
    EXPECT_FALSE(dialog.ArchivesBox()->isChecked());
    EXPECT_FALSE(dialog.ArchivesBox()->isEnabled());
    EXPECT_TRUE(dialog.ExtensionsLabel()->text().isEmpty());
    dialog.DriveCombo()->setCurrentIndex(3);
    dialog.accept();
    ASSERT_TRUE(dialog.Choice());
    EXPECT_FALSE(dialog.Choice()->readArchives);
    EXPECT_EQ(dialog.Choice()->request.path, "/dev/sr1");
    EXPECT_EQ(settings->value(QStringLiteral("Settings/ReadFlag")).toString(), QStringLiteral("1"));
    EXPECT_EQ(settings->value(QStringLiteral("Settings/ReadDrive")).toString(), QStringLiteral("/dev/sr1"));
}

TEST_F(ReadDialogTest, TypedPathsAreNormalisedAndCancelOrAnEmptyPathSavesNothing) {
    auto settings = OpenSettings();
    {
        CDriveDlg dialog(true, u"zip", SampleItems(), *settings, {}, {});
        dialog.DriveCombo()->setEditText(QStringLiteral("/media//usb/./a/../b/"));
        dialog.accept();
        ASSERT_TRUE(dialog.Choice());
        EXPECT_EQ(dialog.Choice()->request.path, "/media/usb/b");
        EXPECT_TRUE(dialog.Choice()->request.drive.empty());
        // A typed mount point is that item.
        CDriveDlg again(true, u"zip", SampleItems(), *settings, {}, {});
        again.DriveCombo()->setEditText(QStringLiteral("/media/usb/"));
        again.accept();
        ASSERT_TRUE(again.Choice());
        EXPECT_EQ(again.Choice()->request.drive, "/media/usb");
        EXPECT_EQ(again.Choice()->request.driveType, DRIVE_REMOVABLE);
    }
    settings->clear();
    {
        CDriveDlg dialog(true, u"zip", SampleItems(), *settings, {}, {});
        dialog.DriveCombo()->setEditText(QStringLiteral("/elsewhere"));
        dialog.reject();
        EXPECT_FALSE(dialog.Choice());
        CDriveDlg empty(true, u"zip", SampleItems(), *settings, {}, {});
        empty.DriveCombo()->setCurrentIndex(-1);
        empty.DriveCombo()->setEditText(QString());
        empty.accept();
        EXPECT_FALSE(empty.Choice());
    }
    EXPECT_FALSE(settings->contains(QStringLiteral("Settings/ReadDrive")));
    EXPECT_FALSE(settings->contains(QStringLiteral("Settings/ReadFlag")));
}

TEST_F(ReadDialogTest, BrowseOpensTheFolderChooserAtTheCurrentPath) {
    auto settings = OpenSettings();
    QString title;
    QString start;
    QString answer = QStringLiteral("/media/cd/photos");
    CDriveDlg dialog(
        true, u"zip", SampleItems(), *settings,
        [&](QWidget*, const QString& t, const QString& s) {
            title = t;
            start = s;
            return answer;
        },
        [] {});
    EXPECT_FALSE(dialog.HelpButton()->isHidden());
    dialog.BrowseButton()->click();
    EXPECT_EQ(title, QStringLiteral("読み取るフォルダ"));
    EXPECT_EQ(start, QStringLiteral("/media/cd"));
    EXPECT_EQ(dialog.DriveCombo()->currentText(), answer);
    // Cancelling the chooser leaves the text.
    answer.clear();
    dialog.BrowseButton()->click();
    EXPECT_EQ(start, QStringLiteral("/media/cd/photos"));
    EXPECT_EQ(dialog.DriveCombo()->currentText(), QStringLiteral("/media/cd/photos"));
    dialog.accept();
    ASSERT_TRUE(dialog.Choice());
    EXPECT_EQ(dialog.Choice()->request.path, "/media/cd/photos");
}

// A listing whose items after the first arrive only after a blocking call.
class SleepyListing : public IDirectoryListing {
public:
    SleepyListing(std::unique_ptr<IDirectoryListing> inner, std::chrono::milliseconds sleep)
        : m_inner(std::move(inner)), m_sleep(sleep) {}
    ListingStatus Next(DirectoryItem& item) override {
        if (m_calls++ == 1) std::this_thread::sleep_for(m_sleep);
        return m_inner->Next(item);
    }
    std::unique_ptr<IDirectoryListing> OpenSubfolder(const std::string& name, int& error) override {
        return m_inner->OpenSubfolder(name, error);
    }
    int Error() const override { return m_inner->Error(); }

private:
    std::unique_ptr<IDirectoryListing> m_inner;
    std::chrono::milliseconds m_sleep;
    int m_calls = 0;
};

class SleepyFileSystem : public FakeFileSystem {
public:
    std::chrono::milliseconds sleep{0};
    std::unique_ptr<IDirectoryListing> OpenFolder(const std::string& path, int& error) override {
        auto listing = FakeFileSystem::OpenFolder(path, error);
        if (!listing || sleep.count() == 0) return listing;
        return std::make_unique<SleepyListing>(std::move(listing), sleep);
    }
};

// A removable-media service whose mount makes /dev/sdc1 appear at
// /media/disc.
class FakeMedia : public IRemovableMedia {
public:
    std::function<void()> onMount;
    int mounts = 0;
    std::vector<UnmountedMedium> ListUnmountedMedia() override { return {}; }
    bool Mount(const std::string&) override {
        ++mounts;
        if (onMount) onMount();
        return true;
    }
};

// The application with the read commands over an in-memory medium mounted
// at /media/disc.
class ReadCommandWindowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        m_fs.top = FakeNode::Folder("", {FakeNode::File("readme.txt", 100), FakeNode::File("setup.exe", 5000),
                                         FakeNode::Folder("docs", {FakeNode::File("a.txt", 10)})});
        m_items = {Item(u"/media/disc [DISC1]", "/media/disc", DRIVE_CDROM)};
    }

    CFSRecApp& StartReadingApp() {
        QtReadServices services;
        services.messages = &m_messages;
        services.openSettings = OpenSettings;
        services.owner = [this]() -> QWidget* { return m_app ? m_app->MainFrame() : nullptr; };
        services.runDialog = [this](QDialog& dialog) {
            ++m_dialogRuns;
            m_dialogTitle = dialog.windowTitle();
            return m_answerDialog ? m_answerDialog(static_cast<CDriveDlg&>(dialog)) : int(QDialog::Rejected);
        };
        services.listDrives = [this] { return m_items; };
        services.fileSystem = &m_fs;
        services.builtInArchivers = false;
        services.abandonAfter = m_abandonAfter;
        services.removableMedia = &m_media;
        // The medium is in memory; the icon phase reads files on disk and is
        // tested over real files on its own.
        services.readIcons = [](CRootEntry&, IReadProgress*, IMessageService&, const std::string&, const std::string&) {
            return true;
        };
        services.findMedium = [this](const std::string& drive, const std::string& path) -> std::optional<MediumRoot> {
            if (!m_mediumPresent) return std::nullopt;
            if (drive == "/dev/sdc1") {
                if (!m_deviceMounted) return std::nullopt;
                return MediumRoot{"/media/disc", true};
            }
            const std::string& named = drive.empty() ? path : drive;
            if (named.rfind("/media/disc", 0) != 0) return std::nullopt;
            return MediumRoot{"/media/disc", true};
        };
        m_reader = std::make_unique<CQtReadCommand>(std::move(services));
        return StartApp({}, [this](AppServices& app) {
            app.m_readIntoNewDocument = [this](CFSRecDoc& document) { return m_reader->Read(document, true); };
            app.m_readAdditional = [this](CFSRecDoc& document) { m_reader->Read(document, false); };
        });
    }

    // Answers the read dialog with OK on the item or text given.
    void AcceptWith(const QString& text) {
        m_answerDialog = [text](CDriveDlg& dialog) {
            dialog.DriveCombo()->setEditText(text);
            dialog.accept();
            return int(QDialog::Accepted);
        };
    }

    SleepyFileSystem m_fs;
    std::vector<DriveItem> m_items;
    bool m_mediumPresent = true;
    bool m_deviceMounted = false;
    FakeMedia m_media;
    std::chrono::milliseconds m_abandonAfter = kAbandonAfter;
    std::function<int(CDriveDlg&)> m_answerDialog;
    int m_dialogRuns = 0;
    QString m_dialogTitle;
    std::unique_ptr<CQtReadCommand> m_reader;
};

TEST_F(ReadCommandWindowTest, NewReadMakesAWindowOnlyWithAVolume) {
    CFSRecApp& app = StartReadingApp();
    EXPECT_TRUE(app.MainFrame()->QueryState(ID_READ_NEW).m_enabled);
    EXPECT_FALSE(app.MainFrame()->QueryState(ID_READ_ADDITIONAL).m_enabled);

    // Cancel in the dialog.
    app.MainFrame()->Route(ID_READ_NEW);
    EXPECT_EQ(m_dialogRuns, 1);
    EXPECT_EQ(m_dialogTitle, QStringLiteral("新規読み取り"));
    EXPECT_TRUE(app.Documents().empty());

    // No medium: the prompt, cancelled quietly.
    m_mediumPresent = false;
    AcceptWith(QStringLiteral("/media/disc [DISC1]"));
    m_messages.Answer({MessageAnswer::Retry, MessageAnswer::Cancel});
    app.MainFrame()->Route(ID_READ_NEW);
    EXPECT_EQ(m_messages.Texts(),
              (std::vector<std::u16string>{u"/media/disc ドライブ に CD-ROM をセットしてください",
                                           u"/media/disc ドライブ に CD-ROM をセットしてください"}));
    EXPECT_TRUE(app.Documents().empty());

    // A failed read.
    m_mediumPresent = true;
    m_fs.top.children[2].unlistable = true;
    app.MainFrame()->Route(ID_READ_NEW);
    EXPECT_EQ(m_messages.Texts().back(), u"読み取りに失敗しました");
    EXPECT_EQ(m_messages.ShownBoxes().back().icon, MessageIcon::Stop);
    EXPECT_TRUE(app.Documents().empty());
    EXPECT_TRUE(app.MainFrame()->isEnabled());

    // A read that succeeds.
    m_fs.top.children[2].unlistable = false;
    app.MainFrame()->Route(ID_READ_NEW);
    Flush();
    ASSERT_EQ(app.Documents().size(), 1u);
    const CFSRecDoc& document = *app.Documents()[0];
    ASSERT_EQ(document.Roots().size(), 1u);
    EXPECT_EQ(document.Roots()[0]->m_volumeName, u"DISC1");
    EXPECT_EQ(document.Roots()[0]->m_fileCount, 3u);
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(app.MainFrame()->isEnabled());
    EXPECT_TRUE(app.MainFrame()->QueryState(ID_READ_ADDITIONAL).m_enabled);
    EXPECT_EQ(QSettings(QStringLiteral("Marovane"), QStringLiteral("Volcatra"))
                  .value(QStringLiteral("Settings/ReadDrive"))
                  .toString(),
              QStringLiteral("/media/disc"));
}

TEST_F(ReadDialogTest, AnImageFileIsChosenAndReadAsADiscUnlessAskedOtherwise) {
    auto settings = OpenSettings();
    CDriveDlg dialog(true, u"zip", SampleItems(), *settings, {}, {});
    QString title;
    dialog.SetImageFileChooser([&](QWidget*, const QString& t, const QString&) {
        title = t;
        return QStringLiteral("/home/user/discs/photos.iso");
    });
    dialog.ImageButton()->click();
    EXPECT_EQ(title, QStringLiteral("読み取るイメージファイル"));
    EXPECT_EQ(dialog.DriveCombo()->currentText(), QStringLiteral("/home/user/discs/photos.iso"));
    EXPECT_FALSE(dialog.ImageAsFileBox()->isChecked());
    dialog.accept();
    ASSERT_TRUE(dialog.Choice());
    EXPECT_EQ(dialog.Choice()->request.path, "/home/user/discs/photos.iso");
    EXPECT_TRUE(dialog.Choice()->request.readImages);

    CDriveDlg asFile(true, u"zip", SampleItems(), *settings, {}, {});
    asFile.ImageAsFileBox()->setChecked(true);
    asFile.accept();
    ASSERT_TRUE(asFile.Choice());
    EXPECT_FALSE(asFile.Choice()->request.readImages);
}

TEST_F(ReadCommandWindowTest, ATypedImagePathIsReadAsTheDiscItHolds) {
    if (std::system("command -v genisoimage >/dev/null") != 0) GTEST_SKIP() << "genisoimage is not installed";
    const std::string dir = ::testing::TempDir() + "volcatra-gui-image";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/tree/docs");
    std::ofstream(dir + "/tree/docs/a.txt") << "abc";
    const std::string image = dir + "/disc.iso";
    ASSERT_EQ(std::system(("genisoimage -quiet -J -R -V IMAGED -o " + image + " " + dir + "/tree").c_str()), 0);

    CFSRecApp& app = StartReadingApp();
    AcceptWith(QString::fromStdString(image));
    app.MainFrame()->Route(ID_READ_NEW);
    Flush();
    ASSERT_EQ(app.Documents().size(), 1u);
    const CRootEntry& volume = *app.Documents()[0]->Roots()[0];
    EXPECT_EQ(volume.m_volumeName, u"IMAGED");
    EXPECT_EQ(volume.m_driveType, DRIVE_CDROM);
    EXPECT_EQ(volume.m_fileCount, 1u);
    EXPECT_EQ(volume.m_folderCount, 1u);
    std::filesystem::remove_all(dir);
}

TEST_F(ReadCommandWindowTest, AMediumThatIsNotMountedIsMountedAndRead) {
    m_items.push_back(Item(u"/dev/sdc1 [STICK]", "/dev/sdc1", DRIVE_REMOVABLE, false));
    CFSRecApp& app = StartReadingApp();
    bool ownerDisabled = false;
    m_media.onMount = [&] {
        ownerDisabled = !app.MainFrame()->isEnabled();
        m_deviceMounted = true;
    };
    AcceptWith(QStringLiteral("/dev/sdc1 [STICK]"));
    app.MainFrame()->Route(ID_READ_NEW);
    Flush();
    EXPECT_EQ(m_media.mounts, 1);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(m_messages.ShownBoxes().empty());
    ASSERT_EQ(app.Documents().size(), 1u);
    EXPECT_EQ(app.Documents()[0]->Roots()[0]->m_driveType, DRIVE_REMOVABLE);
    EXPECT_TRUE(app.MainFrame()->isEnabled());
}

TEST_F(ReadCommandWindowTest, AdditionalReadAsksAboutTheSameMedium) {
    CFSRecApp& app = StartReadingApp();
    AcceptWith(QStringLiteral("/media/disc [DISC1]"));
    app.MainFrame()->Route(ID_READ_NEW);
    Flush();
    ASSERT_EQ(app.Documents().size(), 1u);
    const CFSRecDoc& document = *app.Documents()[0];

    m_messages.Answer({MessageAnswer::Cancel});
    app.MainFrame()->Route(ID_READ_ADDITIONAL);
    EXPECT_EQ(m_dialogTitle, QStringLiteral("追加読み取り"));
    EXPECT_EQ(m_messages.Texts().back(),
              u"同じメディアまたはフォルダがすでに記録されています。\n記録されている内容を置き換えますか？");
    EXPECT_EQ(document.Roots().size(), 1u);

    m_messages.Answer({MessageAnswer::No});
    app.MainFrame()->Route(ID_READ_ADDITIONAL);
    EXPECT_EQ(document.Roots().size(), 2u);

    // A folder of the same medium is another read: no question.
    const size_t asked = m_messages.Texts().size();
    AcceptWith(QStringLiteral("/media/disc/docs"));
    app.MainFrame()->Route(ID_READ_ADDITIONAL);
    EXPECT_EQ(m_messages.Texts().size(), asked);
    ASSERT_EQ(document.Roots().size(), 3u);
    EXPECT_EQ(document.Roots()[2]->m_volumeName, u"DISC1::\\docs");
    Flush();
    EXPECT_EQ(app.Documents().size(), 1u);
}

TEST_F(ReadCommandWindowTest, TheWindowStaysResponsiveWhileAListingBlocks) {
    CFSRecApp& app = StartReadingApp();
    m_fs.sleep = std::chrono::milliseconds(1500);
    AcceptWith(QStringLiteral("/media/disc [DISC1]"));
    m_messages.Answer({MessageAnswer::Yes});

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    bool ownerDisabled = false;
    bool askedTooEarly = true;
    int ticksAtCancel = -1;
    QString phase;
    QTimer::singleShot(300, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<CReadProgDlg*>(widget);
            if (!progress || !progress->isVisible()) continue;
            phase = progress->PhaseLabel()->text();
            ownerDisabled = !app.MainFrame()->isEnabled();
            // Pressed twice while the listing blocks: recorded once.
            progress->CancelButton()->click();
            progress->CancelButton()->click();
            ticksAtCancel = ticks;
        }
    });
    QTimer::singleShot(1000, [&] { askedTooEarly = !m_messages.Texts().empty(); });
    QElapsedTimer clock;
    clock.start();
    app.MainFrame()->Route(ID_READ_NEW);
    ticker.stop();

    EXPECT_GE(clock.elapsed(), 1500);
    EXPECT_EQ(phase, QStringLiteral("ディレクトリ内容を読み取っています"));
    EXPECT_TRUE(ownerDisabled);
    EXPECT_GT(ticksAtCancel, 0);
    // The timer ran on while the worker slept.
    EXPECT_GT(ticks, ticksAtCancel + 20);
    EXPECT_FALSE(askedTooEarly);
    EXPECT_EQ(m_messages.Texts(),
              (std::vector<std::u16string>{u"読み取りを中止しますか？", u"読み取りに失敗しました"}));
    EXPECT_TRUE(m_messages.AllAnswersUsed());
    Flush();
    EXPECT_TRUE(app.Documents().empty());
    EXPECT_TRUE(app.MainFrame()->isEnabled());
}

TEST_F(ReadCommandWindowTest, AReadBlockedForLongCanBeAbandoned) {
    m_abandonAfter = std::chrono::milliseconds(200);
    CFSRecApp& app = StartReadingApp();
    AcceptWith(QStringLiteral("/media/disc [DISC1]"));
    app.MainFrame()->Route(ID_READ_NEW);
    Flush();
    ASSERT_EQ(app.Documents().size(), 1u);
    const CFSRecDoc& document = *app.Documents()[0];

    // The listing blocks for 3 s; Cancel at 100 ms is not collected, so the
    // question comes from the window after 200 ms and Yes leaves the worker.
    m_fs.sleep = std::chrono::milliseconds(3000);
    m_messages.Answer({MessageAnswer::No, MessageAnswer::No, MessageAnswer::Yes});  // add; wait on; abandon
    QTimer::singleShot(100, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<CReadProgDlg*>(widget); progress && progress->isVisible())
                progress->CancelButton()->click();
    });
    QTimer::singleShot(700, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<CReadProgDlg*>(widget); progress && progress->isVisible())
                progress->CancelButton()->click();
    });
    QElapsedTimer clock;
    clock.start();
    app.MainFrame()->Route(ID_READ_ADDITIONAL);
    const qint64 took = clock.elapsed();
    EXPECT_LT(took, 2500);
    EXPECT_TRUE(m_reader->LastReport().abandoned);
    // No at the first question waits on; Yes at the second abandons.
    const std::vector<std::u16string> texts = m_messages.Texts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(std::vector<std::u16string>(texts.end() - 3, texts.end()),
              (std::vector<std::u16string>{u"読み取りを中止しますか？", u"読み取りを中止しますか？",
                                           u"読み取りに失敗しました"}));
    EXPECT_TRUE(m_messages.AllAnswersUsed());
    EXPECT_EQ(document.Roots().size(), 1u);
    EXPECT_TRUE(app.MainFrame()->isEnabled());

    // The late result is discarded; the worker ends alone and asks nothing.
    const size_t shown = m_messages.Texts().size();
    QElapsedTimer wait;
    wait.start();
    while (RunningScanWorkers() > 0 && wait.elapsed() < 10000) QTest::qWait(50);
    EXPECT_EQ(RunningScanWorkers(), 0);
    Flush();
    EXPECT_EQ(m_messages.Texts().size(), shown);
    EXPECT_EQ(document.Roots().size(), 1u);
}

using ReadProgressDialogTest = GuiTest;

TEST_F(ReadProgressDialogTest, BarCancelEnterAndTheOwner) {
    QWidget owner;
    owner.show();
    {
        CReadProgDlg dialog(&owner);
        EXPECT_FALSE(owner.isEnabled());
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ファイル構造の読み取り中"));
        dialog.SetPhaseText(ReadPhase::Icons);
        EXPECT_EQ(dialog.PhaseLabel()->text(), QStringLiteral("アイコンを読み取っています"));

        dialog.SetRange(1000);
        EXPECT_TRUE(dialog.Bar()->isVisible());
        const int before = dialog.PercentUpdates();
        for (int i = 0; i < 9; ++i) dialog.AddPos(1);  // still 0 %
        EXPECT_EQ(dialog.PercentUpdates(), before);
        dialog.SetPos(505);
        EXPECT_EQ(dialog.Bar()->value(), 50);
        dialog.SetPos(509);
        EXPECT_EQ(dialog.PercentUpdates(), before + 1);
        dialog.SetPos(5000);
        EXPECT_EQ(dialog.Bar()->value(), 100);
        dialog.SetRange(0);
        EXPECT_FALSE(dialog.Bar()->isVisible());
        dialog.AddPos(10);
        EXPECT_EQ(dialog.Bar()->value(), 0);

        // Two presses, one request; Enter neither cancels nor closes.
        dialog.CancelButton()->click();
        dialog.CancelButton()->click();
        EXPECT_TRUE(dialog.TakeCancelRequest());
        EXPECT_FALSE(dialog.TakeCancelRequest());
        dialog.CancelButton()->setFocus();
        QTest::keyClick(dialog.CancelButton(), Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Enter);
        EXPECT_FALSE(dialog.TakeCancelRequest());
        EXPECT_TRUE(dialog.isVisible());
        // Escape and the close box record a request and leave it open.
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.TakeCancelRequest());
        dialog.close();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.TakeCancelRequest());
        dialog.DisableCancel();
        dialog.CancelButton()->click();
        EXPECT_FALSE(dialog.CancelButton()->isEnabled());
        EXPECT_FALSE(dialog.TakeCancelRequest());
    }
    EXPECT_TRUE(owner.isEnabled());

    // An owner that was disabled already stays disabled.
    owner.setEnabled(false);
    { CReadProgDlg dialog(&owner); }
    EXPECT_FALSE(owner.isEnabled());
}

TEST_F(ReadProgressDialogTest, LongPathsAreShortenedInTheMiddle) {
    CReadProgDlg dialog(nullptr);
    const QString path = QStringLiteral("/media/disc/") + QString(40, u'a') + u'/' + QString(40, u'b') + u'/' +
                         QString(40, u'c') + QStringLiteral("/last.txt");
    dialog.SetPathText(path.toStdU16String());
    const QString shown = dialog.PathLabel()->text();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/media/")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("last.txt")));
    const int width = dialog.PathLabel()->width();
    EXPECT_LE(dialog.PathLabel()->fontMetrics().horizontalAdvance(shown), width - width / 16);
    EXPECT_EQ(dialog.FullPath(), path);
}

TEST_F(ReadProgressDialogTest, AWorkerSendsOnlyChangedPercentsAndWaitsForAnswers) {
    CReadProgDlg dialog(nullptr);
    m_messages.Answer({MessageAnswer::No});
    MessageAnswer answer = MessageAnswer::Yes;
    const ScanResult result =
        RunScanOnWorker(dialog, m_messages, [&](IReadProgress* progress, IMessageService& messages) {
            progress->SetPhaseText(ReadPhase::Directory);
            progress->SetRange(100000);
            for (int i = 0; i < 100000; ++i) progress->StepIt();
            for (int i = 0; i < 1000; ++i)
                progress->SetPathText(u"/media/disc/" + std::u16string(1, char16_t(u'a' + i % 26)));
            answer = messages.Show(u"読み取りを中止しますか？", MessageButtons::YesNo, MessageIcon::Question);
            return true;
        });
    EXPECT_EQ(result, ScanResult(true));
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(dialog.Bar()->value(), 100);
    // 0..100 once each, not one update per step.
    EXPECT_EQ(dialog.PercentUpdates(), 101);
    EXPECT_EQ(dialog.FullPath(), QStringLiteral("/media/disc/l"));  // the last of 1000 paths
    EXPECT_EQ(dialog.PhaseLabel()->text(), QStringLiteral("ディレクトリ内容を読み取っています"));
}

}  // namespace
}  // namespace volcatra::test
