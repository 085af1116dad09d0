// Opt-in page layouts: photographs shown upright by their EXIF orientation,
// pages of a paper size or a resolution. Each document is rendered by
// poppler and compared with what a person would see.
#include "TestSupport.h"
#include "jpeg/ExifOrientation.h"
#include "pdf/PdfWriter.h"
#include "picture/PictureFile.h"
#include "prepare/JpegUtils.h"
#include "run/ConversionRun.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vorpane {
namespace {

using test::CommandOutput;
using test::DataFile;
using test::MakeJpegHeader;
using test::ReadFileBytes;
using test::TPnmImage;
using test::TTempDir;
using test::WriteFileBytes;

// Page 1 at Scale device pixels per point. At 4 per point, each 4 x 4 block
// averaged, poppler's picture of an image drawn one pixel to one point has
// the image's own pixels (at 1 per point it smooths them).
TPnmImage RenderFirstPage(const std::string& pdf, int scale) {
    const TPnmImage fine = test::ParsePnm(CommandOutput(
        "pdftoppm -r " + std::to_string(72 * scale) + " -f 1 -l 1 -singlefile '" + pdf + "'"));
    if (scale == 1) {
        return fine;
    }
    TPnmImage page{fine.Width / scale, fine.Height / scale, 3, {}};
    for (int y = 0; y < page.Height; ++y) {
        for (int x = 0; x < page.Width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < scale; ++dy) {
                    for (int dx = 0; dx < scale; ++dx) {
                        const int at = ((y * scale + dy) * fine.Width + x * scale + dx) * 3 + c;
                        sum += static_cast<unsigned char>(fine.Samples[at]);
                    }
                }
                page.Samples += static_cast<char>((sum + scale * scale / 2) / (scale * scale));
            }
        }
    }
    return page;
}

// Fuzzy: the mean difference per sample stays small (a turned or mirrored
// picture differs by 40 or more, JPEG encoding and poppler's sampling of a
// flipped image by about 3); the message names the first pixel that differs
// by more than a colour shade.
void ExpectLooksAlike(const TPnmImage& page, const TBitmap24& expected) {
    ASSERT_EQ(page.Width, static_cast<int>(expected.Width()));
    ASSERT_EQ(page.Height, static_cast<int>(expected.Height()));
    long total = 0;
    std::string first;
    for (int y = 0; y < page.Height; ++y) {
        for (int x = 0; x < page.Width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int seen =
                    static_cast<unsigned char>(page.Samples[(y * page.Width + x) * 3 + c]);
                const int wanted = expected.Row(static_cast<std::uint32_t>(y))[x * 3 + c];
                total += std::abs(seen - wanted);
                if (first.empty() && std::abs(seen - wanted) > 48) {
                    first = "first at (" + std::to_string(x) + ", " + std::to_string(y) +
                            "): " + std::to_string(seen) + " for " + std::to_string(wanted);
                }
            }
        }
    }
    const double mean = static_cast<double>(total) / static_cast<double>(page.Samples.size());
    EXPECT_LT(mean, 8) << first;
}

TPageLayout Upright() {
    TPageLayout layout;
    layout.AutoOrient = true;
    return layout;
}

std::int32_t Convert(const std::string& photo, const std::string& pdf, bool sameSize,
                     const TPageLayout& layout, std::uint16_t width = 0) {
    TRunOptions options;
    options.SameSize = sameSize;
    options.Width = width;
    options.Jobs = 1;
    options.Layout = layout;
    return ConversionRun({photo}, pdf, {}, options);
}

struct TOrientCase {
    int Orientation;
    bool SameSize;
};

void PrintTo(const TOrientCase& c, std::ostream* out) {
    *out << c.Orientation << (c.SameSize ? " same size" : " original size");
}

// One photograph, 96 x 64, tagged with each orientation (odd ones in Intel,
// even ones in Motorola byte order); upright_small_N.png is it turned
// upright by another program.
class UprightPhotographs : public ::testing::TestWithParam<TOrientCase> {};

TEST_P(UprightPhotographs, EachPageShowsThePhotographAsAViewerDoes) {
    const auto [orientation, sameSize] = GetParam();
    const std::string n = std::to_string(orientation);
    const std::string photo = DataFile("orient_small_" + n + ".jpg");
    const TBitmap24 upright = LoadPicture(DataFile("upright_small_" + n + ".png"));
    const bool sideways = orientation >= 5;
    TTempDir dir;
    const std::string pdf = dir.File("album.pdf");

    ASSERT_EQ(Convert(photo, pdf, sameSize, Upright()), rcDone);
    ExpectLooksAlike(RenderFirstPage(pdf, 4), upright);
    const std::string document = ReadFileBytes(pdf);
    EXPECT_NE(document.find(sideways ? "/MediaBox [ 0 0 64 96 ]" : "/MediaBox [ 0 0 96 64 ]"),
              std::string::npos);
    if (sameSize) {
        // The size asked for is the upright picture's.
        ASSERT_EQ(Convert(photo, pdf, sameSize, Upright(), 48), rcDone);
        EXPECT_NE(ReadFileBytes(pdf).find(sideways ? "/MediaBox [ 0 0 48 72 ]"
                                                   : "/MediaBox [ 0 0 48 32 ]"),
                  std::string::npos);
    } else {
        EXPECT_NE(document.find(ReadFileBytes(photo)), std::string::npos)
            << "the JPEG is embedded unchanged";
    }
}

std::vector<TOrientCase> OrientCases() {
    std::vector<TOrientCase> cases;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        cases.push_back({orientation, false});
        cases.push_back({orientation, true});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Orientations, UprightPhotographs, ::testing::ValuesIn(OrientCases()),
                         [](const ::testing::TestParamInfo<TOrientCase>& testInfo) {
                             return "Orientation" + std::to_string(testInfo.param.Orientation) +
                                    (testInfo.param.SameSize ? "_SameSize" : "_OriginalSize");
                         });

// The photograph tagged 6 made a HEIC (without a rotation of its own, as
// heif-enc writes it): its Exif tag turns it upright as a JPEG's does, in
// both modes, and not at all unless asked.
TEST(UprightHeic, TheExifTagTurnsAPictureWithoutATransformOfItsOwn) {
    const std::string photo = DataFile("heic_small_6.heic");
    const TBitmap24 upright = LoadPicture(DataFile("upright_small_6.png"));
    TTempDir dir;
    const std::string pdf = dir.File("album.pdf");
    for (const bool sameSize : {false, true}) {
        SCOPED_TRACE(sameSize);
        ASSERT_EQ(Convert(photo, pdf, sameSize, Upright()), rcDone);
        ExpectLooksAlike(RenderFirstPage(pdf, 4), upright);
        EXPECT_NE(ReadFileBytes(pdf).find("/MediaBox [ 0 0 64 96 ]"), std::string::npos);
        ASSERT_EQ(Convert(photo, pdf, sameSize, TPageLayout()), rcDone);
        EXPECT_NE(ReadFileBytes(pdf).find("/MediaBox [ 0 0 96 64 ]"), std::string::npos);
    }
}

// A lossless picture's page in "Original size" holds every sample as
// decoded (a PNG's own compressed data where a reader takes it as it is): drawn at one pixel per
// point it is the picture, exactly, as ImageMagick decodes it on its own.
TEST(LosslessPictures, PagesInOriginalSizeAreThePictureExactly) {
    TTempDir dir;
    const std::string pdf = dir.File("album.pdf");
    for (const char* name :
         {"upright_small_6.png", "png_palette_8.png", "png_grey_4.png", "webp_lossless_1.webp"}) {
        SCOPED_TRACE(name);
        const TPnmImage picture = test::ParsePnm(
            CommandOutput("convert '" + DataFile(name) + "' -depth 8 ppm:- 2>/dev/null"));
        ASSERT_EQ(Convert(DataFile(name), pdf, false, TPageLayout()), rcDone);
        // mupdf draws an image at one pixel per point sample for sample;
        // poppler smooths it.
        const TPnmImage page = test::ParsePnm(
            CommandOutput("mutool draw -q -r 72 -c rgb -F pnm -o - '" + pdf + "' 1 2>/dev/null"));
        ASSERT_EQ(page.Width, picture.Width);
        ASSERT_EQ(page.Height, picture.Height);
        EXPECT_TRUE(page.Samples == picture.Samples);
        const std::string document = ReadFileBytes(pdf);
        EXPECT_NE(document.find("/Filter [/FlateDecode]"), std::string::npos);
        // A PNG's own data goes in, with its predictors.
        EXPECT_EQ(document.find("/DecodeParms [<< /Predictor 15 ") != std::string::npos,
                  std::string(name).ends_with(".png"));
    }
    // A transparent one keeps its colour under a soft mask of its alpha:
    // drawn over white it is its colour and white mixed by its alpha, but
    // for rounding.
    std::vector<std::uint8_t> alpha;
    TBitmap24 overWhite = TPictureFile(DataFile("gen_rgba8.png")).ReadWithAlpha(alpha);
    ASSERT_EQ(alpha.size(), std::size_t{overWhite.Width()} * overWhite.Height());
    for (std::uint32_t y = 0; y < overWhite.Height(); ++y) {
        for (std::uint32_t x = 0; x < overWhite.Width(); ++x) {
            const int a = alpha[y * overWhite.Width() + x];
            for (int c = 0; c < 3; ++c) {
                std::uint8_t& sample = overWhite.Row(y)[3 * x + c];
                sample = static_cast<std::uint8_t>((sample * a + 255 * (255 - a) + 127) / 255);
            }
        }
    }
    ASSERT_EQ(Convert(DataFile("gen_rgba8.png"), pdf, false, TPageLayout()), rcDone);
    const std::string document = ReadFileBytes(pdf);
    EXPECT_EQ(document.rfind("%PDF-1.4\n", 0), 0u);
    EXPECT_NE(document.find("/SMask "), std::string::npos);
    const TPnmImage page = test::ParsePnm(
        CommandOutput("mutool draw -q -r 72 -c rgb -F pnm -o - '" + pdf + "' 1 2>/dev/null"));
    ASSERT_EQ(page.Width, static_cast<int>(overWhite.Width()));
    ASSERT_EQ(page.Height, static_cast<int>(overWhite.Height()));
    for (std::uint32_t y = 0; y < overWhite.Height(); ++y) {
        for (std::size_t i = 0; i < overWhite.RowBytes(); ++i) {
            const int seen = static_cast<unsigned char>(page.Samples[y * overWhite.RowBytes() + i]);
            EXPECT_NEAR(seen, overWhite.Row(y)[i], 1) << "row " << y << ", byte " << i;
        }
    }
}

// The box of the pixels that aren't white.
struct TInkBox {
    int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
};

TInkBox InkBox(const TPnmImage& page) {
    TInkBox box;
    for (int y = 0; y < page.Height; ++y) {
        for (int x = 0; x < page.Width; ++x) {
            const char* pixel = &page.Samples[(y * page.Width + x) * 3];
            if (std::string_view(pixel, 3) != "\xFF\xFF\xFF") {
                box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x),
                       std::max(box.Bottom, y)};
            }
        }
    }
    return box;
}

TEST(PageLayout, PaperTurnsWithThePictureAndKeepsTheMarginsCentred) {
    TPageLayout layout = Upright();
    layout.PaperWidth = 595; // A4
    layout.PaperHeight = 842;
    layout.Margin = 72 * 10 / 25.4;
    TTempDir dir;
    const std::string pdf = dir.File("print.pdf");
    // A landscape picture fills the width of landscape paper inside the
    // margins: 842 - 2 x 28.3465 = 785.3071 wide, two thirds of that high,
    // centred: (595 - 523.5381) / 2 = 35.731 from the bottom. Its sideways
    // twin, turned upright, fills the height of portrait paper.
    struct TRow {
        int Orientation;
        const char* MediaBox;
        const char* Matrix;
        TInkBox Ink; // at 1/2 pixel per point
    };
    for (const TRow& row : {TRow{1,
                                 "/MediaBox [ 0 0 842 595 ]",
                                 "785.3071 0 0 523.5381 28.3465 35.731 cm",
                                 {14, 18, 406, 279}},
                            TRow{6,
                                 "/MediaBox [ 0 0 595 842 ]",
                                 "0 -785.3071 523.5381 0 35.731 813.6535 cm",
                                 {18, 14, 279, 406}}}) {
        SCOPED_TRACE(row.Orientation);
        ASSERT_EQ(Convert(DataFile("orient_small_" + std::to_string(row.Orientation) + ".jpg"), pdf,
                          false, layout),
                  rcDone);
        const std::string document = ReadFileBytes(pdf);
        EXPECT_NE(document.find(row.MediaBox), std::string::npos);
        EXPECT_NE(document.find(row.Matrix), std::string::npos);
        const TPnmImage page =
            test::ParsePnm(CommandOutput("pdftoppm -r 36 -singlefile '" + pdf + "'"));
        const TInkBox ink = InkBox(page);
        EXPECT_NEAR(ink.Left, row.Ink.Left, 1);
        EXPECT_NEAR(ink.Top, row.Ink.Top, 1);
        EXPECT_NEAR(ink.Right, row.Ink.Right, 1);
        EXPECT_NEAR(ink.Bottom, row.Ink.Bottom, 1);
    }
}

TEST(PageLayout, ResolutionSizesThePageAndOtherwiseTheLayoutIsFixed) {
    TTempDir dir;
    const std::string photo = dir.File("photo.jpg");
    WriteFileBytes(photo, MakeJpegHeader(0xFFC0, 4032, 3024, 3, 2000));
    const std::string pdf = dir.File("photos.pdf");
    TPageLayout dpi;
    dpi.Dpi = 300;
    ASSERT_EQ(Convert(photo, pdf, false, dpi), rcDone);
    std::string document = ReadFileBytes(pdf);
    EXPECT_NE(document.find("/MediaBox [ 0 0 967.68 725.76 ]"), std::string::npos);
    EXPECT_NE(document.find("<< /Length 37 >>\nstream\nq\n967.68 0 0 725.76 0 0 cm\n/Im0 Do\nQ\n"),
              std::string::npos);
    // An orientation and no option: the fixed layout, to the byte.
    ASSERT_EQ(Convert(DataFile("orient_small_6.jpg"), pdf, false, TPageLayout()), rcDone);
    document = ReadFileBytes(pdf);
    EXPECT_NE(document.find("/MediaBox [ 0 0 96 64 ]"), std::string::npos);
    EXPECT_NE(document.find("<< /Length 29 >>\nstream\nq\n96 0 0 64 0 0 cm\n"), std::string::npos);
    // Past 14,400 points a page is at the smallest resolution that fits:
    // 20000 pixels at 100 pixels per inch.
    WriteFileBytes(photo, MakeJpegHeader(0xFFC0, 20000, 3000, 3, 2000));
    ASSERT_EQ(Convert(photo, pdf, false, TPageLayout()), rcDone);
    document = ReadFileBytes(pdf);
    EXPECT_NE(document.find("/MediaBox [ 0 0 14400 2160 ]"), std::string::npos);
    EXPECT_NE(document.find("q\n14400 0 0 2160 0 0 cm\n"), std::string::npos);
    double reducedDpi = 0;
    PlacePage(dpi, 3000, 90000, 1, &reducedDpi);
    EXPECT_EQ(reducedDpi, 450);
}

TEST(PdfNumber, WholeNumbersAsIntegersOthersAsShortDecimals) {
    const std::pair<double, const char*> rows[] = {
        {800, "800"},
        {0, "0"},
        {-0.0, "0"},
        {-0.00001, "0"},
        {967.68, "967.68"},
        {0.1, "0.1"},
        {2.0 / 3, "0.6667"},
        {-28.34645, "-28.3465"},
        {65535 * 72.0, "4718520"},
        {1e-5, "0"},
        {12.5, "12.5"},
    };
    for (const auto& [value, text] : rows) {
        EXPECT_EQ(PdfNumber(value), text) << value;
    }
}

// An Exif segment's contents whose IFD0 holds one entry: tag 0x0112 of the
// given type, count and value.
std::string ExifWithOrientation(bool motorola, std::uint16_t type, std::uint32_t count,
                                std::uint32_t value) {
    std::string bytes("Exif\0\0", 6);
    const auto put = [&bytes, motorola](std::uint32_t number, int size) {
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (motorola ? size - 1 - i : i);
            bytes += static_cast<char>(number >> shift & 0xFF);
        }
    };
    bytes += motorola ? "MM" : "II";
    put(42, 2);
    put(8, 4); // IFD0 right after the header
    put(1, 2);
    put(0x0112, 2);
    put(type, 2);
    put(count, 4);
    // A short value sits in the first two bytes of the value field.
    if (type == 3) {
        put(value, 2);
        put(0, 2);
    } else {
        put(value, 4);
    }
    put(0, 4); // no IFD1
    return bytes;
}

TEST(ExifOrientation, OneToEightInEitherByteOrderElseOne) {
    struct TRow {
        const char* What;
        std::string Contents;
        int Orientation;
    };
    const std::string good = ExifWithOrientation(true, 3, 1, 6);
    const TRow rows[] = {
        {"Motorola", good, 6},
        {"Intel", ExifWithOrientation(false, 3, 1, 8), 8},
        {"out of range", ExifWithOrientation(false, 3, 1, 9), 1},
        {"zero", ExifWithOrientation(true, 3, 1, 0), 1},
        {"a long, not a short", ExifWithOrientation(true, 4, 1, 6), 1},
        {"no value", ExifWithOrientation(true, 3, 0, 6), 1},
        {"cut inside the entry", good.substr(0, 20), 1},
        {"no Exif header", good.substr(6), 1},
        {"no tag", ExifWithOrientation(true, 3, 1, 6).replace(16, 2, "\x01\x13", 2), 1},
        {"empty", "", 1},
    };
    for (const TRow& row : rows) {
        EXPECT_EQ(ExifOrientationOf(reinterpret_cast<const std::uint8_t*>(row.Contents.data()),
                                    row.Contents.size()),
                  row.Orientation)
            << row.What;
    }
    // In a file, only an APP1 segment before the frame header counts.
    TTempDir dir;
    const std::string segment = "\xFF\xE1" + std::string(1, char((good.size() + 2) >> 8)) +
                                std::string(1, char((good.size() + 2) & 0xFF)) + good;
    const std::string before = dir.File("before.jpg");
    WriteFileBytes(before, MakeJpegHeader(0xFFC0, 8, 8, 3, 0, segment));
    EXPECT_EQ(ReadExifOrientation(before), 6);
    const std::string after = dir.File("after.jpg");
    std::string bytes = MakeJpegHeader(0xFFC0, 8, 8, 3);
    WriteFileBytes(after, bytes.insert(bytes.size() - 2, segment));
    EXPECT_EQ(ReadExifOrientation(after), 1);
    EXPECT_EQ(ReadExifOrientation(dir.File("missing.jpg")), 1);
}

} // namespace
} // namespace vorpane
