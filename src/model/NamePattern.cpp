#include "model/NamePattern.h"

#include "model/FileEntry.h"

namespace volcatra {

namespace {

constexpr char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}

constexpr bool IsWildcard(char16_t c) {
    return c == u'*' || c == u'?';
}

// Whether the name's characters, upper-cased, equal the (already upper-case)
// pattern characters.
bool EqualsFolded(const char16_t* name, const char16_t* pattern, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (Upper(name[i]) != pattern[i]) return false;
    return true;
}

// The first place in [name, end) where the upper-cased name holds the
// literal [text, text + length), or nullptr. Names are short, so a plain scan
// that looks for the first character before comparing the rest is enough.
const char16_t* FindFolded(const char16_t* name, const char16_t* end, const char16_t* text, size_t length) {
    if (size_t(end - name) < length) return nullptr;
    const char16_t first = text[0];
    const char16_t* last = end - length;
    for (const char16_t* at = name; at <= last; ++at)
        if (Upper(*at) == first && EqualsFolded(at + 1, text + 1, length - 1)) return at;
    return nullptr;
}

}  // namespace

CNamePattern PrepareNamePattern(std::u16string_view typed) {
    CNamePattern pattern;
    if (typed.empty() || typed.find(u'.') == std::u16string_view::npos) {
        pattern.m_text.reserve(typed.size() + 2);
        pattern.m_text += u'*';
        pattern.m_text += typed;
        pattern.m_text += u'*';
    } else {
        pattern.m_text = typed;
    }
    for (char16_t& c : pattern.m_text) c = Upper(c);
    while (pattern.m_tailLength < pattern.m_text.size() &&
           !IsWildcard(pattern.m_text[pattern.m_text.size() - 1 - pattern.m_tailLength]))
        ++pattern.m_tailLength;
    return pattern;
}

bool MatchesNamePattern(std::u16string_view name, const CNamePattern& pattern) {
    const std::u16string& text = pattern.Text();
    const char16_t* p = text.data();
    const char16_t* const pEnd = p + text.size();
    const char16_t* n = name.data();
    const char16_t* const nEnd = n + name.size();

    // A pattern that ends with a literal matches only names that end with
    // it (the rules below bind that literal to the end of the name or fail);
    // this turns most names away after a few characters.
    const size_t tail = pattern.m_tailLength;
    if (tail && (name.size() < tail || !EqualsFolded(nEnd - tail, pEnd - tail, tail))) return false;

    // The whole name equals the pattern, ignoring the case of ASCII letters
    // (wildcard characters in the name then count as themselves).
    if (name.size() == text.size() && EqualsFolded(n, p, text.size())) return true;

    while (n != nEnd) {
        if (p != pEnd && IsWildcard(*p)) {
            // A run of wildcards: at least as many characters as it holds
            // "?", then the literal after it at its first occurrence.
            size_t questionMarks = 0;
            for (; p != pEnd && IsWildcard(*p); ++p)
                if (*p == u'?') ++questionMarks;
            if (questionMarks > size_t(nEnd - n)) return false;
            n += questionMarks;
            if (p == pEnd) return true;
            const char16_t* literal = p;
            while (p != pEnd && !IsWildcard(*p)) ++p;
            const size_t length = size_t(p - literal);
            const char16_t* at = FindFolded(n, nEnd, literal, length);
            if (!at) return false;
            n = at + length;
        } else {
            // A literal at the current place (only ever at the start of the
            // pattern), or nothing left of the pattern for the rest of the
            // name.
            const char16_t* literal = p;
            while (p != pEnd && !IsWildcard(*p)) ++p;
            const size_t length = size_t(p - literal);
            if (size_t(nEnd - n) < length || !EqualsFolded(n, literal, length)) return false;
            n += length;
            if (p == pEnd) return false;
        }
    }
    // The name is used up: only "*" may be left of the pattern.
    for (; p != pEnd; ++p)
        if (*p != u'*') return false;
    return true;
}

bool CFileEntry::MatchName(const CNamePattern& pattern) const {
    return MatchesNamePattern(m_name, pattern);
}

}  // namespace volcatra
