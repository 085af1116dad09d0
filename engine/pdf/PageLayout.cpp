#include "pdf/PageLayout.h"

#include <algorithm>

namespace vorpane {

namespace {

constexpr double kPointsPerInch = 72;

// The matrix that shows the stored picture upright in the box Width x
// Height at (Left, Bottom). The image's unit square has the picture's first
// row at its top (t = 1) and its first column at its left (s = 0).
std::array<double, 6> UprightMatrix(int orientation, double width, double height, double left,
                                    double bottom) {
    const double right = left + width;
    const double top = bottom + height;
    switch (orientation) {
    case 2: // mirrored left to right
        return {-width, 0, 0, height, right, bottom};
    case 3: // turned half round
        return {-width, 0, 0, -height, right, top};
    case 4: // mirrored top to bottom
        return {width, 0, 0, -height, left, top};
    case 5: // mirrored along the diagonal from the top left
        return {0, -height, -width, 0, right, top};
    case 6: // to be turned a quarter clockwise
        return {0, -height, width, 0, left, top};
    case 7: // mirrored along the other diagonal
        return {0, height, width, 0, left, bottom};
    case 8: // to be turned a quarter anticlockwise
        return {0, height, -width, 0, right, bottom};
    default:
        return {width, 0, 0, height, left, bottom};
    }
}

} // namespace

TPagePlacement PlacePage(const TPageLayout& Layout, std::int32_t Width, std::int32_t Height,
                         int Orientation, double* ReducedDpi) {
    if (ReducedDpi != nullptr) {
        *ReducedDpi = 0;
    }
    const int orientation = Orientation >= 1 && Orientation <= 8 ? Orientation : 1;
    // Orientations 5 to 8 stand the picture on its side.
    const bool sideways = orientation >= 5;
    const double uprightWidth = sideways ? Height : Width;
    const double uprightHeight = sideways ? Width : Height;

    TPagePlacement page;
    double boxWidth = 0;
    double boxHeight = 0;
    double left = 0;
    double bottom = 0;
    if (Layout.PaperWidth > 0 && Layout.PaperHeight > 0) {
        const double shortSide = std::min(Layout.PaperWidth, Layout.PaperHeight);
        const double longSide = std::max(Layout.PaperWidth, Layout.PaperHeight);
        page.Width = Layout.PaperWidth;
        page.Height = Layout.PaperHeight;
        if (uprightWidth > uprightHeight) {
            page.Width = longSide;
            page.Height = shortSide;
        } else if (uprightWidth < uprightHeight) {
            page.Width = shortSide;
            page.Height = longSide;
        }
        const double roomWidth = page.Width - 2 * Layout.Margin;
        const double roomHeight = page.Height - 2 * Layout.Margin;
        // A picture without pixels has nothing to scale: it stays a point.
        const double scale =
            uprightWidth > 0 && uprightHeight > 0 && roomWidth > 0 && roomHeight > 0
                ? std::min(roomWidth / uprightWidth, roomHeight / uprightHeight)
                : 0;
        boxWidth = uprightWidth * scale;
        boxHeight = uprightHeight * scale;
        left = (page.Width - boxWidth) / 2;
        bottom = (page.Height - boxHeight) / 2;
    } else {
        // Multiplied first, divided last: 4032 pixels at 300 dpi are
        // exactly 967.68 points.
        const double dpi = Layout.Dpi > 0 ? Layout.Dpi : kPointsPerInch;
        const double longer = std::max(uprightWidth, uprightHeight);
        if (longer * kPointsPerInch / dpi > kMaxPageSide) {
            // Readers refuse or crawl over a larger page: the page shrinks,
            // the pixels stay. The longer side is the limit exactly.
            boxWidth = page.Width = uprightWidth * kMaxPageSide / longer;
            boxHeight = page.Height = uprightHeight * kMaxPageSide / longer;
            if (ReducedDpi != nullptr) {
                *ReducedDpi = longer * kPointsPerInch / kMaxPageSide;
            }
        } else {
            boxWidth = page.Width = uprightWidth * kPointsPerInch / dpi;
            boxHeight = page.Height = uprightHeight * kPointsPerInch / dpi;
        }
    }
    page.Matrix = UprightMatrix(orientation, boxWidth, boxHeight, left, bottom);
    return page;
}

} // namespace vorpane
