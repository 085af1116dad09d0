// vorpane-convert: the conversion engine on the command line.
#include "ConsoleProgress.h"
#include "ConvertOptions.h"
#include "Errors.h"
#include "MessageQueue.h"
#include "pdf/AtomicOutputFile.h"
#include "prepare/JpegUtils.h"
#include "run/ConversionRun.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fstream>
#include <iostream>
#include <pthread.h>
#include <unistd.h>

namespace {

using namespace vorpane;

enum TExitCode {
    ecDone = 0,
    ecNoFiles = 1,
    ecAborted = 2,
    ecStopped = 3,
    ecError = 4,
    ecUsage = 64,
};

volatile std::sig_atomic_t interrupted = 0;
timespec firstSignal{};

// The first SIGINT or SIGTERM asks the run to stop, as the window's Stop
// button does. `timeout` and a terminal may signal the process and its group
// alike, so one that follows within a second is the same request. A later
// one ends the program at once; the unfinished document goes first, and the
// run's prepared images are left to the next run, which removes them.
extern "C" void OnSignal(int) {
    const int savedErrno = errno;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (interrupted == 0) {
        firstSignal = now;
        interrupted = 1;
    } else if (now.tv_sec - firstSignal.tv_sec > 1 ||
               (now.tv_sec - firstSignal.tv_sec == 1 && now.tv_nsec >= firstSignal.tv_nsec)) {
        RemoveUnfinishedOutputs();
        ::_exit(ecStopped);
    }
    errno = savedErrno;
}

// Runs on the main thread at the engine's drain points: a signal becomes the
// same stop request the window's Stop button makes.
void StopOnSignal() {
    if (interrupted != 0) {
        RequestStop();
    }
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    // The drain hook's ticker thread starts with both signals blocked, as
    // threads inherit the mask: they reach the main thread only, so the
    // handler never runs twice at once.
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &action.sa_mask, &previous);
    SetDrainHook(&StopOnSignal);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // Past a file size limit (ulimit -f) a write then fails with EFBIG and
    // the run cleans up, instead of the signal killing the program with the
    // unfinished document left beside the output.
    std::signal(SIGXFSZ, SIG_IGN);
}

void PrintError(const std::string& message) {
    std::cerr << "vorpane-convert: " << message << '\n';
}

int Convert(TConvertOptions& options) {
    if (!options.FilesFrom.empty()) {
        std::ifstream listFile;
        if (options.FilesFrom != "-") {
            listFile.open(options.FilesFrom);
            if (!listFile) {
                PrintError("cannot read the file list " + options.FilesFrom);
                return ecError;
            }
        }
        std::istream& list = options.FilesFrom == "-" ? std::cin : listFile;
        for (auto& file : ReadFileList(list)) {
            options.Files.push_back(std::move(file));
        }
    }
    TConsoleProgress progress(options.Files, options.Run.SameSize,
                              !options.Quiet && ::isatty(STDERR_FILENO) != 0);
    TRunReport report;
    std::int32_t result = 0;
    try {
        result = ConversionRun(
            options.Files, options.Output,
            [&progress](const std::string& text, std::int64_t total, std::int64_t done) {
                progress.Report(text, total, done);
            },
            options.Run, &report);
    } catch (const EFileError& error) {
        progress.Finish();
        PrintError(error.what());
        return ecError;
    } catch (const std::exception& error) {
        progress.Finish();
        const std::string message = ErrorMessage(error);
        PrintError(report.FailedFile.empty() ? message : report.FailedFile + ": " + message);
        return ecError;
    }
    progress.Finish();
    for (const TSkippedFile& skipped : report.Skipped) {
        PrintError("skipped " + skipped.File + ": " + skipped.Reason);
    }
    // Their pages are in the document as far as their data went: said
    // also with -q, for a page may be grey or noise.
    for (const TSkippedFile& incomplete : report.Incomplete) {
        PrintError(incomplete.File + ": the picture is incomplete (" + incomplete.Reason + ")");
    }
    switch (result) {
    case rcDone:
        if (!options.Quiet && ::isatty(STDERR_FILENO) != 0) {
            std::cerr << options.Output << ": " << progress.Embedded() << " pages\n";
        }
        return ecDone;
    case rcNoFiles:
        if (report.Kind == TReasonKind::rkNone) {
            PrintError(report.Skipped.empty() ? "no PDF written: no files to convert"
                                              : "no PDF written: every file was skipped");
        } else if (report.FailedFile.empty()) {
            PrintError("no PDF written: " + report.Reason);
        } else {
            PrintError("no PDF written: " + report.FailedFile + ": " + report.Reason);
        }
        return ecNoFiles;
    case rcAborted:
        PrintError("aborted, no PDF written: " + report.Reason);
        return ecAborted;
    case rcStopped:
        PrintError("stopped, no PDF written");
        return ecStopped;
    default:
        return ecError;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    TConvertOptions options;
    try {
        options = ParseConvertOptions(argc, argv);
    } catch (const EUsageError& error) {
        PrintError(error.what());
        std::cerr << "Try 'vorpane-convert --help'.\n";
        return ecUsage;
    }
    if (options.Help) {
        std::cout << UsageText();
        return ecDone;
    }
    if (options.Version) {
        std::cout << "vorpane-convert " << VORPANE_VERSION << "\n"
                  << "Copyright (c) 2026 The Vorpane developers, under the MIT License.\n";
        return ecDone;
    }
    InstallSignalHandlers();
    return Convert(options);
}
