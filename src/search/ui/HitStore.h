// The rows of a result list as compact records: what a row shows is copied
// from each hit when it arrives (the engine's entry is valid for one call
// only, its volume until the next catalogue file), with the texts that
// repeat from hit to hit (folder, catalogue file, kind) kept once each and
// every distinct stored image of a volume copied once. Sorting orders the
// records in place with the comparison of the result list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/FileEntry.h"

namespace volcatra {

class IShellTypeNames;

// One row.
struct CHitRecord {
    uint32_t m_nameOffset = 0;  // the name in the store's name buffer
    uint32_t m_nameLength = 0;
    uint32_t m_folder = 0;     // folder text: an index of the store's texts
    uint32_t m_catalogue = 0;  // catalogue file text: likewise
    uint32_t m_kind = 0;       // type name: likewise
    uint32_t m_image = 0;      // 0 none, n: the store's stored image n - 1
    uint64_t m_size = 0;
    int64_t m_time = 0;
    int32_t m_key = 0;  // row key: position found + 1, negative for folders and listed archives
    uint16_t m_attributes = 0;
    mutable int32_t m_typePicture = -1;  // system picture position; -1 until asked for
};

// The comparison of two rows' texts in one column: the size column (2) by
// text length first, then character by character with only A-Z folded to
// a-z. Negative, 0 or positive.
int CompareResultTexts(std::u16string_view a, std::u16string_view b, int column);
int CompareResultTexts(std::string_view a, std::string_view b, int column);

// The whole comparison of two rows with keys keyA and keyB, given the
// comparison of their texts in the sort column, under the sort key
// (column + 1, negative for descending): folder-like rows (negative keys)
// first, then the texts; all of it reversed for a descending key.
int CompareResultRows(int32_t keyA, int32_t keyB, int textOrder, int sortKey);

class CHitStore {
public:
    void Clear();
    // The stored images of the volume whose hits follow.
    void BeginVolume(const CRootEntry& volume);
    // Appends the row of a hit.
    void AddHit(const CFileEntry& entry, const CRootEntry& volume, const std::u16string& folderText,
                const std::u16string& catalogueFile, const IShellTypeNames& types);

    size_t Count() const { return m_records.size(); }
    const CHitRecord& Record(size_t row) const { return m_records[row]; }
    std::u16string_view Name(const CHitRecord& r) const { return {m_names.data() + r.m_nameOffset, r.m_nameLength}; }
    const std::u16string& Text(uint32_t index) const { return m_texts[index]; }
    // The bytes of a stored image a record refers to (m_image >= 1).
    const std::vector<uint8_t>& Image(uint32_t image) const { return m_images[image - 1]; }
    size_t ImageCount() const { return m_images.size(); }

    // The texts of a row's columns: name, folder, size, kind, date,
    // catalogue file.
    std::u16string ColumnText(const CHitRecord& r, int column, bool sizeInBytes) const;

    // Orders the rows of positions [0, count) by the sort key with a stable
    // sort (rows at and after count stay where they are).
    void Sort(int sortKey, size_t count, bool sizeInBytes);

private:
    uint32_t Intern(const std::u16string& text, uint32_t& last);

    std::vector<CHitRecord> m_records;
    std::u16string m_names;
    std::vector<std::u16string> m_texts;
    std::unordered_map<std::u16string, uint32_t> m_textIndex;
    uint32_t m_lastFolder = UINT32_MAX;
    uint32_t m_lastCatalogue = UINT32_MAX;
    uint32_t m_lastKind = UINT32_MAX;
    std::vector<std::vector<uint8_t>> m_images;
    // For each stored image of the current volume: 1 + its image in m_images, 0 not copied yet.
    std::vector<uint32_t> m_volumeImages;
};

}  // namespace volcatra
