#include "run/QualitySearch.h"

namespace vorpane {

TQualityChoice HighestQualityWithin(std::int64_t Limit, int Highest,
                                    const std::function<std::optional<std::int64_t>(int)>& SizeAt) {
    // fits: the highest quality known to fit (0: none yet); over: the
    // lowest known not to (Highest + 1: none yet).
    int fits = 0;
    int over = Highest + 1;
    TQualityChoice choice;
    std::int64_t overSize = 0;
    int quality = Highest;
    while (over - fits > 1) {
        const std::optional<std::int64_t> size = SizeAt(quality);
        if (!size) {
            choice.Stopped = true;
            return choice;
        }
        if (*size <= Limit) {
            fits = quality;
            choice.Size = *size;
        } else {
            over = quality;
            overSize = *size;
        }
        quality = fits + (over - fits) / 2;
    }
    choice.Quality = fits;
    if (fits == 0) {
        choice.Size = overSize; // quality 1's, the last tried
    }
    return choice;
}

} // namespace vorpane
