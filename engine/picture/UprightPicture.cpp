#include "picture/UprightPicture.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vorpane {

TUprightPicture::TUprightPicture(TBitmap24 Stored, int Orientation) : stored_(std::move(Stored)) {
    const auto pixel = std::ptrdiff_t{3};
    const auto row = static_cast<std::ptrdiff_t>(stored_.RowBytes());
    const std::ptrdiff_t lastColumn = stored_.Width() > 0 ? (stored_.Width() - 1) * pixel : 0;
    const std::ptrdiff_t lastRow = stored_.Height() > 0 ? (stored_.Height() - 1) * row : 0;
    // Across the upright picture, then down it, in the stored one.
    struct TSteps {
        std::ptrdiff_t Origin, X, Y;
    };
    const TSteps steps = [&]() -> TSteps {
        switch (Orientation) {
        case 2: // mirrored left to right
            return {lastColumn, -pixel, row};
        case 3: // turned half round
            return {lastRow + lastColumn, -pixel, -row};
        case 4: // mirrored top to bottom
            return {lastRow, pixel, -row};
        case 5: // mirrored along the diagonal from the top left
            return {0, row, pixel};
        case 6: // to be turned a quarter clockwise
            return {lastRow, -row, pixel};
        case 7: // mirrored along the other diagonal
            return {lastRow + lastColumn, -row, -pixel};
        case 8: // to be turned a quarter anticlockwise
            return {lastColumn, row, -pixel};
        default:
            return {0, pixel, row};
        }
    }();
    origin_ = steps.Origin;
    stepX_ = steps.X;
    stepY_ = steps.Y;
    const bool sideways = Orientation >= 5 && Orientation <= 8;
    width_ = sideways ? stored_.Height() : stored_.Width();
    height_ = sideways ? stored_.Width() : stored_.Height();
}

void TUprightPicture::ReadRows(const TRowsProc& Take) const {
    if (width_ == 0) {
        return;
    }
    TBitmap24 band(width_, kBandRows);
    const std::uint8_t* rows[kBandRows];
    const std::uint8_t* base = stored_.Row(0);
    for (std::uint32_t top = 0; top < height_; top += kBandRows) {
        const std::uint32_t count = std::min<std::uint32_t>(kBandRows, height_ - top);
        // Across first, the band's rows inside: a sideways picture's band
        // is a few neighbouring stored columns, read a stored row at a time.
        for (std::uint32_t x = 0; x < width_; ++x) {
            std::ptrdiff_t at = origin_ + static_cast<std::ptrdiff_t>(x) * stepX_ +
                                static_cast<std::ptrdiff_t>(top) * stepY_;
            for (std::uint32_t r = 0; r < count; ++r, at += stepY_) {
                std::memcpy(band.Row(r) + std::size_t{x} * 3, base + at, 3);
            }
        }
        for (std::uint32_t r = 0; r < count; ++r) {
            rows[r] = band.Row(r);
        }
        Take(rows, count);
    }
}

} // namespace vorpane
