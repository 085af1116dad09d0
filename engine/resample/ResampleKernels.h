// The resampler's passes on x86-64, written once over the width of a vector
// register: TSse2 (16 bytes, which every x86-64 processor has) and TAvx2
// (32 bytes). ResamplePasses.cpp compiles them for SSE2 and
// ResamplePassesAvx2.cpp, built with -mavx2, for AVX2; HorizontalPass and
// VerticalPass pick one when they run. Everything here but the AVX2 entry
// points has internal linkage, so that neither compilation can stand in for
// the other's at link time.
//
// The horizontal pass turns each band on its side: for each source column,
// its 48 bytes (three channels of sixteen rows) lie together, then as 16-bit
// pairs with the next column's, so that one multiply-add weighs two columns
// of a group for many lanes at once. The vertical pass pairs source rows the
// same way. Interleaving and packing work within each 16-byte half of a
// register, so a wider register needs no reordering: the packing undoes the
// interleaving's order.
#pragma once

#include "resample/ResamplePasses.h"

#include <immintrin.h>

#include <algorithm>

namespace vorpane {

namespace avx2 {
void HorizontalPass(const std::uint8_t* const* Source, std::uint8_t* const* Dest,
                    const TPassGroups& Groups, THorizontalScratch& Scratch);
void VerticalPass(const std::uint8_t* const* Source, std::int32_t Width, std::int32_t First,
                  std::int32_t Last, std::uint8_t* const* Dest, const TPassGroups& Groups);
} // namespace avx2

namespace { // NOLINT(google-build-namespaces): one copy per vector width

// Two 16-bit weights side by side, as a multiply-add takes them against a
// pixel pair.
std::int32_t WeightPair(const std::int16_t* weight) {
    return static_cast<std::int32_t>(static_cast<std::uint16_t>(weight[0]) |
                                     (static_cast<std::uint32_t>(weight[1]) << 16));
}

struct TSse2 {
    using TVec = __m128i;
    using TDoubles = __m128d;
    static constexpr std::size_t kBytes = 16;

    static TVec Load(const void* p) { return _mm_loadu_si128(static_cast<const TVec*>(p)); }
    static void Put(void* p, TVec v) { _mm_storeu_si128(static_cast<TVec*>(p), v); }
    static TVec Zero() { return _mm_setzero_si128(); }
    static TVec Broadcast(std::int32_t value) { return _mm_set1_epi32(value); }
    static TDoubles Broadcast(double value) { return _mm_set1_pd(value); }
    static TVec Add(TVec a, TVec b) { return _mm_add_epi32(a, b); }
    // 16-bit pixel pairs times 16-bit weight pairs, each pair summed.
    static TVec MultiplyAdd(TVec pixels, TVec weights) { return _mm_madd_epi16(pixels, weights); }
    static TVec InterleaveLow(TVec a, TVec b) { return _mm_unpacklo_epi8(a, b); }
    static TVec InterleaveHigh(TVec a, TVec b) { return _mm_unpackhi_epi8(a, b); }
    // Four 32-bit lanes (sum + 1/2) * reciprocal, cut toward zero.
    static TVec Quotients(TVec sums, TDoubles half, TDoubles reciprocal) {
        const __m128d low = _mm_add_pd(_mm_cvtepi32_pd(sums), half);
        const __m128d high = _mm_add_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(sums, sums)), half);
        return _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_mul_pd(low, reciprocal)),
                                  _mm_cvttpd_epi32(_mm_mul_pd(high, reciprocal)));
    }
    // Bytes from 32-bit lanes, held to 0 ... 255.
    static TVec Pack(TVec q0, TVec q1, TVec q2, TVec q3) {
        return _mm_packus_epi16(_mm_packs_epi32(q0, q1), _mm_packs_epi32(q2, q3));
    }
    // Sixteen bytes as sixteen 16-bit lanes at Out.
    static void Widen(__m128i bytes, void* out) {
        Put(out, _mm_unpacklo_epi8(bytes, Zero()));
        Put(static_cast<char*>(out) + 16, _mm_unpackhi_epi8(bytes, Zero()));
    }
};

#if defined(__AVX2__)
struct TAvx2 {
    using TVec = __m256i;
    using TDoubles = __m256d;
    static constexpr std::size_t kBytes = 32;

    static TVec Load(const void* p) { return _mm256_loadu_si256(static_cast<const TVec*>(p)); }
    static void Put(void* p, TVec v) { _mm256_storeu_si256(static_cast<TVec*>(p), v); }
    static TVec Zero() { return _mm256_setzero_si256(); }
    static TVec Broadcast(std::int32_t value) { return _mm256_set1_epi32(value); }
    static TDoubles Broadcast(double value) { return _mm256_set1_pd(value); }
    static TVec Add(TVec a, TVec b) { return _mm256_add_epi32(a, b); }
    static TVec MultiplyAdd(TVec pixels, TVec weights) {
        return _mm256_madd_epi16(pixels, weights);
    }
    static TVec InterleaveLow(TVec a, TVec b) { return _mm256_unpacklo_epi8(a, b); }
    static TVec InterleaveHigh(TVec a, TVec b) { return _mm256_unpackhi_epi8(a, b); }
    static TVec Quotients(TVec sums, TDoubles half, TDoubles reciprocal) {
        const auto cut = [half, reciprocal](__m128i four) {
            return _mm256_cvttpd_epi32(
                _mm256_mul_pd(_mm256_add_pd(_mm256_cvtepi32_pd(four), half), reciprocal));
        };
        return _mm256_set_m128i(cut(_mm256_extracti128_si256(sums, 1)),
                                cut(_mm256_castsi256_si128(sums)));
    }
    static TVec Pack(TVec q0, TVec q1, TVec q2, TVec q3) {
        return _mm256_packus_epi16(_mm256_packs_epi32(q0, q1), _mm256_packs_epi32(q2, q3));
    }
    static void Widen(__m128i bytes, void* out) { Put(out, _mm256_cvtepu8_epi16(bytes)); }
};
#endif

// The stored bytes of sums: each divided by the group's total, the quotient
// cut toward zero, held to 0 ... 255; black when the total is 0 or less. The
// quotient is formed as (sum + 1/2) / total in double precision and cut: the
// exact (sum + 1/2) / total lies at least 1 / (2 total) from every integer,
// and its two roundings (the reciprocal, the product) move it by less than
// 2^-44, so the cut gives the integer quotient wherever it isn't held.
template <class V> struct TQuotients {
    typename V::TDoubles Half = V::Broadcast(0.5);
    typename V::TDoubles Reciprocal;
    bool Black;

    explicit TQuotients(std::int32_t total)
        : Reciprocal(V::Broadcast(total > 0 ? 1.0 / total : 0.0)), Black(total <= 0) {}

    typename V::TVec Of(typename V::TVec sums) const {
        return Black ? V::Zero() : V::Quotients(sums, Half, Reciprocal);
    }
};

// Transposes a 16 x 16 byte matrix held as sixteen rows. Each round
// interleaves row i with row i + 8, which rotates the eight bits of (row,
// column) by one; four rounds swap row and column.
void Transpose16(__m128i* rows) {
    // Unrolled whole, the rows stay in registers.
#pragma GCC unroll 4
    for (int round = 0; round < 4; ++round) {
        __m128i next[16];
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) {
            next[2 * i] = _mm_unpacklo_epi8(rows[i], rows[i + 8]);
            next[2 * i + 1] = _mm_unpackhi_epi8(rows[i], rows[i + 8]);
        }
#pragma GCC unroll 16
        for (int i = 0; i < 16; ++i) {
            rows[i] = next[i];
        }
    }
}

// Columns[j * 16 + r] = Rows[r][j] for j < Bytes.
void RowsToColumns(const std::uint8_t* const* rows, std::size_t bytes, std::uint8_t* columns) {
    std::size_t j = 0;
    for (; j + 16 <= bytes; j += 16) {
        __m128i block[16];
        for (int r = 0; r < 16; ++r) {
            block[r] = TSse2::Load(rows[r] + j);
        }
        Transpose16(block);
        for (int i = 0; i < 16; ++i) {
            TSse2::Put(columns + (j + i) * 16, block[i]);
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
            block[i] = TSse2::Load(columns + (j + i) * 16);
        }
        Transpose16(block);
        for (int r = 0; r < 16; ++r) {
            TSse2::Put(rows[r] + j, block[r]);
        }
    }
    for (; j < bytes; ++j) {
        for (int r = 0; r < 16; ++r) {
            rows[r][j] = columns[j * 16 + r];
        }
    }
}

// Column x of the band as 96 16-bit lanes: for each channel, for each row,
// the row's byte beside the same byte of column x + 1. Columns holds one
// zero column after the last, the partner of the last column.
template <class V>
void PairColumns(const std::uint8_t* columns, std::size_t count, std::int16_t* pairs) {
    for (std::size_t x = 0; x < count; ++x) {
        for (std::size_t c = 0; c < 3; ++c) {
            const std::uint8_t* column = columns + (3 * x + c) * 16;
            const __m128i a = TSse2::Load(column);
            const __m128i b = TSse2::Load(column + 48);
            std::int16_t* out = pairs + (x * 3 + c) * 32;
            V::Widen(_mm_unpacklo_epi8(a, b), out);
            V::Widen(_mm_unpackhi_epi8(a, b), out + 16);
        }
    }
}

// New columns of a band are made a stripe at a time, each stripe from the
// source columns its windows reach: the band's pairs would fill most of the
// processor's cache (192 bytes a column), a stripe's stay close at hand.
constexpr std::int32_t kStripeColumns = 64;

// A full band of kBandRows rows; a new column is 96 16-bit lanes, as many
// vectors of V per pair of weights.
template <class V>
void HorizontalKernel(const std::uint8_t* const* source, std::uint8_t* const* dest,
                      const TPassGroups& groups, THorizontalScratch& scratch) {
    static_assert(kBandRows == 16 && 96 * 2 % V::kBytes == 0);
    constexpr std::size_t kVectors = 96 * 2 / V::kBytes;
    const std::int32_t columns = groups.MaxPixel + 1;
    const std::size_t newBytes = std::size_t(groups.Count) * 3;
    scratch.Result.resize(newBytes * 16);
    for (std::int32_t first = 0; first < groups.Count; first += kStripeColumns) {
        const std::int32_t last = std::min(first + kStripeColumns, groups.Count);
        // The stripe's pairs start at columns x0 ... x0 + pairs - 1; their
        // partners reach one further, a zero column past the last.
        const auto starts =
            std::minmax_element(groups.Start.begin() + first, groups.Start.begin() + last);
        const std::int32_t x0 = *starts.first;
        const std::int32_t pairs =
            groups.PairSpan == 0 ? 0 : *starts.second - x0 + groups.PairSpan - 1;
        const std::size_t inside = std::size_t(std::min(pairs + 1, columns - x0)) * 3;
        scratch.Columns.resize(std::size_t(pairs + 1) * 48);
        const std::uint8_t* from[kBandRows];
        for (std::int32_t r = 0; r < kBandRows; ++r) {
            from[r] = source[r] + std::size_t(x0) * 3;
        }
        RowsToColumns(from, inside, scratch.Columns.data());
        std::fill(scratch.Columns.begin() + std::ptrdiff_t(inside * 16), scratch.Columns.end(), 0);
        scratch.Pairs.resize(std::size_t(pairs) * 96);
        PairColumns<V>(scratch.Columns.data(), std::size_t(pairs), scratch.Pairs.data());

        for (std::int32_t k = first; k < last; ++k) {
            const std::int16_t* weight = groups.Weight.data() + std::size_t(k) * groups.PairSpan;
            const std::int16_t* column =
                scratch.Pairs.data() + std::size_t(groups.Start[k] - x0) * 96;
            typename V::TVec sums[kVectors];
            std::fill(sums, sums + kVectors, V::Zero());
            for (std::int32_t t = 0; t < groups.PairSpan; t += 2, column += 2 * 96) {
                const typename V::TVec weights = V::Broadcast(WeightPair(weight + t));
                for (std::size_t v = 0; v < kVectors; ++v) {
                    sums[v] = V::Add(sums[v],
                                     V::MultiplyAdd(V::Load(column + v * V::kBytes / 2), weights));
                }
            }
            // The quotients of each channel's sixteen rows, packed to bytes.
            alignas(32) std::int32_t quotients[48];
            const TQuotients<V> divide(groups.Total[k]);
            for (std::size_t v = 0; v < kVectors; ++v) {
                V::Put(quotients + v * V::kBytes / 4, divide.Of(sums[v]));
            }
            for (std::size_t c = 0; c < 3; ++c) {
                const std::int32_t* q = quotients + 16 * c;
                TSse2::Put(scratch.Result.data() + (std::size_t(k) * 3 + c) * 16,
                           TSse2::Pack(TSse2::Load(q), TSse2::Load(q + 4), TSse2::Load(q + 8),
                                       TSse2::Load(q + 12)));
            }
            DrainInPass();
        }
    }
    ColumnsToRows(scratch.Result.data(), newBytes, dest);
    DrainInPass();
}

// V::kBytes bytes of a new row at a time, for rows of at least that many;
// the last ones overlap those before when the row's length is no multiple
// of it. A window of odd length takes its last row twice, the second time
// with the weight 0.
template <class V>
void VerticalKernel(const std::uint8_t* const* source, std::int32_t width, std::int32_t first,
                    std::int32_t last, std::uint8_t* const* dest, const TPassGroups& groups) {
    using TVec = typename V::TVec;
    const std::size_t lanes = std::size_t(width) * 3;
    const std::size_t pairCount = std::size_t(groups.PairSpan) / 2;
    std::vector<const std::uint8_t*> upper(pairCount);
    std::vector<const std::uint8_t*> lower(pairCount);
    std::vector<std::int32_t> weights(pairCount);
    const TVec zero = V::Zero();
    for (std::int32_t k = first; k < last; ++k) {
        const std::int16_t* weight = groups.Weight.data() + std::size_t(k) * groups.PairSpan;
        for (std::size_t p = 0; p < pairCount; ++p) {
            const std::int32_t t = std::int32_t(2 * p);
            upper[p] = source[groups.Start[k] + t];
            lower[p] = source[groups.Start[k] + std::min(t + 1, groups.Span - 1)];
            weights[p] = WeightPair(weight + t);
        }
        const TQuotients<V> divide(groups.Total[k]);
        for (std::size_t done = 0; done < lanes; done += V::kBytes) {
            const std::size_t i = std::min(done, lanes - V::kBytes);
            TVec sums[4] = {zero, zero, zero, zero};
            for (std::size_t p = 0; p < pairCount; ++p) {
                const TVec pair = V::Broadcast(weights[p]);
                const TVec a = V::Load(upper[p] + i);
                const TVec b = V::Load(lower[p] + i);
                const TVec low = V::InterleaveLow(a, b);
                const TVec high = V::InterleaveHigh(a, b);
                sums[0] = V::Add(sums[0], V::MultiplyAdd(V::InterleaveLow(low, zero), pair));
                sums[1] = V::Add(sums[1], V::MultiplyAdd(V::InterleaveHigh(low, zero), pair));
                sums[2] = V::Add(sums[2], V::MultiplyAdd(V::InterleaveLow(high, zero), pair));
                sums[3] = V::Add(sums[3], V::MultiplyAdd(V::InterleaveHigh(high, zero), pair));
            }
            V::Put(dest[k] + i, V::Pack(divide.Of(sums[0]), divide.Of(sums[1]), divide.Of(sums[2]),
                                        divide.Of(sums[3])));
            DrainInPass();
        }
    }
}

} // namespace

} // namespace vorpane
