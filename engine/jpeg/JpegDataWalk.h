// The walk over a JPEG file's entropy-coded data, without decoding it: a
// file embedded as it is reaches the reader unchecked, so what a decoder
// would stumble over is looked for here, at about the speed of reading the
// file. Markers may stand only where a decoder takes them (restart markers
// in order, the next scan's tables and header, the end of the image), there
// are no more scans than the decoder takes, and each scan holds at least the
// bits its blocks need.
#pragma once

#include "FileHandle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorpane {

// What the walk found, the first fault from the start of the data on.
enum class TJpegData {
    jdWhole,        // every scan's data, then the end-of-image marker
    jdNoEnd,        // the file ends before its end-of-image marker
    jdEndsEarly,    // less data than the frame header declares
    jdCorrupt,      // a marker where none may stand, or a scan header no decoder takes
    jdTooManyScans, // more than kMaxScans scans
};

struct TJpegComponent {
    std::uint8_t Id = 0;
    std::uint8_t H = 0; // sampling factors, 1 to 4
    std::uint8_t V = 0;
};

// What the walk needs of the headers before the first scan.
struct TJpegFrame {
    bool Progressive = false;
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::vector<TJpegComponent> Components;
    std::uint16_t RestartInterval = 0; // the last DRI before the first scan
};

// Walks File from ScanHeader, the first scan header's length (just past its
// FF DA marker), to the end-of-image marker.
TJpegData WalkJpegData(const TFileHandle& File, std::int64_t ScanHeader, const TJpegFrame& Frame);

// What a walk's answer means, in words for a message: "the picture is
// incomplete (...)" for a page that shows what there is.
std::string JpegDataText(TJpegData Data);

} // namespace vorpane
