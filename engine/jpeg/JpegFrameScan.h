// The JPEG frame-header scan: what the PDF writer needs to know of a file
// (its size and colour model) and whether it can be embedded as it is,
// found without decoding anything.
#pragma once

#include <cstdint>
#include <string>

namespace vorpane {

struct TJpegInfo {
    bool IsCMYK = false;    // 4 components; false for 3
    std::int32_t Width = 0; // from the frame header, 0 to 65535
    std::int32_t Height = 0;
};

// Why a file can or can't be embedded, as the frame-header scan found it.
enum class TJpegCheck {
    jcEmbeddable, // a baseline or progressive frame with 3 or 4 components
    jcCannotOpen, // missing, unreadable or not a regular file
    jcNotJpeg,    // no start-of-image marker
    jcNoFrame,    // no baseline or progressive frame header before the end
    jcComponents, // such a frame, but with a component count other than 3 or 4
};

// Where a segment's contents lie in a file: after its marker and length.
struct TJpegSegment {
    std::int64_t Offset = 0;
    std::int64_t Length = 0; // 0: no such segment
};

// Scans the frame header; Info is filled only for jcEmbeddable. Exif, when
// given, receives the contents of the first APP1 segment that begins with
// the Exif header ("Exif" and two zero bytes) among those the scan passes,
// whatever the answer. Never throws.
TJpegCheck CheckJpegFile(const std::string& FileName, TJpegInfo& Info,
                         TJpegSegment* Exif = nullptr);

// What a check result means, in words for a message.
const char* JpegCheckText(TJpegCheck Check);

// True when FileName is a JPEG whose first frame header is baseline (SOF0) or
// progressive (SOF2) with 3 or 4 components; Info then holds its size and
// colour model. Never throws.
bool ReadJpegInfo(const std::string& FileName, TJpegInfo& Info);

} // namespace vorpane
