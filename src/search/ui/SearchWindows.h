// The search kind of document: opens search windows (without a source, or
// over an open catalogue), names them "検索1", "検索2", ..., knows which one
// is searching, and carries the main window's close rule for a running
// search. It serves the windows as their host over the application.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "document/Document.h"
#include "search/ui/FindFrame.h"

namespace volcatra {

class CFSRecApp;

class CSearchWindows : public ISearchHost {
public:
    explicit CSearchWindows(CFSRecApp& app) : m_app(app) {}

    // A new search window; with a source it searches that catalogue's
    // volumes. The window, or none when it could not be made.
    CFindFrame* OpenSearchWindow(CCatalogueDocument* source);
    const std::vector<CFindFrame*>& Frames() const { return m_frames; }

    // The main window is asked to close: false when a search runs, which is
    // then told to stop and close the main window once it has stopped.
    bool AllowMainWindowClose(CFindFrame* active);
    // A catalogue document ends: windows searching it forget it.
    void CatalogueClosed(const CCatalogueDocument& document);

    // Replaces the folder chooser (tests).
    void SetFolderChooser(std::function<QString(const QString& start)> chooser) { m_chooser = std::move(chooser); }

    // ISearchHost
    IMessageService& Messages() override;
    std::unique_ptr<QSettings> Settings() override;
    CFindFrame* FindRunningSearchFrame() const override;
    void ShowStatusText(const QString& text) override;
    void PostCloseMainWindow() override;
    bool SizeInBytes() const override;
    QString ChooseFolder(QWidget* owner, const QString& title, const QString& start) override;
    std::vector<CCatalogueDocument*> CatalogueDocuments() const override;
    CCatalogueDocument* OpenCatalogue(const QString& path) override;
    CChildFrame* ActivateCatalogue(CCatalogueDocument& document) override;
    void ShowContextMenu(int menu, const QPoint& globalPos) override;
    void FrameDestroyed(CFindFrame& frame) override;

private:
    CFSRecApp& m_app;
    CDocumentKind m_kind{Tr(kSearchUntitledBase)};
    std::vector<CFindFrame*> m_frames;
    std::function<QString(const QString&)> m_chooser;
};

}  // namespace volcatra
