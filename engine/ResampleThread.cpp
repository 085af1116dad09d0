#include "ResampleThread.h"

#include "Errors.h"
#include "MessageQueue.h"

#include <cstring>

namespace vorpane {

namespace {

// Enough for the decoder to stay a band or two ahead while one is scaled.
constexpr std::size_t kBands = 4;

} // namespace

TResampleThread::TResampleThread(std::uint32_t SourceWidth, std::uint32_t SourceHeight,
                                 std::uint32_t NewWidth, std::uint32_t NewHeight, int FilterIndex)
    : resampler_(SourceWidth, SourceHeight, NewWidth, NewHeight, FilterIndex), bands_(kBands) {
    for (std::size_t b = 0; b < kBands; ++b) {
        bands_[b].Pixels.SetSize(SourceWidth, kBandRows);
        free_.push_back(b);
    }
    thread_ = std::thread([this] { Work(); });
}

TResampleThread::~TResampleThread() {
    Stop();
}

void TResampleThread::Stop() {
    if (thread_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
}

void TResampleThread::Work() {
    LeaveDrainsToOtherThreads();
    for (;;) {
        std::size_t b = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || lastBand_ || !filled_.empty(); });
            if (stopping_ || filled_.empty()) {
                return;
            }
            b = filled_.front();
            filled_.pop_front();
        }
        try {
            TScanLines rows;
            GetScanLines(bands_[b].Pixels, rows);
            resampler_.AddRows(rows.data(), bands_[b].Rows);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            stopping_ = true;
        }
        {
            const std::lock_guard lock(mutex_);
            free_.push_back(b);
        }
        changed_.notify_all();
    }
}

void TResampleThread::AddRows(const std::uint8_t* const* Rows, std::int32_t Count) {
    if (Count < 1 || Count > kBandRows) {
        throw ERangeError("Error size!");
    }
    std::size_t b = 0;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return failure_ || !free_.empty(); });
        if (failure_) {
            std::rethrow_exception(failure_);
        }
        b = free_.front();
        free_.pop_front();
    }
    TBand& band = bands_[b];
    for (std::int32_t r = 0; r < Count; ++r) {
        std::memcpy(band.Pixels.Row(static_cast<std::uint32_t>(r)), Rows[r],
                    band.Pixels.RowBytes());
    }
    band.Rows = Count;
    {
        const std::lock_guard lock(mutex_);
        filled_.push_back(b);
    }
    changed_.notify_all();
}

TBitmap24 TResampleThread::Finish() {
    {
        const std::lock_guard lock(mutex_);
        lastBand_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    return resampler_.Finish();
}

} // namespace vorpane
