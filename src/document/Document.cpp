#include "document/Document.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "model/FileNameCodec.h"
#include "model/UiText.h"

namespace volcatra {

CDocument::CDocument(IMessageService& messages) : m_messages(messages) {}

void CDocument::SetPathName(const std::string& path) {
    m_pathName = path;
    const size_t slash = path.rfind('/');
    m_title = FileNameToUtf16(slash == std::string::npos ? path : path.substr(slash + 1));
    if (m_addRecentFile) m_addRecentFile(path);
}

void CDocument::AddView(IDocumentView* view) {
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end()) m_views.push_back(view);
}

void CDocument::RemoveView(IDocumentView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CDocument::UpdateAllViews(int hint, CObjectBase* object, IDocumentView* sender) {
    // A copy, so that a view may detach itself while it is updated.
    const std::vector<IDocumentView*> views = m_views;
    for (IDocumentView* view : views)
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(hint, object);
}

bool CDocument::OnNewDocument() {
    DeleteContents();
    m_pathName.clear();
    m_modified = false;
    return true;
}

bool CDocument::DoFileSave() {
    // A file without any write permission counts as read-only even for a
    // user whom the system would let write it.
    struct stat st {};
    const bool usable = !m_pathName.empty() && ::stat(m_pathName.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                        (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(m_pathName.c_str(), W_OK) == 0;
    return usable ? DoSave(m_pathName, true) : DoSave(std::string(), true);
}

bool CDocument::SaveModified() {
    if (!m_modified) return true;
    std::u16string text = Tr(VOLCATRA_TEXT("Document", "%1 への変更を保存しますか?"));
    text.replace(text.find(u"%1"), 2, m_title);
    switch (m_messages.Show(text, MessageButtons::YesNoCancel)) {
        case MessageAnswer::Yes:
            return DoFileSave();
        case MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

void CDocument::OnCloseDocument() {
    m_views.clear();
    DeleteContents();
}

bool CDocumentKind::InitNewDocument(CDocument& document) {
    document.SetTitle(m_untitledBase + std::u16string(FileNameToUtf16(std::to_string(m_untitledCount + 1))));
    if (!document.OnNewDocument()) return false;
    ++m_untitledCount;
    return true;
}

bool CDocumentKind::OpenDocumentFile(CDocument& document, const std::string& path) {
    if (!document.OnOpenDocument(path)) return false;
    document.SetPathName(path);
    document.SetModifiedFlag(false);
    return true;
}

}  // namespace volcatra
