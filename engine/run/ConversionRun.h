// The one operation through which a list of JPEG files becomes a PDF: it
// prepares the images (or takes them as they are), tests every file before
// any output exists, writes the document and answers with a result code.
#pragma once

#include "Progress.h"
#include "rundata/RunOptions.h"
#include "rundata/RunReport.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace vorpane {

enum : std::int32_t {
    rcNoFiles = -1, // no document: no output path, an empty list, or a file that can't be embedded
    rcDone = -2,    // the document was written completely
    rcAborted = -3, // an error while writing; no document remains
    rcStopped = -4, // the Stop command ended the run; no document remains
};

// Set by the Stop command, cleared by each run when it starts, read at the
// run's stop points. Atomic: a Stop may come from another thread than the
// one converting.
extern std::atomic<bool> StopConverting;

// The Stop command: asks the run (StopConverting) and the preparation
// (StopPreparing) to stop, both at once.
void RequestStop();

// Turns Files into one PDF at OutputFile. With Options.SameSize every image
// is first prepared at Width x Height and Quality (UseTriangle picks the
// filter) into a folder of the run's own, removed with every file in it
// when the run ends, however it ends; else the files are embedded byte for
// byte. The document is written beside OutputFile and renamed over it only
// when complete, so a run that doesn't end rcDone leaves an existing file
// untouched. Errors raised by the preparation or by creating the output
// leave the run; errors while writing become rcAborted. Options.Policy says
// what becomes of a listed file that gives no page in "Same size" mode;
// with ppEveryPage a file that can't be opened ends the run rcNoFiles
// before any is prepared, and the run never writes fewer pages than files;
// with ppSkipBad every file that can't be prepared or embedded for a fault
// of its own is left out, in both modes. A fault of the machine (no space,
// no memory, too many open files) raises an error with every policy, or
// ends the run rcAborted while writing. A stop seen at any point ends the
// run rcStopped with OutputFile untouched, also one before anything was
// prepared. "Same size" prepares up to
// Options.Jobs images at once (0: one per online processor; PrepareImages),
// with the same document for any Jobs. Options.Layout turns pictures
// upright and sizes the pages; the default is the fixed layout. Report,
// when given, receives what the result code alone doesn't say.
std::int32_t ConversionRun(const std::vector<std::string>& Files, const std::string& OutputFile,
                           const TProgressProc& Progress, const TRunOptions& Options,
                           TRunReport* Report = nullptr);

// The run with its options one by one, in the order the window's design
// gives them: ConversionRun(Files, OutputFile, Progress, {SameSize, Quality,
// Width, Height, UseTriangle}).
std::int32_t ConversionRun(const std::vector<std::string>& Files, const std::string& OutputFile,
                           const TProgressProc& Progress, bool SameSize, std::uint8_t Quality,
                           std::uint16_t Width, std::uint16_t Height, bool UseTriangle);

} // namespace vorpane
