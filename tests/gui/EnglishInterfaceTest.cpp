// The desktop program under VOLCATRA_LANG=en: its own texts, Qt's and the
// type names from the MIME database in English.
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>

#include "GuiTestSupport.h"
#include "platform/ShellTypeNames.h"

namespace volcatra::test {
namespace {

class EnglishInterfaceTest : public GuiTest {
protected:
    void SetUp() override {
        qputenv("VOLCATRA_LANG", "en");
        GuiTest::SetUp();
    }
    void TearDown() override {
        GuiTest::TearDown();
        qputenv("VOLCATRA_LANG", "ja");
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    }
};

QStringList ItemTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

TEST_F(EnglishInterfaceTest, MenusStatusBarAndListAreInEnglish) {
    CFSRecApp& app = StartApp();
    QMenuBar* bar = app.MainFrame()->menuBar();
    auto root = MakeVolume(u"DATA");
    AddEntry(AddArray(*root, u"\\"), u"notes.txt", FA_ARCHIVE, 10, 0);
    RootList roots;
    roots.push_back(std::move(root));
    app.OpenDocumentFile(WriteCatalogue(std::move(roots), QStringLiteral("english.fsr")));
    Flush();

    QStringList titles;
    for (QAction* action : bar->actions()) titles << action->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "&Tools", "&Window", "&Help"}));
    QMenu* file = bar->actions().front()->menu();
    ASSERT_NE(file, nullptr);
    const QStringList items = ItemTexts(file);
    ASSERT_GE(items.size(), 8);
    EXPECT_EQ(items.mid(0, 7), (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "-", "Rea&d Disc...\tCtrl+R",
                                            "-", "&Save\tCtrl+S"}));
    EXPECT_EQ(items.back(), QStringLiteral("E&xit"));
    EXPECT_EQ(app.MainFrame()->statusBar()->currentMessage(), QStringLiteral("Ready"));
    EXPECT_TRUE(app.MainFrame()->windowTitle().startsWith(QStringLiteral("Volcatra - ")))
        << app.MainFrame()->windowTitle().toStdString();

    // The file list's columns and the type name of its file.
    QTreeView* details = List().findChild<QTreeView*>();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(details->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Type"));
    EXPECT_EQ(QString::fromStdU16String(CMimeTypeNames().GetTypeName(u"a.txt", false)),
              QStringLiteral("plain text document"));
}

TEST_F(EnglishInterfaceTest, DialogsAndQtsOwnButtonsAreInEnglish) {
    CFSRecApp& app = StartApp();
    QString title, version;
    m_dialogHandler = [&](QDialog& dialog) {
        title = dialog.windowTitle();
        if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("VersionText"))) version = label->text();
        return int(QDialog::Accepted);
    };
    app.MainFrame()->Route(ID_APP_ABOUT);
    EXPECT_EQ(title, QStringLiteral("About Volcatra"));
    EXPECT_EQ(version, QStringLiteral("Volcatra Version 3.20.160"));

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(GetCommandText(ID_READ_NEW).m_tooltip, QStringLiteral("Read Disc"));
}

}  // namespace
}  // namespace volcatra::test
