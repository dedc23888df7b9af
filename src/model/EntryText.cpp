#include "model/EntryText.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

namespace volcatra {

namespace {

constexpr size_t kFirstRegion = 64 * 1024;
constexpr size_t kHugePage = 2 * 1024 * 1024;
constexpr size_t kLargestRegion = 64 * 1024 * 1024;

// A region of `size` bytes (a multiple of 2 MiB) at a 2 MiB boundary, so
// that the kernel can back it with huge pages; nullptr when mmap fails.
char* MapAligned(size_t size) {
    const size_t span = size + kHugePage;
    void* p = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(p);
    const uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    if (aligned > start) ::munmap(p, aligned - start);
    const uintptr_t end = start + span;
    if (end > aligned + size) ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<char*>(aligned);
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
    Region region{nullptr, size, false};
    if (size >= kHugePage) {
        region.size = (size + kHugePage - 1) & ~(kHugePage - 1);
        region.base = MapAligned(region.size);
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
