#include "platform/UdfMetadata.h"

#include <array>
#include <cstring>
#include <ctime>
#include <vector>

#include "model/FileNameCodec.h"
#include "platform/DiscBytes.h"

namespace volcatra {

namespace {

using Block = DiscSector;

// A directory larger than this is no directory of a real disc.
constexpr uint64_t kMaxDirectoryBytes = 64u << 20;
constexpr size_t kMaxExtents = 4096;

// A UDF timestamp: type and time zone (minutes from UTC in 12 bits,
// -2047 for none), year, month, day, hour, minute, second.
int64_t Timestamp(const unsigned char* t) {
    const uint16_t typeAndZone = Le16(t);
    int zone = typeAndZone & 0x0FFF;
    if (zone & 0x0800) zone -= 0x1000;
    if (zone == -2047 || (typeAndZone >> 12) != 1) zone = 0;
    const int year = int16_t(Le16(t + 2));
    if (year < 1900 || t[4] < 1 || t[4] > 12 || t[5] < 1 || t[5] > 31 || t[6] > 23 || t[7] > 59 || t[8] > 60) return 0;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = t[4] - 1;
    tm.tm_mday = t[5];
    tm.tm_hour = t[6];
    tm.tm_min = t[7];
    tm.tm_sec = t[8];
    return int64_t(timegm(&tm)) - int64_t(zone) * 60;
}

// An OSTA compressed Unicode name (compression id 8 or 16) as UTF-8.
std::optional<std::string> DecodeName(const unsigned char* p, size_t length) {
    if (length < 1) return std::nullopt;
    std::u16string text;
    if (p[0] == 8) {
        for (size_t i = 1; i < length; ++i) text.push_back(char16_t(p[i]));
    } else if (p[0] == 16) {
        for (size_t i = 1; i + 1 < length; i += 2) text.push_back(char16_t(p[i] << 8 | p[i + 1]));
    } else {
        return std::nullopt;
    }
    return Utf16ToFileName(text);
}

}  // namespace

std::optional<UdfMetadata> UdfMetadata::Open(const IByteSource& disc) {
    Block block{};
    if (!ReadDiscSector(disc, 256, block) || !ValidUdfTag(block.data(), 2)) return std::nullopt;
    const uint32_t sequenceLength = Le32(block.data() + 16);
    const uint32_t sequenceStart = Le32(block.data() + 20);
    std::optional<uint64_t> partitionStart, partitionLength, fsdBlock;
    for (uint32_t i = 0; i < std::min<uint32_t>(sequenceLength / kDiscSectorSize, 64); ++i) {
        if (!ReadDiscSector(disc, uint64_t(sequenceStart) + i, block)) break;
        const uint16_t tag = Le16(block.data());
        if (tag == 5 && !partitionStart) {
            partitionStart = Le32(block.data() + 188);
            partitionLength = Le32(block.data() + 192);
        }
        if (tag == 6 && !fsdBlock) {
            // Only a single physical (type 1) partition map is read here.
            if (Le32(block.data() + 268) != 1 || block[440] != 1) return std::nullopt;
            fsdBlock = Le32(block.data() + 252);
        }
        if (tag == 8) break;
    }
    if (!partitionStart || !fsdBlock) return std::nullopt;
    if (*fsdBlock >= *partitionLength || !ReadDiscSector(disc, *partitionStart + *fsdBlock, block) ||
        !ValidUdfTag(block.data(), 256))
        return std::nullopt;
    const uint64_t root = Le32(block.data() + 400 + 4);  // root directory ICB (long_ad)
    if (root >= *partitionLength) return std::nullopt;
    return UdfMetadata(disc, *partitionStart, *partitionLength, root);
}

std::optional<std::map<std::string, UdfEntryFacts>> UdfMetadata::ReadDirectory(uint64_t feBlock) const {
    const IByteSource& disc = *m_disc;
    Block fe{};
    if (feBlock >= m_partitionLength || !ReadDiscSector(disc, m_partitionStart + feBlock, fe)) return std::nullopt;
    const bool extended = ValidUdfTag(fe.data(), 266);
    if (!extended && !ValidUdfTag(fe.data(), 261)) return std::nullopt;
    const size_t eaLengthAt = extended ? 208 : 168;
    const size_t eaStart = extended ? 216 : 176;
    const uint64_t eaLength = Le32(fe.data() + eaLengthAt);
    const uint64_t adLength = Le32(fe.data() + eaLengthAt + 4);
    if (eaStart + eaLength + adLength > fe.size()) return std::nullopt;
    const unsigned char* ads = fe.data() + eaStart + eaLength;
    const uint64_t size = Le64(fe.data() + 56);
    if (size > kMaxDirectoryBytes) return std::nullopt;

    // The directory's bytes: embedded in the entry, or in extents.
    std::vector<unsigned char> data;
    const unsigned adType = Le16(fe.data() + 34) & 7;
    if (adType == 3) {
        if (size > adLength) return std::nullopt;
        data.assign(ads, ads + size);
    } else if (adType == 0 || adType == 1) {
        const size_t adSize = adType == 0 ? 8 : 16;
        for (size_t at = 0, n = 0; at + adSize <= adLength && data.size() < size && n < kMaxExtents;
             at += adSize, ++n) {
            const uint32_t length = Le32(ads + at) & 0x3FFFFFFF;
            const uint32_t position = Le32(ads + at + 4);
            if (length == 0) break;
            if ((Le32(ads + at) >> 30) != 0) continue;  // not recorded
            const uint64_t blocks = (uint64_t(length) + kDiscSectorSize - 1) / kDiscSectorSize;
            if (position >= m_partitionLength || blocks > m_partitionLength - position) return std::nullopt;
            const size_t old = data.size();
            const size_t take = size_t(std::min<uint64_t>(length, size - old));
            data.resize(old + take);
            if (!disc.Read((m_partitionStart + position) * kDiscSectorSize, data.data() + old, take))
                return std::nullopt;
        }
        if (data.size() != size) return std::nullopt;
    } else {
        return std::nullopt;
    }

    std::map<std::string, UdfEntryFacts> entries;
    size_t at = 0;
    while (at + 38 <= data.size()) {
        const unsigned char* fid = data.data() + at;
        if (!ValidUdfTag(fid, 257)) return std::nullopt;
        const unsigned characteristics = fid[18];
        const size_t nameLength = fid[19];
        const size_t useLength = Le16(fid + 36);
        const size_t length = (38 + useLength + nameLength + 3) / 4 * 4;
        if (at + 38 + useLength + nameLength > data.size()) return std::nullopt;
        at += length;
        if (characteristics & 0x0C) continue;  // deleted, or the parent
        std::optional<std::string> name = DecodeName(fid + 38 + useLength, nameLength);
        if (!name) continue;
        UdfEntryFacts facts;
        facts.icbBlock = Le32(fid + 24);
        facts.hidden = (characteristics & 0x01) != 0;
        facts.directory = (characteristics & 0x02) != 0;
        Block entry{};
        if (facts.icbBlock < m_partitionLength && ReadDiscSector(disc, m_partitionStart + facts.icbBlock, entry)) {
            const bool ext = ValidUdfTag(entry.data(), 266);
            if (ext || ValidUdfTag(entry.data(), 261)) {
                facts.writable = (Le32(entry.data() + 44) & 0x800) != 0;
                facts.time = Timestamp(entry.data() + (ext ? 92 : 84));
            }
        }
        entries.emplace(std::move(*name), facts);
    }
    return entries;
}

}  // namespace volcatra
