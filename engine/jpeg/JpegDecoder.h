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
// allocated, or when decoding would need more than kMaxDecodeBytes. libjpeg's
// warnings are not errors: a truncated or damaged file decodes as far as its
// data goes, as libjpeg decodes it.
#pragma once

#include "picture/Bitmap24.h"

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

// Receives Count rows of a picture, top to bottom, as pointers valid until
// it returns.
using TRowsProc = std::function<void(const std::uint8_t* const* Rows, std::uint32_t Count)>;

class TJpegDecoder {
public:
    // The most rows DecodeRows hands over at once.
    static constexpr std::uint32_t kBandRows = 16;

    // Opens FileName and reads its header.
    explicit TJpegDecoder(const std::string& FileName);
    ~TJpegDecoder();
    TJpegDecoder(const TJpegDecoder&) = delete;
    TJpegDecoder& operator=(const TJpegDecoder&) = delete;

    // Full size, from the header.
    std::uint32_t Width() const;
    std::uint32_t Height() const;

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
