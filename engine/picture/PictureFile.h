// A picture file opened for reading: its size first, then its pixels, all at
// once or a band of rows at a time. The file name's extension, letters in
// any case, says whether it is a picture: "jpg", "jpeg", "png", "webp",
// "heic", "heif" and "avif" are; "bmp", "ico", "wmf" and "emf" are refused
// with EPictureError "Unsupported picture format (.%s)", any other
// extension with "Unknown picture file extension (.%s)". The decoder
// (OpenPictureDecoder) is then picked by the file's first bytes, the
// extension's own when they are of no kind a decoder knows: a JPEG is
// decoded by TJpegDecoder at full size as the rows are asked for, the
// other kinds whole, their transparent parts laid over white.
#pragma once

#include "bitmap/Bitmap24.h"
#include "picture/PictureDecoder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorpane {

class TPictureFile {
public:
    explicit TPictureFile(const std::string& FileName);

    // Raises what opening FileName would raise: its decoder opens it, which
    // reads its header.
    static void TestHeader(const std::string& FileName);

    std::uint32_t Width() const;
    std::uint32_t Height() const;
    // The file's ICC profile; empty when it has none.
    std::vector<std::uint8_t> IccProfile() const;

    // The decoder's (TJpegDecoder's, for a JPEG).
    void SetStopTest(std::function<bool()> StopRequested);
    std::string Incomplete() const;
    // The EXIF orientation still to be applied (TPictureDecoder).
    int Orientation() const;

    // The pixels, once: ReadAll or ReadRows (kBandRows rows at a time at
    // most).
    TBitmap24 ReadAll();
    void ReadRows(const TRowsProc& Take);
    // The decoder's (TPictureDecoder::HasAlpha, ReadWithAlpha).
    bool HasAlpha() const;
    TBitmap24 ReadWithAlpha(std::vector<std::uint8_t>& Alpha);

private:
    std::unique_ptr<TPictureDecoder> decoder_;
};

} // namespace vorpane
