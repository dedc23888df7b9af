// The search engine: finds recorded entries by name in the catalogue files
// of a folder (and its subfolders), or in the volumes of an open catalogue.
//
// The engine runs on the user-interface thread. It talks to the search
// window and its result list only through the interfaces below, dispatches
// the window's pending events at fixed points (once per folder on disk, per
// catalogue file, per recorded folder and per hit; never per entry that does
// not match) and stops as soon as the window's run state turns negative.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/CatalogueError.h"
#include "model/CatalogueFile.h"
#include "model/CatalogueScan.h"
#include "model/NamePattern.h"
#include "model/UiText.h"
#include "platform/MessageService.h"

namespace volcatra {

// Run state of a search window (m_searchState).
inline constexpr int32_t SEARCH_IDLE = 0;
inline constexpr int32_t SEARCH_RUNNING = 1;
inline constexpr int32_t SEARCH_STOP = -1;          // stop requested
inline constexpr int32_t SEARCH_CLOSE_WINDOW = -2;  // stop, then close the search window
inline constexpr int32_t SEARCH_CLOSE_APP = -3;     // stop, then close the main window

// Status texts. Each prefix is followed by a folder, a file or a folder text.
inline constexpr UiText kSearchingFolderText = VOLCATRA_TEXT("Search", "メディア構成 ファイルを検索中  ");
inline constexpr UiText kReadingCatalogueText = VOLCATRA_TEXT("Search", "メディア構成 ファイルを読込中  ");
inline constexpr UiText kSearchingRecordedFolderText = VOLCATRA_TEXT("Search", "ファイルを検索中  ");

// Message texts of the search. %1 stands for the catalogue file.
inline constexpr UiText kBadFormatText = VOLCATRA_TEXT("Search", "%1 の形式が正しくありません。");
inline constexpr UiText kEndOfDataText = VOLCATRA_TEXT("Search", "%1 の末尾以降にアクセスしようとしました。");
inline constexpr UiText kUnexpectedClassText = VOLCATRA_TEXT("Search", "%1 は予期しないオブジェクトを含んでいます。");
inline constexpr UiText kBadSchemaText = VOLCATRA_TEXT("Search", "%1 は不正なスキーマを含んでいます。");
inline constexpr UiText kOutOfMemoryText = VOLCATRA_TEXT("Search", "メモリが不足しています。");

// The message for a catalogue file that could not be read: the text of the
// failure's kind (a file error's cause, the damage a format error found)
// with the file named.
std::u16string CatalogueFailureText(const CatalogueError& error, const std::u16string& path);

// "%d 個のファイルが見つかりました。" for the number of hits.
std::u16string FoundCountText(int32_t count);

// The result list, as the engine fills it.
class ISearchResults {
public:
    virtual ~ISearchResults() = default;
    // Removes every row; the found count becomes 0 and the list unsorted.
    virtual void ClearResults() = 0;
    // A volume's entries follow (its stored icons become the ones hits use).
    virtual void BeginVolume(const CRootEntry& volume) = 0;
    // Adds one row. folderText is "[" + volume display name + "] " + the
    // path of the entry's array; catalogueFile is the file's path as the
    // engine composed it, or empty for the window's source catalogue. The
    // entry is valid for the call only, the volume until the next catalogue
    // file is read; a row keeps what it needs of them.
    virtual void AddHit(const CFileEntry& entry, const CRootEntry& volume, const std::u16string& folderText,
                        const std::u16string& catalogueFile) = 0;
    // The number of rows added since ClearResults.
    virtual int32_t GetFoundCount() const = 0;
};

// The search window, as the engine sees it.
class ISearchWindow {
public:
    virtual ~ISearchWindow() = default;
    // m_searchState; any negative value stops the search.
    virtual int32_t GetSearchState() const = 0;
    // Shows a status text (the first pane of the main window's status bar).
    virtual void ShowStatusText(const std::u16string& text) = 0;
    // Dispatches every pending event of the thread.
    virtual void PumpSearchMessages() = 0;
    // The volumes of the window's source catalogue, or nullptr when the
    // window searches catalogue files. The volumes must not change while a
    // search runs.
    virtual const RootList* GetSourceCatalogue() const = 0;
};

class CSearchEngine {
public:
    CSearchEngine(ISearchResults& results, ISearchWindow& window, IMessageService& messages)
        : m_results(results), m_window(window), m_messages(messages) {}

    // Clears the results, searches the place (or the source catalogue) and
    // shows the end text with the number of hits, whether the search
    // finished or was stopped. Lack of memory ends the search with a message
    // and keeps the hits found so far. Always returns true.
    bool RunSearch(const CNamePattern& pattern, const std::u16string& place, bool includeSubfolders);

    // Searches the catalogue files of a folder and, when includeSubfolders
    // is set, of every folder below it: a folder's own catalogue files
    // first, then its subfolders depth first, each in the order the file
    // system lists them. Symbolic links to folders are not followed and no
    // folder is entered twice. Returns false when stopped.
    bool SearchFolder(const CNamePattern& pattern, const std::u16string& folder, bool includeSubfolders);

    // Searches the volumes of one catalogue file, or (with an empty text)
    // of the window's source catalogue. Returns false when stopped.
    bool SearchCatalogue(const std::u16string& catalogueFile, const CNamePattern& pattern);

    // Reads a catalogue file and keeps its volumes and the entries that
    // match; only a file whose header passes is read whole. A file that
    // cannot be opened, is no regular file, or has another header or a
    // version above 1.00 is skipped silently; a read or format error shows
    // its message first.
    std::optional<ScannedCatalogue> ScanCatalogueVolumes(const std::u16string& path, const CNamePattern& pattern);

private:
    bool Stopped() const { return m_window.GetSearchState() < 0; }
    // Shows the status of a recorded folder and dispatches events; false
    // when the search is to stop.
    bool EnterRecordedFolder(const std::u16string& folderText);
    // Dispatches events and adds the hit; false when the search is to stop.
    bool AddHit(const CFileEntry& entry, const CRootEntry& volume, const std::u16string& folderText,
                const std::u16string& catalogueFile);
    void ReportLoadFailure(const CatalogueError& e, const std::u16string& path);
    // Hands on the hits of a scanned catalogue file; false when stopped.
    bool SearchScanned(const ScannedCatalogue& scanned, const std::u16string& catalogueFile);

    ISearchResults& m_results;
    ISearchWindow& m_window;
    IMessageService& m_messages;
    // Folders entered by the current search, by device and inode.
    std::set<std::pair<uint64_t, uint64_t>> m_enteredFolders;
    // The entry a hit of a catalogue file is handed on in.
    CFileEntry m_hitEntry;
    // The bytes of the catalogue file being searched, kept from file to file.
    std::vector<uint8_t> m_fileBuffer;
};

}  // namespace volcatra
