// The volume property sheet: its fields, the comment's OK / Cancel / Apply
// rules and the command's enabling in the tree and the list.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "GuiTestSupport.h"
#include "browsing/VolumeProperties.h"

namespace volcatra::test {
namespace {

RootList Catalogue() {
    RootList roots;
    auto disc = MakeVolume(u"DISC");
    disc->m_serialNumber = 0x1234ABCD;
    disc->m_folderCount = 12;
    disc->m_fileCount = 3456;
    disc->m_comment = u"box 1";
    CFileArray& top = AddArray(*disc, u"\\");
    AddEntry(top, u"DOCS", FA_DIRECTORY, 0, 0, 1);
    AddEntry(top, u"a.txt", FA_ARCHIVE, 1);
    AddArray(*disc, u"\\DOCS");
    auto folder = MakeVolume(u"DATA::\\photos\\2010", DRIVE_FIXED);
    folder->m_serialNumber = 0;
    AddArray(*folder, u"\\");
    roots.push_back(std::move(disc));
    roots.push_back(std::move(folder));
    return roots;
}

class VolumePropertiesTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        StartApp({WriteCatalogue(Catalogue(), QStringLiteral("cat.fsr"))});
        ASSERT_NE(ActiveFrame(), nullptr);
    }
    CCatalogueDocument& Doc() { return ActiveFrame()->Document(); }
    const CRootEntry& Disc() { return *Doc().Roots()[0]; }
    // Opens the sheet from the tree's volume item DISC; answer acts on it
    // and returns how it closed.
    void OpenSheet(const std::function<int(CVolumePropertySheet&)>& answer, const std::u16string& path = u"[DISC] \\") {
        ASSERT_EQ(Tree().SelectPath(path), 0);
        int runs = 0;
        m_dialogHandler = [&](QDialog& dialog) {
            ++runs;
            auto* sheet = qobject_cast<CVolumePropertySheet*>(&dialog);
            EXPECT_NE(sheet, nullptr);
            return sheet ? answer(*sheet) : 0;
        };
        ActiveFrame()->SetActiveView(&Tree());
        App().MainFrame()->Route(ID_PROPERTIES);
        EXPECT_EQ(runs, 1);
    }
    static int Close(CVolumePropertySheet& sheet, bool ok) {
        if (ok)
            sheet.accept();
        else
            sheet.reject();
        return sheet.result();
    }
};

TEST(VolumePropertiesText, SerialNumberHalvesInUpperCaseHexadecimal) {
    EXPECT_EQ(FormatSerialNumber(0x1234ABCD), QStringLiteral("1234 - ABCD"));
    EXPECT_EQ(FormatSerialNumber(0), QStringLiteral("0000 - 0000"));
    EXPECT_EQ(FormatSerialNumber(0x000A00FF), QStringLiteral("000A - 00FF"));
}

TEST_F(VolumePropertiesTest, TheSheetShowsTheRecordedFacts) {
    OpenSheet([](CVolumePropertySheet& sheet) {
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("DISC のプロパティ"));
        auto* tabs = sheet.findChild<QTabWidget*>();
        EXPECT_EQ(tabs->count(), 1);
        EXPECT_EQ(tabs->tabText(0), QStringLiteral("情報"));
        const CPropPage1& page = sheet.Page();
        EXPECT_EQ(page.LabelField()->toPlainText(), QStringLiteral("DISC"));
        EXPECT_TRUE(page.LabelField()->isReadOnly());
        EXPECT_EQ(page.SerialField()->text(), QStringLiteral("1234 - ABCD"));
        EXPECT_EQ(page.FolderCountField()->text(), QStringLiteral("12"));
        EXPECT_EQ(page.FileCountField()->text(), QStringLiteral("3456"));
        EXPECT_EQ(page.IconCountField()->text(), QStringLiteral("0"));
        EXPECT_TRUE(page.FileCountField()->alignment() & Qt::AlignRight);
        EXPECT_FALSE(page.CommentEdit()->isReadOnly());
        EXPECT_EQ(page.CommentEdit()->toPlainText(), QStringLiteral("box 1"));
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
        return Close(sheet, true);
    });
    EXPECT_FALSE(Doc().IsModified());  // OK without an edit

    // A folder read shows its label, "::" and the folder.
    OpenSheet(
        [](CVolumePropertySheet& sheet) {
            EXPECT_EQ(sheet.Page().LabelField()->toPlainText(), QStringLiteral("DATA::\\photos\\2010"));
            EXPECT_EQ(sheet.Page().SerialField()->text(), QStringLiteral("0000 - 0000"));
            return Close(sheet, false);
        },
        u"[DATA::\\photos\\2010] \\");
}

TEST_F(VolumePropertiesTest, TheCommentIsStoredByOkAndApplyOnly) {
    // Changed and changed back: nothing to store.
    OpenSheet([](CVolumePropertySheet& sheet) {
        sheet.Page().CommentEdit()->setPlainText(QStringLiteral("other"));
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
        sheet.Page().CommentEdit()->setPlainText(QStringLiteral("box 1"));
        return Close(sheet, true);
    });
    EXPECT_FALSE(Doc().IsModified());
    // Cancel drops the edit.
    OpenSheet([](CVolumePropertySheet& sheet) {
        sheet.Page().CommentEdit()->setPlainText(QStringLiteral("dropped"));
        return Close(sheet, false);
    });
    EXPECT_EQ(Disc().m_comment, u"box 1");
    EXPECT_FALSE(Doc().IsModified());
    // Apply, then Cancel: the applied comment stays, on several lines.
    OpenSheet([](CVolumePropertySheet& sheet) {
        sheet.Page().CommentEdit()->setPlainText(QStringLiteral("line 1\nline 2"));
        sheet.ApplyButton()->click();
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
        return Close(sheet, false);
    });
    EXPECT_EQ(Disc().m_comment, u"line 1\nline 2");
    EXPECT_TRUE(Doc().IsModified());
    // No history step is made.
    EXPECT_FALSE(App().MainFrame()->QueryState(ID_EDIT_UNDO).m_enabled);
}

TEST_F(VolumePropertiesTest, OfferedForVolumesOnly) {
    const auto enabled = [&](ICommandTarget* view) {
        ActiveFrame()->SetActiveView(view);
        return App().MainFrame()->QueryState(ID_PROPERTIES).m_enabled;
    };
    Tree().setCurrentIndex(Tree().Model().IndexOf(Tree().Model().CatalogueNode()));
    EXPECT_FALSE(enabled(&Tree()));
    EXPECT_FALSE(enabled(&List()));
    ASSERT_EQ(List().SelectName(u"DISC"), 0);
    EXPECT_TRUE(enabled(&List()));
    ASSERT_EQ(Tree().SelectPath(u"[DISC] \\"), 0);
    EXPECT_TRUE(enabled(&Tree()));
    ASSERT_EQ(List().SelectName(u"a.txt"), 0);
    EXPECT_FALSE(enabled(&List()));
    ASSERT_EQ(Tree().SelectPath(u"[DISC] \\DOCS"), 0);
    EXPECT_FALSE(enabled(&Tree()));
}

}  // namespace
}  // namespace volcatra::test
