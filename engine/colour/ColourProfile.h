// Colour management with Little CMS: whether an ICC profile can stand for a
// picture's colours, and CMYK pictures turned into sRGB.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace vorpane {

// The CMYK profile used for a CMYK picture that carries none: the SWOP
// profile Ghostscript ships (Debian's libgs-common), so that a picture
// prepared in "Same size" looks as its "Original size" page does in a
// reader that uses the same profile for /DeviceCMYK.
inline constexpr const char* kStandardCmykProfile =
    "/usr/share/color/icc/ghostscript/default_cmyk.icc";

// Whether Profile is an ICC profile Little CMS reads, of a device or colour
// space (not a link or abstract profile), for pictures of Components
// components (1 grey, 3 RGB, 4 CMYK), from which Little CMS can build a
// transform to sRGB. Never throws.
bool ProfileFits(const std::vector<std::uint8_t>& Profile, int Components);

// Turns rows of CMYK samples into sRGB: from Profile when it fits a CMYK
// picture, else from StandardProfile, relative colorimetric with black
// point compensation. Inverted
// samples (Adobe's convention: 255 is no ink) are read as such. Should
// neither profile be at hand, the inks are taken as they stand (red is
// 255 - C less K, and so on).
class TCmykToRgb {
public:
    TCmykToRgb(const std::vector<std::uint8_t>& Profile, bool Inverted,
               const char* StandardProfile = kStandardCmykProfile);
    ~TCmykToRgb();
    TCmykToRgb(const TCmykToRgb&) = delete;
    TCmykToRgb& operator=(const TCmykToRgb&) = delete;
    TCmykToRgb(TCmykToRgb&&) = delete;
    TCmykToRgb& operator=(TCmykToRgb&&) = delete;

    // Width pixels of four bytes at Cmyk into three bytes each at Rgb.
    void Convert(const std::uint8_t* Cmyk, std::uint8_t* Rgb, std::uint32_t Width) const;

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

} // namespace vorpane
