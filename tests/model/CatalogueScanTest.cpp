// Searching a catalogue's bytes by name must keep exactly what reading the
// whole file and trying every name keeps, and fail exactly where it fails.
#include <gtest/gtest.h>

#include "CatalogueBuilder.h"
#include "ScanOutcome.h"
#include "model/CatalogueFile.h"
#include "model/CatalogueScan.h"

namespace volcatra {
namespace {

using test::AddArray;
using test::AddEntry;

// Two volumes with what the fast path has to get right: sizes and extra
// texts carried by block 1 (on matching and on other entries), a comment
// only block 1 holds exactly, times beyond 32 bits, a name too long for the
// short text form, names outside ASCII, a stored icon, an empty folder.
std::vector<uint8_t> RichCatalogue() {
    RootList roots;
    auto first = std::make_unique<CRootEntry>();
    first->m_volumeName = u"PHOTOS";
    first->m_serialNumber = 0x12345678;
    first->m_driveType = DRIVE_CDROM;
    first->m_usedBytes = 0x1'FFFF'FFFFull;
    first->m_size = first->m_usedBytes;
    first->m_comment = u"旅行 😀";
    first->m_icons.m_images.push_back(std::vector<uint8_t>(800, 0x5A));
    CFileArray& top = AddArray(*first, u"\\");
    AddEntry(top, u"DCIM", FA_DIRECTORY, 0, 1'300'000'000, 1);
    AddEntry(top, u"big.bin", FA_ARCHIVE, 0x1'0000'0003ull, 5'000'000'000ll).m_extraText = u"not a hit";
    AddEntry(top, u"readme.txt", FA_ARCHIVE, 12, -86400);
    CFileArray& dcim = AddArray(*first, u"\\DCIM");
    AddEntry(dcim, u"IMG_0001.JPG", FA_ARCHIVE, 1'234'567, 1'300'000'000).m_iconNumber = 1;
    AddEntry(dcim, u"huge.jpg", FA_ARCHIVE, 0xFFFF'FF00ull, 1'300'000'001).m_extraText = u"raw 😀";
    AddEntry(dcim, u"写真.jpg", FA_ARCHIVE, 0xFFFF'FFFFull, 1'300'000'002);
    AddEntry(dcim, std::u16string(300, u'x') + u".jpg", FA_ARCHIVE, 7, 0);
    AddEntry(dcim, u"report.doc", FA_ARCHIVE | FA_READONLY, 99, 1'300'000'003).m_extraText = u"last";
    AddArray(*first, u"\\EMPTY");
    roots.push_back(std::move(first));

    auto second = std::make_unique<CRootEntry>();
    second->m_name = u"Backup";
    second->m_driveType = DRIVE_FIXED;
    CFileArray& other = AddArray(*second, u"\\");
    AddEntry(other, u"a.JPG", FA_ARCHIVE, 1, 1);
    AddEntry(other, u"b.zip", FA_ARCHIVE | FA_ARCHIVE_LISTED, 2, 2, 1);
    CFileArray& members = AddArray(*second, u"\\b.zip");
    AddEntry(members, u"inner", FA_ARCHIVE_FOLDER, 0, 3);
    AddEntry(members, u"inner.jpg", FA_ARCHIVE, 3, 3);
    roots.push_back(std::move(second));
    return WriteCatalogue(roots);
}

void ExpectSameOutcome(std::span<const uint8_t> bytes, HeaderAcceptance acceptance, const CNamePattern& pattern,
                       const std::string& label) {
    const std::string scanned = test::ScanOutcome([&] { return ScanCatalogue(bytes, acceptance, pattern); });
    const std::string reference = test::ScanOutcome([&] { return test::ReadAndMatch(bytes, acceptance, pattern); });
    ASSERT_EQ(scanned, reference) << label;
}

TEST(CatalogueScan, KeepsWhatTheWholeReadKeeps) {
    const std::vector<uint8_t> bytes = RichCatalogue();
    for (const char16_t* typed : {u"*.jpg", u"", u"report", u"?*", u"nothing.none", u"写真.JPG"})
        ExpectSameOutcome(bytes, HeaderAcceptance::Search, PrepareNamePattern(typed),
                          "pattern " + std::string(typed, typed + std::char_traits<char16_t>::length(typed)));

    // The values block 1 carries reach the kept entries.
    const ScannedCatalogue volumes = ScanCatalogue(bytes, HeaderAcceptance::Search, PrepareNamePattern(u"*.jpg"));
    ASSERT_EQ(volumes.size(), 2u);
    ASSERT_EQ(volumes[0].m_hits.size(), 4u);
    CFileEntry huge;
    volumes[0].GetEntry(1, huge);
    EXPECT_EQ(huge.m_name, u"huge.jpg");
    EXPECT_EQ(huge.m_size, 0xFFFF'FF00ull);
    EXPECT_EQ(huge.m_extraText, u"raw 😀");
    EXPECT_EQ(volumes[0].m_hits[2].m_size, 0xFFFF'FFFFull);
    EXPECT_EQ(volumes[0].m_hits[1].m_array, 1u);
    EXPECT_EQ(volumes[0].m_root->m_comment, u"旅行 😀");
    EXPECT_EQ(volumes[0].m_root->m_usedBytes, 0x1'FFFF'FFFFull);
    EXPECT_EQ(volumes[0].m_root->m_folders.size(), 3u);
    EXPECT_EQ(volumes[1].m_hits.size(), 2u);
}

TEST(CatalogueScan, RecycledStorageKeepsNothingOfTheEarlierFile) {
    const std::vector<uint8_t> bytes = RichCatalogue();
    const CNamePattern jpeg = PrepareNamePattern(u"*.jpg");
    const std::string expected =
        test::ScanOutcome([&] { return test::ReadAndMatch(bytes, HeaderAcceptance::Search, jpeg); });
    // The earlier result had more volumes' worth of hits and names.
    const std::string again = test::ScanOutcome([&] {
        ScannedCatalogue earlier = ScanCatalogue(bytes, HeaderAcceptance::Search, PrepareNamePattern(u""));
        return ScanCatalogue(bytes, HeaderAcceptance::Search, jpeg, std::move(earlier));
    });
    EXPECT_EQ(again, expected);
}

TEST(CatalogueScan, DamagedFilesFailAsTheWholeReadFails) {
    const std::vector<uint8_t> bytes = RichCatalogue();
    const CNamePattern all = PrepareNamePattern(u"");
    const CNamePattern jpeg = PrepareNamePattern(u"*.jpg");
    for (size_t size = 0; size < bytes.size(); ++size) {
        const std::span<const uint8_t> part(bytes.data(), size);
        ExpectSameOutcome(part, HeaderAcceptance::Search, jpeg, "truncated to " + std::to_string(size));
    }
    // Every byte changed in two ways (flipped, and set to a length or tag
    // marker), and every 16-bit item set to zero (a null tag, an empty count).
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::vector<std::vector<uint8_t>> variants(3, bytes);
        variants[0][at] ^= 0xFF;
        variants[1][at] = 0xFF;
        variants[2][at] = 0;
        if (at + 1 < bytes.size()) variants[2][at + 1] = 0;
        for (const std::vector<uint8_t>& changed : variants) {
            ExpectSameOutcome(changed, HeaderAcceptance::Search, all, "byte " + std::to_string(at));
            ExpectSameOutcome(changed, HeaderAcceptance::Document, jpeg, "byte " + std::to_string(at));
        }
    }
}

TEST(CatalogueScan, EntriesBehindTheLongClassTagAreFound) {
    // So many folders come first that the entry class gets a number only
    // the 32-bit tag can hold.
    auto root = std::make_unique<CRootEntry>();
    for (int i = 0; i < 40000; ++i) AddArray(*root, u"\\E");
    for (int i = 0; i < 3; ++i) AddEntry(*root->m_folders.back(), u"f" + std::u16string(1, u'0' + i) + u".jpg", 0, 5);
    RootList roots;
    roots.push_back(std::move(root));
    const std::vector<uint8_t> bytes = WriteCatalogue(roots);
    const CNamePattern pattern = PrepareNamePattern(u"f1.jpg");
    ExpectSameOutcome(bytes, HeaderAcceptance::Search, pattern, "long tags");
    const ScannedCatalogue volumes = ScanCatalogue(bytes, HeaderAcceptance::Search, pattern);
    ASSERT_EQ(volumes[0].m_hits.size(), 1u);
    EXPECT_EQ(volumes[0].m_hits[0].m_array, 39999u);
}

}  // namespace
}  // namespace volcatra
