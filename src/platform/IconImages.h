// Pictures for the icon store, made with QImage only (no QPixmap or QIcon),
// so that they may be made on a worker thread: the reduction of a picture
// to the stored 800-byte format and the reading of .ico and .cur files.
#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

#include "model/IconList.h"

namespace volcatra {

// The two pictures of one icon as found: either may be of any size.
struct IconImages {
    QImage large;  // the picture meant for 32 x 32
    QImage small;  // the picture meant for 16 x 16
};

// Reduces the pictures to the stored format: each is scaled smoothly to its
// size, pixels with alpha below 128 become transparent (mask bit 1, colour
// 0) and every other pixel takes the nearest palette colour, without
// dithering, so that equal pictures always give equal bytes. A null small
// picture is made from the large one.
CStoredImage ReduceToStoredImage(const IconImages& images);

// The pictures of an .ico or .cur file in memory: for each size the image
// of that size, else the nearest larger, else the largest, the deepest among
// equals. nullopt when no image can be decoded.
std::optional<IconImages> ReadIconFile(const QByteArray& bytes);

// The overlay drawn on shortcuts: picture (the content of "Through.ico")
// at 32 x 32 with the shortcut arrow in its lower left corner.
QImage MakeOverlayPicture(const QImage& picture);

}  // namespace volcatra
