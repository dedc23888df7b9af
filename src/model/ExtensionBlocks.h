// Extension blocks of a root: block 0 holds the comment in the ANSI code
// page, block 1 the values and texts the main records cannot hold (the full
// used bytes, sizes from 0xFFFFFF00 on, comments the code page cannot hold,
// the entries' extra texts). Blocks from the third on are kept as read.
#pragma once

#include <cstdint>
#include <span>

#include "model/FileEntry.h"

namespace volcatra {

class CCatalogueStream;

// Builds blocks 0 and 1 of the root just before it is written.
void PrepareExtensionBlocks(CRootEntry& root);

// Writes or reads the root's extension list; after reading, applies it.
// Either way blocks 0 and 1 are released afterwards (the slot count stays).
void SerializeExtensionList(CCatalogueStream& stream, CRootEntry& root);

// The parts of reading the list: the blocks as stored; moving the content
// of blocks 0 and 1 into the root and its entries; releasing those two.
void ReadExtensionBlocks(CCatalogueStream& stream, CRootEntry& root);
void ApplyExtensionBlocks(CRootEntry& root);
void ReleaseAppliedBlocks(CRootEntry& root);

// What block 1 may change of an entry (its size and its extra text), with
// the entry's place among all the root's entries: its number in file order
// (from 1) and, when its recorded size is the size marker, the marker's
// ordinal among the marked entries (from 0).
inline constexpr uint32_t kNoMarker = 0xFFFFFFFF;
struct CNumberedEntry {
    uint64_t* m_size;
    CEntryText* m_extraText;
    uint32_t m_number;
    uint32_t m_markerOrdinal = kNoMarker;
};

// The same for a root of which only some entries were kept: entries (in
// file order) are those kept, entryCount and markerCount count all of the
// root's entries and marked entries. The kept entries get exactly what they
// would get in the whole root.
void ApplyExtensionBlocks(CRootEntry& root, std::span<const CNumberedEntry> entries, uint32_t entryCount,
                          uint32_t markerCount);

}  // namespace volcatra
