// The byte stream of catalogue files and volume payloads: little-endian
// numbers, texts, list counts, times and the tagged object numbering.
//
// Every read checks the bytes that remain before it takes or allocates
// anything, so damaged input ends in a CatalogueError, never in a crash or
// in an allocation sized by an unchecked count.
//
// A reading stream decodes either bytes that lie in memory as a whole or
// the bytes of a source of known size (a file) that it reads in pieces into
// a window buffer as decoding goes, so that a large file is never held
// whole.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/CatalogueError.h"
#include "model/RuntimeClass.h"

namespace volcatra {

// Limit of the shared class/object numbering of one stream.
inline constexpr uint32_t kMaxStreamNumbers = 0x3FFFFFFE;
// A time that does not fit the 32-bit item follows this marker in 64 bits.
inline constexpr uint32_t kBigTimeMarker = 0x8000000A;
// The window a stream over a byte source reads its source into.
inline constexpr size_t kStreamWindowSize = size_t(256) << 10;

// Bytes read in order from somewhere else than memory.
class IStreamSource {
public:
    virtual ~IStreamSource() = default;
    // Reads up to size (> 0) bytes into out and returns how many it read;
    // 0 at the end of the source. Failures throw CatalogueError.
    virtual size_t Read(uint8_t* out, size_t size) = 0;
};

class CTextStore;

class CCatalogueStream {
public:
    // A stream that writes into a growing byte buffer.
    CCatalogueStream();
    // A stream that reads the given bytes (which must outlive it).
    explicit CCatalogueStream(std::span<const uint8_t> data);
    // A stream that reads `size` bytes from source (which must outlive it)
    // through a window of windowSize bytes; a read that needs more bytes at
    // once than the window holds grows it, once those bytes are known to
    // remain. Never more than `size` bytes are asked from the source: a
    // source that ends before them fails as data that ends early, and
    // whatever follows them is not read.
    CCatalogueStream(IStreamSource& source, size_t size, size_t windowSize = kStreamWindowSize);
    CCatalogueStream(const CCatalogueStream&) = delete;
    CCatalogueStream& operator=(const CCatalogueStream&) = delete;

    bool IsStoring() const { return m_storing; }

    // Writing.
    void WriteBytes(const void* data, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_out.insert(m_out.end(), bytes, bytes + size);
    }
    void WriteU8(uint8_t v) { m_out.push_back(v); }
    void WriteU16(uint16_t v) {
        uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        WriteBytes(b, 2);
    }
    void WriteU32(uint32_t v) {
        uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        WriteBytes(b, 4);
    }
    void WriteU64(uint64_t v) {
        WriteU32(uint32_t(v));
        WriteU32(uint32_t(v >> 32));
    }
    // Always the wide form.
    void WriteText(std::u16string_view text);
    void WriteCount(uint64_t count);
    // 32 bits when the time fits them unambiguously, else 0x8000000A and
    // the 64-bit time.
    void WriteTime(int64_t time);
    // Writes the tag of an object of the given class (declaring the class at
    // its first use) and gives the object its number.
    void WriteObjectTag(const CRuntimeClass& cls);

    // Reserves room for the expected output so that a large catalogue is
    // written without repeated growth.
    void ReserveOutput(size_t size) { m_out.reserve(size); }
    // Hands the output to `sink` in pieces of about `piece` bytes (between
    // objects) instead of keeping all of it; FlushOutput hands over the rest.
    void SetOutputSink(std::function<void(std::span<const uint8_t>)> sink, size_t piece) {
        m_sink = std::move(sink);
        m_flushAt = piece;
        m_out.reserve(piece + piece / 4);
    }
    void FlushOutput() {
        if (m_sink && !m_out.empty()) m_sink(m_out);
        m_out.clear();
    }
    const std::vector<uint8_t>& Output() const { return m_out; }
    std::vector<uint8_t> TakeOutput() { return std::move(m_out); }

    // Reading.
    //
    // Pointers and spans into the input (Need, ReadShortWideText) stay valid
    // as long as the data of a stream over memory; in a stream over a byte
    // source they are valid only up to the next read of any kind, which may
    // move or refill the window.

    // The bytes of the whole input after the read position.
    size_t Remaining() const { return (m_end - m_pos) + m_unread; }
    // The read position from the start of the input.
    size_t Position() const { return m_windowOffset + m_pos; }
    const uint8_t* Need(size_t size) {
        if (m_end - m_pos < size) [[unlikely]]
            NeedMore(size);
        const uint8_t* p = m_data + m_pos;
        m_pos += size;
        return p;
    }
    uint8_t ReadU8() { return *Need(1); }
    uint16_t ReadU16() {
        const uint8_t* p = Need(2);
        return uint16_t(p[0] | p[1] << 8);
    }
    uint32_t ReadU32() {
        const uint8_t* p = Need(4);
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    uint64_t ReadU64() {
        const uint64_t lo = ReadU32();
        return lo | uint64_t(ReadU32()) << 32;
    }
    std::vector<uint8_t> ReadBlock(size_t size);
    std::u16string ReadText();
    // The store that texts of entries read from this stream go into, if any
    // (set while a volume's arrays are read).
    CTextStore* TextStore() const { return m_textStore; }
    void SetTextStore(CTextStore* store) { m_textStore = store; }
    // Reads a text in the short wide form (under 255 characters) without
    // copying it: bytes gets its UTF-16LE characters where they lie in the
    // input (see above for how long they stay there). Reads nothing and
    // returns false when the next text has another form.
    bool ReadShortWideText(std::span<const uint8_t>& bytes) {
        // Unless the bytes at hand end within reach of the longest such text
        // (near the end of the data or of the window), this one check
        // covers the text's length as well.
        if (m_end - m_pos < kShortWideTextLimit) [[unlikely]]
            return ReadShortWideTextNearEnd(bytes);
        const uint8_t* p = m_data + m_pos;
        if (p[0] != 0xFF || p[1] != 0xFE || p[2] != 0xFF || p[3] == 0xFF) return false;
        const size_t size = size_t(p[3]) * sizeof(char16_t);
        bytes = std::span<const uint8_t>(p + 4, size);
        m_pos += 4 + size;
        return true;
    }
    uint32_t ReadCount() {
        const uint16_t n = ReadU16();
        return n == 0xFFFF ? ReadU32() : n;
    }
    int64_t ReadTime() {
        const uint32_t v = ReadU32();
        if (v == kBigTimeMarker) return int64_t(ReadU64());
        return int32_t(v);
    }
    // Reads a tagged object that must be of class `expected`, creates it,
    // numbers it and reads its record.
    std::unique_ptr<CObjectBase> ReadObject(const CRuntimeClass& expected);
    // Reads the tag of an object that must be of class `expected` and gives
    // the object its number; its record follows.
    void ReadObjectTag(const CRuntimeClass& expected) {
        // Lists repeat one short tag for object after object. A tag that
        // straddles the end of the window takes the general way, which
        // reads it alike.
        if (m_end - m_pos >= 2 && uint32_t(m_data[m_pos] | m_data[m_pos + 1] << 8) == m_knownShortTag &&
            m_knownShortTagClass == &expected) {
            m_pos += 2;
            TakeNumber();
            return;
        }
        ReadObjectTagOnce(expected);
    }

    template <typename T>
    std::unique_ptr<T> ReadObjectAs() {
        return std::unique_ptr<T>(static_cast<T*>(ReadObject(T::s_class).release()));
    }

    // How many list elements may be reserved for a list of `count` items of
    // at least `minItemSize` bytes each, given the bytes that remain.
    size_t SafeReserve(uint64_t count, size_t minItemSize) const {
        const uint64_t cap = Remaining() / (minItemSize ? minItemSize : 1);
        return static_cast<size_t>(count < cap ? count : cap);
    }

private:
    // 4 bytes of length and up to 254 characters.
    static constexpr size_t kShortWideTextLimit = 4 + 254 * sizeof(char16_t);

    // The slow part of Need: fails unless `size` bytes remain, else makes
    // the window hold them.
    void NeedMore(size_t size);
    // Makes the window of a stream over a source hold `size` bytes, or all
    // that remain when fewer do; nothing over memory.
    void TopUp(size_t size);
    bool ReadShortWideTextNearEnd(std::span<const uint8_t>& bytes);
    // Makes the window hold `size` (<= Remaining()) bytes from the read
    // position on, moving what it holds to its front, growing it when it is
    // too small and reading the source to fill it.
    void Refill(size_t size);
    // Copies the next size (<= Remaining()) bytes to out; what the window
    // does not hold is read from the source straight into out.
    void ReadInto(uint8_t* out, size_t size);
    [[noreturn]] static void ThrowEndOfData();

    void TakeNumber() {
        if (m_counter >= kMaxStreamNumbers) ThrowTooManyObjects();
        ++m_counter;
    }
    [[noreturn]] static void ThrowTooManyObjects();
    void ReadObjectTagOnce(const CRuntimeClass& expected);
    void WriteClassReference(uint32_t number);

    bool m_storing;
    std::vector<uint8_t> m_out;
    // The bytes at hand: the whole input over memory, the window over a
    // source. m_pos is the read position and m_end the end of those bytes.
    const uint8_t* m_data = nullptr;
    size_t m_pos = 0;
    size_t m_end = 0;
    // Over a source: where m_data starts in the input, and how many bytes
    // of the input follow m_end (not read yet); both 0 over memory.
    size_t m_windowOffset = 0;
    size_t m_unread = 0;
    IStreamSource* m_source = nullptr;
    std::unique_ptr<uint8_t[]> m_window;
    size_t m_windowSize = 0;

    // Classes and objects share one numbering starting at 1.
    uint32_t m_counter = 1;
    std::unordered_map<const CRuntimeClass*, uint32_t> m_classNumbers;  // writing
    // The class written last and its number: lists repeat it object after object.
    const CRuntimeClass* m_lastWrittenClass = nullptr;
    uint32_t m_lastWrittenNumber = 0;
    std::function<void(std::span<const uint8_t>)> m_sink;
    size_t m_flushAt = 0;
    std::unordered_map<uint32_t, const CRuntimeClass*> m_classesByNumber;  // reading
    // The short reference tag read last and its class (a number keeps its
    // class for the whole stream); none at first, as no 16-bit value equals
    // the initial tag.
    uint32_t m_knownShortTag = 0x10000;
    const CRuntimeClass* m_knownShortTagClass = nullptr;
    CTextStore* m_textStore = nullptr;
};

}  // namespace volcatra
