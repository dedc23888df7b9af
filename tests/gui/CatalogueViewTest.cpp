// The catalogue window: tree order and select-by-path, list fill and sort
// keys, copy name and copy path, remembered widths.
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "GuiTestSupport.h"

namespace volcatra::test {
namespace {

// Two volumes: Disk1 (folders b, A, the archive a.zip, a folder inside the
// archive, files of several sizes) and disk0 (empty top folder).
RootList Catalogue() {
    RootList roots;
    auto disk1 = MakeVolume(u"Disk1");
    disk1->m_usedBytes = disk1->m_size = 5000;
    disk1->m_time = 2000;
    {
        CFileArray& top = AddArray(*disk1, u"\\");  // 0
        AddEntry(top, u"b", FA_DIRECTORY, 0, 1'300'000'000, 1);
        AddEntry(top, u"Setup", FA_DIRECTORY, 0, 1'300'000'000, 2);
        AddEntry(top, u"a.zip", FA_ARCHIVE | FA_ARCHIVE_LISTED, 300, 1'300'000'100, 4);
        AddEntry(top, u"A", FA_DIRECTORY, 0, 0, 5);
        AddEntry(top, u"zero.txt", FA_ARCHIVE, 0, 1'300'000'200);
        AddEntry(top, u"Big.bin", FA_ARCHIVE, 1'048'577, 0);
        AddEntry(top, u"c.txt", FA_ARCHIVE, 300, 1'200'000'000);
        AddArray(*disk1, u"\\b");                          // 1
        CFileArray& setup = AddArray(*disk1, u"\\Setup");  // 2
        AddEntry(setup, u"setup.exe", FA_ARCHIVE, 100, 0);
        AddEntry(setup, u"Tools", FA_DIRECTORY, 0, 0, 3);
        AddArray(*disk1, u"\\Setup\\Tools");             // 3
        CFileArray& zip = AddArray(*disk1, u"\\a.zip");  // 4
        AddEntry(zip, u"inner/", FA_ARCHIVE_FOLDER, 0, 0);
        AddEntry(zip, u"inner/x.txt", 0, 5, 0);
        AddArray(*disk1, u"\\A");  // 5
    }
    auto disk0 = MakeVolume(u"disk0", DRIVE_REMOVABLE);
    disk0->m_usedBytes = disk0->m_size = 9000;
    disk0->m_time = 1000;
    AddArray(*disk0, u"\\");
    auto unread = MakeVolume(u"Unread", DRIVE_FIXED);
    unread->m_childIndex = -1;
    unread->m_usedBytes = unread->m_size = 1;
    unread->m_time = 3000;
    roots.push_back(std::move(disk1));
    roots.push_back(std::move(disk0));
    roots.push_back(std::move(unread));
    return roots;
}

class CatalogueViewTest : public GuiTest {
protected:
    void Open() {
        StartApp({WriteCatalogue(Catalogue(), QStringLiteral("cat.fsr"))});
        ASSERT_NE(ActiveFrame(), nullptr);
    }
    // The texts of the children of a tree node.
    static QStringList Children(const CFSTreeModel::Node* node) {
        QStringList texts;
        for (const CFSTreeModel::Node* child : node->m_children) texts << child->m_text;
        return texts;
    }
    const CFSTreeModel::Node* Volume(const char16_t* name) const {
        for (const CFSTreeModel::Node* node : Tree().Model().CatalogueNode()->m_children)
            if (node->m_text == QString::fromUtf16(name)) return node;
        return nullptr;
    }
    void SelectFolder(const std::u16string& path) {
        ASSERT_EQ(Tree().SelectPath(path), 0) << QString::fromStdU16String(path).toStdString();
    }
    // Copies with the command through the chain, from the given view.
    QString CopyWith(ICommandTarget* view, uint32_t id) {
        m_clipboard.Clear();
        ActiveFrame()->SetActiveView(view);
        App().MainFrame()->Route(id);
        return m_clipboard.Text() ? QString::fromStdU16String(*m_clipboard.Text()) : QStringLiteral("(none)");
    }
};

TEST_F(CatalogueViewTest, TreeLevelsAndOrder) {
    Open();
    const CFSTreeModel::Node* top = Tree().Model().CatalogueNode();
    EXPECT_EQ(top->m_text, QStringLiteral("cat.fsr"));
    EXPECT_TRUE(Tree().isExpanded(Tree().Model().IndexOf(top)));
    // Volumes by text ignoring case; folders first, then archives, by name.
    EXPECT_EQ(Children(top), (QStringList{"disk0", "Disk1", "Unread"}));
    EXPECT_EQ(Children(Volume(u"Disk1")), (QStringList{"A", "b", "Setup", "a.zip"}));
    // Folders inside archives have no tree item; unrecorded contents no children.
    EXPECT_TRUE(Volume(u"Disk1")->m_children[3]->m_children.empty());
    EXPECT_TRUE(Volume(u"Unread")->m_children.empty());
    EXPECT_TRUE(Volume(u"disk0")->m_children.empty());
    // Pictures: catalogue, drive types, closed/open folder, blank for archives.
    EXPECT_EQ(top->m_picture, PICTURE_CATALOGUE);
    EXPECT_EQ(Volume(u"Disk1")->m_picture, PICTURE_OPTICAL_DISC);
    EXPECT_EQ(Volume(u"disk0")->m_picture, PICTURE_FLOPPY_DISK);
    EXPECT_EQ(Volume(u"Unread")->m_picture, PICTURE_HARD_DISK);
    EXPECT_EQ(Volume(u"Disk1")->m_children[0]->m_picture, PICTURE_CLOSED_FOLDER);
    EXPECT_EQ(Volume(u"Disk1")->m_children[0]->m_selectedPicture, PICTURE_OPEN_FOLDER);
    EXPECT_EQ(Volume(u"Disk1")->m_children[3]->m_picture, PICTURE_TRANSPARENT);
    // Only volume items can be edited in place.
    auto& model = Tree().Model();
    EXPECT_FALSE(model.flags(model.IndexOf(top)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(model.IndexOf(Volume(u"Disk1"))) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.IndexOf(Volume(u"Disk1")->m_children[0])) & Qt::ItemIsEditable);
}

TEST_F(CatalogueViewTest, DamagedFolderLinksDoNotLoopTheTree) {
    StartApp();
    App().MainFrame()->Route(ID_FILE_NEW);
    Flush();
    // Two folders in the top list name the list of "x", which names the top
    // list again from inside: every list is shown once.
    auto root = MakeVolume(u"LOOP");
    CFileArray& top = AddArray(*root, u"\\");
    AddEntry(top, u"x", FA_DIRECTORY, 0, 0, 1);
    AddEntry(top, u"y", FA_DIRECTORY, 0, 0, 1);
    CFileArray& x = AddArray(*root, u"\\x");
    AddEntry(x, u"back", FA_DIRECTORY, 0, 0, 0);
    AddEntry(x, u"self", FA_DIRECTORY, 0, 0, 1);
    ActiveFrame()->Document().AppendRoot(std::move(root));
    ActiveFrame()->Document().UpdateAllViews(HINT_REBUILD);
    const CFSTreeModel::Node* volume = Tree().Model().CatalogueNode()->m_children.at(0);
    ASSERT_EQ(Children(volume), (QStringList{"x", "y"}));
    EXPECT_EQ(Children(volume->m_children[0]), (QStringList{"back", "self"}));
    EXPECT_TRUE(volume->m_children[0]->m_children[0]->m_children.empty());
    EXPECT_TRUE(volume->m_children[1]->m_children.empty());
}

TEST_F(CatalogueViewTest, SelectByPath) {
    Open();
    struct Case {
        std::u16string path;
        int answer;
        std::u16string selectedPath;  // of the selection afterwards
    };
    const Case cases[] = {
        {u"[Disk1] \\Setup\\Tools", 0, u"\\Setup\\Tools"},
        {u"[disk1] \\setup", 0, u"\\Setup"},
        {u"[Disk1] \\", 0, u"\\"},
        {u"Disk1\\Setup", -1, u"\\"},
        {u"[Disk1] \\Missing", -1, u"\\"},
        {u"[Nope] \\", -1, u"\\"},
        {u"[] \\", -1, u"\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tree().SelectPath(c.path), c.answer) << QString::fromStdU16String(c.path).toStdString();
        EXPECT_EQ(Tree().SelectedPath(), c.selectedPath) << QString::fromStdU16String(c.path).toStdString();
    }
}

// Names sort exactly as their whole texts compare ignoring ASCII case,
// also where they agree in their first characters, differ only in case or
// length, or hold a zero code unit; equal names keep their order.
TEST_F(CatalogueViewTest, NamesSortAsTheirWholeTextsCompare) {
    const std::u16string names[] = {
        u"report-2024-0001.TXT",
        u"REPORT-2024-0002.txt",
        u"report-2024-000",
        u"report-2024-0001.txt",
        u"ab",
        u"AB_",
        u"ab[",
        std::u16string(u"ab\0c", 4),
        std::u16string(u"ab\0", 3),
        u"a",
        u"写真データ_10",
        u"写真データ_2",
        u"写真データ_1",
        u"Zebra",
        u"apple",
        u"ABCDEFGH",
        u"abcdefgh",
        u"abcdefg",
    };
    RootList roots;
    auto volume = MakeVolume(u"V");
    CFileArray& top = AddArray(*volume, u"\\");
    for (const std::u16string& name : names) AddEntry(top, name, FA_ARCHIVE, name.size(), 0);
    AddEntry(top, u"zz-folder", FA_DIRECTORY, 0, 0, -1);
    roots.push_back(std::move(volume));
    StartApp({WriteCatalogue(std::move(roots), QStringLiteral("names.fsr"))});
    ASSERT_NE(ActiveFrame(), nullptr);
    SelectFolder(u"[V] \\");

    std::vector<std::u16string> ascending(std::begin(names), std::end(names));
    std::stable_sort(ascending.begin(), ascending.end(),
                     [](const auto& a, const auto& b) { return CompareIgnoringAsciiCase(a, b) < 0; });
    std::vector<std::u16string> descending(std::begin(names), std::end(names));
    std::stable_sort(descending.begin(), descending.end(),
                     [](const auto& a, const auto& b) { return CompareIgnoringAsciiCase(a, b) > 0; });
    QStringList up{"zz-folder"};
    for (const auto& name : ascending) up << QString::fromStdU16String(name);
    QStringList down;
    for (const auto& name : descending) down << QString::fromStdU16String(name);
    down << "zz-folder";
    EXPECT_EQ(List().SortKey(), SORT_NAME);
    EXPECT_EQ(ListNames(), up);
    List().OnColumnClick(0);
    EXPECT_EQ(ListNames(), down);
}

TEST_F(CatalogueViewTest, ListFillsAndSorts) {
    Open();
    // The volume list first, by name.
    EXPECT_EQ(List().ShownFolder(), nullptr);
    EXPECT_EQ(ListNames(), (QStringList{"disk0", "Disk1", "Unread"}));
    EXPECT_EQ(List().SortKey(), SORT_NAME);
    // Volumes by used space and by read time; kind leaves them equal.
    List().OnColumnClick(1);
    EXPECT_EQ(ListNames(), (QStringList{"Unread", "Disk1", "disk0"}));
    List().OnColumnClick(3);
    EXPECT_EQ(ListNames(), (QStringList{"disk0", "Disk1", "Unread"}));

    SelectFolder(u"[Disk1] \\");
    EXPECT_EQ(List().SortKey(), SORT_NAME);
    // Folders first by name, then files (an archive is a file).
    EXPECT_EQ(ListNames(), (QStringList{"A", "b", "Setup", "a.zip", "Big.bin", "c.txt", "zero.txt"}));
    // A click on the name header descends (folders last), a second ascends.
    List().OnColumnClick(0);
    EXPECT_EQ(List().SortKey(), -SORT_NAME);
    EXPECT_EQ(ListNames(), (QStringList{"zero.txt", "c.txt", "Big.bin", "a.zip", "Setup", "b", "A"}));
    List().OnColumnClick(0);
    EXPECT_EQ(ListNames(), (QStringList{"A", "b", "Setup", "a.zip", "Big.bin", "c.txt", "zero.txt"}));
    // The menu sorts ascending after a descending header sort.
    List().OnColumnClick(0);
    App().MainFrame()->Route(ID_SORT_NAME);
    EXPECT_EQ(List().SortKey(), SORT_NAME);
    EXPECT_EQ(ListNames().front(), QStringLiteral("A"));
    // By size: folders first, then 0, 300, 300, 1048577 (equal sizes in either order).
    App().MainFrame()->Route(ID_SORT_SIZE);
    EXPECT_EQ(List().SortKey(), SORT_SIZE);
    QStringList names = ListNames();
    EXPECT_EQ(names.mid(0, 3), (QStringList{"A", "b", "Setup"}));
    EXPECT_EQ(names[3], QStringLiteral("zero.txt"));
    EXPECT_EQ(names[6], QStringLiteral("Big.bin"));
    // By date: time 0 comes first among the files.
    App().MainFrame()->Route(ID_SORT_DATE);
    names = ListNames();
    EXPECT_EQ(names[3], QStringLiteral("Big.bin"));
    EXPECT_EQ(names[4], QStringLiteral("c.txt"));
    // Size header after a date sort: ascending by size.
    List().OnColumnClick(1);
    EXPECT_EQ(List().SortKey(), SORT_SIZE);
    // By kind: every file's kind text is in ascending order.
    App().MainFrame()->Route(ID_SORT_KIND);
    for (int row = 4; row < 6; ++row)
        EXPECT_LE(List().Model().Text(row, 2).toLower(), List().Model().Text(row + 1, 2).toLower());
    // View modes keep rows and order.
    const QStringList before = ListNames();
    App().MainFrame()->Route(ID_VIEW_LIST);
    EXPECT_EQ(List().Mode(), ListMode::List);
    EXPECT_EQ(ListNames(), before);
    EXPECT_EQ(List().SortKey(), SORT_KIND);
}

TEST_F(CatalogueViewTest, RowTexts) {
    Open();
    SelectFolder(u"[Disk1] \\");
    CFSListModel& model = List().Model();
    const auto row = [&model](const char16_t* name) { return model.FindName(name); };
    EXPECT_EQ(model.Text(row(u"zero.txt"), 1), QStringLiteral("0KB"));
    EXPECT_EQ(model.Text(row(u"Big.bin"), 1), QStringLiteral("1,025KB"));
    EXPECT_EQ(model.Text(row(u"A"), 1), QString());
    EXPECT_EQ(model.Text(row(u"A"), 3), QString());                  // no time recorded
    EXPECT_FALSE(model.Text(row(u"A"), 2).isEmpty());                // the folder type
    EXPECT_EQ(model.Text(row(u"a.zip"), 1), QStringLiteral("1KB"));  // an archive shows its size
    EXPECT_EQ(model.Text(row(u"c.txt"), 3), FormatEntryTime(1'200'000'000));
    EXPECT_EQ(FormatEntryTime(1'200'000'000), QStringLiteral("2008/01/10 21:20"));  // TZ=UTC
    // The archive's contents: a folder inside it shows as a folder.
    SelectFolder(u"[Disk1] \\a.zip");
    EXPECT_EQ(model.Text(model.FindName(u"inner/"), 1), QString());
    // Unrecorded contents: an empty list.
    SelectFolder(u"[Unread] \\");
    EXPECT_EQ(model.rowCount(), 0);
    // Header texts and widths.
    QTreeView* details = List().DetailsView();
    const QStringList headers = {"名前", "サイズ", "ファイルの種類", "更新日時"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), headers[column]);
        EXPECT_EQ(details->header()->sectionSize(column), kDefaultColumnWidths[size_t(column)]);
    }
}

TEST_F(CatalogueViewTest, CopyNameAndCopyPath) {
    Open();
    CFSTreeView* tree = &Tree();
    CFSListView* list = &List();
    // Tree: a folder, a volume, the catalogue item.
    SelectFolder(u"[Disk1] \\Setup\\Tools");
    EXPECT_EQ(CopyWith(tree, ID_COPY_PATH), QStringLiteral("\\Setup\\Tools"));
    EXPECT_EQ(CopyWith(tree, ID_COPY_NAME), QStringLiteral("Tools"));
    SelectFolder(u"[Disk1] \\");
    EXPECT_EQ(CopyWith(tree, ID_COPY_PATH), QStringLiteral("\\"));
    EXPECT_EQ(CopyWith(tree, ID_COPY_NAME), QStringLiteral("Disk1"));
    tree->setCurrentIndex(tree->Model().IndexOf(tree->Model().CatalogueNode()));
    EXPECT_EQ(CopyWith(tree, ID_COPY_PATH), QStringLiteral("(none)"));
    EXPECT_EQ(CopyWith(tree, ID_COPY_NAME), QStringLiteral("(none)"));
    // List: the volume list, then a folder's file.
    ASSERT_EQ(list->SelectName(u"Disk1"), 0);
    EXPECT_EQ(CopyWith(list, ID_COPY_PATH), QStringLiteral("\\Disk1"));
    SelectFolder(u"[Disk1] \\Setup");
    ASSERT_EQ(list->SelectName(u"SETUP.EXE"), 0);
    EXPECT_EQ(CopyWith(list, ID_COPY_PATH), QStringLiteral("\\Setup\\setup.exe"));
    EXPECT_EQ(CopyWith(list, ID_COPY_NAME), QStringLiteral("setup.exe"));
    EXPECT_EQ(list->SelectName(u"nothing"), -1);
}

TEST_F(CatalogueViewTest, OpeningRowsAndShowRecord) {
    Open();
    SelectFolder(u"[Disk1] \\");
    // A folder row opens the folder in the tree, the list follows.
    const CFileEntry* setup = List().Model().EntryAt(List().Model().FindName(u"Setup"));
    EXPECT_EQ(Tree().OpenEntry(setup), 0);
    EXPECT_EQ(Tree().SelectedPath(), u"\\Setup");
    EXPECT_EQ(List().ShownFolder(), setup);
    // A file row changes nothing in the tree.
    EXPECT_EQ(Tree().OpenEntry(List().Model().EntryAt(List().Model().FindName(u"setup.exe"))), 0);
    EXPECT_EQ(Tree().SelectedPath(), u"\\Setup");
    // Backspace in the tree selects the parent.
    Tree().SelectParent();
    EXPECT_EQ(Tree().SelectedPath(), u"\\");

    ActiveFrame()->ShowRecord(u"[Disk1] \\Setup", u"setup.exe");
    EXPECT_EQ(Tree().SelectedPath(), u"\\Setup");
    EXPECT_EQ(List().Model().Text(List().SelectedRow(), 0), QStringLiteral("setup.exe"));
    EXPECT_EQ(ActiveFrame()->ActiveView(), static_cast<ICommandTarget*>(&List()));
    // A folder that is gone changes nothing.
    ActiveFrame()->SetActiveView(&Tree());
    ActiveFrame()->ShowRecord(u"[Gone] \\Setup", u"setup.exe");
    EXPECT_EQ(Tree().SelectedPath(), u"\\Setup");
    EXPECT_EQ(ActiveFrame()->ActiveView(), static_cast<ICommandTarget*>(&Tree()));
}

TEST_F(CatalogueViewTest, KeysAndDoubleClickMoveBetweenPanes) {
    Open();
    SelectFolder(u"[Disk1] \\Setup");
    QTest::keyClick(&Tree(), Qt::Key_Tab);
    EXPECT_EQ(ActiveFrame()->ActiveView(), static_cast<ICommandTarget*>(&List()));
    QTest::keyClick(List().ItemView(), Qt::Key_Tab);
    EXPECT_EQ(ActiveFrame()->ActiveView(), static_cast<ICommandTarget*>(&Tree()));
    // Backspace in the list: the tree selects the parent, the list follows.
    QTest::keyClick(List().ItemView(), Qt::Key_Backspace);
    EXPECT_EQ(Tree().SelectedPath(), u"\\");
    EXPECT_EQ(List().ShownFolder(), Tree().SelectedEntry());
    // Activating a folder row opens it through the tree once the list is done.
    const QModelIndex setup = List().Model().index(List().Model().FindName(u"Setup"), 0);
    List().ItemView()->setCurrentIndex(setup);
    emit List().ItemView()->activated(setup);
    EXPECT_EQ(Tree().SelectedPath(), u"\\");
    Flush();
    EXPECT_EQ(Tree().SelectedPath(), u"\\Setup");
    EXPECT_EQ(ListNames(), (QStringList{"Tools", "setup.exe"}));
}

// A volume whose top folder holds 200 folders; the last, d199, holds 200 files.
RootList LargeFolders() {
    RootList roots;
    auto root = MakeVolume(u"Big");
    CFileArray& top = AddArray(*root, u"\\");
    for (int i = 0; i < 200; ++i) {
        char16_t name[] = u"d000";
        name[1] = char16_t(u'0' + i / 100);
        name[2] = char16_t(u'0' + i / 10 % 10);
        name[3] = char16_t(u'0' + i % 10);
        AddEntry(top, name, FA_DIRECTORY, 0, 0, i + 1);
    }
    for (int i = 0; i < 200; ++i) {
        CFileArray& folder = AddArray(*root, u"\\d");
        if (i == 199)
            for (int f = 0; f < 200; ++f) AddEntry(folder, u"f" + std::u16string(1, char16_t(u'A' + f % 26)), 0, 1);
    }
    roots.push_back(std::move(root));
    return roots;
}

TEST_F(CatalogueViewTest, ANewlyShownFolderStartsAtItsFirstRow) {
    enum class Open { Enter, DoubleClick, Tree };
    for (const Open how : {Open::Enter, Open::DoubleClick, Open::Tree}) {
        StartApp({WriteCatalogue(LargeFolders(), QStringLiteral("big.fsr"))});
        ASSERT_NE(ActiveFrame(), nullptr);
        SelectFolder(u"[Big] \\");
        QTreeView* rows = List().DetailsView();
        QScrollBar* bar = rows->verticalScrollBar();
        const QModelIndex last = List().Model().index(List().Model().FindName(u"d199"), 0);
        rows->scrollTo(last);
        Flush();
        ASSERT_GT(bar->value(), 0);
        switch (how) {
            case Open::Enter:
                rows->setFocus();
                rows->setCurrentIndex(last);
                QTest::keyClick(rows, Qt::Key_Return);
                break;
            case Open::DoubleClick: {
                // A click, then the double-click event the window system
                // makes of a second one.
                const QPoint at = rows->visualRect(last).center();
                QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, at);
                QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(at), rows->viewport()->mapToGlobal(QPointF(at)),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(rows->viewport(), &twice);
                break;
            }
            case Open::Tree:
                SelectFolder(u"[Big] \\d199");
                break;
        }
        Flush();
        ASSERT_EQ(Tree().SelectedPath(), u"\\d199") << int(how);
        ASSERT_EQ(List().Model().rowCount(), 200);
        EXPECT_GT(bar->maximum(), 0);
        EXPECT_EQ(bar->value(), 0) << int(how);
    }
}

TEST_F(CatalogueViewTest, RenamingAVolumeKeepsTheRowOrder) {
    Open();
    ASSERT_EQ(List().SelectName(u"Disk1"), 0);
    const QModelIndex row = List().Model().index(List().Model().FindName(u"Disk1"), 0);
    EXPECT_TRUE(List().Model().setData(row, QStringLiteral("aaa"), Qt::EditRole));
    EXPECT_EQ(ListNames(), (QStringList{"disk0", "aaa", "Unread"}));
    EXPECT_EQ(List().SortKey(), SORT_NONE);
    List().OnColumnClick(0);
    EXPECT_EQ(List().SortKey(), SORT_NAME);
    EXPECT_EQ(ListNames(), (QStringList{"aaa", "disk0", "Unread"}));
    // The tree re-sorts its volume items.
    EXPECT_EQ(Children(Tree().Model().CatalogueNode()), (QStringList{"aaa", "disk0", "Unread"}));
}

TEST_F(CatalogueViewTest, WidthsAreTakenWhenAWindowCloses) {
    Open();
    CChildFrame* frame = ActiveFrame();
    List().DetailsView()->header()->resizeSection(0, 211);
    // Closing the catalogue from the File menu leaves the widths.
    App().MainFrame()->Route(ID_FILE_CLOSE);
    Flush();
    EXPECT_EQ(App().m_nameWidth, -1);
    EXPECT_EQ(App().m_treePaneWidth, -1);

    App().OpenDocumentFile(TempPath(QStringLiteral("cat.fsr")));
    Flush();
    frame = ActiveFrame();
    ASSERT_NE(frame, nullptr);
    List().DetailsView()->header()->resizeSection(0, 211);
    // Large icons: the tree width is taken, the columns are not.
    App().MainFrame()->Route(ID_VIEW_LARGEICON);
    EXPECT_TRUE(frame->close());
    Flush();
    EXPECT_GT(App().m_treePaneWidth, 0);
    EXPECT_EQ(App().m_nameWidth, -1);

    App().OpenDocumentFile(TempPath(QStringLiteral("cat.fsr")));
    Flush();
    frame = ActiveFrame();
    List().DetailsView()->header()->resizeSection(0, 211);
    // A second window copies the active one's columns.
    App().MainFrame()->Route(ID_WINDOW_NEW);
    Flush();
    EXPECT_NE(ActiveFrame(), frame);
    EXPECT_EQ(List().DetailsView()->header()->sectionSize(0), 211);
    // Details: the columns are taken too.
    EXPECT_TRUE(ActiveFrame()->close());
    Flush();
    EXPECT_EQ(App().m_nameWidth, 211);
    EXPECT_EQ(App().m_sizeWidth, 90);
}

}  // namespace
}  // namespace volcatra::test
