// The catalogue document's pictures for volume nodes: a pair of image lists
// (32x32 and 16x16, the same picture at the same position in both). The
// document decides which picture goes where and keeps the key of each; an
// implementation of IPictureList only holds the images (the desktop program
// fills its image lists, tests count).
#pragma once

#include <cstddef>

#include "model/IconList.h"

namespace volcatra {

// The seven fixed pictures at the start of the lists, in position order.
enum class FixedPicture {
    OpenFolder,    // the system's open-folder picture
    ClosedFolder,  // the system's closed-folder picture
    Catalogue,     // a document page with a disc: the catalogue itself
    OpticalDisc,   // volumes from CD-ROM drives without a captured icon
    FloppyDisk,    // volumes from removable drives without a captured icon
    HardDisk,      // volumes from other drives without a captured icon
    Transparent,   // archive files without a stored icon
};

inline constexpr int PICTURE_OPEN_FOLDER = 0;
inline constexpr int PICTURE_CLOSED_FOLDER = 1;
inline constexpr int PICTURE_CATALOGUE = 2;
inline constexpr int PICTURE_OPTICAL_DISC = 3;
inline constexpr int PICTURE_FLOPPY_DISK = 4;
inline constexpr int PICTURE_HARD_DISK = 5;
inline constexpr int PICTURE_TRANSPARENT = 6;
inline constexpr int kFixedPictureCount = 7;

class IPictureList {
public:
    virtual ~IPictureList() = default;
    // (Re)creates both lists empty, with the colour depth and mask flags of
    // the system image lists.
    virtual bool Create() = 0;
    // Appends the large and the small version of a fixed picture (the
    // folders come from the system's large and small lists); the position,
    // or -1 when a picture could not be obtained or added.
    virtual int AddFixedPicture(FixedPicture picture) = 0;
    // Appends a stored image's two pictures; the position, or -1.
    virtual int AddPicturePair(const CIconPair& pair) = 0;
    // The number of pictures in the system's large image list; each root
    // sizes its cache of system pictures by it.
    virtual size_t SystemImageCount() const = 0;
};

}  // namespace volcatra
