#include "BandResampler.h"

#include "Errors.h"

#include <new>

namespace vorpane {

namespace {

TPassGroups GroupsFor(std::uint32_t sourceSize, std::uint32_t newSize, int filterIndex) {
    CheckSize(sourceSize);
    CheckSize(newSize);
    const auto to = static_cast<std::int32_t>(newSize);
    return TPassGroups(BuildGroupList(static_cast<std::int32_t>(sourceSize), to, filterIndex), to);
}

EPictureError NoMemoryFor(std::uint32_t width, std::uint32_t height) {
    return EPictureError("Not enough memory for a page of " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels");
}

} // namespace

TBandResampler::TBandResampler(std::uint32_t SourceWidth, std::uint32_t SourceHeight,
                               std::uint32_t NewWidth, std::uint32_t NewHeight, int FilterIndex) try
    : across_(GroupsFor(SourceWidth, NewWidth, FilterIndex)),
      down_(GroupsFor(SourceHeight, NewHeight, FilterIndex)), middle_(NewWidth, SourceHeight),
      result_(NewWidth, NewHeight) {
    GetScanLines(middle_, middleRows_);
    GetScanLines(result_, resultRows_);
} catch (const std::bad_alloc&) {
    throw NoMemoryFor(NewWidth, NewHeight);
} catch (const EPictureError&) {
    // With both sizes within 32767, only memory can fail the bitmaps.
    throw NoMemoryFor(NewWidth, NewHeight);
}

void TBandResampler::AddRows(const std::uint8_t* const* Rows, std::int32_t Count) {
    if (Count < 1 || Count > static_cast<std::int32_t>(middleRows_.size()) - rowsIn_) {
        throw ERangeError("Error size!");
    }
    HorizontalPass(Rows, Count, middleRows_.data() + rowsIn_, across_, scratch_);
    rowsIn_ += Count;
    MakeReadyRows();
}

// New rows are made in order, each once the last source row its window
// reaches is in.
void TBandResampler::MakeReadyRows() {
    std::int32_t ready = rowsOut_;
    while (ready < down_.Count && down_.LastPixel(ready) < rowsIn_) {
        ++ready;
    }
    VerticalPass(middleRows_.data(), across_.Count, rowsOut_, ready, resultRows_.data(), down_);
    rowsOut_ = ready;
}

TBitmap24 TBandResampler::Finish() {
    if (rowsIn_ != static_cast<std::int32_t>(middleRows_.size()) || rowsOut_ != down_.Count) {
        throw ERangeError("Error size!");
    }
    middle_ = TBitmap24();
    return std::move(result_);
}

} // namespace vorpane
