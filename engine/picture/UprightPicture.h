// A decoded picture seen upright: its EXIF orientation (1 to 8) undone as
// its rows are read, a band at a time, so that the turned picture never
// needs a second full-size bitmap.
#pragma once

#include "bitmap/Bitmap24.h"
#include "jpeg/JpegDecoder.h"

#include <cstddef>
#include <cstdint>

namespace vorpane {

class TUprightPicture {
public:
    // Stored is the picture as decoded; an Orientation outside 1 to 8
    // counts as 1.
    TUprightPicture(TBitmap24 Stored, int Orientation);

    // The upright size: the stored one, its sides swapped for 5 to 8.
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }

    // The upright picture's rows, top to bottom, kBandRows at a time (fewer
    // only at the end).
    void ReadRows(const TRowsProc& Take) const;

private:
    TBitmap24 stored_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    // Upright pixel (x, y) is the stored one at origin_ + x * stepX_ +
    // y * stepY_ bytes.
    std::ptrdiff_t origin_ = 0;
    std::ptrdiff_t stepX_ = 0;
    std::ptrdiff_t stepY_ = 0;
};

} // namespace vorpane
