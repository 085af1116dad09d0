// The resampler: a bitmap scaled to a new size with a separable filter
// (triangle or Lanczos3), in two integer passes.
//
// The results are fixed to the byte: weights come from the filter in single
// precision, rounded half to even, as integers in which 256 stands for 1.0;
// the passes add integer products, divide by the actual sum of the weights
// (cut toward zero) and clamp to 0 ... 255. Two builds give the same pixels
// for the same source pixels. ResampleBitmap drains the message queue
// (DrainMessageQueue) between its steps so a window stays usable.
#pragma once

#include "bitmap/Bitmap24.h"

#include <cstdint>
#include <vector>

namespace vorpane {

// Row r of a bitmap starts at entry r.
using TScanLines = std::vector<std::uint8_t*>;

// One contribution to a destination pixel: a source column or row (after
// mirroring at the edges) and its weight, 256 standing for 1.0; never 0.
struct TPixelWeight {
    std::int32_t Pixel;
    std::int32_t Weight;
};

// The contributions to one destination column or row, in the order found.
// Weights holds room for floor(2 * support + 1) entries, Count are in use.
struct TPixelGroup {
    std::vector<TPixelWeight> Weights;
    std::int32_t Count = 0;
};

using TGroupList = std::vector<TPixelGroup>;

inline constexpr int kTriangleFilter = 0;
inline constexpr int kLanczos3Filter = 1;

// The largest width or height the resampler scales from or to, and so the
// largest side of a "Same size" page.
inline constexpr std::int32_t kMaxSide = 32767;

// Raises ERangeError "Error size!" unless 1 <= Value <= kMaxSide.
void CheckSize(std::int64_t Value);

// The size error when Bitmap is null, else CheckSize on its width and height.
// (Our bitmaps are always 24-bit: there is nothing to convert.)
void PrepareSource(const TBitmap24* Bitmap);

// One entry per row of Bitmap, top row first.
void GetScanLines(TBitmap24& Bitmap, TScanLines& Lines);

// The groups of one axis scaled from SourceSize to DestSize with the filter
// FilterIndex (kTriangleFilter or kLanczos3Filter).
TGroupList BuildGroupList(std::int32_t SourceSize, std::int32_t DestSize, int FilterIndex);

// One pass. Horizontal: for each of OuterCount rows, InnerCount new columns
// from the columns of that row. Vertical: for each of OuterCount columns,
// InnerCount new rows from the rows of that column. List holds InnerCount
// groups whose pixels lie inside the source. Raises ERangeError for a list
// or tables that don't fit together, or weights beyond +-32767 or so large
// that a 32-bit sum could overflow (BuildGroupList's never are).
void ApplyGroupList(std::int32_t OuterCount, std::int32_t InnerCount, const TScanLines& SourceLines,
                    const TScanLines& DestLines, bool Horizontal, const TGroupList& List);

// Scales Source to NewWidth x NewHeight into Dest, or into Source itself
// when Dest is null or Source. The same size only copies (even a size the
// filter passes would refuse). False, Dest untouched, when a side is outside
// 1 ... kMaxSide or Source is null; false also when a later step fails (Dest
// then holds what it reached).
bool ResampleBitmap(TBitmap24* Source, TBitmap24* Dest, std::uint16_t NewWidth,
                    std::uint16_t NewHeight, int FilterIndex);

} // namespace vorpane
