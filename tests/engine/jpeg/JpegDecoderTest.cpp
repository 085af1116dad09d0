#include "jpeg/JpegDecoder.h"
#include "Errors.h"
#include "MessageQueue.h"
#include "TestSupport.h"
#include "colour/ColourProfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include <jerror.h>

namespace vorpane {
namespace {

using test::CommandOutput;
using test::DataFile;
using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

// The picture as libjpeg-turbo's own djpeg decodes it, as RGB bytes. A
// warning (exit code 2, a damaged file) still gives the picture.
std::string DjpegRgb(const std::string& path, const std::string& options = "") {
    const test::TPnmImage image =
        test::ParsePnm(CommandOutput("djpeg -pnm " + options + " '" + path + "'; test $? -ne 1"));
    if (image.Channels == 3) {
        return image.Samples;
    }
    std::string rgb;
    for (char grey : image.Samples) {
        rgb.append(3, grey);
    }
    return rgb;
}

std::string BitmapBytes(const TBitmap24& bitmap) {
    std::string bytes;
    for (std::uint32_t y = 0; y < bitmap.Height(); ++y) {
        bytes.append(reinterpret_cast<const char*>(bitmap.Row(y)), bitmap.RowBytes());
    }
    return bytes;
}

// A 16 x 16 CMYK JPEG of four solid 8 x 8 quadrants (cyan, red, black, no
// ink), stored as Adobe does (inverted, with its marker) or plainly, with
// an ICC profile when one is given.
std::string WriteCmykJpeg(const std::string& path, bool adobe, const std::string& profile = "") {
    const std::uint8_t inks[4][4] = {
        {255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 255}, {0, 0, 0, 0}};
    std::uint8_t pixels[16][16 * 4];
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::uint8_t* ink = inks[(y / 8) * 2 + x / 8];
            for (int c = 0; c < 4; ++c) {
                pixels[y][4 * x + c] = static_cast<std::uint8_t>(adobe ? 255 - ink[c] : ink[c]);
            }
        }
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 16;
    info.image_height = 16;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    info.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!profile.empty()) {
        jpeg_write_icc_profile(&info, reinterpret_cast<const JOCTET*>(profile.data()),
                               static_cast<unsigned int>(profile.size()));
    }
    for (auto& row : pixels) {
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    WriteFileBytes(path, std::string(reinterpret_cast<char*>(buffer), size));
    std::free(buffer);
    return path;
}

struct TDecodeCase {
    const char* file;
    std::uint32_t width;
    std::uint32_t height;
};

class DecodeLikeDjpeg : public ::testing::TestWithParam<TDecodeCase> {};

TEST_P(DecodeLikeDjpeg, GivesTheSameRgbBytes) {
    const TDecodeCase& c = GetParam();
    const std::string path = DataFile(c.file);
    TJpegDecoder decoder(path);
    EXPECT_EQ(decoder.Width(), c.width);
    EXPECT_EQ(decoder.Height(), c.height);
    const TBitmap24 bitmap = decoder.Decode();
    ASSERT_EQ(bitmap.Width(), c.width);
    ASSERT_EQ(bitmap.Height(), c.height);
    EXPECT_TRUE(BitmapBytes(bitmap) == DjpegRgb(path));
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeLikeDjpeg,
    ::testing::Values(TDecodeCase{"ijg_testorig.jpg", 227, 149},    // baseline YCbCr
                      TDecodeCase{"pil_hopper_gray.jpg", 128, 128}, // grey: equal channels
                      TDecodeCase{"jd_non_interleaved_mcu_prog.jpg", 64, 16}, // progressive
                      TDecodeCase{"bad_pil_truncated_prog.jpg", 100, 100}));  // cut short

// CMYK and YCCK pictures become sRGB through their own CMYK profile or the
// standard one, as ImageMagick (Little CMS) converts them: relative
// colorimetric with black point compensation, Adobe's inverted CMYK read as
// such; the same inks stored plainly (no Adobe marker) give the same
// colours. The naive formula is off by dozens in every colour.
TEST(JpegDecoder, ConvertsCmykToSrgbThroughItsProfile) {
    TTempDir dir;
    const std::string ownProfile = "/usr/share/color/icc/ghostscript/ps_cmyk.icc";
    const struct {
        std::string path;
        std::string profile; // the CMYK profile ImageMagick assigns first
    } cases[] = {
        {DataFile("pil_sample_cmyk_ycck.jpg"), kStandardCmykProfile},
        {WriteCmykJpeg(dir.File("adobe.jpg"), true), kStandardCmykProfile},
        {WriteCmykJpeg(dir.File("own.jpg"), true, ReadFileBytes(ownProfile)), ""},
    };
    const auto largestDifference = [](const std::string& a, const std::string& b) {
        int largest = 0;
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
            largest = std::max(largest, std::abs(static_cast<std::uint8_t>(a[i]) -
                                                 static_cast<std::uint8_t>(b[i])));
        }
        return largest;
    };
    for (const auto& c : cases) {
        const std::string assign = c.profile.empty() ? "" : " -profile " + c.profile;
        const std::string reference =
            test::ParsePnm(CommandOutput("convert '" + c.path +
                                         "' -intent Relative -black-point-compensation" + assign +
                                         " -profile /usr/share/color/icc/ghostscript/srgb.icc "
                                         "-depth 8 ppm:-"))
                .Samples;
        const std::string ours = BitmapBytes(TJpegDecoder(c.path).Decode());
        ASSERT_EQ(ours.size(), reference.size()) << c.path;
        EXPECT_LE(largestDifference(ours, reference), 3) << c.path;
    }
    const std::string plain =
        BitmapBytes(TJpegDecoder(WriteCmykJpeg(dir.File("p.jpg"), false)).Decode());
    EXPECT_LE(largestDifference(plain, BitmapBytes(TJpegDecoder(cases[1].path).Decode())), 3);
}

TEST(JpegDecoder, DecodesAtTheSmallestScaleThatIsLargeEnough) {
    const std::string path = DataFile("ijg_testorig.jpg"); // 227 x 149
    const struct {
        std::uint32_t minWidth, minHeight;
        std::uint32_t width, height;
        const char* scale;
    } cases[] = {
        {1, 1, 29, 19, "1/8"},       {60, 40, 86, 56, "3/8"},    {57, 57, 114, 75, "4/8"},
        {227, 149, 227, 149, "8/8"}, {300, 10, 227, 149, "8/8"}, {0, 0, 29, 19, "1/8"},
    };
    for (const auto& c : cases) {
        const TBitmap24 bitmap = TJpegDecoder(path).DecodeAtLeast(c.minWidth, c.minHeight);
        EXPECT_EQ(bitmap.Width(), c.width) << c.scale;
        EXPECT_EQ(bitmap.Height(), c.height) << c.scale;
        EXPECT_TRUE(BitmapBytes(bitmap) == DjpegRgb(path, std::string("-scale ") + c.scale))
            << c.scale;
    }
}

TEST(JpegDecoder, LibjpegErrorsBecomeJpegErrorsWithTheMessageNumber) {
    TTempDir dir;
    const struct {
        const char* name;
        std::string bytes;
        int code;
        std::string detail; // libjpeg's sentence, its values filled in
    } cases[] = {
        {"x.jpg", "This is a text file, not a picture.\n", JERR_NO_SOI,
         "Not a JPEG file: starts with 0x54 0x68"},
        {"empty.jpg", "", JERR_INPUT_EMPTY, "Empty input file"},
        {"12bit.jpg", ReadFileBytes(DataFile("ijg_testorig12.jpg")), JERR_BAD_PRECISION,
         "Unsupported JPEG data precision 12"},
        {"cut.jpg", ReadFileBytes(DataFile("ijg_testorig.jpg")).substr(0, 100), JERR_NO_IMAGE,
         "JPEG datastream contains no image"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File(c.name);
        WriteFileBytes(path, c.bytes);
        try {
            TJpegDecoder(path).Decode();
            ADD_FAILURE() << c.name << " decoded";
        } catch (const EJpegError& error) {
            EXPECT_EQ(error.Code(), c.code) << c.name;
            EXPECT_EQ(error.what(), "JPEG error #" + std::to_string(c.code));
            EXPECT_EQ(error.Detail(), c.detail) << c.name;
        }
    }
}

// A hook that asks to run again at once: every drain point reached runs it.
int drains = 0;
bool throwFromHook = false;

struct THookError {};

void CountingHook() {
    ++drains;
    detail::drainDue.store(true);
    if (throwFromHook) {
        throw THookError{};
    }
}

TEST(JpegDecoder, DrainsWhileLibjpegReadsAProgressiveFile) {
    // At 1/8 the 64 x 16 picture is 8 x 2: its rows come in one or two
    // batches. The other drains happen while libjpeg reads the ten scans.
    drains = 0;
    throwFromHook = false;
    TJpegDecoder decoder(DataFile("jd_non_interleaved_mcu_prog.jpg"));
    SetDrainHook(&CountingHook);
    detail::drainDue.store(true);
    const TBitmap24 bitmap = decoder.DecodeAtLeast(1, 1);
    SetDrainHook(nullptr);
    EXPECT_EQ(bitmap.Height(), 2u);
    EXPECT_GE(drains, 10);
}

TEST(JpegDecoder, AnErrorRaisedWhileDrainingLeavesDecodeUnchanged) {
    for (const char* name : {"jd_non_interleaved_mcu_prog.jpg", "ijg_testorig.jpg"}) {
        drains = 0;
        throwFromHook = true;
        TJpegDecoder decoder(DataFile(name));
        SetDrainHook(&CountingHook);
        detail::drainDue.store(true);
        EXPECT_THROW(decoder.Decode(), THookError) << name;
        SetDrainHook(nullptr);
        EXPECT_EQ(drains, 1) << name;
    }
    throwFromHook = false;
}

TEST(JpegDecoder, FilesThatCannotBeReadAreFileErrors) {
    TTempDir dir;
    EXPECT_THROW(TJpegDecoder(dir.File("missing.jpg")), EFileError);
    EXPECT_THROW(TJpegDecoder(dir.Path().string()), EFileError);
}

// Each scan passes over the whole picture again: past kMaxScans a file is
// refused, by the preview's and the thumbnails' scaled decoding too.
TEST(JpegDecoder, FilesOfMoreScansThanAnyPhotographAreRefused) {
    TTempDir dir;
    const std::string picture = test::MakeFlatProgressiveJpeg(64, 48);
    const std::string most = dir.File("most.jpg");
    const std::string more = dir.File("more.jpg");
    WriteFileBytes(most, test::WithScans(picture, kMaxScans));
    WriteFileBytes(more, test::WithScans(picture, kMaxScans + 1));
    TJpegDecoder decoder(most);
    EXPECT_EQ(decoder.Decode().Width(), 64u);
    EXPECT_EQ(decoder.Incomplete(), "corrupt data") << "the scans repeat one another";
    for (const bool scaled : {false, true}) {
        TJpegDecoder hostile(more);
        try {
            scaled ? hostile.DecodeAtLeast(8, 6) : hostile.Decode();
            ADD_FAILURE() << "decoded " << kMaxScans + 1 << " scans";
        } catch (const EPictureError& e) {
            EXPECT_STREQ(e.what(), "Too many scans (more than 1000): no photograph has as many");
        }
    }
}

// A picture nearly done when a stop comes is finished; one that would go
// on for seconds more is abandoned half a second after.
TEST(JpegDecoder, AStopAbandonsOnlyADecodeThatGoesOnTooLong) {
    TTempDir dir;
    const std::string small = dir.File("small.jpg");
    const std::string slow = dir.File("slow.jpg");
    WriteFileBytes(small, test::MakeFlatProgressiveJpeg(64, 48));
    WriteFileBytes(slow,
                   test::WithScans(test::MakeFlatProgressiveJpeg(4000, 4000, true), kMaxScans));
    TJpegDecoder done(small);
    done.SetStopTest([] { return true; });
    EXPECT_EQ(done.Decode().Height(), 48u);
    TJpegDecoder stopped(slow);
    stopped.SetStopTest([] { return true; });
    EXPECT_THROW(stopped.DecodeRows([](const std::uint8_t* const*, std::uint32_t) {}),
                 EStoppedError);
}

// The orientation comes from the header the decoder has read, as the
// frame-header scan finds it: an Exif segment after the frame header
// doesn't count.
TEST(JpegDecoder, TheOrientationIsTheFirstExifSegmentsBeforeTheFrame) {
    for (int k = 1; k <= 8; ++k) {
        const std::string name = "orient_small_" + std::to_string(k) + ".jpg";
        EXPECT_EQ(TJpegDecoder(DataFile(name)).Orientation(), k) << name;
    }
    std::string bytes = ReadFileBytes(DataFile("orient_small_6.jpg"));
    const std::size_t app1 = bytes.find("\xFF\xE1");
    ASSERT_NE(app1, std::string::npos);
    const std::size_t length = static_cast<unsigned char>(bytes[app1 + 2]) << 8 |
                               static_cast<unsigned char>(bytes[app1 + 3]);
    const std::string segment = bytes.substr(app1, 2 + length);
    bytes.erase(app1, 2 + length);
    const std::size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    const std::size_t sofLength = static_cast<unsigned char>(bytes[sof + 2]) << 8 |
                                  static_cast<unsigned char>(bytes[sof + 3]);
    bytes.insert(sof + 2 + sofLength, segment);
    TTempDir dir;
    WriteFileBytes(dir.File("late.jpg"), bytes);
    EXPECT_EQ(TJpegDecoder(dir.File("late.jpg")).Orientation(), 1);
}

// A real JPEG whose frame header claims another size.
std::string WithClaimedSize(const std::string& jpeg, int width, int height) {
    std::string bytes = jpeg;
    const std::size_t sof = bytes.find("\xFF\xC0");
    EXPECT_NE(sof, std::string::npos);
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
    return bytes;
}

TEST(JpegDecoder, PicturesTooLargeAreRefusedFromTheirHeader) {
    // The header alone is read: the error comes before any pixel memory.
    try {
        TJpegDecoder decoder(DataFile("bad_fuzz_max_size_65535.jpg"));
        ADD_FAILURE() << "accepted " << decoder.Width() << " x " << decoder.Height();
    } catch (const EPictureError& error) {
        EXPECT_NE(std::string(error.what()).find("65535 x 65535"), std::string::npos)
            << error.what();
    }
    TTempDir dir;
    const std::string original = ReadFileBytes(DataFile("ijg_testorig.jpg"));
    const std::string huge = dir.File("huge.jpg");
    WriteFileBytes(huge, WithClaimedSize(original, 20000, 20000)); // 400 megapixels
    EXPECT_THROW(TJpegDecoder{huge}, EPictureError);
    // 16384 x 8192 is exactly the limit: its header is accepted.
    const std::string largest = dir.File("largest.jpg");
    WriteFileBytes(largest, WithClaimedSize(original, 16384, 8192));
    TJpegDecoder decoder(largest);
    EXPECT_EQ(decoder.Width(), 16384u);
    const std::string wide = dir.File("wide.jpg");
    WriteFileBytes(wide, WithClaimedSize(original, 16385, 8192));
    EXPECT_THROW(TJpegDecoder{wide}, EPictureError);
    const std::string tall = dir.File("tall.jpg");
    WriteFileBytes(tall, WithClaimedSize(original, 16384, 8193));
    EXPECT_THROW(TJpegDecoder{tall}, EPictureError);
}

// A progressive picture holds all its coefficients while it decodes. A
// damaged one claiming 11000 x 11000 pixels (within the pixel limit) would
// need about 730 MB for them beside a 363 MB bitmap: refused before either
// is allocated, at full size as for the preview's reduced scales.
TEST(JpegDecoder, ProgressivePicturesBeyondTheMemoryBudgetAreRefused) {
    TTempDir dir;
    std::string bytes = ReadFileBytes(DataFile("jd_progressive3.jpg"));
    const std::size_t sof = bytes.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    bytes[sof + 5] = bytes[sof + 7] = static_cast<char>(11000 >> 8);
    bytes[sof + 6] = bytes[sof + 8] = static_cast<char>(11000 & 0xFF);
    const std::string huge = dir.File("huge.jpg");
    WriteFileBytes(huge, bytes);
    for (const bool reduced : {false, true}) {
        TJpegDecoder decoder(huge);
        try {
            const TBitmap24 bitmap = reduced ? decoder.DecodeAtLeast(100, 100) : decoder.Decode();
            ADD_FAILURE() << "decoded " << bitmap.Width() << " x " << bitmap.Height();
        } catch (const EPictureError& error) {
            EXPECT_NE(std::string(error.what()).find("11000 x 11000 pixels would need more than"),
                      std::string::npos)
                << error.what();
        }
    }
    // The real picture, far smaller, decodes as before.
    EXPECT_EQ(TJpegDecoder(DataFile("jd_progressive3.jpg")).Decode().Width(), 650u);
}

} // namespace
} // namespace vorpane
