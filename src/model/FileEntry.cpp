#include "model/FileEntry.h"

#include <cstdio>
#include <cstring>

#include "model/CatalogueStream.h"
#include "model/ExtensionBlocks.h"

namespace volcatra {

namespace {

constexpr uint32_t kSizeMarker = 0xFFFFFF00;
// The shortest entry record with its tag: a short tag, a one-byte text and
// the items of SerializeCommon.
constexpr size_t kMinEntryRecord = 2 + 1 + 2 + 2 + 4 + 4 + 4;
constexpr uint64_t kUsedBytesLimit = 0xFFFFFFFF0000ull;

template <typename T>
std::unique_ptr<CObjectBase> Create() {
    return std::make_unique<T>();
}

uint32_t SizeItem(uint64_t size) {
    return size >= kSizeMarker ? kSizeMarker : uint32_t(size);
}

// Reads a text into the stream's text store when it has one (the short
// wide form, nearly every name, straight from the data), else owned.
void ReadEntryText(CCatalogueStream& stream, CEntryText& text) {
    CTextStore* store = stream.TextStore();
    if (!store) {
        text = stream.ReadText();
        return;
    }
    std::span<const uint8_t> bytes;
    if (stream.ReadShortWideText(bytes)) {
        text.AssignBytesIn(*store, bytes.data(), bytes.size() / sizeof(char16_t));
        return;
    }
    text.AssignIn(*store, stream.ReadText());
}

std::u16string Ascii(const char* text) {
    return std::u16string(text, text + std::strlen(text));
}

}  // namespace

const CRuntimeClass CFileEntry::s_class{"CFileEntry", 1, &Create<CFileEntry>};
const CRuntimeClass CFileArray::s_class{"CFileArray", 1, &Create<CFileArray>};
const CRuntimeClass CRootEntry::s_class{"CRootEntry", 1, &Create<CRootEntry>};

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name) {
    for (const CRuntimeClass* cls : {&CFileEntry::s_class, &CFileArray::s_class, &CRootEntry::s_class})
        if (name == cls->m_className) return cls;
    return nullptr;
}

// --- CFileEntry ---------------------------------------------------------

void CFileEntry::SerializeCommon(CCatalogueStream& stream, uint64_t& sizeItem) {
    if (stream.IsStoring()) {
        stream.WriteText(m_name);
        stream.WriteU16(m_attributes);
        stream.WriteU16(uint16_t(m_iconNumber));
        stream.WriteU32(uint32_t(m_childIndex));
        stream.WriteU32(SizeItem(sizeItem));
        stream.WriteTime(m_time);
    } else {
        ReadEntryText(stream, m_name);
        m_attributes = stream.ReadU16();
        m_iconNumber = int16_t(stream.ReadU16());
        m_childIndex = int32_t(stream.ReadU32());
        sizeItem = stream.ReadU32();
        m_time = stream.ReadTime();
    }
}

void CFileEntry::Serialize(CCatalogueStream& stream) {
    SerializeCommon(stream, m_size);
}

namespace {

// Writes the digits of value with a comma between groups of three so that
// they end at `end`; returns where they begin.
char* SeparatedDigits(int64_t value, char* end) {
    // Work on the magnitude as unsigned so that INT64_MIN formats too.
    uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    char* p = end;
    int digits = 0;
    do {
        if (digits && digits % 3 == 0) *--p = ',';
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude);
    if (value < 0) *--p = '-';
    return p;
}

}  // namespace

std::u16string CFileEntry::GetSizeText(bool sizeInBytes) const {
    std::string text;
    AppendSizeText(text, m_size, sizeInBytes);
    return std::u16string(text.begin(), text.end());
}

void AppendSizeText(std::string& out, uint64_t size, bool sizeInBytes) {
    char buffer[32];
    char* const end = buffer + sizeof(buffer);
    if (sizeInBytes) {
        out.append(SeparatedDigits(int64_t(size), end), end);
        return;
    }
    const uint64_t kilobytes = (((size - 1) | 1023) + 1) >> 10;
    out.append(SeparatedDigits(int64_t(kilobytes), end), end);
    out += "KB";
}

std::u16string FormatWithSeparators(int64_t value) {
    char buffer[32];
    char* const end = buffer + sizeof(buffer);
    const char* begin = SeparatedDigits(value, end);
    return std::u16string(begin, static_cast<const char*>(end));
}

// --- CFileArray ---------------------------------------------------------

void CFileArray::Serialize(CCatalogueStream& stream) {
    if (stream.IsStoring()) {
        stream.WriteText(m_path);
        stream.WriteCount(m_entries.size());
        for (auto& entry : m_entries) {
            stream.WriteObjectTag(CFileEntry::s_class);
            entry.Serialize(stream);
        }
    } else {
        const uint32_t count = ReadOwnRecord(stream);
        // An entry's record takes at least kMinEntryRecord bytes, so a count
        // the file cannot hold reserves no more than the file's size allows.
        m_entries.reserve(stream.SafeReserve(count, kMinEntryRecord));
        for (uint32_t i = 0; i < count; ++i) {
            stream.ReadObjectTag(CFileEntry::s_class);
            m_entries.emplace_back().Serialize(stream);
        }
    }
}

uint32_t CFileArray::ReadOwnRecord(CCatalogueStream& stream) {
    m_path = stream.ReadText();
    return stream.ReadCount();
}

// --- CRootEntry ---------------------------------------------------------

void CRootEntry::Serialize(CCatalogueStream& stream) {
    if (stream.IsStoring()) {
        PrepareExtensionBlocks(*this);
        // The saved used bytes are capped at 48 bits; the full value travels
        // in extension block 1 whenever the cap or the size marker applies.
        const uint64_t saved = m_usedBytes < kUsedBytesLimit ? m_usedBytes : kUsedBytesLimit;
        uint64_t low = saved & 0xFFFFFFFF;
        SerializeCommon(stream, low);
        stream.WriteText(m_volumeName);
        stream.WriteU32(m_serialNumber);
        stream.WriteU16(uint16_t(m_driveType));
        stream.WriteU16(uint16_t(saved >> 32));
        stream.WriteU32(m_folderCount);
        stream.WriteU32(m_fileCount);
        stream.WriteU32(0);
        stream.WriteU32(0);
        stream.WriteCount(m_folders.size());
        for (auto& array : m_folders) {
            stream.WriteObjectTag(CFileArray::s_class);
            array->Serialize(stream);
        }
    } else {
        const uint32_t count = ReadOwnRecord(stream);
        m_folders.reserve(stream.SafeReserve(count, 2));
        CTextStore* const outer = stream.TextStore();
        stream.SetTextStore(&m_texts);
        struct Restore {
            CCatalogueStream& stream;
            CTextStore* store;
            ~Restore() { stream.SetTextStore(store); }
        } restore{stream, outer};
        for (uint32_t i = 0; i < count; ++i) m_folders.push_back(stream.ReadObjectAs<CFileArray>());
    }
}

uint32_t CRootEntry::ReadOwnRecord(CCatalogueStream& stream) {
    uint64_t low = 0;
    SerializeCommon(stream, low);
    m_volumeName = stream.ReadText();
    m_serialNumber = stream.ReadU32();
    m_driveType = stream.ReadU16();
    const uint64_t high = stream.ReadU16();
    m_usedBytes = high << 32 | low;
    m_size = m_usedBytes;
    m_folderCount = stream.ReadU32();
    m_fileCount = stream.ReadU32();
    stream.ReadU32();
    stream.ReadU32();
    return stream.ReadCount();
}

std::u16string CRootEntry::GetDisplayName() const {
    if (!m_name.empty()) return m_name.str();
    // A label's display name is the label itself here: there is no shell
    // that would decorate it.
    if (!m_volumeName.empty()) return m_volumeName;
    if (m_driveType == DRIVE_CDROM) return u"CD-ROM";
    return u"ディスク";
}

std::u16string CRootEntry::GetUsedSizeText() const {
    if ((m_usedBytes >> 20) < 3) {
        const uint64_t kilobytes = (m_usedBytes + 512) >> 10;
        if (kilobytes == 0) return {};
        return FormatWithSeparators(int64_t(kilobytes)) + u"KB";
    }
    return FormatWithSeparators(int64_t(m_usedBytes >> 20)) + u"MB";
}

std::u16string CRootEntry::GetLabelPart() const {
    const size_t at = m_volumeName.find(u"::\\");
    return at == std::u16string::npos ? m_volumeName : m_volumeName.substr(0, at);
}

std::u16string CRootEntry::GetFolderPart() const {
    const size_t at = m_volumeName.find(u"::\\");
    return at == std::u16string::npos ? std::u16string() : m_volumeName.substr(at + 2);
}

std::u16string CRootEntry::GetSerialText() const {
    char text[16];
    std::snprintf(text, sizeof(text), "%04X-%04X", unsigned(m_serialNumber >> 16), unsigned(m_serialNumber & 0xFFFF));
    return Ascii(text);
}

bool CRootEntry::AttachToDocument(uint16_t position, size_t systemImageCount) {
    if (!m_imageListsReady) {
        m_sysImageMap.assign(systemImageCount, 0);
        m_storeImageMap.assign(m_icons.GetCount(), 0);
        m_imageListsReady = true;
    }
    m_rootStamp = position;
    for (auto& array : m_folders)
        for (auto& entry : array->m_entries) {
            entry.m_imageIndex = 0;
            entry.m_rootStamp = position;
        }
    return true;
}

const CFileArray* CRootEntry::ChildArray(const CFileEntry& entry) const {
    if (!entry.HasContents() || entry.m_childIndex < 0 || size_t(entry.m_childIndex) >= m_folders.size())
        return nullptr;
    return m_folders[size_t(entry.m_childIndex)].get();
}

void WalkTree(const CRootEntry& root,
              const std::function<void(const CFileEntry& entry, const CFileArray& array, int depth)>& visit) {
    if (root.m_folders.empty()) return;
    std::vector<bool> entered(root.m_folders.size(), false);
    struct Frame {
        size_t array;
        size_t next;
    };
    std::vector<Frame> stack{{0, 0}};
    entered[0] = true;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const CFileArray& array = *root.m_folders[frame.array];
        if (frame.next >= array.m_entries.size()) {
            stack.pop_back();
            continue;
        }
        const CFileEntry& entry = array.m_entries[frame.next++];
        const int depth = int(stack.size()) - 1;
        visit(entry, array, depth);
        // Contents always stand later in the list than their parent's array;
        // anything else comes from a damaged file and is not followed.
        if (root.ChildArray(entry) && size_t(entry.m_childIndex) > frame.array &&
            !entered[size_t(entry.m_childIndex)]) {
            entered[size_t(entry.m_childIndex)] = true;
            stack.push_back({size_t(entry.m_childIndex), 0});
        }
    }
}

}  // namespace volcatra
