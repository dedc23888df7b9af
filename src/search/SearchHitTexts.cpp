#include "search/SearchHitTexts.h"

#include <cstdio>
#include <ctime>

namespace volcatra {

bool ShowsAsFolder(const CFileEntry& entry) {
    return (entry.m_attributes & (FA_DIRECTORY | FA_ARCHIVE_FOLDER)) != 0;
}

size_t FormatHitDate(int64_t time, char (&text)[kHitDateCapacity]) {
    std::tm local{};
    if (!ToLocalDateTime(time, local)) return 0;
    const int length = std::snprintf(text, sizeof(text), "%04d/%02d/%02d %02d:%02d", local.tm_year + 1900,
                                     local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return length > 0 ? size_t(length) : 0;
}

std::u16string HitDateText(int64_t time) {
    char text[kHitDateCapacity];
    const size_t length = FormatHitDate(time, text);
    return std::u16string(text, text + length);
}

CHitTexts MakeHitTexts(const CFileEntry& entry, const IShellTypeNames& types, bool sizeInBytes) {
    const bool folder = ShowsAsFolder(entry);
    CHitTexts texts;
    texts.m_name = entry.m_name;
    if (!folder) texts.m_size = entry.GetSizeText(sizeInBytes);
    texts.m_kind = types.GetTypeName(entry.m_name, folder);
    texts.m_date = HitDateText(entry.m_time);
    return texts;
}

}  // namespace volcatra
