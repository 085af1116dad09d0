// The progress bar vorpane-convert draws on a terminal: images prepared in
// "Same size" mode, then bytes embedded, each with its percentage.
#pragma once

#include "Progress.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace vorpane {

class TConsoleProgress {
public:
    // Draws only when enabled.
    explicit TConsoleProgress(bool enabled, std::FILE* out = stderr);

    // The run's phase callback: says what the reports that follow count.
    void Phase(TRunPhase phase) { phase_ = phase; }
    // The run's progress callback.
    void Report(const std::string& text, std::int64_t total, std::int64_t done);

    // Ends the bar's line, if one is drawn.
    void Finish();

private:
    void Draw(const char* phase, const std::string& count, std::int64_t total, std::int64_t done);

    bool enabled_;
    std::FILE* out_;
    TRunPhase phase_ = TRunPhase::rpStarting;
    bool lineOpen_ = false;
};

} // namespace vorpane
