// Whole catalogue files: the worked example byte for byte, round trips of
// every special value, header acceptance and the failure kinds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>
#include <algorithm>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>

#include "SampleCatalogue.h"
#include "TestBytes.h"
#include "model/CatalogueError.h"
#include "model/CatalogueFile.h"
#include "model/CatalogueStream.h"
#include "model/ExtensionBlocks.h"
#include "model/TemporaryFiles.h"

namespace volcatra {
namespace {

using test::Append;
using test::CPieceSource;
using test::Hex;

std::vector<uint8_t> WorkedExampleBytes() {
    std::vector<uint8_t> b =
        Hex("46 69 6C 65 20 53 74 72 75 63 74 20 52 65 63 6F 72 64 20 56 65 72 73 69 6F 6E 20 31 2E 30 30 00");
    b.resize(64, 0);
    Append(b, Hex("01 00"
                  "FF FF 01 00 0A 00 43 52 6F 6F 74 45 6E 74 72 79"
                  "FF FE FF 00"
                  "00 00 00 00 00 00 00 00"
                  "00 20 00 00"
                  "00 6D 7C 4D"
                  "FF FE FF 04 44 00 41 00 54 00 41 00"
                  "CD AB 34 12 05 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00"
                  "02 00"
                  "FF FF 01 00 0A 00 43 46 69 6C 65 41 72 72 61 79"
                  "FF FE FF 01 5C 00"
                  "02 00"
                  "FF FF 01 00 0A 00 43 46 69 6C 65 45 6E 74 72 79"
                  "FF FE FF 04 44 00 4F 00 43 00 53 00"
                  "10 00 00 00 01 00 00 00 00 00 00 00 00 3B 3D 4B"
                  "05 80"
                  "FF FE FF 05 41 00 2E 00 54 00 58 00 54 00"
                  "20 00 00 00 00 00 00 00 D2 04 00 00 80 DA 2B 4C"
                  "03 80"
                  "FF FE FF 06 5C 00 44 00 4F 00 43 00 53 00 5C 00"
                  "00 00"
                  "00 00 00 00"
                  "00 00 00 00"));
    return b;
}

RootList RoundTrip(RootList& roots) {
    const std::vector<uint8_t> bytes = WriteCatalogue(roots);
    return ReadCatalogue(bytes, HeaderAcceptance::Document);
}

// What a read ends in, as one comparable text: the bytes its volumes write
// back into, or the failure.
std::string Outcome(const std::function<RootList()>& read) {
    try {
        const std::vector<uint8_t> written = WriteCatalogue(read());
        return "read " + std::string(written.begin(), written.end());
    } catch (const CatalogueError& e) {
        return "failure " + std::to_string(int(e.Kind())) + " " + std::to_string(int(e.FormatCause())) + " " +
               std::to_string(int(e.Cause()));
    }
}

// The failure reading bytes whole ends in, after checking that reading them
// through a small window in small pieces ends in the same one.
CatalogueFailure FailureOf(const std::vector<uint8_t>& bytes,
                           HeaderAcceptance acceptance = HeaderAcceptance::Document) {
    const std::string whole = Outcome([&] { return ReadCatalogue(bytes, acceptance); });
    const std::string streamed = Outcome([&] {
        CPieceSource source(bytes, 3);
        return ReadCatalogue(source, bytes.size(), acceptance, 5);
    });
    EXPECT_EQ(streamed, whole);
    try {
        ReadCatalogue(bytes, acceptance);
    } catch (const CatalogueError& e) {
        return e.Kind();
    }
    ADD_FAILURE() << "no failure";
    return CatalogueFailure::File;
}

// A root with one top array holding the given entries.
std::unique_ptr<CRootEntry> RootWith(std::vector<CFileEntry> entries) {
    auto root = std::make_unique<CRootEntry>();
    root->m_volumeName = u"VOL";
    root->m_folders.push_back(std::make_unique<CFileArray>());
    root->m_folders[0]->m_path = u"\\";
    root->m_folders[0]->m_entries = std::move(entries);
    return root;
}

CFileEntry File(std::u16string name, uint64_t size, int64_t time = 0) {
    CFileEntry e;
    e.m_name = name;
    e.m_attributes = FA_ARCHIVE;
    e.m_size = size;
    e.m_time = time;
    return e;
}

TEST(CatalogueFile, WorkedExampleIsWrittenByteForByte) {
    RootList roots = MakeWorkedExample();
    const std::vector<uint8_t> bytes = WriteCatalogue(roots);
    ASSERT_EQ(bytes.size(), 268u);
    EXPECT_EQ(bytes, WorkedExampleBytes());
}

TEST(CatalogueFile, WorkedExampleReadsBackAndRewritesIdentically) {
    const std::vector<uint8_t> original = WorkedExampleBytes();
    RootList roots = ReadCatalogue(original, HeaderAcceptance::Document);
    ASSERT_EQ(roots.size(), 1u);
    const CRootEntry& root = *roots[0];
    EXPECT_EQ(root.m_volumeName, u"DATA");
    EXPECT_EQ(root.m_serialNumber, 0x1234ABCDu);
    EXPECT_EQ(root.m_driveType, 5u);
    EXPECT_EQ(root.m_usedBytes, 8192u);
    EXPECT_EQ(root.m_size, 8192u);
    EXPECT_EQ(root.m_time, 0x4D7C6D00);
    EXPECT_EQ(root.m_folderCount, 1u);
    EXPECT_EQ(root.m_fileCount, 1u);
    EXPECT_EQ(root.m_childIndex, 0);
    EXPECT_TRUE(root.m_extBlocks.empty());
    ASSERT_EQ(root.m_folders.size(), 2u);
    EXPECT_EQ(root.m_folders[0]->m_path, u"\\");
    EXPECT_EQ(root.m_folders[1]->m_path, u"\\DOCS\\");
    EXPECT_TRUE(root.m_folders[1]->m_entries.empty());
    const auto& top = root.m_folders[0]->m_entries;
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].m_name, u"DOCS");
    EXPECT_EQ(top[0].m_attributes, FA_DIRECTORY);
    EXPECT_EQ(top[0].m_childIndex, 1);
    EXPECT_EQ(top[0].m_time, 0x4B3D3B00);
    EXPECT_EQ(top[1].m_name, u"A.TXT");
    EXPECT_EQ(top[1].m_size, 1234u);
    EXPECT_EQ(top[1].m_time, 0x4C2BDA80);
    EXPECT_EQ(WriteCatalogue(roots), original);
}

TEST(CatalogueFile, HeaderVersionsAcceptedByDocumentAndSearch) {
    struct Case {
        const char* version;
        bool document;
        bool search;
    };
    for (const Case& c : {Case{"1.00", true, true}, Case{"1.50", true, false}, Case{"1.99", true, false},
                          Case{"0.90", true, true}, Case{"2.00", false, false}}) {
        std::vector<uint8_t> bytes = WorkedExampleBytes();
        std::memcpy(bytes.data() + 27, c.version, 4);
        for (auto [acceptance, expected] :
             {std::pair{HeaderAcceptance::Document, c.document}, std::pair{HeaderAcceptance::Search, c.search}}) {
            bool accepted = true;
            try {
                ReadCatalogue(bytes, acceptance);
            } catch (const CatalogueError& e) {
                accepted = false;
                EXPECT_EQ(e.Kind(), CatalogueFailure::Format);
                EXPECT_TRUE(e.HeaderRejected());
            }
            EXPECT_EQ(accepted, expected) << c.version;
        }
    }
}

TEST(CatalogueFile, ForeignHeaderIsFormatError) {
    // A text listing starts with a byte-order mark, not the header text.
    std::vector<uint8_t> bytes = WorkedExampleBytes();
    bytes[0] = 0xFF;
    bytes[1] = 0xFE;
    EXPECT_EQ(FailureOf(bytes), CatalogueFailure::Format);
    EXPECT_EQ(FailureOf({}), CatalogueFailure::Format);
}

TEST(CatalogueFile, EveryTruncationIsFormatError) {
    const std::vector<uint8_t> full = WorkedExampleBytes();
    for (size_t size = 0; size < full.size(); ++size) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + long(size));
        EXPECT_EQ(FailureOf(cut), CatalogueFailure::Format) << "size " << size;
    }
}

TEST(CatalogueFile, HugeCountsFailAtOnceWithoutAllocating) {
    // Root list, folder list and extension block counts that promise far
    // more than the data holds.
    std::vector<uint8_t> roots = WorkedExampleBytes();
    roots.resize(64);
    Append(roots, Hex("FF FF FF FF FF FF"));
    EXPECT_EQ(FailureOf(roots), CatalogueFailure::Format);

    std::vector<uint8_t> ext = WorkedExampleBytes();
    ext.resize(264);
    Append(ext, Hex("FF FF FF FF FF FF FF FF"));
    EXPECT_EQ(FailureOf(ext), CatalogueFailure::Format);

    std::vector<uint8_t> icons = WorkedExampleBytes();
    icons.resize(260);
    Append(icons, Hex("02 00 00 00 FF FF FF 7F"));
    EXPECT_EQ(FailureOf(icons), CatalogueFailure::Format);
}

TEST(CatalogueFile, BadTagsAreFormatErrors) {
    // Each case replaces the tag of A.TXT (offset 208, 2 bytes) with other bytes.
    struct Case {
        const char* what;
        const char* bytes;
    };
    const Case cases[] = {
        {"null tag", "00 00"},
        {"reference to an object", "06 00"},
        {"big reference", "FF 7F 06 00 00 00"},
        {"undeclared class number", "09 80"},
        {"object number used as class", "06 80"},
        {"class of another kind here", "03 80"},
        {"unknown class name", "FF FF 01 00 0A 00 43 46 69 6C 65 45 6E 74 72 5A"},
        {"wrong schema", "FF FF 02 00 0A 00 43 46 69 6C 65 45 6E 74 72 79"},
        {"class name of 64 characters", "FF FF 01 00 40 00"},
    };
    const std::vector<uint8_t> full = WorkedExampleBytes();
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(full.begin(), full.begin() + 208);
        Append(bytes, Hex(c.bytes));
        if (std::string(c.what) == "class name of 64 characters") bytes.resize(bytes.size() + 64, 'A');
        bytes.insert(bytes.end(), full.begin() + 210, full.end());
        EXPECT_EQ(FailureOf(bytes), CatalogueFailure::Format) << c.what;
    }
}

TEST(CatalogueFile, BigClassEscapeIsAcceptedForKnownClass) {
    // 0x7FFF followed by 0x80000005 names class 5 like the short tag 0x8005.
    const std::vector<uint8_t> full = WorkedExampleBytes();
    std::vector<uint8_t> bytes(full.begin(), full.begin() + 208);
    Append(bytes, Hex("FF 7F 05 00 00 80"));
    bytes.insert(bytes.end(), full.begin() + 210, full.end());
    RootList roots = ReadCatalogue(bytes, HeaderAcceptance::Document);
    EXPECT_EQ(roots[0]->m_folders[0]->m_entries[1].m_name, u"A.TXT");
}

TEST(CatalogueFile, ClassFirstDeclaredPastTheShortRangeUsesTheEscape) {
    // 40,000 empty folders come before the first entry, so the entry class
    // gets a number above 0x7FFE and later entries need the 32-bit tag.
    auto root = std::make_unique<CRootEntry>();
    for (int i = 0; i < 40000; ++i) {
        root->m_folders.push_back(std::make_unique<CFileArray>());
        root->m_folders.back()->m_path = u"\\E";
    }
    for (int i = 0; i < 3; ++i) root->m_folders.back()->m_entries.push_back(File(u"F", uint64_t(i)));
    RootList roots;
    roots.push_back(std::move(root));
    const std::vector<uint8_t> bytes = WriteCatalogue(roots);
    // Numbers: CRootEntry 1, root 2, CFileArray 3, arrays 4..40003, CFileEntry 40004.
    const uint32_t classNumber = 40004;
    const std::vector<uint8_t> escape = {0xFF, 0x7F, uint8_t(classNumber), uint8_t(classNumber >> 8), 0, 0x80};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), escape.begin(), escape.end()), bytes.end());
    RootList back = ReadCatalogue(bytes, HeaderAcceptance::Document);
    ASSERT_EQ(back[0]->m_folders.size(), 40000u);
    ASSERT_EQ(back[0]->m_folders.back()->m_entries.size(), 3u);
    EXPECT_EQ(back[0]->m_folders.back()->m_entries[2].m_size, 2u);
    EXPECT_EQ(WriteCatalogue(back), bytes);
}

TEST(CatalogueFile, LongListsUseTheEscapedCount) {
    std::vector<CFileEntry> entries;
    for (int i = 0; i < 0x10005; ++i) entries.push_back(File(u"x", 1));
    RootList roots;
    roots.push_back(RootWith(std::move(entries)));
    RootList back = RoundTrip(roots);
    EXPECT_EQ(back[0]->m_folders[0]->m_entries.size(), 0x10005u);
}

TEST(CatalogueFile, LargeSizesTravelInBlockOne) {
    struct Case {
        uint64_t size;
        bool marker;
    };
    const Case cases[] = {{0xFFFFFEFFull, false},
                          {0xFFFFFF00ull, true},
                          {0xFFFFFFFFull, true},
                          {5'000'000'000ull, true},
                          {UINT64_MAX, true}};
    for (const Case& c : cases) {
        std::vector<CFileEntry> entries;
        entries.push_back(File(u"small", 10));
        entries.push_back(File(u"big", c.size));
        RootList roots;
        roots.push_back(RootWith(std::move(entries)));
        const std::vector<uint8_t> bytes = WriteCatalogue(roots);
        // With nothing else to carry, block 1 appears only for the marker.
        EXPECT_EQ(roots[0]->m_extBlocks.size(), c.marker ? 2u : 0u) << c.size;
        RootList back = ReadCatalogue(bytes, HeaderAcceptance::Document);
        EXPECT_EQ(back[0]->m_folders[0]->m_entries[1].m_size, c.size);
        EXPECT_EQ(back[0]->m_folders[0]->m_entries[0].m_size, 10u);
    }
}

TEST(CatalogueFile, UsedBytesRoundTrip) {
    // Block 1 carries the used bytes only where the root record loses them:
    // low 32 bits above the size marker, or a value beyond 48 bits. A file
    // read back is written again byte for byte.
    struct Case {
        uint64_t used;
        bool block1;
    };
    const Case cases[] = {{0, false},
                          {0xFFFFFEFF, false},
                          {0xFFFFFF00, false},
                          {0xFFFFFF01, true},
                          {0x1'FFFF'FF00ull, false},
                          {0x1'FFFF'FFFFull, true},
                          {0xFFFE'FFFF'FFFFull, true},
                          {0xFFFF'FFFF'0000ull, true},
                          {UINT64_MAX, true}};
    for (const Case& c : cases) {
        RootList roots;
        roots.push_back(RootWith({}));
        roots[0]->m_usedBytes = c.used;
        const std::vector<uint8_t> bytes = WriteCatalogue(roots);
        EXPECT_EQ(roots[0]->m_extBlocks.size(), c.block1 ? 2u : 0u) << std::hex << c.used;
        RootList back = ReadCatalogue(bytes, HeaderAcceptance::Document);
        EXPECT_EQ(back[0]->m_usedBytes, c.used) << std::hex << c.used;
        EXPECT_EQ(back[0]->m_size, c.used) << std::hex << c.used;
        EXPECT_EQ(WriteCatalogue(back), bytes) << std::hex << c.used;
    }
}

TEST(CatalogueFile, TimesOutsideThe32BitRangeSurvive) {
    const int64_t times[] = {0,
                             1,
                             -1,
                             INT32_MAX,
                             INT32_MIN,
                             int64_t(int32_t(0x8000000A)),
                             int64_t(INT32_MAX) + 1,
                             int64_t(INT32_MIN) - 1,
                             int64_t(0x18000000A),
                             -62135596800,  // year 1
                             253402300799,  // year 9999
                             INT64_MIN,
                             INT64_MAX};
    std::vector<CFileEntry> entries;
    for (int64_t t : times) entries.push_back(File(u"t", 1, t));
    RootList roots;
    roots.push_back(RootWith(std::move(entries)));
    roots[0]->m_time = int64_t(INT32_MAX) + 100;
    RootList back = RoundTrip(roots);
    EXPECT_EQ(back[0]->m_time, int64_t(INT32_MAX) + 100);
    for (size_t i = 0; i < std::size(times); ++i)
        EXPECT_EQ(back[0]->m_folders[0]->m_entries[i].m_time, times[i]) << times[i];
}

TEST(CatalogueFile, CommentsAndBlockCounts) {
    struct Case {
        std::u16string comment;
        size_t blocks;
    };
    const Case cases[] = {{u"", 0}, {u"plain", 1}, {u"日本語のコメント①", 1}, {u"emoji 😀 here", 2}};
    for (const Case& c : cases) {
        RootList roots;
        roots.push_back(RootWith({}));
        roots[0]->m_comment = c.comment;
        const std::vector<uint8_t> bytes = WriteCatalogue(roots);
        EXPECT_EQ(roots[0]->m_extBlocks.size(), c.blocks);
        RootList back = ReadCatalogue(bytes, HeaderAcceptance::Document);
        EXPECT_EQ(back[0]->m_comment, c.comment);
        EXPECT_EQ(back[0]->m_extBlocks.size(), c.blocks);
        // Blocks 0 and 1 are released once read.
        for (const auto& block : back[0]->m_extBlocks) EXPECT_TRUE(block.empty());
    }
}

TEST(CatalogueFile, ChangedBlockZeroWinsOverTheFullComment) {
    RootList roots;
    roots.push_back(RootWith({}));
    roots[0]->m_comment = u"A😀";  // block 0 holds "A?"
    std::vector<uint8_t> bytes = WriteCatalogue(roots);
    const std::vector<uint8_t> block0 = {'A', '?', 0};
    auto at = std::search(bytes.begin(), bytes.end(), block0.begin(), block0.end());
    ASSERT_NE(at, bytes.end());
    at[0] = 'B';  // another writer changed the comment
    RootList back = ReadCatalogue(bytes, HeaderAcceptance::Document);
    EXPECT_EQ(back[0]->m_comment, u"B?");
}

TEST(CatalogueFile, ExtraTextsReturnToTheirEntries) {
    auto root = std::make_unique<CRootEntry>();
    for (int a = 0; a < 2; ++a) {
        root->m_folders.push_back(std::make_unique<CFileArray>());
        for (int i = 0; i < 3; ++i)
            root->m_folders[size_t(a)]->m_entries.push_back(File(u"f", 5'000'000'000ull * (i == 1)));
    }
    root->m_folders[0]->m_entries[1].m_extraText = u"second";
    root->m_folders[1]->m_entries[2].m_extraText = u"sixth 😀";
    root->m_comment = u"x😀";
    RootList roots;
    roots.push_back(std::move(root));
    RootList back = RoundTrip(roots);
    const auto& f = back[0]->m_folders;
    EXPECT_EQ(f[0]->m_entries[0].m_extraText, u"");
    EXPECT_EQ(f[0]->m_entries[1].m_extraText, u"second");
    EXPECT_EQ(f[1]->m_entries[2].m_extraText, u"sixth 😀");
    EXPECT_EQ(f[1]->m_entries[1].m_size, 5'000'000'000ull);
    EXPECT_EQ(back[0]->m_comment, u"x😀");
}

TEST(CatalogueFile, BlocksFromTheThirdOnAreKept) {
    // A file written elsewhere with four extension blocks.
    std::vector<uint8_t> bytes = WorkedExampleBytes();
    bytes.resize(264);
    Append(bytes, Hex("04 00 00 00"
                      "05 00 00 00 6E 6F 74 65 00"                       // block 0: "note"
                      "0C 00 00 00 01 00 00 00 00 20 00 00 00 00 00 00"  // block 1: used bytes only
                      "03 00 00 00 AA BB CC"                             // block 2
                      "00 00 00 00"));                                   // block 3, empty
    RootList roots = ReadCatalogue(bytes, HeaderAcceptance::Document);
    EXPECT_EQ(roots[0]->m_comment, u"note");
    ASSERT_EQ(roots[0]->m_extBlocks.size(), 4u);
    EXPECT_EQ(roots[0]->m_extBlocks[2], Hex("AA BB CC"));
    EXPECT_EQ(WriteCatalogue(roots), bytes);
}

TEST(CatalogueFile, ExtensionBlockEndingEarlyIsFormatError) {
    std::vector<uint8_t> bytes = WorkedExampleBytes();
    bytes.resize(264);
    Append(bytes, Hex("01 00 00 00 10 00 00 00 41 42"));
    EXPECT_EQ(FailureOf(bytes), CatalogueFailure::Format);
}

TEST(CatalogueFile, MalformedBlockOneIsIgnoredSafely) {
    // Block 1 promises more values than it holds, or text records that run
    // past its end: the values present are used, nothing else is read.
    const char* blocks[] = {
        "FF FF FF FF 00 30 00 00 00 00 00 00",
        "02 00 00 00 00 30 00 00 00 00 00 00 01 02",
        "01 00 00 00 00 30 00 00 00 00 00 00 01 00 00 00 FF FF FF 7F 41 00",
        "00 00 00 00 00 30 00 00 00 00 00 00",
    };
    for (const char* block1 : blocks) {
        std::vector<uint8_t> bytes = WorkedExampleBytes();
        bytes.resize(264);
        const std::vector<uint8_t> block = Hex(block1);
        Append(bytes, Hex("02 00 00 00 00 00 00 00"));
        const uint32_t size = uint32_t(block.size());
        Append(bytes, {uint8_t(size), uint8_t(size >> 8), 0, 0});
        Append(bytes, block);
        RootList roots = ReadCatalogue(bytes, HeaderAcceptance::Document);
        EXPECT_EQ(roots[0]->m_usedBytes, 0x3000u) << block1;
        EXPECT_EQ(roots[0]->m_folders[0]->m_entries[0].m_extraText, u"");
    }
}

TEST(CatalogueFile, TextRecordsAreMatchedInFileOrder) {
    // Records go to the entries with their numbers while the walk over the
    // entries meets them in order; a record the walk has passed (a repeat,
    // a number going back) or never reaches ends the matching.
    struct Case {
        std::vector<uint32_t> numbers;
        std::u16string expected;  // per entry 1..4: the record's letter or '-'
    };
    const Case cases[] = {
        {{1, 3}, u"A-B-"}, {{2, 2, 3}, u"-A--"}, {{3, 1, 4}, u"--A-"}, {{5, 1}, u"----"},
        {{0, 2}, u"-B--"}, {{2, 0, 3}, u"-A--"}, {{4}, u"---A"},
    };
    for (const Case& c : cases) {
        auto root = std::make_unique<CRootEntry>();
        root->m_folders.push_back(std::make_unique<CFileArray>());
        for (int i = 0; i < 4; ++i) root->m_folders[0]->m_entries.push_back(File(u"f", 1));
        std::vector<uint8_t> block = Hex("01 00 00 00 00 30 00 00 00 00 00 00");
        char16_t letter = u'A';
        for (uint32_t number : c.numbers) {
            Append(block, {uint8_t(number), 0, 0, 0, 1, 0, 0, 0, uint8_t(letter++), 0});
        }
        root->m_extBlocks = {{}, block};
        ApplyExtensionBlocks(*root);
        std::u16string got;
        for (const auto& entry : root->m_folders[0]->m_entries)
            got += entry.m_extraText.empty() ? u'-' : entry.m_extraText[0];
        EXPECT_EQ(got, c.expected) << c.numbers.size() << " records, first " << c.numbers[0];
    }
}

TEST(CatalogueFile, WideTextLengthBeyondLimitIsGeneralFailure) {
    std::vector<uint8_t> bytes = WorkedExampleBytes();
    bytes.resize(82);
    Append(bytes, Hex("FF FE FF FF FF FF FF FF FF FF 00 00 00 80 00 00 00 00"));
    EXPECT_EQ(FailureOf(bytes), CatalogueFailure::General);
}

TEST(CatalogueFile, VolumePayloadRoundTripAndNumbering) {
    RootList sample = MakeSampleCatalogue();
    CRootEntry& root = *sample[0];
    root.m_icons.m_images.push_back(std::vector<uint8_t>(800, 0x5A));
    const std::vector<uint8_t> payload = WriteVolumePayload(root);
    // No tag for the root: the record begins with its name text.
    EXPECT_EQ(std::vector<uint8_t>(payload.begin(), payload.begin() + 3), Hex("FF FE FF"));
    // The first array declares its class, numbered 1; the next uses 0x8001.
    const std::vector<uint8_t> arrayClass = Hex("FF FF 01 00 0A 00 43 46 69 6C 65 41 72 72 61 79");
    EXPECT_NE(std::search(payload.begin(), payload.end(), arrayClass.begin(), arrayClass.end()), payload.end());
    std::unique_ptr<CRootEntry> back = ReadVolumePayload(payload);
    EXPECT_EQ(back->m_name, root.m_name);
    EXPECT_EQ(back->m_comment, root.m_comment);
    EXPECT_EQ(back->m_icons.GetCount(), 1u);
    EXPECT_EQ(back->m_folders.size(), root.m_folders.size());
    EXPECT_EQ(WriteVolumePayload(*back), payload);
    // A damaged payload fails as a format error.
    for (size_t size : {size_t(0), size_t(10), payload.size() - 1}) {
        try {
            ReadVolumePayload(std::span(payload.data(), size));
            ADD_FAILURE() << size;
        } catch (const CatalogueError& e) {
            EXPECT_EQ(e.Kind(), CatalogueFailure::Format);
        }
    }
}

// Catalogues that hold every form a reader meets: texts in the short and
// the long wide form, narrow ones (written elsewhere) longer than a small
// window, extra texts, comments, icons and extension blocks.
std::vector<std::vector<uint8_t>> StreamingFixtures() {
    std::vector<CFileEntry> entries;
    entries.push_back(File(std::u16string(254, u'あ'), 1));
    entries.push_back(File(std::u16string(300, u'b'), 2));
    entries.push_back(File(u"", 5'000'000'000ull));
    entries.push_back(File(u"c", 3));
    RootList forms;
    forms.push_back(RootWith(std::move(entries)));
    forms[0]->m_folders[0]->m_entries[3].m_extraText = u"説明";
    forms[0]->m_comment = u"コメント";
    forms[0]->m_icons.m_images = {std::vector<uint8_t>(800, 0x5A), std::vector<uint8_t>(800, 0xA5)};

    // The worked example with its volume name in the narrow form.
    std::vector<uint8_t> narrow = WorkedExampleBytes();
    const std::vector<uint8_t> wideName = Hex("FF FE FF 04 44 00 41 00 54 00 41 00");
    const auto at = std::search(narrow.begin(), narrow.end(), wideName.begin(), wideName.end());
    std::vector<uint8_t> narrowName = {40};
    narrowName.resize(41, 'N');
    narrow.insert(narrow.erase(at, at + long(wideName.size())), narrowName.begin(), narrowName.end());

    RootList sample = MakeSampleCatalogue();
    return {WorkedExampleBytes(), WriteCatalogue(sample), WriteCatalogue(forms), narrow};
}

// Windows so small that every number, tag and text straddles their end, and
// sizes that put the end inside the longest short text, beside or inside an
// icon; pieces as large as asked for, or a few bytes at a time.
TEST(CatalogueFile, StreamedReadsEqualTheWholeRead) {
    std::vector<size_t> windows;
    for (size_t w = 1; w <= 17; ++w) windows.push_back(w);
    for (size_t w : {31, 32, 33, 100, 509, 511, 512, 513, 799, 800, 801, 4096}) windows.push_back(w);
    windows.push_back(kStreamWindowSize);
    for (const std::vector<uint8_t>& bytes : StreamingFixtures()) {
        const std::string whole = Outcome([&] { return ReadCatalogue(bytes, HeaderAcceptance::Document); });
        ASSERT_TRUE(whole.starts_with("read ")) << whole;
        for (size_t window : windows) {
            for (size_t piece : {SIZE_MAX, size_t(1), size_t(7)}) {
                const std::string streamed = Outcome([&] {
                    CPieceSource source(bytes, piece);
                    return ReadCatalogue(source, bytes.size(), HeaderAcceptance::Document, window);
                });
                EXPECT_EQ(streamed, whole) << bytes.size() << " bytes, window " << window << ", pieces " << piece;
            }
        }
    }
}

// The size a file had when it was opened is the input: a file that became
// shorter fails as data that ends early; one that grew is read as it was.
// A read failure passes through unchanged.
TEST(CatalogueFile, StreamedFileChangingSizeOrFailingEndsCleanly) {
    RootList sample = MakeSampleCatalogue();
    const std::vector<uint8_t> bytes = WriteCatalogue(sample);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        const std::span<const uint8_t> prefix(bytes.data(), cut);
        for (size_t window : {size_t(5), size_t(64)}) {
            try {
                CPieceSource shorter(prefix, 7);
                ReadCatalogue(shorter, bytes.size(), HeaderAcceptance::Document, window);
                ADD_FAILURE() << "cut " << cut;
            } catch (const CatalogueError& e) {
                EXPECT_EQ(e.Kind(), CatalogueFailure::Format) << "cut " << cut;
                EXPECT_EQ(e.FormatCause(), FormatErrorCause::EndOfData) << "cut " << cut;
            }
            const std::string grown = Outcome([&] {
                CPieceSource longer(bytes, 7);
                return ReadCatalogue(longer, cut, HeaderAcceptance::Document, window);
            });
            EXPECT_EQ(grown, Outcome([&] { return ReadCatalogue(prefix, HeaderAcceptance::Document); })) << cut;
        }
    }
    for (size_t failAt : {size_t(0), size_t(40), size_t(500)}) {
        try {
            CPieceSource failing(bytes, 100, failAt);
            ReadCatalogue(failing, bytes.size(), HeaderAcceptance::Document, 64);
            ADD_FAILURE() << failAt;
        } catch (const CatalogueError& e) {
            EXPECT_EQ(e.Kind(), CatalogueFailure::File) << failAt;
            EXPECT_EQ(e.Cause(), FileErrorCause::HardIO) << failAt;
            EXPECT_EQ(e.Path(), u"/media/disk/cat.fsr");
        }
    }
}

class CatalogueFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/volcatra-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_dir)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string m_dir;
};

TEST_F(CatalogueFileOnDisk, SaveReplacesAtomicallyAndKeepsPermissions) {
    const std::string path = m_dir + "/cat.fsr";
    { std::ofstream(path) << "old"; }
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    RootList roots = MakeWorkedExample();
    SaveCatalogueFile(path, {roots[0].get()});
    EXPECT_EQ(ReadWholeFile(path), WorkedExampleBytes());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Listing(), std::vector<std::string>{"cat.fsr"});  // no temporary file left
}

TEST_F(CatalogueFileOnDisk, WriteFailingHalfWayLeavesTheOldFileByteForByte) {
    // A file-size limit makes the write fail part-way, as a full disk would:
    // within the first piece the save hands to the file, and after pieces
    // have gone to it already.
    const std::string path = m_dir + "/cat.fsr";
    RootList small = MakeWorkedExample();
    SaveCatalogueFile(path, {small[0].get()});
    const std::vector<uint8_t> before = ReadWholeFile(path);

    std::vector<CFileEntry> entries;
    for (int i = 0; i < 50000; ++i) entries.push_back(File(u"a-rather-long-file-name.txt", 1));
    RootList big;
    big.push_back(RootWith(std::move(entries)));
    const std::vector<uint8_t> bigBytes = WriteCatalogue(big);
    ASSERT_GT(bigBytes.size(), size_t(3) << 20);

    for (const rlim_t limit : {rlim_t(64 * 1024), rlim_t(5 << 19)}) {
        SCOPED_TRACE(limit);
        struct rlimit old {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = old;
        limited.rlim_cur = limit;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        bool failed = false;
        try {
            SaveCatalogueFile(path, {big[0].get()});
        } catch (const CatalogueError& e) {
            failed = true;
            EXPECT_EQ(e.Kind(), CatalogueFailure::File);
            EXPECT_EQ(e.Cause(), FileErrorCause::DiskFull);
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_TRUE(failed);
        EXPECT_EQ(ReadWholeFile(path), before);
        EXPECT_EQ(Listing(), std::vector<std::string>{"cat.fsr"});
    }

    // Anything else that stops the writing on the way (here lack of
    // memory) leaves the file as well.
    EXPECT_THROW(WriteFileReplacingWith(path,
                                        [&](const FileWriteFunction& write) {
                                            write(bigBytes);
                                            throw std::bad_alloc();
                                        }),
                 std::bad_alloc);
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(Listing(), std::vector<std::string>{"cat.fsr"});

    // Without a limit the pieces make the same bytes as the whole.
    SaveCatalogueFile(path, {big[0].get()});
    EXPECT_EQ(ReadWholeFile(path), bigBytes);
}

TEST_F(CatalogueFileOnDisk, SaveThroughALinkReplacesItsTarget) {
    const std::string target = m_dir + "/real.fsr";
    const std::string link = m_dir + "/link.fsr";
    { std::ofstream(target) << "old"; }
    ASSERT_EQ(::symlink("real.fsr", link.c_str()), 0);
    RootList roots = MakeWorkedExample();
    SaveCatalogueFile(link, {roots[0].get()});
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), WorkedExampleBytes());
    EXPECT_EQ(Listing(), (std::vector<std::string>{"link.fsr", "real.fsr"}));
}

TEST_F(CatalogueFileOnDisk, FailedSaveLeavesTheOldFileAndNoTemporary) {
    // The target is a folder: the save fails and nothing is left behind.
    const std::string folder = m_dir + "/cat.fsr";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    RootList roots = MakeWorkedExample();
    EXPECT_THROW(SaveCatalogueFile(folder, {roots[0].get()}), CatalogueError);
    EXPECT_EQ(Listing(), std::vector<std::string>{"cat.fsr"});
    try {
        SaveCatalogueFile(m_dir + "/missing/cat.fsr", {roots[0].get()});
        ADD_FAILURE();
    } catch (const CatalogueError& e) {
        EXPECT_EQ(e.Kind(), CatalogueFailure::File);
        EXPECT_EQ(e.Cause(), FileErrorCause::FileNotFound);
    }
}

TEST_F(CatalogueFileOnDisk, MissingFileCarriesCauseAndPath) {
    const std::string path = m_dir + "/nothing.fsr";
    try {
        LoadCatalogueFile(path, HeaderAcceptance::Document);
        ADD_FAILURE();
    } catch (const CatalogueError& e) {
        EXPECT_EQ(e.Kind(), CatalogueFailure::File);
        EXPECT_EQ(e.Cause(), FileErrorCause::FileNotFound);
        EXPECT_EQ(FileErrorText(e.Cause(), e.Path()),
                  std::u16string(path.begin(), path.end()) + u" が見つかりませんでした。");
    }
}

// A file is opened through the stream's window, whatever its size; a cut
// file fails as a format error. A file that tells no size (those of /proc)
// is read whole and fails with the read error that reading it whole gives.
TEST_F(CatalogueFileOnDisk, OpeningReadsTheFileThroughTheWindow) {
    const std::string path = m_dir + "/cat.fsr";
    RootList sample = MakeSampleCatalogue();
    const std::vector<uint8_t> bytes = WriteCatalogue(sample);
    WriteFileReplacing(path, bytes);
    for (size_t window : {size_t(1), size_t(13), kStreamWindowSize})
        EXPECT_EQ(WriteCatalogue(LoadCatalogueFile(path, HeaderAcceptance::Document, window)), bytes) << window;

    ASSERT_EQ(::truncate(path.c_str(), off_t(bytes.size() / 2)), 0);
    try {
        LoadCatalogueFile(path, HeaderAcceptance::Document);
        ADD_FAILURE();
    } catch (const CatalogueError& e) {
        EXPECT_EQ(e.Kind(), CatalogueFailure::Format);
        EXPECT_EQ(e.FormatCause(), FormatErrorCause::EndOfData);
    }

    const std::string unsized = "/proc/self/mem";  // size 0, reading its start fails with EIO
    auto failure = [&](const std::function<void()>& read) {
        try {
            read();
        } catch (const CatalogueError& e) {
            return std::to_string(int(e.Kind())) + " " + std::to_string(int(e.Cause()));
        }
        return std::string("none");
    };
    const std::string whole = failure([&] { ReadWholeFile(unsized); });
    if (whole == "none") GTEST_SKIP() << unsized << " reads here";
    EXPECT_EQ(failure([&] { LoadCatalogueFile(unsized, HeaderAcceptance::Document); }), whole);
}

// --- Temporary files left behind -------------------------------------------

// Sets a file's (or a link's own) last change the given number of seconds back.
void Backdate(const std::string& path, int seconds) {
    struct timespec now {};
    ASSERT_EQ(::clock_gettime(CLOCK_REALTIME, &now), 0);
    const struct timespec times[2] = {{now.tv_sec - seconds, 0}, {now.tv_sec - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

RootList ManyEntries() {
    std::vector<CFileEntry> entries;
    for (int i = 0; i < 20000; ++i) entries.push_back(File(u"a-rather-long-file-name.txt", 1));
    RootList roots;
    roots.push_back(RootWith(std::move(entries)));
    return roots;
}

// A writer killed in the middle of its write leaves the target as it was and
// one temporary file, which the next save after a minute removes.
TEST_F(CatalogueFileOnDisk, CrashDuringASaveLeavesOneStrayThatALaterSaveRemoves) {
    const std::string path = m_dir + "/cat.fsr";
    RootList small = MakeWorkedExample();
    SaveCatalogueFile(path, {small[0].get()});
    const std::vector<uint8_t> before = ReadWholeFile(path);
    RootList big = ManyEntries();
    ASSERT_GT(WriteCatalogue(big).size(), 4u * 64 * 1024);

    // The file-size limit kills the child (SIGXFSZ, as kill -9 would, with
    // no chance to clean up) when its write reaches 64 KiB of the temporary
    // file: always at the same point of the write.
    constexpr off_t kLimit = 64 * 1024;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::prctl(PR_SET_DUMPABLE, 0);  // no core file
        std::signal(SIGXFSZ, SIG_DFL);
        const struct rlimit limit = {rlim_t(kLimit), rlim_t(kLimit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            SaveCatalogueFile(path, {big[0].get()});
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);

    EXPECT_EQ(ReadWholeFile(path), before);
    const std::vector<std::string> left = Listing();
    ASSERT_EQ(left.size(), 2u);
    ASSERT_EQ(left[1], "cat.fsr");
    const std::string stray = m_dir + "/" + left[0];
    EXPECT_TRUE(IsTemporaryFileName(left[0])) << left[0];
    EXPECT_EQ(std::filesystem::file_size(stray), uintmax_t(kLimit));

    // Within its first minute it might be a writer's that has not locked it
    // yet: it stays. Older, with its lock free, it goes.
    SaveCatalogueFile(path, {small[0].get()});
    EXPECT_EQ(Listing(), left);
    Backdate(stray, 120);
    SaveCatalogueFile(path, {big[0].get()});
    EXPECT_EQ(Listing(), std::vector<std::string>{"cat.fsr"});
    EXPECT_EQ(ReadWholeFile(path), WriteCatalogue(big));
}

// Only old files of the temporaries' own pattern whose lock can be taken are
// removed: not one a writer still holds open, nor a young one, nor anything
// else in the folder.
TEST_F(CatalogueFileOnDisk, OnlyOldUnlockedTemporariesAreRemoved) {
    const std::string folder = m_dir + "/";
    // A writer still at work: an open file description of this process holds
    // the lock, which conflicts with any other one, even in the same process.
    std::string live;
    const int liveFd = CreateLockedTemporaryFile(folder, live);
    ASSERT_GE(liveFd, 0);
    ASSERT_EQ(::write(liveFd, "partial", 7), 7);
    std::string young;
    std::string old;
    for (std::string* name : {&young, &old}) {
        const int fd = CreateLockedTemporaryFile(folder, *name);
        ASSERT_GE(fd, 0);
        ::close(fd);  // its writer is gone
    }
    std::vector<std::string> others = {".volcatra-ABCDEF",           ".volcatra-save-ABCDE.tmp",
                                       ".volcatra-save-ABC-EF.tmp",  "volcatra-save-ABCDEF.tmp",
                                       ".volcatra-save-ABCDEF.tmp~", ".volcatra-save-ABCDEF.TMP"};
    for (const std::string& name : others) std::ofstream(folder + name) << "someone else's";
    ASSERT_EQ(::mkdir((folder + ".volcatra-save-FOLDER.tmp").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(".volcatra-ABCDEF", (folder + ".volcatra-save-LINKED.tmp").c_str()), 0);
    others.push_back(".volcatra-save-FOLDER.tmp");
    others.push_back(".volcatra-save-LINKED.tmp");
    for (const std::string& name : others) Backdate(folder + name, 3600);
    Backdate(live, 3600);
    Backdate(old, 61);
    Backdate(young, 50);

    const std::string path = m_dir + "/cat.fsr";
    RootList roots = MakeWorkedExample();
    SaveCatalogueFile(path, {roots[0].get()});
    std::vector<std::string> expected = others;
    for (const std::string* name : {&live, &young}) expected.push_back(name->substr(folder.size()));
    expected.push_back("cat.fsr");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Listing(), expected);

    // Once its writer lets go, the old one goes with the next save too.
    ::close(liveFd);
    SaveCatalogueFile(path, {roots[0].get()});
    expected.erase(std::find(expected.begin(), expected.end(), live.substr(folder.size())));
    EXPECT_EQ(Listing(), expected);
}

}  // namespace
}  // namespace volcatra
