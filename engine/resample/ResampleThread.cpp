#include "resample/ResampleThread.h"

#include "Errors.h"
#include "MessageQueue.h"

#include <cstring>

namespace vorpane {

namespace {

// Enough for the decoder to go on while the helper works out the weights
// (a few milliseconds for a photograph, a dozen bands of decoding); bands
// are made as they are needed.
constexpr std::size_t kMaxBands = 16;

} // namespace

TResampleThread::TResampleThread(std::uint32_t SourceWidth, std::uint32_t SourceHeight,
                                 std::uint32_t NewWidth, std::uint32_t NewHeight, int FilterIndex)
    : sourceWidth_(SourceWidth) {
    thread_ = std::thread([=, this] {
        LeaveDrainsToOtherThreads();
        try {
            resampler_.emplace(SourceWidth, SourceHeight, NewWidth, NewHeight, FilterIndex);
        } catch (...) { // carried to the decoding thread, which raises it
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            return;
        }
        Work();
    });
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
    for (;;) {
        TBand* band = nullptr;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || lastBand_ || !filled_.empty(); });
            if (stopping_ || filled_.empty()) {
                return;
            }
            band = filled_.front();
            filled_.pop_front();
        }
        try {
            TScanLines rows;
            GetScanLines(band->Pixels, rows);
            resampler_->AddRows(rows.data(), band->Rows);
        } catch (...) { // carried to the decoding thread, which raises it
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            stopping_ = true;
        }
        {
            const std::lock_guard lock(mutex_);
            free_.push_back(band);
        }
        changed_.notify_all();
    }
}

void TResampleThread::AddRows(const std::uint8_t* const* Rows, std::int32_t Count) {
    if (Count < 1 || Count > kBandRows) {
        ThrowSizeError();
    }
    TBand* band = nullptr;
    {
        std::unique_lock lock(mutex_);
        if (free_.empty() && bands_.size() < kMaxBands) {
            bands_.emplace_back().Pixels.SetSize(sourceWidth_, kBandRows);
            free_.push_back(&bands_.back());
        }
        changed_.wait(lock, [this] { return failure_ || !free_.empty(); });
        if (failure_) {
            std::rethrow_exception(failure_);
        }
        band = free_.front();
        free_.pop_front();
    }
    for (std::int32_t r = 0; r < Count; ++r) {
        std::memcpy(band->Pixels.Row(static_cast<std::uint32_t>(r)), Rows[r],
                    band->Pixels.RowBytes());
    }
    band->Rows = Count;
    {
        const std::lock_guard lock(mutex_);
        filled_.push_back(band);
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
    return resampler_->Finish();
}

} // namespace vorpane
