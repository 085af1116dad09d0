#include "resample/ResamplePasses.h"

#include "Errors.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>

#if defined(__x86_64__)
#include "resample/ResampleKernels.h"
#endif

namespace vorpane {

namespace {

// The stored byte of one channel: the sum divided by the group's total, the
// quotient cut toward zero, held to 0 ... 255; black when the total is 0 or
// less.
std::uint8_t StoredByte(std::int32_t sum, std::int32_t total) {
    if (total <= 0) {
        return 0;
    }
    return static_cast<std::uint8_t>(std::clamp(sum / total, 0, 255));
}

// One new row, one byte at a time.
void VerticalRow(const std::uint8_t* const* source, std::size_t lanes, std::int32_t k,
                 std::uint8_t* dest, const TPassGroups& groups) {
    const std::int16_t* weight = groups.Weight.data() + std::size_t(k) * groups.PairSpan;
    for (std::size_t i = 0; i < lanes; ++i) {
        std::int32_t sum = 0;
        for (std::int32_t t = 0; t < groups.Span; ++t) {
            sum += std::int32_t{weight[t]} * source[groups.Start[k] + t][i];
        }
        dest[i] = StoredByte(sum, groups.Total[k]);
    }
    DrainInPass();
}

std::atomic<bool> sse2Only{false};

#if defined(__x86_64__)
bool HasAvx2() {
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2 && !sse2Only.load(std::memory_order_relaxed);
}
#endif

} // namespace

void KeepPassesToSse2(bool Only) {
    sse2Only = Only;
}

#if defined(__x86_64__)

void HorizontalPass(const std::uint8_t* const* Source, std::int32_t RowCount,
                    std::uint8_t* const* Dest, const TPassGroups& Groups,
                    THorizontalScratch& Scratch) {
    if (RowCount < 1 || RowCount > kBandRows) {
        ThrowSizeError();
    }
    // A short band repeats its last row; the results of the repeats are
    // thrown away.
    const std::uint8_t* from[kBandRows];
    std::uint8_t* to[kBandRows];
    Scratch.Discard.resize(std::size_t(Groups.Count) * 3);
    for (std::int32_t r = 0; r < kBandRows; ++r) {
        from[r] = Source[std::min(r, RowCount - 1)];
        to[r] = r < RowCount ? Dest[r] : Scratch.Discard.data();
    }
    if (HasAvx2()) {
        avx2::HorizontalPass(from, to, Groups, Scratch);
    } else {
        HorizontalKernel<TSse2>(from, to, Groups, Scratch);
    }
}

void VerticalPass(const std::uint8_t* const* Source, std::int32_t Width, std::int32_t First,
                  std::int32_t Last, std::uint8_t* const* Dest, const TPassGroups& Groups) {
    const std::size_t lanes = std::size_t(Width) * 3;
    if (lanes >= 32 && HasAvx2()) {
        avx2::VerticalPass(Source, Width, First, Last, Dest, Groups);
    } else if (lanes >= 16) {
        VerticalKernel<TSse2>(Source, Width, First, Last, Dest, Groups);
    } else {
        for (std::int32_t k = First; k < Last; ++k) {
            VerticalRow(Source, lanes, k, Dest[k], Groups);
        }
    }
}

#else

// Elsewhere: one product at a time.

void HorizontalPass(const std::uint8_t* const* Source, std::int32_t RowCount,
                    std::uint8_t* const* Dest, const TPassGroups& Groups, THorizontalScratch&) {
    if (RowCount < 1 || RowCount > kBandRows) {
        ThrowSizeError();
    }
    for (std::int32_t r = 0; r < RowCount; ++r) {
        for (std::int32_t k = 0; k < Groups.Count; ++k) {
            const std::int16_t* weight = Groups.Weight.data() + std::size_t(k) * Groups.PairSpan;
            for (int c = 0; c < 3; ++c) {
                std::int32_t sum = 0;
                for (std::int32_t t = 0; t < Groups.Span; ++t) {
                    sum += std::int32_t{weight[t]} * Source[r][3 * (Groups.Start[k] + t) + c];
                }
                Dest[r][3 * k + c] = StoredByte(sum, Groups.Total[k]);
            }
            DrainInPass();
        }
    }
}

void VerticalPass(const std::uint8_t* const* Source, std::int32_t Width, std::int32_t First,
                  std::int32_t Last, std::uint8_t* const* Dest, const TPassGroups& Groups) {
    for (std::int32_t k = First; k < Last; ++k) {
        VerticalRow(Source, std::size_t(Width) * 3, k, Dest[k], Groups);
    }
}

#endif

TPassGroups::TPassGroups(const TGroupList& List, std::int32_t GroupCount) : Count(GroupCount) {
    if (GroupCount < 0) {
        ThrowSizeError();
    }
    const std::size_t count = std::size_t(GroupCount);
    std::vector<std::int32_t> lowest(count, 0);
    Start.resize(count);
    Total.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        const TPixelGroup& group = List.at(k);
        std::int64_t total = 0;
        std::int64_t magnitude = 0;
        std::int32_t low = INT32_MAX;
        std::int32_t high = -1;
        for (std::int32_t n = 0; n < group.Count; ++n) {
            const TPixelWeight& entry = group.Weights.at(std::size_t(n));
            if (entry.Pixel < 0 || entry.Weight < -32767 || entry.Weight > 32767) {
                ThrowSizeError();
            }
            total += entry.Weight;
            magnitude += std::abs(entry.Weight);
            low = std::min(low, entry.Pixel);
            high = std::max(high, entry.Pixel);
        }
        if (magnitude * 255 > INT32_MAX) {
            ThrowSizeError();
        }
        // A group without entries gets an empty window at pixel 0.
        lowest[k] = high < 0 ? 0 : low;
        Total[k] = std::int32_t(total);
        MaxPixel = std::max(MaxPixel, high);
        Span = std::max(Span, high - lowest[k] + 1);
    }
    PairSpan = Span + Span % 2;
    if (std::int64_t{Count} * PairSpan > kMaxWindowWeights) {
        ThrowSizeError();
    }
    Weight.assign(count * std::size_t(PairSpan), 0);
    for (std::size_t k = 0; k < count; ++k) {
        // Windows near the far edge move back so as to end inside.
        Start[k] = std::min(lowest[k], MaxPixel + 1 - Span);
        std::int16_t* weight = Weight.data() + k * std::size_t(PairSpan);
        const TPixelGroup& group = List[k];
        for (std::int32_t n = 0; n < group.Count; ++n) {
            const TPixelWeight& entry = group.Weights[std::size_t(n)];
            std::int16_t& slot = weight[entry.Pixel - Start[k]];
            const std::int32_t sum = slot + entry.Weight;
            if (sum < -32767 || sum > 32767) {
                ThrowSizeError();
            }
            slot = std::int16_t(sum);
        }
    }
}

} // namespace vorpane
