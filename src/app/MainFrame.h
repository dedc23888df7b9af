// The main window: menu bar, the toolbar "標準", the status bar, the
// catalogue windows as tabs, the keyboard shortcut table and the command
// chain that takes every command from a menu, button or key to its handler.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMultiHash>
#include <QUrl>
#include <array>
#include <vector>

#include "ui/Commands.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStyle;
class QToolBar;

namespace volcatra {

class CChildFrame;
class CFindFrame;
class CFSRecApp;

// The menu bar in use: menu 128 without a window, menu 130 with a catalogue window.
inline constexpr int MENU_NO_DOCUMENT = 128;
inline constexpr int MENU_CATALOGUE = 130;
inline constexpr int MENU_SEARCH = 133;

// A key of the shortcut table and its command.
struct ShortcutBinding {
    QKeySequence m_keys;
    uint32_t m_id;
};
const std::vector<ShortcutBinding>& ShortcutTable();

// The buttons of the toolbar "標準" in order, 0 for a separator.
const std::vector<uint32_t>& StandardToolBarButtons();

class CMainFrame : public QMainWindow, public ICommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(CFSRecApp& app);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return m_mdi; }
    QToolBar* StandardToolBar() const { return m_toolBar; }
    QLabel* IndicatorPane(int index) const { return m_indicators[size_t(index)]; }
    int CurrentMenu() const { return m_menu; }
    // The active child window if it is a catalogue window.
    CChildFrame* ActiveCatalogueFrame() const;
    // The active child window if it is a search window.
    CFindFrame* ActiveSearchFrame() const;
    std::vector<CChildFrame*> CatalogueFrames() const;
    void AddChild(QMdiSubWindow* child);

    // Offers the command to the chain: active view, document, window, main
    // window, application. Disabled commands are not run.
    void Route(uint32_t id);
    // The state along the same chain; disabled when nobody handles it.
    CommandState QueryState(uint32_t id) const;
    // The chain's answer on every action.
    void UpdateCommandStates();
    // The menu, toolbar and shortcut actions of a command.
    QList<QAction*> ActionsFor(uint32_t id) const { return m_actions.values(id); }
    QList<QAction*> ShortcutActions() const { return m_shortcutActions; }

    // A context menu (310, 311, 312) with its commands bound to the chain.
    QMenu* CreatePopupMenu(int menu, QWidget* parent);
    // Switches the keyboard shortcut table on or off (off during in-place
    // editing so that the keys act on the edit field).
    void SetShortcutsEnabled(bool enabled);
    void RebuildMenuBar();
    void UpdateTitle();

    // The toolbar buttons, 0 for a separator.
    std::vector<uint32_t> ToolBarButtons() const { return m_toolBarButtons; }
    void SetToolBarButtons(std::vector<uint32_t> buttons);

    // Files dropped onto the main window: the window comes to the front and
    // each file, in the order given, opens as a catalogue.
    void OpenDroppedFiles(const QList<QUrl>& urls);

    void RestoreWorkspace();
    void SaveWorkspace();

    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* MakeAction(uint32_t id, const QString& text);
    void BuildToolBar();
    void BuildStatusBar();
    void FillRecentFiles(QMenu* menu);
    void ShowWindowList();
    void CustomizeToolBar();
    std::vector<ICommandTarget*> Chain() const;

    CFSRecApp& m_app;
    QMdiArea* m_mdi = nullptr;
    QToolBar* m_toolBar = nullptr;
    QStyle* m_menuStyle = nullptr;
    std::vector<uint32_t> m_toolBarButtons;
    QMultiHash<uint32_t, QAction*> m_actions;
    QList<QAction*> m_shortcutActions;
    std::array<QLabel*, 3> m_indicators{};
    int m_menu = MENU_NO_DOCUMENT;
    bool m_shortcutsEnabled = true;
};

}  // namespace volcatra
