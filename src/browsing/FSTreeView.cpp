#include "browsing/FSTreeView.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

#include "browsing/CatalogueDocument.h"
#include "browsing/ChildFrame.h"
#include "browsing/FSListView.h"
#include "browsing/VolumeDragDrop.h"
#include "browsing/VolumeProperties.h"
#include "ui/SysImageList.h"

namespace volcatra {

int CompareIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = char16_t(x + 32);
        if (y >= u'A' && y <= u'Z') y = char16_t(y + 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

namespace {

// Folders before archive files, each group by name ignoring ASCII case.
bool TreeLess(const CFSTreeModel::Node* a, const CFSTreeModel::Node* b) {
    const int fa = (a->m_entry->m_attributes & FA_DIRECTORY) ? 0 : 1;
    const int fb = (b->m_entry->m_attributes & FA_DIRECTORY) ? 0 : 1;
    if (fa != fb) return fa < fb;
    return CompareIgnoringAsciiCase(a->m_entry->m_name, b->m_entry->m_name) < 0;
}

}  // namespace

// --- Model ---------------------------------------------------------------------------

CFSTreeModel::CFSTreeModel(CCatalogueDocument& document, QObject* parent)
    : QAbstractItemModel(parent), m_document(document) {}

CFSTreeModel::Node& CFSTreeModel::NewNode(Node* parent, CFileEntry* entry, CRootEntry* root) {
    Node& node = m_nodes.emplace_back();
    node.m_parent = parent;
    node.m_entry = entry;
    node.m_root = root;
    if (parent) {
        node.m_row = int(parent->m_children.size());
        parent->m_children.push_back(&node);
    }
    return node;
}

void CFSTreeModel::Rebuild() {
    beginResetModel();
    m_nodes.clear();
    m_document.PruneRootImages();
    Node& top = NewNode(nullptr, nullptr, nullptr);
    top.m_text = QString::fromStdU16String(m_document.GetTitle());
    top.m_picture = top.m_selectedPicture = PICTURE_CATALOGUE;
    for (const auto& owned : m_document.Roots()) {
        CRootEntry& root = *owned;
        Node& node = NewNode(&top, &root, &root);
        node.m_text = QString::fromStdU16String(root.GetDisplayName());
        node.m_picture = node.m_selectedPicture = m_document.GetRootPicture(root.m_iconNumber, root);
        // A damaged file could name one folder list from several entries or
        // from inside itself: each list is entered once, as the model's walk does.
        std::vector<bool> entered(root.m_folders.size(), false);
        FillChildren(node, root, root.m_childIndex, entered);
    }
    SortVolumes();
    endResetModel();
}

void CFSTreeModel::FillChildren(Node& node, CRootEntry& root, int index, std::vector<bool>& entered) {
    if (index < 0 || size_t(index) >= root.m_folders.size() || entered[size_t(index)]) return;
    entered[size_t(index)] = true;
    CFileArray& list = *root.m_folders[size_t(index)];
    for (CFileEntry& entry : list.m_entries) {
        if (!(entry.m_attributes & (FA_DIRECTORY | FA_ARCHIVE_LISTED))) continue;
        Node& child = NewNode(&node, &entry, &root);
        child.m_text = QStringView(entry.m_name.view()).toString();
        if (entry.m_iconNumber > 0) {
            child.m_picture = child.m_selectedPicture = m_document.GetRootPicture(entry.m_iconNumber, root);
        } else if (entry.m_attributes & FA_DIRECTORY) {
            child.m_picture = PICTURE_CLOSED_FOLDER;
            child.m_selectedPicture = PICTURE_OPEN_FOLDER;
        } else {
            child.m_picture = child.m_selectedPicture = PICTURE_TRANSPARENT;
        }
        FillChildren(child, root, entry.m_childIndex, entered);
    }
    std::stable_sort(node.m_children.begin(), node.m_children.end(), TreeLess);
    for (size_t i = 0; i < node.m_children.size(); ++i) node.m_children[i]->m_row = int(i);
}

void CFSTreeModel::SortVolumes() {
    Node* top = CatalogueNode();
    if (!top) return;
    std::stable_sort(top->m_children.begin(), top->m_children.end(), [](const Node* a, const Node* b) {
        return CompareIgnoringAsciiCase(a->m_text.toStdU16String(), b->m_text.toStdU16String()) < 0;
    });
    for (size_t i = 0; i < top->m_children.size(); ++i) top->m_children[i]->m_row = int(i);
}

bool CFSTreeModel::Relabel(const CRootEntry* root) {
    Node* top = CatalogueNode();
    if (!top) return false;
    for (Node* node : top->m_children) {
        if (node->m_entry != root) continue;
        emit layoutAboutToBeChanged({IndexOf(top)});
        const QModelIndexList before = persistentIndexList();
        std::vector<Node*> nodes;
        for (const QModelIndex& index : before) nodes.push_back(NodeOf(index));
        node->m_text = QString::fromStdU16String(root->GetDisplayName());
        SortVolumes();
        QModelIndexList after;
        for (Node* n : nodes) after.push_back(IndexOf(n));
        changePersistentIndexList(before, after);
        emit layoutChanged({IndexOf(top)});
        return true;
    }
    return false;
}

CFSTreeModel::Node* CFSTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex CFSTreeModel::IndexOf(const Node* node) const {
    return node ? createIndex(node->m_row, 0, const_cast<Node*>(node)) : QModelIndex();
}

QModelIndex CFSTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row == 0 && !m_nodes.empty() ? IndexOf(CatalogueNode()) : QModelIndex();
    const Node* node = NodeOf(parent);
    if (size_t(row) >= node->m_children.size()) return {};
    return IndexOf(node->m_children[size_t(row)]);
}

QModelIndex CFSTreeModel::parent(const QModelIndex& child) const {
    const Node* node = NodeOf(child);
    return node ? IndexOf(node->m_parent) : QModelIndex();
}

int CFSTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return m_nodes.empty() ? 0 : 1;
    if (parent.column() != 0) return 0;
    return int(NodeOf(parent)->m_children.size());
}

int CFSTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QIcon CFSTreeModel::NodeIcon(const Node& node) const {
    if (node.m_picture == node.m_selectedPicture) return m_document.Picture(node.m_picture);
    if (node.m_picture == PICTURE_CLOSED_FOLDER && node.m_selectedPicture == PICTURE_OPEN_FOLDER) {
        if (m_folderIcon.isNull()) {
            const QIcon closed = m_document.Picture(PICTURE_CLOSED_FOLDER);
            const QIcon open = m_document.Picture(PICTURE_OPEN_FOLDER);
            for (int size : {16, 32}) {
                m_folderIcon.addPixmap(closed.pixmap(size), QIcon::Normal);
                m_folderIcon.addPixmap(open.pixmap(size), QIcon::Selected);
            }
        }
        return m_folderIcon;
    }
    return m_document.Picture(node.m_picture);
}

QVariant CFSTreeModel::data(const QModelIndex& index, int role) const {
    const Node* node = NodeOf(index);
    if (!node) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return node->m_text;
        case Qt::DecorationRole:
            return NodeIcon(*node);
        default:
            return {};
    }
}

bool CFSTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    Node* node = NodeOf(index);
    if (role != Qt::EditRole || !node || !node->m_entry || node->m_entry != node->m_root) return false;
    // The document renames the volume and sends the name change to every
    // view (this one included), which writes the new text into the item.
    m_document.EndLabelEdit(*node->m_root, value.toString().toStdU16String());
    return true;
}

Qt::ItemFlags CFSTreeModel::flags(const QModelIndex& index) const {
    const Node* node = NodeOf(index);
    if (!node) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Only volume items can be renamed in place or dragged, and not while the
    // catalogue is searched.
    if (node->m_entry && node->m_entry == node->m_root && !m_document.IsBeingSearched())
        flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
    return flags;
}

// --- View ----------------------------------------------------------------------------

CFSTreeView::CFSTreeView(CCatalogueDocument& document, CChildFrame& frame)
    : QTreeView(&frame), m_document(document), m_frame(frame), m_model(document, this) {
    setModel(&m_model);
    setHeaderHidden(true);
    // The catalogue item at the top has no expand button or lines.
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked);
    setIconSize(QSize(16, 16));
    setTabKeyNavigation(false);
    setAutoScroll(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    // Volume items are dragged, volumes are dropped anywhere on the tree.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    document.AddView(this);
}

CFSTreeView::~CFSTreeView() {
    m_document.RemoveView(this);
}

void CFSTreeView::OnUpdate(int hint, CObjectBase* object) {
    if (hint == HINT_RELABEL && object && object->GetRuntimeClass() == &CRootEntry::s_class) {
        m_model.Relabel(static_cast<CRootEntry*>(object));
        return;
    }
    m_model.Rebuild();
    if (CFSTreeModel::Node* top = m_model.CatalogueNode()) expand(m_model.IndexOf(top));
}

CFileEntry* CFSTreeView::SelectedEntry() const {
    const CFSTreeModel::Node* node = m_model.NodeOf(currentIndex());
    return node ? node->m_entry : nullptr;
}

CRootEntry* CFSTreeView::SelectedVolume() const {
    const CFSTreeModel::Node* node = m_model.NodeOf(currentIndex());
    return node && node->m_entry && node->m_entry == node->m_root ? node->m_root : nullptr;
}

bool CFSTreeView::CommitLabelEdit() {
    return CommitOpenEditor(this);
}

void CFSTreeView::startDrag(Qt::DropActions) {
    StartVolumeDrag();
}

void CFSTreeView::StartVolumeDrag() {
    CRootEntry* root = SelectedVolume();
    if (!root || m_document.IsBeingSearched()) return;
    m_document.DragRoot(*root);
}

void CFSTreeView::dragEnterEvent(QDragEnterEvent* event) {
    VolumeDragOver(m_document, event);
}

void CFSTreeView::dragMoveEvent(QDragMoveEvent* event) {
    VolumeDragOver(m_document, event);
}

void CFSTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void CFSTreeView::dropEvent(QDropEvent* event) {
    VolumeDrop(m_document, event);
}

bool CFSTreeView::IsCatalogueSelected() const {
    const CFSTreeModel::Node* node = m_model.NodeOf(currentIndex());
    return node && node == m_model.CatalogueNode();
}

void CFSTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (CFSListView* list = m_frame.ListView()) list->ShowEntry(SelectedEntry());
}

int CFSTreeView::OpenEntry(const CFileEntry* entry) {
    CFSTreeModel::Node* parent = m_model.NodeOf(currentIndex());
    if (!parent) parent = m_model.CatalogueNode();
    if (parent) {
        for (CFSTreeModel::Node* child : parent->m_children) {
            if (child->m_entry != entry) continue;
            const QModelIndex index = m_model.IndexOf(child);
            setCurrentIndex(index);
            scrollTo(index);
            return 0;
        }
    }
    // A file, an archive member or a folder inside an archive: its real
    // file is shown in the file manager.
    LocateRealFile(false, entry);
    return 0;
}

int CFSTreeView::SelectPath(const std::u16string& path) {
    const size_t separator = path.find(u"] \\");
    if (separator == std::u16string::npos || separator < 2 || path.empty() || path[0] != u'[') return -1;
    std::u16string component = path.substr(1, separator - 1);
    std::u16string rest = path.substr(separator + 3);
    CFSTreeModel::Node* item = m_model.CatalogueNode();
    if (!item) return -1;
    while (!component.empty()) {
        CFSTreeModel::Node* found = nullptr;
        for (CFSTreeModel::Node* child : item->m_children) {
            if (CompareIgnoringAsciiCase(child->m_text.toStdU16String(), component) == 0) {
                found = child;
                break;
            }
        }
        if (!found) return -1;
        item = found;
        const size_t slash = rest.find(u'\\');
        if (slash != std::u16string::npos) {
            component = rest.substr(0, slash);
            rest = rest.substr(slash + 1);
        } else {
            component = rest;
            rest.clear();
        }
    }
    const QModelIndex index = m_model.IndexOf(item);
    setCurrentIndex(index);
    scrollTo(index);
    return 0;
}

std::u16string CFSTreeView::SelectedPath() const {
    const CFSTreeModel::Node* node = m_model.NodeOf(currentIndex());
    const CFSTreeModel::Node* top = m_model.CatalogueNode();
    if (!top || !node || node == top) return {};
    std::u16string path;
    for (; node && node->m_parent && node->m_parent != top; node = node->m_parent)
        path = u'\\' + node->m_text.toStdU16String() + path;
    return path.empty() ? std::u16string(u"\\") : path;
}

TreeSelection CFSTreeView::Selection() const {
    TreeSelection selection;
    const CFSTreeModel::Node* node = m_model.NodeOf(currentIndex());
    const CFSTreeModel::Node* top = m_model.CatalogueNode();
    if (!node || node == top) return selection;
    selection.selected = node->m_entry;
    for (; node && node->m_parent && node->m_parent != top; node = node->m_parent)
        selection.path.insert(selection.path.begin(), node->m_text.toStdU16String());
    if (node && node->m_entry && node->m_entry->GetRuntimeClass() == &CRootEntry::s_class)
        selection.volume = static_cast<const CRootEntry*>(node->m_entry);
    return selection;
}

void CFSTreeView::LocateRealFile(bool folderTree, const CFileEntry* entry) {
    FileManagerRequest request;
    ICatalogueHost& host = m_frame.Host();
    switch (
        volcatra::LocateRealFile(Selection(), entry, folderTree, host.VolumeQuery(), request, host.RemovableMedia())) {
        case LocateOutcome::Nothing:
            return;
        case LocateOutcome::NotFound:
            m_document.Messages().Show(Tr(kMediumNotFoundText), MessageButtons::Ok, MessageIcon::Exclamation);
            return;
        case LocateOutcome::Found:
            host.FileManager().Show(request);
            return;
    }
}

void CFSTreeView::ShowProperties(CFileEntry* entry) {
    if (!entry || entry->GetRuntimeClass() != &CRootEntry::s_class) return;
    ICatalogueHost& host = m_frame.Host();
    ShowVolumeProperties(static_cast<CRootEntry&>(*entry), m_document, window(),
                         [&host](QDialog& dialog) { return host.RunDialog(dialog); });
}

void CFSTreeView::SelectParent() {
    const QModelIndex parent = currentIndex().parent();
    if (parent.isValid()) {
        setCurrentIndex(parent);
        scrollTo(parent);
    }
}

void CFSTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        SelectParent();
        return;
    }
    QTreeView::keyPressEvent(event);
}

bool CFSTreeView::focusNextPrevChild(bool) {
    // Tab moves to the file list of the same window.
    m_frame.ActivateList();
    return true;
}

void CFSTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        m_rightClickPoint = event->position().toPoint();
        // The item under a right click becomes the selected one.
        const QModelIndex index = indexAt(m_rightClickPoint);
        if (index.isValid() && index != currentIndex()) setCurrentIndex(index);
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QTreeView::mousePressEvent(event);
}

void CFSTreeView::contextMenuEvent(QContextMenuEvent* event) {
    const CFileEntry* entry = SelectedEntry();
    const int menu = !entry ? 312 : (entry->GetRuntimeClass() == &CRootEntry::s_class ? 311 : 310);
    m_frame.SetActiveView(this);
    m_frame.ShowContextMenu(menu, event->globalPos());
}

void CFSTreeView::focusInEvent(QFocusEvent* event) {
    m_frame.SetActiveView(this);
    QTreeView::focusInEvent(event);
}

bool CFSTreeView::OnCommand(uint32_t id) {
    const std::optional<CommandState> state = QueryCommand(id);
    if (!state) return false;
    if (!state->m_enabled) return true;
    switch (id) {
        case ID_COPY_NAME:
            if (const CFileEntry* entry = SelectedEntry()) m_document.CopyTextToClipboard(nullptr, *entry);
            return true;
        case ID_COPY_PATH: {
            // The path alone: no entry name follows it.
            m_frame.SetClipboardText(SelectedPath());
            return true;
        }
        case ID_PROPERTIES:
            ShowProperties(SelectedEntry());
            return true;
        case ID_FIND_REAL_FILE:
        case ID_SHOW_IN_FILE_MANAGER:
            LocateRealFile(id == ID_SHOW_IN_FILE_MANAGER, nullptr);
            return true;
        case ID_EDIT_CUT:
            if (CRootEntry* root = SelectedVolume()) m_document.CutRoot(*root);
            return true;
        case ID_EDIT_COPY:
            if (CRootEntry* root = SelectedVolume()) m_document.CopyRoot(*root);
            return true;
        case ID_EDIT_PASTE:
            m_document.Paste();
            return true;
        case ID_RENAME:
            setFocus(Qt::OtherFocusReason);
            edit(currentIndex());
            return true;
        default:
            return true;
    }
}

std::optional<CommandState> CFSTreeView::QueryCommand(uint32_t id) const {
    switch (id) {
        case ID_COPY_NAME:
        case ID_COPY_PATH:
            return CommandState{SelectedEntry() != nullptr, false};
        case ID_PROPERTIES:
            return CommandState{SelectedEntry() && SelectedEntry()->GetRuntimeClass() == &CRootEntry::s_class, false};
        case ID_FIND_REAL_FILE:
        case ID_SHOW_IN_FILE_MANAGER:
            return CommandState{SelectedEntry() != nullptr, false};
        case ID_EDIT_COPY:
            return CommandState{SelectedVolume() != nullptr, false};
        // The commands that change the volumes wait while the catalogue is searched.
        case ID_EDIT_CUT:
        case ID_RENAME:
            return CommandState{SelectedVolume() != nullptr && !m_document.IsBeingSearched(), false};
        case ID_EDIT_PASTE:
            return CommandState{m_document.IsCommandEnabled(ID_EDIT_PASTE).value_or(false), false};
        default:
            return std::nullopt;
    }
}

}  // namespace volcatra
