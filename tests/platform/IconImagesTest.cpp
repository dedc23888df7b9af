// Icon pictures with QImage: the reduction to the stored format, .ico and
// .cur files, and the icon pass over a small medium on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "PeFixture.h"
#include "ScriptedMessageService.h"
#include "model/CatalogueFile.h"
#include "platform/DirectoryListing.h"
#include "platform/IconImages.h"
#include "platform/ProgramFiles.h"
#include "platform/QtIconSource.h"
#include "reading/IconPass.h"
#include "reading/VolumeScan.h"

namespace volcatra {
namespace {

using testing::MakeExeWithIcon;
using testing::MakeIconDib;

QImage Filled(int size, QRgb argb) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(argb));
    return image;
}

uint32_t StoredPixel(const CStoredImage& image, int size, int x, int y) {
    const auto pair = DecodeStoredImage(image);
    const CIconPicture& picture = size == 32 ? pair->m_large : pair->m_small;
    return picture.m_pixels[size_t(y * size + x)];
}

// An .ico (type 1) or .cur (type 2) file of the given DIBs.
std::vector<uint8_t> MakeIconFile(const std::vector<std::vector<uint8_t>>& dibs, const std::vector<int>& sizes,
                                  int type = 1) {
    std::vector<uint8_t> file;
    testing::PutLE(file, 0, 0, 2);
    testing::PutLE(file, 2, uint32_t(type), 2);
    testing::PutLE(file, 4, dibs.size(), 2);
    size_t offset = 6 + 16 * dibs.size();
    for (size_t i = 0; i < dibs.size(); ++i) {
        const size_t e = 6 + 16 * i;
        testing::PutLE(file, e, uint32_t(sizes[i]), 1);
        testing::PutLE(file, e + 1, uint32_t(sizes[i]), 1);
        testing::PutLE(file, e + 4, type == 1 ? 1 : 0, 2);
        testing::PutLE(file, e + 6, type == 1 ? 32 : 0, 2);
        testing::PutLE(file, e + 8, dibs[i].size(), 4);
        testing::PutLE(file, e + 12, offset, 4);
        offset += dibs[i].size();
    }
    for (const auto& dib : dibs) file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

QByteArray Bytes(const std::vector<uint8_t>& data) {
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

TEST(IconReductionTest, AlphaThresholdNearestColourAndScaling) {
    struct Case {
        QRgb argb;
        uint32_t stored;  // 0 = transparent
    };
    const Case cases[] = {
        {qRgba(255, 0, 0, 255), 0xFFFF0000},
        {qRgba(250, 10, 5, 200), 0xFFFF0000},
        {qRgba(0, 0, 0, 127), 0},
        {qRgba(0, 0, 0, 128), 0xFF000000},
        {qRgba(100, 100, 100, 255), 0xFF808080},
        {qRgba(200, 200, 190, 255), 0xFFC0C0C0},
        {qRgba(20, 20, 140, 255), 0xFF000080},
        {qRgba(255, 255, 255, 255), 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argb);
        // A 64 x 64 picture serves both sizes; scaling a plain one keeps it plain.
        const CStoredImage stored = ReduceToStoredImage({Filled(64, c.argb), QImage()});
        for (const int size : {32, 16})
            for (const int at : {0, size / 2, size - 1})
                EXPECT_EQ(StoredPixel(stored, size, at, size - 1 - at), c.stored);
        if (c.stored == 0) {
            // Transparent pixels have colour 0.
            EXPECT_TRUE(
                std::all_of(stored.begin() + kSmallColourOffset, stored.end(), [](uint8_t b) { return b == 0; }));
        }
    }
    // The two sizes come from their own pictures; equal pictures give equal bytes.
    const IconImages pair{Filled(32, qRgb(0, 255, 0)), Filled(16, qRgb(0, 0, 255))};
    const CStoredImage a = ReduceToStoredImage(pair);
    EXPECT_EQ(StoredPixel(a, 32, 3, 3), 0xFF00FF00u);
    EXPECT_EQ(StoredPixel(a, 16, 3, 3), 0xFF0000FFu);
    EXPECT_EQ(a, ReduceToStoredImage({Filled(32, qRgb(0, 255, 0)), Filled(16, qRgb(0, 0, 255))}));
    // A picture with a transparent half keeps its shape at both sizes.
    QImage half = Filled(48, qRgb(255, 255, 0));
    for (int y = 0; y < 48; ++y)
        for (int x = 24; x < 48; ++x) half.setPixel(x, y, qRgba(0, 0, 0, 0));
    const CStoredImage h = ReduceToStoredImage({half, QImage()});
    EXPECT_EQ(StoredPixel(h, 32, 2, 10), 0xFFFFFF00u);
    EXPECT_EQ(StoredPixel(h, 32, 29, 10), 0u);
    EXPECT_EQ(StoredPixel(h, 16, 1, 10), 0xFFFFFF00u);
    EXPECT_EQ(StoredPixel(h, 16, 14, 10), 0u);
}

TEST(IconFileTest, ChoosesEachSizeFromIcoAndCurFiles) {
    const auto file = MakeIconFile(
        {MakeIconDib(48, 0xFF0000FF), MakeIconDib(32, 0xFFFF0000), MakeIconDib(16, 0xFF00FF00)}, {48, 32, 16});
    const auto images = ReadIconFile(Bytes(file));
    ASSERT_TRUE(images.has_value());
    EXPECT_EQ(images->large.width(), 32);
    EXPECT_EQ(images->large.pixel(4, 4), 0xFFFF0000u);
    EXPECT_EQ(images->small.width(), 16);
    EXPECT_EQ(images->small.pixel(4, 4), 0xFF00FF00u);

    const auto cursor = ReadIconFile(Bytes(MakeIconFile({MakeIconDib(32, 0xFF00FFFF)}, {32}, 2)));
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->small.pixel(0, 0), 0xFF00FFFFu);

    EXPECT_FALSE(ReadIconFile(QByteArray("not an icon at all")).has_value());
    EXPECT_FALSE(ReadIconFile(QByteArray()).has_value());
}

TEST(AutorunIconTest, ParsesTheIconLine) {
    struct Case {
        const char* text;
        std::optional<std::string> path;
        int group;
    };
    const Case cases[] = {
        {"[autorun]\r\nopen=setup.exe\r\nicon=setup.exe,1\r\n", "setup.exe", 1},
        {"[AutoRun]\nICON = \"icons\\disc.ico\"\n", "icons/disc.ico", 0},
        {"[other]\nicon=a.ico\n[autorun]\nlabel=x\n", std::nullopt, 0},
        {"[autorun]\nicon=..\\..\\etc\\passwd.ico\n", std::nullopt, 0},
        {"[autorun]\nicon=C:\\windows\\a.ico\n", std::nullopt, 0},
        {"[autorun]\nicon=app.exe,-101\n", "app.exe", -101},
        {"", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto icon = ParseAutorunIcon(QByteArray(c.text));
        ASSERT_EQ(icon.has_value(), c.path.has_value());
        if (!icon) continue;
        EXPECT_EQ(icon->path, *c.path);
        EXPECT_EQ(icon->group, c.group);
    }
}

TEST(DesktopEntryIconTest, TakesOnlyAPictureBesideTheEntry) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"[Desktop Entry]\nName=App\nIcon=icons/app.png\n", "icons/app.png"},
        {"[Desktop Entry]\nIcon[de]=x.png\nIcon = app.xpm \n", "app.xpm"},
        {"[Desktop Entry]\nIcon=accessories-text-editor\n", std::nullopt},  // a theme name
        {"[Desktop Entry]\nIcon=/usr/share/pixmaps/app.png\n", std::nullopt},
        {"[Desktop Entry]\nIcon=../../etc/app.png\n", std::nullopt},
        {"[Desktop Action New]\nIcon=new.png\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDesktopEntryIcon(QByteArray(text)), expected) << text;
}

class IconMediumTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = std::filesystem::temp_directory_path() / ("icon-medium-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_root);
        std::filesystem::create_directories(m_root / "Tools");
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(m_root / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    }
    void Write(const std::string& name, const std::string& text) {
        Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }

    static PreparedIconImages Prepared() {
        PreparedIconImages prepared;
        QImage overlay = Filled(32, qRgba(0, 0, 0, 0));
        overlay.setPixel(0, 31, qRgb(255, 255, 255));
        prepared.overlay = {overlay, Filled(16, qRgba(0, 0, 0, 0))};
        prepared.linkShortcut = {Filled(32, qRgb(255, 255, 0)), Filled(16, qRgb(255, 255, 0))};
        prepared.pifShortcut = prepared.linkShortcut;
        prepared.hardDisk = {Filled(32, qRgb(128, 128, 128)), QImage()};
        return prepared;
    }

    // Reads the medium whole, then its icons, with no question asked.
    bool ReadWithIcons(CRootEntry& root) {
        LocalFileSystem fileSystem;
        const std::string path = m_root.string();
        if (!ReadVolume(root, ReadServices{fileSystem, nullptr, nullptr}, DRIVE_FIXED, path, path, nullptr))
            return false;
        CQtIconSource source(Prepared());
        test::ScriptedMessageService messages;
        const bool read = ReadIcons(root, nullptr, messages, source, path, path);
        EXPECT_TRUE(messages.ShownBoxes().empty());
        return read;
    }
    static std::map<std::u16string, int> IconNumbers(const CRootEntry& root) {
        std::map<std::u16string, int> numbers;
        for (const auto& list : root.m_folders)
            for (const auto& entry : list->m_entries) numbers[entry.m_name.str()] = entry.m_iconNumber;
        return numbers;
    }

    std::filesystem::path m_root;
};

TEST_F(IconMediumTest, ReadsOwnIconsNumbersThemAndKeepsThemInTheCatalogue) {
    Write("autorun.inf", std::string("[autorun]\r\nicon=SETUP.EXE,0\r\n"));
    Write("setup.exe", MakeExeWithIcon(0xFFFF0000));
    Write("Tools/copy.exe", MakeExeWithIcon(0xFFFF0000));
    Write("Tools/other.dll", MakeExeWithIcon(0xFF0000FF));
    Write("broken.exe", std::string("MZ but nothing else"));
    Write("disc.ico", MakeIconFile({MakeIconDib(32, 0xFF00FF00)}, {32}));
    Write("readme.txt", std::string("plain"));
    Write("Start.lnk", std::string("L\0\0\0", 4));
    Write("Tools/Help.lnk", std::string("L\0\0\0", 4));

    CRootEntry root;
    ASSERT_TRUE(ReadWithIcons(root));

    std::map<std::u16string, int> numbers = IconNumbers(root);
    // Red (setup.exe, copy.exe), blue, green, and one shortcut picture for
    // both shortcuts.
    EXPECT_EQ(root.m_icons.GetCount(), 4u);
    for (const char16_t* plain : {u"readme.txt", u"broken.exe", u"autorun.inf", u"Tools"})
        EXPECT_EQ(numbers[plain], 0) << QString::fromUtf16(plain).toStdString();
    EXPECT_EQ(numbers[u"setup.exe"], numbers[u"copy.exe"]);
    EXPECT_EQ(numbers[u"Start.lnk"], numbers[u"Help.lnk"]);
    std::set<int> distinct;
    for (const char16_t* own : {u"setup.exe", u"other.dll", u"disc.ico", u"Start.lnk"}) distinct.insert(numbers[own]);
    EXPECT_EQ(distinct, (std::set<int>{1, 2, 3, 4}));
    // The medium's autorun icon is setup.exe's.
    EXPECT_EQ(root.m_iconNumber, numbers[u"setup.exe"]);

    auto colourOf = [&](const CRootEntry& r, int number) {
        return DecodeStoredImage(r.m_icons.m_images[size_t(number - 1)])->m_large.m_pixels[5 * 32 + 5];
    };
    EXPECT_EQ(colourOf(root, numbers[u"setup.exe"]), 0xFFFF0000u);
    EXPECT_EQ(colourOf(root, numbers[u"other.dll"]), 0xFF0000FFu);
    EXPECT_EQ(colourOf(root, numbers[u"disc.ico"]), 0xFF00FF00u);
    EXPECT_EQ(colourOf(root, numbers[u"Start.lnk"]), 0xFFFFFF00u);
    // The overlay's corner pixel on the shortcut.
    EXPECT_EQ(DecodeStoredImage(root.m_icons.m_images[size_t(numbers[u"Start.lnk"] - 1)])->m_large.m_pixels[31 * 32],
              0xFFFFFFFFu);

    // Saved and read back unchanged.
    const std::vector<uint8_t> saved = WriteVolumePayload(root);
    const std::unique_ptr<CRootEntry> reloaded = ReadVolumePayload(saved);
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(reloaded->m_icons.m_images, root.m_icons.m_images);
    EXPECT_EQ(reloaded->m_iconNumber, root.m_iconNumber);
    EXPECT_EQ(WriteVolumePayload(*reloaded), saved);
}

TEST_F(IconMediumTest, DesktopEntriesShowThePictureTheyNameOnTheMedium) {
    Write("app.desktop", std::string("[Desktop Entry]\nType=Application\nIcon=Tools/app.png\n"));
    Write("theme.desktop", std::string("[Desktop Entry]\nIcon=accessories-text-editor\n"));
    Write("gone.desktop", std::string("[Desktop Entry]\nIcon=missing.png\n"));
    ASSERT_TRUE(Filled(48, qRgb(0, 0, 255)).save(QString::fromStdString((m_root / "Tools/app.png").string()), "PNG"));
    CRootEntry root;
    ASSERT_TRUE(ReadWithIcons(root));
    std::map<std::u16string, int> numbers = IconNumbers(root);
    ASSERT_GT(numbers[u"app.desktop"], 0);
    EXPECT_EQ(
        DecodeStoredImage(root.m_icons.m_images[size_t(numbers[u"app.desktop"] - 1)])->m_large.m_pixels[5 * 32 + 5],
        0xFF0000FFu);
    EXPECT_EQ(numbers[u"theme.desktop"], 0);
    EXPECT_EQ(numbers[u"gone.desktop"], 0);
}

TEST_F(IconMediumTest, UnreadableFilesAskAndOtherKindsOfFileAreLeftAlone) {
    // A link that points at itself cannot be opened, whoever runs the test;
    // a FIFO is never opened for reading (it would block).
    std::filesystem::create_symlink("loop.exe", m_root / "loop.exe");
    ASSERT_EQ(mkfifo((m_root / "pipe.ico").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((m_root / "pipe.exe").c_str(), 0600), 0);
    Write("autorun.inf", std::string("[autorun]\nicon=missing.ico\n"));
    CRootEntry root;
    LocalFileSystem fileSystem;
    const std::string path = m_root.string();
    ASSERT_TRUE(ReadVolume(root, ReadServices{fileSystem, nullptr, nullptr}, DRIVE_FIXED, path, path, nullptr));
    ASSERT_EQ(root.m_fileCount, 4u);
    CQtIconSource source(Prepared());
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        SCOPED_TRACE(answer == MessageAnswer::No ? "go on" : "abandon");
        test::ScriptedMessageService messages;
        messages.Answer({answer});
        EXPECT_EQ(ReadIcons(root, nullptr, messages, source, path, path), answer == MessageAnswer::No);
        EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{Tr(kIconReadErrorQuestion)});
    }
    // The autorun icon is missing: the drive's type icon, which no file shares.
    EXPECT_EQ(root.m_iconNumber, 0);
}

// Through.ico beside the program wins over the installed data folder; a
// missing file is reported at the place beside the program.
TEST(ProgramFilePathTest, BesideTheProgramThenTheInstalledDataFolder) {
    const std::filesystem::path prefix =
        std::filesystem::temp_directory_path() / ("volcatra-prefix-" + std::to_string(::getpid()));
    const std::filesystem::path bin = prefix / "bin", data = prefix / "share" / "volcatra";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(data);
    const auto touch = [](const std::filesystem::path& path) { std::ofstream(path) << "x"; };
    const QString binDir = QString::fromStdString(bin.string());
    const auto found = [&binDir]() { return ProgramFilePath(binDir, QStringLiteral("Through.ico")).toStdString(); };

    EXPECT_EQ(found(), (bin / "Through.ico").string());
    touch(data / "Through.ico");
    EXPECT_EQ(found(), (data / "Through.ico").string());
    touch(bin / "Through.ico");
    EXPECT_EQ(found(), (bin / "Through.ico").string());
    std::filesystem::remove_all(prefix);
}

}  // namespace
}  // namespace volcatra

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
