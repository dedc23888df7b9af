// A volume's store of captured icons: deduplicated 800-byte images.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace volcatra {

class CCatalogueStream;

// Layout of a stored image (rows top first, masks 1 bit per pixel with the
// most significant bit leftmost and 1 = transparent, colours 4 bits per pixel
// with the high nibble leftmost, indexing the 16-colour palette).
inline constexpr size_t kStoredImageSize = 800;
inline constexpr size_t kSmallMaskOffset = 0;      // 16 rows x 2 bytes
inline constexpr size_t kLargeMaskOffset = 32;     // 32 rows x 4 bytes
inline constexpr size_t kSmallColourOffset = 160;  // 16 rows x 8 bytes
inline constexpr size_t kLargeColourOffset = 288;  // 32 rows x 16 bytes

using CStoredImage = std::array<uint8_t, kStoredImageSize>;

// Flags of a captured icon beside its position in the captured images.
inline constexpr uint32_t kCapturedShortcut = 0x10000;
inline constexpr uint32_t kCapturedDriveIcon = 0x20000;
// Icon numbers are 16-bit signed and at least 1.
inline constexpr size_t kMaxIconNumbers = 32767;

// The standard 16-colour palette as 0xRRGGBB.
extern const std::array<uint32_t, 16> kStoredImagePalette;

// A decoded square picture, pixels as 0xAARRGGBB, rows top first. Pixels the
// mask leaves transparent are 0x00000000.
struct CIconPicture {
    int m_size = 0;
    std::vector<uint32_t> m_pixels;
};

struct CIconPair {
    CIconPicture m_large;  // 32 x 32
    CIconPicture m_small;  // 16 x 16
};

// Draws overlay over icon: where the overlay's mask is transparent the
// icon's pixel stays, elsewhere the overlay's pixel replaces it.
void MergeOverlay(CStoredImage& icon, const CStoredImage& overlay);

// Decodes one stored image; nullopt unless it is exactly 800 bytes long.
std::optional<CIconPair> DecodeStoredImage(std::span<const uint8_t> image);

class CIconList {
public:
    // The stored images, each owned; 800 bytes each in any sound file.
    std::vector<std::vector<uint8_t>> m_images;
    // Working maps of the icon capture; never saved.
    std::vector<uint16_t> m_indexMap;
    std::vector<uint32_t> m_capturedIcons;
    // The picture of each captured icon, at the position its value names.
    std::vector<CStoredImage> m_capturedImages;

    // Hands out the next icon number for picture with the given flags; 0
    // when the volume has all the numbers it may have.
    int AddCapturedIcon(const CStoredImage& picture, uint32_t flags);

    size_t GetCount() const { return m_images.size(); }

    // Writes or reads the icon-store block: a 32-bit count, then each image
    // with its 32-bit length. Reading leaves the working maps empty.
    void Serialize(CCatalogueStream& stream);

    // Turns the captured icons into the stored images: from the last
    // captured icon to the first, shortcuts get the overlay drawn on them,
    // each picture is stored unless an equal one is stored already (so the
    // stored images come in reverse order of capture), and the drive's icon
    // is never stored on its own. remap[i] is the stored image of captured
    // icon i, 0xFFFF for a drive icon that no file shares. The index map
    // and the captured pictures are released. False when memory runs out.
    bool Organize(const CStoredImage& overlay, std::vector<uint16_t>& remap);

    // The large and small picture of stored image imageIndex; nullopt when
    // there is no such image or it is damaged.
    std::optional<CIconPair> GetIconPair(size_t imageIndex) const;
};

}  // namespace volcatra
