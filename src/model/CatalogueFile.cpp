#include "model/CatalogueFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

#include "model/CatalogueStream.h"
#include "model/ExtensionBlocks.h"
#include "model/FileNameCodec.h"
#include "model/TemporaryFiles.h"

namespace volcatra {

namespace {

constexpr size_t kHeaderTextSize = 32;
constexpr size_t kHeaderPrefixSize = 27;  // "File Struct Record Version "

[[noreturn]] void ThrowFileError(int err, const std::string& path) {
    throw CatalogueError::File(FileErrorCauseFromErrno(err), FileNameToUtf16(path));
}

void WriteHeader(CCatalogueStream& stream) {
    char header[kHeaderSize] = {};
    std::memcpy(header, "File Struct Record Version ", kHeaderPrefixSize);
    std::snprintf(header + kHeaderPrefixSize, kHeaderTextSize - kHeaderPrefixSize, "%1d.%02d", 1, 0);
    stream.WriteBytes(header, sizeof(header));
}

}  // namespace

void ReadCatalogueHeader(CCatalogueStream& stream, HeaderAcceptance acceptance) {
    if (stream.Remaining() < kHeaderTextSize)
        throw CatalogueError::Format("no header", FormatErrorCause::BadFormat, true);
    const uint8_t* text = stream.Need(kHeaderTextSize);
    if (std::memcmp(text, kHeaderText, kHeaderPrefixSize) != 0)
        throw CatalogueError::Format("not a catalogue", FormatErrorCause::BadFormat, true);
    const int version = 100 * (text[27] - '0') + 10 * (text[29] - '0') + (text[30] - '0');
    const bool accepted = acceptance == HeaderAcceptance::Document ? version / 100 <= 1 : version <= 100;
    if (!accepted) throw CatalogueError::Format("unsupported version", FormatErrorCause::BadFormat, true);
    stream.Need(kHeaderSize - kHeaderTextSize);
}

namespace {

// A close upper estimate of a root's encoded size.
size_t EstimatedSize(const CRootEntry& root) {
    size_t size = 128 + 2 * root.m_volumeName.size() + 2 * root.m_name.size();
    for (const auto& array : root.m_folders) {
        size += 16 + 2 * array->m_path.size();
        for (const auto& entry : array->m_entries) size += 32 + 2 * entry.m_name.size();
    }
    for (const auto& image : root.m_icons.m_images) size += 4 + image.size();
    return size;
}

// Runs a decoder, turning lack of memory into a general failure.
template <typename F>
auto Guarded(F&& decode) {
    try {
        return decode();
    } catch (const std::bad_alloc&) {
        throw CatalogueError::General("out of memory");
    } catch (const std::length_error&) {
        throw CatalogueError::General("out of memory");
    }
}

}  // namespace

namespace {

void WriteWholeCatalogue(CCatalogueStream& stream, const std::vector<CRootEntry*>& roots) {
    WriteHeader(stream);
    stream.WriteCount(roots.size());
    for (CRootEntry* root : roots) {
        stream.WriteObjectTag(CRootEntry::s_class);
        root->Serialize(stream);
    }
    for (CRootEntry* root : roots) root->m_icons.Serialize(stream);
    for (CRootEntry* root : roots) SerializeExtensionList(stream, *root);
}

// The piece a save hands to the file at a time.
constexpr size_t kSavePiece = 1 << 20;

}  // namespace

std::vector<uint8_t> WriteCatalogue(const std::vector<CRootEntry*>& roots) {
    return Guarded([&] {
        CCatalogueStream stream;
        size_t estimate = kHeaderSize;
        for (const CRootEntry* root : roots) estimate += EstimatedSize(*root);
        stream.ReserveOutput(estimate);
        WriteWholeCatalogue(stream, roots);
        return stream.TakeOutput();
    });
}

std::vector<uint8_t> WriteCatalogue(const RootList& roots) {
    std::vector<CRootEntry*> plain;
    plain.reserve(roots.size());
    for (const auto& root : roots) plain.push_back(root.get());
    return WriteCatalogue(plain);
}

namespace {

RootList DecodeCatalogue(CCatalogueStream& stream, HeaderAcceptance acceptance) {
    ReadCatalogueHeader(stream, acceptance);
    const uint32_t count = stream.ReadCount();
    RootList roots;
    roots.reserve(stream.SafeReserve(count, 2));
    for (uint32_t i = 0; i < count; ++i) roots.push_back(stream.ReadObjectAs<CRootEntry>());
    for (auto& root : roots) root->m_icons.Serialize(stream);
    for (auto& root : roots) SerializeExtensionList(stream, *root);
    return roots;
}

}  // namespace

RootList ReadCatalogue(std::span<const uint8_t> data, HeaderAcceptance acceptance) {
    return Guarded([&] {
        CCatalogueStream stream(data);
        return DecodeCatalogue(stream, acceptance);
    });
}

RootList ReadCatalogue(IStreamSource& source, size_t size, HeaderAcceptance acceptance, size_t windowSize) {
    return Guarded([&] {
        CCatalogueStream stream(source, size, windowSize);
        return DecodeCatalogue(stream, acceptance);
    });
}

std::vector<uint8_t> WriteVolumePayload(CRootEntry& root) {
    return Guarded([&] {
        CCatalogueStream stream;
        root.Serialize(stream);
        root.m_icons.Serialize(stream);
        SerializeExtensionList(stream, root);
        return stream.TakeOutput();
    });
}

std::unique_ptr<CRootEntry> ReadVolumePayload(std::span<const uint8_t> data) {
    return Guarded([&] {
        CCatalogueStream stream(data);
        auto root = std::make_unique<CRootEntry>();
        root->Serialize(stream);
        root->m_icons.Serialize(stream);
        SerializeExtensionList(stream, *root);
        return root;
    });
}

namespace {

// Pieces a file is read in: a reader that may be cancelled looks at its
// request between two of them, and the buffer is zero-filled only a piece
// ahead of the data.
constexpr size_t kReadPiece = size_t(1) << 20;

// Closes a descriptor when it goes out of scope.
class CFileCloser {
public:
    explicit CFileCloser(int fd) : m_fd(fd) {}
    ~CFileCloser() { ::close(m_fd); }
    CFileCloser(const CFileCloser&) = delete;
    CFileCloser& operator=(const CFileCloser&) = delete;

private:
    int m_fd;
};

// Reads an open file to its end into buffer, after the `filled` bytes
// already there. sizeHint is the expected size of the whole file. nullopt
// when cancel was set.
std::optional<std::span<const uint8_t>> ReadToEnd(int fd, size_t sizeHint, size_t filled, const std::string& path,
                                                  std::vector<uint8_t>& buffer, const std::atomic<bool>* cancel) {
    try {
        // The size is only a first guess, as the file may change while it is
        // read; one byte more shows the end without a second round.
        if (buffer.capacity() < sizeHint + 1) buffer.reserve(sizeHint + 1);
        for (;;) {
            if (cancel && cancel->load(std::memory_order_relaxed)) return std::nullopt;
            if (filled == buffer.size()) {
                size_t target = filled + kReadPiece;
                if (buffer.capacity() > filled)
                    target = std::min(target, buffer.capacity());
                else
                    buffer.reserve(std::max(target, 2 * filled));  // the file grew beyond the guess
                buffer.resize(target);
            }
            const size_t piece = std::min(kReadPiece, buffer.size() - filled);
            const ssize_t n = ::read(fd, buffer.data() + filled, piece);
            if (n < 0) {
                if (errno == EINTR) continue;
                ThrowFileError(errno, path);
            }
            if (n == 0) break;
            filled += size_t(n);
        }
    } catch (const std::bad_alloc&) {
        throw CatalogueError::General("out of memory");
    } catch (const std::length_error&) {
        throw CatalogueError::General("out of memory");
    }
    return std::span<const uint8_t>(buffer.data(), filled);
}

// Reads up to size bytes at the start of an open file; returns how many
// there were.
size_t ReadStart(int fd, uint8_t* out, size_t size, const std::string& path) {
    size_t filled = 0;
    while (filled < size) {
        const ssize_t n = ::read(fd, out + filled, size - filled);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowFileError(errno, path);
        }
        if (n == 0) break;
        filled += size_t(n);
    }
    return filled;
}

// Opens a file for reading and takes its status; a folder is refused.
int OpenFileForReading(const std::string& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) ThrowFileError(errno, path);
    st = {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        ThrowFileError(err, path);
    }
    return fd;
}

}  // namespace

std::span<const uint8_t> ReadWholeFileInto(const std::string& path, std::vector<uint8_t>& buffer) {
    struct stat st {};
    const int fd = OpenFileForReading(path, st);
    const CFileCloser closer(fd);
    const size_t hint = S_ISREG(st.st_mode) ? size_t(st.st_size) : 65536;
    return *ReadToEnd(fd, hint, 0, path, buffer, nullptr);
}

std::optional<std::span<const uint8_t>> ReadRegularCatalogueInto(const std::string& path, HeaderAcceptance acceptance,
                                                                 std::vector<uint8_t>& buffer,
                                                                 const std::atomic<bool>* cancel) {
    // Without blocking: opening a FIFO for reading would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    const CFileCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;

    uint8_t header[kHeaderSize];
    const size_t got = ReadStart(fd, header, sizeof(header), path);
    {
        CCatalogueStream stream(std::span<const uint8_t>(header, got));
        ReadCatalogueHeader(stream, acceptance);
    }
    try {
        if (buffer.size() < kHeaderSize) buffer.resize(kHeaderSize);
    } catch (const std::bad_alloc&) {
        throw CatalogueError::General("out of memory");
    }
    std::memcpy(buffer.data(), header, kHeaderSize);
    return ReadToEnd(fd, size_t(st.st_size), kHeaderSize, path, buffer, cancel);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::vector<uint8_t> data;
    const size_t size = ReadWholeFileInto(path, data).size();
    data.resize(size);
    return data;
}

void WriteFileReplacing(const std::string& path, std::span<const uint8_t> data) {
    WriteFileReplacingWith(path, [&](const FileWriteFunction& write) { write(data); });
}

void WriteFileReplacingWith(const std::string& requested,
                            const std::function<void(const FileWriteFunction&)>& produce) {
    // Saving through a symbolic link replaces the file it points to, not the
    // link.
    std::string path = requested;
    struct stat link {};
    if (::lstat(requested.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(requested.c_str(), nullptr)) {
            path = resolved;
            std::free(resolved);
        }
    }
    // Keep the permissions of a file that is replaced; new files get the
    // usual mode under the umask.
    mode_t mode = 0666;
    struct stat st {};
    bool existed = false;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) ThrowFileError(EISDIR, path);
        mode = st.st_mode & 07777;
        existed = true;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    // What earlier saves into this folder left behind when their writer
    // died goes first, so that a crash costs one stray file at most until
    // the next save.
    RemoveStaleTemporaryFiles(folder);
    std::string temp;
    const int fd =
        CreateLockedTemporaryFile(slash == std::string::npos ? std::string() : path.substr(0, slash + 1), temp);
    if (fd < 0) ThrowFileError(errno, path);
    bool closed = false;
    auto fail = [&](int err) {
        ::unlink(temp.c_str());
        ::close(fd);
        closed = true;
        ThrowFileError(err, path);
    };
    const FileWriteFunction write = [&](std::span<const uint8_t> data) {
        size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(errno);
            }
            done += size_t(n);
        }
    };
    try {
        produce(write);
    } catch (...) {
        if (!closed) {
            ::unlink(temp.c_str());
            ::close(fd);
        }
        throw;
    }
    if (existed) {
        if (::fchmod(fd, mode) != 0) fail(errno);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, mode & ~mask) != 0) fail(errno);
    }
    if (::fsync(fd) != 0) fail(errno);
    // Renamed while still open, so that its lock keeps others from taking
    // it for left behind up to the moment it becomes the target.
    if (::rename(temp.c_str(), path.c_str()) != 0) fail(errno);
    // The data are on disk already (fsync above): what closing might still
    // report no longer concerns the saved file.
    ::close(fd);
    // Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

namespace {

// The bytes of an open file, read where it stands.
class CFileSource final : public IStreamSource {
public:
    CFileSource(int fd, const std::string& path) : m_fd(fd), m_path(path) {}

    size_t Read(uint8_t* out, size_t size) override {
        for (;;) {
            const ssize_t n = ::read(m_fd, out, size);
            if (n >= 0) return size_t(n);
            if (errno != EINTR) ThrowFileError(errno, m_path);
        }
    }

private:
    int m_fd;
    const std::string& m_path;
};

}  // namespace

RootList LoadCatalogueFile(const std::string& path, HeaderAcceptance acceptance, size_t windowSize) {
    struct stat st {};
    const int fd = OpenFileForReading(path, st);
    const CFileCloser closer(fd);
    // A regular file is decoded as it is read, from the size it has now.
    // Anything else, and files that tell no size (as those of /proc do), is
    // read to its end first.
    if (!S_ISREG(st.st_mode) || st.st_size <= 0) {
        std::vector<uint8_t> data;
        const size_t hint = S_ISREG(st.st_mode) ? 0 : 65536;
        const size_t size = ReadToEnd(fd, hint, 0, path, data, nullptr)->size();
        return ReadCatalogue(std::span<const uint8_t>(data.data(), size), acceptance);
    }
    CFileSource source(fd, path);
    return ReadCatalogue(source, size_t(st.st_size), acceptance, windowSize);
}

RootList LoadCatalogueFile(const std::string& path, HeaderAcceptance acceptance) {
    return LoadCatalogueFile(path, acceptance, kStreamWindowSize);
}

void SaveCatalogueFile(const std::string& path, const std::vector<CRootEntry*>& roots) {
    // The catalogue goes to the temporary file piece by piece: a large one
    // is never held whole in memory, and a failure on the way leaves the
    // existing file as it was.
    WriteFileReplacingWith(path, [&](const FileWriteFunction& write) {
        Guarded([&] {
            CCatalogueStream stream;
            stream.SetOutputSink(write, kSavePiece);
            WriteWholeCatalogue(stream, roots);
            stream.FlushOutput();
            return 0;
        });
    });
}

}  // namespace volcatra
