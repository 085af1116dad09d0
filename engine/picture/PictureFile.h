// A picture file opened for reading: its size first, then its pixels, all at
// once or a band of rows at a time. The decoder is picked by the file name's
// extension, letters in any case: "jpg" and "jpeg" are decoded by
// TJpegDecoder at full size as the rows are asked for; "png" is decoded
// whole when opened, its transparent parts laid over white. "bmp", "ico",
// "wmf" and "emf" are refused with EPictureError "Unsupported picture
// format (.%s)", any other extension with "Unknown picture file extension
// (.%s)".
#pragma once

#include "jpeg/JpegDecoder.h"
#include "picture/Bitmap24.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorpane {

class TPictureFile {
public:
    explicit TPictureFile(const std::string& FileName);

    // Raises what opening FileName would raise, without decoding pixels: a
    // JPEG's header is read; a PNG, read whole when opened, only opened.
    static void TestHeader(const std::string& FileName);

    std::uint32_t Width() const;
    std::uint32_t Height() const;
    // A JPEG's ICC profile (TJpegDecoder::IccProfile); empty for a PNG.
    std::vector<std::uint8_t> IccProfile() const;

    // TJpegDecoder's, for a JPEG; a PNG is decoded already when opened.
    void SetStopTest(std::function<bool()> StopRequested);
    std::string Incomplete() const;
    // A JPEG's EXIF orientation (TJpegDecoder::Orientation); 1 for a PNG.
    int Orientation() const;

    // The pixels, once: ReadAll or ReadRows (kBandRows rows at a time at
    // most).
    TBitmap24 ReadAll();
    void ReadRows(const TRowsProc& Take);

private:
    std::unique_ptr<TJpegDecoder> jpeg_;
    TBitmap24 picture_;
};

} // namespace vorpane
