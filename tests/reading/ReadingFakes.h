// Test doubles of the reading code: an in-memory file system with failure
// injection, a progress object that records every call and can press
// Cancel at a given item, and a loader of fake archiver libraries.
#pragma once

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ArchiverLibraries.h"
#include "platform/DirectoryListing.h"
#include "reading/ReadProgress.h"

namespace volcatra::test {

// A node of the in-memory file system.
struct FakeNode {
    std::string name;
    ItemKind kind = ItemKind::RegularFile;
    uint16_t attributes = 0x20;
    uint64_t size = 0;
    int64_t time = 0;
    bool otherFileSystem = false;
    bool unlistable = false;  // opening it as a folder fails (EACCES)
    int failAfter = -1;       // the listing fails after this many items (-1: never)
    std::vector<FakeNode> children;

    static FakeNode File(std::string name, uint64_t size, int64_t time = 0, uint16_t attributes = 0x20) {
        FakeNode n;
        n.name = std::move(name);
        n.size = size;
        n.time = time;
        n.attributes = attributes;
        return n;
    }
    static FakeNode Folder(std::string name, std::vector<FakeNode> children = {}, uint16_t attributes = 0x10) {
        FakeNode n;
        n.name = std::move(name);
        n.kind = ItemKind::Folder;
        n.attributes = attributes;
        n.children = std::move(children);
        return n;
    }
};

class FakeListing : public IDirectoryListing {
public:
    explicit FakeListing(const FakeNode& folder, int* openListings) : m_folder(folder), m_open(openListings) {
        ++*m_open;
    }
    ~FakeListing() override { --*m_open; }

    ListingStatus Next(DirectoryItem& item) override {
        if (m_folder.failAfter >= 0 && m_next == size_t(m_folder.failAfter)) return ListingStatus::Failed;
        if (m_next >= m_folder.children.size()) return ListingStatus::End;
        const FakeNode& n = m_folder.children[m_next++];
        item.name = n.name;
        item.kind = n.kind;
        item.attributes = n.attributes;
        item.size = n.size;
        item.time = n.time;
        item.otherFileSystem = n.otherFileSystem;
        return ListingStatus::Item;
    }

    std::unique_ptr<IDirectoryListing> OpenSubfolder(const std::string& name, int& error) override {
        for (const FakeNode& n : m_folder.children) {
            if (n.name != name || n.kind != ItemKind::Folder) continue;
            if (n.unlistable) {
                error = EACCES;
                return nullptr;
            }
            return std::make_unique<FakeListing>(n, m_open);
        }
        error = ENOENT;
        return nullptr;
    }

    int Error() const override { return EIO; }

private:
    const FakeNode& m_folder;
    int* m_open;
    size_t m_next = 0;
};

// One volume mounted at "/media/disc" whose top folder is `top`.
class FakeFileSystem : public IMediaFileSystem {
public:
    FakeNode top = FakeNode::Folder("");
    std::u16string label = u"DISC1";
    uint32_t serialNumber = 0x1234ABCD;
    DiskSpace space{100 * 2048, 10 * 2048, 2048, 2048};
    bool volumeInformationFails = false;
    bool diskSpaceFails = false;
    std::string mountPoint = "/media/disc";
    bool foldsCase = false;  // the answer of FoldsCase
    int openListings = 0;    // listings currently open
    std::vector<std::string> openedFolders;

    bool GetVolumeInformation(const std::string& rootPath, std::u16string& l, uint32_t& serial) override {
        if (volumeInformationFails || rootPath != mountPoint) return false;
        l = label;
        serial = serialNumber;
        return true;
    }
    bool GetDiskSpace(const std::string& rootPath, DiskSpace& s) override {
        if (diskSpaceFails || rootPath != mountPoint) return false;
        s = space;
        return true;
    }
    std::unique_ptr<IDirectoryListing> OpenFolder(const std::string& path, int& error) override {
        openedFolders.push_back(path);
        const FakeNode* node = Find(path);
        if (!node || node->kind != ItemKind::Folder || node->unlistable) {
            error = !node ? ENOENT : node->kind != ItemKind::Folder ? ENOTDIR : EACCES;
            return nullptr;
        }
        return std::make_unique<FakeListing>(*node, &openListings);
    }
    bool FoldsCase(const std::string&, const std::string&) override { return foldsCase; }

private:
    const FakeNode* Find(const std::string& path) const {
        if (path.compare(0, mountPoint.size(), mountPoint) != 0) return nullptr;
        const FakeNode* node = &top;
        size_t i = mountPoint.size();
        while (i < path.size()) {
            if (path[i] == '/') {
                ++i;
                continue;
            }
            const size_t end = std::min(path.find('/', i), path.size());
            const std::string part = path.substr(i, end - i);
            i = end;
            const auto it = std::find_if(node->children.begin(), node->children.end(),
                                         [&](const FakeNode& c) { return c.name == part; });
            if (it == node->children.end()) return nullptr;
            node = &*it;
        }
        return node;
    }
};

// Records every call; presses Cancel just before the n-th cancel check
// (counting from 1) when cancelAtCheck is set.
class RecordingProgress : public CReadProgressBase {
public:
    std::vector<std::string> calls;
    std::vector<std::u16string> paths;
    std::vector<ReadPhase> phases;
    int cancelAtCheck = 0;
    int cancelChecks = 0;
    int pumps = 0;

    void SetPhaseText(ReadPhase phase) override {
        phases.push_back(phase);
        calls.push_back("phase");
    }
    void SetPathText(const std::u16string& path) override {
        paths.push_back(path);
        calls.push_back("path");
    }
    void SetRange(uint64_t high) override {
        CReadProgressBase::SetRange(high);
        calls.push_back("range " + std::to_string(high));
    }
    void SetPos(uint64_t position) override {
        CReadProgressBase::SetPos(position);
        calls.push_back("pos " + std::to_string(position));
    }
    void AddPos(uint64_t delta) override {
        CReadProgressBase::AddPos(delta);
        calls.push_back("add " + std::to_string(delta));
    }
    void PumpMessages() override { ++pumps; }
    bool TakeCancelRequest() override {
        ++cancelChecks;
        if (cancelChecks == cancelAtCheck) RequestCancel();
        return CReadProgressBase::TakeCancelRequest();
    }

    // The deltas passed to AddPos, in order.
    std::vector<uint64_t> Additions() const {
        std::vector<uint64_t> out;
        for (const std::string& c : calls)
            if (c.rfind("add ", 0) == 0) out.push_back(std::stoull(c.substr(4)));
        return out;
    }

protected:
    void OnPercentChanged(int percent) override { percents.push_back(percent); }

public:
    std::vector<int> percents;
};

// A fake archiver library: its exports are a table of function pointers.
class FakeModule : public IArchiverModule {
public:
    FakeModule(std::map<std::string, ArchiverProc> exports, int* loads)
        : m_exports(std::move(exports)), m_loads(loads) {
        ++*m_loads;
    }
    ~FakeModule() override { --*m_loads; }
    ArchiverProc GetExport(const char* name) const override {
        const auto it = m_exports.find(name);
        return it == m_exports.end() ? nullptr : it->second;
    }

private:
    std::map<std::string, ArchiverProc> m_exports;
    int* m_loads;
};

// Loads fake libraries by name and counts the loads still held.
class FakeLoader : public ILibraryLoader {
public:
    std::map<std::string, std::map<std::string, ArchiverProc>> libraries;
    std::map<std::string, int> loadsHeld;
    std::vector<std::string> loadOrder;

    std::unique_ptr<IArchiverModule> Load(const std::string& name) override {
        loadOrder.push_back(name);
        const auto it = libraries.find(name);
        if (it == libraries.end()) return nullptr;
        return std::make_unique<FakeModule>(it->second, &loadsHeld[name]);
    }

    int TotalLoadsHeld() const {
        int total = 0;
        for (const auto& [name, count] : loadsHeld) total += count;
        return total;
    }
};

template <typename Fn>
ArchiverProc AsProc(Fn fn) {
    return reinterpret_cast<ArchiverProc>(fn);
}

}  // namespace volcatra::test
