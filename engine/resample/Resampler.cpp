// The resampler of Resampler.h: the weights (BuildGroupList) and the steps
// that run the passes of ResamplePasses.cpp over whole pictures.

#include "resample/Resampler.h"
#include "Errors.h"
#include "MessageQueue.h"
#include "resample/BandResampler.h"
#include "resample/ResamplePasses.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorpane {

namespace {

// ---- Filters, in single precision --------------------------------------------

float Triangle(float x) {
    const float a = std::fabs(x);
    return a < 1.0f ? static_cast<float>(1.0 - static_cast<double>(a)) : 0.0f;
}

float Lanczos3(float x) {
    if (x == 0.0f) {
        return 1.0f;
    }
    const double a = std::fabs(static_cast<double>(x));
    if (a >= 3.0) {
        return 0.0f;
    }
    const float y = static_cast<float>(a * std::numbers::pi);
    const float s = static_cast<float>(std::sin(static_cast<double>(y)) / static_cast<double>(y));
    const float z = static_cast<float>(static_cast<double>(y) / 3.0);
    return static_cast<float>(std::sin(static_cast<double>(z)) / static_cast<double>(z) *
                              static_cast<double>(s));
}

struct TFilter {
    float (*Value)(float);
    float Radius;
};

constexpr TFilter kFilters[] = {{&Triangle, 1.0f}, {&Lanczos3, 3.0f}};

// Reflects a source index into 0 ... size - 1. At the start the image is
// reflected about its first pixel (-1 gives 1), at the end about the border
// after its last pixel (size gives size - 1). When the filter reaches further
// than the image's own size beyond an edge (Lanczos3 on a source of one or
// two pixels, or an axis shrunk to three pixels or fewer), one reflection
// lands outside again: we reflect again until the index is inside. Each
// round trip brings the index at least one step closer, so this ends.
std::int32_t Mirror(std::int64_t j, std::int64_t size) {
    while (j < 0 || j >= size) {
        j = j < 0 ? -j : 2 * size - 1 - j;
    }
    return static_cast<std::int32_t>(j);
}

} // namespace

// ---- The steps -------------------------------------------------------------------

void CheckSize(std::int64_t Value) {
    if (Value < 1 || Value > kMaxSide) {
        ThrowSizeError();
    }
}

void PrepareSource(const TBitmap24* Bitmap) {
    if (Bitmap == nullptr) {
        ThrowSizeError();
    }
    CheckSize(Bitmap->Width());
    CheckSize(Bitmap->Height());
}

void GetScanLines(TBitmap24& Bitmap, TScanLines& Lines) {
    Lines.resize(Bitmap.Height());
    for (std::uint32_t r = 0; r < Bitmap.Height(); ++r) {
        Lines[r] = Bitmap.Row(r);
        DrainInPass();
    }
}

TGroupList BuildGroupList(std::int32_t SourceSize, std::int32_t DestSize, int FilterIndex) {
    CheckSize(SourceSize);
    CheckSize(DestSize);
    if (FilterIndex < 0 || FilterIndex > 1) {
        throw ERangeError("Unknown filter " + std::to_string(FilterIndex));
    }
    const TFilter& filter = kFilters[FilterIndex];
    const double source = SourceSize;
    const double dest = DestSize;

    // With (D - 1) / (S - 1) the first and last new pixels sit exactly on the
    // first and last source pixels.
    const float scale = static_cast<float>(
        SourceSize == 1 || DestSize == 1 ? dest / source : (dest - 1.0) / (source - 1.0));
    const bool shrinking = scale < 1.0f;
    const float support =
        shrinking ? static_cast<float>(static_cast<double>(filter.Radius) / scale) : filter.Radius;
    // A weight that is not 0 needs |centre - j| < support: this is room enough.
    const auto room = static_cast<std::size_t>(std::floor(2.0 * support + 1.0));

    TGroupList list(static_cast<std::size_t>(DestSize));
    for (std::int32_t i = 0; i < DestSize; ++i) {
        TPixelGroup& group = list[static_cast<std::size_t>(i)];
        group.Weights.resize(room);
        group.Count = 0;
        const float centre = static_cast<float>(i / static_cast<double>(scale));
        const auto left = static_cast<std::int64_t>(
            std::floor(static_cast<float>(static_cast<double>(centre) - support)));
        const auto right = static_cast<std::int64_t>(
            std::ceil(static_cast<float>(static_cast<double>(centre) + support)));
        for (std::int64_t j = left; j <= right; ++j) {
            const float delta = static_cast<float>(centre - static_cast<double>(j));
            // nearbyint: the nearest integer, a tie going to the even one.
            // 256 * scale * f is exact in double, so only this rounds.
            double weight;
            if (!shrinking) {
                weight = std::nearbyint(256.0 * filter.Value(delta));
            } else {
                const float x = static_cast<float>(static_cast<double>(scale) * delta);
                weight = std::nearbyint(256.0 * static_cast<double>(scale) * filter.Value(x));
            }
            if (weight != 0.0) {
                group.Weights.at(static_cast<std::size_t>(group.Count)) = {
                    Mirror(j, SourceSize), static_cast<std::int32_t>(weight)};
                ++group.Count;
            }
            DrainInPass();
        }
        // Shrunk more than about 512 times, every weight (256 * scale * f)
        // rounds to 0 and the pixel would come out black. A plain average of
        // the pixels under the filter shows the picture instead.
        if (group.Count == 0) {
            for (std::int64_t j = left; j <= right; ++j) {
                const float delta = static_cast<float>(centre - static_cast<double>(j));
                const float x = static_cast<float>(static_cast<double>(scale) * delta);
                if (std::fabs(x) < filter.Radius) {
                    group.Weights.at(static_cast<std::size_t>(group.Count)) = {
                        Mirror(j, SourceSize), 1};
                    ++group.Count;
                }
            }
        }
        DrainInPass();
    }
    return list;
}

void ApplyGroupList(std::int32_t OuterCount, std::int32_t InnerCount, const TScanLines& SourceLines,
                    const TScanLines& DestLines, bool Horizontal, const TGroupList& List) {
    if (OuterCount < 0 || InnerCount < 0) {
        ThrowSizeError();
    }
    const TPassGroups groups(List, InnerCount);
    // The tables must hold every row the pass reaches (columns within a row
    // are the caller's to keep in range).
    const auto rows = [](const TScanLines& lines) {
        return static_cast<std::int64_t>(lines.size());
    };
    const bool fits = Horizontal
                          ? rows(SourceLines) >= OuterCount && rows(DestLines) >= OuterCount
                          : rows(SourceLines) > groups.MaxPixel && rows(DestLines) >= InnerCount;
    if (!fits) {
        ThrowSizeError();
    }
    if (Horizontal) {
        THorizontalScratch scratch;
        for (std::int32_t top = 0; top < OuterCount; top += kBandRows) {
            HorizontalPass(SourceLines.data() + top, std::min(kBandRows, OuterCount - top),
                           DestLines.data() + top, groups, scratch);
        }
    } else {
        VerticalPass(SourceLines.data(), OuterCount, 0, InnerCount, DestLines.data(), groups);
    }
    DrainInPass();
}

bool ResampleBitmap(TBitmap24* Source, TBitmap24* Dest, std::uint16_t NewWidth,
                    std::uint16_t NewHeight, int FilterIndex) {
    try {
        if (Source != nullptr && Source->Width() == NewWidth && Source->Height() == NewHeight) {
            if (Dest != nullptr && Dest != Source) {
                *Dest = *Source;
            }
            return true;
        }
        CheckSize(NewHeight);
        CheckSize(NewWidth);
        PrepareSource(Source);
        // The source goes through in bands, as a decoder would hand it over;
        // in place, every source row is read before the result replaces it.
        TBandResampler resampler(Source->Width(), Source->Height(), NewWidth, NewHeight,
                                 FilterIndex);
        TScanLines rows;
        GetScanLines(*Source, rows);
        for (std::size_t top = 0; top < rows.size(); top += kBandRows) {
            resampler.AddRows(rows.data() + top, static_cast<std::int32_t>(std::min<std::size_t>(
                                                     kBandRows, rows.size() - top)));
        }
        TBitmap24& target = Dest != nullptr ? *Dest : *Source;
        target = resampler.Finish();
        return true;
    } catch (...) {
        // Every failure inside, a size error included, is this answer.
        return false;
    }
}

} // namespace vorpane
