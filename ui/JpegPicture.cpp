#include "JpegPicture.h"

#include "MessageQueue.h"
#include "PathName.h"
#include "jpeg/ExifOrientation.h"
#include "jpeg/JpegDecoder.h"
#include "picture/PictureDecoder.h"
#include "picture/UprightPicture.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>

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

// The decoded picture turned upright the way a conversion turns it, by the
// engine's own turning.
QImage UprightImage(TBitmap24 Stored, int Orientation) {
    if (Orientation <= 1 || Orientation > 8) {
        return ToImage(Stored);
    }
    const TUprightPicture upright(std::move(Stored), Orientation);
    QImage turned(static_cast<int>(upright.Width()), static_cast<int>(upright.Height()),
                  QImage::Format_RGB888);
    int row = 0;
    upright.ReadRows([&](const std::uint8_t* const* Rows, std::uint32_t Count) {
        for (std::uint32_t i = 0; i < Count; ++i, ++row) {
            std::memcpy(turned.scanLine(row), Rows[i],
                        static_cast<std::size_t>(turned.width()) * 3);
        }
    });
    return turned;
}

// A decoder on the file, and how its picture turns upright (1: as stored).
// A JPEG decodes at libjpeg's reduced scales; the other kinds a phone makes
// (by their bytes, as a conversion takes them) decode whole.
struct TOpened {
    TOpened(const std::string& FileName, bool Upright) {
        const TPictureKind kind = ReadPictureKind(FileName);
        if (kind == TPictureKind::pkUnknown || kind == TPictureKind::pkJpeg) {
            Jpeg = std::make_unique<TJpegDecoder>(FileName);
            Orientation = Upright ? ReadExifOrientation(FileName) : 1;
        } else {
            Other = OpenPictureDecoder(FileName, kind);
            Orientation = Upright ? Other->Orientation() : 1;
        }
    }

    bool Swapped() const { return Orientation >= 5 && Orientation <= 8; }
    // The upright size.
    QSize Size() const {
        const QSize stored =
            Jpeg ? QSize(static_cast<int>(Jpeg->Width()), static_cast<int>(Jpeg->Height()))
                 : QSize(static_cast<int>(Other->Width()), static_cast<int>(Other->Height()));
        return Swapped() ? stored.transposed() : stored;
    }
    TBitmap24 Decode() { return Jpeg ? Jpeg->Decode() : Other->ReadAll(); }
    TBitmap24 DecodeAtLeast(std::uint32_t MinWidth, std::uint32_t MinHeight) {
        return Jpeg ? Jpeg->DecodeAtLeast(MinWidth, MinHeight) : Other->ReadAll();
    }

    std::unique_ptr<TJpegDecoder> Jpeg;
    std::unique_ptr<TPictureDecoder> Other;
    int Orientation = 1;
};

// The decoder serves the window's events at its drain points; on a worker
// thread that is the GUI thread's business.
std::string OnWorker(const QString& Path) {
    LeaveDrainsToOtherThreads();
    return EncodePathName(Path).toStdString();
}

// The picture at Shown (upright) on screen, with up to Ratio device pixels a
// pixel but no more than the photograph's own. libjpeg decodes at M/8 of the
// full size for far less work; the smallest such size that is still large
// enough is scaled down to the exact size.
QImage DecodeScaled(TOpened& Opened, QSize Shown, double Ratio) {
    const QSize own = Opened.Size();
    const double ratio = std::max(1.0, std::min({Ratio, double(own.width()) / Shown.width(),
                                                 double(own.height()) / Shown.height()}));
    QSize size(static_cast<int>(std::lround(Shown.width() * ratio)),
               static_cast<int>(std::lround(Shown.height() * ratio)));
    size = size.boundedTo(own).expandedTo(Shown);
    const QSize stored = Opened.Swapped() ? size.transposed() : size;
    QImage picture = UprightImage(Opened.DecodeAtLeast(static_cast<std::uint32_t>(stored.width()),
                                                       static_cast<std::uint32_t>(stored.height())),
                                  Opened.Orientation);
    if (picture.size() != size) {
        picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    picture.setDevicePixelRatio(double(size.width()) / Shown.width());
    return picture;
}

} // namespace

QImage PreviewPicture(const QString& Path, QSize Box, bool Upright, double Ratio) {
    TOpened opened(OnWorker(Path), Upright);
    const QSize own = opened.Size();
    const auto width = static_cast<std::uint32_t>(own.width());
    const auto height = static_cast<std::uint32_t>(own.height());
    const auto boxWidth = static_cast<std::uint32_t>(Box.width());
    const auto boxHeight = static_cast<std::uint32_t>(Box.height());
    if (width <= boxWidth && height <= boxHeight) {
        return UprightImage(opened.Decode(), opened.Orientation);
    }
    // A whole factor, so the picture can stay larger than the box; the box
    // then shows its middle.
    const std::uint32_t factor = width < height ? height / boxHeight : width / boxWidth;
    if (factor == 0) {
        return {};
    }
    return DecodeScaled(
        opened, QSize(static_cast<int>(width / factor), static_cast<int>(height / factor)), Ratio);
}

QImage ThumbnailPicture(const QString& Path, int Size, bool Upright, double Ratio) {
    try {
        TOpened opened(OnWorker(Path), Upright);
        QSize fit = opened.Size();
        // Small pictures are not blown up.
        if (fit.width() > Size || fit.height() > Size) {
            fit = fit.scaled(Size, Size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        }
        return DecodeScaled(opened, fit, Ratio);
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace vorpane
