#include "browsing/FSListView.h"

#include <QDropEvent>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <deque>

#include "browsing/CatalogueDocument.h"
#include "browsing/ChildFrame.h"
#include "browsing/FSTreeView.h"
#include "browsing/VolumeDragDrop.h"
#include "model/TextListing.h"
#include "platform/ShellTypeNames.h"
#include "ui/IconViewModes.h"
#include "ui/SysImageList.h"

namespace volcatra {

QString FormatEntryTime(int64_t time) {
    std::tm local{};
    if (!ToLocalDateTime(time, local)) return {};
    char text[32];
    if (std::strftime(text, sizeof text, "%Y/%m/%d %H:%M", &local) == 0) return {};
    return QString::fromLatin1(text);
}

namespace {

bool IsRoot(const CFileEntry* entry) {
    return entry->GetRuntimeClass() == &CRootEntry::s_class;
}

// For display a folder inside an archive counts as a folder too.
bool ShownAsFolder(const CFileEntry* entry) {
    return !IsRoot(entry) && (entry->m_attributes & (FA_DIRECTORY | FA_ARCHIVE_FOLDER)) != 0;
}

template <typename T>
int Compare3(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The size column: a text wider than the column loses its first characters
// rather than its last, so that a cut number never reads as a smaller one.
class CSizeColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideLeft;
    }
};

// The width a text of digits and separators can take in a font: each digit
// counted as the font's widest digit.
int WidestNumberWidth(const QFontMetrics& metrics, const QString& text) {
    int digit = 0;
    for (char c = '0'; c <= '9'; ++c) digit = std::max(digit, metrics.horizontalAdvance(QLatin1Char(c)));
    int width = 0;
    for (QChar c : text) width += c.isDigit() ? digit : metrics.horizontalAdvance(c);
    return width;
}

// A row view of the file list that hands the drags of its rows and the data
// dragged over it to the file list.
template <typename Base>
class CRowView : public Base {
public:
    CRowView(CFSListView& list) : Base(&list), m_list(list) {
        this->setDragEnabled(true);
        this->setAcceptDrops(true);
        this->setDragDropMode(QAbstractItemView::DragDrop);
        this->setDropIndicatorShown(false);
    }

protected:
    void startDrag(Qt::DropActions) override { m_list.StartRowDrag(this); }
    void dragEnterEvent(QDragEnterEvent* event) override { m_list.RowDragOver(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { m_list.RowDragOver(event); }
    void dragLeaveEvent(QDragLeaveEvent* event) override { event->accept(); }
    void dropEvent(QDropEvent* event) override { m_list.RowDrop(event); }

private:
    CFSListView& m_list;
};

}  // namespace

// --- Model -------------------------------------------------------------------------------

CFSListModel::CFSListModel(CCatalogueDocument& document, QObject* parent)
    : QAbstractTableModel(parent), m_document(document) {}

void CFSListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_kinds.clear();
    m_kindReady.clear();
    m_root = nullptr;
    endResetModel();
}

void CFSListModel::FillVolumes() {
    beginResetModel();
    m_root = nullptr;
    m_rows.clear();
    m_rows.reserve(m_document.Roots().size());
    for (const auto& root : m_document.Roots()) m_rows.push_back(root.get());
    m_kinds.assign(m_rows.size(), QString());
    m_kindReady.assign(m_rows.size(), true);  // volumes have no kind
    endResetModel();
}

void CFSListModel::FillEntries(CRootEntry& root, int index) {
    beginResetModel();
    m_root = &root;
    m_rows.clear();
    CFileArray& list = *root.m_folders[size_t(index)];
    m_rows.reserve(list.m_entries.size());
    for (auto& entry : list.m_entries) m_rows.push_back(&entry);
    m_kinds.assign(m_rows.size(), QString());
    m_kindReady.assign(m_rows.size(), false);
    endResetModel();
}

const QString& CFSListModel::KindText(int row) const {
    const size_t r = size_t(row);
    if (!m_kindReady[r]) {
        static const CMimeTypeNames types;
        const CFileEntry* entry = m_rows[r];
        m_kinds[r] = QString::fromStdU16String(types.GetTypeName(entry->m_name, ShownAsFolder(entry)));
        m_kindReady[r] = true;
    }
    return m_kinds[r];
}

QString CFSListModel::Text(int row, int column) const {
    const CFileEntry* entry = EntryAt(row);
    if (!entry) return {};
    const bool root = IsRoot(entry);
    switch (column) {
        case 0:
            return QString::fromStdU16String(entry->GetDisplayName());
        case 1:
            if (root) return QString::fromStdU16String(static_cast<const CRootEntry*>(entry)->GetUsedSizeText());
            return ShownAsFolder(entry) ? QString() : QString::fromStdU16String(entry->GetSizeText(m_sizeInBytes));
        case 2:
            return root ? QString() : KindText(row);
        case 3:
            return root || entry->m_time == 0 ? QString() : FormatEntryTime(entry->m_time);
        default:
            return {};
    }
}

QIcon CFSListModel::Picture(int row) const {
    CFileEntry* entry = m_rows[size_t(row)];
    if (IsRoot(entry)) {
        auto* root = static_cast<CRootEntry*>(entry);
        return m_document.RootPicture(root->m_iconNumber, *root);
    }
    if (!m_root) return {};
    if (entry->m_imageIndex == 0xFFFF) return {};
    if (entry->m_imageIndex == 0) {
        const int typeIndex =
            CSysImageList::Instance().IndexForName(QStringView(entry->m_name.view()).toString(), ShownAsFolder(entry));
        const int position = m_document.GetImageIndex(*m_root, entry->m_iconNumber, typeIndex);
        entry->m_imageIndex = position < 0 ? uint16_t(0xFFFF) : uint16_t(position);
        if (position < 0) return {};
    }
    return m_document.RootImage(*m_root, entry->m_imageIndex);
}

int CFSListModel::FindName(const std::u16string& text) const {
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (CompareIgnoringAsciiCase(m_rows[row]->GetDisplayName(), text) == 0) return int(row);
    return -1;
}

void CFSListModel::Sort(int key) {
    const int column = key < 0 ? -key : key;
    if (column == SORT_KIND)
        for (int row = 0; row < int(m_rows.size()); ++row) KindText(row);
    // The texts compared are taken once, not for every comparison: an
    // entry's own name where it lies, a volume's display name kept here.
    std::vector<std::u16string_view> texts;
    std::deque<std::u16string> displayNames;
    if (column == SORT_NAME || column == SORT_KIND) {
        texts.resize(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (column == SORT_KIND) {
                texts[i] = std::u16string_view(reinterpret_cast<const char16_t*>(m_kinds[i].utf16()),
                                               size_t(m_kinds[i].size()));
            } else if (IsRoot(m_rows[i])) {
                texts[i] = displayNames.emplace_back(m_rows[i]->GetDisplayName());
            } else {
                texts[i] = m_rows[i]->m_name.view();
            }
        }
    }
    // Each row is sorted by a key that decides most comparisons without
    // reaching into the entries: folders first, then the number, or the
    // first twelve characters of the text (ASCII case folded, a shorter text
    // padded with zeros, which keeps the order of the whole comparison);
    // texts equal in those are compared whole.
    struct SortItem {
        uint64_t high;
        uint64_t middle;
        uint64_t low;
        uint32_t row;
        uint32_t files;  // 0 for folders, 1 for the rest
    };
    const auto folded = [](std::u16string_view text, size_t from) {
        uint64_t bits = 0;
        for (size_t i = from; i < from + 4; ++i) {
            char16_t c = i < text.size() ? text[i] : 0;
            if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
            bits = bits << 16 | c;
        }
        return bits;
    };
    std::vector<SortItem> items(m_rows.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const CFileEntry* entry = m_rows[i];
        SortItem& item = items[i];
        item.row = uint32_t(i);
        item.files = (entry->m_attributes & FA_DIRECTORY) ? 0 : 1;
        item.middle = 0;
        item.low = 0;
        switch (column) {
            case SORT_NAME:
            case SORT_KIND:
                item.high = folded(texts[i], 0);
                item.middle = folded(texts[i], 4);
                item.low = folded(texts[i], 8);
                break;
            case SORT_SIZE:
                item.high = uint64_t(int64_t(entry->m_size)) ^ (uint64_t(1) << 63);
                break;
            case SORT_DATE:
                item.high = uint64_t(entry->m_time) ^ (uint64_t(1) << 63);
                break;
            default:
                item.high = 0;
                break;
        }
    }
    const bool textual = !texts.empty();
    const auto compare = [&](const SortItem& a, const SortItem& b) {
        int d = Compare3(a.files, b.files);
        if (d == 0) d = Compare3(a.high, b.high);
        if (d == 0) d = Compare3(a.middle, b.middle);
        if (d == 0) d = Compare3(a.low, b.low);
        if (d == 0 && textual) d = CompareIgnoringAsciiCase(texts[a.row], texts[b.row]);
        return (key > 0 ? d : -d) < 0;
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::stable_sort(items.begin(), items.end(), compare);
    std::vector<size_t> order(items.size());
    for (size_t i = 0; i < items.size(); ++i) order[i] = items[i].row;
    std::vector<size_t> newPosition(order.size());
    for (size_t i = 0; i < order.size(); ++i) newPosition[order[i]] = i;
    std::vector<CFileEntry*> rows(m_rows.size());
    std::vector<QString> kinds(m_rows.size());
    std::vector<bool> ready(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        rows[i] = m_rows[order[i]];
        kinds[i] = std::move(m_kinds[order[i]]);
        ready[i] = m_kindReady[order[i]];
    }
    m_rows = std::move(rows);
    m_kinds = std::move(kinds);
    m_kindReady = std::move(ready);
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after.push_back(this->index(int(newPosition[size_t(index.row())]), index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int CFSListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CFSListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant CFSListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_rows.size()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return Text(index.row(), index.column());
        case Qt::DecorationRole:
            return index.column() == 0 ? QVariant(Picture(index.row())) : QVariant();
        case Qt::TextAlignmentRole:
            return index.column() == 1 ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                                       : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

bool CFSListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    CFileEntry* entry = EntryAt(index.row());
    if (role != Qt::EditRole || index.column() != 0 || !entry || !IsRoot(entry) || m_root) return false;
    m_document.EndLabelEdit(*static_cast<CRootEntry*>(entry), value.toString().toStdU16String());
    return true;
}

QVariant CFSListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) {
        static const char* const titles[] = {QT_TR_NOOP("名前"), QT_TR_NOOP("サイズ"), QT_TR_NOOP("ファイルの種類"),
                                             QT_TR_NOOP("更新日時")};
        return section >= 0 && section < 4 ? tr(titles[section]) : QString();
    }
    if (role == Qt::TextAlignmentRole)
        return section == 1 ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags CFSListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Label editing is on only while the volume list is shown; volume rows
    // can be dragged. Neither while the catalogue is searched.
    if (!m_root && index.column() == 0 && !m_document.IsBeingSearched())
        flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
    return flags;
}

// --- View ------------------------------------------------------------------------------------

CFSListView::CFSListView(CCatalogueDocument& document, CChildFrame& frame, const std::array<int, 4>& widths)
    : QWidget(&frame), m_document(document), m_frame(frame), m_model(document, this) {
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_details = new CRowView<QTreeView>(*this);
    m_details->setModel(&m_model);
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->setSelectionMode(QAbstractItemView::SingleSelection);
    m_details->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_details->setEditTriggers(QAbstractItemView::SelectedClicked);
    m_details->setIconSize(QSize(16, 16));
    m_details->header()->setSectionsClickable(true);
    m_details->header()->setSortIndicatorShown(false);
    m_details->header()->setStretchLastSection(false);
    m_details->header()->setSectionsMovable(false);
    m_details->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < 4; ++column) m_details->header()->resizeSection(column, widths[size_t(column)]);
    connect(m_details->header(), &QHeaderView::sectionClicked, this, &CFSListView::OnColumnClick);
    m_details->setItemDelegateForColumn(1, new CSizeColumnDelegate(m_details));

    m_icons = new CRowView<QListView>(*this);
    SetUpIconsView(*m_icons, m_model, m_details->selectionModel());
    m_icons->setEditTriggers(QAbstractItemView::SelectedClicked);

    m_stack->addWidget(m_details);
    m_stack->addWidget(m_icons);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_details), static_cast<QAbstractItemView*>(m_icons)}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->setTabKeyNavigation(false);
        connect(view, &QAbstractItemView::activated, this, &CFSListView::OnActivated);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& pos) { ContextMenu(view->viewport()->mapToGlobal(pos)); });
    }
    setFocusProxy(m_details);
    document.AddView(this);
}

CFSListView::~CFSListView() {
    m_document.RemoveView(this);
}

void CFSListView::OnUpdate(int hint, CObjectBase* object) {
    if (hint == HINT_RELABEL && object && object->GetRuntimeClass() == &CRootEntry::s_class) {
        const auto& rows = m_model;
        for (int row = 0; row < rows.rowCount(); ++row) {
            if (rows.EntryAt(row) != object) continue;
            emit m_model.dataChanged(m_model.index(row, 0), m_model.index(row, 0));
            if (m_sortKey == SORT_NAME || m_sortKey == -SORT_NAME) m_sortKey = SORT_NONE;
            break;
        }
        return;
    }
    const bool inBytes = m_frame.SizeInBytes();
    const bool unitChanged = inBytes != m_model.SizeInBytes();
    m_model.SetSizeInBytes(inBytes);
    m_shownFolder = nullptr;
    Fill(nullptr);
    if (unitChanged) FitSizeColumn();
}

void CFSListView::FitSizeColumn() {
    // The longest size text belongs to the largest size (volumes show their
    // used size in a unit of their own).
    uint64_t largest = 0;
    QFontMetrics metrics(m_details->font());
    int width = 0;
    for (const auto& root : m_document.Roots()) {
        width = std::max(width, WidestNumberWidth(metrics, QString::fromStdU16String(root->GetUsedSizeText())));
        for (const auto& folder : root->m_folders)
            for (const auto& entry : folder->m_entries)
                if (!ShownAsFolder(&entry)) largest = std::max(largest, entry.m_size);
    }
    std::string text;
    AppendSizeText(text, largest, m_model.SizeInBytes());
    width = std::max(width, WidestNumberWidth(metrics, QString::fromLatin1(text)));
    // The item's text margins on both sides, and a pixel to spare.
    const int margin = m_details->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_details) + 1;
    width += 2 * margin + 2;
    QHeaderView* header = m_details->header();
    if (header->sectionSize(1) < width) header->resizeSection(1, width);
}

int CFSListView::ShowEntry(CFileEntry* entry) {
    if (entry != m_shownFolder) {
        m_shownFolder = entry;
        Fill(entry);
    }
    return 0;
}

void CFSListView::Fill(CFileEntry* entry) {
    m_shownRoot = nullptr;
    if (!entry) {
        m_model.FillVolumes();
    } else {
        const size_t stamp = entry->m_rootStamp;
        const auto& roots = m_document.Roots();
        CRootEntry* root = stamp < roots.size() ? roots[stamp].get() : nullptr;
        if (!root || entry->m_childIndex < 0 || size_t(entry->m_childIndex) >= root->m_folders.size()) {
            m_model.Clear();
            return;
        }
        m_shownRoot = root;
        m_model.FillEntries(*root, entry->m_childIndex);
    }
    m_sortKey = SORT_NAME;
    m_model.Sort(SORT_NAME);
    // Every newly shown folder starts at its first row; a reset model keeps
    // the views' scroll positions.
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_details), static_cast<QAbstractItemView*>(m_icons)}) {
        view->verticalScrollBar()->setValue(0);
        view->horizontalScrollBar()->setValue(0);
    }
}

int CFSListView::SelectName(const std::u16string& name) {
    const int row = m_model.FindName(name);
    if (row < 0) return -1;
    m_details->selectionModel()->select(m_model.index(row, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return 0;
}

void CFSListView::OnColumnClick(int column) {
    if (column < 0 || column > 3) return;
    int key = column + 1;
    if (m_sortKey == key) key = -(column + 1);
    SortBy(key);
}

void CFSListView::SortBy(int key) {
    m_sortKey = key;
    m_model.Sort(key);
}

void CFSListView::SetMode(ListMode mode) {
    m_mode = mode;
    switch (mode) {
        case ListMode::Details:
            m_stack->setCurrentWidget(m_details);
            m_model.SetLargePictures(false);
            break;
        case ListMode::LargeIcon:
        case ListMode::SmallIcon:
        case ListMode::List:
            ApplyIconViewMode(*m_icons,
                              mode == ListMode::LargeIcon   ? IconViewMode::LargeIcon
                              : mode == ListMode::SmallIcon ? IconViewMode::SmallIcon
                                                            : IconViewMode::List,
                              160);
            m_model.SetLargePictures(mode == ListMode::LargeIcon);
            m_stack->setCurrentWidget(m_icons);
            break;
    }
    setFocusProxy(ItemView());
}

std::array<int, 4> CFSListView::ColumnWidths() const {
    std::array<int, 4> widths{};
    for (int column = 0; column < 4; ++column) widths[size_t(column)] = m_details->header()->sectionSize(column);
    return widths;
}

QAbstractItemView* CFSListView::ItemView() const {
    return m_mode == ListMode::Details ? static_cast<QAbstractItemView*>(m_details) : m_icons;
}

void CFSListView::FocusRows() {
    ItemView()->setFocus(Qt::TabFocusReason);
}

CRootEntry* CFSListView::SelectedVolume() const {
    CFileEntry* entry = m_model.EntryAt(SelectedRow());
    return entry && IsRoot(entry) ? static_cast<CRootEntry*>(entry) : nullptr;
}

bool CFSListView::CommitLabelEdit() {
    // Either row view may hold the editor.
    const bool details = CommitOpenEditor(m_details);
    const bool icons = CommitOpenEditor(m_icons);
    return details || icons;
}

void CFSListView::StartRowDrag(QAbstractItemView* view) {
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    CFileEntry* entry = m_model.EntryAt(selected.isEmpty() ? view->currentIndex().row() : selected.front().row());
    if (!entry || !IsRoot(entry) || m_document.IsBeingSearched()) return;
    m_document.DragRoot(*static_cast<CRootEntry*>(entry));
}

void CFSListView::RowDragOver(QDragMoveEvent* event) {
    VolumeDragOver(m_document, event);
}

void CFSListView::RowDrop(QDropEvent* event) {
    VolumeDrop(m_document, event);
}

int CFSListView::SelectedRow() const {
    const QModelIndexList rows = m_details->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void CFSListView::OnActivated(const QModelIndex& index) {
    CFileEntry* entry =
        m_model.EntryAt(ItemView()->currentIndex().isValid() ? ItemView()->currentIndex().row() : index.row());
    if (!entry) return;
    // Posted: the tree acts after the list's own handling has returned.
    QTimer::singleShot(0, &m_frame, [frame = &m_frame, entry]() {
        if (CFSTreeView* tree = frame->TreeView()) tree->OpenEntry(entry);
    });
}

void CFSListView::ContextMenu(const QPoint& globalPos) {
    const CFileEntry* entry = m_model.EntryAt(SelectedRow());
    const int menu = !entry ? 312 : (IsRoot(entry) ? 311 : 310);
    m_frame.SetActiveView(this);
    m_frame.ShowContextMenu(menu, globalPos);
}

bool CFSListView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == m_details || watched == m_icons)) {
        m_frame.SetActiveView(this);
    } else if (event->type() == QEvent::KeyPress && (watched == m_details || watched == m_icons)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            m_frame.ActivateTree();
            return true;
        }
        if (key->key() == Qt::Key_Backspace && key->modifiers() == Qt::NoModifier) {
            if (CFSTreeView* tree = m_frame.TreeView()) tree->SelectParent();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool CFSListView::OnCommand(uint32_t id) {
    const std::optional<CommandState> state = QueryCommand(id);
    if (!state) return false;
    if (!state->m_enabled) return true;
    const CFileEntry* entry = m_model.EntryAt(SelectedRow());
    switch (id) {
        case ID_COPY_NAME:
            if (entry) m_document.CopyTextToClipboard(nullptr, *entry);
            return true;
        case ID_COPY_PATH:
            if (CFSTreeView* tree = m_frame.TreeView(); tree && entry) {
                const std::u16string prefix = tree->SelectedPath();
                m_document.CopyTextToClipboard(&prefix, *entry);
            }
            return true;
        case ID_PROPERTIES:
            if (CFSTreeView* tree = m_frame.TreeView()) tree->ShowProperties(m_model.EntryAt(SelectedRow()));
            return true;
        case ID_FIND_REAL_FILE:
        case ID_SHOW_IN_FILE_MANAGER:
            if (CFSTreeView* tree = m_frame.TreeView(); tree && entry)
                tree->LocateRealFile(id == ID_SHOW_IN_FILE_MANAGER, entry);
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
        case ID_RENAME: {
            // The name of the row that is both focused and selected.
            QAbstractItemView* view = ItemView();
            const int row = SelectedRow();
            if (row >= 0 && view->currentIndex().row() == row) {
                view->setFocus(Qt::OtherFocusReason);
                view->edit(m_model.index(row, 0));
            }
            return true;
        }
        default:
            return true;
    }
}

std::optional<CommandState> CFSListView::QueryCommand(uint32_t id) const {
    switch (id) {
        case ID_COPY_NAME:
        case ID_COPY_PATH:
            return CommandState{SelectedRow() >= 0, false};
        case ID_PROPERTIES: {
            const CFileEntry* entry = m_model.EntryAt(SelectedRow());
            return CommandState{entry && IsRoot(entry), false};
        }
        case ID_FIND_REAL_FILE:
        case ID_SHOW_IN_FILE_MANAGER:
            return CommandState{SelectedRow() >= 0, false};
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
