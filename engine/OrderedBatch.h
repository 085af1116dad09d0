// Work on a numbered list, done by several threads and taken by one in list
// order. The workers start the items 0, 1, 2, ... in turn, each as soon as
// it is free, and the calling thread takes the results with Take(0),
// Take(1), ..., waiting for each; while it waits it keeps draining the
// message queue, so a window served from it stays as responsive as when it
// did the work itself. The workers leave the queue alone.
//
// Once a stop is asked for (StopRequested answers true) or an item has
// failed, no further item is started; the items already started are
// finished. Because items start in list order, the started ones are always
// the first few: Take gives each of them, then "none" for the first item
// that never started. An item's error comes out of its Take, as if the
// calling thread had done the work. Results never taken (after an error, or
// when the caller leaves early) are handed to Discard when the batch ends.
#pragma once

#include "MessageQueue.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vorpane {

template <typename TResult> class TOrderedBatch {
public:
    // Starts min(Jobs, Count) workers (at least one per item, while Count
    // lasts) on Work(0 ... Count - 1).
    TOrderedBatch(std::size_t Count, unsigned Jobs, std::function<TResult(std::size_t)> Work,
                  std::function<bool()> StopRequested, std::function<void(TResult&)> Discard)
        : work_(std::move(Work)), stopRequested_(std::move(StopRequested)),
          discard_(std::move(Discard)), slots_(Count) {
        const std::size_t workers = std::min<std::size_t>(std::max(Jobs, 1u), Count);
        running_ = workers;
        try {
            for (std::size_t w = 0; w < workers; ++w) {
                threads_.emplace_back([this] { Serve(); });
            }
        } catch (...) {
            {
                const std::lock_guard lock(mutex_);
                running_ -= workers - threads_.size();
            }
            Close();
            throw;
        }
    }

    // Stops starting items, waits for the started ones and discards every
    // result not taken.
    ~TOrderedBatch() {
        Close();
        for (TSlot& slot : slots_) {
            if (slot.Result && !slot.Taken) {
                discard_(*slot.Result);
            }
        }
    }

    TOrderedBatch(const TOrderedBatch&) = delete;
    TOrderedBatch& operator=(const TOrderedBatch&) = delete;

    // Item Index's result, once it is done; none when it never started
    // because a stop was asked for. Raises the item's error once every
    // worker has stopped. Items are taken in list order, each once.
    std::optional<TResult> Take(std::size_t Index) {
        std::unique_lock lock(mutex_);
        for (;;) {
            TSlot& slot = slots_.at(Index);
            if (slot.Done) {
                slot.Taken = true;
                if (slot.Failure) {
                    closed_ = true;
                    while (running_ > 0) {
                        Wait(lock);
                    }
                    std::rethrow_exception(slot.Failure);
                }
                return std::move(slot.Result);
            }
            if (Index >= next_ && (closed_ || stopRequested_())) {
                closed_ = true;
                return std::nullopt;
            }
            Wait(lock);
        }
    }

private:
    struct TSlot {
        bool Done = false;
        bool Taken = false;
        std::optional<TResult> Result;
        std::exception_ptr Failure;
    };

    // Waits a little, or until a worker has news, then serves the window
    // when the queue's ticker asks for it.
    void Wait(std::unique_lock<std::mutex>& lock) {
        changed_.wait_for(lock, std::chrono::milliseconds(5));
        lock.unlock();
        DrainMessageQueue();
        lock.lock();
    }

    void Serve() {
        LeaveDrainsToOtherThreads();
        for (;;) {
            std::size_t index = 0;
            {
                const std::lock_guard lock(mutex_);
                if (!closed_ && stopRequested_()) {
                    closed_ = true;
                }
                if (closed_ || next_ == slots_.size()) {
                    break;
                }
                index = next_++;
            }
            std::optional<TResult> result;
            std::exception_ptr failure;
            try {
                result.emplace(work_(index));
            } catch (...) {
                failure = std::current_exception();
            }
            {
                const std::lock_guard lock(mutex_);
                TSlot& slot = slots_[index];
                slot.Result = std::move(result);
                slot.Failure = failure;
                slot.Done = true;
                // Whatever comes after a failure is of no use.
                closed_ = closed_ || failure != nullptr;
            }
            changed_.notify_all();
        }
        {
            const std::lock_guard lock(mutex_);
            --running_;
        }
        changed_.notify_all();
    }

    void Close() {
        {
            const std::lock_guard lock(mutex_);
            closed_ = true;
        }
        for (std::thread& thread : threads_) {
            thread.join();
        }
        threads_.clear();
    }

    std::function<TResult(std::size_t)> work_;
    std::function<bool()> stopRequested_;
    std::function<void(TResult&)> discard_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TSlot> slots_;
    std::size_t next_ = 0;
    std::size_t running_ = 0;
    bool closed_ = false;
    std::vector<std::thread> threads_;
};

} // namespace vorpane
