// The window of one catalogue inside the main window: a splitter with the
// folder tree on the left and the file list on the right.
#pragma once

#include <QMdiSubWindow>
#include <array>
#include <string>

#include "document/Document.h"
#include "ui/Commands.h"

class QDialog;
class QSplitter;

namespace volcatra {

class CCatalogueDocument;
class CChildFrame;
class CFSListView;
class CFSTreeView;
class IFileManager;
class IRemovableMedia;
class IVolumeQuery;

// What a catalogue window needs from the application.
class ICatalogueHost {
public:
    virtual ~ICatalogueHost() = default;
    virtual bool SizeInBytes() const = 0;
    // The remembered widths: tree pane, then the four columns.
    virtual int TreePaneWidth() const = 0;
    virtual std::array<int, 4> ColumnWidths() const = 0;
    virtual void RememberWidths(int treePane, const std::array<int, 4>* columns) = 0;
    // The options sheet.
    virtual void ShowOptions() = 0;
    // Shows a context menu (310, 311 or 312) whose commands go through the
    // command chain of the active window.
    virtual void ShowContextMenu(int menu, const QPoint& globalPos) = 0;
    virtual void SetClipboardText(const std::u16string& text) = 0;
    // Another window for the same document.
    virtual void NewWindow(CCatalogueDocument& document) = 0;
    // The window of the document is closing; the document ends with its last.
    virtual bool CanCloseFrame(CCatalogueDocument& document) = 0;
    // A window of the document has closed (it is destroyed a moment later).
    virtual void FrameClosed(CCatalogueDocument& document, const CChildFrame* frame) = 0;
    // A window of the document is being destroyed; its views are gone.
    virtual void FrameDestroyed(CCatalogueDocument& document) = 0;
    // Where locating real files looks for media, and the file manager it asks.
    virtual IVolumeQuery& VolumeQuery() = 0;
    virtual IFileManager& FileManager() = 0;
    // Mounts a medium that is present but not mounted; none without a service.
    virtual IRemovableMedia* RemovableMedia() = 0;
    // Runs a modal dialog (the volume property sheet).
    virtual int RunDialog(QDialog& dialog) = 0;
};

class CChildFrame : public QMdiSubWindow, public IDocumentView, public ICommandTarget {
    Q_OBJECT
public:
    // like: the active catalogue window, whose tree width and (in details
    // mode) column widths a new window copies; or none.
    CChildFrame(CCatalogueDocument& document, ICatalogueHost& host, CChildFrame* like, int clientWidth);
    ~CChildFrame() override;

    CCatalogueDocument& Document() const { return m_document; }
    CFSTreeView* TreeView() const { return m_tree; }
    CFSListView* ListView() const { return m_list; }
    QSplitter* Splitter() const { return m_splitter; }

    // The view that had the focus last (the list at first).
    ICommandTarget* ActiveView() const { return m_activeView; }
    void SetActiveView(ICommandTarget* view) { m_activeView = view; }
    void ActivateList();
    void ActivateTree();
    bool SizeInBytes() const { return m_host.SizeInBytes(); }
    void ShowContextMenu(int menu, const QPoint& globalPos) { m_host.ShowContextMenu(menu, globalPos); }
    void SetClipboardText(const std::u16string& text) { m_host.SetClipboardText(text); }
    ICatalogueHost& Host() const { return m_host; }

    // Shows a recorded file: selects its folder in the tree, then the file in
    // the list, and makes the list the active pane.
    void ShowRecord(const std::u16string& folderPath, const std::u16string& name);

    // Commits a label edit still open in the tree or the list, so that a
    // close keeps the typed name (and asks to save it); false when none was.
    bool CommitLabelEdit();

    // Closes without taking the widths or asking to save.
    void CloseWithoutCheck();
    bool IsClosed() const { return m_closed; }
    // The window's number among the windows of its document, shown after
    // the document's title as ":n"; 0 for the only window.
    void SetWindowNumber(int number);
    int WindowNumber() const { return m_windowNumber; }

    void OnUpdate(int hint, CObjectBase* object) override;
    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateTitle();

    CCatalogueDocument& m_document;
    ICatalogueHost& m_host;
    QSplitter* m_splitter = nullptr;
    CFSTreeView* m_tree = nullptr;
    CFSListView* m_list = nullptr;
    ICommandTarget* m_activeView = nullptr;
    bool m_skipCheck = false;
    bool m_closed = false;
    int m_windowNumber = 0;
};

}  // namespace volcatra
