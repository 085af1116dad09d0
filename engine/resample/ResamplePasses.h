// The two passes of the resampler, over tables of rows: the horizontal pass
// on a band of up to kBandRows rows at a time, the vertical pass on any run
// of new rows whose source rows are ready. ResampleBitmap and ApplyGroupList
// run them over whole pictures; TBandResampler runs them while a picture is
// still being decoded.
//
// The passes change no output byte against the plain rules: integer sums do
// not depend on the order of their terms, and two weights of one pixel
// (the mirroring at an edge can name a pixel twice) may be added first.
#pragma once

#include "MessageQueue.h"
#include "bitmap/Bitmap24.h"
#include "resample/Resampler.h"

#include <cstdint>
#include <vector>

namespace vorpane {

// The passes drain the message queue about every microsecond: after each
// new column of a band and each stretch of a new row, rather than after each
// product as a plain loop would, which is the same for a window served every
// 10 ms. The benchmark builds the resampler once more with
// VORPANE_BENCH_NO_DRAIN to measure what the drains cost (static: each file
// keeps the choice it was built with).
static inline void DrainInPass() {
#ifndef VORPANE_BENCH_NO_DRAIN
    DrainMessageQueue();
#endif
}

// A group list in the form the passes work on. Each group is a window of
// Span consecutive pixels from Start[k], with one weight per pixel (0 for a
// pixel the group doesn't name, the weights of a pixel named twice added);
// every window lies inside 0 ... MaxPixel. Weights holds PairSpan (Span
// rounded up to even) weights per group, so that the passes can take the
// pixels two at a time, a pixel-pair and a weight-pair to one multiply-add.
struct TPassGroups {
    std::int32_t Count = 0;
    std::int32_t MaxPixel = -1;
    std::int32_t Span = 0;
    std::int32_t PairSpan = 0;
    std::vector<std::int32_t> Start;
    std::vector<std::int16_t> Weight;
    std::vector<std::int32_t> Total;

    // The first GroupCount groups of List. Raises ERangeError for a negative
    // pixel, a weight (or two weights of one pixel added) beyond +-32767,
    // weights whose magnitudes, times 255, could overflow a 32-bit sum, or
    // windows of more than kMaxWindowWeights weights in all (BuildGroupList's
    // lists need a few hundred thousand at most).
    TPassGroups(const TGroupList& List, std::int32_t GroupCount);

    // The last source pixel the window of group k reaches.
    std::int32_t LastPixel(std::int32_t k) const { return Start[k] + Span - 1; }
};

inline constexpr std::int64_t kMaxWindowWeights = std::int64_t{1} << 22;

// Scratch memory of the horizontal pass, kept between bands of one picture.
struct THorizontalScratch {
    std::vector<std::uint8_t> Columns;
    std::vector<std::int16_t> Pairs;
    std::vector<std::uint8_t> Result;
    std::vector<std::uint8_t> Discard;
};

// New columns for RowCount (1 ... kBandRows) rows: Dest[r] gets Groups.Count
// pixels made from the pixels of Source[r]. Source rows hold at least
// MaxPixel + 1 pixels.
void HorizontalPass(const std::uint8_t* const* Source, std::int32_t RowCount,
                    std::uint8_t* const* Dest, const TPassGroups& Groups,
                    THorizontalScratch& Scratch);

// On x86-64 the passes use AVX2 where the processor has it, else SSE2.
// With Only set they keep to SSE2, which is how the tests check both on one
// machine. Elsewhere the passes are plain loops and this changes nothing.
void KeepPassesToSse2(bool Only);

// New rows First ... Last - 1 of Width pixels each: Dest[k] made from the
// source rows Source[Start[k]] ... Source[LastPixel(k)].
void VerticalPass(const std::uint8_t* const* Source, std::int32_t Width, std::int32_t First,
                  std::int32_t Last, std::uint8_t* const* Dest, const TPassGroups& Groups);

} // namespace vorpane
