// The command surface of the main window: menus, shortcut table, toolbar,
// status bar, and the command chain that decides enabling and marks.
#include <QActionGroup>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "GuiTestSupport.h"

namespace volcatra::test {
namespace {

// One line per menu item: its text, or "-" for a separator, submenus as
// "title>" followed by their items and "<".
QStringList Describe(QMenu* menu) {
    QStringList lines;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            lines << QStringLiteral("-");
        else if (action->menu() && action->menu() != menu) {
            lines << action->text() + u'>';
            lines << Describe(action->menu());
            lines << QStringLiteral("<");
        } else
            lines << action->text();
    }
    return lines;
}

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* action : bar->actions()) titles << action->text();
    return titles;
}

QMenu* MenuNamed(QMenuBar* bar, const QString& title) {
    for (QAction* action : bar->actions())
        if (action->text() == title) return action->menu();
    return nullptr;
}

RootList TwoFolders() {
    RootList roots;
    auto root = MakeVolume(u"DATA");
    CFileArray& top = AddArray(*root, u"\\");
    AddEntry(top, u"Setup", FA_DIRECTORY, 0, 0, 1);
    AddEntry(top, u"readme.txt", FA_ARCHIVE, 10, 0);
    CFileArray& setup = AddArray(*root, u"\\Setup");
    AddEntry(setup, u"setup.exe", FA_ARCHIVE, 100, 0);
    roots.push_back(std::move(root));
    return roots;
}

using CommandTest = GuiTest;

TEST_F(CommandTest, MenuBarWithoutAndWithACatalogueWindow) {
    CFSRecApp& app = StartApp();
    QMenuBar* bar = app.MainFrame()->menuBar();
    EXPECT_EQ(app.MainFrame()->CurrentMenu(), MENU_NO_DOCUMENT);
    EXPECT_EQ(MenuTitles(bar), (QStringList{"ファイル(&F)", "表示(&V)", "ヘルプ(&H)"}));
    EXPECT_EQ(
        Describe(MenuNamed(bar, "ファイル(&F)")),
        (QStringList{"新規作成(&N)\tCtrl+N", "開く(&O)...\tCtrl+O", "閉じる(&C)", "-", "新規読み取り(&Y)...\tCtrl+R",
                     "-", "最近使ったファイル", "-", "アプリケーションの終了(&X)"}));
    EXPECT_EQ(Describe(MenuNamed(bar, "ヘルプ(&H)")), QStringList{"バージョン情報(&A)..."});

    const QString path = WriteCatalogue(TwoFolders(), QStringLiteral("two.fsr"));
    app.OpenDocumentFile(path);
    Flush();
    EXPECT_EQ(app.MainFrame()->CurrentMenu(), MENU_CATALOGUE);
    EXPECT_EQ(MenuTitles(bar),
              (QStringList{"ファイル(&F)", "編集(&E)", "表示(&V)", "ツール(&T)", "ウィンドウ(&W)", "ヘルプ(&H)"}));
    EXPECT_EQ(Describe(MenuNamed(bar, "ファイル(&F)")),
              (QStringList{"新規作成(&N)\tCtrl+N", "開く(&O)...\tCtrl+O", "閉じる(&C)", "-",
                           "新規読み取り(&Y)...\tCtrl+R", "-", "上書き保存(&S)\tCtrl+S", "名前を付けて保存(&A)...", "-",
                           "&1 " + path, "-", "アプリケーションの終了(&X)"}));
    EXPECT_EQ(Describe(MenuNamed(bar, "編集(&E)")),
              (QStringList{"新規読み取り(&Y)...\tCtrl+R", "追加読み取り(&A)...", "-", "元に戻す(&U)\tCtrl+Z",
                           "やり直し(&R)\tCtrl+Y", "-", "切り取り(&T)\tCtrl+X", "コピー(&C)\tCtrl+C",
                           "貼り付け(&P)\tCtrl+V", "-", "名前をコピー(&N)", "パスをコピー(&P)", "名前の変更(&M)"}));
    EXPECT_EQ(Describe(MenuNamed(bar, "表示(&V)")), (QStringList{"ツール バーとドッキング ウィンドウ(&T)>",
                                                                 "標準",
                                                                 "-",
                                                                 "カスタマイズ...",
                                                                 "<",
                                                                 "ステータス バー(&S)",
                                                                 "分割(&P)",
                                                                 "-",
                                                                 "大きいアイコン(&G)",
                                                                 "小さいアイコン(&M)",
                                                                 "一覧(&L)",
                                                                 "詳細(&D)",
                                                                 "アイコンの整列(&I)>",
                                                                 "名前順(&N)",
                                                                 "種類順(&T)",
                                                                 "サイズ順(&S)",
                                                                 "日付順(&D)",
                                                                 "<",
                                                                 "-",
                                                                 "1つ上のフォルダへ(&U)",
                                                                 "-",
                                                                 "プロパティ(&P)..."}));
    EXPECT_EQ(Describe(MenuNamed(bar, "ツール(&T)")),
              (QStringList{"検索(&F)...\tCtrl+F", "ファイルから検索(&I)...", "-", "実体を探す(&J)",
                           "エクスプローラ(&E)", "-", "オプション..."}));
    EXPECT_EQ(Describe(MenuNamed(bar, "ウィンドウ(&W)")),
              (QStringList{"新しいウィンドウを開く(&N)", "分割(&P)", "ウィンドウ(&W)..."}));
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("ボルカトラ - two.fsr"));

    // Every menu item carries its command's prompt for the status bar.
    for (QAction* action : app.MainFrame()->ActionsFor(ID_COPY_NAME))
        EXPECT_EQ(action->statusTip(), QStringLiteral("名前をコピーしてクリップボードに保存"));
}

TEST_F(CommandTest, ShortcutTableBindsF5AndNotCtrlR) {
    CFSRecApp& app = StartApp();
    struct Case {
        QKeySequence keys;
        uint32_t id;
    };
    const Case cases[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_C), 57634}, {QKeySequence(Qt::CTRL | Qt::Key_Insert), 57634},
        {QKeySequence(Qt::CTRL | Qt::Key_X), 57635}, {QKeySequence(Qt::SHIFT | Qt::Key_Delete), 57635},
        {QKeySequence(Qt::CTRL | Qt::Key_V), 57637}, {QKeySequence(Qt::SHIFT | Qt::Key_Insert), 57637},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), 57643}, {QKeySequence(Qt::ALT | Qt::Key_Backspace), 57643},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), 57644}, {QKeySequence(Qt::CTRL | Qt::Key_N), 57600},
        {QKeySequence(Qt::CTRL | Qt::Key_O), 57601}, {QKeySequence(Qt::CTRL | Qt::Key_S), 57603},
        {QKeySequence(Qt::CTRL | Qt::Key_F), 57636}, {QKeySequence(Qt::ALT | Qt::Key_F3), 57636},
        {QKeySequence(Qt::Key_F2), 32794},           {QKeySequence(Qt::Key_F5), 32791},
        {QKeySequence(Qt::Key_F6), 57680},           {QKeySequence(Qt::SHIFT | Qt::Key_F6), 57681},
    };
    QList<QAction*> bound;
    for (QAction* action : app.MainFrame()->findChildren<QAction*>())
        if (!action->shortcut().isEmpty()) bound << action;
    EXPECT_EQ(bound.size(), qsizetype(std::size(cases)));
    for (const Case& c : cases) {
        int found = 0;
        for (QAction* action : bound)
            if (action->shortcut() == c.keys) {
                ++found;
                EXPECT_EQ(action->data().toUInt(), c.id) << c.keys.toString().toStdString();
            }
        EXPECT_EQ(found, 1) << c.keys.toString().toStdString();
    }
    for (QAction* action : bound) EXPECT_NE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
}

TEST_F(CommandTest, F5StartsANewReadWhenTheReadIsAvailable) {
    int reads = 0;
    CFSRecApp& app = StartApp({}, [&reads](AppServices& services) {
        services.m_readIntoNewDocument = [&reads](CFSRecDoc&) {
            ++reads;
            return false;  // the read did not complete: no catalogue remains
        };
    });
    for (QAction* action : app.MainFrame()->ShortcutActions()) {
        if (action->shortcut() != QKeySequence(Qt::Key_F5)) continue;
        app.MainFrame()->UpdateCommandStates();
        EXPECT_TRUE(action->isEnabled());
        action->trigger();
    }
    Flush();
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(app.Documents().empty());
    EXPECT_FALSE(app.m_newRead);

    // Without the reading part the command is off.
    CFSRecApp& plain = StartApp();
    EXPECT_FALSE(plain.MainFrame()->QueryState(ID_READ_NEW).m_enabled);
}

TEST_F(CommandTest, EnablingAndMarksFollowTheChain) {
    CFSRecApp& app = StartApp();
    CMainFrame& frame = *app.MainFrame();
    // Without a window: the application's commands only.
    struct Case {
        uint32_t id;
        bool enabled;
        bool checked;
    };
    const Case empty[] = {
        {ID_FILE_NEW, true, false},   {ID_FILE_OPEN, true, false},      {ID_FILE_CLOSE, false, false},
        {ID_APP_ABOUT, true, false},  {ID_FILE_SAVE, false, false},     {ID_VIEW_DETAILS, false, false},
        {ID_COPY_NAME, false, false}, {ID_VIEW_STATUS_BAR, true, true}, {ID_FILE_MRU_FILE1, false, false}};
    for (const Case& c : empty) {
        const CommandState state = frame.QueryState(c.id);
        EXPECT_EQ(state.m_enabled, c.enabled) << c.id;
        EXPECT_EQ(state.m_checked, c.checked) << c.id;
    }

    app.OpenDocumentFile(WriteCatalogue(TwoFolders(), QStringLiteral("two.fsr")));
    Flush();
    // The catalogue item is selected: up one folder is off; nothing is
    // selected in the list: copy name is off.
    Tree().setCurrentIndex(Tree().Model().IndexOf(Tree().Model().CatalogueNode()));
    const Case window[] = {
        {ID_FILE_CLOSE, true, false},   {ID_FILE_SAVE, true, false},      {ID_FILE_SAVE_AS, true, false},
        {ID_VIEW_DETAILS, true, true},  {ID_VIEW_LARGEICON, true, false}, {ID_SORT_NAME, true, false},
        {ID_UP_FOLDER, false, false},   {ID_COPY_NAME, false, false},     {ID_EDIT_UNDO, false, false},
        {ID_EDIT_CUT, false, false},    {ID_PROPERTIES, false, false},    {ID_FIND_REAL_FILE, false, false},
        {ID_OPTIONS, true, false},      {ID_FILE_MRU_FILE1, true, false}, {ID_WINDOW_NEW, true, false},
        {ID_WINDOW_SPLIT, false, false}};
    for (const Case& c : window) {
        const CommandState state = frame.QueryState(c.id);
        EXPECT_EQ(state.m_enabled, c.enabled) << c.id;
        EXPECT_EQ(state.m_checked, c.checked) << c.id;
    }
    // The radio mark moves with the view mode; the sort commands never mark.
    frame.Route(ID_VIEW_LARGEICON);
    EXPECT_TRUE(frame.QueryState(ID_VIEW_LARGEICON).m_checked);
    EXPECT_FALSE(frame.QueryState(ID_VIEW_DETAILS).m_checked);
    for (QAction* action : frame.ActionsFor(ID_VIEW_LARGEICON)) EXPECT_TRUE(action->isChecked());
    // The view answers before the document: a selected row enables copy name.
    ASSERT_EQ(List().SelectName(u"DATA"), 0);
    ActiveFrame()->SetActiveView(&Tree());
    EXPECT_FALSE(frame.QueryState(ID_COPY_NAME).m_enabled);  // the tree's catalogue item has no entry
    ActiveFrame()->SetActiveView(&List());
    EXPECT_TRUE(frame.QueryState(ID_COPY_NAME).m_enabled);
    // A folder selected in the tree enables up one folder.
    Tree().SelectPath(u"[DATA] \\Setup");
    EXPECT_TRUE(frame.QueryState(ID_UP_FOLDER).m_enabled);
    frame.Route(ID_UP_FOLDER);
    EXPECT_EQ(Tree().SelectedPath(), u"\\");
}

TEST_F(CommandTest, ToolBarStatusBarAndTabs) {
    CFSRecApp& app = StartApp();
    CMainFrame& frame = *app.MainFrame();
    QToolBar* bar = frame.StandardToolBar();
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("標準"));
    std::vector<uint32_t> ids;
    for (QAction* action : bar->actions()) ids.push_back(action->isSeparator() ? 0 : action->data().toUInt());
    const std::vector<uint32_t> expected = {57600, 57601, 57603, 0,     57643, 57644, 0,     32791, 32792,
                                            0,     57635, 57634, 57637, 0,     57636, 32777, 0,     32775,
                                            59409, 59408, 59410, 59411, 0,     57664, 0,     126};
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(bar->actions().back()->text(), QStringLiteral("カスタマイズ..."));
    EXPECT_EQ(bar->actions().front()->toolTip(), QStringLiteral("新規ファイル"));
    EXPECT_FALSE(bar->actions().front()->icon().isNull());

    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("レディ"));
    frame.statusBar()->showMessage(QStringLiteral("prompt"));
    frame.statusBar()->clearMessage();
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("レディ"));
    EXPECT_EQ(frame.IndicatorPane(0)->text(), QStringLiteral("CAP"));
    EXPECT_EQ(frame.IndicatorPane(1)->text(), QStringLiteral("NUM"));
    EXPECT_EQ(frame.IndicatorPane(2)->text(), QStringLiteral("SCRL"));

    EXPECT_EQ(frame.MdiArea()->viewMode(), QMdiArea::TabbedView);
    EXPECT_TRUE(frame.MdiArea()->tabsClosable());

    // The customise dialog chooses the buttons; separators stay between groups.
    m_dialogHandler = [](QDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("Buttons"));
        EXPECT_NE(list, nullptr);
        if (!list) return 0;
        for (int row = 0; row < list->count(); ++row) {
            const uint32_t id = list->item(row)->data(Qt::UserRole).toUInt();
            list->item(row)->setCheckState(id == 57600 || id == 57664 ? Qt::Checked : Qt::Unchecked);
        }
        return int(QDialog::Accepted);
    };
    frame.Route(ID_TOOLBAR_CUSTOMIZE);
    EXPECT_EQ(frame.ToolBarButtons(), (std::vector<uint32_t>{57600, 0, 57664}));
    // The layout is saved at exit and comes back at the next start.
    EXPECT_TRUE(frame.close());
    CFSRecApp& again = StartApp();
    EXPECT_EQ(again.MainFrame()->ToolBarButtons(), (std::vector<uint32_t>{57600, 0, 57664}));
}

TEST_F(CommandTest, NewWindowsAndClosingTheCatalogue) {
    CFSRecApp& app = StartApp();
    CMainFrame& frame = *app.MainFrame();
    frame.Route(ID_FILE_NEW);
    frame.Route(ID_FILE_NEW);
    Flush();
    ASSERT_EQ(app.Documents().size(), 2u);
    EXPECT_EQ(app.Documents()[0]->GetTitle(), u"Medium1");
    EXPECT_EQ(app.Documents()[1]->GetTitle(), u"Medium2");
    frame.Route(ID_WINDOW_NEW);
    Flush();
    EXPECT_EQ(frame.CatalogueFrames().size(), 3u);
    // Closing the catalogue closes both of its windows and ends it.
    frame.Route(ID_FILE_CLOSE);
    Flush();
    EXPECT_EQ(frame.CatalogueFrames().size(), 1u);
    ASSERT_EQ(app.Documents().size(), 1u);
    EXPECT_EQ(app.Documents()[0]->GetTitle(), u"Medium1");
}

TEST_F(CommandTest, ExitAsksToSaveModifiedCatalogues) {
    CFSRecApp& app = StartApp();
    CMainFrame& frame = *app.MainFrame();
    frame.Route(ID_FILE_NEW);
    Flush();
    ASSERT_EQ(app.Documents().size(), 1u);
    app.Documents()[0]->SetModifiedFlag();
    m_messages.Answer({MessageAnswer::Cancel});
    EXPECT_FALSE(frame.close());
    ASSERT_EQ(m_messages.ShownBoxes().size(), 1u);
    EXPECT_EQ(m_messages.ShownBoxes()[0].text, u"Medium1 への変更を保存しますか?");
    EXPECT_EQ(m_messages.ShownBoxes()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(frame.CatalogueFrames().size(), 1u);
    m_messages.Answer({MessageAnswer::No});
    EXPECT_TRUE(frame.close());
    Flush();
    EXPECT_TRUE(app.Documents().empty());
}

TEST_F(CommandTest, DroppedFilesOpenAsCatalogues) {
    CFSRecApp& app = StartApp();
    const QString first = WriteCatalogue(TwoFolders(), QStringLiteral("first.fsr"));
    const QString second = WriteCatalogue(TwoFolders(), QStringLiteral("second.fsr"));
    EXPECT_TRUE(app.MainFrame()->acceptDrops());
    app.MainFrame()->OpenDroppedFiles({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    Flush();
    ASSERT_EQ(app.Documents().size(), 2u);
    EXPECT_EQ(app.Documents()[0]->GetTitle(), u"first.fsr");
    EXPECT_EQ(app.Documents()[1]->GetTitle(), u"second.fsr");
    EXPECT_EQ(app.RecentFiles(), (QStringList{second, first}));
}

TEST_F(CommandTest, ToolBarTextRadioMarksAndPromptsOfDisabledItems) {
    CFSRecApp& app = StartApp();
    CMainFrame& frame = *app.MainFrame();
    frame.show();
    // The customise button keeps its "...".
    QToolBar* bar = frame.StandardToolBar();
    auto* customize = qobject_cast<QToolButton*>(bar->widgetForAction(bar->actions().back()));
    ASSERT_NE(customize, nullptr);
    EXPECT_EQ(customize->text(), QStringLiteral("カスタマイズ..."));

    app.OpenDocumentFile(WriteCatalogue(TwoFolders(), QStringLiteral("two.fsr")));
    Flush();
    QMenu* view = MenuNamed(frame.menuBar(), QStringLiteral("表示(&V)"));
    ASSERT_NE(view, nullptr);
    // The four view modes form one exclusive group (radio marks); the status
    // bar item stays a check box.
    QActionGroup* modes = nullptr;
    for (QAction* action : view->actions()) {
        const uint32_t id = action->data().toUInt();
        if (id == ID_VIEW_LARGEICON || id == ID_VIEW_SMALLICON || id == ID_VIEW_LIST || id == ID_VIEW_DETAILS) {
            ASSERT_NE(action->actionGroup(), nullptr) << id;
            if (!modes) modes = action->actionGroup();
            EXPECT_EQ(action->actionGroup(), modes);
        } else if (id == ID_VIEW_STATUS_BAR) {
            EXPECT_TRUE(action->isCheckable());
            EXPECT_EQ(action->actionGroup(), nullptr);
        }
    }
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(modes->actions().size(), 4);
    EXPECT_TRUE(modes->isExclusive());
    frame.Route(ID_VIEW_LIST);
    ASSERT_NE(modes->checkedAction(), nullptr);
    EXPECT_EQ(modes->checkedAction()->data().toUInt(), ID_VIEW_LIST);

    // Pointing at a menu item shows its prompt, also when it is disabled.
    QMenu* edit = MenuNamed(frame.menuBar(), QStringLiteral("編集(&E)"));
    ASSERT_NE(edit, nullptr);
    edit->popup(frame.mapToGlobal(QPoint(10, 10)));
    Flush();
    const auto point = [&](uint32_t id) {
        for (QAction* action : edit->actions())
            if (action->data().toUInt() == id) {
                QTest::mouseMove(edit, edit->actionGeometry(action).center());
                Flush();
                return action->isEnabled();
            }
        ADD_FAILURE() << "no item " << id;
        return false;
    };
    EXPECT_FALSE(point(57643));  // undo
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("直前に行った動作を元に戻す"));
    EXPECT_FALSE(point(57637));  // paste
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("クリップボードの内容を貼り付け"));
    edit->close();
    Flush();
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("レディ"));
}

TEST_F(CommandTest, WindowsOfOneCatalogueAreNumbered) {
    CFSRecApp& app = StartApp();
    CMainFrame& frame = *app.MainFrame();
    app.OpenDocumentFile(WriteCatalogue(TwoFolders(), QStringLiteral("sample.fsr")));
    app.OpenDocumentFile(WriteCatalogue(TwoFolders(), QStringLiteral("other.fsr")));
    Flush();
    const auto titles = [&frame]() {
        QStringList shown;
        for (QMdiSubWindow* window : frame.MdiArea()->subWindowList()) shown << window->windowTitle();
        return shown;
    };
    EXPECT_EQ(titles(), (QStringList{"sample.fsr", "other.fsr"}));
    frame.MdiArea()->setActiveSubWindow(frame.MdiArea()->subWindowList()[0]);
    frame.Route(ID_WINDOW_NEW);
    Flush();
    frame.Route(ID_WINDOW_NEW);
    Flush();
    EXPECT_EQ(titles(), (QStringList{"sample.fsr:1", "other.fsr", "sample.fsr:2", "sample.fsr:3"}));
    // The tabs and the window list show the same titles.
    QTabBar* tabs = frame.MdiArea()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    QStringList tabTexts;
    for (int i = 0; i < tabs->count(); ++i) tabTexts << tabs->tabText(i);
    EXPECT_EQ(tabTexts, titles());
    QStringList listed;
    m_dialogHandler = [&listed](QDialog& dialog) {
        if (auto* list = dialog.findChild<QListWidget*>())
            for (int row = 0; row < list->count(); ++row) listed << list->item(row)->text();
        return 0;
    };
    frame.Route(ID_WINDOW_MANAGER);
    EXPECT_EQ(listed, titles());
    // Closing one numbers the others again; the last one has no number.
    frame.MdiArea()->subWindowList()[2]->close();
    Flush();
    EXPECT_EQ(titles(), (QStringList{"sample.fsr:1", "other.fsr", "sample.fsr:2"}));
    frame.MdiArea()->subWindowList()[0]->close();
    Flush();
    EXPECT_EQ(titles(), (QStringList{"other.fsr", "sample.fsr"}));
}

}  // namespace
}  // namespace volcatra::test
