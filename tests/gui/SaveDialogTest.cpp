// The save dialog as the user drives it: the file type picked in Qt's own
// type box (which changes the name by a rule of its own), the warning before
// a listing, and what the all-files type saves.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "GuiTestSupport.h"
#include "ui/QtServices.h"

namespace volcatra::test {
namespace {

QComboBox* TypeBox(QFileDialog& dialog) {
    return dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
}

QLineEdit* NameField(QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Picks file type `index` (counted from 0) with the keyboard, as a user
// does: Home and End jump to the first and last type, the arrows step.
void PickType(QFileDialog& dialog, int index) {
    QComboBox* box = TypeBox(dialog);
    if (index == 0)
        QTest::keyClick(box, Qt::Key_Home);
    else if (index == box->count() - 1)
        QTest::keyClick(box, Qt::Key_End);
    while (box->currentIndex() < index) QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > index) QTest::keyClick(box, Qt::Key_Up);
}

void TypeName(QFileDialog& dialog, const QString& name) {
    QLineEdit* field = NameField(dialog);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, name);
}

class SaveDialogTest : public GuiTest {};

TEST_F(SaveDialogTest, TypeSwitchAdjustsTheNameOnceAtItsLastDot) {
    CFileSaveDialog logic(m_messages, Tr(kSaveAsTitle), Tr(kCatalogueSaveFilter), kCatalogueExtension, u"my.cat.fsr",
                          1);
    CSaveFileDialog dialog(nullptr, logic);
    dialog.setDirectory(m_dir.path());
    ASSERT_NE(TypeBox(dialog), nullptr);
    ASSERT_NE(NameField(dialog), nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("名前を付けて保存"));
    EXPECT_EQ(dialog.nameFilters().size(), 4);
    EXPECT_EQ(dialog.NameFieldText(), QStringLiteral("my.cat.fsr"));
    struct Step {
        const char* typed;  // nullptr: the name field is left as it is
        int type;           // counted from 0
        const char* shown;
    };
    const Step steps[] = {
        {nullptr, 1, "my.cat.csv"},  {nullptr, 0, "my.cat.fsr"}, {nullptr, 3, "my.cat.fsr"},  // all files: .fsr
        {nullptr, 2, "my.cat.prn"},  {"noext", 1, "noext.csv"},  {"noext", 3, "noext.fsr"},
        {"a.text", 0, "a.text.fsr"}, {"name.", 2, "name.prn"},   {"sub.d/x", 1, "sub.d/x.csv"},
    };
    for (const Step& step : steps) {
        if (step.typed) TypeName(dialog, QString::fromLatin1(step.typed));
        PickType(dialog, step.type);
        ASSERT_EQ(TypeBox(dialog)->currentIndex(), step.type);
        EXPECT_EQ(dialog.NameFieldText().toStdString(), step.shown) << step.type;
    }

    // A listing asks first; Cancel keeps the dialog open, OK confirms.
    TypeName(dialog, QStringLiteral("cat"));
    PickType(dialog, 1);
    dialog.open();
    m_messages.Answer({MessageAnswer::Cancel});
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    m_messages.Answer({MessageAnswer::Ok});
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    ASSERT_EQ(m_messages.ShownBoxes().size(), 2u);
    EXPECT_EQ(m_messages.ShownBoxes()[0].text, std::u16string(Tr(kListingWarningText)));
    EXPECT_EQ(QString::fromStdU16String(logic.GetPathName()), m_dir.filePath(QStringLiteral("cat.csv")));
    EXPECT_EQ(logic.TypeIndex(), 2);
}

// Save-as of an open catalogue through the program's own save dialog: the
// user picks types, types a name and presses Enter.
TEST_F(SaveDialogTest, NameTypedLastIsSavedInTheFormatOfTheType) {
    struct Case {
        std::vector<int> types;  // picked in this order, counted from 0
        const char* typed;
        const char* saved;
        bool catalogue;
    };
    const Case cases[] = {
        {{1, 3}, "allnoext", "allnoext.fsr", true},  // not a stale .csv
        {{3}, "notes.txt", "notes.txt", true},       // an extension is kept as typed
        {{1}, "plain", "plain.csv", false},
        {{2, 0}, "back", "back.fsr", true},
    };
    for (const Case& c : cases) {
        CQtSaveDialogHost host;
        StartApp({WriteCatalogue(
                     [] {
                         RootList roots;
                         roots.push_back(MakeVolume(u"Disk1"));
                         return roots;
                     }(),
                     QStringLiteral("cat.fsr"))},
                 [&host](AppServices& services) { services.m_saveDialog = &host; });
        if (!c.catalogue) m_messages.Answer({MessageAnswer::Ok});
        bool driven = false;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "Qt's own box: " << box->text().toStdString();
                box->reject();
                return;
            }
            auto* dialog = qobject_cast<CSaveFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || driven) return;
            driven = true;
            // Acted out from a timer of its own, so that this one can still
            // watch for boxes the dialog opens.
            QTimer::singleShot(0, dialog, [dialog, &c]() {
                for (int type : c.types) PickType(*dialog, type);
                TypeName(*dialog, QString::fromLatin1(c.typed));
                QTest::keyClick(NameField(*dialog), Qt::Key_Return);
                if (dialog->isVisible()) dialog->reject();
            });
        });
        user.start(10);
        App().MainFrame()->Route(ID_FILE_SAVE_AS);
        user.stop();
        Flush();
        ASSERT_TRUE(driven) << c.saved;
        const QString saved = TempPath(QString::fromLatin1(c.saved));
        ASSERT_TRUE(QFile::exists(saved)) << c.saved;
        if (c.catalogue) {
            EXPECT_FALSE(QFile::exists(TempPath(QString::fromLatin1(c.typed) + QStringLiteral(".csv"))));
        }
        bool loads = true;
        try {
            LoadCatalogueFile(QFile::encodeName(saved).toStdString(), HeaderAcceptance::Document);
        } catch (const CatalogueError&) {
            loads = false;
        }
        EXPECT_EQ(loads, c.catalogue) << c.saved;
        EXPECT_EQ(ActiveFrame()->Document().GetPathName(), QFile::encodeName(saved).toStdString());
        EXPECT_TRUE(m_messages.AllAnswersUsed()) << c.saved;
        QFile::remove(saved);
    }
}

}  // namespace
}  // namespace volcatra::test
