// Prepares one picture the way the conversion does (decode, Lanczos3 or
// triangle, encode) and prints how long each phase took, best of N runs.
//
//   vorpane_prepare_bench IN OUT WIDTH HEIGHT QUALITY [RUNS] [triangle]
//
// With RUNS 0 it runs PrepareImage once and prints nothing, for measuring
// the whole program from outside (time, peak memory).
#include "JpegDecoder.h"
#include "JpegUtils.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace vorpane;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s IN OUT WIDTH HEIGHT QUALITY [RUNS] [triangle]\n", argv[0]);
        return 64;
    }
    const std::string in = argv[1];
    const std::string out = argv[2];
    const auto width = static_cast<std::uint16_t>(std::atoi(argv[3]));
    const auto height = static_cast<std::uint16_t>(std::atoi(argv[4]));
    const auto quality = static_cast<std::uint8_t>(std::atoi(argv[5]));
    const int runs = argc > 6 ? std::atoi(argv[6]) : 5;
    const bool triangle = argc > 7 && std::string(argv[7]) == "triangle";
    try {
        if (runs == 0) {
            return PrepareImage(in, out, quality, width, height, triangle) ? 0 : 1;
        }
        double best[4] = {1e9, 1e9, 1e9, 1e9};
        for (int run = 0; run < runs; ++run) {
            auto start = Clock::now();
            TBitmap24 picture = TJpegDecoder(in).Decode();
            const double decode = Seconds(start);
            start = Clock::now();
            TBitmap24 output;
            if (!ResampleBitmap(&picture, &output, width, height,
                                triangle ? kTriangleFilter : kLanczos3Filter)) {
                std::fprintf(stderr, "resampling failed\n");
                return 1;
            }
            const double resample = Seconds(start);
            start = Clock::now();
            SaveAsJpeg(output, out, quality);
            const double encode = Seconds(start);
            start = Clock::now();
            PrepareImage(in, out, quality, width, height, triangle);
            const double whole = Seconds(start);
            const double phases[4] = {decode, resample, encode, whole};
            for (int i = 0; i < 4; ++i) {
                best[i] = std::min(best[i], phases[i]);
            }
        }
        std::printf("decode %.4f s\nresample %.4f s\nencode %.4f s\nprepare %.4f s\n", best[0],
                    best[1], best[2], best[3]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
