// Small readers shared by the disc image code: little-endian numbers, one
// sector of a disc, and the check of a UDF descriptor tag.
#pragma once

#include <array>
#include <cstdint>

#include "platform/ByteSource.h"

namespace volcatra {

using DiscSector = std::array<unsigned char, kDiscSectorSize>;

inline uint16_t Le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint64_t Le64(const unsigned char* p) {
    return uint64_t(Le32(p)) | uint64_t(Le32(p + 4)) << 32;
}

// Reads sector number `sector` of the disc; false when it lies beyond the end.
inline bool ReadDiscSector(const IByteSource& disc, uint64_t sector, DiscSector& buffer) {
    return sector <= UINT64_MAX / kDiscSectorSize && disc.Read(sector * kDiscSectorSize, buffer.data(), buffer.size());
}

// A UDF descriptor tag: its identifier, and the checksum over the 16 tag
// bytes (byte 4 holds the sum of the others).
inline bool ValidUdfTag(const unsigned char* p, uint16_t identifier) {
    if (Le16(p) != identifier) return false;
    uint8_t sum = 0;
    for (int i = 0; i < 16; ++i)
        if (i != 4) sum = uint8_t(sum + p[i]);
    return sum == p[4];
}

}  // namespace volcatra
