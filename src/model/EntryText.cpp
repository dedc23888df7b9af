#include "model/EntryText.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

namespace volcatra {

namespace {

constexpr size_t kFirstRegion = 64 * 1024;
constexpr size_t kMappedRegion = 2 * 1024 * 1024;
constexpr size_t kLargestRegion = 64 * 1024 * 1024;

// A region of `size` bytes straight from the system; nullptr when mmap
// fails. It is not offered to transparent huge pages: with them, faults on
// fresh regions entered the kernel's direct compaction and made large opens
// up to twice as slow and their times erratic.
char* MapRegion(size_t size) {
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<char*>(p);
}

}  // namespace

CTextStore::~CTextStore() {
    for (const Region& region : m_regions) {
        if (region.mapped)
            ::munmap(region.base, region.size);
        else
            std::free(region.base);
    }
}

void CTextStore::Grow(size_t atLeast) {
    // Each region is as large as all before it together, so a store of n
    // bytes makes O(log n) regions and leaves at most one partly used.
    size_t size = m_reserved < kFirstRegion ? kFirstRegion : m_reserved;
    if (size > kLargestRegion) size = kLargestRegion;
    if (size < atLeast) size = atLeast;
    m_regions.reserve(m_regions.size() + 1);  // so that no region is lost below
    Region region{nullptr, size, false};
    if (size >= kMappedRegion) {
        region.base = MapRegion(size);
        region.mapped = region.base != nullptr;
    }
    if (!region.base) {
        region.size = size;
        region.base = static_cast<char*>(std::malloc(size));
        if (!region.base) throw std::bad_alloc();
    }
    m_regions.push_back(region);
    m_reserved += region.size;
    m_next = region.base;
    m_end = region.base + region.size;
}

void CEntryText::SetOwned(std::u16string_view text) {
    m_bits = 0;
    if (text.empty()) return;
    if (text.size() > UINT32_MAX) throw std::length_error("text too long");
    char* block = static_cast<char*>(::operator new(kHeader + text.size() * sizeof(char16_t)));
    const uint32_t size = uint32_t(text.size());
    std::memcpy(block, &size, kHeader);
    std::memcpy(block + kHeader, text.data(), text.size() * sizeof(char16_t));
    m_bits = reinterpret_cast<uintptr_t>(block) | kOwned;
}

void CEntryText::FreeOwned() {
    ::operator delete(const_cast<char*>(Block()));
}

}  // namespace volcatra
