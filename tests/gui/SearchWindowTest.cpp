// The search window: defaults and histories, the run states, the result
// list's sorts, opening a record, and the catalogue protected while it is
// searched.
#include <QCheckBox>
#include <QComboBox>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <numeric>

#include "GuiTestSupport.h"
#include "platform/ShellTypeNames.h"
#include "search/ui/FSFindView.h"
#include "search/ui/FindFrame.h"
#include "search/ui/HitStore.h"
#include "search/ui/SearchWindows.h"

namespace volcatra::test {
namespace {

// One volume "Disk" with the folder "Docs" and files of several sizes.
RootList SampleCatalogue(std::u16string label = u"Disk") {
    RootList roots;
    auto disk = MakeVolume(std::move(label));
    CFileArray& top = AddArray(*disk, u"\\");  // 0
    AddEntry(top, u"Docs", FA_DIRECTORY, 0, 1'300'000'000, 1);
    AddEntry(top, u"b.txt", FA_ARCHIVE, 10 * 1024, 1'400'000'000);
    AddEntry(top, u"A.txt", FA_ARCHIVE, 9 * 1024, 1'200'000'000);
    AddEntry(top, u"c.txt", FA_ARCHIVE, 999 * 1024, 0);
    AddEntry(top, u"d.txt", FA_ARCHIVE, 1024 * 1024, 1'300'000'000);
    CFileArray& docs = AddArray(*disk, u"\\Docs");  // 1
    AddEntry(docs, u"note.txt", FA_ARCHIVE, 100, 1'350'000'000);
    roots.push_back(std::move(disk));
    return roots;
}

class SearchWindowTest : public GuiTest {
protected:
    CSearchWindows& Windows() { return App().SearchWindows(); }
    CFindFrame* Open(CCatalogueDocument* source = nullptr) {
        CFindFrame* frame = Windows().OpenSearchWindow(source);
        Flush();
        return frame;
    }
    static void SetTexts(CFindFrame& frame, const QString& name, const QString& place) {
        frame.Bar()->NameBox()->setEditText(name);
        if (!frame.HasSearchSource()) frame.Bar()->PlaceBox()->setEditText(place);
    }
    // Starts the search; during its first dispatch of events, runs during.
    static void Search(CFindFrame& frame, std::function<void()> during = {}) {
        if (during) QTimer::singleShot(0, &frame, during);
        frame.RunCommand(ID_SEARCH_START);
    }
    static QStringList Column(CFindFrame& frame, int column) {
        QStringList texts;
        CFindResultsModel& model = frame.View()->Model();
        for (int row = 0; row < model.rowCount(); ++row) texts << model.Text(row, column);
        return texts;
    }
    static QString Setting(const QString& name) {
        return OpenSettings()->value(QStringLiteral("Recent Find List/") + name).toString();
    }
    // A folder with n catalogue files.
    QString CatalogueFolder(int n) {
        for (int i = 0; i < n; ++i) WriteCatalogue(SampleCatalogue(), QStringLiteral("c%1.fsr").arg(i));
        return m_dir.path();
    }
    static void Select(CFindFrame& frame, int row) {
        QTreeView* view = frame.View()->DetailsView();
        view->setCurrentIndex(view->model()->index(row, 0));
    }
};

TEST_F(SearchWindowTest, NewWindowDefaultsWithoutAndWithHistoryAndSource) {
    StartApp();
    // 32777 opens a window over files.
    App().MainFrame()->Route(ID_FIND_FILES);
    Flush();
    ASSERT_EQ(Windows().Frames().size(), 1u);
    CFindFrame* first = Windows().Frames().front();
    EXPECT_EQ(first->windowTitle(), QStringLiteral("検索1"));
    EXPECT_EQ(App().MainFrame()->CurrentMenu(), MENU_SEARCH);
    EXPECT_TRUE(first->Bar()->NameBox()->currentText().isEmpty());
    EXPECT_EQ(first->Bar()->PlaceBox()->currentText(), QDir::homePath());
    EXPECT_TRUE(first->Bar()->SubfoldersBox()->isChecked());
    EXPECT_EQ(first->SearchState(), SEARCH_IDLE);

    auto settings = OpenSettings();
    settings->setValue(QStringLiteral("Recent Find List/File0"), QStringLiteral("abc"));
    settings->setValue(QStringLiteral("Recent Find List/File1"), QStringLiteral("def"));
    settings->setValue(QStringLiteral("Recent Find List/Path0"), QStringLiteral("/srv/cat"));
    settings->setValue(QStringLiteral("Recent Find List/Path1"), QString());
    settings->setValue(QStringLiteral("Recent Find List/Path2"), QStringLiteral("/after/the/gap"));
    settings->sync();
    CFindFrame* second = Open();
    EXPECT_EQ(second->windowTitle(), QStringLiteral("検索2"));
    EXPECT_TRUE(second->Bar()->NameBox()->currentText().isEmpty());
    EXPECT_EQ(second->Bar()->NameBox()->count(), 2);
    EXPECT_EQ(second->Bar()->PlaceBox()->currentText(), QStringLiteral("/srv/cat"));
    EXPECT_EQ(second->Bar()->PlaceBox()->count(), 1);  // the history ends at the first empty value

    // 57636 of a catalogue: only with a volume, and then over that catalogue.
    App().NewDocument();
    EXPECT_FALSE(App().MainFrame()->QueryState(ID_EDIT_FIND).m_enabled);
    CCatalogueDocument* document = App().OpenDocumentFile(WriteCatalogue(SampleCatalogue(), QStringLiteral("s.fsr")));
    ASSERT_NE(document, nullptr);
    App().MainFrame()->Route(ID_EDIT_FIND);
    Flush();
    ASSERT_EQ(Windows().Frames().size(), 3u);
    CFindFrame* third = Windows().Frames().back();
    EXPECT_EQ(third->SearchSource(), document);
    EXPECT_EQ(third->Bar()->PlaceBox()->currentText(), QStringLiteral("s.fsr"));
    EXPECT_FALSE(third->Bar()->PlaceBox()->isEnabled());
    EXPECT_FALSE(third->Bar()->Button(ID_SEARCH_BROWSE)->isEnabled());
    EXPECT_TRUE(third->Bar()->SubfoldersBox()->isHidden());
    EXPECT_FALSE(third->Bar()->SubfoldersBox()->isChecked());
}

TEST_F(SearchWindowTest, ConditionBarFollowsTheWidthAboveItsDesignWidth) {
    StartApp();
    CConditionBar& bar = *Open()->Bar();
    const QSize design = bar.DesignSize();
    ASSERT_GT(design.width(), 0);
    bar.resize(design.width() + 50, design.height());
    EXPECT_EQ(bar.PlaceBox()->width(), bar.PlaceBoxDesignSize().width() + 50);
    const int name = bar.NameBox()->width();
    std::vector<int> buttons;
    for (uint32_t id : {ID_SEARCH_START, ID_SEARCH_STOP, ID_SEARCH_NEW, ID_SEARCH_BROWSE})
        buttons.push_back(bar.Button(id)->x());
    const auto state = [&bar]() {
        std::vector<QRect> rects = {bar.NameBox()->geometry(), bar.PlaceBox()->geometry()};
        for (uint32_t id : {ID_SEARCH_START, ID_SEARCH_STOP, ID_SEARCH_NEW, ID_SEARCH_BROWSE})
            rects.push_back(bar.Button(id)->geometry());
        return rects;
    };
    bar.resize(design.width() + 150, design.height());
    EXPECT_EQ(bar.PlaceBox()->width(), bar.PlaceBoxDesignSize().width() + 150);
    EXPECT_EQ(bar.NameBox()->width(), name + 100);
    const std::vector<uint32_t> ids = {ID_SEARCH_START, ID_SEARCH_STOP, ID_SEARCH_NEW, ID_SEARCH_BROWSE};
    for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(bar.Button(ids[i])->x(), buttons[i] + 100) << ids[i];
    // Below the design width nothing moves.
    const std::vector<QRect> wide = state();
    bar.resize(design.width() - 20, design.height());
    EXPECT_EQ(state(), wide);
}

TEST_F(SearchWindowTest, HistoryRecording) {
    StartApp();
    const QString folder = CatalogueFolder(1);
    CFindFrame* frame = Open();
    struct Step {
        QString name;
        QStringList files;  // File0.. after the start
    };
    const std::vector<Step> steps = {
        {QStringLiteral("abc"), {QStringLiteral("abc"), QString()}},
        {QStringLiteral("xyz"), {QStringLiteral("xyz"), QStringLiteral("abc"), QString()}},
        {QStringLiteral("abc"), {QStringLiteral("abc"), QStringLiteral("xyz"), QString()}},  // moved up, not doubled
        {QStringLiteral("ABC"), {QStringLiteral("ABC"), QStringLiteral("abc"), QStringLiteral("xyz")}},  // case counts
        {QString(), {QStringLiteral("ABC"), QStringLiteral("abc"), QStringLiteral("xyz")}},  // empty: not recorded
    };
    for (const Step& step : steps) {
        SetTexts(*frame, step.name, folder);
        Search(*frame);
        for (int i = 0; i < step.files.size(); ++i)
            EXPECT_EQ(Setting(QStringLiteral("File%1").arg(i)), step.files[i]) << step.name.toStdString() << " " << i;
        // The first-use place was an item of the list too.
        EXPECT_EQ(Setting(QStringLiteral("Path0")), folder);
        EXPECT_EQ(Setting(QStringLiteral("Path1")), QDir::homePath());
        EXPECT_EQ(Setting(QStringLiteral("Path2")), QString());
    }
    // A window over a catalogue never writes the place history.
    CCatalogueDocument* document = App().OpenDocumentFile(WriteCatalogue(SampleCatalogue(), QStringLiteral("s.fsr")));
    CFindFrame* sourced = Open(document);
    SetTexts(*sourced, QStringLiteral("note"), QString());
    Search(*sourced);
    EXPECT_EQ(Setting(QStringLiteral("File0")), QStringLiteral("note"));
    EXPECT_EQ(Setting(QStringLiteral("Path0")), folder);
    EXPECT_EQ(Column(*sourced, 0), QStringList{QStringLiteral("note.txt")});
    EXPECT_EQ(Column(*sourced, 5), QStringList{QString()});
    EXPECT_EQ(App().MainFrame()->statusBar()->currentMessage(), QStringLiteral("1 個のファイルが見つかりました。"));
}

TEST_F(SearchWindowTest, StartStopAndOneSearchAtATime) {
    StartApp();
    const QString folder = CatalogueFolder(4);
    CFindFrame* a = Open();
    CFindFrame* b = Open();
    SetTexts(*a, QString(), folder);
    SetTexts(*b, QString(), folder);

    // A full search finds every entry of the four files.
    Search(*a);
    EXPECT_EQ(a->View()->GetFoundCount(), 4 * 6);
    EXPECT_EQ(a->SearchState(), SEARCH_IDLE);

    // Another window cannot start; the searching window's own start does nothing.
    int32_t during = 99;
    Search(*a, [&]() {
        during = a->SearchState();
        EXPECT_EQ(Windows().FindRunningSearchFrame(), a);
        EXPECT_FALSE(b->QueryCommand(ID_SEARCH_START)->m_enabled);
        EXPECT_TRUE(a->QueryCommand(ID_SEARCH_STOP)->m_enabled);
        b->RunCommand(ID_SEARCH_START);
        a->RunCommand(ID_SEARCH_START);
        a->RunCommand(ID_SEARCH_STOP);
        EXPECT_EQ(a->SearchState(), SEARCH_STOP);
    });
    EXPECT_EQ(during, SEARCH_RUNNING);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::u16string>{Tr(kOtherSearchRunningText)});
    EXPECT_LT(a->View()->GetFoundCount(), 4 * 6);
    EXPECT_EQ(a->SearchState(), SEARCH_IDLE);
    EXPECT_EQ(b->View()->GetFoundCount(), 0);
    EXPECT_EQ(Windows().FindRunningSearchFrame(), nullptr);

    // New condition empties the name box only, also while idle.
    SetTexts(*a, QStringLiteral("x"), folder);
    a->RunCommand(ID_SEARCH_NEW);
    EXPECT_TRUE(a->Bar()->NameBox()->currentText().isEmpty());
    EXPECT_EQ(a->Bar()->PlaceBox()->currentText(), folder);
}

TEST_F(SearchWindowTest, CloseWhileRunningAndStopAfterCloseRequest) {
    StartApp();
    const QString folder = CatalogueFolder(3);
    CFindFrame* a = Open();
    SetTexts(*a, QString(), folder);
    QPointer<CFindFrame> closing = a;
    Search(*a, [&]() {
        EXPECT_FALSE(a->close());
        EXPECT_EQ(a->SearchState(), SEARCH_CLOSE_WINDOW);
    });
    ASSERT_FALSE(closing.isNull());
    Flush();
    EXPECT_TRUE(closing.isNull());
    EXPECT_TRUE(Windows().Frames().empty());

    CFindFrame* b = Open();
    SetTexts(*b, QString(), folder);
    QPointer<CFindFrame> staying = b;
    Search(*b, [&]() {
        b->close();
        b->RunCommand(ID_SEARCH_STOP);
        EXPECT_EQ(b->SearchState(), SEARCH_STOP);
    });
    Flush();
    ASSERT_FALSE(staying.isNull());
    EXPECT_EQ(b->SearchState(), SEARCH_IDLE);
}

TEST_F(SearchWindowTest, MainWindowCloseWhileRunningStopsThenCloses) {
    StartApp();
    const QString folder = CatalogueFolder(3);
    CCatalogueDocument* document = App().OpenDocumentFile(WriteCatalogue(SampleCatalogue(), QStringLiteral("m.fsr")));
    document->SetModifiedFlag();
    CFindFrame* background = Open();
    CFindFrame* active = Open();
    SetTexts(*background, QString(), folder);
    Search(*background, [&]() {
        // The active window is idle: the searching one in the background is told.
        EXPECT_FALSE(App().MainFrame()->close());
        EXPECT_EQ(background->SearchState(), SEARCH_CLOSE_APP);
        EXPECT_EQ(active->SearchState(), SEARCH_IDLE);
        EXPECT_TRUE(App().MainFrame()->isVisible());
    });
    // The usual question for the modified catalogue, then the end.
    m_messages.Answer({MessageAnswer::No});
    Flush();
    EXPECT_FALSE(App().MainFrame()->isVisible());
    EXPECT_TRUE(m_messages.AllAnswersUsed());
}

TEST_F(SearchWindowTest, SortsAndTheSharedKey) {
    StartApp();
    CCatalogueDocument* document = App().OpenDocumentFile(WriteCatalogue(SampleCatalogue(), QStringLiteral("s.fsr")));
    CFindFrame* a = Open(document);
    Search(*a);
    ASSERT_EQ(a->View()->GetFoundCount(), 6);
    CFSFindView& view = *a->View();

    view.OnColumnClick(2);  // size ascending: the folder first, then by text length
    EXPECT_EQ(CFSFindView::s_resultSortKey, 3);
    EXPECT_EQ(Column(*a, 0), (QStringList{QStringLiteral("Docs"), QStringLiteral("note.txt"), QStringLiteral("A.txt"),
                                          QStringLiteral("b.txt"), QStringLiteral("c.txt"), QStringLiteral("d.txt")}));
    EXPECT_EQ(Column(*a, 2), (QStringList{QString(), QStringLiteral("1KB"), QStringLiteral("9KB"),
                                          QStringLiteral("10KB"), QStringLiteral("999KB"), QStringLiteral("1,024KB")}));
    view.OnColumnClick(2);  // descending: files first
    EXPECT_EQ(CFSFindView::s_resultSortKey, -3);
    EXPECT_EQ(Column(*a, 0).front(), QStringLiteral("d.txt"));
    EXPECT_EQ(Column(*a, 0).back(), QStringLiteral("Docs"));

    view.OnColumnClick(4);  // date: empty first
    EXPECT_EQ(Column(*a, 0),
              (QStringList{QStringLiteral("Docs"), QStringLiteral("c.txt"), QStringLiteral("A.txt"),
                           QStringLiteral("d.txt"), QStringLiteral("note.txt"), QStringLiteral("b.txt")}));

    // The menu sort does nothing when the key is set; a header click made it descending.
    ASSERT_TRUE(view.OnCommand(ID_SORT_NAME));
    const QStringList byName = {QStringLiteral("Docs"),  QStringLiteral("A.txt"), QStringLiteral("b.txt"),
                                QStringLiteral("c.txt"), QStringLiteral("d.txt"), QStringLiteral("note.txt")};
    EXPECT_EQ(Column(*a, 0), byName);
    view.OnColumnClick(0);
    EXPECT_EQ(CFSFindView::s_resultSortKey, -1);
    view.Model().Sort(4);  // disturb the order without touching the key
    view.OnCommand(ID_SORT_NAME);
    EXPECT_EQ(Column(*a, 0), byName);
    EXPECT_EQ(CFSFindView::s_resultSortKey, 1);
    view.Model().Sort(-5);
    const QStringList disturbed = Column(*a, 0);
    view.OnCommand(ID_SORT_NAME);  // key already 1: nothing happens
    EXPECT_EQ(Column(*a, 0), disturbed);

    // The key is shared: window B's header click on the name column sorts it descending.
    CFindFrame* b = Open(document);
    Search(*b);  // a new search resets the key
    EXPECT_EQ(CFSFindView::s_resultSortKey, 0);
    a->View()->MenuSort(0);
    b->View()->OnColumnClick(0);
    EXPECT_EQ(CFSFindView::s_resultSortKey, -1);
    EXPECT_EQ(Column(*b, 0).front(), QStringLiteral("note.txt"));
    EXPECT_EQ(Column(*b, 0).back(), QStringLiteral("Docs"));
}

TEST_F(SearchWindowTest, OpenRecordIntoOpenClosedAndClosedSourceCatalogues) {
    StartApp();
    const QString folder = CatalogueFolder(1);
    const QString file = m_dir.filePath(QStringLiteral("c0.fsr"));
    CFindFrame* frame = Open();
    SetTexts(*frame, QStringLiteral("note"), folder);
    Search(*frame);
    ASSERT_EQ(Column(*frame, 0), QStringList{QStringLiteral("note.txt")});
    EXPECT_EQ(Column(*frame, 1), QStringList{QStringLiteral("[Disk] \\Docs")});
    EXPECT_EQ(Column(*frame, 5), QStringList{file});

    // No row selected: the command is off.
    EXPECT_FALSE(frame->View()->QueryCommand(ID_OPEN_RECORD)->m_enabled);
    Select(*frame, 0);
    EXPECT_TRUE(frame->View()->QueryCommand(ID_OPEN_RECORD)->m_enabled);

    // The file is not open: it opens, and the entry is selected.
    frame->View()->OnCommand(ID_OPEN_RECORD);
    Flush();
    ASSERT_EQ(App().Documents().size(), 1u);
    ASSERT_NE(ActiveFrame(), nullptr);
    EXPECT_EQ(List().Model().Text(List().SelectedRow(), 0), QStringLiteral("note.txt"));

    // Open already, reached through another spelling of its path: activated, not opened again.
    App().MainFrame()->MdiArea()->setActiveSubWindow(frame);
    SetTexts(*frame, QStringLiteral("note"), folder + QStringLiteral("/."));
    Search(*frame);
    ASSERT_EQ(frame->View()->GetFoundCount(), 1);
    EXPECT_NE(Column(*frame, 5).front(), file);
    Select(*frame, 0);
    // Enter in the list opens the record.
    QTest::keyClick(frame->View()->DetailsView(), Qt::Key_Return);
    Flush();
    EXPECT_EQ(App().Documents().size(), 1u);
    EXPECT_NE(ActiveFrame(), nullptr);

    // Two files whose names differ in letter case are two catalogues.
    QDir().mkpath(m_dir.filePath(QStringLiteral("case")));
    WriteCatalogue(SampleCatalogue(u"Upper"), QStringLiteral("case/A.fsr"));
    WriteCatalogue(SampleCatalogue(u"Lower"), QStringLiteral("case/a.fsr"));
    CCatalogueDocument* upper = App().OpenDocumentFile(m_dir.filePath(QStringLiteral("case/A.fsr")));
    ASSERT_NE(upper, nullptr);
    App().MainFrame()->MdiArea()->setActiveSubWindow(frame);
    SetTexts(*frame, QStringLiteral("note"), m_dir.filePath(QStringLiteral("case")));
    Search(*frame);
    const int lower = int(Column(*frame, 1).indexOf(QStringLiteral("[Lower] \\Docs")));
    ASSERT_GE(lower, 0);
    ASSERT_EQ(frame->View()->GetFoundCount(), 2);
    Select(*frame, lower);
    frame->View()->OpenRecord(0);
    Flush();
    ASSERT_EQ(App().Documents().size(), 3u);
    EXPECT_EQ(App().Documents().back()->GetFileName(), u"a.fsr");
    ASSERT_TRUE(App().CloseDocument(*App().Documents().back()));
    ASSERT_TRUE(App().CloseDocument(*upper));
    Flush();

    // Over a source catalogue that was closed since.
    CCatalogueDocument* document = App().Documents().front().get();
    CFindFrame* sourced = Open(document);
    SetTexts(*sourced, QStringLiteral("b.txt"), QString());
    Search(*sourced);
    ASSERT_EQ(Column(*sourced, 0), QStringList{QStringLiteral("b.txt")});
    Select(*sourced, 0);
    ASSERT_TRUE(App().CloseDocument(*document));
    Flush();
    m_messages = ScriptedMessageService();
    sourced->View()->OpenRecord(0);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::u16string>{Tr(kSourceClosedText)});
    EXPECT_TRUE(App().Documents().empty());
    // A search over the closed catalogue is refused the same way.
    sourced->RunCommand(ID_SEARCH_START);
    EXPECT_EQ(m_messages.Texts().size(), 2u);
    EXPECT_EQ(Column(*sourced, 0), QStringList{QStringLiteral("b.txt")});
}

TEST_F(SearchWindowTest, IconModesOpenTheClickedRecordAndTheBoxesSearchWhatIsTyped) {
    StartApp();
    CFindFrame* frame = Open();
    SetTexts(*frame, QStringLiteral("note"), CatalogueFolder(1));
    Search(*frame);
    ASSERT_EQ(frame->View()->GetFoundCount(), 1);
    for (uint32_t mode : {ID_VIEW_LIST, ID_VIEW_SMALLICON, ID_VIEW_LARGEICON}) {
        frame->View()->OnCommand(mode);
        // A click in an icon mode selects the name cell only.
        auto* icons = qobject_cast<QListView*>(frame->View()->ItemView());
        ASSERT_NE(icons, nullptr);
        icons->selectionModel()->setCurrentIndex(icons->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        EXPECT_TRUE(frame->View()->QueryCommand(ID_OPEN_RECORD)->m_enabled) << mode;
        icons->selectionModel()->clearSelection();
    }
    // The boxes do not complete a typed text from their histories.
    EXPECT_EQ(frame->Bar()->NameBox()->completer(), nullptr);
    EXPECT_EQ(frame->Bar()->PlaceBox()->completer(), nullptr);
}

TEST_F(SearchWindowTest, SourceCatalogueProtectedWhileSearched) {
    StartApp();
    CCatalogueDocument* document = App().OpenDocumentFile(WriteCatalogue(SampleCatalogue(), QStringLiteral("s.fsr")));
    CRootEntry& root = *document->Roots().front();
    document->RenameRoot(root, u"Renamed");  // an undo step
    ASSERT_TRUE(document->CanUndo());
    m_clipboard.SetVolumeData({1, 2, 3});
    CFindFrame* frame = Open(document);
    // 57603 is off while a search window is active.
    EXPECT_FALSE(App().MainFrame()->QueryState(ID_FILE_SAVE).m_enabled);
    Search(*frame, [&]() {
        EXPECT_TRUE(document->IsBeingSearched());
        for (uint32_t id : {ID_READ_ADDITIONAL, ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_PASTE})
            EXPECT_FALSE(document->QueryCommand(id)->m_enabled) << id;
        document->Undo();
        EXPECT_EQ(root.m_name, u"Renamed");
        document->RemoveWithUndo(&root);
        EXPECT_FALSE(document->CutRoot(root));
        EXPECT_FALSE(document->Paste());
        EXPECT_FALSE(document->EndLabelEdit(root, u"Other"));
        EXPECT_EQ(document->BeginReadVolume(-1), nullptr);
        EXPECT_EQ(document->Roots().size(), 1u);
        EXPECT_EQ(root.m_name, u"Renamed");
        // Closing the catalogue is refused.
        EXPECT_FALSE(App().CloseDocument(*document));
        CChildFrame* catalogueFrame = App().MainFrame()->CatalogueFrames().front();
        EXPECT_FALSE(catalogueFrame->close());
        // No renaming in place either.
        QAbstractItemModel* tree = catalogueFrame->TreeView()->model();
        EXPECT_FALSE(tree->flags(tree->index(0, 0, tree->index(0, 0))) & Qt::ItemIsEditable);
    });
    QAbstractItemModel* tree = App().MainFrame()->CatalogueFrames().front()->TreeView()->model();
    EXPECT_TRUE(tree->flags(tree->index(0, 0, tree->index(0, 0))) & Qt::ItemIsEditable);
    EXPECT_FALSE(document->IsBeingSearched());
    EXPECT_EQ(App().Documents().size(), 1u);
    EXPECT_TRUE(document->QueryCommand(ID_EDIT_UNDO)->m_enabled);
}

}  // namespace
}  // namespace volcatra::test

namespace volcatra::test {
namespace {

// The store's sort against the comparison applied to the rows' texts, for
// every column in both directions, over names that share long prefixes and
// differ in case, folders and listed archives, sizes around the unit steps
// and times with and without a date.
// A stored image is copied once per volume however many hits show it.
TEST(HitStoreSortTest, StoredImagesCopiedOncePerVolume) {
    const CMimeTypeNames types;
    CHitStore store;
    std::vector<std::unique_ptr<CRootEntry>> volumes;
    for (int v = 0; v < 2; ++v) {
        auto volume = MakeVolume(u"V");
        volume->m_icons.m_images.assign(2, std::vector<uint8_t>(kStoredImageSize, uint8_t(v)));
        CFileArray& top = AddArray(*volume, u"\\");
        for (int i = 0; i < 5; ++i) AddEntry(top, u"f.exe", FA_ARCHIVE).m_iconNumber = int16_t(1 + i % 2);
        AddEntry(top, u"plain.txt", FA_ARCHIVE);
        store.BeginVolume(*volume);
        for (const auto& entry : top.m_entries) store.AddHit(entry, *volume, u"[V] \\", u"", types);
        volumes.push_back(std::move(volume));
    }
    volumes.clear();  // the hits keep what they show
    EXPECT_EQ(store.ImageCount(), 4u);
    EXPECT_EQ(store.Record(0).m_image, 1u);
    EXPECT_EQ(store.Record(2).m_image, 1u);
    EXPECT_EQ(store.Record(5).m_image, 0u);
    EXPECT_EQ(store.Record(6).m_image, 3u);
    EXPECT_EQ(store.Image(store.Record(6).m_image)[0], 1);
}

TEST(HitStoreSortTest, OrdersAsTheComparisonOfTheTexts) {
    auto volume = MakeVolume(u"V");
    CFileArray& top = AddArray(*volume, u"\\");
    const char16_t* const names[] = {u"README4455455.JPG",
                                     u"readme4455454.jpg",
                                     u"README4455455.JPG",
                                     u"setup_final_b",
                                     u"setup_final_a",
                                     u"Setup_Final_A",
                                     u"a",
                                     u"B",
                                     u"写真1.jpg",
                                     u"写真10.jpg",
                                     u"readme4455455.jpg2"};
    const uint64_t sizes[] = {0, 1, 1024, 1025, 9 * 1024, 10 * 1024, 999 * 1024, 1024 * 1024, 5'000'000'000ull};
    const int64_t times[] = {0, 1'300'000'000, 1'300'000'030, 1'200'000'000};
    const uint16_t attributes[] = {FA_ARCHIVE, FA_DIRECTORY, FA_ARCHIVE | FA_ARCHIVE_LISTED, FA_ARCHIVE_FOLDER};
    for (size_t i = 0; i < 60; ++i)
        AddEntry(top, names[i % std::size(names)], attributes[i % 7 % 4], sizes[i % std::size(sizes)],
                 times[i % 5 % 4]);
    const CMimeTypeNames types;
    for (bool inBytes : {false, true}) {
        CHitStore store;
        store.BeginVolume(*volume);
        for (size_t i = 0; i < top.m_entries.size(); ++i)
            store.AddHit(top.m_entries[i], *volume, i % 3 ? u"[V] \\b" : u"[V] \\A", i % 2 ? u"/x.fsr" : u"/X.fsr",
                         types);
        for (int key : {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6}) {
            CHitStore sorted = store;
            sorted.Sort(key, sorted.Count(), inBytes);
            std::vector<size_t> expected(store.Count());
            std::iota(expected.begin(), expected.end(), size_t(0));
            const int column = std::abs(key) - 1;
            std::stable_sort(expected.begin(), expected.end(), [&](size_t a, size_t b) {
                const CHitRecord& ra = store.Record(a);
                const CHitRecord& rb = store.Record(b);
                const int texts = CompareResultTexts(store.ColumnText(ra, column, inBytes),
                                                     store.ColumnText(rb, column, inBytes), column);
                return CompareResultRows(ra.m_key, rb.m_key, texts, key) < 0;
            });
            for (size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(sorted.Record(i).m_key, store.Record(expected[i]).m_key) << "key " << key << " row " << i;
        }
    }
}

}  // namespace
}  // namespace volcatra::test
