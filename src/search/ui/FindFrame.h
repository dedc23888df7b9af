// The search window: a document window with the conditions bar at its top
// (name, place, include subfolders, start, stop, new condition) and the
// result list below. It owns the run state the search engine obeys and
// keeps the recent names and places in the settings.
#pragma once

#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QSize>
#include <memory>
#include <vector>

#include "document/Document.h"
#include "model/UiText.h"
#include "search/SearchEngine.h"
#include "ui/Commands.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSettings;

namespace volcatra {

class CCatalogueDocument;
class CChildFrame;
class CFindFrame;
class CFSFindView;

// Commands of the search window.
inline constexpr uint32_t ID_SEARCH_START = 32797;
inline constexpr uint32_t ID_SEARCH_STOP = 32798;
inline constexpr uint32_t ID_SEARCH_NEW = 32799;
inline constexpr uint32_t ID_SEARCH_BROWSE = 32800;
inline constexpr uint32_t ID_SEARCH_CLOSE = 32804;
inline constexpr uint32_t ID_SEARCH_SUBFOLDERS = 32805;

// Controls of the conditions bar.
inline constexpr int IDC_NAME_BOX = 32801;
inline constexpr int IDC_PLACE_BOX = 32802;
inline constexpr int IDC_SUBFOLDERS = 32803;

inline constexpr UiText kOtherSearchRunningText = VOLCATRA_TEXT("Search", "別のウィンドウで検索を実行中です。");
inline constexpr UiText kFolderChooserTitle = VOLCATRA_TEXT("Search", "メディア構成ファイルを検索するフォルダ");
inline constexpr UiText kSearchUntitledBase = VOLCATRA_TEXT("Search", "検索");
// The number of names and places kept in the settings.
inline constexpr int kFindHistoryCount = 10;

// What search windows need from the application.
class ISearchHost {
public:
    virtual ~ISearchHost() = default;
    virtual IMessageService& Messages() = 0;
    virtual std::unique_ptr<QSettings> Settings() = 0;
    // The first search window whose run state is not idle, or none.
    virtual CFindFrame* FindRunningSearchFrame() const = 0;
    // The first pane of the main window's status bar.
    virtual void ShowStatusText(const QString& text) = 0;
    // Posts a close request to the main window.
    virtual void PostCloseMainWindow() = 0;
    virtual bool SizeInBytes() const = 0;
    // The folder chooser: the chosen folder, or empty.
    virtual QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) = 0;
    // The open catalogue documents in the framework's order.
    virtual std::vector<CCatalogueDocument*> CatalogueDocuments() const = 0;
    // Opens a catalogue file as a new document with its window; none on failure.
    virtual CCatalogueDocument* OpenCatalogue(const QString& path) = 0;
    // The window of the document's first view, made the active window; none.
    virtual CChildFrame* ActivateCatalogue(CCatalogueDocument& document) = 0;
    // A context menu whose commands go through the command chain.
    virtual void ShowContextMenu(int menu, const QPoint& globalPos) = 0;
    // The window is being destroyed.
    virtual void FrameDestroyed(CFindFrame& frame) = 0;
};

// The search document: holds nothing, is never saved or modified.
class CFSFindDoc : public CDocument, public ICommandTarget {
public:
    explicit CFSFindDoc(IMessageService& messages) : CDocument(messages) {}
    bool OnOpenDocument(const std::string&) override { return false; }
    bool OnSaveDocument(const std::string&) override { return false; }
    void DeleteContents() override {}
    bool DoSave(const std::string&, bool) override { return false; }

    // Whether the window may close now: a search still working in it turns
    // the request into "stop, then close" and refuses.
    bool CanCloseFrame(CFindFrame& frame);

    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;
};

// The conditions bar, laid out in dialog units of its font.
class CConditionBar : public QWidget {
    Q_OBJECT
public:
    explicit CConditionBar(CFindFrame& frame);

    QComboBox* NameBox() const { return m_name; }
    QComboBox* PlaceBox() const { return m_place; }
    QCheckBox* SubfoldersBox() const { return m_subfolders; }
    QPushButton* Button(uint32_t id) const;
    QSize DesignSize() const { return m_barSize; }
    QSize PlaceBoxDesignSize() const { return m_placeBoxSize; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ComputeBaseUnits();
    QRect DialogRect(int x, int y, int w, int h) const;

    CFindFrame& m_frame;
    QComboBox* m_name = nullptr;
    QComboBox* m_place = nullptr;
    QCheckBox* m_subfolders = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_browse = nullptr;
    double m_baseX = 1;  // pixels per four dialog units across
    int m_baseY = 1;     // pixels per eight dialog units down
    QSize m_barSize;
    QSize m_placeBoxSize;
};

class CFindFrame : public QMdiSubWindow, public ICommandTarget, public ISearchWindow {
    Q_OBJECT
public:
    CFindFrame(ISearchHost& host, std::unique_ptr<CFSFindDoc> document);
    ~CFindFrame() override;

    ISearchHost& Host() const { return m_host; }
    CFSFindDoc& Document() const { return *m_document; }
    CFSFindView* View() const { return m_view; }
    CConditionBar* Bar() const { return m_conditionBar; }

    // The catalogue searched instead of files (none: catalogue files of a folder).
    void SetSearchSource(CCatalogueDocument* source);
    CCatalogueDocument* SearchSource() const { return m_sourceDoc; }
    bool HasSearchSource() const { return m_hasSource; }
    // The source catalogue was closed; the window keeps its rows.
    void SourceClosed(const CCatalogueDocument& document);

    int32_t SearchState() const { return m_searchState; }
    void SetSearchState(int32_t state) { m_searchState = state; }

    // Runs a command without asking its state first: the bar's buttons
    // send their commands this way, as a dialog's buttons do.
    void RunCommand(uint32_t id);
    // Enables and ticks the bar's controls by the commands' states.
    void UpdateBar();

    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;

    // ISearchWindow
    int32_t GetSearchState() const override { return m_searchState; }
    void ShowStatusText(const std::u16string& text) override;
    void PumpSearchMessages() override;
    const RootList* GetSourceCatalogue() const override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void StartSearch();
    void Browse();
    void LoadHistory(QComboBox* box, const char* valueName);
    void RecordHistory(QComboBox* box, const char* valueName);

    ISearchHost& m_host;
    std::unique_ptr<CFSFindDoc> m_document;
    CConditionBar* m_conditionBar = nullptr;
    CFSFindView* m_view = nullptr;
    CCatalogueDocument* m_sourceDoc = nullptr;
    bool m_hasSource = false;
    int32_t m_searchState = SEARCH_IDLE;
    QElapsedTimer m_sincePump;
};

}  // namespace volcatra
