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

// A size in bytes: a number in plain decimal form and a unit, kB, MB, GB
// (powers of 1000), KiB, MiB, GiB (of 1024) or B, letters in any case.
std::int64_t ParseByteSize(std::string_view text) {
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
            value * bytes >= 1 && value * bytes <= static_cast<double>(kMaxPdfOffset)) {
            return static_cast<std::int64_t>(value * bytes);
        }
    }
    throw EUsageError("--max-size needs a size such as 10MB, 500kB or 9.5MiB (kB, MB, GB, KiB, "
                      "MiB, GiB), not '" +
                      std::string(text) + "'");
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

} // namespace

TConvertOptions ParseConvertOptions(int argc, const char* const argv[]) {
    enum : int {
        kOriginal = 256,
        kSize,
        kQuality,
        kTriangle,
        kFilesFrom,
        kVersion,
        kAutoOrient,
        kPaper,
        kMargin,
        kDpi,
        kSkipBad,
        kColourProfile,
        kGrey,
        kTitle,
        kAuthor,
        kSubject,
        kKeywords,
        kCreationDate,
        kFit,
        kMaxSize,
    };
    static const option kOptions[] = {
        {"output", required_argument, nullptr, 'o'},
        {"original", no_argument, nullptr, kOriginal},
        {"size", required_argument, nullptr, kSize},
        {"fit", required_argument, nullptr, kFit},
        {"max-size", required_argument, nullptr, kMaxSize},
        {"quality", required_argument, nullptr, kQuality},
        {"triangle", no_argument, nullptr, kTriangle},
        {"files-from", required_argument, nullptr, kFilesFrom},
        {"jobs", required_argument, nullptr, 'j'},
        {"auto-orient", no_argument, nullptr, kAutoOrient},
        {"paper", required_argument, nullptr, kPaper},
        {"margin", required_argument, nullptr, kMargin},
        {"dpi", required_argument, nullptr, kDpi},
        {"skip-bad", no_argument, nullptr, kSkipBad},
        {"colour-profile", no_argument, nullptr, kColourProfile},
        {"grey", no_argument, nullptr, kGrey},
        {"title", required_argument, nullptr, kTitle},
        {"author", required_argument, nullptr, kAuthor},
        {"subject", required_argument, nullptr, kSubject},
        {"keywords", required_argument, nullptr, kKeywords},
        {"creation-date", required_argument, nullptr, kCreationDate},
        {"null", no_argument, nullptr, '0'},
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
    bool marginGiven = false;
    optind = 0; // a new scan, also when a test parses twice
    opterr = 0; // our messages, not getopt's
    // '-': files are returned in place, so their order is kept whatever the
    // environment says; ':': a missing value is told from an unknown option.
    int option = 0;
    while ((option = ::getopt_long(argc, args.data(), "-:o:j:qh0", kOptions, nullptr)) != -1) {
        switch (option) {
        case 1:
            options.Files.emplace_back(optarg);
            break;
        case 'o':
            options.Output = optarg;
            break;
        case kOriginal:
            options.Run.SameSize = false;
            break;
        case kSize:
            ParseSize(optarg, options);
            break;
        case kFit:
            ParseSize(optarg, options, true);
            break;
        case kMaxSize:
            options.Run.MaxSize = ParseByteSize(optarg);
            break;
        case kQuality:
            options.Run.Quality =
                static_cast<std::uint8_t>(ParseNumber(optarg, 1, 100, "The quality"));
            qualityGiven = true;
            break;
        case kTriangle:
            options.Run.UseTriangle = true;
            break;
        case kFilesFrom:
            options.FilesFrom = optarg;
            break;
        case 'j':
            options.Run.Jobs = static_cast<unsigned>(
                ParseNumber(optarg, 1, kMaxJobs, "The number of jobs (" + given('j') + ")"));
            break;
        case kAutoOrient:
            options.Run.Layout.AutoOrient = true;
            break;
        case kPaper:
            ParsePaper(optarg, options.Run.Layout);
            break;
        case kMargin:
            options.Run.Layout.Margin = ParseMargin(optarg);
            marginGiven = true;
            break;
        case kDpi:
            options.Run.Layout.Dpi = static_cast<std::uint32_t>(
                ParseNumber(optarg, 1, kMaxDpi, "The resolution (--dpi)"));
            break;
        case kSkipBad:
            options.Run.Policy = TPagePolicy::ppSkipBad;
            break;
        case kColourProfile:
            options.Run.ColourProfiles = true;
            break;
        case kGrey:
            options.Run.Grey = true;
            break;
        case kTitle:
            options.Run.DocumentInfo.Title = optarg;
            break;
        case kAuthor:
            options.Run.DocumentInfo.Author = optarg;
            break;
        case kSubject:
            options.Run.DocumentInfo.Subject = optarg;
            break;
        case kKeywords:
            options.Run.DocumentInfo.Keywords = optarg;
            break;
        case kCreationDate:
            if (!PdfDate(optarg)) {
                throw EUsageError("--creation-date needs an ISO 8601 date such as "
                                  "2026-12-08T21:30:00+01:00, or now, not '" +
                                  std::string(optarg) + "'");
            }
            options.Run.DocumentInfo.CreationDate = optarg;
            break;
        case '0':
            options.NullSeparated = true;
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
    if (options.NullSeparated && options.FilesFrom.empty()) {
        throw EUsageError("--null needs --files-from");
    }
    // Without --size the files are embedded as they are: a quality or a
    // filter would be silently ignored.
    if (!options.Run.SameSize && (qualityGiven || options.Run.UseTriangle)) {
        throw EUsageError(std::string(qualityGiven ? "--quality" : "--triangle") + " needs --size");
    }
    if (!options.Run.SameSize && options.Run.MaxSize != 0) {
        throw EUsageError("--max-size needs --size or --fit: only prepared pictures can be "
                          "encoded again smaller");
    }
    const TPageLayout& layout = options.Run.Layout;
    if (layout.Dpi != 0 && layout.PaperWidth > 0) {
        throw EUsageError("--dpi cannot be combined with --paper");
    }
    if (marginGiven && layout.PaperWidth == 0) {
        throw EUsageError("--margin needs --paper");
    }
    if (marginGiven && 2 * layout.Margin >= std::min(layout.PaperWidth, layout.PaperHeight)) {
        throw EUsageError("--margin leaves no room on the paper");
    }
    return options;
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
           "Turns JPEG files into one PDF, one image per page, in the order given.\n"
           "\n"
           "  -o, --output OUT   the PDF to write (replaced only when the new one is complete)\n"
           "  --original         embed the files unchanged (\"Original size\"; the default)\n"
           "  --size WxH         \"Same size\": prepare every image at W x H pixels, each 0 to " +
           std::to_string(kMaxSide) +
           "\n"
           "                     (0 for one side keeps the aspect ratio; 0x0 re-encodes as is)\n"
           "  --fit WxH          like --size, but each image keeps its proportions: scaled to\n"
           "                     the largest size inside W x H, never enlarged\n"
           "  --quality Q        JPEG quality 1 to 100 for --size (default 100)\n"
           "  --max-size SIZE    with --size or --fit: the highest quality, up to --quality,\n"
           "                     at which the whole PDF is at most SIZE (kB, MB, KiB, MiB)\n"
           "  --triangle         the triangle filter instead of Lanczos3 for --size\n"
           "  --files-from F     read the paths from F ('-' for standard input), one per line\n"
           "  -0, --null         the paths in F end with a NUL byte instead (find -print0)\n"
           "  -j, --jobs N       prepare up to N images at once for --size (default: one per\n"
           "                     processor); the document is the same for any N\n"
           "  --auto-orient      show photographs upright by their EXIF orientation\n"
           "  --paper SIZE       pages of A3, A4, A5, Letter, Legal or WxH with a unit (mm, cm,\n"
           "                     in, pt), e.g. 210x297mm, turned as the picture is; the\n"
           "                     picture is scaled to fit inside the margins, centred\n"
           "  --margin LEN       the margin on every side of the paper, e.g. 10mm (default 0)\n"
           "  --dpi N            pages as large as the picture at N pixels per inch (not with\n"
           "                     --paper; default 72, one pixel to one point)\n"
           "  --skip-bad         leave out a file that can't be embedded or prepared, name it\n"
           "                     and why on standard error, and convert the rest (a fault\n"
           "                     of the machine, such as a full disk, skips nothing)\n"
           "  --colour-profile   keep each photograph's ICC colour profile, so colour-managed\n"
           "                     readers show its colours (Adobe RGB, Display P3 ...)\n"
           "  --grey             embed grey (one-component) JPEG files as they are, rather\n"
           "                     than refuse them, without --size\n"
           "  --title T, --author A, --subject S, --keywords K\n"
           "                     the document's properties (none by default)\n"
           "  --creation-date D  the document's date, ISO 8601 (2026-12-08T21:30:00+01:00)\n"
           "                     or now (none by default)\n"
           "  -q, --quiet        print nothing but errors\n"
           "  -h, --help         show this text\n"
           "  --version          show the version\n"
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
