// Start-up with and without settings, the last-catalogue rules, the options
// and their storing, the hand-over to a running program and the file-type
// registration.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QThread>
#include <future>

#include "GuiTestSupport.h"
#include "app/AppDialogs.h"
#include "app/ShellRegistration.h"
#include "app/SingleInstance.h"
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
    EXPECT_EQ(m_messages.ShownBoxes()[0].text, std::u16string(kSystemIconFailureText));
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

// --- The running program and the desktop ----------------------------------------------

TEST_F(StartupTest, FilesPassedToARunningProgramAreOpened) {
    const QString path = WriteCatalogue(OneVolume(), QStringLiteral("handed.fsr"));
    CFSRecApp& app = StartApp();
    CInstanceServer server;
    const QString name = QStringLiteral("volcatra-test-%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(server.Listen(name));
    QObject::connect(&server, &CInstanceServer::FilesReceived, &app, [&app](const QStringList& paths) {
        for (const QString& p : paths) app.OpenDocumentFile(p);
    });
    auto sent = std::async(std::launch::async, [&] { return SendToRunningInstance(name, {path}, 5000); });
    while (sent.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) QCoreApplication::processEvents();
    EXPECT_TRUE(sent.get());
    Flush();
    ASSERT_EQ(app.Documents().size(), 1u);
    EXPECT_EQ(QFile::decodeName(app.Documents()[0]->GetPathName().c_str()), path);
    // Nobody listens on another name.
    EXPECT_FALSE(SendToRunningInstance(name + QStringLiteral("-none"), {path}, 200));
    EXPECT_FALSE(IsInstanceRunning(name + QStringLiteral("-none")));
}

TEST_F(StartupTest, RegisterAndUnregisterWriteAndRemoveTheDesktopFiles) {
    QTemporaryDir data;
    const QByteArray old = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    MakeApp();
    EXPECT_FALSE(App().InitInstance({QStringLiteral("--register")}));
    EXPECT_EQ(App().ExitCode(), 0);
    EXPECT_TRUE(QFile::exists(DesktopEntryPath()));
    EXPECT_TRUE(QFile::exists(MimePackagePath()));
    QFile entry(DesktopEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    EXPECT_TRUE(text.contains("MimeType=application/x-zevuv-document;"));
    EXPECT_TRUE(text.contains(" %f\n"));
    MakeApp();
    EXPECT_FALSE(App().InitInstance({QStringLiteral("--unregister")}));
    EXPECT_EQ(App().ExitCode(), 0);
    EXPECT_FALSE(QFile::exists(DesktopEntryPath()));
    EXPECT_FALSE(QFile::exists(MimePackagePath()));
    EXPECT_TRUE(App().Documents().empty());
    qputenv("XDG_DATA_HOME", old);
}

}  // namespace
}  // namespace volcatra::test
