// vorpane-convert end to end: real photographs in, the PDF checked by
// outside readers (qpdf, poppler's pdfinfo and pdfimages).
#include "TestSupport.h"
#include "prepare/JpegUtils.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace vorpane {
namespace {

using test::DataFile;
using test::ReadFileBytes;
using test::TTempDir;

struct TCommandResult {
    int status = -1;    // exit status, or 128 + signal
    std::string output; // standard output and error together
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

TCommandResult RunShell(const std::string& command) {
    TCommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

TCommandResult Convert(const std::string& args) {
    return RunShell(Quote(VORPANE_CONVERT) + " " + args);
}

// Page sizes as pdfinfo reports them, "W x H" for each page.
std::vector<std::string> PageSizes(const std::string& pdf) {
    const TCommandResult info = RunShell("pdfinfo -f 1 -l 9999 " + Quote(pdf));
    std::vector<std::string> sizes;
    std::istringstream lines(info.output);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t at = line.find(" size:");
        if (line.starts_with("Page ") && at != std::string::npos) {
            const std::size_t begin = line.find_first_not_of(' ', at + 6);
            sizes.push_back(line.substr(begin, line.find(" pts") - begin));
        }
    }
    return sizes;
}

void ExpectValidPdf(const std::string& pdf) {
    const TCommandResult check = RunShell("qpdf --check " + Quote(pdf));
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("No syntax or stream encoding errors"), std::string::npos)
        << check.output;
}

const std::vector<std::string> kPhotos = {"ijg_testorig.jpg", "jd_progressive3.jpg",
                                          "pil_sample_cmyk_ycck.jpg", "orient_landscape_1.jpg"};

std::string PhotoArgs() {
    std::string args;
    for (const auto& photo : kPhotos) {
        args += " " + Quote(DataFile(photo));
    }
    return args;
}

TEST(ConvertCommand, OriginalSizeEmbedsEachPhotographByteForByte) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    const TCommandResult run = Convert("-o " + Quote(pdf) + PhotoArgs());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "") << "nothing but errors when not on a terminal";
    ExpectValidPdf(pdf);
    EXPECT_EQ(PageSizes(pdf),
              (std::vector<std::string>{"227 x 149", "650 x 470", "100 x 100", "600 x 450"}));
    ASSERT_EQ(RunShell("cd " + Quote(dir.Path().string()) + " && pdfimages -j out.pdf img").status,
              0);
    for (std::size_t k = 0; k < kPhotos.size(); ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "img-%03zu.jpg", k);
        EXPECT_EQ(ReadFileBytes(dir.File(name)), ReadFileBytes(DataFile(kPhotos[k]))) << name;
    }
}

TEST(ConvertCommand, SameSizePreparesEveryPageAtTheGivenSize) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    const TCommandResult run =
        Convert("--size 320x240 --quality 80 -o " + Quote(pdf) + PhotoArgs());
    ASSERT_EQ(run.status, 0) << run.output;
    ExpectValidPdf(pdf);
    EXPECT_EQ(PageSizes(pdf), std::vector<std::string>(kPhotos.size(), "320 x 240"));
    const TCommandResult keepRatio =
        Convert("--size 454x0 --triangle -o " + Quote(pdf) + " " + Quote(DataFile(kPhotos[0])));
    ASSERT_EQ(keepRatio.status, 0) << keepRatio.output;
    EXPECT_EQ(PageSizes(pdf), std::vector<std::string>{"454 x 298"});
}

// --fit: landscape, a photograph stored on its side (upright first) and a
// picture smaller than the box, each in its own proportions; a picture of
// the box's proportions gives --size's bytes.
TEST(ConvertCommand, FitKeepsEachPicturesProportions) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    const TCommandResult run = Convert(
        "--auto-orient --fit 64x64 -o " + Quote(pdf) + " " +
        Quote(DataFile("orient_landscape_1.jpg")) + " " + Quote(DataFile("orient_small_6.jpg")) +
        " " + Quote(DataFile("orient_small_1.jpg")) + " " + Quote(DataFile("ijg_testorig.jpg")));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(PageSizes(pdf),
              (std::vector<std::string>{"64 x 48", "43 x 64", "64 x 43", "64 x 42"}));
    const std::string photo = " " + Quote(DataFile("orient_landscape_1.jpg"));
    const std::string sized = dir.File("sized.pdf");
    ASSERT_EQ(Convert("--fit 400x400 -o " + Quote(pdf) + photo).status, 0);
    ASSERT_EQ(Convert("--size 400x300 -o " + Quote(sized) + photo).status, 0);
    EXPECT_TRUE(ReadFileBytes(pdf) == ReadFileBytes(sized));
}

// The document's properties as pdfinfo reads them back: ASCII, and text
// beyond it (UTF-16); without them the document is the default one.
TEST(ConvertCommand, DocumentPropertiesReadBackWithPdfinfo) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    const std::string photo = Quote(DataFile(kPhotos[0]));
    for (const std::string title : {"Summer (2026) \\ Lake", "Été à Zürich — 夏 😀"}) {
        const TCommandResult run =
            Convert("--title " + Quote(title) + " --author 'A. Person' --subject Holidays " +
                    "--keywords 'lake, summer' --creation-date 2026-12-08T21:30:00+01:00 -o " +
                    Quote(pdf) + " --grey --colour-profile " + photo);
        ASSERT_EQ(run.status, 0) << run.output;
        ExpectValidPdf(pdf);
        const std::string info = RunShell("pdfinfo -isodates " + Quote(pdf)).output;
        EXPECT_NE(info.find("Title:           " + title + "\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Author:          A. Person\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Subject:         Holidays\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Keywords:        lake, summer\n"), std::string::npos) << info;
        EXPECT_NE(info.find("CreationDate:    2026-12-08T21:30:00+01\n"), std::string::npos)
            << info;
    }
    const TCommandResult plain = Convert("-o " + Quote(pdf) + " " + photo);
    ASSERT_EQ(plain.status, 0) << plain.output;
    EXPECT_EQ(ReadFileBytes(pdf).find("/Info"), std::string::npos);
    const TCommandResult badDate =
        Convert("--creation-date 2026-02-30 -o " + Quote(pdf) + " " + photo);
    EXPECT_EQ(badDate.status, 64);
    EXPECT_NE(badDate.output.find("--creation-date needs an ISO 8601 date"), std::string::npos)
        << badDate.output;
}

TEST(ConvertCommand, PagesForPrintingInBothModes) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    for (const char* mode : {"--original", "--size 0x0"}) {
        SCOPED_TRACE(mode);
        // Landscape pictures on landscape paper; the square one keeps the
        // paper as named.
        const TCommandResult a4 =
            Convert(std::string(mode) + " --paper A4 --margin 10mm -o " + Quote(pdf) + PhotoArgs());
        ASSERT_EQ(a4.status, 0) << a4.output;
        ExpectValidPdf(pdf);
        EXPECT_EQ(PageSizes(pdf),
                  (std::vector<std::string>{"842 x 595", "842 x 595", "595 x 842", "842 x 595"}));
        // 96 x 64 pixels, upright 64 x 96, at 300 pixels per inch.
        const TCommandResult dpi =
            Convert(std::string(mode) + " --auto-orient --dpi 300 -o " + Quote(pdf) + " " +
                    Quote(DataFile("orient_small_6.jpg")));
        ASSERT_EQ(dpi.status, 0) << dpi.output;
        EXPECT_EQ(PageSizes(pdf), std::vector<std::string>{"15.36 x 23.04"});
    }
}

TEST(ConvertCommand, FilesFromStandardInputKeepTheirOrder) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    const TCommandResult run =
        RunShell("printf '%s\\n\\n%s\\n' " + Quote(DataFile(kPhotos[3])) + " " +
                 Quote(DataFile(kPhotos[0])) + " | " + Quote(VORPANE_CONVERT) +
                 " --files-from - -o " + Quote(pdf));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(PageSizes(pdf), (std::vector<std::string>{"600 x 450", "227 x 149"}));
    // find -print0: names that end with NUL, a newline being part of a name.
    const std::string odd = dir.File("two\nlines.jpg");
    std::filesystem::copy_file(DataFile(kPhotos[1]), odd);
    const std::string nulList = "printf '%s\\0%s\\0' " + Quote(DataFile(kPhotos[0])) + " " +
                                Quote(odd) + " | " + Quote(VORPANE_CONVERT) + " --files-from - ";
    for (const char* option : {"--null", "-0"}) {
        const TCommandResult nul = RunShell(nulList + option + " -o " + Quote(pdf));
        ASSERT_EQ(nul.status, 0) << option << "\n" << nul.output;
        EXPECT_EQ(PageSizes(pdf), (std::vector<std::string>{"227 x 149", "650 x 470"})) << option;
    }
    // Without --null such a list would give its first name alone.
    const TCommandResult lines = RunShell(nulList + "-o " + Quote(pdf));
    EXPECT_EQ(lines.status, 64) << lines.output;
    EXPECT_NE(lines.output.find("give --null"), std::string::npos) << lines.output;
}

// Whether vorpane-convert runs under AddressSanitizer, which can't run in a
// small address space.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST(ConvertCommand, ExitStatusAndMessageTellWhatWentWrong) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    test::WriteFileBytes(pdf, "%PDF-old");
    const std::string text = dir.File("x.jpg");
    test::WriteFileBytes(text, "not a picture");
    // At width 10 its height rounds to 0: a page of no pixels.
    const std::string wide = dir.File("wide.jpg");
    ASSERT_TRUE(SaveAsJpeg(TBitmap24(300, 2), wide, 90));
    // At width 1000 its height would be 66000, which 16 bits can't hold.
    const std::string tall = dir.File("tall.jpg");
    ASSERT_TRUE(SaveAsJpeg(TBitmap24(100, 6600), tall, 90));
    const std::string grey = Quote(DataFile("pil_hopper_gray.jpg"));
    const std::string tryHelp = "\nTry 'vorpane-convert --help'.\n";
    struct TCase {
        std::string args;
        int status;
        std::string message;
        std::string shell = ""; // what the shell does first
    };
    const TCase cases[] = {
        {"-o " + Quote(pdf) + " " + Quote(dir.File("missing.jpg")), 1, "missing.jpg: missing"},
        {"-o " + Quote(pdf) + " " + Quote(text), 1, "x.jpg: not a JPEG file"},
        {"-o " + Quote(pdf) + " " + grey, 1, "component count"},
        // The list is tested before the output is created.
        {"-o " + Quote(dir.File("nowhere/out.pdf")) + " " + grey, 1,
         "pil_hopper_gray.jpg: a component count"},
        {"-o " + Quote(pdf) + " " + Quote(DataFile("ijg_testorig12.jpg")), 1,
         "no baseline or progressive JPEG frame"},
        {"--size 10x10 -o " + Quote(pdf) + " " + Quote(text), 4, "x.jpg: JPEG error #"},
        // One page for every file, or no document.
        {"--size 10x0 -o " + Quote(pdf) + " " + Quote(DataFile(kPhotos[0])) + " " + Quote(wide), 4,
         "wide.jpg: its page would be 10 x 0 pixels"},
        {"--size 1000x0 -o " + Quote(pdf) + " " + Quote(tall), 4,
         "tall.jpg: its page would be 1000 x 66000 pixels"},
        {"--size 20000x20000 -o " + Quote(pdf) + " " + Quote(DataFile(kPhotos[0])), 4,
         "ijg_testorig.jpg: Not enough memory for a page of 20000 x 20000 pixels",
         "ulimit -v 1000000; "},
        // Memory is the machine's: no photograph is skipped for it.
        {"--skip-bad --size 20000x20000 -o " + Quote(pdf) + " " + Quote(DataFile(kPhotos[0])), 4,
         "ijg_testorig.jpg: Not enough memory for a page of 20000 x 20000 pixels",
         "ulimit -v 1000000; "},
        {"-o " + Quote(dir.File("nowhere/out.pdf")) + " " + Quote(DataFile(kPhotos[0])), 4,
         "nowhere/out.pdf"},
        // Preparing takes long: an output that can't be created is told first.
        {"--size 10x10 -o " + Quote(dir.File("nowhere/out.pdf")) + " " + Quote(text), 4,
         "nowhere/out.pdf: No such file or directory"},
        {"--null -o " + Quote(pdf) + " a.jpg", 64,
         "vorpane-convert: --null needs --files-from" + tryHelp},
        // Nothing left once the bad files are skipped: no document.
        {"--skip-bad -o " + Quote(pdf) + " " + Quote(dir.File("missing.jpg")) + " " + grey, 1,
         "pil_hopper_gray.jpg: a component count other than 3 (RGB) or 4 (CMYK)\n"
         "vorpane-convert: no PDF written: every file was skipped"},
        {"--skip-bad --size 10x0 -o " + Quote(pdf) + " " + Quote(wide), 1,
         "skipped " + wide + ": its page would be 10 x 0 pixels"},
        {"--size 99999x1 -o " + Quote(pdf) + " a.jpg", 64,
         "vorpane-convert: The width must be a whole number from 0 to 32767, not '99999'" +
             tryHelp},
        {"--triangle -o " + Quote(pdf) + " a.jpg", 64,
         "vorpane-convert: --triangle needs --size" + tryHelp},
        {"-o " + Quote(pdf), 64, "no input files"},
    };
    for (const TCase& c : cases) {
        if (kSanitized && !c.shell.empty()) {
            continue;
        }
        const TCommandResult run = RunShell(c.shell + Quote(VORPANE_CONVERT) + " " + c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << c.args << "\n" << run.output;
        EXPECT_EQ(run.output.find("usage:"), std::string::npos) << "one line, not the usage text";
        EXPECT_EQ(ReadFileBytes(pdf), "%PDF-old") << c.args;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 4)
        << "no stray file beside the output";
}

// Every listed file is tested before any work: one run names all the bad
// ones, each with why, and writes nothing.
TEST(ConvertCommand, EveryBadFileIsNamedInOneMessage) {
    TTempDir dir;
    const std::string pdf = dir.File("album.pdf");
    std::string args;
    for (int k = 0; k < 10; ++k) {
        const std::string name = dir.File("photo" + std::to_string(k) + ".jpg");
        test::WriteFileBytes(name,
                             k == 2   ? std::string()
                             : k == 5 ? std::string("not a picture")
                             : k == 8 ? test::WithScans(test::MakeFlatProgressiveJpeg(16, 16), 1001)
                                      : ReadFileBytes(DataFile(kPhotos[k % kPhotos.size()])));
        args += " " + Quote(name);
    }
    for (const std::string mode : {"--original", "--size 64x48"}) {
        const TCommandResult run = Convert(mode + " -o " + Quote(pdf) + args);
        EXPECT_EQ(run.status, mode == "--original" ? 1 : 4) << run.output;
        EXPECT_NE(run.output.find("no PDF written: 3 listed files can't be converted:"),
                  std::string::npos)
            << run.output;
        for (const std::string bad :
             {"photo2.jpg: ", "photo5.jpg: ", "photo8.jpg: Too many scans"}) {
            EXPECT_NE(run.output.find(bad), std::string::npos) << bad << "\n" << run.output;
        }
        EXPECT_EQ(run.output.find("photo1.jpg"), std::string::npos) << run.output;
        EXPECT_FALSE(std::filesystem::exists(pdf));
    }
}

// `timeout` and a terminal may send a signal to the process and to its group
// alike: two at once are one request to stop. One that comes a second or more
// later ends the program at once, with the unfinished document removed.
// Every signal that would end the program asks it to stop instead.
TEST(ConvertCommand, InterruptStopsCleanlyAndKeepsTheOldFile) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    test::WriteFileBytes(pdf, "%PDF-1.2 old");
    // A list long enough that the run is still testing it when the signal comes.
    const std::string list = dir.File("list.txt");
    {
        std::ofstream out(list);
        for (int i = 0; i < 100000; ++i) {
            out << DataFile(kPhotos[0]) << '\n';
        }
    }
    // A photograph followed by 4 GiB of hole: seconds of copying into the
    // document, during which no stop request is looked at.
    const std::string large = dir.File("large.jpg");
    test::WriteFileBytes(large, ReadFileBytes(DataFile(kPhotos[0])));
    std::filesystem::resize_file(large, std::uintmax_t{4} << 30);
    const std::string program = VORPANE_CONVERT;
    const std::vector<std::string> testing = {program, "--files-from", list, "-o", pdf};
    const std::vector<std::string> copying = {program, "-o", pdf, large};
    const struct {
        const std::vector<std::string>& args;
        std::vector<int> signals;
        int gapMs; // between one signal and the next
    } cases[] = {
        {testing, {SIGINT}, 0},
        {testing, {SIGINT, SIGINT}, 0},
        {testing, {SIGTERM, SIGTERM}, 0},
        {testing, {SIGINT, SIGTERM}, 0},
        {copying, {SIGINT, SIGINT}, 1100},
        {testing, {SIGHUP}, 0},
        {testing, {SIGQUIT}, 0},
        {testing, {SIGALRM}, 0},
        {testing, {SIGXCPU}, 0},
        {testing, {SIGXFSZ}, 0},
        {testing, {SIGUSR1}, 0},
        {testing, {SIGUSR2}, 0},
        {testing, {SIGVTALRM}, 0},
        {testing, {SIGPROF}, 0},
        {testing, {SIGPWR}, 0},
        {testing, {SIGRTMIN + 3}, 0},
        {testing, {SIGRTMAX}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1] + ", " + std::to_string(c.signals.size()) + " signals " +
                     std::to_string(c.gapMs) + " ms apart");
        std::vector<char*> argv;
        for (const std::string& arg : c.args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        for (std::size_t i = 0; i < c.signals.size(); ++i) {
            if (c.gapMs > 0 && i > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(c.gapMs));
                int early = 0;
                ASSERT_EQ(::waitpid(pid, &early, WNOHANG), 0) << "it ended before the later signal";
            }
            ::kill(pid, c.signals[i]);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "the signals ended it instead of stopping it";
        EXPECT_EQ(WEXITSTATUS(status), 3);
        EXPECT_EQ(ReadFileBytes(pdf), "%PDF-1.2 old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3)
            << "no stray file beside the output";
    }
}

// A pipe, a FIFO, a terminal or a device is written in place, from the first
// byte on; replacing it with a regular file would cut off its reader (or, as
// root, make /dev/null a file).
TEST(ConvertCommand, OutputsThatAreNoRegularFileAreWrittenInPlace) {
    TTempDir dir;
    const std::string photo = Quote(DataFile(kPhotos[0]));
    const std::string program = Quote(VORPANE_CONVERT);
    const auto expectPdf = [&](const std::string& file, const std::string& how) {
        EXPECT_EQ(ReadFileBytes(file).substr(0, 8), "%PDF-1.2") << how;
        ExpectValidPdf(file);
    };
    // /dev/stdout is such a link; one of our own, so that a fault replaces
    // nothing but a file of the test.
    const std::string stdoutLink = dir.File("stdout");
    std::filesystem::create_symlink("/proc/self/fd/1", stdoutLink);
    for (const std::string& output : {stdoutLink, std::string("/proc/self/fd/1")}) {
        const std::string piped = dir.File("piped.pdf");
        const TCommandResult pipe =
            RunShell(program + " -o " + Quote(output) + " " + photo + " | cat > " + Quote(piped));
        EXPECT_EQ(pipe.status, 0) << output << "\n" << pipe.output;
        expectPdf(piped, output + " | cat");
        // Redirected to a file, the shell's file is written; nothing new
        // appears beside it.
        const std::string redirected = dir.File("redirected.pdf");
        const TCommandResult redirect =
            RunShell(program + " -o " + Quote(output) + " " + photo + " > " + Quote(redirected));
        EXPECT_EQ(redirect.status, 0) << output << "\n" << redirect.output;
        expectPdf(redirected, output + " > file");
    }
    // '-' is standard output as well, not a file of that name.
    const TCommandResult dash = RunShell("cd " + Quote(dir.Path().string()) + " && " + program +
                                         " -o - " + photo + " | cat > piped.pdf");
    EXPECT_EQ(dash.status, 0) << dash.output;
    expectPdf(dir.File("piped.pdf"), "-o - | cat");
    EXPECT_TRUE(std::filesystem::is_symlink(stdoutLink));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3)
        << "no stray file beside a redirected output";

    const std::string fifo = dir.File("fifo.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string read = dir.File("read.pdf");
    const TCommandResult throughFifo =
        RunShell("timeout 10 cat " + Quote(fifo) + " > " + Quote(read) + " & " + program + " -o " +
                 Quote(fifo) + " " + photo + "; status=$?; wait; exit $status");
    EXPECT_EQ(throughFifo.status, 0) << throughFifo.output;
    expectPdf(read, "through a FIFO");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    // A FIFO no one reads yet is waited for; a stop ends the wait.
    const std::string programPath = VORPANE_CONVERT;
    const std::string photoPath = DataFile(kPhotos[0]);
    const char* argv[] = {programPath.c_str(), "-o", fifo.c_str(), photoPath.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, programPath.c_str(), nullptr, nullptr, const_cast<char**>(argv),
                            environ),
              0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    // A character device of our own, the same as /dev/null.
    const std::string null = dir.File("null");
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        const TCommandResult device = Convert("-o " + Quote(null) + " " + photo);
        EXPECT_EQ(device.status, 0) << device.output;
        EXPECT_TRUE(std::filesystem::is_character_file(null));
    }
}

// Killed outright while writing, the run leaves nothing beside the output:
// the document has no name until it is complete.
TEST(ConvertCommand, AKilledRunLeavesNoFileBesideTheOutput) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    test::WriteFileBytes(pdf, "%PDF-old");
    const std::string list = dir.File("list.txt");
    {
        std::ofstream out(list);
        for (int i = 0; i < 3000; ++i) {
            out << DataFile("orient_landscape_1.jpg") << '\n';
        }
    }
    const std::string program = VORPANE_CONVERT;
    const char* argv[] = {program.c_str(), "--files-from", list.c_str(), "-o",
                          pdf.c_str(),     nullptr};
    pid_t pid = 0;
    ASSERT_EQ(
        ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ),
        0);
    // Killed once it has the new document open: a descriptor into our folder
    // that is neither the list nor the old document.
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool writing = false;
    while (!writing && std::chrono::steady_clock::now() < deadline) {
        std::error_code error;
        for (const auto& fd : std::filesystem::directory_iterator(fds, error)) {
            const std::string target = std::filesystem::read_symlink(fd, error).string();
            writing = writing || (target.starts_with(dir.Path().string() + "/") && target != list &&
                                  target != pdf);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(writing) << "the run never opened its document";
    EXPECT_EQ(ReadFileBytes(pdf), "%PDF-old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2)
        << "a file left beside the output";
}

// A picture of a thousand scans over 36 megapixels takes half a minute to
// decode; a stop must not wait for it.
TEST(ConvertCommand, AnInterruptEndsALongDecodeAtOnce) {
    TTempDir dir;
    const std::string pdf = dir.File("out.pdf");
    test::WriteFileBytes(pdf, "%PDF-old");
    const std::string slow = dir.File("slow.jpg");
    test::WriteFileBytes(slow,
                         test::WithScans(test::MakeFlatProgressiveJpeg(6000, 6000, true), 1000));
    const std::string program = VORPANE_CONVERT;
    const char* argv[] = {program.c_str(), "--size",     "800x0", "-o",
                          pdf.c_str(),     slow.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(
        ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ),
        0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto signalled = std::chrono::steady_clock::now();
    ::kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    const auto took = std::chrono::steady_clock::now() - signalled;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    // Half a second of grace, then the decode is abandoned; ten seconds
    // leave room for a loaded machine and still tell a stop from the end
    // of the decode.
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_EQ(ReadFileBytes(pdf), "%PDF-old");
}

} // namespace
} // namespace vorpane
