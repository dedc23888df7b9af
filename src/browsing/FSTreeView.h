// The folder tree of a catalogue window: the catalogue at the top, its
// volumes below, then the folders and the listed archive files of each
// volume, all levels built at once over the document's entries.
#pragma once

#include <QAbstractItemModel>
#include <QTreeView>
#include <deque>
#include <string>
#include <vector>

#include "browsing/LocateRealFile.h"
#include "document/Document.h"
#include "ui/Commands.h"

namespace volcatra {

class CCatalogueDocument;
class CChildFrame;
class CFileEntry;
class CRootEntry;

// Comparison that folds only the ASCII letters A-Z to a-z, then compares the
// 16-bit code units: negative, zero or positive.
int CompareIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

class CFSTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    struct Node {
        CFileEntry* m_entry = nullptr;  // none for the catalogue item
        CRootEntry* m_root = nullptr;   // the owning volume; none for the catalogue item
        Node* m_parent = nullptr;
        int m_row = 0;
        int m_picture = -1;
        int m_selectedPicture = -1;
        QString m_text;
        std::vector<Node*> m_children;
    };

    explicit CFSTreeModel(CCatalogueDocument& document, QObject* parent = nullptr);

    // Builds every item again from the document.
    void Rebuild();
    // The text of the volume item of root changed: renames it and re-sorts
    // the volume items. False when no item carries root.
    bool Relabel(const CRootEntry* root);

    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;
    Node* CatalogueNode() const { return m_nodes.empty() ? nullptr : &const_cast<Node&>(m_nodes.front()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    Node& NewNode(Node* parent, CFileEntry* entry, CRootEntry* root);
    void FillChildren(Node& node, CRootEntry& root, int index, std::vector<bool>& entered);
    void SortVolumes();
    QIcon NodeIcon(const Node& node) const;

    CCatalogueDocument& m_document;
    std::deque<Node> m_nodes;
    mutable QIcon m_folderIcon;  // closed folder, the open one when selected
};

class CFSTreeView : public QTreeView, public IDocumentView, public ICommandTarget {
    Q_OBJECT
public:
    CFSTreeView(CCatalogueDocument& document, CChildFrame& frame);
    ~CFSTreeView() override;

    CFSTreeModel& Model() { return m_model; }
    CCatalogueDocument& Document() { return m_document; }

    void OnUpdate(int hint, CObjectBase* object) override;
    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;

    // The show-entry requests: opens an entry (selects the child item of the
    // selected item that carries it), or selects the item at a path of the
    // form "[volume] \folder\folder". 0 done, -1 not found.
    int OpenEntry(const CFileEntry* entry);
    int SelectPath(const std::u16string& path);
    // The selected item's path below its volume ("\\" for a volume item),
    // empty for the catalogue item or no selection.
    std::u16string SelectedPath() const;
    // The entry of the selected item; none for the catalogue item.
    CFileEntry* SelectedEntry() const;
    // The selected item's volume, entry and item texts below the volume.
    TreeSelection Selection() const;
    // Shows the real file of the selected item, or of entry (a row of the
    // file list), in the file manager when its medium is mounted.
    void LocateRealFile(bool folderTree, const CFileEntry* entry);
    // The property sheet of a volume (of the tree's or the list's selection).
    void ShowProperties(CFileEntry* entry);
    bool IsCatalogueSelected() const;
    // Selects the parent of the selected item, if it has one.
    void SelectParent();
    QPoint RightClickPoint() const { return m_rightClickPoint; }
    // The volume of the selected item; none for other items.
    CRootEntry* SelectedVolume() const;
    // Commits a label edit still open; false when none was.
    bool CommitLabelEdit();
    // The begin of a drag on the selected item: a volume is dragged.
    void StartVolumeDrag();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    CCatalogueDocument& m_document;
    CChildFrame& m_frame;
    CFSTreeModel m_model;
    QPoint m_rightClickPoint{-1, -1};
};

}  // namespace volcatra
