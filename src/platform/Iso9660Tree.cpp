// The ISO 9660 back end of disc images. libiso9660 reads the directories
// with their Rock Ridge and Joliet names, modes and times; the directory
// records are read here as well, for what the library does not report and
// to check every structure before the library is handed it: the hidden
// and associated-file flags, files of several extents, directories moved
// by Rock Ridge (CL and RE entries), records that cross their sector, and
// extents beyond the end of the image.
#include <cdio/iso9660.h>
#include <cdio/logging.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <vector>

#include "platform/DiscBytes.h"
#include "platform/DiscImageFileSystem.h"

namespace volcatra {

namespace {

// Larger directories than this hold over a million records: no disc has
// them, and the library would allocate the whole directory at once.
constexpr uint64_t kMaxDirectoryBytes = 64u << 20;
constexpr size_t kMaxDepth = 1024;

void SilentLog(cdio_log_level_t, const char*) {}

void SilenceLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(SilentLog); });
}

// Seconds since 1970 UTC of a 7-byte recording time (years since 1900,
// month, day, hour, minute, second, offset from UTC in 15-minute units).
int64_t RecordingTime(const unsigned char* t) {
    if (t[1] < 1 || t[1] > 12 || t[2] < 1 || t[2] > 31 || t[3] > 23 || t[4] > 59 || t[5] > 60) return 0;
    std::tm tm{};
    tm.tm_year = t[0];
    tm.tm_mon = t[1] - 1;
    tm.tm_mday = t[2];
    tm.tm_hour = t[3];
    tm.tm_min = t[4];
    tm.tm_sec = t[5];
    int offset = int8_t(t[6]);
    if (offset < -52 || offset > 52) offset = 0;
    return int64_t(timegm(&tm)) - int64_t(offset) * 15 * 60;
}

int64_t RockRidgeTime(const iso_rock_time_t& time) {
    if (!time.b_used) return 0;
    if (!time.b_longdate) return RecordingTime(reinterpret_cast<const unsigned char*>(&time.t.dtime));
    std::tm tm{};
    if (!iso9660_get_ltime(&time.t.ltime, &tm)) return 0;
    return int64_t(timegm(&tm));
}

// One directory record as stored.
struct IsoRecord {
    uint32_t extent = 0;
    uint32_t size = 0;
    uint8_t flags = 0;
    int64_t time = 0;
    std::optional<uint32_t> childLink;  // Rock Ridge CL: the directory moved away from here
    bool relocated = false;             // Rock Ridge RE: listed where it was moved from
};

constexpr uint8_t kFlagHidden = 0x01;
constexpr uint8_t kFlagAssociated = 0x04;
constexpr uint8_t kFlagMultiExtent = 0x80;

// What one listed item needs for the walk below it.
struct IsoChild {
    std::string libraryPath;                             // the path the library finds the folder or file by
    std::string shownPath;                               // the shown names below the root, each followed by "/"
    std::vector<std::pair<uint32_t, uint32_t>> extents;  // (sector, bytes)
    bool folder = false;
    bool moved = false;  // a directory Rock Ridge moved away: extents names where it lies
};

class Iso9660Tree;

class Iso9660Listing : public IDirectoryListing {
public:
    Iso9660Listing(Iso9660Tree& tree, std::vector<std::pair<DirectoryItem, IsoChild>> items, size_t depth)
        : m_tree(tree), m_items(std::move(items)), m_depth(depth) {}
    ListingStatus Next(DirectoryItem& item) override {
        if (m_next >= m_items.size()) return ListingStatus::End;
        item = m_items[m_next++].first;
        return ListingStatus::Item;
    }
    std::unique_ptr<IDirectoryListing> OpenSubfolder(const std::string& name, int& error) override;
    int Error() const override { return 0; }

private:
    Iso9660Tree& m_tree;
    std::vector<std::pair<DirectoryItem, IsoChild>> m_items;
    size_t m_next = 0;
    size_t m_depth;
};

// A file's bytes over its extents.
class ExtentByteSource : public IByteSource {
public:
    ExtentByteSource(const IByteSource& disc, std::vector<std::pair<uint32_t, uint32_t>> extents)
        : m_disc(disc), m_extents(std::move(extents)) {
        for (const auto& e : m_extents) m_size += e.second;
    }
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* buffer, size_t count) const override {
        if (offset > m_size || count > m_size - offset) return false;
        auto* out = static_cast<unsigned char*>(buffer);
        uint64_t start = 0;
        for (const auto& [sector, bytes] : m_extents) {
            if (count == 0) break;
            if (offset < start + bytes) {
                const uint64_t within = offset - start;
                const size_t piece = size_t(std::min<uint64_t>(count, bytes - within));
                if (!m_disc.Read(uint64_t(sector) * kDiscSectorSize + within, out, piece)) return false;
                out += piece;
                offset += piece;
                count -= piece;
            }
            start += bytes;
        }
        return count == 0;
    }

private:
    const IByteSource& m_disc;
    std::vector<std::pair<uint32_t, uint32_t>> m_extents;
    uint64_t m_size = 0;
};

class Iso9660Tree : public IDiscTree {
public:
    Iso9660Tree(const DiscSectorSource& disc, iso9660_t* iso, bool rockRidge, uint8_t joliet)
        : m_disc(disc), m_iso(iso), m_rockRidge(rockRidge), m_joliet(joliet) {}
    ~Iso9660Tree() override { iso9660_close(m_iso); }
    Iso9660Tree(const Iso9660Tree&) = delete;
    Iso9660Tree& operator=(const Iso9660Tree&) = delete;

    std::unique_ptr<IDirectoryListing> OpenRoot(int& error) override {
        // A new walk from the top.
        m_visited.clear();
        m_folders.clear();
        iso9660_stat_t* root = iso9660_ifs_stat(m_iso, "/");
        if (!root) {
            error = EIO;
            m_reason = "the root directory cannot be read";
            return nullptr;
        }
        IsoChild child;
        child.libraryPath = "/";
        child.extents = {{root->lsn, root->size}};
        child.folder = true;
        m_folders.emplace(root->lsn, std::make_pair(std::string("/"), root->size));
        iso9660_stat_free(root);
        return OpenDirectory(child, 0, error);
    }

    std::unique_ptr<IByteSource> OpenFile(const std::string& relativePath) override {
        const auto found = m_files.find(relativePath);
        if (found == m_files.end()) return nullptr;
        return std::make_unique<ExtentByteSource>(m_disc, found->second);
    }

    std::unique_ptr<IDirectoryListing> OpenDirectory(const IsoChild& folder, size_t depth, int& error) {
        try {
            if (folder.moved) {
                std::optional<IsoChild> found = FindMovedDirectory(folder.extents.front().first, error);
                if (!found) return nullptr;
                found->shownPath = folder.shownPath;
                return ReadDirectory(*found, depth, error);
            }
            return ReadDirectory(folder, depth, error);
        } catch (const std::bad_alloc&) {
            error = ENOMEM;
            return nullptr;
        }
    }

    std::string Reason() const override { return m_reason; }

private:
    std::unique_ptr<IDirectoryListing> Refuse(int& error, int code, std::string reason) {
        error = code;
        m_reason = std::move(reason);
        return nullptr;
    }

    bool ExtentInside(uint32_t sector, uint64_t bytes) const {
        const uint64_t end = uint64_t(sector) * kDiscSectorSize + bytes;
        return end <= m_disc.Size();
    }

    // The records of a directory, checked: each lies within its sector and
    // holds its name and system use area; nullopt when any does not.
    std::optional<std::vector<IsoRecord>> ParseRecords(const std::vector<unsigned char>& data) {
        std::vector<IsoRecord> records;
        size_t offset = 0;
        while (offset < data.size()) {
            const unsigned length = data[offset];
            if (length == 0) {
                ++offset;  // padding up to the next sector, as the library skips it
                continue;
            }
            const size_t sectorEnd = (offset / kDiscSectorSize + 1) * kDiscSectorSize;
            if (length < 34 || offset + length > sectorEnd || offset + length > data.size()) return std::nullopt;
            const unsigned char* r = data.data() + offset;
            const unsigned nameLength = r[32];
            if (33 + nameLength > length) return std::nullopt;
            IsoRecord record;
            record.extent = Le32(r + 2);
            record.size = Le32(r + 10);
            record.flags = r[25];
            record.time = RecordingTime(r + 18);
            if (!ParseSystemUse(r, length, nameLength, record)) return std::nullopt;
            records.push_back(record);
            offset += length;
        }
        return records;
    }

    // The Rock Ridge entries of a record's own system use area: each entry
    // must fit in it (the library walks them too).
    bool ParseSystemUse(const unsigned char* r, unsigned length, unsigned nameLength, IsoRecord& record) {
        size_t at = 33 + nameLength + ((nameLength % 2 == 0) ? 1 : 0);
        if (!m_rockRidge) return true;
        while (at + 4 <= length) {
            const unsigned char* e = r + at;
            const unsigned entryLength = e[2];
            if (entryLength < 4 || at + entryLength > length) {
                // Padding at the end of the area is allowed; anything else is not.
                if (e[0] == 0) break;
                return false;
            }
            if (e[0] == 'C' && e[1] == 'L' && entryLength >= 12) record.childLink = Le32(e + 4);
            if (e[0] == 'R' && e[1] == 'E') record.relocated = true;
            if (e[0] == 'S' && e[1] == 'T') break;
            at += entryLength;
        }
        return true;
    }

    std::string DisplayName(const char* name) const {
        if (m_rockRidge) return name;
        std::vector<char> out(std::strlen(name) + 1);
        iso9660_name_translate_ext(name, out.data(), m_joliet);
        return out.data();
    }

    // The checked records of the directory at sector, of the given size;
    // nullopt with the reason set when they are not sound.
    std::optional<std::vector<IsoRecord>> LoadRecords(uint32_t sector, uint32_t bytes, int& error) {
        const auto fail = [&](int code, const char* reason) {
            error = code;
            m_reason = reason;
            return std::nullopt;
        };
        if (bytes > kMaxDirectoryBytes) return fail(EFBIG, "a directory of an impossible size");
        const uint64_t whole = (uint64_t(bytes) + kDiscSectorSize - 1) / kDiscSectorSize * kDiscSectorSize;
        if (!ExtentInside(sector, whole))
            return fail(EIO, "a directory lies beyond the end of the image (truncated image?)");
        std::vector<unsigned char> data(whole);
        if (!data.empty() && !m_disc.Read(uint64_t(sector) * kDiscSectorSize, data.data(), data.size()))
            return fail(EIO, "a directory cannot be read");
        std::optional<std::vector<IsoRecord>> records = ParseRecords(data);
        if (!records) return fail(EIO, "damaged directory records");
        return records;
    }

    // The library's entries of a directory whose path and records were
    // checked; nullptr when it gives none.
    struct StatList {
        CdioList_t* list = nullptr;
        std::vector<iso9660_stat_t*> stats;
        ~StatList() {
            if (list) iso9660_filelist_free(list);
        }
    };

    bool LibraryEntries(const std::string& path, StatList& out) {
        out.list = iso9660_ifs_readdir(m_iso, path.c_str());
        if (!out.list) return false;
        for (CdioListNode_t* node = _cdio_list_begin(out.list); node; node = _cdio_list_node_next(node))
            out.stats.push_back(static_cast<iso9660_stat_t*>(_cdio_list_node_data(node)));
        return true;
    }

    // A directory that Rock Ridge moved away (CL): where it really lies, as
    // the library finds it. Its ".." record names the folder that holds it
    // (rr_moved), which has been met in a listing; that folder's entry
    // with the moved directory's sector gives the name. The library's own
    // search by sector walks the whole tree unchecked and crashes on
    // damaged images, so it is not used.
    std::optional<IsoChild> FindMovedDirectory(uint32_t sector, int& error) {
        const auto fail = [&]() -> std::optional<IsoChild> {
            error = EIO;
            m_reason = "a moved directory cannot be found";
            return std::nullopt;
        };
        unsigned char head[kDiscSectorSize];
        if (!ExtentInside(sector, kDiscSectorSize) ||
            !m_disc.Read(uint64_t(sector) * kDiscSectorSize, head, sizeof(head)))
            return fail();
        const unsigned first = head[0];
        if (first < 34 || first + 34 > kDiscSectorSize || head[first] < 34) return fail();
        const auto holder = m_folders.find(Le32(head + first + 2));
        if (holder == m_folders.end()) return fail();
        const auto& [holderPath, holderSize] = holder->second;
        if (!LoadRecords(holder->first, holderSize, error)) return std::nullopt;
        StatList entries;
        if (!LibraryEntries(holderPath, entries)) return fail();
        for (const iso9660_stat_t* s : entries.stats) {
            if (s && s->lsn == lsn_t(sector) && s->type == iso9660_stat_s::_STAT_DIR &&
                std::strcmp(s->filename, ".") != 0 && std::strcmp(s->filename, "..") != 0) {
                IsoChild child;
                child.folder = true;
                child.extents = {{sector, s->size}};
                child.libraryPath = holderPath + s->filename + "/";
                return child;
            }
        }
        return fail();
    }

    std::unique_ptr<IDirectoryListing> ReadDirectory(const IsoChild& folder, size_t depth, int& error) {
        if (depth > kMaxDepth) return Refuse(error, ELOOP, "folders nested too deep");
        const auto [sector, bytes] = folder.extents.front();
        if (m_visited.count(sector)) return Refuse(error, ELOOP, "a directory is listed twice (a cycle)");
        const std::optional<std::vector<IsoRecord>> records = LoadRecords(sector, bytes, error);
        if (!records) return nullptr;
        m_visited.insert(sector);

        StatList entries;
        if (!LibraryEntries(folder.libraryPath, entries)) return Refuse(error, EIO, "a directory cannot be read");
        const std::vector<iso9660_stat_t*>& stats = entries.stats;
        if (stats.size() != records->size()) return Refuse(error, EIO, "damaged directory records");

        std::vector<std::pair<DirectoryItem, IsoChild>> items;
        bool continues = false;  // the last record's file has further extents
        std::set<std::string> folderNames;
        for (size_t i = 0; i < stats.size(); ++i) {
            const iso9660_stat_t* s = stats[i];
            const IsoRecord& record = (*records)[i];
            if (!s || s->lsn != lsn_t(record.extent) || s->size != record.size)
                return Refuse(error, EIO, "damaged directory records");
            if (i < 2 && (std::strcmp(s->filename, ".") == 0 || std::strcmp(s->filename, "..") == 0)) continue;
            if (record.flags & kFlagAssociated) continue;  // not shown on a mounted disc
            if (record.relocated) continue;                // shown where it was moved from
            const std::string name = DisplayName(s->filename);
            if (name.empty() || name.find('/') != std::string::npos) return Refuse(error, EIO, "damaged file names");
            // The further extents of a file come as records of the same name.
            if (continues && !items.empty() && !items.back().second.folder && items.back().first.name == name) {
                items.back().second.extents.emplace_back(record.extent, record.size);
                items.back().first.size += record.size;
                continues = (record.flags & kFlagMultiExtent) != 0;
                if (record.size && !ExtentInside(record.extent, record.size))
                    return Refuse(error, EIO, "a file lies beyond the end of the image (truncated image?)");
                continue;
            }
            continues = (record.flags & kFlagMultiExtent) != 0;
            DirectoryItem item;
            IsoChild child;
            item.name = name;
            const bool link = m_rockRidge && s->rr.b3_rock == yep && s->rr.psz_symlink && s->rr.i_symlink > 0;
            child.folder = !link && (s->type == iso9660_stat_s::_STAT_DIR || record.childLink.has_value());
            item.kind = link ? ItemKind::SymbolicLink : child.folder ? ItemKind::Folder : ItemKind::RegularFile;
            item.time = record.time;
            bool writable = false;
            if (m_rockRidge && s->rr.b3_rock == yep) {
                if (const int64_t t = RockRidgeTime(s->rr.modify)) item.time = t;
                writable = (s->rr.st_mode & 0200) != 0;
            }
            if (child.folder) item.attributes |= 0x10;
            if (item.kind == ItemKind::RegularFile) item.attributes |= 0x20;
            if (!writable) item.attributes |= 0x01;
            if ((record.flags & kFlagHidden) || name[0] == '.') item.attributes |= 0x02;
            if (link) {
                item.size = uint64_t(s->rr.i_symlink);
            } else if (child.folder) {
                // A moved directory is found when it is opened.
                child.extents = {{record.childLink.value_or(record.extent), record.size}};
                child.moved = record.childLink.has_value();
                child.libraryPath = folder.libraryPath + s->filename + "/";
                if (!child.moved) m_folders.emplace(record.extent, std::make_pair(child.libraryPath, record.size));
            } else {
                item.size = record.size;
                child.extents = {{record.extent, record.size}};
                if (record.size && !ExtentInside(record.extent, record.size))
                    return Refuse(error, EIO, "a file lies beyond the end of the image (truncated image?)");
                child.libraryPath = folder.libraryPath + s->filename;
            }
            // The library finds a folder by its name: two of the same name
            // would let it read one that was not checked.
            if (child.folder && !folderNames.insert(s->filename).second)
                return Refuse(error, EIO, "damaged directory records (a name twice)");
            items.emplace_back(std::move(item), std::move(child));
        }
        // Files by their shown path, for reading archives in place.
        for (const auto& [item, child] : items)
            if (item.kind == ItemKind::RegularFile) m_files[folder.shownPath + item.name] = child.extents;
        for (auto& [item, child] : items) child.shownPath = folder.shownPath + item.name + "/";
        return std::make_unique<Iso9660Listing>(*this, std::move(items), depth);
    }

    const DiscSectorSource& m_disc;
    iso9660_t* m_iso;
    bool m_rockRidge;
    uint8_t m_joliet;
    std::set<uint32_t> m_visited;
    // Folders met in listings by their first sector: library path and size.
    std::map<uint32_t, std::pair<std::string, uint32_t>> m_folders;
    std::map<std::string, std::vector<std::pair<uint32_t, uint32_t>>> m_files;
    std::string m_reason;
};

std::unique_ptr<IDirectoryListing> Iso9660Listing::OpenSubfolder(const std::string& name, int& error) {
    for (const auto& [item, child] : m_items)
        if (item.name == name && child.folder) return m_tree.OpenDirectory(child, m_depth + 1, error);
    error = ENOENT;
    return nullptr;
}

// Whether the primary tree carries Rock Ridge: the "." record of its root
// directory starts a System Use Sharing Protocol area (SP) with Rock Ridge
// entries. Read here rather than through the library, whose search walks
// the tree and leaks memory on every call.
bool HasRockRidge(const IByteSource& disc) {
    unsigned char sector[kDiscSectorSize];
    for (uint64_t s = 16; s < 16 + 64; ++s) {
        if (!disc.Read(s * kDiscSectorSize, sector, sizeof(sector)) || std::memcmp(sector + 1, "CD001", 5) != 0 ||
            sector[0] == 255)
            return false;
        if (sector[0] != 1) continue;
        const uint32_t root = Le32(sector + 156 + 2);
        unsigned char record[256];
        if (!disc.Read(uint64_t(root) * kDiscSectorSize, record, sizeof(record))) return false;
        const unsigned length = record[0];
        const unsigned nameLength = record[32];
        size_t at = 33 + nameLength + (nameLength % 2 == 0 ? 1 : 0);
        if (length < 34 || at + 7 > length || record[at] != 'S' || record[at + 1] != 'P' || record[at + 4] != 0xBE ||
            record[at + 5] != 0xEF)
            return false;
        while (at + 4 <= length && record[at + 2] >= 4 && at + record[at + 2] <= length) {
            const unsigned char* e = record + at;
            if ((e[0] == 'R' && e[1] == 'R') || (e[0] == 'P' && e[1] == 'X') || (e[0] == 'N' && e[1] == 'M') ||
                (e[0] == 'E' && e[1] == 'R'))
                return true;
            at += e[2];
        }
        return false;
    }
    return false;
}

}  // namespace

std::unique_ptr<IDiscTree> OpenIso9660Tree(const DiscSectorSource& disc, const std::string& imagePath,
                                           SectorLayout layout, std::string& reason) {
    SilenceLibrary();
    const auto open = [&](iso_extension_mask_t mask) {
        return layout.IsRaw() ? iso9660_open_fuzzy_ext(imagePath.c_str(), mask, 20)
                              : iso9660_open_ext(imagePath.c_str(), mask);
    };
    // Rock Ridge names first, as a mounted disc shows them; else Joliet;
    // else the primary names.
    iso9660_t* iso = open(ISO_EXTENSION_ROCK_RIDGE);
    if (!iso) {
        reason = "the ISO 9660 volume descriptors cannot be read";
        return nullptr;
    }
    if (HasRockRidge(disc)) return std::make_unique<Iso9660Tree>(disc, iso, true, 0);
    iso9660_close(iso);
    iso = open(ISO_EXTENSION_JOLIET_LEVEL1 | ISO_EXTENSION_JOLIET_LEVEL2 | ISO_EXTENSION_JOLIET_LEVEL3);
    if (!iso) {
        reason = "the ISO 9660 volume descriptors cannot be read";
        return nullptr;
    }
    return std::make_unique<Iso9660Tree>(disc, iso, false, iso9660_ifs_get_joliet_level(iso));
}

}  // namespace volcatra
