#include "run/ListTest.h"

#include "Errors.h"
#include "FileHandle.h"
#include "MessageQueue.h"
#include "jpeg/JpegFrameScan.h"
#include "picture/PictureFile.h"
#include "prepare/OtherPictures.h"
#include "run/ConversionRun.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace vorpane {

namespace {

// The most files tested at once: the test reads, it hardly computes, and a
// few readers keep a disk busy.
constexpr unsigned kMaxTesters = 8;

// Why one file can't give a page; nothing when it can.
std::optional<TSkippedFile> TestOne(const std::string& name, const TRunOptions& options) {
    if (!TFileHandle::OpenForReading(name).Valid() || name.empty()) {
        const int err = name.empty() ? ENOENT : errno;
        if (IsMachineErrno(err)) {
            throw EFileError("Cannot open file " + SystemErrorText(name, err), err);
        }
        return TSkippedFile{name, JpegCheckText(TJpegCheck::jcCannotOpen), OpenFailureKind(err)};
    }
    TJpegInfo info;
    TJpegExtras extras;
    extras.WantData = true;
    TJpegCheck check = CheckJpegFile(name, info, &extras);
    const bool found = check == TJpegCheck::jcEmbeddable || check == TJpegCheck::jcGrey;
    if (found && extras.Data == TJpegData::jdTooManyScans) {
        return TSkippedFile{name, JpegDataText(extras.Data), TReasonKind::rkUndecodable};
    }
    // A picture of another kind is decoded in both modes.
    if (!options.SameSize && !IsOtherPicture(name)) {
        if (check == TJpegCheck::jcGrey && options.Grey) {
            check = TJpegCheck::jcEmbeddable;
        }
        if (check != TJpegCheck::jcEmbeddable) {
            return TSkippedFile{name, JpegCheckText(check), TReasonKind::rkNotEmbeddable};
        }
        return std::nullopt;
    }
    try {
        TPictureFile::TestHeader(name);
    } catch (const std::exception& error) {
        if (IsMachineFault(error)) {
            throw;
        }
        return TSkippedFile{name, ErrorMessage(error), ReasonKindOf(error)};
    }
    return std::nullopt;
}

} // namespace

std::vector<TSkippedFile> TestListedFiles(const std::vector<std::string>& Files,
                                          const TRunOptions& Options) {
    std::vector<std::optional<TSkippedFile>> found(Files.size());
    std::atomic<std::size_t> next{0};
    std::mutex lock;
    std::condition_variable finished;
    std::size_t running = 0;
    std::exception_ptr failure;
    const auto work = [&] {
        for (;;) {
            const std::size_t k = next++;
            if (k >= Files.size() || StopConverting.load()) {
                break;
            }
            try {
                found[k] = TestOne(Files[k], Options);
            } catch (...) {
                const std::lock_guard<std::mutex> guard(lock);
                if (!failure) {
                    failure = std::current_exception();
                }
                next = Files.size();
            }
        }
        const std::lock_guard<std::mutex> guard(lock);
        --running;
        finished.notify_one();
    };
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t testers = std::min<std::size_t>(
        {Files.size(), Options.Jobs != 0 ? Options.Jobs : processors, kMaxTesters});
    std::vector<std::jthread> threads;
    running = testers;
    for (std::size_t t = 0; t < testers; ++t) {
        threads.emplace_back(work);
    }
    // The window's events are served while the files are read; the testers
    // count `running` down under the lock.
    std::unique_lock<std::mutex> guard(lock);
    while (running > 0) {
        finished.wait_for(guard, std::chrono::milliseconds(20));
        guard.unlock();
        DrainMessageQueue();
        guard.lock();
    }
    guard.unlock();
    threads.clear();
    if (failure) {
        std::rethrow_exception(failure);
    }
    std::vector<TSkippedFile> bad;
    for (auto& file : found) {
        if (file) {
            bad.push_back(std::move(*file));
        }
    }
    return bad;
}

} // namespace vorpane
