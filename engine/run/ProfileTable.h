// The distinct ICC profiles of a run's pictures, each kept once however
// many pages share it, for the document's /ICCBased objects.
#pragma once

#include "pdf/PdfWriter.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace vorpane {

// The most bytes of distinct profiles a run keeps in memory: far beyond any
// album's (a profile is a few kilobytes, a printer's CMYK one a megabyte or
// two), and a bound for files made to exhaust memory with large ones.
inline constexpr std::size_t kMaxProfileBytes = std::size_t{64} << 20;

class TProfileTable {
public:
    // The index of Profile among the profiles kept, added when it is new;
    // -1 for none when it is empty, doesn't fit a picture of Components
    // components (ProfileFits), or would pass kMaxProfileBytes.
    std::int32_t Add(std::vector<std::uint8_t> Profile, int Components);

    // The profiles in the order they were added; the table is empty after.
    std::vector<TColourProfile> Release();

private:
    std::vector<TColourProfile> profiles_;
    std::unordered_multimap<std::size_t, std::int32_t> byHash_;
    std::size_t bytes_ = 0;
};

} // namespace vorpane
