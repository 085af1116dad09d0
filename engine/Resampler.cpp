// The resampler of JpegUtils.h. The rules that fix every weight and pixel
// live in BuildGroupList and in FinishPixels; the passes are arranged for
// speed (blocks of rows, lanes the compiler vectorises) without changing a
// single output byte: integer sums do not depend on the order of their terms.

#include "Errors.h"
#include "JpegUtils.h"
#include "MessageQueue.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace vorpane {

namespace {

// The passes drain the message queue about every microsecond: after each
// group of pixels worked out together, rather than after each product as a
// plain loop would, which is the same for a window served every 10 ms. The
// benchmark builds this file once more with VORPANE_BENCH_NO_DRAIN to measure
// what the drains cost.
inline void Drain() {
#ifndef VORPANE_BENCH_NO_DRAIN
    DrainMessageQueue();
#endif
}

#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
// Every machine gets the plain build; those with AVX2 also a wider one,
// chosen at load time. Both compute the same integers.
#define VORPANE_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define VORPANE_VECTOR_CLONES
#endif

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

// ---- The passes ----------------------------------------------------------------

// The groups of a list flattened for the passes: entries First[k] ...
// First[k + 1] - 1 of Pixel and Weight belong to group k, whose weights add
// up to Total[k]. The passes multiply 16-bit weights by bytes into 32-bit
// sums, which vectorises well; a list whose weights could overflow either
// is refused. BuildGroupList's weights lie within +-256 and add up to a few
// thousand at most, far inside both limits.
struct TFlatGroups {
    std::vector<std::int32_t> First;
    std::vector<std::int32_t> Pixel;
    std::vector<std::int16_t> Weight;
    std::vector<std::int32_t> Total;
    std::int32_t MaxPixel = -1;

    TFlatGroups(const TGroupList& list, std::int32_t count) {
        First.reserve(static_cast<std::size_t>(count) + 1);
        Total.reserve(static_cast<std::size_t>(count));
        First.push_back(0);
        for (std::int32_t k = 0; k < count; ++k) {
            const TPixelGroup& group = list.at(static_cast<std::size_t>(k));
            std::int64_t total = 0;
            std::int64_t magnitude = 0;
            for (std::int32_t n = 0; n < group.Count; ++n) {
                const TPixelWeight& entry = group.Weights.at(static_cast<std::size_t>(n));
                if (entry.Pixel < 0 || entry.Weight < INT16_MIN || entry.Weight > INT16_MAX) {
                    throw ERangeError("Error size!");
                }
                Pixel.push_back(entry.Pixel);
                Weight.push_back(static_cast<std::int16_t>(entry.Weight));
                total += entry.Weight;
                magnitude += std::abs(entry.Weight);
                MaxPixel = std::max(MaxPixel, entry.Pixel);
            }
            if (magnitude * 255 > INT32_MAX) {
                throw ERangeError("Error size!");
            }
            First.push_back(static_cast<std::int32_t>(Pixel.size()));
            Total.push_back(static_cast<std::int32_t>(total));
        }
    }
};

// Turns channel sums into stored bytes: each sum divided by the group's
// total, the quotient cut toward zero, then held to 0 ... 255; black when the
// total is 0 or less. The division runs in double precision, which gives the
// integer quotient exactly wherever it matters: a quotient at or above 256
// rounds to at least 256 and one at or below 0 to at most 0, so both clamp
// alike; in between, an inexact quotient lies at least 1 / Total from the
// nearest integers while double rounding moves it by at most 256 * 2^-53,
// far less for any 32-bit total.
inline void FinishPixels(const std::int32_t* sums, std::int32_t total, std::uint8_t* out,
                         std::size_t count) {
    if (total <= 0) {
        std::memset(out, 0, count);
        return;
    }
    const double divisor = total;
    for (std::size_t i = 0; i < count; ++i) {
        const double quotient = static_cast<double>(sums[i]) / divisor;
        const double held = quotient < 0.0 ? 0.0 : (quotient > 255.0 ? 255.0 : quotient);
        out[i] = static_cast<std::uint8_t>(static_cast<std::int32_t>(held));
    }
}

// The horizontal pass works on blocks of kBlockRows source rows, laid out
// column by column in a tile: column x of the block is kLanes bytes (every
// row's three channels). A new column of the block is then the weighted sum
// of whole tile columns: kLanes independent sums the compiler keeps in
// vector registers.
constexpr std::int32_t kBlockRows = 16;
constexpr std::size_t kLanes = kBlockRows * 3;

VORPANE_VECTOR_CLONES
void HorizontalPass(std::int32_t rowCount, std::int32_t newWidth, const TScanLines& source,
                    const TScanLines& dest, const TFlatGroups& groups) {
    const std::size_t columns = static_cast<std::size_t>(groups.MaxPixel) + 1;
    std::vector<std::uint8_t> tile(columns * kLanes);
    for (std::int32_t top = 0; top < rowCount; top += kBlockRows) {
        const std::int32_t rows = std::min(kBlockRows, rowCount - top);
        for (std::int32_t r = 0; r < rows; ++r) {
            const std::uint8_t* from = source[static_cast<std::size_t>(top + r)];
            std::uint8_t* to = tile.data() + 3 * r;
            for (std::size_t x = 0; x < columns; ++x, from += 3, to += kLanes) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            }
        }
        Drain();
        for (std::int32_t k = 0; k < newWidth; ++k) {
            std::int32_t sums[kLanes] = {};
            for (std::int32_t n = groups.First[k]; n < groups.First[k + 1]; ++n) {
                const std::uint8_t* column =
                    tile.data() + static_cast<std::size_t>(groups.Pixel[n]) * kLanes;
                const std::int16_t weight = groups.Weight[n];
                for (std::size_t i = 0; i < kLanes; ++i) {
                    sums[i] += std::int32_t{weight} * std::int16_t{column[i]};
                }
            }
            std::uint8_t pixels[kLanes];
            FinishPixels(sums, groups.Total[k], pixels, kLanes);
            for (std::int32_t r = 0; r < rows; ++r) {
                std::memcpy(dest[static_cast<std::size_t>(top + r)] + 3 * k, pixels + 3 * r, 3);
            }
            Drain();
        }
    }
}

// The vertical pass makes one new row at a time: the weighted sum of whole
// source rows, lane by lane.
VORPANE_VECTOR_CLONES
void VerticalPass(std::int32_t width, std::int32_t newHeight, const TScanLines& source,
                  const TScanLines& dest, const TFlatGroups& groups) {
    const std::size_t lanes = static_cast<std::size_t>(width) * 3;
    std::vector<std::int32_t> sums(lanes);
    for (std::int32_t k = 0; k < newHeight; ++k) {
        std::fill(sums.begin(), sums.end(), 0);
        std::int32_t* const to = sums.data();
        for (std::int32_t n = groups.First[k]; n < groups.First[k + 1]; ++n) {
            const std::uint8_t* const from = source[static_cast<std::size_t>(groups.Pixel[n])];
            const std::int16_t weight = groups.Weight[n];
            for (std::size_t i = 0; i < lanes; ++i) {
                to[i] += std::int32_t{weight} * std::int16_t{from[i]};
            }
            Drain();
        }
        FinishPixels(to, groups.Total[k], dest[static_cast<std::size_t>(k)], lanes);
        Drain();
    }
}

} // namespace

// ---- The steps -------------------------------------------------------------------

void CheckSize(std::int64_t Value) {
    if (Value < 1 || Value > 32767) {
        throw ERangeError("Error size!");
    }
}

void PrepareSource(const TBitmap24* Bitmap) {
    if (Bitmap == nullptr) {
        throw ERangeError("Error size!");
    }
    CheckSize(Bitmap->Width());
    CheckSize(Bitmap->Height());
}

void SetBitmap24(TBitmap24& Bitmap, std::uint32_t Width, std::uint32_t Height) {
    Bitmap.SetSize(Width, Height);
}

void GetScanLines(TBitmap24& Bitmap, TScanLines& Lines) {
    Lines.resize(Bitmap.Height());
    for (std::uint32_t r = 0; r < Bitmap.Height(); ++r) {
        Lines[r] = Bitmap.Row(r);
        Drain();
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
            Drain();
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
        Drain();
    }
    return list;
}

void ApplyGroupList(std::int32_t OuterCount, std::int32_t InnerCount, const TScanLines& SourceLines,
                    const TScanLines& DestLines, bool Horizontal, const TGroupList& List) {
    if (OuterCount < 0 || InnerCount < 0) {
        throw ERangeError("Error size!");
    }
    const TFlatGroups groups(List, InnerCount);
    // The tables must hold every row the pass reaches (columns within a row
    // are the caller's to keep in range).
    const auto rows = [](const TScanLines& lines) {
        return static_cast<std::int64_t>(lines.size());
    };
    const bool fits = Horizontal
                          ? rows(SourceLines) >= OuterCount && rows(DestLines) >= OuterCount
                          : rows(SourceLines) > groups.MaxPixel && rows(DestLines) >= InnerCount;
    if (!fits) {
        throw ERangeError("Error size!");
    }
    if (Horizontal) {
        HorizontalPass(OuterCount, InnerCount, SourceLines, DestLines, groups);
    } else {
        VerticalPass(OuterCount, InnerCount, SourceLines, DestLines, groups);
    }
    Drain();
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
        const auto sourceWidth = static_cast<std::int32_t>(Source->Width());
        const auto sourceHeight = static_cast<std::int32_t>(Source->Height());

        TBitmap24 intermediate;
        SetBitmap24(intermediate, NewWidth, Source->Height());
        TScanLines first;
        TScanLines second;
        GetScanLines(*Source, first);
        GetScanLines(intermediate, second);
        TGroupList list = BuildGroupList(sourceWidth, NewWidth, FilterIndex);
        ApplyGroupList(sourceHeight, NewWidth, first, second, true, list);

        TBitmap24& target = Dest != nullptr ? *Dest : *Source;
        SetBitmap24(target, NewWidth, NewHeight);
        GetScanLines(target, first);
        list = BuildGroupList(sourceHeight, NewHeight, FilterIndex);
        ApplyGroupList(NewWidth, NewHeight, second, first, false, list);
        return true;
    } catch (...) {
        // Every failure inside, a size error included, is this answer.
        return false;
    }
}

} // namespace vorpane
