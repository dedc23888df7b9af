// Lists the members of an ARJ archive from its headers alone.
//
// No maintained library on Debian reads ARJ (libarchive does not list it),
// and a listing needs only the headers: each block is the signature 60 EA,
// the basic header's size, the basic header, its CRC-32, extended headers
// and then the compressed data, which is skipped. Every size comes from the
// file and is checked against fixed bounds and the file's length before it
// is used, so a damaged archive ends the listing instead of misleading it.
#pragma once

#include <cstdint>
#include <string>

namespace volcatra {

// One member as its basic header records it.
struct ArjMember {
    std::string name;        // the stored name bytes (OEM code page or, from UNIX hosts, UTF-8)
    uint8_t hostOs = 0;      // 0 DOS, 2 UNIX, 10 WIN95, ...
    uint8_t flags = 0;       // 0x01 encrypted, 0x04 continues, 0x10 path separators translated
    uint8_t fileType = 0;    // 0 binary, 1 text, 3 directory, 4 volume label
    uint32_t timestamp = 0;  // DOS date and time; a Unix time from UNIX hosts
    uint32_t compressedSize = 0;
    uint32_t originalSize = 0;
    uint16_t accessMode = 0;  // DOS attributes for hosts 0 and 10, a Unix mode from UNIX hosts
};

enum class ArjStatus { Member, End, Failed };

inline constexpr uint8_t ARJ_HOST_UNIX = 2;
inline constexpr uint8_t ARJ_TYPE_DIRECTORY = 3;

class ArjReader {
public:
    // The basic header's size lies within these bounds in every ARJ file.
    static constexpr uint16_t kMinHeaderSize = 30;
    static constexpr uint16_t kMaxHeaderSize = 2600;
    // How far into a file the main header is searched for (a self-extractor
    // puts its program first).
    static constexpr uint64_t kSearchLimit = 16u << 20;

    // Reads from fd (kept open by the caller) through pread. False when no
    // valid main header lies within the search limit.
    bool Open(int fd);

    // The next member; End at the end-of-archive header, Failed when the
    // file breaks off or a header is not where it belongs.
    ArjStatus Next(ArjMember& member);

private:
    // Reads a basic header at offset (signature, size, header, CRC);
    // false when there is none or it is damaged. header receives the
    // header's bytes; *end the offset just after its CRC.
    bool ReadBasicHeader(uint64_t offset, std::string& header, uint64_t& end, bool& endOfArchive) const;
    // Skips the extended headers that start at offset; false when damaged.
    bool SkipExtendedHeaders(uint64_t& offset) const;
    bool ReadAt(uint64_t offset, void* buffer, size_t size) const;

    int m_fd = -1;
    uint64_t m_fileSize = 0;
    uint64_t m_next = 0;  // offset of the next file header
    bool m_done = false;
};

}  // namespace volcatra
