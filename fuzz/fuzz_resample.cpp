// ResampleBitmap on small bitmaps (sides 1 to 64) scaled to sizes from 1 to
// 64 per side with either filter. Every such call must succeed; a bitmap of
// one colour must come out in that colour; scaling in place must give the
// same pixels as scaling into a separate bitmap. The same bitmaps are turned
// upright by an EXIF orientation (TUprightPicture) and back by the opposite
// turn, which must give the bitmap again.
#include "FuzzSupport.h"

#include "picture/UprightPicture.h"
#include "prepare/JpegUtils.h"

#include <cstdint>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace vorpane;

TBitmap24 Turned(const TBitmap24& bitmap, int orientation) {
    const TUprightPicture upright(bitmap, orientation);
    TBitmap24 turned(upright.Width(), upright.Height());
    std::uint32_t y = 0;
    upright.ReadRows([&turned, &y](const std::uint8_t* const* rows, std::uint32_t count) {
        for (std::uint32_t r = 0; r < count; ++r, ++y) {
            std::memcpy(turned.Row(y), rows[r], turned.RowBytes());
        }
    });
    return turned;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto width = input.ConsumeIntegralInRange<std::uint32_t>(1, 64);
    const auto height = input.ConsumeIntegralInRange<std::uint32_t>(1, 64);
    const auto newWidth = input.ConsumeIntegralInRange<std::uint16_t>(1, 64);
    const auto newHeight = input.ConsumeIntegralInRange<std::uint16_t>(1, 64);
    const int filter = input.ConsumeBool() ? kLanczos3Filter : kTriangleFilter;
    const bool constant = input.ConsumeBool();

    TBitmap24 source(width, height);
    std::uint8_t colour[3] = {};
    if (constant) {
        input.ConsumeData(colour, sizeof colour);
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = source.Row(y);
        if (constant) {
            for (std::uint32_t x = 0; x < width; ++x) {
                std::memcpy(row + 3 * x, colour, 3);
            }
        } else {
            // What the input doesn't fill stays black.
            input.ConsumeData(row, source.RowBytes());
        }
    }

    TBitmap24 dest;
    if (!ResampleBitmap(&source, &dest, newWidth, newHeight, filter)) {
        fuzz::Fail("ResampleBitmap refused " + std::to_string(width) + " x " +
                   std::to_string(height) + " to " + std::to_string(newWidth) + " x " +
                   std::to_string(newHeight));
    }
    if (dest.Width() != newWidth || dest.Height() != newHeight) {
        fuzz::Fail("the result has the wrong size");
    }
    if (constant) {
        for (std::uint32_t y = 0; y < dest.Height(); ++y) {
            const std::uint8_t* row = dest.Row(y);
            for (std::uint32_t x = 0; x < dest.Width(); ++x) {
                if (std::memcmp(row + 3 * x, colour, 3) != 0) {
                    fuzz::Fail("one colour scaled " + std::to_string(width) + " x " +
                               std::to_string(height) + " to " + std::to_string(newWidth) + " x " +
                               std::to_string(newHeight) + " (filter " + std::to_string(filter) +
                               ") changed at " + std::to_string(x) + ", " + std::to_string(y));
                }
            }
        }
    }
    TBitmap24 inPlace = source;
    if (!ResampleBitmap(&inPlace, nullptr, newWidth, newHeight, filter) || !(inPlace == dest)) {
        fuzz::Fail("scaling in place gives other pixels than scaling into a new bitmap");
    }

    const int orientation = input.ConsumeIntegralInRange<int>(1, 8);
    const TBitmap24 turned = Turned(source, orientation);
    const bool sideways = orientation >= 5;
    if (turned.Width() != (sideways ? height : width) ||
        turned.Height() != (sideways ? width : height)) {
        fuzz::Fail("orientation " + std::to_string(orientation) + " gives the wrong size");
    }
    // A quarter turn one way (6) undoes one the other way (8); every other
    // turn or mirroring undoes itself.
    const int undo = orientation == 6 ? 8 : orientation == 8 ? 6 : orientation;
    if (!(Turned(turned, undo) == source)) {
        fuzz::Fail("orientation " + std::to_string(orientation) + " and " + std::to_string(undo) +
                   " don't give the bitmap back");
    }
    return 0;
}
