#include "ConvertOptions.h"
#include "PrintableText.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vorpane {
namespace {

TConvertOptions Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vorpane-convert");
    return ParseConvertOptions(static_cast<int>(args.size()), args.data());
}

TEST(ConvertOptions, DefaultsToOriginalSizeAtQuality100) {
    const TConvertOptions o = Parse({"-o", "out.pdf", "a.jpg", "b.jpg"});
    EXPECT_EQ(o.Output, "out.pdf");
    EXPECT_EQ(o.Files, (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_FALSE(o.Run.SameSize);
    EXPECT_EQ(o.Run.Quality, 100);
    EXPECT_FALSE(o.Run.UseTriangle);
    EXPECT_EQ(o.Run.Jobs, 0u) << "one job per processor";
}

TEST(ConvertOptions, SizeQualityAndFilterInEveryForm) {
    const TConvertOptions a = Parse(
        {"--size", "800x600", "--quality", "85", "--triangle", "-oout.pdf", "-j", "3", "a.jpg"});
    EXPECT_TRUE(a.Run.SameSize);
    EXPECT_EQ(a.Run.Width, 800);
    EXPECT_EQ(a.Run.Height, 600);
    EXPECT_EQ(a.Run.Quality, 85);
    EXPECT_TRUE(a.Run.UseTriangle);
    EXPECT_EQ(a.Output, "out.pdf");
    EXPECT_EQ(a.Run.Jobs, 3u);
    const TConvertOptions b =
        Parse({"--size=0X32767", "--output=o.pdf", "--jobs=1024", "--", "-dash.jpg"});
    EXPECT_EQ(b.Run.Jobs, 1024u);
    EXPECT_EQ(b.Run.Width, 0);
    EXPECT_EQ(b.Run.Height, 32767);
    EXPECT_EQ(b.Files, std::vector<std::string>{"-dash.jpg"});
    EXPECT_FALSE(Parse({"--size", "10x10", "--original", "-o", "o", "a"}).Run.SameSize)
        << "the last mode given wins";
    EXPECT_FALSE(a.Run.Fit);
    const TConvertOptions fit = Parse({"--fit=1600X1200", "-o", "o", "a"});
    EXPECT_TRUE(fit.Run.SameSize && fit.Run.Fit);
    EXPECT_EQ(fit.Run.Width, 1600);
    EXPECT_EQ(fit.Run.Height, 1200);
    EXPECT_FALSE(Parse({"--fit", "10x10", "--size", "10x10", "-o", "o", "a"}).Run.Fit);
    EXPECT_EQ(fit.Run.MaxSize, 0) << "no limit";
    EXPECT_EQ(fit.Order, TPhotoOrder::poAsGiven);
    EXPECT_EQ(Parse({"--sort", "taken", "-o", "o", "a"}).Order, TPhotoOrder::poTaken);
    EXPECT_EQ(Parse({"--sort=name", "-o", "o", "a"}).Order, TPhotoOrder::poName);
    const std::pair<const char*, std::int64_t> limits[] = {
        {"10MB", 10'000'000}, {"9.5MiB", 9'961'472},  {"500kB", 500'000},
        {"64KiB", 65'536},    {"2gb", 2'000'000'000}, {"1200b", 1200}};
    for (const auto& [text, bytes] : limits) {
        EXPECT_EQ(Parse({"--fit", "8x8", "--max-size", text, "-o", "o", "a"}).Run.MaxSize, bytes)
            << text;
    }
    EXPECT_EQ(Parse({"--memory", "2GB", "-o", "o", "a"}).Run.Memory, 2'000'000'000u);
    EXPECT_EQ(Parse({"-o", "o", "a"}).Run.Memory, 0u) << "a quarter of the memory";
    // "Original size" encodes the pictures that are not JPEG at it.
    const TConvertOptions c = Parse({"--quality", "80", "-o", "o", "a.heic"});
    EXPECT_FALSE(c.Run.SameSize);
    EXPECT_EQ(c.Run.Quality, 80);
}

TEST(ConvertOptions, PageLayoutsInPoints) {
    struct TRow {
        std::vector<const char*> Args;
        double PaperWidth;
        double PaperHeight;
        double Margin;
        std::uint32_t Dpi;
    };
    const TRow rows[] = {
        {{}, 0, 0, 0, 0},
        {{"--paper", "a4"}, 595, 842, 0, 0},
        {{"--paper=A3", "--margin", "0"}, 842, 1191, 0, 0},
        {{"--paper", "A5"}, 420, 595, 0, 0},
        {{"--paper", "letter", "--margin", "0.5in"}, 612, 792, 36, 0},
        {{"--paper", "Legal", "--margin", "2cm"}, 612, 1008, 720 / 25.4 * 2, 0},
        {{"--paper", "210x297mm", "--margin", "10mm"},
         210 * 72 / 25.4,
         297 * 72 / 25.4,
         720 / 25.4,
         0},
        {{"--paper", "8.5inx11in"}, 612, 792, 0, 0},
        {{"--paper", "400X300pt", "--margin", "12pt"}, 400, 300, 12, 0},
        {{"--dpi", "300"}, 0, 0, 0, 300},
    };
    for (const TRow& row : rows) {
        std::vector<const char*> args = row.Args;
        args.insert(args.end(), {"--auto-orient", "-o", "o.pdf", "a.jpg"});
        const TPageLayout layout = Parse(args).Run.Layout;
        EXPECT_TRUE(layout.AutoOrient);
        EXPECT_DOUBLE_EQ(layout.PaperWidth, row.PaperWidth) << args[0];
        EXPECT_DOUBLE_EQ(layout.PaperHeight, row.PaperHeight) << args[0];
        EXPECT_DOUBLE_EQ(layout.Margin, row.Margin) << args[0];
        EXPECT_EQ(layout.Dpi, row.Dpi) << args[0];
    }
    EXPECT_EQ(Parse({"-o", "o.pdf", "a.jpg"}).Run.Policy, TPagePolicy::ppEveryPage);
    EXPECT_EQ(Parse({"--skip-bad", "-o", "o.pdf", "a.jpg"}).Run.Policy, TPagePolicy::ppSkipBad);
}

TEST(ConvertOptions, BadUsageIsRefusedWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"a.jpg"},                               // no output
        {"-o", "o.pdf"},                         // no input
        {"-o"},                                  // no value
        {"--size", "800", "-o", "o", "a"},       // no height
        {"--size", "32768x10", "-o", "o", "a"},  // past the resampler's limit
        {"--size", "-1x10", "-o", "o", "a"},     // negative
        {"--size", "70000x600", "-o", "o", "a"}, // would wrap in 16 bits
        {"--size", "8x6!", "-o", "o", "a"},      // trailing junk
        {"--fit", "1600", "-o", "o", "a"},       // no height
        {"--fit", "32768x10", "-o", "o", "a"},   // past the resampler's limit
        {"--max-size", "10MB", "-o", "o", "a"},  // nothing to encode
        {"--sort", "date", "-o", "o", "a"},
        {"--size", "8x6", "--max-size", "10", "-o", "o", "a"},   // no unit
        {"--size", "8x6", "--max-size", "10TB", "-o", "o", "a"}, // no unit we know
        {"--size", "8x6", "--max-size", "0MB", "-o", "o", "a"},
        {"--memory", "0GB", "-o", "o", "a"},
        {"--memory", "2", "-o", "o", "a"}, // no unit
        {"--size", "8x6", "--max-size", "-1MB", "-o", "o", "a"},
        {"--size", "8x6", "--max-size", "11GB", "-o", "o", "a"}, // past any document
        {"--quality", "0", "-o", "o", "a"},                      // below 1
        {"--quality", "101", "-o", "o", "a"},                    // above 100
        {"--quality", "9a", "-o", "o", "a"},
        {"-j", "0", "-o", "o", "a"},        // no worker
        {"--jobs", "1025", "-o", "o", "a"}, // past the limit
        {"-j", "two", "-o", "o", "a"},
        {"--bogus", "-o", "o", "a"},
        {"--quiet=yes", "-o", "o", "a"},
        {"--triangle", "-o", "o", "a"},                                // nothing to scale
        {"--size", "8x6", "--original", "--triangle", "-o", "o", "a"}, // cancelled
        {"--paper", "A6", "-o", "o", "a"},
        {"--paper", "210x297", "-o", "o", "a"},                   // no unit
        {"--paper", "210x297km", "-o", "o", "a"},                 // no unit we know
        {"--paper", "0x297mm", "-o", "o", "a"},                   // no width
        {"--paper", "-210x297mm", "-o", "o", "a"},                // negative
        {"--paper", "201x100in", "-o", "o", "a"},                 // past 200 inches
        {"--paper", "1e2x297mm", "-o", "o", "a"},                 // not plain decimal
        {"--margin", "10mm", "-o", "o", "a"},                     // no paper
        {"--paper", "A4", "--margin", "10", "-o", "o", "a"},      // no unit
        {"--paper", "A4", "--margin", "297.5pt", "-o", "o", "a"}, // no room left
        {"--paper", "A4", "--margin", "-5mm", "-o", "o", "a"},    // negative
        {"--paper", "A", "-o", "o", "a"},                         // a paper's name begun
        {"--paper", "Let", "-o", "o", "a"},
        {"--paper", "Legal2", "-o", "o", "a"}, // the last paper's name and more
        {"--paper", "A4", "--dpi", "300", "-o", "o", "a"},
        {"--dpi", "0", "-o", "o", "a"},
        {"--dpi", "72.5", "-o", "o", "a"},
        {"--auto-orient=yes", "-o", "o", "a"},
    };
    for (const auto& args : bad) {
        EXPECT_THROW(Parse(args), EUsageError) << args[0];
    }
}

TEST(ConvertOptions, HelpAndVersionNeedNothingElse) {
    EXPECT_TRUE(Parse({"--help"}).Help);
    EXPECT_TRUE(Parse({"-h"}).Help);
    EXPECT_TRUE(Parse({"--version"}).Version);
    // The option table's first and last rows in the help, with and without
    // a short name.
    const std::string usage = UsageText();
    for (const char* line : {"\n  -o, --output OUT   the PDF", "\n  --original         embed",
                             "\n  -h, --help         show", "\n  --version          show"}) {
        EXPECT_NE(usage.find(line), std::string::npos) << line;
    }
}

TEST(ConvertOptions, FileListsSkipBlankLinesAndCarriageReturns) {
    std::istringstream in("a.jpg\n\nb c.jpg\r\n  d.jpg\n");
    EXPECT_EQ(ReadFileList(in), (std::vector<std::string>{"a.jpg", "b c.jpg", "  d.jpg"}));
}

TEST(ConvertOptions, NulSeparatedFileListsKeepEveryOtherByte) {
    using namespace std::string_literals;
    std::istringstream in("a\nb.jpg\0\0c d.jpg\r\0e.jpg"s);
    EXPECT_EQ(ReadFileList(in, true), (std::vector<std::string>{"a\nb.jpg", "c d.jpg\r", "e.jpg"}));
    std::istringstream lines("a.jpg\0b.jpg\n"s);
    EXPECT_THROW(ReadFileList(lines), EUsageError) << "a NUL byte without --null";
    EXPECT_THROW(Parse({"-0", "-o", "o", "a"}), EUsageError) << "--null without a list";
    EXPECT_TRUE(Parse({"-0", "--files-from", "-", "-o", "o"}).NullSeparated);
}

// Every message of vorpane-convert goes through PrintableText: a file name
// can neither steer the terminal nor fake a line of its own.
TEST(ConvertOptions, MessagesSpellOutWhatATerminalWouldObey) {
    const std::pair<std::string, std::string> rows[] = {
        {"caf\xC3\xA9 \xE6\x97\xA5.jpg", "caf\xC3\xA9 \xE6\x97\xA5.jpg"}, // letters stay
        {"a\nb\tc\rd\ae\bf\vg\fh", "a\\nb\\tc\\rd\\ae\\bf\\vg\\fh"},
        {"\x1b[2J\x7f", "\\033[2J\\177"},
        {"\xC2\x9B"
         "1m",
         "\\302\\2331m"},                                        // C1 CSI in UTF-8
        {"\xFF\xC3(\xE0\x80\x80", "\\377\\303(\\340\\200\\200"}, // not UTF-8
        {"\xED\xA0\x80", "\\355\\240\\200"},                     // a surrogate
        {"back\\slash", "back\\\\slash"},
    };
    for (const auto& [text, shown] : rows) {
        EXPECT_EQ(PrintableText(text), shown) << shown;
    }
}

} // namespace
} // namespace vorpane
