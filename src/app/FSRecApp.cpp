#include "app/FSRecApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QTranslator>
#include <unordered_map>

#include "app/AppDialogs.h"
#include "app/MainFrame.h"
#include "app/QtTranslations.h"
#include "app/ShellRegistration.h"
#include "browsing/CatalogueDocument.h"
#include "browsing/FSListView.h"
#include "model/CatalogueStream.h"
#include "model/TextListing.h"
#include "platform/FreedesktopFileManager.h"
#include "platform/ShellTypeNames.h"
#include "platform/UDisks2Media.h"
#include "search/ui/SearchWindows.h"
#include "ui/SysImageList.h"

// The icons are compiled into the library; a static library has to ask for them.
static void InitResources() {
    Q_INIT_RESOURCE(volcatra);
}

namespace volcatra {

namespace {

constexpr UiText kOleFailureText = VOLCATRA_TEXT(
    "Application", "OLE の初期化に失敗しました。OLE ライブラリが正しいバージョンのものか確認してください。");

const char* const kWidthKeys[] = {"Settings/TreePaneWidth", "Settings/NameWidth", "Settings/SizeWidth",
                                  "Settings/KindWidth", "Settings/TimeWidth"};

int ReadInt(const QSettings& settings, const char* key, int fallback) {
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toString().toInt(&ok);
    return ok ? value : fallback;
}

}  // namespace

std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(QStringLiteral("Marovane"), QStringLiteral("Volcatra"));
}

void SetApplicationNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("Marovane"));
    QCoreApplication::setApplicationName(QStringLiteral("Volcatra"));
}

QString PickLastCatalogue(const QStringList& recent) {
    for (const QString& path : recent) {
        if (path.size() < 4) continue;
        const QString tail = path.right(4);
        if (tail.compare(QLatin1String(".fsr"), Qt::CaseInsensitive) == 0 && tail.at(0) == u'.') {
            // Only the ASCII letters count without regard to case.
            bool ascii = true;
            for (QChar c : tail) ascii = ascii && c.unicode() < 0x80;
            if (ascii) return path;
        }
    }
    return recent.isEmpty() ? QString() : recent.front();
}

CFSRecApp::CFSRecApp(AppServices services)
    : m_services(std::move(services)),
      m_translation(ChooseInterfaceLanguage()),
      m_searchWindows(std::make_unique<CSearchWindows>(*this)) {
    InitResources();
    m_translation.Install();
    if (m_services.m_programDirectory.isEmpty()) m_services.m_programDirectory = QCoreApplication::applicationDirPath();
}

CFSRecApp::~CFSRecApp() {
    // The windows go first: the last window of a document ends it.
    m_mainFrame.reset();
    m_documents.clear();
    m_closedDocuments.clear();
}

bool CFSRecApp::InitInstance(const QStringList& arguments) {
    m_exitCode = 1;
    // Step 2: the clipboard and drag-and-drop come with the GUI application.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        Messages().Show(Tr(kOleFailureText), MessageButtons::Ok);
        return false;
    }
    // Steps 3 and 4: Qt's own texts in the program's language, settings,
    // recently used files, version check. Qt's texts are English already.
    const bool japanese = m_translation.Language() == InterfaceLanguage::Japanese;
    if (japanese && !m_qtTranslations) m_qtTranslations = InstallQtTranslations();
    // Type names from the MIME database and Qt's formatted dates and sizes
    // follow the default locale: they speak the language of the program's
    // texts whatever the user's locale is.
    QLocale::setDefault(japanese ? QLocale(QLocale::Japanese, QLocale::Japan)
                                 : QLocale(QLocale::English, QLocale::UnitedStates));
    LoadRecentFiles();
    {
        auto settings = OpenSettings();
        if (settings->value(QStringLiteral("Settings/AppVersion")).toString() != QLatin1String(kAppVersion)) {
            settings->remove(QStringLiteral("Workspace"));
            settings->setValue(QStringLiteral("Settings/AppVersion"), QLatin1String(kAppVersion));
        }
        // Step 6.
        bool ok = false;
        const uint flags = settings->value(QStringLiteral("Settings/AppFlags")).toString().toUInt(&ok);
        m_appFlags = ok ? flags : 0;
    }
    // Step 8: the main window with its saved layout and the widths.
    m_mainFrame = std::make_unique<CMainFrame>(*this);
    m_mainFrame->RestoreWorkspace();
    LoadCustomState();
    // Step 10: the command line.
    QString file;
    bool registerType = false, unregisterType = false;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--register"))
            registerType = true;
        else if (argument == QLatin1String("--unregister"))
            unregisterType = true;
        else if (!argument.startsWith(u'-') && file.isEmpty())
            file = argument;
    }
    // Step 11: the system pictures and the overlay.
    if (!CSysImageList::Instance().Init() ||
        !CSysImageList::Instance().LoadOverlayIcon(m_services.m_programDirectory)) {
        Messages().Show(Tr(kSystemIconFailureText), MessageButtons::Ok, MessageIcon::Stop);
        return false;
    }
    // Step 12.
    const QString last = PickLastCatalogue(m_recentFiles);
    // Step 14: the registration switches end the program.
    if (registerType || unregisterType) {
        const bool done =
            registerType ? RegisterFileType(QCoreApplication::applicationFilePath()) : UnregisterFileType();
        m_exitCode = done ? 0 : 1;
        return false;
    }
    // Steps 15 and 14: the window shows, then a named file opens.
    m_mainFrame->show();
    if (!file.isEmpty()) {
        if (!OpenDocumentFile(file)) return false;
    } else if ((m_appFlags & AF_OPEN_LAST_FILE) && !last.isEmpty()) {
        // Step 16: a failure is reported by the open path only.
        OpenDocumentFile(last);
    }
    m_exitCode = 0;
    return true;
}

void CFSRecApp::LoadCustomState() {
    auto settings = OpenSettings();
    int* const members[] = {&m_treePaneWidth, &m_nameWidth, &m_sizeWidth, &m_kindWidth, &m_timeWidth};
    for (size_t i = 0; i < 5; ++i) *members[i] = ReadInt(*settings, kWidthKeys[i], -1);
}

void CFSRecApp::SaveCustomState() {
    auto settings = OpenSettings();
    const int values[] = {m_treePaneWidth, m_nameWidth, m_sizeWidth, m_kindWidth, m_timeWidth};
    for (size_t i = 0; i < 5; ++i) settings->setValue(QLatin1String(kWidthKeys[i]), values[i]);
}

void CFSRecApp::LoadRecentFiles() {
    auto settings = OpenSettings();
    m_recentFiles.clear();
    for (uint32_t i = 1; i <= kRecentFileCount; ++i) {
        const QString path = settings->value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
        if (!path.isEmpty()) m_recentFiles << path;
    }
}

void CFSRecApp::SaveRecentFiles() const {
    auto settings = OpenSettings();
    settings->remove(QStringLiteral("Recent File List"));
    for (int i = 0; i < m_recentFiles.size(); ++i)
        settings->setValue(QStringLiteral("Recent File List/File%1").arg(i + 1), m_recentFiles[i]);
}

void CFSRecApp::AddRecentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_recentFiles.removeAll(absolute);
    m_recentFiles.prepend(absolute);
    while (m_recentFiles.size() > int(kRecentFileCount)) m_recentFiles.removeLast();
    SaveRecentFiles();
    if (m_mainFrame) m_mainFrame->RebuildMenuBar();
}

void CFSRecApp::OpenRecentFile(int index) {
    if (index < 0 || index >= m_recentFiles.size()) return;
    OpenDocumentFile(m_recentFiles[index]);
}

std::unique_ptr<CCatalogueDocument> CFSRecApp::MakeDocument() {
    CatalogueServices services;
    services.m_messages = m_services.m_messages;
    services.m_clipboard = m_services.m_clipboard;
    services.m_dragService = m_services.m_dragService;
    services.m_saveDialog = m_services.m_saveDialog;
    services.m_longWork = m_services.m_longWork ? m_services.m_longWork : &m_longWork;
    services.m_writeListing = [](const std::vector<CRootEntry*>& roots, int format) {
        static const CMimeTypeNames types;
        CCatalogueStream stream;
        WriteListing(stream, roots, format == SAVE_CSV ? ListingFormat::Csv : ListingFormat::SpaceAligned, types);
        return stream.TakeOutput();
    };
    services.m_addRecentFile = [this](const std::string& path) { AddRecentFile(QFile::decodeName(path.c_str())); };
    if (m_services.m_readIntoNewDocument) {
        services.m_readIntoNewDocument = [this](CFSRecDoc& document) {
            return !m_newRead || m_services.m_readIntoNewDocument(document);
        };
    }
    services.m_readAdditional = m_services.m_readAdditional;
    services.m_openSearchWindow = [this](CFSRecDoc& document) { OpenSearchWindow(&document); };
    return std::make_unique<CCatalogueDocument>(std::move(services));
}

CChildFrame* CFSRecApp::CreateFrame(CCatalogueDocument& document) {
    QMdiArea* area = m_mainFrame->MdiArea();
    auto* frame = new CChildFrame(document, *this, m_mainFrame->ActiveCatalogueFrame(), area->viewport()->width());
    ++m_frameCounts[&document];
    m_mainFrame->AddChild(frame);
    NumberWindows(document);
    frame->show();
    area->setActiveSubWindow(frame);
    m_mainFrame->UpdateTitle();
    return frame;
}

CCatalogueDocument* CFSRecApp::NewDocument() {
    std::unique_ptr<CCatalogueDocument> document = MakeDocument();
    if (!m_catalogueKind.InitNewDocument(*document)) return nullptr;
    CCatalogueDocument* shown = m_documents.emplace_back(std::move(document)).get();
    CreateFrame(*shown);
    return shown;
}

CCatalogueDocument* CFSRecApp::OpenDocumentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::string bytes = QFile::encodeName(absolute).toStdString();
    // A catalogue that is open already gets its window activated.
    for (const auto& document : m_documents) {
        if (document->GetPathName() != bytes) continue;
        for (CChildFrame* frame : m_mainFrame->CatalogueFrames()) {
            if (&frame->Document() == document.get()) {
                m_mainFrame->MdiArea()->setActiveSubWindow(frame);
                break;
            }
        }
        return document.get();
    }
    std::unique_ptr<CCatalogueDocument> document = MakeDocument();
    if (!CDocumentKind::OpenDocumentFile(*document, bytes)) return nullptr;
    CCatalogueDocument* shown = m_documents.emplace_back(std::move(document)).get();
    CreateFrame(*shown);
    return shown;
}

void CFSRecApp::OpenSearchWindow(CFSRecDoc* source) {
    if (m_services.m_openSearchWindow)
        m_services.m_openSearchWindow(source);
    else
        m_searchWindows->OpenSearchWindow(static_cast<CCatalogueDocument*>(source));
}

bool CFSRecApp::CloseDocument(CCatalogueDocument& document) {
    // A catalogue being searched stays open until its search has ended.
    if (document.IsBeingSearched()) return false;
    // A name being typed in place is part of what is offered for saving.
    for (CChildFrame* frame : m_mainFrame->CatalogueFrames())
        if (&frame->Document() == &document) frame->CommitLabelEdit();
    if (!document.SaveModified()) return false;
    for (CChildFrame* frame : m_mainFrame->CatalogueFrames())
        if (&frame->Document() == &document) frame->CloseWithoutCheck();
    return true;
}

bool CFSRecApp::CloseAllDocuments() {
    for (CChildFrame* frame : m_mainFrame->CatalogueFrames()) frame->CommitLabelEdit();
    for (const auto& document : m_documents)
        if (!document->SaveModified()) return false;
    for (CChildFrame* frame : m_mainFrame->CatalogueFrames()) frame->CloseWithoutCheck();
    return true;
}

bool CFSRecApp::CanCloseFrame(CCatalogueDocument& document) {
    int frames = 0;
    for (CChildFrame* frame : m_mainFrame->CatalogueFrames()) frames += &frame->Document() == &document;
    if (frames > 1) return true;
    // A catalogue being searched stays open until its search has ended.
    return !document.IsBeingSearched() && document.SaveModified();
}

void CFSRecApp::NumberWindows(const CCatalogueDocument& document) {
    std::vector<CChildFrame*> frames;
    for (CChildFrame* frame : m_mainFrame->CatalogueFrames())
        if (&frame->Document() == &document) frames.push_back(frame);
    for (size_t i = 0; i < frames.size(); ++i) frames[i]->SetWindowNumber(frames.size() > 1 ? int(i + 1) : 0);
}

void CFSRecApp::FrameClosed(CCatalogueDocument& document, const CChildFrame* closing) {
    for (CChildFrame* frame : m_mainFrame->CatalogueFrames()) {
        if (frame != closing && &frame->Document() == &document) {
            NumberWindows(document);
            return;
        }
    }
    // The document ends with its last window.
    document.OnCloseDocument();
    m_searchWindows->CatalogueClosed(document);
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
        if (it->get() != &document) continue;
        m_closedDocuments.push_back(std::move(*it));
        m_documents.erase(it);
        break;
    }
    m_mainFrame->UpdateTitle();
}

void CFSRecApp::FrameDestroyed(CCatalogueDocument& document) {
    if (--m_frameCounts[&document] > 0) return;
    m_frameCounts.erase(&document);
    for (auto* list : {&m_closedDocuments, &m_documents}) {
        for (auto it = list->begin(); it != list->end(); ++it) {
            if (it->get() != &document) continue;
            list->erase(it);
            return;
        }
    }
}

IVolumeQuery& CFSRecApp::VolumeQuery() {
    if (m_services.m_volumes) return *m_services.m_volumes;
    if (!m_systemVolumes) m_systemVolumes = std::make_unique<CSystemVolumeQuery>();
    return *m_systemVolumes;
}

IFileManager& CFSRecApp::FileManager() {
    if (m_services.m_fileManager) return *m_services.m_fileManager;
    if (!m_systemFileManager)
        m_systemFileManager =
            std::make_unique<CFreedesktopFileManager>([](const QUrl& folder) { QDesktopServices::openUrl(folder); });
    return *m_systemFileManager;
}

namespace {

// Mounting waits for the service (and perhaps the user's password) with
// this thread's events going on: the main window stays disabled meanwhile,
// so that no command starts while the mount waits.
class CWindowDisabledMount : public IRemovableMedia {
public:
    CWindowDisabledMount(IRemovableMedia& media, std::function<QWidget*()> window)
        : m_media(media), m_window(std::move(window)) {}
    std::vector<UnmountedMedium> ListUnmountedMedia() override { return m_media.ListUnmountedMedia(); }
    FileSystemId Identify(const std::string& device) override { return m_media.Identify(device); }
    bool Mount(const std::string& device) override {
        QPointer<QWidget> window = m_window();
        const bool disable = window && window->isEnabled();
        if (disable) window->setEnabled(false);
        const bool mounted = m_media.Mount(device);
        if (disable && window) window->setEnabled(true);
        return mounted;
    }

private:
    IRemovableMedia& m_media;
    std::function<QWidget*()> m_window;
};

}  // namespace

IRemovableMedia* CFSRecApp::RemovableMedia() {
    if (!m_mediaAsked) {
        m_mediaAsked = true;
        IRemovableMedia* media = m_services.m_removableMedia;
        if (!media) {
            auto udisks = std::make_unique<CUDisks2Media>();
            if (udisks->Available()) {
                m_systemMedia = std::move(udisks);
                media = m_systemMedia.get();
            }
        }
        if (media)
            m_windowMedia =
                std::make_unique<CWindowDisabledMount>(*media, [this]() -> QWidget* { return m_mainFrame.get(); });
    }
    return m_windowMedia.get();
}

void CFSRecApp::RememberWidths(int treePane, const std::array<int, 4>* columns) {
    m_treePaneWidth = treePane;
    if (columns) {
        m_nameWidth = (*columns)[0];
        m_sizeWidth = (*columns)[1];
        m_kindWidth = (*columns)[2];
        m_timeWidth = (*columns)[3];
    }
}

void CFSRecApp::RefreshCatalogueWindows() {
    for (const auto& document : m_documents) document->UpdateAllViews(HINT_REBUILD);
}

void CFSRecApp::StoreAppFlags(uint32_t flags) {
    const uint32_t old = m_appFlags;
    m_appFlags = flags;
    OpenSettings()->setValue(QStringLiteral("Settings/AppFlags"), uint(flags));
    if ((old ^ flags) & AF_SIZE_IN_BYTES) RefreshCatalogueWindows();
}

int CFSRecApp::RunDialog(QDialog& dialog) {
    return m_services.m_runDialog ? m_services.m_runDialog(dialog) : dialog.exec();
}

void CFSRecApp::ShowOptions() {
    COptionsSheet sheet(*this, m_mainFrame.get());
    RunDialog(sheet);
}

void CFSRecApp::ShowAbout() {
    CAboutDlg about(m_mainFrame.get());
    RunDialog(about);
}

void CFSRecApp::ShowContextMenu(int menu, const QPoint& globalPos) {
    std::unique_ptr<QMenu> popup(m_mainFrame->CreatePopupMenu(menu, m_mainFrame.get()));
    popup->exec(globalPos);
}

void CFSRecApp::SetClipboardText(const std::u16string& text) {
    if (m_services.m_clipboard) m_services.m_clipboard->SetText(text);
}

void CFSRecApp::NewWindow(CCatalogueDocument& document) {
    CreateFrame(document);
}

bool CFSRecApp::OnCommand(uint32_t id) {
    const std::optional<CommandState> state = QueryCommand(id);
    if (!state) return false;
    if (!state->m_enabled) return true;
    switch (id) {
        case ID_APP_ABOUT:
            ShowAbout();
            break;
        case ID_FILE_NEW:
            NewDocument();
            break;
        case ID_FILE_OPEN: {
            const QString path = m_services.m_chooseOpenFile ? m_services.m_chooseOpenFile() : QString();
            if (!path.isEmpty()) OpenDocumentFile(path);
            break;
        }
        case ID_READ_NEW:
            m_newRead = true;
            NewDocument();
            m_newRead = false;
            break;
        case ID_FIND_FILES:
            OpenSearchWindow(nullptr);
            break;
        case ID_FILE_CLOSE:
            if (CChildFrame* frame = m_mainFrame->ActiveCatalogueFrame()) CloseDocument(frame->Document());
            break;
        case ID_APP_EXIT:
            m_mainFrame->close();
            break;
        default:
            if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount)
                OpenRecentFile(int(id - ID_FILE_MRU_FILE1));
            break;
    }
    return true;
}

std::optional<CommandState> CFSRecApp::QueryCommand(uint32_t id) const {
    switch (id) {
        case ID_APP_ABOUT:
        case ID_FILE_NEW:
        case ID_FILE_OPEN:
        case ID_APP_EXIT:
            return CommandState{true, false};
        case ID_READ_NEW:
            return CommandState{bool(m_services.m_readIntoNewDocument), false};
        case ID_FIND_FILES:
            return CommandState{true, false};
        case ID_FILE_CLOSE: {
            const CChildFrame* frame = m_mainFrame ? m_mainFrame->ActiveCatalogueFrame() : nullptr;
            return CommandState{frame && !frame->Document().IsBeingSearched(), false};
        }
        default:
            if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount)
                return CommandState{int(id - ID_FILE_MRU_FILE1) < m_recentFiles.size(), false};
            return std::nullopt;
    }
}

}  // namespace volcatra
