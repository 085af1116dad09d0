#include "ConsoleProgress.h"

#include <algorithm>

namespace vorpane {

namespace {
constexpr int kBarWidth = 30;

std::string Megabytes(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}
} // namespace

TConsoleProgress::TConsoleProgress(bool enabled, std::FILE* out) : enabled_(enabled), out_(out) {}

void TConsoleProgress::Report(const std::string&, std::int64_t total, std::int64_t done) {
    switch (phase_) {
    case TRunPhase::rpPreparing: {
        // (source path, files - 1, position from 1)
        const std::int64_t count = total + 1;
        Draw("Preparing", std::to_string(done) + "/" + std::to_string(count) + " images", count,
             done);
        break;
    }
    case TRunPhase::rpEmbedding: // (file name, total bytes, bytes so far)
        Draw("Embedding", Megabytes(done) + " of " + Megabytes(total), total, done);
        break;
    case TRunPhase::rpStarting: // "converting.."
    case TRunPhase::rpCommitting:
    case TRunPhase::rpFinished: // "Finished!"
        break;
    }
}

void TConsoleProgress::Draw(const char* phase, const std::string& count, std::int64_t total,
                            std::int64_t done) {
    if (!enabled_) {
        return;
    }
    const double fraction =
        total > 0 ? std::clamp(static_cast<double>(done) / static_cast<double>(total), 0.0, 1.0)
                  : 1.0;
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::fprintf(out_, "\r%-9s [%s] %3d%%  %s\x1b[K", phase, bar.c_str(),
                 static_cast<int>(fraction * 100), count.c_str());
    std::fflush(out_);
    lineOpen_ = true;
}

void TConsoleProgress::Finish() {
    if (lineOpen_) {
        std::fputc('\n', out_);
        lineOpen_ = false;
    }
}

} // namespace vorpane
