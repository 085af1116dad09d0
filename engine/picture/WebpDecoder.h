// A WebP through libwebp: the header and the Exif and colour profile
// chunks (libwebpdemux) when opened, the pixels whole. An animation gives
// its first frame.
#pragma once

#include "picture/PictureDecoder.h"

namespace vorpane {

class TWebpDecoder : public TPictureDecoder {
public:
    explicit TWebpDecoder(const std::string& FileName);

    TBitmap24 ReadAll() override;
    TBitmap24 ReadWithAlpha(std::vector<std::uint8_t>& Alpha) override;

private:
    // The first frame as straight RGBA; the file's bytes are let go.
    std::vector<std::uint8_t> DecodeRgba();

    std::vector<std::uint8_t> bytes_;
    // The first frame's bitstream within bytes_.
    std::size_t frameOffset_ = 0;
    std::size_t frameSize_ = 0;
};

// Whether FileName is a WebP whose first frame is compressed losslessly.
// Never throws.
bool IsLosslessWebp(const std::string& FileName);

} // namespace vorpane
