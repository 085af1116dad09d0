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
    // The listed files that gave no page, in list order: in "Same size" a
    // file no longer there or whose page would have no pixels (ppLeaveOut),
    // and with ppSkipBad, in both modes, every file that can't be prepared
    // or embedded. A run can end rcDone with some.
    std::vector<TSkippedFile> Skipped;
    // The listed files whose picture data was incomplete or damaged, in
    // list order: their pages are in the document, as far as the data went.
    std::vector<TSkippedFile> Incomplete;
};

} // namespace vorpane
