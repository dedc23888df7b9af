#include "search/ui/SearchWindows.h"

#include <QFileDialog>
#include <QMdiArea>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

#include "app/FSRecApp.h"
#include "app/MainFrame.h"
#include "browsing/CatalogueDocument.h"
#include "browsing/ChildFrame.h"

namespace volcatra {

CFindFrame* CSearchWindows::OpenSearchWindow(CCatalogueDocument* source) {
    CMainFrame* main = m_app.MainFrame();
    if (!main) return nullptr;
    auto document = std::make_unique<CFSFindDoc>(Messages());
    if (!m_kind.InitNewDocument(*document)) return nullptr;
    auto* frame = new CFindFrame(*this, std::move(document));
    m_frames.push_back(frame);
    main->AddChild(frame);
    frame->show();
    main->MdiArea()->setActiveSubWindow(frame);
    frame->SetSearchSource(source);
    main->UpdateTitle();
    return frame;
}

bool CSearchWindows::AllowMainWindowClose(CFindFrame* active) {
    CFindFrame* searching = active && active->SearchState() != SEARCH_IDLE ? active : FindRunningSearchFrame();
    if (!searching) return true;
    searching->SetSearchState(SEARCH_CLOSE_APP);
    return false;
}

void CSearchWindows::CatalogueClosed(const CCatalogueDocument& document) {
    for (CFindFrame* frame : m_frames) frame->SourceClosed(document);
}

IMessageService& CSearchWindows::Messages() {
    return m_app.Messages();
}

std::unique_ptr<QSettings> CSearchWindows::Settings() {
    return OpenSettings();
}

CFindFrame* CSearchWindows::FindRunningSearchFrame() const {
    for (CFindFrame* frame : m_frames)
        if (frame->SearchState() != SEARCH_IDLE) return frame;
    return nullptr;
}

void CSearchWindows::ShowStatusText(const QString& text) {
    if (CMainFrame* main = m_app.MainFrame()) main->statusBar()->showMessage(text);
}

void CSearchWindows::PostCloseMainWindow() {
    if (CMainFrame* main = m_app.MainFrame()) QTimer::singleShot(0, main, &QWidget::close);
}

bool CSearchWindows::SizeInBytes() const {
    return m_app.SizeInBytes();
}

QString CSearchWindows::ChooseFolder(QWidget* owner, const QString& title, const QString& start) {
    if (m_chooser) return m_chooser(start);
    return QFileDialog::getExistingDirectory(owner, title, start,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

std::vector<CCatalogueDocument*> CSearchWindows::CatalogueDocuments() const {
    std::vector<CCatalogueDocument*> documents;
    for (const auto& document : m_app.Documents()) documents.push_back(document.get());
    return documents;
}

CCatalogueDocument* CSearchWindows::OpenCatalogue(const QString& path) {
    return m_app.OpenDocumentFile(path);
}

CChildFrame* CSearchWindows::ActivateCatalogue(CCatalogueDocument& document) {
    CMainFrame* main = m_app.MainFrame();
    if (!main) return nullptr;
    for (CChildFrame* frame : main->CatalogueFrames()) {
        if (&frame->Document() != &document) continue;
        main->MdiArea()->setActiveSubWindow(frame);
        return frame;
    }
    return nullptr;
}

void CSearchWindows::ShowContextMenu(int menu, const QPoint& globalPos) {
    m_app.ShowContextMenu(menu, globalPos);
}

void CSearchWindows::FrameDestroyed(CFindFrame& frame) {
    std::erase(m_frames, &frame);
}

}  // namespace volcatra
