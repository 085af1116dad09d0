// What a conversion run found that its result code alone doesn't say, for
// the callers that explain it: the window's message boxes and
// vorpane-convert's messages.
#pragma once

#include <string>
#include <vector>

namespace vorpane {

// A listed file that gave no page, and why.
struct TSkippedFile {
    std::string File;
    std::string Reason;
};

struct TRunReport {
    // rcNoFiles: the first file that can't be embedded. An error raised by
    // the preparation: the source file it was preparing.
    std::string FailedFile;
    // rcNoFiles: why FailedFile can't be embedded; rcAborted: the error's
    // message.
    std::string Reason;
    // "Same size": the listed files that gave no page (no file under that
    // name, or a page size of no pixels), in list order. A run can end
    // rcDone with some.
    std::vector<TSkippedFile> Skipped;
};

} // namespace vorpane
