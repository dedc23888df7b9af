// Small helpers for byte-level catalogue tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

}  // namespace volcatra::test
