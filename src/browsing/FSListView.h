// The file list of a catalogue window: the volumes of the catalogue, or the
// contents of the folder, volume or archive file selected in the tree, with
// name, size, kind and modification time, in four view modes.
#pragma once

#include <QAbstractTableModel>
#include <QListView>
#include <QTreeView>
#include <QWidget>
#include <array>
#include <vector>

#include "document/Document.h"
#include "ui/Commands.h"

class QDragMoveEvent;
class QDropEvent;
class QStackedLayout;

namespace volcatra {

class CCatalogueDocument;
class CChildFrame;
class CFileEntry;
class CRootEntry;

// Sort keys: 1 name, 2 size, 3 kind, 4 date; negative = descending; 0 = none.
inline constexpr int SORT_NONE = 0;
inline constexpr int SORT_NAME = 1;
inline constexpr int SORT_SIZE = 2;
inline constexpr int SORT_KIND = 3;
inline constexpr int SORT_DATE = 4;

enum class ListMode { LargeIcon, SmallIcon, List, Details };

// Default widths of the columns name, size, kind, date.
inline constexpr std::array<int, 4> kDefaultColumnWidths = {150, 90, 150, 140};

// An entry time as shown: local time "YYYY/MM/DD hh:mm", empty for 0 or a
// time that cannot be converted.
QString FormatEntryTime(int64_t time);

class CFSListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    CFSListModel(CCatalogueDocument& document, QObject* parent = nullptr);

    // The volume list.
    void FillVolumes();
    // The entries of list index of root.
    void FillEntries(CRootEntry& root, int index);
    void Clear();
    // Sorts with a key (folders first ascending, last descending).
    void Sort(int key);

    void SetSizeInBytes(bool inBytes) { m_sizeInBytes = inBytes; }
    bool SizeInBytes() const { return m_sizeInBytes; }
    CFileEntry* EntryAt(int row) const {
        return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)] : nullptr;
    }
    // The first row whose name text equals text ignoring ASCII case, or -1.
    int FindName(const std::u16string& text) const;
    // The name, size, kind or date text of a row.
    QString Text(int row, int column) const;
    bool ShowsVolumes() const { return m_root == nullptr; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Whether a large or a small picture is wanted.
    void SetLargePictures(bool large) { m_largePictures = large; }

private:
    const QString& KindText(int row) const;
    QIcon Picture(int row) const;

    CCatalogueDocument& m_document;
    CRootEntry* m_root = nullptr;  // none: the volume list
    std::vector<CFileEntry*> m_rows;
    mutable std::vector<QString> m_kinds;  // filled on demand
    mutable std::vector<bool> m_kindReady;
    bool m_sizeInBytes = false;
    bool m_largePictures = false;
};

class CFSListView : public QWidget, public IDocumentView, public ICommandTarget {
    Q_OBJECT
public:
    CFSListView(CCatalogueDocument& document, CChildFrame& frame, const std::array<int, 4>& widths);
    ~CFSListView() override;

    CFSListModel& Model() { return m_model; }
    void OnUpdate(int hint, CObjectBase* object) override;
    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;

    // Shows the contents of an entry (the volume list for none) unless it is
    // already shown.
    int ShowEntry(CFileEntry* entry);
    // Selects the row with that name; -1 when there is none.
    int SelectName(const std::u16string& name);
    void OnColumnClick(int column);
    void SortBy(int key);
    int SortKey() const { return m_sortKey; }
    CFileEntry* ShownFolder() const { return m_shownFolder; }
    CRootEntry* ShownRoot() const { return m_shownRoot; }

    ListMode Mode() const { return m_mode; }
    void SetMode(ListMode mode);
    std::array<int, 4> ColumnWidths() const;
    // The row with the selected state, or -1.
    int SelectedRow() const;
    // The view that shows the rows in the current mode.
    QAbstractItemView* ItemView() const;
    QTreeView* DetailsView() const { return m_details; }
    void FocusRows();

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Widens the size column to show the widest size text of the catalogue
    // in the current unit; never narrows it.
    void FitSizeColumn();

    // The volume of the selected row; none for other rows.
    CRootEntry* SelectedVolume() const;
    // Commits a label edit still open; false when none was.
    bool CommitLabelEdit();
    // What the row views hand over: the start of a drag of a row, data
    // dragged over them and dropped on them.
    void StartRowDrag(QAbstractItemView* view);
    void RowDragOver(QDragMoveEvent* event);
    void RowDrop(QDropEvent* event);

private:
    void Fill(CFileEntry* entry);
    void OnActivated(const QModelIndex& index);
    void ContextMenu(const QPoint& globalPos);

    CCatalogueDocument& m_document;
    CChildFrame& m_frame;
    CFSListModel m_model;
    QStackedLayout* m_stack;
    QTreeView* m_details;
    QListView* m_icons;
    ListMode m_mode = ListMode::Details;
    CFileEntry* m_shownFolder = nullptr;
    CRootEntry* m_shownRoot = nullptr;
    bool m_filled = false;
    int m_sortKey = SORT_NONE;
};

}  // namespace volcatra
