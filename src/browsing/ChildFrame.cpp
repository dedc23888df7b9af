#include "browsing/ChildFrame.h"

#include <QCloseEvent>
#include <QSplitter>

#include "browsing/CatalogueDocument.h"
#include "browsing/FSListView.h"
#include "browsing/FSTreeView.h"

namespace volcatra {

CChildFrame::CChildFrame(CCatalogueDocument& document, ICatalogueHost& host, CChildFrame* like, int clientWidth)
    : m_document(document), m_host(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);

    int treeWidth = clientWidth / 4;
    if (m_host.TreePaneWidth() > 0) treeWidth = m_host.TreePaneWidth();
    std::array<int, 4> widths = kDefaultColumnWidths;
    const std::array<int, 4> saved = m_host.ColumnWidths();
    for (size_t i = 0; i < 4; ++i)
        if (saved[i] > 0) widths[i] = saved[i];
    if (like && like->m_tree) {
        treeWidth = like->m_tree->frameGeometry().width();
        if (like->m_list && like->m_list->Mode() == ListMode::Details) widths = like->m_list->ColumnWidths();
    }

    m_tree = new CFSTreeView(document, *this);
    m_list = new CFSListView(document, *this, widths);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_list);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({treeWidth, std::max(100, clientWidth - treeWidth)});
    setWidget(m_splitter);
    m_activeView = m_list;
    document.AddView(this);

    // The initial update: both views fill from the document.
    m_tree->OnUpdate(HINT_REBUILD, nullptr);
    m_list->OnUpdate(HINT_REBUILD, nullptr);
    UpdateTitle();
}

CChildFrame::~CChildFrame() {
    m_document.RemoveView(this);
    // The views leave the document before the document may end.
    delete m_splitter;
    m_host.FrameDestroyed(m_document);
}

void CChildFrame::UpdateTitle() {
    QString title = QString::fromStdU16String(m_document.GetTitle());
    if (m_windowNumber > 0) title += QStringLiteral(":%1").arg(m_windowNumber);
    setWindowTitle(title);
}

void CChildFrame::SetWindowNumber(int number) {
    if (m_windowNumber == number) return;
    m_windowNumber = number;
    UpdateTitle();
}

void CChildFrame::OnUpdate(int, CObjectBase*) {
    UpdateTitle();
}

void CChildFrame::ActivateList() {
    m_activeView = m_list;
    m_list->FocusRows();
}

void CChildFrame::ActivateTree() {
    m_activeView = m_tree;
    m_tree->setFocus(Qt::TabFocusReason);
}

void CChildFrame::ShowRecord(const std::u16string& folderPath, const std::u16string& name) {
    if (m_tree->SelectPath(folderPath) < 0) return;
    if (m_list->SelectName(name) < 0) return;
    ActivateList();
}

bool CChildFrame::CommitLabelEdit() {
    const bool tree = m_tree && m_tree->CommitLabelEdit();
    const bool list = m_list && m_list->CommitLabelEdit();
    return tree || list;
}

void CChildFrame::CloseWithoutCheck() {
    m_skipCheck = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!m_skipCheck) {
        CommitLabelEdit();
        // The widths are taken even when the close is then cancelled.
        const int treeWidth = m_tree->width() - 2 * m_tree->frameWidth();
        const std::array<int, 4> columns = m_list->ColumnWidths();
        m_host.RememberWidths(treeWidth, m_list->Mode() == ListMode::Details ? &columns : nullptr);
        if (!m_host.CanCloseFrame(m_document)) {
            event->ignore();
            return;
        }
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) {
        m_closed = true;
        m_host.FrameClosed(m_document, this);
    }
}

bool CChildFrame::OnCommand(uint32_t id) {
    const std::optional<CommandState> state = QueryCommand(id);
    if (!state) return false;
    if (!state->m_enabled) return true;
    switch (id) {
        case ID_VIEW_SMALLICON:
            m_list->SetMode(ListMode::SmallIcon);
            break;
        case ID_VIEW_LARGEICON:
            m_list->SetMode(ListMode::LargeIcon);
            break;
        case ID_VIEW_LIST:
            m_list->SetMode(ListMode::List);
            break;
        case ID_VIEW_DETAILS:
            m_list->SetMode(ListMode::Details);
            break;
        case ID_SORT_NAME:
            m_list->SortBy(SORT_NAME);
            break;
        case ID_SORT_SIZE:
            m_list->SortBy(SORT_SIZE);
            break;
        case ID_SORT_KIND:
            m_list->SortBy(SORT_KIND);
            break;
        case ID_SORT_DATE:
            m_list->SortBy(SORT_DATE);
            break;
        case ID_UP_FOLDER:
            m_tree->SelectParent();
            break;
        case ID_OPTIONS:
            m_host.ShowOptions();
            break;
        case ID_NEXT_PANE:
        case ID_PREV_PANE:
            if (m_activeView == m_list)
                ActivateTree();
            else
                ActivateList();
            break;
        case ID_WINDOW_NEW:
            m_host.NewWindow(m_document);
            break;
        default:
            break;
    }
    return true;
}

std::optional<CommandState> CChildFrame::QueryCommand(uint32_t id) const {
    switch (id) {
        case ID_VIEW_SMALLICON:
            return CommandState{true, m_list->Mode() == ListMode::SmallIcon};
        case ID_VIEW_LARGEICON:
            return CommandState{true, m_list->Mode() == ListMode::LargeIcon};
        case ID_VIEW_LIST:
            return CommandState{true, m_list->Mode() == ListMode::List};
        case ID_VIEW_DETAILS:
            return CommandState{true, m_list->Mode() == ListMode::Details};
        case ID_SORT_NAME:
        case ID_SORT_SIZE:
        case ID_SORT_KIND:
        case ID_SORT_DATE:
        case ID_OPTIONS:
        case ID_NEXT_PANE:
        case ID_PREV_PANE:
        case ID_WINDOW_NEW:
            return CommandState{true, false};
        case ID_UP_FOLDER:
            return CommandState{!m_tree->IsCatalogueSelected(), false};
        default:
            return std::nullopt;
    }
}

}  // namespace volcatra
