#include "model/ExtensionBlocks.h"

#include <algorithm>
#include <cstring>

#include "model/AnsiCodePage.h"
#include "model/CatalogueStream.h"

namespace volcatra {

namespace {

constexpr uint64_t kSizeMarker = 0xFFFFFF00;
constexpr uint64_t kUsedBytesLimit = 0xFFFFFFFF0000ull;

struct TextRecord {
    uint32_t number;
    std::u16string_view text;
};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void Put64(std::vector<uint8_t>& out, uint64_t v) {
    Put32(out, uint32_t(v));
    Put32(out, uint32_t(v >> 32));
}

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t Get64(const uint8_t* p) {
    return Get32(p) | uint64_t(Get32(p + 4)) << 32;
}

// Block 0's text: up to its first zero byte or its end.
std::string_view Block0Text(const std::vector<uint8_t>& block) {
    const char* p = reinterpret_cast<const char*>(block.data());
    const void* zero = std::memchr(p, 0, block.size());
    return std::string_view(p, zero ? static_cast<const char*>(zero) - p : block.size());
}

}  // namespace

void PrepareExtensionBlocks(CRootEntry& root) {
    auto& blocks = root.m_extBlocks;
    if (blocks.size() < 2) blocks.resize(2);

    std::vector<uint64_t> values{root.m_usedBytes};
    std::vector<TextRecord> records;

    blocks[0].clear();
    if (!root.m_comment.empty()) {
        bool replaced = false;
        const std::string ansi = Utf16ToAnsi(root.m_comment, &replaced);
        blocks[0].assign(ansi.begin(), ansi.end());
        blocks[0].push_back(0);
        if (replaced) records.push_back({0, root.m_comment});
    }

    uint32_t number = 0;
    ForEachEntryInFileOrder(root, [&](const CFileEntry& entry) {
        ++number;
        if (entry.m_size >= kSizeMarker) values.push_back(entry.m_size);
        if (!entry.m_extraText.empty()) records.push_back({number, entry.m_extraText.view()});
    });

    // Block 1 also carries used bytes whose low 32 bits the root record can
    // only hold as the size marker, so that they come back exactly. Low bits
    // of exactly the marker come back as they are and need no block.
    const bool usedBytesFit = root.m_usedBytes < kUsedBytesLimit && (root.m_usedBytes & 0xFFFFFFFF) <= kSizeMarker;
    if (blocks.size() == 2 && records.empty() && values.size() == 1 && usedBytesFit) {
        blocks.resize(blocks[0].empty() ? 0 : 1);
        return;
    }

    std::vector<uint8_t>& block = blocks[1];
    block.clear();
    size_t size = 4 + 8 * values.size();
    for (const TextRecord& r : records) size += 8 + 2 * r.text.size();
    block.reserve(size);
    Put32(block, uint32_t(values.size()));
    for (uint64_t v : values) Put64(block, v);
    for (const TextRecord& r : records) {
        Put32(block, r.number);
        Put32(block, uint32_t(r.text.size()));
        const auto* bytes = reinterpret_cast<const uint8_t*>(r.text.data());
        block.insert(block.end(), bytes, bytes + r.text.size() * 2);
    }
}

void SerializeExtensionList(CCatalogueStream& stream, CRootEntry& root) {
    if (stream.IsStoring()) {
        auto& blocks = root.m_extBlocks;
        stream.WriteU32(uint32_t(blocks.size()));
        for (const auto& block : blocks) {
            stream.WriteU32(uint32_t(block.size()));
            stream.WriteBytes(block.data(), block.size());
        }
    } else {
        ReadExtensionBlocks(stream, root);
        ApplyExtensionBlocks(root);
    }
    ReleaseAppliedBlocks(root);
}

void ReadExtensionBlocks(CCatalogueStream& stream, CRootEntry& root) {
    auto& blocks = root.m_extBlocks;
    const uint32_t count = stream.ReadU32();
    blocks.clear();
    blocks.reserve(stream.SafeReserve(count, 4));
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t size = stream.ReadU32();
        blocks.push_back(stream.ReadBlock(size));
    }
}

void ReleaseAppliedBlocks(CRootEntry& root) {
    auto& blocks = root.m_extBlocks;
    for (size_t i = 0; i < blocks.size() && i < 2; ++i) {
        blocks[i].clear();
        blocks[i].shrink_to_fit();
    }
}

namespace {

struct TextRecordIn {
    uint32_t number;
    std::u16string text;
};

// How many of block 1's values go to marked entries, of markerCount.
uint64_t HandedOutValues(const std::vector<uint8_t>& block, uint32_t markerCount) {
    const uint32_t count = Get32(block.data());
    const uint64_t wanted = count ? count - 1 : 0;
    return std::min<uint64_t>({wanted, markerCount, (block.size() - 12) / 8});
}

// The text records of block 1 when all its values were handed out (else
// none apply); a record that runs past the end of the block ends them.
std::vector<TextRecordIn> TextRecords(const std::vector<uint8_t>& block, uint32_t markerCount) {
    std::vector<TextRecordIn> records;
    const uint32_t count = Get32(block.data());
    const uint64_t handedOut = HandedOutValues(block, markerCount);
    if (count == 0 || handedOut != uint64_t(count) - 1) return records;
    const uint8_t* const data = block.data();
    const size_t end = block.size();
    size_t at = 12 + 8 * size_t(handedOut);
    while (at + 8 <= end) {
        const uint32_t number = Get32(data + at);
        const uint64_t length = Get32(data + at + 4);
        if (length * 2 > end - at - 8) break;
        std::u16string text(static_cast<size_t>(length), u'\0');
        std::memcpy(text.data(), data + at + 8, length * 2);
        records.push_back({number, std::move(text)});
        at += 8 + length * 2;
    }
    return records;
}

}  // namespace

void ApplyExtensionBlocks(CRootEntry& root) {
    const auto& blocks = root.m_extBlocks;
    // Only block 1 reaches the entries; without it no list is needed.
    if (blocks.size() < 2 || blocks[1].size() < 12) {
        ApplyExtensionBlocks(root, {}, 0, 0);
        return;
    }
    // The list holds only the entries block 1 can reach: those with the
    // size marker and those a text record names, not every entry.
    uint32_t entryCount = 0;
    uint32_t markers = 0;
    ForEachEntryInFileOrder(root, [&](const CFileEntry& entry) {
        ++entryCount;
        markers += entry.m_size == kSizeMarker;
    });
    std::vector<uint32_t> named;
    for (const TextRecordIn& record : TextRecords(blocks[1], markers)) named.push_back(record.number);
    std::sort(named.begin(), named.end());
    std::vector<CNumberedEntry> entries;
    entries.reserve(std::min<size_t>(size_t(markers) + named.size(), entryCount));
    uint32_t number = 0;
    uint32_t marker = 0;
    ForEachEntryInFileOrder(root, [&](CFileEntry& entry) {
        ++number;
        const bool marked = entry.m_size == kSizeMarker;
        if (marked || std::binary_search(named.begin(), named.end(), number))
            entries.push_back({&entry.m_size, &entry.m_extraText, number, marked ? marker : kNoMarker});
        marker += marked;
    });
    ApplyExtensionBlocks(root, entries, entryCount, markers);
}

void ApplyExtensionBlocks(CRootEntry& root, std::span<const CNumberedEntry> entries, uint32_t entryCount,
                          uint32_t markerCount) {
    const auto& blocks = root.m_extBlocks;
    if (!blocks.empty() && !blocks[0].empty()) {
        const std::string_view text = Block0Text(blocks[0]);
        root.m_comment = AnsiToUtf16(text.data(), text.size());
    }
    if (blocks.size() < 2 || blocks[1].size() < 12) return;

    const std::vector<uint8_t>& block = blocks[1];
    const uint8_t* const data = block.data();
    root.m_usedBytes = Get64(data + 4);
    root.m_size = root.m_usedBytes;

    // The further values go to the entries holding the size marker, in file
    // order, as long as there are values and marked entries.
    const uint64_t handedOut = HandedOutValues(block, markerCount);
    for (const CNumberedEntry& e : entries)
        if (e.m_markerOrdinal < handedOut) *e.m_size = Get64(data + 12 + 8 * size_t(e.m_markerOrdinal));

    // Text records follow the values.
    std::vector<TextRecordIn> records = TextRecords(block, markerCount);
    size_t next = 0;
    if (next < records.size() && records[next].number == 0) {
        // The full comment counts only while block 0 still says the same.
        if (!blocks[0].empty() && Utf16ToAnsi(records[next].text) == Block0Text(blocks[0]))
            root.m_comment = std::move(records[next].text);
        ++next;
    }
    // The records are matched against the entries in file order: each one
    // goes to the entry with its number, and one whose number the walk over
    // the entries has already passed (or never reaches) ends the matching.
    uint32_t last = 0;
    size_t k = 0;
    for (; next < records.size(); ++next) {
        const uint32_t number = records[next].number;
        if (number <= last || number > entryCount) break;
        last = number;
        while (k < entries.size() && entries[k].m_number < number) ++k;
        if (k < entries.size() && entries[k].m_number == number) *entries[k].m_extraText = records[next].text;
    }
}

}  // namespace volcatra
