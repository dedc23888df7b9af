// The application object: start-up, the settings it keeps while the program
// runs, the open catalogues and the commands that belong to no window.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "browsing/ChildFrame.h"
#include "browsing/LocateRealFile.h"
#include "document/Document.h"
#include "document/FileSaveDialog.h"
#include "document/VolumeClipboard.h"
#include "model/UiText.h"
#include "platform/InterfaceLanguage.h"
#include "platform/MessageService.h"
#include "ui/Commands.h"
#include "ui/LongWorkRunner.h"

class QDialog;
class QSettings;
class QTranslator;

namespace volcatra {

class CCatalogueDocument;
class CFSRecDoc;
class CMainFrame;
class CSearchWindows;

// Option bits of m_appFlags.
inline constexpr uint32_t AF_ADD_EXTENSION = 0x1;
inline constexpr uint32_t AF_OPEN_LAST_FILE = 0x10;
inline constexpr uint32_t AF_SIZE_IN_BYTES = 0x10000;

inline constexpr char kAppVersion[] = "3.20.160";
inline constexpr UiText kMainTitle = VOLCATRA_TEXT("Application", "ボルカトラ");

// The settings store of the program.
std::unique_ptr<QSettings> OpenSettings();

// Gives Qt the names the settings are filed under. No display name is set:
// Qt would append one to every window title and message-box caption, which
// carry exactly the texts the program gives them.
void SetApplicationNames();

// The last catalogue of a recently used list (most recent first): the first
// name ending in ".fsr" (ASCII case ignored), else the most recent entry,
// else empty.
QString PickLastCatalogue(const QStringList& recent);

// What the application needs from outside; tests replace the dialogs.
struct AppServices {
    IMessageService* m_messages = nullptr;  // required
    ISaveDialogHost* m_saveDialog = nullptr;
    IClipboard* m_clipboard = nullptr;
    // Runs the drags of volumes; unset: volumes cannot be dragged.
    IDragService* m_dragService = nullptr;
    // Runs the writing and reading of catalogue files; unset: a worker
    // thread with the wait cursor and a progress dialog.
    ILongWorkRunner* m_longWork = nullptr;
    // The open-file dialog: the chosen file, or empty.
    std::function<QString()> m_chooseOpenFile;
    // Runs a modal dialog (the options sheet, the about box, the window
    // list); QDialog::exec when unset.
    std::function<int(QDialog&)> m_runDialog;
    // The folder that holds "Through.ico".
    QString m_programDirectory;
    // The read into a catalogue created by the new-read command and the
    // additional read; unset: those commands are off. The search window:
    // unset, the program's own.
    std::function<bool(CFSRecDoc&)> m_readIntoNewDocument;
    std::function<void(CFSRecDoc&)> m_readAdditional;
    std::function<void(CFSRecDoc*)> m_openSearchWindow;
    // The mounted volumes and the file manager that locating real files
    // uses; unset: this machine's mount table and the desktop's file manager.
    IVolumeQuery* m_volumes = nullptr;
    IFileManager* m_fileManager = nullptr;
    // Mounting media for it; unset: UDisks2 when the service answers.
    IRemovableMedia* m_removableMedia = nullptr;
};

class CFSRecApp : public QObject, public ICommandTarget, public ICatalogueHost {
    Q_OBJECT
public:
    explicit CFSRecApp(AppServices services);
    ~CFSRecApp() override;

    // Settings members.
    int m_treePaneWidth = -1;
    int m_nameWidth = -1;
    int m_sizeWidth = -1;
    int m_kindWidth = -1;
    int m_timeWidth = -1;
    uint32_t m_appFlags = 0;
    bool m_newRead = false;

    // The start-up sequence with the command-line arguments (without the
    // program name). False ends the program with ExitCode().
    bool InitInstance(const QStringList& arguments);
    int ExitCode() const { return m_exitCode; }
    // The end: every window is gone; writes the widths.
    void SaveCustomState();
    void LoadCustomState();

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    CSearchWindows& SearchWindows() const { return *m_searchWindows; }
    // A new search window, over a catalogue's volumes or (none) over files.
    void OpenSearchWindow(CFSRecDoc* source);
    IMessageService& Messages() const { return *m_services.m_messages; }
    const std::vector<std::unique_ptr<CCatalogueDocument>>& Documents() const { return m_documents; }

    // New and open: the document with its window, or none.
    CCatalogueDocument* NewDocument();
    CCatalogueDocument* OpenDocumentFile(const QString& path);
    // Closes a document's windows without the width check (after asking to
    // save it); false when the user cancelled.
    bool CloseDocument(CCatalogueDocument& document);
    // Asks to save every modified document, then closes them all; false when
    // the user cancelled.
    bool CloseAllDocuments();

    QStringList RecentFiles() const { return m_recentFiles; }
    void AddRecentFile(const QString& path);
    void OpenRecentFile(int index);

    // Every catalogue window shows the volume list again.
    void RefreshCatalogueWindows();
    // Stores new option bits: writes "AppFlags" and refreshes the windows
    // when the size unit changed.
    void StoreAppFlags(uint32_t flags);
    void ShowOptions() override;
    void ShowAbout();
    int RunDialog(QDialog& dialog) override;

    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;

    // ICatalogueHost
    bool SizeInBytes() const override { return (m_appFlags & AF_SIZE_IN_BYTES) != 0; }
    int TreePaneWidth() const override { return m_treePaneWidth; }
    std::array<int, 4> ColumnWidths() const override { return {m_nameWidth, m_sizeWidth, m_kindWidth, m_timeWidth}; }
    void RememberWidths(int treePane, const std::array<int, 4>* columns) override;
    void ShowContextMenu(int menu, const QPoint& globalPos) override;
    void SetClipboardText(const std::u16string& text) override;
    void NewWindow(CCatalogueDocument& document) override;
    bool CanCloseFrame(CCatalogueDocument& document) override;
    void FrameClosed(CCatalogueDocument& document, const CChildFrame* frame) override;
    void FrameDestroyed(CCatalogueDocument& document) override;
    IVolumeQuery& VolumeQuery() override;
    IFileManager& FileManager() override;
    IRemovableMedia* RemovableMedia() override;

private:
    std::unique_ptr<CCatalogueDocument> MakeDocument();
    CChildFrame* CreateFrame(CCatalogueDocument& document);
    // Numbers the windows of a document ":1", ":2", … when it has more than one.
    void NumberWindows(const CCatalogueDocument& document);
    void LoadRecentFiles();
    void SaveRecentFiles() const;

    AppServices m_services;
    // The language of the texts, chosen from the environment before any
    // window or document takes its texts.
    CInterfaceTranslation m_translation;
    std::unique_ptr<QTranslator> m_qtTranslations;
    CQtLongWorkRunner m_longWork;
    CDocumentKind m_catalogueKind{u"Medium"};
    std::unique_ptr<CSearchWindows> m_searchWindows;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::vector<std::unique_ptr<CCatalogueDocument>> m_documents;
    // Closed documents whose windows are not yet destroyed.
    std::vector<std::unique_ptr<CCatalogueDocument>> m_closedDocuments;
    std::unordered_map<const CCatalogueDocument*, int> m_frameCounts;
    QStringList m_recentFiles;
    int m_exitCode = 0;
    std::unique_ptr<IVolumeQuery> m_systemVolumes;
    std::unique_ptr<IFileManager> m_systemFileManager;
    std::unique_ptr<IRemovableMedia> m_systemMedia;
    std::unique_ptr<IRemovableMedia> m_windowMedia;
    bool m_mediaAsked = false;
};

}  // namespace volcatra
