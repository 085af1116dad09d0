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

} // namespace

bool ProfileFits(const std::vector<std::uint8_t>& Profile, int Components) {
    const TProfile profile = OpenProfile(Profile);
    return Fits(profile.get(), Components);
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
    TProfile cmyk = OpenProfile(Profile);
    if (!Fits(cmyk.get(), 4)) {
        cmyk.reset(cmsOpenProfileFromFile(StandardProfile, "r"));
    }
    if (!Fits(cmyk.get(), 4)) {
        return;
    }
    const TProfile srgb(cmsCreate_sRGBProfile());
    if (!srgb) {
        return;
    }
    // The "reversed" flavour is Adobe's inverted CMYK. Relative colorimetric
    // with black point compensation, as Ghostscript draws /DeviceCMYK: the
    // page looks the same in both size modes.
    state_->transform = cmsCreateTransform(cmyk.get(), Inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8,
                                           srgb.get(), TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC,
                                           cmsFLAGS_BLACKPOINTCOMPENSATION);
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
