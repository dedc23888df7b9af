// Name patterns of the search: "*" and "?" wildcards over entry names.
//
// The matching is deliberately simple and has no backtracking: a run of
// wildcards is one unit that needs at least as many characters as it holds
// "?", and the literal text after it is bound to its first occurrence in the
// rest of the name. Only the ASCII letters are folded; every other character
// is compared by its 16-bit code unit. Catalogues and users rely on exactly
// these results, so they must not be "improved".
#pragma once

#include <string>
#include <string_view>

namespace volcatra {

class CNamePattern;

// Prepares a typed name text: a text without any "." (or an empty one) is
// surrounded by "*", so that it finds every name containing it; then the
// letters a to z become A to Z.
CNamePattern PrepareNamePattern(std::u16string_view typed);

// A name pattern made by PrepareNamePattern.
class CNamePattern {
public:
    // The prepared text, for example *REPORT* or README.TXT.
    const std::u16string& Text() const { return m_text; }
    // The literal the text ends with (empty when it ends with a wildcard):
    // every name that matches ends with it, ignoring the case of ASCII
    // letters.
    std::u16string_view Tail() const { return std::u16string_view(m_text).substr(m_text.size() - m_tailLength); }

private:
    friend CNamePattern PrepareNamePattern(std::u16string_view typed);
    friend bool MatchesNamePattern(std::u16string_view name, const CNamePattern& pattern);
    std::u16string m_text;
    // Length of the literal the text ends with (0 when it ends with a
    // wildcard): every name that matches ends with it.
    size_t m_tailLength = 0;
};

// Whether a name matches a prepared pattern. Allocates nothing; the name is
// folded to upper case while it is compared.
bool MatchesNamePattern(std::u16string_view name, const CNamePattern& pattern);

}  // namespace volcatra
