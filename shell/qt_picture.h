#pragma once
// Pictures between the core's Image (straight ARGB) and Qt's QImage.
#include "board/image.h"

#include <QImage>

#include <cstring>
#include <memory>

namespace q50 {

inline Picture picture_from_qimage(const QImage& source) {
    if (source.isNull()) return nullptr;
    const QImage q = source.convertToFormat(QImage::Format_ARGB32);
    auto img = std::make_shared<Image>(q.width(), q.height());
    for (int y = 0; y < q.height(); ++y)
        std::memcpy(&img->at(0, y), q.constScanLine(y), std::size_t(q.width()) * sizeof(Argb));
    return img;
}

// A deep copy, so the QImage does not depend on the picture's lifetime. A null QImage when
// its memory cannot be had (Qt gives a null image then, never an exception).
inline QImage qimage_from_picture(const Image& img) {
    if (img.empty()) return QImage();
    QImage q(img.width, img.height, QImage::Format_ARGB32);
    if (q.isNull()) return QImage();
    for (int y = 0; y < img.height; ++y)
        std::memcpy(q.scanLine(y), img.pixels.data() + std::size_t(y) * img.width,
                    std::size_t(img.width) * sizeof(Argb));
    return q;
}

} // namespace q50
