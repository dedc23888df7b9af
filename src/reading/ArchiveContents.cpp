#include "reading/ArchiveContents.h"

#include <climits>
#include <new>
#include <utility>

#include "model/AnsiCodePage.h"
#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

using namespace archiver_api;

constexpr int kNameBufferSize = 4096;
constexpr int kMemberFound = 0;
constexpr int kNoMembers = -1;

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

std::u16string_view LastCharacters(std::u16string_view name, size_t count) {
    return name.size() <= count ? name : name.substr(name.size() - count);
}

template <typename Fn>
Fn Lookup(const IArchiverModule& module, const std::string& name) {
    return reinterpret_cast<Fn>(module.GetExport(name.c_str()));
}

// A name in the ANSI code page, as the narrow GetFileName reports it.
std::u16string DecodeAnsiName(const char* bytes) {
    const std::string text(bytes);
    try {
        return AnsiToUtf16(text.data(), text.size());
    } catch (const std::exception&) {
        return FileNameToUtf16(text);
    }
}

// The position the next array takes in m_folders, or -1 when the list is
// full (positions are 32-bit).
int32_t NextPosition(const CRootEntry& root) {
    return root.m_folders.size() < size_t(INT32_MAX) ? int32_t(root.m_folders.size()) : -1;
}

// The cabinet callback's context.
struct CabinetContext {
    CFileArray* list;
};

uint32_t CabinetFileCallback(void* context, uint32_t notification, uintptr_t param1, uintptr_t) {
    if (notification != SPFILENOTIFY_FILEINCABINET) return 0;
    auto* cabinet = static_cast<CabinetContext*>(context);
    const auto* info = reinterpret_cast<const FileInCabinetInfo*>(param1);
    if (!cabinet || !info) return FILEOP_SKIP;
    try {
        auto entry = std::make_unique<CFileEntry>();
        if (info->nameInCabinet) entry->m_name = info->nameInCabinet;
        entry->m_attributes = info->dosAttribs;
        if (!entry->m_name.empty() && (entry->m_name.back() == u'/' || entry->m_name.back() == u'\\'))
            entry->m_attributes |= FA_ARCHIVE_FOLDER;
        entry->m_size = info->fileSize;
        entry->m_time = DosDateTimeToUnixSeconds(info->dosDate, info->dosTime);
        cabinet->list->m_entries.push_back(std::move(*entry));
    } catch (const std::bad_alloc&) {
        // Out of memory: end the iteration; the members so far remain.
        return FILEOP_ABORT;
    }
    return FILEOP_SKIP;  // not extracted; the iteration goes on
}

}  // namespace

CArchiverTable::CArchiverTable(ILibraryLoader& loader) : m_loader(loader) {}

CArchiverTable::~CArchiverTable() {
    UnloadArchivers();
}

bool CArchiverTable::IsLoaded(int row) const {
    return row >= 0 && row < kArchiverRowCount && m_rows[size_t(row)].module != nullptr;
}

bool CArchiverTable::LoadArchiverRow(int index) {
    const ArchiverRow& definition = kArchiverRows[index];
    Row& row = m_rows[size_t(index)];
    row = Row{};
    row.module = m_loader.Load(definition.library);
    if (!row.module) return false;
    const IArchiverModule& m = *row.module;
    const std::string p = definition.prefix;
    // Looked up in this order; every one may be absent.
    row.setCursorMode = Lookup<SetCursorMode>(m, p + "SetCursorMode");
    row.checkArchive = Lookup<CheckArchive>(m, p + "CheckArchive");
    row.openArchive = Lookup<OpenArchive>(m, p + "OpenArchive");
    row.closeArchive = Lookup<CloseArchive>(m, p + "CloseArchive");
    row.findFirst = Lookup<FindFirst>(m, p + "FindFirst");
    row.findNext = Lookup<FindNext>(m, p + "FindNext");
    row.getFileName = Lookup<GetFileName>(m, p + "GetFileName");
    row.getFileNameW = Lookup<GetFileNameW>(m, p + "GetFileNameW");
    row.getAttribute = Lookup<GetAttribute>(m, p + "GetAttribute");
    row.getOriginalSize = Lookup<GetOriginalSize>(m, p + "GetOriginalSize");
    row.getWriteTime = Lookup<GetWriteTime>(m, p + "GetWriteTime");
    row.getOriginalSizeEx = Lookup<GetOriginalSizeEx>(m, p + "GetOriginalSizeEx");
    row.getWriteTimeEx = Lookup<GetWriteTimeEx>(m, p + "GetWriteTimeEx");
    row.checkArchiveW = Lookup<CheckArchiveW>(m, p + "CheckArchiveW");
    row.openArchiveW = Lookup<OpenArchiveW>(m, p + "OpenArchiveW");
    row.findFirstW = Lookup<FindFirstW>(m, p + "FindFirstW");
    row.findNextW = Lookup<FindNextW>(m, p + "FindNextW");
    row.getVersion = Lookup<GetVersion>(m, p + "GetVersion");
    const bool complete = row.setCursorMode && row.checkArchive && row.openArchive && row.closeArchive &&
                          row.findFirst && row.findNext && row.getVersion;
    if (!complete || row.getVersion() < definition.minimumVersion) {
        row = Row{};  // unloads the library
        return false;
    }
    return true;
}

void CArchiverTable::LoadSetupLibrary() {
    Row& row = m_rows[kSetupCabinetRow];
    row = Row{};
    row.module = m_loader.Load(kArchiverRows[kSetupCabinetRow].library);
    if (!row.module) return;
    row.iterateCabinet = Lookup<SetupIterateCabinetW>(*row.module, "SetupIterateCabinetW");
    if (!row.iterateCabinet) row = Row{};
}

std::u16string CArchiverTable::LoadArchivers() {
    for (int i = 1; i < kArchiverRowCount; ++i)
        if (!IsLoaded(i)) LoadArchiverRow(i);
    if (!IsLoaded(kCabinetArchiverRow) && !IsLoaded(kSetupCabinetRow)) LoadSetupLibrary();
    std::u16string text;
    for (int i = 0; i < kArchiverRowCount; ++i) {
        if (!IsLoaded(i)) continue;
        if (!text.empty()) text += u", ";
        text += kArchiverRows[i].extension;
    }
    if (text.size() > kSupportedExtensionsMax) text.resize(kSupportedExtensionsMax);
    return text;
}

void CArchiverTable::UnloadArchivers() {
    for (Row& row : m_rows) row = Row{};
}

int CArchiverTable::FindArchiveHandler(std::u16string_view name) const {
    const std::u16string_view last4 = LastCharacters(name, 4);
    for (int i = 0; i <= 6; ++i)
        if (IsLoaded(i) && EqualNoCase(last4, kArchiverRows[i].extension)) return i;
    if (IsLoaded(7) && EqualNoCase(LastCharacters(name, 3), kArchiverRows[7].extension)) return 7;
    return -1;
}

int32_t CArchiverTable::ReadMembers(IReadProgress* progress, CRootEntry& root, int row, const std::string& fullPath,
                                    const std::u16string& relPath) {
    if (row == kSetupCabinetRow) return ReadCabinet(progress, root, fullPath, relPath);
    return ReadArchive(progress, root, row, fullPath, relPath);
}

int32_t CArchiverTable::ReadArchive(IReadProgress* progress, CRootEntry& root, int rowIndex,
                                    const std::string& fullPath, const std::u16string& relPath) {
    if (rowIndex < 1 || rowIndex >= kArchiverRowCount || !IsLoaded(rowIndex)) return -1;
    const Row& row = m_rows[size_t(rowIndex)];
    row.setCursorMode(0);
    const std::u16string widePath = FileNameToUtf16(fullPath);
    if (progress) progress->SetPathText(widePath);

    // Open: the wide pair when the library has both, else the narrow pair
    // with the path's own bytes (the single-byte form of paths here).
    ArchiveHandle handle = nullptr;
    if (row.checkArchiveW && row.openArchiveW) {
        if (row.checkArchiveW(widePath.c_str(), 0) == 0) return -1;
        handle = row.openArchiveW(nullptr, widePath.c_str(), 0);
    } else if (row.checkArchive(fullPath.c_str(), 0) != 0) {
        handle = row.openArchive(nullptr, fullPath.c_str(), 0);
    }
    if (!handle) return -1;

    int result = row.findFirstW ? row.findFirstW(handle, u"*.*", nullptr) : row.findFirst(handle, "*.*", nullptr);
    if (result != kMemberFound && result != kNoMembers) {
        row.closeArchive(handle);
        return -1;
    }
    const int32_t position = NextPosition(root);
    std::unique_ptr<CFileArray> list;
    try {
        if (position < 0) throw std::bad_alloc();
        list = std::make_unique<CFileArray>();
        list->m_path = relPath;
    } catch (const std::bad_alloc&) {
        row.closeArchive(handle);
        return -1;
    }

    char16_t wideName[kNameBufferSize];
    char narrowName[kNameBufferSize];
    while (result == kMemberFound) {
        try {
            auto entry = std::make_unique<CFileEntry>();
            if (row.getFileNameW) {
                wideName[0] = 0;
                row.getFileNameW(handle, wideName, kNameBufferSize);
                wideName[kNameBufferSize - 1] = 0;
                entry->m_name = wideName;
            } else if (row.getFileName) {
                narrowName[0] = 0;
                row.getFileName(handle, narrowName, kNameBufferSize);
                narrowName[kNameBufferSize - 1] = 0;
                entry->m_name = DecodeAnsiName(narrowName);
            }
            if (row.getAttribute) {
                uint16_t attributes = uint16_t(row.getAttribute(handle) & 0x3F);
                if (attributes & FA_DIRECTORY) attributes = uint16_t((attributes & ~FA_DIRECTORY) | FA_ARCHIVE_FOLDER);
                entry->m_attributes = attributes;
            }
            if (row.getOriginalSizeEx) {
                int64_t size = 0;
                row.getOriginalSizeEx(handle, &size);
                entry->m_size = size > 0 ? uint64_t(size) : 0;
            } else if (row.getOriginalSize) {
                entry->m_size = row.getOriginalSize(handle);
            }
            if (row.getWriteTimeEx) {
                ArchiverFileTime time;
                entry->m_time = row.getWriteTimeEx(handle, &time) ? FileTimeToUnixSeconds(time) : 0;
            } else if (row.getWriteTime) {
                entry->m_time = int64_t(row.getWriteTime(handle));
            }
            list->m_entries.push_back(std::move(*entry));
        } catch (const std::bad_alloc&) {
            break;  // the members read so far remain
        }
        // FindNext even when the library offers FindNextW.
        result = row.findNext(handle, nullptr);
    }
    row.closeArchive(handle);
    try {
        root.m_folders.push_back(std::move(list));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return position;
}

int32_t CArchiverTable::ReadCabinet(IReadProgress* progress, CRootEntry& root, const std::string& fullPath,
                                    const std::u16string& relPath) {
    if (!IsLoaded(kSetupCabinetRow) || !m_rows[kSetupCabinetRow].iterateCabinet) return -1;
    const std::u16string widePath = FileNameToUtf16(fullPath);
    if (progress) progress->SetPathText(widePath);
    const int32_t position = NextPosition(root);
    if (position < 0) return -1;
    CFileArray* list = nullptr;
    try {
        auto created = std::make_unique<CFileArray>();
        created->m_path = relPath;
        list = created.get();
        root.m_folders.push_back(std::move(created));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    // The iteration's result is not examined: a cabinet that cannot be
    // iterated leaves an empty or partial list.
    CabinetContext context{list};
    m_rows[kSetupCabinetRow].iterateCabinet(widePath.c_str(), 0, &CabinetFileCallback, &context);
    return position;
}

}  // namespace volcatra
