// Tiny Windows executables made in memory for the icon tests: a PE32 file
// whose only section holds a resource tree, and 32-bit icon images.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace volcatra::testing {

inline void PutLE(std::vector<uint8_t>& out, size_t at, uint64_t value, int bytes) {
    if (out.size() < at + size_t(bytes)) out.resize(at + size_t(bytes));
    for (int i = 0; i < bytes; ++i) out[at + size_t(i)] = uint8_t(value >> (8 * i));
}

// An icon image as stored in an RT_ICON resource or an .ico file: a
// bottom-up 32-bit DIB of size x size pixels, all of argb (0xAARRGGBB),
// followed by an empty AND mask.
inline std::vector<uint8_t> MakeIconDib(int size, uint32_t argb) {
    std::vector<uint8_t> dib;
    PutLE(dib, 0, 40, 4);
    PutLE(dib, 4, uint32_t(size), 4);
    PutLE(dib, 8, uint32_t(size * 2), 4);
    PutLE(dib, 12, 1, 2);
    PutLE(dib, 14, 32, 2);
    const size_t pixels = size_t(size) * size_t(size);
    for (size_t i = 0; i < pixels; ++i) PutLE(dib, 40 + 4 * i, argb, 4);
    const size_t maskRow = ((size_t(size) + 31) / 32) * 4;
    dib.resize(dib.size() + maskRow * size_t(size), 0);
    return dib;
}

// An RT_GROUP_ICON entry naming RT_ICON id.
struct GroupIconEntry {
    int size;
    int bitCount;
    uint16_t iconId;
    uint32_t bytes;
};

inline std::vector<uint8_t> MakeGroupIcon(const std::vector<GroupIconEntry>& entries) {
    std::vector<uint8_t> group;
    PutLE(group, 0, 0, 2);
    PutLE(group, 2, 1, 2);
    PutLE(group, 4, entries.size(), 2);
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t at = 6 + 14 * i;
        const GroupIconEntry& e = entries[i];
        PutLE(group, at, e.size >= 256 ? 0 : uint32_t(e.size), 1);
        PutLE(group, at + 1, e.size >= 256 ? 0 : uint32_t(e.size), 1);
        PutLE(group, at + 2, 0, 2);
        PutLE(group, at + 4, 1, 2);
        PutLE(group, at + 6, uint32_t(e.bitCount), 2);
        PutLE(group, at + 8, e.bytes, 4);
        PutLE(group, at + 12, e.iconId, 2);
    }
    return group;
}

// resources[type] = {(id, data)}, ids in ascending order as a linker writes
// them. The file has one section at virtual address 0x1000, file offset
// 0x200, holding the resource tree.
inline std::vector<uint8_t> MakePeFile(
    const std::map<uint32_t, std::vector<std::pair<uint32_t, std::vector<uint8_t>>>>& resources) {
    constexpr uint32_t kSectionRva = 0x1000;
    constexpr size_t kSectionOffset = 0x200;
    std::vector<uint8_t> rsrc;
    // Layout: root, the type directories, the language directories, the data
    // entries, then the data.
    size_t cursor = 16 + 8 * resources.size();
    std::map<uint32_t, size_t> typeAt;
    size_t leafCount = 0;
    for (const auto& [type, items] : resources) {
        typeAt[type] = cursor;
        cursor += 16 + 8 * items.size();
        leafCount += items.size();
    }
    size_t languageAt = cursor;
    size_t dataEntryAt = languageAt + leafCount * 24;
    size_t dataAt = dataEntryAt + leafCount * 16;
    PutLE(rsrc, 14, resources.size(), 2);
    size_t typeIndex = 0;
    for (const auto& [type, items] : resources) {
        PutLE(rsrc, 16 + 8 * typeIndex, type, 4);
        PutLE(rsrc, 16 + 8 * typeIndex + 4, 0x80000000u | typeAt[type], 4);
        ++typeIndex;
        const size_t dir = typeAt[type];
        PutLE(rsrc, dir + 14, items.size(), 2);
        for (size_t i = 0; i < items.size(); ++i) {
            PutLE(rsrc, dir + 16 + 8 * i, items[i].first, 4);
            PutLE(rsrc, dir + 16 + 8 * i + 4, 0x80000000u | languageAt, 4);
            PutLE(rsrc, languageAt + 14, 1, 2);
            PutLE(rsrc, languageAt + 16, 0x411, 4);
            PutLE(rsrc, languageAt + 20, dataEntryAt, 4);
            PutLE(rsrc, dataEntryAt, kSectionRva + dataAt, 4);
            PutLE(rsrc, dataEntryAt + 4, items[i].second.size(), 4);
            rsrc.resize(std::max(rsrc.size(), dataAt));
            rsrc.insert(rsrc.begin() + long(dataAt), items[i].second.begin(), items[i].second.end());
            rsrc.resize(dataAt + items[i].second.size());
            languageAt += 24;
            dataEntryAt += 16;
            dataAt = (dataAt + items[i].second.size() + 3) & ~size_t(3);
        }
    }
    rsrc.resize((rsrc.size() + 0x1FF) & ~size_t(0x1FF));

    std::vector<uint8_t> file(kSectionOffset, 0);
    file[0] = 'M';
    file[1] = 'Z';
    PutLE(file, 0x3C, 64, 4);
    PutLE(file, 64, 0x00004550, 4);
    PutLE(file, 68, 0x14C, 2);   // i386
    PutLE(file, 70, 1, 2);       // sections
    PutLE(file, 84, 224, 2);     // optional header size
    PutLE(file, 86, 0x0102, 2);  // executable, 32-bit
    const size_t optional = 88;
    PutLE(file, optional, 0x10B, 2);
    PutLE(file, optional + 92, 16, 4);
    PutLE(file, optional + 96 + 16, kSectionRva, 4);
    PutLE(file, optional + 96 + 20, rsrc.size(), 4);
    const size_t section = optional + 224;
    const char name[] = ".rsrc";
    for (size_t i = 0; i < 5; ++i) file[section + i] = uint8_t(name[i]);
    PutLE(file, section + 8, rsrc.size(), 4);
    PutLE(file, section + 12, kSectionRva, 4);
    PutLE(file, section + 16, rsrc.size(), 4);
    PutLE(file, section + 20, kSectionOffset, 4);
    file.insert(file.end(), rsrc.begin(), rsrc.end());
    return file;
}

// An executable with one group icon of one 32 x 32 and one 16 x 16 image,
// both of colour argb.
inline std::vector<uint8_t> MakeExeWithIcon(uint32_t argb) {
    const auto large = MakeIconDib(32, argb);
    const auto small = MakeIconDib(16, argb);
    return MakePeFile({
        {3, {{1, large}, {2, small}}},
        {14, {{1, MakeGroupIcon({{32, 32, 1, uint32_t(large.size())}, {16, 32, 2, uint32_t(small.size())}})}}},
    });
}

}  // namespace volcatra::testing
