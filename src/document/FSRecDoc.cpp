// The catalogue document: contents, opening and saving, pictures, matching a
// read medium, and the document's side of reading a volume.
#include "document/FSRecDoc.h"

#include <new>

#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

// Pictures that are only counted, for documents shown by no window.
class CCountingPictures : public IPictureList {
public:
    bool Create() override {
        m_count = 0;
        return true;
    }
    int AddFixedPicture(FixedPicture) override { return m_count++; }
    int AddPicturePair(const CIconPair&) override { return m_count++; }
    size_t SystemImageCount() const override { return 0; }

private:
    int m_count = 0;
};

// Stands in when no message service was given: every box is answered with
// its cancelling button.
class CSilentMessages : public IMessageService {
public:
    MessageAnswer Show(const std::u16string&, MessageButtons buttons, MessageIcon) override {
        switch (buttons) {
            case MessageButtons::Ok:
                return MessageAnswer::Ok;
            case MessageButtons::YesNo:
                return MessageAnswer::No;
            default:
                return MessageAnswer::Cancel;
        }
    }
};

IMessageService& MessagesOf(const CatalogueServices& services) {
    static CSilentMessages silent;
    return services.m_messages ? *services.m_messages : silent;
}

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

}  // namespace

bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

std::u16string ReadFolderPart(const std::string& chosenPath, const std::string& mountPoint) {
    std::string below = chosenPath;
    if (chosenPath.compare(0, mountPoint.size(), mountPoint) == 0 &&
        (chosenPath.size() == mountPoint.size() || chosenPath[mountPoint.size()] == '/' ||
         (!mountPoint.empty() && mountPoint.back() == '/')))
        below = chosenPath.substr(mountPoint.size());
    std::u16string part;
    size_t at = 0;
    while (at < below.size()) {
        size_t end = below.find('/', at);
        if (end == std::string::npos) end = below.size();
        if (end > at) part += u'\\' + FileNameToUtf16(std::string_view(below).substr(at, end - at));
        at = end + 1;
    }
    return part.empty() ? std::u16string(u"\\") : part;
}

CFSRecDoc::CFSRecDoc(const CatalogueServices& services) : CDocument(MessagesOf(services)), m_services(services) {
    if (m_services.m_makePictures) m_pictures = m_services.m_makePictures();
    if (!m_pictures) m_pictures = std::make_unique<CCountingPictures>();
    SetRecentFileHandler(m_services.m_addRecentFile);
}

CFSRecDoc::~CFSRecDoc() {
    DeleteContents();
}

int CFSRecDoc::FindRoot(const CRootEntry* root) const {
    for (size_t i = 0; i < m_roots.size(); ++i)
        if (m_roots[i].get() == root) return int(i);
    return -1;
}

// --- Document operations -----------------------------------------------------

bool CFSRecDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return false;
    m_fileName.clear();
    if (!PreparePictures()) return false;
    if (m_services.m_readIntoNewDocument && !m_services.m_readIntoNewDocument(*this)) return false;
    return true;
}

bool CFSRecDoc::OnOpenDocument(const std::string& path) {
    // The file is read completely before the contents are replaced.
    RootList loaded;
    try {
        RunLongWork(kOpeningText, path, false,
                    [&loaded, &path]() { loaded = LoadCatalogueFile(path, HeaderAcceptance::Document); });
    } catch (const CatalogueError& e) {
        ReportFailure(e, false);
        return false;
    } catch (const std::bad_alloc&) {
        ReportFailure(CatalogueError::General("out of memory"), false);
        return false;
    }
    DeleteContents();
    m_roots = std::move(loaded);
    SetModifiedFlag(false);
    if (!PreparePictures()) return false;
    const size_t slash = path.rfind('/');
    m_fileName = FileNameToUtf16(slash == std::string::npos ? path : path.substr(slash + 1));
    return true;
}

std::vector<uint8_t> CFSRecDoc::Serialize() {
    if (m_saveFormat == SAVE_CSV || m_saveFormat == SAVE_PRN) {
        if (!m_services.m_writeListing) throw CatalogueError::General("no listing writer");
        std::vector<CRootEntry*> roots;
        roots.reserve(m_roots.size());
        for (const auto& root : m_roots) roots.push_back(root.get());
        return m_services.m_writeListing(roots, m_saveFormat);
    }
    return WriteCatalogue(m_roots);
}

bool CFSRecDoc::OnSaveDocument(const std::string& path) {
    // The file is written beside the old one and renamed over it only once
    // it is complete and on the disk, so a failed save never harms the file
    // that was there.
    // A listing takes long (a type name for every entry), so its progress
    // shows at once.
    const bool listing = m_saveFormat == SAVE_CSV || m_saveFormat == SAVE_PRN;
    try {
        RunLongWork(kSavingText, path, listing, [this, listing, &path]() {
            if (listing) {
                const std::vector<uint8_t> bytes = Serialize();
                WriteFileReplacing(path, bytes);
                return;
            }
            // A catalogue goes to the file piece by piece, never held whole.
            std::vector<CRootEntry*> roots;
            roots.reserve(m_roots.size());
            for (const auto& root : m_roots) roots.push_back(root.get());
            SaveCatalogueFile(path, roots);
        });
    } catch (const CatalogueError& e) {
        ReportFailure(e, true);
        return false;
    } catch (const std::bad_alloc&) {
        ReportFailure(CatalogueError::General("out of memory"), true);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

void CFSRecDoc::DeleteContents() {
    m_read.reset();
    ClearHistory();
    m_roots.clear();
}

bool CFSRecDoc::DoSave(const std::string& path, bool replace) {
    std::string target = path;
    const int previousFormat = m_saveFormat;
    if (target.empty()) {
        std::u16string proposed = FileNameToUtf16(GetPathName());
        if (proposed.empty() && replace) {
            proposed = GetTitle();
            const size_t cut = proposed.find_first_of(u":/\\");
            if (cut != std::u16string::npos) proposed.erase(cut);
            proposed += kCatalogueExtension;
        }
        if (!m_services.m_saveDialog) return false;
        CFileSaveDialog dialog(Messages(), Tr(kSaveAsTitle), Tr(kCatalogueSaveFilter), kCatalogueExtension, proposed,
                               m_saveFormat + 1);
        if (!dialog.DoModal(*m_services.m_saveDialog)) return false;
        target = Utf16ToFileName(dialog.GetPathName());
        const int type = dialog.TypeIndex() - 1;
        m_saveFormat = type >= SAVE_CATALOGUE && type <= SAVE_PRN ? type : SAVE_CATALOGUE;
    }
    if (!OnSaveDocument(target)) {
        // The document keeps its file; it must keep the format of that file
        // too, or the next plain save would write a listing over a catalogue.
        m_saveFormat = previousFormat;
        return false;
    }
    if (replace) {
        SetPathName(target);
        UpdateAllViews(HINT_RELABEL, nullptr);
    }
    return true;
}

void CFSRecDoc::RunLongWork(UiText text, const std::string& path, bool showAtOnce, const std::function<void()>& work) {
    if (!m_services.m_longWork) {
        work();
        return;
    }
    const size_t slash = path.rfind('/');
    std::u16string shown = Tr(text);
    const size_t at = shown.find(u"%1");
    if (at != std::u16string::npos)
        shown.replace(at, 2, FileNameToUtf16(slash == std::string::npos ? path : path.substr(slash + 1)));
    m_services.m_longWork->Run(shown, showAtOnce, work);
}

void CFSRecDoc::ReportFailure(const CatalogueError& error, bool saving) {
    m_lastFailure = error.Kind();
    std::u16string text;
    switch (error.Kind()) {
        case CatalogueFailure::Format:
            text = Tr(kFormatErrorText);
            break;
        case CatalogueFailure::General:
            text = saving ? Tr(kSaveFailedText) : Tr(kOpenFailedText);
            break;
        case CatalogueFailure::File:
            text = FileErrorText(error.Cause(), error.Path());
            break;
    }
    Messages().Show(text, MessageButtons::Ok, MessageIcon::Exclamation);
}

// --- Roots -------------------------------------------------------------------

void CFSRecDoc::Attach(CRootEntry& root, size_t position) {
    root.AttachToDocument(uint16_t(position), m_pictures->SystemImageCount());
}

CRootEntry* CFSRecDoc::AppendRoot(std::unique_ptr<CRootEntry> root) {
    if (!root) return nullptr;
    CRootEntry* added = root.get();
    m_roots.push_back(std::move(root));
    Attach(*added, m_roots.size() - 1);
    return added;
}

std::unique_ptr<CRootEntry> CFSRecDoc::RemoveRoot(const CRootEntry* root) {
    const int found = FindRoot(root);
    if (found < 0) return nullptr;
    const size_t p = size_t(found);
    std::unique_ptr<CRootEntry> taken = std::move(m_roots[p]);
    m_roots.erase(m_roots.begin() + found);
    for (size_t i = p; i < m_roots.size(); ++i) Attach(*m_roots[i], i);
    // Cached pictures follow their roots; those of the removed root are
    // never found again.
    for (auto key = m_iconKeys.rbegin(); key != m_iconKeys.rend(); ++key) {
        if (*key == kNoPictureKey) continue;
        const uint32_t stamp = *key >> 16;
        if (stamp > p)
            *key -= 0x10000;
        else if (stamp == p)
            *key = kNoPictureKey;
    }
    return taken;
}

int CFSRecDoc::FindRecordedVolume(uint32_t serialNumber, const std::u16string& label, const std::u16string& folderPart,
                                  bool folderCaseFolds) const {
    for (size_t i = 0; i < m_roots.size(); ++i) {
        const CRootEntry& root = *m_roots[i];
        if (root.m_serialNumber != serialNumber) continue;
        if (!EqualIgnoringAsciiCase(root.GetLabelPart(), label)) continue;
        std::u16string folder = root.GetFolderPart();
        if (folder.empty()) folder = u"\\";
        if (folderCaseFolds ? EqualIgnoringAsciiCase(folder, folderPart) : folder == folderPart) return int(i);
    }
    return -1;
}

bool CFSRecDoc::SetRootComment(CRootEntry& root, const std::u16string& comment) {
    if (m_beingSearched) return false;
    if (root.m_comment == comment) return false;
    root.m_comment = comment;
    SetModifiedFlag();
    return true;
}

// --- Pictures ----------------------------------------------------------------

bool CFSRecDoc::PreparePictures() {
    if (!m_pictures->Create()) return false;
    m_iconKeys.clear();
    m_iconKeys.reserve(kFixedPictureCount + std::max<size_t>(m_roots.size(), 4));
    for (int i = 0; i < kFixedPictureCount; ++i) {
        if (m_pictures->AddFixedPicture(FixedPicture(i)) < 0) return false;
        m_iconKeys.push_back(kNoPictureKey);
    }
    for (size_t i = 0; i < m_roots.size(); ++i) Attach(*m_roots[i], i);
    return true;
}

int CFSRecDoc::GetRootPicture(int iconNumber, const CRootEntry& root) {
    if (iconNumber <= 0) {
        switch (root.m_driveType) {
            case DRIVE_REMOVABLE:
                return PICTURE_FLOPPY_DISK;
            case DRIVE_CDROM:
                return PICTURE_OPTICAL_DISC;
            default:
                return PICTURE_HARD_DISK;
        }
    }
    const uint32_t key = uint32_t(iconNumber - 1) + 0x10000u * root.m_rootStamp;
    for (size_t i = m_iconKeys.size(); i-- > 0;)
        if (m_iconKeys[i] == key) return int(i);
    const std::optional<CIconPair> pair = root.m_icons.GetIconPair(size_t(iconNumber - 1));
    if (!pair) return -1;
    const int position = m_pictures->AddPicturePair(*pair);
    if (position < 0) return -1;
    // The key stands at the picture's position.
    if (size_t(position) >= m_iconKeys.size()) m_iconKeys.resize(size_t(position) + 1, kNoPictureKey);
    m_iconKeys[size_t(position)] = key;
    return position;
}

// --- Reading a volume into the document ----------------------------------------

CRootEntry* CFSRecDoc::BeginReadVolume(int replacePosition) {
    try {
        return BeginReadVolume(replacePosition, std::make_unique<CRootEntry>());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CRootEntry* CFSRecDoc::BeginReadVolume(int replacePosition, std::unique_ptr<CRootEntry> root) {
    if (m_beingSearched) return nullptr;
    if (m_read || !root) return nullptr;
    if (replacePosition < -1 || (replacePosition >= 0 && size_t(replacePosition) >= m_roots.size())) return nullptr;
    try {
        ReadInProgress read;
        read.m_newRoot = root.get();
        if (replacePosition >= 0) {
            const size_t p = size_t(replacePosition);
            root->m_name = m_roots[p]->m_name;
            root->m_comment = m_roots[p]->m_comment;
            read.m_position = p;
            read.m_replaced = std::move(m_roots[p]);
            m_roots[p] = std::move(root);
        } else {
            m_roots.reserve(m_roots.size() + 1);
            read.m_position = m_roots.size();
            m_roots.push_back(std::move(root));
        }
        m_read = std::move(read);
        return m_read->m_newRoot;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CFSRecDoc::CommitReadVolume(int64_t readTime) {
    if (!m_read) return;
    ReadInProgress read = std::move(*m_read);
    m_read.reset();
    const int found = FindRoot(read.m_newRoot);
    if (found < 0) return;
    const size_t p = size_t(found);
    CRootEntry& root = *read.m_newRoot;
    root.m_time = readTime;
    ClearHistory();
    if (read.m_replaced) {
        read.m_replaced.reset();
        // Pictures cached for the replaced volume must not be shown for the
        // new one at the same position.
        for (uint32_t& key : m_iconKeys)
            if (key != kNoPictureKey && (key >> 16) == p) key = kNoPictureKey;
    } else {
        SetUndoStep(HISTORY_ADDED, &root);
    }
    Attach(root, p);
    SetModifiedFlag();
    UpdateAllViews(HINT_REBUILD);
}

void CFSRecDoc::AbortReadVolume() {
    if (!m_read) return;
    ReadInProgress read = std::move(*m_read);
    m_read.reset();
    const int found = FindRoot(read.m_newRoot);
    if (found < 0) return;
    if (read.m_replaced)
        m_roots[size_t(found)] = std::move(read.m_replaced);  // destroys the new root
    else
        m_roots.erase(m_roots.begin() + found);
}

// --- Commands ----------------------------------------------------------------

bool CFSRecDoc::OnCommand(uint32_t id) {
    switch (id) {
        case ID_READ_ADDITIONAL:
            if (m_services.m_readAdditional && !m_beingSearched) m_services.m_readAdditional(*this);
            return true;
        case ID_EDIT_UNDO:
            Undo();
            return true;
        case ID_EDIT_REDO:
            Redo();
            return true;
        case ID_EDIT_FIND:
            if (!m_roots.empty() && m_services.m_openSearchWindow) m_services.m_openSearchWindow(*this);
            return true;
        default:
            return false;
    }
}

std::optional<bool> CFSRecDoc::IsCommandEnabled(uint32_t id) const {
    switch (id) {
        case ID_READ_ADDITIONAL:
            return !m_beingSearched;
        case ID_EDIT_UNDO:
            return !m_beingSearched && CanUndo();
        case ID_EDIT_REDO:
            return !m_beingSearched && CanRedo();
        case ID_EDIT_FIND:
            return !m_roots.empty();
        case ID_EDIT_PASTE:
            return !m_beingSearched && CanPaste();
        default:
            return std::nullopt;
    }
}

}  // namespace volcatra
