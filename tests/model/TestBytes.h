// Small helpers for byte-level catalogue tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "model/CatalogueError.h"
#include "model/CatalogueStream.h"

namespace volcatra::test {

// Bytes from a text of hexadecimal pairs; blanks are ignored.
inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> out;
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else
            continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(uint8_t(high << 4 | v));
            high = -1;
        }
    }
    return out;
}

inline void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// Serves bytes in pieces of at most `piece` bytes, as a file may; fails as
// a damaged disk does once `failAt` bytes have been served.
class CPieceSource final : public IStreamSource {
public:
    CPieceSource(std::span<const uint8_t> bytes, size_t piece, size_t failAt = SIZE_MAX)
        : m_bytes(bytes), m_piece(piece), m_failAt(failAt) {}

    size_t Read(uint8_t* out, size_t size) override {
        if (m_at >= m_failAt) throw CatalogueError::File(FileErrorCause::HardIO, u"/media/disk/cat.fsr");
        const size_t n = std::min({size, m_piece, m_bytes.size() - m_at, m_failAt - m_at});
        if (n) std::memcpy(out, m_bytes.data() + m_at, n);
        m_at += n;
        return n;
    }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_piece;
    size_t m_failAt;
    size_t m_at = 0;
};

}  // namespace volcatra::test
