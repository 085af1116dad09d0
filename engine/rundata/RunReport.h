// What a conversion run found that its result code alone doesn't say, for
// the callers that explain it: the window's message boxes and
// vorpane-convert's messages. Each reason comes with its kind, so that a
// caller chooses its words without looking at the file again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace vorpane {

enum class TReasonKind {
    rkNone,          // nothing to tell
    rkMissing,       // no file under the name
    rkUnreadable,    // a file there, but not a regular file this user can read
    rkNotEmbeddable, // no JPEG that can be embedded as it is ("Original size")
    rkUndecodable,   // can't be read as a picture
    rkTooLarge,      // a picture too large to decode or to scale
    rkNoPixels,      // its page would have a side outside 1 ... 32767 pixels
    rkPageTooLarge,  // a side computed for its page doesn't fit in 16 bits
    rkIncomplete,    // its data ends early or is damaged; the page holds what there is
    rkMachineFault,  // the machine failed: no space, no memory, too many open files...
    rkWriteFailed,   // the document could not be written
    rkOverLimit,     // the document would pass its size limit even at quality 1
};

// A listed file and why it is named.
struct TSkippedFile {
    std::string File;
    std::string Reason;
    TReasonKind Kind = TReasonKind::rkNone;
};

struct TRunReport {
    // rcNoFiles: the first file that can't be embedded. An error raised by
    // the preparation: the source file it was preparing.
    std::string FailedFile;
    // rcNoFiles: why FailedFile can't be embedded; rcAborted: the error's
    // message.
    std::string Reason;
    // What Reason is about; rkNone when nothing failed (rcNoFiles for an
    // empty list, or for one whose every file was skipped).
    TReasonKind Kind = TReasonKind::rkNone;
    // The listed files that gave no page, in list order: in "Same size" a
    // file no longer there or whose page would have no pixels (ppLeaveOut),
    // and with ppSkipBad, in both modes, every file that can't be prepared
    // or embedded. A run can end rcDone with some.
    std::vector<TSkippedFile> Skipped;
    // The listed files whose picture data was incomplete or damaged, in
    // list order, each with rkIncomplete: their pages are in the document,
    // as far as the data went. Reason says so and what is wrong, such as
    // "the picture is incomplete (premature end of data)".
    std::vector<TSkippedFile> Incomplete;
    // "Same size" with ppLeaveOut: the listed files whose page side, as
    // computed to keep the aspect ratio, passed 65535 and was cut to its
    // low 16 bits, each with rkPageTooLarge: their pages are squashed.
    std::vector<TSkippedFile> Squashed;
    // The listed files whose page, at the run's resolution, would pass the
    // kMaxPageSide points PDF readers draw, each with rkPageTooLarge: their
    // pages have the smallest resolution that fits, their pixels untouched.
    std::vector<TSkippedFile> Reduced;
    // rcNoFiles with ppEveryPage: every listed file that the test before
    // any work (TestListedFiles) found unable to give a page, in list
    // order; FailedFile and Reason tell the first of them.
    std::vector<TSkippedFile> Refused;
    // rcDone: what was made, for the line that says so: the output as
    // named, its pages and its size in bytes.
    std::string OutputFile{};
    std::size_t Pages = 0;
    std::int64_t DocumentSize = 0;
    // With a size limit: the quality chosen, the highest at which the
    // document fits (0 without a limit).
    int Quality = 0;
};

// A size as people read it, in decimal units with one decimal below
// a thousand of the next: "532 bytes", "87.4 kB", "11.5 MB", "1.2 GB".
std::string SizeText(std::int64_t Bytes);

// The kind of an error that a file's preparation raised.
TReasonKind ReasonKindOf(const std::exception& Error);

// The kind of a file that could not be opened, from its errno value.
TReasonKind OpenFailureKind(int Errno);

} // namespace vorpane
