// vorpane-convert: the conversion engine on the command line.
#include "ConsoleProgress.h"
#include "ConvertOptions.h"
#include "Errors.h"
#include "MessageQueue.h"
#include "PrintableText.h"
#include "io/AtomicOutputFile.h"
#include "prepare/JpegUtils.h"
#include "run/ConversionRun.h"
#include "run/PhotoOrder.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fstream>
#include <iostream>
#include <pthread.h>
#include <unistd.h>
#include <vector>

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

// Every signal someone may send whose default would end the program with
// the unfinished document and the run's folder left behind: each asks the
// run to stop. (The faults a program raises on itself, such as SIGSEGV,
// are left to their default; SIGPIPE is ignored.)
std::vector<int> StopSignals() {
    std::vector<int> signals = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,   SIGALRM, SIGXCPU, SIGXFSZ,
                                SIGUSR1, SIGUSR2, SIGPOLL, SIGVTALRM, SIGPROF, SIGPWR,  SIGSTKFLT};
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        signals.push_back(signal);
    }
    return signals;
}

// The first of StopSignals() asks the run to stop, as the window's Stop
// button does. `timeout` and a terminal may signal the process and its group
// alike, so one that follows within a second is the same request. A later
// one ends the program at once; the unfinished document goes first, and the
// run's prepared images are left to the next run, which removes them.
extern "C" void OnSignal(int signal, siginfo_t* info, void*) {
    // Past a file size limit (ulimit -f) the kernel sends SIGXFSZ from the
    // process itself; the write then fails with EFBIG and the run cleans up
    // as after any failed write. Only a SIGXFSZ someone sends is a stop.
    if (signal == SIGXFSZ && info != nullptr && info->si_pid == ::getpid()) {
        return;
    }
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
    action.sa_sigaction = OnSignal;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    const std::vector<int> signals = StopSignals();
    for (const int signal : signals) {
        sigaddset(&action.sa_mask, signal);
    }
    // The drain hook's ticker thread starts with these signals blocked, as
    // threads inherit the mask: they reach the main thread only, so the
    // handler never runs twice at once.
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &action.sa_mask, &previous);
    SetDrainHook(&StopOnSignal);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    for (const int signal : signals) {
        sigaction(signal, &action, nullptr);
    }
    // A reader that goes away (-o /dev/stdout | head) makes the next write
    // fail with EPIPE, and the run ends as after any failed write.
    std::signal(SIGPIPE, SIG_IGN);
}

// Every message goes through here: the file names in it may hold any byte
// but "/" and NUL, and none may reach the terminal as a control character.
void PrintError(const std::string& message) {
    std::cerr << "vorpane-convert: " << PrintableText(message) << '\n';
}

void PrintUsageError(const std::string& message) {
    PrintError(message);
    std::cerr << "Try 'vorpane-convert --help'.\n";
}

// What a pipe has been sent can't be taken back: a run that fails after
// writing to standard output says so, for its reader may hold part of a
// document.
void PrintStdoutWarning(bool toStdout) {
    if (toStdout) {
        PrintError("standard output may hold part of a document; it can't be taken back");
    }
}

int Convert(TConvertOptions& options) {
    // '-' is standard output, written in place as /dev/stdout would be: no
    // file beside it, no rename. /proc/self/fd/1 stands for it wherever
    // /dev has no such link.
    const bool toStdout = options.Output == "-";
    if (toStdout) {
        options.Output = "/proc/self/fd/1";
    }
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
        try {
            for (auto& file : ReadFileList(list, options.NullSeparated)) {
                options.Files.push_back(std::move(file));
            }
        } catch (const EUsageError& error) {
            PrintUsageError(error.what());
            return ecUsage;
        }
    }
    SortPhotos(options.Files, options.Order);
    TConsoleProgress progress(!options.Quiet && ::isatty(STDERR_FILENO) != 0);
    options.Run.Phase = [&progress](TRunPhase phase) { progress.Phase(phase); };
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
        PrintStdoutWarning(toStdout);
        return ecError;
    } catch (const std::exception& error) {
        progress.Finish();
        const std::string message = ErrorMessage(error);
        PrintError(report.FailedFile.empty() ? message : report.FailedFile + ": " + message);
        PrintStdoutWarning(toStdout);
        return ecError;
    }
    progress.Finish();
    for (const TSkippedFile& skipped : report.Skipped) {
        PrintError("skipped " + skipped.File + ": " + skipped.Reason);
    }
    // Their pages are in the document as far as their data went: said
    // also with -q, for a page may be grey or noise.
    for (const TSkippedFile& incomplete : report.Incomplete) {
        PrintError(incomplete.File + ": " + incomplete.Reason);
    }
    for (const TSkippedFile& reduced : report.Reduced) {
        PrintError(reduced.File + ": " + reduced.Reason);
    }
    switch (result) {
    case rcDone:
        if (!options.Quiet && ::isatty(STDERR_FILENO) != 0) {
            std::cerr << (toStdout ? "standard output" : PrintableText(options.Output)) << ": "
                      << report.Pages << (report.Pages == 1 ? " page, " : " pages, ")
                      << SizeText(report.DocumentSize);
            if (report.Quality != 0) {
                std::cerr << ", quality " << report.Quality;
            }
            std::cerr << "\n";
        }
        return ecDone;
    case rcNoFiles:
        if (report.Kind == TReasonKind::rkNone) {
            PrintError(report.Skipped.empty() ? "no PDF written: no files to convert"
                                              : "no PDF written: every file was skipped");
        } else if (report.Refused.size() > 1) {
            // Every bad file at once, so that one run shows all to mend.
            PrintError("no PDF written: " + std::to_string(report.Refused.size()) +
                       " listed files can't be converted:");
            for (const TSkippedFile& refused : report.Refused) {
                PrintError("  " + refused.File + ": " + refused.Reason);
            }
        } else if (report.FailedFile.empty()) {
            PrintError("no PDF written: " + report.Reason);
        } else {
            PrintError("no PDF written: " + report.FailedFile + ": " + report.Reason);
        }
        // A picture that can't be decoded is an error of reading, as when
        // the preparation meets it.
        return report.Kind == TReasonKind::rkUndecodable || report.Kind == TReasonKind::rkTooLarge
                   ? ecError
                   : ecNoFiles;
    case rcAborted:
        PrintError("aborted, no PDF written: " + report.Reason);
        PrintStdoutWarning(toStdout);
        return ecAborted;
    case rcStopped:
        PrintError("stopped, no PDF written");
        PrintStdoutWarning(toStdout);
        return ecStopped;
    default:
        PrintStdoutWarning(toStdout);
        return ecError;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    TConvertOptions options;
    try {
        options = ParseConvertOptions(argc, argv);
    } catch (const EUsageError& error) {
        PrintUsageError(error.what());
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
