// The edit history and the volume clipboard: cut, copy, paste, drag and
// drop within and between catalogues, rename, undo and redo, the paste
// failure texts, and the ownership of roots through any sequence of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "DocumentFakes.h"

namespace volcatra {
namespace {

using test::CatalogueBytes;
using test::DocumentRig;
using test::FakeDragService;
using test::MakeRoot;
using test::Names;

using Hints = std::vector<std::pair<int, CObjectBase*>>;

// A catalogue A, B, C.
struct ThreeVolumes : DocumentRig {
    explicit ThreeVolumes(CMemoryClipboard* clipboard = nullptr, FakeDragService* drag = nullptr)
        : DocumentRig(clipboard, drag) {
        for (const char16_t* label : {u"A", u"B", u"C"}) Add(MakeRoot(label));
        m_view.m_hints.clear();
    }
    CRootEntry& Root(size_t i) { return *Doc().Roots()[i]; }
};

TEST(EditHistory, CutUndoRedoAppendsAtTheEnd) {
    ThreeVolumes rig;
    CFSRecDoc& doc = rig.Doc();
    CRootEntry* a = &rig.Root(0);
    ASSERT_TRUE(doc.CutRoot(*a));
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"B", u"C"}));
    EXPECT_TRUE(rig.m_clipboard.HasVolumeData());
    EXPECT_EQ(doc.UndoKind(), HISTORY_REMOVED);
    EXPECT_EQ(doc.UndoRoot(), a);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(rig.Root(0).m_rootStamp, 0);

    doc.Undo();
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"B", u"C", u"A"}));
    EXPECT_EQ(doc.Roots()[2].get(), a);
    EXPECT_EQ(a->m_rootStamp, 2);
    EXPECT_EQ(doc.RedoKind(), HISTORY_REMOVED);
    EXPECT_FALSE(doc.CanUndo());
    doc.Redo();
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"B", u"C"}));
    doc.Undo();
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"B", u"C", u"A"}));
    EXPECT_EQ(rig.m_view.m_hints, Hints(4, {HINT_REBUILD, nullptr}));
}

TEST(EditHistory, CutThenPasteAddsANewRootAndOnlyThePasteCanBeUndone) {
    ThreeVolumes rig;
    CFSRecDoc& doc = rig.Doc();
    CRootEntry* a = &rig.Root(0);
    const std::vector<uint8_t> payload = WriteVolumePayload(*a);
    ASSERT_TRUE(doc.CutRoot(*a));
    ASSERT_TRUE(doc.Paste());
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"B", u"C", u"A"}));
    const CRootEntry* pasted = doc.Roots()[2].get();
    EXPECT_EQ(WriteVolumePayload(*doc.Roots()[2]), payload);
    EXPECT_EQ(pasted->m_rootStamp, 2);
    EXPECT_EQ(doc.UndoKind(), HISTORY_ADDED);
    EXPECT_EQ(doc.UndoRoot(), pasted);
    doc.Undo();
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"B", u"C"}));
    EXPECT_FALSE(doc.CanUndo());  // the cut is gone from the history
    doc.Redo();
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"B", u"C", u"A"}));
}

TEST(EditHistory, PastingTwiceAddsTwoCopiesEachUndoableUntilTheNextEdit) {
    ThreeVolumes rig;
    CFSRecDoc& doc = rig.Doc();
    const std::vector<uint8_t> before = CatalogueBytes(doc);
    ASSERT_TRUE(doc.CopyRoot(rig.Root(1)));
    EXPECT_FALSE(doc.IsModified());  // copying changes nothing
    ASSERT_TRUE(doc.Paste());
    ASSERT_TRUE(doc.Paste());
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"A", u"B", u"C", u"B", u"B"}));
    EXPECT_NE(doc.Roots()[3].get(), doc.Roots()[4].get());
    doc.Undo();  // only the second paste
    EXPECT_EQ(doc.Roots().size(), 4u);
    EXPECT_FALSE(doc.CanUndo());
    doc.Redo();
    doc.Undo();
    EXPECT_EQ(doc.Roots().size(), 4u);
    ASSERT_TRUE(doc.Paste());
    doc.Undo();
    doc.RemoveWithUndo(doc.Roots()[3].get());
    EXPECT_EQ(CatalogueBytes(doc), before);
}

TEST(EditHistory, CopyLeavesTheHistoryAsItIs) {
    ThreeVolumes rig;
    CFSRecDoc& doc = rig.Doc();
    doc.EndLabelEdit(rig.Root(0), u"new");
    ASSERT_TRUE(doc.CopyRoot(rig.Root(2)));
    EXPECT_EQ(doc.UndoKind(), HISTORY_RENAMED);
    doc.Undo();
    EXPECT_EQ(rig.Root(0).m_name, u"");
}

TEST(EditHistory, RenameRecordsTheOldNameAndUndoRebuilds) {
    ThreeVolumes rig;
    CFSRecDoc& doc = rig.Doc();
    CRootEntry& b = rig.Root(1);
    EXPECT_TRUE(doc.EndLabelEdit(b, u"ボリューム"));
    EXPECT_EQ(b.GetDisplayName(), u"ボリューム");
    EXPECT_EQ(doc.UndoText(), u"");
    EXPECT_EQ(rig.m_view.m_hints, (Hints{{HINT_RELABEL, &b}}));

    // An empty name brings back the default display name; the view keeps
    // its old label.
    EXPECT_FALSE(doc.EndLabelEdit(b, u""));
    EXPECT_EQ(b.m_name, u"");
    EXPECT_EQ(b.GetDisplayName(), u"B");
    EXPECT_EQ(doc.UndoText(), u"ボリューム");

    rig.m_view.m_hints.clear();
    doc.Undo();
    EXPECT_EQ(b.m_name, u"ボリューム");
    EXPECT_EQ(doc.RedoText(), u"");
    EXPECT_EQ(rig.m_view.m_hints, (Hints{{HINT_REBUILD, nullptr}}));
    doc.Redo();
    EXPECT_EQ(b.m_name, u"");
    EXPECT_EQ(doc.UndoText(), u"ボリューム");

    // Confirming the label unchanged still records a step and modifies.
    doc.SetModifiedFlag(false);
    doc.EndLabelEdit(b, u"");
    EXPECT_EQ(doc.UndoKind(), HISTORY_RENAMED);
    EXPECT_TRUE(doc.IsModified());
}

TEST(EditHistory, OperationsWithoutTheirRootDoNothing) {
    ThreeVolumes rig;
    CFSRecDoc& doc = rig.Doc();
    CRootEntry* a = &rig.Root(0);
    doc.RemoveWithUndo(a);
    doc.SetModifiedFlag(false);
    rig.m_view.m_hints.clear();
    doc.RemoveWithUndo(a);  // no longer in the list
    EXPECT_EQ(doc.UndoKind(), HISTORY_REMOVED);
    EXPECT_EQ(doc.UndoRoot(), a);
    EXPECT_FALSE(doc.CommitPending());  // nothing pending
    doc.Redo();                         // no redo step
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(rig.m_view.m_hints.empty());
    doc.ClearHistory();
    doc.Undo();
    EXPECT_EQ(doc.Roots().size(), 2u);
    EXPECT_FALSE(doc.IsModified());
}

TEST(EditHistory, CopyTextUsesThePrefixAndOneBackslash) {
    DocumentRig rig;
    CRootEntry* root = rig.Add(MakeRoot(u"DATA"));
    const CFileEntry& file = root->m_folders[0]->m_entries[0];
    struct Case {
        const char16_t* prefix;
        std::u16string text;
    };
    const Case cases[] = {
        {nullptr, u"A.TXT"}, {u"\\DOCS", u"\\DOCS\\A.TXT"}, {u"\\DOCS\\", u"\\DOCS\\A.TXT"}, {u"\\", u"\\A.TXT"},
        {u"", u"\\A.TXT"},
    };
    for (const Case& c : cases) {
        const std::u16string prefix = c.prefix ? c.prefix : u"";
        ASSERT_TRUE(rig.Doc().CopyTextToClipboard(c.prefix ? &prefix : nullptr, file));
        EXPECT_EQ(rig.m_clipboard.Text(), c.text);
        EXPECT_FALSE(rig.m_clipboard.HasVolumeData());
    }
    ASSERT_TRUE(rig.Doc().CopyTextToClipboard(nullptr, *root));
    EXPECT_EQ(rig.m_clipboard.Text(), u"DATA");
    EXPECT_FALSE(rig.Doc().CanPaste());
}

// --- Paste failures ----------------------------------------------------------------

std::vector<uint8_t> Replaced(std::vector<uint8_t> bytes, const std::string& from, const std::string& to) {
    const std::vector<uint8_t> pattern(from.begin(), from.end());
    const auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    EXPECT_NE(at, bytes.end()) << from;
    if (at != bytes.end()) std::copy(to.begin(), to.end(), at);
    return bytes;
}

TEST(EditHistory, PasteFailuresNameTheCauseAndChangeNothing) {
    const std::vector<uint8_t> good = WriteVolumePayload(*MakeRoot(u"DATA"));
    std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
    const std::vector<uint8_t> tooLong{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                       0xFF, 0,    0,    0,    0x80, 0,    0,    0,    0};
    struct Case {
        const char* what;
        std::vector<uint8_t> payload;
        std::u16string text;
    };
    const Case cases[] = {
        {"end of data", truncated, u"無題のファイル の末尾以降にアクセスしようとしました。"},
        {"unknown class", Replaced(good, "CFileArray", "CFileArrax"),
         u"無題のファイル は予期しないオブジェクトを含んでいます。"},
        {"bad schema", Replaced(good, std::string("\x01\x00\x0A\x00", 4), std::string("\x02\x00\x0A\x00", 4)),
         u"無題のファイル は不正なスキーマを含んでいます。"},
        {"null tag", Replaced(good, std::string("\xFF\xFF\x01\x00", 4), std::string("\x00\x00\x01\x00", 4)),
         u"無題のファイル の形式が正しくありません。"},
        {"general failure", tooLong, u"無題のファイル へのアクセス中に不明なエラーが発生しました。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ThreeVolumes rig;
        rig.Doc().EndLabelEdit(rig.Root(0), u"x");
        rig.Doc().SetModifiedFlag(false);
        rig.m_view.m_hints.clear();
        const std::vector<uint8_t> before = CatalogueBytes(rig.Doc());
        rig.m_clipboard.SetVolumeData(c.payload);
        EXPECT_FALSE(rig.Doc().Paste());
        ASSERT_EQ(rig.m_messages.ShownBoxes().size(), 1u);
        EXPECT_EQ(rig.m_messages.ShownBoxes()[0].text, c.text);
        EXPECT_EQ(rig.m_messages.ShownBoxes()[0].icon, MessageIcon::Stop);
        EXPECT_EQ(CatalogueBytes(rig.Doc()), before);
        EXPECT_EQ(rig.Doc().PendingRoot(), nullptr);
        EXPECT_FALSE(rig.Doc().CanUndo());  // the history was cleared first
        EXPECT_FALSE(rig.Doc().IsModified());
        EXPECT_TRUE(rig.m_view.m_hints.empty());

        // The same data dropped fails quietly.
        EXPECT_FALSE(rig.Doc().DropVolume(CVolumeData(c.payload)));
        EXPECT_EQ(rig.m_messages.ShownBoxes().size(), 1u);
        EXPECT_EQ(CatalogueBytes(rig.Doc()), before);
    }
}

TEST(EditHistory, DataWithoutTheFormatIsRefused) {
    ThreeVolumes rig;
    rig.m_clipboard.SetText(u"text");
    EXPECT_FALSE(rig.Doc().Paste());
    EXPECT_TRUE(rig.m_messages.ShownBoxes().empty());
    struct NoVolume : IDataSource {
        std::optional<std::vector<uint8_t>> GetVolumeData() const override { return std::nullopt; }
    } none;
    EXPECT_EQ(CFSRecDoc::ProposedDropEffect(none, false), DROPEFFECT_NONE);
    EXPECT_EQ(CFSRecDoc::ProposedDropEffect(CVolumeData({1}), false), DROPEFFECT_MOVE);
    EXPECT_EQ(CFSRecDoc::ProposedDropEffect(CVolumeData({1}), true), DROPEFFECT_COPY);
    EXPECT_FALSE(rig.Doc().DropVolume(none));
    EXPECT_EQ(rig.Doc().Roots().size(), 3u);
}

TEST(EditHistory, CutOfAVolumeThatCannotReachTheClipboardKeepsIt) {
    test::ScriptedMessageService messages;
    CatalogueServices services;
    services.m_messages = &messages;  // no clipboard at all
    CFSRecDoc doc(services);
    ASSERT_TRUE(doc.OnNewDocument());
    CRootEntry* root = doc.AppendRoot(MakeRoot(u"DATA"));
    EXPECT_FALSE(doc.CutRoot(*root));
    EXPECT_EQ(doc.Roots().size(), 1u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.Paste());
    EXPECT_EQ(doc.DragRoot(*root), DROPEFFECT_NONE);  // no drag service either
    EXPECT_EQ(doc.Roots().size(), 1u);
}

// --- Drag and drop ---------------------------------------------------------------

struct TwoCatalogues {
    TwoCatalogues() : m_source(&m_clipboard, &m_drag), m_target(&m_clipboard, &m_drag) {
        m_drag.m_source = &m_source.Doc();
    }
    CMemoryClipboard m_clipboard;
    FakeDragService m_drag;
    ThreeVolumes m_source;
    ThreeVolumes m_target;
};

TEST(DragAndDrop, MoveToAnotherCatalogueIsUndoableOnBothSides) {
    TwoCatalogues two;
    CFSRecDoc& source = two.m_source.Doc();
    CFSRecDoc& target = two.m_target.Doc();
    two.m_drag.m_target = &target;
    CRootEntry* b = &two.m_source.Root(1);
    EXPECT_EQ(source.DragRoot(*b), DROPEFFECT_MOVE);
    EXPECT_TRUE(two.m_drag.m_sourceWasFlagged);
    EXPECT_FALSE(source.IsDragSource());
    EXPECT_EQ(Names(source), (std::vector<std::u16string>{u"A", u"C"}));
    EXPECT_EQ(Names(target), (std::vector<std::u16string>{u"A", u"B", u"C", u"B"}));
    EXPECT_EQ(source.UndoKind(), HISTORY_REMOVED);
    EXPECT_EQ(target.UndoKind(), HISTORY_ADDED);
    EXPECT_TRUE(source.IsModified());
    EXPECT_TRUE(target.IsModified());
    EXPECT_FALSE(two.m_clipboard.HasVolumeData());  // a drag leaves the clipboard alone
    source.Undo();
    target.Undo();
    EXPECT_EQ(Names(source), (std::vector<std::u16string>{u"A", u"C", u"B"}));
    EXPECT_EQ(Names(target), (std::vector<std::u16string>{u"A", u"B", u"C"}));
}

TEST(DragAndDrop, CopyToAnotherCatalogueLeavesTheSource) {
    TwoCatalogues two;
    two.m_drag.m_target = &two.m_target.Doc();
    two.m_drag.m_controlKey = true;
    const std::vector<uint8_t> before = CatalogueBytes(two.m_source.Doc());
    EXPECT_EQ(two.m_source.Doc().DragRoot(two.m_source.Root(0)), DROPEFFECT_COPY);
    EXPECT_EQ(CatalogueBytes(two.m_source.Doc()), before);
    EXPECT_FALSE(two.m_source.Doc().IsModified());
    EXPECT_FALSE(two.m_source.Doc().CanUndo());
    EXPECT_EQ(Names(two.m_target.Doc()), (std::vector<std::u16string>{u"A", u"B", u"C", u"A"}));
}

TEST(DragAndDrop, WithinOneCatalogueCopyAddsAndMoveChangesNothing) {
    for (const bool control : {true, false}) {
        SCOPED_TRACE(control);
        TwoCatalogues two;
        CFSRecDoc& doc = two.m_source.Doc();
        two.m_drag.m_target = &doc;
        two.m_drag.m_controlKey = control;
        const std::vector<uint8_t> before = CatalogueBytes(doc);
        two.m_source.m_view.m_hints.clear();
        EXPECT_EQ(doc.DragRoot(two.m_source.Root(0)), control ? DROPEFFECT_COPY : DROPEFFECT_MOVE);
        if (control) {
            EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"A", u"B", u"C", u"A"}));
            EXPECT_EQ(doc.UndoKind(), HISTORY_ADDED);
            EXPECT_EQ(doc.PendingRoot(), nullptr);
        } else {
            EXPECT_EQ(CatalogueBytes(doc), before);
            EXPECT_FALSE(doc.IsModified());
            EXPECT_TRUE(two.m_source.m_view.m_hints.empty());
            EXPECT_NE(doc.PendingRoot(), nullptr);  // until the next clearing
            doc.ClearHistory();
            EXPECT_EQ(doc.PendingRoot(), nullptr);
        }
    }
}

TEST(DragAndDrop, DragEndingNowhereChangesNothing) {
    TwoCatalogues two;
    const std::vector<uint8_t> before = CatalogueBytes(two.m_source.Doc());
    EXPECT_EQ(two.m_source.Doc().DragRoot(two.m_source.Root(2)), DROPEFFECT_NONE);
    EXPECT_EQ(CatalogueBytes(two.m_source.Doc()), before);
    EXPECT_EQ(two.m_drag.m_drags, 1);
}

// --- Ownership ---------------------------------------------------------------------

TEST(Ownership, ClosingReleasesEveryKindOfHeldRoot) {
    // Each document ends holding a root in a different place: the undo step
    // of a cut, the redo step of an undone paste, a pending root.
    CMemoryClipboard clipboard;
    FakeDragService drag;
    {
        ThreeVolumes cut(&clipboard, &drag);
        ASSERT_TRUE(cut.Doc().CutRoot(cut.Root(0)));
        ThreeVolumes undonePaste(&clipboard, &drag);
        ASSERT_TRUE(undonePaste.Doc().Paste());
        undonePaste.Doc().Undo();
        ASSERT_EQ(undonePaste.Doc().RedoKind(), HISTORY_ADDED);
        ThreeVolumes pending(&clipboard, &drag);
        drag.m_target = &pending.Doc();
        pending.Doc().DragRoot(pending.Root(0));
        ASSERT_NE(pending.Doc().PendingRoot(), nullptr);
        cut.Doc().OnCloseDocument();
        EXPECT_FALSE(cut.Doc().CanUndo());
        // The other two are destroyed with their documents.
    }
}

// Runs random sequences of every editing operation over two catalogues that
// share a clipboard and drag into each other, checking after each step that
// every root has exactly one owner. Under the sanitizer build this also
// proves there is no leak, double free or use after free.
TEST(Ownership, RandomEditSequencesKeepOneOwnerPerRoot) {
    CMemoryClipboard clipboard;
    FakeDragService drag;
    std::mt19937 random(20240601);
    for (int round = 0; round < 40; ++round) {
        ThreeVolumes first(&clipboard, &drag);
        ThreeVolumes second(&clipboard, &drag);
        ThreeVolumes* rigs[2] = {&first, &second};
        for (int step = 0; step < 60; ++step) {
            ThreeVolumes& rig = *rigs[random() % 2];
            CFSRecDoc& doc = rig.Doc();
            const auto& roots = doc.Roots();
            CRootEntry* some = roots.empty() ? nullptr : roots[random() % roots.size()].get();
            switch (random() % 11) {
                case 0:
                    if (some) doc.CutRoot(*some);
                    break;
                case 1:
                    if (some) doc.CopyRoot(*some);
                    break;
                case 2:
                    doc.Paste();
                    break;
                case 3:
                    doc.Undo();
                    break;
                case 4:
                    doc.Redo();
                    break;
                case 5:
                    if (some) doc.EndLabelEdit(*some, random() % 2 ? u"" : u"name");
                    break;
                case 6:
                    if (some) {
                        drag.m_source = &doc;
                        const unsigned where = random() % 3;  // nowhere, the other catalogue, this one
                        drag.m_target = where == 0 ? nullptr : where == 1 ? &rigs[&rig == &first]->Doc() : &doc;
                        drag.m_controlKey = random() % 2;
                        doc.DragRoot(*some);
                    }
                    break;
                case 7:
                    doc.DropVolume(clipboard);
                    break;
                case 8: {
                    CVolumeReadScope read(doc, random() % 2 && !roots.empty() ? int(random() % roots.size()) : -1);
                    if (read.Root() && random() % 2) read.Commit(1);
                    break;
                }
                case 9:
                    if (random() % 4 == 0) doc.OnCloseDocument();
                    break;
                case 10:
                    doc.ClearHistory();
                    break;
            }
            // Every root of the list is distinct; the history's roots are
            // where their kind says.
            for (ThreeVolumes* r : rigs) {
                const CFSRecDoc& d = r->Doc();
                std::set<const CRootEntry*> inList;
                for (size_t i = 0; i < d.Roots().size(); ++i) {
                    ASSERT_TRUE(inList.insert(d.Roots()[i].get()).second);
                    ASSERT_EQ(size_t(d.Roots()[i]->m_rootStamp), i);
                }
                if (d.UndoKind() == HISTORY_REMOVED) {
                    ASSERT_EQ(inList.count(d.UndoRoot()), 0u);
                }
                if (d.UndoKind() == HISTORY_ADDED) {
                    ASSERT_EQ(inList.count(d.UndoRoot()), 1u);
                }
                if (d.RedoKind() == HISTORY_ADDED) {
                    ASSERT_EQ(inList.count(d.RedoRoot()), 0u);
                }
                if (d.RedoKind() == HISTORY_REMOVED) {
                    ASSERT_EQ(inList.count(d.RedoRoot()), 1u);
                }
                if (d.PendingRoot()) {
                    ASSERT_EQ(inList.count(d.PendingRoot()), 0u);
                }
                ASSERT_FALSE(d.IsDragSource());
            }
        }
    }
}

}  // namespace
}  // namespace volcatra
