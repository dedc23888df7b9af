#include "model/TextListing.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace volcatra {

namespace {

constexpr std::u16string_view kVolumeLabelPrefix = u"  ボリュームラベルは  ";
constexpr std::u16string_view kSerialPrefix = u"\r\n  ボリュームシリアル番号は  ";
constexpr std::u16string_view kFolderHeading = u"\r\n  ディレクトリは  ";
constexpr std::u16string_view kArchiveHeading = u"\r\n  アーカイブファイルは  ";
constexpr std::u16string_view kHeadingEnd = u"\r\n\r\n";
constexpr std::u16string_view kVolumeEnd = u"\r\n\r\n";
constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr std::u16string_view kFolderSize = u"  <DIR>     ";
constexpr std::u16string_view kNoTime = u"                       ";  // 23 blanks

static_assert(kFolderSize.size() == 12 && kNoTime.size() == 23);

constexpr char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

void AppendAscii(std::u16string& out, const char* text) {
    for (; *text; ++text) out += char16_t(static_cast<unsigned char>(*text));
}

void Write(CCatalogueStream& stream, std::u16string_view text) {
    stream.WriteBytes(text.data(), text.size() * sizeof(char16_t));
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int ca = Lower(a[i]);
        const int cb = Lower(b[i]);
        if (ca != cb) return ca - cb;
    }
    // A name that is the beginning of the other compares as its end mark
    // (code unit 0) against the other's next character.
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -int(Lower(b[common])) : int(Lower(a[common]));
}

int CompareForListing(const CFileEntry& a, std::u16string_view aName, const CFileEntry& b, std::u16string_view bName) {
    // The difference of the two folder bits as they stand in the words.
    const int aFolder = a.m_attributes & FA_DIRECTORY;
    const int bFolder = b.m_attributes & FA_DIRECTORY;
    if (aFolder != bFolder) return bFolder - aFolder;
    return CompareNames(aName, bName);
}

void BuildEntryLine(std::u16string& line, ListingFormat format, const CFileEntry& entry, const std::u16string& name,
                    const IShellTypeNames& types) {
    const bool folder = (entry.m_attributes & FA_DIRECTORY) != 0;
    char number[32];
    char time[96] = "";
    std::tm local{};
    if (ToLocalDateTime(entry.m_time, local))
        std::snprintf(time, sizeof(time), "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    line.clear();
    if (format == ListingFormat::Csv) {
        const std::u16string type = types.GetTypeName(name, folder);
        line += u'"';
        line += name;
        if (folder) {
            line += u"\",,\"";
            line += type;
            line += u"\"\r\n";
            return;
        }
        std::snprintf(number, sizeof(number), "\",%lld,\"", static_cast<long long>(int64_t(entry.m_size)));
        AppendAscii(line, number);
        line += type;
        line += u'"';
        line += u',';
        AppendAscii(line, time);
        line += kLineEnd;
        return;
    }
    if (folder) {
        line += kFolderSize;
    } else {
        std::snprintf(number, sizeof(number), "%12lld", static_cast<long long>(int64_t(entry.m_size)));
        AppendAscii(line, number);
    }
    if (*time) {
        line += u"  ";
        AppendAscii(line, time);
        line += u"  ";
    } else {
        line += kNoTime;
    }
    line += name;
    line += kLineEnd;
}

// One entry of a folder being listed, with its display name taken once.
struct ListedEntry {
    const CFileEntry* m_entry;
    std::u16string m_name;
};

// A folder whose own lines are written and whose subfolders are being
// listed.
struct ListingFrame {
    std::vector<ListedEntry> m_sorted;
    std::u16string m_path;  // with a backslash at the end
    size_t m_arrayIndex;    // position in the root's folders
    size_t m_next = 0;      // next sorted entry to look at for contents
};

// Writes the heading and the lines of one array and returns its frame for
// the walk into the folders inside it.
ListingFrame ListOneArray(CCatalogueStream& stream, const CFileArray& array, size_t arrayIndex, ListingFormat format,
                          std::u16string path, uint16_t attributes, const IShellTypeNames& types,
                          std::u16string& line) {
    ListingFrame frame{{}, {}, arrayIndex};
    // The catalogue keeps its order; the listing sorts a copy. The sort is
    // stable, so equal names keep the order of the array.
    frame.m_sorted.reserve(array.m_entries.size());
    for (const auto& entry : array.m_entries) frame.m_sorted.push_back({&entry, entry.GetDisplayName()});
    std::stable_sort(frame.m_sorted.begin(), frame.m_sorted.end(), [](const ListedEntry& a, const ListedEntry& b) {
        return CompareForListing(*a.m_entry, a.m_name, *b.m_entry, b.m_name) < 0;
    });

    line.clear();
    if (attributes & FA_DIRECTORY)
        line += kFolderHeading;
    else if (attributes & FA_ARCHIVE_LISTED)
        line += kArchiveHeading;
    line += path;
    line += kHeadingEnd;
    Write(stream, line);
    for (const ListedEntry& item : frame.m_sorted) {
        BuildEntryLine(line, format, *item.m_entry, item.m_name, types);
        Write(stream, line);
    }
    if (path.empty() || path.back() != u'\\') path += u'\\';
    frame.m_path = std::move(path);
    return frame;
}

}  // namespace

bool ToLocalDateTime(int64_t time, std::tm& local) {
    if (time <= 0) return false;
    const std::time_t t = static_cast<std::time_t>(time);
    if (static_cast<int64_t>(t) != time) return false;
    if (!localtime_r(&t, &local)) return false;
    return local.tm_year + 1900 <= 9999;
}

int CompareForListing(const CFileEntry& a, const CFileEntry& b) {
    return CompareForListing(a, a.GetDisplayName(), b, b.GetDisplayName());
}

void WriteEntryLine(CCatalogueStream& stream, ListingFormat format, const CFileEntry& entry,
                    const IShellTypeNames& types) {
    if (!stream.IsStoring()) return;
    std::u16string line;
    BuildEntryLine(line, format, entry, entry.GetDisplayName(), types);
    Write(stream, line);
}

void WriteFolderListing(CCatalogueStream& stream, const CFileArray& array, ListingFormat format,
                        const std::vector<std::unique_ptr<CFileArray>>& folders, const std::u16string& path,
                        uint16_t attributes, const IShellTypeNames& types) {
    if (!stream.IsStoring()) return;
    // The walk is iterative, and enters an array only from an entry of an
    // earlier array and only once: a damaged catalogue whose child positions
    // loop or nest very deeply can neither make it endless nor exhaust the
    // call stack. Sound catalogues always satisfy both conditions.
    size_t start = folders.size();
    for (size_t i = 0; i < folders.size(); ++i)
        if (folders[i].get() == &array) start = i;
    std::vector<bool> entered(folders.size(), false);
    if (start < folders.size()) entered[start] = true;

    std::u16string line;
    std::vector<ListingFrame> stack;
    stack.push_back(ListOneArray(stream, array, start, format, path, attributes, types, line));
    while (!stack.empty()) {
        ListingFrame& frame = stack.back();
        if (frame.m_next >= frame.m_sorted.size()) {
            stack.pop_back();
            continue;
        }
        const ListedEntry& item = frame.m_sorted[frame.m_next++];
        const CFileEntry& entry = *item.m_entry;
        if (!entry.HasContents() || entry.m_childIndex < 0 || size_t(entry.m_childIndex) >= folders.size()) continue;
        const size_t child = size_t(entry.m_childIndex);
        // (An array given from outside the list has no position to compare.)
        const bool afterHolder = frame.m_arrayIndex >= folders.size() || child > frame.m_arrayIndex;
        if (!afterHolder || entered[child]) continue;
        entered[child] = true;
        ListingFrame next = ListOneArray(stream, *folders[child], child, format, frame.m_path + item.m_name,
                                         entry.m_attributes, types, line);
        stack.push_back(std::move(next));
    }
}

void WriteVolumeListing(CCatalogueStream& stream, const CRootEntry& root, ListingFormat format,
                        const IShellTypeNames& types) {
    if (!stream.IsStoring()) return;
    std::u16string heading(kVolumeLabelPrefix);
    heading += root.GetDisplayName();
    heading += kSerialPrefix;
    heading += root.GetSerialText();
    heading += kLineEnd;
    Write(stream, heading);
    if (!root.m_folders.empty())
        WriteFolderListing(stream, *root.m_folders[0], format, root.m_folders, u"\\", FA_DIRECTORY, types);
}

void WriteListing(CCatalogueStream& stream, const std::vector<CRootEntry*>& roots, ListingFormat format,
                  const IShellTypeNames& types) {
    if (!stream.IsStoring()) return;
    static constexpr uint8_t kByteOrderMark[] = {0xFF, 0xFE};
    stream.WriteBytes(kByteOrderMark, sizeof(kByteOrderMark));
    for (const CRootEntry* root : roots) {
        WriteVolumeListing(stream, *root, format, types);
        Write(stream, kVolumeEnd);
    }
}

void WriteListing(CCatalogueStream& stream, const RootList& roots, ListingFormat format, const IShellTypeNames& types) {
    std::vector<CRootEntry*> plain;
    plain.reserve(roots.size());
    for (const auto& root : roots) plain.push_back(root.get());
    WriteListing(stream, plain, format, types);
}

}  // namespace volcatra
