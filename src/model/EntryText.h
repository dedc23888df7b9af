// The texts of entries (names, extra texts) in eight bytes each, and the
// per-volume store that holds the characters of a loaded or read volume in
// large blocks instead of one allocation per text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace volcatra {

// Characters of many texts in a few large regions that are released
// together. Regions of 2 MiB and more come straight from mmap, so that a
// closed catalogue gives its memory back to the system at once.
class CTextStore {
public:
    CTextStore() = default;
    CTextStore(const CTextStore&) = delete;
    CTextStore& operator=(const CTextStore&) = delete;
    // A moved store takes its regions along: texts in them stay valid.
    CTextStore(CTextStore&& other) noexcept { Swap(other); }
    CTextStore& operator=(CTextStore&& other) noexcept {
        CTextStore gone(std::move(other));
        Swap(gone);
        return *this;
    }
    ~CTextStore();

    // Room for `bytes` bytes, aligned to 2, valid as long as the store.
    void* Allocate(size_t bytes) {
        bytes = (bytes + 1) & ~size_t(1);
        if (size_t(m_end - m_next) < bytes) Grow(bytes);
        void* p = m_next;
        m_next += bytes;
        return p;
    }

private:
    struct Region {
        char* base;
        size_t size;
        bool mapped;
    };
    void Grow(size_t atLeast);
    void Swap(CTextStore& other) noexcept {
        std::swap(m_regions, other.m_regions);
        std::swap(m_next, other.m_next);
        std::swap(m_end, other.m_end);
        std::swap(m_reserved, other.m_reserved);
    }

    std::vector<Region> m_regions;
    char* m_next = nullptr;
    char* m_end = nullptr;
    size_t m_reserved = 0;
};

// A text of UTF-16 code units: empty, a copy on the heap that the handle
// owns, or characters in a CTextStore (the store of the entry's volume,
// which outlives the volume's entries). Copies are always owned copies, so
// a copied entry may go anywhere; a text kept in a store must stay with
// the volume that owns the store.
class CEntryText {
public:
    CEntryText() = default;
    explicit CEntryText(std::u16string_view text) { SetOwned(text); }
    CEntryText(const CEntryText& other) { SetOwned(other.view()); }
    CEntryText(CEntryText&& other) noexcept : m_bits(std::exchange(other.m_bits, 0)) {}
    ~CEntryText() { Release(); }

    CEntryText& operator=(const CEntryText& other) {
        if (this != &other) *this = other.view();
        return *this;
    }
    CEntryText& operator=(CEntryText&& other) noexcept {
        if (this != &other) {
            Release();
            m_bits = std::exchange(other.m_bits, 0);
        }
        return *this;
    }
    CEntryText& operator=(std::u16string_view text) {
        CEntryText fresh(text);
        return *this = std::move(fresh);
    }
    CEntryText& operator=(std::nullptr_t) = delete;
    CEntryText& operator=(const char16_t* text) { return *this = std::u16string_view(text); }
    CEntryText& operator=(const std::u16string& text) { return *this = std::u16string_view(text); }

    // Puts the text in `store` (replacing what the handle held).
    void AssignIn(CTextStore& store, std::u16string_view text) { AssignBytesIn(store, text.data(), text.size()); }
    // The same from UTF-16LE bytes as they stand in a file (any alignment).
    void AssignBytesIn(CTextStore& store, const void* utf16le, size_t units) {
        Release();
        if (units == 0) return;
        char* block = static_cast<char*>(store.Allocate(kHeader + units * sizeof(char16_t)));
        const uint32_t size = uint32_t(units);
        std::memcpy(block, &size, kHeader);
        std::memcpy(block + kHeader, utf16le, units * sizeof(char16_t));
        m_bits = reinterpret_cast<uintptr_t>(block);
    }
    void clear() { Release(); }

    size_t size() const {
        if (!m_bits) return 0;
        uint32_t size;
        std::memcpy(&size, Block(), kHeader);
        return size;
    }
    bool empty() const { return m_bits == 0; }
    const char16_t* data() const { return m_bits ? reinterpret_cast<const char16_t*>(Block() + kHeader) : u""; }
    std::u16string_view view() const { return {data(), size()}; }
    operator std::u16string_view() const { return view(); }
    std::u16string str() const { return std::u16string(view()); }
    const char16_t* begin() const { return data(); }
    const char16_t* end() const { return data() + size(); }
    char16_t operator[](size_t i) const { return data()[i]; }
    char16_t front() const { return data()[0]; }
    char16_t back() const { return data()[size() - 1]; }

    friend bool operator==(const CEntryText& a, std::u16string_view b) { return a.view() == b; }
    friend bool operator==(const CEntryText& a, const CEntryText& b) { return a.view() == b.view(); }
    friend auto operator<=>(const CEntryText& a, std::u16string_view b) { return a.view() <=> b; }

private:
    static constexpr size_t kHeader = sizeof(uint32_t);
    static constexpr uintptr_t kOwned = 1;

    const char* Block() const { return reinterpret_cast<const char*>(m_bits & ~kOwned); }
    void SetOwned(std::u16string_view text);
    void Release() {
        if (m_bits & kOwned) FreeOwned();
        m_bits = 0;
    }
    void FreeOwned();

    // The block: its size in code units (32 bits), then the code units; the
    // low bit is set when the handle owns the block.
    uintptr_t m_bits = 0;
};

static_assert(sizeof(CEntryText) == 8);

}  // namespace volcatra
