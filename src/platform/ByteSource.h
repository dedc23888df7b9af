// Random access to the bytes of an image file, and the 2048-byte logical
// sectors of a disc image whatever its sector layout on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace volcatra {

inline constexpr uint32_t kDiscSectorSize = 2048;

// Bytes at any offset. Reads never go past Size(): a read that would is
// refused as a whole.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Fills buffer with count bytes from offset; false when they are not all
    // there or cannot be read.
    virtual bool Read(uint64_t offset, void* buffer, size_t count) const = 0;
};

// A regular file (or block device) read with pread; owns its descriptor.
class FileByteSource : public IByteSource {
public:
    // Opens a regular file or block device for reading; nullptr with errno
    // set otherwise (FIFOs and character devices are refused unopened).
    static std::unique_ptr<FileByteSource> Open(const std::string& path);
    // Reads from a descriptor the caller keeps open.
    FileByteSource(int fd, uint64_t size, bool owned);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* buffer, size_t count) const override;

private:
    int m_fd;
    uint64_t m_size;
    bool m_owned;
};

// Bytes held in memory (tests and the fuzzer).
class MemoryByteSource : public IByteSource {
public:
    MemoryByteSource(const void* data, size_t size) : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* buffer, size_t count) const override;

private:
    const unsigned char* m_data;
    size_t m_size;
};

// How the 2048-byte sectors of a disc lie in an image file: one after the
// other (an .iso), or as the user data of raw 2352-byte sectors (a .bin)
// at 16 bytes into each (mode 1) or 24 (mode 2 form 1).
struct SectorLayout {
    uint32_t frameSize = kDiscSectorSize;
    uint32_t dataOffset = 0;
    bool IsRaw() const { return frameSize != kDiscSectorSize; }
};

// The disc's logical bytes over the image's own: sector n of the disc is
// the data part of frame n of the image. Owns nothing; the image outlives it.
class DiscSectorSource : public IByteSource {
public:
    DiscSectorSource(const IByteSource& image, SectorLayout layout);
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* buffer, size_t count) const override;

private:
    const IByteSource& m_image;
    SectorLayout m_layout;
    uint64_t m_size;
};

// Files that lie inside another file rather than in a folder (the files
// of a disc image read without mounting), for readers that open files by
// path: a provider answers for the paths below its prefix while it is
// registered.
class IEmbeddedFiles {
public:
    virtual ~IEmbeddedFiles() = default;
    // The bytes of the file at path (below the prefix); nullptr when there
    // is no such file.
    virtual std::unique_ptr<IByteSource> OpenEmbeddedFile(const std::string& path) = 0;
};

void RegisterEmbeddedFiles(const std::string& prefix, IEmbeddedFiles* files);
void UnregisterEmbeddedFiles(IEmbeddedFiles* files);

// The bytes of a file below a registered prefix (prefix + "/" + names);
// nullptr when no provider knows it.
std::unique_ptr<IByteSource> OpenEmbeddedFile(const std::string& path);

}  // namespace volcatra
