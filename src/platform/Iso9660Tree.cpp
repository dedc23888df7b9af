// The ISO 9660 back end of disc images. Each directory is read once, from
// its own extent, and its records give the names, sizes, times and modes a
// mounted disc shows: Rock Ridge entries (NM names, PX modes, TF times, SL
// links, CE continuation areas, CL and RE for directories moved away)
// when the primary tree carries them, else the Joliet tree's UCS-2 names,
// else the primary names as Linux shows them. The records are written by
// hand because the ISO 9660 library at hand lists a directory only by its
// path, resolving every ancestor again from the root for each directory;
// on a disc with thousands of folders that cost several times the whole
// read. Every structure is checked before it is used: records within their
// sector, system use entries within their area, extents within the image,
// bounded continuation chains, depth and cycles.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <set>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "model/FileNameCodec.h"
#include "platform/DiscBytes.h"
#include "platform/DiscImageFileSystem.h"

namespace volcatra {

namespace {

// Larger directories than this hold over a million records: no disc has
// them.
constexpr uint64_t kMaxDirectoryBytes = 64u << 20;
constexpr size_t kMaxDepth = 1024;
// Continuation areas one record may chain, as Linux allows.
constexpr int kMaxContinuations = 32;
// Rock Ridge names longer than this are cut, as Linux cuts them.
constexpr size_t kMaxRockRidgeName = 255;

constexpr uint8_t kFlagHidden = 0x01;
constexpr uint8_t kFlagDirectory = 0x02;
constexpr uint8_t kFlagAssociated = 0x04;
constexpr uint8_t kFlagMultiExtent = 0x80;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar. A
// day beyond its month's end counts on into the next month, as timegm does.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = unsigned(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + int64_t(dayOfEra) - 719468;
}

int64_t UtcSeconds(int64_t year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second,
                   int quarterHours) {
    if (quarterHours < -52 || quarterHours > 52) quarterHours = 0;
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
           int64_t(quarterHours) * 15 * 60;
}

// Seconds since 1970 UTC of a 7-byte recording time (years since 1900,
// month, day, hour, minute, second, offset from UTC in 15-minute units);
// 0 when it is not a time.
int64_t RecordingTime(const unsigned char* t) {
    if (t[1] < 1 || t[1] > 12 || t[2] < 1 || t[2] > 31 || t[3] > 23 || t[4] > 59 || t[5] > 60) return 0;
    return UtcSeconds(1900 + t[0], t[1], t[2], t[3], t[4], t[5], int8_t(t[6]));
}

// The same of a 17-byte time in digits ("YYYYMMDDhhmmsscc" and the offset).
int64_t DigitTime(const unsigned char* t) {
    unsigned v[7] = {};
    const unsigned widths[7] = {4, 2, 2, 2, 2, 2, 2};
    const unsigned char* p = t;
    for (int i = 0; i < 7; ++i)
        for (unsigned k = 0; k < widths[i]; ++k, ++p) {
            if (*p < '0' || *p > '9') return 0;
            v[i] = v[i] * 10 + unsigned(*p - '0');
        }
    if (v[0] == 0 || v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] > 23 || v[4] > 59 || v[5] > 60) return 0;
    return UtcSeconds(v[0], v[1], v[2], v[3], v[4], v[5], int8_t(t[16]));
}

// Where a directory or file lies: its first extent, and the further
// extents of a file recorded in several.
struct IsoExtents {
    uint32_t sector = 0;
    uint32_t bytes = 0;
    std::vector<std::pair<uint32_t, uint32_t>> more;
    uint64_t Size() const {
        uint64_t size = bytes;
        for (const auto& e : more) size += e.second;
        return size;
    }
};

// One listed item and where its contents lie.
struct IsoItem {
    DirectoryItem item;
    IsoExtents extents;
    bool folder = false;
    bool moved = false;  // a directory Rock Ridge moved away: extents.sector names where it lies
};

// What the Rock Ridge entries of one record say.
struct RockRidgeFacts {
    std::string name;
    bool hasName = false;
    std::optional<uint32_t> mode;
    int64_t modified = 0;
    bool symlink = false;
    uint64_t symlinkLength = 0;
    std::optional<uint32_t> childLink;  // CL: the directory moved away from here
    bool relocated = false;             // RE: listed where it was moved from
};

// A file's bytes over its extents.
class ExtentByteSource : public IByteSource {
public:
    ExtentByteSource(const IByteSource& disc, IsoExtents extents) : m_disc(disc) {
        m_extents.emplace_back(extents.sector, extents.bytes);
        m_extents.insert(m_extents.end(), extents.more.begin(), extents.more.end());
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

enum class NameForm { RockRidge, Joliet, Primary };

class Iso9660Tree;

class Iso9660Listing : public IDirectoryListing {
public:
    Iso9660Listing(Iso9660Tree& tree, std::string path, std::vector<IsoItem> items, size_t depth)
        : m_tree(tree), m_path(std::move(path)), m_items(std::move(items)), m_depth(depth) {}
    ListingStatus Next(DirectoryItem& item) override {
        if (m_next >= m_items.size()) return ListingStatus::End;
        item = m_items[m_next++].item;
        return ListingStatus::Item;
    }
    std::unique_ptr<IDirectoryListing> OpenSubfolder(const std::string& name, int& error) override;
    int Error() const override { return 0; }

private:
    Iso9660Tree& m_tree;
    std::string m_path;  // the shown names below the root, each followed by "/"
    std::vector<IsoItem> m_items;
    std::vector<bool> m_opened;  // folders opened: two of the same name are opened in turn
    size_t m_next = 0;
    size_t m_depth;
};

class Iso9660Tree : public IDiscTree {
public:
    Iso9660Tree(const DiscSectorSource& disc, NameForm form, uint32_t rootSector, uint32_t rootBytes,
                unsigned systemUseSkip)
        : m_disc(disc), m_form(form), m_rootSector(rootSector), m_rootBytes(rootBytes), m_skip(systemUseSkip) {}

    std::unique_ptr<IDirectoryListing> OpenRoot(int& error) override {
        // A new walk from the top.
        m_visited.clear();
        m_folders.clear();
        m_folders.emplace("", std::make_pair(m_rootSector, m_rootBytes));
        return Guarded(error, [&] { return OpenDirectory("", m_rootSector, m_rootBytes, 0, error); });
    }

    std::unique_ptr<IByteSource> OpenFile(const std::string& relativePath) override {
        // The folder that holds it was listed in this walk: list it again
        // and find the file by its shown name.
        const size_t slash = relativePath.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : relativePath.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? relativePath : relativePath.substr(slash + 1);
        const auto found = m_folders.find(folder);
        if (found == m_folders.end()) return nullptr;
        try {
            int error = 0;
            std::optional<std::vector<IsoItem>> items = ListItems(found->second.first, found->second.second, error);
            if (!items) return nullptr;
            for (IsoItem& i : *items)
                if (!i.folder && i.item.kind == ItemKind::RegularFile && i.item.name == name)
                    return std::make_unique<ExtentByteSource>(m_disc, std::move(i.extents));
        } catch (const std::bad_alloc&) {
        }
        return nullptr;
    }

    std::unique_ptr<IDirectoryListing> OpenChild(const std::string& path, const IsoItem& child, size_t depth,
                                                 int& error) {
        return Guarded(error, [&]() -> std::unique_ptr<IDirectoryListing> {
            uint32_t sector = child.extents.sector;
            uint32_t bytes = child.extents.bytes;
            // A moved directory's size is in its own "." record.
            if (child.moved && !MovedDirectorySize(sector, bytes))
                return Refuse(error, EIO, "a moved directory cannot be found");
            return OpenDirectory(path, sector, bytes, depth, error);
        });
    }

    std::string Reason() const override { return m_reason; }

private:
    template <typename Open>
    std::unique_ptr<IDirectoryListing> Guarded(int& error, Open open) {
        try {
            return open();
        } catch (const std::bad_alloc&) {
            error = ENOMEM;
            return nullptr;
        }
    }

    std::unique_ptr<IDirectoryListing> Refuse(int& error, int code, const char* reason) {
        error = code;
        m_reason = reason;
        return nullptr;
    }

    bool ExtentInside(uint32_t sector, uint64_t bytes) const {
        return uint64_t(sector) * kDiscSectorSize + bytes <= m_disc.Size();
    }

    bool MovedDirectorySize(uint32_t sector, uint32_t& bytes) const {
        DiscSector head;
        if (!ReadDiscSector(m_disc, sector, head)) return false;
        const unsigned length = head[0];
        if (length < 34 || head[32] != 1 || head[33] != 0 || Le32(head.data() + 2) != sector) return false;
        bytes = Le32(head.data() + 10);
        return true;
    }

    std::unique_ptr<IDirectoryListing> OpenDirectory(const std::string& path, uint32_t sector, uint32_t bytes,
                                                     size_t depth, int& error) {
        if (depth > kMaxDepth) return Refuse(error, ELOOP, "folders nested too deep");
        if (m_visited.count(sector)) return Refuse(error, ELOOP, "a directory is listed twice (a cycle)");
        std::optional<std::vector<IsoItem>> items = ListItems(sector, bytes, error);
        if (!items) return nullptr;
        m_visited.insert(sector);
        for (const IsoItem& i : *items)
            if (i.folder && !i.moved)
                m_folders.emplace(path + i.item.name + "/", std::make_pair(i.extents.sector, i.extents.bytes));
        return std::make_unique<Iso9660Listing>(*this, path, std::move(*items), depth);
    }

    // The items of the directory at sector, of the given size, in the order
    // of its records; nullopt with the reason set when they are not sound.
    std::optional<std::vector<IsoItem>> ListItems(uint32_t sector, uint32_t bytes, int& error) {
        const auto fail = [&](int code, const char* reason) -> std::optional<std::vector<IsoItem>> {
            error = code;
            m_reason = reason;
            return std::nullopt;
        };
        if (bytes > kMaxDirectoryBytes) return fail(EFBIG, "a directory of an impossible size");
        const uint64_t whole = (uint64_t(bytes) + kDiscSectorSize - 1) / kDiscSectorSize * kDiscSectorSize;
        if (!ExtentInside(sector, whole))
            return fail(EIO, "a directory lies beyond the end of the image (truncated image?)");
        m_buffer.resize(whole);
        if (whole && !m_disc.Read(uint64_t(sector) * kDiscSectorSize, m_buffer.data(), whole))
            return fail(EIO, "a directory cannot be read");

        std::vector<IsoItem> items;
        bool continues = false;  // the last record's file has further extents
        RockRidgeFacts rr;
        size_t offset = 0;
        while (offset < whole) {
            const unsigned length = m_buffer[offset];
            if (length == 0) {
                // Padding up to the next sector.
                offset = (offset / kDiscSectorSize + 1) * kDiscSectorSize;
                continue;
            }
            const size_t sectorEnd = (offset / kDiscSectorSize + 1) * kDiscSectorSize;
            if (length < 34 || offset + length > sectorEnd) return fail(EIO, "damaged directory records");
            const unsigned char* r = m_buffer.data() + offset;
            offset += length;
            const unsigned nameLength = r[32];
            if (33 + nameLength > length) return fail(EIO, "damaged directory records");
            const uint32_t extent = Le32(r + 2);
            const uint32_t size = Le32(r + 10);
            const uint8_t flags = r[25];
            rr = RockRidgeFacts{};
            if (m_form == NameForm::RockRidge && !ReadRockRidge(r, length, nameLength, rr))
                return fail(EIO, "damaged directory records");
            if (nameLength == 1 && r[33] <= 1) continue;  // "." and ".."
            if (flags & kFlagAssociated) continue;        // not shown on a mounted disc
            if (rr.relocated) continue;                   // shown where it was moved from
            std::string name = rr.hasName ? std::move(rr.name) : RecordName(r + 33, nameLength);
            if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
                return fail(EIO, "damaged file names");
            const bool folder = !rr.symlink && ((flags & kFlagDirectory) || rr.childLink);
            if (!folder && size && !ExtentInside(extent, size))
                return fail(EIO, "a file lies beyond the end of the image (truncated image?)");
            // The further extents of a file come as records of the same name.
            if (continues && !items.empty() && !items.back().folder && items.back().item.name == name) {
                items.back().extents.more.emplace_back(extent, size);
                items.back().item.size += size;
                continues = (flags & kFlagMultiExtent) != 0;
                continue;
            }
            continues = (flags & kFlagMultiExtent) != 0;
            IsoItem& i = items.emplace_back();
            i.folder = folder;
            i.item.name = std::move(name);
            i.item.kind = rr.symlink ? ItemKind::SymbolicLink : folder ? ItemKind::Folder : ItemKind::RegularFile;
            i.item.time = rr.modified ? rr.modified : RecordingTime(r + 18);
            const bool writable = rr.mode && (*rr.mode & 0200);
            if (folder) i.item.attributes |= 0x10;
            if (i.item.kind == ItemKind::RegularFile) i.item.attributes |= 0x20;
            if (!writable) i.item.attributes |= 0x01;
            if ((flags & kFlagHidden) || i.item.name[0] == '.') i.item.attributes |= 0x02;
            if (rr.symlink) {
                i.item.size = rr.symlinkLength;
            } else if (folder) {
                i.extents.sector = rr.childLink.value_or(extent);
                i.extents.bytes = size;
                i.moved = rr.childLink.has_value();
            } else {
                i.item.size = size;
                i.extents.sector = extent;
                i.extents.bytes = size;
            }
        }
        return items;
    }

    // The name of a record without Rock Ridge: Joliet UCS-2 as UTF-8, or
    // the primary name lower-cased; both without the ";1" version.
    std::string RecordName(const unsigned char* p, unsigned length) const {
        std::string name;
        if (m_form == NameForm::Joliet) {
            std::u16string text;
            for (unsigned i = 0; i + 1 < length; i += 2) text.push_back(char16_t(p[i] << 8 | p[i + 1]));
            if (text.size() > 2 && text[text.size() - 2] == u';' && text.back() == u'1') text.resize(text.size() - 2);
            // Linux drops trailing periods of Joliet names.
            while (text.size() >= 2 && text.back() == u'.') text.pop_back();
            return Utf16ToFileName(text);
        }
        for (unsigned i = 0; i < length; ++i) {
            char c = char(p[i]);
            if (c == 0) break;
            if (c >= 'A' && c <= 'Z') c = char(c | 0x20);
            if (c == '.' && i + 3 == length && p[i + 1] == ';' && p[i + 2] == '1') break;  // "X.;1"
            if (c == ';' && i + 2 == length && p[i + 1] == '1') break;                     // "X;1"
            if (c == ';') c = '.';
            name.push_back(c);
        }
        return name;
    }

    // The Rock Ridge entries of a record: its system use area and the
    // continuation areas it chains. false when an entry does not fit.
    bool ReadRockRidge(const unsigned char* r, unsigned length, unsigned nameLength, RockRidgeFacts& rr) {
        size_t at = 33 + nameLength + ((nameLength % 2 == 0) ? 1 : 0) + m_skip;
        const unsigned char* area = r;
        size_t end = length;
        std::vector<unsigned char> continuation;
        bool nameContinues = true;
        int hops = 0;
        bool timeFound = false;
        for (;;) {
            std::optional<std::tuple<uint32_t, uint32_t, uint32_t>> next;
            while (at + 4 <= end) {
                const unsigned char* e = area + at;
                const unsigned entryLength = e[2];
                if (entryLength < 4 || at + entryLength > end) {
                    // Padding at the end of the area is allowed; anything else is not.
                    if (e[0] == 0) break;
                    return false;
                }
                const std::string_view body(reinterpret_cast<const char*>(e + 4), entryLength - 4);
                const uint16_t tag = uint16_t(e[0] << 8 | e[1]);
                switch (tag) {
                    case 'N' << 8 | 'M':
                        if (body.size() >= 1 && (e[4] & ~1) == 0 && nameContinues) {
                            rr.hasName = true;
                            rr.name.append(body.substr(1).substr(0, kMaxRockRidgeName - rr.name.size()));
                            nameContinues = (e[4] & 1) != 0;
                        }
                        break;
                    case 'P' << 8 | 'X':
                        if (body.size() >= 8) rr.mode = Le32(e + 4);
                        if (rr.mode && (*rr.mode & 0170000) == 0120000) rr.symlink = true;
                        break;
                    case 'T' << 8 | 'F':
                        if (!timeFound && body.size() >= 1) {
                            const unsigned stamps = e[4];
                            const size_t width = (stamps & 0x80) ? 17 : 7;
                            size_t p = 1 + ((stamps & 0x01) ? width : 0);  // after the creation time
                            if ((stamps & 0x02) && p + width <= body.size()) {
                                const auto* t = reinterpret_cast<const unsigned char*>(body.data() + p);
                                rr.modified = width == 17 ? DigitTime(t) : RecordingTime(t);
                                timeFound = true;
                            }
                        }
                        break;
                    case 'S' << 8 | 'L':
                        rr.symlink = true;
                        AddSymlinkLength(e, entryLength, rr);
                        break;
                    case 'C' << 8 | 'L':
                        if (entryLength >= 12) rr.childLink = Le32(e + 4);
                        break;
                    case 'R' << 8 | 'E':
                        rr.relocated = true;
                        break;
                    case 'C' << 8 | 'E':
                        if (entryLength >= 28) next.emplace(Le32(e + 4), Le32(e + 12), Le32(e + 20));
                        break;
                    case 'S' << 8 | 'T':
                        at = end;
                        continue;
                    default:
                        break;
                }
                at += entryLength;
            }
            if (!next) return true;
            const auto [block, offset, size] = *next;
            if (++hops > kMaxContinuations || offset >= kDiscSectorSize || size > kDiscSectorSize - offset ||
                !ExtentInside(block, uint64_t(offset) + size))
                return false;
            continuation.resize(size);
            if (size && !m_disc.Read(uint64_t(block) * kDiscSectorSize + offset, continuation.data(), size))
                return false;
            area = continuation.data();
            at = 0;
            end = size;
        }
    }

    // The length of a link's target from an SL entry: components joined
    // by "/", "." and ".." for the current and parent folder, a leading
    // "/" for the root; as the size a mounted disc reports.
    static void AddSymlinkLength(const unsigned char* e, unsigned entryLength, RockRidgeFacts& rr) {
        if (entryLength < 5) return;
        const bool entryContinues = e[4] & 1;
        size_t at = 5;
        while (at + 2 <= entryLength) {
            const unsigned flags = e[at];
            const unsigned length = e[at + 1];
            if (at + 2 + length > entryLength) return;
            const bool root = (flags & 0x08) != 0;
            if (flags & 0x02)
                rr.symlinkLength += 1;  // "."
            else if (flags & 0x04)
                rr.symlinkLength += 2;  // ".."
            else if (root)
                rr.symlinkLength += 1;  // "/"
            else
                rr.symlinkLength += length;
            at += 2 + length;
            const bool componentContinues = flags & 0x01;
            if (at + 2 > entryLength) {
                // The next SL entry goes on with a new component.
                if (entryContinues && !componentContinues) rr.symlinkLength += 1;
                return;
            }
            if (!root && !componentContinues) rr.symlinkLength += 1;
        }
    }

    const DiscSectorSource& m_disc;
    NameForm m_form;
    uint32_t m_rootSector;
    uint32_t m_rootBytes;
    unsigned m_skip;
    std::vector<unsigned char> m_buffer;
    std::set<uint32_t> m_visited;
    // Folders listed in this walk by their shown path: first sector and size.
    std::unordered_map<std::string, std::pair<uint32_t, uint32_t>> m_folders;
    std::string m_reason;
};

std::unique_ptr<IDirectoryListing> Iso9660Listing::OpenSubfolder(const std::string& name, int& error) {
    m_opened.resize(m_items.size());
    std::optional<size_t> chosen;
    for (size_t k = 0; k < m_items.size() && !(chosen && !m_opened[*chosen]); ++k)
        if (m_items[k].folder && m_items[k].item.name == name && (!chosen || !m_opened[k])) chosen = k;
    if (chosen) {
        m_opened[*chosen] = true;
        return m_tree.OpenChild(m_path + name + "/", m_items[*chosen], m_depth + 1, error);
    }
    error = ENOENT;
    return nullptr;
}

// The root directory record of a volume descriptor: its sector and size.
std::pair<uint32_t, uint32_t> RootOf(const DiscSector& descriptor) {
    return {Le32(descriptor.data() + 156 + 2), Le32(descriptor.data() + 156 + 10)};
}

// Whether the primary tree carries Rock Ridge: the "." record of its root
// directory starts a System Use Sharing Protocol area (SP) followed by
// Rock Ridge entries. skip is the SP's count of bytes to skip in every
// later system use area.
bool HasRockRidge(const IByteSource& disc, uint32_t root, unsigned& skip) {
    unsigned char record[256];
    if (!disc.Read(uint64_t(root) * kDiscSectorSize, record, sizeof(record))) return false;
    const unsigned length = record[0];
    const unsigned nameLength = record[32];
    size_t at = 33 + nameLength + (nameLength % 2 == 0 ? 1 : 0);
    if (length < 34 || at + 7 > length || record[at] != 'S' || record[at + 1] != 'P' || record[at + 4] != 0xBE ||
        record[at + 5] != 0xEF)
        return false;
    skip = record[at + 6];
    while (at + 4 <= length && record[at + 2] >= 4 && at + record[at + 2] <= length) {
        const unsigned char* e = record + at;
        if ((e[0] == 'R' && e[1] == 'R') || (e[0] == 'P' && e[1] == 'X') || (e[0] == 'N' && e[1] == 'M') ||
            (e[0] == 'E' && e[1] == 'R') || (e[0] == 'C' && e[1] == 'E'))
            return true;
        at += e[2];
    }
    return false;
}

}  // namespace

std::unique_ptr<IDiscTree> OpenIso9660Tree(const DiscSectorSource& disc, std::string& reason) {
    // The primary descriptor and the first Joliet one.
    std::optional<DiscSector> primary;
    std::optional<DiscSector> joliet;
    DiscSector sector;
    for (uint64_t s = 16; s < 16 + 64; ++s) {
        if (!ReadDiscSector(disc, s, sector) || std::memcmp(sector.data() + 1, "CD001", 5) != 0 || sector[0] == 255)
            break;
        if (sector[0] == 1 && !primary) primary = sector;
        if (sector[0] == 2 && !joliet && sector[88] == '%' && sector[89] == '/' &&
            (sector[90] == '@' || sector[90] == 'C' || sector[90] == 'E'))
            joliet = sector;
    }
    if (!primary) {
        reason = "the ISO 9660 volume descriptors cannot be read";
        return nullptr;
    }
    // Rock Ridge names first, as a mounted disc shows them; else Joliet;
    // else the primary names.
    const auto [root, rootBytes] = RootOf(*primary);
    unsigned skip = 0;
    if (HasRockRidge(disc, root, skip))
        return std::make_unique<Iso9660Tree>(disc, NameForm::RockRidge, root, rootBytes, skip);
    if (joliet) {
        const auto [jolietRoot, jolietBytes] = RootOf(*joliet);
        return std::make_unique<Iso9660Tree>(disc, NameForm::Joliet, jolietRoot, jolietBytes, 0);
    }
    return std::make_unique<Iso9660Tree>(disc, NameForm::Primary, root, rootBytes, 0);
}

}  // namespace volcatra
