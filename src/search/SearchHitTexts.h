// The texts of a result row, as the result list and volcatra-cli show a hit.
#pragma once

#include <cstdint>
#include <string>

#include "model/FileEntry.h"
#include "model/TextListing.h"

namespace volcatra {

struct CHitTexts {
    std::u16string m_name;  // the name as the shell shows it: the recorded name
    std::u16string m_size;  // empty for folders, else the size text
    std::u16string m_kind;  // the type name; folders (also inside archives) get the folder type
    std::u16string m_date;  // local "%Y/%m/%d %H:%M", empty when there is no time to show
};

// An entry counts as a folder for display when it is a folder or a folder
// inside an archive.
bool ShowsAsFolder(const CFileEntry& entry);

CHitTexts MakeHitTexts(const CFileEntry& entry, const IShellTypeNames& types, bool sizeInBytes);

// The date text of a time: local "%Y/%m/%d %H:%M", or empty.
std::u16string HitDateText(int64_t time);

// The same as ASCII into a buffer; returns its length (0 for none).
inline constexpr size_t kHitDateCapacity = 96;
size_t FormatHitDate(int64_t time, char (&text)[kHitDateCapacity]);

}  // namespace volcatra
