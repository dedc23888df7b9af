// The icon pass over a scanned volume, with a fake icon source.
#include "reading/IconPass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "CatalogueBuilder.h"
#include "ReadingFakes.h"
#include "ScriptedMessageService.h"

namespace volcatra {
namespace {

CStoredImage Plain(int colour) {
    CStoredImage image{};
    if (colour < 0)
        std::fill(image.begin(), image.begin() + kSmallColourOffset, uint8_t(0xFF));
    else
        std::fill(image.begin() + kSmallColourOffset, image.end(), uint8_t(colour * 0x11));
    return image;
}

class FakeIconSource : public IIconSource {
public:
    std::map<std::u16string, FileIcon> own;  // by name; others show their type's icon
    std::optional<CStoredImage> shortcut = Plain(7);
    std::optional<CStoredImage> drive = Plain(3);
    std::vector<std::string> asked;
    std::vector<std::string> driveAsked;

    FileIcon OwnIcon(const std::string& path, const std::u16string& name, uint16_t) override {
        asked.push_back(path);
        const auto it = own.find(name);
        return it == own.end() ? FileIcon{} : it->second;
    }
    std::optional<CStoredImage> TypeIcon(const std::u16string&) override { return shortcut; }
    std::optional<CStoredImage> DriveIcon(const std::string& rootPath, uint32_t) override {
        driveAsked.push_back(rootPath);
        return drive;
    }
    CStoredImage Overlay() override {
        CStoredImage overlay = Plain(-1);
        overlay[kLargeMaskOffset] = 0x7F;  // one opaque black pixel at (0, 0)
        overlay[kLargeColourOffset] = 0x00;
        return overlay;
    }
};

// A volume read from /media/disc/data: top "readme.txt", "app.exe",
// "tools/", "Link.LNK", "pack.zip" (listed); tools holds "app2.exe" (the
// same picture as app.exe), "other.exe" and "bad.exe" (cannot be read);
// the archive holds "inner.exe".
struct Rig {
    CRootEntry root;
    FakeIconSource source;
    test::ScriptedMessageService messages;
    test::RecordingProgress progress;

    Rig() {
        CFileArray& top = test::AddArray(root, u"\\");
        CFileArray& tools = test::AddArray(root, u"\\tools");
        CFileArray& pack = test::AddArray(root, u"\\pack.zip");
        test::AddEntry(top, u"readme.txt", FA_ARCHIVE);
        test::AddEntry(top, u"app.exe", FA_ARCHIVE);
        test::AddEntry(top, u"tools", FA_DIRECTORY, 0, 0, 1);
        test::AddEntry(top, u"Link.LNK", FA_ARCHIVE);
        test::AddEntry(top, u"pack.zip", FA_ARCHIVE | FA_ARCHIVE_LISTED, 0, 0, 2);
        test::AddEntry(tools, u"app2.exe", FA_ARCHIVE);
        test::AddEntry(tools, u"other.exe", FA_ARCHIVE);
        test::AddEntry(tools, u"bad.exe", FA_ARCHIVE);
        test::AddEntry(pack, u"inner.exe", FA_ARCHIVE);
        root.m_childIndex = 0;
        root.m_fileCount = 7;
        root.m_folderCount = 1;
        source.own[u"app.exe"] = FileIcon{FileIconKind::Own, Plain(9)};
        source.own[u"app2.exe"] = FileIcon{FileIconKind::Own, Plain(9)};
        source.own[u"other.exe"] = FileIcon{FileIconKind::Own, Plain(12)};
        source.own[u"inner.exe"] = FileIcon{FileIconKind::Own, Plain(13)};
        source.own[u"bad.exe"] = FileIcon{FileIconKind::Error, {}};
    }

    bool Run() { return ReadIcons(root, &progress, messages, source, "/media/disc/data", "/media/disc"); }
    int16_t Number(size_t list, size_t entry) const { return root.m_folders[list]->m_entries[entry].m_iconNumber; }
};

TEST(IconPassTest, NumbersStoredImagesAndTheVolumeIcon) {
    struct Case {
        const char* name;
        std::optional<CStoredImage> drive;
        int16_t volumeNumber;
    };
    const Case cases[] = {
        {"drive icon of its own", Plain(3), 0},
        {"drive icon equal to app.exe's", Plain(9), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig f;
        f.source.drive = c.drive;
        f.messages.Answer({MessageAnswer::No});  // go on after bad.exe
        ASSERT_TRUE(f.Run());
        EXPECT_EQ(f.messages.Texts(), std::vector<std::u16string>{Tr(kIconReadErrorQuestion)});
        EXPECT_EQ(f.messages.ShownBoxes()[0].icon, MessageIcon::Question);
        // Captured from the last entry to the first, depth first: Link.LNK,
        // other.exe, app2.exe, app.exe; stored in reverse, each once.
        ASSERT_EQ(f.root.m_icons.GetCount(), 3u);
        EXPECT_EQ(f.Number(0, 0), 0);  // readme.txt
        EXPECT_EQ(f.Number(0, 1), 1);  // app.exe
        EXPECT_EQ(f.Number(0, 2), 0);  // tools
        EXPECT_EQ(f.Number(0, 3), 3);  // Link.LNK
        EXPECT_EQ(f.Number(0, 4), 0);  // pack.zip
        EXPECT_EQ(f.Number(1, 0), 1);  // app2.exe
        EXPECT_EQ(f.Number(1, 1), 2);  // other.exe
        EXPECT_EQ(f.Number(1, 2), 0);  // bad.exe
        EXPECT_EQ(f.Number(2, 0), 0);  // archive members are never visited
        EXPECT_EQ(f.root.m_iconNumber, c.volumeNumber);
        const auto& images = f.root.m_icons.m_images;
        EXPECT_TRUE(std::equal(images[0].begin(), images[0].end(), Plain(9).begin()));
        EXPECT_EQ(images[2][kLargeColourOffset], 0x07);  // the shortcut with the overlay's pixel
        EXPECT_EQ(images[2][kLargeMaskOffset], 0x00);
        const std::vector<std::string> asked = {"/media/disc/data/pack.zip",       "/media/disc/data/tools",
                                                "/media/disc/data/tools/bad.exe",  "/media/disc/data/tools/other.exe",
                                                "/media/disc/data/tools/app2.exe", "/media/disc/data/app.exe",
                                                "/media/disc/data/readme.txt"};
        EXPECT_EQ(f.source.asked, asked);
        EXPECT_EQ(f.source.driveAsked, std::vector<std::string>{"/media/disc"});
        // Both phases; the organising one cannot be cancelled.
        EXPECT_EQ(f.progress.phases, (std::vector<ReadPhase>{ReadPhase::Icons, ReadPhase::IconsOrganising}));
        EXPECT_EQ(f.progress.Range(), 8u);
        EXPECT_EQ(f.progress.Position(), 8u);
        EXPECT_FALSE(f.progress.CancelEnabled());
    }
}

TEST(IconPassTest, PlainDocumentsGetNoStoredImage) {
    Rig f;
    f.source.own.clear();
    f.source.shortcut = Plain(3);  // the drive's picture, but with the overlay drawn on it
    ASSERT_TRUE(f.Run());
    EXPECT_EQ(f.root.m_icons.GetCount(), 1u);
    EXPECT_EQ(f.Number(0, 3), 1);
    EXPECT_EQ(f.root.m_iconNumber, 0);
    EXPECT_TRUE(f.messages.ShownBoxes().empty());
}

TEST(IconPassTest, FailuresAndCancels) {
    struct Case {
        const char* name;
        std::function<void(Rig&)> arrange;
        std::vector<MessageAnswer> answers;
        bool done;
    };
    const Case cases[] = {
        {"read error, abandon", [](Rig&) {}, {MessageAnswer::Yes}, false},
        {"no drive icon", [](Rig& f) { f.source.drive.reset(); }, {}, false},
        {"no shortcut type icon, abandon",
         [](Rig& f) {
             f.source.shortcut.reset();
             f.source.own.erase(u"bad.exe");
         },
         {MessageAnswer::Yes},
         false},
        {"cancel before the capture, confirmed",
         [](Rig& f) { f.progress.cancelAtCheck = 1; },
         {MessageAnswer::Yes},
         false},
        {"cancel during the capture, confirmed",
         [](Rig& f) { f.progress.cancelAtCheck = 4; },
         {MessageAnswer::Yes},
         false},
        {"cancel during the capture, declined",
         [](Rig& f) { f.progress.cancelAtCheck = 4; },
         {MessageAnswer::No, MessageAnswer::No},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig f;
        c.arrange(f);
        for (const MessageAnswer a : c.answers) f.messages.Answer({a});
        EXPECT_EQ(f.Run(), c.done);
        EXPECT_TRUE(f.messages.AllAnswersUsed());
    }
}

TEST(IconPassTest, MoreThan32767NumbersFailTheRead) {
    for (const size_t shortcuts : {kMaxIconNumbers - 1, kMaxIconNumbers}) {
        SCOPED_TRACE(shortcuts);
        CRootEntry root;
        CFileArray& top = test::AddArray(root, u"\\");
        for (size_t i = 0; i < shortcuts; ++i)
            test::AddEntry(top, u"s" + std::u16string(1, u'a') + u".lnk", FA_ARCHIVE);
        FakeIconSource source;
        test::ScriptedMessageService messages;
        // The drive takes the first number.
        EXPECT_EQ(ReadIcons(root, nullptr, messages, source, "/m", "/m"), shortcuts < kMaxIconNumbers);
    }
}

}  // namespace
}  // namespace volcatra
