// The opt-in page settings of a conversion: pictures turned upright by
// their EXIF orientation, pages of a paper size with margins, or pages at a
// resolution. A default TPageLayout is the fixed layout: every page as large
// as its picture, one pixel to one point, the picture as stored.
#pragma once

#include "pdf/PagePlacement.h"

#include <cstdint>

namespace vorpane {

struct TPageLayout {
    // Undo each photograph's EXIF orientation: "Original size" places the
    // unchanged JPEG turned and mirrored, "Same size" turns the pixels
    // before scaling.
    bool AutoOrient = false;
    // Paper in points, either way round: each page takes the paper turned
    // as the picture is (landscape pictures on landscape paper), the
    // picture scaled to fit inside the margins, centred. 0: no paper.
    double PaperWidth = 0;
    double PaperHeight = 0;
    double Margin = 0; // points, on every side of the paper
    // Without paper: the picture's pixels per inch; 0 for 72, one pixel to
    // one point.
    std::uint32_t Dpi = 0;
};

// The longest side of a page PDF readers draw (200 inches), in points.
inline constexpr double kMaxPageSide = 14400;

// The page of a Width x Height picture (as stored) whose EXIF Orientation
// (1 to 8; anything else counts as 1) is to be undone. The fixed layout's
// placement (FixedPlacement) when Layout has no paper, no Dpi and
// Orientation is 1. Without paper, a picture whose page would pass
// kMaxPageSide gets the smallest resolution at which it fits, its longer
// side kMaxPageSide; ReducedDpi, when given, then receives that resolution
// in pixels per inch, else 0.
TPagePlacement PlacePage(const TPageLayout& Layout, std::int32_t Width, std::int32_t Height,
                         int Orientation, double* ReducedDpi = nullptr);

} // namespace vorpane
