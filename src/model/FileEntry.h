// The in-memory image of recorded volumes: entries, folder arrays, roots.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/EntryText.h"
#include "model/IconList.h"
#include "model/RuntimeClass.h"

namespace volcatra {

// Attribute flags of m_attributes beyond the file system's own bits.
inline constexpr uint16_t FA_READONLY = 0x0001;
inline constexpr uint16_t FA_HIDDEN = 0x0002;
inline constexpr uint16_t FA_SYSTEM = 0x0004;
inline constexpr uint16_t FA_DIRECTORY = 0x0010;
inline constexpr uint16_t FA_ARCHIVE = 0x0020;
inline constexpr uint16_t FA_ARCHIVE_FOLDER = 0x4000;  // folder member of an archive
inline constexpr uint16_t FA_ARCHIVE_LISTED = 0x8000;  // archive whose members were recorded

// Drive type codes.
inline constexpr uint32_t DRIVE_REMOVABLE = 2;
inline constexpr uint32_t DRIVE_FIXED = 3;
inline constexpr uint32_t DRIVE_REMOTE = 4;
inline constexpr uint32_t DRIVE_CDROM = 5;
inline constexpr uint32_t DRIVE_RAMDISK = 6;

class CRootEntry;
class CNamePattern;

// One file, folder, archive file or archive member.
class CFileEntry : public CObjectBase {
public:
    static const CRuntimeClass s_class;

    // Ordered for size: an entry takes 56 bytes, held by value in its array.
    CEntryText m_name;
    CEntryText m_extraText;  // kept and saved, never shown
    int64_t m_time = 0;      // seconds since 1970 UTC; 0 = unknown
    uint64_t m_size = 0;
    int32_t m_childIndex = 0;  // position in the root's m_folders
    uint16_t m_attributes = 0;
    int16_t m_iconNumber = 0;   // 0 = none, k = stored image k - 1
    uint16_t m_imageIndex = 0;  // not saved: picture position in the views
    uint16_t m_rootStamp = 0;   // not saved: position of the owning root

    const CRuntimeClass* GetRuntimeClass() const override { return &s_class; }
    void Serialize(CCatalogueStream& stream) override;
    virtual std::u16string GetDisplayName() const { return m_name.str(); }

    // Whether m_childIndex names contents: a folder or a listed archive.
    bool HasContents() const { return (m_attributes & (FA_DIRECTORY | FA_ARCHIVE_LISTED)) != 0; }

    // The size for the file list: kilobytes rounded up with "KB", or the
    // bytes with separators when sizeInBytes is set.
    std::u16string GetSizeText(bool sizeInBytes) const;

    // Whether m_name matches a pattern made by PrepareNamePattern
    // (model/NamePattern.h).
    bool MatchName(const CNamePattern& pattern) const;

protected:
    // The six items the entry record and the root record begin with; the
    // root puts its used bytes where an entry has its size.
    void SerializeCommon(CCatalogueStream& stream, uint64_t& sizeItem);
};

static_assert(sizeof(void*) != 8 || sizeof(CFileEntry) == 56, "an entry is meant to take 56 bytes");

// The entries of one folder, or the members of one archive file.
class CFileArray : public CObjectBase {
public:
    static const CRuntimeClass s_class;

    std::u16string m_path;  // "\\" for the top, else \DIR\SUB or \DIR\a.zip
    // By value: entries stay where they are while the array is not changed.
    std::vector<CFileEntry> m_entries;

    const CRuntimeClass* GetRuntimeClass() const override { return &s_class; }
    void Serialize(CCatalogueStream& stream) override;
    // Reads the array's own items (its path) and returns the number of
    // entries that follow.
    uint32_t ReadOwnRecord(CCatalogueStream& stream);
};

// One catalogued volume or folder.
class CRootEntry : public CFileEntry {
public:
    static const CRuntimeClass s_class;

    std::vector<uint16_t> m_sysImageMap;    // not saved
    std::vector<uint16_t> m_storeImageMap;  // not saved
    bool m_imageListsReady = false;         // not saved
    uint64_t m_usedBytes = 0;
    std::u16string m_volumeName;  // LABEL, or LABEL::\folder for a folder read
    uint32_t m_serialNumber = 0;
    uint32_t m_driveType = 0;
    uint32_t m_folderCount = 0;
    uint32_t m_fileCount = 0;
    uint32_t m_sectorSize = 0;  // not saved; used while reading
    // The characters of the names and extra texts of the entries below, as
    // loaded or read (edited texts are owned by their entries). Declared
    // before m_folders so that it outlives them.
    CTextStore m_texts;
    std::vector<std::unique_ptr<CFileArray>> m_folders;
    CIconList m_icons;
    std::u16string m_comment;
    std::vector<std::vector<uint8_t>> m_extBlocks;  // sizes are the blocks' sizes

    const CRuntimeClass* GetRuntimeClass() const override { return &s_class; }
    void Serialize(CCatalogueStream& stream) override;
    // Reads the root's own items and returns the number of arrays that
    // follow.
    uint32_t ReadOwnRecord(CCatalogueStream& stream);
    std::u16string GetDisplayName() const override;

    std::u16string GetUsedSizeText() const;
    std::u16string GetLabelPart() const;
    std::u16string GetFolderPart() const;
    // The serial number as XXXX-XXXX.
    std::u16string GetSerialText() const;

    // Prepares the per-document picture caches (once) and stamps the root
    // and all its entries with its position in the document.
    // systemImageCount is the number of pictures in the system image list.
    bool AttachToDocument(uint16_t position, size_t systemImageCount = 0);

    // The array an entry's m_childIndex names, or nullptr when it names none.
    const CFileArray* ChildArray(const CFileEntry& entry) const;
};

// Digits of value with a comma between groups of three.
std::u16string FormatWithSeparators(int64_t value);

// CFileEntry::GetSizeText of a size, appended to out (the text is ASCII).
void AppendSizeText(std::string& out, uint64_t size, bool sizeInBytes);

// Visits the tree of a root depth first, beginning with m_folders[0]: each
// entry in turn, then (for a folder or listed archive) its contents. An
// array is entered only from an entry of an earlier array and only once, so
// a damaged file cannot make the walk endless. depth is 0 for the top.
void WalkTree(const CRootEntry& root,
              const std::function<void(const CFileEntry& entry, const CFileArray& array, int depth)>& visit);

// Visits every entry in walk order as the file format numbers them: the
// arrays of m_folders in order, the entries of each array in order.
template <typename Root, typename F>
void ForEachEntryInFileOrder(Root& root, F&& visit) {
    for (auto& array : root.m_folders)
        for (auto& entry : array->m_entries) visit(entry);
}

}  // namespace volcatra
