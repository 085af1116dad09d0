// A PNG through libpng: the header and the chunks before the pixels (the
// colour profile, the EXIF orientation) when opened, the pixels whole.
#pragma once

#include "picture/PictureDecoder.h"

#include <optional>

namespace vorpane {

class TPngDecoder : public TPictureDecoder {
public:
    // Reads the header and the chunks before the image data; a picture
    // beyond the decoders' size is refused here.
    explicit TPngDecoder(const std::string& FileName);

    // Transparent parts laid over white, 16-bit samples reduced to 8.
    TBitmap24 ReadAll() override;
    TBitmap24 ReadWithAlpha(std::vector<std::uint8_t>& Alpha) override;

private:
    std::string fileName_;
};

// A PNG's own compressed image data, where a PDF reader can take it as it
// is (FlateDecode with PNG's predictors): grey of 1 to 8 bits, RGB of 8,
// or a palette's indices of 1 to 8 bits, without a transparent colour,
// not interlaced.
struct TPngImageData {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    int Colours = 3; // 1 for grey and for indices
    int Bits = 8;
    std::vector<std::uint8_t> Palette;  // red, green, blue of each colour
    std::vector<std::uint8_t> Deflated; // the IDAT chunks' data joined
};

// FileName's image data when it is such a PNG and its chunks are whole
// (their checksums right); nothing otherwise. Errors of reading leave as
// EFileError.
std::optional<TPngImageData> ReadPngImageData(const std::string& FileName);

} // namespace vorpane
