#include "model/CatalogueScan.h"

#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>

#include "model/AnsiCodePage.h"
#include "model/CatalogueStream.h"
#include "model/ExtensionBlocks.h"

namespace volcatra {

namespace {

static_assert(std::endian::native == std::endian::little, "names are copied as little-endian UTF-16");

constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000;
constexpr uint32_t kBigTimeMarker = 0x8000000A;
constexpr uint32_t kSizeMarker = 0xFFFFFF00;
constexpr size_t kMaxClassNameLength = 63;
// Names up to this length are decoded into a fixed buffer: every name in
// the short wide form fits.
constexpr size_t kShortNameLength = 254;

// Any departure from what the scan handles itself. The file is then read
// the ordinary way, which accepts it or reports exactly what is wrong.
struct ScanFallback {};

uint16_t Load16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The decoder of the object part of a file: the roots, their arrays and
// the entries, with the stream's object numbering.
class CScanner {
public:
    CScanner(std::span<const uint8_t> data, size_t start, const CNamePattern& pattern)
        : m_p(data.data() + start), m_end(data.data() + data.size()), m_pattern(pattern) {}

    size_t Remaining() const { return size_t(m_end - m_p); }

    // Reads one tagged root and everything below it.
    void ReadRoot(CScannedVolume& volume, uint32_t& entryCount, uint32_t& markerCount) {
        ReadTag(CRootEntry::s_class);
        TakeNumber();
        auto root = std::make_unique<CRootEntry>();
        root->m_name = ReadText();
        root->m_attributes = ReadU16();
        root->m_iconNumber = int16_t(ReadU16());
        root->m_childIndex = int32_t(ReadU32());
        const uint64_t low = ReadU32();
        root->m_time = ReadTime();
        root->m_volumeName = ReadText();
        root->m_serialNumber = ReadU32();
        root->m_driveType = ReadU16();
        const uint64_t high = ReadU16();
        root->m_usedBytes = high << 32 | low;
        root->m_size = root->m_usedBytes;
        root->m_folderCount = ReadU32();
        root->m_fileCount = ReadU32();
        ReadU32();
        ReadU32();
        const uint32_t arrays = ReadCount();
        m_volume = &volume;
        m_entryCount = 0;
        m_markerCount = 0;
        for (uint32_t a = 0; a < arrays; ++a) {
            ReadTag(CFileArray::s_class);
            TakeNumber();
            auto array = std::make_unique<CFileArray>();
            array->m_path = ReadText();
            const uint32_t entries = ReadCount();
            for (uint32_t e = 0; e < entries; ++e) ReadEntry(a);
            root->m_folders.push_back(std::move(array));
        }
        volume.m_root = std::move(root);
        entryCount = m_entryCount;
        markerCount = m_markerCount;
    }

private:
    const uint8_t* Need(size_t size) {
        if (Remaining() < size) throw ScanFallback{};
        const uint8_t* p = m_p;
        m_p += size;
        return p;
    }
    uint8_t ReadU8() { return *Need(1); }
    uint16_t ReadU16() { return Load16(Need(2)); }
    uint32_t ReadU32() { return Load32(Need(4)); }
    uint64_t ReadU64() {
        const uint64_t lo = ReadU32();
        return lo | uint64_t(ReadU32()) << 32;
    }
    int64_t ReadTime() {
        const uint32_t v = ReadU32();
        if (v == kBigTimeMarker) return int64_t(ReadU64());
        return int32_t(v);
    }
    uint32_t ReadCount() {
        const uint16_t n = ReadU16();
        return n == 0xFFFF ? ReadU32() : n;
    }
    void TakeNumber() {
        if (m_counter >= kMaxStreamNumbers) throw ScanFallback{};
        ++m_counter;
    }

    // A text in any of its length forms, wide or in the ANSI code page.
    std::u16string ReadText() {
        bool wide = false;
        uint64_t length = ReadU8();
        if (length == 0xFF) {
            uint16_t w = ReadU16();
            if (w == 0xFFFE) {
                wide = true;
                length = ReadU8();
                if (length == 0xFF) w = ReadU16();
            }
            if (length == 0xFF) {
                length = w;
                if (w == 0xFFFF) {
                    length = ReadU32();
                    if (length == 0xFFFFFFFF) {
                        length = ReadU64();
                        if (length > 0x7FFFFFFF) throw ScanFallback{};
                    }
                }
            }
        }
        if (wide) {
            const uint8_t* p = Need(length * sizeof(char16_t));
            std::u16string text(static_cast<size_t>(length), u'\0');
            std::memcpy(text.data(), p, length * sizeof(char16_t));
            return text;
        }
        const uint8_t* p = Need(length);
        return AnsiToUtf16(reinterpret_cast<const char*>(p), length);
    }

    // Reads an object's tag, which must name the expected class.
    void ReadTag(const CRuntimeClass& expected) {
        const uint16_t shortTag = ReadU16();
        const uint32_t tag = shortTag == kBigObjectTag
                                 ? ReadU32()
                                 : (uint32_t(shortTag & kClassTag) << 16) | (shortTag & ~kClassTag & 0xFFFF);
        if (!(tag & kBigClassTag)) throw ScanFallback{};
        const CRuntimeClass* cls = nullptr;
        if (shortTag == kNewClassTag) {
            const uint16_t schema = ReadU16();
            const uint16_t nameLength = ReadU16();
            if (nameLength > kMaxClassNameLength) throw ScanFallback{};
            const uint8_t* name = Need(nameLength);
            cls = CRuntimeClass::FromName(std::string_view(reinterpret_cast<const char*>(name), nameLength));
            if (!cls || schema != cls->m_schema) throw ScanFallback{};
            const uint32_t number = m_counter;
            TakeNumber();
            m_classes.emplace(number, cls);
        } else {
            const auto it = m_classes.find(tag & ~kBigClassTag);
            if (it == m_classes.end()) throw ScanFallback{};
            cls = it->second;
            // A number keeps its class for the whole stream, so the same
            // short tag can be taken on sight from now on.
            if (cls == &CFileEntry::s_class && shortTag != kBigObjectTag) m_entryShortTag = shortTag;
        }
        if (cls != &expected) throw ScanFallback{};
    }

    // Whether a name in the file's bytes (UTF-16LE) ends with the pattern's
    // tail, ignoring the case of ASCII letters: most names are turned away
    // here without being copied.
    bool EndsWithTail(const uint8_t* name, size_t length) const {
        const std::u16string_view tail = m_pattern.Tail();
        if (length < tail.size()) return false;
        const uint8_t* p = name + 2 * (length - tail.size());
        for (size_t i = tail.size(); i-- > 0;) {
            char16_t c = char16_t(p[2 * i] | p[2 * i + 1] << 8);
            if (c >= u'a' && c <= u'z') c = char16_t(c - (u'a' - u'A'));
            if (c != tail[i]) return false;
        }
        return true;
    }

    // Reads one tagged entry of array `array` and keeps it when it matches.
    void ReadEntry(uint32_t array) {
        // Nearly every entry's tag is the short reference to the entry class.
        if (Remaining() >= 2 && Load16(m_p) == m_entryShortTag)
            m_p += 2;
        else
            ReadTag(CFileEntry::s_class);
        TakeNumber();

        const char16_t* name = nullptr;
        const uint8_t* rawName = nullptr;
        size_t nameLength;
        if (Remaining() >= 4 && m_p[0] == 0xFF && m_p[1] == 0xFE && m_p[2] == 0xFF && m_p[3] < 0xFF) {
            // The short wide form, as every name under 255 characters is
            // written: matched where it lies, copied only when it may match.
            nameLength = m_p[3];
            m_p += 4;
            rawName = Need(nameLength * sizeof(char16_t));
        } else {
            m_longName = ReadText();
            name = m_longName.data();
            nameLength = m_longName.size();
        }
        const uint8_t* fixed = Need(16);
        const uint16_t attributes = Load16(fixed);
        const uint16_t iconNumber = Load16(fixed + 2);
        const uint32_t childIndex = Load32(fixed + 4);
        const uint32_t size = Load32(fixed + 8);
        const uint32_t time32 = Load32(fixed + 12);
        const int64_t time = time32 == kBigTimeMarker ? int64_t(ReadU64()) : int64_t(int32_t(time32));

        ++m_entryCount;
        const uint32_t marker = size == kSizeMarker ? m_markerCount++ : kNoMarker;
        if (rawName) {
            if (!EndsWithTail(rawName, nameLength)) return;
            std::memcpy(m_name, rawName, nameLength * sizeof(char16_t));
            name = m_name;
        }
        if (!MatchesNamePattern(std::u16string_view(name, nameLength), m_pattern)) return;

        CScannedHit& hit = m_volume->AddHit(array, std::u16string_view(name, nameLength));
        hit.m_attributes = attributes;
        hit.m_iconNumber = int16_t(iconNumber);
        hit.m_childIndex = int32_t(childIndex);
        hit.m_size = size;
        hit.m_time = time;
        hit.m_entryNumber = m_entryCount;
        hit.m_markerOrdinal = marker;
    }

    const uint8_t* m_p;
    const uint8_t* const m_end;
    const CNamePattern& m_pattern;
    // Classes and objects share one numbering starting at 1.
    uint32_t m_counter = 1;
    std::unordered_map<uint32_t, const CRuntimeClass*> m_classes;
    // The short tag known to name the entry class; none at first (no
    // 16-bit value equals the initial one).
    uint32_t m_entryShortTag = 0x10000;

    CScannedVolume* m_volume = nullptr;
    uint32_t m_entryCount = 0;
    uint32_t m_markerCount = 0;
    char16_t m_name[kShortNameLength];
    std::u16string m_longName;
};

ScannedCatalogue Scan(std::span<const uint8_t> data, HeaderAcceptance acceptance, const CNamePattern& pattern,
                      ScannedCatalogue& recycled) {
    CCatalogueStream head(data);
    ReadCatalogueHeader(head, acceptance);
    const uint32_t count = head.ReadCount();

    CScanner scanner(data, head.Position(), pattern);
    ScannedCatalogue volumes;
    struct Totals {
        uint32_t entries = 0;
        uint32_t markers = 0;
    };
    std::vector<Totals> totals;
    for (uint32_t i = 0; i < count; ++i) {
        // Each root takes at least a few bytes: a count beyond what remains
        // ends in the scanner's check before anything large is allocated.
        CScannedVolume& volume = volumes.emplace_back();
        if (i < recycled.size()) {
            // Lists that grew to their size once need not grow again.
            volume.m_hits = std::move(recycled[i].m_hits);
            volume.m_hits.clear();
            volume.m_names = std::move(recycled[i].m_names);
            volume.m_names.clear();
        }
        Totals& t = totals.emplace_back();
        scanner.ReadRoot(volume, t.entries, t.markers);
    }

    // The icon stores and extension lists follow the objects.
    try {
        CCatalogueStream rest(data.subspan(data.size() - scanner.Remaining()));
        for (CScannedVolume& volume : volumes) volume.m_root->m_icons.Serialize(rest);
        for (size_t i = 0; i < volumes.size(); ++i) {
            CRootEntry& root = *volumes[i].m_root;
            ReadExtensionBlocks(rest, root);
            // Block 1 may change the hits' sizes and give them extra texts.
            CScannedVolume& volume = volumes[i];
            std::vector<CNumberedEntry> numbered;
            std::vector<std::u16string> texts;
            if (root.m_extBlocks.size() >= 2) {
                texts.resize(volume.m_hits.size());
                numbered.reserve(volume.m_hits.size());
                for (size_t h = 0; h < volume.m_hits.size(); ++h)
                    numbered.push_back({&volume.m_hits[h].m_size, &texts[h], volume.m_hits[h].m_entryNumber,
                                        volume.m_hits[h].m_markerOrdinal});
            }
            ApplyExtensionBlocks(root, numbered, totals[i].entries, totals[i].markers);
            for (size_t h = 0; h < texts.size(); ++h) {
                if (texts[h].empty()) continue;
                volume.m_extraTexts.push_back(std::move(texts[h]));
                volume.m_hits[h].m_extraText = uint32_t(volume.m_extraTexts.size());
            }
            ReleaseAppliedBlocks(root);
        }
    } catch (const CatalogueError&) {
        throw ScanFallback{};
    }
    return volumes;
}

// The file read whole and then filtered: the same result by the ordinary
// reader, which also gives the exact failure of a file the scan stopped on.
ScannedCatalogue ReadAndFilter(std::span<const uint8_t> data, HeaderAcceptance acceptance,
                               const CNamePattern& pattern) {
    RootList roots = ReadCatalogue(data, acceptance);
    ScannedCatalogue volumes;
    for (auto& root : roots) {
        CScannedVolume& volume = volumes.emplace_back();
        for (size_t a = 0; a < root->m_folders.size(); ++a) {
            for (const auto& entry : root->m_folders[a]->m_entries)
                if (entry->MatchName(pattern)) volume.AddEntry(uint32_t(a), *entry);
            root->m_folders[a]->m_entries.clear();
        }
        volume.m_root = std::move(root);
    }
    return volumes;
}

}  // namespace

CScannedHit& CScannedVolume::AddHit(uint32_t array, std::u16string_view name) {
    CScannedHit& hit = m_hits.emplace_back();
    hit.m_array = array;
    hit.m_nameOffset = m_names.size();
    hit.m_nameLength = name.size();
    m_names.append(name);
    return hit;
}

void CScannedVolume::AddEntry(uint32_t array, const CFileEntry& entry) {
    CScannedHit& hit = AddHit(array, entry.m_name);
    hit.m_attributes = entry.m_attributes;
    hit.m_iconNumber = entry.m_iconNumber;
    hit.m_childIndex = entry.m_childIndex;
    hit.m_size = entry.m_size;
    hit.m_time = entry.m_time;
    if (!entry.m_extraText.empty()) {
        m_extraTexts.push_back(entry.m_extraText);
        hit.m_extraText = uint32_t(m_extraTexts.size());
    }
}

void CScannedVolume::GetEntry(size_t index, CFileEntry& entry) const {
    const CScannedHit& hit = m_hits[index];
    entry.m_name.assign(m_names, hit.m_nameOffset, hit.m_nameLength);
    if (hit.m_extraText)
        entry.m_extraText = m_extraTexts[hit.m_extraText - 1];
    else
        entry.m_extraText.clear();
    entry.m_time = hit.m_time;
    entry.m_attributes = hit.m_attributes;
    entry.m_iconNumber = hit.m_iconNumber;
    entry.m_size = hit.m_size;
    entry.m_childIndex = hit.m_childIndex;
    entry.m_imageIndex = 0;
    entry.m_rootStamp = 0;
}

ScannedCatalogue ScanCatalogue(std::span<const uint8_t> data, HeaderAcceptance acceptance, const CNamePattern& pattern,
                               ScannedCatalogue recycled) {
    try {
        try {
            return Scan(data, acceptance, pattern, recycled);
        } catch (const ScanFallback&) {
        }
        return ReadAndFilter(data, acceptance, pattern);
    } catch (const std::bad_alloc&) {
        throw CatalogueError::General("out of memory");
    } catch (const std::length_error&) {
        throw CatalogueError::General("out of memory");
    }
}

}  // namespace volcatra
