// Disc images read without mounting: images made here with genisoimage
// (Rock Ridge with Joliet, Joliet alone, plain ISO 9660, a UDF hybrid, raw
// 2352-byte sectors), read through the volume scan and checked against
// facts computed here from the image bytes; and damaged images, which
// must fail cleanly with a reason.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "model/FileNameCodec.h"
#include "platform/ArchiverLibraries.h"
#include "platform/DiscImageFileSystem.h"
#include "platform/PeIconReader.h"
#include "reading/ArchiveContents.h"
#include "reading/VolumeScan.h"

namespace volcatra {
namespace {

const std::string kData = VOLCATRA_READING_DATA_DIR;
constexpr size_t kSector = 2048;

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string Utf8(std::u16string_view text) {
    return Utf16ToFileName(text);
}

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The serial number as the platform mapping defines it, computed here on
// its own: lane sums over the Joliet descriptor (else the primary one).
uint32_t IsoChecksum(const std::vector<unsigned char>& image) {
    const unsigned char* chosen = nullptr;
    for (size_t s = 16; (s + 1) * kSector <= image.size(); ++s) {
        const unsigned char* d = image.data() + s * kSector;
        if (d[0] == 255) break;
        if (d[0] == 1 && !chosen) chosen = d;
        if (d[0] == 2 && d[88] == '%' && d[89] == '/') {
            chosen = d;
            break;
        }
    }
    uint8_t lane[4] = {};
    for (size_t i = 0; i < kSector; ++i) lane[i % 4] = uint8_t(lane[i % 4] + chosen[i]);
    return uint32_t(lane[0]) << 24 | uint32_t(lane[1]) << 16 | uint32_t(lane[2]) << 8 | lane[3];
}

// UDF: the same sums over the File Set Descriptor (the first block tagged
// 256 after the anchor), lanes in reverse order.
uint32_t UdfChecksum(const std::vector<unsigned char>& image) {
    for (size_t s = 257; (s + 1) * kSector <= image.size(); ++s) {
        const unsigned char* d = image.data() + s * kSector;
        if (d[0] != 0 || d[1] != 1) continue;  // tag 256, little-endian
        uint8_t lane[4] = {};
        for (size_t i = 0; i < kSector; ++i) lane[i % 4] = uint8_t(lane[i % 4] + d[i]);
        return uint32_t(lane[3]) << 24 | uint32_t(lane[2]) << 16 | uint32_t(lane[1]) << 8 | lane[0];
    }
    return 0;
}

// The image's sectors as raw 2352-byte mode 1 sectors (sync, header, data,
// error codes left zero), as a .bin of a burning program holds them.
std::vector<unsigned char> RawSectors(const std::vector<unsigned char>& image) {
    std::vector<unsigned char> raw;
    for (size_t s = 0; s * kSector < image.size(); ++s) {
        static const unsigned char sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
        raw.insert(raw.end(), sync, sync + 12);
        const size_t frame = s + 150;
        const auto bcd = [](size_t v) { return (unsigned char)((v / 10) << 4 | (v % 10)); };
        raw.push_back(bcd(frame / 75 / 60));
        raw.push_back(bcd(frame / 75 % 60));
        raw.push_back(bcd(frame % 75));
        raw.push_back(1);
        raw.insert(raw.end(), image.begin() + long(s * kSector), image.begin() + long((s + 1) * kSector));
        raw.insert(raw.end(), 288, 0);
    }
    return raw;
}

// What a read recorded, one line per entry: catalogue path, size,
// attributes, time.
struct ReadResult {
    bool ok = false;
    std::unique_ptr<CRootEntry> root;
    ReadFailure failure;
    std::string reason;
    std::map<std::string, const CFileEntry*> entries;
    std::vector<std::string> topNames;
};

void Collect(const CRootEntry& root, int index, const std::string& prefix, ReadResult& result) {
    if (index < 0 || size_t(index) >= root.m_folders.size()) return;
    for (const auto& entry : root.m_folders[size_t(index)]->m_entries) {
        const std::string path = prefix + Utf8(entry.m_name);
        result.entries[path] = &entry;
        if (entry.m_attributes & 0x10) Collect(root, entry.m_childIndex, path + "/", result);
    }
}

ReadResult ReadImage(const std::string& path, CArchiverTable* archivers = nullptr) {
    ReadResult result;
    std::string reason;
    std::unique_ptr<DiscImageFileSystem> fs = DiscImageFileSystem::Open(path, reason);
    if (!fs) {
        result.reason = reason;
        return result;
    }
    result.root = std::make_unique<CRootEntry>();
    const ReadServices services{*fs, nullptr, archivers};
    result.ok = ReadVolume(*result.root, services, 5, path, path, nullptr, &result.failure);
    result.reason = fs->FailureReason();
    if (result.ok) {
        Collect(*result.root, result.root->m_childIndex, "", result);
        for (const auto& entry : result.root->m_folders[0]->m_entries) result.topNames.push_back(Utf8(entry.m_name));
    }
    return result;
}

class DiscImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (std::system("command -v genisoimage >/dev/null") != 0) return;
        std::string pattern = ::testing::TempDir() + "volcatra-images-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        s_dir = pattern;
        const std::string tree = s_dir + "/tree";
        std::filesystem::create_directories(tree + "/a/b/c/d/e/f/g/h");
        std::filesystem::create_directories(tree + "/Zeta");
        std::filesystem::create_directories(tree + "/alpha");
        std::ofstream(tree + "/a/b/c/d/e/f/g/h/deep.txt") << "deep";
        std::ofstream(tree + "/Readme.TXT") << "hello\n";
        std::ofstream(tree + "/.hidden") << "x";
        std::ofstream(tree + "/alpha/写真.txt") << "jp";
        std::ofstream(tree + "/alpha/big.bin") << std::string(5000, 'b') + "end";
        std::filesystem::copy_file(kData + "/sample.zip", tree + "/alpha/sample.zip");
        ::chmod((tree + "/.hidden").c_str(), 0444);
        // 2020-05-06 07:08:09 UTC
        const std::string touch = "touch -d @1588748889 " + tree + "/Readme.TXT " + tree + "/alpha";
        ASSERT_EQ(std::system(touch.c_str()), 0);
        const auto make = [&](const std::string& options, const std::string& label, const std::string& name) {
            const std::string command = "genisoimage -quiet -input-charset utf-8 " + options + " -V " + label + " -o " +
                                        s_dir + "/" + name + " " + tree + " 2>/dev/null";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
        };
        // Zeta carries the ISO 9660 hidden flag.
        make("-J -R -hidden Zeta", "ROCKRIDGE", "rr.iso");
        make("-J -D", "JOLIET_DISC", "joliet.iso");
        make("-D -hidden Zeta", "PLAIN", "plain.iso");
        make("-udf -J -R", "HYBRID", "hybrid.iso");
        WriteFile(s_dir + "/rr.bin", RawSectors(ReadFile(s_dir + "/rr.iso")));
        WriteFile(s_dir + "/hybrid.bin", RawSectors(ReadFile(s_dir + "/hybrid.iso")));
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        if (!s_dir.empty()) std::filesystem::remove_all(s_dir, ignored);
    }
    void SetUp() override {
        if (s_dir.empty()) GTEST_SKIP() << "genisoimage is not installed";
    }
    static std::string Image(const std::string& name) { return s_dir + "/" + name; }

    static std::string s_dir;
};

std::string DiscImageTest::s_dir;

TEST_F(DiscImageTest, ImagesReadAsTheDiscTheyHold) {
    struct Case {
        const char* image;
        const char* label;
        const char* readme;  // the name a mounted disc shows
        const char* moved;   // a folder only Rock Ridge shows, or nullptr
        bool udf;
    };
    const Case cases[] = {
        {"rr.iso", "ROCKRIDGE", "Readme.TXT", "rr_moved", false},
        {"rr.bin", "ROCKRIDGE", "Readme.TXT", "rr_moved", false},
        {"joliet.iso", "JOLIET_DISC", "Readme.TXT", nullptr, false},
        {"plain.iso", "PLAIN", "readme.txt", nullptr, false},
        {"hybrid.iso", "HYBRID", "Readme.TXT", nullptr, true},
        {"hybrid.bin", "HYBRID", "Readme.TXT", nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        const ReadResult r = ReadImage(Image(c.image));
        ASSERT_TRUE(r.ok) << r.reason;
        // A raw image has the facts of the image it was made from.
        std::string source = c.image;
        if (source.ends_with(".bin")) source.replace(source.size() - 4, 4, ".iso");
        const std::vector<unsigned char> bytes = ReadFile(Image(source));
        EXPECT_EQ(Utf8(r.root->m_volumeName), c.label);
        EXPECT_EQ(r.root->m_serialNumber, c.udf ? UdfChecksum(bytes) : IsoChecksum(bytes));
        EXPECT_EQ(r.root->m_sectorSize, 2048u);
        if (!c.udf) {
            EXPECT_EQ(r.root->m_usedBytes, uint64_t(Le32(bytes.data() + 16 * kSector + 80)) * 2048);
        }
        EXPECT_GT(r.root->m_usedBytes, 0u);

        const std::string readme = c.readme;
        ASSERT_TRUE(r.entries.count(readme)) << readme;
        EXPECT_EQ(r.entries.at(readme)->m_size, 6u);
        EXPECT_EQ(r.entries.at(readme)->m_time, 1588748889);
        EXPECT_EQ(r.entries.at(readme)->m_attributes & 0x10, 0);
        ASSERT_TRUE(r.entries.count("a/b/c/d/e/f/g/h/deep.txt"));
        EXPECT_EQ(r.entries.at("a/b/c/d/e/f/g/h/deep.txt")->m_size, 4u);
        EXPECT_TRUE(r.entries.at("a/b/c/d/e/f/g/h")->m_attributes & 0x10);
        EXPECT_EQ(r.entries.at("alpha/sample.zip")->m_size, std::filesystem::file_size(kData + "/sample.zip"));
        // Names beyond ASCII: Rock Ridge in UTF-8, Joliet in UCS-2, UDF in
        // 16-bit compressed Unicode; plain ISO 9660 has no room for them.
        if (std::string(c.readme) != "readme.txt") {
            EXPECT_EQ(r.entries.count("alpha/写真.txt"), 1u);
        }
        const std::string hidden = std::string(c.readme) == "readme.txt" ? "_hidden" : ".hidden";
        ASSERT_TRUE(r.entries.count(hidden)) << hidden;
        if (hidden == ".hidden") {
            EXPECT_TRUE(r.entries.at(hidden)->m_attributes & 0x02);
        }
        // Rock Ridge keeps the owner's write permission; a disc without it
        // shows every file read-only.
        const bool rockRidge = c.moved != nullptr;
        if (!c.udf) {
            EXPECT_EQ(r.entries.at(hidden)->m_attributes & 0x01, 0x01);
            EXPECT_EQ(r.entries.at(readme)->m_attributes & 0x01, rockRidge ? 0 : 0x01);
        }
        EXPECT_EQ(r.entries.count("rr_moved") != 0, rockRidge);
        const bool hiddenFlag = !c.udf && std::string(c.image) != "joliet.iso";
        const std::string zeta = std::string(c.readme) == "readme.txt" ? "zeta" : "Zeta";
        ASSERT_TRUE(r.entries.count(zeta));
        EXPECT_EQ(r.entries.at(zeta)->m_attributes & 0x02, hiddenFlag ? 0x02 : 0);
        EXPECT_EQ(r.root->m_fileCount, 6u);
        EXPECT_EQ(r.root->m_folderCount, rockRidge ? 11u : 10u);
    }
}

TEST_F(DiscImageTest, NamesComeInTheOrderOfTheDirectoryRecords) {
    // ISO 9660 sorts its records by the primary names; UDF keeps the order
    // the image was made in.
    EXPECT_EQ(ReadImage(Image("rr.iso")).topNames,
              (std::vector<std::string>{"a", "alpha", "Readme.TXT", "rr_moved", "Zeta", ".hidden"}));
    EXPECT_EQ(ReadImage(Image("joliet.iso")).topNames,
              (std::vector<std::string>{".hidden", "Readme.TXT", "Zeta", "a", "alpha"}));
    EXPECT_EQ(ReadImage(Image("plain.iso")).topNames,
              (std::vector<std::string>{"a", "alpha", "readme.txt", "zeta", "_hidden"}));
}

TEST_F(DiscImageTest, NamesAsAMountedDiscShowsThem) {
    // A Rock Ridge name this long and its mode go on in a continuation
    // area; Joliet drops the version and trailing periods; links have the
    // length of their target.
    const std::string tree = s_dir + "/names";
    std::filesystem::create_directories(tree);
    const std::string longName = std::string(200, 'L') + ".dat";
    std::ofstream(tree + "/" + longName) << "x";
    ::chmod((tree + "/" + longName).c_str(), 0644);
    std::ofstream(tree + "/trailing.") << "x";
    std::ofstream(tree + "/日本語ファイル名.txt") << "x";
    std::filesystem::create_symlink("../some/where", tree + "/link");
    for (const char* options : {"-R", "-J"}) {
        const std::string image = s_dir + "/names" + options + ".iso";
        const std::string command = std::string("genisoimage -quiet -input-charset utf-8 ") + options + " -o " + image +
                                    " " + tree + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        SCOPED_TRACE(options);
        const ReadResult r = ReadImage(image);
        ASSERT_TRUE(r.ok) << r.reason;
        EXPECT_EQ(r.entries.count("日本語ファイル名.txt"), 1u);
        if (std::string(options) == "-R") {
            ASSERT_EQ(r.entries.count(longName), 1u);
            EXPECT_EQ(r.entries.at(longName)->m_attributes & 0x01, 0);
            EXPECT_EQ(r.entries.count("trailing."), 1u);
            ASSERT_EQ(r.entries.count("link"), 1u);
            EXPECT_EQ(r.entries.at("link")->m_size, 13u);
        } else {
            EXPECT_EQ(r.entries.count("trailing"), 1u);
        }
    }
}

TEST_F(DiscImageTest, ArchivesInsideAnImageAreListedInPlace) {
    for (const char* image : {"rr.iso", "hybrid.iso", "rr.bin", "hybrid.bin"}) {
        SCOPED_TRACE(image);
        CArchiverTable archivers(BuiltInArchiverLoader());
        archivers.LoadArchivers();
        const ReadResult r = ReadImage(Image(image), &archivers);
        ASSERT_TRUE(r.ok) << r.reason;
        const CFileEntry* zip = r.entries.at("alpha/sample.zip");
        EXPECT_TRUE(zip->m_attributes & FA_ARCHIVE_LISTED);
        ASSERT_GE(zip->m_childIndex, 0);
        EXPECT_FALSE(r.root->m_folders[size_t(zip->m_childIndex)]->m_entries.empty());
    }
}

TEST_F(DiscImageTest, TheIconPassReadsFilesInsideAnOpenImage) {
    for (const char* image : {"rr.iso", "hybrid.iso"}) {
        SCOPED_TRACE(image);
        std::string reason;
        const std::unique_ptr<DiscImageFileSystem> fs = DiscImageFileSystem::Open(Image(image), reason);
        ASSERT_TRUE(fs) << reason;
        int error = 0;
        ASSERT_TRUE(fs->OpenFolder(Image(image), error));                // lists the root, as a read does
        ASSERT_TRUE(fs->OpenFolder(Image(image), error) && error == 0);  // and again for a second walk
        const PeIconResult file = ReadSmallRegularFile(Image(image) + "/Readme.TXT", 100);
        EXPECT_EQ(file.status, PeIconStatus::Found);
        EXPECT_EQ(std::string(file.icoBytes.begin(), file.icoBytes.end()), "hello\n");
    }
    // Once the image is closed its files are gone.
    EXPECT_NE(ReadSmallRegularFile(Image("rr.iso") + "/Readme.TXT", 100).status, PeIconStatus::Found);
}

// The record of name in the directory at sector: its offset in the image.
size_t FindRecord(const std::vector<unsigned char>& image, size_t sector, const std::string& name) {
    for (size_t at = sector * kSector; at < (sector + 1) * kSector && image[at] != 0; at += image[at])
        if (std::string(reinterpret_cast<const char*>(&image[at + 33]), image[at + 32]) == name) return at;
    return 0;
}

TEST_F(DiscImageTest, AFileOfSeveralExtentsIsOneFileReadWhole) {
    // alpha/big.bin (5003 bytes) stored again as two records: its first
    // sector with the multi-extent flag, then the rest.
    std::vector<unsigned char> image = ReadFile(Image("plain.iso"));
    const size_t root = Le32(image.data() + 16 * kSector + 156 + 2);
    const size_t alphaRecord = FindRecord(image, root, "ALPHA");
    ASSERT_NE(alphaRecord, 0u);
    const size_t alpha = Le32(image.data() + alphaRecord + 2);
    const size_t at = FindRecord(image, alpha, "BIG.BIN;1");
    ASSERT_NE(at, 0u);
    const size_t length = image[at];
    std::vector<unsigned char> first(image.begin() + long(at), image.begin() + long(at + length));
    std::vector<unsigned char> second = first;
    const uint32_t extent = Le32(first.data() + 2);
    const auto putBoth = [](unsigned char* p, uint32_t v) {
        for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
        for (int i = 0; i < 4; ++i) p[4 + i] = uint8_t(v >> (8 * (3 - i)));
    };
    putBoth(first.data() + 10, 2048);
    first[25] |= 0x80;
    putBoth(second.data() + 2, extent + 1);
    putBoth(second.data() + 10, 5003 - 2048);
    // The sector has room: move what follows the record along by one record.
    const size_t sectorEnd = (at / kSector + 1) * kSector;
    ASSERT_TRUE(std::all_of(image.begin() + long(sectorEnd - length), image.begin() + long(sectorEnd),
                            [](unsigned char b) { return b == 0; }));
    std::memmove(&image[at + 2 * length], &image[at + length], sectorEnd - at - 2 * length);
    std::memcpy(&image[at], first.data(), length);
    std::memcpy(&image[at + length], second.data(), length);
    WriteFile(Image("multi.iso"), image);

    const ReadResult r = ReadImage(Image("multi.iso"));
    ASSERT_TRUE(r.ok) << r.reason;
    ASSERT_TRUE(r.entries.count("alpha/big.bin"));
    EXPECT_EQ(r.entries.at("alpha/big.bin")->m_size, 5003u);
    EXPECT_EQ(r.root->m_fileCount, 6u);
    std::string reason;
    const std::unique_ptr<DiscImageFileSystem> fs = DiscImageFileSystem::Open(Image("multi.iso"), reason);
    int error = 0;
    std::unique_ptr<IDirectoryListing> top = fs->OpenFolder(Image("multi.iso"), error);
    ASSERT_TRUE(top && top->OpenSubfolder("alpha", error));
    const PeIconResult file = ReadSmallRegularFile(Image("multi.iso") + "/alpha/big.bin", 10000);
    EXPECT_EQ(std::string(file.icoBytes.begin(), file.icoBytes.end()), std::string(5000, 'b') + "end");
}

TEST_F(DiscImageTest, DamagedImagesFailWithAReason) {
    const std::vector<unsigned char> good = ReadFile(Image("rr.iso"));
    // The root directory record of the primary descriptor, and the first
    // subfolder record in the root directory (a/).
    const size_t pvd = 16 * kSector;
    const size_t rootExtent = Le32(good.data() + pvd + 156 + 2);
    const size_t firstChild =
        rootExtent * kSector + good[rootExtent * kSector] + good[rootExtent * kSector + good[rootExtent * kSector]];
    const auto patched = [&](const std::string& name, auto change) {
        std::vector<unsigned char> bytes = good;
        change(bytes);
        WriteFile(Image(name), bytes);
        return Image(name);
    };
    struct Case {
        const char* name;
        std::string path;
    };
    const Case cases[] = {
        // Cut after the directories (the files lie beyond the end), and in
        // the middle of them.
        {"truncated before the files",
         patched("truncated.iso", [&](auto& b) { b.resize(rootExtent * kSector + 20 * kSector); })},
        {"truncated in the directories",
         patched("truncated2.iso", [&](auto& b) { b.resize(rootExtent * kSector + 3 * kSector); })},
        {"cycle", patched("cycle.iso",
                          [&](auto& b) {
                              std::memcpy(b.data() + firstChild + 2, b.data() + pvd + 156 + 2,
                                          4);  // a/ is the root again
                          })},
        {"extent beyond the end", patched("beyond.iso",
                                          [&](auto& b) {
                                              const uint32_t far = 0x7FFFFFF0;
                                              std::memcpy(b.data() + firstChild + 2, &far, 4);
                                          })},
        {"absurd directory size", patched("absurd.iso",
                                          [&](auto& b) {
                                              const uint32_t huge = 0xFFFFF000;
                                              std::memcpy(b.data() + firstChild + 10, &huge, 4);
                                          })},
        {"name longer than its record", patched("record.iso", [&](auto& b) { b[firstChild + 32] = 200; })},
        {"no descriptors", patched("blank.iso", [&](auto& b) { std::memset(b.data() + pvd, 0, 4 * kSector); })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult r = ReadImage(c.path);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.reason.empty());
    }
}

TEST_F(DiscImageTest, AUdfFolderThatLeadsBackToTheRootFailsTheRead) {
    std::vector<unsigned char> bytes = ReadFile(Image("hybrid.iso"));
    // The File Set Descriptor names the root's File Entry; the File
    // Identifier of folder "a" (8-bit name, two bytes with the compression
    // id) is pointed at it.
    uint32_t rootBlock = 0;
    for (size_t s = 257; (s + 1) * kSector <= bytes.size() && !rootBlock; ++s)
        if (bytes[s * kSector] == 0 && bytes[s * kSector + 1] == 1) rootBlock = Le32(bytes.data() + s * kSector + 404);
    ASSERT_NE(rootBlock, 0u);
    bool patched = false;
    for (size_t at = 0; at + 40 < bytes.size() && !patched; at += 4) {
        unsigned char* fid = bytes.data() + at;
        const size_t useLength = size_t(fid[36] | fid[37] << 8);
        if (fid[0] != 1 || fid[1] != 1 || fid[19] != 2 || at + 40 + useLength >= bytes.size()) continue;  // tag 257
        if (fid[38 + useLength] != 8 || fid[39 + useLength] != 'a') continue;
        std::memcpy(fid + 24, &rootBlock, 4);
        patched = true;
    }
    ASSERT_TRUE(patched);
    WriteFile(Image("udf-cycle.iso"), bytes);
    const ReadResult r = ReadImage(Image("udf-cycle.iso"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, "a directory is listed twice (a cycle)");
}

TEST(DiscImageProbeTest, UdfOfAnotherBlockSizeIsRefusedSayingSo) {
    // An anchor descriptor at sector 256 of 512-byte blocks, nothing else.
    std::vector<unsigned char> bytes(300 * 512);
    unsigned char* tag = bytes.data() + 256 * 512;
    tag[0] = 2;  // tag identifier 2, little-endian
    for (int i = 0; i < 16; ++i)
        if (i != 4) tag[4] = uint8_t(tag[4] + tag[i]);
    const auto image = std::make_shared<MemoryByteSource>(bytes.data(), bytes.size());
    std::string reason;
    EXPECT_EQ(DiscImageFileSystem::Open(image, "/x.img", reason), nullptr);
    EXPECT_EQ(reason, "UDF with 512-byte blocks cannot be read (only 2048-byte blocks)");
}

}  // namespace
}  // namespace volcatra
