// The built-in archiver libraries over real archives: the committed
// fixtures of every format (see data/make-fixtures.sh), archives built here
// byte by byte (legacy names, DOS hosts, damage), and hostile input that
// must neither crash nor hang the listing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "reading/ArchiveContents.h"

namespace volcatra {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kData = VOLCATRA_READING_DATA_DIR;

struct ExpectedMember {
    std::u16string name;
    uint16_t attributes;
    uint64_t size;
    int64_t time;
};

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void Put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

void PutText(Bytes& b, const std::string& text) {
    b.insert(b.end(), text.begin(), text.end());
}

constexpr uint16_t kDate20100701 = 0x3CE1;
constexpr uint16_t kTime1200 = 0x6000;
constexpr int64_t kNoon20100701 = 1277985600;               // local = UTC in the tests
const std::string kCp932Test = "\x83\x65\x83\x58\x83\x67";  // テスト

// An ARJ block: signature, size, basic header, CRC-32, no extended header.
Bytes ArjBlock(uint8_t hostOs, uint8_t flags, uint8_t fileType, uint32_t timestamp, uint32_t compressed,
               uint32_t original, uint16_t accessMode, const std::string& name) {
    Bytes header = {30, 11, 1, hostOs, flags, 0, fileType, 0};
    Put32(header, timestamp);
    Put32(header, compressed);
    Put32(header, original);
    Put32(header, 0);  // file CRC
    Put16(header, 0);  // position of the base name
    Put16(header, accessMode);
    Put16(header, 0);
    PutText(header, name);
    header.push_back(0);
    header.push_back(0);  // empty comment
    Bytes block;
    Put16(block, 0xEA60);
    Put16(block, uint16_t(header.size()));
    block.insert(block.end(), header.begin(), header.end());
    Put32(block, uint32_t(crc32(0L, header.data(), uInt(header.size()))));
    Put16(block, 0);  // no extended header
    return block;
}

// An ARJ made on DOS after a self-extractor's program: a folder and a file
// whose name is in CP932; offsets[] receive where each file block starts.
Bytes DosArj(size_t offsets[2]) {
    Bytes arj(200, 0x90);  // the self-extractor
    arj[0] = 'M';
    arj[1] = 'Z';
    const uint32_t when = uint32_t(kDate20100701) << 16 | kTime1200;
    const Bytes main = ArjBlock(0, 0, 2, when, 0, 0, 0, "TEST.ARJ");
    arj.insert(arj.end(), main.begin(), main.end());
    offsets[0] = arj.size();
    const Bytes folder = ArjBlock(0, 0, 3, when, 0, 0, 0x10, "DOCS");
    arj.insert(arj.end(), folder.begin(), folder.end());
    offsets[1] = arj.size();
    const Bytes file = ArjBlock(0, 0x10, 0, when, 5, 1234, 0x21, "DOCS/" + kCp932Test + ".TXT");
    arj.insert(arj.end(), file.begin(), file.end());
    PutText(arj, "12345");  // the compressed data
    Put16(arj, 0xEA60);
    Put16(arj, 0);  // end of archive
    return arj;
}

uint16_t Crc16(const Bytes& data) {
    uint16_t crc = 0;
    for (uint8_t byte : data) {
        crc ^= byte;
        for (int i = 0; i < 8; ++i) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

// An LZH with one level-0 header, stored (-lh0-), name in CP932.
Bytes Level0Lzh(const std::string& name, const std::string& content) {
    Bytes h;
    PutText(h, "-lh0-");
    Put32(h, uint32_t(content.size()));
    Put32(h, uint32_t(content.size()));
    Put16(h, kTime1200);
    Put16(h, kDate20100701);
    h.push_back(0x20);  // attribute
    h.push_back(0);     // level
    h.push_back(uint8_t(name.size()));
    PutText(h, name);
    Put16(h, Crc16(Bytes(content.begin(), content.end())));
    uint8_t sum = 0;
    for (uint8_t byte : h) sum = uint8_t(sum + byte);
    Bytes lzh(2 + h.size());
    lzh[0] = uint8_t(h.size());
    lzh[1] = sum;
    std::copy(h.begin(), h.end(), lzh.begin() + 2);
    PutText(lzh, content);
    lzh.push_back(0);  // end of archive
    return lzh;
}

// A gzip member of empty data: the header (with FNAME when a name is
// given), the deflate stream of nothing, CRC-32 and size 0.
Bytes EmptyGzip(uint32_t time, const std::string& name = {}) {
    Bytes gz = {0x1F, 0x8B, 8, uint8_t(name.empty() ? 0 : 0x08)};
    Put32(gz, time);
    gz.push_back(0);
    gz.push_back(3);  // Unix
    if (!name.empty()) {
        PutText(gz, name);
        gz.push_back(0);
    }
    gz.push_back(0x03);  // a final fixed-Huffman block with nothing in it
    gz.push_back(0x00);
    Put32(gz, 0);  // CRC-32 of nothing
    Put32(gz, 0);  // ISIZE
    return gz;
}

class BuiltInArchiversTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "volcatra-archives-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        ASSERT_EQ(m_table.LoadArchivers(), u".LZH, .ARJ, .ZIP, .CAB, .TAR, .TGZ, .GZ");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    // Lists a file as the scan would: by the handler its name selects.
    int32_t List(const std::string& path, CRootEntry& root) {
        const std::string name = path.substr(path.rfind('/') + 1);
        const int row = m_table.FindArchiveHandler(std::u16string(name.begin(), name.end()));
        if (row < 0) return -2;
        return m_table.ReadMembers(nullptr, root, row, path, u"\\x");
    }

    void ExpectMembers(const std::string& path, const std::vector<ExpectedMember>& expected) {
        CRootEntry root;
        const int32_t position = List(path, root);
        ASSERT_EQ(position, 0) << path;
        const auto& members = root.m_folders[0]->m_entries;
        ASSERT_EQ(members.size(), expected.size()) << path;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(members[i].m_name, expected[i].name) << path << " #" << i;
            EXPECT_EQ(members[i].m_attributes, expected[i].attributes) << path << " #" << i;
            EXPECT_EQ(members[i].m_size, expected[i].size) << path << " #" << i;
            EXPECT_EQ(members[i].m_time, expected[i].time) << path << " #" << i;
        }
    }

    std::string m_dir;
    CArchiverTable m_table{BuiltInArchiverLoader()};
};

constexpr int64_t kJuly = 1277942400;     // 2010-07-01 00:00:00 UTC
constexpr int64_t kJanuary = 1262304000;  // 2010-01-01 00:00:00 UTC

TEST_F(BuiltInArchiversTest, EveryFormatOfTheFixtures) {
    const std::vector<ExpectedMember> tree = {
        {u"docs/", 0x4000, 0, kJanuary}, {u"docs/readme.txt", 0x20, 6, kJanuary}, {u"a.txt", 0x20, 4, kJuly}};
    const std::vector<ExpectedMember> files = {{u"a.txt", 0x20, 4, kJuly}, {u"docs/readme.txt", 0x20, 6, kJanuary}};
    std::vector<ExpectedMember> zip = tree;
    zip.push_back({u"テスト.txt", 0x20, 2, kJuly});      // CP932 without the UTF-8 flag
    zip.push_back({u"ユニコード.txt", 0x20, 2, kJuly});  // UTF-8
    ExpectMembers(kData + "/sample.zip", zip);
    ExpectMembers(kData + "/sample.tar", tree);
    ExpectMembers(kData + "/sample.tgz", tree);
    ExpectMembers(kData + "/sample-data.txt.gz", {{u"data.txt", 0x20, 4, kJuly}});
    ExpectMembers(kData + "/sample-noname.gz", {{u"sample-noname", 0x20, 4, 0}});
    ExpectMembers(kData + "/sample.lzh", files);
    ExpectMembers(kData + "/sample.cab", files);
    ExpectMembers(kData + "/sample.arj", files);
}

TEST_F(BuiltInArchiversTest, PlainGzipSizeComesFromTheTrailerWithoutDecompressing) {
    const std::string path = Path("letters.bin.gz");
    gzFile gz = gzopen(path.c_str(), "wb9");
    ASSERT_NE(gz, nullptr);
    const std::vector<char> zeros(1 << 20, 'v');  // all zeros would read as an empty TAR
    for (int i = 0; i < 5; ++i) ASSERT_EQ(gzwrite(gz, zeros.data(), unsigned(zeros.size())), int(zeros.size()));
    gzclose(gz);
    CRootEntry root;
    ASSERT_EQ(List(path, root), 0);
    ASSERT_EQ(root.m_folders[0]->m_entries.size(), 1u);
    EXPECT_EQ(root.m_folders[0]->m_entries[0].m_name, u"letters.bin");
    EXPECT_EQ(root.m_folders[0]->m_entries[0].m_size, 5u << 20);

    // A file that is neither compressed nor a TAR is no archive of TAR32.
    WriteBytes(Path("plain.gz"), Bytes(100, 'x'));
    EXPECT_EQ(List(Path("plain.gz"), root), -1);
}

TEST_F(BuiltInArchiversTest, LegacyLzhNameAndDosTime) {
    WriteBytes(Path("legacy.lzh"), Level0Lzh(kCp932Test + ".txt", "hello"));
    ExpectMembers(Path("legacy.lzh"), {{u"テスト.txt", 0x20, 5, kNoon20100701}});
}

TEST_F(BuiltInArchiversTest, ArjFromDos) {
    size_t offsets[2];
    WriteBytes(Path("dos.arj"), DosArj(offsets));
    ExpectMembers(Path("dos.arj"),
                  {{u"DOCS", 0x4000, 0, kNoon20100701}, {u"DOCS/テスト.TXT", 0x21, 1234, kNoon20100701}});
}

TEST_F(BuiltInArchiversTest, DamagedArjKeepsTheMembersBeforeTheDamage) {
    size_t offsets[2];
    const Bytes good = DosArj(offsets);
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        int members;  // -1: rejected
    };
    const Case cases[] = {
        {"intact", [](Bytes&) {}, 2},
        {"bad CRC in the second block", [&](Bytes& b) { b[offsets[1] + 20] ^= 0x55; }, 1},
        {"header size over 2600", [&](Bytes& b) { b[offsets[1] + 2] = 0x29, b[offsets[1] + 3] = 0x0A; }, 1},
        {"header size under 30", [&](Bytes& b) { b[offsets[1] + 2] = 12, b[offsets[1] + 3] = 0; }, 1},
        {"signature missing", [&](Bytes& b) { b[offsets[1]] = 0; }, 1},
        {"huge compressed size",
         [&](Bytes& b) {
             // the folder's block claims 4 GiB of data: nothing follows it
             Bytes folder = ArjBlock(0, 0, 3, 0, 0xFFFFFFFFu, 0, 0x10, "DOCS");
             std::copy(folder.begin(), folder.end(), b.begin() + long(offsets[0]));
         },
         1},
        {"no end marker", [](Bytes& b) { b.resize(b.size() - 4); }, 2},
        {"cut in the data", [](Bytes& b) { b.resize(b.size() - 6); }, 2},
        {"cut in the second header", [&](Bytes& b) { b.resize(offsets[1] + 10); }, 1},
        {"cut in the main header", [&](Bytes& b) { b.resize(offsets[0] - 10); }, -1},
        {"no ARJ at all", [](Bytes& b) { std::fill(b.begin(), b.end(), 0x60); }, -1},
    };
    for (const Case& c : cases) {
        Bytes bytes = good;
        c.damage(bytes);
        WriteBytes(Path("d.arj"), bytes);
        CRootEntry root;
        const int32_t position = List(Path("d.arj"), root);
        if (c.members < 0) {
            EXPECT_EQ(position, -1) << c.what;
        } else {
            ASSERT_EQ(position, 0) << c.what;
            EXPECT_EQ(root.m_folders[0]->m_entries.size(), size_t(c.members)) << c.what;
        }
    }
}

TEST_F(BuiltInArchiversTest, NonRegularFilesAreNeverOpened) {
    ASSERT_EQ(::mkfifo(Path("pipe.zip").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir(Path("folder.zip").c_str(), 0755), 0);
    ASSERT_EQ(::symlink((kData + "/sample.zip").c_str(), Path("link.zip").c_str()), 0);
    CRootEntry root;
    // Opening the FIFO for reading would block until a writer came.
    EXPECT_EQ(List(Path("pipe.zip"), root), -1);
    EXPECT_EQ(List(Path("folder.zip"), root), -1);
    EXPECT_EQ(List(Path("link.zip"), root), -1);
    EXPECT_EQ(List(Path("missing.zip"), root), -1);
    EXPECT_TRUE(root.m_folders.empty());
}

// Truncations and random damage of every format: the listing ends with a
// list or a failure, never with a crash or an endless loop.
TEST_F(BuiltInArchiversTest, HostileArchives) {
    size_t offsets[2];
    std::vector<std::pair<std::string, Bytes>> samples = {
        {"s.zip", ReadBytes(kData + "/sample.zip")}, {"s.tar", ReadBytes(kData + "/sample.tar")},
        {"s.tgz", ReadBytes(kData + "/sample.tgz")}, {"s.gz", ReadBytes(kData + "/sample-data.txt.gz")},
        {"s.lzh", ReadBytes(kData + "/sample.lzh")}, {"s.cab", ReadBytes(kData + "/sample.cab")},
        {"s.arj", ReadBytes(kData + "/sample.arj")}, {"d.arj", DosArj(offsets)},
        {"l.lzh", Level0Lzh(kCp932Test, "abc")},     {"e.gz", EmptyGzip(0, "empty.txt")},
    };
    std::mt19937 random(12345);
    for (const auto& [name, original] : samples) {
        ASSERT_FALSE(original.empty()) << name;
        std::vector<Bytes> variants;
        const size_t step = std::max<size_t>(1, original.size() / 64);
        for (size_t length = 0; length < original.size(); length += step)
            variants.emplace_back(original.begin(), original.begin() + long(length));
        for (int i = 0; i < 64; ++i) {
            Bytes damaged = original;
            for (int flips = 0; flips < 1 + i % 4; ++flips) damaged[random() % damaged.size()] = uint8_t(random());
            variants.push_back(std::move(damaged));
        }
        // A new file per variant: rewriting one file through truncation
        // makes ext4 flush it each time.
        for (size_t i = 0; i < variants.size(); ++i) {
            const std::string path = Path(std::to_string(i) + name);
            WriteBytes(path, variants[i]);
            CRootEntry root;
            const int32_t position = List(path, root);
            EXPECT_TRUE(position == -1 || position == 0) << name;
            if (position == 0) {
                EXPECT_LE(root.m_folders[0]->m_entries.size(), 64u) << name;
            }
        }
    }
}

// Archives of nothing: a whole gzip of empty data holds one member of
// size 0, a 0-byte TAR is an empty member list; a 0-byte file of another
// type, and a damaged gzip, are no archive.
TEST_F(BuiltInArchiversTest, EmptyArchives) {
    const Bytes named = EmptyGzip(uint32_t(kJuly), "inner.txt");
    Bytes twoMembers = EmptyGzip(0);
    const Bytes second = EmptyGzip(0);
    twoMembers.insert(twoMembers.end(), second.begin(), second.end());
    Bytes badCrc = EmptyGzip(0), badSize = EmptyGzip(0), padded = EmptyGzip(0), trailing = EmptyGzip(0);
    badCrc[badCrc.size() - 8] = 1;
    badSize[badSize.size() - 4] = 1;
    padded.resize(padded.size() + 512, 0);  // gzip ignores zero bytes at the end
    trailing.push_back('x');
    struct Case {
        std::string name;
        Bytes bytes;
        std::vector<ExpectedMember> members;  // with rejected: no list at all
        bool rejected = false;
    };
    const Case cases[] = {
        {"named.gz", named, {{u"inner.txt", 0x20, 0, kJuly}}},
        {"nothing.gz", EmptyGzip(0), {{u"nothing", 0x20, 0, 0}}},
        {"twice.gz", twoMembers, {{u"twice", 0x20, 0, 0}}},
        {"nothing.tgz", EmptyGzip(0), {{u"nothing.tar", 0x20, 0, 0}}},
        {"padded.gz", padded, {{u"padded", 0x20, 0, 0}}},
        {"empty.tar", {}, {}},
        {"EMPTY.TAR", {}, {}},
        {"zero.gz", {}, {}, true},
        {"zero.tgz", {}, {}, true},
        {"zero.zip", {}, {}, true},
        {"zero.lzh", {}, {}, true},
        {"zero.cab", {}, {}, true},
        {"zero.arj", {}, {}, true},
        {"header-only.gz", Bytes(named.begin(), named.begin() + 10), {}, true},
        {"cut.gz", Bytes(named.begin(), named.end() - 1), {}, true},
        {"bad-crc.gz", badCrc, {}, true},
        {"bad-size.gz", badSize, {}, true},
        {"trailing.gz", trailing, {}, true},
    };
    for (const Case& c : cases) {
        WriteBytes(Path(c.name), c.bytes);
        if (c.rejected) {
            CRootEntry root;
            EXPECT_EQ(List(Path(c.name), root), -1) << c.name;
            EXPECT_TRUE(root.m_folders.empty()) << c.name;
        } else {
            ExpectMembers(Path(c.name), c.members);
        }
    }
}

}  // namespace
}  // namespace volcatra
