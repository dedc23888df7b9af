#include "platform/ArchiverLibraries.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "model/AnsiCodePage.h"
#include "model/FileNameCodec.h"
#include "platform/ArjReader.h"
#include "platform/ByteSource.h"

namespace volcatra {

namespace {

using namespace archiver_api;

// 100-ns units between 1601-01-01 and 1970-01-01.
constexpr int64_t kFileTimeUnixEpoch = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000LL;
// 1900-01-01 00:00:00 UTC.
constexpr int64_t kEarliestTime = -2208988800LL;

// Results of FindFirst and FindNext.
constexpr int kFound = 0;
constexpr int kNoMore = -1;
constexpr int kArchiveError = 0x8000 + 0x1A;  // any other value is an error

// One member as the built-in libraries hand it out.
struct Member {
    std::u16string name;
    uint16_t attributes = 0;
    uint64_t size = 0;
    int64_t time = 0;
};

enum class MemberStatus { Member, End, Failed };

class IMemberReader {
public:
    virtual ~IMemberReader() = default;
    virtual MemberStatus Next(Member& member) = 0;
};

enum class Format { Zip, Tar, Lha, Cab, Arj };

// Opens a regular file for reading without following a final symbolic link
// and without blocking on a FIFO swapped in since the scan looked at it.
int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// libarchive converts names between character sets through the locale of
// the calling thread. Under a UTF-8 locale names marked UTF-8 come out
// unchanged and unmarked names come out as the bytes stored, which
// DecodeArchiveName then decodes. The thread's locale is switched only for
// the duration of a call, so the rest of the process is not affected.
class ScopedUtf8Locale {
public:
    ScopedUtf8Locale() {
        static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
        if (utf8) m_previous = ::uselocale(utf8);
    }
    ~ScopedUtf8Locale() {
        if (m_previous) ::uselocale(m_previous);
    }
    ScopedUtf8Locale(const ScopedUtf8Locale&) = delete;
    ScopedUtf8Locale& operator=(const ScopedUtf8Locale&) = delete;

private:
    locale_t m_previous = locale_t(0);
};

uint16_t AttributesFromMode(unsigned mode) {
    uint16_t attributes = 0;
    if (S_ISDIR(mode)) attributes |= 0x10;
    if (S_ISREG(mode)) attributes |= 0x20;
    if ((mode & S_IWUSR) == 0) attributes |= 0x01;
    return attributes;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        char c = text[text.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

// The name gzip itself would restore for a compressed file without a
// stored name.
std::string GzipDefaultName(const std::string& path) {
    std::string name = BaseName(path);
    if (EndsWithNoCase(name, ".gz")) return name.substr(0, name.size() - 3);
    if (EndsWithNoCase(name, ".tgz")) return name.substr(0, name.size() - 4) + ".tar";
    return name;
}

// Whether the whole file is gzip data that decompresses to nothing: one or
// more complete members, checksums and lengths right, nothing after them
// but zero bytes (which gzip -t accepts too).
// The first member's stored name (FNAME) and time come back as well.
bool IsGzipOfEmptyData(const IByteSource& bytes, std::optional<std::string>& storedName, int64_t& time) {
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK) return false;  // the gzip wrapper only
    // The header of the first member; inflateReset forgets it, so later
    // members are checked without one.
    gz_header header{};
    std::vector<Bytef> name(4096);
    header.name = name.data();
    header.name_max = uInt(name.size());
    inflateGetHeader(&stream, &header);
    std::vector<Bytef> input(65536);
    Bytef output[64];
    uint64_t offset = 0;
    int members = 0;
    bool inMember = false;  // a member has begun and not yet ended
    bool zeros = false;     // only zero bytes may follow
    bool valid = true;
    while (valid) {
        if (stream.avail_in == 0) {
            const size_t n = size_t(std::min<uint64_t>(input.size(), bytes.Size() - offset));
            if (n == 0) break;
            if (!bytes.Read(offset, input.data(), n)) {
                valid = false;
                break;
            }
            offset += n;
            stream.next_in = input.data();
            stream.avail_in = uInt(n);
        }
        if (zeros || (members > 0 && !inMember && stream.next_in[0] == 0)) {
            // Zero bytes after the last member, as gzip itself ignores them.
            zeros = true;
            for (uInt i = 0; i < stream.avail_in; ++i)
                if (stream.next_in[i] != 0) valid = false;
            stream.avail_in = 0;
            continue;
        }
        stream.next_out = output;
        stream.avail_out = sizeof(output);
        inMember = true;
        const int r = inflate(&stream, Z_NO_FLUSH);
        if (stream.avail_out != sizeof(output)) valid = false;  // it holds data
        if (r == Z_STREAM_END) {
            if (members++ == 0) {
                if (header.name)  // zlib clears it when the member has no name
                    storedName = std::string(reinterpret_cast<const char*>(name.data()),
                                             ::strnlen(reinterpret_cast<const char*>(name.data()), name.size()));
                time = int64_t(header.time);
            }
            inMember = false;
            if (inflateReset(&stream) != Z_OK) valid = false;
        } else if (r != Z_OK) {
            valid = false;
        }
    }
    inflateEnd(&stream);
    return valid && members > 0 && !inMember;
}

class LibarchiveReader : public IMemberReader {
public:
    ~LibarchiveReader() override {
        if (m_archive) {
            ScopedUtf8Locale locale;
            archive_read_free(m_archive);
        }
    }

    static std::unique_ptr<LibarchiveReader> Open(Format format, const std::string& path) {
        auto reader = std::unique_ptr<LibarchiveReader>(new (std::nothrow) LibarchiveReader);
        if (!reader) return nullptr;
        // A file of a folder, or a file inside a disc image read in place.
        const int fd = OpenRegularFile(path);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0) {
            reader->m_bytes = std::make_unique<FileByteSource>(fd, uint64_t(st.st_size), true);
        } else {
            if (fd >= 0) ::close(fd);
            reader->m_bytes = OpenEmbeddedFile(path);
        }
        if (!reader->m_bytes) return nullptr;
        reader->m_format = format;
        reader->m_path = path;
        ScopedUtf8Locale locale;
        archive* a = archive_read_new();
        if (!a) return nullptr;
        reader->m_archive = a;
        switch (format) {
            case Format::Zip:
                archive_read_support_format_zip(a);
                break;
            case Format::Tar:
                // Only the decompressors libarchive carries itself: none
                // that would run an outside program on the file.
                archive_read_support_filter_gzip(a);
                archive_read_support_filter_bzip2(a);
                archive_read_support_filter_xz(a);
                archive_read_support_filter_lzma(a);
                archive_read_support_filter_compress(a);
                archive_read_support_format_tar(a);
                archive_read_support_format_raw(a);
                // Input that holds no bytes at all (after decompression):
                // an empty TAR, or a compressed file of empty data.
                archive_read_support_format_empty(a);
                break;
            case Format::Lha:
                archive_read_support_format_lha(a);
                // LZH names are in the ANSI code page. Left to itself the
                // reader gives up on a level-0 name that is not valid in
                // the locale's character set.
                try {
                    archive_read_set_format_option(a, "lha", "hdrcharset", AnsiCodePageName().c_str());
                } catch (const std::exception&) {
                }
                break;
            case Format::Cab:
                archive_read_support_format_cab(a);
                break;
            case Format::Arj:
                return nullptr;
        }
        reader->m_input.bytes = reader->m_bytes.get();
        archive_read_set_read_callback(a, ReadInput);
        archive_read_set_skip_callback(a, SkipInput);
        archive_read_set_seek_callback(a, SeekInput);
        archive_read_set_callback_data(a, &reader->m_input);
        if (archive_read_open1(a) != ARCHIVE_OK) return nullptr;
        return reader;
    }

    MemberStatus Next(Member& member) override {
        if (m_done) return MemberStatus::End;
        ScopedUtf8Locale locale;
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(m_archive, &entry);
        if (r == ARCHIVE_EOF) {
            m_done = true;
            if (archive_format(m_archive) == ARCHIVE_FORMAT_EMPTY) return EmptyInput(member);
            return MemberStatus::End;
        }
        if ((r != ARCHIVE_OK && r != ARCHIVE_WARN) || !entry) {
            m_done = true;
            return MemberStatus::Failed;
        }
        if (archive_format(m_archive) == ARCHIVE_FORMAT_RAW) return RawMember(entry, member);
        const char* name = archive_entry_pathname(entry);
        if (!name) name = archive_entry_pathname_utf8(entry);
        const std::string bytes = name ? name : "";
        member.name = m_format == Format::Tar ? FileNameToUtf16(bytes) : DecodeArchiveName(bytes);
        member.attributes = AttributesFromMode(archive_entry_mode(entry));
        member.size =
            archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0 ? uint64_t(archive_entry_size(entry)) : 0;
        member.time = archive_entry_mtime_is_set(entry) ? int64_t(archive_entry_mtime(entry)) : 0;
        return MemberStatus::Member;
    }

private:
    LibarchiveReader() = default;

    // A compressed file that holds no archive: one member, named from the
    // gzip header, sized from the gzip trailer. The data is never
    // decompressed, so a small file that expands enormously costs nothing.
    MemberStatus RawMember(archive_entry* entry, Member& member) {
        m_done = true;
        const int filter = archive_filter_code(m_archive, 0);
        if (filter == ARCHIVE_FILTER_NONE) return MemberStatus::Failed;  // not compressed: no archive of ours
        unsigned char head[10] = {};
        const bool gzip = filter == ARCHIVE_FILTER_GZIP && m_bytes->Read(0, head, sizeof(head));
        const bool storedName = gzip && (head[3] & 0x08) != 0;  // FNAME
        const char* name = archive_entry_pathname(entry);
        member.name = FileNameToUtf16(storedName && name ? std::string(name) : GzipDefaultName(m_path));
        member.attributes = 0x20;
        member.size = 0;
        unsigned char trailer[4];
        if (gzip && m_bytes->Size() >= 18 && m_bytes->Read(m_bytes->Size() - 4, trailer, sizeof(trailer)))
            member.size = uint32_t(trailer[0]) | uint32_t(trailer[1]) << 8 | uint32_t(trailer[2]) << 16 |
                          uint32_t(trailer[3]) << 24;  // ISIZE: the size modulo 2^32
        member.time = archive_entry_mtime_is_set(entry) ? int64_t(archive_entry_mtime(entry)) : 0;
        return MemberStatus::Member;
    }

    // Input in which libarchive found no bytes. A 0-byte file is an empty
    // TAR only under a TAR name (a 0-byte .gz or .tgz is no gzip file); a
    // compressed file is a gzip of empty data only when zlib finds it whole
    // (libarchive also reports a damaged stream as empty), and then holds
    // one member of size 0 like any other plain .gz.
    MemberStatus EmptyInput(Member& member) {
        switch (archive_filter_code(m_archive, 0)) {
            case ARCHIVE_FILTER_NONE:
                return EndsWithNoCase(BaseName(m_path), ".tar") ? MemberStatus::End : MemberStatus::Failed;
            case ARCHIVE_FILTER_GZIP:
                break;
            default:
                return MemberStatus::Failed;
        }
        std::optional<std::string> storedName;
        int64_t time = 0;
        if (!IsGzipOfEmptyData(*m_bytes, storedName, time)) return MemberStatus::Failed;
        member.name = FileNameToUtf16(storedName ? *storedName : GzipDefaultName(m_path));
        member.attributes = 0x20;
        member.size = 0;
        member.time = time;
        return MemberStatus::Member;
    }

    // libarchive reads through these callbacks, so that a file inside a
    // disc image is read from its extents where it lies.
    struct Input {
        const IByteSource* bytes = nullptr;
        uint64_t offset = 0;
        std::vector<unsigned char> buffer = std::vector<unsigned char>(65536);
    };

    static la_ssize_t ReadInput(archive* a, void* data, const void** block) {
        auto& in = *static_cast<Input*>(data);
        const size_t n = size_t(std::min<uint64_t>(in.buffer.size(), in.bytes->Size() - in.offset));
        if (n == 0) return 0;
        if (!in.bytes->Read(in.offset, in.buffer.data(), n)) {
            archive_set_error(a, EIO, "read error");
            return ARCHIVE_FATAL;
        }
        in.offset += n;
        *block = in.buffer.data();
        return la_ssize_t(n);
    }

    static la_int64_t SkipInput(archive*, void* data, la_int64_t request) {
        auto& in = *static_cast<Input*>(data);
        if (request <= 0) return 0;
        const uint64_t skip = std::min<uint64_t>(uint64_t(request), in.bytes->Size() - in.offset);
        in.offset += skip;
        return la_int64_t(skip);
    }

    static la_int64_t SeekInput(archive*, void* data, la_int64_t offset, int whence) {
        auto& in = *static_cast<Input*>(data);
        const int64_t size = int64_t(std::min<uint64_t>(in.bytes->Size(), uint64_t(INT64_MAX)));
        int64_t base = 0;
        if (whence == SEEK_CUR) base = int64_t(in.offset);
        if (whence == SEEK_END) base = size;
        if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0) return ARCHIVE_FATAL;
        in.offset = uint64_t(std::min<int64_t>(base + offset, size));
        return la_int64_t(in.offset);
    }

    archive* m_archive = nullptr;
    std::unique_ptr<IByteSource> m_bytes;
    Input m_input;
    Format m_format = Format::Zip;
    std::string m_path;
    bool m_done = false;
};

class ArjMemberReader : public IMemberReader {
public:
    ~ArjMemberReader() override {
        if (m_fd >= 0) ::close(m_fd);
    }

    static std::unique_ptr<ArjMemberReader> Open(const std::string& path) {
        auto reader = std::unique_ptr<ArjMemberReader>(new (std::nothrow) ArjMemberReader);
        if (!reader) return nullptr;
        reader->m_fd = OpenRegularFile(path);
        if (reader->m_fd < 0 || !reader->m_reader.Open(reader->m_fd)) return nullptr;
        return reader;
    }

    MemberStatus Next(Member& member) override {
        ArjMember arj;
        switch (m_reader.Next(arj)) {
            case ArjStatus::End:
                return MemberStatus::End;
            case ArjStatus::Failed:
                return MemberStatus::Failed;
            case ArjStatus::Member:
                break;
        }
        member.name = DecodeArchiveName(arj.name);
        const bool folder = arj.fileType == ARJ_TYPE_DIRECTORY;
        if (arj.hostOs == ARJ_HOST_UNIX) {
            // The permission bits of a Unix mode; its type bits are not
            // stored as st_mode has them, so the file type decides.
            member.attributes = uint16_t((folder ? 0x10 : 0x20) | ((arj.accessMode & S_IWUSR) ? 0 : 0x01));
            member.time = int64_t(arj.timestamp);
        } else {
            member.attributes = uint16_t(arj.accessMode & 0x3F);
            if (folder) member.attributes = uint16_t((member.attributes & ~0x20) | 0x10);
            member.time = DosDateTimeToUnixSeconds(uint16_t(arj.timestamp >> 16), uint16_t(arj.timestamp & 0xFFFF));
        }
        if (arj.fileType == 4) member.attributes |= 0x08;  // volume label
        member.size = arj.originalSize;
        return MemberStatus::Member;
    }

private:
    ArjMemberReader() = default;

    int m_fd = -1;
    ArjReader m_reader;
};

std::unique_ptr<IMemberReader> OpenMembers(Format format, const std::string& path) {
    if (format == Format::Arj) return ArjMemberReader::Open(path);
    return LibarchiveReader::Open(format, path);
}

// The state behind an archive handle: the reader and the current member.
struct Session {
    std::unique_ptr<IMemberReader> reader;
    Member current;
    bool hasCurrent = false;
};

Session* AsSession(ArchiveHandle handle) {
    return static_cast<Session*>(handle);
}

// A file is accepted when it opens as the format and its first header (or
// its end, for an empty archive) reads cleanly.
int Check(Format format, const std::string& path) noexcept {
    try {
        auto reader = OpenMembers(format, path);
        if (!reader) return 0;
        Member member;
        return reader->Next(member) == MemberStatus::Failed ? 0 : 1;
    } catch (...) {
        return 0;
    }
}

ArchiveHandle Open(Format format, const std::string& path) noexcept {
    try {
        auto reader = OpenMembers(format, path);
        if (!reader) return nullptr;
        auto* session = new Session;
        session->reader = std::move(reader);
        return session;
    } catch (...) {
        return nullptr;
    }
}

int Advance(ArchiveHandle handle) noexcept {
    Session* session = AsSession(handle);
    if (!session) return kArchiveError;
    try {
        session->hasCurrent = false;
        switch (session->reader->Next(session->current)) {
            case MemberStatus::Member:
                session->hasCurrent = true;
                return kFound;
            case MemberStatus::End:
                return kNoMore;
            case MemberStatus::Failed:
                return kArchiveError;
        }
    } catch (...) {
    }
    return kArchiveError;
}

int SetCursorModeImpl(int) noexcept {
    return 1;
}

int CloseArchiveImpl(ArchiveHandle handle) noexcept {
    delete AsSession(handle);
    return 0;
}

// FindFirst and FindNext answer alike: kFound, kNoMore for an archive
// that ends (or is empty), kArchiveError for damage.
int FindFirstImpl(ArchiveHandle handle, const char*, void*) noexcept {
    return Advance(handle);
}

int FindFirstWImpl(ArchiveHandle handle, const char16_t*, void*) noexcept {
    return FindFirstImpl(handle, nullptr, nullptr);
}

int FindNextImpl(ArchiveHandle handle, void*) noexcept {
    return Advance(handle);
}

int GetFileNameWImpl(ArchiveHandle handle, char16_t* buffer, int size) noexcept {
    const Session* session = AsSession(handle);
    if (!session || !session->hasCurrent || !buffer || size <= 0) return -1;
    const std::u16string& name = session->current.name;
    const size_t count = name.size() < size_t(size) - 1 ? name.size() : size_t(size) - 1;
    std::memcpy(buffer, name.data(), count * sizeof(char16_t));
    buffer[count] = 0;
    return 0;
}

int GetAttributeImpl(ArchiveHandle handle) noexcept {
    const Session* session = AsSession(handle);
    return session && session->hasCurrent ? session->current.attributes : -1;
}

int GetOriginalSizeExImpl(ArchiveHandle handle, int64_t* size) noexcept {
    const Session* session = AsSession(handle);
    if (!session || !session->hasCurrent || !size) return 0;
    *size = int64_t(session->current.size);
    return 1;
}

int GetWriteTimeExImpl(ArchiveHandle handle, ArchiverFileTime* time) noexcept {
    const Session* session = AsSession(handle);
    if (!session || !session->hasCurrent || !time) return 0;
    *time = UnixSecondsToFileTime(session->current.time);
    return 1;
}

uint16_t GetVersionImpl() noexcept {
    return kBuiltInArchiverVersion;
}

template <Format F>
struct FormatExports {
    static int CheckArchive(const char* path, int) noexcept { return path ? Check(F, path) : 0; }
    static ArchiveHandle OpenArchive(void*, const char* path, uint32_t) noexcept {
        return path ? Open(F, path) : nullptr;
    }
    static int CheckArchiveW(const char16_t* path, int) noexcept {
        try {
            return path ? Check(F, Utf16ToFileName(path)) : 0;
        } catch (...) {
            return 0;
        }
    }
    static ArchiveHandle OpenArchiveW(void*, const char16_t* path, uint32_t) noexcept {
        try {
            return path ? Open(F, Utf16ToFileName(path)) : nullptr;
        } catch (...) {
            return nullptr;
        }
    }
};

template <typename Fn>
ArchiverProc Proc(Fn fn) {
    return reinterpret_cast<ArchiverProc>(fn);
}

struct Export {
    std::string name;
    ArchiverProc proc;
};

template <Format F>
std::vector<Export> MakeExports(const std::string& prefix) {
    using E = FormatExports<F>;
    return {
        {prefix + "SetCursorMode", Proc(&SetCursorModeImpl)},
        {prefix + "CheckArchive", Proc(&E::CheckArchive)},
        {prefix + "OpenArchive", Proc(&E::OpenArchive)},
        {prefix + "CloseArchive", Proc(&CloseArchiveImpl)},
        {prefix + "FindFirst", Proc(&FindFirstImpl)},
        {prefix + "FindNext", Proc(&FindNextImpl)},
        {prefix + "GetFileNameW", Proc(&GetFileNameWImpl)},
        {prefix + "GetAttribute", Proc(&GetAttributeImpl)},
        {prefix + "GetOriginalSizeEx", Proc(&GetOriginalSizeExImpl)},
        {prefix + "GetWriteTimeEx", Proc(&GetWriteTimeExImpl)},
        {prefix + "CheckArchiveW", Proc(&E::CheckArchiveW)},
        {prefix + "OpenArchiveW", Proc(&E::OpenArchiveW)},
        {prefix + "FindFirstW", Proc(&FindFirstWImpl)},
        {prefix + "FindNextW", Proc(&FindNextImpl)},
        {prefix + "GetVersion", Proc(&GetVersionImpl)},
    };
}

class BuiltInModule : public IArchiverModule {
public:
    explicit BuiltInModule(const std::vector<Export>& exports) : m_exports(exports) {}
    ArchiverProc GetExport(const char* name) const override {
        for (const Export& e : m_exports)
            if (e.name == name) return e.proc;
        return nullptr;
    }

private:
    const std::vector<Export>& m_exports;
};

class BuiltInLoader : public ILibraryLoader {
public:
    std::unique_ptr<IArchiverModule> Load(const std::string& name) override {
        static const std::vector<Export> zip = MakeExports<Format::Zip>("UnZip");
        static const std::vector<Export> tar = MakeExports<Format::Tar>("Tar");
        static const std::vector<Export> lha = MakeExports<Format::Lha>("Unlha");
        static const std::vector<Export> cab = MakeExports<Format::Cab>("Cab");
        static const std::vector<Export> arj = MakeExports<Format::Arj>("Unarj");
        const std::pair<const char*, const std::vector<Export>*> libraries[] = {
            {"UNZIP32", &zip}, {"TAR32", &tar}, {"UNLHA32", &lha}, {"CAB32", &cab}, {"UNARJ32J", &arj}};
        for (const auto& [libraryName, exports] : libraries)
            if (name == libraryName) return std::make_unique<BuiltInModule>(*exports);
        return nullptr;
    }
};

// Whether FileNameToUtf16 had to keep any byte as a lone surrogate, that
// is whether the bytes were not valid UTF-8.
bool HasEscapedBytes(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            ++i;  // a pair from a four-byte sequence
            continue;
        }
        if (c >= 0xDC80 && c <= 0xDCFF) return true;
    }
    return false;
}

}  // namespace

ILibraryLoader& BuiltInArchiverLoader() {
    static BuiltInLoader loader;
    return loader;
}

int64_t FileTimeToUnixSeconds(const ArchiverFileTime& time) {
    const uint64_t ticks = uint64_t(time.high) << 32 | time.low;
    // Any 64-bit tick count fits after the division.
    const int64_t seconds = int64_t(ticks / uint64_t(kTicksPerSecond)) - kFileTimeUnixEpoch / kTicksPerSecond;
    return seconds < kEarliestTime ? 0 : seconds;
}

ArchiverFileTime UnixSecondsToFileTime(int64_t seconds) {
    const int64_t maxSeconds = (INT64_MAX - kFileTimeUnixEpoch) / kTicksPerSecond;
    const int64_t minSeconds = -kFileTimeUnixEpoch / kTicksPerSecond;
    if (seconds > maxSeconds) seconds = maxSeconds;
    if (seconds < minSeconds) seconds = minSeconds;
    const uint64_t ticks = uint64_t(seconds * kTicksPerSecond + kFileTimeUnixEpoch);
    return {uint32_t(ticks & 0xFFFFFFFFu), uint32_t(ticks >> 32)};
}

int64_t DosDateTimeToUnixSeconds(uint16_t date, uint16_t time) {
    const int month = (date >> 5) & 0x0F, day = date & 0x1F;
    const int hour = time >> 11, minute = (time >> 5) & 0x3F, second = (time & 0x1F) * 2;
    // A field out of its range is damage, not a time to be normalised into
    // some other day.
    if (date == 0 || month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return 0;
    std::tm tm{};
    tm.tm_year = 80 + (date >> 9);
    tm.tm_mon = ((date >> 5) & 0x0F) - 1;
    tm.tm_mday = date & 0x1F;
    tm.tm_hour = time >> 11;
    tm.tm_min = (time >> 5) & 0x3F;
    tm.tm_sec = (time & 0x1F) * 2;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    return t == std::time_t(-1) ? 0 : int64_t(t);
}

std::u16string DecodeArchiveName(const std::string& bytes) {
    std::u16string utf8 = FileNameToUtf16(bytes);
    if (!HasEscapedBytes(utf8)) return utf8;
    try {
        return AnsiToUtf16(bytes.data(), bytes.size());
    } catch (const std::exception&) {
        return utf8;  // no usable code page: keep the bytes reversibly
    }
}

}  // namespace volcatra
