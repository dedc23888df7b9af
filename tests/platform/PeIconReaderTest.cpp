#include "platform/PeIconReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "PeFixture.h"

using namespace volcatra;
using namespace volcatra::testing;

namespace {

struct Reads {
    uint64_t bytes = 0;
    uint64_t end = 0;  // the end of the furthest read
    bool fail = false;
};

PeIconResult ReadFromMemory(const std::vector<uint8_t>& file, int group = 0, Reads* reads = nullptr) {
    const PeReadAt readAt = [&](uint64_t offset, void* buffer, size_t size) -> int64_t {
        if (reads && reads->fail) return -1;
        if (offset >= file.size()) return 0;
        const size_t n = std::min<size_t>(size, file.size() - size_t(offset));
        std::memcpy(buffer, file.data() + offset, n);
        if (reads) {
            reads->bytes += n;
            reads->end = std::max<uint64_t>(reads->end, offset + n);
        }
        return int64_t(n);
    };
    return ReadPeGroupIcon(readAt, file.size(), group);
}

// The images of an .ico file as (width, bit count, data).
struct IcoImage {
    int width;
    int bitCount;
    std::vector<uint8_t> data;
};

std::vector<IcoImage> ParseIco(const std::vector<uint8_t>& ico) {
    std::vector<IcoImage> images;
    auto u16 = [&](size_t at) { return int(ico.at(at) | (ico.at(at + 1) << 8)); };
    auto u32 = [&](size_t at) { return size_t(u16(at)) | (size_t(u16(at + 2)) << 16); };
    EXPECT_EQ(u16(0), 0);
    EXPECT_EQ(u16(2), 1);
    for (int i = 0; i < u16(4); ++i) {
        const size_t e = 6 + 16 * size_t(i);
        const size_t size = u32(e + 8);
        const size_t offset = u32(e + 12);
        EXPECT_LE(offset + size, ico.size());
        images.push_back({ico[e] ? ico[e] : 256, u16(e + 6),
                          std::vector<uint8_t>(ico.begin() + long(offset), ico.begin() + long(offset + size))});
    }
    return images;
}

}  // namespace

TEST(PeIconReader, ChoosesTheBestImagesForBothSizesAndReadsOnlyThose) {
    const auto big = MakeIconDib(256, 0xFF112233);  // 256 KB that must not be read
    const auto large4 = MakeIconDib(32, 0xFF000080);
    const auto large32 = MakeIconDib(32, 0xFFFF0000);
    const auto medium = MakeIconDib(24, 0xFF00FF00);
    const auto file = MakePeFile({
        {3, {{1, big}, {2, large4}, {3, large32}, {4, medium}}},
        {14, {{7, MakeGroupIcon({{256, 32, 1, 0}, {32, 4, 2, 0}, {32, 32, 3, 0}, {24, 32, 4, 0}})}}},
    });
    Reads reads;
    const PeIconResult result = ReadFromMemory(file, 0, &reads);
    ASSERT_EQ(result.status, PeIconStatus::Found);
    const auto images = ParseIco(result.icoBytes);
    ASSERT_EQ(images.size(), 2u);
    // 32 x 32 at the deepest colour; for 16 x 16 the nearest larger size.
    EXPECT_EQ(images[0].width, 32);
    EXPECT_EQ(images[0].bitCount, 32);
    EXPECT_EQ(images[0].data, large32);
    EXPECT_EQ(images[1].width, 24);
    EXPECT_EQ(images[1].data, medium);
    EXPECT_LT(reads.bytes, big.size() / 4);
}

TEST(PeIconReader, PicksTheGroupByPositionOrById) {
    const auto red = MakeIconDib(16, 0xFFFF0000);
    const auto blue = MakeIconDib(16, 0xFF0000FF);
    const auto file = MakePeFile({
        {3, {{1, red}, {2, blue}}},
        {14, {{5, MakeGroupIcon({{16, 32, 1, 0}})}, {9, MakeGroupIcon({{16, 32, 2, 0}})}}},
    });
    struct Case {
        int group;
        PeIconStatus status;
        const std::vector<uint8_t>* image;
    };
    for (const Case& c : {Case{0, PeIconStatus::Found, &red}, Case{1, PeIconStatus::Found, &blue},
                          Case{-9, PeIconStatus::Found, &blue}, Case{-5, PeIconStatus::Found, &red},
                          Case{2, PeIconStatus::NoIcon, nullptr}, Case{-1, PeIconStatus::NoIcon, nullptr}}) {
        SCOPED_TRACE(c.group);
        const PeIconResult result = ReadFromMemory(file, c.group);
        ASSERT_EQ(result.status, c.status);
        if (!c.image) continue;
        const auto images = ParseIco(result.icoBytes);
        ASSERT_EQ(images.size(), 1u);  // one image serves both sizes
        EXPECT_EQ(images[0].data, *c.image);
    }
}

TEST(PeIconReader, FilesWithoutIconsAndDamagedFilesGiveNoIcon) {
    const auto good = MakeExeWithIcon(0xFF00FF00);
    Reads reads;
    ASSERT_EQ(ReadFromMemory(good, 0, &reads).status, PeIconStatus::Found);
    // Every truncation of the file that cuts into what the icon needs.
    for (size_t length = 0; length < reads.end; length += 7) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + long(length));
        EXPECT_EQ(ReadFromMemory(cut).status, PeIconStatus::NoIcon) << length;
    }
    // No resources of the icon types.
    EXPECT_EQ(ReadFromMemory(MakePeFile({{16, {{1, {1, 2, 3, 4}}}}})).status, PeIconStatus::NoIcon);
    // Not an executable at all.
    EXPECT_EQ(ReadFromMemory(std::vector<uint8_t>(4096, 'M')).status, PeIconStatus::NoIcon);
    // A type directory that points back at the root, and an entry count far
    // beyond the file: both end without a loop or a large allocation.
    auto looped = good;
    const size_t rsrc = 0x200;
    PutLE(looped, rsrc + 16 + 4, 0x80000000u, 4);
    EXPECT_EQ(ReadFromMemory(looped).status, PeIconStatus::NoIcon);
    auto huge = good;
    PutLE(huge, rsrc + 12, 0xFFFF, 2);
    PutLE(huge, rsrc + 14, 0xFFFF, 2);
    EXPECT_EQ(ReadFromMemory(huge).status, PeIconStatus::NoIcon);
    // A group that claims more entries than it holds.
    auto group = good;
    const std::vector<uint8_t> header{0, 0, 1, 0, 2, 0, 32};
    const auto at = std::search(group.begin(), group.end(), header.begin(), header.end());
    ASSERT_NE(at, group.end());
    *(at + 4) = 200;
    EXPECT_EQ(ReadFromMemory(group).status, PeIconStatus::NoIcon);
}

TEST(PeIconReader, ReadErrorsAreToldApart) {
    Reads reads;
    reads.fail = true;
    EXPECT_EQ(ReadFromMemory(MakeExeWithIcon(0xFF000000), 0, &reads).status, PeIconStatus::ReadError);
    EXPECT_EQ(ReadPeGroupIconFile("/nonexistent/setup.exe").status, PeIconStatus::ReadError);

    const auto dir = std::filesystem::temp_directory_path() / ("pe-icon-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / "app.exe";
    const auto file = MakeExeWithIcon(0xFF0000FF);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), long(file.size()));
    EXPECT_EQ(ReadPeGroupIconFile(path.string()).status, PeIconStatus::Found);
    std::filesystem::remove_all(dir);
}
