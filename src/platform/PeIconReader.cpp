#include "platform/PeIconReader.h"

#include "platform/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <optional>

namespace volcatra {

namespace {

constexpr uint32_t kResourceIcon = 3;
constexpr uint32_t kResourceGroupIcon = 14;
constexpr size_t kMaxSections = 96;
constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kGroupEntrySize = 14;
constexpr size_t kIcoEntrySize = 16;

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, uint16_t(v));
    PutU16(out, uint16_t(v >> 16));
}

struct Section {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
};

struct DirectoryEntry {
    uint32_t id = 0;
    bool named = false;
    uint32_t offset = 0;  // from the start of the resource section
    bool subdirectory = false;
};

class CPeFile {
public:
    CPeFile(const PeReadAt& readAt, uint64_t fileSize) : m_readAt(readAt), m_fileSize(fileSize) {}

    bool ReadError() const { return m_readError; }

    // Reads exactly size bytes at offset; false when they are not all in the
    // file (m_readError tells an I/O error from a short file).
    bool Read(uint64_t offset, void* buffer, size_t size) {
        if (offset > m_fileSize || size > m_fileSize - offset) return false;
        const int64_t got = m_readAt(offset, buffer, size);
        if (got < 0) {
            m_readError = true;
            return false;
        }
        return uint64_t(got) == size;
    }

    bool Open() {
        std::array<uint8_t, 64> dos{};
        if (!Read(0, dos.data(), dos.size()) || dos[0] != 'M' || dos[1] != 'Z') return false;
        const uint32_t peOffset = U32(&dos[0x3C]);
        std::array<uint8_t, 24> pe{};
        if (!Read(peOffset, pe.data(), pe.size()) || U32(pe.data()) != 0x00004550) return false;
        const size_t sectionCount = U16(&pe[6]);
        const size_t optionalSize = U16(&pe[20]);
        if (sectionCount == 0 || sectionCount > kMaxSections) return false;
        std::vector<uint8_t> optional(optionalSize);
        if (optionalSize < 2 || !Read(uint64_t(peOffset) + 24, optional.data(), optionalSize)) return false;
        const uint16_t magic = U16(optional.data());
        size_t directoriesAt = 0;
        if (magic == 0x10B)
            directoriesAt = 96;
        else if (magic == 0x20B)
            directoriesAt = 112;
        else
            return false;
        if (optionalSize < directoriesAt) return false;
        const uint32_t directoryCount = U32(&optional[directoriesAt - 4]);
        const size_t resourceAt = directoriesAt + 2 * 8;
        if (directoryCount < 3 || optionalSize < resourceAt + 8) return false;
        m_resourceRva = U32(&optional[resourceAt]);
        if (m_resourceRva == 0 || U32(&optional[resourceAt + 4]) == 0) return false;

        std::vector<uint8_t> table(sectionCount * 40);
        if (!Read(uint64_t(peOffset) + 24 + optionalSize, table.data(), table.size())) return false;
        for (size_t i = 0; i < sectionCount; ++i) {
            const uint8_t* s = &table[i * 40];
            m_sections.push_back(Section{U32(s + 12), U32(s + 8), U32(s + 16), U32(s + 20)});
        }
        return ToFileOffset(m_resourceRva, kDirectoryHeaderSize).has_value();
    }

    // The file offset of size bytes at rva, when they lie in one section's
    // data in the file.
    std::optional<uint64_t> ToFileOffset(uint64_t rva, uint64_t size) const {
        for (const Section& s : m_sections) {
            if (rva < s.virtualAddress) continue;
            const uint64_t into = rva - s.virtualAddress;
            const uint64_t extent = s.virtualSize ? std::min<uint64_t>(s.virtualSize, s.rawSize) : s.rawSize;
            if (into > extent || size > extent - into) continue;
            const uint64_t offset = uint64_t(s.rawOffset) + into;
            if (offset > m_fileSize || size > m_fileSize - offset) return std::nullopt;
            return offset;
        }
        return std::nullopt;
    }

    // The entries of the directory at offset (from the resource section's
    // start), in the file's order; nullopt for a damaged table or when the
    // cap on visited entries is reached.
    std::optional<std::vector<DirectoryEntry>> ReadDirectory(uint32_t offset) {
        uint8_t header[kDirectoryHeaderSize];
        const auto at = ToFileOffset(uint64_t(m_resourceRva) + offset, sizeof header);
        if (!at || !Read(*at, header, sizeof header)) return std::nullopt;
        const size_t count = size_t(U16(&header[12])) + U16(&header[14]);
        if (count > kPeMaxEntriesVisited - m_entriesVisited) return std::nullopt;
        m_entriesVisited += count;
        const auto entriesAt =
            ToFileOffset(uint64_t(m_resourceRva) + offset + kDirectoryHeaderSize, count * kDirectoryEntrySize);
        if (!entriesAt) return std::nullopt;
        std::vector<uint8_t> raw(count * kDirectoryEntrySize);
        if (!Read(*entriesAt, raw.data(), raw.size())) return std::nullopt;
        std::vector<DirectoryEntry> entries(count);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t name = U32(&raw[i * 8]);
            const uint32_t data = U32(&raw[i * 8 + 4]);
            entries[i] = DirectoryEntry{name & 0x7FFFFFFF, (name & 0x80000000) != 0, data & 0x7FFFFFFF,
                                        (data & 0x80000000) != 0};
        }
        return entries;
    }

    // The subdirectory of entry id among the entries of the directory at
    // offset.
    std::optional<uint32_t> FindSubdirectory(uint32_t offset, uint32_t id) {
        const auto entries = ReadDirectory(offset);
        if (!entries) return std::nullopt;
        for (const DirectoryEntry& e : *entries)
            if (!e.named && e.id == id && e.subdirectory) return e.offset;
        return std::nullopt;
    }

    // The data of a resource whose name entry leads to offset: the first
    // language's data, at most maxSize bytes.
    std::optional<std::vector<uint8_t>> ReadResourceData(const DirectoryEntry& nameEntry, size_t maxSize) {
        uint32_t dataEntry = nameEntry.offset;
        if (nameEntry.subdirectory) {
            const auto languages = ReadDirectory(nameEntry.offset);
            if (!languages || languages->empty() || (*languages)[0].subdirectory) return std::nullopt;
            dataEntry = (*languages)[0].offset;
        }
        uint8_t record[16];
        const auto at = ToFileOffset(uint64_t(m_resourceRva) + dataEntry, sizeof record);
        if (!at || !Read(*at, record, sizeof record)) return std::nullopt;
        const uint32_t rva = U32(record);
        const uint32_t size = U32(record + 4);
        if (size == 0 || size > maxSize) return std::nullopt;
        const auto dataAt = ToFileOffset(rva, size);
        if (!dataAt) return std::nullopt;
        std::vector<uint8_t> data(size);
        if (!Read(*dataAt, data.data(), size)) return std::nullopt;
        return data;
    }

    uint32_t RootOffset() const { return 0; }

private:
    const PeReadAt& m_readAt;
    uint64_t m_fileSize;
    bool m_readError = false;
    uint32_t m_resourceRva = 0;
    std::vector<Section> m_sections;
    size_t m_entriesVisited = 0;
};

struct GroupEntry {
    int size = 0;  // pixels; 0 in the file means 256
    int depth = 0;
    uint8_t raw[kGroupEntrySize]{};
};

int GroupEntryDepth(const uint8_t* e) {
    const int bitCount = U16(e + 6);
    if (bitCount) return bitCount;
    const int colours = e[2];
    if (colours == 0) return 8;
    int depth = 1;
    while ((1 << depth) < colours) ++depth;
    return depth;
}

// The entry that suits a picture of `target` pixels best: that size, else
// the nearest larger, else the largest; the deepest colour among equals.
size_t ChooseEntry(const std::vector<GroupEntry>& entries, int target) {
    auto rank = [target](const GroupEntry& e) {
        // Lower is better.
        const int distance = e.size >= target ? e.size - target : 1000 + (target - e.size);
        return distance * 64 - e.depth;
    };
    size_t best = 0;
    for (size_t i = 1; i < entries.size(); ++i)
        if (rank(entries[i]) < rank(entries[best])) best = i;
    return best;
}

PeIconResult Extract(CPeFile& file, int group) {
    PeIconResult result;
    if (!file.Open()) return result;
    const auto root = file.ReadDirectory(file.RootOffset());
    if (!root) return result;
    std::optional<uint32_t> groupsAt;
    std::optional<uint32_t> iconsAt;
    for (const DirectoryEntry& e : *root) {
        if (e.named || !e.subdirectory) continue;
        if (e.id == kResourceGroupIcon && !groupsAt) groupsAt = e.offset;
        if (e.id == kResourceIcon && !iconsAt) iconsAt = e.offset;
    }
    if (!groupsAt || !iconsAt) return result;
    const auto groups = file.ReadDirectory(*groupsAt);
    if (!groups || groups->empty()) return result;
    const DirectoryEntry* chosen = nullptr;
    if (group >= 0) {
        if (size_t(group) < groups->size()) chosen = &(*groups)[size_t(group)];
    } else {
        for (const DirectoryEntry& e : *groups)
            if (!e.named && int64_t(e.id) == -int64_t(group)) chosen = &e;
    }
    if (!chosen) return result;
    const auto groupData = file.ReadResourceData(*chosen, kPeMaxGroupSize);
    if (!groupData || groupData->size() < 6 || U16(groupData->data()) != 0 || U16(groupData->data() + 2) != 1)
        return result;
    const size_t count = U16(groupData->data() + 4);
    if (count == 0 || groupData->size() < 6 + count * kGroupEntrySize) return result;
    std::vector<GroupEntry> entries(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = groupData->data() + 6 + i * kGroupEntrySize;
        entries[i].size = e[0] ? e[0] : 256;
        entries[i].depth = GroupEntryDepth(e);
        std::copy(e, e + kGroupEntrySize, entries[i].raw);
    }
    std::vector<size_t> picks{ChooseEntry(entries, 32)};
    const size_t small = ChooseEntry(entries, 16);
    if (small != picks[0]) picks.push_back(small);

    const auto icons = file.ReadDirectory(*iconsAt);
    if (!icons) return result;
    std::vector<std::vector<uint8_t>> images;
    for (const size_t pick : picks) {
        const uint32_t id = U16(entries[pick].raw + 12);
        const DirectoryEntry* found = nullptr;
        for (const DirectoryEntry& e : *icons)
            if (!e.named && e.id == id) {
                found = &e;
                break;
            }
        if (!found) return result;
        auto image = file.ReadResourceData(*found, kPeMaxIconImageSize);
        if (!image) return result;
        images.push_back(std::move(*image));
    }

    std::vector<uint8_t>& ico = result.icoBytes;
    PutU16(ico, 0);
    PutU16(ico, 1);
    PutU16(ico, uint16_t(images.size()));
    uint32_t offset = uint32_t(6 + kIcoEntrySize * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const uint8_t* e = entries[picks[i]].raw;
        ico.insert(ico.end(), e, e + 8);  // width, height, colours, reserved, planes, bit count
        PutU32(ico, uint32_t(images[i].size()));
        PutU32(ico, offset);
        offset += uint32_t(images[i].size());
    }
    for (const auto& image : images) ico.insert(ico.end(), image.begin(), image.end());
    result.status = PeIconStatus::Found;
    return result;
}

}  // namespace

PeIconResult ReadPeGroupIcon(const PeReadAt& readAt, uint64_t fileSize, int group) {
    CPeFile file(readAt, fileSize);
    PeIconResult result;
    try {
        result = Extract(file, group);
    } catch (const std::bad_alloc&) {
        result = PeIconResult{};
    }
    if (result.status != PeIconStatus::Found && file.ReadError()) result.status = PeIconStatus::ReadError;
    return result;
}

namespace {

// Opens path for reading when it is a regular file: the descriptor, -1 with
// status NoIcon for another kind of file, -1 with ReadError on an error.
// O_NONBLOCK keeps a FIFO from blocking the open.
int OpenRegular(const std::string& path, uint64_t& size, PeIconStatus& status) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    status = PeIconStatus::ReadError;
    if (fd < 0) return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        status = PeIconStatus::NoIcon;
        close(fd);
        return -1;
    }
    size = uint64_t(info.st_size);
    status = PeIconStatus::Found;
    return fd;
}

int64_t ReadFully(int fd, uint64_t offset, void* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd, static_cast<uint8_t*>(buffer) + done, size - done, off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        done += size_t(got);
    }
    return int64_t(done);
}

}  // namespace

PeIconResult ReadPeGroupIconFile(const std::string& path, int group) {
    uint64_t size = 0;
    PeIconStatus status = PeIconStatus::NoIcon;
    const int fd = OpenRegular(path, size, status);
    if (fd < 0) {
        // A file inside a disc image read without mounting.
        const std::unique_ptr<IByteSource> embedded = errno == ENOTDIR ? OpenEmbeddedFile(path) : nullptr;
        if (!embedded) return PeIconResult{status, {}};
        const IByteSource& bytes = *embedded;
        const PeReadAt readAt = [&bytes](uint64_t offset, void* buffer, size_t count) -> int64_t {
            if (offset >= bytes.Size()) return 0;
            const size_t n = size_t(std::min<uint64_t>(count, bytes.Size() - offset));
            return bytes.Read(offset, buffer, n) ? int64_t(n) : -1;
        };
        return ReadPeGroupIcon(readAt, bytes.Size(), group);
    }
    const PeReadAt readAt = [fd](uint64_t offset, void* buffer, size_t count) {
        return ReadFully(fd, offset, buffer, count);
    };
    PeIconResult result = ReadPeGroupIcon(readAt, size, group);
    close(fd);
    return result;
}

PeIconResult ReadSmallRegularFile(const std::string& path, size_t maxSize) {
    uint64_t size = 0;
    PeIconStatus status = PeIconStatus::NoIcon;
    const int fd = OpenRegular(path, size, status);
    if (fd < 0) {
        // A file inside a disc image read without mounting.
        const std::unique_ptr<IByteSource> embedded = errno == ENOTDIR ? OpenEmbeddedFile(path) : nullptr;
        if (!embedded) return PeIconResult{status, {}};
        PeIconResult result;
        if (embedded->Size() > maxSize) return result;
        try {
            result.icoBytes.resize(size_t(embedded->Size()));
            result.status = embedded->Read(0, result.icoBytes.data(), result.icoBytes.size()) ? PeIconStatus::Found
                                                                                              : PeIconStatus::ReadError;
        } catch (const std::bad_alloc&) {
            result = PeIconResult{};
        }
        return result;
    }
    PeIconResult result;
    if (size <= maxSize) {
        try {
            result.icoBytes.resize(size_t(size));
            const int64_t got = ReadFully(fd, 0, result.icoBytes.data(), result.icoBytes.size());
            if (got < 0) {
                result.status = PeIconStatus::ReadError;
            } else {
                result.icoBytes.resize(size_t(got));
                result.status = PeIconStatus::Found;
            }
        } catch (const std::bad_alloc&) {
            result = PeIconResult{};
        }
    }
    close(fd);
    return result;
}

}  // namespace volcatra
