// Where a page's picture goes: the size of the page box and the matrix that
// takes the image's unit square onto the page, in points (1/72 inch).
#pragma once

#include <array>
#include <cstdint>

namespace vorpane {

struct TPagePlacement {
    double Width = 0; // the page box, from (0, 0)
    double Height = 0;
    // The content stream's "a b c d e f cm": the unit square's (s, t) lands
    // at (a s + c t + e, b s + d t + f).
    std::array<double, 6> Matrix{};
};

// The fixed layout: a page of Width x Height points, the picture over all of
// it, one pixel to one point.
inline TPagePlacement FixedPlacement(std::int32_t Width, std::int32_t Height) {
    const auto width = static_cast<double>(Width);
    const auto height = static_cast<double>(Height);
    return {width, height, {width, 0, 0, height, 0, 0}};
}

} // namespace vorpane
