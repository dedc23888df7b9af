// Locating real files from the catalogue window: the commands' enabling in
// the tree and the list, and what the file manager is asked.
#include "GuiTestSupport.h"
#include "browsing/LocateRealFile.h"

namespace volcatra::test {
namespace {

constexpr uint32_t kDiscSerial = 0xE0E0E0E0;

// DISC: \DOCS (readme.txt, SUB), the recorded archive \a.zip, top.txt.
RootList Catalogue() {
    RootList roots;
    auto disc = MakeVolume(u"DISC");
    disc->m_serialNumber = kDiscSerial;
    CFileArray& top = AddArray(*disc, u"\\");  // 0
    AddEntry(top, u"DOCS", FA_DIRECTORY, 0, 0, 1);
    AddEntry(top, u"a.zip", FA_ARCHIVE | FA_ARCHIVE_LISTED, 10, 0, 2);
    AddEntry(top, u"top.txt", FA_ARCHIVE, 1);
    CFileArray& docs = AddArray(*disc, u"\\DOCS");  // 1
    AddEntry(docs, u"readme.txt", FA_ARCHIVE, 1);
    AddEntry(docs, u"SUB", FA_DIRECTORY, 0, 0, 3);
    CFileArray& zip = AddArray(*disc, u"\\a.zip");  // 2
    AddEntry(zip, u"inner.txt", 0, 1);
    AddArray(*disc, u"\\DOCS\\SUB");  // 3
    roots.push_back(std::move(disc));
    return roots;
}

class LocateTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        m_volumes.volumes = {{FakeMount("/media/user/DISC", 1), DRIVE_CDROM, kDiscSerial},
                             {FakeMount("/", 2), DRIVE_FIXED, 0x11111111}};
        StartApp({WriteCatalogue(Catalogue(), QStringLiteral("cat.fsr"))});
        ASSERT_NE(ActiveFrame(), nullptr);
    }
    CommandState State(ICommandTarget* view, uint32_t id) {
        ActiveFrame()->SetActiveView(view);
        return App().MainFrame()->QueryState(id);
    }
    // Runs the command from a view; the request the file manager got, or
    // "(none)".
    std::string Run(ICommandTarget* view, uint32_t id) {
        m_fileManager.requests.clear();
        ActiveFrame()->SetActiveView(view);
        App().MainFrame()->Route(id);
        Flush();
        if (m_fileManager.requests.empty()) return "(none)";
        const FileManagerRequest& r = m_fileManager.requests.back();
        return std::string(r.selectItem ? "item " : "folder ") + r.path + (r.folderTree ? " +tree" : "");
    }
    void SelectCatalogue() { Tree().setCurrentIndex(Tree().Model().IndexOf(Tree().Model().CatalogueNode())); }
};

TEST_F(LocateTest, CommandsAreOfferedWhereThereIsSomethingToLocate) {
    for (const uint32_t id : {ID_FIND_REAL_FILE, ID_SHOW_IN_FILE_MANAGER}) {
        SCOPED_TRACE(id);
        SelectCatalogue();
        EXPECT_FALSE(State(&Tree(), id).m_enabled);
        EXPECT_FALSE(State(&List(), id).m_enabled);  // no row chosen
        ASSERT_EQ(List().SelectName(u"DISC"), 0);
        EXPECT_TRUE(State(&List(), id).m_enabled);
        ASSERT_EQ(Tree().SelectPath(u"[DISC] \\"), 0);
        EXPECT_TRUE(State(&Tree(), id).m_enabled);
        ASSERT_EQ(Tree().SelectPath(u"[DISC] \\DOCS"), 0);
        EXPECT_TRUE(State(&Tree(), id).m_enabled);
        EXPECT_FALSE(State(&List(), id).m_enabled);
        ASSERT_EQ(List().SelectName(u"readme.txt"), 0);
        EXPECT_TRUE(State(&List(), id).m_enabled);
    }
}

TEST_F(LocateTest, TreeAndListAskTheFileManager) {
    ASSERT_EQ(Tree().SelectPath(u"[DISC] \\"), 0);
    EXPECT_EQ(Run(&Tree(), ID_FIND_REAL_FILE), "folder /media/user/DISC");
    EXPECT_EQ(Run(&Tree(), ID_SHOW_IN_FILE_MANAGER), "folder /media/user/DISC +tree");
    ASSERT_EQ(Tree().SelectPath(u"[DISC] \\DOCS"), 0);
    EXPECT_EQ(Run(&Tree(), ID_FIND_REAL_FILE), "folder /media/user/DISC/DOCS");
    ASSERT_EQ(List().SelectName(u"readme.txt"), 0);
    EXPECT_EQ(Run(&List(), ID_FIND_REAL_FILE), "item /media/user/DISC/DOCS/readme.txt");
    ASSERT_EQ(List().SelectName(u"SUB"), 0);
    EXPECT_EQ(Run(&List(), ID_SHOW_IN_FILE_MANAGER), "item /media/user/DISC/DOCS/SUB +tree");
    // A member of a recorded archive: the archive file is shown.
    ASSERT_EQ(Tree().SelectPath(u"[DISC] \\a.zip"), 0);
    EXPECT_EQ(Run(&Tree(), ID_FIND_REAL_FILE), "item /media/user/DISC/a.zip");
    ASSERT_EQ(List().SelectName(u"inner.txt"), 0);
    EXPECT_EQ(Run(&List(), ID_FIND_REAL_FILE), "item /media/user/DISC/a.zip");
    // A volume row while the catalogue item is selected.
    SelectCatalogue();
    ASSERT_EQ(List().SelectName(u"DISC"), 0);
    EXPECT_EQ(Run(&List(), ID_FIND_REAL_FILE), "item /media/user/DISC");
    EXPECT_TRUE(m_messages.ShownBoxes().empty());
}

TEST_F(LocateTest, OpeningAFileRowLocatesIt) {
    ASSERT_EQ(Tree().SelectPath(u"[DISC] \\"), 0);
    const QModelIndex row = List().Model().index(List().Model().FindName(u"top.txt"), 0);
    List().ItemView()->setCurrentIndex(row);
    emit List().ItemView()->activated(row);
    Flush();
    ASSERT_EQ(m_fileManager.requests.size(), 1u);
    EXPECT_EQ(m_fileManager.requests[0].path, "/media/user/DISC/top.txt");
    EXPECT_TRUE(m_fileManager.requests[0].selectItem);
    EXPECT_FALSE(m_fileManager.requests[0].folderTree);
}

TEST_F(LocateTest, AMediumThatIsNotThereIsReported) {
    // The disc's serial, but on a fixed disk: not the recorded medium.
    m_volumes.volumes = {{FakeMount("/media/user/DISC", 1), DRIVE_FIXED, kDiscSerial}};
    ASSERT_EQ(Tree().SelectPath(u"[DISC] \\DOCS"), 0);
    EXPECT_EQ(Run(&Tree(), ID_FIND_REAL_FILE), "(none)");
    ASSERT_EQ(m_messages.ShownBoxes().size(), 1u);
    EXPECT_EQ(m_messages.ShownBoxes()[0].text, Tr(kMediumNotFoundText));
    EXPECT_EQ(m_messages.ShownBoxes()[0].buttons, MessageButtons::Ok);
}

TEST_F(LocateTest, AnUnmountedDiscWithTheSerialIsMountedFirst) {
    m_volumes.volumes = {};
    m_media.media = {{"/dev/sr0", u"DISC", DRIVE_CDROM, true}};
    m_media.identities = {{"/dev/sr0", {"vfat", "E0E0-E0E0"}}};
    bool enabledWhileMounting = true;
    m_media.onMount = [&](const std::string&) {
        enabledWhileMounting = App().MainFrame()->isEnabled();
        m_volumes.volumes = {{FakeMount("/run/media/user/DISC", 1), DRIVE_CDROM, kDiscSerial}};
        return true;
    };
    ASSERT_EQ(Tree().SelectPath(u"[DISC] \\DOCS"), 0);
    EXPECT_EQ(Run(&Tree(), ID_FIND_REAL_FILE), "folder /run/media/user/DISC/DOCS");
    EXPECT_EQ(m_media.mounted, std::vector<std::string>{"/dev/sr0"});
    EXPECT_FALSE(enabledWhileMounting);
    EXPECT_TRUE(App().MainFrame()->isEnabled());
    EXPECT_TRUE(m_messages.ShownBoxes().empty());
}

}  // namespace
}  // namespace volcatra::test
