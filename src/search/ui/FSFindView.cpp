#include "search/ui/FSFindView.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QStackedLayout>

#include "browsing/CatalogueDocument.h"
#include "browsing/ChildFrame.h"
#include "browsing/FSListView.h"
#include "model/FileNameCodec.h"
#include "search/ui/FindFrame.h"
#include "ui/IconViewModes.h"
#include "ui/QtServices.h"
#include "ui/SysImageList.h"

namespace volcatra {

namespace {

// The width of a cell in the list mode: the search's names are paths.
constexpr int kListCellWidth = 200;

constexpr int kColumnCount = 6;
constexpr int kColumnWidths[kColumnCount] = {120, 230, 70, 120, 120, 250};
constexpr const char* kColumnTitles[kColumnCount] = {
    QT_TRANSLATE_NOOP("SearchResults", "名前"),     QT_TRANSLATE_NOOP("SearchResults", "フォルダ名"),
    QT_TRANSLATE_NOOP("SearchResults", "サイズ"),   QT_TRANSLATE_NOOP("SearchResults", "ファイルの種類"),
    QT_TRANSLATE_NOOP("SearchResults", "更新日時"), QT_TRANSLATE_NOOP("SearchResults", "記録ファイル名")};
// New rows enter the list at most this often while a search runs.
constexpr int kBatchIntervalMs = 250;

// Whether a catalogue document's file is the file at path: the same device
// and inode (two names that differ in letter case are two files here).
bool IsSameFile(const CCatalogueDocument& document, const std::string& path) {
    if (document.GetPathName().empty()) return false;
    struct stat a {
    }, b{};
    if (::stat(document.GetPathName().c_str(), &a) != 0 || ::stat(path.c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

int CFSFindView::s_resultSortKey = 0;

// --- Model ---------------------------------------------------------------------------------

CFindResultsModel::CFindResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

void CFindResultsModel::Clear() {
    beginResetModel();
    m_store.Clear();
    m_shown = 0;
    m_storedPictures.clear();
    m_storedPictureMade.clear();
    endResetModel();
}

bool CFindResultsModel::ShowPending() {
    const int total = int(m_store.Count());
    if (total <= m_shown) return false;
    beginInsertRows({}, m_shown, total - 1);
    m_shown = total;
    endInsertRows();
    return true;
}

void CFindResultsModel::Sort(int sortKey) {
    ShowPending();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Rows keep their keys; persistent indexes follow their rows.
    const QModelIndexList before = persistentIndexList();
    std::vector<int32_t> keys;
    keys.reserve(size_t(before.size()));
    for (const QModelIndex& index : before) keys.push_back(m_store.Record(size_t(index.row())).m_key);
    m_store.Sort(sortKey, size_t(m_shown), m_sizeInBytes);
    QModelIndexList after;
    if (!before.isEmpty()) {
        std::unordered_map<int32_t, int> rowOfKey;
        for (int row = 0; row < m_shown; ++row) rowOfKey.emplace(m_store.Record(size_t(row)).m_key, row);
        for (qsizetype i = 0; i < before.size(); ++i)
            after.push_back(index(rowOfKey[keys[size_t(i)]], before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString CFindResultsModel::Text(int row, int column) const {
    if (row < 0 || row >= m_shown) return {};
    return QString::fromStdU16String(m_store.ColumnText(m_store.Record(size_t(row)), column, m_sizeInBytes));
}

QIcon CFindResultsModel::GetHitImage(int row) const {
    if (row < 0 || row >= m_shown) return {};
    const CHitRecord& r = m_store.Record(size_t(row));
    if (r.m_image >= 1) {
        const size_t d = r.m_image - 1;
        if (d >= m_storedPictures.size()) {
            m_storedPictures.resize(m_store.ImageCount());
            m_storedPictureMade.resize(m_store.ImageCount(), false);
        }
        if (!m_storedPictureMade[d]) {
            m_storedPictureMade[d] = true;
            if (const std::optional<CIconPair> pair = DecodeStoredImage(m_store.Image(r.m_image)))
                m_storedPictures[d] = IconFromPair(*pair);
        }
        return m_storedPictures[d];
    }
    CSysImageList& system = CSysImageList::Instance();
    if (r.m_typePicture < 0) {
        const bool folder = (r.m_attributes & (FA_DIRECTORY | FA_ARCHIVE_FOLDER)) != 0;
        r.m_typePicture = system.IndexForName(QString::fromStdU16String(std::u16string(m_store.Name(r))), folder);
    }
    return system.Icon(r.m_typePicture);
}

int CFindResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown;
}

int CFindResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CFindResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown) return {};
    switch (role) {
        case Qt::DisplayRole:
            return Text(index.row(), index.column());
        case Qt::DecorationRole:
            return index.column() == 0 ? QVariant(GetHitImage(index.row())) : QVariant();
        case Qt::TextAlignmentRole:
            return index.column() == 2 ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant CFindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QCoreApplication::translate("SearchResults", kColumnTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return section == 2 ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

// --- View ----------------------------------------------------------------------------------

CFSFindView::CFSFindView(CFindFrame& frame) : QWidget(&frame), m_frame(frame), m_model(this) {
    setObjectName(QStringLiteral("FindView"));
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_details = new QTreeView(this);
    m_details->setModel(&m_model);
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->setSelectionMode(QAbstractItemView::SingleSelection);
    m_details->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_details->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_details->setIconSize(QSize(16, 16));
    QHeaderView* header = m_details->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < kColumnCount; ++column) header->resizeSection(column, kColumnWidths[column]);
    connect(header, &QHeaderView::sectionClicked, this, &CFSFindView::OnColumnClick);

    m_icons = new QListView(this);
    SetUpIconsView(*m_icons, m_model, m_details->selectionModel());
    m_icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_stack->addWidget(m_details);
    m_stack->addWidget(m_icons);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_details), static_cast<QAbstractItemView*>(m_icons)}) {
        view->installEventFilter(this);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QAbstractItemView::activated, this, [this]() {
            // Posted: the list's own handling of the click or key ends first.
            QTimer::singleShot(0, this, [this]() { OpenRecord(0); });
        });
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
            m_frame.Host().ShowContextMenu(105, view->viewport()->mapToGlobal(pos));
        });
    }
    setFocusProxy(m_details);

    m_batchTimer.setInterval(kBatchIntervalMs);
    connect(&m_batchTimer, &QTimer::timeout, this, [this]() { m_model.ShowPending(); });
}

CFSFindView::~CFSFindView() = default;

bool CFSFindView::RunSearch(const CNamePattern& pattern, const std::u16string& place, bool includeSubfolders) {
    m_model.SetSizeInBytes(m_frame.Host().SizeInBytes());
    CSearchEngine engine(*this, m_frame, m_frame.Host().Messages());
    m_batchTimer.start();
    const bool result = engine.RunSearch(pattern, place, includeSubfolders);
    m_batchTimer.stop();
    m_model.ShowPending();
    return result;
}

void CFSFindView::ClearResults() {
    m_model.Clear();
    m_foundCount = 0;
    s_resultSortKey = 0;
}

void CFSFindView::BeginVolume(const CRootEntry& volume) {
    m_model.Store().BeginVolume(volume);
}

void CFSFindView::AddHit(const CFileEntry& entry, const CRootEntry& volume, const std::u16string& folderText,
                         const std::u16string& catalogueFile) {
    m_model.Store().AddHit(entry, volume, folderText, catalogueFile, m_types);
    ++m_foundCount;
}

void CFSFindView::SortAll(int key) {
    s_resultSortKey = key;
    m_model.Sort(key);
}

void CFSFindView::OnColumnClick(int column) {
    int key = column + 1;
    if (s_resultSortKey == key) key = -key;
    SortAll(key);
}

void CFSFindView::MenuSort(int column) {
    const int key = column + 1;
    if (s_resultSortKey == key) return;
    SortAll(key);
}

QAbstractItemView* CFSFindView::ItemView() const {
    return m_mode == ResultMode::Details ? static_cast<QAbstractItemView*>(m_details) : m_icons;
}

int CFSFindView::FocusedSelectedRow() const {
    const QModelIndex current = m_details->selectionModel()->currentIndex();
    // The icon modes select the name cell only, the details mode whole rows:
    // the name cell is selected in both.
    if (!current.isValid() || !m_details->selectionModel()->isSelected(current.siblingAtColumn(0))) return -1;
    return current.row();
}

void CFSFindView::OpenRecord(uint32_t passOn) {
    const int row = FocusedSelectedRow();
    if (row < 0) return;
    const QString catalogueFile = m_model.Text(row, 5);
    const std::u16string folderText = m_model.Text(row, 1).toStdU16String();
    const std::u16string name = m_model.Text(row, 0).toStdU16String();
    ISearchHost& host = m_frame.Host();

    CCatalogueDocument* document = nullptr;
    if (m_frame.HasSearchSource()) {
        // The source, while it is still open.
        for (CCatalogueDocument* open : host.CatalogueDocuments())
            if (open == m_frame.SearchSource()) document = open;
        if (!document) {
            host.Messages().Show(Tr(kSourceClosedText), MessageButtons::Ok);
            return;
        }
    } else {
        const std::string path = Utf16ToFileName(catalogueFile.toStdU16String());
        for (CCatalogueDocument* open : host.CatalogueDocuments()) {
            if (IsSameFile(*open, path)) {
                document = open;
                break;
            }
        }
        if (!document) document = host.OpenCatalogue(catalogueFile);
        if (!document) return;
    }
    CChildFrame* frame = host.ActivateCatalogue(*document);
    if (!frame) return;
    frame->ShowRecord(folderText, name);
    if (passOn != 0) {
        QTimer::singleShot(0, frame, [frame, passOn]() {
            if (CFSListView* list = frame->ListView()) list->OnCommand(passOn);
        });
    }
}

void CFSFindView::SetMode(ResultMode mode) {
    m_mode = mode;
    switch (mode) {
        case ResultMode::Details:
            m_model.SetLargePictures(false);
            m_stack->setCurrentWidget(m_details);
            return;
        case ResultMode::LargeIcon:
            ApplyIconViewMode(*m_icons, IconViewMode::LargeIcon, kListCellWidth);
            break;
        case ResultMode::SmallIcon:
            ApplyIconViewMode(*m_icons, IconViewMode::SmallIcon, kListCellWidth);
            break;
        case ResultMode::List:
            ApplyIconViewMode(*m_icons, IconViewMode::List, kListCellWidth);
            break;
    }
    m_model.SetLargePictures(mode == ResultMode::LargeIcon);
    m_stack->setCurrentWidget(m_icons);
}

bool CFSFindView::OnCommand(uint32_t id) {
    const std::optional<CommandState> state = QueryCommand(id);
    if (!state) return false;
    if (!state->m_enabled) return true;
    switch (id) {
        case ID_SORT_NAME:
        case ID_SORT_FOLDER:
        case ID_SORT_SIZE:
        case ID_SORT_KIND:
        case ID_SORT_DATE:
        case ID_SORT_CATALOGUE:
            MenuSort(int(id - ID_SORT_NAME));
            break;
        case ID_OPEN_RECORD:
            OpenRecord(0);
            break;
        case ID_FIND_REAL_FILE:
        case ID_SHOW_IN_FILE_MANAGER:
            OpenRecord(id);
            break;
        case ID_VIEW_SMALLICON:
            SetMode(ResultMode::SmallIcon);
            break;
        case ID_VIEW_LARGEICON:
            SetMode(ResultMode::LargeIcon);
            break;
        case ID_VIEW_LIST:
            SetMode(ResultMode::List);
            break;
        case ID_VIEW_DETAILS:
            SetMode(ResultMode::Details);
            break;
        default:
            break;
    }
    return true;
}

std::optional<CommandState> CFSFindView::QueryCommand(uint32_t id) const {
    switch (id) {
        case ID_SORT_NAME:
        case ID_SORT_FOLDER:
        case ID_SORT_SIZE:
        case ID_SORT_KIND:
        case ID_SORT_DATE:
        case ID_SORT_CATALOGUE:
            return CommandState{true, false};
        case ID_OPEN_RECORD:
        case ID_FIND_REAL_FILE:
        case ID_SHOW_IN_FILE_MANAGER:
            return CommandState{FocusedSelectedRow() >= 0, false};
        case ID_VIEW_SMALLICON:
            return CommandState{true, m_mode == ResultMode::SmallIcon};
        case ID_VIEW_LARGEICON:
            return CommandState{true, m_mode == ResultMode::LargeIcon};
        case ID_VIEW_LIST:
            return CommandState{true, m_mode == ResultMode::List};
        case ID_VIEW_DETAILS:
            return CommandState{true, m_mode == ResultMode::Details};
        default:
            return std::nullopt;
    }
}

bool CFSFindView::eventFilter(QObject* watched, QEvent* event) {
    return QWidget::eventFilter(watched, event);
}

}  // namespace volcatra
