// The named paper sizes that vorpane-convert's --paper and the window's page
// options offer, the millimetre in points and the highest resolution: one
// place for both, so the same choice gives the same pages from either.
#pragma once

#include <array>
#include <string_view>

namespace vorpane {

struct TPaperSize {
    std::string_view Name;
    double Width; // points, portrait
    double Height;
};

inline constexpr std::array<TPaperSize, 5> kPaperSizes = {{{"A3", 842, 1191},
                                                           {"A4", 595, 842},
                                                           {"A5", 420, 595},
                                                           {"Letter", 612, 792},
                                                           {"Legal", 612, 1008}}};

inline constexpr double kPointsPerMillimetre = 72 / 25.4;

// The highest resolution (--dpi) of pages as large as their pictures.
inline constexpr int kMaxDpi = 65535;

// The paper of that name, its ASCII letters in any case; nullptr for none.
const TPaperSize* FindPaperSize(std::string_view Name);

} // namespace vorpane
