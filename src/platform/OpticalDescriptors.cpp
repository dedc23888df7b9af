#include "platform/OpticalDescriptors.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "model/FileNameCodec.h"
#include "platform/DiscBytes.h"

namespace volcatra {

namespace {

using Sector = DiscSector;

// Volume descriptors follow each other from sector 16; a disc has a
// handful of them, so every search is bounded.
constexpr uint64_t kMaxDescriptors = 64;

// Four 8-bit sums that wrap: lane k adds bytes k, k+4, k+8, ...
std::array<uint8_t, 4> LaneSums(const Sector& block) {
    std::array<uint8_t, 4> lanes{};
    for (size_t i = 0; i < block.size(); ++i) lanes[i % 4] = uint8_t(lanes[i % 4] + block[i]);
    return lanes;
}

bool IsJoliet(const Sector& s) {
    return s[0] == 2 && s[88] == '%' && s[89] == '/' && (s[90] == '@' || s[90] == 'C' || s[90] == 'E');
}

struct IsoDescriptors {
    std::optional<Sector> primary;
    std::optional<Sector> joliet;
};

IsoDescriptors ReadIsoDescriptors(const IByteSource& disc, uint64_t sessionStart) {
    IsoDescriptors found;
    Sector sector{};
    for (uint64_t s = 16; s < 16 + kMaxDescriptors; ++s) {
        if (!ReadDiscSector(disc, sessionStart + s, sector)) break;
        if (std::memcmp(sector.data() + 1, "CD001", 5) != 0) break;
        const unsigned char type = sector[0];
        if (type == 255) break;
        if (type == 1 && !found.primary) found.primary = sector;
        if (!found.joliet && IsJoliet(sector)) found.joliet = sector;
    }
    return found;
}

struct UdfDescriptors {
    std::optional<uint32_t> partitionStart;
    std::optional<uint32_t> partitionLength;
    std::optional<uint32_t> fsdBlock;
    std::optional<Sector> logicalVolume;
    std::optional<Sector> primaryVolume;
};

std::optional<UdfDescriptors> ReadUdfDescriptors(const IByteSource& disc, uint64_t sessionStart) {
    Sector sector{};
    if (!ReadDiscSector(disc, sessionStart + 256, sector) || Le16(sector.data()) != 2) return std::nullopt;
    const uint32_t sequenceLength = Le32(sector.data() + 16);
    const uint32_t sequenceStart = Le32(sector.data() + 20);
    UdfDescriptors found;
    const uint32_t count = std::min<uint32_t>(sequenceLength / kDiscSectorSize, kMaxDescriptors);
    for (uint32_t i = 0; i < count; ++i) {
        if (!ReadDiscSector(disc, sessionStart + uint64_t(sequenceStart) + i, sector)) break;
        const uint16_t tag = Le16(sector.data());
        if (tag == 1 && !found.primaryVolume) found.primaryVolume = sector;
        if (tag == 5 && !found.partitionStart) {
            found.partitionStart = Le32(sector.data() + 188);
            found.partitionLength = Le32(sector.data() + 192);
        }
        if (tag == 6 && !found.logicalVolume) {
            found.logicalVolume = sector;
            found.fsdBlock = Le32(sector.data() + 252);
        }
        if (tag == 8) break;  // terminating descriptor
    }
    return found;
}

// An OSTA compressed Unicode "dstring" of a descriptor: compression id 8
// (one byte per character) or 16 (UTF-16BE), the used length in the last
// byte.
std::u16string DecodeDString(const unsigned char* field, size_t size) {
    if (size < 2) return {};
    size_t used = field[size - 1];
    if (used > size - 1) used = size - 1;
    if (used < 1) return {};
    std::u16string text;
    const unsigned char id = field[0];
    if (id == 8) {
        for (size_t i = 1; i < used; ++i) text.push_back(char16_t(field[i]));
    } else if (id == 16) {
        for (size_t i = 1; i + 1 < used; i += 2) text.push_back(char16_t(field[i] << 8 | field[i + 1]));
    }
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
}

void TrimBlanks(std::u16string& text) {
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\0')) text.pop_back();
}

std::u16string IsoPrimaryLabel(const Sector& pvd) {
    std::string bytes(reinterpret_cast<const char*>(pvd.data() + 40), 32);
    std::u16string label = FileNameToUtf16(bytes);
    TrimBlanks(label);
    return label;
}

std::u16string IsoJolietLabel(const Sector& svd) {
    std::u16string label;
    for (size_t i = 40; i + 1 < 72; i += 2) label.push_back(char16_t(svd[i] << 8 | svd[i + 1]));
    TrimBlanks(label);
    return label;
}

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

}  // namespace

DiscImageProbe ProbeDiscImage(const IByteSource& image) {
    DiscImageProbe probe;
    static constexpr unsigned char kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    unsigned char head[16] = {};
    if (image.Read(0, head, sizeof(head)) && std::memcmp(head, kSync, sizeof(kSync)) == 0) {
        probe.layout.frameSize = 2352;
        probe.layout.dataOffset = head[15] == 2 ? 24 : 16;
    }
    const DiscSectorSource disc(image, probe.layout);
    unsigned char id[6] = {};
    probe.hasIso9660 =
        disc.Read(16 * uint64_t(kDiscSectorSize), id, sizeof(id)) && std::memcmp(id + 1, "CD001", 5) == 0;
    unsigned char tag[16] = {};
    if (disc.Read(256 * uint64_t(kDiscSectorSize), tag, sizeof(tag)) && ValidUdfTag(tag, 2)) {
        probe.fileSystem = DiscFileSystem::Udf;
    } else if (probe.hasIso9660) {
        probe.fileSystem = DiscFileSystem::Iso9660;
    }
    if (probe.fileSystem == DiscFileSystem::None && !probe.layout.IsRaw()) {
        for (uint32_t blockSize : {512u, 1024u, 4096u}) {
            if (image.Read(256 * uint64_t(blockSize), tag, sizeof(tag)) && ValidUdfTag(tag, 2)) {
                probe.unsupportedUdfBlockSize = blockSize;
                break;
            }
        }
    }
    return probe;
}

std::string_view DiscFileSystemName(DiscFileSystem fileSystem) {
    switch (fileSystem) {
        case DiscFileSystem::Iso9660:
            return "iso9660";
        case DiscFileSystem::Udf:
            return "udf";
        case DiscFileSystem::None:
            break;
    }
    return {};
}

std::optional<uint32_t> OpticalDiscSerial(const IByteSource& disc, std::string_view fsType, uint64_t sessionStart) {
    if (fsType == "iso9660") {
        const IsoDescriptors found = ReadIsoDescriptors(disc, sessionStart);
        const Sector* chosen = found.joliet ? &*found.joliet : found.primary ? &*found.primary : nullptr;
        if (!chosen) return std::nullopt;
        const auto lanes = LaneSums(*chosen);
        return uint32_t(lanes[0]) << 24 | uint32_t(lanes[1]) << 16 | uint32_t(lanes[2]) << 8 | uint32_t(lanes[3]);
    }
    if (fsType == "udf") {
        const std::optional<UdfDescriptors> found = ReadUdfDescriptors(disc, sessionStart);
        if (!found) return std::nullopt;
        Sector sector{};
        bool fsd = false;
        if (found->partitionStart && found->fsdBlock) {
            const uint64_t fsdSector = sessionStart + uint64_t(*found->partitionStart) + *found->fsdBlock;
            fsd = ReadDiscSector(disc, fsdSector, sector) && Le16(sector.data()) == 256;
        }
        if (!fsd && !ReadDiscSector(disc, sessionStart + 257, sector)) return std::nullopt;
        const auto lanes = LaneSums(sector);
        return uint32_t(lanes[3]) << 24 | uint32_t(lanes[2]) << 16 | uint32_t(lanes[1]) << 8 | uint32_t(lanes[0]);
    }
    return std::nullopt;
}

std::optional<std::u16string> OpticalDiscLabel(const IByteSource& disc, std::string_view fsType,
                                               uint64_t sessionStart) {
    if (fsType == "iso9660") {
        const IsoDescriptors found = ReadIsoDescriptors(disc, sessionStart);
        if (!found.primary) return std::nullopt;
        const std::u16string primary = IsoPrimaryLabel(*found.primary);
        if (!found.joliet) return primary;
        std::u16string joliet = IsoJolietLabel(*found.joliet);
        if (joliet.empty()) return primary;
        // Joliet identifiers hold 16 characters: a longer primary label that
        // begins with the same letters goes on where the Joliet one stops.
        if (joliet.size() == 16 && primary.size() > 16) {
            bool same = true;
            for (size_t i = 0; i < 16 && same; ++i) same = AsciiUpper(joliet[i]) == AsciiUpper(primary[i]);
            if (same) joliet += primary.substr(16);
        }
        return joliet;
    }
    if (fsType == "udf") {
        const std::optional<UdfDescriptors> found = ReadUdfDescriptors(disc, sessionStart);
        if (!found) return std::nullopt;
        std::u16string label;
        if (found->logicalVolume) label = DecodeDString(found->logicalVolume->data() + 84, 128);
        if (label.empty() && found->primaryVolume) label = DecodeDString(found->primaryVolume->data() + 24, 32);
        TrimBlanks(label);
        return label;
    }
    return std::nullopt;
}

std::optional<uint64_t> OpticalDiscUsedBytes(const IByteSource& disc, std::string_view fsType, uint64_t sessionStart) {
    if (fsType == "iso9660") {
        const IsoDescriptors found = ReadIsoDescriptors(disc, sessionStart);
        if (!found.primary) return std::nullopt;
        return uint64_t(Le32(found.primary->data() + 80)) * Le16(found.primary->data() + 128);
    }
    if (fsType == "udf") {
        const std::optional<UdfDescriptors> found = ReadUdfDescriptors(disc, sessionStart);
        if (!found || !found->partitionLength || !found->logicalVolume) return std::nullopt;
        const uint64_t blockSize = Le32(found->logicalVolume->data() + 212);
        const uint64_t length = *found->partitionLength;
        uint64_t freeBlocks = 0;
        const uint32_t integrityLength = Le32(found->logicalVolume->data() + 432);
        const uint32_t integrityStart = Le32(found->logicalVolume->data() + 436);
        Sector sector{};
        if (integrityLength >= 80 && ReadDiscSector(disc, sessionStart + integrityStart, sector) &&
            Le16(sector.data()) == 9 && Le32(sector.data() + 72) >= 1) {
            const uint32_t recorded = Le32(sector.data() + 80);
            if (recorded != 0xFFFFFFFF && recorded <= length) freeBlocks = recorded;
        }
        return (length - freeBlocks) * blockSize;
    }
    return std::nullopt;
}

uint32_t UdfLogicalBlockSize(const IByteSource& disc, uint64_t sessionStart) {
    const std::optional<UdfDescriptors> found = ReadUdfDescriptors(disc, sessionStart);
    if (!found || !found->logicalVolume) return 0;
    return Le32(found->logicalVolume->data() + 212);
}

}  // namespace volcatra
