// The icons of Windows executables and libraries: walks the resource
// directory of a PE file and rebuilds one group icon as an .ico file in
// memory. Only the headers, the directory tables and the chosen images are
// read; every offset and size is checked against the file, the number of
// directory entries looked at is capped and the fixed three levels of the
// resource tree are walked without recursion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace volcatra {

enum class PeIconStatus {
    Found,      // icoBytes holds an .ico file
    NoIcon,     // not a PE file, no such group icon, or damaged tables
    ReadError,  // the file could not be opened or read
};

struct PeIconResult {
    PeIconStatus status = PeIconStatus::NoIcon;
    // An .ico file with the images chosen for 32 x 32 first and for 16 x 16
    // second (one image when the same suits both).
    std::vector<uint8_t> icoBytes;
};

// Reads size bytes at offset into buffer; the number of bytes read (fewer at
// the end of the file), or -1 on an error.
using PeReadAt = std::function<int64_t(uint64_t offset, void* buffer, size_t size)>;

// Limits that keep a damaged or hostile file cheap.
inline constexpr size_t kPeMaxEntriesVisited = 16384;    // directory entries, over the whole walk
inline constexpr size_t kPeMaxIconImageSize = 4 << 20;   // one RT_ICON image
inline constexpr size_t kPeMaxGroupSize = 6 + 14 * 512;  // one RT_GROUP_ICON

// The group icon `group` of the file: a group >= 0 is the position among the
// group icons in directory order, a negative group names the resource id
// -group.
PeIconResult ReadPeGroupIcon(const PeReadAt& readAt, uint64_t fileSize, int group = 0);

// The same for a file on disk. Only regular files are read (a FIFO or a
// device is never opened for reading); others give NoIcon.
PeIconResult ReadPeGroupIconFile(const std::string& path, int group = 0);

// The whole of a small regular file, for .ico and .cur files: Found with its
// bytes, NoIcon for a file that is not regular or larger than maxSize,
// ReadError when it cannot be opened or read.
PeIconResult ReadSmallRegularFile(const std::string& path, size_t maxSize);

}  // namespace volcatra
