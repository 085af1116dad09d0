// A HEIF picture (HEIC, AVIF) through libheif: the primary image's header,
// colour profile and Exif data when opened, its pixels whole. libheif
// decodes HEVC with libde265 and AV1 with dav1d, and applies the picture's
// own cropping, rotation and mirroring as it decodes.
//
// The Exif orientation counts only for an image without a rotation or
// mirroring of its own ('irot', 'imir'): where the file has them they say
// how it is shown, and a phone's Exif tag repeats them, so turning by both
// would turn twice; where it has none, as in a file made from a JPEG by
// older encoders, the Exif tag is all there is.
#pragma once

#include "picture/PictureDecoder.h"

struct heif_context;
struct heif_image_handle;

namespace vorpane {

class THeifDecoder : public TPictureDecoder {
public:
    explicit THeifDecoder(const std::string& FileName);
    ~THeifDecoder() override;
    THeifDecoder(const THeifDecoder&) = delete;
    THeifDecoder& operator=(const THeifDecoder&) = delete;

    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    int Orientation() const override { return orientation_; }
    std::vector<std::uint8_t> IccProfile() const override { return profile_; }
    TBitmap24 ReadAll() override;

private:
    heif_context* context_ = nullptr;
    heif_image_handle* handle_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    int orientation_ = 1;
    std::vector<std::uint8_t> profile_;
};

// Whether the item properties of FileName's 'meta' box hold a rotation or
// a mirroring ('irot', 'imir'); false when it has none or can't be read.
// Never throws.
bool HeifHasOwnTransform(const std::string& FileName);

} // namespace vorpane
