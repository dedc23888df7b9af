#include "model/AnsiCodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "model/CatalogueError.h"

namespace volcatra {

namespace {

// One iconv descriptor per direction, opened on first use and kept for the
// thread's lifetime: opening one costs far more than a short conversion.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (Valid()) iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // reset shift state
        return m_cd;
    }

private:
    iconv_t m_cd;
};

const std::string& CodePage() {
    static const std::string name = [] {
        const char* env = std::getenv("VOLCATRA_ANSI_CODEPAGE");
        return std::string(env && *env ? env : "CP932");
    }();
    return name;
}

IconvHandle& Decoder() {
    thread_local IconvHandle handle("UTF-16LE", CodePage().c_str());
    if (!handle.Valid()) throw CatalogueError::General("unknown ANSI code page");
    return handle;
}

IconvHandle& Encoder() {
    thread_local IconvHandle handle(CodePage().c_str(), "UTF-16LE");
    if (!handle.Valid()) throw CatalogueError::General("unknown ANSI code page");
    return handle;
}

bool IsAscii(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80) return false;
    return true;
}

}  // namespace

std::string AnsiCodePageName() {
    return CodePage();
}

std::u16string AnsiToUtf16(const char* data, size_t size) {
    std::u16string out;
    if (IsAscii(data, size)) {  // every code page in use is ASCII-compatible
        out.assign(data, data + size);
        return out;
    }
    iconv_t cd = Decoder().Get();
    out.reserve(size);
    char16_t buffer[256];
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof(buffer);
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, (sizeof(buffer) - outLeft) / sizeof(char16_t));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An invalid or incomplete sequence: keep its first byte as a
            // lone surrogate and go on after it.
            out.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(*in)));
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::string Utf16ToAnsi(const std::u16string& text, bool* replaced) {
    if (replaced) *replaced = false;
    bool ascii = true;
    for (char16_t c : text)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    std::string out;
    if (ascii) {
        out.assign(text.begin(), text.end());
        return out;
    }
    iconv_t cd = Encoder().Get();
    out.reserve(text.size() * 2);
    char buffer[512];
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
    size_t inLeft = text.size() * sizeof(char16_t);
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof(buffer) - outLeft);
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // Unmappable character, or a lone surrogate: write "?" and skip
            // one character (a surrogate pair counts as one).
            const char16_t unit = *reinterpret_cast<const char16_t*>(in);
            size_t skip = sizeof(char16_t);
            if (unit >= 0xD800 && unit < 0xDC00 && inLeft >= 4) {
                const char16_t next = *reinterpret_cast<const char16_t*>(in + 2);
                if (next >= 0xDC00 && next < 0xE000) skip = 4;
            }
            out.push_back('?');
            in += skip;
            inLeft -= skip;
            if (replaced) *replaced = true;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else if (rc > 0 && replaced) {
            *replaced = true;  // iconv substituted something irreversibly
        }
    }
    return out;
}

}  // namespace volcatra
