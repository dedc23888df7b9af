// A small document/view framework: the document base every document kind
// derives from, the interface its views implement, and the document kinds
// that name untitled documents.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/MessageService.h"

namespace volcatra {

class CObjectBase;

// Update hints sent to the views.
inline constexpr int HINT_REBUILD = 0;  // the volumes or their contents changed
inline constexpr int HINT_RELABEL = 2;  // with a root: its name changed; without: the document's title changed

// A view of a document. Views hold plain references to their document and
// to its entries; they never own catalogue data.
class IDocumentView {
public:
    virtual ~IDocumentView() = default;
    virtual void OnUpdate(int hint, CObjectBase* object) = 0;
};

class CDocument {
public:
    explicit CDocument(IMessageService& messages);
    virtual ~CDocument() = default;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const std::u16string& GetTitle() const { return m_title; }
    void SetTitle(std::u16string title) { m_title = std::move(title); }

    // The file the document was opened from or last saved to, as file-name
    // bytes; empty for a new document.
    const std::string& GetPathName() const { return m_pathName; }
    // Makes path the document's file: the title becomes its file name and
    // the path enters the recently used files.
    void SetPathName(const std::string& path);

    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }

    // Views are not owned; a view removes itself before it goes away.
    void AddView(IDocumentView* view);
    void RemoveView(IDocumentView* view);
    const std::vector<IDocumentView*>& GetViews() const { return m_views; }
    // Sends the hint to every view except the sender.
    void UpdateAllViews(int hint, CObjectBase* object = nullptr, IDocumentView* sender = nullptr);

    // Called with the path whenever a path becomes the document's file.
    void SetRecentFileHandler(std::function<void(const std::string&)> handler) { m_addRecentFile = std::move(handler); }

    // A new, empty document: contents deleted, no path, not modified.
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const std::string& path) = 0;
    // Writes the document to path; on success the document is not modified.
    virtual bool OnSaveDocument(const std::string& path) = 0;
    virtual void DeleteContents() = 0;
    // Save and save-as (an empty path asks the user for one).
    virtual bool DoSave(const std::string& path, bool replace) = 0;

    // The plain save: to the document's path, or save-as when the document
    // has no path or its file is read-only or no longer there.
    bool DoFileSave();
    // Before a modified document closes, asks whether to save it: true when
    // it may close (saved, or the user declined to save).
    bool SaveModified();
    // Closing: views are forgotten and the contents deleted.
    virtual void OnCloseDocument();

protected:
    IMessageService& Messages() { return m_messages; }

private:
    IMessageService& m_messages;
    std::u16string m_title;
    std::string m_pathName;
    bool m_modified = false;
    std::vector<IDocumentView*> m_views;
    std::function<void(const std::string&)> m_addRecentFile;
};

// A kind of document: names untitled documents "<base>1", "<base>2", ...
class CDocumentKind {
public:
    explicit CDocumentKind(std::u16string untitledBase) : m_untitledBase(std::move(untitledBase)) {}

    const std::u16string& UntitledBase() const { return m_untitledBase; }

    // Titles a new document with the next untitled name and initialises it;
    // the name is used up only when the document stands.
    bool InitNewDocument(CDocument& document);
    // Opens path into the document; on success path becomes its file and
    // the document is not modified.
    static bool OpenDocumentFile(CDocument& document, const std::string& path);

private:
    std::u16string m_untitledBase;
    unsigned m_untitledCount = 0;
};

}  // namespace volcatra
