// The catalogue document's one-step edit history, the volume clipboard and
// the volume commands of its views.
//
// Ownership: every root is owned by exactly one of m_roots, the owned slot
// of the undo step (kind removed) or of the redo step (kind added),
// m_pendingRoot, or a read in progress. The steps' plain root pointers are
// only followed after the root was found where the step expects it.
#include <new>

#include "document/FSRecDoc.h"

namespace volcatra {

namespace {

constexpr UiText kUntitledFile = VOLCATRA_TEXT("Document", "無題のファイル");

// Clears the drag-source flag however the drag loop ends.
class CDragSourceFlag {
public:
    explicit CDragSourceFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CDragSourceFlag() { m_flag = false; }
    CDragSourceFlag(const CDragSourceFlag&) = delete;
    CDragSourceFlag& operator=(const CDragSourceFlag&) = delete;

private:
    bool& m_flag;
};

}  // namespace

std::u16string PasteFailureText(const CatalogueError& error) {
    std::u16string text = Tr(VOLCATRA_TEXT("Document", "%1 へのアクセス中に不明なエラーが発生しました。"));
    if (error.Kind() == CatalogueFailure::Format) {
        switch (error.FormatCause()) {
            case FormatErrorCause::EndOfData:
                text = Tr(VOLCATRA_TEXT("Document", "%1 の末尾以降にアクセスしようとしました。"));
                break;
            case FormatErrorCause::UnexpectedClass:
                text = Tr(VOLCATRA_TEXT("Document", "%1 は予期しないオブジェクトを含んでいます。"));
                break;
            case FormatErrorCause::BadSchema:
                text = Tr(VOLCATRA_TEXT("Document", "%1 は不正なスキーマを含んでいます。"));
                break;
            case FormatErrorCause::BadFormat:
                text = Tr(VOLCATRA_TEXT("Document", "%1 の形式が正しくありません。"));
                break;
        }
    }
    text.replace(text.find(u"%1"), 2, Tr(kUntitledFile));
    return text;
}

// --- History -------------------------------------------------------------------

void CFSRecDoc::SetUndoStep(int kind, CRootEntry* root, std::unique_ptr<CRootEntry> owned) {
    m_redo = HistoryStep{};
    m_undo.m_kind = kind;
    m_undo.m_root = root;
    m_undo.m_owned = std::move(owned);
}

void CFSRecDoc::ClearHistory() {
    m_undo = HistoryStep{};
    m_redo = HistoryStep{};
    m_pendingRoot.reset();
}

void CFSRecDoc::Undo() {
    if (m_beingSearched) return;
    CRootEntry* root = m_undo.m_root;
    if (!root) return;
    switch (m_undo.m_kind) {
        case HISTORY_REMOVED:
            if (m_undo.m_owned.get() != root) return;
            m_roots.reserve(m_roots.size() + 1);
            AppendRoot(std::move(m_undo.m_owned));
            break;
        case HISTORY_ADDED: {
            std::unique_ptr<CRootEntry> taken = RemoveRoot(root);
            if (!taken) return;
            m_undo.m_owned = std::move(taken);
            break;
        }
        case HISTORY_RENAMED:
            if (FindRoot(root) < 0) return;
            m_redo.m_text = root->m_name;
            root->m_name = m_undo.m_text;
            break;
        default:
            return;
    }
    m_redo.m_kind = m_undo.m_kind;
    m_redo.m_root = root;
    m_redo.m_owned = std::move(m_undo.m_owned);
    m_undo = HistoryStep{};
    SetModifiedFlag();
    UpdateAllViews(HINT_REBUILD);
}

void CFSRecDoc::Redo() {
    if (m_beingSearched) return;
    CRootEntry* root = m_redo.m_root;
    if (!root) return;
    switch (m_redo.m_kind) {
        case HISTORY_REMOVED: {
            std::unique_ptr<CRootEntry> taken = RemoveRoot(root);
            if (!taken) return;
            m_redo.m_owned = std::move(taken);
            break;
        }
        case HISTORY_ADDED:
            if (m_redo.m_owned.get() != root) return;
            m_roots.reserve(m_roots.size() + 1);
            AppendRoot(std::move(m_redo.m_owned));
            break;
        case HISTORY_RENAMED:
            if (FindRoot(root) < 0) return;
            m_undo.m_text = root->m_name;
            root->m_name = m_redo.m_text;
            break;
        default:
            return;
    }
    m_undo.m_kind = m_redo.m_kind;
    m_undo.m_root = root;
    m_undo.m_owned = std::move(m_redo.m_owned);
    m_redo = HistoryStep{};
    SetModifiedFlag();
    UpdateAllViews(HINT_REBUILD);
}

void CFSRecDoc::RemoveWithUndo(const CRootEntry* root) {
    if (m_beingSearched) return;
    std::unique_ptr<CRootEntry> taken = RemoveRoot(root);
    if (!taken) return;
    CRootEntry* removed = taken.get();
    SetUndoStep(HISTORY_REMOVED, removed, std::move(taken));
    SetModifiedFlag();
    UpdateAllViews(HINT_REBUILD);
}

bool CFSRecDoc::CommitPending() {
    if (!m_pendingRoot) return false;
    m_roots.reserve(m_roots.size() + 1);
    CRootEntry* root = m_pendingRoot.get();
    m_roots.push_back(std::move(m_pendingRoot));
    SetModifiedFlag();
    SetUndoStep(HISTORY_ADDED, root);
    Attach(*root, m_roots.size() - 1);
    UpdateAllViews(HINT_REBUILD);
    return true;
}

void CFSRecDoc::RenameRoot(CRootEntry& root, const std::u16string& name) {
    if (m_beingSearched) return;
    std::u16string previous = root.m_name.str();
    SetUndoStep(HISTORY_RENAMED, &root);
    m_undo.m_text = std::move(previous);
    root.m_name = name;
    SetModifiedFlag();
    UpdateAllViews(HINT_RELABEL, &root);
}

// --- Volume clipboard --------------------------------------------------------------

uint32_t CFSRecDoc::CopyRootToClipboard(CRootEntry& root, uint32_t allowedEffects, bool* failed) {
    auto fail = [&] {
        if (failed) *failed = true;
        return DROPEFFECT_NONE;
    };
    std::vector<uint8_t> payload;
    try {
        payload = WriteVolumePayload(root);
    } catch (const CatalogueError&) {
        return fail();
    } catch (const std::bad_alloc&) {
        return fail();
    }
    if (allowedEffects == DROPEFFECT_NONE) {
        if (!m_services.m_clipboard || !m_services.m_clipboard->SetVolumeData(std::move(payload))) return fail();
        return DROPEFFECT_NONE;
    }
    if (!m_services.m_dragService) return fail();
    const CVolumeData data(std::move(payload));
    CDragSourceFlag dragging(m_isDragSource);
    return m_services.m_dragService->DoDragDrop(data, allowedEffects);
}

bool CFSRecDoc::ReadPendingFromData(const IDataSource& data, bool reportFailure) {
    std::optional<std::vector<uint8_t>> bytes = data.GetVolumeData();
    if (!bytes) return false;
    m_pendingRoot.reset();
    try {
        m_pendingRoot = ReadVolumePayload(*bytes);
        return true;
    } catch (const CatalogueError& e) {
        m_pendingRoot.reset();
        if (reportFailure) Messages().Show(PasteFailureText(e), MessageButtons::Ok, MessageIcon::Stop);
    } catch (const std::bad_alloc&) {
        m_pendingRoot.reset();
        if (reportFailure)
            Messages().Show(PasteFailureText(CatalogueError::General("out of memory")), MessageButtons::Ok,
                            MessageIcon::Stop);
    }
    return false;
}

bool CFSRecDoc::CopyTextToClipboard(const std::u16string* prefix, const CFileEntry& entry) {
    if (!m_services.m_clipboard) return false;
    std::u16string text;
    if (prefix) {
        text = *prefix;
        if (text.empty() || text.back() != u'\\') text += u'\\';
    }
    text += entry.GetDisplayName();
    return m_services.m_clipboard->SetText(text);
}

// --- The views' volume commands --------------------------------------------------

bool CFSRecDoc::CopyRoot(CRootEntry& root) {
    bool failed = false;
    CopyRootToClipboard(root, DROPEFFECT_NONE, &failed);
    return !failed;
}

bool CFSRecDoc::CutRoot(CRootEntry& root) {
    if (m_beingSearched) return false;
    ClearHistory();
    // A volume that did not reach the clipboard stays where it is.
    if (!CopyRoot(root)) return false;
    RemoveWithUndo(&root);
    return true;
}

bool CFSRecDoc::CanPaste() const {
    return m_services.m_clipboard && m_services.m_clipboard->HasVolumeData();
}

bool CFSRecDoc::Paste() {
    if (m_beingSearched) return false;
    ClearHistory();
    if (!m_services.m_clipboard) return false;
    if (!ReadPendingFromData(*m_services.m_clipboard, true)) return false;
    return CommitPending();
}

uint32_t CFSRecDoc::DragRoot(CRootEntry& root) {
    if (m_beingSearched) return DROPEFFECT_NONE;
    ClearHistory();
    const uint32_t effect = CopyRootToClipboard(root, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    if (m_pendingRoot) {
        // Dropped into this same catalogue: a copy is added, a move changes
        // nothing.
        if (effect == DROPEFFECT_COPY) CommitPending();
    } else if (effect == DROPEFFECT_MOVE) {
        RemoveWithUndo(&root);
    }
    return effect;
}

uint32_t CFSRecDoc::ProposedDropEffect(const IDataSource& data, bool controlKey) {
    if (!data.HasVolumeData()) return DROPEFFECT_NONE;
    return controlKey ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

bool CFSRecDoc::DropVolume(const IDataSource& data) {
    if (m_beingSearched) return false;
    ClearHistory();
    if (!ReadPendingFromData(data, false)) return false;
    // A drag that started in this catalogue decides itself what to do with
    // the pending root.
    if (m_isDragSource) return true;
    return CommitPending();
}

bool CFSRecDoc::EndLabelEdit(CRootEntry& root, const std::u16string& text) {
    if (m_beingSearched) return false;
    ClearHistory();
    RenameRoot(root, text);
    return !text.empty();
}

}  // namespace volcatra
