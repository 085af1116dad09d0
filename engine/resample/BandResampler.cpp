#include "resample/BandResampler.h"

#include "Errors.h"

#include <algorithm>
#include <new>
#include <vector>

namespace vorpane {

namespace {

TPassGroups GroupsFor(std::uint32_t sourceSize, std::uint32_t newSize, int filterIndex) {
    CheckSize(sourceSize);
    CheckSize(newSize);
    const auto to = static_cast<std::int32_t>(newSize);
    return TPassGroups(BuildGroupList(static_cast<std::int32_t>(sourceSize), to, filterIndex), to);
}

ENoMemoryError NoMemoryFor(std::uint32_t width, std::uint32_t height) {
    return ENoMemoryError("Not enough memory for a page of " + std::to_string(width) + " x " +
                          std::to_string(height) + " pixels");
}

// How many rows of the horizontal pass's result to keep. New row k is made
// once every source row up to the furthest window of rows 0 ... k is in;
// until then the rows from the lowest window of rows k, k + 1, ... on must
// stay, and a band of up to kBandRows rows more may have come in. For a
// photograph that is a window and a band, a few dozen rows of the
// thousands of the whole intermediate picture.
std::uint32_t RowsToKeep(const TPassGroups& down, std::uint32_t sourceHeight) {
    std::vector<std::int32_t> lowestFrom(std::size_t(down.Count) + 1,
                                         static_cast<std::int32_t>(sourceHeight));
    for (std::int32_t k = down.Count - 1; k >= 0; --k) {
        lowestFrom[std::size_t(k)] = std::min(lowestFrom[std::size_t(k) + 1], down.Start[k]);
    }
    std::int64_t keep = kBandRows;
    std::int32_t furthest = -1;
    for (std::int32_t k = 0; k < down.Count; ++k) {
        furthest = std::max(furthest, down.LastPixel(k));
        keep = std::max<std::int64_t>(keep, furthest + kBandRows - lowestFrom[std::size_t(k)]);
    }
    return static_cast<std::uint32_t>(std::min<std::int64_t>(keep, sourceHeight));
}

} // namespace

TBandResampler::TBandResampler(std::uint32_t SourceWidth, std::uint32_t SourceHeight,
                               std::uint32_t NewWidth, std::uint32_t NewHeight, int FilterIndex) try
    : across_(GroupsFor(SourceWidth, NewWidth, FilterIndex)),
      down_(GroupsFor(SourceHeight, NewHeight, FilterIndex)),
      middle_(NewWidth, RowsToKeep(down_, SourceHeight)), result_(NewWidth, NewHeight) {
    // Row r of the horizontal pass's result goes to row r modulo the rows
    // kept, over one no longer needed.
    middleRows_.resize(SourceHeight);
    for (std::uint32_t r = 0; r < SourceHeight; ++r) {
        middleRows_[r] = middle_.Row(r % middle_.Height());
    }
    GetScanLines(result_, resultRows_);
} catch (const std::bad_alloc&) {
    throw NoMemoryFor(NewWidth, NewHeight);
} catch (const EPictureError&) {
    // With both sizes within kMaxSide, only memory can fail the bitmaps.
    throw NoMemoryFor(NewWidth, NewHeight);
}

void TBandResampler::AddRows(const std::uint8_t* const* Rows, std::int32_t Count) {
    if (Count < 1 || Count > static_cast<std::int32_t>(middleRows_.size()) - rowsIn_) {
        ThrowSizeError();
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
        ThrowSizeError();
    }
    middle_ = TBitmap24();
    return std::move(result_);
}

} // namespace vorpane
