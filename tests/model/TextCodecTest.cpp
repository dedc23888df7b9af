// Text conversions: the ANSI code page of catalogue files (CP932 unless the
// environment names another) and the reversible file-name mapping.
#include <gtest/gtest.h>

#include <string>

#include "model/AnsiCodePage.h"
#include "model/FileNameCodec.h"

namespace volcatra {
namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Hex(const std::u16string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char16_t c : text) {
        if (!out.empty()) out += ' ';
        for (int shift = 12; shift >= 0; shift -= 4) out += digits[(c >> shift) & 15];
    }
    return out;
}

std::u16string Decode(const std::string& bytes) {
    return AnsiToUtf16(bytes.data(), bytes.size());
}

// --- ANSI code page -------------------------------------------------------

class AnsiCodePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (AnsiCodePageName() != "CP932") GTEST_SKIP() << "code page " << AnsiCodePageName() << " in use";
    }
};

TEST_F(AnsiCodePageTest, MappedTextsBothWays) {
    struct Case {
        std::string ansi;
        std::u16string text;
    };
    const Case cases[] = {
        {"", u""},
        {"plain ASCII 123", u"plain ASCII 123"},
        {"\x93\xFA\x96\x7B\x8C\xEA", u"日本語"},
        {"\xB1\xB2\xB3", u"ｱｲｳ"},       // half-width katakana
        {"\xB6\xDE\xCA\xDF", u"ｶﾞﾊﾟ"},  // with voicing marks
        {"A\x93\xFA"
         "B\xB1"
         "C",
         u"A日BｱC"},
        {"\x87\x40", u"①"},  // NEC special row
        {"\x87\x8A", u"㈱"},
        {"\x81\x5F", u"＼"},
        {"\x82\xA0\x81\x40\x82\xA2", u"あ　い"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(Decode(c.ansi)), Hex(c.text)) << Hex(c.ansi);
        bool replaced = true;
        EXPECT_EQ(Hex(Utf16ToAnsi(c.text, &replaced)), Hex(c.ansi)) << Hex(c.text);
        EXPECT_FALSE(replaced) << Hex(c.text);
    }
}

TEST_F(AnsiCodePageTest, VendorCharactersSurviveTheRoundTrip) {
    for (const std::u16string text : {u"①", u"㈱", u"髙", u"﨑", u"髙橋と山﨑①㈱"}) {
        bool replaced = true;
        const std::string ansi = Utf16ToAnsi(text, &replaced);
        EXPECT_FALSE(replaced) << Hex(text);
        EXPECT_EQ(ansi.find('?'), std::string::npos) << Hex(ansi);
        EXPECT_EQ(Hex(Decode(ansi)), Hex(text));
    }
    EXPECT_EQ(Utf16ToAnsi(u"髙").size(), 2u);
    EXPECT_EQ(Utf16ToAnsi(u"﨑").size(), 2u);
}

TEST_F(AnsiCodePageTest, UnmappableCharactersBecomeOneQuestionMarkEach) {
    struct Case {
        std::u16string text;
        std::string ansi;
    };
    const Case cases[] = {
        {u"\U0001F600", "?"},  // surrogate pair: one character
        {u"a\U0001F600b", "a?b"},
        {u"\U0001F600\U0001F600", "??"},
        {u"\u0100", "?"},  // not in CP932
        {u"日\u0100本", "\x93\xFA?\x96\x7B"},
        {std::u16string(1, char16_t(0xD800)), "?"},  // lone high surrogate at the end
        {std::u16string{char16_t(0xD800), u'x'}, "?x"},
        {std::u16string{u'x', char16_t(0xDC81), u'y'}, "x?y"},
        {std::u16string{char16_t(0xDFFF), char16_t(0xD83D), char16_t(0xDE00)}, "??"},
    };
    for (const Case& c : cases) {
        bool replaced = false;
        EXPECT_EQ(Hex(Utf16ToAnsi(c.text, &replaced)), Hex(c.ansi)) << Hex(c.text);
        EXPECT_TRUE(replaced) << Hex(c.text);
    }
    // The flag is optional.
    EXPECT_EQ(Utf16ToAnsi(u"\u0100"), "?");
}

TEST_F(AnsiCodePageTest, LongTextsCrossTheWorkBuffers) {
    std::u16string text;
    std::string ansi;
    for (int i = 0; i < 700; ++i) {
        text += u"日\U0001F600";
        ansi += "\x93\xFA?";
    }
    bool replaced = false;
    EXPECT_EQ(Utf16ToAnsi(text, &replaced), ansi);
    EXPECT_TRUE(replaced);

    std::u16string decoded;
    std::string bytes;
    for (int i = 0; i < 700; ++i) {
        bytes += "\x93\xFA\xFF";
        decoded += u"日";
        decoded += char16_t(0xDCFF);
    }
    EXPECT_EQ(Decode(bytes), decoded);
}

TEST_F(AnsiCodePageTest, InvalidBytesKeepTheirValue) {
    struct Case {
        std::string ansi;
        std::u16string text;
    };
    const Case cases[] = {
        {"A\x81", {u'A', 0xDC81}},  // lead byte at the end
        {"\x81", {0xDC81}},
        {"\x81\x20\x93\xFA", {0xDC81, u' ', u'日'}},  // lead byte, then a bad trail byte
        {"\xFF", {0xDCFF}},
        {"\x80", {0xDC80}},
        {"\xA0", {0xDCA0}},
        {"\xFD\xFE", {0xDCFD, 0xDCFE}},
        {"\x93\xFA\xFF\x96\x7B", {u'日', 0xDCFF, u'本'}},
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(Decode(c.ansi)), Hex(c.text)) << Hex(c.ansi);
}

// --- File names -------------------------------------------------------------

TEST(FileNameCodecTest, DecodesUtf8AndKeepsEveryOtherByte) {
    struct Case {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"", u""},
        {"abc.txt", u"abc.txt"},
        {"\xC3\xA9t\xC3\xA9", u"été"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", u"日本"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},  // four bytes: a pair
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"\xEF\xBF\xBD", u"\uFFFD"},
        {"\x80", {0xDC80}},
        {"\xFF", {0xDCFF}},
        {"a\x80"
         "b",
         {u'a', 0xDC80, u'b'}},
        {"\xE6\x97", {0xDCE6, 0xDC97}},  // truncated
        {"\xE6\x97"
         "a",
         {0xDCE6, 0xDC97, u'a'}},
        {"\xC3", {0xDCC3}},
        {"\xC3\x28", {0xDCC3, u'('}},
        {"\xC0\xAF", {0xDCC0, 0xDCAF}},                          // overlong "/"
        {"\xE0\x82\xAF", {0xDCE0, 0xDC82, 0xDCAF}},              // overlong U+00AF
        {"\xF0\x8F\xBF\xBF", {0xDCF0, 0xDC8F, 0xDCBF, 0xDCBF}},  // overlong U+FFFF
        {"\xED\xA0\x80", {0xDCED, 0xDCA0, 0xDC80}},              // encoded surrogate
        {"\xED\xB2\x80", {0xDCED, 0xDCB2, 0xDC80}},              // would read back as U+DC80
        {"\xF4\x90\x80\x80", {0xDCF4, 0xDC90, 0xDC80, 0xDC80}},  // above U+10FFFF
        {"\xF8\x88\x80\x80\x80", {0xDCF8, 0xDC88, 0xDC80, 0xDC80, 0xDC80}},
        {"\xF0\x9F\x98\x80\x80", {0xD83D, 0xDE00, 0xDC80}},
        {"\xF0\x9F\x98", {0xDCF0, 0xDC9F, 0xDC98}},
    };
    for (const Case& c : cases) {
        const std::u16string text = FileNameToUtf16(c.bytes);
        EXPECT_EQ(Hex(text), Hex(c.text)) << Hex(c.bytes);
        EXPECT_EQ(Hex(Utf16ToFileName(text)), Hex(c.bytes)) << "round trip of " << Hex(c.bytes);
    }
}

TEST(FileNameCodecTest, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    all += all;  // each byte also after every other one
    EXPECT_EQ(Utf16ToFileName(FileNameToUtf16(all)), all);
    for (int b = 0x80; b < 0x100; ++b) {
        const std::string one(1, char(b));
        EXPECT_EQ(FileNameToUtf16(one), std::u16string(1, char16_t(0xDC00 + b)));
        EXPECT_EQ(Utf16ToFileName(FileNameToUtf16(one)), one);
    }
}

TEST(FileNameCodecTest, OtherLoneSurrogatesBecomeTheReplacementCharacter) {
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {{0xD800}, "\xEF\xBF\xBD"},
        {{0xDBFF, u'a'},
         "\xEF\xBF\xBD"
         "a"},
        {{0xDC00}, "\xEF\xBF\xBD"},
        {{0xDC41}, "\xEF\xBF\xBD"},  // never an ASCII byte
        {{0xDC7F}, "\xEF\xBF\xBD"},
        {{0xDD00}, "\xEF\xBF\xBD"},
        {{0xDFFF}, "\xEF\xBF\xBD"},
        {{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // pair in the wrong order
        {{0xD83D, 0xDC80}, "\xF0\x9F\x92\x80"},          // a pair wins over a kept byte
        {{0xDC80, 0xDCFF}, "\x80\xFF"},
    };
    for (const Case& c : cases) EXPECT_EQ(Hex(Utf16ToFileName(c.text)), Hex(c.bytes)) << Hex(c.text);
}

}  // namespace
}  // namespace volcatra
