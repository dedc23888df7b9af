// The search engine over catalogue files in scratch folders and over an open
// catalogue: the order of visiting, the status texts and pumps, the silent
// skips, large files, the messages for damaged files, stopping, and lack of
// memory.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "model/CatalogueFile.h"
#include "model/FileNameCodec.h"
#include "search/CatalogueScanJob.h"
#include "search/SearchEngine.h"
#include "support/ScriptedMessageService.h"

namespace volcatra {
namespace {

std::string U8(const std::u16string& text) {
    return Utf16ToFileName(text);
}

std::u16string U16(const std::string& text) {
    return FileNameToUtf16(text);
}

// The window and the result list in one, logging everything the engine does
// to them in order.
class RecordingSearch : public ISearchWindow, public ISearchResults {
public:
    std::vector<std::string> m_events;
    int32_t m_state = SEARCH_RUNNING;
    const RootList* m_source = nullptr;
    int m_pumps = 0;
    // Called on every pump with its number (from 1).
    std::function<void(RecordingSearch&, int)> m_onPump;
    // Throws std::bad_alloc when the hit with this number (from 1) arrives.
    int m_failHit = 0;

    int32_t GetSearchState() const override { return m_state; }
    void ShowStatusText(const std::u16string& text) override { m_events.push_back("status " + U8(text)); }
    void PumpSearchMessages() override {
        ++m_pumps;
        m_events.push_back("pump");
        if (m_onPump) m_onPump(*this, m_pumps);
    }
    const RootList* GetSourceCatalogue() const override { return m_source; }

    void ClearResults() override {
        m_events.push_back("clear");
        m_found = 0;
    }
    void BeginVolume(const CRootEntry& volume) override { m_events.push_back("volume " + U8(volume.GetDisplayName())); }
    void AddHit(const CFileEntry& entry, const CRootEntry&, const std::u16string& folderText,
                const std::u16string& catalogueFile) override {
        if (m_failHit == m_found + 1) throw std::bad_alloc();
        m_events.push_back("hit " + U8(entry.m_name.str()) + " | " + U8(folderText) + " | " + U8(catalogueFile));
        ++m_found;
    }
    int32_t GetFoundCount() const override { return m_found; }

    // Only the events that start with prefix, with the prefix removed.
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& e : m_events)
            if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
        return out;
    }

private:
    int32_t m_found = 0;
};

// Message boxes join the event log.
class LoggingMessages : public test::ScriptedMessageService {
public:
    explicit LoggingMessages(RecordingSearch& log) : m_log(log) {}
    MessageAnswer Show(const std::u16string& text, MessageButtons buttons, MessageIcon icon) override {
        m_log.m_events.push_back("message " + U8(text));
        return ScriptedMessageService::Show(text, buttons, icon);
    }

private:
    RecordingSearch& m_log;
};

CFileEntry& AddEntry(CFileArray& array, std::u16string name, uint16_t attributes = FA_ARCHIVE, int32_t childIndex = 0) {
    auto entry = std::make_unique<CFileEntry>();
    entry->m_name = std::move(name);
    entry->m_attributes = attributes;
    entry->m_childIndex = childIndex;
    array.m_entries.push_back(std::move(*entry));
    return array.m_entries.back();
}

CFileArray& AddArray(CRootEntry& root, std::u16string path) {
    root.m_folders.push_back(std::make_unique<CFileArray>());
    root.m_folders.back()->m_path = std::move(path);
    return *root.m_folders.back();
}

// One volume with the given names in its top folder.
RootList OneVolume(std::u16string label, std::initializer_list<std::u16string> names) {
    RootList roots;
    roots.push_back(std::make_unique<CRootEntry>());
    roots[0]->m_volumeName = std::move(label);
    CFileArray& top = AddArray(*roots[0], u"\\");
    for (const std::u16string& name : names) AddEntry(top, name);
    return roots;
}

// Volume Disk1: the top holds DOCS (\DOCS with SUB inside) and the archive
// x.zip, whose member list comes before DOCS in the list of arrays.
RootList TreeCatalogue() {
    RootList roots;
    roots.push_back(std::make_unique<CRootEntry>());
    CRootEntry& root = *roots[0];
    root.m_name = u"Disk1";
    CFileArray& top = AddArray(root, u"\\");
    AddEntry(top, u"DOCS", FA_DIRECTORY, 2);
    AddEntry(top, u"a.txt");
    AddEntry(top, u"x.zip", FA_ARCHIVE | FA_ARCHIVE_LISTED, 1);
    CFileArray& zip = AddArray(root, u"\\x.zip");
    AddEntry(zip, u"dir/", FA_ARCHIVE_FOLDER);
    AddEntry(zip, u"dir/in.TXT", 0);
    CFileArray& docs = AddArray(root, u"\\DOCS");
    AddEntry(docs, u"SUB", FA_DIRECTORY, 3);
    AddEntry(docs, u"b.doc");
    CFileArray& sub = AddArray(root, u"\\DOCS\\SUB");
    AddEntry(sub, u"C.TXT");
    // A second volume without any arrays.
    roots.push_back(std::make_unique<CRootEntry>());
    roots[1]->m_volumeName = u"EMPTY";
    return roots;
}

class SearchEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "volcatra-search-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(m_dir + "/locked", std::filesystem::perms::owner_all, ignored);
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    void MakeFolder(const std::string& name) { ASSERT_EQ(::mkdir(Path(name).c_str(), 0700), 0) << name; }

    void Save(const std::string& name, const RootList& roots) {
        std::vector<CRootEntry*> plain;
        for (const auto& root : roots) plain.push_back(root.get());
        SaveCatalogueFile(Path(name), plain);
    }

    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        ASSERT_TRUE(out.good()) << name;
    }

    // Runs a whole search as the search window does.
    void Run(RecordingSearch& search, const std::u16string& typed, const std::u16string& place,
             bool subfolders = true) {
        LoggingMessages messages(search);
        CSearchEngine engine(search, search, messages);
        EXPECT_TRUE(engine.RunSearch(PrepareNamePattern(typed), place, subfolders));
    }

    std::string m_dir;
};

// --- Texts, pumps and hits -------------------------------------------------

TEST_F(SearchEngineTest, StatusTextsPumpsAndHitsOfOneFile) {
    Save("one.fsr", TreeCatalogue());
    RecordingSearch search;
    Run(search, u"*.txt", U16(m_dir));
    const std::string file = m_dir + "/one.fsr";
    const std::vector<std::string> expected{
        "clear",
        "status メディア構成 ファイルを検索中  " + m_dir,
        "pump",
        "status メディア構成 ファイルを読込中  " + file,
        "pump",
        "volume Disk1",
        "status ファイルを検索中  [Disk1] \\",
        "pump",
        "pump",
        "hit a.txt | [Disk1] \\ | " + file,
        "status ファイルを検索中  [Disk1] \\x.zip",
        "pump",
        "pump",
        "hit dir/in.TXT | [Disk1] \\x.zip | " + file,
        "status ファイルを検索中  [Disk1] \\DOCS",
        "pump",
        "status ファイルを検索中  [Disk1] \\DOCS\\SUB",
        "pump",
        "pump",
        "hit C.TXT | [Disk1] \\DOCS\\SUB | " + file,
        "volume EMPTY",
        "status 3 個のファイルが見つかりました。",
    };
    EXPECT_EQ(search.m_events, expected);
}

TEST_F(SearchEngineTest, OnlyNamesAreMatchedFoldersAndArchivesToo) {
    Save("one.fsr", TreeCatalogue());
    struct Case {
        std::u16string typed;
        std::vector<std::string> hits;  // names
    };
    const Case cases[] = {
        {u"docs", {"DOCS"}},  // not the entries inside \DOCS
        {u"sub", {"SUB"}},
        {u"x.zip", {"x.zip"}},
        {u"dir", {"dir/", "dir/in.TXT"}},
        {u"disk1", {}},  // never the volume
        {u"", {"DOCS", "a.txt", "x.zip", "dir/", "dir/in.TXT", "SUB", "b.doc", "C.TXT"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(c.typed));
        RecordingSearch search;
        Run(search, c.typed, U16(m_dir));
        std::vector<std::string> names;
        for (const std::string& hit : search.Only("hit ")) names.push_back(hit.substr(0, hit.find(" | ")));
        EXPECT_EQ(names, c.hits);
    }
}

TEST_F(SearchEngineTest, CatalogueFileTextStartsWithThePlaceAsTyped) {
    MakeFolder("cat");
    Save("cat/one.fsr", OneVolume(u"V", {u"a.txt"}));
    struct Case {
        std::string place;
        std::string file;
    };
    const Case cases[] = {
        {m_dir + "/cat", m_dir + "/cat/one.fsr"},
        {m_dir + "/cat/", m_dir + "/cat//one.fsr"},  // the separator is added all the same
        {m_dir + "/./cat", m_dir + "/./cat/one.fsr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.place);
        RecordingSearch search;
        Run(search, u"a.txt", U16(c.place));
        EXPECT_EQ(search.Only("hit "), std::vector<std::string>{"a.txt | [V] \\ | " + c.file});
    }
}

// --- Order of visiting -------------------------------------------------------

TEST_F(SearchEngineTest, OwnFilesBeforeSubfoldersDepthFirst) {
    MakeFolder("s1");
    MakeFolder("s1/deep");
    MakeFolder("s2");
    MakeFolder("x.fsr");  // a folder named like a catalogue: descended into, never read
    Save("a.fsr", OneVolume(u"a", {u"hit.txt"}));
    Save("a2.fsr", OneVolume(u"a2", {u"hit.txt"}));
    Save("s1/b.fsr", OneVolume(u"b", {u"hit.txt"}));
    Save("s1/deep/c.fsr", OneVolume(u"c", {u"hit.txt"}));
    Save("s2/d.fsr", OneVolume(u"d", {u"hit.txt"}));
    Save("x.fsr/e.fsr", OneVolume(u"e", {u"hit.txt"}));

    RecordingSearch search;
    Run(search, u"hit.txt", U16(m_dir));
    std::vector<std::string> volumes = search.Only("volume ");
    ASSERT_EQ(volumes.size(), 6u);
    // The folder's own files first, in either order.
    EXPECT_EQ(std::set<std::string>(volumes.begin(), volumes.begin() + 2), (std::set<std::string>{"a", "a2"}));
    // A subfolder's whole tree before the next subfolder.
    const auto b = std::find(volumes.begin(), volumes.end(), "b");
    ASSERT_NE(b, volumes.end());
    ASSERT_NE(b + 1, volumes.end());
    EXPECT_EQ(*(b + 1), "c");
    EXPECT_EQ(std::set<std::string>(volumes.begin() + 2, volumes.end()), (std::set<std::string>{"b", "c", "d", "e"}));
    // The folder x.fsr is searched as a folder and never read as a file.
    for (const std::string& status : search.Only("status メディア構成 ファイルを読込中  "))
        EXPECT_NE(status, m_dir + "/x.fsr");
    EXPECT_EQ(search.Only("status メディア構成 ファイルを検索中  ").size(), 5u);

    // Without subfolders only the place's own files.
    RecordingSearch flat;
    Run(flat, u"hit.txt", U16(m_dir), false);
    volumes = flat.Only("volume ");
    EXPECT_EQ(std::set<std::string>(volumes.begin(), volumes.end()), (std::set<std::string>{"a", "a2"}));
    EXPECT_EQ(flat.Only("status メディア構成 ファイルを検索中  "), std::vector<std::string>{m_dir});
}

// --- Silent skips ----------------------------------------------------------

TEST_F(SearchEngineTest, SkipsSilently) {
    Save("good.fsr", OneVolume(u"good", {u"hit.txt"}));
    Save("UPPER.FSR", OneVolume(u"upper", {u"hit.txt"}));
    Save("Mixed.Fsr", OneVolume(u"mixed", {u"hit.txt"}));
    // Version 1.50: a catalogue window opens it; the search leaves it out.
    Save("v150.fsr", OneVolume(u"v150", {u"hit.txt"}));
    {
        std::vector<uint8_t> bytes;
        std::ifstream in(Path("v150.fsr"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ASSERT_EQ(bytes[27], '1');
        bytes[29] = '5';
        WriteBytes("v150.fsr", bytes);
        ASSERT_EQ(LoadCatalogueFile(Path("v150.fsr"), HeaderAcceptance::Document).size(), 1u);
    }
    WriteBytes("other.fsr", {'n', 'o', 't', ' ', 'a', ' ', 'c', 'a', 't', 'a', 'l', 'o', 'g', 'u', 'e'});
    WriteBytes("empty.fsr", {});
    // Names that the mask does not take.
    Save("notcat.fsrx", OneVolume(u"fsrx", {u"hit.txt"}));
    Save("fsr", OneVolume(u"bare", {u"hit.txt"}));
    // What cannot be opened, and what must never be opened.
    ASSERT_EQ(::symlink(Path("nowhere").c_str(), Path("dangling.fsr").c_str()), 0);
    ASSERT_EQ(::mkfifo(Path("fifo.fsr").c_str(), 0600), 0);
    // Links: to a catalogue file (read), to a folder (neither read nor
    // entered, even when it leads back up).
    ASSERT_EQ(::symlink(Path("good.fsr").c_str(), Path("link.fsr").c_str()), 0);
    MakeFolder("elsewhere");
    Save("elsewhere/far.fsr", OneVolume(u"far", {u"hit.txt"}));
    ASSERT_EQ(::symlink(Path("elsewhere").c_str(), Path("dirlink.fsr").c_str()), 0);
    ASSERT_EQ(::symlink(m_dir.c_str(), Path("elsewhere/up").c_str()), 0);
    // A folder that cannot be listed (only meaningful when not running as
    // root, who may list it anyway).
    MakeFolder("locked");
    Save("locked/hidden.fsr", OneVolume(u"locked", {u"hit.txt"}));
    ASSERT_EQ(::chmod(Path("locked").c_str(), 0), 0);
    const bool lockedWorks = ::geteuid() != 0;

    RecordingSearch search;
    Run(search, u"hit.txt", U16(m_dir));
    EXPECT_EQ(search.Only("message "), std::vector<std::string>{});
    const std::vector<std::string> volumes = search.Only("volume ");
    std::multiset<std::string> expected{"good", "good", "upper", "mixed", "far"};
    if (!lockedWorks) expected.insert("locked");
    EXPECT_EQ(std::multiset<std::string>(volumes.begin(), volumes.end()), expected);
    const std::vector<std::string> read = search.Only("status メディア構成 ファイルを読込中  ");
    const std::set<std::string> readSet(read.begin(), read.end());
    for (const char* name : {"notcat.fsrx", "fsr", "dirlink.fsr"}) EXPECT_EQ(readSet.count(Path(name)), 0u) << name;
    for (const std::string& folder : search.Only("status メディア構成 ファイルを検索中  "))
        EXPECT_EQ(folder.find("dirlink"), std::string::npos) << folder;
}

TEST_F(SearchEngineTest, MissingPlaceFindsNothingWithoutMessage) {
    for (const std::string& place : {Path("missing"), Path("missing/deeper"), Path("file.fsr")}) {
        SCOPED_TRACE(place);
        if (place == Path("file.fsr")) Save("file.fsr", OneVolume(u"v", {u"hit.txt"}));
        RecordingSearch search;
        Run(search, u"", U16(place));
        const std::vector<std::string> expected{
            "clear",
            "status メディア構成 ファイルを検索中  " + place,
            "pump",
            "status 0 個のファイルが見つかりました。",
        };
        EXPECT_EQ(search.m_events, expected);
    }
}

// --- Damaged files -----------------------------------------------------------

// A damaged file shows its message and contributes no hit, although its
// first volumes could be decoded; the search goes on with the next file.
TEST_F(SearchEngineTest, DamagedFileShowsMessageThenNextFile) {
    RootList roots = OneVolume(u"bad1", {u"hit.txt"});
    roots.push_back(std::move(OneVolume(u"bad2", {u"hit.txt"})[0]));
    const std::vector<uint8_t> whole = WriteCatalogue(roots);
    MakeFolder("sub");
    Save("sub/good.fsr", OneVolume(u"good", {u"hit.txt"}));
    // Offsets in the file: the 64-byte header, the volume count, then the
    // first object's tag (FFFF for a new class), schema and class name.
    const size_t kTag = 66;
    const size_t kSchema = 68;
    const size_t kClassName = 72;
    ASSERT_EQ(std::string(whole.begin() + kClassName, whole.begin() + kClassName + 10), "CRootEntry");
    auto cut = [&](size_t size) { return std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(size)); };
    auto patched = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = whole;
        bytes[at] = value;
        return bytes;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string message;  // after the file's path; empty for none
    };
    const Case cases[] = {
        {"last byte missing", cut(whole.size() - 1), " の末尾以降にアクセスしようとしました。"},
        {"half", cut(whole.size() / 2), " の末尾以降にアクセスしようとしました。"},
        {"header only", cut(64), " の末尾以降にアクセスしようとしました。"},
        {"header text only", cut(40), " の末尾以降にアクセスしようとしました。"},
        {"not even the header text", cut(20), ""},
        {"unknown class", patched(kClassName + 9, 'x'), " は予期しないオブジェクトを含んでいます。"},
        {"other schema", patched(kSchema, 2), " は不正なスキーマを含んでいます。"},
        {"reference where an object belongs", patched(kTag + 1, 0x00), " の形式が正しくありません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes("bad.fsr", c.bytes);
        RecordingSearch search;
        Run(search, u"hit.txt", U16(m_dir));
        const std::string bad = m_dir + "/bad.fsr";
        std::vector<std::string> expected{
            "clear", "status メディア構成 ファイルを検索中  " + m_dir,
            "pump",  "status メディア構成 ファイルを読込中  " + bad,
            "pump",
        };
        if (!c.message.empty()) expected.push_back("message " + bad + c.message);
        const std::vector<std::string> rest{
            "status メディア構成 ファイルを検索中  " + m_dir + "/sub",
            "pump",
            "status メディア構成 ファイルを読込中  " + m_dir + "/sub/good.fsr",
            "pump",
            "volume good",
            "status ファイルを検索中  [good] \\",
            "pump",
            "pump",
            "hit hit.txt | [good] \\ | " + m_dir + "/sub/good.fsr",
            "status 1 個のファイルが見つかりました。",
        };
        expected.insert(expected.end(), rest.begin(), rest.end());
        EXPECT_EQ(search.m_events, expected);
    }
}

// --- Stopping ------------------------------------------------------------------

// Stopping at any pump: everything up to that pump happens (and the hit that
// pump belongs to is still added), then nothing but the end text.
TEST_F(SearchEngineTest, StopAtEveryPumpKeepsTheHitsFoundSoFar) {
    MakeFolder("sub");
    Save("one.fsr", TreeCatalogue());
    Save("sub/two.fsr", OneVolume(u"two", {u"x.txt", u"y.txt", u"z.doc"}));
    RecordingSearch full;
    Run(full, u"*.txt", U16(m_dir));
    ASSERT_GT(full.m_pumps, 10);

    for (int32_t stopState : {SEARCH_STOP, SEARCH_CLOSE_WINDOW, SEARCH_CLOSE_APP}) {
        for (int stopAt = 1; stopAt <= full.m_pumps; ++stopAt) {
            SCOPED_TRACE("stop " + std::to_string(stopState) + " at pump " + std::to_string(stopAt));
            RecordingSearch search;
            search.m_onPump = [&](RecordingSearch& s, int pump) {
                if (pump == stopAt) s.m_state = stopState;
            };
            Run(search, u"*.txt", U16(m_dir));
            // The events of the full search up to the stopping pump ...
            std::vector<std::string> expected;
            int pumps = 0;
            size_t i = 0;
            for (; i < full.m_events.size() && pumps < stopAt; ++i) {
                expected.push_back(full.m_events[i]);
                if (full.m_events[i] == "pump") ++pumps;
            }
            // ... the hit of that pump, if it was a hit's ...
            int hits = int(std::count_if(expected.begin(), expected.end(),
                                         [](const std::string& e) { return e.rfind("hit ", 0) == 0; }));
            if (i < full.m_events.size() && full.m_events[i].rfind("hit ", 0) == 0) {
                expected.push_back(full.m_events[i]);
                ++hits;
            }
            // ... and the end text with the rows kept.
            expected.push_back("status " + std::to_string(hits) + " 個のファイルが見つかりました。");
            EXPECT_EQ(search.m_events, expected);
        }
    }
}

// --- The open catalogue ------------------------------------------------------

TEST_F(SearchEngineTest, SourceCatalogueIsSearchedInPlace) {
    Save("one.fsr", OneVolume(u"file", {u"a.txt"}));  // the place is ignored
    const RootList source = TreeCatalogue();
    RecordingSearch search;
    search.m_source = &source;
    Run(search, u"c.txt", U16(m_dir));
    const std::vector<std::string> expected{
        "clear",
        "volume Disk1",
        "status ファイルを検索中  [Disk1] \\",
        "pump",
        "status ファイルを検索中  [Disk1] \\x.zip",
        "pump",
        "status ファイルを検索中  [Disk1] \\DOCS",
        "pump",
        "status ファイルを検索中  [Disk1] \\DOCS\\SUB",
        "pump",
        "pump",
        "hit C.TXT | [Disk1] \\DOCS\\SUB | ",
        "volume EMPTY",
        "status 1 個のファイルが見つかりました。",
    };
    EXPECT_EQ(search.m_events, expected);
    // The catalogue is used, not consumed.
    EXPECT_EQ(source.size(), 2u);
    EXPECT_EQ(source[0]->m_folders.size(), 4u);
}

// --- Lack of memory -------------------------------------------------------------

TEST_F(SearchEngineTest, LackOfMemoryEndsTheSearchCleanly) {
    MakeFolder("sub");
    Save("one.fsr", OneVolume(u"one", {u"a.txt", u"b.txt", u"c.txt"}));
    Save("sub/two.fsr", OneVolume(u"two", {u"d.txt"}));
    RecordingSearch search;
    search.m_failHit = 2;
    LoggingMessages messages(search);
    CSearchEngine engine(search, search, messages);
    EXPECT_TRUE(engine.RunSearch(PrepareNamePattern(u"*.txt"), U16(m_dir), true));
    ASSERT_GE(search.m_events.size(), 3u);
    EXPECT_EQ(search.m_events[search.m_events.size() - 2], "message メモリが不足しています。");
    EXPECT_EQ(search.m_events.back(), "status 1 個のファイルが見つかりました。");
    EXPECT_EQ(search.Only("hit ").size(), 1u);
    EXPECT_TRUE(search.Only("volume two").empty());  // nothing after the failure

    // The same engine searches again afterwards, from a clean start.
    search.m_failHit = 0;
    search.m_events.clear();
    EXPECT_TRUE(engine.RunSearch(PrepareNamePattern(u"*.txt"), U16(m_dir), true));
    EXPECT_EQ(search.Only("hit ").size(), 4u);
    EXPECT_EQ(search.m_events.back(), "status 4 個のファイルが見つかりました。");
}

// --- Large files -------------------------------------------------------------

// The header of a real catalogue file, with the version digits given.
std::vector<uint8_t> CatalogueHeader(char major, char minor) {
    std::vector<uint8_t> header = WriteCatalogue(OneVolume(u"v", {}));
    header.resize(kHeaderSize);
    header[27] = uint8_t(major);
    header[29] = uint8_t(minor);
    return header;
}

class LargeFileTest : public SearchEngineTest {
protected:
    // A sparse file of the given size starting with the given bytes; false
    // where the file system cannot hold it.
    bool MakeSparse(const std::string& name, off_t size, const std::vector<uint8_t>& start = {}) {
        WriteBytes(name, start);
        return ::truncate(Path(name).c_str(), size) == 0;
    }
};

constexpr off_t kLargerThanMemory = off_t(64) << 30;
constexpr off_t kLarge = off_t(400) << 20;

// A file named like a catalogue costs its header, however large it is: one
// larger than memory, of zeros or of a version the search skips, is passed
// over silently and the search goes on.
TEST_F(LargeFileTest, OtherFilesNamedLikeCataloguesAreSkippedByTheirHeader) {
    Save("a.fsr", OneVolume(u"a", {u"hit.txt"}));
    Save("z.fsr", OneVolume(u"z", {u"hit.txt"}));
    if (!MakeSparse("zeros.fsr", kLargerThanMemory) ||
        !MakeSparse("v200.fsr", kLargerThanMemory, CatalogueHeader('2', '0')))
        GTEST_SKIP() << "no sparse files of 64 GiB here";
    RecordingSearch search;
    Run(search, u"hit.txt", U16(m_dir));
    EXPECT_EQ(search.Only("message "), std::vector<std::string>{});
    const std::vector<std::string> volumes = search.Only("volume ");
    EXPECT_EQ(std::multiset<std::string>(volumes.begin(), volumes.end()), (std::multiset<std::string>{"a", "z"}));
    EXPECT_EQ(search.m_events.back(), "status 2 個のファイルが見つかりました。");
}

TEST_F(LargeFileTest, ReadingStopsAtTheHeaderOrWhenCancelled) {
    if (!MakeSparse("zeros.fsr", kLarge) || !MakeSparse("v100.fsr", kLarge, CatalogueHeader('1', '0')))
        GTEST_SKIP() << "no sparse files here";
    const CNamePattern pattern = PrepareNamePattern(u"*");

    // Not a catalogue: the buffer is not even touched.
    std::vector<uint8_t> buffer;
    try {
        ScanCatalogueFile(Path("zeros.fsr"), pattern, buffer);
        ADD_FAILURE() << "zeros.fsr was taken";
    } catch (const CatalogueError& e) {
        EXPECT_TRUE(e.HeaderRejected());
    }
    EXPECT_EQ(buffer.capacity(), 0u);

    // A catalogue header: read on only while no cancel request is seen.
    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(ScanCatalogueFile(Path("v100.fsr"), pattern, buffer, {}, &cancelled).has_value());
    EXPECT_LT(buffer.size(), size_t(2) << 20);

    // A job read ahead and dropped (as a stop drops it) does not read on to
    // the end of the file first. (It would take far longer to read it whole
    // than to get from starting the job to dropping it.)
    buffer.clear();
    { CCatalogueScanJob dropped(Path("v100.fsr"), pattern, buffer); }
    EXPECT_LT(buffer.size(), size_t(kLarge) / 2);
}

}  // namespace
}  // namespace volcatra
