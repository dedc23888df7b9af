// What libudfread does not report about UDF entries: times, permissions
// and the hidden flag, read from the File Identifier Descriptors and File
// Entries of a directory. Covers the usual layout of data discs (one
// physical partition, 2048-byte blocks); for anything else it finds
// nothing and the entries keep the facts the library gives.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/ByteSource.h"

namespace volcatra {

struct UdfEntryFacts {
    uint64_t icbBlock = 0;  // the entry's File Entry, as a block of the partition
    bool hidden = false;
    bool directory = false;
    bool writable = false;  // the owner may write
    int64_t time = 0;       // last modification, seconds since 1970 UTC; 0 unknown
};

class UdfMetadata {
public:
    // The partition and the root directory's File Entry from the volume's
    // descriptors; nullopt when they are not in the usual layout.
    static std::optional<UdfMetadata> Open(const IByteSource& disc);

    uint64_t RootBlock() const { return m_rootBlock; }
    // The entries of the directory whose File Entry is at block, by name
    // (UTF-8); nullopt when the directory cannot be read this way.
    std::optional<std::map<std::string, UdfEntryFacts>> ReadDirectory(uint64_t block) const;

private:
    UdfMetadata(const IByteSource& disc, uint64_t partitionStart, uint64_t partitionLength, uint64_t rootBlock)
        : m_disc(&disc), m_partitionStart(partitionStart), m_partitionLength(partitionLength), m_rootBlock(rootBlock) {}

    const IByteSource* m_disc;
    uint64_t m_partitionStart;
    uint64_t m_partitionLength;
    uint64_t m_rootBlock;
};

}  // namespace volcatra
