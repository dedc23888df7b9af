// Feeds arbitrary bytes to the PE icon reader, for every way of naming a
// group, and checks that what it rebuilds is a sound .ico file.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/PeIconReader.h"

using namespace volcatra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PeReadAt readAt = [&](uint64_t offset, void* buffer, size_t count) -> int64_t {
        if (offset >= size) return 0;
        const size_t n = count < size - offset ? count : size_t(size - offset);
        std::memcpy(buffer, data + offset, n);
        return int64_t(n);
    };
    for (const int group : {0, 1, -1}) {
        const PeIconResult result = ReadPeGroupIcon(readAt, size, group);
        if (result.status != PeIconStatus::Found) continue;
        const auto& ico = result.icoBytes;
        if (ico.size() < 6) std::abort();
        const size_t count = size_t(ico[4] | (ico[5] << 8));
        if (count < 1 || count > 2 || ico.size() < 6 + 16 * count) std::abort();
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* e = &ico[6 + 16 * i];
            const uint64_t bytes = e[8] | (e[9] << 8) | (uint64_t(e[10]) << 16) | (uint64_t(e[11]) << 24);
            const uint64_t at = e[12] | (e[13] << 8) | (uint64_t(e[14]) << 16) | (uint64_t(e[15]) << 24);
            if (bytes > kPeMaxIconImageSize || at + bytes > ico.size()) std::abort();
        }
        // Only the chosen images come out of the file.
        if (ico.size() > 6 + 32 + 2 * kPeMaxIconImageSize) std::abort();
    }
    return 0;
}
