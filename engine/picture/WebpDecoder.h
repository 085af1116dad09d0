// A WebP through libwebp: the header and the Exif and colour profile
// chunks (libwebpdemux) when opened, the pixels whole. An animation gives
// its first frame.
#pragma once

#include "picture/PictureDecoder.h"

namespace vorpane {

class TWebpDecoder : public TPictureDecoder {
public:
    explicit TWebpDecoder(const std::string& FileName);

    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    int Orientation() const override { return orientation_; }
    std::vector<std::uint8_t> IccProfile() const override { return profile_; }
    TBitmap24 ReadAll() override;
    bool HasAlpha() const override { return alpha_; }
    TBitmap24 ReadWithAlpha(std::vector<std::uint8_t>& Alpha) override;

private:
    // The first frame as straight RGBA; the file's bytes are let go.
    std::vector<std::uint8_t> DecodeRgba();

    std::vector<std::uint8_t> bytes_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    int orientation_ = 1;
    bool alpha_ = false;
    std::vector<std::uint8_t> profile_;
    // The first frame's bitstream within bytes_.
    std::size_t frameOffset_ = 0;
    std::size_t frameSize_ = 0;
};

// Whether FileName is a WebP whose first frame is compressed losslessly.
// Never throws.
bool IsLosslessWebp(const std::string& FileName);

} // namespace vorpane
