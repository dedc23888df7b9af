// Extension blocks of a root: block 0 holds the comment in the ANSI code
// page, block 1 the values and texts the main records cannot hold (the full
// used bytes, sizes from 0xFFFFFF00 on, comments the code page cannot hold,
// the entries' extra texts). Blocks from the third on are kept as read.
#pragma once

#include "model/FileEntry.h"

namespace volcatra {

class CCatalogueStream;

// Builds blocks 0 and 1 of the root just before it is written.
void PrepareExtensionBlocks(CRootEntry& root);

// Writes or reads the root's extension list; after reading, applies it.
// Either way blocks 0 and 1 are released afterwards (the slot count stays).
void SerializeExtensionList(CCatalogueStream& stream, CRootEntry& root);

// Moves the content of blocks 0 and 1 into the root and its entries.
void ApplyExtensionBlocks(CRootEntry& root);

}  // namespace volcatra
