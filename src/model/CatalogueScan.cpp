#include "model/CatalogueScan.h"

#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "model/CatalogueStream.h"
#include "model/ExtensionBlocks.h"

namespace volcatra {

namespace {

static_assert(std::endian::native == std::endian::little, "names are copied as little-endian UTF-16");

constexpr uint64_t kSizeMarker = 0xFFFFFF00;
// Names up to this length are decoded into a fixed buffer: every name in
// the short wide form fits.
constexpr size_t kShortNameLength = 254;

// Reads the objects of a file through the catalogue stream, with its checks
// and its numbering, but creates no object for an entry that does not match.
class CScanner {
public:
    CScanner(CCatalogueStream& stream, const CNamePattern& pattern) : m_stream(stream), m_pattern(pattern) {}

    // Reads one tagged root and everything below it; counts the root's
    // entries and the entries holding the size marker.
    void ReadRoot(CScannedVolume& volume, uint32_t& entryCount, uint32_t& markerCount) {
        m_stream.ReadObjectTag(CRootEntry::s_class);
        auto root = std::make_unique<CRootEntry>();
        const uint32_t arrays = root->ReadOwnRecord(m_stream);
        entryCount = 0;
        markerCount = 0;
        for (uint32_t a = 0; a < arrays; ++a) {
            m_stream.ReadObjectTag(CFileArray::s_class);
            auto array = std::make_unique<CFileArray>();
            const uint32_t entries = array->ReadOwnRecord(m_stream);
            for (uint32_t e = 0; e < entries; ++e) ReadEntry(volume, a, entryCount, markerCount);
            root->m_folders.push_back(std::move(array));
        }
        volume.m_root = std::move(root);
    }

private:
    // Whether a name in the file's bytes (UTF-16LE) ends with the pattern's
    // tail, ignoring the case of ASCII letters: most names are turned away
    // here without being copied.
    bool EndsWithTail(std::span<const uint8_t> name) const {
        const std::u16string_view tail = m_pattern.Tail();
        if (name.size() < 2 * tail.size()) return false;
        const uint8_t* p = name.data() + name.size() - 2 * tail.size();
        for (size_t i = tail.size(); i-- > 0;) {
            char16_t c = char16_t(p[2 * i] | p[2 * i + 1] << 8);
            if (c >= u'a' && c <= u'z') c = char16_t(c - (u'a' - u'A'));
            if (c != tail[i]) return false;
        }
        return true;
    }

    // Reads one tagged entry of array `array` and keeps it when it matches.
    void ReadEntry(CScannedVolume& volume, uint32_t array, uint32_t& entryCount, uint32_t& markerCount) {
        m_stream.ReadObjectTag(CFileEntry::s_class);
        // Names in the short wide form, as every name under 255 characters
        // is written, are matched where they lie and copied only when they
        // may match.
        std::span<const uint8_t> raw;
        const bool inPlace = m_stream.ReadShortWideText(raw);
        if (!inPlace) m_longName = m_stream.ReadText();
        const uint16_t attributes = m_stream.ReadU16();
        const uint16_t iconNumber = m_stream.ReadU16();
        const uint32_t childIndex = m_stream.ReadU32();
        const uint32_t size = m_stream.ReadU32();
        const int64_t time = m_stream.ReadTime();

        ++entryCount;
        const uint32_t marker = size == kSizeMarker ? markerCount++ : kNoMarker;
        std::u16string_view name = m_longName;
        if (inPlace) {
            if (!EndsWithTail(raw)) return;
            std::memcpy(m_name, raw.data(), raw.size());
            name = std::u16string_view(m_name, raw.size() / 2);
        }
        if (!MatchesNamePattern(name, m_pattern)) return;

        CScannedHit& hit = volume.AddHit(array, name);
        hit.m_attributes = attributes;
        hit.m_iconNumber = int16_t(iconNumber);
        hit.m_childIndex = int32_t(childIndex);
        hit.m_size = size;
        hit.m_time = time;
        hit.m_entryNumber = entryCount;
        hit.m_markerOrdinal = marker;
    }

    CCatalogueStream& m_stream;
    const CNamePattern& m_pattern;
    char16_t m_name[kShortNameLength];
    std::u16string m_longName;
};

ScannedCatalogue Scan(std::span<const uint8_t> data, HeaderAcceptance acceptance, const CNamePattern& pattern,
                      ScannedCatalogue& recycled) {
    CCatalogueStream stream(data);
    ReadCatalogueHeader(stream, acceptance);
    const uint32_t count = stream.ReadCount();

    CScanner scanner(stream, pattern);
    ScannedCatalogue volumes;
    struct Totals {
        uint32_t entries = 0;
        uint32_t markers = 0;
    };
    std::vector<Totals> totals;
    for (uint32_t i = 0; i < count; ++i) {
        // Each root takes some bytes: a count beyond what remains ends in
        // the stream's check before anything large is allocated.
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
    for (CScannedVolume& volume : volumes) volume.m_root->m_icons.Serialize(stream);
    for (size_t i = 0; i < volumes.size(); ++i) {
        CScannedVolume& volume = volumes[i];
        CRootEntry& root = *volume.m_root;
        ReadExtensionBlocks(stream, root);
        // Block 1 may change the hits' sizes and give them extra texts.
        std::vector<CNumberedEntry> numbered;
        std::vector<CEntryText> texts;
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
            volume.m_extraTexts.push_back(texts[h].str());
            volume.m_hits[h].m_extraText = uint32_t(volume.m_extraTexts.size());
        }
        ReleaseAppliedBlocks(root);
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
                if (entry.MatchName(pattern)) volume.AddEntry(uint32_t(a), entry);
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
        m_extraTexts.push_back(entry.m_extraText.str());
        hit.m_extraText = uint32_t(m_extraTexts.size());
    }
}

void CScannedVolume::GetEntry(size_t index, CFileEntry& entry) const {
    const CScannedHit& hit = m_hits[index];
    entry.m_name = std::u16string_view(m_names).substr(hit.m_nameOffset, hit.m_nameLength);
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
        } catch (const CatalogueError&) {
            // A file the scan cannot take is read the ordinary way, which
            // reports exactly what is wrong with it.
        }
        return ReadAndFilter(data, acceptance, pattern);
    } catch (const std::bad_alloc&) {
        throw CatalogueError::General("out of memory");
    } catch (const std::length_error&) {
        throw CatalogueError::General("out of memory");
    }
}

}  // namespace volcatra
