// A scriptable fake of the archiver-library interface and of the setup
// library's cabinet iteration. The functions are plain functions (as a
// library's exports are) working on one process-wide script; every call
// is recorded.
#pragma once

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ReadingFakes.h"
#include "platform/ArchiverLibraries.h"

namespace volcatra::test {

struct FakeMember {
    std::u16string wideName;
    std::string narrowName;
    int attributes = 0x20;
    int64_t sizeEx = 0;
    uint32_t size32 = 0;
    ArchiverFileTime timeEx{};
    uint32_t time32 = 0;
};

struct FakeArchive {
    std::vector<FakeMember> members;
    bool checkFails = false;
    bool openFails = false;
    int findFirstResult = 0;           // 0: members follow (or -1 when there are none); anything else is returned as is
    int findNextFailsAt = -1;          // FindNext answers an error instead of this member
    bool fillWholeNameBuffer = false;  // GetFileNameW writes no terminator
};

struct FakeCabinetMember {
    std::u16string name;
    uint32_t size = 0;
    uint16_t dosDate = 0, dosTime = 0, dosAttribs = 0;
};

struct FakeArchiverScript {
    std::map<std::string, FakeArchive> archives;  // by path bytes
    std::map<std::string, std::vector<FakeCabinetMember>> cabinets;
    std::vector<std::string> calls;
    std::vector<uint32_t> cabinetAnswers;  // what the callback returned
    uint16_t version = 100;
    int openHandles = 0;

    void Reset() { *this = FakeArchiverScript{}; }
    int Count(const std::string& callPrefix) const {
        int n = 0;
        for (const std::string& c : calls)
            if (c.rfind(callPrefix, 0) == 0) ++n;
        return n;
    }
};

inline FakeArchiverScript g_script;

namespace fake {

struct Handle {
    FakeArchive* archive;
    size_t current;
};

inline std::string Narrow(const char16_t* path) {
    std::string out;
    for (; *path; ++path) out.push_back(char(*path));  // tests use ASCII paths
    return out;
}

inline Handle* H(ArchiveHandle h) {
    return static_cast<Handle*>(h);
}

inline const FakeMember* Current(ArchiveHandle h) {
    Handle* handle = H(h);
    return handle->current < handle->archive->members.size() ? &handle->archive->members[handle->current] : nullptr;
}

inline int SetCursorMode(int mode) {
    g_script.calls.push_back("SetCursorMode " + std::to_string(mode));
    return 1;
}
inline int CheckPath(const std::string& path) {
    const auto it = g_script.archives.find(path);
    return it != g_script.archives.end() && !it->second.checkFails ? 1 : 0;
}
inline ArchiveHandle OpenPath(const std::string& path) {
    const auto it = g_script.archives.find(path);
    if (it == g_script.archives.end() || it->second.openFails) return nullptr;
    ++g_script.openHandles;
    return new Handle{&it->second, 0};
}
inline int CheckArchive(const char* path, int) {
    g_script.calls.push_back(std::string("CheckArchive ") + path);
    return CheckPath(path);
}
inline ArchiveHandle OpenArchive(void*, const char* path, uint32_t) {
    g_script.calls.push_back(std::string("OpenArchive ") + path);
    return OpenPath(path);
}
inline int CheckArchiveW(const char16_t* path, int) {
    g_script.calls.push_back("CheckArchiveW " + Narrow(path));
    return CheckPath(Narrow(path));
}
inline ArchiveHandle OpenArchiveW(void*, const char16_t* path, uint32_t) {
    g_script.calls.push_back("OpenArchiveW " + Narrow(path));
    return OpenPath(Narrow(path));
}
inline int CloseArchive(ArchiveHandle h) {
    g_script.calls.push_back("CloseArchive");
    --g_script.openHandles;
    delete H(h);
    return 0;
}
inline int First(ArchiveHandle h) {
    const FakeArchive& a = *H(h)->archive;
    if (a.findFirstResult != 0) return a.findFirstResult;
    return a.members.empty() ? -1 : 0;
}
inline int FindFirst(ArchiveHandle h, const char* wildcard, void* info) {
    g_script.calls.push_back(std::string("FindFirst ") + wildcard + (info ? " info" : ""));
    return First(h);
}
inline int FindFirstW(ArchiveHandle h, const char16_t* wildcard, void* info) {
    g_script.calls.push_back("FindFirstW " + Narrow(wildcard) + (info ? " info" : ""));
    return First(h);
}
inline int FindNext(ArchiveHandle h, void*) {
    g_script.calls.push_back("FindNext");
    Handle* handle = H(h);
    ++handle->current;
    if (int(handle->current) == handle->archive->findNextFailsAt) return 0x8012;
    return handle->current < handle->archive->members.size() ? 0 : -1;
}
inline int FindNextW(ArchiveHandle, void*) {
    g_script.calls.push_back("FindNextW");
    return -1;
}
inline int GetFileName(ArchiveHandle h, char* buffer, int size) {
    const FakeMember* m = Current(h);
    std::strncpy(buffer, m->narrowName.c_str(), size_t(size));
    return 0;
}
inline int GetFileNameW(ArchiveHandle h, char16_t* buffer, int size) {
    const FakeMember* m = Current(h);
    if (H(h)->archive->fillWholeNameBuffer) {
        for (int i = 0; i < size; ++i) buffer[i] = u'x';
        return 0;
    }
    const size_t n = std::min(m->wideName.size(), size_t(size) - 1);
    std::copy(m->wideName.begin(), m->wideName.begin() + long(n), buffer);
    buffer[n] = 0;
    return 0;
}
inline int GetAttribute(ArchiveHandle h) {
    return Current(h)->attributes;
}
inline uint32_t GetOriginalSize(ArchiveHandle h) {
    return Current(h)->size32;
}
inline uint32_t GetWriteTime(ArchiveHandle h) {
    return Current(h)->time32;
}
inline int GetOriginalSizeEx(ArchiveHandle h, int64_t* size) {
    *size = Current(h)->sizeEx;
    return 1;
}
inline int GetWriteTimeEx(ArchiveHandle h, ArchiverFileTime* time) {
    *time = Current(h)->timeEx;
    return 1;
}
inline uint16_t GetVersion() {
    return g_script.version;
}

inline int SetupIterateCabinetW(const char16_t* path, uint32_t, archiver_api::CabinetCallback callback, void* context) {
    g_script.calls.push_back("SetupIterateCabinetW " + Narrow(path));
    const auto it = g_script.cabinets.find(Narrow(path));
    if (it == g_script.cabinets.end()) return 0;
    g_script.cabinetAnswers.push_back(callback(context, 0x10 /* cabinet info */, 0, 0));
    for (const FakeCabinetMember& m : it->second) {
        archiver_api::FileInCabinetInfo info;
        info.nameInCabinet = m.name.c_str();
        info.fileSize = m.size;
        info.dosDate = m.dosDate;
        info.dosTime = m.dosTime;
        info.dosAttribs = m.dosAttribs;
        const uint32_t answer =
            callback(context, archiver_api::SPFILENOTIFY_FILEINCABINET, reinterpret_cast<uintptr_t>(&info), 0);
        g_script.cabinetAnswers.push_back(answer);
        if (answer == archiver_api::FILEOP_ABORT) break;
    }
    return 1;
}

}  // namespace fake

inline const char* const kAllBaseNames[] = {
    "SetCursorMode",  "CheckArchive",  "OpenArchive",  "CloseArchive",    "FindFirst",    "FindNext",
    "GetFileName",    "GetFileNameW",  "GetAttribute", "GetOriginalSize", "GetWriteTime", "GetOriginalSizeEx",
    "GetWriteTimeEx", "CheckArchiveW", "OpenArchiveW", "FindFirstW",      "FindNextW",    "GetVersion"};

// The exports of a fake archiver library with the given prefix, leaving
// out the base names in `without`.
inline std::map<std::string, ArchiverProc> FakeExports(const std::string& prefix,
                                                       const std::set<std::string>& without = {}) {
    const std::map<std::string, ArchiverProc> all = {
        {"SetCursorMode", AsProc(&fake::SetCursorMode)},   {"CheckArchive", AsProc(&fake::CheckArchive)},
        {"OpenArchive", AsProc(&fake::OpenArchive)},       {"CloseArchive", AsProc(&fake::CloseArchive)},
        {"FindFirst", AsProc(&fake::FindFirst)},           {"FindNext", AsProc(&fake::FindNext)},
        {"GetFileName", AsProc(&fake::GetFileName)},       {"GetFileNameW", AsProc(&fake::GetFileNameW)},
        {"GetAttribute", AsProc(&fake::GetAttribute)},     {"GetOriginalSize", AsProc(&fake::GetOriginalSize)},
        {"GetWriteTime", AsProc(&fake::GetWriteTime)},     {"GetOriginalSizeEx", AsProc(&fake::GetOriginalSizeEx)},
        {"GetWriteTimeEx", AsProc(&fake::GetWriteTimeEx)}, {"CheckArchiveW", AsProc(&fake::CheckArchiveW)},
        {"OpenArchiveW", AsProc(&fake::OpenArchiveW)},     {"FindFirstW", AsProc(&fake::FindFirstW)},
        {"FindNextW", AsProc(&fake::FindNextW)},           {"GetVersion", AsProc(&fake::GetVersion)},
    };
    std::map<std::string, ArchiverProc> exports;
    for (const auto& [base, proc] : all)
        if (!without.count(base)) exports[prefix + base] = proc;
    return exports;
}

inline std::map<std::string, ArchiverProc> FakeSetupLibrary() {
    return {{"SetupIterateCabinetW", AsProc(&fake::SetupIterateCabinetW)}};
}

// A loader with every archiver library of the handler table.
inline void AddAllArchivers(FakeLoader& loader) {
    loader.libraries["UNLHA32"] = FakeExports("Unlha");
    loader.libraries["UNARJ32J"] = FakeExports("Unarj");
    loader.libraries["UNZIP32"] = FakeExports("UnZip");
    loader.libraries["CAB32"] = FakeExports("Cab");
    loader.libraries["TAR32"] = FakeExports("Tar");
}

}  // namespace volcatra::test
