// Text listings of a catalogue: every volume with its folders and files as
// comma-separated values (.csv) or in space-aligned columns (.prn).
//
// A listing is UTF-16LE text with a byte-order mark and "\r\n" line ends. It
// is written only, never read back. Names and types are written as they are:
// quotes and commas inside them are not escaped.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "model/CatalogueFile.h"
#include "model/CatalogueStream.h"
#include "model/FileEntry.h"

namespace volcatra {

// The form of the entry lines; the headings are the same in both.
enum class ListingFormat {
    Csv = 1,           // "name",size,"type",date
    SpaceAligned = 2,  // size, date and name in fixed columns
};

// The shell's type text for a bare name ("Folder", "Plain text document",
// ...), from the name alone: the file system is never touched. The platform
// implements it; tests give fixed texts.
class IShellTypeNames {
public:
    virtual ~IShellTypeNames() = default;
    // The type text of a folder (folder set) or file called name, in the
    // user's language; empty when there is none.
    virtual std::u16string GetTypeName(std::u16string_view name, bool folder) const = 0;
};

// Writes FF FE, then every root's volume listing followed by "\r\n\r\n".
// Nothing happens when the stream is reading.
void WriteListing(CCatalogueStream& stream, const std::vector<CRootEntry*>& roots, ListingFormat format,
                  const IShellTypeNames& types);
void WriteListing(CCatalogueStream& stream, const RootList& roots, ListingFormat format, const IShellTypeNames& types);

// The volume heading (display name and serial number), then the listing of
// the top folder when the volume has one.
void WriteVolumeListing(CCatalogueStream& stream, const CRootEntry& root, ListingFormat format,
                        const IShellTypeNames& types);

// The listing of one folder or recorded archive of `folders` and, depth
// first in listing order, of the folders and archives inside it. path is
// the heading's path; attributes are those of the entry whose contents the
// array is (FA_DIRECTORY for the top), and choose the heading.
void WriteFolderListing(CCatalogueStream& stream, const CFileArray& array, ListingFormat format,
                        const std::vector<std::unique_ptr<CFileArray>>& folders, const std::u16string& path,
                        uint16_t attributes, const IShellTypeNames& types);

// One entry's line.
void WriteEntryLine(CCatalogueStream& stream, ListingFormat format, const CFileEntry& entry,
                    const IShellTypeNames& types);

// The listing order: folders first, then display names compared code unit by
// code unit with A-Z folded to a-z. Negative, zero or positive.
int CompareForListing(const CFileEntry& a, const CFileEntry& b);

// An entry time in local time. False when there is none to show: 0 (no time
// recorded), times before 1970 (which have no local date on the platforms
// catalogues come from), and times whose local year does not fit in four
// digits or that the C library cannot convert.
bool ToLocalDateTime(int64_t time, std::tm& local);

}  // namespace volcatra
