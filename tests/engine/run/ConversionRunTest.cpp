#include "run/ConversionRun.h"
#include "Errors.h"
#include "MessageQueue.h"
#include "TestSupport.h"
#include "io/AtomicOutputFile.h"
#include "jpeg/ExifDateTaken.h"
#include "prepare/JpegUtils.h"
#include "run/PhotoOrder.h"
#include "run/QualitySearch.h"

#include <gtest/gtest.h>

#include <barrier>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vorpane {
namespace {

namespace fs = std::filesystem;
using test::MakeJpegHeader;
using test::ReadFileBytes;
using test::RecordReports;
using test::TReport;
using test::TTempDir;
using test::WithDateTaken;
using test::WriteFileBytes;

// A run in "Original size" mode, recording its reports; onReport may act in
// the middle of the run, as the window's handlers do.
struct TOriginalRun {
    std::vector<TReport> reports;
    TRunReport details;
    std::int32_t result = 0;
    std::function<void(const TReport&)> onReport;

    std::int32_t Run(const std::vector<std::string>& files, const std::string& output) {
        TRunOptions options;
        options.Width = 800;
        options.Height = 600;
        result = ConversionRun(files, output, RecordReports(reports, onReport), options, &details);
        return result;
    }
};

// Names in the folder other than the ones given: stray temporary files.
std::vector<std::string> OtherFiles(const TTempDir& dir, std::initializer_list<std::string> known) {
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            others.push_back(name);
        }
    }
    return others;
}

class ConversionRunOriginal : public ::testing::Test {
protected:
    void SetUp() override {
        for (int k = 0; k < 3; ++k) {
            files.push_back(dir.File("p" + std::to_string(k) + ".jpg"));
            WriteFileBytes(files.back(),
                           MakeJpegHeader(0xFFC0, 100 + k, 50 + k, 3, 1000 * (k + 1)));
        }
        output = dir.File("out.pdf");
        WriteFileBytes(output, "old document");
    }
    void ExpectOldOutputAndNoStrays() {
        EXPECT_EQ(ReadFileBytes(output), "old document");
        EXPECT_EQ(OtherFiles(dir, {"p0.jpg", "p1.jpg", "p2.jpg", "out.pdf", "grey.jpg"}),
                  std::vector<std::string>{});
    }

    TTempDir dir;
    std::vector<std::string> files;
    std::string output;
};

TEST_F(ConversionRunOriginal, TwoFilesReportEachImageAndEmbedTheBytesUnchanged) {
    TOriginalRun run;
    ASSERT_EQ(run.Run({files[0], files[1]}, output), rcDone);
    const std::vector<TReport> expected = {{"converting..", 0, 0},
                                           {files[0], 3000, 1000},
                                           {files[1], 3000, 3000},
                                           {"Finished!", 0, 0}};
    EXPECT_EQ(run.reports, expected);
    const std::string pdf = ReadFileBytes(output);
    EXPECT_NE(pdf.find("stream\n" + ReadFileBytes(files[0]) + "endstream"), std::string::npos);
    EXPECT_NE(pdf.find("stream\n" + ReadFileBytes(files[1]) + "endstream"), std::string::npos);
    EXPECT_NE(pdf.find("/MediaBox [ 0 0 101 51 ]"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(files[0])) << "sources are never deleted";
    EXPECT_EQ(OtherFiles(dir, {"p0.jpg", "p1.jpg", "p2.jpg", "out.pdf"}),
              std::vector<std::string>{});
    EXPECT_EQ(run.details.OutputFile, output);
    EXPECT_EQ(run.details.Pages, 2u);
    EXPECT_EQ(run.details.DocumentSize, static_cast<std::int64_t>(pdf.size()));
}

TEST(SizeText, DecimalUnitsWithOneDecimal) {
    EXPECT_EQ(SizeText(1), "1 byte");
    EXPECT_EQ(SizeText(999), "999 bytes");
    EXPECT_EQ(SizeText(1000), "1.0 kB");
    EXPECT_EQ(SizeText(87'449), "87.4 kB");
    EXPECT_EQ(SizeText(999'960), "1.0 MB");
    EXPECT_EQ(SizeText(11'460'000), "11.5 MB");
    EXPECT_EQ(SizeText(1'234'000'000), "1.2 GB");
}

TEST_F(ConversionRunOriginal, AGreyJpegRefusesTheWholeListAndKeepsTheOldFile) {
    const std::string grey = dir.File("grey.jpg");
    WriteFileBytes(grey, MakeJpegHeader(0xFFC0, 10, 10, 1));
    TOriginalRun run;
    EXPECT_EQ(run.Run({files[0], grey, files[1]}, output), rcNoFiles);
    const std::vector<TReport> expected = {{"converting..", 0, 0}, {"Finished!", 0, 0}};
    EXPECT_EQ(run.reports, expected);
    EXPECT_EQ(run.details.FailedFile, grey);
    EXPECT_NE(run.details.Reason.find("component"), std::string::npos);
    ExpectOldOutputAndNoStrays();
}

TEST_F(ConversionRunOriginal, MissingOrEmptyEntriesRefuseTheList) {
    for (const std::string& bad : {dir.File("deleted.jpg"), std::string()}) {
        TOriginalRun run;
        EXPECT_EQ(run.Run({files[0], bad}, output), rcNoFiles);
        EXPECT_EQ(run.details.FailedFile, bad);
        ExpectOldOutputAndNoStrays();
    }
}

TEST_F(ConversionRunOriginal, NoOutputPathOrNoFilesGiveNoFilesWithoutAReport) {
    TOriginalRun noPath;
    EXPECT_EQ(noPath.Run(files, ""), rcNoFiles);
    EXPECT_TRUE(noPath.reports.empty());
    TOriginalRun noFiles;
    EXPECT_EQ(noFiles.Run({}, output), rcNoFiles);
    EXPECT_TRUE(noFiles.reports.empty());
    ExpectOldOutputAndNoStrays();
}

// Both ways of starting the document: unnamed (O_TMPFILE) and, as where
// the file system lacks that, a hidden file.
TEST_F(ConversionRunOriginal, StopWhileTheSecondOfThreeImagesIsEmbeddedKeepsTheOldFile) {
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "O_TMPFILE" : "hidden file");
        AllowUnnamedOutputs(unnamed);
        TOriginalRun run;
        run.onReport = [&](const TReport& r) {
            if (r.text == files[1]) {
                StopConverting = true; // as a click on Stop during the drain would
            }
        };
        EXPECT_EQ(run.Run(files, output), rcStopped);
        EXPECT_EQ(run.reports.back(), (TReport{"Finished!", 0, 0}));
        ExpectOldOutputAndNoStrays();
        TOriginalRun done;
        EXPECT_EQ(done.Run(files, dir.File("new.pdf")), rcDone);
        EXPECT_EQ(OtherFiles(dir, {"p0.jpg", "p1.jpg", "p2.jpg", "out.pdf", "new.pdf"}),
                  std::vector<std::string>{});
        fs::remove(dir.File("new.pdf"));
    }
    AllowUnnamedOutputs(true);
}

TEST_F(ConversionRunOriginal, StopBeforeTheTestsEndsWithoutWriting) {
    TOriginalRun run;
    run.onReport = [](const TReport& r) {
        if (r.text == "converting..") {
            StopConverting = true;
        }
    };
    EXPECT_EQ(run.Run(files, output), rcStopped);
    const std::vector<TReport> expected = {{"converting..", 0, 0}, {"Finished!", 0, 0}};
    EXPECT_EQ(run.reports, expected);
    ExpectOldOutputAndNoStrays();
}

TEST_F(ConversionRunOriginal, AFileRemovedBetweenItsTestAndItsEmbeddingAborts) {
    TOriginalRun run;
    run.onReport = [&](const TReport& r) {
        if (r.text == files[0]) {
            std::filesystem::remove(files[2]);
        }
    };
    EXPECT_EQ(run.Run(files, output), rcAborted);
    EXPECT_NE(run.details.Reason.find("p2.jpg"), std::string::npos) << run.details.Reason;
    EXPECT_EQ(run.reports.back(), (TReport{"Finished!", 0, 0}));
    ExpectOldOutputAndNoStrays();
}

TEST_F(ConversionRunOriginal, AnErrorRaisedByProgressAborts) {
    TOriginalRun run;
    run.onReport = [&](const TReport& r) {
        if (r.text == files[1]) {
            throw std::runtime_error("callback failed");
        }
    };
    EXPECT_EQ(run.Run(files, output), rcAborted);
    EXPECT_EQ(run.details.Reason, "callback failed");
    ExpectOldOutputAndNoStrays();
}

// What vorpane-convert's signal handler calls before it ends the program at
// once: the hidden document goes, the old one stays. Where the document is
// written unnamed there is nothing to remove, and nothing to see beside it.
TEST_F(ConversionRunOriginal, RemovingUnfinishedOutputsTakesOnlyTheHiddenDocument) {
    TOriginalRun run;
    std::vector<std::string> hidden;
    run.onReport = [&](const TReport& r) {
        if (r.text == files[1]) {
            hidden = OtherFiles(dir, {"p0.jpg", "p1.jpg", "p2.jpg", "out.pdf"});
            RemoveUnfinishedOutputs();
        }
    };
    const std::int32_t result = run.Run(files, output);
    if (hidden.empty()) {
        EXPECT_EQ(result, rcDone);
        EXPECT_EQ(ReadFileBytes(output).substr(0, 8), "%PDF-1.2");
        EXPECT_EQ(OtherFiles(dir, {"p0.jpg", "p1.jpg", "p2.jpg", "out.pdf"}),
                  std::vector<std::string>{});
        return;
    }
    EXPECT_EQ(result, rcAborted); // the rename finds nothing to rename
    ASSERT_EQ(hidden.size(), 1u);
    EXPECT_TRUE(hidden[0].starts_with(".out.pdf.")) << hidden[0];
    ExpectOldOutputAndNoStrays();
}

TEST_F(ConversionRunOriginal, AnOutputNamingAnInputIsRefusedBeforeWriting) {
    const std::string before = ReadFileBytes(files[1]);
    TOriginalRun run;
    EXPECT_THROW(run.Run(files, files[1]), EFileError);
    EXPECT_EQ(ReadFileBytes(files[1]), before);
    // The same file reached through another name is refused too.
    const std::string link = dir.File("link.jpg");
    std::filesystem::create_hard_link(files[1], link);
    EXPECT_THROW(run.Run(files, link), EFileError);
    EXPECT_EQ(ReadFileBytes(files[1]), before);
}

TEST_F(ConversionRunOriginal, OutputsThatCannotBeCreatedRaiseErrorsNamingThePath) {
    const std::string missingFolder = dir.File("no/such/folder/out.pdf");
    std::filesystem::create_directory(dir.File("folder.pdf"));
    for (const std::string& bad : {missingFolder, dir.File("folder.pdf")}) {
        TOriginalRun run;
        try {
            run.Run(files, bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const EFileError& e) {
            EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
        }
        ASSERT_FALSE(run.reports.empty());
        EXPECT_EQ(run.reports.back().text, "converting..")
            << "no Finished! after an error that leaves the run";
    }
}

TEST_F(ConversionRunOriginal, AReplacedOutputKeepsItsPermissions) {
    std::filesystem::permissions(output, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read);
    TOriginalRun run;
    ASSERT_EQ(run.Run(files, output), rcDone);
    EXPECT_EQ(std::filesystem::status(output).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

// A new output gets what the umask leaves of 0666, as a file made by any
// other program would: under 077 no one else may read it, let alone write.
TEST_F(ConversionRunOriginal, ANewOutputGetsTheModeTheUmaskLeaves) {
    const struct {
        mode_t mask;
        mode_t mode;
    } cases[] = {{022, 0644}, {077, 0600}};
    for (const auto& c : cases) {
        std::filesystem::remove(output);
        const mode_t previous = ::umask(c.mask);
        TOriginalRun run;
        const std::int32_t result = run.Run(files, output);
        ::umask(previous);
        ASSERT_EQ(result, rcDone);
        struct stat st {};
        ASSERT_EQ(::stat(output.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode) << "umask " << std::oct << c.mask;
    }
}

TEST_F(ConversionRunOriginal, AnOutputThroughASymlinkReplacesTheLinkedFile) {
    const std::string real = dir.File("real.pdf");
    WriteFileBytes(real, "old");
    const std::string link = dir.File("link.pdf");
    std::filesystem::create_symlink(real, link);
    TOriginalRun run;
    ASSERT_EQ(run.Run({files[0]}, link), rcDone);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real).substr(0, 8), "%PDF-1.2");
}

// "Same size": real photographs prepared into the private temporary folder,
// which each test keeps under its own scratch folder.
class ConversionRunSameSize : public ::testing::Test {
protected:
    void SetUp() override {
        for (int k = 0; k < 3; ++k) {
            files.push_back(dir.File("p" + std::to_string(k) + ".jpg"));
            WriteFileBytes(files.back(), ReadFileBytes(test::DataFile("ijg_testorig.jpg")));
        }
        output = dir.File("out.pdf");
        WriteFileBytes(output, "old document");
    }
    std::int32_t Run(const std::vector<std::string>& list, unsigned jobs = 0,
                     std::uint16_t width = 64, std::uint16_t height = 48) {
        TRunOptions options = SizeOptions(true, 90, width, height, false);
        options.Jobs = jobs;
        options.Phase = [this](TRunPhase phase) { phases.push_back({phase, reports.size()}); };
        return ConversionRun(list, output, RecordReports(reports, onReport), options);
    }
    // Whether a report names the prepared copy of the k-th source, in a run
    // folder inside the private folder.
    static bool IsTemp(const std::string& text, int k) {
        const fs::path path(text);
        return path.filename() == std::to_string(k) + ".jpg" &&
               path.parent_path().filename().string().starts_with("run-") &&
               path.parent_path().parent_path().string() + "/" == TempFolder();
    }
    // Whatever way a run ends, it leaves nothing in the private folder.
    static bool NothingLeft() { return fs::is_empty(TempFolder()); }

    TTempDir dir;
    TTempDir tmp;
    test::TScopedTmpDir scopedTmp{tmp.Path().string()};
    std::vector<std::string> files;
    std::string output;
    std::vector<TReport> reports;
    std::function<void(const TReport&)> onReport;
    // Each phase told, with the number of reports before it.
    std::vector<std::pair<TRunPhase, std::size_t>> phases;
};

TEST_F(ConversionRunSameSize, ReportsPreparationThenEmbeddingAndLeavesNoTemporaryFile) {
    ASSERT_EQ(Run({files[0], files[1]}), rcDone);
    ASSERT_EQ(reports.size(), 6u);
    EXPECT_EQ(reports[0], (TReport{"converting..", 0, 0}));
    EXPECT_EQ(reports[1], (TReport{files[0], 1, 1}));
    EXPECT_EQ(reports[2], (TReport{files[1], 1, 2}));
    EXPECT_TRUE(IsTemp(reports[3].text, 0)) << reports[3].text;
    EXPECT_TRUE(IsTemp(reports[4].text, 1)) << reports[4].text;
    EXPECT_EQ(reports[4].done, reports[4].total);
    EXPECT_EQ(reports[5], (TReport{"Finished!", 0, 0}));
    EXPECT_NE(ReadFileBytes(output).find("/MediaBox [ 0 0 64 48 ]"), std::string::npos);
    EXPECT_TRUE(NothingLeft());
}

// A size limit takes the highest quality whose document fits: a limit of
// exactly one quality's document gives that document, byte for byte, and
// one byte less the quality below; below quality 1's size, no document.
// The memory budget decides only when each photo starts: one worker, three
// within a budget smaller than any photo (each then runs alone) or within
// a large one, the document is the same.
TEST_F(ConversionRunSameSize, TheDocumentIsTheSameForAnyJobsAndMemoryBudget) {
    std::vector<std::string> documents;
    for (const auto& [jobs, memory] :
         {std::pair<unsigned, std::uint64_t>{1, 0}, {3, 1}, {3, 1'000'000'000}}) {
        TRunOptions options = SizeOptions(true, 90, 64, 48, false);
        options.Jobs = jobs;
        options.Memory = memory;
        ASSERT_EQ(ConversionRun(files, output, {}, options), rcDone) << jobs << " " << memory;
        documents.push_back(ReadFileBytes(output));
    }
    EXPECT_EQ(documents[1], documents[0]);
    EXPECT_EQ(documents[2], documents[0]);
}

TEST_F(ConversionRunSameSize, ASizeLimitTakesTheHighestQualityThatFits) {
    const std::vector<std::string> list = {files[0], test::DataFile("orient_landscape_1.jpg"),
                                           test::DataFile("jd_progressive3.jpg")};
    const auto document = [&](int quality, std::int64_t limit, TRunReport* report) {
        TRunOptions options = SizeOptions(true, static_cast<std::uint8_t>(quality), 120, 90, false);
        options.Fit = true;
        options.MaxSize = limit;
        options.ColourProfiles = true;
        const std::int32_t result = ConversionRun(list, output, {}, options, report);
        return result == rcDone ? ReadFileBytes(output) : std::string();
    };
    const std::string at60 = document(60, 0, nullptr);
    const std::string at59 = document(59, 0, nullptr);
    ASSERT_LT(at59.size(), at60.size());
    ASSERT_LT(at60.size(), document(61, 0, nullptr).size());
    const auto limit60 = static_cast<std::int64_t>(at60.size());
    TRunReport report;
    EXPECT_TRUE(document(61, limit60, &report) == at60) << "the limit exactly";
    EXPECT_EQ(report.Quality, 60);
    EXPECT_EQ(report.DocumentSize, limit60);
    EXPECT_TRUE(document(100, limit60 - 1, nullptr) == at59) << "one byte short";
    EXPECT_TRUE(document(60, limit60 + 1000, nullptr) == at60) << "never above the quality given";
    const std::string atOne = document(1, 0, nullptr);
    TRunReport over;
    WriteFileBytes(output, "old document");
    EXPECT_EQ(document(100, static_cast<std::int64_t>(atOne.size()) - 1, &over), "");
    EXPECT_EQ(over.Kind, TReasonKind::rkOverLimit);
    EXPECT_NE(over.Reason.find(std::to_string(atOne.size()) + " bytes"), std::string::npos)
        << over.Reason;
    EXPECT_EQ(ReadFileBytes(output), "old document");
    EXPECT_TRUE(NothingLeft());
}

TEST(PhotoOrder, NaturalOrderCountsDigitRunsAsNumbers) {
    const struct {
        const char* a;
        const char* b;
        int order;
    } rows[] = {
        {"IMG_2.jpg", "IMG_10.jpg", -1},       {"IMG_0009.jpg", "IMG_0010.jpg", -1},
        {"IMG_9999.jpg", "IMG_10000.jpg", -1}, {"a/IMG_2.jpg", "b/IMG_1.jpg", -1},
        {"IMG_02.jpg", "IMG_2.jpg", 1}, // the same number: fewer zeros first
        {"IMG_2.jpg", "IMG_2.jpg", 0},         {"IMG_2.jpg", "IMG_2a.jpg", -1},
        {"DSC_1.jpg", "IMG_1.jpg", -1},        {"x10y2", "x10y10", -1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NaturalCompare(row.a, row.b), row.order) << row.a << " " << row.b;
        EXPECT_EQ(NaturalCompare(row.b, row.a), -row.order) << row.b << " " << row.a;
    }
}

// By date taken: the offset and the fraction of a second count, a photo
// without a date goes by its file's time, a tie by name; no file, last.
TEST(PhotoOrder, ByDateTakenThenFileTimeThenName) {
    TTempDir dir;
    const std::string jpeg = ReadFileBytes(test::DataFile("orient_small_1.jpg"));
    const auto photo = [&](const std::string& name, const std::string& bytes) {
        const std::string path = dir.File(name);
        WriteFileBytes(path, bytes);
        return path;
    };
    // 10:00 in Berlin is 09:00 UTC, before 09:30 UTC in London.
    const std::string berlin =
        photo("IMG_0003.jpg", WithDateTaken(jpeg, "2026:07:14 10:00:00", "+01:00"));
    const std::string london =
        photo("IMG_0001.jpg", WithDateTaken(jpeg, "2026:07:14 09:30:00", "+00:00"));
    const std::string burstB =
        photo("DSC_2.jpg", WithDateTaken(jpeg, "2026:07:14 09:45:00", "+00:00", "5"));
    const std::string burstA =
        photo("DSC_10.jpg", WithDateTaken(jpeg, "2026:07:14 09:45:00", "+00:00", "25"));
    const std::string twinB = photo("b.jpg", WithDateTaken(jpeg, "2026:07:14 09:50:00", "+00:00"));
    const std::string twinA = photo("a.jpg", WithDateTaken(jpeg, "2026:07:14 09:50:00", "+00:00"));
    const std::string scanned = photo("scan.jpg", jpeg);
    const timespec times[2] = {{0, UTIME_OMIT}, {1'784'000'000, 0}}; // 2026-07-14 03:33 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, scanned.c_str(), times, 0), 0);
    // A minute of 61 is no time: that photo goes by its file's time (2023).
    const std::string badMinute =
        photo("odd.jpg", WithDateTaken(jpeg, "2026:07:14 09:61:00", "+00:00"));
    const timespec earlier[2] = {{0, UTIME_OMIT}, {1'700'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, badMinute.c_str(), earlier, 0), 0);
    const std::string gone = dir.File("gone.jpg");
    std::vector<std::string> files = {gone,    badMinute, twinB,  london, burstB,
                                      scanned, twinA,     berlin, burstA};
    SortPhotos(files, TPhotoOrder::poTaken);
    EXPECT_EQ(files, (std::vector<std::string>{badMinute, scanned, berlin, london, burstA, burstB,
                                               twinA, twinB, gone}));
    SortPhotos(files, TPhotoOrder::poName);
    EXPECT_EQ(files, (std::vector<std::string>{twinA, twinB, burstB, burstA, gone, london, berlin,
                                               badMinute, scanned}));
}

// A date taken without its offset is the time where the photo is looked
// at, summer time or not.
TEST(PhotoOrder, ADateWithoutItsOffsetIsLocalTime) {
    TTempDir dir;
    const std::string jpeg = ReadFileBytes(test::DataFile("orient_small_1.jpg"));
    const struct {
        const char* zone;
        const char* date;
        std::int64_t seconds;
    } rows[] = {
        {"UTC0", "2026:07:14 09:40:00", 1'784'022'000},
        {"EST5EDT,M3.2.0,M11.1.0", "2026:07:14 09:40:00", 1'784'036'400}, // 13:40 UTC
        {"EST5EDT,M3.2.0,M11.1.0", "2026:01:14 09:40:00", 1'768'401'600}, // 14:40 UTC
    };
    for (const auto& row : rows) {
        const test::TTimeZone zone(row.zone);
        const std::string path = dir.File("local.jpg");
        WriteFileBytes(path, WithDateTaken(jpeg, row.date));
        const std::optional<TTakenTime> taken = ReadDateTaken(path);
        ASSERT_TRUE(taken.has_value()) << row.zone << " " << row.date;
        EXPECT_EQ(taken->Seconds, row.seconds) << row.zone << " " << row.date;
    }
}

TEST(QualitySearch, HalvesTheRangeAndNeverTriesAQualityTwice) {
    // A document of 1000 bytes plus 10 a quality step.
    const auto size = [](int quality) { return std::int64_t{1000 + 10 * quality}; };
    const struct {
        std::int64_t limit;
        int highest;
        int quality;
        std::size_t tries;
    } rows[] = {
        {5000, 100, 100, 1}, // fits at once
        {1999, 100, 99, 8},  {1631, 100, 63, 8},
        {1010, 100, 1, 8},   {1009, 100, 0, 7}, // not even quality 1: its size is told
        {1635, 80, 63, 8},   {1009, 1, 0, 1},
    };
    for (const auto& row : rows) {
        std::vector<int> tried;
        const TQualityChoice choice =
            HighestQualityWithin(row.limit, row.highest, [&](int quality) {
                tried.push_back(quality);
                return std::optional<std::int64_t>(size(quality));
            });
        EXPECT_EQ(choice.Quality, row.quality) << row.limit;
        EXPECT_EQ(choice.Size, size(std::max(row.quality, 1))) << row.limit;
        EXPECT_EQ(tried.size(), row.tries) << row.limit;
        EXPECT_EQ(std::set<int>(tried.begin(), tried.end()).size(), tried.size()) << row.limit;
        EXPECT_FALSE(choice.Stopped);
    }
    const TQualityChoice stopped =
        HighestQualityWithin(10, 100, [](int) { return std::optional<std::int64_t>(); });
    EXPECT_TRUE(stopped.Stopped);
}

// vorpane-convert's bar knows what a report counts from the phase before it.
TEST_F(ConversionRunSameSize, TellsEachPhaseBeforeItsReports) {
    ASSERT_EQ(Run({files[0], files[1]}), rcDone);
    ASSERT_EQ(reports.size(), 6u); // "converting..", two prepared, two embedded, "Finished!"
    const std::vector<std::pair<TRunPhase, std::size_t>> expected = {{TRunPhase::rpStarting, 0},
                                                                     {TRunPhase::rpPreparing, 1},
                                                                     {TRunPhase::rpEmbedding, 3},
                                                                     {TRunPhase::rpCommitting, 5},
                                                                     {TRunPhase::rpFinished, 5}};
    EXPECT_EQ(phases, expected);
}

// Two conversions at once, each preparing the same photographs at a size of
// its own. They meet after every prepared file, so each has written its
// 0.jpg before the other embeds one: every page must still be the run's own.
TEST_F(ConversionRunSameSize, TwoRunsAtOnceKeepToTheirOwnPictures) {
    std::barrier meet(2);
    const auto convert = [&](const std::string& pdf, std::uint16_t width, std::uint16_t height) {
        return ConversionRun(
            files, pdf,
            [&](const std::string& text, std::int64_t, std::int64_t) {
                if (std::find(files.begin(), files.end(), text) != files.end()) {
                    meet.arrive_and_wait();
                }
            },
            true, 90, width, height, false);
    };
    std::int32_t second = 0;
    std::thread other([&] { second = convert(dir.File("b.pdf"), 40, 30); });
    const std::int32_t first = convert(dir.File("a.pdf"), 64, 48);
    other.join();
    ASSERT_EQ(first, rcDone);
    ASSERT_EQ(second, rcDone);
    const auto pages = [](const std::string& pdf, const std::string& size) {
        const std::string bytes = ReadFileBytes(pdf);
        const std::string own = "/MediaBox [ 0 0 " + size + " ]\n";
        int count = 0;
        for (auto at = bytes.find("/MediaBox"); at != std::string::npos;
             at = bytes.find("/MediaBox", at + 1)) {
            EXPECT_EQ(bytes.compare(at, own.size(), own), 0) << pdf;
            ++count;
        }
        return count;
    };
    EXPECT_EQ(pages(dir.File("a.pdf"), "64 48"), 3);
    EXPECT_EQ(pages(dir.File("b.pdf"), "40 30"), 3);
    EXPECT_TRUE(NothingLeft());
}

TEST_F(ConversionRunSameSize, EveryFileMissingGivesADocumentWithoutPages) {
    ASSERT_EQ(Run({dir.File("gone1.jpg"), dir.File("gone2.jpg")}), rcDone);
    const std::vector<TReport> expected = {{"converting..", 0, 0}, {"Finished!", 0, 0}};
    EXPECT_EQ(reports, expected);
    EXPECT_NE(ReadFileBytes(output).find("/Kids [ ]\n/Count 0\n"), std::string::npos);
}

TEST_F(ConversionRunSameSize, StopWhileTheSecondOfThreeIsEmbeddedLeavesNoTemporaryFile) {
    onReport = [&](const TReport& r) {
        if (IsTemp(r.text, 1)) {
            StopConverting = true;
        }
    };
    EXPECT_EQ(Run(files), rcStopped);
    EXPECT_EQ(ReadFileBytes(output), "old document");
    EXPECT_TRUE(NothingLeft());
}

// The sync of a large document can take seconds: a stop that comes then,
// before the rename, keeps the old output too.
TEST_F(ConversionRunSameSize, StopWhileTheDocumentIsSyncedKeepsTheOldFile) {
    TRunOptions options = SizeOptions(true, 90, 64, 48, false);
    options.Phase = [](TRunPhase phase) {
        if (phase == TRunPhase::rpCommitting) {
            RequestStop();
        }
    };
    EXPECT_EQ(ConversionRun(files, output, {}, options), rcStopped);
    EXPECT_EQ(ReadFileBytes(output), "old document");
    EXPECT_TRUE(NothingLeft());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}),
              static_cast<std::ptrdiff_t>(files.size()) + 1)
        << "no unfinished document beside the output";
}

// One worker, or two: the second has started file 1 when file 0 is
// reported; nothing after file 0 is reported, and no prepared file stays.
TEST_F(ConversionRunSameSize, StopWhileTheFirstSourceIsPreparedEndsAtTheFirstTest) {
    for (unsigned jobs : {1u, 2u}) {
        reports.clear();
        onReport = [&](const TReport& r) {
            if (r.text == files[0]) { // as a Stop click served while file 0 was prepared
                RequestStop();
            }
        };
        EXPECT_EQ(Run(files, jobs), rcStopped);
        const std::vector<TReport> expected = {
            {"converting..", 0, 0}, {files[0], 2, 1}, {"Finished!", 0, 0}};
        EXPECT_EQ(reports, expected) << jobs << " workers";
        EXPECT_TRUE(NothingLeft());
        EXPECT_EQ(ReadFileBytes(output), "old document");
    }
}

// A stop at the batch's first drain, while the workers prepare: the first
// file is the smallest, the others take a while, and each worker would
// rather start a large file first. The
// run ends stopped, never with an empty document over the old one, and the
// only file the batch may have finished and reported is the first.
TEST_F(ConversionRunSameSize, StopBeforeAnythingIsPreparedKeepsTheOldFile) {
    WriteFileBytes(files[0], test::MakeFlatProgressiveJpeg(16, 16));
    WriteFileBytes(files[1], test::MakeFlatProgressiveJpeg(3000, 2000));
    WriteFileBytes(files[2], ReadFileBytes(files[1]));
    for (unsigned jobs : {1u, 2u}) {
        reports.clear();
        onReport = [](const TReport& r) {
            if (r.text == "converting..") {
                SetDrainHook(&RequestStop);
                detail::drainDue.store(true);
            }
        };
        const std::int32_t result = Run(files, jobs);
        SetDrainHook(nullptr);
        EXPECT_EQ(result, rcStopped) << jobs << " workers";
        EXPECT_EQ(ReadFileBytes(output), "old document");
        EXPECT_TRUE(NothingLeft());
        for (const TReport& r : reports) {
            EXPECT_TRUE(r.text == files[0] || r.text == "converting.." || r.text == "Finished!")
                << r.text << ", " << jobs << " workers";
        }
    }
}

// Real photographs of every kind, a missing one among them, prepared by one
// worker, by two and by three, and a single one with a spare thread: the
// documents and the reports must not differ by a byte.
TEST_F(ConversionRunSameSize, AnyNumberOfWorkersWritesTheSameDocument) {
    std::vector<std::string> photos;
    for (const char* name : {"orient_landscape_1.jpg", "pil_sample_cmyk_ycck.jpg",
                             "jd_progressive3.jpg", "pil_hopper_gray.jpg", "ijg_testorig.jpg"}) {
        photos.push_back(test::DataFile(name));
    }
    photos.insert(photos.begin() + 2, dir.File("missing.jpg"));
    for (const auto& list : {photos, std::vector<std::string>{photos[0]}}) {
        std::string first;
        std::vector<TReport> firstReports;
        for (unsigned jobs : {1u, 2u, 3u}) {
            reports.clear();
            ASSERT_EQ(Run(list, jobs, 150, 0), rcDone) << jobs << " workers";
            // The prepared files' names differ from run to run; the rest
            // of each report doesn't.
            for (TReport& report : reports) {
                report.text = fs::path(report.text).filename().string();
            }
            if (jobs == 1) {
                first = ReadFileBytes(output);
                firstReports = reports;
            } else {
                EXPECT_TRUE(ReadFileBytes(output) == first) << jobs << " workers";
                EXPECT_EQ(reports, firstReports) << jobs << " workers";
            }
            EXPECT_TRUE(NothingLeft());
        }
    }
}

// The embed list names the prepared copies; the photograph itself, named as
// the output, must survive all the same.
TEST_F(ConversionRunSameSize, AnOutputNamingASourceIsRefusedAndTheSourceKept) {
    const std::string before = ReadFileBytes(files[1]);
    output = files[1];
    try {
        Run(files);
        ADD_FAILURE() << "the document replaced one of its sources";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("it is one of the files to embed"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(ReadFileBytes(files[1]), before);
}

TEST_F(ConversionRunSameSize, AnUndecodableImageLeavesTheRunAsAnError) {
    WriteFileBytes(files[1], "not a picture");
    EXPECT_THROW(Run(files), EJpegError);
    EXPECT_NE(reports.back().text, "Finished!");
    EXPECT_TRUE(NothingLeft()) << "files prepared before go too";
    EXPECT_EQ(ReadFileBytes(output), "old document");
}

// Colour profiles, grey pictures and incomplete files, in either mode:
// each case's folder, TMPDIR and run of its own.
class ConversionRunColour : public ::testing::Test {
protected:
    std::string Pdf(const std::vector<std::string>& list, const TRunOptions& options,
                    bool whole = true) {
        const std::string output = dir.File("out.pdf");
        report = {};
        EXPECT_EQ(ConversionRun(list, output, {}, options, &report), rcDone);
        // Every new kind of document passes qpdf's check, which decodes the
        // pictures too.
        if (whole) {
            EXPECT_NO_THROW(test::CommandOutput("qpdf --check '" + output + "' >/dev/null"));
        }
        return ReadFileBytes(output);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        WriteFileBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    // One APP2 segment with a piece of a profile.
    static std::string IccSegment(int sequence, int count, const std::string& piece) {
        const std::size_t length = 2 + 12 + 2 + piece.size();
        return "\xFF\xE2" + std::string{static_cast<char>(length >> 8)} +
               static_cast<char>(length & 0xFF) + std::string("ICC_PROFILE\0", 12) +
               static_cast<char>(sequence) + static_cast<char>(count) + piece;
    }
    std::string WithSegments(const std::vector<std::string>& segments) const {
        std::string bytes = photo.substr(0, 2);
        for (const std::string& segment : segments) {
            bytes += segment;
        }
        return bytes + photo.substr(2);
    }
    static std::size_t Count(const std::string& text, const std::string& needle) {
        std::size_t count = 0;
        for (std::size_t at = text.find(needle); at != std::string::npos;
             at = text.find(needle, at + 1)) {
            ++count;
        }
        return count;
    }

    TTempDir dir;
    test::TScopedTmpDir scopedTmp{dir.Path().string()};
    TRunReport report;
    const std::string photo = ReadFileBytes(test::DataFile("ijg_testorig.jpg"));
    const std::string profile = ReadFileBytes(test::DataFile("icc_compatible_adobe_rgb.icc"));
};

// Three pages, two with the same Adobe RGB profile (in two segments, in
// either order in the file): one /ICCBased object after the fixed ones
// (3N + 3 = 12), named by both images, its stream the profile's bytes.
TEST_F(ConversionRunColour, AProfileInTwoSegmentsBecomesOneSharedIccBasedStream) {
    const std::vector<std::string> list = {
        Write("a.jpg", test::WithIccProfile(photo, profile, 2)),
        Write("b.jpg", photo),
        Write("c.jpg", test::WithIccProfile(photo, profile, 2, true)),
    };
    TRunOptions options;
    options.ColourProfiles = true;
    const std::string pdf = Pdf(list, options);
    EXPECT_EQ(pdf.substr(0, 9), "%PDF-1.3\n");
    EXPECT_NE(pdf.find("12 0 obj\n<<\n/N 3\n/Alternate /DeviceRGB\n/Length " +
                       std::to_string(profile.size()) + " >>\nstream\n" + profile +
                       "\nendstream\nendobj\nxref\n0 13\n"),
              std::string::npos);
    EXPECT_EQ(Count(pdf, "/ColorSpace [/ICCBased 12 0 R]\n"), 2u);
    // As a reader sees the pages: colours of an ICC profile on the first
    // and the last.
    const std::string images =
        test::CommandOutput("pdfimages -list '" + dir.File("out.pdf") + "' 2>&1");
    EXPECT_EQ(Count(images, " icc "), 2u) << images;
    EXPECT_EQ(Count(images, " rgb "), 1u) << images;
    EXPECT_EQ(Count(pdf, "/ColorSpace /DeviceRGB\n"), 1u);
    EXPECT_NE(pdf.find("/Size 13\n/Root 1 0 R\n>>"), std::string::npos);

    // "Same size" keeps the profile in the prepared JPEG, so the page still
    // names it; without the option neither mode writes it.
    options.SameSize = true;
    const std::string same = Pdf({list[0]}, options);
    EXPECT_NE(same.find("/ColorSpace [/ICCBased 6 0 R]\n"), std::string::npos);
    EXPECT_NE(same.find("stream\n" + profile + "\nendstream"), std::string::npos);
    options.ColourProfiles = false;
    EXPECT_EQ(Pdf({list[0]}, options).find("/N 3"), std::string::npos);
    EXPECT_EQ(Pdf({list[0]}, {}).find("/N 3"), std::string::npos);
}

// A damaged profile, or one that doesn't describe the pixels, is left out
// in both modes: the document is the one the run writes without the
// option, byte for byte.
TEST_F(ConversionRunColour, ADamagedProfileFallsBackToDeviceRgb) {
    const std::string twoPieces = test::WithIccProfile(photo, profile, 2);
    std::string wrongSize = profile;
    wrongSize[3] = static_cast<char>(wrongSize[3] + 1);
    std::string notAProfile(profile.size(), '\x5A');
    notAProfile.replace(0, 4, profile.substr(0, 4));
    const std::string cmykProfile = ReadFileBytes("/usr/share/color/icc/ghostscript/ps_cmyk.icc");
    const std::string first = profile.substr(0, profile.size() / 2);
    const std::string second = profile.substr(profile.size() / 2);
    // Its header and tag table whole, every tag's offset past its end: it
    // parses, but no transform can be built from it.
    std::string tagsPastTheEnd = profile;
    const auto byteAt = [&](std::size_t at) { return static_cast<unsigned char>(profile[at]); };
    const std::size_t tags = byteAt(128) << 24 | byteAt(129) << 16 | byteAt(130) << 8 | byteAt(131);
    for (std::size_t k = 0; k < tags; ++k) {
        tagsPastTheEnd.replace(132 + 12 * k + 4, 4, std::string("\x00\x10\x00\x00", 4));
    }
    // A CMYK photo carrying an RGB profile: converted to sRGB in "Same
    // size", kept as CMYK in "Original size", it is RGB in neither.
    const std::string cmykPhoto = ReadFileBytes(test::DataFile("pil_sample_cmyk_ycck.jpg"));
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"missing_piece", WithSegments({IccSegment(1, 2, first)})},
        {"sequence_twice", WithSegments({IccSegment(1, 2, first), IccSegment(1, 2, second)})},
        {"count_differs", WithSegments({IccSegment(1, 2, first), IccSegment(2, 3, second)})},
        {"size_not_the_header's", test::WithIccProfile(photo, wrongSize, 2)},
        {"not_a_profile", test::WithIccProfile(photo, notAProfile, 1)},
        {"cmyk_profile_in_rgb", test::WithIccProfile(photo, cmykProfile, 3)},
        {"tags_past_its_end", test::WithIccProfile(photo, tagsPastTheEnd, 1)},
        {"rgb_profile_in_cmyk", test::WithIccProfile(cmykPhoto, profile, 1)},
    };
    for (const bool sameSize : {false, true}) {
        for (const auto& c : cases) {
            const std::string file = Write(std::string(c.name) + ".jpg", c.bytes);
            TRunOptions options;
            options.SameSize = sameSize;
            options.ColourProfiles = true;
            TRunOptions plain;
            plain.SameSize = sameSize;
            EXPECT_EQ(Pdf({file}, options), Pdf({file}, plain)) << c.name << " " << sameSize;
        }
    }
}

TEST_F(ConversionRunColour, GreyIsEmbeddedUnchangedAsDeviceGrayWhenAsked) {
    const std::string grey = test::DataFile("pil_hopper_gray.jpg");
    TRunOptions options;
    options.Grey = true;
    const std::string pdf = Pdf({grey}, options);
    EXPECT_NE(pdf.find("/ProcSet [ /PDF /ImageB ]\n"), std::string::npos);
    EXPECT_NE(pdf.find("/ColorSpace /DeviceGray\n/Length"), std::string::npos);
    EXPECT_NE(pdf.find("stream\n" + ReadFileBytes(grey) + "endstream"), std::string::npos);
    EXPECT_EQ(pdf.find("/Decode"), std::string::npos);
    options.Grey = false;
    EXPECT_EQ(ConversionRun({grey}, dir.File("no.pdf"), {}, options), rcNoFiles);
}

// "Original size" keeps the page of a file cut short and names the file.
TEST_F(ConversionRunColour, AFileWithoutItsEndOfImageIsNamedIncomplete) {
    const std::string cut = test::DataFile("bad_pil_truncated_prog.jpg");
    const std::string whole = Write("whole.jpg", photo + "trailing bytes");
    Pdf({whole, cut}, {}, false);
    ASSERT_EQ(report.Incomplete.size(), 1u);
    EXPECT_EQ(report.Incomplete[0].File, cut);
    EXPECT_EQ(report.Incomplete[0].Reason, "the picture is incomplete (no end-of-image marker)");
}

} // namespace
} // namespace vorpane
