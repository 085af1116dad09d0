// Reads a JPEG file with libjpeg in two steps: the header first, which gives
// the picture's full size, then the pixels, as RGB at full size or at one of
// libjpeg's reduced scales M/8. The image preparation decodes at full size
// with the library's default settings; the preview decodes just large enough
// for its box.
//
// Errors: EFileError when the file can't be opened or read (a folder, a FIFO
// and a device are refused); EJpegError "JPEG error #N" with libjpeg's
// message number when libjpeg refuses the data; EPictureError when the header
// claims more than kMaxPicturePixels pixels, raised before anything large is
// allocated, or when decoding would need more than kMaxDecodeBytes, and when
// a file has more than kMaxScans scans. libjpeg's warnings are not errors: a
// truncated or damaged file decodes as far as its data goes, as libjpeg
// decodes it, and Incomplete() then says so.
#pragma once

#include "bitmap/Bitmap24.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorpane {

// The memory one decode may take: the bitmap plus what libjpeg holds itself.
// A progressive (or multi-scan) picture keeps all its coefficients while it
// decodes, two bytes for each of its samples; a small damaged file claiming
// a size near the pixel limit would otherwise need gigabytes for them.
inline constexpr std::uint64_t kMaxDecodeBytes = std::uint64_t{512} << 20;

// The most scans a file may have. Each scan of a progressive file passes
// over the whole picture again: a small file of thousands of scans would
// take minutes to decode, while a photograph has about ten.
inline constexpr int kMaxScans = 1000;

// Receives Count rows of a picture, top to bottom, as pointers valid until
// it returns.
using TRowsProc = std::function<void(const std::uint8_t* const* Rows, std::uint32_t Count)>;

class TJpegDecoder {
public:
    // Opens FileName and reads its header.
    explicit TJpegDecoder(const std::string& FileName);
    ~TJpegDecoder();
    TJpegDecoder(const TJpegDecoder&) = delete;
    TJpegDecoder& operator=(const TJpegDecoder&) = delete;

    // Asks the decoding to end early: a decode still going on half a
    // second after StopRequested first answered true is abandoned with
    // EStoppedError, so that a picture that takes long doesn't hold up a
    // stop, while one that is nearly done is finished. StopRequested is
    // asked from the decoding thread and must not throw.
    void SetStopTest(std::function<bool()> StopRequested);

    // After decoding: what is wrong with the data when libjpeg had to warn
    // of it, "premature end of data" or "corrupt data"; "" when nothing.
    std::string Incomplete() const;

    // The EXIF orientation (1 to 8) of the file's first Exif APP1 segment
    // before its frame header, kept while the header was read; 1 when it
    // has none. As ReadExifOrientation gives it, without opening the file
    // again.
    int Orientation() const;

    // Full size, from the header.
    std::uint32_t Width() const;
    std::uint32_t Height() const;

    // The components stored: 1 grey, 3 YCbCr or RGB, 4 CMYK or YCCK.
    int Components() const;
    // The ICC profile of the file's APP2 segments (JoinIccSegments); empty
    // when it has none or it is damaged.
    const std::vector<std::uint8_t>& IccProfile() const;

    // Decodes the pixels at full size with libjpeg's default settings into
    // RGB: a grey picture gives equal channels, a CMYK or YCCK one is
    // converted to sRGB by TCmykToRgb from its own profile or the standard
    // one (Adobe's inverted CMYK when the file carries Adobe's marker, plain
    // CMYK otherwise). Drains the message queue all along, also
    // while libjpeg reads a progressive file; an error the drain raises comes
    // out of Decode as it is. A decoder decodes once: with Decode,
    // DecodeAtLeast or DecodeRows.
    TBitmap24 Decode();

    // The same at the smallest of libjpeg's scales M/8, M = 1 ... 8, at which
    // the picture is at least MinWidth x MinHeight; full size when even that
    // is smaller than asked.
    TBitmap24 DecodeAtLeast(std::uint32_t MinWidth, std::uint32_t MinHeight);

    // The pixels of Decode, handed to Take kBandRows rows at a time (fewer
    // only at the end) as they are decoded, so that the whole picture is
    // never held. An error Take raises ends the decoding and comes out as
    // it is.
    void DecodeRows(const TRowsProc& Take);

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

} // namespace vorpane
