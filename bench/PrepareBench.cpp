// Prepares one picture the way the conversion does (decode, resample,
// encode) and prints how long each phase took, best of several runs.
//
//   vorpane_prepare_bench [--runs N] [--triangle] [--hook] [--spare-thread]
//                         IN OUT WIDTH HEIGHT QUALITY
//
// The phases are timed apart (the whole decode, ResampleBitmap, the
// encoder), then PrepareImage as a whole, which scales while it decodes:
// on one thread ("prepare") and with a spare thread that scales alongside
// ("prepare2"). --runs 0 runs PrepareImage once and prints nothing, for
// timing the whole program from outside (time, peak memory), with a spare
// thread when --spare-thread is given. --hook installs a drain hook that
// does nothing, as a window's would when no event is waiting.
#include "MessageQueue.h"
#include "jpeg/JpegDecoder.h"
#include "prepare/JpegUtils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vorpane;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

void NoEvents() {}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool triangle = false;
    bool spareThread = false;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (argument == "--triangle") {
            triangle = true;
        } else if (argument == "--spare-thread") {
            spareThread = true;
        } else if (argument == "--hook") {
            SetDrainHook(&NoEvents);
        } else {
            arguments.push_back(argument);
        }
    }
    if (arguments.size() != 5) {
        std::fprintf(stderr,
                     "usage: %s [--runs N] [--triangle] [--hook] [--spare-thread] IN OUT WIDTH "
                     "HEIGHT QUALITY\n",
                     argv[0]);
        return 64;
    }
    const std::string& in = arguments[0];
    const std::string& out = arguments[1];
    const auto width = static_cast<std::uint16_t>(std::atoi(arguments[2].c_str()));
    const auto height = static_cast<std::uint16_t>(std::atoi(arguments[3].c_str()));
    const auto quality = static_cast<std::uint8_t>(std::atoi(arguments[4].c_str()));
    const int filter = triangle ? kTriangleFilter : kLanczos3Filter;
    try {
        if (runs == 0) {
            return PrepareImage(in, out, quality, width, height, triangle, nullptr, spareThread)
                       ? 0
                       : 1;
        }
        double best[5] = {1e9, 1e9, 1e9, 1e9, 1e9};
        for (int run = 0; run < runs; ++run) {
            auto start = Clock::now();
            TBitmap24 picture = TJpegDecoder(in).Decode();
            const double decode = Seconds(start);
            start = Clock::now();
            TBitmap24 output;
            if (!ResampleBitmap(&picture, &output, width, height, filter)) {
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
            start = Clock::now();
            PrepareImage(in, out, quality, width, height, triangle, nullptr, true);
            const double alongside = Seconds(start);
            const double phases[5] = {decode, resample, encode, whole, alongside};
            for (int i = 0; i < 5; ++i) {
                best[i] = std::min(best[i], phases[i]);
            }
        }
        std::printf("decode %.4f\nresample %.4f\nencode %.4f\nprepare %.4f\nprepare2 %.4f\n",
                    best[0], best[1], best[2], best[3], best[4]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    SetDrainHook(nullptr);
    return 0;
}
