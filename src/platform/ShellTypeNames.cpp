#include "platform/ShellTypeNames.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QMimeDatabase>
#include <QMimeType>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

using namespace Qt::StringLiterals;

namespace volcatra {

namespace {

// Names the database is asked about one by one, remembered with their type
// text: catalogues repeat such names (Makefile, README, core in every source
// tree), so a bounded memory of recent ones saves most of those lookups.
constexpr size_t kRememberedNames = 4096;
// Answers shared by all names with the same key (see BuildKey); cleared
// when full, as catalogues have far fewer distinct keys than this.
constexpr size_t kRememberedKeys = 65536;
// Longer names are looked up on their own (see IsKeyable).
constexpr size_t kLongestKeyedName = 1024;

// Pattern letters are compared through this folding, on both sides. It maps
// every character that can match an ASCII pattern letter to that letter's
// lower case: the database lowers names (U+0130 becomes "i" + U+0307, the
// Kelvin sign "k") and matches its wildcard patterns ignoring case in the
// Unicode sense (U+017F is an "s"). Characters mapped to the same value are
// not always matched alike, which only makes the checks below pass more
// often than the database would: the name then goes to the database.
inline char16_t Fold(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
    switch (c) {
        case 0x0130:  // LATIN CAPITAL LETTER I WITH DOT ABOVE
        case 0x0131:  // LATIN SMALL LETTER DOTLESS I
            return u'i';
        case 0x017F:  // LATIN SMALL LETTER LONG S
            return u's';
        case 0x212A:  // KELVIN SIGN
            return u'k';
        default:
            return c;
    }
}

// Whether text, folded, equals the folded literal (of the same length).
inline bool FoldedEquals(const char16_t* text, const std::u16string& folded) {
    for (size_t i = 0; i < folded.size(); ++i)
        if (Fold(text[i]) != folded[i]) return false;
    return true;
}

std::u16string FoldAll(QStringView text) {
    std::u16string folded(static_cast<size_t>(text.size()), u'\0');
    for (qsizetype i = 0; i < text.size(); ++i) folded[static_cast<size_t>(i)] = Fold(text[i].unicode());
    return folded;
}

// The database's patterns that are not of the "*.suffix" form, i.e. those
// whose match may depend on the part of a name before its first dot.
struct CGlobRule {
    enum Kind {
        Whole,   // no wildcard: the name must equal head
        Prefix,  // "head*": decided by the name's first head.size() characters
        Suffix,  // "*tail": decided by the name's last tail.size() characters
        Other,   // any other form: a name can only match if it begins with head and ends with tail
    };
    Kind kind;
    std::u16string head;  // folded
    std::u16string tail;  // folded
    char16_t keyId;       // tags the characters a Prefix or Suffix pattern adds to a key
};

// First (or last) characters index the patterns; folded values above ASCII
// share the last bucket.
constexpr size_t kBuckets = 129;
inline size_t Bucket(char16_t folded) {
    return folded < 0x80 ? folded : kBuckets - 1;
}

// The glob patterns of every type. The database reads each of its "mime"
// folders; update-mime-database writes all the patterns of a folder, one per
// line as "weight:type:pattern[:flags]", to a globs2 file there, which is
// read in about a millisecond. Without such a file in every folder the
// types are asked one by one, which parses every type's description (about
// a tenth of a second). More patterns than the database uses (those of a
// folder that a later one overrides) only make fewer names share answers.
QStringList AllGlobPatterns(const QMimeDatabase& database) {
    QStringList patterns;
    const QStringList folders =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, u"mime"_s, QStandardPaths::LocateDirectory);
    bool complete = !folders.isEmpty();
    for (const QString& folder : folders) {
        QFile globs(folder + u"/globs2"_s);
        if (!globs.open(QIODevice::ReadOnly)) {
            complete = false;
            break;
        }
        while (!globs.atEnd()) {
            const QByteArray line = globs.readLine().trimmed();
            if (line.isEmpty() || line.startsWith('#')) continue;
            // The pattern is all after the second colon, without the flags.
            const qsizetype first = line.indexOf(':');
            const qsizetype second = first < 0 ? -1 : line.indexOf(':', first + 1);
            if (second < 0) continue;
            QByteArray pattern = line.mid(second + 1);
            if (pattern.endsWith(":cs")) pattern.chop(3);
            patterns.append(QString::fromUtf8(pattern));
        }
    }
    if (complete) return patterns;
    patterns.clear();
    for (const QMimeType& type : database.allMimeTypes()) patterns += type.globPatterns();
    return patterns;
}

}  // namespace

struct CMimeTypeNames::Impl {
    QMimeDatabase m_database;
    // Descriptions by MIME type name: a description is read from the
    // database's XML once per type and process.
    QHash<QString, std::u16string> m_descriptions;
    bool m_folderKnown = false;
    std::u16string m_folder;

    size_t m_lookups = 0;
    bool m_patternsKnown = false;
    std::vector<CGlobRule> m_patterns;
    // Indices into m_patterns by the folded first character of head
    // (Whole, Prefix, Other with a head) and by the folded last character of
    // tail (Suffix, Other without a head).
    std::array<std::vector<uint16_t>, kBuckets> m_byFirst;
    std::array<std::vector<uint16_t>, kBuckets> m_byLast;
    // A pattern without any literal part (such as "*"): no name can be
    // typed without the database.
    bool m_everyNameAsked = false;
    // Some pattern has a character beyond ASCII, whose cases the folding
    // does not relate: names with such characters go to the database.
    bool m_foreignLetters = false;

    std::unordered_map<std::u16string, std::u16string> m_byName;
    std::unordered_map<std::u16string, std::u16string> m_byKey;
    std::u16string m_key;  // reused to build keys without allocating

    const std::u16string& Describe(const QMimeType& type) {
        auto it = m_descriptions.find(type.name());
        if (it == m_descriptions.end()) it = m_descriptions.insert(type.name(), type.comment().toStdU16String());
        return *it;
    }

    std::u16string AskDatabase(std::u16string_view name) {
        ++m_lookups;
        const QList<QMimeType> types = m_database.mimeTypesForFileName(
            QString(reinterpret_cast<const QChar*>(name.data()), static_cast<qsizetype>(name.size())));
        if (!types.isEmpty() && types.first().isValid()) return Describe(types.first());
        return {};
    }

    void LoadPatterns();
    bool IsKeyable(std::u16string_view name, size_t& firstDot) const;
    bool BuildKey(std::u16string_view name, size_t firstDot);
    const std::u16string& TypeOf(std::u16string_view name);
};

// Sorts every glob pattern of the database. A pattern beginning with "*."
// needs nothing per name: whatever it matches, its dot stands for one of the
// name's dots and the rest for the text after it, so the answer depends only
// on the part of the name from its first dot on, which is part of every key.
void CMimeTypeNames::Impl::LoadPatterns() {
    m_patternsKnown = true;
    const auto isWildcard = [](QChar c) {
        // Both brackets count, so that the tail of "[0-9].x" is ".x". A
        // backslash may quote the next character: counting it only shortens
        // the literal text, which keeps the checks on the safe side.
        return c == u'*' || c == u'?' || c == u'[' || c == u']' || c == u'\\';
    };
    for (const QString& glob : AllGlobPatterns(m_database)) {
        if (glob.isEmpty() || glob.startsWith(u"*.")) continue;
        qsizetype firstWildcard = 0;
        while (firstWildcard < glob.size() && !isWildcard(glob[firstWildcard])) ++firstWildcard;
        qsizetype lastWildcard = glob.size() - 1;
        while (lastWildcard >= 0 && !isWildcard(glob[lastWildcard])) --lastWildcard;

        CGlobRule pattern{CGlobRule::Other, {}, {}, 0};
        if (firstWildcard == glob.size()) {
            pattern.kind = CGlobRule::Whole;
            pattern.head = FoldAll(glob);
        } else {
            pattern.head = FoldAll(QStringView(glob).left(firstWildcard));
            pattern.tail = FoldAll(QStringView(glob).mid(lastWildcard + 1));
            if (firstWildcard == lastWildcard && glob[firstWildcard] == u'*') {
                // One star and nothing else: "head*" or "*tail" ("*" alone stays Other).
                if (pattern.tail.empty() && !pattern.head.empty()) pattern.kind = CGlobRule::Prefix;
                if (pattern.head.empty() && !pattern.tail.empty()) pattern.kind = CGlobRule::Suffix;
            }
        }
        for (const QChar c : glob)
            if (c.unicode() >= 0x80) m_foreignLetters = true;
        if (m_patterns.size() >= 0xFFFF) {
            m_everyNameAsked = true;
            continue;
        }
        const auto index = static_cast<uint16_t>(m_patterns.size());
        pattern.keyId = static_cast<char16_t>(index);
        if (!pattern.head.empty())
            m_byFirst[Bucket(pattern.head.front())].push_back(index);
        else if (!pattern.tail.empty())
            m_byLast[Bucket(pattern.tail.back())].push_back(index);
        else
            m_everyNameAsked = true;
        m_patterns.push_back(std::move(pattern));
    }
}

// Builds m_key for a name whose first dot is at firstDot > 0: the part from
// that dot on, then the exact characters each Prefix or Suffix pattern looks
// at, for those whose literal the name has. Two names with the same key are
// matched by the same patterns, hence typed alike. Returns false when the
// name may match a Whole or Other pattern, or when a Suffix pattern's literal
// spans the whole name (the database then looks at the name's length): such
// a name is looked up on its own.
bool CMimeTypeNames::Impl::BuildKey(std::u16string_view name, size_t firstDot) {
    const size_t length = name.size();
    const std::u16string_view dotted = name.substr(firstDot);
    m_key.clear();
    // Lengths and pattern tags take fixed places, so no key is read two ways.
    m_key.push_back(static_cast<char16_t>(dotted.size() >> 16));
    m_key.push_back(static_cast<char16_t>(dotted.size() & 0xFFFF));
    m_key.append(dotted);

    for (const uint16_t index : m_byFirst[Bucket(Fold(name.front()))]) {
        const CGlobRule& pattern = m_patterns[index];
        const size_t headLength = pattern.head.size();
        if (length < headLength || !FoldedEquals(name.data(), pattern.head)) continue;
        switch (pattern.kind) {
            case CGlobRule::Whole:
                if (length == headLength) return false;
                break;
            case CGlobRule::Prefix:
                m_key.push_back(pattern.keyId);
                m_key.append(name.substr(0, headLength));
                break;
            default: {
                const size_t tailLength = pattern.tail.size();
                if (length >= tailLength && FoldedEquals(name.data() + length - tailLength, pattern.tail)) return false;
                break;
            }
        }
    }
    for (const uint16_t index : m_byLast[Bucket(Fold(name.back()))]) {
        const CGlobRule& pattern = m_patterns[index];
        const size_t tailLength = pattern.tail.size();
        if (length < tailLength || !FoldedEquals(name.data() + length - tailLength, pattern.tail)) continue;
        if (pattern.kind != CGlobRule::Suffix || length == tailLength) return false;
        m_key.push_back(pattern.keyId);
        m_key.append(name.substr(length - tailLength));
    }
    return true;
}

// Whether the name can be typed through a key, judged from its characters:
// it has a dot after its first character (the database does not let "*.x"
// match ".x" itself), no path (the database types the part after the last
// slash), no unpaired surrogate (the database's wildcard matching fails on
// such text whatever the pattern) and a length well below what that
// matching's work limits could cut short. Sets firstDot.
bool CMimeTypeNames::Impl::IsKeyable(std::u16string_view name, size_t& firstDot) const {
    if (m_everyNameAsked || name.size() > kLongestKeyedName) return false;
    firstDot = std::u16string_view::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c < 0x80) {
            if (c == u'.' && firstDot == std::u16string_view::npos) firstDot = i;
            if (c == u'/') return false;
            continue;
        }
        if (m_foreignLetters) return false;
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c >= 0xDC00 || i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return firstDot != std::u16string_view::npos && firstDot > 0;
}

// The database's answer depends only on which of its patterns match the
// name, so names known to be matched by the same patterns share one answer;
// other names go to the database, remembered by their full text. Reading
// the patterns waits until some names were looked up, so that a short
// listing never pays for it.
const std::u16string& CMimeTypeNames::Impl::TypeOf(std::u16string_view name) {
    if (!m_patternsKnown && m_lookups >= kLookupsBeforeSharing) LoadPatterns();
    if (size_t firstDot = 0; m_patternsKnown && IsKeyable(name, firstDot) && BuildKey(name, firstDot)) {
        if (const auto known = m_byKey.find(m_key); known != m_byKey.end()) return known->second;
        std::u16string description = AskDatabase(name);
        if (m_byKey.size() >= kRememberedKeys) m_byKey.clear();
        return m_byKey.emplace(m_key, std::move(description)).first->second;
    }
    std::u16string full(name);
    if (const auto known = m_byName.find(full); known != m_byName.end()) return known->second;
    std::u16string description = AskDatabase(name);
    if (m_byName.size() >= kRememberedNames) m_byName.clear();
    return m_byName.emplace(std::move(full), std::move(description)).first->second;
}

CMimeTypeNames::CMimeTypeNames() : m_impl(std::make_unique<Impl>()) {}

CMimeTypeNames::~CMimeTypeNames() = default;

std::u16string CMimeTypeNames::GetTypeName(std::u16string_view name, bool folder) const {
    return TypeNameOf(name, folder);
}

const std::u16string& CMimeTypeNames::TypeNameOf(std::u16string_view name, bool folder) const {
    Impl& impl = *m_impl;
    if (folder) {
        if (!impl.m_folderKnown) {
            const QMimeType type = impl.m_database.mimeTypeForName(QStringLiteral("inode/directory"));
            if (type.isValid()) impl.m_folder = type.comment().toStdU16String();
            impl.m_folderKnown = true;
        }
        return impl.m_folder;
    }
    return impl.TypeOf(name);
}

}  // namespace volcatra
