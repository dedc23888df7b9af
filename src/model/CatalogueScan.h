// Searching a catalogue file by name without building its whole tree.
//
// A search needs only the entries whose names match, yet reading a file
// into objects creates one entry and one name per recorded file. The scan
// decodes the same bytes with the same checks as ReadCatalogue but keeps
// only the volumes, their folder paths and the matching entries.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/CatalogueFile.h"
#include "model/FileEntry.h"
#include "model/NamePattern.h"

namespace volcatra {

// A matching entry, kept compactly: a search may keep millions of them.
struct CScannedHit {
    uint32_t m_array = 0;  // position of its array in the volume's m_folders
    uint16_t m_attributes = 0;
    int16_t m_iconNumber = 0;
    int32_t m_childIndex = 0;
    uint32_t m_extraText = 0;  // 0 for none, k for the volume's m_extraTexts[k - 1]
    // Its place among all the volume's entries: its number in file order
    // (from 1) and, when its recorded size is the size marker, the marker's
    // ordinal (see CNumberedEntry).
    uint32_t m_entryNumber = 0;
    uint32_t m_markerOrdinal = 0;
    uint64_t m_size = 0;
    int64_t m_time = 0;
    size_t m_nameOffset = 0;  // in the volume's m_names
    size_t m_nameLength = 0;
};

class CScannedVolume {
public:
    // The volume as ReadCatalogue gives it (record, icons, comment, used
    // bytes), except that its arrays hold their paths but no entries.
    std::unique_ptr<CRootEntry> m_root;
    // The entries whose names match, in file order, each exactly as
    // ReadCatalogue would have read it (sizes and extra texts from the
    // extension blocks included).
    std::vector<CScannedHit> m_hits;
    // The hits' names, one after the other, and their extra texts.
    std::u16string m_names;
    std::vector<std::u16string> m_extraTexts;

    // Keeps an entry of array `array`: the name here, the rest to be filled
    // in; or the whole of an entry.
    CScannedHit& AddHit(uint32_t array, std::u16string_view name);
    void AddEntry(uint32_t array, const CFileEntry& entry);
    // Makes entry the hit's entry (reusing its storage).
    void GetEntry(size_t hit, CFileEntry& entry) const;
};

using ScannedCatalogue = std::vector<CScannedVolume>;

// Decodes a catalogue file and keeps the entries that match the pattern.
// Accepts and rejects exactly the files ReadCatalogue accepts and rejects,
// throwing the same CatalogueError; nothing is kept from a file that fails.
// The storage of a result no longer needed (recycled) is used again.
ScannedCatalogue ScanCatalogue(std::span<const uint8_t> data, HeaderAcceptance acceptance, const CNamePattern& pattern,
                               ScannedCatalogue recycled = {});

}  // namespace volcatra
