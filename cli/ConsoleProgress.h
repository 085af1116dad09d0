// The progress bar vorpane-convert draws on a terminal: images prepared in
// "Same size" mode, then bytes embedded, each with its percentage.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorpane {

class TConsoleProgress {
public:
    // Files are the sources of the run; draws only when enabled.
    TConsoleProgress(const std::vector<std::string>& files, bool sameSize, bool enabled,
                     std::FILE* out = stderr);

    // The run's progress callback.
    void Report(const std::string& text, std::int64_t total, std::int64_t done);

    // Pages embedded so far.
    std::int64_t Embedded() const { return embedded_; }
    // Ends the bar's line, if one is drawn.
    void Finish();

private:
    void Draw(const char* phase, const std::string& count, std::int64_t total, std::int64_t done);

    const std::vector<std::string>& files_;
    bool sameSize_;
    bool enabled_;
    std::FILE* out_;
    bool writing_ = false;
    bool lineOpen_ = false;
    std::int64_t embedded_ = 0;
};

} // namespace vorpane
