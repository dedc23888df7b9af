// Stand-ins for what the catalogue document talks to: views, picture lists,
// the save dialog and the drag loop; and small roots to fill it with.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ScriptedMessageService.h"
#include "document/FSRecDoc.h"
#include "model/CatalogueFile.h"

namespace volcatra::test {

// Records every hint a view receives.
class RecordingView : public IDocumentView {
public:
    void OnUpdate(int hint, CObjectBase* object) override { m_hints.emplace_back(hint, object); }
    std::vector<std::pair<int, CObjectBase*>> m_hints;
};

// Picture lists that count positions and remember what was added; a fixed
// picture or a pair can be made to fail.
struct PictureLog {
    int m_creations = 0;
    std::vector<FixedPicture> m_fixed;
    std::vector<int> m_pairSizes;  // the large picture's size of each pair added
    int m_failFixedAt = -1;        // AddFixedPicture fails for this picture
    bool m_failPairs = false;
    size_t m_systemImages = 12;
};

class FakePictures : public IPictureList {
public:
    explicit FakePictures(PictureLog& log) : m_log(log) {}
    bool Create() override {
        ++m_log.m_creations;
        m_count = 0;
        return true;
    }
    int AddFixedPicture(FixedPicture picture) override {
        if (int(picture) == m_log.m_failFixedAt) return -1;
        m_log.m_fixed.push_back(picture);
        return m_count++;
    }
    int AddPicturePair(const CIconPair& pair) override {
        if (m_log.m_failPairs) return -1;
        m_log.m_pairSizes.push_back(pair.m_large.m_size);
        return m_count++;
    }
    size_t SystemImageCount() const override { return m_log.m_systemImages; }

private:
    PictureLog& m_log;
    int m_count = 0;
};

// A save dialog whose user acts out a script on the dialog: the script
// returns whether the user finally confirmed.
class ScriptedSaveDialog : public ISaveDialogHost {
public:
    bool Run(CFileSaveDialog& dialog) override {
        m_shownTitle = dialog.Title();
        m_shownName = dialog.FileName();
        m_shownType = dialog.TypeIndex();
        ++m_runs;
        return m_user ? m_user(dialog) : false;
    }
    std::function<bool(CFileSaveDialog&)> m_user;
    std::u16string m_shownTitle;
    std::u16string m_shownName;
    int m_shownType = 0;
    int m_runs = 0;
};

// A drag loop that drops the data on one document, as if on one of its
// views, with or without the Ctrl key.
class FakeDragService : public IDragService {
public:
    uint32_t DoDragDrop(const CVolumeData& data, uint32_t allowedEffects) override {
        ++m_drags;
        m_sourceWasFlagged = m_source && m_source->IsDragSource();
        if (!m_target) return DROPEFFECT_NONE;
        const uint32_t effect = CFSRecDoc::ProposedDropEffect(data, m_controlKey) & allowedEffects;
        if (effect == DROPEFFECT_NONE) return DROPEFFECT_NONE;
        return m_target->DropVolume(data) ? effect : DROPEFFECT_NONE;
    }
    CFSRecDoc* m_source = nullptr;  // only to check the drag-source flag
    CFSRecDoc* m_target = nullptr;  // nullptr: the drag ends outside any window
    bool m_controlKey = false;
    int m_drags = 0;
    bool m_sourceWasFlagged = false;
};

// A root with one top folder holding the given files.
inline std::unique_ptr<CRootEntry> MakeRoot(const std::u16string& volumeName, uint32_t serial = 0x1234ABCD,
                                            uint32_t driveType = DRIVE_CDROM,
                                            std::vector<std::u16string> files = {u"A.TXT"}) {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = volumeName;
    root->m_serialNumber = serial;
    root->m_driveType = driveType;
    root->m_time = 1300000000;
    root->m_childIndex = 0;
    auto top = std::make_unique<CFileArray>();
    top->m_path = std::u16string(1, u'\\');
    for (const auto& name : files) {
        auto entry = std::make_unique<CFileEntry>();
        entry->m_name = name;
        entry->m_size = 100;
        entry->m_attributes = FA_ARCHIVE;
        top->m_entries.push_back(std::move(*entry));
        ++root->m_fileCount;
    }
    root->m_folders.push_back(std::move(top));
    return root;
}

// One stored 800-byte icon image, recognisable by its first byte.
inline std::vector<uint8_t> IconImage(uint8_t mark) {
    std::vector<uint8_t> image(kStoredImageSize, 0);
    image[0] = mark;
    return image;
}

// The catalogue file the document's volumes make: compares whole states.
inline std::vector<uint8_t> CatalogueBytes(const CFSRecDoc& doc) {
    return WriteCatalogue(doc.Roots());
}

inline std::vector<std::u16string> Names(const CFSRecDoc& doc) {
    std::vector<std::u16string> names;
    for (const auto& root : doc.Roots()) names.push_back(root->GetDisplayName());
    return names;
}

// A catalogue document with scripted messages, fake pictures and an
// in-process clipboard, already initialised as a new document.
// Runs long work in place and records how it was asked for.
class RecordingLongWork : public ILongWorkRunner {
public:
    struct Call {
        std::u16string text;
        bool showAtOnce;
    };
    void Run(const std::u16string& text, bool showAtOnce, const std::function<void()>& work) override {
        m_calls.push_back({text, showAtOnce});
        work();
    }
    std::vector<Call> m_calls;
};

struct DocumentRig {
    explicit DocumentRig(CMemoryClipboard* sharedClipboard = nullptr, FakeDragService* drag = nullptr) {
        CatalogueServices services;
        services.m_messages = &m_messages;
        services.m_clipboard = sharedClipboard ? sharedClipboard : &m_clipboard;
        services.m_dragService = drag;
        services.m_saveDialog = &m_dialog;
        services.m_longWork = &m_longWork;
        services.m_makePictures = [this] { return std::make_unique<FakePictures>(m_pictures); };
        services.m_writeListing = [this](const std::vector<CRootEntry*>& roots, int format) {
            ++m_listingsWritten;
            std::vector<uint8_t> bytes{0xFF, 0xFE, uint8_t('0' + format), 0};
            for (CRootEntry* root : roots)
                for (char16_t c : root->GetDisplayName()) {
                    bytes.push_back(uint8_t(c));
                    bytes.push_back(uint8_t(c >> 8));
                }
            return bytes;
        };
        services.m_addRecentFile = [this](const std::string& path) { m_recentFiles.push_back(path); };
        m_doc = std::make_unique<CFSRecDoc>(services);
        m_doc->AddView(&m_view);
        EXPECT_TRUE(m_kind.InitNewDocument(*m_doc));
    }

    CFSRecDoc& Doc() { return *m_doc; }
    CRootEntry* Add(std::unique_ptr<CRootEntry> root) { return m_doc->AppendRoot(std::move(root)); }

    ScriptedMessageService m_messages;
    CMemoryClipboard m_clipboard;
    ScriptedSaveDialog m_dialog;
    RecordingLongWork m_longWork;
    PictureLog m_pictures;
    RecordingView m_view;
    CDocumentKind m_kind{kCatalogueUntitledBase};
    int m_listingsWritten = 0;
    std::vector<std::string> m_recentFiles;
    std::unique_ptr<CFSRecDoc> m_doc;
};

// A scratch folder removed after the test.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = ::testing::TempDir() + "volcatra-doc-XXXXXX";
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_path)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    const std::string& Root() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace volcatra::test
