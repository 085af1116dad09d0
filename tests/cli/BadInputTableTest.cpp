// The bad-input table: damaged and odd files, odd paths and outputs that fail
// while being written, each run through vorpane-convert in both modes, with
// and without --skip-bad. For every row: the exit status and message, no
// crash or sanitizer report, peak memory under 600 MB, no stray file in the
// output's folder, and an old output file untouched unless the run
// succeeded.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <linux/capability.h>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vorpane {
namespace {

using test::DataFile;
using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

constexpr uid_t kNobody = 65534;
constexpr long kMemoryBoundKb = 600 * 1024;
// Below ctest's limit for these tests, so a hang is reported by its row.
constexpr auto kHangAfter = std::chrono::seconds(30);
const std::string kOldOutput = "%PDF-1.2\nan old document that must survive a failed run\n";

// ---- Running the converter ----------------------------------------------------

struct TChildOptions {
    // Run without root's power to override file permissions, so that a
    // mode-000 file or a read-only folder binds as it does for a user.
    bool DropFileOverride = false;
    // The largest file the converter may write (ulimit -f); SIGXFSZ keeps
    // its default action, as in a user's shell.
    rlim_t FileSizeLimit = RLIM_INFINITY;
    // The most files the converter may have open at once (ulimit -n).
    rlim_t OpenFilesLimit = RLIM_INFINITY;
    // Run the converter as this user and group instead of the suite's own
    // (only root can): rules that tell users apart stay hidden while the
    // converter and every file belong to root.
    std::optional<uid_t> RunAs;
    std::string TmpDir;
};

struct TChildResult {
    bool Hung = false;
    int Status = -1; // exit status, or -1 when ended by a signal
    int Signal = 0;
    long PeakKb = 0; // the child's largest resident set
    std::string Output;
};

// Drops CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from the bounding set, so
// that the program the child runs next starts without them even as root.
bool DropFileOverrideCapabilities() {
    return ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) == 0 &&
           ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) == 0;
}

TChildResult RunConvert(const std::vector<std::string>& args, const TChildOptions& options) {
    std::vector<std::string> argv = {VORPANE_CONVERT};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipe[1], STDOUT_FILENO);
        ::dup2(pipe[1], STDERR_FILENO);
        if (options.DropFileOverride && ::geteuid() == 0 && !DropFileOverrideCapabilities()) {
            ::_exit(125);
        }
        if (options.FileSizeLimit != RLIM_INFINITY) {
            const rlimit limit{options.FileSizeLimit, options.FileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.OpenFilesLimit != RLIM_INFINITY) {
            // Only the three standard descriptors, as from a shell: the
            // limit then counts the converter's own files alone.
            ::close_range(3, ~0U, 0);
            const rlimit limit{options.OpenFilesLimit, options.OpenFilesLimit};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        }
        if (options.RunAs && (::setgroups(0, nullptr) != 0 || ::setgid(*options.RunAs) != 0 ||
                              ::setuid(*options.RunAs) != 0)) {
            ::_exit(125);
        }
        ::setenv("TMPDIR", options.TmpDir.c_str(), 1);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    ::close(pipe[1]);
    TChildResult result;
    const auto deadline = std::chrono::steady_clock::now() + kHangAfter;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd wait{pipe[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) == 0) {
            result.Hung = true;
            ::kill(pid, SIGKILL);
            break;
        }
        const ssize_t got = ::read(pipe[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        result.Output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipe[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.PeakKb = usage.ru_maxrss;
    if (WIFEXITED(status)) {
        result.Status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.Signal = WTERMSIG(status);
    }
    return result;
}

// Whether a file of mode 000 stays closed to the converter: always for a
// user; for root only when the child can give up its override.
bool PermissionsBind() {
    static const bool bind = [] {
        if (::geteuid() != 0) {
            return true;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::_exit(DropFileOverrideCapabilities() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }();
    return bind;
}

// Whether the user nobody may run the converter and read the test data: not
// in a checkout inside root's own home folder, say.
bool NobodyReachesTheBuild() {
    static const bool reaches = [] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const bool can = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 &&
                             ::setuid(kNobody) == 0 && ::access(VORPANE_CONVERT, X_OK) == 0 &&
                             ::access(DataFile("ijg_testorig.jpg").c_str(), R_OK) == 0;
            ::_exit(can ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }();
    return reaches;
}

// ---- The rows -----------------------------------------------------------------------

// One row's world: a scratch folder with an output folder holding an old
// document, the inputs, and whatever the row must undo afterwards.
struct TRowContext {
    TTempDir Dir;
    std::string OutFolder = Dir.File("out");
    std::string Output = OutFolder + "/album.pdf";
    std::vector<std::string> Inputs;
    TChildOptions Child;
    std::string SkipReason;
    std::vector<std::function<void()>> Undo;

    TRowContext() {
        std::filesystem::create_directory(OutFolder);
        WriteFileBytes(Output, kOldOutput);
        Child.TmpDir = Dir.File("tmp");
        std::filesystem::create_directory(Child.TmpDir);
    }
    ~TRowContext() {
        for (auto undo = Undo.rbegin(); undo != Undo.rend(); ++undo) {
            (*undo)();
        }
    }

    // Runs the converter as the unprivileged user nobody, whose files the
    // row makes: the scratch folder opened for it to pass through, the
    // temporary folder to write; false, and the row skipped, when not root.
    bool RunAsNobody() {
        if (::geteuid() != 0) {
            SkipReason = "needs root to run the converter as another user";
            return false;
        }
        if (!NobodyReachesTheBuild()) {
            SkipReason = "nobody can't run the converter or read the test data where they are";
            return false;
        }
        Child.RunAs = kNobody;
        for (const std::string& folder : {Dir.Path().string(), Dir.Path().parent_path().string()}) {
            ::chmod(folder.c_str(), 0711);
        }
        ::chmod(Child.TmpDir.c_str(), 01777);
        return true;
    }

    // Runs the converter without root's power over file permissions, so
    // that those the row sets bind; false, and the row skipped, where that
    // can't be had.
    bool BindPermissions() {
        if (!PermissionsBind()) {
            SkipReason = "running as root without CAP_SETPCAP: permissions can't be made to bind";
            return false;
        }
        Child.DropFileOverride = true;
        return true;
    }

    // A file of the scratch folder with these bytes, as an input.
    std::string Input(const std::string& name, const std::string& bytes) {
        const std::string path = Dir.File(name);
        WriteFileBytes(path, bytes);
        Inputs.push_back(path);
        return path;
    }
};

std::string Data(const std::string& name) {
    return ReadFileBytes(DataFile(name));
}

// A real JPEG whose frame header (the first SOF0 or SOF2) claims another size.
std::string WithClaimedSize(std::string bytes, int width, int height) {
    std::size_t sof = bytes.find("\xFF\xC0");
    if (sof == std::string::npos) {
        sof = bytes.find("\xFF\xC2");
    }
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
    return bytes;
}

// Where the entropy-coded data of a JPEG's first scan begins: past the
// segments before it, each with its length, and the scan's header.
std::size_t FirstScan(const std::string& jpeg) {
    const auto word = [&jpeg](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(jpeg.at(at)) << 8 |
                                        static_cast<unsigned char>(jpeg.at(at + 1)));
    };
    std::size_t pos = 2;
    while (word(pos) != 0xFFDA) {
        pos += 2 + word(pos + 2);
    }
    return pos + 2 + word(pos + 2);
}

struct TOutcome {
    int Status;
    std::string Message; // a part of what the converter prints; "" for nothing at all
};

struct TRow {
    std::string Name;
    std::function<void(TRowContext&)> Setup;
    TOutcome Original;
    TOutcome SameSize;
    // The output or the machine fails, not an input: --skip-bad changes
    // nothing.
    bool OutputFault = false;
};

const std::string kNotJpeg = "not a JPEG file";
const std::string kNoFrame = "no baseline or progressive JPEG frame";
const std::string kComponents = "a component count other than 3 (RGB) or 4 (CMYK)";
const std::string kCannotOpen = "missing or not a readable file";
// Named on standard error, the page kept.
const std::string kEndsEarly = "the picture is incomplete (premature end of data)";
const std::string kNoEnd = "the picture is incomplete (no end-of-image marker)";
const std::string kCorrupt = "the picture is incomplete (corrupt data)";
const std::string kTooManyScans = "Too many scans (more than 1000)";

const std::vector<TRow>& Rows() {
    static const std::vector<TRow> rows = {
        // Real damaged and odd files.
        {"EmptyFile",
         [](TRowContext& c) { c.Input("empty.jpg", Data("bad_empty.jpg")); },
         {1, "empty.jpg: " + kNotJpeg},
         {4, "empty.jpg: JPEG error #42 (Empty input file)"}},
        {"TruncatedProgressive",
         [](TRowContext& c) { c.Input("cut.jpg", Data("bad_pil_truncated_prog.jpg")); },
         {0, "cut.jpg: " + kNoEnd},
         {0, "cut.jpg: " + kEndsEarly}},
        {"TruncatedHalfway",
         [](TRowContext& c) {
             const std::string photo = Data("orient_landscape_1.jpg");
             c.Input("cut.jpg", photo.substr(0, photo.size() / 2));
         },
         {0, "cut.jpg: " + kNoEnd},
         {0, "cut.jpg: " + kEndsEarly}},
        {"TruncatedInsideTheHeader",
         [](TRowContext& c) { c.Input("cut.jpg", Data("ijg_testorig.jpg").substr(0, 150)); },
         {1, "cut.jpg: " + kNoFrame},
         {4, "cut.jpg: JPEG error #51 (JPEG datastream contains no image)"}},
        {"FuzzedHeaderClaims65535Squared",
         [](TRowContext& c) { c.Input("max.jpg", Data("bad_fuzz_max_size_65535.jpg")); },
         {1, "max.jpg: " + kComponents},
         {4, "max.jpg: Picture too large (65535 x 65535 pixels"}},
        {"FrameWithoutScan",
         [](TRowContext& c) { c.Input("nosos.jpg", Data("bad_missing_sos.jpg")); },
         {1, "nosos.jpg: a JPEG frame header without picture data (no start-of-scan marker)"},
         {4, "nosos.jpg: JPEG error #59 (Invalid JPEG file structure: missing SOS marker)"}},
        {"JunkInsideTheScan",
         [](TRowContext& c) {
             // Flash-card damage: 16 KiB of 0xFF over the middle of the data.
             std::string photo = Data("orient_landscape_1.jpg");
             std::fill_n(photo.begin() + 60000, 16384, '\xFF');
             c.Input("junk.jpg", photo);
         },
         {0, "junk.jpg: " + kCorrupt},
         {0, "junk.jpg: " + kEndsEarly}},
        {"FillByteBeforeTheFrame",
         [](TRowContext& c) {
             std::string photo = Data("ijg_testorig.jpg");
             photo.insert(photo.find("\xFF\xC0"), 1, '\xFF');
             c.Input("fill.jpg", photo);
         },
         {1, "fill.jpg: " + kNoFrame},
         {0, ""}},
        {"RandomBytes",
         [](TRowContext& c) {
             std::string junk(4096, '\0');
             std::uint32_t state = 12345;
             for (char& byte : junk) {
                 state = state * 1103515245u + 12345u;
                 byte = static_cast<char>(state >> 24);
             }
             c.Input("junk.jpg", junk);
         },
         {1, "junk.jpg: " + kNotJpeg},
         {4, "junk.jpg: JPEG error #53 (Not a JPEG file: starts with 0x"}},
        {"TwelveBitSamples",
         [](TRowContext& c) { c.Input("twelve.jpg", Data("ijg_testorig12.jpg")); },
         {1, "twelve.jpg: " + kNoFrame},
         {4, "twelve.jpg: JPEG error #15 (Unsupported JPEG data precision 12)"}},
        {"Lossless",
         [](TRowContext& c) { c.Input("lossless.jpg", Data("jd_lossless_sel1_16bit.jpg")); },
         {1, "lossless.jpg: " + kNoFrame},
         {4, "lossless.jpg: JPEG error #60 (Unsupported JPEG process: SOF type 0xc3)"}},
        {"ArithmeticCoded",
         [](TRowContext& c) { c.Input("arith.jpg", Data("gen_arithmetic_testorig.jpg")); },
         {1, "arith.jpg: " + kNoFrame},
         {0, ""}},
        {"WithoutHuffmanTables",
         [](TRowContext& c) { c.Input("nodht.jpg", Data("gen_no_dht_testorig.jpg")); },
         {0, ""},
         {0, ""}},
        {"GreyPicture",
         [](TRowContext& c) { c.Input("grey.jpg", Data("pil_hopper_gray.jpg")); },
         {1, "grey.jpg: " + kComponents},
         {0, ""}},
        {"CmykPicture",
         [](TRowContext& c) { c.Input("cmyk.jpg", Data("pil_sample_cmyk_ycck.jpg")); },
         {0, ""},
         {0, ""}},
        {"HeaderAtThePixelLimit",
         [](TRowContext& c) {
             c.Input("big.jpg", WithClaimedSize(Data("ijg_testorig.jpg"), 16384, 8192));
         },
         {0, "big.jpg: " + kEndsEarly},
         {0, "big.jpg: " + kEndsEarly}},
        {"HeaderBeyondThePixelLimit",
         [](TRowContext& c) {
             c.Input("huge.jpg", WithClaimedSize(Data("ijg_testorig.jpg"), 16384, 16384));
         },
         {0, "huge.jpg: " + kEndsEarly},
         {4, "huge.jpg: Picture too large (16384 x 16384 pixels"}},
        {"ProgressiveHeaderBeyondTheMemoryBudget",
         [](TRowContext& c) {
             c.Input("huge.jpg", WithClaimedSize(Data("jd_progressive3.jpg"), 16384, 8192));
         },
         {0, "huge.jpg: " + kEndsEarly},
         {4, "huge.jpg: Picture too large to decode (16384 x 8192 pixels"}},
        // The kinds a phone makes, each decoded in both modes.
        {"PngPicture",
         [](TRowContext& c) { c.Input("picture.png", Data("gen_rgba8.png")); },
         {0, ""},
         {0, ""}},
        {"HeicAvifAndWebpPictures",
         [](TRowContext& c) {
             for (const char* name : {"heic_small_1.heic", "heic_small_6.heic", "avif_small_1.avif",
                                      "webp_lossy_1.webp", "webp_lossless_1.webp"}) {
                 c.Input(name, Data(name));
             }
         },
         {0, ""},
         {0, ""}},
        {"PngNamedJpg",
         [](TRowContext& c) { c.Input("screenshot.jpg", Data("gen_rgba8.png")); },
         {0, ""},
         {0, ""}},
        {"TruncatedHeic",
         [](TRowContext& c) { c.Input("cut.heic", Data("heic_small_1.heic").substr(0, 1500)); },
         {4, "cut.heic: HEIF error: "},
         {4, "cut.heic: HEIF error: "}},
        {"PngHeaderBeyondThePixelLimit",
         [](TRowContext& c) {
             // 60000 x 60000 pixels claimed by a file of 80 bytes.
             c.Input("bomb.png", test::MakePngHeader(60000, 60000));
         },
         {4, "bomb.png: Picture too large (60000 x 60000 pixels"},
         {4, "bomb.png: Picture too large (60000 x 60000 pixels"}},
        {"MoreScansThanAnyPhotograph",
         [](TRowContext& c) {
             // One more than the decoder takes: refused in both modes.
             c.Input("scans.jpg", test::WithScans(test::MakeFlatProgressiveJpeg(64, 48), 1001));
         },
         {4, "scans.jpg: " + kTooManyScans},
         {4, "scans.jpg: " + kTooManyScans}},
        {"UnknownExtension",
         [](TRowContext& c) { c.Input("photo.txt", Data("ijg_testorig.jpg")); },
         {0, ""},
         {4, "photo.txt: Unknown picture file extension (.txt)"}},

        // Damaged scans and hostile headers: "Original size" walks the data
        // it embeds as it is, so both modes name what a reader would show
        // as stripes or take minutes to draw.
        {"StrayMarkerInTheScan",
         [](TRowContext& c) {
             std::string photo = Data("orient_landscape_1.jpg");
             photo.insert(60000, "\xFF\xF7");
             c.Input("stray.jpg", photo);
         },
         {0, "stray.jpg: " + kCorrupt},
         {0, "stray.jpg: " + kEndsEarly}},
        {"RestartMarkersOutOfOrder",
         [](TRowContext& c) {
             std::string photo = Data("pil_sample_cmyk_ycck.jpg");
             photo[photo.find("\xFF\xD1", FirstScan(photo)) + 1] = '\xD2';
             c.Input("restart.jpg", photo);
         },
         {0, "restart.jpg: " + kCorrupt},
         {0, "restart.jpg: " + kCorrupt}},
        {"RestartIntervalMissing",
         [](TRowContext& c) {
             // The second interval cut out, the later restart markers
             // renumbered to follow on.
             std::string photo = Data("pil_sample_cmyk_ycck.jpg");
             const std::size_t second = photo.find("\xFF\xD0", FirstScan(photo));
             photo.erase(second, photo.find("\xFF\xD1", second) - second);
             for (std::size_t at = second; at + 1 < photo.size(); ++at) {
                 const auto code = static_cast<unsigned char>(photo[at + 1]);
                 if (photo[at] == '\xFF' && code >= 0xD0 && code <= 0xD7) {
                     photo[at + 1] = static_cast<char>(0xD0 + (code - 0xD0 + 7) % 8);
                 }
             }
             c.Input("restart.jpg", photo);
         },
         {0, "restart.jpg: " + kEndsEarly},
         {0, "restart.jpg: " + kCorrupt}},
        {"ScanBombOf5000Scans",
         [](TRowContext& c) {
             c.Input("bomb.jpg", test::WithScans(test::MakeFlatProgressiveJpeg(64, 48), 5000));
         },
         {4, "bomb.jpg: " + kTooManyScans},
         {4, "bomb.jpg: " + kTooManyScans}},
        {"TinyFileClaiming65535Squared",
         [](TRowContext& c) {
             c.Input("claim.jpg",
                     WithClaimedSize(test::MakeFlatProgressiveJpeg(8, 8), 65535, 65535));
         },
         {0, "claim.jpg: " + kEndsEarly},
         {4, "claim.jpg: Picture too large (65535 x 65535 pixels"}},
        {"PanoramaLongerThanAPage",
         [](TRowContext& c) { c.Input("pano.jpg", test::MakeFlatProgressiveJpeg(20000, 16)); },
         {0, "pano.jpg: a page of 20000 x 16 pixels would be larger than PDF readers draw; it is "
             "14400 x 11.52 points, at 100 pixels per inch"},
         {0, ""}},

        // Made-up paths.
        {"FolderAsInput",
         [](TRowContext& c) {
             const std::string folder = c.Dir.File("folder.jpg");
             std::filesystem::create_directory(folder);
             c.Inputs = {DataFile("ijg_testorig.jpg"), folder};
         },
         {1, "folder.jpg: " + kCannotOpen},
         {1, "folder.jpg: " + kCannotOpen}},
        {"MissingInput",
         [](TRowContext& c) {
             c.Inputs = {DataFile("ijg_testorig.jpg"), c.Dir.File("gone.jpg")};
         },
         {1, "gone.jpg: " + kCannotOpen},
         {1, "gone.jpg: " + kCannotOpen}},
        {"FifoAsInput",
         [](TRowContext& c) {
             const std::string fifo = c.Dir.File("fifo.jpg");
             ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
             c.Inputs = {fifo};
         },
         {1, "fifo.jpg: " + kCannotOpen},
         {1, "fifo.jpg: " + kCannotOpen}},
        {"UnreadableInput",
         [](TRowContext& c) {
             if (!c.BindPermissions()) {
                 return;
             }
             const std::string path = c.Input("locked.jpg", Data("ijg_testorig.jpg"));
             ::chmod(path.c_str(), 0);
         },
         {1, "locked.jpg: " + kCannotOpen},
         {1, "locked.jpg: " + kCannotOpen}},
        {"InputPathWithSpacesNewlinesAndOddBytes",
         [](TRowContext& c) {
             c.Input("my photo\nof caf\xC3\xA9 \xFF\xFE.jpg", Data("ijg_testorig.jpg"));
         },
         {0, ""},
         {0, ""}},
        {"OutputPathWithSpacesNewlinesAndOddBytes",
         [](TRowContext& c) {
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             c.Output = c.OutFolder + "/my album\nfor caf\xC3\xA9 \xFF\xFE.pdf";
         },
         {0, ""},
         {0, ""}},
        {"OutputInMissingFolder",
         [](TRowContext& c) {
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             c.Output = c.OutFolder + "/missing/album.pdf";
         },
         {4, "missing/album.pdf: No such file or directory"},
         {4, "missing/album.pdf: No such file or directory"},
         true},
        {"OutputInReadOnlyFolder",
         [](TRowContext& c) {
             if (!c.BindPermissions()) {
                 return;
             }
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             ::chmod(c.OutFolder.c_str(), 0555);
             c.Undo.push_back([folder = c.OutFolder] { ::chmod(folder.c_str(), 0755); });
         },
         {4, "album.pdf: Permission denied"},
         {4, "album.pdf: Permission denied"},
         true},
        {"ReadOnlyOutput",
         [](TRowContext& c) {
             if (!c.BindPermissions()) {
                 return;
             }
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             ::chmod(c.Output.c_str(), 0444);
         },
         {4, "album.pdf: Permission denied"},
         {4, "album.pdf: Permission denied"},
         true},
        {"OutputIsAnInput",
         [](TRowContext& c) {
             c.Output = c.OutFolder + "/photo.jpg";
             WriteFileBytes(c.Output, Data("ijg_testorig.jpg"));
             c.Inputs = {DataFile("orient_landscape_1.jpg"), c.Output};
         },
         {4, "photo.jpg: it is one of the files to embed"},
         {4, "photo.jpg: it is one of the files to embed"},
         true},
        {"OutputIsAFolder",
         [](TRowContext& c) {
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             c.Output = c.OutFolder;
         },
         {4, "out: Is a directory"},
         {4, "out: Is a directory"},
         true},
        {"OutputIsAnotherUsersLinkInASharedFolder",
         [](TRowContext& c) {
             // As in /tmp: a folder anyone may write, sticky, and in it a
             // link another user planted where the output will be written.
             if (::geteuid() != 0) {
                 c.SkipReason = "needs root to give a link to another user";
                 return;
             }
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             const std::string important = c.Dir.File("important.pdf");
             WriteFileBytes(important, "%PDF-1.2\nsomeone else's document\n");
             std::filesystem::remove(c.Output);
             ::chmod(c.OutFolder.c_str(), 01777);
             std::filesystem::create_symlink(important, c.Output);
             ASSERT_EQ(::lchown(c.Output.c_str(), 65534, 65534), 0) << std::strerror(errno);
         },
         {4, "album.pdf: not following a symbolic link that another user made in a shared folder"},
         {4, "album.pdf: not following a symbolic link that another user made in a shared folder"},
         true},
        {"OutputIsADanglingLink",
         [](TRowContext& c) {
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             c.Output = c.OutFolder + "/dangling.pdf";
             std::filesystem::create_symlink(c.Dir.File("nowhere.pdf"), c.Output);
         },
         {4, "dangling.pdf: not writing through a dangling symbolic link"},
         {4, "dangling.pdf: not writing through a dangling symbolic link"},
         true},
        {"OutputIsALinkLoop",
         [](TRowContext& c) {
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             c.Output = c.OutFolder + "/loop.pdf";
             std::filesystem::create_symlink("loop2.pdf", c.Output);
             std::filesystem::create_symlink("loop.pdf", c.OutFolder + "/loop2.pdf");
         },
         {4, "loop.pdf: Too many levels of symbolic links"},
         {4, "loop.pdf: Too many levels of symbolic links"},
         true},
        {"OutputIsAPhotograph",
         [](TRowContext& c) {
             // -o *.JPG: the shell made the first photograph the output.
             c.Inputs = {DataFile("orient_landscape_1.jpg")};
             c.Output = c.OutFolder + "/IMG_0001.JPG";
             WriteFileBytes(c.Output, Data("ijg_testorig.jpg"));
         },
         {4, "IMG_0001.JPG: it is not a PDF document"},
         {4, "IMG_0001.JPG: it is not a PDF document"},
         true},
        {"OutputNameOf255Bytes",
         [](TRowContext& c) {
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             c.Output = c.OutFolder + "/" + std::string(251, 'a') + ".pdf";
             WriteFileBytes(c.Output, kOldOutput);
         },
         {0, ""},
         {0, ""}},
        {"NamesWithControlCharacters",
         [](TRowContext& c) {
             // A name that would clear the screen and start a line of its own.
             c.Input("clear\x1b[2J\nvorpane-convert: all fine \x9b.jpg", "not a picture");
         },
         {1, "clear\\033[2J\\nvorpane-convert: all fine \\233.jpg: " + kNotJpeg},
         {4, "clear\\033[2J\\nvorpane-convert: all fine \\233.jpg: JPEG error #53"}},
        {"DiskFillsUpWhileWriting",
         [](TRowContext& c) {
             // The output's folder on a file system of 200 KB, the document
             // (eight CMYK pictures) larger.
             if (::mount("vorpane-test", c.OutFolder.c_str(), "tmpfs", 0, "size=200k") != 0) {
                 c.SkipReason =
                     std::string("can't mount a small tmpfs (needs root): ") + std::strerror(errno);
                 return;
             }
             c.Undo.push_back([folder = c.OutFolder] { ::umount2(folder.c_str(), MNT_DETACH); });
             WriteFileBytes(c.Output, kOldOutput);
             c.Inputs.assign(8, DataFile("pil_sample_cmyk_ycck.jpg"));
         },
         {2, "album.pdf: No space left on device"},
         {2, "album.pdf: No space left on device"},
         true},
        // The machine fails while the pictures are prepared: no input is
        // to blame, so --skip-bad must not leave good photographs out.
        {"TooFewFileDescriptors",
         [](TRowContext& c) {
    // Enough to embed one file at a time, too few to decode one
    // and write its prepared copy.
#if defined(__SANITIZE_ADDRESS__)
             c.SkipReason = "the sanitizers' own files count against the limit";
             return;
#endif
             c.Child.OpenFilesLimit = 5;
             c.Inputs.assign(9, DataFile("ijg_testorig.jpg"));
         },
         {0, ""},
         {4, "Too many open files"},
         true},
        {"TemporaryFolderFillsUp",
         [](TRowContext& c) {
             // The prepared pictures on a file system of 64 KB.
             if (::mount("vorpane-test", c.Child.TmpDir.c_str(), "tmpfs", 0, "size=64k") != 0) {
                 c.SkipReason =
                     std::string("can't mount a small tmpfs (needs root): ") + std::strerror(errno);
                 return;
             }
             c.Undo.push_back([folder = c.Child.TmpDir] { ::umount2(folder.c_str(), MNT_DETACH); });
             c.Inputs.assign(9, DataFile("orient_landscape_1.jpg"));
         },
         {0, ""},
         {4, "No space left on device"},
         true},
        {"FileSizeLimitWhileWriting",
         [](TRowContext& c) {
             // ulimit -f: each prepared picture fits, the document doesn't.
             c.Child.FileSizeLimit = 200 * 1000;
             c.Inputs.assign(8, DataFile("pil_sample_cmyk_ycck.jpg"));
         },
         {2, "album.pdf: File too large"},
         {2, "album.pdf: File too large"},
         true},

        // ---- Paths a fault once slipped through ----
        {"CutAfterAnExifThumbnail",
         [](TRowContext& c) {
             // The thumbnail in the Exif segment ends in FF D9 of its own;
             // the photograph's data, cut halfway, has none.
             const std::string photo = Data("pil_sample_cmyk_ycck.jpg");
             const std::size_t scan = photo.rfind("\xFF\xDA"); // one scan, after the thumbnails
             ASSERT_LT(photo.find("\xFF\xD9"), scan);
             c.Input("cut.jpg", photo.substr(0, scan + (photo.size() - scan) / 2));
         },
         {0, "cut.jpg: " + kNoEnd},
         {0, "cut.jpg: " + kEndsEarly}},
        {"OutputIsTheUsersOwnLinkInASharedFolder",
         [](TRowContext& c) {
             // As in /tmp, owned by root: a link the user made there is
             // followed, to a document of theirs.
             if (!c.RunAsNobody()) {
                 return;
             }
             c.Inputs = {DataFile("ijg_testorig.jpg")};
             const std::string mine = c.OutFolder + "/mine.pdf";
             WriteFileBytes(mine, kOldOutput);
             std::filesystem::remove(c.Output);
             std::filesystem::create_symlink(mine, c.Output);
             ::chmod(c.OutFolder.c_str(), 01777);
             ASSERT_EQ(::chown(mine.c_str(), kNobody, kNobody), 0) << std::strerror(errno);
             ASSERT_EQ(::lchown(c.Output.c_str(), kNobody, kNobody), 0) << std::strerror(errno);
         },
         {0, ""},
         {0, ""},
         true},
    };
    return rows;
}

// ---- The checks -----------------------------------------------------------------------

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// qpdf --check reads the structure and decodes every stream. Embedded
// unchanged, a damaged JPEG decodes with a warning about that stream's data
// and nothing else; the pictures the preparation encodes must decode cleanly.
void ExpectSoundPdf(const std::string& pdf, bool imagesAsGiven) {
    const std::string quoted = "'" + pdf + "'";
    const int status = std::system(("qpdf --check " + quoted + " >/dev/null 2>&1").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 0) {
        return;
    }
    const std::string warnings = test::CommandOutput(
        "qpdf --check " + quoted +
        " 2>&1 | grep WARNING | grep -v -e 'error decoding stream "
        "data for object' -e 'stream will be re-processed without filtering'; true");
    EXPECT_TRUE(imagesAsGiven && WEXITSTATUS(status) == 3 && warnings.empty())
        << "qpdf --check exits " << WEXITSTATUS(status) << "\n"
        << warnings;
}

int PageCount(const std::string& pdf) {
    return std::stoi(test::CommandOutput("qpdf --show-npages '" + pdf + "'"));
}

struct TCase {
    std::size_t Row;
    bool SameSize;
    bool SkipBad;
};

void PrintTo(const TCase& c, std::ostream* out) {
    *out << Rows()[c.Row].Name << (c.SameSize ? " --size 800x600" : " --original")
         << (c.SkipBad ? " --skip-bad" : "");
}

class BadInputTable : public ::testing::TestWithParam<TCase> {};

TEST_P(BadInputTable, ClearErrorNothingLost) {
    const TRow& row = Rows()[GetParam().Row];
    const bool sameSize = GetParam().SameSize;
    const bool skipBad = GetParam().SkipBad;
    TOutcome expected = sameSize ? row.SameSize : row.Original;
    // With --skip-bad a good photograph goes first. The input that ended
    // the run is left out and named with the same reason, and the document
    // holds the rest.
    const bool skipsOne = skipBad && !row.OutputFault && expected.Status != 0;
    if (skipsOne) {
        expected.Status = 0;
    }
    TRowContext context;
    row.Setup(context);
    if (!context.SkipReason.empty()) {
        GTEST_SKIP() << context.SkipReason;
    }
    const std::string outFolder = std::filesystem::path(context.Output).parent_path().string();
    const std::set<std::string> before = NamesIn(outFolder);
    std::error_code noFile; // a link in a circle leads to no file at all
    const bool outputExisted = std::filesystem::exists(context.Output, noFile);
    const std::string oldBytes = outputExisted && !std::filesystem::is_directory(context.Output)
                                     ? ReadFileBytes(context.Output)
                                     : "";

    std::vector<std::string> args = {sameSize ? "--size" : "--original"};
    if (sameSize) {
        args.push_back("800x600");
    }
    args.insert(args.end(), {"-o", context.Output, "--"});
    if (skipBad) {
        args.insert(args.begin(), "--skip-bad");
        args.push_back(DataFile("ijg_testorig.jpg"));
    }
    args.insert(args.end(), context.Inputs.begin(), context.Inputs.end());
    const TChildResult run = RunConvert(args, context.Child);
    SCOPED_TRACE(run.Output);
    // For the notes: --gtest_output=xml carries these per row.
    RecordProperty("ExitStatus", run.Status);
    RecordProperty("PeakKb", static_cast<int>(run.PeakKb));
    RecordProperty("Message", run.Output);

    ASSERT_FALSE(run.Hung) << "no answer within " << kHangAfter.count() << " s";
    ASSERT_EQ(run.Signal, 0) << "ended by signal " << run.Signal;
    EXPECT_EQ(run.Status, expected.Status);
    if (expected.Message.empty()) {
        EXPECT_EQ(run.Output, "");
    } else {
        EXPECT_NE(run.Output.find("vorpane-convert: "), std::string::npos);
        EXPECT_NE(run.Output.find(expected.Message), std::string::npos)
            << "expected: " << expected.Message;
        EXPECT_EQ(run.Output.find("vorpane-convert: skipped ") != std::string::npos, skipsOne);
    }
    EXPECT_EQ(run.Output.find('\x1b'), std::string::npos) << "a raw control character";
    for (const char* report : {"Sanitizer", "runtime error:"}) {
        EXPECT_EQ(run.Output.find(report), std::string::npos);
    }
    EXPECT_LT(run.PeakKb, kMemoryBoundKb) << "peak memory " << run.PeakKb << " KB";

    std::set<std::string> expectedNames = before;
    if (run.Status == 0) {
        expectedNames.insert(std::filesystem::path(context.Output).filename().string());
        EXPECT_EQ(PageCount(context.Output),
                  static_cast<int>(context.Inputs.size()) + (skipBad ? 1 : 0) - (skipsOne ? 1 : 0));
        ExpectSoundPdf(context.Output, !sameSize);
        // Every prepared picture was embedded and deleted.
        EXPECT_EQ(NamesIn(context.Child.TmpDir + "/vorpane-" + std::to_string(::geteuid())),
                  std::set<std::string>{});
    } else if (outputExisted && !oldBytes.empty()) {
        EXPECT_EQ(ReadFileBytes(context.Output), oldBytes) << "the old output was changed";
    }
    EXPECT_EQ(NamesIn(outFolder), expectedNames) << "a stray file in the output's folder";
}

std::vector<TCase> AllCases() {
    std::vector<TCase> cases;
    for (std::size_t row = 0; row < Rows().size(); ++row) {
        for (const bool skipBad : {false, true}) {
            cases.push_back({row, false, skipBad});
            cases.push_back({row, true, skipBad});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInputTable, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<TCase>& testInfo) {
                             return Rows()[testInfo.param.Row].Name +
                                    (testInfo.param.SameSize ? "_Size800x600" : "_Original") +
                                    (testInfo.param.SkipBad ? "_SkipBad" : "");
                         });

} // namespace
} // namespace vorpane
