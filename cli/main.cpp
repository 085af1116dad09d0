// vorpane-convert: the conversion engine on the command line.
#include "ConsoleProgress.h"
#include "ConversionRun.h"
#include "ConvertOptions.h"
#include "Errors.h"
#include "FileHandle.h"
#include "JpegUtils.h"
#include "MessageQueue.h"
#include "PdfWriter.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sys/stat.h>
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

extern "C" void OnSignal(int) {
    interrupted = 1;
}

// Runs on the main thread at the engine's drain points: a signal becomes the
// same stop request the window's Stop button makes.
void StopOnSignal() {
    if (interrupted != 0) {
        StopConverting = true;
        StopPreparing = true;
    }
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // A second Ctrl-C ends the program at once, as users expect.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // Past a file size limit (ulimit -f) a write then fails with EFBIG and
    // the run cleans up, instead of the signal killing the program with the
    // unfinished document left beside the output.
    std::signal(SIGXFSZ, SIG_IGN);
    SetDrainHook(&StopOnSignal);
}

void PrintError(const std::string& message) {
    std::cerr << "vorpane-convert: " << message << '\n';
}

// In "Same size" mode the engine skips a path under which it finds no file,
// as suits the window, whose list holds files seen a moment before. A script
// must not get a document short of a page with a status of success: every
// source must be a file we can read, as "Original size" demands anyway.
std::optional<std::string> FirstUnreadable(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        if (!TFileHandle::OpenForReading(file).Valid()) {
            return file;
        }
    }
    return std::nullopt;
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
    if (options.SameSize) {
        if (const auto unreadable = FirstUnreadable(options.Files)) {
            PrintError("no PDF written: " + *unreadable + ": " +
                       JpegCheckText(TJpegCheck::jcCannotOpen));
            return ecNoFiles;
        }
    }
    TConsoleProgress progress(options.Files, options.SameSize,
                              !options.Quiet && ::isatty(STDERR_FILENO) != 0);
    TRunReport report;
    std::int32_t result = 0;
    try {
        result = ConversionRun(
            options.Files, options.Output,
            [&progress](const std::string& text, std::int64_t total, std::int64_t done) {
                progress.Report(text, total, done);
            },
            options.SameSize, options.Quality, options.Width, options.Height, options.UseTriangle,
            &report);
    } catch (const EFileError& error) {
        progress.Finish();
        PrintError(error.what());
        return ecError;
    } catch (const std::exception& error) {
        progress.Finish();
        std::string message = error.what();
        // The number alone tells a user nothing; libjpeg's sentence does.
        if (const auto* jpeg = dynamic_cast<const EJpegError*>(&error);
            jpeg != nullptr && !jpeg->Detail().empty()) {
            message += " (" + jpeg->Detail() + ")";
        }
        PrintError(report.FailedFile.empty() ? message : report.FailedFile + ": " + message);
        return ecError;
    }
    progress.Finish();
    switch (result) {
    case rcDone:
        if (!options.Quiet && ::isatty(STDERR_FILENO) != 0) {
            std::cerr << options.Output << ": " << progress.Embedded() << " pages\n";
        }
        return ecDone;
    case rcNoFiles:
        if (report.FailedFile.empty() && report.Reason.empty()) {
            PrintError("no PDF written: no files to convert");
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
        std::cerr << UsageText();
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
