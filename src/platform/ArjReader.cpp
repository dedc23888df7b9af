#include "platform/ArjReader.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace volcatra {

namespace {

constexpr uint16_t kSignature = 0xEA60;
constexpr uint8_t kMainHeaderType = 2;
// Real archives carry at most one extended header per block; a long chain
// of them is damage.
constexpr int kMaxExtendedHeaders = 256;

uint16_t Le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

bool ArjReader::ReadAt(uint64_t offset, void* buffer, size_t size) const {
    if (offset > m_fileSize || size > m_fileSize - offset) return false;
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, out + done, size - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

bool ArjReader::ReadBasicHeader(uint64_t offset, std::string& header, uint64_t& end, bool& endOfArchive) const {
    endOfArchive = false;
    unsigned char start[4];
    if (!ReadAt(offset, start, sizeof(start)) || Le16(start) != kSignature) return false;
    const uint16_t size = Le16(start + 2);
    if (size == 0) {
        endOfArchive = true;
        end = offset + 4;
        return true;
    }
    if (size < kMinHeaderSize || size > kMaxHeaderSize) return false;
    unsigned char bytes[kMaxHeaderSize + 4];
    if (!ReadAt(offset + 4, bytes, size_t(size) + 4)) return false;
    const uint32_t crc = uint32_t(::crc32(0L, bytes, size));
    if (crc != Le32(bytes + size)) return false;
    if (bytes[0] < kMinHeaderSize || bytes[0] > size) return false;  // length of the fixed part
    header.assign(reinterpret_cast<const char*>(bytes), size);
    end = offset + 4 + size + 4;
    return true;
}

bool ArjReader::SkipExtendedHeaders(uint64_t& offset) const {
    for (int i = 0; i < kMaxExtendedHeaders; ++i) {
        unsigned char sizeBytes[2];
        if (!ReadAt(offset, sizeBytes, sizeof(sizeBytes))) return false;
        offset += 2;
        const uint16_t size = Le16(sizeBytes);
        if (size == 0) return true;
        offset += uint64_t(size) + 4;  // the header and its CRC
        if (offset > m_fileSize) return false;
    }
    return false;
}

bool ArjReader::Open(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    m_fd = fd;
    m_fileSize = uint64_t(st.st_size);
    m_done = false;
    const uint64_t limit = m_fileSize < kSearchLimit ? m_fileSize : kSearchLimit;
    std::vector<unsigned char> chunk(65536);
    std::string header;
    uint64_t offset = 0;
    while (offset + 1 < limit) {
        const size_t want = size_t(limit - offset < chunk.size() ? limit - offset : chunk.size());
        if (!ReadAt(offset, chunk.data(), want)) return false;
        for (size_t i = 0; i + 1 < want; ++i) {
            if (chunk[i] != 0x60 || chunk[i + 1] != 0xEA) continue;
            uint64_t end = 0;
            bool endOfArchive = false;
            if (!ReadBasicHeader(offset + i, header, end, endOfArchive) || endOfArchive) continue;
            if (uint8_t(header[6]) != kMainHeaderType) continue;
            if (!SkipExtendedHeaders(end)) return false;
            m_next = end;
            return true;
        }
        // The next chunk starts with this one's last byte, so a signature
        // across the boundary is seen.
        offset += want - 1;
    }
    return false;
}

ArjStatus ArjReader::Next(ArjMember& member) {
    if (m_done || m_fd < 0) return ArjStatus::End;
    std::string header;
    uint64_t end = 0;
    bool endOfArchive = false;
    if (!ReadBasicHeader(m_next, header, end, endOfArchive)) {
        m_done = true;
        return ArjStatus::Failed;
    }
    if (endOfArchive) {
        m_done = true;
        return ArjStatus::End;
    }
    if (!SkipExtendedHeaders(end)) {
        m_done = true;
        return ArjStatus::Failed;
    }
    const auto* h = reinterpret_cast<const unsigned char*>(header.data());
    const size_t fixedLength = h[0];
    member.hostOs = h[3];
    member.flags = h[4];
    member.fileType = h[6];
    member.timestamp = Le32(h + 8);
    member.compressedSize = Le32(h + 12);
    member.originalSize = Le32(h + 16);
    member.accessMode = Le16(h + 26);
    const size_t nameEnd = header.find('\0', fixedLength);
    member.name = header.substr(fixedLength, nameEnd == std::string::npos ? std::string::npos : nameEnd - fixedLength);
    // The data follows; the next header lies behind it (a short file shows
    // at the next call).
    m_next = end + member.compressedSize;
    return ArjStatus::Member;
}

}  // namespace volcatra
