#include "search/ui/HitStore.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <type_traits>

#include "platform/ShellTypeNames.h"
#include "search/SearchHitTexts.h"

namespace volcatra {

namespace {

template <typename Char>
int CompareFolded(std::basic_string_view<Char> a, std::basic_string_view<Char> b, int column) {
    if (column == 2 && a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        uint32_t x = uint32_t(std::make_unsigned_t<Char>(a[i]));
        uint32_t y = uint32_t(std::make_unsigned_t<Char>(b[i]));
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The date text's digits as one number: the fixed-width text sorts as the
// number does; -1 for the empty text, which sorts first.
int64_t DateKey(int64_t time) {
    char text[kHitDateCapacity];
    const size_t length = FormatHitDate(time, text);
    if (length == 0) return -1;
    int64_t key = 0;
    for (size_t i = 0; i < length; ++i)
        if (text[i] >= '0' && text[i] <= '9') key = key * 10 + (text[i] - '0');
    return key;
}

// The characters of a name that the sort keeps beside the row.
constexpr size_t kNamePrefix = 12;

bool ShownAsFolder(uint16_t attributes) {
    return (attributes & (FA_DIRECTORY | FA_ARCHIVE_FOLDER)) != 0;
}

}  // namespace

int CompareResultTexts(std::u16string_view a, std::u16string_view b, int column) {
    return CompareFolded(a, b, column);
}

int CompareResultTexts(std::string_view a, std::string_view b, int column) {
    return CompareFolded(a, b, column);
}

int CompareResultRows(int32_t keyA, int32_t keyB, int textOrder, int sortKey) {
    int result;
    if (keyA < 0 && keyB > 0)
        result = -1;
    else if (keyA > 0 && keyB < 0)
        result = 1;
    else
        result = textOrder;
    return sortKey < 0 ? -result : result;
}

void CHitStore::Clear() {
    m_records.clear();
    m_records.shrink_to_fit();
    m_names.clear();
    m_names.shrink_to_fit();
    m_texts.clear();
    m_textIndex.clear();
    m_lastFolder = m_lastCatalogue = m_lastKind = UINT32_MAX;
    // The pictures of the previous search go with its rows.
    m_images.clear();
    m_volumeImages.clear();
}

void CHitStore::BeginVolume(const CRootEntry& volume) {
    m_volumeImages.assign(volume.m_icons.GetCount(), 0);
}

uint32_t CHitStore::Intern(const std::u16string& text, uint32_t& last) {
    if (last != UINT32_MAX && m_texts[last] == text) return last;
    const auto [it, added] = m_textIndex.try_emplace(text, uint32_t(m_texts.size()));
    if (added) m_texts.push_back(text);
    last = it->second;
    return last;
}

void CHitStore::AddHit(const CFileEntry& entry, const CRootEntry& volume, const std::u16string& folderText,
                       const std::u16string& catalogueFile, const IShellTypeNames& types) {
    CHitRecord r;
    r.m_nameOffset = uint32_t(m_names.size());
    r.m_nameLength = uint32_t(entry.m_name.size());
    m_names += entry.m_name;
    r.m_folder = Intern(folderText, m_lastFolder);
    r.m_catalogue = Intern(catalogueFile, m_lastCatalogue);
    const bool folder = ShownAsFolder(entry.m_attributes);
    if (const auto* mime = dynamic_cast<const CMimeTypeNames*>(&types)) {
        const std::u16string& kind = mime->TypeNameOf(entry.m_name, folder);
        r.m_kind = Intern(kind, m_lastKind);
    } else {
        r.m_kind = Intern(types.GetTypeName(entry.m_name, folder), m_lastKind);
    }
    if (entry.m_iconNumber >= 1) {
        const size_t d = size_t(entry.m_iconNumber - 1);
        if (d < m_volumeImages.size() && d < volume.m_icons.m_images.size()) {
            if (m_volumeImages[d] == 0) {
                m_images.push_back(volume.m_icons.m_images[d]);
                m_volumeImages[d] = uint32_t(m_images.size());
            }
            r.m_image = m_volumeImages[d];
        }
    }
    r.m_size = entry.m_size;
    r.m_time = entry.m_time;
    r.m_attributes = entry.m_attributes;
    const int32_t key = int32_t(m_records.size()) + 1;
    r.m_key = (entry.m_attributes & (FA_DIRECTORY | FA_ARCHIVE_LISTED)) ? -key : key;
    m_records.push_back(r);
}

std::u16string CHitStore::ColumnText(const CHitRecord& r, int column, bool sizeInBytes) const {
    switch (column) {
        case 0:
            return std::u16string(Name(r));
        case 1:
            return m_texts[r.m_folder];
        case 2: {
            if (ShownAsFolder(r.m_attributes)) return {};
            std::string text;
            AppendSizeText(text, r.m_size, sizeInBytes);
            return std::u16string(text.begin(), text.end());
        }
        case 3:
            return m_texts[r.m_kind];
        case 4:
            return HitDateText(r.m_time);
        case 5:
            return m_texts[r.m_catalogue];
        default:
            return {};
    }
}

void CHitStore::Sort(int sortKey, size_t count, bool sizeInBytes) {
    count = std::min(count, m_records.size());
    const int column = std::abs(sortKey) - 1;
    if (column < 0 || column > 5 || count < 2) return;
    const CHitRecord* rows = m_records.data();

    // Each row's text in the sort column becomes two numbers that order as
    // the texts do, so that most comparisons touch no text: interned texts
    // by their rank among all the store's texts, dates by their digits,
    // sizes by text length and value (texts of one length differ only in
    // their digits), names by their first twelve folded characters (the rest
    // is compared only when those are equal).
    struct SortItem {
        uint64_t m_high;
        uint64_t m_low;
        uint64_t m_third;
        uint32_t m_row;
        int32_t m_key;
    };
    std::vector<SortItem> items(count);
    std::vector<int64_t> rank;
    if (column == 1 || column == 3 || column == 5) {
        std::vector<uint32_t> byText(m_texts.size());
        std::iota(byText.begin(), byText.end(), 0u);
        std::sort(byText.begin(), byText.end(),
                  [this](uint32_t a, uint32_t b) { return CompareFolded<char16_t>(m_texts[a], m_texts[b], 0) < 0; });
        rank.resize(m_texts.size());
        for (size_t i = 0; i < byText.size(); ++i) {
            const bool same = i > 0 && CompareFolded<char16_t>(m_texts[byText[i - 1]], m_texts[byText[i]], 0) == 0;
            rank[byText[i]] = same ? rank[byText[i - 1]] : int64_t(i);
        }
    }
    for (size_t i = 0; i < count; ++i) {
        const CHitRecord& r = rows[i];
        SortItem& item = items[i];
        item.m_row = uint32_t(i);
        item.m_key = r.m_key;
        item.m_high = item.m_low = item.m_third = 0;
        switch (column) {
            case 0: {
                const std::u16string_view name = Name(r);
                for (size_t k = 0; k < kNamePrefix; ++k) {
                    uint64_t c = k < name.size() ? uint64_t(name[k]) : 0;
                    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
                    uint64_t& part = k < 4 ? item.m_high : (k < 8 ? item.m_low : item.m_third);
                    part = (part << 16) | c;
                }
                break;
            }
            case 2:
                if (!ShownAsFolder(r.m_attributes)) {
                    std::string text;
                    AppendSizeText(text, r.m_size, sizeInBytes);
                    item.m_high = text.size();
                    item.m_low = sizeInBytes ? r.m_size : (((r.m_size - 1) | 1023) + 1) >> 10;
                }
                break;
            case 4:
                item.m_high = uint64_t(DateKey(r.m_time) + 1);
                break;
            default:
                item.m_high = uint64_t(rank[column == 1 ? r.m_folder : column == 3 ? r.m_kind : r.m_catalogue]);
                break;
        }
    }

    std::stable_sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
        int textOrder;
        if (a.m_high != b.m_high)
            textOrder = a.m_high < b.m_high ? -1 : 1;
        else if (a.m_low != b.m_low)
            textOrder = a.m_low < b.m_low ? -1 : 1;
        else if (a.m_third != b.m_third)
            textOrder = a.m_third < b.m_third ? -1 : 1;
        else if (column == 0 && rows[a.m_row].m_nameLength > kNamePrefix && rows[b.m_row].m_nameLength > kNamePrefix)
            textOrder =
                CompareFolded(Name(rows[a.m_row]).substr(kNamePrefix), Name(rows[b.m_row]).substr(kNamePrefix), 0);
        else
            textOrder = 0;
        return CompareResultRows(a.m_key, b.m_key, textOrder, sortKey) < 0;
    });
    std::vector<CHitRecord> sorted;
    sorted.reserve(m_records.size());
    for (const SortItem& item : items) sorted.push_back(m_records[item.m_row]);
    sorted.insert(sorted.end(), m_records.begin() + std::ptrdiff_t(count), m_records.end());
    m_records = std::move(sorted);
}

}  // namespace volcatra
