#include "Errors.h"
#include "MessageQueue.h"
#include "prepare/JpegUtils.h"
#include "resample/ResamplePasses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace vorpane {
namespace {

using TEntries = std::vector<std::pair<std::int32_t, std::int32_t>>;

TEntries EntriesOf(const TPixelGroup& group) {
    TEntries entries;
    for (std::int32_t n = 0; n < group.Count; ++n) {
        entries.emplace_back(group.Weights[n].Pixel, group.Weights[n].Weight);
    }
    return entries;
}

// A bitmap one row high whose pixels are grey levels: all three bytes alike.
TBitmap24 GreyRow(const std::vector<int>& levels) {
    TBitmap24 bitmap(static_cast<std::uint32_t>(levels.size()), 1);
    for (std::size_t x = 0; x < levels.size(); ++x) {
        for (int c = 0; c < 3; ++c) {
            bitmap.Row(0)[3 * x + c] = static_cast<std::uint8_t>(levels[x]);
        }
    }
    return bitmap;
}

std::vector<int> GreyLevels(const TBitmap24& bitmap, std::uint32_t row = 0) {
    std::vector<int> levels;
    for (std::uint32_t x = 0; x < bitmap.Width(); ++x) {
        const std::uint8_t* pixel = bitmap.Row(row) + 3 * x;
        EXPECT_TRUE(pixel[0] == pixel[1] && pixel[1] == pixel[2]) << "pixel " << x;
        levels.push_back(pixel[0]);
    }
    return levels;
}

std::vector<int> ScaleRow(const std::vector<int>& levels, std::uint16_t newWidth, int filter) {
    TBitmap24 source = GreyRow(levels);
    TBitmap24 dest;
    EXPECT_TRUE(ResampleBitmap(&source, &dest, newWidth, 1, filter));
    EXPECT_EQ(dest.Height(), 1u);
    return GreyLevels(dest);
}

TBitmap24 RandomBitmap(std::mt19937& random, std::uint32_t width, std::uint32_t height) {
    TBitmap24 bitmap(width, height);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::size_t i = 0; i < bitmap.RowBytes(); ++i) {
            bitmap.Row(y)[i] = static_cast<std::uint8_t>(byte(random));
        }
    }
    return bitmap;
}

// The passes as the rules state them, one product at a time, for comparison
// with the resampler's own passes.
std::uint8_t NaiveStore(std::int32_t sum, std::int32_t total) {
    if (total <= 0) {
        return 0;
    }
    const std::int32_t quotient = sum / total;
    return static_cast<std::uint8_t>(quotient < 0 ? 0 : (quotient > 255 ? 255 : quotient));
}

TBitmap24 NaiveResample(const TBitmap24& source, std::uint32_t newWidth, std::uint32_t newHeight,
                        int filter) {
    const auto width = static_cast<std::int32_t>(source.Width());
    const auto height = static_cast<std::int32_t>(source.Height());
    const TGroupList across = BuildGroupList(width, static_cast<std::int32_t>(newWidth), filter);
    TBitmap24 middle(newWidth, source.Height());
    for (std::int32_t o = 0; o < height; ++o) {
        for (std::uint32_t k = 0; k < newWidth; ++k) {
            std::int32_t sums[3] = {};
            std::int32_t total = 0;
            for (const auto& [pixel, weight] : EntriesOf(across[k])) {
                for (int c = 0; c < 3; ++c) {
                    sums[c] += weight * source.Row(o)[3 * pixel + c];
                }
                total += weight;
            }
            for (int c = 0; c < 3; ++c) {
                middle.Row(o)[3 * k + c] = NaiveStore(sums[c], total);
            }
        }
    }
    const TGroupList down = BuildGroupList(height, static_cast<std::int32_t>(newHeight), filter);
    TBitmap24 result(newWidth, newHeight);
    for (std::uint32_t o = 0; o < newWidth; ++o) {
        for (std::uint32_t k = 0; k < newHeight; ++k) {
            std::int32_t sums[3] = {};
            std::int32_t total = 0;
            for (const auto& [pixel, weight] : EntriesOf(down[k])) {
                for (int c = 0; c < 3; ++c) {
                    sums[c] += weight * middle.Row(pixel)[3 * o + c];
                }
                total += weight;
            }
            for (int c = 0; c < 3; ++c) {
                result.Row(k)[3 * o + c] = NaiveStore(sums[c], total);
            }
        }
    }
    return result;
}

// ---- The worked examples ------------------------------------------------------

TEST(BuildGroupList, TriangleTwoToThree) {
    const TGroupList list = BuildGroupList(2, 3, kTriangleFilter);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(EntriesOf(list[0]), (TEntries{{0, 256}}));
    EXPECT_EQ(EntriesOf(list[1]), (TEntries{{0, 128}, {1, 128}}));
    EXPECT_EQ(EntriesOf(list[2]), (TEntries{{1, 256}}));
    // 0 * 128 + 255 * 128 = 32640, / 256 = 127.5, cut to 127.
    EXPECT_EQ(ScaleRow({0, 255}, 3, kTriangleFilter), (std::vector<int>{0, 127, 255}));
}

TEST(BuildGroupList, TriangleThreeToTwo) {
    const TGroupList list = BuildGroupList(3, 2, kTriangleFilter);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(EntriesOf(list[0]), (TEntries{{1, 64}, {0, 128}, {1, 64}}));
    EXPECT_EQ(EntriesOf(list[1]), (TEntries{{1, 64}, {2, 128}, {2, 64}}));
    EXPECT_EQ(ScaleRow({0, 100, 200}, 2, kTriangleFilter), (std::vector<int>{50, 175}));
}

TEST(BuildGroupList, Lanczos3FourToSeven) {
    const TGroupList list = BuildGroupList(4, 7, kLanczos3Filter);
    ASSERT_EQ(list.size(), 7u);
    for (const TPixelGroup& group : list) {
        EXPECT_EQ(group.Weights.size(), 7u); // floor(2 * 3 + 1)
    }
    EXPECT_EQ(EntriesOf(list[0]), (TEntries{{0, 256}}));
    EXPECT_EQ(EntriesOf(list[2]), (TEntries{{1, 256}}));
    EXPECT_EQ(EntriesOf(list[4]), (TEntries{{2, 256}}));
    EXPECT_EQ(EntriesOf(list[6]), (TEntries{{3, 256}}));
    const TEntries one{{2, 6}, {1, -35}, {0, 156}, {1, 156}, {2, -35}, {3, 6}};
    EXPECT_EQ(EntriesOf(list[1]), one);
    std::int32_t total = 0;
    for (const auto& entry : one) {
        total += entry.second;
    }
    EXPECT_EQ(total, 254);
    // Destination 1 sums to -5865: -23, stored as 0.
    EXPECT_EQ(ScaleRow({0, 0, 255, 255}, 7, kLanczos3Filter),
              (std::vector<int>{0, 0, 0, 127, 255, 255, 255}));
    // The other way round destination 1 overshoots: 70635 / 254 = 278, held to 255.
    EXPECT_EQ(ScaleRow({255, 255, 0, 0}, 7, kLanczos3Filter)[1], 255);
}

TEST(BuildGroupList, AnUnchangedAxisCopies) {
    for (int filter : {kTriangleFilter, kLanczos3Filter}) {
        for (std::int32_t size : {1, 2, 5, 17}) {
            const TGroupList list = BuildGroupList(size, size, filter);
            for (std::int32_t i = 0; i < size; ++i) {
                EXPECT_EQ(EntriesOf(list[i]), (TEntries{{i, 256}}))
                    << "filter " << filter << ", size " << size;
            }
        }
    }
    // Only the width changes: each column keeps its rows exactly.
    std::mt19937 random(7);
    TBitmap24 source = RandomBitmap(random, 5, 9);
    TBitmap24 dest;
    ASSERT_TRUE(ResampleBitmap(&source, &dest, 5, 4, kLanczos3Filter));
    TBitmap24 narrow;
    ASSERT_TRUE(ResampleBitmap(&source, &narrow, 3, 9, kLanczos3Filter));
    EXPECT_EQ(narrow, NaiveResample(source, 3, 9, kLanczos3Filter));
}

TEST(BuildGroupList, ShrinkingToOneCentresOnTheFirstPixel) {
    // scale 1/5, support 5; weights 256 * 0.2 * (1 - 0.2 |j|), mirrored.
    const TGroupList list = BuildGroupList(5, 1, kTriangleFilter);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(
        EntriesOf(list[0]),
        (TEntries{
            {4, 10}, {3, 20}, {2, 31}, {1, 41}, {0, 51}, {1, 41}, {2, 31}, {3, 20}, {4, 10}}));
    // Total 255: the first pixel counts 51 times, the last only 20 times.
    EXPECT_EQ(ScaleRow({255, 0, 0, 0, 0}, 1, kTriangleFilter), (std::vector<int>{51}));
    EXPECT_EQ(ScaleRow({0, 0, 0, 0, 255}, 1, kTriangleFilter), (std::vector<int>{20}));
}

TEST(BuildGroupList, WeightsRoundHalfToEvenAndAGroupOfZerosAverages) {
    // 513 pixels to 6: scale 5/512, the centre weight exactly 256 * 5/512 = 2.5.
    const TGroupList six = BuildGroupList(513, 6, kTriangleFilter);
    ASSERT_GT(six[0].Count, 0);
    const auto centre = std::find_if(six[0].Weights.begin(), six[0].Weights.end(),
                                     [](const TPixelWeight& w) { return w.Pixel == 0; });
    EXPECT_EQ(centre->Weight, 2);
    // 513 to 2: scale 1/512, every weight at most 0.5, which goes to 0. The
    // pixels under the filter (|x| < 1: j = -511 ... 511, mirrored) then
    // count alike, so a white picture stays white instead of turning black.
    const TGroupList two = BuildGroupList(513, 2, kTriangleFilter);
    const TEntries average = EntriesOf(two[0]);
    ASSERT_EQ(average.size(), 1023u);
    EXPECT_EQ(average.front(), std::make_pair(511, 1));
    EXPECT_TRUE(std::all_of(average.begin(), average.end(),
                            [](const auto& entry) { return entry.second == 1; }));
    // The same with Lanczos3, 6000 to 10.
    for (const auto& [from, to, filter] :
         {std::tuple{513, 2, kTriangleFilter}, std::tuple{6000, 10, kLanczos3Filter}}) {
        TBitmap24 white(static_cast<std::uint32_t>(from), 1);
        std::fill(white.Row(0), white.Row(0) + white.RowBytes(), static_cast<std::uint8_t>(255));
        TBitmap24 dest;
        ASSERT_TRUE(ResampleBitmap(&white, &dest, static_cast<std::uint16_t>(to), 1, filter));
        EXPECT_EQ(GreyLevels(dest), std::vector<int>(static_cast<std::size_t>(to), 255)) << from;
    }
}

// The weight of a pixel in a group, 0 when the group has none for it.
std::int32_t WeightOf(const TPixelGroup& group, std::int32_t pixel) {
    for (const auto& [p, weight] : EntriesOf(group)) {
        if (p == pixel) {
            return weight;
        }
    }
    return 0;
}

TEST(BuildGroupList, SinglePrecisionDecidesTheWeights) {
    // 33 to 4, triangle: scale 3/32, centre of 1 is 10.666667f; for j = 6,
    // x = 3/32 * 4.666667f rounds to 0.4375 + 2^-25 and f = 1 - x to 0.5625,
    // so the weight is 256 * 3/32 * 0.5625 = 13.5 exactly, which goes to 14.
    // In double precision it would be 13.4999993, giving 13.
    EXPECT_EQ(WeightOf(BuildGroupList(33, 4, kTriangleFilter)[1], 6), 14);
    // 10 to 78, Lanczos3: the centre of 74 rounded to single gives 103 for
    // pixel 8; a centre kept in double would give 104.
    EXPECT_EQ(WeightOf(BuildGroupList(10, 78, kLanczos3Filter)[74], 8), 103);
}

TEST(BuildGroupList, IndexesFarBeyondAnEdgeAreReflectedUntilInside) {
    // Four pixels to one with Lanczos3: scale 1/4, support 12, weights
    // round(64 f(j / 4)). One reflection leaves 10, 9, 7, 6, 5 (j = -10 ...
    // -5) and -2, -3 (j = 9, 10) outside; reflected again they are 3, 2, 0,
    // 1, 2 and 2, 3.
    const TGroupList list = BuildGroupList(4, 1, kLanczos3Filter);
    EXPECT_EQ(EntriesOf(list[0]), (TEntries{{3, 2},
                                            {2, 2},
                                            {0, -4},
                                            {1, -9},
                                            {2, -9},
                                            {3, 17},
                                            {2, 39},
                                            {1, 57},
                                            {0, 64},
                                            {1, 57},
                                            {2, 39},
                                            {3, 17},
                                            {2, -9},
                                            {1, -9},
                                            {0, -4},
                                            {2, 2},
                                            {3, 2}}));
    for (std::int32_t source : {1, 2, 3}) {
        for (std::int32_t dest : {1, 2, 3, 8}) {
            for (const TPixelGroup& group : BuildGroupList(source, dest, kLanczos3Filter)) {
                for (const auto& [pixel, weight] : EntriesOf(group)) {
                    EXPECT_GE(pixel, 0);
                    EXPECT_LT(pixel, source);
                    EXPECT_NE(weight, 0);
                }
            }
        }
    }
}

// ---- ResampleBitmap ------------------------------------------------------------

TEST(ResampleBitmap, TheSameSizeCopiesWithoutChecks) {
    std::mt19937 random(1);
    TBitmap24 source = RandomBitmap(random, 7, 3);
    TBitmap24 dest = RandomBitmap(random, 2, 2);
    EXPECT_TRUE(ResampleBitmap(&source, &dest, 7, 3, kLanczos3Filter));
    EXPECT_EQ(dest, source);
    // Even a width the passes would refuse: nothing is filtered.
    TBitmap24 wide = RandomBitmap(random, 40000, 1);
    TBitmap24 copy;
    EXPECT_TRUE(ResampleBitmap(&wide, &copy, 40000, 1, kTriangleFilter));
    EXPECT_EQ(copy, wide);
    const TBitmap24 before = source;
    EXPECT_TRUE(ResampleBitmap(&source, nullptr, 7, 3, kTriangleFilter));
    EXPECT_EQ(source, before);
}

TEST(ResampleBitmap, SizeErrorsLeaveDestAsItWas) {
    std::mt19937 random(2);
    TBitmap24 source = RandomBitmap(random, 6, 4);
    const TBitmap24 dest = RandomBitmap(random, 2, 2);
    const struct {
        std::uint16_t width;
        std::uint16_t height;
    } sizes[] = {{0, 4}, {3, 0}, {3, 40000}, {40000, 3}, {32768, 1}};
    for (const auto& size : sizes) {
        TBitmap24 target = dest;
        EXPECT_FALSE(ResampleBitmap(&source, &target, size.width, size.height, kTriangleFilter))
            << size.width << " x " << size.height;
        EXPECT_EQ(target, dest);
    }
    TBitmap24 target = dest;
    EXPECT_FALSE(ResampleBitmap(nullptr, &target, 3, 3, kTriangleFilter));
    EXPECT_EQ(target, dest);
    TBitmap24 tooWide(40000, 1);
    EXPECT_FALSE(ResampleBitmap(&tooWide, &target, 3, 1, kTriangleFilter));
    EXPECT_EQ(target, dest);
    // The largest side allowed passes.
    TBitmap24 small = RandomBitmap(random, 2, 1);
    EXPECT_TRUE(ResampleBitmap(&small, &target, 32767, 1, kTriangleFilter));
    EXPECT_EQ(target.Width(), 32767u);
}

TEST(ResampleBitmap, OnePixelHighSourcesAndDestinations) {
    std::mt19937 random(3);
    TBitmap24 row = RandomBitmap(random, 9, 1);
    TBitmap24 tall;
    ASSERT_TRUE(ResampleBitmap(&row, &tall, 4, 6, kLanczos3Filter));
    // Every new row comes from the one source row alone.
    TBitmap24 first;
    ASSERT_TRUE(ResampleBitmap(&row, &first, 4, 1, kLanczos3Filter));
    for (std::uint32_t y = 0; y < 6; ++y) {
        EXPECT_EQ(std::vector<std::uint8_t>(tall.Row(y), tall.Row(y) + 12),
                  std::vector<std::uint8_t>(first.Row(0), first.Row(0) + 12))
            << "row " << y;
    }
    TBitmap24 column = RandomBitmap(random, 5, 7);
    TBitmap24 flat;
    ASSERT_TRUE(ResampleBitmap(&column, &flat, 3, 1, kTriangleFilter));
    EXPECT_EQ(flat, NaiveResample(column, 3, 1, kTriangleFilter));
}

TEST(ResampleBitmap, ScalesInPlaceWhenDestIsNoneOrSource) {
    std::mt19937 random(4);
    const TBitmap24 original = RandomBitmap(random, 11, 5);
    TBitmap24 separate;
    TBitmap24 source = original;
    ASSERT_TRUE(ResampleBitmap(&source, &separate, 4, 9, kLanczos3Filter));
    EXPECT_EQ(source, original);
    TBitmap24 noDest = original;
    ASSERT_TRUE(ResampleBitmap(&noDest, nullptr, 4, 9, kLanczos3Filter));
    EXPECT_EQ(noDest, separate);
    TBitmap24 self = original;
    ASSERT_TRUE(ResampleBitmap(&self, &self, 4, 9, kLanczos3Filter));
    EXPECT_EQ(self, separate);
}

TEST(ApplyGroupList, AGroupWhoseWeightsSumToZeroOrLessGivesBlack) {
    const std::vector<int> levels = {200, 10, 90};
    const std::vector<int> expected = {0, 0, 172};
    TBitmap24 source = GreyRow(levels);
    TBitmap24 dest(3, 1);
    TScanLines from;
    TScanLines to;
    GetScanLines(source, from);
    GetScanLines(dest, to);
    TGroupList list(3);
    list[0].Weights = {{0, 100}, {1, -100}}; // total 0, sums 19000
    list[0].Count = 2;
    list[1].Weights = {{2, -5}}; // total -5: dividing would give 90
    list[1].Count = 1;
    list[2].Weights = {{0, 3}, {2, 1}}; // (600 + 90) / 4 = 172.5, cut to 172
    list[2].Count = 2;
    ApplyGroupList(1, 3, from, to, true, list);
    EXPECT_EQ(GreyLevels(dest), expected);
    // The same groups down the columns of a picture: one pixel wide (the
    // plain loop), 6 (SSE2) and 11 (AVX2 where the processor has it).
    for (std::uint32_t width : {1u, 6u, 11u}) {
        TBitmap24 column(width, 3);
        for (std::uint32_t y = 0; y < 3; ++y) {
            std::fill_n(column.Row(y), column.RowBytes(), static_cast<std::uint8_t>(levels[y]));
        }
        TBitmap24 rows(width, 3);
        GetScanLines(column, from);
        GetScanLines(rows, to);
        ApplyGroupList(static_cast<std::int32_t>(width), 3, from, to, false, list);
        for (std::uint32_t y = 0; y < 3; ++y) {
            EXPECT_EQ(GreyLevels(rows, y), std::vector<int>(width, expected[y]))
                << width << " pixels wide, row " << y;
        }
    }
}

TEST(ResampleBitmap, AConstantColourStaysExactlyThatColour) {
    const std::uint8_t colours[][3] = {{0, 0, 0}, {255, 255, 255}, {12, 200, 77}, {1, 254, 128}};
    const std::uint16_t sizes[] = {1, 2, 3, 4, 7, 16, 17, 33, 100, 255};
    for (int filter : {kTriangleFilter, kLanczos3Filter}) {
        for (const auto& colour : colours) {
            for (std::uint16_t from : sizes) {
                for (std::uint16_t to : sizes) {
                    // Height and width scaled differently; both directions.
                    TBitmap24 source(from, to == from ? 5 : to);
                    for (std::uint32_t y = 0; y < source.Height(); ++y) {
                        for (std::uint32_t x = 0; x < source.Width(); ++x) {
                            std::copy(colour, colour + 3, source.Row(y) + 3 * x);
                        }
                    }
                    TBitmap24 dest;
                    ASSERT_TRUE(ResampleBitmap(&source, &dest, to, from, filter));
                    for (std::uint32_t y = 0; y < dest.Height(); ++y) {
                        for (std::uint32_t x = 0; x < dest.Width(); ++x) {
                            const std::uint8_t* pixel = dest.Row(y) + 3 * x;
                            ASSERT_TRUE(std::equal(colour, colour + 3, pixel))
                                << "filter " << filter << ", " << from << " x " << source.Height()
                                << " to " << to << " x " << from << ", pixel " << x << ", " << y;
                        }
                    }
                }
            }
        }
    }
}

TEST(ResampleBitmap, MatchesThePlainRulesOnRandomPictures) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> side(1, 40);
    for (int round = 0; round < 300; ++round) {
        const int filter = round % 2;
        const auto width = static_cast<std::uint32_t>(side(random));
        const auto height = static_cast<std::uint32_t>(side(random));
        const auto newWidth = static_cast<std::uint16_t>(side(random));
        const auto newHeight = static_cast<std::uint16_t>(side(random));
        if (width == newWidth && height == newHeight) {
            continue;
        }
        TBitmap24 source = RandomBitmap(random, width, height);
        TBitmap24 dest;
        ASSERT_TRUE(ResampleBitmap(&source, &dest, newWidth, newHeight, filter));
        ASSERT_EQ(dest, NaiveResample(source, newWidth, newHeight, filter))
            << "filter " << filter << ": " << width << " x " << height << " to " << newWidth
            << " x " << newHeight;
    }
    // Larger pictures, across several blocks of rows, up and down.
    const std::uint32_t larger[][4] = {{300, 70, 57, 33}, {61, 50, 250, 130}, {129, 47, 128, 49}};
    for (const auto& size : larger) {
        for (int filter : {kTriangleFilter, kLanczos3Filter}) {
            TBitmap24 source = RandomBitmap(random, size[0], size[1]);
            TBitmap24 dest;
            ASSERT_TRUE(ResampleBitmap(&source, &dest, static_cast<std::uint16_t>(size[2]),
                                       static_cast<std::uint16_t>(size[3]), filter));
            EXPECT_EQ(dest, NaiveResample(source, size[2], size[3], filter))
                << "filter " << filter << ": " << size[0] << " x " << size[1];
        }
    }
}

// The passes come for SSE2 and AVX2 on x86-64; both must keep to the rules,
// whichever the machine running the tests would pick. Rows of fewer than
// 16 bytes, of 16 to 31 and of more, bands short and full.
TEST(ResampleBitmap, EveryVectorWidthKeepsToThePlainRules) {
    std::mt19937 random(77);
    const std::uint32_t sizes[][4] = {{5, 3, 4, 40},   {9, 33, 7, 17},   {31, 18, 10, 40},
                                      {40, 17, 13, 5}, {97, 35, 211, 3}, {300, 16, 33, 31}};
    for (bool sse2Only : {true, false}) {
        KeepPassesToSse2(sse2Only);
        for (const auto& size : sizes) {
            for (int filter : {kTriangleFilter, kLanczos3Filter}) {
                TBitmap24 source = RandomBitmap(random, size[0], size[1]);
                TBitmap24 dest;
                ASSERT_TRUE(ResampleBitmap(&source, &dest, static_cast<std::uint16_t>(size[2]),
                                           static_cast<std::uint16_t>(size[3]), filter));
                EXPECT_EQ(dest, NaiveResample(source, size[2], size[3], filter))
                    << "SSE2 only " << sse2Only << ", filter " << filter << ": " << size[0] << " x "
                    << size[1] << " to " << size[2] << " x " << size[3];
            }
        }
    }
    KeepPassesToSse2(false);
}

// The window is served from inside the passes, on the calling thread.
std::vector<std::thread::id> hookThreads;

void RecordThread() {
    hookThreads.push_back(std::this_thread::get_id());
}

TEST(ResampleBitmap, DrainsTheMessageQueueOnTheCallingThread) {
    std::mt19937 random(5);
    TBitmap24 source = RandomBitmap(random, 1200, 900);
    hookThreads.clear();
    SetDrainHook(&RecordThread);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (hookThreads.empty() && std::chrono::steady_clock::now() < deadline) {
        TBitmap24 dest;
        ASSERT_TRUE(ResampleBitmap(&source, &dest, 500, 301, kLanczos3Filter));
    }
    SetDrainHook(nullptr);
    ASSERT_FALSE(hookThreads.empty());
    for (const std::thread::id& id : hookThreads) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
}

TEST(ApplyGroupList, RefusesListsThatDoNotFit) {
    TBitmap24 source = GreyRow({1, 2});
    TBitmap24 dest(1, 1);
    TScanLines from;
    TScanLines to;
    GetScanLines(source, from);
    GetScanLines(dest, to);
    TGroupList list(1);
    list[0].Weights = {{0, 40000}};
    list[0].Count = 1;
    EXPECT_THROW(ApplyGroupList(1, 1, from, to, true, list), ERangeError);
    // A row beyond the source table, or more new rows than the table holds.
    list[0].Weights = {{1, 256}};
    EXPECT_THROW(ApplyGroupList(1, 1, from, to, false, list), ERangeError);
    list[0].Weights = {{0, 256}};
    EXPECT_THROW(ApplyGroupList(1, 2, from, to, false, TGroupList(2, list[0])), ERangeError);
    ApplyGroupList(1, 1, from, to, false, list);
    EXPECT_EQ(to[0][0], 1);
}

TEST(CheckSize, AcceptsOneTo32767) {
    EXPECT_NO_THROW(CheckSize(1));
    EXPECT_NO_THROW(CheckSize(32767));
    for (std::int64_t bad : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{32768}}) {
        try {
            CheckSize(bad);
            ADD_FAILURE() << bad;
        } catch (const ERangeError& error) {
            EXPECT_STREQ(error.what(), "Error size!");
        }
    }
}

} // namespace
} // namespace vorpane
