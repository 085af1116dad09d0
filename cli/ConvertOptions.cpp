#include "ConvertOptions.h"

#include "pdf/DocumentInfo.h"
#include "pdf/PaperSize.h"
#include "pdf/PdfWriter.h"
#include "resample/Resampler.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <getopt.h>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

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

// Points in one unit of a length.
std::optional<double> UnitPoints(std::string_view unit) {
    static constexpr std::array<std::pair<std::string_view, double>, 4> kUnits = {
        {{"mm", kPointsPerMillimetre}, {"cm", 720 / 25.4}, {"in", 72}, {"pt", 1}}};
    for (const auto& [name, points] : kUnits) {
        if (unit == name) {
            return points;
        }
    }
    return std::nullopt;
}

// A length in points: a number of at least 0 in plain decimal form ("8.5")
// and its unit; a text without a unit takes Unit, when there is one.
std::optional<double> ParseLength(std::string_view text, std::string_view unit) {
    double value = 0;
    const char* const last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value, std::chars_format::fixed);
    if (error != std::errc() || !std::isfinite(value) || value < 0) {
        return std::nullopt;
    }
    if (end != last) {
        unit = std::string_view(end, static_cast<std::size_t>(last - end));
    }
    const std::optional<double> points = UnitPoints(unit);
    if (!points) {
        return std::nullopt;
    }
    return value * *points;
}

// A named paper size, or WIDTHxHEIGHT with a unit after the height (and,
// if wanted, after the width too): "210x297mm", "8.5inx11in".
void ParsePaper(std::string_view text, TPageLayout& layout) {
    if (const TPaperSize* paper = FindPaperSize(text)) {
        layout.PaperWidth = paper->Width;
        layout.PaperHeight = paper->Height;
        return;
    }
    const auto unitStart = text.find_last_not_of("abcdefghijklmnopqrstuvwxyz") + 1;
    const std::string_view unit = text.substr(unitStart);
    const std::string_view sides = text.substr(0, unitStart);
    const auto x = sides.find_first_of("xX");
    const std::optional<double> width =
        x == std::string_view::npos ? std::nullopt : ParseLength(sides.substr(0, x), unit);
    const std::optional<double> height =
        x == std::string_view::npos ? std::nullopt : ParseLength(text.substr(x + 1), "");
    if (!width || !height) {
        throw EUsageError("--paper needs A3, A4, A5, Letter, Legal or WIDTHxHEIGHT with a unit "
                          "(mm, cm, in or pt), not '" +
                          std::string(text) + "'");
    }
    if (*width <= 0 || *height <= 0 || *width > kMaxPaperSide || *height > kMaxPaperSide) {
        throw EUsageError("--paper sides must be more than 0 and at most 200in, not '" +
                          std::string(text) + "'");
    }
    layout.PaperWidth = *width;
    layout.PaperHeight = *height;
}

double ParseMargin(std::string_view text) {
    const std::optional<double> margin = text == "0" ? 0.0 : ParseLength(text, "");
    if (!margin) {
        throw EUsageError("--margin needs a length with a unit (mm, cm, in or pt), not '" +
                          std::string(text) + "'");
    }
    return *margin;
}

// --size WxH, or with fit --fit WxH: the box each picture keeps its
// proportions in.
void ParseSize(std::string_view text, TConvertOptions& options, bool fit = false) {
    const auto x = text.find_first_of("xX");
    if (x == std::string_view::npos) {
        throw EUsageError(std::string(fit ? "--fit" : "--size") + " needs WIDTHxHEIGHT, not '" +
                          std::string(text) + "'");
    }
    options.Run.Width =
        static_cast<std::uint16_t>(ParseNumber(text.substr(0, x), 0, kMaxSide, "The width"));
    options.Run.Height =
        static_cast<std::uint16_t>(ParseNumber(text.substr(x + 1), 0, kMaxSide, "The height"));
    options.Run.SameSize = true;
    options.Run.Fit = fit;
}

// A size in bytes: a number in plain decimal form and a unit, kB, MB, GB
// (powers of 1000), KiB, MiB, GiB (of 1024) or B, letters in any case, from
// 1 to Most, for Option.
std::int64_t ParseByteSize(std::string_view text, const std::string& Option, double Most) {
    static constexpr std::array<std::pair<std::string_view, double>, 7> kUnits = {
        {{"b", 1},
         {"kb", 1e3},
         {"mb", 1e6},
         {"gb", 1e9},
         {"kib", 1024.0},
         {"mib", 1024.0 * 1024},
         {"gib", 1024.0 * 1024 * 1024}}};
    double value = 0;
    const char* const last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value, std::chars_format::fixed);
    std::string unit(end, last);
    for (char& c : unit) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const auto& [name, bytes] : kUnits) {
        if (error == std::errc() && unit == name && std::isfinite(value) && value > 0 &&
            value * bytes >= 1 && value * bytes <= Most) {
            return static_cast<std::int64_t>(value * bytes);
        }
    }
    throw EUsageError(Option +
                      " needs a size such as 10MB, 500kB or 9.5MiB (kB, MB, GB, KiB, "
                      "MiB, GiB), not '" +
                      std::string(text) + "'");
}

// What the option handlers fill: the options, and what the checks after the
// scan need to know of how they were given.
struct TParseState {
    TConvertOptions Options;
    bool MarginGiven = false;
    // The option being handled as the user wrote it: "--jobs" from
    // "--jobs=0", "-j" from "-qj0", for messages that name it.
    std::string Given;
};

// One row of the option table. The getopt_long table, the short options'
// string and the option lines of --help are all made from these rows, in
// this order, so an option is added with one row:
//   Name    the long name, without "--"
//   Short   the one-letter name, 0 for none
//   Value   the value's name in the help ("OUT"); nullptr: it takes none
//   Handle  called with the value (nullptr when it takes none); throws
//           EUsageError for a bad one
//   Help    the help, its lines separated by '\n' and indented by
//           UsageText; empty: the option shares the help of the row
//           above it, its name on that row's line
struct TOptionRow {
    const char* Name;
    char Short;
    const char* Value;
    void (*Handle)(TParseState& state, const char* value);
    std::string Help;
};

const std::vector<TOptionRow>& OptionTable() {
    static const std::vector<TOptionRow> kRows = {
        {"output", 'o', "OUT", [](TParseState& s, const char* v) { s.Options.Output = v; },
         "the PDF to write (replaced only when the new one is complete);\n"
         "'-' for standard output, written as it goes"},
        {"original", 0, nullptr,
         [](TParseState& s, const char*) { s.Options.Run.SameSize = false; },
         "embed the files unchanged (\"Original size\"; the default)"},
        {"size", 0, "WxH", [](TParseState& s, const char* v) { ParseSize(v, s.Options); },
         "\"Same size\": prepare every image at W x H pixels, each 0 to " +
             std::to_string(kMaxSide) +
             "\n(0 for one side keeps the aspect ratio; 0x0 re-encodes as is)"},
        {"fit", 0, "WxH", [](TParseState& s, const char* v) { ParseSize(v, s.Options, true); },
         "like --size, but each image keeps its proportions: scaled to\n"
         "the largest size inside W x H, never enlarged"},
        {"quality", 0, "Q",
         [](TParseState& s, const char* v) {
             s.Options.Run.Quality =
                 static_cast<std::uint8_t>(ParseNumber(v, 1, 100, "The quality"));
         },
         "JPEG quality 1 to 100 for --size and for the HEIC, AVIF and lossy\nWebP pictures "
         "made JPEGs without it (default 100)"},
        {"max-size", 0, "SIZE",
         [](TParseState& s, const char* v) {
             s.Options.Run.MaxSize =
                 ParseByteSize(v, "--max-size", static_cast<double>(kMaxPdfOffset));
         },
         "with --size or --fit: the highest quality, up to --quality,\n"
         "at which the whole PDF is at most SIZE (kB, MB, KiB, MiB)"},
        {"triangle", 0, nullptr,
         [](TParseState& s, const char*) { s.Options.Run.UseTriangle = true; },
         "the triangle filter instead of Lanczos3 for --size"},
        {"sort", 0, "ORDER",
         [](TParseState& s, const char* v) {
             const std::string_view order = v;
             if (order != "taken" && order != "name") {
                 throw EUsageError("--sort needs taken or name, not '" + std::string(order) + "'");
             }
             s.Options.Order = order == "taken" ? TPhotoOrder::poTaken : TPhotoOrder::poName;
         },
         "put the files in order first: taken (EXIF date taken, else\n"
         "the file's time, then the name) or name (IMG_2 before IMG_10)"},
        {"files-from", 0, "F", [](TParseState& s, const char* v) { s.Options.FilesFrom = v; },
         "read the paths from F ('-' for standard input), one per line"},
        {"null", '0', nullptr, [](TParseState& s, const char*) { s.Options.NullSeparated = true; },
         "the paths in F end with a NUL byte instead (find -print0)"},
        {"jobs", 'j', "N",
         [](TParseState& s, const char* v) {
             s.Options.Run.Jobs = static_cast<unsigned>(
                 ParseNumber(v, 1, kMaxJobs, "The number of jobs (" + s.Given + ")"));
         },
         "prepare up to N images at once for --size (default: one per\n"
         "processor); the document is the same for any N"},
        {"memory", 0, "SIZE",
         [](TParseState& s, const char* v) {
             s.Options.Run.Memory = static_cast<std::uint64_t>(ParseByteSize(v, "--memory", 1e15));
         },
         "start an image only while those being prepared at once take\n"
         "at most SIZE to decode, e.g. 2GB (default: a quarter of the\n"
         "memory); the document is the same for any SIZE"},
        {"auto-orient", 0, nullptr,
         [](TParseState& s, const char*) { s.Options.Run.Layout.AutoOrient = true; },
         "show photographs upright by their EXIF orientation"},
        {"paper", 0, "SIZE",
         [](TParseState& s, const char* v) { ParsePaper(v, s.Options.Run.Layout); },
         "pages of A3, A4, A5, Letter, Legal or WxH with a unit (mm, cm,\n"
         "in, pt), e.g. 210x297mm, turned as the picture is; the\n"
         "picture is scaled to fit inside the margins, centred"},
        {"margin", 0, "LEN",
         [](TParseState& s, const char* v) {
             s.Options.Run.Layout.Margin = ParseMargin(v);
             s.MarginGiven = true;
         },
         "the margin on every side of the paper, e.g. 10mm (default 0)"},
        {"dpi", 0, "N",
         [](TParseState& s, const char* v) {
             s.Options.Run.Layout.Dpi =
                 static_cast<std::uint32_t>(ParseNumber(v, 1, kMaxDpi, "The resolution (--dpi)"));
         },
         "pages as large as the picture at N pixels per inch (not with\n"
         "--paper; default 72, one pixel to one point)"},
        {"skip-bad", 0, nullptr,
         [](TParseState& s, const char*) { s.Options.Run.Policy = TPagePolicy::ppSkipBad; },
         "leave out a file that can't be embedded or prepared, name it\n"
         "and why on standard error, and convert the rest (a fault\n"
         "of the machine, such as a full disk, skips nothing)"},
        {"colour-profile", 0, nullptr,
         [](TParseState& s, const char*) { s.Options.Run.ColourProfiles = true; },
         "keep each photograph's ICC colour profile, so colour-managed\n"
         "readers show its colours (Adobe RGB, Display P3 ...)"},
        {"grey", 0, nullptr, [](TParseState& s, const char*) { s.Options.Run.Grey = true; },
         "embed grey (one-component) JPEG files as they are, rather\n"
         "than refuse them, without --size"},
        {"title", 0, "T",
         [](TParseState& s, const char* v) { s.Options.Run.DocumentInfo.Title = v; },
         "the document's properties (none by default)"},
        {"author", 0, "A",
         [](TParseState& s, const char* v) { s.Options.Run.DocumentInfo.Author = v; }, ""},
        {"subject", 0, "S",
         [](TParseState& s, const char* v) { s.Options.Run.DocumentInfo.Subject = v; }, ""},
        {"keywords", 0, "K",
         [](TParseState& s, const char* v) { s.Options.Run.DocumentInfo.Keywords = v; }, ""},
        {"creation-date", 0, "D",
         [](TParseState& s, const char* v) {
             if (!PdfDate(v)) {
                 throw EUsageError("--creation-date needs an ISO 8601 date such as "
                                   "2026-12-08T21:30:00+01:00, or now, not '" +
                                   std::string(v) + "'");
             }
             s.Options.Run.DocumentInfo.CreationDate = v;
         },
         "the document's date, ISO 8601 (2026-12-08T21:30:00+01:00)\n"
         "or now (none by default)"},
        {"quiet", 'q', nullptr, [](TParseState& s, const char*) { s.Options.Quiet = true; },
         "print nothing but errors"},
        {"help", 'h', nullptr, [](TParseState& s, const char*) { s.Options.Help = true; },
         "show this text"},
        {"version", 0, nullptr, [](TParseState& s, const char*) { s.Options.Version = true; },
         "show the version"},
    };
    return kRows;
}

// getopt_long's code for a row: its short name, or for an option without
// one a number beyond every character.
constexpr int kFirstLongOnly = 256;

int OptionCode(std::size_t row) {
    const char shortName = OptionTable()[row].Short;
    return shortName != 0 ? shortName : kFirstLongOnly + static_cast<int>(row);
}

// The row of a code getopt_long returned, nullptr for none.
const TOptionRow* RowOf(int code) {
    const std::vector<TOptionRow>& rows = OptionTable();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (OptionCode(row) == code) {
            return &rows[row];
        }
    }
    return nullptr;
}

// "-o, --output OUT", "--original".
std::string OptionName(const TOptionRow& row) {
    // Appended piece by piece: "--" + std::string(...) raises GCC 12's false
    // -Wrestrict at -O3, as in ParseConvertOptions.
    std::string name;
    if (row.Short != 0) {
        name += {'-', row.Short, ',', ' '};
    }
    name += "--";
    name += row.Name;
    if (row.Value != nullptr) {
        name += ' ';
        name += row.Value;
    }
    return name;
}

// The options' lines of the help: the names, then the help from column 21
// (on a line of its own when the names reach it), each further line of the
// help indented as far.
std::string OptionLines() {
    constexpr std::size_t kHelpColumn = 21;
    const std::string indent(kHelpColumn, ' ');
    const std::vector<TOptionRow>& rows = OptionTable();
    std::string text;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        std::string line = "  " + OptionName(rows[row]);
        const std::string& help = rows[row].Help;
        while (row + 1 < rows.size() && rows[row + 1].Help.empty()) {
            line += ", " + OptionName(rows[++row]);
        }
        text += line;
        text += line.size() + 2 <= kHelpColumn ? std::string(kHelpColumn - line.size(), ' ')
                                               : "\n" + indent;
        for (const char c : help) {
            text += c;
            if (c == '\n') {
                text += indent;
            }
        }
        text += "\n";
    }
    return text;
}

} // namespace

TConvertOptions ParseConvertOptions(int argc, const char* const argv[]) {
    const std::vector<TOptionRow>& rows = OptionTable();
    std::vector<option> longOptions;
    // '-': files are returned in place, so their order is kept whatever the
    // environment says; ':': a missing value is told from an unknown option.
    std::string shortOptions = "-:";
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const bool takesValue = rows[row].Value != nullptr;
        longOptions.push_back({rows[row].Name, takesValue ? required_argument : no_argument,
                               nullptr, OptionCode(row)});
        if (rows[row].Short != 0) {
            shortOptions += rows[row].Short;
            if (takesValue) {
                shortOptions += ':';
            }
        }
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
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
        // Not "-" + std::string(...): at -O3 GCC 12 inlines that into an
        // insert at the front and warns of an overlapping memcpy that can't
        // happen (-Wrestrict, a known false positive), which -Werror makes
        // a failed Release build.
        return std::string{'-', static_cast<char>(shortName)};
    };

    TParseState state;
    TConvertOptions& options = state.Options;
    optind = 0; // a new scan, also when a test parses twice
    opterr = 0; // our messages, not getopt's
    int code = 0;
    while ((code = ::getopt_long(argc, args.data(), shortOptions.c_str(), longOptions.data(),
                                 nullptr)) != -1) {
        if (code == 1) {
            options.Files.emplace_back(optarg);
            continue;
        }
        if (code == ':') {
            throw EUsageError(given(optopt) + " needs a value");
        }
        const TOptionRow* row = RowOf(code);
        if (row == nullptr) { // an unknown option, or a value for one that takes none
            const std::string name = given(optopt);
            if (optopt != 0 && name.starts_with("--")) {
                throw EUsageError(name + " takes no value");
            }
            throw EUsageError("unknown option '" + name + "'");
        }
        state.Given = given(code);
        row->Handle(state, optarg);
    }
    for (int i = optind; i < argc; ++i) {
        options.Files.emplace_back(args[static_cast<std::size_t>(i)]);
    }
    if (options.Help || options.Version) {
        return std::move(options);
    }
    if (options.Output.empty()) {
        throw EUsageError("no output file: give -o OUT.pdf");
    }
    if (options.Files.empty() && options.FilesFrom.empty()) {
        throw EUsageError("no input files");
    }
    if (options.NullSeparated && options.FilesFrom.empty()) {
        throw EUsageError("--null needs --files-from");
    }
    // Without --size nothing is scaled: a filter would be silently
    // ignored. A quality is that of the pictures made JPEGs.
    if (!options.Run.SameSize && options.Run.UseTriangle) {
        throw EUsageError("--triangle needs --size");
    }
    if (!options.Run.SameSize && options.Run.MaxSize != 0) {
        throw EUsageError("--max-size needs --size or --fit: only prepared pictures can be "
                          "encoded again smaller");
    }
    const TPageLayout& layout = options.Run.Layout;
    if (layout.Dpi != 0 && layout.PaperWidth > 0) {
        throw EUsageError("--dpi cannot be combined with --paper");
    }
    if (state.MarginGiven && layout.PaperWidth == 0) {
        throw EUsageError("--margin needs --paper");
    }
    if (state.MarginGiven && 2 * layout.Margin >= std::min(layout.PaperWidth, layout.PaperHeight)) {
        throw EUsageError("--margin leaves no room on the paper");
    }
    return std::move(options);
}

std::vector<std::string> ReadFileList(std::istream& in, bool NullSeparated) {
    std::vector<std::string> files;
    std::string line;
    if (NullSeparated) {
        while (std::getline(in, line, '\0')) {
            if (!line.empty()) {
                files.push_back(line);
            }
        }
        return files;
    }
    while (std::getline(in, line)) {
        if (line.find('\0') != std::string::npos) {
            throw EUsageError("the file list holds NUL bytes: give --null (-0) for names "
                              "separated by NUL");
        }
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
           "Turns photographs into one PDF, one image per page, in the order given: JPEG\n"
           "files as they are, PNG and lossless WebP pixel for pixel, HEIC, AVIF and lossy\n"
           "WebP made baseline JPEGs first.\n"
           "\n" +
           OptionLines() +
           "\n"
           "\n"
           "Examples:\n"
           "  vorpane-convert --auto-orient -o album.pdf *.jpg\n"
           "  vorpane-convert --auto-orient --fit 1600x1600 -o album.pdf *.jpg\n"
           "  vorpane-convert --paper A4 --margin 10mm -o print.pdf *.jpg\n"
           "  vorpane-convert --dpi 300 -o photos.pdf *.jpg\n"
           "  vorpane-convert --skip-bad --size 1600x0 -o album.pdf *.jpg\n"
           "  vorpane-convert --auto-orient --fit 1600x1600 --max-size 10MB -o mail.pdf *.jpg\n"
           "\n"
           "Exit status: 0 done, one page for every file (with --skip-bad: at least one\n"
           "page); 1 no document (a file is missing or can't be embedded; with --skip-bad:\n"
           "no file gave a page); 2 aborted while writing; 3 stopped (SIGINT, SIGTERM,\n"
           "SIGHUP and the like); 4 an image could not be read or made into its page, the\n"
           "machine failed (no space, memory or file descriptors), or the output could not\n"
           "be created or was refused; 64 bad usage.\n";
}

} // namespace vorpane
