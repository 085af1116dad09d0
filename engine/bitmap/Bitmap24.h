// A 24-bit picture in memory: Width x Height pixels of three bytes each,
// stored row by row without padding, top row first. The image preparation
// keeps red, green, blue in that order so rows go straight to and from
// libjpeg; the resampler treats the three bytes alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vorpane {

// The largest picture the loaders accept: 2^27 = 134,217,728 pixels (384 MiB
// as a bitmap, 16384 x 8192), beyond the photographs of all but the largest
// medium-format backs. A header claiming more is refused before its pixels
// are allocated, so a small file can't make the program claim gigabytes: with
// what the JPEG decoder may hold beside the bitmap (kMaxDecodeBytes) one
// picture stays within 512 MiB.
inline constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 27;

// The rows of a picture handed over at once, by the decoder and the other
// readers of a picture as they read it, and the rows the resampler's
// horizontal pass works on together.
inline constexpr std::int32_t kBandRows = 16;

namespace detail {
// Frees pixel memory: Mapped bytes mapped from the system, or from calloc
// when Mapped is 0 (see Bitmap24.cpp).
struct TPixelRelease {
    std::size_t Mapped = 0;
    void operator()(std::uint8_t* pixels) const;
};
} // namespace detail

class TBitmap24 {
public:
    TBitmap24() = default;
    // Allocates a zeroed Width x Height bitmap (see SetSize).
    TBitmap24(std::uint32_t Width, std::uint32_t Height) { SetSize(Width, Height); }
    TBitmap24(const TBitmap24& other);
    TBitmap24& operator=(const TBitmap24& other);
    TBitmap24(TBitmap24&&) noexcept = default;
    TBitmap24& operator=(TBitmap24&&) noexcept = default;

    // Gives the bitmap a new size with every pixel black; a side of 0 leaves
    // it without pixels. The byte count is checked for overflow before
    // anything is allocated; a size that can't be held raises EPictureError
    // and leaves the bitmap as it was.
    void SetSize(std::uint32_t Width, std::uint32_t Height);

    // Raises EPictureError unless Width x Height stays within
    // kMaxPicturePixels.
    static void CheckPictureSize(std::uint64_t Width, std::uint64_t Height);

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    std::size_t RowBytes() const { return static_cast<std::size_t>(width_) * 3; }

    std::uint8_t* Row(std::uint32_t y) { return pixels_.get() + y * RowBytes(); }
    const std::uint8_t* Row(std::uint32_t y) const { return pixels_.get() + y * RowBytes(); }

    bool operator==(const TBitmap24& other) const;

private:
    using TPixels = std::unique_ptr<std::uint8_t[], detail::TPixelRelease>;
    static TPixels Allocate(std::size_t bytes);

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    TPixels pixels_;
};

// Hands Bitmap's rows to Take(rows, count), top to bottom, BandRows at a
// time (fewer only at the end), as a decoder hands them over.
template <std::uint32_t BandRows, typename F> void ReadBands(const TBitmap24& Bitmap, F&& Take) {
    const std::uint8_t* rows[BandRows];
    for (std::uint32_t top = 0; top < Bitmap.Height(); top += BandRows) {
        const std::uint32_t count = std::min(BandRows, Bitmap.Height() - top);
        for (std::uint32_t r = 0; r < count; ++r) {
            rows[r] = Bitmap.Row(top + r);
        }
        Take(rows, count);
    }
}

} // namespace vorpane
