// The JPEG frame-header scan: what the PDF writer needs to know of a file
// (its size and colour model) and whether it can be embedded as it is,
// found without decoding anything. On the way it can hand over the bytes of
// the segments a run needs besides (Exif, the ICC profile), so a file is
// opened once for its test.
#pragma once

#include "jpeg/JpegDataWalk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorpane {

struct TJpegInfo {
    bool IsCMYK = false;    // 4 components; false for 3
    std::int32_t Width = 0; // from the frame header, 1 to 65535
    std::int32_t Height = 0;
    bool IsGrey = false; // 1 component (jcGrey)
    // The file holds no JPEG but 8-bit RGB samples, row by row, compressed
    // with zlib (FlateDecode): a lossless picture made ready for the
    // document. Never set by the scan.
    bool IsFlate = false;
    // With IsFlate: the samples are a PNG's image data, each row after its
    // filter type byte (PNG's predictors), grey when IsGrey, indices into
    // Palette when it has colours, of BitsPerComponent bits each.
    bool PngPredictors = false;
    int BitsPerComponent = 8;
    // Red, green, blue of each colour of an indexed picture's palette.
    std::vector<std::uint8_t> Palette{};
};

// Why a file can or can't be embedded, as the frame-header scan found it.
enum class TJpegCheck {
    jcEmbeddable, // a baseline or progressive frame with 3 or 4 components
    jcCannotOpen, // missing, unreadable or not a regular file
    jcNotJpeg,    // no start-of-image marker
    jcNoFrame,    // no baseline or progressive frame header before the end
    jcComponents, // such a frame, but with a component count other than 1, 3 or 4
    jcGrey,       // such a frame with 1 component: embeddable only where grey is asked for
    jcEmptyFrame, // a frame of width 0 or height 0
    jcNoScan,     // a frame header, but no scan (start-of-scan marker) after it
};

// What the scan hands over besides the frame header, each part only when
// asked for (the Want fields).
struct TJpegExtras {
    bool WantExif = false;
    bool WantIccProfile = false;
    bool WantData = false;
    // The contents of the first APP1 segment before the first scan that
    // begins with the Exif header ("Exif" and two zero bytes), as far as the
    // file holds them; empty when there is none.
    std::vector<std::uint8_t> Exif;
    // The ICC profile of the APP2 "ICC_PROFILE" segments before the first
    // scan, joined in sequence order (JoinIccSegments); empty when there is
    // none or it is damaged.
    std::vector<std::uint8_t> IccProfile;
    // What the walk over the entropy-coded data (WalkJpegData) found;
    // jdNoEnd when not asked for.
    TJpegData Data = TJpegData::jdNoEnd;
    // The file's size when it was opened, as FileSizeOf gives it; always
    // filled.
    std::int64_t FileSize = 0;
};

// Scans the frame header and on to the first scan; Info is filled for
// jcEmbeddable and jcGrey. Extras, when given, receives what it asks for:
// Exif whatever the answer, the profile and the data's walk only for
// jcEmbeddable and jcGrey. Never throws.
TJpegCheck CheckJpegFile(const std::string& FileName, TJpegInfo& Info,
                         TJpegExtras* Extras = nullptr);

// The EXIF segment's contents of FileName as CheckJpegFile finds them;
// empty when it has none. Never throws.
std::vector<std::uint8_t> ReadJpegExif(const std::string& FileName);

// What a check result means, in words for a message.
const char* JpegCheckText(TJpegCheck Check);

// True when FileName is a JPEG whose first frame header is baseline (SOF0) or
// progressive (SOF2) with 3 or 4 components, a width and height of at least
// 1 and a scan after it; Info then holds its size and colour model. Never
// throws.
bool ReadJpegInfo(const std::string& FileName, TJpegInfo& Info);

} // namespace vorpane
