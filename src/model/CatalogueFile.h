// Whole catalogue files and one-volume payloads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/FileEntry.h"

namespace volcatra {

using RootList = std::vector<std::unique_ptr<CRootEntry>>;

// Which header versions a reader accepts.
enum class HeaderAcceptance {
    Document,  // versions up to 1.99
    Search,    // versions up to 1.00
};

inline constexpr char kHeaderText[] = "File Struct Record Version 1.00";
inline constexpr size_t kHeaderSize = 64;

// Encodes the roots as a catalogue file. The roots' extension block slots
// are updated as a save does (blocks 0 and 1 are built, written, released).
std::vector<uint8_t> WriteCatalogue(const std::vector<CRootEntry*>& roots);
std::vector<uint8_t> WriteCatalogue(const RootList& roots);

class CCatalogueStream;
class IStreamSource;

// Reads and checks the 64-byte header. Throws CatalogueError (Format, with
// HeaderRejected set when the text or version is not accepted).
void ReadCatalogueHeader(CCatalogueStream& stream, HeaderAcceptance acceptance);

// Decodes a catalogue file. Throws CatalogueError (Format or General).
RootList ReadCatalogue(std::span<const uint8_t> data, HeaderAcceptance acceptance);
// The same from the first `size` bytes of source, read in pieces into a
// window of windowSize bytes as they are decoded (see CCatalogueStream);
// failures of the source pass through.
RootList ReadCatalogue(IStreamSource& source, size_t size, HeaderAcceptance acceptance, size_t windowSize);

// The volume payload: one root's record without tag, its icon-store block
// and its extension list, in a stream of its own.
std::vector<uint8_t> WriteVolumePayload(CRootEntry& root);
std::unique_ptr<CRootEntry> ReadVolumePayload(std::span<const uint8_t> data);

// Files on disk. ReadWholeFile loads the whole file; writing goes to a
// temporary file beside the target (see TemporaryFiles.h), flushed to disk
// and renamed over it, so a failed save leaves an existing file untouched.
// Before it writes, a save removes the temporaries that writers which died
// left in the target's folder. Both throw CatalogueError with the cause and
// the path on file failures.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
// The same into a buffer that is reused from file to file (it only grows);
// returns the file's bytes at its start.
std::span<const uint8_t> ReadWholeFileInto(const std::string& path, std::vector<uint8_t>& buffer);
// The same for a regular file that starts with an accepted catalogue header.
// The header is read and checked first, so any other file costs no more than
// its first 64 bytes: a header that is not accepted throws the CatalogueError
// that ReadCatalogue throws for it. nullopt, without a failure, when the file
// cannot be opened or is anything else than a regular file (a FIFO or device
// is opened without blocking and never read), or when cancel is set while
// the file is read (it is looked at between pieces of a megabyte).
std::optional<std::span<const uint8_t>> ReadRegularCatalogueInto(const std::string& path, HeaderAcceptance acceptance,
                                                                 std::vector<uint8_t>& buffer,
                                                                 const std::atomic<bool>* cancel = nullptr);
void WriteFileReplacing(const std::string& path, std::span<const uint8_t> data);
// The same with the contents handed over in pieces: produce calls write for
// each piece in turn. When produce or a write throws, the temporary file is
// removed and the existing file stays as it was.
using FileWriteFunction = std::function<void(std::span<const uint8_t>)>;
void WriteFileReplacingWith(const std::string& path, const std::function<void(const FileWriteFunction&)>& produce);

// Opens a catalogue file, decoding a regular file while it reads it through
// a window (of kStreamWindowSize bytes unless given), so that the file is
// never held whole. Throws the CatalogueError that ReadWholeFile and
// ReadCatalogue throw. A file that becomes shorter while it is read fails as
// data that ends early; bytes added to it meanwhile are not read.
RootList LoadCatalogueFile(const std::string& path, HeaderAcceptance acceptance);
RootList LoadCatalogueFile(const std::string& path, HeaderAcceptance acceptance, size_t windowSize);
void SaveCatalogueFile(const std::string& path, const std::vector<CRootEntry*>& roots);

}  // namespace volcatra
