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
#include <vector>

#include "model/CatalogueFile.h"
#include "model/FileEntry.h"
#include "model/NamePattern.h"

namespace volcatra {

// A matching entry and the position of its array in the volume's m_folders.
struct CScannedHit {
    uint32_t m_array = 0;
    std::unique_ptr<CFileEntry> m_entry;
};

struct CScannedVolume {
    // The volume as ReadCatalogue gives it (record, icons, comment, used
    // bytes), except that its arrays hold their paths but no entries.
    std::unique_ptr<CRootEntry> m_root;
    // The entries whose names match, in file order, each exactly as
    // ReadCatalogue would have read it (sizes and extra texts from the
    // extension blocks included).
    std::vector<CScannedHit> m_hits;
};

using ScannedCatalogue = std::vector<CScannedVolume>;

// Decodes a catalogue file and keeps the entries that match the pattern.
// Accepts and rejects exactly the files ReadCatalogue accepts and rejects,
// throwing the same CatalogueError; nothing is kept from a file that fails.
ScannedCatalogue ScanCatalogue(std::span<const uint8_t> data, HeaderAcceptance acceptance, const CNamePattern& pattern);

}  // namespace volcatra
