// The command line of vorpane-convert, parsed into what ConversionRun needs.
#pragma once

#include "PageLayout.h"

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
    std::string FilesFrom;   // "-" for standard input; read by ReadFileList
    bool SameSize = false;   // --size given
    std::uint16_t Width = 0; // 0 keeps the aspect ratio (or the image's own size)
    std::uint16_t Height = 0;
    std::uint8_t Quality = 100;
    bool UseTriangle = false;
    unsigned Jobs = 0;  // images prepared at once; 0: one per online processor
    TPageLayout Layout; // --auto-orient, --paper, --margin, --dpi
    bool SkipBad = false;
    bool Quiet = false;
    bool Help = false;
    bool Version = false;
};

// The largest side the resampler accepts.
inline constexpr int kMaxSide = 32767;

// The most images -j prepares at once: far beyond any machine's processors,
// each holding a picture in memory.
inline constexpr int kMaxJobs = 1024;

// The largest paper side: 200 inches, the most a PDF viewer must show.
inline constexpr double kMaxPaperSide = 14400;

// The highest --dpi.
inline constexpr int kMaxDpi = 65535;

// Parses argv[1..argc-1] with getopt_long: long options also as
// --name=value, -oVALUE, -- before file names that begin with '-'. Throws
// EUsageError.
TConvertOptions ParseConvertOptions(int argc, const char* const argv[]);

// Reads one path per line; empty lines are skipped and a trailing carriage
// return is dropped.
std::vector<std::string> ReadFileList(std::istream& in);

// The usage text printed by --help.
std::string UsageText();

} // namespace vorpane
