#include "platform/IconImages.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <limits>

namespace volcatra {

namespace {

// Images decoded from one file at most: an .ico lists up to 65535.
constexpr int kMaxIconFileImages = 64;

int NearestPaletteIndex(QRgb pixel) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = kStoredImagePalette[size_t(i)];
        const int dr = qRed(pixel) - int((c >> 16) & 0xFF);
        const int dg = qGreen(pixel) - int((c >> 8) & 0xFF);
        const int db = qBlue(pixel) - int(c & 0xFF);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

void Reduce(const QImage& source, int size, uint8_t* mask, uint8_t* colour) {
    QImage picture = source.convertToFormat(QImage::Format_ARGB32);
    if (picture.width() != size || picture.height() != size)
        picture = picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const size_t maskRow = size_t(size) / 8;
    const size_t colourRow = size_t(size) / 2;
    for (int y = 0; y < size; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            const size_t m = size_t(y) * maskRow + size_t(x) / 8;
            const size_t c = size_t(y) * colourRow + size_t(x) / 2;
            if (qAlpha(line[x]) < 128) {
                mask[m] |= uint8_t(0x80 >> (x % 8));
                continue;
            }
            const int index = NearestPaletteIndex(line[x]);
            colour[c] |= uint8_t(x % 2 ? index : index << 4);
        }
    }
}

// Lower is better: the size itself, then the nearest larger, then the
// nearest smaller; the deepest colour among equal sizes.
int64_t Rank(const QImage& image, int target) {
    const int size = std::max(image.width(), image.height());
    const int64_t distance = size >= target ? size - target : 100000 + (target - size);
    return distance * 64 - image.depth();
}

}  // namespace

CStoredImage ReduceToStoredImage(const IconImages& images) {
    CStoredImage stored{};
    const QImage& small = images.small.isNull() ? images.large : images.small;
    if (images.large.isNull()) {
        std::fill(stored.begin(), stored.begin() + kSmallColourOffset, uint8_t(0xFF));
        return stored;
    }
    Reduce(images.large, 32, stored.data() + kLargeMaskOffset, stored.data() + kLargeColourOffset);
    Reduce(small, 16, stored.data() + kSmallMaskOffset, stored.data() + kSmallColourOffset);
    return stored;
}

std::optional<IconImages> ReadIconFile(const QByteArray& bytes) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    std::optional<IconImages> found;
    // The ico reader may refuse canRead() for sound files: read() decides.
    const int count = std::clamp(reader.imageCount(), 1, kMaxIconFileImages);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i)) break;
        const QImage image = reader.read();
        if (image.isNull()) continue;
        if (!found) {
            found = IconImages{image, image};
            continue;
        }
        if (Rank(image, 32) < Rank(found->large, 32)) found->large = image;
        if (Rank(image, 16) < Rank(found->small, 16)) found->small = image;
    }
    return found;
}

QImage MakeOverlayPicture(const QImage& picture) {
    QImage image =
        picture.convertToFormat(QImage::Format_ARGB32).scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The shortcut arrow in the lower left corner.
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(0.5, 20.5, 11, 11));
    QPainterPath arrow;
    arrow.moveTo(3, 29);
    arrow.lineTo(8, 24);
    arrow.moveTo(5, 23.5);
    arrow.lineTo(8.5, 23.5);
    arrow.lineTo(8.5, 27);
    painter.setPen(QPen(QColor(0, 0, 160), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
    painter.end();
    return image;
}

}  // namespace volcatra
