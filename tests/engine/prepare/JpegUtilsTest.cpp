#include "prepare/JpegUtils.h"
#include "Errors.h"
#include "GuardMessage.h"
#include "MessageQueue.h"
#include "TestSupport.h"
#include "jpeg/JpegDecoder.h"
#include "prepare/OrderedBatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <mutex>
#include <png.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <jerror.h>

namespace vorpane {
namespace {

namespace fs = std::filesystem;
using test::CommandOutput;
using test::DataFile;
using test::ReadFileBytes;
using test::RecordReports;
using test::TReport;
using test::TTempDir;
using test::WriteFileBytes;

// A picture with something in it: gradients in all three channels.
TBitmap24 Gradient(std::uint32_t width, std::uint32_t height) {
    TBitmap24 bitmap(width, height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* pixel = bitmap.Row(y) + 3 * x;
            pixel[0] = static_cast<std::uint8_t>(x * 255 / width);
            pixel[1] = static_cast<std::uint8_t>(y * 255 / height);
            pixel[2] = static_cast<std::uint8_t>((x + y) % 256);
        }
    }
    return bitmap;
}

std::string WriteJpeg(const std::string& path, std::uint32_t width, std::uint32_t height) {
    EXPECT_TRUE(SaveAsJpeg(Gradient(width, height), path, 90));
    return path;
}

struct TSize {
    std::uint32_t width;
    std::uint32_t height;
    bool operator==(const TSize&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TSize& size) {
    return out << size.width << " x " << size.height;
}

TSize JpegSize(const std::string& path) {
    const TJpegDecoder decoder(path);
    return {decoder.Width(), decoder.Height()};
}

// The frame header's marker and component count.
std::pair<int, int> FrameOf(const std::string& jpeg) {
    for (std::size_t at = 2; at + 9 < jpeg.size();) {
        const auto marker = static_cast<std::uint8_t>(jpeg[at + 1]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            return {marker, static_cast<std::uint8_t>(jpeg[at + 9])};
        }
        at += 2 + (static_cast<std::uint8_t>(jpeg[at + 2]) << 8) +
              static_cast<std::uint8_t>(jpeg[at + 3]);
    }
    return {0, 0};
}

// A source's RGB bytes as our decoder gives them (djpeg's for RGB and grey,
// the colour-managed ones for CMYK) against a prepared file's as djpeg
// decodes it: the mean absolute difference, and the largest difference of a
// channel's mean.
struct TDifference {
    double mean = 0;
    double channelMean = 0;
};

std::string DjpegRgb(const std::string& path) {
    test::TPnmImage image = test::ParsePnm(CommandOutput("djpeg -pnm '" + path + "'"));
    if (image.Channels == 1) {
        std::string expanded;
        for (char grey : image.Samples) {
            expanded.append(3, grey);
        }
        return expanded;
    }
    return image.Samples;
}

TDifference Compare(const std::string& a, const std::string& b) {
    const TBitmap24 source = TJpegDecoder(a).Decode();
    std::string first;
    for (std::uint32_t y = 0; y < source.Height(); ++y) {
        first.append(reinterpret_cast<const char*>(source.Row(y)), source.RowBytes());
    }
    const std::string second = DjpegRgb(b);
    EXPECT_EQ(first.size(), second.size());
    const std::size_t size = std::min(first.size(), second.size());
    double total = 0;
    double channels[3] = {};
    for (std::size_t i = 0; i < size; ++i) {
        const int difference =
            static_cast<std::uint8_t>(first[i]) - static_cast<std::uint8_t>(second[i]);
        total += std::abs(difference);
        channels[i % 3] += difference;
    }
    TDifference result;
    result.mean = total / static_cast<double>(size);
    for (double channel : channels) {
        result.channelMean = std::max(result.channelMean, std::abs(channel) / (size / 3.0));
    }
    return result;
}

// Every test of a batch gets its own TMPDIR, so the private folder and the
// run folder in it are its own.
class PrepareImagesTest : public ::testing::Test {
protected:
    TTempDir dir;
    test::TScopedTmpDir tmp{dir.Path().string()};
    TRunFolder folder;
    std::vector<std::string> prepared;
    std::vector<TReport> reports;
    TRunReport details;

    bool Run(const std::vector<std::string>& sources, std::uint16_t width = 800,
             std::uint16_t height = 600, std::uint8_t quality = 100,
             TPagePolicy policy = TPagePolicy::ppLeaveOut, unsigned jobs = 0) {
        TRunOptions options = SizeOptions(true, quality, width, height, false);
        options.Policy = policy;
        options.Jobs = jobs;
        return PrepareImages(sources, folder, prepared, RecordReports(reports), options, &details);
    }
    std::string Temp(int position) const { return folder.FileFor(position); }
};

// ---- The batch -----------------------------------------------------------------

TEST_F(PrepareImagesTest, OneFile) {
    const std::string photo = WriteJpeg(dir.File("photo.jpg"), 120, 90);
    EXPECT_TRUE(Run({photo}));
    EXPECT_EQ(reports, (std::vector<TReport>{{photo, 0, 1}}));
    EXPECT_EQ(prepared, (std::vector<std::string>{Temp(0)}));
    EXPECT_EQ(JpegSize(Temp(0)), (TSize{800, 600}));
    EXPECT_EQ(fs::path(prepared[0]).filename(), "0.jpg");
}

TEST_F(PrepareImagesTest, AMissingFileKeepsItsPositionNumber) {
    const std::string first = WriteJpeg(dir.File("a.jpg"), 40, 30);
    const std::string third = WriteJpeg(dir.File("c.jpg"), 40, 30);
    fs::create_directory(dir.File("folder.jpg"));
    EXPECT_TRUE(Run({first, dir.File("missing.jpg"), third, dir.File("folder.jpg")}, 20, 10));
    EXPECT_EQ(prepared, (std::vector<std::string>{Temp(0), Temp(2)}));
    EXPECT_EQ(reports, (std::vector<TReport>{{first, 3, 1}, {third, 3, 3}}));
    EXPECT_FALSE(fs::exists(Temp(1)));
    EXPECT_FALSE(fs::exists(Temp(3)));
    ASSERT_EQ(details.Skipped.size(), 2u);
    EXPECT_EQ(details.Skipped[0].File, dir.File("missing.jpg"));
    EXPECT_EQ(details.Skipped[0].Reason, "No such file or directory");
    EXPECT_EQ(details.Skipped[1].Reason, "Is a directory");
}

TEST_F(PrepareImagesTest, NoSizeReencodesAtTheOwnSizeWithoutFiltering) {
    const std::string photo = DataFile("ijg_testorig.jpg");
    EXPECT_TRUE(Run({photo}, 0, 0, 75));
    EXPECT_EQ(JpegSize(Temp(0)), (TSize{227, 149}));
    const std::string direct = dir.File("direct.jpg");
    ASSERT_TRUE(SaveAsJpeg(LoadPicture(photo), direct, 75));
    EXPECT_TRUE(ReadFileBytes(Temp(0)) == ReadFileBytes(direct));
    // The size it already has: copied, not filtered, the same bytes again.
    EXPECT_TRUE(PrepareImage(photo, dir.File("same.jpg"), 75, 227, 149, false));
    EXPECT_TRUE(ReadFileBytes(dir.File("same.jpg")) == ReadFileBytes(direct));
}

TEST_F(PrepareImagesTest, OutputSizes) {
    const std::string landscape = WriteJpeg(dir.File("landscape.jpg"), 3000, 2000);
    const std::string portrait = WriteJpeg(dir.File("portrait.jpg"), 600, 800);
    const struct {
        std::string source;
        std::uint16_t width, height;
        TSize expected;
    } cases[] = {
        {landscape, 800, 0, {800, 533}},
        {landscape, 0, 533, {800, 533}},  // 799.5 goes to the even 800
        {portrait, 800, 600, {800, 600}}, // stretched
        {portrait, 0, 1000, {750, 1000}},
    };
    for (const auto& c : cases) {
        const std::string out = dir.File("out.jpg");
        ASSERT_TRUE(PrepareImage(c.source, out, 90, c.width, c.height, false));
        EXPECT_EQ(JpegSize(out), c.expected) << c.width << " x " << c.height;
    }
}

// A picture that fits the box exactly as --size would stretch it gives the
// same bytes; one inside the box keeps its size and is not filtered.
TEST_F(PrepareImagesTest, FitGoesThroughTheSameResampler) {
    const std::string landscape = WriteJpeg(dir.File("landscape.jpg"), 400, 300);
    const TPrepareParams fit{.Quality = 90, .Width = 200, .Height = 200, .Fit = true};
    ASSERT_TRUE(PrepareImage(landscape, dir.File("fit.jpg"), fit));
    ASSERT_TRUE(PrepareImage(landscape, dir.File("size.jpg"), 90, 200, 150, false));
    EXPECT_EQ(JpegSize(dir.File("fit.jpg")), (TSize{200, 150}));
    EXPECT_TRUE(ReadFileBytes(dir.File("fit.jpg")) == ReadFileBytes(dir.File("size.jpg")));
    const TPrepareParams large{.Quality = 90, .Width = 1600, .Height = 1600, .Fit = true};
    ASSERT_TRUE(PrepareImage(landscape, dir.File("small.jpg"), large));
    ASSERT_TRUE(PrepareImage(landscape, dir.File("own.jpg"), 90, 0, 0, false));
    EXPECT_TRUE(ReadFileBytes(dir.File("small.jpg")) == ReadFileBytes(dir.File("own.jpg")));
}

TEST_F(PrepareImagesTest, ASizeTheResamplerRefusesWritesNoFile) {
    const std::string wide = WriteJpeg(dir.File("wide.jpg"), 100, 1);
    // Width 10 gives height round(0.1) = 0; 40000 is beyond what the
    // resampler scales to.
    EXPECT_FALSE(PrepareImage(wide, dir.File("zero.jpg"), 90, 10, 0, false));
    EXPECT_FALSE(fs::exists(dir.File("zero.jpg")));
    EXPECT_FALSE(PrepareImage(wide, dir.File("big.jpg"), 90, 40000, 10, true));
    EXPECT_FALSE(fs::exists(dir.File("big.jpg")));
    EXPECT_TRUE(Run({wide, wide}, 40000, 10));
    EXPECT_TRUE(prepared.empty());
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_FALSE(fs::exists(Temp(0)));
    ASSERT_EQ(details.Skipped.size(), 2u);
    EXPECT_EQ(details.Skipped[1].File, wide);
    EXPECT_EQ(details.Skipped[1].Reason,
              "its page would be 40000 x 10 pixels; each side must be 1 to 32767");
    // A panorama wider than the resampler scales from.
    const std::string panorama = WriteJpeg(dir.File("panorama.jpg"), 40000, 100);
    TPrepareNotes notes;
    EXPECT_FALSE(PrepareImage(panorama, dir.File("p.jpg"), 90, 800, 0, false, &notes));
    EXPECT_EQ(notes.NoPage,
              "it is 40000 x 100 pixels; only pictures with sides of 1 to 32767 can be scaled");
    EXPECT_EQ(notes.NoPageKind, TReasonKind::rkTooLarge);
    // A computed side beyond 16 bits: 1000 x 66000, cut to 1000 x 464 in
    // the window's way, and named; refused otherwise.
    const std::string tall = WriteJpeg(dir.File("tall.jpg"), 100, 6600);
    TPrepareNotes cut;
    EXPECT_TRUE(PrepareImage(tall, dir.File("cut.jpg"), 90, 1000, 0, false, &cut));
    EXPECT_EQ(cut.Squashed, "its page would be 1000 x 66000 pixels; it is 1000 x 464");
    TPrepareNotes refused;
    refused.CutComputedSide = false;
    EXPECT_FALSE(PrepareImage(tall, dir.File("refused.jpg"), 90, 1000, 0, false, &refused));
    EXPECT_EQ(refused.NoPage,
              "its page would be 1000 x 66000 pixels; each side must be 1 to 32767");
    EXPECT_EQ(refused.NoPageKind, TReasonKind::rkPageTooLarge);
    EXPECT_FALSE(fs::exists(dir.File("refused.jpg")));
}

// vorpane-convert's way: a file that gives no page ends the batch with an
// error naming it, rather than leaving the document a page short.
TEST_F(PrepareImagesTest, WithEveryPageAFileThatGivesNoPageEndsTheBatch) {
    const std::string wide = WriteJpeg(dir.File("wide.jpg"), 100, 1);
    const std::string gone = dir.File("gone.jpg");
    EXPECT_THROW(Run({wide, gone}, 100, 0, 90, TPagePolicy::ppEveryPage), EFileError);
    EXPECT_EQ(details.FailedFile, gone);
    EXPECT_EQ(prepared, std::vector<std::string>{Temp(0)});
    EXPECT_THROW(Run({wide}, 10, 0, 90, TPagePolicy::ppEveryPage), EPictureError);
    EXPECT_EQ(details.FailedFile, wide);
    EXPECT_TRUE(details.Skipped.empty());
}

TEST_F(PrepareImagesTest, QualityIsHeldToOneToHundred) {
    const std::string photo = DataFile("ijg_testorig.jpg");
    const auto encoded = [&](std::uint8_t quality) {
        const std::string out = dir.File("q" + std::to_string(quality) + ".jpg");
        EXPECT_TRUE(PrepareImage(photo, out, quality, 100, 70, false));
        return ReadFileBytes(out);
    };
    EXPECT_TRUE(encoded(0) == encoded(1));
    EXPECT_TRUE(encoded(255) == encoded(100));
    EXPECT_FALSE(encoded(2) == encoded(1));
    EXPECT_FALSE(encoded(99) == encoded(100));
}

// The window's Stop button, pressed while a worker has the file open;
// whether any file had been reported by then.
fs::path fileToStopIn;
const std::vector<TReport>* reportsSoFar = nullptr;
bool stoppedBeforeAnyReport = false;

void StopWhileTheFileIsOpen() {
    if (StopPreparing) {
        return;
    }
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(fd.path(), error) == fileToStopIn) {
            stoppedBeforeAnyReport = reportsSoFar->empty();
            StopPreparing = true;
            return;
        }
    }
    // Looked at again at the next drain point, not only at the ticker's
    // next tick, which a busy machine may put off until the file is done.
    detail::drainDue.store(true);
}

// With two workers the files after the stop point may have been started,
// even finished: they are neither appended nor reported, nor left behind.
// The stop comes from the report of file 1, or from the window while the
// calling thread waits for file 0 (large, so that it is seen being prepared).
TEST_F(PrepareImagesTest, AStopDuringAFileFinishesThatFileOnly) {
    std::vector<std::string> sources = {WriteJpeg(dir.File("0-source.jpg"), 2400, 1800)};
    for (int i = 1; i < 4; ++i) {
        sources.push_back(WriteJpeg(dir.File(std::to_string(i) + "-source.jpg"), 30, 20));
    }
    const struct {
        bool fromWindow;
        std::size_t files;
    } cases[] = {{false, 2}, {true, 1}};
    for (const auto& c : cases) {
        for (unsigned jobs : {1u, 2u}) {
            SCOPED_TRACE(std::to_string(jobs) + " workers, stop from the " +
                         (c.fromWindow ? "window" : "report"));
            // A busy machine may not serve the window while file 0 is open
            // at all: such a run is tried again.
            for (int attempt = 1;; ++attempt) {
                const TRunFolder own;
                prepared.clear();
                reports.clear();
                StopPreparing = true; // left over from an earlier batch: cleared at the start
                if (c.fromWindow) {
                    fileToStopIn = fs::canonical(sources[0]);
                    reportsSoFar = &reports;
                    stoppedBeforeAnyReport = false;
                    SetDrainHook(&StopWhileTheFileIsOpen);
                    detail::drainDue.store(true);
                }
                TRunOptions options = SizeOptions(true, 90, 10, 10, true);
                options.Jobs = jobs;
                const bool result = PrepareImages(
                    sources, own, prepared,
                    [this](const std::string& text, std::int64_t total, std::int64_t done) {
                        reports.push_back({text, total, done});
                        if (done == 2) {
                            StopPreparing = true;
                        }
                    },
                    options);
                SetDrainHook(nullptr);
                if (c.fromWindow && !stoppedBeforeAnyReport && attempt < 5) {
                    continue;
                }
                EXPECT_TRUE(result);
                EXPECT_TRUE(StopPreparing);
                EXPECT_EQ(stoppedBeforeAnyReport, c.fromWindow);
                std::vector<std::string> expected;
                for (std::size_t i = 0; i < c.files; ++i) {
                    expected.push_back(own.FileFor(i));
                }
                EXPECT_EQ(prepared, expected);
                EXPECT_EQ(reports.size(), c.files);
                EXPECT_EQ(std::distance(fs::directory_iterator(own.Path()), {}),
                          static_cast<std::ptrdiff_t>(c.files));
                break;
            }
        }
    }
}

std::vector<std::thread::id> hookThreads;

void RecordThread() {
    hookThreads.push_back(std::this_thread::get_id());
}

// The window is served, and told of progress, only from its own thread,
// also while it waits for the workers; the workers leave the queue alone.
TEST_F(PrepareImagesTest, OnlyTheCallingThreadDrainsAndReports) {
    const std::vector<std::string> photos(4, DataFile("orient_landscape_1.jpg"));
    std::vector<std::thread::id> progressThreads;
    hookThreads.clear();
    SetDrainHook(&RecordThread);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (hookThreads.empty() && std::chrono::steady_clock::now() < deadline) {
        const TRunFolder own;
        prepared.clear();
        TRunOptions options = SizeOptions(true, 90, 1200, 900, false);
        options.Jobs = 2;
        ASSERT_TRUE(PrepareImages(
            photos, own, prepared,
            [&](const std::string&, std::int64_t, std::int64_t) {
                progressThreads.push_back(std::this_thread::get_id());
            },
            options));
    }
    SetDrainHook(nullptr);
    ASSERT_FALSE(hookThreads.empty());
    for (const auto& threads : {hookThreads, progressThreads}) {
        for (const std::thread::id& id : threads) {
            EXPECT_EQ(id, std::this_thread::get_id());
        }
    }
}

std::vector<std::pair<std::string, std::string>> guardMessages;

void RecordGuard(const std::string& caption, const std::string& text) {
    guardMessages.emplace_back(caption, text);
}

TEST_F(PrepareImagesTest, AnEmptyListShowsTheGuardAndGivesFalse) {
    guardMessages.clear();
    SetGuardMessageHook(&RecordGuard);
    const bool result = Run({});
    SetGuardMessageHook(nullptr);
    EXPECT_FALSE(result);
    EXPECT_EQ(guardMessages,
              (std::vector<std::pair<std::string, std::string>>{{"Warning", "No Files."}}));
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(prepared.empty());
}

// With three workers the files after the failing one start too, the
// largest first: a broken PNG that fails before the text file is even
// started. The error raised is still the first in list order, and what the
// workers made after it is deleted.
TEST_F(PrepareImagesTest, ATextFileNamedJpgEndsTheBatchKeepingWhatWasWritten) {
    const std::string good = WriteJpeg(dir.File("good.jpg"), 40, 30);
    const std::string text = dir.File("x.jpg");
    WriteFileBytes(text, "just some words\n");
    const std::string broken = dir.File("broken.png");
    WriteFileBytes(broken, std::string(100000, 'x'));
    for (unsigned jobs : {1u, 3u}) {
        prepared.clear();
        reports.clear();
        try {
            Run({good, text, good, broken, good}, 800, 600, 100, TPagePolicy::ppLeaveOut, jobs);
            ADD_FAILURE() << "no error";
        } catch (const EJpegError& error) {
            EXPECT_EQ(error.Code(), JERR_NO_SOI) << jobs << " workers";
        }
        EXPECT_EQ(prepared, (std::vector<std::string>{Temp(0)}));
        EXPECT_EQ(JpegSize(Temp(0)), (TSize{800, 600}));
        EXPECT_EQ(reports.size(), 1u);
        EXPECT_EQ(details.FailedFile, text);
        for (int later = 1; later < 5; ++later) {
            EXPECT_FALSE(fs::exists(Temp(later))) << later << ", " << jobs << " workers";
        }
    }
}

TEST_F(PrepareImagesTest, ASymlinkPlantedAsATemporaryFileIsNotFollowed) {
    const std::string victim = dir.File("victim.txt");
    WriteFileBytes(victim, "precious");
    fs::create_symlink(victim, Temp(0));
    EXPECT_THROW(Run({WriteJpeg(dir.File("a.jpg"), 40, 30)}), EFileError);
    EXPECT_EQ(ReadFileBytes(victim), "precious");
}

// Real files: the prepared copies decode (with djpeg, not with our decoder)
// to the colours of the source. Re-encoding halves the colour resolution,
// which blurs the sharp red letters of the CMYK file; a wrong colour model
// (CMYK not inverted, grey as one channel) would be off by a hundred.
TEST_F(PrepareImagesTest, CmykProgressiveAndGreyFilesKeepTheirColours) {
    for (const char* name :
         {"pil_sample_cmyk_ycck.jpg", "jd_progressive3.jpg", "pil_hopper_gray.jpg"}) {
        const std::string out = dir.File(std::string("prepared-") + name);
        ASSERT_TRUE(PrepareImage(DataFile(name), out, 100, 0, 0, false)) << name;
        const auto [marker, components] = FrameOf(ReadFileBytes(out));
        EXPECT_EQ(marker, 0xC0) << name;  // baseline
        EXPECT_EQ(components, 3) << name; // colour, grey included
        const TDifference difference = Compare(DataFile(name), out);
        EXPECT_LT(difference.mean, 8.0) << name;
        EXPECT_LT(difference.channelMean, 3.0) << name;
    }
}

// A JPEG is scaled band by band while it decodes, on one thread or with a
// spare one: the file must be the one the whole decoded picture gives
// through ResampleBitmap. Real photographs, CMYK, grey and a file cut short;
// the last band of each is short, and each axis is scaled alone too.
TEST_F(PrepareImagesTest, ScalingWhileDecodingGivesTheWholePicturesPixels) {
    const struct {
        std::uint16_t width, height;
    } sizes[] = {{173, 0}, {0, 901}, {600, 45}, {37, 450}};
    for (const char* name : {"orient_landscape_1.jpg", "pil_sample_cmyk_ycck.jpg",
                             "pil_hopper_gray.jpg", "bad_pil_truncated_prog.jpg"}) {
        TBitmap24 picture = LoadPicture(DataFile(name));
        for (const auto& size : sizes) {
            const auto width = static_cast<std::uint16_t>(
                size.width != 0
                    ? size.width
                    : WidthForHeight(static_cast<std::uint16_t>(picture.Height()),
                                     static_cast<std::uint16_t>(picture.Width()), size.height));
            const auto height = static_cast<std::uint16_t>(
                size.height != 0
                    ? size.height
                    : HeightForWidth(static_cast<std::uint16_t>(picture.Height()),
                                     static_cast<std::uint16_t>(picture.Width()), size.width));
            TBitmap24 whole;
            ASSERT_TRUE(ResampleBitmap(&picture, &whole, width, height, kLanczos3Filter));
            ASSERT_TRUE(SaveAsJpeg(whole, dir.File("whole.jpg"), 95));
            for (bool spareThread : {false, true}) {
                const std::string out = dir.File("bands.jpg");
                ASSERT_TRUE(PrepareImage(DataFile(name), out, 95, size.width, size.height, false,
                                         nullptr, spareThread));
                EXPECT_TRUE(ReadFileBytes(out) == ReadFileBytes(dir.File("whole.jpg")))
                    << name << " to " << width << " x " << height << ", spare thread "
                    << spareThread;
            }
        }
    }
}

struct THookError {};

void ThrowingHook() {
    throw THookError{};
}

// The window's handlers run inside the decoder's drains; an error one of
// them raises ends the preparation, with the helper thread stopped and no
// file written.
TEST_F(PrepareImagesTest, AnErrorWhileDecodingStopsTheSpareThread) {
    SetDrainHook(&ThrowingHook);
    detail::drainDue.store(true);
    EXPECT_THROW(PrepareImage(DataFile("orient_landscape_1.jpg"), dir.File("out.jpg"), 90, 50, 0,
                              false, nullptr, true),
                 THookError);
    SetDrainHook(nullptr);
    EXPECT_FALSE(fs::exists(dir.File("out.jpg")));
}

// ---- The pieces ------------------------------------------------------------------

// What a worker would start after a failure is never used: the error ends
// the batch. While one worker is still on item 0, the other fails item 1
// and must leave items 2 ... 9 alone.
TEST(OrderedBatch, AFailureStartsNoLaterItem) {
    std::atomic<int> calls{0};
    std::atomic<int> discarded{0};
    {
        TOrderedBatch<int> batch(
            std::vector<std::uint64_t>(10, 1), 2,
            [&](std::size_t i) {
                ++calls;
                if (i == 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                } else if (i == 1) {
                    throw EFileError("item 1");
                }
                return static_cast<int>(i);
            },
            [] { return false; }, [&](int&) { ++discarded; });
        EXPECT_EQ(batch.Take(0), 0);
        EXPECT_THROW(batch.Take(1), EFileError);
        EXPECT_EQ(calls.load(), 2);
    }
    EXPECT_EQ(discarded.load(), 0);
}

// Within a budget the memory of the items in flight never passes it, and
// an item larger than the budget runs alone; the results are the same.
TEST(OrderedBatch, ItemsInFlightStayWithinTheMemoryBudget) {
    const std::vector<std::uint64_t> memory = {3, 3, 3, 9, 1, 1, 4, 2, 2, 3};
    std::mutex lock;
    std::uint64_t inFlight = 0;
    std::uint64_t most = 0;
    bool largeAlone = true;
    {
        TOrderedBatch<int> batch(
            std::vector<std::uint64_t>(memory.size(), 1), 4,
            [&](std::size_t i) {
                {
                    const std::lock_guard guard(lock);
                    largeAlone = largeAlone && (i == 3 ? inFlight == 0 : inFlight < 9);
                    inFlight += memory[i];
                    most = std::max(most, inFlight);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                const std::lock_guard guard(lock);
                inFlight -= memory[i];
                return static_cast<int>(i) * 10;
            },
            [] { return false; }, [](int&) {}, memory, 6);
        for (std::size_t i = 0; i < memory.size(); ++i) {
            EXPECT_EQ(batch.Take(i), static_cast<int>(i) * 10);
        }
    }
    EXPECT_LE(most, 9u);
    EXPECT_TRUE(largeAlone);
    // Only the large item alone passes the budget.
    EXPECT_TRUE(most <= 6u || most == 9u) << most;
}

TEST(HeightForWidth, KeepsTheAspectRatioWithTiesToEven) {
    EXPECT_EQ(HeightForWidth(3, 4, 6), 4u);  // 4.5
    EXPECT_EQ(HeightForWidth(3, 4, 10), 8u); // 7.5
    EXPECT_EQ(HeightForWidth(3, 4, 2), 2u);  // 1.5
    EXPECT_EQ(HeightForWidth(2000, 3000, 800), 533u);
    EXPECT_EQ(HeightForWidth(1, 100, 10), 0u);
    EXPECT_EQ(HeightForWidth(65535, 1, 65535), 4294836225u);
    EXPECT_EQ(WidthForHeight(2000, 3000, 533), 800u); // 799.5
    EXPECT_EQ(WidthForHeight(2000, 3000, 1), 2u);     // 1.5
    EXPECT_EQ(WidthForHeight(4, 3, 3), 2u);           // 2.25
    EXPECT_EQ(WidthForHeight(0, 3, 3), 0u);
    // Fitting inside a box: the bound side is the box's, the other rounded
    // as above, never below 1; a picture inside the box keeps its size.
    const struct {
        std::uint16_t width, height, boxWidth, boxHeight;
        TPixelSize expected;
    } fits[] = {
        {4032, 3024, 1600, 1600, {1600, 1200}}, // landscape
        {3024, 4032, 1600, 1600, {1200, 1600}}, // portrait
        {8000, 1000, 1600, 1600, {1600, 200}},  // panorama
        {3000, 2000, 800, 600, {800, 533}},     // 533.3, as HeightForWidth
        {2000, 3000, 533, 800, {533, 800}},     // width-bound: 799.5 to the even 800
        {4, 3, 800, 600, {4, 3}},               // never enlarged
        {800, 600, 800, 600, {800, 600}},       // the box's own proportions
        {1600, 1200, 800, 600, {800, 600}},
        {10000, 1, 1600, 1600, {1600, 1}},  // 0.16 rounds to 0: kept at 1
        {4000, 3000, 1000, 0, {1000, 750}}, // a side 0 sets no bound
        {4000, 3000, 0, 0, {4000, 3000}},
    };
    for (const auto& f : fits) {
        EXPECT_EQ(FitInside(f.width, f.height, f.boxWidth, f.boxHeight), f.expected)
            << f.width << " x " << f.height << " in " << f.boxWidth << " x " << f.boxHeight;
    }
}

TEST(SaveAsJpeg, WritesOneColourBaselineJpeg) {
    TTempDir dir;
    EXPECT_FALSE(SaveAsJpeg(TBitmap24(0, 5), dir.File("none.jpg"), 90));
    EXPECT_FALSE(fs::exists(dir.File("none.jpg")));
    TBitmap24 grey(17, 9);
    for (std::uint32_t y = 0; y < 9; ++y) {
        std::fill(grey.Row(y), grey.Row(y) + grey.RowBytes(), static_cast<std::uint8_t>(120));
    }
    const std::string path = dir.File("grey.jpg");
    WriteFileBytes(path, std::string(100000, 'x')); // replaced, not appended to
    ASSERT_TRUE(SaveAsJpeg(grey, path, 90));
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(bytes.substr(6, 5), std::string("JFIF\0", 5));
    EXPECT_EQ(FrameOf(bytes), std::make_pair(0xC0, 3));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
    const TBitmap24 back = TJpegDecoder(path).Decode();
    EXPECT_EQ(back.Width(), 17u);
    EXPECT_NEAR(back.Row(4)[3 * 8], 120, 1);
}

TEST(SaveAsJpeg, RefusesASymlinkAndRemovesNothingElse) {
    TTempDir dir;
    const std::string victim = dir.File("victim.txt");
    WriteFileBytes(victim, "precious");
    fs::create_symlink(victim, dir.File("link.jpg"));
    EXPECT_THROW(SaveAsJpeg(Gradient(8, 8), dir.File("link.jpg"), 90), EFileError);
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_THROW(SaveAsJpeg(Gradient(8, 8), dir.File("no/such/folder.jpg"), 90), EFileError);
}

// Files may grow to 4 KiB only, and a write beyond fails with EFBIG rather
// than ending the process.
class TFileSizeLimit {
public:
    TFileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit small = previous_;
        small.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &small);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, handler_);
    }

private:
    rlimit previous_{};
    void (*handler_)(int);
};

TEST(SaveAsJpeg, AFailedWriteIsAFileErrorAndLeavesNoFile) {
    TTempDir dir;
    const std::string path = dir.File("big.jpg");
    {
        TFileSizeLimit limit;
        EXPECT_THROW(SaveAsJpeg(Gradient(300, 300), path, 100), EFileError);
    }
    EXPECT_FALSE(fs::exists(path));
}

// ---- Loading ----------------------------------------------------------------------

void WritePng(const std::string& path, const std::vector<std::uint8_t>& rgba, int width) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(rgba.size() / 4 / width);
    image.format = PNG_FORMAT_RGBA;
    ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr), 0)
        << image.message;
}

TEST(LoadPicture, PngTransparencyLiesOverWhite) {
    TTempDir dir;
    const std::string path = dir.File("picture.PNG");
    WritePng(path, {200, 10, 30, 255, /**/ 0, 0, 0, 0, /**/ 0, 0, 0, 128, /**/ 40, 90, 250, 255},
             4);
    const TBitmap24 bitmap = LoadPicture(path);
    ASSERT_EQ(bitmap.Width(), 4u);
    ASSERT_EQ(bitmap.Height(), 1u);
    const std::uint8_t* row = bitmap.Row(0);
    EXPECT_EQ(std::vector<int>(row, row + 3), (std::vector<int>{200, 10, 30}));
    EXPECT_EQ(std::vector<int>(row + 3, row + 6), (std::vector<int>{255, 255, 255}));
    EXPECT_GT(row[6], 60); // half black over white: grey
    EXPECT_LT(row[6], 200);
    EXPECT_EQ(std::vector<int>(row + 9, row + 12), (std::vector<int>{40, 90, 250}));
    WriteFileBytes(dir.File("broken.png"), "\x89PNG\r\n\x1a\n but nothing more");
    EXPECT_THROW(LoadPicture(dir.File("broken.png")), EPictureError);
}

TEST(LoadPicture, PicksTheDecoderByExtension) {
    TTempDir dir;
    const std::string jpeg = ReadFileBytes(DataFile("ijg_testorig.jpg"));
    for (const char* name : {"upper.JPG", "long.jpeg", "Mixed.JpEg"}) {
        WriteFileBytes(dir.File(name), jpeg);
        EXPECT_EQ(LoadPicture(dir.File(name)).Width(), 227u) << name;
    }
    const struct {
        std::string name;
        std::string message;
    } refused[] = {
        {"a.bmp", "Unsupported picture format (.bmp)"},
        {"a.ICO", "Unsupported picture format (.ICO)"},
        {"a.wmf", "Unsupported picture format (.wmf)"},
        {"a.emf", "Unsupported picture format (.emf)"},
        {"a.gif", "Unknown picture file extension (.gif)"},
        {"noextension", "Unknown picture file extension (.)"},
        {"dotted.folder/name", "Unknown picture file extension (.)"},
    };
    fs::create_directory(dir.File("dotted.folder"));
    for (const auto& c : refused) {
        WriteFileBytes(dir.File(c.name), jpeg);
        try {
            LoadPicture(dir.File(c.name));
            ADD_FAILURE() << c.name << " loaded";
        } catch (const EPictureError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

// ---- The private temporary folder ------------------------------------------------

TEST(TempFolder, IsOursAloneInsideTheSystemTemporaryFolder) {
    TTempDir dir;
    const std::string expected =
        dir.Path().string() + "/vorpane-" + std::to_string(::geteuid()) + "/";
    for (const std::string& tmpdir : {dir.Path().string(), dir.Path().string() + "/"}) {
        test::TScopedTmpDir tmp(tmpdir);
        EXPECT_EQ(TempFolder(), expected);
    }
    struct stat st {};
    ASSERT_EQ(::lstat(expected.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Opened up by someone: closed again.
    ::chmod(expected.c_str(), 0755);
    test::TScopedTmpDir tmp(dir.Path().string());
    EXPECT_EQ(TempFolder(), expected);
    ASSERT_EQ(::lstat(expected.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(TempFolder, WorksRoundWhatSomeoneElsePutInItsPlace) {
    TTempDir dir;
    test::TScopedTmpDir tmp(dir.Path().string());
    const std::string folder = dir.Path().string() + "/vorpane-" + std::to_string(::geteuid());
    // A fresh private folder of our own, the same for every later run so
    // that a killed run's folder in it is still swept.
    const auto isFresh = [&](const std::string& path) {
        struct stat st {};
        return path.starts_with(folder + "-") && path.size() == folder.size() + 8 &&
               ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
               (st.st_mode & 0777) == 0700;
    };
    fs::create_directory(dir.File("elsewhere"));
    fs::create_directory_symlink(dir.File("elsewhere"), folder);
    const std::string fresh = TempFolder();
    EXPECT_TRUE(isFresh(fresh)) << fresh;
    EXPECT_EQ(TempFolder(), fresh);
    EXPECT_TRUE(fs::is_empty(dir.File("elsewhere")));
    // Opened up by someone: closed again.
    ::chmod(fresh.c_str(), 0755);
    fs::remove(folder);
    WriteFileBytes(folder, "a file");
    EXPECT_EQ(TempFolder(), fresh);
    EXPECT_TRUE(isFresh(fresh)) << fresh;
    // A symlink under a fresh folder's name is passed over.
    fs::remove_all(fresh);
    fs::create_directory_symlink(dir.File("elsewhere"), folder + "-abcdef");
    const std::string another = TempFolder();
    EXPECT_TRUE(isFresh(another)) << another;
    EXPECT_NE(another, folder + "-abcdef/");
    if (::geteuid() == 0) {
        // Only root can give a folder away to test this.
        fs::remove_all(another);
        fs::remove(folder);
        fs::create_directory(folder);
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
        EXPECT_TRUE(isFresh(TempFolder()));
    }
}

// As root the user and every folder's owner are one uid, which hides the
// rule that tells them apart: TempFolder runs as nobody in a child, in a
// shared temporary folder root owns, as it would for a user in /tmp.
TEST(TempFolder, AUsersOwnFolderIsTakenAndOneGivenToAnotherUserIsWorkedRound) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run as another user; as a user the other tests show it";
    }
    constexpr uid_t kNobody = 65534;
    TTempDir dir;
    for (const fs::path& folder : {dir.Path(), dir.Path().parent_path()}) {
        ::chmod(folder.c_str(), 0711); // ours; nobody only passes through
    }
    const std::string shared = dir.File("tmp");
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    const std::string mine = shared + "/vorpane-" + std::to_string(kNobody) + "/";
    // The child's exit status: 0 for the folder expected, 1 for a fresh
    // private folder of nobody's, 2 for a refusal or anything else, 3 when
    // it couldn't become nobody.
    const auto asNobody = [&] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                ::_exit(3);
            }
            ::setenv("TMPDIR", shared.c_str(), 1);
            try {
                const std::string folder = TempFolder();
                struct stat st {};
                const bool fresh = folder.starts_with(shared + "/vorpane-65534-") &&
                                   ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
                                   st.st_uid == kNobody && (st.st_mode & 0777) == 0700;
                ::_exit(folder == mine ? 0 : fresh ? 1 : 2);
            } catch (const EFileError&) {
                ::_exit(2);
            }
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(asNobody(), 0);
    struct stat st {};
    ASSERT_EQ(::lstat(mine.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(asNobody(), 0) << "the folder it made before";
    // Open to nobody, so that only its owner can be the reason.
    ASSERT_EQ(::chown(mine.c_str(), 0, 0), 0);
    ::chmod(mine.c_str(), 0755);
    EXPECT_EQ(asNobody(), 1) << "root's folder under nobody's name";
}

// ---- The run's own folder ----------------------------------------------------------

TEST(RunFolder, EachRunHasItsOwnAndNoneOutlivesItsProcess) {
    TTempDir dir;
    test::TScopedTmpDir tmp(dir.Path().string());
    const std::string privateFolder = TempFolder();
    // Left by a process killed outright: no one holds its lock.
    fs::create_directory(privateFolder + "run-1-abandoned");
    WriteFileBytes(privateFolder + "run-1-abandoned/0.jpg", "prepared");
    // A run going on in another process: its lock is held.
    fs::create_directory(privateFolder + "run-2-alive");
    WriteFileBytes(privateFolder + "run-2-alive/0.jpg", "prepared");
    const int alive = ::open((privateFolder + "run-2-alive").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(alive, LOCK_EX), 0);
    std::string first;
    {
        const TRunFolder a;
        const TRunFolder b;
        first = a.Path();
        EXPECT_NE(a.Path(), b.Path());
        EXPECT_TRUE(a.Path().starts_with(privateFolder + "run-" + std::to_string(::getpid()) + "-"))
            << a.Path();
        EXPECT_EQ(a.FileFor(12), a.Path() + "12.jpg");
        struct stat st {};
        ASSERT_EQ(::lstat(a.Path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        WriteFileBytes(a.FileFor(0), "prepared");
        EXPECT_FALSE(fs::exists(privateFolder + "run-1-abandoned"));
        EXPECT_TRUE(fs::exists(privateFolder + "run-2-alive/0.jpg"));
    }
    EXPECT_FALSE(fs::exists(first)) << "the folder goes with every file in it";
    ::close(alive);
    EXPECT_EQ(std::distance(fs::directory_iterator(privateFolder), {}), 1);
}

} // namespace
} // namespace vorpane
