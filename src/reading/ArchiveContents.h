// Archive member lists: the handler table of archiver libraries, matching
// file names to it, and listing an archive's members into a volume.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/FileEntry.h"
#include "platform/ArchiverLibraries.h"
#include "reading/ReadProgress.h"

namespace volcatra {

// One row of the handler table. Row numbers are the handler indexes the
// scan passes back.
struct ArchiverRow {
    const char16_t* extension;
    const char* library;
    const char* prefix;       // export prefix; nullptr for the setup library
    uint16_t minimumVersion;  // for GetVersion; 0 for the setup library
};

inline constexpr int kArchiverRowCount = 8;
inline constexpr int kSetupCabinetRow = 0;
inline constexpr int kCabinetArchiverRow = 4;

inline constexpr ArchiverRow kArchiverRows[kArchiverRowCount] = {
    {u".CAB", "SETUPAPI.DLL", nullptr, 0},  // the setup library's cabinet iteration
    {u".LZH", "UNLHA32", "Unlha", 1},      {u".ARJ", "UNARJ32J", "Unarj", 1}, {u".ZIP", "UNZIP32", "UnZip", 90},
    {u".CAB", "CAB32", "Cab", 1},          {u".TAR", "TAR32", "Tar", 1},      {u".TGZ", "TAR32", "Tar", 1},
    {u".GZ", "TAR32", "Tar", 1},
};

// The supported-extensions text is at most this long.
inline constexpr size_t kSupportedExtensionsMax = 121;

// The handler table. Rows are loaded for one read command and unloaded at
// its end; only loaded rows take part in matching. Each row holds its own
// load of its library (rows 5 to 7 load "TAR32" three times).
class CArchiverTable {
public:
    explicit CArchiverTable(ILibraryLoader& loader);
    ~CArchiverTable();
    CArchiverTable(const CArchiverTable&) = delete;
    CArchiverTable& operator=(const CArchiverTable&) = delete;

    // Loads the rows not loaded yet, drops libraries that fail the export
    // or version checks, falls back to the setup library for cabinets when
    // the cabinet archiver is missing, and returns the supported-extensions
    // text (".LZH, .ZIP, ..."; empty when nothing is loaded).
    std::u16string LoadArchivers();
    void UnloadArchivers();

    bool IsLoaded(int row) const;

    // The row that lists files of this name, or -1: the last four
    // characters against rows 0 to 6, then the last three against ".GZ",
    // ignoring the case of A to Z.
    int FindArchiveHandler(std::u16string_view name) const;

    // Lists the archive at fullPath (a path of this system) into a new
    // member list of root whose m_path is relPath. Returns the list's
    // position in m_folders, or -1. Rows 1 to 7.
    int32_t ReadArchive(IReadProgress* progress, CRootEntry& root, int row, const std::string& fullPath,
                        const std::u16string& relPath);
    // The same through the setup library's cabinet iteration (row 0).
    int32_t ReadCabinet(IReadProgress* progress, CRootEntry& root, const std::string& fullPath,
                        const std::u16string& relPath);
    // ReadCabinet for row 0, ReadArchive for the others.
    int32_t ReadMembers(IReadProgress* progress, CRootEntry& root, int row, const std::string& fullPath,
                        const std::u16string& relPath);

private:
    struct Row {
        std::unique_ptr<IArchiverModule> module;
        archiver_api::SetCursorMode setCursorMode = nullptr;
        archiver_api::CheckArchive checkArchive = nullptr;
        archiver_api::OpenArchive openArchive = nullptr;
        archiver_api::CloseArchive closeArchive = nullptr;
        archiver_api::FindFirst findFirst = nullptr;
        archiver_api::FindNext findNext = nullptr;
        archiver_api::GetFileName getFileName = nullptr;
        archiver_api::GetFileNameW getFileNameW = nullptr;
        archiver_api::GetAttribute getAttribute = nullptr;
        archiver_api::GetOriginalSize getOriginalSize = nullptr;
        archiver_api::GetWriteTime getWriteTime = nullptr;
        archiver_api::GetOriginalSizeEx getOriginalSizeEx = nullptr;
        archiver_api::GetWriteTimeEx getWriteTimeEx = nullptr;
        archiver_api::CheckArchiveW checkArchiveW = nullptr;
        archiver_api::OpenArchiveW openArchiveW = nullptr;
        archiver_api::FindFirstW findFirstW = nullptr;
        archiver_api::FindNextW findNextW = nullptr;
        archiver_api::GetVersion getVersion = nullptr;
        archiver_api::SetupIterateCabinetW iterateCabinet = nullptr;
    };

    bool LoadArchiverRow(int row);
    void LoadSetupLibrary();

    ILibraryLoader& m_loader;
    std::array<Row, kArchiverRowCount> m_rows;
};

}  // namespace volcatra
