#include "colour/ColourProfile.h"

#include <lcms2.h>

namespace vorpane {

namespace {

struct TProfileClose {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using TProfile = std::unique_ptr<void, TProfileClose>;

TProfile OpenProfile(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) {
        return nullptr;
    }
    return TProfile(
        cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

bool Fits(cmsHPROFILE profile, int components) {
    if (profile == nullptr) {
        return false;
    }
    const cmsProfileClassSignature kind = cmsGetDeviceClass(profile);
    if (kind == cmsSigLinkClass || kind == cmsSigAbstractClass || kind == cmsSigNamedColorClass) {
        return false;
    }
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile);
    switch (components) {
    case 1:
        return space == cmsSigGrayData;
    case 3:
        return space == cmsSigRgbData;
    case 4:
        return space == cmsSigCmykData;
    default:
        return false;
    }
}

// Whether a reader can draw the colours Profile describes: a transform from
// it to sRGB can be built. A header that parses says nothing of the tags
// (their offsets may point past the profile's end, a curve may be missing).
bool Usable(cmsHPROFILE profile, int components) {
    const TProfile srgb(cmsCreate_sRGBProfile());
    if (!srgb) {
        return false;
    }
    const cmsUInt32Number input = components == 1   ? TYPE_GRAY_8
                                  : components == 3 ? TYPE_RGB_8
                                                    : TYPE_CMYK_8;
    const cmsHTRANSFORM transform =
        cmsCreateTransform(profile, input, srgb.get(), TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    if (transform == nullptr) {
        return false;
    }
    cmsDeleteTransform(transform);
    return true;
}

} // namespace

bool ProfileFits(const std::vector<std::uint8_t>& Profile, int Components) {
    const TProfile profile = OpenProfile(Profile);
    return Fits(profile.get(), Components) && Usable(profile.get(), Components);
}

struct TCmykToRgb::TState {
    cmsHTRANSFORM transform = nullptr;
    bool inverted = false;
    ~TState() {
        if (transform != nullptr) {
            cmsDeleteTransform(transform);
        }
    }
};

TCmykToRgb::TCmykToRgb(const std::vector<std::uint8_t>& Profile, bool Inverted,
                       const char* StandardProfile)
    : state_(std::make_unique<TState>()) {
    state_->inverted = Inverted;
    const TProfile srgb(cmsCreate_sRGBProfile());
    if (!srgb) {
        return;
    }
    // The "reversed" flavour is Adobe's inverted CMYK. Relative colorimetric
    // with black point compensation, as Ghostscript draws /DeviceCMYK: the
    // page looks the same in both size modes. The picture's own profile
    // first, the standard one when no transform can be built from it.
    const TProfile own = OpenProfile(Profile);
    const TProfile standard(cmsOpenProfileFromFile(StandardProfile, "r"));
    for (cmsHPROFILE cmyk : {own.get(), standard.get()}) {
        if (Fits(cmyk, 4)) {
            state_->transform = cmsCreateTransform(
                cmyk, Inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, srgb.get(), TYPE_RGB_8,
                INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION);
        }
        if (state_->transform != nullptr) {
            return;
        }
    }
}

TCmykToRgb::~TCmykToRgb() = default;

void TCmykToRgb::Convert(const std::uint8_t* Cmyk, std::uint8_t* Rgb, std::uint32_t Width) const {
    if (state_->transform != nullptr) {
        cmsDoTransform(state_->transform, Cmyk, Rgb, Width);
        return;
    }
    for (std::uint32_t x = 0; x < Width; ++x, Cmyk += 4, Rgb += 3) {
        const auto ink = [this, Cmyk](int c) -> unsigned {
            return state_->inverted ? 255u - Cmyk[c] : Cmyk[c];
        };
        const unsigned paper = 255u - ink(3);
        for (int c = 0; c < 3; ++c) {
            Rgb[c] = static_cast<std::uint8_t>(((255u - ink(c)) * paper + 127) / 255);
        }
    }
}

} // namespace vorpane
