// Start-up with and without settings, the last-catalogue rules, the options
// and their storing, the hand-over to a running program and the file-type
// registration.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <future>

#include "GuiTestSupport.h"
#include "app/AppDialogs.h"
#include "app/HandOver.h"
#include "app/ShellRegistration.h"
#include "app/SingleInstance.h"
#include "app/X11Activation.h"
#include "platform/ShellTypeNames.h"
#include "ui/SysImageList.h"

namespace volcatra::test {
namespace {

RootList OneVolume(std::u16string label = u"DATA") {
    RootList roots;
    auto root = MakeVolume(std::move(label));
    CFileArray& top = AddArray(*root, u"\\");
    AddEntry(top, u"big.bin", FA_ARCHIVE, 1'048'577, 1'300'000'000);
    roots.push_back(std::move(root));
    return roots;
}

QVariant Setting(const char* key) {
    return OpenSettings()->value(QLatin1String(key));
}

using StartupTest = GuiTest;

TEST_F(StartupTest, FirstStartWritesTheVersionAndUsesDefaults) {
    {
        auto settings = OpenSettings();
        settings->setValue(QStringLiteral("Workspace/State"), QByteArray("old layout"));
    }
    CFSRecApp& app = StartApp();
    EXPECT_EQ(Setting("Settings/AppVersion").toString(), QStringLiteral("3.20.160"));
    for (int width : {app.m_treePaneWidth, app.m_nameWidth, app.m_sizeWidth, app.m_kindWidth, app.m_timeWidth})
        EXPECT_EQ(width, -1);
    EXPECT_EQ(app.m_appFlags, 0u);
    EXPECT_TRUE(app.Documents().empty());
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("ボルカトラ"));
    EXPECT_TRUE(m_messages.ShownBoxes().empty());
}

TEST(ApplicationNamesTest, QtAddsNoNameToTheTitles) {
    const QString testName = QCoreApplication::applicationName();
    const QString testOrganization = QCoreApplication::organizationName();
    SetApplicationNames();
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Marovane"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Volcatra"));
    // Qt appends a display name to the titles of top-level windows only when
    // one was set; one that was not set follows the application name.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
    QCoreApplication::setApplicationName(testName);
    QCoreApplication::setOrganizationName(testOrganization);
}

TEST_F(StartupTest, AnyOtherVersionResetsOnlyTheWorkspace) {
    struct Case {
        const char* stored;  // nullptr: absent
        bool workspaceKept;
    };
    const Case cases[] = {{nullptr, false}, {"3.20.159", false}, {"3.20.160 ", false}, {"3.20.160", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(absent)");
        {
            auto settings = OpenSettings();
            settings->clear();
            if (c.stored) settings->setValue(QStringLiteral("Settings/AppVersion"), QString::fromLatin1(c.stored));
            settings->setValue(QStringLiteral("Workspace/Marker"), 1);
            settings->setValue(QStringLiteral("Settings/NameWidth"), 222);
            settings->setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/nowhere/a.fsr"));
        }
        CFSRecApp& app = StartApp();
        auto settings = OpenSettings();
        EXPECT_EQ(settings->contains(QStringLiteral("Workspace/Marker")), c.workspaceKept);
        EXPECT_EQ(settings->value(QStringLiteral("Settings/AppVersion")).toString(), QStringLiteral("3.20.160"));
        EXPECT_EQ(app.m_nameWidth, 222);
        EXPECT_EQ(app.RecentFiles(), QStringList{QStringLiteral("/nowhere/a.fsr")});
        DestroyApp();
    }
}

TEST_F(StartupTest, WidthsAndFlagsComeFromTheSettingsAndWidthsGoBackAtExit) {
    {
        auto settings = OpenSettings();
        settings->setValue(QStringLiteral("Settings/TreePaneWidth"), 210);
        settings->setValue(QStringLiteral("Settings/NameWidth"), 111);
        settings->setValue(QStringLiteral("Settings/SizeWidth"), 77);
        settings->setValue(QStringLiteral("Settings/KindWidth"), 99);
        settings->setValue(QStringLiteral("Settings/TimeWidth"), 130);
        settings->setValue(QStringLiteral("Settings/AppFlags"), 0x10001u);
    }
    CFSRecApp& app = StartApp();
    EXPECT_EQ(app.m_treePaneWidth, 210);
    EXPECT_EQ(app.m_nameWidth, 111);
    EXPECT_EQ(app.m_sizeWidth, 77);
    EXPECT_EQ(app.m_kindWidth, 99);
    EXPECT_EQ(app.m_timeWidth, 130);
    EXPECT_EQ(app.m_appFlags, 0x10001u);
    app.m_sizeWidth = 88;
    EXPECT_TRUE(app.MainFrame()->close());
    EXPECT_EQ(Setting("Settings/SizeWidth").toInt(), 88);
    EXPECT_EQ(Setting("Settings/TreePaneWidth").toInt(), 210);
}

TEST(PickLastCatalogueTest, FirstCatalogueNameElseMostRecent) {
    struct Case {
        QStringList recent;
        QString chosen;
    };
    const Case cases[] = {
        {{"/d/x.csv", "/c/a.Fsr", "/c/b.fsr"}, "/c/a.Fsr"},
        {{"/d/x.csv"}, "/d/x.csv"},
        {{}, ""},
        {{"/c/b.FSR", "/c/a.fsr"}, "/c/b.FSR"},
        {{"/d/fsr", "/d/y.fsrx"}, "/d/fsr"},
    };
    for (const Case& c : cases) EXPECT_EQ(PickLastCatalogue(c.recent), c.chosen) << c.recent.join(u' ').toStdString();
}

TEST_F(StartupTest, LastCatalogueRules) {
    const QString a = WriteCatalogue(OneVolume(u"A"), QStringLiteral("a.Fsr"));
    const QString b = WriteCatalogue(OneVolume(u"B"), QStringLiteral("b.fsr"));
    const QString x = WriteCatalogue(OneVolume(u"X"), QStringLiteral("x.csv"));
    struct Case {
        const char* name;
        QStringList recent;
        uint32_t flags;
        QString commandLine;
        QString opened;  // empty: nothing
    };
    const Case cases[] = {
        {"first catalogue name", {x, a, b}, AF_OPEN_LAST_FILE, {}, a},
        {"only another kind", {x}, AF_OPEN_LAST_FILE, {}, x},
        {"empty list", {}, AF_OPEN_LAST_FILE, {}, {}},
        {"option clear", {a}, 0, {}, {}},
        {"command line wins", {a}, AF_OPEN_LAST_FILE, b, b},
        {"command line without option", {}, 0, b, b},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            auto settings = OpenSettings();
            settings->clear();
            settings->setValue(QStringLiteral("Settings/AppFlags"), c.flags);
            for (int i = 0; i < c.recent.size(); ++i)
                settings->setValue(QStringLiteral("Recent File List/File%1").arg(i + 1), c.recent[i]);
        }
        CFSRecApp& app = StartApp(c.commandLine.isEmpty() ? QStringList() : QStringList{c.commandLine});
        if (c.opened.isEmpty()) {
            EXPECT_TRUE(app.Documents().empty());
        } else {
            ASSERT_EQ(app.Documents().size(), 1u);
            EXPECT_EQ(QFile::decodeName(app.Documents()[0]->GetPathName().c_str()), c.opened);
            EXPECT_EQ(app.RecentFiles().front(), c.opened);
        }
        DestroyApp();
    }
}

TEST_F(StartupTest, AFileThatCannotBeOpenedFailsTheStartButNotTheLastCatalogue) {
    const QString missing = TempPath(QStringLiteral("missing.fsr"));
    MakeApp();
    EXPECT_FALSE(App().InitInstance({missing}));
    EXPECT_EQ(m_messages.ShownBoxes().size(), 1u);
    DestroyApp();

    {
        auto settings = OpenSettings();
        settings->setValue(QStringLiteral("Settings/AppFlags"), AF_OPEN_LAST_FILE);
        settings->setValue(QStringLiteral("Recent File List/File1"), missing);
    }
    CFSRecApp& app = StartApp();
    EXPECT_TRUE(app.Documents().empty());
    EXPECT_EQ(m_messages.ShownBoxes().size(), 2u);
}

TEST_F(StartupTest, MissingOverlayPictureStopsTheStart) {
    QTemporaryDir empty;
    CFSRecApp& app = MakeApp([&empty](AppServices& services) { services.m_programDirectory = empty.path(); });
    EXPECT_FALSE(app.InitInstance({}));
    ASSERT_EQ(m_messages.ShownBoxes().size(), 1u);
    EXPECT_EQ(m_messages.ShownBoxes()[0].text, std::u16string(Tr(kSystemIconFailureText)));
    EXPECT_EQ(m_messages.ShownBoxes()[0].icon, MessageIcon::Stop);
}

// --- Options ----------------------------------------------------------------------

struct OptionsCase {
    const char* name;
    uint32_t stored;  // "AppFlags" before
    std::function<void(COptPropPage1&)> edit;
    bool viaApply;
    uint32_t written;
    bool refreshed;
};

TEST_F(StartupTest, OptionsStoreTheirBitsAndRefreshOnSizeUnitChange) {
    const QString path = WriteCatalogue(OneVolume(), QStringLiteral("one.fsr"));
    const OptionsCase cases[] = {
        {"nothing stored, both boxes clear", 0,
         [](COptPropPage1& p) {
             EXPECT_FALSE(p.OpenLastFileBox()->isChecked());
             EXPECT_FALSE(p.SizeInBytesBox()->isChecked());
             EXPECT_TRUE(p.AddExtensionBox()->isHidden());
         },
         false, 0, false},
        {"size in bytes", 0, [](COptPropPage1& p) { p.SizeInBytesBox()->setChecked(true); }, false, 0x10000, true},
        {"checked and unchecked", 0,
         [](COptPropPage1& p) {
             p.SizeInBytesBox()->setChecked(true);
             p.SizeInBytesBox()->setChecked(false);
         },
         false, 0, false},
        {"other bits and the hidden bit kept", 0xF0000001u,
         [](COptPropPage1& p) { p.OpenLastFileBox()->setChecked(true); }, false, 0xF0000011u, false},
        {"apply then cancel", 0x10000, [](COptPropPage1& p) { p.SizeInBytesBox()->setChecked(false); }, true, 0, true},
    };
    for (const OptionsCase& c : cases) {
        SCOPED_TRACE(c.name);
        {
            auto settings = OpenSettings();
            settings->clear();
            settings->setValue(QStringLiteral("Settings/AppFlags"), c.stored);
        }
        CFSRecApp& app = StartApp({path});
        // Show a folder so that a refresh is visible: it brings the volume list back.
        Tree().setCurrentIndex(Tree().Model().IndexOf(Tree().Model().CatalogueNode()->m_children[0]));
        ASSERT_NE(List().ShownFolder(), nullptr);
        m_dialogHandler = [&c](QDialog& dialog) {
            auto* sheet = dynamic_cast<COptionsSheet*>(&dialog);
            EXPECT_NE(sheet, nullptr);
            if (!sheet) return 0;
            EXPECT_EQ(sheet->windowTitle(), QStringLiteral("オプションの設定"));
            c.edit(*sheet->Page());
            if (c.viaApply) {
                sheet->ApplyButton()->click();
                sheet->reject();
                return int(QDialog::Rejected);
            }
            sheet->accept();
            return int(QDialog::Accepted);
        };
        app.MainFrame()->Route(ID_OPTIONS);
        m_dialogHandler = nullptr;
        EXPECT_EQ(Setting("Settings/AppFlags").toString().toUInt(), c.written);
        EXPECT_EQ(app.m_appFlags, c.written);
        EXPECT_EQ(List().ShownFolder() == nullptr, c.refreshed);
        DestroyApp();
    }
}

TEST_F(StartupTest, SizesInBytesAfterTheOption) {
    const QString path = WriteCatalogue(OneVolume(), QStringLiteral("one.fsr"));
    CFSRecApp& app = StartApp({path});
    Tree().setCurrentIndex(Tree().Model().IndexOf(Tree().Model().CatalogueNode()->m_children[0]));
    EXPECT_EQ(List().Model().Text(0, 1), QStringLiteral("1,025KB"));
    app.StoreAppFlags(AF_SIZE_IN_BYTES);
    Tree().setCurrentIndex(Tree().Model().IndexOf(Tree().Model().CatalogueNode()->m_children[0]));
    EXPECT_EQ(List().Model().Text(0, 1), QStringLiteral("1,048,577"));
}

TEST_F(StartupTest, SizeColumnShowsTheWholeLargestSizeInBytes) {
    RootList roots = OneVolume();
    AddEntry(*roots[0]->m_folders[0], u"huge.iso", FA_ARCHIVE, 5'000'000'000ull, 0);
    const QString path = WriteCatalogue(std::move(roots), QStringLiteral("huge.fsr"));
    // Whether the list shows the size text of huge.iso whole.
    const auto shownWhole = [this]() {
        Tree().setCurrentIndex(Tree().Model().IndexOf(Tree().Model().CatalogueNode()->m_children[0]));
        const QString text = List().Model().Text(List().Model().FindName(u"huge.iso"), 1);
        EXPECT_EQ(text, QStringLiteral("5,000,000,000"));
        QTreeView* rows = List().DetailsView();
        const int margin = rows->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, rows) + 1;
        const int room = rows->header()->sectionSize(1) - 2 * margin;
        return QFontMetrics(rows->font()).elidedText(text, Qt::ElideRight, room) == text;
    };
    CFSRecApp& app = StartApp({path});
    EXPECT_EQ(List().DetailsView()->header()->sectionSize(1), 90);  // kilobytes fit the default width
    app.StoreAppFlags(AF_SIZE_IN_BYTES);
    EXPECT_TRUE(shownWhole());
    const int widened = List().DetailsView()->header()->sectionSize(1);
    app.StoreAppFlags(0);  // back to kilobytes: the width stays
    EXPECT_EQ(List().DetailsView()->header()->sectionSize(1), widened);
    // A window that opens in bytes mode fits the column too.
    app.StoreAppFlags(AF_SIZE_IN_BYTES);
    DestroyApp();
    StartApp({path});
    EXPECT_TRUE(shownWhole());
}

TEST_F(StartupTest, AboutBoxShowsTheVersion) {
    CFSRecApp& app = StartApp();
    QString title, text;
    m_dialogHandler = [&](QDialog& dialog) {
        title = dialog.windowTitle();
        if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("VersionText"))) text = label->text();
        return int(QDialog::Accepted);
    };
    app.MainFrame()->Route(ID_APP_ABOUT);
    EXPECT_EQ(title, QStringLiteral("バージョン情報"));
    EXPECT_EQ(text, QStringLiteral("ボルカトラ Version 3.20.160"));
}

// Qt's own texts: the standard buttons of message boxes and button boxes
// and the labels and buttons of the file dialog.
TEST_F(StartupTest, QtsOwnTextsAreJapanese) {
    StartApp();
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
    QDialogButtonBox buttons(QDialogButtonBox::Reset);
    QFileDialog dialog(nullptr, QString(), QString(), QStringLiteral("メディア構成 ファイル (*.fsr)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const auto label = [&dialog](const char* name) {
        auto* found = dialog.findChild<QLabel*>(QLatin1String(name));
        return found ? found->text() : QStringLiteral("(none)");
    };
    auto* dialogButtons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(dialogButtons, nullptr);
    const std::pair<QString, const char16_t*> texts[] = {
        {box.button(QMessageBox::Yes)->text(), u"はい(&Y)"},
        {box.button(QMessageBox::No)->text(), u"いいえ(&N)"},
        {box.button(QMessageBox::Cancel)->text(), u"キャンセル"},
        {box.button(QMessageBox::Ok)->text(), u"OK"},
        {buttons.button(QDialogButtonBox::Reset)->text(), u"リセット"},
        {label("lookInLabel"), u"アドレス:"},
        {label("fileNameLabel"), u"ファイル名(&N):"},
        {label("fileTypeLabel"), u"ファイルの種類:"},
        {dialogButtons->button(QDialogButtonBox::Save)->text(), u"保存(&S)"},
        // The type column of the file list.
        {QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), u"フォルダ"},
        {QCoreApplication::translate("QAbstractFileIconProvider", "%1 File"), u"%1 ファイル"},
        // The kind column of the program's own lists, from the MIME database.
        {QString::fromStdU16String(CMimeTypeNames().GetTypeName(u"a.txt", false)), u"平文テキストドキュメント"},
    };
    for (const auto& [shown, expected] : texts) EXPECT_EQ(shown, QString::fromUtf16(expected));
}

// --- The running program and the desktop ----------------------------------------------

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// Waits, running events, until the condition holds or two seconds passed.
bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 400 && !condition(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return condition();
}

TEST_F(StartupTest, LaterStartsHandOverFilesAndTheDesktopTokens) {
    const QString path = WriteCatalogue(OneVolume(), QStringLiteral("handed.fsr"));
    CFSRecApp& app = StartApp();
    CInstanceServer server;
    CHandOver handOver(app);
    const QString name = QStringLiteral("volcatra-test-%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(server.Listen(name));
    std::vector<HandOverRequest> received;
    QObject::connect(&server, &CInstanceServer::RequestReceived, &app, [&](const HandOverRequest& request) {
        received.push_back(request);
        handOver.Receive(request);
    });
    const auto send = [&](const HandOverRequest& request) {
        auto sent = std::async(std::launch::async, [&] { return SendToRunningInstance(name, request, 5000); });
        while (sent.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        const bool ok = sent.get();
        Flush();
        return ok;
    };

    // A start without a file only brings the window forward, with its tokens.
    app.MainFrame()->showMinimized();
    {
        ScopedEnv wayland("XDG_ACTIVATION_TOKEN", "wayland-token-1");
        ScopedEnv x11("DESKTOP_STARTUP_ID", "launcher-42_TIME12345");
        EXPECT_TRUE(send(MakeHandOverRequest({})));
    }
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0].m_paths.isEmpty());
    EXPECT_EQ(received[0].m_activationToken, QStringLiteral("wayland-token-1"));
    EXPECT_EQ(received[0].m_startupId, QStringLiteral("launcher-42_TIME12345"));
    EXPECT_TRUE(app.Documents().empty());
    EXPECT_FALSE(app.MainFrame()->isMinimized());
    EXPECT_TRUE(app.MainFrame()->isVisible());

    // A relative name arrives as an absolute path and opens.
    {
        ScopedEnv wayland("XDG_ACTIVATION_TOKEN", QByteArray());
        ScopedEnv x11("DESKTOP_STARTUP_ID", QByteArray());
        const QString old = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        const HandOverRequest request = MakeHandOverRequest({QStringLiteral("handed.fsr")});
        QDir::setCurrent(old);
        EXPECT_TRUE(send(request));
    }
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].m_paths, QStringList{path});
    EXPECT_TRUE(received[1].m_activationToken.isEmpty());
    ASSERT_EQ(app.Documents().size(), 1u);
    EXPECT_EQ(QFile::decodeName(app.Documents()[0]->GetPathName().c_str()), path);

    // Nobody listens on another name.
    EXPECT_FALSE(SendToRunningInstance(name + QStringLiteral("-none"), MakeHandOverRequest({path}), 200));
    EXPECT_FALSE(IsInstanceRunning(name + QStringLiteral("-none")));
}

TEST_F(StartupTest, HandedOverFilesWaitWhileTheProgramIsBusy) {
    const QString good = WriteCatalogue(OneVolume(), QStringLiteral("good.fsr"));
    const QString bad = TempPath(QStringLiteral("missing.fsr"));
    HandOverRequest request;
    // A request that comes while the program still starts waits for the
    // main window.
    {
        CFSRecApp& starting = MakeApp();
        CHandOver early(starting);
        request.m_paths = {good};
        early.Receive(request);
        EXPECT_EQ(early.PendingCount(), 1);
        ASSERT_TRUE(starting.InitInstance({}));
        EXPECT_TRUE(WaitFor([&] { return early.PendingCount() == 0; }));
        EXPECT_EQ(starting.Documents().size(), 1u);
    }
    CFSRecApp& app = StartApp();
    CHandOver handOver(app);
    request.m_paths = {bad, good};

    // A modal window is open (a message box, a dialog): nothing opens and no
    // second box appears until it closes; then the files open in order.
    QDialog modal(app.MainFrame());
    modal.setWindowModality(Qt::ApplicationModal);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    handOver.Receive(request);
    Flush();
    EXPECT_EQ(handOver.PendingCount(), 2);
    EXPECT_TRUE(app.Documents().empty());
    EXPECT_TRUE(m_messages.ShownBoxes().empty());
    modal.close();
    EXPECT_TRUE(WaitFor([&] { return handOver.PendingCount() == 0; }));
    EXPECT_EQ(m_messages.ShownBoxes().size(), 1u);  // the missing file
    ASSERT_EQ(app.Documents().size(), 1u);
    EXPECT_EQ(QFile::decodeName(app.Documents()[0]->GetPathName().c_str()), good);

    // A read disables the main window: the files wait for its end as well.
    app.CloseAllDocuments();
    Flush();
    app.MainFrame()->setEnabled(false);
    request.m_paths = {good};
    handOver.Receive(request);
    Flush();
    EXPECT_EQ(handOver.PendingCount(), 1);
    EXPECT_TRUE(app.Documents().empty());
    app.MainFrame()->setEnabled(true);
    EXPECT_TRUE(WaitFor([&] { return handOver.PendingCount() == 0; }));
    EXPECT_EQ(app.Documents().size(), 1u);
}

TEST(X11ActivationTest, StartupIdTimeAndRemoveMessage) {
    struct Case {
        const char* id;
        uint32_t time;
    };
    const Case cases[] = {{"launcher-1234-host-volcatra-0_TIME98765", 98765},
                          {"noTime", 0},
                          {"x_TIME", 0},
                          {"x_TIME12a", 0},
                          {"x_TIME99999999999", 0},
                          {"a_TIME1_TIME4294967295", 4294967295u}};
    for (const Case& c : cases) EXPECT_EQ(StartupIdTime(QString::fromLatin1(c.id)), c.time) << c.id;

    // "remove: ID=" and the id with its blank escaped, a NUL, cut into
    // 20-byte pieces, the last one padded.
    const std::vector<QByteArray> pieces = StartupRemoveMessage(QStringLiteral("id with\\blank_TIME5"));
    QByteArray joined;
    for (const QByteArray& piece : pieces) {
        EXPECT_EQ(piece.size(), 20);
        joined += piece;
    }
    const QByteArray expected = QByteArray("remove: ID=id\\ with\\\\blank_TIME5") + '\0';
    ASSERT_EQ(pieces.size(), size_t((expected.size() + 19) / 20));
    EXPECT_EQ(joined.left(expected.size()), expected);
    EXPECT_EQ(joined.mid(expected.size()), QByteArray(joined.size() - expected.size(), '\0'));
}

TEST_F(StartupTest, RegisterAndUnregisterWriteAndRemoveTheDesktopFiles) {
    QTemporaryDir data;
    const QByteArray old = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    // The entry an earlier version wrote under another name goes, so that
    // the desktop never lists the program twice.
    const QString oldEntry = data.filePath(QStringLiteral("applications/volcatra.desktop"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(oldEntry).absolutePath()));
    {
        QFile old(oldEntry);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("[Desktop Entry]\nIcon=media-optical\n");
    }
    MakeApp();
    EXPECT_FALSE(App().InitInstance({QStringLiteral("--register")}));
    EXPECT_EQ(App().ExitCode(), 0);
    EXPECT_EQ(DesktopEntryPath(), data.filePath(QStringLiteral("applications/com.marovane.Volcatra.desktop")));
    EXPECT_TRUE(QFile::exists(DesktopEntryPath()));
    EXPECT_TRUE(QFile::exists(MimePackagePath()));
    EXPECT_FALSE(QFile::exists(oldEntry));
    QFile entry(DesktopEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    EXPECT_TRUE(text.contains("MimeType=application/x-zevuv-document;"));
    // The installed entry, started by the program's own path.
    const QByteArray exec = "\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\" %f\n";
    EXPECT_TRUE(text.contains(exec)) << text.constData();
    EXPECT_FALSE(text.contains("Exec=volcatra"));
    EXPECT_TRUE(text.contains("\nIcon=com.marovane.Volcatra\n")) << text.constData();
    // The program's own icon in the hicolor sizes and as a scalable picture.
    const QStringList icons = IconPaths();
    ASSERT_EQ(icons.size(), 7);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(icons[i].toStdString());
        const int size = kIconSizes[i];
        EXPECT_EQ(icons[i],
                  data.filePath(QStringLiteral("icons/hicolor/%1x%1/apps/com.marovane.Volcatra.png").arg(size)));
        const QImage image(icons[i]);
        EXPECT_EQ(image.size(), QSize(size, size));
    }
    EXPECT_EQ(icons[6], data.filePath(QStringLiteral("icons/hicolor/scalable/apps/com.marovane.Volcatra.svg")));
    QFile svg(icons[6]);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().startsWith("<svg "));
    MakeApp();
    EXPECT_FALSE(App().InitInstance({QStringLiteral("--unregister")}));
    EXPECT_EQ(App().ExitCode(), 0);
    EXPECT_FALSE(QFile::exists(DesktopEntryPath()));
    EXPECT_FALSE(QFile::exists(MimePackagePath()));
    for (const QString& icon : icons) EXPECT_FALSE(QFile::exists(icon)) << icon.toStdString();
    EXPECT_TRUE(App().Documents().empty());
    qputenv("XDG_DATA_HOME", old);
}

TEST_F(StartupTest, RegisteredEntryNamesTheProgramPathEscapedForTheDesktop) {
    const QByteArray installed = "[Desktop Entry]\nName=x\nExec=volcatra %f\nIcon=y\n";
    struct Case {
        const char* path;
        const char* exec;  // the Exec line as it appears in the file
    } const cases[] = {
        {"/usr/local/bin/volcatra", R"(Exec="/usr/local/bin/volcatra" %f)"},
        {"/home/taro/my apps/volcatra", R"(Exec="/home/taro/my apps/volcatra" %f)"},
        // Quote, dollar and backquote take a backslash inside the quotes,
        // which the string escaping doubles; a backslash becomes four.
        {R"(/opt/a"b$c`d/volcatra)", R"(Exec="/opt/a\\"b\\$c\\`d/volcatra" %f)"},
        {R"(/opt/a\b/volcatra)", R"(Exec="/opt/a\\\\b/volcatra" %f)"},
        {"/opt/100%/volcatra", R"(Exec="/opt/100%%/volcatra" %f)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const QByteArray entry = DesktopEntryFor(installed, QString::fromUtf8(c.path));
        EXPECT_EQ(entry.toStdString(), "[Desktop Entry]\nName=x\n" + std::string(c.exec) + "\nIcon=y\n");
    }
}

}  // namespace
}  // namespace volcatra::test
