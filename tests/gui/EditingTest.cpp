// Editing volumes from the catalogue window: the enabling of cut, copy,
// paste and rename in the tree and the list, the commands through the
// command chain with the clipboard, undo and redo, rename in place with the
// shortcut table off and committed on close, and dragging volumes within
// and between windows.
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <set>

#include "GuiTestSupport.h"
#include "browsing/VolumeDragDrop.h"
#include "ui/QtServices.h"

namespace volcatra::test {
namespace {

RootList TwoVolumes(const char16_t* first, const char16_t* second) {
    RootList roots;
    for (const char16_t* label : {first, second}) {
        auto root = MakeVolume(label);
        CFileArray& top = AddArray(*root, u"\\");
        AddEntry(top, u"Docs", FA_DIRECTORY, 0, 0, 1);
        AddEntry(top, u"readme.txt", FA_ARCHIVE, 10, 0);
        AddArray(*root, u"\\Docs");
        roots.push_back(std::move(root));
    }
    return roots;
}

std::vector<std::u16string> Names(const CFSRecDoc& doc) {
    std::vector<std::u16string> names;
    for (const auto& root : doc.Roots()) names.push_back(root->GetDisplayName());
    return names;
}

// The history's roots lie where their kinds say: outside the list for a
// removed undo step, an added redo step and the pending root, inside it
// otherwise.
void ExpectSingleOwnership(const CFSRecDoc& doc) {
    const auto inList = [&doc](const CRootEntry* root) { return doc.FindRoot(root) >= 0; };
    if (doc.UndoKind() != HISTORY_NONE) {
        EXPECT_EQ(inList(doc.UndoRoot()), doc.UndoKind() != HISTORY_REMOVED) << "undo kind " << doc.UndoKind();
    }
    if (doc.RedoKind() != HISTORY_NONE) {
        EXPECT_EQ(inList(doc.RedoRoot()), doc.RedoKind() != HISTORY_ADDED) << "redo kind " << doc.RedoKind();
    }
    if (doc.PendingRoot()) {
        EXPECT_FALSE(inList(doc.PendingRoot()));
    }
    std::set<const CRootEntry*> distinct;
    for (const auto& root : doc.Roots()) distinct.insert(root.get());
    EXPECT_EQ(distinct.size(), doc.Roots().size());
}

// Delivers a drag to a view as Qt's drag loop would: drag enter, then the
// drop when the enter was accepted, with the modifiers held.
uint32_t DeliverDrag(QWidget* target, const QMimeData& data, Qt::KeyboardModifiers modifiers,
                     Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
    const QPointF point(5, 5);
    QDragEnterEvent enter(point.toPoint(), actions, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return DROPEFFECT_NONE;
    QDropEvent drop(point, actions, &data, Qt::LeftButton, modifiers);
    drop.setDropAction(enter.dropAction());
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? DropEffectOf(drop.dropAction()) : DROPEFFECT_NONE;
}

// A drag loop that drops on one widget (or nowhere) with the modifiers.
struct ScriptedDrag : IDragService {
    uint32_t DoDragDrop(const CVolumeData& data, uint32_t) override {
        ++m_drags;
        if (!m_target) return DROPEFFECT_NONE;
        std::unique_ptr<QMimeData> mime(MakeVolumeMimeData(data.Bytes()));
        return DeliverDrag(m_target, *mime, m_modifiers);
    }
    QWidget* m_target = nullptr;
    Qt::KeyboardModifiers m_modifiers;
    int m_drags = 0;
};

class EditingTest : public GuiTest {
protected:
    // Opens catalogue A (volumes A1, A2) and, when asked, B (B1, B2).
    void Open(bool second = false) {
        StartApp({WriteCatalogue(TwoVolumes(u"A1", u"A2"), QStringLiteral("a.fsr"))},
                 [this](AppServices& services) { services.m_dragService = &m_drag; });
        if (second) App().OpenDocumentFile(WriteCatalogue(TwoVolumes(u"B1", u"B2"), QStringLiteral("b.fsr")));
        Flush();
        ASSERT_EQ(App().MainFrame()->CatalogueFrames().size(), size_t(second ? 2 : 1));
    }
    CChildFrame& Frame(int i) const { return *m_app->MainFrame()->CatalogueFrames()[size_t(i)]; }
    CFSRecDoc& Doc(int i) const { return Frame(i).Document(); }
    static QWidget* Viewport(QAbstractItemView* view) { return view->viewport(); }
    // Selects a volume (or, with path, a folder) in the tree of frame i.
    void SelectInTree(int i, const std::u16string& path) {
        ASSERT_EQ(Frame(i).TreeView()->SelectPath(path), 0);
        Frame(i).SetActiveView(Frame(i).TreeView());
    }
    void SelectCatalogueItem(int i) {
        CFSTreeView& tree = *Frame(i).TreeView();
        tree.setCurrentIndex(tree.Model().IndexOf(tree.Model().CatalogueNode()));
        Frame(i).SetActiveView(&tree);
    }
    // Selects a row of the list of frame i by name.
    void SelectInList(int i, const std::u16string& name) {
        CFSListView& list = *Frame(i).ListView();
        ASSERT_EQ(list.SelectName(name), 0);
        list.ItemView()->setCurrentIndex(list.Model().index(list.SelectedRow(), 0));
        Frame(i).SetActiveView(&list);
    }
    bool Enabled(uint32_t id) const { return m_app->MainFrame()->QueryState(id).m_enabled; }
    std::string States() const {
        std::string text;
        for (uint32_t id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_RENAME, ID_EDIT_UNDO})
            text += Enabled(id) ? '1' : '0';
        return text;
    }
    void Route(uint32_t id) { App().MainFrame()->Route(id); }

    ScriptedDrag m_drag;
};

TEST_F(EditingTest, EnablingFollowsTheSelectionAndTheSearch) {
    Open();
    // Cut, copy, paste, rename, undo; the clipboard is empty at first.
    SelectCatalogueItem(0);
    EXPECT_EQ(States(), "00000");
    SelectInTree(0, u"[A1] \\");
    EXPECT_EQ(States(), "11010");
    SelectInTree(0, u"[A1] \\Docs");
    EXPECT_EQ(States(), "00000");
    // The list: the volume list, then a folder's rows.
    SelectCatalogueItem(0);
    SelectInList(0, u"A2");
    EXPECT_EQ(States(), "11010");
    SelectInTree(0, u"[A1] \\");
    SelectInList(0, u"readme.txt");
    EXPECT_EQ(States(), "00000");

    // A volume on the clipboard offers paste everywhere.
    SelectInTree(0, u"[A1] \\");
    Route(ID_EDIT_COPY);
    EXPECT_TRUE(m_clipboard.HasVolumeData());
    EXPECT_EQ(States(), "11110");
    SelectInList(0, u"readme.txt");
    EXPECT_EQ(States(), "00100");
    // Text on the clipboard does not.
    m_clipboard.SetText(u"text");
    EXPECT_EQ(States(), "00000");

    // While the catalogue is searched only copy stays.
    SelectInTree(0, u"[A1] \\");
    Route(ID_EDIT_COPY);
    Route(ID_EDIT_CUT);
    ASSERT_TRUE(Doc(0).CanUndo());
    Doc(0).SetBeingSearched(true);
    EXPECT_EQ(States(), "00000");  // A1 was cut: nothing is selected now
    SelectInList(0, u"A2");
    EXPECT_EQ(States(), "01000");
    Doc(0).SetBeingSearched(false);
    EXPECT_EQ(States(), "11111");
}

TEST_F(EditingTest, CutCopyPasteUndoRedoThroughTheViews) {
    Open();
    CFSRecDoc& doc = Doc(0);
    // Cut from the tree; undo brings the volume back at the end.
    SelectInTree(0, u"[A1] \\");
    Route(ID_EDIT_CUT);
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"A2"}));
    EXPECT_TRUE(m_clipboard.HasVolumeData());
    EXPECT_TRUE(doc.IsModified());
    ExpectSingleOwnership(doc);
    EXPECT_EQ(Frame(0).ListView()->Model().rowCount(), 1);
    Route(ID_EDIT_UNDO);
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"A2", u"A1"}));
    ExpectSingleOwnership(doc);
    Route(ID_EDIT_REDO);
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"A2"}));
    ExpectSingleOwnership(doc);

    // Paste twice from the list: two new volumes, only the last undoable.
    SelectInList(0, u"A2");
    Route(ID_EDIT_PASTE);
    Route(ID_EDIT_PASTE);
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"A2", u"A1", u"A1"}));
    EXPECT_NE(doc.Roots()[1].get(), doc.Roots()[2].get());
    ExpectSingleOwnership(doc);
    EXPECT_EQ(Frame(0).ListView()->Model().rowCount(), 3);
    EXPECT_EQ(Frame(0).TreeView()->Model().CatalogueNode()->m_children.size(), size_t(3));
    Route(ID_EDIT_UNDO);
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"A2", u"A1"}));
    EXPECT_FALSE(Enabled(ID_EDIT_UNDO));
    ExpectSingleOwnership(doc);
    Route(ID_EDIT_REDO);
    EXPECT_EQ(Names(doc), (std::vector<std::u16string>{u"A2", u"A1", u"A1"}));
    ExpectSingleOwnership(doc);

    // Copy leaves the history as it is.
    SelectInList(0, u"A2");
    Route(ID_EDIT_COPY);
    EXPECT_TRUE(Enabled(ID_EDIT_UNDO));
}

TEST_F(EditingTest, ADamagedPasteShowsTheTextAndChangesNothing) {
    Open();
    SelectInTree(0, u"[A1] \\");
    Route(ID_EDIT_CUT);
    m_clipboard.SetVolumeData({0x01, 0x02, 0x03});
    Route(ID_EDIT_PASTE);
    ASSERT_EQ(m_messages.ShownBoxes().size(), size_t(1));
    EXPECT_EQ(m_messages.ShownBoxes()[0].text, u"無題のファイル の末尾以降にアクセスしようとしました。");
    EXPECT_EQ(m_messages.ShownBoxes()[0].icon, MessageIcon::Stop);
    EXPECT_EQ(Names(Doc(0)), (std::vector<std::u16string>{u"A2"}));
    // The history was cleared before the read.
    EXPECT_FALSE(Doc(0).CanUndo());
    EXPECT_EQ(Doc(0).PendingRoot(), nullptr);
}

TEST_F(EditingTest, RenameInPlaceTurnsTheShortcutsOffAndIsCommittedOnClose) {
    Open();
    CMainFrame& main = *App().MainFrame();
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QAction* copyKey = nullptr;
    for (QAction* action : main.ShortcutActions())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_C)) copyKey = action;
    ASSERT_NE(copyKey, nullptr);

    // F2 on a volume in the tree opens the editor; the keys go to it.
    SelectInTree(0, u"[A1] \\");
    CFSTreeView& tree = *Frame(0).TreeView();
    tree.setFocus();
    main.UpdateCommandStates();  // what the idle update does
    ASSERT_TRUE(copyKey->isEnabled());
    QTest::keyClick(&tree, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(copyKey->isEnabled());
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Photos"));
    // Enter commits: a rename step, the shortcut table back on.
    QTest::keyClick(editor, Qt::Key_Return);
    Flush();
    EXPECT_EQ(Names(Doc(0)), (std::vector<std::u16string>{u"Photos", u"A2"}));
    EXPECT_EQ(Doc(0).UndoKind(), HISTORY_RENAMED);
    EXPECT_TRUE(copyKey->isEnabled());
    Route(ID_EDIT_UNDO);
    EXPECT_EQ(Names(Doc(0)), (std::vector<std::u16string>{u"A1", u"A2"}));

    // The rename command in the list, the editor still open when the window
    // closes: the name is kept and the save question comes.
    SelectCatalogueItem(0);
    SelectInList(0, u"A2");
    Frame(0).ListView()->ItemView()->setFocus();
    Route(ID_RENAME);
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(copyKey->isEnabled());
    editor->setText(QStringLiteral("Music"));
    CFSRecDoc* doc = &Doc(0);
    m_messages.Answer({MessageAnswer::Cancel});
    EXPECT_FALSE(Frame(0).close());
    EXPECT_EQ(Names(*doc), (std::vector<std::u16string>{u"A1", u"Music"}));
    ASSERT_EQ(m_messages.ShownBoxes().size(), size_t(1));
    EXPECT_EQ(m_messages.ShownBoxes()[0].text, u"a.fsr への変更を保存しますか?");
}

TEST_F(EditingTest, RenameIsCommittedWhenTheCatalogueCloses) {
    Open();
    SelectCatalogueItem(0);
    SelectInList(0, u"A1");
    CFSListView& list = *Frame(0).ListView();
    list.ItemView()->edit(list.Model().index(list.SelectedRow(), 0));
    auto* editor = list.ItemView()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Music"));
    // File > Close asks about the typed name; cancelling keeps the window.
    m_messages.Answer({MessageAnswer::Cancel});
    Route(ID_FILE_CLOSE);
    EXPECT_EQ(Names(Doc(0)), (std::vector<std::u16string>{u"Music", u"A2"}));
    EXPECT_EQ(m_messages.ShownBoxes().size(), size_t(1));
}

TEST_F(EditingTest, DropsOfDataWithAndWithoutTheVolume) {
    Open(true);
    ASSERT_TRUE(Doc(0).CopyRoot(*Doc(0).Roots()[0]));
    std::unique_ptr<QMimeData> volume(MakeVolumeMimeData(*m_clipboard.GetVolumeData()));
    QWidget* targets[] = {Frame(1).TreeView()->viewport(), Frame(1).ListView()->DetailsView()->viewport()};

    // Into catalogue B: move without Ctrl, copy with it; each added and undoable.
    EXPECT_EQ(DeliverDrag(targets[0], *volume, Qt::NoModifier), DROPEFFECT_MOVE);
    EXPECT_EQ(DeliverDrag(targets[1], *volume, Qt::ControlModifier), DROPEFFECT_COPY);
    EXPECT_EQ(Names(Doc(1)), (std::vector<std::u16string>{u"B1", u"B2", u"A1", u"A1"}));
    EXPECT_EQ(Doc(1).UndoKind(), HISTORY_ADDED);
    ExpectSingleOwnership(Doc(1));

    // Refused: data without the format, a damaged payload (no message), a
    // catalogue being searched, a drag that offers only a link.
    QMimeData text;
    text.setText(QStringLiteral("A1"));
    QMimeData damaged;
    damaged.setData(QString::fromLatin1(kVolumeMimeType), QByteArray("\x01\x02", 2));
    for (QWidget* target : targets) {
        EXPECT_EQ(DeliverDrag(target, text, Qt::NoModifier), DROPEFFECT_NONE);
        EXPECT_EQ(DeliverDrag(target, damaged, Qt::NoModifier), DROPEFFECT_NONE);
        EXPECT_EQ(DeliverDrag(target, *volume, Qt::NoModifier, Qt::LinkAction), DROPEFFECT_NONE);
        Doc(1).SetBeingSearched(true);
        EXPECT_EQ(DeliverDrag(target, *volume, Qt::ControlModifier), DROPEFFECT_NONE);
        Doc(1).SetBeingSearched(false);
    }
    EXPECT_EQ(Doc(1).Roots().size(), size_t(4));
    EXPECT_TRUE(m_messages.ShownBoxes().empty());
}

TEST_F(EditingTest, DraggingVolumesWithinAndBetweenWindows) {
    Open(true);
    // From A's tree onto B's list without Ctrl: moved, undoable on both sides.
    SelectInTree(0, u"[A1] \\");
    m_drag.m_target = Frame(1).ListView()->DetailsView()->viewport();
    Frame(0).TreeView()->StartVolumeDrag();
    EXPECT_EQ(Names(Doc(0)), (std::vector<std::u16string>{u"A2"}));
    EXPECT_EQ(Names(Doc(1)), (std::vector<std::u16string>{u"B1", u"B2", u"A1"}));
    EXPECT_EQ(Doc(0).UndoKind(), HISTORY_REMOVED);
    EXPECT_EQ(Doc(1).UndoKind(), HISTORY_ADDED);
    ExpectSingleOwnership(Doc(0));
    ExpectSingleOwnership(Doc(1));

    // From B's list onto A's tree with Ctrl: copied, B unchanged.
    SelectCatalogueItem(1);
    SelectInList(1, u"B1");
    m_drag.m_target = Frame(0).TreeView()->viewport();
    m_drag.m_modifiers = Qt::ControlModifier;
    Frame(1).ListView()->StartRowDrag(Frame(1).ListView()->ItemView());
    EXPECT_EQ(Names(Doc(0)), (std::vector<std::u16string>{u"A2", u"B1"}));
    EXPECT_EQ(Doc(1).Roots().size(), size_t(3));
    EXPECT_FALSE(Doc(1).CanUndo());

    // Within A: with Ctrl a copy is appended, without nothing changes.
    SelectInTree(0, u"[A2] \\");
    m_drag.m_target = Frame(0).ListView()->DetailsView()->viewport();
    Frame(0).TreeView()->StartVolumeDrag();
    EXPECT_EQ(Names(Doc(0)), (std::vector<std::u16string>{u"A2", u"B1", u"A2"}));
    ExpectSingleOwnership(Doc(0));
    SelectInTree(0, u"[B1] \\");
    m_drag.m_modifiers = Qt::NoModifier;
    Frame(0).TreeView()->StartVolumeDrag();
    EXPECT_EQ(Names(Doc(0)), (std::vector<std::u16string>{u"A2", u"B1", u"A2"}));
    EXPECT_FALSE(Doc(0).CanUndo());
    ExpectSingleOwnership(Doc(0));

    // Dropped nowhere: nothing changes. Folders and searched catalogues do
    // not start a drag.
    m_drag.m_target = nullptr;
    Frame(0).TreeView()->StartVolumeDrag();
    EXPECT_EQ(Doc(0).Roots().size(), size_t(3));
    const int drags = m_drag.m_drags;
    SelectInTree(0, u"[B1] \\Docs");
    Frame(0).TreeView()->StartVolumeDrag();
    SelectInTree(0, u"[B1] \\");
    Doc(0).SetBeingSearched(true);
    Frame(0).TreeView()->StartVolumeDrag();
    Doc(0).SetBeingSearched(false);
    EXPECT_EQ(m_drag.m_drags, drags);
}

}  // namespace
}  // namespace volcatra::test
