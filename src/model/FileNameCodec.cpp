#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not valid.
size_t ValidSequence(std::string_view s, size_t i, char32_t& cp) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    size_t length;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
        length = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i < length) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
    return length;
}

void AppendUtf8(std::string& out, char32_t cp) {
    char bytes[4];
    size_t length;
    if (cp < 0x80) {
        bytes[0] = char(cp);
        length = 1;
    } else if (cp < 0x800) {
        bytes[0] = char(0xC0 | cp >> 6);
        bytes[1] = char(0x80 | (cp & 0x3F));
        length = 2;
    } else if (cp < 0x10000) {
        bytes[0] = char(0xE0 | cp >> 12);
        bytes[1] = char(0x80 | (cp >> 6 & 0x3F));
        bytes[2] = char(0x80 | (cp & 0x3F));
        length = 3;
    } else {
        bytes[0] = char(0xF0 | cp >> 18);
        bytes[1] = char(0x80 | (cp >> 12 & 0x3F));
        bytes[2] = char(0x80 | (cp >> 6 & 0x3F));
        bytes[3] = char(0x80 | (cp & 0x3F));
        length = 4;
    }
    out.append(bytes, length);
}

}  // namespace

std::u16string FileNameToUtf16(std::string_view bytes) {
    std::u16string out;
    AppendUtf16OfFileName(out, bytes);
    return out;
}

void AppendUtf16OfFileName(std::u16string& out, std::string_view bytes) {
    out.reserve(out.size() + bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {  // ASCII, most names
            out.push_back(char16_t(bytes[i]));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t length = ValidSequence(bytes, i, cp);
        if (length == 0) {
            out.push_back(char16_t(0xDC00 + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out.push_back(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += length;
    }
}

std::string Utf16ToFileName(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendFileName(out, text);
    return out;
}

void AppendFileName(std::string& out, std::u16string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        // Runs of ASCII, the bulk of most names, go in pieces.
        char run[64];
        size_t length = 0;
        while (i < text.size() && text[i] < 0x80 && length < sizeof(run)) run[length++] = char(text[i++]);
        if (length) {
            out.append(run, length);
            continue;
        }
        const char16_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out.push_back(char(c - 0xDC00));
        } else if (c >= 0xD800 && c < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, c);
        }
        ++i;
    }
}

}  // namespace volcatra
