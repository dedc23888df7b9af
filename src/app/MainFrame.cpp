#include "app/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/FSRecApp.h"
#include "app/ShellRegistration.h"
#include "browsing/CatalogueDocument.h"
#include "browsing/ChildFrame.h"
#include "search/ui/FSFindView.h"
#include "search/ui/FindFrame.h"
#include "search/ui/SearchWindows.h"
#include "ui/QtText.h"

namespace volcatra {

namespace {

constexpr uint32_t kSeparator = 0;
constexpr char kCustomizeText[] = QT_TRANSLATE_NOOP("MainFrame", "カスタマイズ...");
constexpr char kToolBarName[] = QT_TRANSLATE_NOOP("MainFrame", "標準");
constexpr char kReadyText[] = QT_TRANSLATE_NOOP("MainFrame", "レディ");
// Menu items that take a submenu or the recent files in place of a command.
constexpr uint32_t kToolBarsSubmenu = 0xFFFF0001;
constexpr uint32_t kArrangeSubmenu = 0xFFFF0002;
constexpr uint32_t kRecentFiles = 0xFFFF0003;
constexpr uint32_t kSearchArrangeSubmenu = 0xFFFF0004;

struct MenuItem {
    uint32_t m_id;
    const char* m_text;  // marked for translation in the context "MainFrame"
};

struct MenuDef {
    const char* m_title;
    std::vector<MenuItem> m_items;
};

const std::vector<MenuDef>& MenuBarDef(int menu) {
    static const std::vector<MenuDef> noDocument = {
        {QT_TRANSLATE_NOOP("MainFrame", "ファイル(&F)"),
         {{57600, QT_TRANSLATE_NOOP("MainFrame", "新規作成(&N)\tCtrl+N")},
          {57601, QT_TRANSLATE_NOOP("MainFrame", "開く(&O)...\tCtrl+O")},
          {57602, QT_TRANSLATE_NOOP("MainFrame", "閉じる(&C)")},
          {kSeparator, nullptr},
          {32791, QT_TRANSLATE_NOOP("MainFrame", "新規読み取り(&Y)...\tCtrl+R")},
          {kSeparator, nullptr},
          {kRecentFiles, QT_TRANSLATE_NOOP("MainFrame", "最近使ったファイル")},
          {kSeparator, nullptr},
          {57665, QT_TRANSLATE_NOOP("MainFrame", "アプリケーションの終了(&X)")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "表示(&V)"),
         {{kToolBarsSubmenu, QT_TRANSLATE_NOOP("MainFrame", "ツール バーとドッキング ウィンドウ(&T)")},
          {59393, QT_TRANSLATE_NOOP("MainFrame", "ステータス バー(&S)")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "ヘルプ(&H)"),
         {{57664, QT_TRANSLATE_NOOP("MainFrame", "バージョン情報(&A)...")}}},
    };
    static const std::vector<MenuDef> catalogue = {
        {QT_TRANSLATE_NOOP("MainFrame", "ファイル(&F)"),
         {{57600, QT_TRANSLATE_NOOP("MainFrame", "新規作成(&N)\tCtrl+N")},
          {57601, QT_TRANSLATE_NOOP("MainFrame", "開く(&O)...\tCtrl+O")},
          {57602, QT_TRANSLATE_NOOP("MainFrame", "閉じる(&C)")},
          {kSeparator, nullptr},
          {32791, QT_TRANSLATE_NOOP("MainFrame", "新規読み取り(&Y)...\tCtrl+R")},
          {kSeparator, nullptr},
          {57603, QT_TRANSLATE_NOOP("MainFrame", "上書き保存(&S)\tCtrl+S")},
          {57604, QT_TRANSLATE_NOOP("MainFrame", "名前を付けて保存(&A)...")},
          {kSeparator, nullptr},
          {kRecentFiles, QT_TRANSLATE_NOOP("MainFrame", "最近使ったファイル")},
          {kSeparator, nullptr},
          {57665, QT_TRANSLATE_NOOP("MainFrame", "アプリケーションの終了(&X)")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "編集(&E)"),
         {{32791, QT_TRANSLATE_NOOP("MainFrame", "新規読み取り(&Y)...\tCtrl+R")},
          {32792, QT_TRANSLATE_NOOP("MainFrame", "追加読み取り(&A)...")},
          {kSeparator, nullptr},
          {57643, QT_TRANSLATE_NOOP("MainFrame", "元に戻す(&U)\tCtrl+Z")},
          {57644, QT_TRANSLATE_NOOP("MainFrame", "やり直し(&R)\tCtrl+Y")},
          {kSeparator, nullptr},
          {57635, QT_TRANSLATE_NOOP("MainFrame", "切り取り(&T)\tCtrl+X")},
          {57634, QT_TRANSLATE_NOOP("MainFrame", "コピー(&C)\tCtrl+C")},
          {57637, QT_TRANSLATE_NOOP("MainFrame", "貼り付け(&P)\tCtrl+V")},
          {kSeparator, nullptr},
          {32793, QT_TRANSLATE_NOOP("MainFrame", "名前をコピー(&N)")},
          {32816, QT_TRANSLATE_NOOP("MainFrame", "パスをコピー(&P)")},
          {32794, QT_TRANSLATE_NOOP("MainFrame", "名前の変更(&M)")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "表示(&V)"),
         {{kToolBarsSubmenu, QT_TRANSLATE_NOOP("MainFrame", "ツール バーとドッキング ウィンドウ(&T)")},
          {59393, QT_TRANSLATE_NOOP("MainFrame", "ステータス バー(&S)")},
          {57653, QT_TRANSLATE_NOOP("MainFrame", "分割(&P)")},
          {kSeparator, nullptr},
          {59409, QT_TRANSLATE_NOOP("MainFrame", "大きいアイコン(&G)")},
          {59408, QT_TRANSLATE_NOOP("MainFrame", "小さいアイコン(&M)")},
          {59410, QT_TRANSLATE_NOOP("MainFrame", "一覧(&L)")},
          {59411, QT_TRANSLATE_NOOP("MainFrame", "詳細(&D)")},
          {kArrangeSubmenu, QT_TRANSLATE_NOOP("MainFrame", "アイコンの整列(&I)")},
          {kSeparator, nullptr},
          {32775, QT_TRANSLATE_NOOP("MainFrame", "1つ上のフォルダへ(&U)")},
          {kSeparator, nullptr},
          {32776, QT_TRANSLATE_NOOP("MainFrame", "プロパティ(&P)...")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "ツール(&T)"),
         {{57636, QT_TRANSLATE_NOOP("MainFrame", "検索(&F)...\tCtrl+F")},
          {32777, QT_TRANSLATE_NOOP("MainFrame", "ファイルから検索(&I)...")},
          {kSeparator, nullptr},
          {32810, QT_TRANSLATE_NOOP("MainFrame", "実体を探す(&J)")},
          {32811, QT_TRANSLATE_NOOP("MainFrame", "エクスプローラ(&E)")},
          {kSeparator, nullptr},
          {ID_OPTIONS, QT_TRANSLATE_NOOP("MainFrame", "オプション...")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "ウィンドウ(&W)"),
         {{57648, QT_TRANSLATE_NOOP("MainFrame", "新しいウィンドウを開く(&N)")},
          {57653, QT_TRANSLATE_NOOP("MainFrame", "分割(&P)")},
          {ID_WINDOW_MANAGER, QT_TRANSLATE_NOOP("MainFrame", "ウィンドウ(&W)...")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "ヘルプ(&H)"),
         {{57664, QT_TRANSLATE_NOOP("MainFrame", "バージョン情報(&A)...")}}},
    };
    static const std::vector<MenuDef> search = {
        {QT_TRANSLATE_NOOP("MainFrame", "ファイル(&F)"),
         {{32799, QT_TRANSLATE_NOOP("MainFrame", "新しい条件(&W)")},
          {32797, QT_TRANSLATE_NOOP("MainFrame", "検索開始(&S)")},
          {32798, QT_TRANSLATE_NOOP("MainFrame", "検索停止(&A)")},
          {kSeparator, nullptr},
          {32800, QT_TRANSLATE_NOOP("MainFrame", "参照(&B)...")},
          {kSeparator, nullptr},
          {32804, QT_TRANSLATE_NOOP("MainFrame", "閉じる(&C)")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "表示(&V)"),
         {{kToolBarsSubmenu, QT_TRANSLATE_NOOP("MainFrame", "ツール バーとドッキング ウィンドウ(&T)")},
          {kSeparator, nullptr},
          {59409, QT_TRANSLATE_NOOP("MainFrame", "大きいアイコン(&G)")},
          {59408, QT_TRANSLATE_NOOP("MainFrame", "小さいアイコン(&M)")},
          {59410, QT_TRANSLATE_NOOP("MainFrame", "一覧(&L)")},
          {59411, QT_TRANSLATE_NOOP("MainFrame", "詳細(&D)")},
          {kSearchArrangeSubmenu, QT_TRANSLATE_NOOP("MainFrame", "アイコンの整列(&I)")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "ツール(&T)"),
         {{32812, QT_TRANSLATE_NOOP("MainFrame", "記録を開く(&O)")},
          {kSeparator, nullptr},
          {32810, QT_TRANSLATE_NOOP("MainFrame", "実体を探す(&J)")},
          {32811, QT_TRANSLATE_NOOP("MainFrame", "エクスプローラ(&E)")}}},
        {QT_TRANSLATE_NOOP("MainFrame", "オプション(&O)"),
         {{32805, QT_TRANSLATE_NOOP("MainFrame", "サブフォルダも含める(&S)")}}},
    };
    if (menu == MENU_SEARCH) return search;
    return menu == MENU_CATALOGUE ? catalogue : noDocument;
}

const std::vector<MenuItem>& ArrangeItems() {
    static const std::vector<MenuItem> items = {{32780, QT_TRANSLATE_NOOP("MainFrame", "名前順(&N)")},
                                                {32783, QT_TRANSLATE_NOOP("MainFrame", "種類順(&T)")},
                                                {32782, QT_TRANSLATE_NOOP("MainFrame", "サイズ順(&S)")},
                                                {32784, QT_TRANSLATE_NOOP("MainFrame", "日付順(&D)")}};
    return items;
}

const std::vector<MenuItem>& SearchArrangeItems() {
    static const std::vector<MenuItem> items = {{32780, QT_TRANSLATE_NOOP("MainFrame", "名前順(&N)")},
                                                {32781, QT_TRANSLATE_NOOP("MainFrame", "フォルダ順(&F)")},
                                                {32783, QT_TRANSLATE_NOOP("MainFrame", "種類順(&T)")},
                                                {32782, QT_TRANSLATE_NOOP("MainFrame", "サイズ順(&S)")},
                                                {32784, QT_TRANSLATE_NOOP("MainFrame", "日付順(&D)")},
                                                {32785, QT_TRANSLATE_NOOP("MainFrame", "記録ファイル順(&R)")}};
    return items;
}

const std::vector<MenuItem>& PopupItems(int menu) {
    static const std::vector<MenuItem> m105 = {{32812, QT_TRANSLATE_NOOP("MainFrame", "記録を開く(&O)")},
                                               {kSeparator, nullptr},
                                               {32810, QT_TRANSLATE_NOOP("MainFrame", "実体を探す(&F)")},
                                               {32811, QT_TRANSLATE_NOOP("MainFrame", "エクスプローラ(&E)")}};
    if (menu == 105) return m105;
    static const std::vector<MenuItem> m310 = {{32810, QT_TRANSLATE_NOOP("MainFrame", "実体を探す(&F)")},
                                               {32811, QT_TRANSLATE_NOOP("MainFrame", "エクスプローラ(&E)")},
                                               {kSeparator, nullptr},
                                               {32793, QT_TRANSLATE_NOOP("MainFrame", "名前をコピー(&N)")}};
    static const std::vector<MenuItem> m311 = {{32810, QT_TRANSLATE_NOOP("MainFrame", "実体を探す(&F)")},
                                               {32811, QT_TRANSLATE_NOOP("MainFrame", "エクスプローラ(&E)")},
                                               {kSeparator, nullptr},
                                               {57635, QT_TRANSLATE_NOOP("MainFrame", "切り取り(&T)")},
                                               {57634, QT_TRANSLATE_NOOP("MainFrame", "コピー(&C)")},
                                               {57637, QT_TRANSLATE_NOOP("MainFrame", "貼り付け(&P)")},
                                               {kSeparator, nullptr},
                                               {32793, QT_TRANSLATE_NOOP("MainFrame", "名前をコピー(&N)")},
                                               {32794, QT_TRANSLATE_NOOP("MainFrame", "名前の変更(&M)")},
                                               {32776, QT_TRANSLATE_NOOP("MainFrame", "プロパティ(R)...")}};
    static const std::vector<MenuItem> m312 = {{32791, QT_TRANSLATE_NOOP("MainFrame", "読み取り(&Y)...\tCtrl+R")},
                                               {kSeparator, nullptr},
                                               {57643, QT_TRANSLATE_NOOP("MainFrame", "元に戻す(&U)\tCtrl+Z")},
                                               {57644, QT_TRANSLATE_NOOP("MainFrame", "やり直し(&R)\tCtrl+Y")}};
    return menu == 311 ? m311 : (menu == 310 ? m310 : m312);
}

// Commands with a radio mark.
bool IsRadioCommand(uint32_t id) {
    return id == ID_VIEW_SMALLICON || id == ID_VIEW_LARGEICON || id == ID_VIEW_LIST || id == ID_VIEW_DETAILS;
}

QIcon ToolBarIcon(uint32_t id) {
    return QIcon(QStringLiteral(":/volcatra/tb-%1.png").arg(id));
}

// The program's icon in all its sizes.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : kIconSizes) icon.addFile(QStringLiteral(":/volcatra/app-%1.png").arg(size), QSize(size, size));
    return icon;
}

// Menus whose disabled items can be pointed at (with the mouse or the arrow
// keys): the item becomes the current one and its prompt shows in the status
// bar, as for an enabled one.
class CMenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Menu_AllowActiveAndDisabled) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// A text of the tables above in the user's language.
QString MenuText(const char* text) {
    return QCoreApplication::translate("MainFrame", text);
}

}  // namespace

const std::vector<ShortcutBinding>& ShortcutTable() {
    static const std::vector<ShortcutBinding> table = {
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
    return table;
}

const std::vector<uint32_t>& StandardToolBarButtons() {
    static const std::vector<uint32_t> buttons = {57600, 57601, 57603, 0,     57643, 57644, 0,     32791,
                                                  32792, 0,     57635, 57634, 57637, 0,     57636, 32777,
                                                  0,     32775, 59409, 59408, 59410, 59411, 0,     57664};
    return buttons;
}

CMainFrame::CMainFrame(CFSRecApp& app) : m_app(app) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(ProgramIcon());
    m_menuStyle = new CMenuStyle;
    m_menuStyle->setParent(this);
    setAcceptDrops(true);
    m_mdi = new QMdiArea(this);
    m_mdi->setViewMode(QMdiArea::TabbedView);
    m_mdi->setTabsClosable(true);
    m_mdi->setTabsMovable(true);
    m_mdi->setDocumentMode(true);
    // A volume dragged over a tab brings that catalogue to the front, so that
    // it can be dropped into another catalogue of the main window.
    // Files dropped on the tabs still open.
    if (auto* tabs = m_mdi->findChild<QTabBar*>()) {
        tabs->setChangeCurrentOnDrag(true);
        tabs->setAcceptDrops(true);
        tabs->installEventFilter(this);
    }
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        RebuildMenuBar();
        UpdateTitle();
    });

    // The shortcut table: keys of their own, separate from the menu texts
    // (which show "Ctrl+R" for the read although F5 is its key).
    for (const ShortcutBinding& binding : ShortcutTable()) {
        auto* action = new QAction(this);
        action->setShortcut(binding.m_keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setData(binding.m_id);
        connect(action, &QAction::triggered, this, [this, id = binding.m_id]() { Route(id); });
        addAction(action);
        m_shortcutActions << action;
        m_actions.insert(binding.m_id, action);
    }

    m_toolBarButtons = StandardToolBarButtons();
    BuildToolBar();
    BuildStatusBar();
    RebuildMenuBar();
    UpdateTitle();
    resize(960, 640);

    // Enabling and marks follow the chain while the program is idle.
    auto* idle = new QTimer(this);
    idle->setInterval(250);
    connect(idle, &QTimer::timeout, this, [this]() {
        UpdateCommandStates();
        // A save under a new name changes the active document's title.
        UpdateTitle();
    });
    idle->start();
    // In-place editing gets the keys of the shortcut table.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        const bool editing = now && now->inherits("QLineEdit") && now->parentWidget() &&
                             now->parentWidget()->parentWidget() &&
                             now->parentWidget()->parentWidget()->inherits("QAbstractItemView");
        SetShortcutsEnabled(!editing);
    });
}

CMainFrame::~CMainFrame() {
    // The windows go while the main window is whole: each may end its
    // document, and nothing may reach this window from their destruction.
    disconnect(qApp, nullptr, this, nullptr);
    for (QMdiSubWindow* window : m_mdi->subWindowList()) disconnect(window, nullptr, this, nullptr);
    disconnect(m_mdi, nullptr, this, nullptr);
    delete m_mdi;
    m_mdi = nullptr;
}

QAction* CMainFrame::MakeAction(uint32_t id, const QString& text) {
    auto* action = new QAction(text, this);
    const CommandText strings = GetCommandText(id);
    action->setStatusTip(strings.m_prompt);
    action->setToolTip(strings.m_tooltip.isEmpty() ? QString(text).remove(u'&') : strings.m_tooltip);
    action->setData(id);
    if (IsRadioCommand(id) || id == ID_VIEW_STATUS_BAR || id == ID_SEARCH_SUBFOLDERS) action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, id]() { Route(id); });
    m_actions.insert(id, action);
    return action;
}

void CMainFrame::BuildToolBar() {
    if (!m_toolBar) {
        m_toolBar = new QToolBar(MenuText(kToolBarName), this);
        m_toolBar->setObjectName(QStringLiteral("StandardToolBar"));
        m_toolBar->setIconSize(QSize(16, 16));
        m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
        m_toolBar->setMovable(true);
        addToolBar(Qt::TopToolBarArea, m_toolBar);
    }
    for (QAction* action : m_toolBar->actions()) {
        m_actions.remove(action->data().toUInt(), action);
        m_toolBar->removeAction(action);
        if (action->parent() == this) action->deleteLater();
    }
    for (uint32_t id : m_toolBarButtons) {
        if (id == kSeparator) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = MakeAction(id, GetCommandText(id).m_tooltip);
        action->setIcon(ToolBarIcon(id));
        m_toolBar->addAction(action);
    }
    m_toolBar->addSeparator();
    QAction* customize = MakeAction(ID_TOOLBAR_CUSTOMIZE, MenuText(kCustomizeText));
    customize->setToolTip(MenuText(kCustomizeText));
    // A button's text is its action's text without the "..." unless given.
    customize->setIconText(MenuText(kCustomizeText));
    m_toolBar->addAction(customize);
}

void CMainFrame::SetToolBarButtons(std::vector<uint32_t> buttons) {
    m_toolBarButtons = std::move(buttons);
    BuildToolBar();
    UpdateCommandStates();
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->showMessage(MenuText(kReadyText));
    // The message pane says "レディ" whenever no prompt is shown.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty()) bar->showMessage(MenuText(kReadyText));
    });
    const char* const names[] = {"CAP", "NUM", "SCRL"};
    for (size_t i = 0; i < 3; ++i) {
        auto* pane = new QLabel(QString::fromLatin1(names[i]), bar);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        // The lock states cannot be read on every platform; the panes show
        // their names greyed until a key event tells otherwise.
        pane->setEnabled(false);
        bar->addPermanentWidget(pane);
        m_indicators[i] = pane;
    }
}

void CMainFrame::FillRecentFiles(QMenu* menu) {
    const QStringList recent = m_app.RecentFiles();
    if (recent.isEmpty()) {
        QAction* empty = menu->addAction(tr("最近使ったファイル"));
        empty->setEnabled(false);
        return;
    }
    for (int i = 0; i < recent.size(); ++i) {
        const uint32_t id = ID_FILE_MRU_FILE1 + uint32_t(i);
        QString shown = recent[i];
        shown.replace(u'&', QStringLiteral("&&"));
        menu->addAction(MakeAction(id, QStringLiteral("&%1 %2").arg(i + 1).arg(shown)));
    }
}

void CMainFrame::RebuildMenuBar() {
    QMenuBar* bar = menuBar();
    // Menu actions are made afresh; toolbar and shortcut actions stay.
    for (QAction* action : bar->actions()) {
        if (QMenu* menu = action->menu()) {
            const auto forget = [this](QMenu* m, const auto& self) -> void {
                for (QAction* a : m->actions()) {
                    if (a->menu()) self(a->menu(), self);
                    m_actions.remove(a->data().toUInt(), a);
                }
            };
            forget(menu, forget);
            menu->deleteLater();
        }
    }
    bar->clear();
    m_menu = ActiveCatalogueFrame() ? MENU_CATALOGUE : (ActiveSearchFrame() ? MENU_SEARCH : MENU_NO_DOCUMENT);
    for (const MenuDef& def : MenuBarDef(m_menu)) {
        QMenu* menu = bar->addMenu(MenuText(def.m_title));
        menu->setStyle(m_menuStyle);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
        // The view modes exclude each other and show radio marks.
        QActionGroup* modes = nullptr;
        for (const MenuItem& item : def.m_items) {
            switch (item.m_id) {
                case kSeparator:
                    menu->addSeparator();
                    break;
                case kRecentFiles:
                    FillRecentFiles(menu);
                    break;
                case kToolBarsSubmenu: {
                    QMenu* sub = menu->addMenu(MenuText(item.m_text));
                    sub->setStyle(m_menuStyle);
                    sub->addAction(m_toolBar->toggleViewAction());
                    sub->addSeparator();
                    sub->addAction(MakeAction(ID_TOOLBAR_CUSTOMIZE, MenuText(kCustomizeText)));
                    break;
                }
                case kArrangeSubmenu:
                case kSearchArrangeSubmenu: {
                    QMenu* sub = menu->addMenu(MenuText(item.m_text));
                    sub->setStyle(m_menuStyle);
                    connect(sub, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
                    for (const MenuItem& arrange : item.m_id == kArrangeSubmenu ? ArrangeItems() : SearchArrangeItems())
                        sub->addAction(MakeAction(arrange.m_id, MenuText(arrange.m_text)));
                    break;
                }
                default: {
                    QAction* action = MakeAction(item.m_id, MenuText(item.m_text));
                    if (IsRadioCommand(item.m_id)) {
                        if (!modes) modes = new QActionGroup(menu);
                        modes->addAction(action);
                    }
                    menu->addAction(action);
                    break;
                }
            }
        }
    }
    UpdateCommandStates();
}

QMenu* CMainFrame::CreatePopupMenu(int menu, QWidget* parent) {
    auto* popup = new QMenu(parent);
    popup->setStyle(m_menuStyle);
    for (const MenuItem& item : PopupItems(menu)) {
        if (item.m_id == kSeparator) {
            popup->addSeparator();
            continue;
        }
        auto* action = popup->addAction(MenuText(item.m_text));
        const CommandState state = QueryState(item.m_id);
        action->setEnabled(state.m_enabled);
        action->setStatusTip(GetCommandText(item.m_id).m_prompt);
        action->setData(item.m_id);
        connect(action, &QAction::triggered, this, [this, id = item.m_id]() { Route(id); });
    }
    return popup;
}

void CMainFrame::UpdateTitle() {
    QString title = QtText(kMainTitle);
    if (CChildFrame* frame = ActiveCatalogueFrame())
        title += QStringLiteral(" - ") + QString::fromStdU16String(frame->Document().GetTitle());
    else if (CFindFrame* search = ActiveSearchFrame())
        title += QStringLiteral(" - ") + QString::fromStdU16String(search->Document().GetTitle());
    setWindowTitle(title);
}

CChildFrame* CMainFrame::ActiveCatalogueFrame() const {
    auto* frame = qobject_cast<CChildFrame*>(m_mdi->activeSubWindow());
    if (frame && frame->IsClosed()) return nullptr;
    if (!frame) {
        // While the main window is not active the area reports no active
        // window; the current tab is the one the user sees.
        frame = qobject_cast<CChildFrame*>(m_mdi->currentSubWindow());
        if (frame && frame->IsClosed()) frame = nullptr;
    }
    return frame;
}

CFindFrame* CMainFrame::ActiveSearchFrame() const {
    auto* frame = qobject_cast<CFindFrame*>(m_mdi->activeSubWindow());
    return frame ? frame : qobject_cast<CFindFrame*>(m_mdi->currentSubWindow());
}

std::vector<CChildFrame*> CMainFrame::CatalogueFrames() const {
    std::vector<CChildFrame*> frames;
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        if (auto* frame = qobject_cast<CChildFrame*>(window); frame && !frame->IsClosed()) frames.push_back(frame);
    return frames;
}

void CMainFrame::AddChild(QMdiSubWindow* child) {
    m_mdi->addSubWindow(child);
    connect(child, &QObject::destroyed, this, [this]() {
        RebuildMenuBar();
        UpdateTitle();
    });
}

std::vector<ICommandTarget*> CMainFrame::Chain() const {
    std::vector<ICommandTarget*> chain;
    if (CChildFrame* frame = ActiveCatalogueFrame()) {
        if (frame->ActiveView()) chain.push_back(frame->ActiveView());
        chain.push_back(&frame->Document());
        chain.push_back(frame);
    } else if (CFindFrame* search = ActiveSearchFrame()) {
        chain.push_back(search->View());
        chain.push_back(&search->Document());
        chain.push_back(search);
    }
    chain.push_back(const_cast<CMainFrame*>(this));
    chain.push_back(&m_app);
    return chain;
}

CommandState CMainFrame::QueryState(uint32_t id) const {
    for (ICommandTarget* target : Chain())
        if (std::optional<CommandState> state = target->QueryCommand(id)) return *state;
    return CommandState{false, false};
}

void CMainFrame::Route(uint32_t id) {
    for (ICommandTarget* target : Chain()) {
        const std::optional<CommandState> state = target->QueryCommand(id);
        if (!state) continue;
        if (state->m_enabled) target->OnCommand(id);
        break;
    }
    UpdateCommandStates();
}

void CMainFrame::UpdateCommandStates() {
    std::unordered_map<uint32_t, CommandState> states;
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        auto found = states.find(it.key());
        if (found == states.end()) found = states.emplace(it.key(), QueryState(it.key())).first;
        QAction* action = it.value();
        const bool shortcut = m_shortcutActions.contains(action);
        action->setEnabled(found->second.m_enabled && (!shortcut || m_shortcutsEnabled));
        if (action->isCheckable()) action->setChecked(found->second.m_checked);
    }
}

void CMainFrame::SetShortcutsEnabled(bool enabled) {
    if (m_shortcutsEnabled == enabled) return;
    m_shortcutsEnabled = enabled;
    UpdateCommandStates();
}

bool CMainFrame::OnCommand(uint32_t id) {
    switch (id) {
        case ID_TOOLBAR_CUSTOMIZE:
            CustomizeToolBar();
            return true;
        case ID_WINDOW_MANAGER:
            ShowWindowList();
            return true;
        case ID_VIEW_STATUS_BAR:
            statusBar()->setVisible(!statusBar()->isVisible());
            return true;
        default:
            return false;
    }
}

std::optional<CommandState> CMainFrame::QueryCommand(uint32_t id) const {
    switch (id) {
        case ID_TOOLBAR_CUSTOMIZE:
            return CommandState{true, false};
        case ID_WINDOW_MANAGER:
            return CommandState{!m_mdi->subWindowList().isEmpty(), false};
        case ID_VIEW_STATUS_BAR:
            return CommandState{true, !statusBar()->isHidden()};
        default:
            return std::nullopt;
    }
}

void CMainFrame::ShowWindowList() {
    QDialog dialog(this);
    dialog.setWindowTitle(tr("ウィンドウ"));
    auto* list = new QListWidget(&dialog);
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    for (QMdiSubWindow* window : windows) list->addItem(window->windowTitle());
    list->setCurrentRow(int(windows.indexOf(m_mdi->activeSubWindow())));
    auto* activate = new QPushButton(tr("アクティブ化(&A)"), &dialog);
    auto* closeWindow = new QPushButton(tr("ウィンドウを閉じる(&C)"), &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    auto* side = new QVBoxLayout;
    side->addWidget(activate);
    side->addWidget(closeWindow);
    side->addStretch();
    side->addWidget(buttons);
    auto* layout = new QHBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addLayout(side);
    connect(activate, &QPushButton::clicked, &dialog, [&]() {
        const int row = list->currentRow();
        if (row >= 0 && row < windows.size()) m_mdi->setActiveSubWindow(windows[row]);
        dialog.accept();
    });
    connect(closeWindow, &QPushButton::clicked, &dialog, [&]() {
        const int row = list->currentRow();
        if (row < 0 || row >= windows.size()) return;
        if (windows[row]->close()) delete list->takeItem(row);
    });
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    m_app.RunDialog(dialog);
}

void CMainFrame::CustomizeToolBar() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("CustomizeDialog"));
    dialog.setWindowTitle(tr("カスタマイズ"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("Buttons"));
    for (uint32_t id : StandardToolBarButtons()) {
        if (id == kSeparator) continue;
        auto* item = new QListWidgetItem(ToolBarIcon(id), GetCommandText(id).m_tooltip, list);
        item->setData(Qt::UserRole, id);
        const bool shown = std::find(m_toolBarButtons.begin(), m_toolBarButtons.end(), id) != m_toolBarButtons.end();
        item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
    }
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Reset, &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(tr("ツール バー「標準」に表示するボタン:"), &dialog));
    layout->addWidget(list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Reset), &QPushButton::clicked, &dialog, [list]() {
        for (int row = 0; row < list->count(); ++row) list->item(row)->setCheckState(Qt::Checked);
    });
    if (m_app.RunDialog(dialog) != QDialog::Accepted) return;
    // The chosen buttons keep the default order and its separators between groups.
    std::vector<uint32_t> chosen;
    bool pendingSeparator = false;
    for (uint32_t id : StandardToolBarButtons()) {
        if (id == kSeparator) {
            pendingSeparator = !chosen.empty();
            continue;
        }
        bool shown = false;
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->data(Qt::UserRole).toUInt() == id)
                shown = list->item(row)->checkState() == Qt::Checked;
        if (!shown) continue;
        if (pendingSeparator) chosen.push_back(kSeparator);
        pendingSeparator = false;
        chosen.push_back(id);
    }
    SetToolBarButtons(std::move(chosen));
}

void CMainFrame::RestoreWorkspace() {
    auto settings = OpenSettings();
    settings->beginGroup(QStringLiteral("Workspace"));
    if (settings->contains(QStringLiteral("ToolBarButtons"))) {
        std::vector<uint32_t> buttons;
        for (const QString& id :
             settings->value(QStringLiteral("ToolBarButtons")).toString().split(u',', Qt::SkipEmptyParts))
            buttons.push_back(id.toUInt());
        SetToolBarButtons(std::move(buttons));
    }
    if (settings->contains(QStringLiteral("Geometry")))
        restoreGeometry(settings->value(QStringLiteral("Geometry")).toByteArray());
    if (settings->contains(QStringLiteral("State")))
        restoreState(settings->value(QStringLiteral("State")).toByteArray());
    if (settings->contains(QStringLiteral("StatusBar")))
        statusBar()->setVisible(settings->value(QStringLiteral("StatusBar")).toString() != QLatin1String("0"));
    settings->endGroup();
}

void CMainFrame::SaveWorkspace() {
    auto settings = OpenSettings();
    settings->beginGroup(QStringLiteral("Workspace"));
    QStringList ids;
    for (uint32_t id : m_toolBarButtons) ids << QString::number(id);
    settings->setValue(QStringLiteral("ToolBarButtons"), ids.join(u','));
    settings->setValue(QStringLiteral("Geometry"), saveGeometry());
    settings->setValue(QStringLiteral("State"), saveState());
    settings->setValue(QStringLiteral("StatusBar"), statusBar()->isHidden() ? 0 : 1);
    settings->endGroup();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A running search stops first; its window closes this one afterwards.
    if (!m_app.SearchWindows().AllowMainWindowClose(ActiveSearchFrame())) {
        event->ignore();
        return;
    }
    // Every modified catalogue is offered for saving; then all close.
    if (!m_app.CloseAllDocuments()) {
        event->ignore();
        return;
    }
    SaveWorkspace();
    m_app.SaveCustomState();
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (qobject_cast<QTabBar*>(watched)) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->mimeData()->hasUrls()) {
                dropEvent(drop);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    OpenDroppedFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}

void CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls) {
    activateWindow();
    raise();
    for (const QUrl& url : urls)
        if (url.isLocalFile()) m_app.OpenDocumentFile(url.toLocalFile());
}

}  // namespace volcatra
