// Preparing typed name texts and matching names against them: runs of
// wildcards as one unit, no backtracking, ASCII-only case folding.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/FileEntry.h"
#include "model/NamePattern.h"

namespace volcatra {
namespace {

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? char(c) : '#';
    return out;
}

TEST(NamePatternTest, PrepareSurroundsTextsWithoutDotAndUpperCasesAscii) {
    struct Case {
        std::u16string typed;
        std::u16string prepared;
    };
    const Case cases[] = {
        {u"report", u"*REPORT*"},
        {u"readme.txt", u"README.TXT"},
        {u"", u"**"},
        {u"*.txt", u"*.TXT"},
        {u"a?c", u"*A?C*"},
        {u".", u"."},
        {u"ｆｕｌｌ", u"*ｆｕｌｌ*"},  // full-width letters stay as they are
        {u"ä.txt", u"ä.TXT"},          // so do other letters outside ASCII
        {u"Mixed_Case-09", u"*MIXED_CASE-09*"},
        {u"x.Y.z", u"X.Y.Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.typed));
        EXPECT_EQ(PrepareNamePattern(c.typed).Text(), c.prepared);
    }
}

// Prepared patterns against names, as the matching rules give them.
TEST(NamePatternTest, MatchPreparedPatterns) {
    struct Case {
        std::u16string pattern;  // typed; prepared by the test
        std::u16string name;
        bool matches;
    };
    const Case cases[] = {
        // One "?" needs at least one character: the run is one unit.
        {u"A?.TXT", u"ABCDEF.TXT", true},
        {u"A.?", u"A.BC", true},
        // Two "?" need two characters.
        {u"A.??", u"A.B", false},
        // The literal after a run is bound to its first occurrence.
        {u"*.TXT", u"A.TXT.TXT", false},
        {u"*.C", u"A.C.C", false},
        {u"*.GZ", u"DATA.TAR.GZ", true},
        {u"*.GZ", u"GZ.GZ", true},
        // More of the same rules.
        {u"A.??", u"A.BC", true},
        {u"A.??", u"A.BCD", true},
        {u"*?.TXT", u".TXT", false},
        {u"?.?", u".", false},
        {u"*.*", u"NODOT", false},
        {u"*.*", u"A.B", true},
        {u"*.", u"A.", true},
        {u"A.*", u"A.", true},  // a trailing "*" may stand for nothing
        {u"A.?*", u"A.", false},
        {u"A.*?", u"A.B", true},
        {u"A.TXT", u"A.TXTX", false},
        {u"A.TXT", u"XA.TXT", false},
        {u"a.txt", u"A.TXT", true},
        {u"*.TXT", u"a.txt", true},
        {u"*AB.X", u"AB.XAB.X", false},  // no second try at the later occurrence
        {u"*AB?.X", u"ABABC.X", true},
        {u"*.TXT*", u"A.TXT.TXT", true},
        // Texts without a dot are surrounded by "*" first.
        {u"**", u"", true},
        {u"?", u"", false},
        {u"?", u"X", true},
        // Wildcard characters in a name count as themselves when the whole
        // name equals the pattern.
        {u"A?.TXT", u"a?.txt", true},
        {u"?.TXT", u"?.TXT", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.pattern) + " / " + Narrow(c.name));
        const CNamePattern pattern = PrepareNamePattern(c.pattern);
        CFileEntry entry;
        entry.m_name = c.name;
        EXPECT_EQ(entry.MatchName(pattern), c.matches);
        EXPECT_EQ(MatchesNamePattern(c.name, pattern), c.matches);
    }
}

// Typed name texts and what they find (prepared first, as the search does).
TEST(NamePatternTest, TypedTextsFindAndMiss) {
    struct Case {
        std::u16string typed;
        std::vector<std::u16string> finds;
        std::vector<std::u16string> misses;
    };
    const Case cases[] = {
        {u"conf", {u"config.sys", u"MyConf.ini"}, {u"cnf.ini"}},
        {u"readme.txt", {u"README.TXT", u"readme.txt"}, {u"README.TXT.BAK", u"XREADME.TXT"}},
        {u"*.txt", {u"A.TXT"}, {u"A.TXT.TXT"}},
        {u"abc.*", {u"ABC.D"}, {u"ABC"}},
        {u"?.txt", {u"AB.TXT", u"A.TXT"}, {u".TXT"}},
        // No folding between full-width and ASCII letters.
        {u"ｆ", {u"ｆｕｌｌ", u"ｆｕｌｌ.txt"}, {u"file.txt"}},
        // No case folding outside ASCII.
        {u"Ｆ*.txt", {u"Ｆｕｌｌ.txt"}, {u"ｆｕｌｌ.txt"}},
        // An empty text finds every name.
        {u"", {u"", u"a", u"x.y", u"名前"}, {}},
        // Letters with accents are not folded either.
        {u"é", {u"café"}, {u"CAFÉ"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.typed));
        const CNamePattern pattern = PrepareNamePattern(c.typed);
        for (const std::u16string& name : c.finds) EXPECT_TRUE(MatchesNamePattern(name, pattern)) << Narrow(name);
        for (const std::u16string& name : c.misses) EXPECT_FALSE(MatchesNamePattern(name, pattern)) << Narrow(name);
    }
}

// Code units above 0x7F, lone surrogates (names of undecodable bytes) and
// NUL are ordinary characters.
TEST(NamePatternTest, AnyCodeUnitIsAnOrdinaryCharacter) {
    const CNamePattern pattern = PrepareNamePattern(u"*\xDC80?.\x00e9");
    EXPECT_TRUE(MatchesNamePattern(std::u16string(u"x\xDC80y.\x00e9"), pattern));
    EXPECT_FALSE(MatchesNamePattern(std::u16string(u"x\xDC81y.\x00e9"), pattern));
    const std::u16string withNul(u"A\0B.TXT", 7);
    EXPECT_TRUE(MatchesNamePattern(withNul, PrepareNamePattern(u"*.txt")));
    EXPECT_TRUE(MatchesNamePattern(withNul, PrepareNamePattern(std::u16string(u"a\0?.txt", 7))));
}

// The matching rules followed step by step on copies of the texts, as the
// reference for the matcher, which folds in place and turns names away early.
bool ReferenceMatch(const std::u16string& name, const std::u16string& prepared) {
    auto upper = [](std::u16string text) {
        for (char16_t& c : text)
            if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
        return text;
    };
    auto wild = [](char16_t c) { return c == u'*' || c == u'?'; };
    std::u16string p = prepared;
    std::u16string n = upper(name);
    if (n == upper(p)) return true;
    while (!n.empty()) {
        if (!p.empty() && wild(p[0])) {
            size_t run = 0;
            size_t k = 0;
            while (run < p.size() && wild(p[run])) k += p[run++] == u'?';
            p.erase(0, run);
            if (k > n.size()) return false;
            n.erase(0, k);
            if (p.empty()) return true;
            size_t t = 0;
            while (t < p.size() && !wild(p[t])) ++t;
            const size_t at = n.find(p.substr(0, t));
            if (at == std::u16string::npos) return false;
            n.erase(0, at + t);
            p.erase(0, t);
        } else {
            size_t t = 0;
            while (t < p.size() && !wild(p[t])) ++t;
            if (n.compare(0, t, p, 0, t) != 0 || n.size() < t) return false;
            n.erase(0, t);
            p.erase(0, t);
            if (p.empty()) return false;
        }
    }
    return p.find_first_not_of(u'*') == std::u16string::npos;
}

TEST(NamePatternTest, AgreesWithTheRulesOnManyTexts) {
    // Short texts over a small alphabet reach every branch many times.
    const char16_t alphabet[] = {u'A', u'a', u'b', u'.', u'*', u'?', u'\xFF21'};
    uint32_t state = 1;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    auto text = [&](size_t maxLength) {
        std::u16string t;
        for (size_t length = next() % (maxLength + 1); length; --length) t += alphabet[next() % 7];
        return t;
    };
    int matches = 0;
    for (int i = 0; i < 200'000; ++i) {
        const std::u16string typed = text(6);
        const std::u16string name = text(8);
        const CNamePattern pattern = PrepareNamePattern(typed);
        const bool expected = ReferenceMatch(name, pattern.Text());
        matches += expected;
        ASSERT_EQ(MatchesNamePattern(name, pattern), expected) << Narrow(pattern.Text()) << " / " << Narrow(name);
    }
    EXPECT_GT(matches, 10'000);
}

}  // namespace
}  // namespace volcatra
