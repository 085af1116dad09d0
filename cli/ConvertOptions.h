// The command line of vorpane-convert, parsed into what ConversionRun needs.
#pragma once

#include "run/PhotoOrder.h"
#include "rundata/RunOptions.h"

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorpane {

// Bad usage: the message says what is wrong in one line; the program points
// to --help.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TConvertOptions {
    std::string Output;
    std::vector<std::string> Files;
    std::string FilesFrom;      // "-" for standard input; read by ReadFileList
    bool NullSeparated = false; // --null: FilesFrom separates names with NUL
    // --size, --quality, --triangle, -j, --auto-orient, --paper, --margin,
    // --dpi, --skip-bad, --colour-profile, --grey and the document's
    // properties (--title ... --creation-date). A script must never get a document short of a page
    // with a status of success: every listed file gives its page, or no
    // document is written, unless --skip-bad asks to have the rest when some
    // can't.
    TRunOptions Run;
    TConvertOptions() {
        Run.Policy = TPagePolicy::ppEveryPage;
        Run.ReplaceOnlyPdf = true;
    }
    // --sort: the order the files are put in before the run.
    TPhotoOrder Order = TPhotoOrder::poAsGiven;
    bool Quiet = false;
    bool Help = false;
    bool Version = false;
};

// The most images -j prepares at once: far beyond any machine's processors,
// each holding a picture in memory.
inline constexpr int kMaxJobs = 1024;

// The largest paper side: 200 inches, the most a PDF viewer must show.
inline constexpr double kMaxPaperSide = 14400;

// Parses argv[1..argc-1] with getopt_long: long options also as
// --name=value, -oVALUE, -- before file names that begin with '-'. Throws
// EUsageError.
TConvertOptions ParseConvertOptions(int argc, const char* const argv[]);

// Reads one path per line; empty lines are skipped and a trailing carriage
// return is dropped. NullSeparated: the paths end with NUL bytes instead
// (find -print0), and are taken as they are. Throws EUsageError for a list
// of lines that holds a NUL byte: its names would be cut at the first one.
std::vector<std::string> ReadFileList(std::istream& in, bool NullSeparated = false);

// The usage text printed by --help.
std::string UsageText();

} // namespace vorpane
