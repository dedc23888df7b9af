// The icon store: decoding of the 800-byte stored images and the store's
// block in the catalogue stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/CatalogueError.h"
#include "model/CatalogueStream.h"
#include "model/IconList.h"

namespace volcatra {
namespace {

constexpr uint32_t kTransparent = 0x00000000;
constexpr uint32_t kBlack = 0xFF000000;

// A stored image with every pixel opaque palette colour 0, then a few
// pixels set by hand through the raw layout.
std::vector<uint8_t> HandMadeImage() {
    std::vector<uint8_t> image(kStoredImageSize, 0);
    // Large picture: 4 mask bytes and 16 colour bytes a row.
    image[288 + 0] = 0x9B;             // (0,0) = 9 red, (1,0) = 11 yellow
    image[32 + 0] = 0x40;              // (1,0) transparent despite its colour
    image[288 + 15] = 0xAC;            // (30,0) = 10 green, (31,0) = 12 blue
    image[32 + 4 + 1] = 0x80;          // (8,1) transparent: second mask byte of row 1
    image[288 + 16 + 4] = 0x0D;        // (9,1) = 13 magenta
    image[32 + 31 * 4 + 3] = 0x01;     // (31,31) transparent
    image[288 + 31 * 16 + 15] = 0x7F;  // (30,31) = 7 silver, (31,31) = 15 under the mask
    // Small picture: 2 mask bytes and 8 colour bytes a row.
    image[160 + 0] = 0xE0;           // (0,0) = 14 cyan
    image[160 + 7] = 0x01;           // (15,0) = 1 maroon
    image[0 + 2 * 2 + 0] = 0x10;     // (3,2) transparent
    image[160 + 2 * 8 + 1] = 0x08;   // (3,2) = 8 under the mask
    image[0 + 15 * 2 + 1] = 0x02;    // (14,15) transparent
    image[160 + 15 * 8 + 7] = 0x6F;  // (14,15) = 6 under the mask, (15,15) = 15 white
    return image;
}

TEST(StoredImageTest, DecodesMasksAndColourNibbles) {
    const std::vector<uint8_t> image = HandMadeImage();
    const std::optional<CIconPair> pair = DecodeStoredImage(image);
    ASSERT_TRUE(pair.has_value());
    ASSERT_EQ(pair->m_large.m_size, 32);
    ASSERT_EQ(pair->m_large.m_pixels.size(), 32u * 32u);
    ASSERT_EQ(pair->m_small.m_size, 16);
    ASSERT_EQ(pair->m_small.m_pixels.size(), 16u * 16u);

    struct Case {
        bool large;
        int x, y;
        uint32_t expected;
    };
    const Case cases[] = {
        {true, 0, 0, 0xFFFF0000},      {true, 1, 0, kTransparent},  {true, 2, 0, kBlack},
        {true, 30, 0, 0xFF00FF00},     {true, 31, 0, 0xFF0000FF},   {true, 8, 1, kTransparent},
        {true, 9, 1, 0xFFFF00FF},      {true, 0, 1, kBlack},        {true, 30, 31, 0xFFC0C0C0},
        {true, 31, 31, kTransparent},  {false, 0, 0, 0xFF00FFFF},   {false, 1, 0, kBlack},
        {false, 15, 0, 0xFF800000},    {false, 3, 2, kTransparent}, {false, 2, 2, kBlack},
        {false, 14, 15, kTransparent}, {false, 15, 15, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        const CIconPicture& picture = c.large ? pair->m_large : pair->m_small;
        EXPECT_EQ(picture.m_pixels[size_t(c.y * picture.m_size + c.x)], c.expected)
            << (c.large ? "large" : "small") << " (" << c.x << "," << c.y << ")";
    }

    // Nothing but the pixels listed above differs from opaque black.
    auto countOthers = [](const CIconPicture& picture) {
        int n = 0;
        for (uint32_t pixel : picture.m_pixels) n += pixel != kBlack;
        return n;
    };
    EXPECT_EQ(countOthers(pair->m_large), 8);
    EXPECT_EQ(countOthers(pair->m_small), 5);
}

TEST(StoredImageTest, OnlyExactlyEightHundredBytesDecode) {
    for (size_t size : {size_t(0), size_t(5), size_t(799), size_t(801), size_t(1600)})
        EXPECT_FALSE(DecodeStoredImage(std::vector<uint8_t>(size, 0)).has_value()) << size;
}

TEST(IconListTest, IconPairOfEachImage) {
    CIconList list;
    list.m_images.push_back(HandMadeImage());
    list.m_images.push_back(std::vector<uint8_t>(5, 0x99));  // damaged
    list.m_images.push_back(std::vector<uint8_t>(kStoredImageSize, 0xFF));

    const std::optional<CIconPair> first = list.GetIconPair(0);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->m_large.m_pixels[0], 0xFFFF0000u);

    EXPECT_FALSE(list.GetIconPair(1).has_value());

    const std::optional<CIconPair> all = list.GetIconPair(2);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(all->m_large.m_pixels, std::vector<uint32_t>(32 * 32, kTransparent));
    EXPECT_EQ(all->m_small.m_pixels, std::vector<uint32_t>(16 * 16, kTransparent));

    EXPECT_FALSE(list.GetIconPair(3).has_value());
    EXPECT_FALSE(list.GetIconPair(SIZE_MAX).has_value());
    EXPECT_FALSE(CIconList().GetIconPair(0).has_value());
}

TEST(IconListTest, SerializeRoundTrip) {
    CIconList written;
    std::vector<uint8_t> big(kStoredImageSize);
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
    written.m_images.push_back(big);
    written.m_images.push_back({1, 2, 3, 4, 5});

    CCatalogueStream out;
    written.Serialize(out);
    const std::vector<uint8_t> bytes = out.TakeOutput();
    ASSERT_EQ(bytes.size(), 4u + 4u + 800u + 4u + 5u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<uint8_t>{2, 0, 0, 0, 0x20, 3, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.begin() + 808), big);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 808, bytes.end()),
              (std::vector<uint8_t>{5, 0, 0, 0, 1, 2, 3, 4, 5}));

    // Reading replaces whatever the list held, working maps included.
    CIconList read;
    read.m_images.assign(4, std::vector<uint8_t>(3));
    read.m_indexMap = {1, 2};
    read.m_capturedIcons = {3};
    CCatalogueStream in(bytes);
    read.Serialize(in);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(read.m_images, written.m_images);
    EXPECT_TRUE(read.m_indexMap.empty());
    EXPECT_TRUE(read.m_capturedIcons.empty());

    CCatalogueStream emptyOut;
    CIconList().Serialize(emptyOut);
    EXPECT_EQ(emptyOut.Output(), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(IconListTest, ShortDataIsAFormatError) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"huge count, then the end", {0xFF, 0xFF, 0xFF, 0xFF}},
        {"huge count, one empty image", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
        {"image longer than the data", {1, 0, 0, 0, 0x20, 3, 0, 0, 1, 2, 3}},
        {"huge image length", {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"count cut short", {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CIconList list;
        CCatalogueStream in(c.bytes);
        try {
            list.Serialize(in);
            ADD_FAILURE() << "no error";
        } catch (const CatalogueError& e) {
            EXPECT_EQ(e.Kind(), CatalogueFailure::Format);
        }
        // The count alone reserved nothing beyond what the data could hold.
        EXPECT_LE(list.m_images.capacity(), 1u);
    }
}

// A stored image of one opaque palette colour, or fully transparent for -1.
CStoredImage Plain(int colour) {
    CStoredImage image{};
    if (colour < 0) {
        std::fill(image.begin(), image.begin() + kSmallColourOffset, uint8_t(0xFF));
        return image;
    }
    std::fill(image.begin() + kSmallColourOffset, image.end(), uint8_t(colour * 0x11));
    return image;
}

// Sets pixel (x, y) of the large (32) or small (16) picture to palette
// colour `colour`, or makes it transparent for -1.
void SetPixel(CStoredImage& image, int size, int x, int y, int colour) {
    const size_t mask = (size == 32 ? kLargeMaskOffset : kSmallMaskOffset) + size_t(y * size / 8 + x / 8);
    const size_t pixel = (size == 32 ? kLargeColourOffset : kSmallColourOffset) + size_t(y * size / 2 + x / 2);
    const uint8_t bit = uint8_t(0x80 >> (x % 8));
    const uint8_t nibble = x % 2 ? 0x0F : 0xF0;
    image[pixel] &= uint8_t(~nibble);
    if (colour < 0) {
        image[mask] |= bit;
    } else {
        image[mask] &= uint8_t(~bit);
        image[pixel] |= uint8_t(x % 2 ? colour : colour << 4);
    }
}

uint32_t Pixel(const CStoredImage& image, int size, int x, int y) {
    const auto pair = DecodeStoredImage(image);
    const CIconPicture& picture = size == 32 ? pair->m_large : pair->m_small;
    return picture.m_pixels[size_t(y * size + x)];
}

TEST(IconOrganizeTest, OverlayReplacesTheIconWhereItIsOpaque) {
    // The icon: red with a transparent pixel; the overlay: transparent but
    // for a blue pixel at an even and a green one at an odd position.
    CStoredImage icon = Plain(9);
    CStoredImage overlay = Plain(-1);
    for (const int size : {32, 16}) {
        SetPixel(icon, size, 5, 3, -1);
        SetPixel(overlay, size, 2, 7, 12);
        SetPixel(overlay, size, 3, size - 1, 10);
        SetPixel(overlay, size, 5, 3, 15);
    }
    MergeOverlay(icon, overlay);
    for (const int size : {32, 16}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(Pixel(icon, size, 2, 7), 0xFF0000FFu);
        EXPECT_EQ(Pixel(icon, size, 3, size - 1), 0xFF00FF00u);
        EXPECT_EQ(Pixel(icon, size, 5, 3), 0xFFFFFFFFu);  // the overlay covers a hole of the icon
        EXPECT_EQ(Pixel(icon, size, 2, 6), 0xFFFF0000u);  // the icon shows through
        EXPECT_EQ(Pixel(icon, size, 3, 7), 0xFFFF0000u);
    }
    // A transparent overlay changes nothing.
    CStoredImage unchanged = Plain(4);
    SetPixel(unchanged, 32, 0, 0, -1);
    const CStoredImage before = unchanged;
    MergeOverlay(unchanged, Plain(-1));
    EXPECT_EQ(unchanged, before);
}

TEST(IconOrganizeTest, StoresEachPictureOnceInReverseCaptureOrder) {
    const CStoredImage drive = Plain(3), a = Plain(9), b = Plain(10), shortcutType = Plain(7);
    CStoredImage overlay = Plain(-1);
    SetPixel(overlay, 32, 0, 31, 0);
    CStoredImage merged = shortcutType;
    MergeOverlay(merged, overlay);
    struct Case {
        const char* name;
        CStoredImage drive;
        std::vector<uint16_t> remap;
        std::vector<CStoredImage> stored;
    };
    const Case cases[] = {
        // Captured: drive, a, b, a, two shortcuts of one type.
        {"drive icon of its own", drive, {0xFFFF, 1, 2, 1, 0, 0}, {merged, a, b}},
        {"drive icon shared by a file", b, {2, 1, 2, 1, 0, 0}, {merged, a, b}},
        {"drive icon equal to a shortcut's merged picture", merged, {0, 1, 2, 1, 0, 0}, {merged, a, b}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CIconList list;
        EXPECT_EQ(list.AddCapturedIcon(c.drive, kCapturedDriveIcon), 1);
        EXPECT_EQ(list.AddCapturedIcon(a, 0), 2);
        EXPECT_EQ(list.AddCapturedIcon(b, 0), 3);
        EXPECT_EQ(list.AddCapturedIcon(a, 0), 4);
        EXPECT_EQ(list.AddCapturedIcon(shortcutType, kCapturedShortcut), 5);
        EXPECT_EQ(list.AddCapturedIcon(shortcutType, kCapturedShortcut), 6);
        list.m_indexMap.assign(10, 1);
        std::vector<uint16_t> remap;
        ASSERT_TRUE(list.Organize(overlay, remap));
        EXPECT_EQ(remap, c.remap);
        ASSERT_EQ(list.m_images.size(), c.stored.size());
        for (size_t i = 0; i < c.stored.size(); ++i)
            EXPECT_TRUE(
                std::equal(c.stored[i].begin(), c.stored[i].end(), list.m_images[i].begin(), list.m_images[i].end()))
                << i;
        EXPECT_TRUE(list.m_indexMap.empty());
        EXPECT_TRUE(list.m_capturedImages.empty());
    }
    // Nothing captured but the drive: no stored image.
    CIconList onlyDrive;
    onlyDrive.AddCapturedIcon(drive, kCapturedDriveIcon);
    std::vector<uint16_t> remap;
    ASSERT_TRUE(onlyDrive.Organize(overlay, remap));
    EXPECT_EQ(remap, std::vector<uint16_t>{0xFFFF});
    EXPECT_TRUE(onlyDrive.m_images.empty());
}

TEST(IconOrganizeTest, NumbersEndAt32767) {
    CIconList list;
    const CStoredImage picture = Plain(1);
    for (size_t i = 1; i <= kMaxIconNumbers; ++i) ASSERT_EQ(list.AddCapturedIcon(picture, 0), int(i));
    EXPECT_EQ(list.AddCapturedIcon(picture, 0), 0);
    EXPECT_EQ(list.AddCapturedIcon(picture, kCapturedShortcut), 0);
    std::vector<uint16_t> remap;
    ASSERT_TRUE(list.Organize(Plain(-1), remap));
    EXPECT_EQ(list.m_images.size(), 1u);
    EXPECT_EQ(remap.size(), kMaxIconNumbers);
}

}  // namespace
}  // namespace volcatra
