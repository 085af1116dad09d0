// The highest JPEG quality at which a document stays within a size limit.
// A document's size grows with the quality its pictures are encoded at, so
// the quality is found by halving the range between the highest known to
// fit and the lowest known not to: at most eight sizes from 1 ... 100.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace vorpane {

struct TQualityChoice {
    // The highest quality that fits; 0 when not even quality 1 does.
    int Quality = 0;
    // The document's size at Quality, or at quality 1 when none fits.
    std::int64_t Size = 0;
    bool Stopped = false;
};

// SizeAt(q) gives the document's size at quality q, or nothing after a
// stop. Highest (1 ... 100) is tried first; the answer fits, and the
// quality one higher, up to Highest, was found not to.
TQualityChoice HighestQualityWithin(std::int64_t Limit, int Highest,
                                    const std::function<std::optional<std::int64_t>(int)>& SizeAt);

} // namespace vorpane
