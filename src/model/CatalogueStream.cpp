#include "model/CatalogueStream.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "model/AnsiCodePage.h"

namespace volcatra {

namespace {

constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000;
constexpr size_t kMaxClassNameLength = 63;

static_assert(std::endian::native == std::endian::little, "catalogue texts are copied as little-endian UTF-16");

}  // namespace

CCatalogueStream::CCatalogueStream() : m_storing(true) {}

CCatalogueStream::CCatalogueStream(std::span<const uint8_t> data)
    : m_storing(false), m_data(data.data()), m_end(data.size()) {}

CCatalogueStream::CCatalogueStream(IStreamSource& source, size_t size, size_t windowSize)
    : m_storing(false), m_unread(size), m_source(&source) {
    // The window never needs to hold more than the whole input.
    m_windowSize = std::min(std::max(windowSize, size_t(1)), size);
    if (m_windowSize) m_window = std::make_unique_for_overwrite<uint8_t[]>(m_windowSize);
    m_data = m_window.get();
}

void CCatalogueStream::ThrowEndOfData() {
    throw CatalogueError::Format("data ends early", FormatErrorCause::EndOfData);
}

void CCatalogueStream::NeedMore(size_t size) {
    // Over memory the bytes at hand are all there are.
    if (Remaining() < size) ThrowEndOfData();
    Refill(size);
}

void CCatalogueStream::TopUp(size_t size) {
    if (m_source) Refill(std::min(size, Remaining()));
}

void CCatalogueStream::Refill(size_t size) {
    const size_t held = m_end - m_pos;
    if (held >= size) return;
    if (size > m_windowSize) {
        auto grown = std::make_unique_for_overwrite<uint8_t[]>(size);
        if (held) std::memcpy(grown.get(), m_data + m_pos, held);
        m_window = std::move(grown);
        m_windowSize = size;
    } else if (m_pos && held) {
        std::memmove(m_window.get(), m_data + m_pos, held);
    }
    m_windowOffset += m_pos;
    m_data = m_window.get();
    m_pos = 0;
    m_end = held;
    // Fill the whole window when the input has the bytes: fewer, larger
    // reads.
    while (m_end < size) {
        const size_t got = m_source->Read(m_window.get() + m_end, std::min(m_windowSize - m_end, m_unread));
        // A file that became shorter since its size was taken.
        if (got == 0) ThrowEndOfData();
        m_end += got;
        m_unread -= got;
    }
}

void CCatalogueStream::ReadInto(uint8_t* out, size_t size) {
    const size_t held = std::min(size, m_end - m_pos);
    if (held) std::memcpy(out, m_data + m_pos, held);
    m_pos += held;
    out += held;
    size -= held;
    if (size == 0) return;
    // Here the input goes on past the bytes at hand: a source is read.
    if (size < m_windowSize) {
        Refill(size);
        std::memcpy(out, m_data, size);
        m_pos = size;
        return;
    }
    // As much as the window or more goes straight to its place.
    m_windowOffset += m_end;
    m_pos = m_end = 0;
    while (size) {
        const size_t got = m_source->Read(out, size);
        if (got == 0) ThrowEndOfData();
        out += got;
        size -= got;
        m_unread -= got;
        m_windowOffset += got;
    }
}

bool CCatalogueStream::ReadShortWideTextNearEnd(std::span<const uint8_t>& bytes) {
    TopUp(4);
    if (m_end - m_pos < 4) return false;
    const uint8_t* p = m_data + m_pos;
    if (p[0] != 0xFF || p[1] != 0xFE || p[2] != 0xFF || p[3] == 0xFF) return false;
    const size_t size = size_t(p[3]) * sizeof(char16_t);
    TopUp(4 + size);
    if (m_end - m_pos - 4 < size) return false;
    bytes = std::span<const uint8_t>(m_data + m_pos + 4, size);
    m_pos += 4 + size;
    return true;
}

std::vector<uint8_t> CCatalogueStream::ReadBlock(size_t size) {
    if (Remaining() < size) ThrowEndOfData();
    if (m_end - m_pos >= size) {
        const uint8_t* p = m_data + m_pos;
        m_pos += size;
        return std::vector<uint8_t>(p, p + size);
    }
    std::vector<uint8_t> block(size);
    ReadInto(block.data(), size);
    return block;
}

void CCatalogueStream::WriteText(std::u16string_view text) {
    const uint64_t length = text.size();
    WriteU8(0xFF);
    WriteU16(0xFFFE);
    if (length < 0xFF) {
        WriteU8(uint8_t(length));
    } else {
        WriteU8(0xFF);
        if (length < 0xFFFE) {
            WriteU16(uint16_t(length));
        } else {
            WriteU16(0xFFFF);
            if (length < 0xFFFFFFFF) {
                WriteU32(uint32_t(length));
            } else {
                WriteU32(0xFFFFFFFF);
                WriteU64(length);
            }
        }
    }
    WriteBytes(text.data(), text.size() * sizeof(char16_t));
}

std::u16string CCatalogueStream::ReadText() {
    bool wide = false;
    uint64_t length = ReadU8();
    if (length == 0xFF) {
        uint16_t w = ReadU16();
        if (w == 0xFFFE) {
            wide = true;
            length = ReadU8();
            if (length == 0xFF) w = ReadU16();
        }
        if (length == 0xFF) {
            length = w;
            if (w == 0xFFFF) {
                length = ReadU32();
                if (length == 0xFFFFFFFF) {
                    length = ReadU64();
                    if (length > 0x7FFFFFFF) throw CatalogueError::General("text length out of range");
                }
            }
        }
    }
    if (wide) {
        const size_t size = size_t(length) * sizeof(char16_t);
        if (Remaining() < size) ThrowEndOfData();
        std::u16string text(static_cast<size_t>(length), u'\0');
        if (m_end - m_pos >= size) {
            std::memcpy(text.data(), m_data + m_pos, size);
            m_pos += size;
        } else {
            ReadInto(reinterpret_cast<uint8_t*>(text.data()), size);
        }
        return text;
    }
    const uint8_t* p = Need(length);
    return AnsiToUtf16(reinterpret_cast<const char*>(p), length);
}

void CCatalogueStream::WriteCount(uint64_t count) {
    if (count < 0xFFFF) {
        WriteU16(uint16_t(count));
    } else {
        if (count > 0xFFFFFFFF) throw CatalogueError::General("list too long");
        WriteU16(0xFFFF);
        WriteU32(uint32_t(count));
    }
}

void CCatalogueStream::WriteTime(int64_t time) {
    if (time >= std::numeric_limits<int32_t>::min() && time <= std::numeric_limits<int32_t>::max() &&
        uint32_t(time) != kBigTimeMarker) {
        WriteU32(uint32_t(time));
    } else {
        WriteU32(kBigTimeMarker);
        WriteU64(uint64_t(time));
    }
}

void CCatalogueStream::ThrowTooManyObjects() {
    throw CatalogueError::Format("too many objects in one stream");
}

void CCatalogueStream::WriteObjectTag(const CRuntimeClass& cls) {
    if (m_sink && m_out.size() >= m_flushAt) FlushOutput();
    if (&cls == m_lastWrittenClass) {
        WriteClassReference(m_lastWrittenNumber);
        TakeNumber();
        return;
    }
    const auto it = m_classNumbers.find(&cls);
    if (it == m_classNumbers.end()) {
        const size_t nameLength = std::strlen(cls.m_className);
        WriteU16(kNewClassTag);
        WriteU16(cls.m_schema);
        WriteU16(uint16_t(nameLength));
        WriteBytes(cls.m_className, nameLength);
        const uint32_t number = m_counter;
        TakeNumber();
        m_classNumbers.emplace(&cls, number);
        m_lastWrittenClass = &cls;
        m_lastWrittenNumber = number;
    } else {
        WriteClassReference(it->second);
        m_lastWrittenClass = &cls;
        m_lastWrittenNumber = it->second;
    }
    TakeNumber();  // the object's own number
}

void CCatalogueStream::WriteClassReference(uint32_t number) {
    if (number < kBigObjectTag) {
        WriteU16(uint16_t(kClassTag | number));
    } else {
        WriteU16(kBigObjectTag);
        WriteU32(kBigClassTag | number);
    }
}

void CCatalogueStream::ReadObjectTagOnce(const CRuntimeClass& expected) {
    const uint16_t shortTag = ReadU16();
    const uint32_t tag = shortTag == kBigObjectTag
                             ? ReadU32()
                             : (uint32_t(shortTag & kClassTag) << 16) | (shortTag & ~kClassTag & 0xFFFF);
    if (!(tag & kBigClassTag)) throw CatalogueError::Format("object reference or null tag");

    const CRuntimeClass* cls = nullptr;
    if (shortTag == kNewClassTag) {
        const uint16_t schema = ReadU16();
        const uint16_t nameLength = ReadU16();
        if (nameLength > kMaxClassNameLength)
            throw CatalogueError::Format("class name too long", FormatErrorCause::UnexpectedClass);
        const uint8_t* name = Need(nameLength);
        cls = CRuntimeClass::FromName(std::string_view(reinterpret_cast<const char*>(name), nameLength));
        if (!cls) throw CatalogueError::Format("unknown class", FormatErrorCause::UnexpectedClass);
        if (schema != cls->m_schema) throw CatalogueError::Format("unknown schema", FormatErrorCause::BadSchema);
        const uint32_t number = m_counter;
        TakeNumber();
        m_classesByNumber.emplace(number, cls);
    } else {
        const auto it = m_classesByNumber.find(tag & ~kBigClassTag);
        if (it == m_classesByNumber.end()) throw CatalogueError::Format("undeclared class number");
        cls = it->second;
        if (shortTag != kBigObjectTag) {
            m_knownShortTag = shortTag;
            m_knownShortTagClass = cls;
        }
    }
    if (cls != &expected)
        throw CatalogueError::Format("object of an unexpected class", FormatErrorCause::UnexpectedClass);
    TakeNumber();
}

std::unique_ptr<CObjectBase> CCatalogueStream::ReadObject(const CRuntimeClass& expected) {
    ReadObjectTag(expected);
    std::unique_ptr<CObjectBase> object = expected.m_createObject();
    object->Serialize(*this);
    return object;
}

}  // namespace volcatra
