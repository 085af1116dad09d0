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

    TBitmap24 ReadAll() override;

private:
    heif_context* context_ = nullptr;
    heif_image_handle* handle_ = nullptr;
};

// Whether the item properties of FileName's 'meta' box hold a rotation or
// a mirroring ('irot', 'imir'); false when it has none or can't be read.
// Never throws.
bool HeifHasOwnTransform(const std::string& FileName);

} // namespace vorpane
