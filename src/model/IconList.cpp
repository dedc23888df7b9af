#include "model/IconList.h"

#include "model/CatalogueStream.h"

#include <algorithm>
#include <new>

namespace volcatra {

const std::array<uint32_t, 16> kStoredImagePalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

namespace {

CIconPicture DecodePicture(std::span<const uint8_t> image, int size, size_t maskOffset, size_t colourOffset) {
    CIconPicture picture;
    picture.m_size = size;
    picture.m_pixels.resize(size_t(size) * size_t(size));
    const size_t maskRow = size_t(size) / 8;
    const size_t colourRow = size_t(size) / 2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const uint8_t maskByte = image[maskOffset + size_t(y) * maskRow + size_t(x) / 8];
            const bool transparent = (maskByte >> (7 - x % 8)) & 1;
            const uint8_t colourByte = image[colourOffset + size_t(y) * colourRow + size_t(x) / 2];
            const uint8_t index = x % 2 ? colourByte & 0x0F : colourByte >> 4;
            picture.m_pixels[size_t(y) * size_t(size) + size_t(x)] =
                transparent ? 0u : 0xFF000000u | kStoredImagePalette[index];
        }
    }
    return picture;
}

}  // namespace

void MergeOverlay(CStoredImage& icon, const CStoredImage& overlay) {
    constexpr size_t kMaskBytes = kSmallColourOffset;
    for (size_t k = 0; k < kMaskBytes; ++k) {
        const uint8_t overlayMask = overlay[k];
        icon[k] &= overlayMask;
        // Each mask bit covers one nibble of the four colour bytes.
        for (size_t b = 0; b < 4; ++b) {
            const size_t at = kMaskBytes + 4 * k + b;
            uint8_t keep = 0;
            if (overlayMask & (0x80 >> (2 * b))) keep |= 0xF0;
            if (overlayMask & (0x40 >> (2 * b))) keep |= 0x0F;
            icon[at] = uint8_t((icon[at] & keep) | overlay[at]);
        }
    }
}

std::optional<CIconPair> DecodeStoredImage(std::span<const uint8_t> image) {
    if (image.size() != kStoredImageSize) return std::nullopt;
    CIconPair pair;
    pair.m_large = DecodePicture(image, 32, kLargeMaskOffset, kLargeColourOffset);
    pair.m_small = DecodePicture(image, 16, kSmallMaskOffset, kSmallColourOffset);
    return pair;
}

void CIconList::Serialize(CCatalogueStream& stream) {
    if (stream.IsStoring()) {
        stream.WriteU32(uint32_t(m_images.size()));
        for (const auto& image : m_images) {
            stream.WriteU32(uint32_t(image.size()));
            stream.WriteBytes(image.data(), image.size());
        }
    } else {
        const uint32_t count = stream.ReadU32();
        m_images.clear();
        m_indexMap.clear();
        m_capturedIcons.clear();
        m_capturedImages.clear();
        m_images.reserve(stream.SafeReserve(count, 4));
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t length = stream.ReadU32();
            m_images.push_back(stream.ReadBlock(length));
        }
    }
}

int CIconList::AddCapturedIcon(const CStoredImage& picture, uint32_t flags) {
    if (m_capturedIcons.size() >= kMaxIconNumbers) return 0;
    m_capturedImages.push_back(picture);
    m_capturedIcons.push_back(uint32_t(m_capturedImages.size() - 1) | flags);
    return int(m_capturedIcons.size());
}

bool CIconList::Organize(const CStoredImage& overlay, std::vector<uint16_t>& remap) {
    m_indexMap.clear();
    m_indexMap.shrink_to_fit();
    try {
        const size_t count = m_capturedIcons.size();
        m_images.clear();
        remap.assign(count, 0);
        CStoredImage picture;
        for (size_t o = count; o-- > 0;) {
            const uint32_t captured = m_capturedIcons[o];
            const size_t source = captured & 0xFFFF;
            if (source >= m_capturedImages.size()) return false;
            picture = m_capturedImages[source];
            if (captured & kCapturedShortcut) MergeOverlay(picture, overlay);
            size_t equal = m_images.size();
            for (size_t j = m_images.size(); j-- > 0;) {
                if (std::equal(picture.begin(), picture.end(), m_images[j].begin(), m_images[j].end())) {
                    equal = j;
                    break;
                }
            }
            if (equal < m_images.size()) {
                remap[o] = uint16_t(equal);
            } else if (captured & kCapturedDriveIcon) {
                remap[o] = 0xFFFF;
            } else {
                m_images.emplace_back(picture.begin(), picture.end());
                remap[o] = uint16_t(m_images.size() - 1);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_capturedImages.clear();
    m_capturedImages.shrink_to_fit();
    return true;
}

std::optional<CIconPair> CIconList::GetIconPair(size_t imageIndex) const {
    if (imageIndex >= m_images.size()) return std::nullopt;
    return DecodeStoredImage(m_images[imageIndex]);
}

}  // namespace volcatra
