// The catalogue document: the ordered list of recorded volumes of one
// catalogue, opening and saving it, the pictures of its volume nodes,
// matching a newly read medium against its volumes, adding or replacing a
// read volume, and the one-step edit history with the volume clipboard.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/Document.h"
#include "document/DocumentPictures.h"
#include "document/FileSaveDialog.h"
#include "document/LongWork.h"
#include "document/VolumeClipboard.h"
#include "model/CatalogueError.h"
#include "model/CatalogueFile.h"
#include "model/UiText.h"

namespace volcatra {

// Values of m_saveFormat.
inline constexpr int SAVE_CATALOGUE = 0;  // catalogue file (.fsr)
inline constexpr int SAVE_CSV = 1;        // comma-separated listing (.csv)
inline constexpr int SAVE_PRN = 2;        // space-aligned listing (.prn)

// Kinds of an edit-history step.
inline constexpr int HISTORY_NONE = 0;
inline constexpr int HISTORY_REMOVED = 1;  // the root was taken out of the catalogue
inline constexpr int HISTORY_ADDED = 2;    // the root was added to the catalogue
inline constexpr int HISTORY_RENAMED = 3;  // the root's user-given name changed

// Commands the document handles.
inline constexpr uint32_t ID_READ_ADDITIONAL = 32792;
inline constexpr uint32_t ID_EDIT_FIND = 57636;
inline constexpr uint32_t ID_EDIT_PASTE = 57637;
inline constexpr uint32_t ID_EDIT_UNDO = 57643;
inline constexpr uint32_t ID_EDIT_REDO = 57644;

inline constexpr uint32_t kNoPictureKey = 0xFFFFFFFF;

// Base name of untitled catalogues: Medium1, Medium2, ...
inline constexpr char16_t kCatalogueUntitledBase[] = u"Medium";

// The progress texts of a save and an open; %1 is the file name.
inline constexpr UiText kSavingText = VOLCATRA_TEXT("Document", "%1 を保存しています...");
inline constexpr UiText kOpeningText = VOLCATRA_TEXT("Document", "%1 を開いています...");

class CFSRecDoc;

// Writes the text listing of the roots in format SAVE_CSV or SAVE_PRN: the
// whole file, beginning with the byte-order mark. Throws CatalogueError.
using ListingWriter = std::function<std::vector<uint8_t>(const std::vector<CRootEntry*>& roots, int format)>;

// What a catalogue document needs from the application. Only the message
// service is required; without a clipboard, drag service or save dialog the
// operations that need them do nothing and fail.
struct CatalogueServices {
    IMessageService* m_messages = nullptr;
    IClipboard* m_clipboard = nullptr;
    IDragService* m_dragService = nullptr;
    ISaveDialogHost* m_saveDialog = nullptr;
    // Runs the writing of a save and the reading of an open; without it they
    // run in place.
    ILongWorkRunner* m_longWork = nullptr;
    // Makes the document's picture lists; without it positions are only counted.
    std::function<std::unique_ptr<IPictureList>()> m_makePictures;
    // Writes listings; without it saving a listing fails.
    ListingWriter m_writeListing;
    // Called when a path becomes a document's file.
    std::function<void(const std::string& path)> m_addRecentFile;
    // Run at the end of OnNewDocument: the read into a catalogue created by
    // the new-read command. Returns whether the new document may stand
    // (false when the read did not complete). Unset: nothing is read.
    std::function<bool(CFSRecDoc& document)> m_readIntoNewDocument;
    // The additional-read command (the read command for this document).
    std::function<void(CFSRecDoc& document)> m_readAdditional;
    // The find command: opens a search window over this document.
    std::function<void(CFSRecDoc& document)> m_openSearchWindow;
};

// The text shown when a pasted volume payload cannot be read, with
// "無題のファイル" for the file.
std::u16string PasteFailureText(const CatalogueError& error);

// The folder part that a read of chosenPath records, for matching against
// recorded volumes: the part of chosenPath below mountPoint in the
// catalogue's notation (backslashes, no trailing separator), "\\" for the
// mount point itself. chosenPath lies at or below mountPoint.
std::u16string ReadFolderPart(const std::string& chosenPath, const std::string& mountPoint);

// Equality that folds only the ASCII letters A-Z to a-z.
bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

class CFSRecDoc : public CDocument {
public:
    explicit CFSRecDoc(const CatalogueServices& services);
    ~CFSRecDoc() override;

    // --- Contents ---------------------------------------------------------
    const RootList& Roots() const { return m_roots; }
    // The position of root in the list, or -1.
    int FindRoot(const CRootEntry* root) const;
    // The file-name part of the path the document was opened from.
    const std::u16string& GetFileName() const { return m_fileName; }
    int GetSaveFormat() const { return m_saveFormat; }
    void SetSaveFormat(int format) { m_saveFormat = format; }
    bool IsDragSource() const { return m_isDragSource; }
    // The kind of the last open or save failure reported to the user.
    CatalogueFailure LastFailure() const { return m_lastFailure; }

    // --- Document operations ---------------------------------------------
    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    bool OnSaveDocument(const std::string& path) override;
    void DeleteContents() override;
    bool DoSave(const std::string& path, bool replace) override;
    // The bytes a save writes: the catalogue file, or the listing when
    // m_saveFormat is SAVE_CSV or SAVE_PRN. Throws CatalogueError.
    std::vector<uint8_t> Serialize();

    // Adds root at the end of the list and attaches it with its position.
    CRootEntry* AppendRoot(std::unique_ptr<CRootEntry> root);
    // Takes root out of the list without destroying it, restamping the roots
    // after it and the picture keys; nullptr when root is not in the list.
    std::unique_ptr<CRootEntry> RemoveRoot(const CRootEntry* root);
    // The position of the first recorded volume with this serial number,
    // label and folder part, or -1. The label is compared ignoring ASCII
    // case; the folder part (a whole volume has "\\") exactly, or ignoring
    // ASCII case when the file system of the read folds the case of names.
    int FindRecordedVolume(uint32_t serialNumber, const std::u16string& label, const std::u16string& folderPart,
                           bool folderCaseFolds) const;
    // Changes a volume's comment; true (and modified) when it differed.
    bool SetRootComment(CRootEntry& root, const std::u16string& comment);

    // --- Pictures ---------------------------------------------------------
    bool PreparePictures();
    // The picture position for a volume node (the root's own icon number) or
    // a folder or archive node with a stored icon (that entry's icon number
    // and its root); -1 when the stored icon cannot be made into a picture.
    int GetRootPicture(int iconNumber, const CRootEntry& root);
    const std::vector<uint32_t>& IconKeys() const { return m_iconKeys; }

    // --- Reading a volume into the document --------------------------------
    // Places a new, empty root for a read: at replacePosition in place of the
    // volume there (which is kept aside and whose user-given name and comment
    // the new root takes over), or at the end when replacePosition is -1.
    // Returns the root for the read to fill, or nullptr when another read is
    // under way, the position is not a volume's, or memory ran out.
    CRootEntry* BeginReadVolume(int replacePosition);
    // The same with a root read outside the document (so that the list
    // changes only when a read has ended).
    CRootEntry* BeginReadVolume(int replacePosition, std::unique_ptr<CRootEntry> root);
    bool IsReadingVolume() const { return m_read.has_value(); }
    // The read succeeded: the new root gets readTime, the history is cleared,
    // a replaced volume is destroyed or an added one becomes the undo step,
    // the document is modified and the views rebuild.
    void CommitReadVolume(int64_t readTime);
    // The read failed or was cancelled: the list is restored exactly and the
    // new root destroyed; history and modified flag are untouched.
    void AbortReadVolume();

    // --- Being searched ---------------------------------------------------
    // While a search window searches this catalogue's volumes, the engine
    // holds plain references to them: every operation that would change the
    // volumes (reads, undo and redo, cut, paste, drop, drag, rename, comment)
    // is refused, their commands are disabled, and the catalogue does not
    // close.
    void SetBeingSearched(bool searched) { m_beingSearched = searched; }
    bool IsBeingSearched() const { return m_beingSearched; }

    // --- Edit history -----------------------------------------------------
    void ClearHistory();
    bool CanUndo() const { return m_undo.m_kind != HISTORY_NONE; }
    bool CanRedo() const { return m_redo.m_kind != HISTORY_NONE; }
    void Undo();
    void Redo();
    void RemoveWithUndo(const CRootEntry* root);
    bool CommitPending();
    void RenameRoot(CRootEntry& root, const std::u16string& name);
    int UndoKind() const { return m_undo.m_kind; }
    int RedoKind() const { return m_redo.m_kind; }
    const CRootEntry* UndoRoot() const { return m_undo.m_root; }
    const CRootEntry* RedoRoot() const { return m_redo.m_root; }
    const std::u16string& UndoText() const { return m_undo.m_text; }
    const std::u16string& RedoText() const { return m_redo.m_text; }
    const CRootEntry* PendingRoot() const { return m_pendingRoot.get(); }

    // --- Volume clipboard -------------------------------------------------
    // With no allowed effects puts root's payload on the clipboard and
    // returns DROPEFFECT_NONE; otherwise drags it and returns the effect the
    // drop target chose. Sets the failure flag when no payload could be made
    // or offered.
    uint32_t CopyRootToClipboard(CRootEntry& root, uint32_t allowedEffects, bool* failed = nullptr);
    // Reads a volume payload from the data into the pending root. A payload
    // that cannot be read is reported (reportFailure) with a stop icon.
    bool ReadPendingFromData(const IDataSource& data, bool reportFailure);
    // Puts the entry's display name on the clipboard as text, after prefix
    // and a backslash when a prefix is given.
    bool CopyTextToClipboard(const std::u16string* prefix, const CFileEntry& entry);

    // --- The views' volume commands -----------------------------------------
    bool CopyRoot(CRootEntry& root);
    // Copies and removes; a volume whose payload could not be put on the
    // clipboard is not removed.
    bool CutRoot(CRootEntry& root);
    bool Paste();
    bool CanPaste() const;
    // A drag of a volume item of this document's views.
    uint32_t DragRoot(CRootEntry& root);
    // The effect a view proposes while data is dragged over it.
    static uint32_t ProposedDropEffect(const IDataSource& data, bool controlKey);
    // A drop on one of this document's views; whether it was accepted.
    bool DropVolume(const IDataSource& data);
    // The end of a label edit of a volume item that was not cancelled;
    // whether the view keeps the edited label.
    bool EndLabelEdit(CRootEntry& root, const std::u16string& text);

    // --- Commands ---------------------------------------------------------
    // Runs a command of the document; false when it is not the document's.
    bool OnCommand(uint32_t id);
    // Whether a command of the document is enabled; nullopt when it is not
    // the document's.
    std::optional<bool> IsCommandEnabled(uint32_t id) const;

private:
    struct HistoryStep {
        int m_kind = HISTORY_NONE;
        CRootEntry* m_root = nullptr;
        // Holds the root while it lies outside the list: undo steps of kind
        // removed and redo steps of kind added.
        std::unique_ptr<CRootEntry> m_owned;
        std::u16string m_text;
    };
    struct ReadInProgress {
        CRootEntry* m_newRoot = nullptr;
        std::unique_ptr<CRootEntry> m_replaced;  // the volume held aside
        size_t m_position = 0;
    };

    void Attach(CRootEntry& root, size_t position);
    // Records a new undo step (its text stays); the redo step is forgotten.
    void SetUndoStep(int kind, CRootEntry* root, std::unique_ptr<CRootEntry> owned = nullptr);
    void ReportFailure(const CatalogueError& error, bool saving);
    // Runs work through the long-work runner, with the progress text for the
    // file at path.
    void RunLongWork(UiText text, const std::string& path, bool showAtOnce, const std::function<void()>& work);

    CatalogueServices m_services;
    std::unique_ptr<IPictureList> m_pictures;

    bool m_isDragSource = false;
    std::u16string m_fileName;
    RootList m_roots;
    std::vector<uint32_t> m_iconKeys;
    int m_saveFormat = SAVE_CATALOGUE;
    std::unique_ptr<CRootEntry> m_pendingRoot;
    HistoryStep m_undo;
    HistoryStep m_redo;
    std::optional<ReadInProgress> m_read;
    CatalogueFailure m_lastFailure = CatalogueFailure::General;
    bool m_beingSearched = false;
};

// Scope of one read into a document: begins it on construction and aborts
// it on destruction unless it was committed, so that every exit of the read
// code restores the document.
class CVolumeReadScope {
public:
    CVolumeReadScope(CFSRecDoc& document, int replacePosition)
        : m_document(document), m_root(document.BeginReadVolume(replacePosition)) {}
    CVolumeReadScope(CFSRecDoc& document, int replacePosition, std::unique_ptr<CRootEntry> root)
        : m_document(document), m_root(document.BeginReadVolume(replacePosition, std::move(root))) {}
    ~CVolumeReadScope() { Abort(); }
    CVolumeReadScope(const CVolumeReadScope&) = delete;
    CVolumeReadScope& operator=(const CVolumeReadScope&) = delete;

    // The root to fill; nullptr when the read could not begin.
    CRootEntry* Root() const { return m_root; }
    void Commit(int64_t readTime) {
        if (!m_root) return;
        m_root = nullptr;
        m_document.CommitReadVolume(readTime);
    }
    void Abort() {
        if (!m_root) return;
        m_root = nullptr;
        m_document.AbortReadVolume();
    }

private:
    CFSRecDoc& m_document;
    CRootEntry* m_root;
};

}  // namespace volcatra
