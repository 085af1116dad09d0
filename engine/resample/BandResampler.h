// Scales a picture that arrives a band of rows at a time, top to bottom, as
// a decoder gives it: the horizontal pass runs on each band as it comes, and
// the vertical pass makes each new row as soon as the rows it needs are in.
// Neither the full-size picture nor the whole intermediate one need exist:
// only the intermediate rows some new row still needs are kept. The result
// is the one ResampleBitmap gives for the whole picture, to the byte.
#pragma once

#include "bitmap/Bitmap24.h"
#include "resample/ResamplePasses.h"

#include <cstdint>

namespace vorpane {

class TBandResampler {
public:
    // From SourceWidth x SourceHeight to NewWidth x NewHeight with the filter
    // FilterIndex. Raises ERangeError "Error size!" unless every side is
    // within 1 ... kMaxSide, and EPictureError "Not enough memory for a page of
    // W x H pixels" when the pictures can't be held.
    TBandResampler(std::uint32_t SourceWidth, std::uint32_t SourceHeight, std::uint32_t NewWidth,
                   std::uint32_t NewHeight, int FilterIndex);

    // The next Count (1 ... kBandRows) rows of the source, of SourceWidth
    // pixels each; they are not used after the call.
    void AddRows(const std::uint8_t* const* Rows, std::int32_t Count);

    // The new picture, once every source row is in.
    TBitmap24 Finish();

private:
    void MakeReadyRows();

    TPassGroups across_;
    TPassGroups down_;
    THorizontalScratch scratch_;
    TBitmap24 middle_;
    TBitmap24 result_;
    TScanLines middleRows_;
    TScanLines resultRows_;
    std::int32_t rowsIn_ = 0;
    std::int32_t rowsOut_ = 0;
};

} // namespace vorpane
