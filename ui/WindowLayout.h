// Where the window's controls sit, in client pixels from its top-left
// corner: the numbers that the frame (WindowFrame.cpp) places the controls
// by and that the art generator (tools/artgen) draws the background's
// boxes, strip and trough around, so the two can't drift apart.
#pragma once

namespace vorpane::layout {

struct TPlace {
    int Left;
    int Top;
};

// The four view tabs above the file list: list, large icons, small icons,
// details.
inline constexpr int kViewTabTop = 84;
inline constexpr int kViewTabLeft[4] = {213, 278, 364, 472};

// The width, height and quality fields (Edit1, Edit2, Edit3); each field's
// spin buttons sit at kSpinLeft, the lower one kSpinStep below the upper.
inline constexpr int kFieldLeft = 602;
inline constexpr int kFieldTop[3] = {245, 293, 341};
inline constexpr int kSpinLeft = 712;
inline constexpr int kSpinStep = 10;

// "Keep proportions" (CheckBox2), under the three fields, above the
// progress strip's trough.
inline constexpr TPlace kKeepProportions{600, 361};

// The size-mode box's drop-down button (Panel3).
inline constexpr TPlace kDropDown{711, 201};

// The progress strip (ImageProgress), inside its trough.
inline constexpr TPlace kProgressStrip{578, 378};

// The right edge of the photo options' box, where the trough ends: the
// controls beside the fields reach no further.
inline constexpr int kOptionsRight = 754;

} // namespace vorpane::layout
