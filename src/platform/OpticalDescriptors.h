// The volume descriptors of optical discs (ISO 9660 and UDF), read from
// the disc's 2048-byte sectors wherever they come from: a drive, an image
// file, raw sectors of a .bin. One set of rules for label, serial number
// and space in use, so that a disc and an image of it give the same
// volume.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ByteSource.h"

namespace volcatra {

// The file system an image holds, recognised by content.
enum class DiscFileSystem {
    None,
    Iso9660,  // CD001 at sector 16, no UDF anchor
    Udf,      // a UDF anchor at sector 256 (with or without ISO 9660 beside it)
};

struct DiscImageProbe {
    DiscFileSystem fileSystem = DiscFileSystem::None;
    bool hasIso9660 = false;  // an ISO 9660 side (also in a hybrid)
    SectorLayout layout;
    // A UDF anchor found only for another block size (512, 1024, 4096):
    // that block size, which cannot be read.
    uint32_t unsupportedUdfBlockSize = 0;
};

// Looks for CD001 at sector 16 and the UDF anchor at sector 256, in plain
// 2048-byte sectors and in raw 2352-byte sectors (recognised by the sync
// pattern of the first sector).
DiscImageProbe ProbeDiscImage(const IByteSource& image);

// "iso9660" or "udf", as the mount table names them; empty for None.
std::string_view DiscFileSystemName(DiscFileSystem fileSystem);

// The serial number Windows shows for the disc: for ISO 9660 four wrapping
// byte sums over the Joliet supplementary descriptor (else the primary
// one), for UDF the same over the File Set Descriptor with the lanes in
// reverse order. sessionStart is the first sector of the last session of a
// multisession disc (0 otherwise). fsType is "iso9660" or "udf".
std::optional<uint32_t> OpticalDiscSerial(const IByteSource& disc, std::string_view fsType, uint64_t sessionStart = 0);

// The label the system gives the mounted disc: ISO 9660 the Joliet volume
// identifier (continued by the primary one when that is longer), else the
// primary one; UDF the logical volume identifier, else the primary volume
// descriptor's. Trailing blanks removed. nullopt when the descriptors are
// not there.
std::optional<std::u16string> OpticalDiscLabel(const IByteSource& disc, std::string_view fsType,
                                               uint64_t sessionStart = 0);

// The bytes in use as a mounted disc reports them: ISO 9660 the volume
// space size times the logical block size; UDF the partition size less the
// free space the logical volume integrity descriptor records.
std::optional<uint64_t> OpticalDiscUsedBytes(const IByteSource& disc, std::string_view fsType,
                                             uint64_t sessionStart = 0);

// The logical block size of a UDF volume (from its logical volume
// descriptor); 0 when it cannot be read.
uint32_t UdfLogicalBlockSize(const IByteSource& disc, uint64_t sessionStart = 0);

}  // namespace volcatra
