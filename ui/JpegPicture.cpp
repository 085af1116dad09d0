#include "JpegPicture.h"

#include "MessageQueue.h"
#include "jpeg/JpegDecoder.h"

#include <QFile>

#include <cstring>
#include <exception>

namespace vorpane {

namespace {

// A picture of the engine's as a Qt image: both hold red, green and blue
// bytes row by row; Qt's rows may be longer.
QImage ToImage(const TBitmap24& Bitmap) {
    QImage image(static_cast<int>(Bitmap.Width()), static_cast<int>(Bitmap.Height()),
                 QImage::Format_RGB888);
    for (std::uint32_t y = 0; y < Bitmap.Height(); ++y) {
        std::memcpy(image.scanLine(static_cast<int>(y)), Bitmap.Row(y), Bitmap.RowBytes());
    }
    return image;
}

// The decoder serves the window's events at its drain points; on a worker
// thread that is the GUI thread's business.
TJpegDecoder OpenOnWorker(const QString& Path) {
    LeaveDrainsToOtherThreads();
    return TJpegDecoder(QFile::encodeName(Path).toStdString());
}

// libjpeg decodes at M/8 of the full size for far less work; the smallest
// such size that is still large enough is scaled down to the exact size.
QImage DecodeScaled(TJpegDecoder& Decoder, QSize Size) {
    QImage picture = ToImage(Decoder.DecodeAtLeast(static_cast<std::uint32_t>(Size.width()),
                                                   static_cast<std::uint32_t>(Size.height())));
    if (picture.size() != Size) {
        picture = picture.scaled(Size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return picture;
}

} // namespace

QImage PreviewPicture(const QString& Path, QSize Box) {
    TJpegDecoder decoder = OpenOnWorker(Path);
    const std::uint32_t width = decoder.Width();
    const std::uint32_t height = decoder.Height();
    const auto boxWidth = static_cast<std::uint32_t>(Box.width());
    const auto boxHeight = static_cast<std::uint32_t>(Box.height());
    if (width <= boxWidth && height <= boxHeight) {
        return ToImage(decoder.Decode());
    }
    // A whole factor, so the picture can stay larger than the box; the box
    // then shows its middle.
    const std::uint32_t factor = width < height ? height / boxHeight : width / boxWidth;
    if (factor == 0) {
        return {};
    }
    return DecodeScaled(decoder,
                        QSize(static_cast<int>(width / factor), static_cast<int>(height / factor)));
}

QImage ThumbnailPicture(const QString& Path, int Size) {
    try {
        TJpegDecoder decoder = OpenOnWorker(Path);
        QSize fit(static_cast<int>(decoder.Width()), static_cast<int>(decoder.Height()));
        // Small pictures are not blown up.
        if (fit.width() > Size || fit.height() > Size) {
            fit = fit.scaled(Size, Size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        }
        return DecodeScaled(decoder, fit);
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace vorpane
