#include "ConvertOptions.h"

#include <charconv>
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
    TConvertOptions options;
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
            options.Files.emplace_back(arg);
            continue;
        }
        // Options with a value take it from "--name=value", "-oVALUE" or the
        // next argument.
        std::string_view name = arg;
        std::string_view inlineValue;
        bool hasInline = false;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
                hasInline = true;
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            inlineValue = arg.substr(2);
            hasInline = true;
        }
        const auto value = [&]() -> std::string_view {
            if (hasInline) {
                return inlineValue;
            }
            if (i + 1 >= argc) {
                throw EUsageError(std::string(name) + " needs a value");
            }
            return argv[++i];
        };
        const auto flag = [&] {
            if (hasInline) {
                throw EUsageError(std::string(name) + " takes no value");
            }
        };
        if (name == "--") {
            flag();
            onlyFiles = true;
        } else if (name == "-o" || name == "--output") {
            options.Output = value();
        } else if (name == "--original") {
            flag();
            options.SameSize = false;
        } else if (name == "--size") {
            ParseSize(value(), options);
        } else if (name == "--quality") {
            options.Quality =
                static_cast<std::uint8_t>(ParseNumber(value(), 1, 100, "The quality"));
        } else if (name == "--triangle") {
            flag();
            options.UseTriangle = true;
        } else if (name == "--files-from") {
            options.FilesFrom = value();
        } else if (name == "-q" || name == "--quiet") {
            flag();
            options.Quiet = true;
        } else if (name == "-h" || name == "--help") {
            flag();
            options.Help = true;
        } else if (name == "--version") {
            flag();
            options.Version = true;
        } else {
            throw EUsageError("unknown option '" + std::string(arg) + "'");
        }
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
           "  -q, --quiet        print nothing but errors\n"
           "  -h, --help         show this text\n"
           "  --version          show the version\n"
           "\n"
           "Exit status: 0 done; 1 no document (a file can't be embedded); 2 aborted while\n"
           "writing; 3 stopped (SIGINT or SIGTERM); 4 an image or the output could not be\n"
           "read or created; 64 bad usage.\n";
}

} // namespace vorpane
