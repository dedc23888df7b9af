// The primitive encodings of the catalogue stream: texts, counts, times.
#include <gtest/gtest.h>

#include <cstring>

#include "TestBytes.h"
#include "model/CatalogueError.h"
#include "model/CatalogueStream.h"

namespace volcatra {
namespace {

using test::CPieceSource;
using test::Hex;

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t n) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(std::min(n, bytes.size())));
}

TEST(CatalogueStream, TextLengthForms) {
    struct Case {
        size_t length;
        const char* prefix;
    };
    const Case cases[] = {
        {0, "FF FE FF 00"},
        {254, "FF FE FF FE"},
        {255, "FF FE FF FF FF 00"},
        {0xFFFD, "FF FE FF FF FD FF"},
        {0xFFFE, "FF FE FF FF FF FF FE FF 00 00"},
        {0x10000, "FF FE FF FF FF FF 00 00 01 00"},
    };
    for (const Case& c : cases) {
        std::u16string text(c.length, u'あ');
        if (c.length) text.back() = u'z';
        CCatalogueStream out;
        out.WriteText(text);
        const std::vector<uint8_t> prefix = Hex(c.prefix);
        EXPECT_EQ(Prefix(out.Output(), prefix.size()), prefix) << c.length;
        EXPECT_EQ(out.Output().size(), prefix.size() + 2 * c.length);
        CCatalogueStream in(out.Output());
        EXPECT_EQ(in.ReadText(), text);
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(CatalogueStream, NarrowTextsUseTheAnsiCodePage) {
    struct Case {
        const char* bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"00", u""},
        {"03 41 42 43", u"ABC"},
        {"06 93 FA 96 7B 8C EA", u"日本語"},
        {"FF 03 00 41 42 43", u"ABC"},          // 16-bit length
        {"FF FF FF 02 00 00 00 41 42", u"AB"},  // 32-bit length
        {"02 81 41", u"、"},
        {"01 81", u"\xDC81"},  // lone lead byte keeps its value
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = Hex(c.bytes);
        CCatalogueStream in(bytes);
        EXPECT_EQ(in.ReadText(), c.text) << c.bytes;
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(CatalogueStream, TextFailures) {
    struct Case {
        const char* bytes;
        CatalogueFailure kind;
    };
    const Case cases[] = {
        {"", CatalogueFailure::Format},
        {"05 41", CatalogueFailure::Format},
        {"FF FE FF 02 41 00", CatalogueFailure::Format},
        {"FF FE FF FF FF FF FF FF FF FF", CatalogueFailure::Format},
        {"FF FE FF FF FF FF FE FF FF FF", CatalogueFailure::Format},  // 4 G units promised, none there
        {"FF FE FF FF FF FF FF FF FF FF 00 00 00 80 00 00 00 00", CatalogueFailure::General},
        {"FF FE FF FF FF FF FF FF FF FF FF FF FF 7F 00 00 00 00", CatalogueFailure::Format},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = Hex(c.bytes);
        CCatalogueStream in(bytes);
        try {
            in.ReadText();
            ADD_FAILURE() << c.bytes;
        } catch (const CatalogueError& e) {
            EXPECT_EQ(e.Kind(), c.kind) << c.bytes;
        }
    }
}

TEST(CatalogueStream, CountsAndTimes) {
    CCatalogueStream out;
    out.WriteCount(0xFFFE);
    out.WriteCount(0xFFFF);
    out.WriteTime(0x4D7C6D00);
    out.WriteTime(-1);
    out.WriteTime(int64_t(int32_t(0x8000000A)));
    EXPECT_EQ(out.Output(), Hex("FE FF  FF FF FF FF 00 00  00 6D 7C 4D  FF FF FF FF"
                                "0A 00 00 80 0A 00 00 80 FF FF FF FF"));
    CCatalogueStream in(out.Output());
    EXPECT_EQ(in.ReadCount(), 0xFFFEu);
    EXPECT_EQ(in.ReadCount(), 0xFFFFu);
    EXPECT_EQ(in.ReadTime(), 0x4D7C6D00);
    EXPECT_EQ(in.ReadTime(), -1);
    EXPECT_EQ(in.ReadTime(), int64_t(int32_t(0x8000000A)));
}

// Over a source, texts in the short wide form are found where they lie
// however the window's end falls: inside the length, inside the characters,
// just before or after the longest one. Remaining and Position count the
// whole input throughout.
TEST(CatalogueStream, ShortWideTextsAcrossTheWindowEnd) {
    const std::u16string texts[] = {u"",  std::u16string(254, u'x'), u"a", u"日本語", std::u16string(255, u'y'),
                                    u"z", std::u16string(254, u'w')};
    CCatalogueStream out;
    for (const std::u16string& text : texts) out.WriteText(text);
    const std::vector<uint8_t>& bytes = out.Output();
    for (size_t window : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 511, 512, 513, 1000}) {
        CPieceSource source(bytes, 5);
        CCatalogueStream in(source, bytes.size(), window);
        for (const std::u16string& text : texts) {
            std::span<const uint8_t> raw;
            if (text.size() < 255) {
                ASSERT_TRUE(in.ReadShortWideText(raw)) << window << " " << text.size();
                std::u16string got(raw.size() / 2, u'\0');
                if (!raw.empty()) std::memcpy(got.data(), raw.data(), raw.size());
                EXPECT_EQ(got, text);
            } else {
                EXPECT_FALSE(in.ReadShortWideText(raw));
                EXPECT_EQ(in.ReadText(), text);
            }
            EXPECT_EQ(in.Position() + in.Remaining(), bytes.size());
        }
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(CatalogueStream, SafeReserveIsBoundedByTheData) {
    const std::vector<uint8_t> bytes(10);
    CCatalogueStream in(bytes);
    EXPECT_EQ(in.SafeReserve(0xFFFFFFFF, 2), 5u);
    EXPECT_EQ(in.SafeReserve(3, 2), 3u);
}

}  // namespace
}  // namespace volcatra
