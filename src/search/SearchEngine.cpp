#include "search/SearchEngine.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "model/CatalogueError.h"
#include "model/FileNameCodec.h"
#include "search/CatalogueScanJob.h"

namespace volcatra {

namespace {

// One name of a folder listing, classified while the folder is open.
struct FolderItem {
    std::string m_name;
    bool m_catalogue;  // named *.fsr and not a folder (links followed)
    bool m_subfolder;  // a folder itself, not a link to one
};

bool HasCatalogueExtension(std::string_view name) {
    constexpr std::string_view kExtension = ".fsr";
    if (name.size() < kExtension.size()) return false;
    const std::string_view tail = name.substr(name.size() - kExtension.size());
    for (size_t i = 0; i < kExtension.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != kExtension[i]) return false;
    }
    return true;
}

// Lists an open folder (taking over fd) in the file system's order.
std::vector<FolderItem> ListFolder(int fd) {
    std::vector<FolderItem> items;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return items;
    }
    while (const dirent* d = ::readdir(dir)) {
        const std::string_view name = d->d_name;
        if (name == "." || name == "..") continue;
        bool folder = d->d_type == DT_DIR;
        bool link = d->d_type == DT_LNK;
        if (d->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(::dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            folder = S_ISDIR(st.st_mode);
            link = S_ISLNK(st.st_mode);
        }
        bool catalogue = !folder && HasCatalogueExtension(name);
        if (catalogue && link) {
            // A link that leads to a folder is no catalogue file (and, as a
            // link, is not entered as a folder either).
            struct stat st {};
            if (::fstatat(::dirfd(dir), d->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) catalogue = false;
        }
        if (catalogue || folder) items.push_back({std::string(name), catalogue, folder});
    }
    ::closedir(dir);
    return items;
}

std::u16string WithFileName(UiText pattern, const std::u16string& path) {
    std::u16string text = Tr(pattern);
    const size_t at = text.find(u"%1");
    if (at != std::u16string::npos) text.replace(at, 2, path);
    return text;
}

}  // namespace

std::u16string CatalogueFailureText(const CatalogueError& error, const std::u16string& path) {
    switch (error.Kind()) {
        case CatalogueFailure::File:
            return FileErrorText(error.Cause(), path);
        case CatalogueFailure::General:
            break;  // content the reader cannot take, such as an impossible length
        case CatalogueFailure::Format:
            switch (error.FormatCause()) {
                case FormatErrorCause::EndOfData:
                    return WithFileName(kEndOfDataText, path);
                case FormatErrorCause::UnexpectedClass:
                    return WithFileName(kUnexpectedClassText, path);
                case FormatErrorCause::BadSchema:
                    return WithFileName(kBadSchemaText, path);
                case FormatErrorCause::BadFormat:
                    break;
            }
            break;
    }
    return WithFileName(kBadFormatText, path);
}

std::u16string FoundCountText(int32_t count) {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%d", int(count));
    std::u16string number;
    for (const char* p = digits; *p; ++p) number += char16_t(*p);
    std::u16string text = Tr(VOLCATRA_TEXT("Search", "%1 個のファイルが見つかりました。"));
    const auto at = text.find(u"%1");
    if (at != std::u16string::npos) text.replace(at, 2, number);
    return text;
}

bool CSearchEngine::RunSearch(const CNamePattern& pattern, const std::u16string& place, bool includeSubfolders) {
    m_results.ClearResults();
    m_enteredFolders.clear();
    try {
        if (m_window.GetSourceCatalogue())
            SearchCatalogue(std::u16string(), pattern);
        else
            SearchFolder(pattern, place, includeSubfolders);
    } catch (const std::bad_alloc&) {
        // Whatever the search held is released by now; the rows found so far
        // stay, and the window returns to idle as after any other end.
        m_enteredFolders.clear();
        m_messages.Show(Tr(kOutOfMemoryText), MessageButtons::Ok, MessageIcon::Stop);
    }
    m_enteredFolders.clear();
    m_window.ShowStatusText(FoundCountText(m_results.GetFoundCount()));
    return true;
}

bool CSearchEngine::SearchFolder(const CNamePattern& pattern, const std::u16string& folder, bool includeSubfolders) {
    // The folder's own name followed by a slash starts every path below it;
    // only the root keeps its one slash. An empty text thus names the root.
    std::u16string dir = folder;
    if (dir != u"/") dir += u'/';

    m_window.ShowStatusText(Tr(kSearchingFolderText) + folder);
    m_window.PumpSearchMessages();
    if (Stopped()) return false;

    const std::string dirBytes = Utf16ToFileName(dir);
    const int fd = ::open(dirBytes.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;  // a folder that cannot be listed yields nothing
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !m_enteredFolders.emplace(uint64_t(st.st_dev), uint64_t(st.st_ino)).second) {
        // Entered before (through a bind mount, say): once is enough.
        ::close(fd);
        return true;
    }
    const std::vector<FolderItem> items = ListFolder(fd);

    // The folder's catalogue files in order. While the hits of one are
    // handed on, the next one is read on a worker thread; stopping drops
    // that job, which ends its reading at once, however large the file.
    std::vector<std::u16string> catalogues;
    for (const FolderItem& item : items)
        if (item.m_catalogue) catalogues.push_back(dir + FileNameToUtf16(item.m_name));
    std::unique_ptr<CCatalogueScanJob> ahead;
    std::optional<ScannedCatalogue> spent;  // the previous file's hits, handed on
    for (size_t i = 0; i < catalogues.size(); ++i) {
        const std::u16string& file = catalogues[i];
        m_window.ShowStatusText(Tr(kReadingCatalogueText) + file);
        m_window.PumpSearchMessages();
        if (Stopped()) return false;
        std::optional<ScannedCatalogue> scanned;
        try {
            if (!ahead) ahead = std::make_unique<CCatalogueScanJob>(Utf16ToFileName(file), pattern, m_fileBuffer);
            const std::unique_ptr<CCatalogueScanJob> job = std::move(ahead);
            scanned = job->Take();
        } catch (const CatalogueError& e) {
            ReportLoadFailure(e, file);
        }
        if (i + 1 < catalogues.size())
            ahead = std::make_unique<CCatalogueScanJob>(Utf16ToFileName(catalogues[i + 1]), pattern, m_fileBuffer,
                                                        std::move(spent));
        if (scanned && !SearchScanned(*scanned, file)) return false;
        spent = std::move(scanned);
    }
    if (includeSubfolders) {
        for (const FolderItem& item : items) {
            if (!item.m_subfolder) continue;
            if (!SearchFolder(pattern, dir + FileNameToUtf16(item.m_name), true)) return false;
        }
    }
    return true;
}

bool CSearchEngine::SearchCatalogue(const std::u16string& catalogueFile, const CNamePattern& pattern) {
    if (const RootList* volumes = m_window.GetSourceCatalogue()) {
        bool go = true;
        std::u16string folderText;
        // The list's length is read anew for every volume.
        for (size_t v = 0; go && v < volumes->size(); ++v) {
            const CRootEntry& volume = *(*volumes)[v];
            m_results.BeginVolume(volume);
            const std::u16string prefix = u"[" + volume.GetDisplayName() + u"] ";
            // Arrays in list order (not tree order): every folder and every
            // recorded archive's member list.
            for (size_t a = 0; go && a < volume.m_folders.size(); ++a) {
                const CFileArray& array = *volume.m_folders[a];
                folderText = prefix + array.m_path;
                go = EnterRecordedFolder(folderText);
                for (size_t e = 0; go && e < array.m_entries.size(); ++e) {
                    const CFileEntry& entry = array.m_entries[e];
                    if (entry.MatchName(pattern)) go = AddHit(entry, volume, folderText, catalogueFile);
                }
            }
        }
        return go;
    }

    m_window.ShowStatusText(Tr(kReadingCatalogueText) + catalogueFile);
    m_window.PumpSearchMessages();
    if (Stopped()) return false;
    const std::optional<ScannedCatalogue> scanned = ScanCatalogueVolumes(catalogueFile, pattern);
    if (!scanned) return true;  // skipped; the search goes on
    return SearchScanned(*scanned, catalogueFile);
}

bool CSearchEngine::SearchScanned(const ScannedCatalogue& scanned, const std::u16string& catalogueFile) {
    bool go = true;
    std::u16string folderText;
    for (size_t v = 0; go && v < scanned.size(); ++v) {
        const CScannedVolume& volume = scanned[v];
        const CRootEntry& root = *volume.m_root;
        m_results.BeginVolume(root);
        const std::u16string prefix = u"[" + root.GetDisplayName() + u"] ";
        size_t hit = 0;
        for (size_t a = 0; go && a < root.m_folders.size(); ++a) {
            folderText = prefix + root.m_folders[a]->m_path;
            go = EnterRecordedFolder(folderText);
            for (; go && hit < volume.m_hits.size() && volume.m_hits[hit].m_array == a; ++hit) {
                volume.GetEntry(hit, m_hitEntry);
                go = AddHit(m_hitEntry, root, folderText, catalogueFile);
            }
        }
    }
    return go;
}

bool CSearchEngine::EnterRecordedFolder(const std::u16string& folderText) {
    m_window.ShowStatusText(Tr(kSearchingRecordedFolderText) + folderText);
    m_window.PumpSearchMessages();
    return !Stopped();
}

bool CSearchEngine::AddHit(const CFileEntry& entry, const CRootEntry& volume, const std::u16string& folderText,
                           const std::u16string& catalogueFile) {
    m_window.PumpSearchMessages();
    const bool go = !Stopped();
    // Added even when the pump just asked to stop.
    m_results.AddHit(entry, volume, folderText, catalogueFile);
    return go;
}

std::optional<ScannedCatalogue> CSearchEngine::ScanCatalogueVolumes(const std::u16string& path,
                                                                    const CNamePattern& pattern) {
    try {
        return ScanCatalogueFile(Utf16ToFileName(path), pattern, m_fileBuffer);
    } catch (const CatalogueError& e) {
        ReportLoadFailure(e, path);
        return std::nullopt;
    }
}

void CSearchEngine::ReportLoadFailure(const CatalogueError& e, const std::u16string& path) {
    if (e.HeaderRejected()) return;  // not a catalogue of this version
    // The reader turns lack of memory into a general failure; that ends the
    // whole search rather than this file alone.
    if (e.Kind() == CatalogueFailure::General && std::strcmp(e.what(), "out of memory") == 0) throw std::bad_alloc();
    m_messages.Show(CatalogueFailureText(e, path), MessageButtons::Ok);
}

}  // namespace volcatra
