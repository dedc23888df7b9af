#include "search/SearchHitTexts.h"

#include <ctime>

namespace volcatra {

bool ShowsAsFolder(const CFileEntry& entry) {
    return (entry.m_attributes & (FA_DIRECTORY | FA_ARCHIVE_FOLDER)) != 0;
}

size_t FormatHitDate(int64_t time, char (&text)[kHitDateCapacity]) {
    std::tm local{};
    if (!ToLocalDateTime(time, local)) return 0;
    // "%04d/%02d/%02d %02d:%02d" by hand: this runs for every hit, and the
    // fields are known to be in range (the year has at most four digits).
    char* p = text;
    auto put = [&p](int value, int digits) {
        for (int i = digits - 1; i >= 0; --i) {
            p[i] = char('0' + value % 10);
            value /= 10;
        }
        p += digits;
    };
    put(local.tm_year + 1900, 4);
    *p++ = '/';
    put(local.tm_mon + 1, 2);
    *p++ = '/';
    put(local.tm_mday, 2);
    *p++ = ' ';
    put(local.tm_hour, 2);
    *p++ = ':';
    put(local.tm_min, 2);
    return size_t(p - text);
}

std::u16string HitDateText(int64_t time) {
    char text[kHitDateCapacity];
    const size_t length = FormatHitDate(time, text);
    return std::u16string(text, text + length);
}

CHitTexts MakeHitTexts(const CFileEntry& entry, const IShellTypeNames& types, bool sizeInBytes) {
    const bool folder = ShowsAsFolder(entry);
    CHitTexts texts;
    texts.m_name = entry.m_name.str();
    if (!folder) texts.m_size = entry.GetSizeText(sizeInBytes);
    texts.m_kind = types.GetTypeName(entry.m_name, folder);
    texts.m_date = HitDateText(entry.m_time);
    return texts;
}

}  // namespace volcatra
