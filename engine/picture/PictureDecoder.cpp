#include "picture/PictureDecoder.h"

#include "Errors.h"
#include "FileHandle.h"
#include "jpeg/ExifOrientation.h"
#include "picture/HeifDecoder.h"
#include "picture/PngDecoder.h"
#include "picture/WebpDecoder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <libheif/heif.h>

namespace vorpane {

namespace {

bool StartsWith(const std::uint8_t* head, std::size_t size, const char* magic, std::size_t at = 0) {
    const std::size_t length = std::strlen(magic);
    return size >= at + length && std::memcmp(head + at, magic, length) == 0;
}

// A JPEG at full size, the rows handed over as libjpeg decodes them.
class TJpegPictureDecoder : public TPictureDecoder {
public:
    explicit TJpegPictureDecoder(const std::string& fileName) : jpeg_(fileName) {
        width_ = jpeg_.Width();
        height_ = jpeg_.Height();
        orientation_ = jpeg_.Orientation();
        // A grey or CMYK picture is decoded into RGB: its own profile no
        // longer describes the pixels given, whatever its colour space.
        if (jpeg_.Components() == 3) {
            profile_ = jpeg_.IccProfile();
        }
    }
    void SetStopTest(std::function<bool()> StopRequested) override {
        jpeg_.SetStopTest(std::move(StopRequested));
    }
    std::string Incomplete() const override { return jpeg_.Incomplete(); }
    TBitmap24 ReadAll() override { return jpeg_.Decode(); }
    void ReadRows(const TRowsProc& Take) override { jpeg_.DecodeRows(Take); }

private:
    TJpegDecoder jpeg_;
};

} // namespace

TPictureKind PictureKindOf(const std::uint8_t* Head, std::size_t Size) {
    if (StartsWith(Head, Size, "\xFF\xD8\xFF")) {
        return TPictureKind::pkJpeg;
    }
    if (StartsWith(Head, Size, "\x89PNG\r\n\x1A\n")) {
        return TPictureKind::pkPng;
    }
    if (StartsWith(Head, Size, "RIFF") && StartsWith(Head, Size, "WEBP", 8)) {
        return TPictureKind::pkWebp;
    }
    if (heif_check_filetype(Head, static_cast<int>(std::min<std::size_t>(Size, 32))) ==
        heif_filetype_yes_supported) {
        return TPictureKind::pkHeif;
    }
    return TPictureKind::pkUnknown;
}

TPictureKind ReadPictureKind(const std::string& FileName) {
    const TFileHandle file = TFileHandle::OpenForReading(FileName);
    std::uint8_t head[32];
    const std::int64_t got = file.Valid() ? file.Read(head, sizeof head) : -1;
    return got > 0 ? PictureKindOf(head, static_cast<std::size_t>(got)) : TPictureKind::pkUnknown;
}

bool IsLosslessPicture(const std::string& FileName, TPictureKind Kind) {
    switch (Kind) {
    case TPictureKind::pkPng:
        return true;
    case TPictureKind::pkWebp:
        return IsLosslessWebp(FileName);
    default:
        return false;
    }
}

void TPictureDecoder::ReadRows(const TRowsProc& Take) {
    ReadBands<kBandRows>(ReadAll(), Take);
}

std::unique_ptr<TPictureDecoder> OpenPictureDecoder(const std::string& FileName,
                                                    TPictureKind Fallback) {
    const TPictureKind kind = ReadPictureKind(FileName);
    switch (kind != TPictureKind::pkUnknown ? kind : Fallback) {
    case TPictureKind::pkPng:
        return std::make_unique<TPngDecoder>(FileName);
    case TPictureKind::pkWebp:
        return std::make_unique<TWebpDecoder>(FileName);
    case TPictureKind::pkHeif:
        return std::make_unique<THeifDecoder>(FileName);
    default:
        return std::make_unique<TJpegPictureDecoder>(FileName);
    }
}

void CheckDecodedSize(std::uint64_t Width, std::uint64_t Height) {
    if (Width == 0 || Height == 0) {
        throw EPictureError("The picture has no pixels");
    }
    if (Width > kMaxPictureSide || Height > kMaxPictureSide) {
        throw ETooLargeError("Picture too large (" + std::to_string(Width) + " x " +
                             std::to_string(Height) + " pixels; at most " +
                             std::to_string(kMaxPictureSide) + " on a side)");
    }
    TBitmap24::CheckPictureSize(Width, Height);
}

void RgbaOverWhite(const std::uint8_t* Pixels, std::size_t Stride, bool Premultiplied,
                   TBitmap24& Bitmap) {
    for (std::uint32_t y = 0; y < Bitmap.Height(); ++y) {
        const std::uint8_t* in = Pixels + y * Stride;
        std::uint8_t* out = Bitmap.Row(y);
        for (std::uint32_t x = 0; x < Bitmap.Width(); ++x, in += 4, out += 3) {
            const unsigned alpha = in[3];
            for (int c = 0; c < 3; ++c) {
                // White shows through where the picture is transparent.
                const unsigned colour = Premultiplied ? in[c] * 255u : in[c] * alpha;
                out[c] = static_cast<std::uint8_t>(
                    std::min(255u, (colour + (255u - alpha) * 255u + 127u) / 255u));
            }
        }
    }
}

int ExifOrientationOfTiff(const std::vector<std::uint8_t>& Exif) {
    static constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    if (Exif.size() >= 6 && std::equal(kExifHeader, kExifHeader + 6, Exif.begin())) {
        return ExifOrientationOf(Exif);
    }
    std::vector<std::uint8_t> segment(6 + Exif.size());
    std::copy_n(kExifHeader, 6, segment.begin());
    std::copy(Exif.begin(), Exif.end(), segment.begin() + 6);
    return ExifOrientationOf(segment);
}

void SplitRgba(const std::uint8_t* Pixels, TBitmap24& Bitmap, std::vector<std::uint8_t>& Alpha) {
    Alpha.resize(std::size_t{Bitmap.Width()} * Bitmap.Height());
    std::uint8_t* alpha = Alpha.data();
    for (std::uint32_t y = 0; y < Bitmap.Height(); ++y) {
        std::uint8_t* out = Bitmap.Row(y);
        for (std::uint32_t x = 0; x < Bitmap.Width(); ++x, Pixels += 4, out += 3) {
            std::copy_n(Pixels, 3, out);
            *alpha++ = Pixels[3];
        }
    }
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& FileName) {
    const TFileHandle file = TFileHandle::OpenForReading(FileName);
    if (!file.Valid()) {
        const int err = errno;
        throw EFileError("Cannot open file " + SystemErrorText(FileName, err), err);
    }
    std::vector<std::uint8_t> bytes;
    const std::int64_t size = file.Size();
    bytes.reserve(size > 0 ? static_cast<std::size_t>(size) : 0);
    std::uint8_t block[65536];
    for (;;) {
        const std::int64_t got = file.Read(block, sizeof block);
        if (got < 0) {
            const int err = errno;
            throw EFileError("Cannot read file " + SystemErrorText(FileName, err), err);
        }
        if (got == 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), block, block + got);
    }
}

} // namespace vorpane
