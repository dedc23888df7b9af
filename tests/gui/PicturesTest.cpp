// Pictures: the system image list's stable positions, stored icons decoded
// into a volume's picture cache once, failures remembered, the document's
// pictures for volumes with a stored icon; and saving a listing from the
// program.
#include <QFile>

#include "GuiTestSupport.h"
#include "ui/SysImageList.h"

namespace volcatra::test {
namespace {

// A stored image: all opaque, colour index 12 (blue) everywhere.
std::vector<uint8_t> BlueImage() {
    std::vector<uint8_t> image(kStoredImageSize, 0);
    for (size_t i = kSmallColourOffset; i < kStoredImageSize; ++i) image[i] = 0xCC;
    return image;
}

RootList WithIcons() {
    RootList roots;
    auto root = MakeVolume(u"ICONS");
    root->m_icons.m_images.push_back(BlueImage());
    root->m_icons.m_images.push_back(std::vector<uint8_t>(100, 0));  // damaged
    root->m_iconNumber = 1;
    CFileArray& top = AddArray(*root, u"\\");
    AddEntry(top, u"a.exe", FA_ARCHIVE, 1, 0).m_iconNumber = 1;
    AddEntry(top, u"b.exe", FA_ARCHIVE, 1, 0).m_iconNumber = 1;
    AddEntry(top, u"broken.exe", FA_ARCHIVE, 1, 0).m_iconNumber = 2;
    AddEntry(top, u"c.txt", FA_ARCHIVE, 1, 0);
    AddEntry(top, u"d.txt", FA_ARCHIVE, 1, 0);
    AddEntry(top, u"Stored", FA_DIRECTORY, 0, 0, 1).m_iconNumber = 1;
    AddArray(*root, u"\\Stored");
    roots.push_back(std::move(root));
    return roots;
}

using PicturesTest = GuiTest;

TEST_F(PicturesTest, SystemImageListPositionsAreStable) {
    StartApp();
    CSysImageList& list = CSysImageList::Instance();
    ASSERT_TRUE(list.IsReady());
    EXPECT_FALSE(list.Icon(CSysImageList::kFolder).isNull());
    EXPECT_FALSE(list.Icon(CSysImageList::kOpenFolder).isNull());
    EXPECT_EQ(list.IndexForName(QStringLiteral("x"), true), CSysImageList::kFolder);
    const int text = list.IndexForName(QStringLiteral("a.txt"), false);
    EXPECT_EQ(list.IndexForName(QStringLiteral("B.TXT"), false), text);
    const int count = list.Count();
    EXPECT_EQ(list.IndexForName(QStringLiteral("c.txt"), false), text);
    EXPECT_EQ(list.Count(), count);
    EXPECT_FALSE(list.OverlayIcon().isNull());
}

TEST_F(PicturesTest, StoredIconsAreDecodedOncePerVolume) {
    StartApp({WriteCatalogue(WithIcons(), QStringLiteral("icons.fsr"))});
    CCatalogueDocument& document = ActiveFrame()->Document();
    CRootEntry& root = *document.Roots()[0];
    // The volume's own stored icon follows the fixed pictures, once.
    const int volumePicture = document.GetRootPicture(root.m_iconNumber, root);
    EXPECT_EQ(volumePicture, kFixedPictureCount);
    EXPECT_EQ(document.GetRootPicture(root.m_iconNumber, root), volumePicture);
    const QImage image = document.Picture(volumePicture).pixmap(16, 16).toImage();
    EXPECT_EQ(image.pixel(8, 8), qRgb(0, 0, 255));
    // The folder with a stored icon shows it in the tree, selected or not.
    const CFSTreeModel::Node* volume = Tree().Model().CatalogueNode()->m_children[0];
    EXPECT_EQ(volume->m_picture, volumePicture);
    EXPECT_EQ(volume->m_children[0]->m_picture, volumePicture);

    ASSERT_EQ(Tree().SelectPath(u"[ICONS] \\"), 0);
    CFSListModel& model = List().Model();
    for (int row = 0; row < model.rowCount(); ++row) model.data(model.index(row, 0), Qt::DecorationRole);
    const auto entry = [&model](const char16_t* name) { return model.EntryAt(model.FindName(name)); };
    // Two files with the same stored icon share one picture; the damaged
    // image is remembered as a failure.
    EXPECT_EQ(entry(u"a.exe")->m_imageIndex, entry(u"b.exe")->m_imageIndex);
    EXPECT_EQ(root.m_storeImageMap[0], entry(u"a.exe")->m_imageIndex + 1);
    EXPECT_EQ(entry(u"broken.exe")->m_imageIndex, 0xFFFF);
    EXPECT_TRUE(model.data(model.index(model.FindName(u"broken.exe"), 0), Qt::DecorationRole).value<QIcon>().isNull());
    // Files of one type share the type's picture.
    EXPECT_EQ(entry(u"c.txt")->m_imageIndex, entry(u"d.txt")->m_imageIndex);
    EXPECT_NE(entry(u"c.txt")->m_imageIndex, entry(u"a.exe")->m_imageIndex);
}

// A save dialog that confirms a fixed path and file type.
class CFixedSaveDialog : public ISaveDialogHost {
public:
    CFixedSaveDialog(std::u16string path, int type) : m_path(std::move(path)), m_type(type) {}
    bool Run(CFileSaveDialog& dialog) override { return dialog.Confirm(m_path, m_type); }

private:
    std::u16string m_path;
    int m_type;
};

TEST_F(PicturesTest, SaveAsWritesAListingAfterTheWarning) {
    const QString listing = TempPath(QStringLiteral("out.csv"));
    CFixedSaveDialog saveDialog(listing.toStdU16String(), 2);
    StartApp({WriteCatalogue(WithIcons(), QStringLiteral("icons.fsr"))},
             [&saveDialog](AppServices& services) { services.m_saveDialog = &saveDialog; });
    m_messages.Answer({MessageAnswer::Ok});
    App().MainFrame()->Route(ID_FILE_SAVE_AS);
    ASSERT_EQ(m_messages.ShownBoxes().size(), 1u);
    EXPECT_EQ(m_messages.ShownBoxes()[0].text, std::u16string(Tr(kListingWarningText)));
    QFile file(listing);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 2);
    EXPECT_EQ(uint8_t(bytes[0]), 0xFF);
    EXPECT_EQ(uint8_t(bytes[1]), 0xFE);
    EXPECT_TRUE(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2)
                    .contains(QStringLiteral("a.exe")));
}

}  // namespace
}  // namespace volcatra::test
