// The result list of a search window: one row per hit with the entry's name
// and picture, its folder, size, kind, date and catalogue file; sorting by
// any column, and the way from a row back into its catalogue.
#pragma once

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QIcon>
#include <QListView>
#include <QTimer>
#include <QTreeView>
#include <QWidget>
#include <memory>
#include <vector>

#include "model/UiText.h"
#include "platform/ShellTypeNames.h"
#include "search/SearchEngine.h"
#include "search/ui/HitStore.h"
#include "ui/Commands.h"

class QStackedLayout;

namespace volcatra {

class CFindFrame;

inline constexpr uint32_t ID_SORT_FOLDER = 32781;
inline constexpr uint32_t ID_SORT_CATALOGUE = 32785;
inline constexpr uint32_t ID_OPEN_RECORD = 32812;

// The text of a source catalogue that was closed since the search.
inline constexpr UiText kSourceClosedText =
    VOLCATRA_TEXT("Search", "検索した メディア構成 ファイルは閉じられています。");

enum class ResultMode { LargeIcon, SmallIcon, List, Details };

// The rows as a Qt model over the hit store. Rows enter the model in
// batches: hits are collected in the store and shown by ShowPending.
class CFindResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CFindResultsModel(QObject* parent = nullptr);

    CHitStore& Store() { return m_store; }
    const CHitStore& Store() const { return m_store; }
    void Clear();
    // Inserts the collected hits that are not rows yet; false when there were none.
    bool ShowPending();
    int PendingCount() const { return int(m_store.Count()) - m_shown; }
    // Sorts the shown rows (the pending ones are shown first).
    void Sort(int sortKey);

    void SetSizeInBytes(bool inBytes) { m_sizeInBytes = inBytes; }
    void SetLargePictures(bool large) { m_largePictures = large; }
    QString Text(int row, int column) const;
    // The picture of a row: its stored icon, else the type picture of its
    // name; a null icon when none can be made.
    QIcon GetHitImage(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    CHitStore m_store;
    int m_shown = 0;
    bool m_sizeInBytes = false;
    bool m_largePictures = false;
    // The pictures of the store's stored images, made when first shown.
    mutable std::vector<QIcon> m_storedPictures;
    mutable std::vector<bool> m_storedPictureMade;
};

class CFSFindView : public QWidget, public ISearchResults, public ICommandTarget {
    Q_OBJECT
public:
    explicit CFSFindView(CFindFrame& frame);
    ~CFSFindView() override;

    // The sort key of every result list: column + 1, negative descending, 0 unsorted.
    static int s_resultSortKey;

    CFindResultsModel& Model() { return m_model; }
    // Runs the search (see CSearchEngine::RunSearch); returns when it ended.
    bool RunSearch(const CNamePattern& pattern, const std::u16string& place, bool includeSubfolders);

    // ISearchResults
    void ClearResults() override;
    void BeginVolume(const CRootEntry& volume) override;
    void AddHit(const CFileEntry& entry, const CRootEntry& volume, const std::u16string& folderText,
                const std::u16string& catalogueFile) override;
    int32_t GetFoundCount() const override { return m_foundCount; }

    void OnColumnClick(int column);
    void MenuSort(int column);
    // Opens the focused row's catalogue at its entry, passing the command
    // on to that window's list (0 for none).
    void OpenRecord(uint32_t passOn);

    ResultMode Mode() const { return m_mode; }
    void SetMode(ResultMode mode);
    // The focused row when it is also selected, or -1.
    int FocusedSelectedRow() const;
    QTreeView* DetailsView() const { return m_details; }
    QAbstractItemView* ItemView() const;

    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SortAll(int key);

    CFindFrame& m_frame;
    CFindResultsModel m_model;
    CMimeTypeNames m_types;
    QStackedLayout* m_stack = nullptr;
    QTreeView* m_details = nullptr;
    QListView* m_icons = nullptr;
    ResultMode m_mode = ResultMode::Details;
    int32_t m_foundCount = 0;
    // Shows the collected hits a few times a second while a search runs.
    QTimer m_batchTimer;
};

}  // namespace volcatra
