#include "ResamplePasses.h"

#include "Errors.h"
#include "MessageQueue.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>

// The pairs of the horizontal pass are read as aligned vectors.
static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ >= 16);
#endif

namespace vorpane {

namespace {

// The passes drain the message queue about every microsecond: after each
// new column of a band and each sixteen bytes of a new row, rather than
// after each product as a plain loop would, which is the same for a window
// served every 10 ms. The benchmark builds this file once more with
// VORPANE_BENCH_NO_DRAIN to measure what the drains cost.
inline void Drain() {
#ifndef VORPANE_BENCH_NO_DRAIN
    DrainMessageQueue();
#endif
}

// The stored byte of one channel: the sum divided by the group's total, the
// quotient cut toward zero, held to 0 ... 255; black when the total is 0 or
// less.
std::uint8_t Store(std::int32_t sum, std::int32_t total) {
    if (total <= 0) {
        return 0;
    }
    return static_cast<std::uint8_t>(std::clamp(sum / total, 0, 255));
}

// One new row, or the lanes From ... To - 1 of it, one byte at a time.
void VerticalLanes(const std::uint8_t* const* source, std::size_t from, std::size_t to,
                   std::int32_t k, std::uint8_t* dest, const TPassGroups& groups) {
    const std::int16_t* weight = groups.Weight.data() + std::size_t(k) * groups.PairSpan;
    for (std::size_t i = from; i < to; ++i) {
        std::int32_t sum = 0;
        for (std::int32_t t = 0; t < groups.Span; ++t) {
            sum += std::int32_t{weight[t]} * source[groups.Start[k] + t][i];
        }
        dest[i] = Store(sum, groups.Total[k]);
    }
    Drain();
}

#if defined(__SSE2__)

// ---- SSE2, which every x86-64 processor has ----------------------------------

// Two 16-bit weights side by side, as _mm_madd_epi16 takes them against a
// pixel pair.
std::int32_t WeightPair(const std::int16_t* weight) {
    return static_cast<std::int32_t>(static_cast<std::uint16_t>(weight[0]) |
                                     (static_cast<std::uint32_t>(weight[1]) << 16));
}

// Sixteen stored bytes from sixteen channel sums of one group (Sums[q] holding
// lanes 4q ... 4q + 3). The quotient is formed as (sum + 1/2) / total in
// double precision and cut: the exact (sum + 1/2) / total lies at least
// 1 / (2 total) from every integer, and two roundings move it by less than
// 2^-44, so the cut gives the integer quotient wherever it is stored
// unclamped; packing with saturation holds it to 0 ... 255.
__m128i StoreSixteen(const __m128i* sums, std::int32_t total) {
    if (total <= 0) {
        return _mm_setzero_si128();
    }
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d reciprocal = _mm_set1_pd(1.0 / total);
    __m128i quotients[4];
    for (int q = 0; q < 4; ++q) {
        const __m128d low = _mm_add_pd(_mm_cvtepi32_pd(sums[q]), half);
        const __m128d high =
            _mm_add_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(sums[q], sums[q])), half);
        quotients[q] = _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_mul_pd(low, reciprocal)),
                                          _mm_cvttpd_epi32(_mm_mul_pd(high, reciprocal)));
    }
    return _mm_packus_epi16(_mm_packs_epi32(quotients[0], quotients[1]),
                            _mm_packs_epi32(quotients[2], quotients[3]));
}

// Transposes a 16 x 16 byte matrix held as sixteen rows. Each round
// interleaves row i with row i + 8, which rotates the eight bits of (row,
// column) by one; four rounds swap row and column.
void Transpose16(__m128i* rows) {
    for (int round = 0; round < 4; ++round) {
        __m128i next[16];
        for (int i = 0; i < 8; ++i) {
            next[2 * i] = _mm_unpacklo_epi8(rows[i], rows[i + 8]);
            next[2 * i + 1] = _mm_unpackhi_epi8(rows[i], rows[i + 8]);
        }
        std::copy(next, next + 16, rows);
    }
}

// Columns[j * 16 + r] = Rows[r][j] for j < Bytes.
void RowsToColumns(const std::uint8_t* const* rows, std::size_t bytes, std::uint8_t* columns) {
    std::size_t j = 0;
    for (; j + 16 <= bytes; j += 16) {
        __m128i block[16];
        for (int r = 0; r < 16; ++r) {
            block[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + j));
        }
        Transpose16(block);
        for (int i = 0; i < 16; ++i) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(columns + (j + i) * 16), block[i]);
        }
    }
    for (; j < bytes; ++j) {
        for (int r = 0; r < 16; ++r) {
            columns[j * 16 + r] = rows[r][j];
        }
    }
}

// Rows[r][j] = Columns[j * 16 + r] for j < Bytes.
void ColumnsToRows(const std::uint8_t* columns, std::size_t bytes, std::uint8_t* const* rows) {
    std::size_t j = 0;
    for (; j + 16 <= bytes; j += 16) {
        __m128i block[16];
        for (int i = 0; i < 16; ++i) {
            block[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(columns + (j + i) * 16));
        }
        Transpose16(block);
        for (int r = 0; r < 16; ++r) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r] + j), block[r]);
        }
    }
    for (; j < bytes; ++j) {
        for (int r = 0; r < 16; ++r) {
            rows[r][j] = columns[j * 16 + r];
        }
    }
}

#endif

} // namespace

#if defined(__SSE2__)

// The band is turned on its side: for each source column, its 48 bytes
// (three channels of sixteen rows) lie together, and then as 16-bit pairs
// with the next column's, so that one multiply-add weighs two columns of
// a group at once for all 48 of them. A new column is 12 such vectors per
// pair of weights; the results are turned back into rows at the end.
void HorizontalPass(const std::uint8_t* const* Source, std::int32_t RowCount,
                    std::uint8_t* const* Dest, const TPassGroups& Groups,
                    THorizontalScratch& Scratch) {
    if (RowCount < 1 || RowCount > kBandRows) {
        throw ERangeError("Error size!");
    }
    // Missing rows of a short band repeat its last row; their results are
    // thrown away.
    const std::uint8_t* from[kBandRows];
    std::uint8_t* to[kBandRows];
    const std::size_t newBytes = std::size_t(Groups.Count) * 3;
    Scratch.Discard.resize(newBytes);
    for (std::int32_t r = 0; r < kBandRows; ++r) {
        from[r] = Source[std::min(r, RowCount - 1)];
        to[r] = r < RowCount ? Dest[r] : Scratch.Discard.data();
    }

    // One zero column after the last, the partner of the last column.
    const std::size_t columns = std::size_t(Groups.MaxPixel + 1);
    const std::size_t bytes = columns * 3;
    Scratch.Columns.resize((bytes + 3) * 16);
    RowsToColumns(from, bytes, Scratch.Columns.data());
    std::fill(Scratch.Columns.begin() + std::ptrdiff_t(bytes * 16), Scratch.Columns.end(), 0);

    // Column x as 12 vectors: for each channel, four of rows 4q ... 4q + 3,
    // each row's byte beside the same byte of column x + 1.
    Scratch.Pairs.resize(columns * 12 * 8);
    auto* pairs = reinterpret_cast<__m128i*>(Scratch.Pairs.data());
    const __m128i zero = _mm_setzero_si128();
    for (std::size_t x = 0; x < columns; ++x) {
        for (std::size_t c = 0; c < 3; ++c) {
            const std::uint8_t* column = Scratch.Columns.data() + (3 * x + c) * 16;
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + 48));
            const __m128i low = _mm_unpacklo_epi8(a, b);
            const __m128i high = _mm_unpackhi_epi8(a, b);
            __m128i* out = pairs + x * 12 + c * 4;
            out[0] = _mm_unpacklo_epi8(low, zero);
            out[1] = _mm_unpackhi_epi8(low, zero);
            out[2] = _mm_unpacklo_epi8(high, zero);
            out[3] = _mm_unpackhi_epi8(high, zero);
        }
    }
    Drain();

    Scratch.Result.resize(newBytes * 16);
    for (std::int32_t k = 0; k < Groups.Count; ++k) {
        const std::int16_t* weight = Groups.Weight.data() + std::size_t(k) * Groups.PairSpan;
        const __m128i* column = pairs + std::size_t(Groups.Start[k]) * 12;
        __m128i sums[12];
        std::fill(sums, sums + 12, zero);
        for (std::int32_t t = 0; t < Groups.PairSpan; t += 2, column += 24) {
            const __m128i weights = _mm_set1_epi32(WeightPair(weight + t));
            for (int v = 0; v < 12; ++v) {
                sums[v] = _mm_add_epi32(sums[v], _mm_madd_epi16(column[v], weights));
            }
        }
        for (int c = 0; c < 3; ++c) {
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(Scratch.Result.data() + (std::size_t(k) * 3 + c) * 16),
                StoreSixteen(sums + 4 * c, Groups.Total[k]));
        }
        Drain();
    }
    ColumnsToRows(Scratch.Result.data(), newBytes, to);
    Drain();
}

// Sixteen bytes of a new row at a time, the source rows taken two by two:
// their bytes interleaved as 16-bit pairs, one multiply-add per pair of rows
// and four lanes. The last sixteen bytes of a row overlap the ones before
// when the row's length is no multiple of sixteen; rows shorter than sixteen
// bytes are made one byte at a time.
void VerticalPass(const std::uint8_t* const* Source, std::int32_t Width, std::int32_t First,
                  std::int32_t Last, std::uint8_t* const* Dest, const TPassGroups& Groups) {
    const std::size_t lanes = std::size_t(Width) * 3;
    const std::size_t pairCount = std::size_t(Groups.PairSpan) / 2;
    std::vector<const std::uint8_t*> upper(pairCount);
    std::vector<const std::uint8_t*> lower(pairCount);
    std::vector<std::int32_t> weights(pairCount);
    const __m128i zero = _mm_setzero_si128();
    for (std::int32_t k = First; k < Last; ++k) {
        if (lanes < 16) {
            VerticalLanes(Source, 0, lanes, k, Dest[k], Groups);
            continue;
        }
        const std::int16_t* weight = Groups.Weight.data() + std::size_t(k) * Groups.PairSpan;
        // A window of odd length takes its last row twice, the second time
        // with the weight 0.
        for (std::size_t p = 0; p < pairCount; ++p) {
            const std::int32_t t = std::int32_t(2 * p);
            upper[p] = Source[Groups.Start[k] + t];
            lower[p] = Source[Groups.Start[k] + std::min(t + 1, Groups.Span - 1)];
            weights[p] = WeightPair(weight + t);
        }
        for (std::size_t done = 0; done < lanes; done += 16) {
            const std::size_t i = std::min(done, lanes - 16);
            __m128i sums[4] = {zero, zero, zero, zero};
            for (std::size_t p = 0; p < pairCount; ++p) {
                const __m128i weight = _mm_set1_epi32(weights[p]);
                const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper[p] + i));
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower[p] + i));
                const __m128i low = _mm_unpacklo_epi8(a, b);
                const __m128i high = _mm_unpackhi_epi8(a, b);
                sums[0] =
                    _mm_add_epi32(sums[0], _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), weight));
                sums[1] =
                    _mm_add_epi32(sums[1], _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), weight));
                sums[2] =
                    _mm_add_epi32(sums[2], _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), weight));
                sums[3] =
                    _mm_add_epi32(sums[3], _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), weight));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(Dest[k] + i),
                             StoreSixteen(sums, Groups.Total[k]));
            Drain();
        }
    }
}

#else

// ---- Elsewhere: one product at a time --------------------------------------------

void HorizontalPass(const std::uint8_t* const* Source, std::int32_t RowCount,
                    std::uint8_t* const* Dest, const TPassGroups& Groups, THorizontalScratch&) {
    if (RowCount < 1 || RowCount > kBandRows) {
        throw ERangeError("Error size!");
    }
    for (std::int32_t r = 0; r < RowCount; ++r) {
        for (std::int32_t k = 0; k < Groups.Count; ++k) {
            const std::int16_t* weight = Groups.Weight.data() + std::size_t(k) * Groups.PairSpan;
            for (int c = 0; c < 3; ++c) {
                std::int32_t sum = 0;
                for (std::int32_t t = 0; t < Groups.Span; ++t) {
                    sum += std::int32_t{weight[t]} * Source[r][3 * (Groups.Start[k] + t) + c];
                }
                Dest[r][3 * k + c] = Store(sum, Groups.Total[k]);
            }
            Drain();
        }
    }
}

void VerticalPass(const std::uint8_t* const* Source, std::int32_t Width, std::int32_t First,
                  std::int32_t Last, std::uint8_t* const* Dest, const TPassGroups& Groups) {
    for (std::int32_t k = First; k < Last; ++k) {
        VerticalLanes(Source, 0, std::size_t(Width) * 3, k, Dest[k], Groups);
    }
}

#endif

TPassGroups::TPassGroups(const TGroupList& List, std::int32_t Count) : Count(Count) {
    if (Count < 0) {
        throw ERangeError("Error size!");
    }
    const std::size_t count = std::size_t(Count);
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
                throw ERangeError("Error size!");
            }
            total += entry.Weight;
            magnitude += std::abs(entry.Weight);
            low = std::min(low, entry.Pixel);
            high = std::max(high, entry.Pixel);
        }
        if (magnitude * 255 > INT32_MAX) {
            throw ERangeError("Error size!");
        }
        // A group without entries gets an empty window at pixel 0.
        lowest[k] = high < 0 ? 0 : low;
        Total[k] = std::int32_t(total);
        MaxPixel = std::max(MaxPixel, high);
        Span = std::max(Span, high - lowest[k] + 1);
    }
    PairSpan = Span + Span % 2;
    if (std::int64_t{Count} * PairSpan > kMaxWindowWeights) {
        throw ERangeError("Error size!");
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
                throw ERangeError("Error size!");
            }
            slot = std::int16_t(sum);
        }
    }
}

} // namespace vorpane
