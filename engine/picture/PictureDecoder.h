// One picture decoder per kind of file, behind one interface: the header
// first (size, orientation, colour profile), then the pixels, all at once
// or a band of rows at a time. OpenPictureDecoder picks the decoder by the
// file's first bytes, so that a PNG named .jpg still decodes; TPictureFile
// decides by the name which files are pictures at all.
//
// Every decoder refuses a header that claims more than kMaxPictureSide on
// a side or kMaxPicturePixels pixels with EPictureError before it allocates
// the pixels, as the JPEG decoder does.
#pragma once

#include "bitmap/Bitmap24.h"
#include "jpeg/JpegDecoder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorpane {

// The longest side a picture may have: a JPEG's frame header can't say
// more, and a page of the document is made of one unit per pixel.
inline constexpr std::uint32_t kMaxPictureSide = 65535;

// What a file's first bytes say it is.
enum class TPictureKind {
    pkUnknown,
    pkJpeg,
    pkPng,
    pkWebp,
    pkHeif, // HEIC, AVIF and the other HEIF brands libheif reads
};

// The kind of the file whose first bytes (up to 32 are looked at) are
// Head; pkUnknown when none of the decoders knows them.
TPictureKind PictureKindOf(const std::uint8_t* Head, std::size_t Size);

// The kind FileName's first bytes say; pkUnknown also for a file that
// can't be read. Never throws.
TPictureKind ReadPictureKind(const std::string& FileName);

// Whether a decoded picture of this kind holds every sample of its file:
// a PNG and a lossless WebP do, a JPEG, a HEIF picture and a lossy WebP
// don't.
bool IsLosslessPicture(const std::string& FileName, TPictureKind Kind);

class TPictureDecoder {
public:
    virtual ~TPictureDecoder() = default;

    // From the header: the size as the picture is shown (a HEIF picture's
    // own rotation and mirroring applied).
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    // The EXIF orientation still to be applied (1 to 8); 1 when none.
    int Orientation() const { return orientation_; }
    // The ICC profile the file carries for the pixels as they are decoded;
    // empty when none does.
    const std::vector<std::uint8_t>& IccProfile() const { return profile_; }
    // Whether the picture has an alpha channel (or a transparent colour).
    bool HasAlpha() const { return alpha_; }

    // A decode that takes long asks StopRequested now and then, when the
    // decoder can; see TJpegDecoder::SetStopTest.
    virtual void SetStopTest(std::function<bool()> /*StopRequested*/) {}
    // After decoding: what was wrong with data that decoded anyway.
    virtual std::string Incomplete() const { return {}; }

    // The pixels as 8-bit RGB, transparent parts laid over white, once:
    // ReadAll or ReadRows (kBandRows rows at a time at most).
    virtual TBitmap24 ReadAll() = 0;
    virtual void ReadRows(const TRowsProc& Take);

    // Instead of ReadAll, for a picture that HasAlpha: its colour as it
    // is stored (straight, not laid over anything) and its alpha, Width x
    // Height bytes row by row, in Alpha.
    virtual TBitmap24 ReadWithAlpha(std::vector<std::uint8_t>& Alpha) {
        Alpha.clear();
        return ReadAll();
    }

protected:
    // What the accessors above give: each decoder sets them from the
    // header when it opens its file.
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    int orientation_ = 1;
    std::vector<std::uint8_t> profile_;
    bool alpha_ = false;
};

// The decoder for FileName by its first bytes, Fallback when they are of
// no kind a decoder knows (its decoder then gives its own error). Raises
// EFileError when the file can't be opened, and what the decoder raises
// for a header it refuses.
std::unique_ptr<TPictureDecoder> OpenPictureDecoder(const std::string& FileName,
                                                    TPictureKind Fallback);

// Raises EPictureError unless Width x Height is a size the decoders take:
// each side 1 to kMaxPictureSide, at most kMaxPicturePixels pixels.
void CheckDecodedSize(std::uint64_t Width, std::uint64_t Height);

// Lays 8-bit RGBA pixels (Stride bytes a row, straight or premultiplied
// alpha) over white into Bitmap, which has their size already.
void RgbaOverWhite(const std::uint8_t* Pixels, std::size_t Stride, bool Premultiplied,
                   TBitmap24& Bitmap);

// Splits 8-bit straight RGBA pixels, row by row without padding, into
// Bitmap (which has their size already) and Alpha.
void SplitRgba(const std::uint8_t* Pixels, TBitmap24& Bitmap, std::vector<std::uint8_t>& Alpha);

// The EXIF orientation of Exif data as PNG, WebP and HEIF files hold it: a
// TIFF header and its directories, with or without the "Exif" and two zero
// bytes a JPEG segment begins with; 1 when there is none. Never throws.
int ExifOrientationOfTiff(const std::vector<std::uint8_t>& Exif);

// Reads all of FileName; EFileError when it can't be opened or read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& FileName);

} // namespace vorpane
