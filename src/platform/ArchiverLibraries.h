// The common archiver-library interface as the archive reader calls it, the
// setup library's cabinet iteration, and the loader that finds libraries by
// name.
//
// The program's own archiver libraries are built in: "UNZIP32" (ZIP),
// "TAR32" (TAR, compressed TAR, plain GZ), "UNLHA32" (LZH) and "CAB32"
// (CAB) list members through libarchive; "UNARJ32J" (ARJ) reads the ARJ
// headers itself (libarchive has no ARJ reader). Tests load fake libraries
// through their own loader.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace volcatra {

using ArchiveHandle = void*;

// A file time: 100-nanosecond units since 1601-01-01 00:00:00 UTC.
struct ArchiverFileTime {
    uint32_t low = 0;
    uint32_t high = 0;
};

// An export as the loader hands it out; cast to the function's own type.
using ArchiverProc = void (*)();

// The functions of the archiver-library interface. The member-record
// parameter of FindFirst and FindNext is always passed as nullptr.
namespace archiver_api {
using SetCursorMode = int (*)(int mode);
using CheckArchive = int (*)(const char* path, int mode);
using OpenArchive = ArchiveHandle (*)(void* window, const char* path, uint32_t mode);
using CloseArchive = int (*)(ArchiveHandle archive);
using FindFirst = int (*)(ArchiveHandle archive, const char* wildcard, void* info);
using FindNext = int (*)(ArchiveHandle archive, void* info);
using GetFileName = int (*)(ArchiveHandle archive, char* buffer, int size);
using GetFileNameW = int (*)(ArchiveHandle archive, char16_t* buffer, int size);
using GetAttribute = int (*)(ArchiveHandle archive);
using GetOriginalSize = uint32_t (*)(ArchiveHandle archive);
using GetWriteTime = uint32_t (*)(ArchiveHandle archive);
using GetOriginalSizeEx = int (*)(ArchiveHandle archive, int64_t* size);
using GetWriteTimeEx = int (*)(ArchiveHandle archive, ArchiverFileTime* time);
using CheckArchiveW = int (*)(const char16_t* path, int mode);
using OpenArchiveW = ArchiveHandle (*)(void* window, const char16_t* path, uint32_t mode);
using FindFirstW = int (*)(ArchiveHandle archive, const char16_t* wildcard, void* info);
using FindNextW = int (*)(ArchiveHandle archive, void* info);
using GetVersion = uint16_t (*)();

// The setup library's cabinet iteration.
inline constexpr uint32_t SPFILENOTIFY_FILEINCABINET = 0x11;
inline constexpr uint32_t FILEOP_ABORT = 0;
inline constexpr uint32_t FILEOP_SKIP = 2;

struct FileInCabinetInfo {
    const char16_t* nameInCabinet = nullptr;
    uint32_t fileSize = 0;
    uint32_t win32Error = 0;
    uint16_t dosDate = 0;
    uint16_t dosTime = 0;
    uint16_t dosAttribs = 0;
    char16_t fullTargetName[260] = {};
};

// Called for each notification; for SPFILENOTIFY_FILEINCABINET param1 is
// the address of a FileInCabinetInfo.
using CabinetCallback = uint32_t (*)(void* context, uint32_t notification, uintptr_t param1, uintptr_t param2);
using SetupIterateCabinetW = int (*)(const char16_t* cabinetFile, uint32_t reserved, CabinetCallback callback,
                                     void* context);
}  // namespace archiver_api

// A loaded library. Destroying it unloads it (each load is counted).
class IArchiverModule {
public:
    virtual ~IArchiverModule() = default;
    // The export of that name, or nullptr.
    virtual ArchiverProc GetExport(const char* name) const = 0;
};

class ILibraryLoader {
public:
    virtual ~ILibraryLoader() = default;
    // Loads a library by name ("UNZIP32", "SETUPAPI.DLL"); nullptr when
    // there is none.
    virtual std::unique_ptr<IArchiverModule> Load(const std::string& name) = 0;
};

// The libraries built into the program. There is no setup library.
ILibraryLoader& BuiltInArchiverLoader();

// The version the built-in libraries report through GetVersion.
inline constexpr uint16_t kBuiltInArchiverVersion = 100;

// Seconds since 1970 UTC of a file time; 0 for a time before 1900, as a
// time the catalogue cannot show.
int64_t FileTimeToUnixSeconds(const ArchiverFileTime& time);
ArchiverFileTime UnixSecondsToFileTime(int64_t seconds);

// A DOS date and time (local calendar time) as seconds since 1970 UTC,
// through the C library's local-time conversion; 0 for a zero date, a
// field out of its range, or a time the conversion cannot represent.
int64_t DosDateTimeToUnixSeconds(uint16_t date, uint16_t time);

// A member name from an archive that may hold either UTF-8 or the ANSI
// code page: valid UTF-8 is taken as such, anything else is decoded
// through the ANSI code page.
std::u16string DecodeArchiveName(const std::string& bytes);

}  // namespace volcatra
