#include "cli/JsonText.h"

#include <cstdio>

#include "model/FileNameCodec.h"

namespace volcatra {

std::string JsonString(std::u16string_view text) {
    std::string out = "\"";
    size_t plainStart = 0;
    auto flushPlain = [&](size_t end) {
        if (end > plainStart) out += Utf16ToFileName(text.substr(plainStart, end - plainStart));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool pairStart =
            c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
        if (pairStart) {
            ++i;
            continue;
        }
        const bool lone = c >= 0xD800 && c < 0xE000;
        if (c >= 0x20 && c != u'"' && c != u'\\' && !lone) continue;
        flushPlain(i);
        plainStart = i + 1;
        char escape[8];
        switch (c) {
            case u'"':
                out += "\\\"";
                break;
            case u'\\':
                out += "\\\\";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\r':
                out += "\\r";
                break;
            case u'\t':
                out += "\\t";
                break;
            default:
                std::snprintf(escape, sizeof(escape), "\\u%04x", unsigned(c));
                out += escape;
        }
    }
    flushPlain(text.size());
    out += '"';
    return out;
}

}  // namespace volcatra
