#include "ConvertOptions.h"

#include <charconv>
#include <getopt.h>
#include <string_view>

namespace vorpane {

namespace {

// A whole decimal number in [low, high], nothing before or after it.
int ParseNumber(std::string_view text, int low, int high, const std::string& what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        throw EUsageError(what + " must be a whole number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not '" + std::string(text) + "'");
    }
    return value;
}

void ParseSize(std::string_view text, TConvertOptions& options) {
    const auto x = text.find_first_of("xX");
    if (x == std::string_view::npos) {
        throw EUsageError("--size needs WIDTHxHEIGHT, not '" + std::string(text) + "'");
    }
    options.Width =
        static_cast<std::uint16_t>(ParseNumber(text.substr(0, x), 0, kMaxSide, "The width"));
    options.Height =
        static_cast<std::uint16_t>(ParseNumber(text.substr(x + 1), 0, kMaxSide, "The height"));
    options.SameSize = true;
}

} // namespace

TConvertOptions ParseConvertOptions(int argc, const char* const argv[]) {
    enum : int { kOriginal = 256, kSize, kQuality, kTriangle, kFilesFrom, kVersion };
    static const option kOptions[] = {
        {"output", required_argument, nullptr, 'o'},
        {"original", no_argument, nullptr, kOriginal},
        {"size", required_argument, nullptr, kSize},
        {"quality", required_argument, nullptr, kQuality},
        {"triangle", no_argument, nullptr, kTriangle},
        {"files-from", required_argument, nullptr, kFilesFrom},
        {"jobs", required_argument, nullptr, 'j'},
        {"quiet", no_argument, nullptr, 'q'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, kVersion},
        {nullptr, 0, nullptr, 0},
    };
    // getopt_long takes its array as not const; it never writes the strings.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        args.push_back(const_cast<char*>(argv[i]));
    }
    args.push_back(nullptr);
    // The option just read as the user wrote it: "--size" from "--size=0",
    // "-o" from "-qo".
    const auto given = [&args](int shortName) {
        const std::string_view arg = args[static_cast<std::size_t>(optind) - 1];
        if (arg.starts_with("--")) {
            return std::string(arg.substr(0, arg.find('=')));
        }
        return "-" + std::string(1, static_cast<char>(shortName));
    };

    TConvertOptions options;
    bool qualityGiven = false;
    optind = 0; // a new scan, also when a test parses twice
    opterr = 0; // our messages, not getopt's
    // '-': files are returned in place, so their order is kept whatever the
    // environment says; ':': a missing value is told from an unknown option.
    int option = 0;
    while ((option = ::getopt_long(argc, args.data(), "-:o:j:qh", kOptions, nullptr)) != -1) {
        switch (option) {
        case 1:
            options.Files.emplace_back(optarg);
            break;
        case 'o':
            options.Output = optarg;
            break;
        case kOriginal:
            options.SameSize = false;
            break;
        case kSize:
            ParseSize(optarg, options);
            break;
        case kQuality:
            options.Quality = static_cast<std::uint8_t>(ParseNumber(optarg, 1, 100, "The quality"));
            qualityGiven = true;
            break;
        case kTriangle:
            options.UseTriangle = true;
            break;
        case kFilesFrom:
            options.FilesFrom = optarg;
            break;
        case 'j':
            options.Jobs = static_cast<unsigned>(
                ParseNumber(optarg, 1, kMaxJobs, "The number of jobs (" + given('j') + ")"));
            break;
        case 'q':
            options.Quiet = true;
            break;
        case 'h':
            options.Help = true;
            break;
        case kVersion:
            options.Version = true;
            break;
        case ':':
            throw EUsageError(given(optopt) + " needs a value");
        default: { // an unknown option, or a value for one that takes none
            const std::string name = given(optopt);
            if (optopt != 0 && name.starts_with("--")) {
                throw EUsageError(name + " takes no value");
            }
            throw EUsageError("unknown option '" + name + "'");
        }
        }
    }
    for (int i = optind; i < argc; ++i) {
        options.Files.emplace_back(args[static_cast<std::size_t>(i)]);
    }
    if (options.Help || options.Version) {
        return options;
    }
    if (options.Output.empty()) {
        throw EUsageError("no output file: give -o OUT.pdf");
    }
    if (options.Files.empty() && options.FilesFrom.empty()) {
        throw EUsageError("no input files");
    }
    // Without --size the files are embedded as they are: a quality or a
    // filter would be silently ignored.
    if (!options.SameSize && (qualityGiven || options.UseTriangle)) {
        throw EUsageError(std::string(qualityGiven ? "--quality" : "--triangle") + " needs --size");
    }
    return options;
}

std::vector<std::string> ReadFileList(std::istream& in) {
    std::vector<std::string> files;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            files.push_back(line);
        }
    }
    return files;
}

std::string UsageText() {
    return "usage: vorpane-convert [options] -o OUT.pdf FILE...\n"
           "Turns JPEG files into one PDF, one image per page, in the order given.\n"
           "\n"
           "  -o, --output OUT   the PDF to write (replaced only when the new one is complete)\n"
           "  --original         embed the files unchanged (\"Original size\"; the default)\n"
           "  --size WxH         \"Same size\": prepare every image at W x H pixels, each 0 to "
           "32767\n"
           "                     (0 for one side keeps the aspect ratio; 0x0 re-encodes as is)\n"
           "  --quality Q        JPEG quality 1 to 100 for --size (default 100)\n"
           "  --triangle         the triangle filter instead of Lanczos3 for --size\n"
           "  --files-from F     read the paths from F ('-' for standard input), one per line\n"
           "  -j, --jobs N       prepare up to N images at once for --size (default: one per\n"
           "                     processor); the document is the same for any N\n"
           "  -q, --quiet        print nothing but errors\n"
           "  -h, --help         show this text\n"
           "  --version          show the version\n"
           "\n"
           "Exit status: 0 done, one page for every file; 1 no document (a file is missing\n"
           "or can't be embedded); 2 aborted while writing; 3 stopped (SIGINT or SIGTERM);\n"
           "4 an image could not be read or made into its page, or the output could not be\n"
           "created; 64 bad usage.\n";
}

} // namespace vorpane
