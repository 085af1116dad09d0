// Work on a numbered list, done by several threads and taken by one in list
// order. The workers start the items in about list order, each as soon as
// it is free, and the calling thread takes the results with Take(0),
// Take(1), ..., waiting for each; while it waits it keeps draining the
// message queue, so a window served from it stays as responsive as when it
// did the work itself. The workers leave the queue alone.
//
// "About list order": the item the calling thread waits for (or takes
// next) starts before any other, so that at a stop the item being waited
// for is the one finished. Of the later items not yet started, twice as
// many as there are workers, the one of largest Effort (the caller's
// estimate, such as a file's size) starts first, so that a large item late
// in the list doesn't end up running alone while the other workers have
// nothing left.
//
// Once a stop is asked for (StopRequested answers true) no item is started;
// Take gives the items already started, then "none" for the first item in
// list order that never started. An item's error comes out of its Take, as
// if the calling thread had done the work; after an item has failed only
// the items before it in list order are still started, so the error that
// comes out is the first in list order. Results never taken (after an error
// or a stop, or when the caller leaves early) are handed to Discard when
// the batch ends, once every started item is finished.
//
// With a Budget, an item starts only while the Memory of the items in
// flight, its own included, stays within it; an item larger than the budget
// starts when nothing else is in flight, and runs alone. The item waited for
// keeps its place: while it doesn't fit, nothing else starts. Which item
// starts when changes nothing of what Take gives.
#pragma once

#include "MessageQueue.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vorpane {

template <typename TResult> class TOrderedBatch {
public:
    // Starts min(Jobs, items) workers (Jobs 0 counts as 1) on
    // Work(0 ... Effort.size() - 1).
    // Memory: each item's, when Budget isn't 0.
    TOrderedBatch(const std::vector<std::uint64_t>& Effort, unsigned Jobs,
                  std::function<TResult(std::size_t)> Work, std::function<bool()> StopRequested,
                  std::function<void(TResult&)> Discard,
                  const std::vector<std::uint64_t>& Memory = {}, std::uint64_t Budget = 0)
        : work_(std::move(Work)), stopRequested_(std::move(StopRequested)),
          discard_(std::move(Discard)), slots_(Effort.size()), limit_(Effort.size()),
          budget_(Memory.size() == Effort.size() ? Budget : 0) {
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            slots_[i].Effort = Effort[i];
            slots_[i].Memory = budget_ != 0 ? Memory[i] : 0;
        }
        const std::size_t workers = std::min<std::size_t>(std::max(Jobs, 1u), slots_.size());
        window_ = 2 * workers;
        running_ = workers;
        try {
            for (std::size_t w = 0; w < workers; ++w) {
                threads_.emplace_back([this] { Serve(); });
            }
        } catch (...) { // no thread for a worker: those started are stopped, then on
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
            wanted_ = Index;
            if (slot.Done) {
                slot.Taken = true;
                wanted_ = Index + 1;
                if (slot.Failure) {
                    closed_ = true;
                    while (running_ > 0) {
                        Wait(lock);
                    }
                    std::rethrow_exception(slot.Failure);
                }
                return std::move(slot.Result);
            }
            if (!slot.Started && (closed_ || stopRequested_())) {
                closed_ = true;
                return std::nullopt;
            }
            Wait(lock);
        }
    }

private:
    struct TSlot {
        std::uint64_t Effort = 0;
        std::uint64_t Memory = 0;
        bool Started = false;
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

    // Whether item i may start now within the budget.
    bool Fits(std::size_t i) const {
        return budget_ == 0 || inFlight_ == 0 || inFlight_ + slots_[i].Memory <= budget_;
    }

    std::size_t Start(std::size_t i) {
        slots_[i].Started = true;
        inFlight_ += slots_[i].Memory;
        return i;
    }

    // The item to start next, with the lock held; none when no more is to
    // start, or (Held) none until an item in flight frees its memory.
    std::optional<std::size_t> Next(bool& Held) {
        Held = false;
        if (!closed_ && stopRequested_()) {
            closed_ = true;
        }
        if (closed_) {
            return std::nullopt;
        }
        while (front_ < limit_ && slots_[front_].Started) {
            ++front_;
        }
        if (wanted_ < limit_ && !slots_[wanted_].Started) {
            if (Fits(wanted_)) {
                return Start(wanted_);
            }
            Held = true;
            return std::nullopt;
        }
        std::optional<std::size_t> next;
        std::size_t seen = 0;
        for (std::size_t i = front_; i < limit_ && seen < window_; ++i) {
            if (!slots_[i].Started) {
                ++seen;
                if (!Fits(i)) {
                    Held = true;
                } else if (!next || slots_[i].Effort > slots_[*next].Effort) {
                    next = i;
                }
            }
        }
        if (next) {
            Held = false;
            return Start(*next);
        }
        return next;
    }

    void Serve() {
        LeaveDrainsToOtherThreads();
        for (;;) {
            std::optional<std::size_t> index;
            {
                std::unique_lock lock(mutex_);
                bool held = false;
                while (!(index = Next(held)) && held) {
                    changed_.wait_for(lock, std::chrono::milliseconds(5));
                }
            }
            if (!index) {
                break;
            }
            std::optional<TResult> result;
            std::exception_ptr failure;
            try {
                result.emplace(work_(*index));
            } catch (...) { // carried to the calling thread, raised in list order
                failure = std::current_exception();
            }
            {
                const std::lock_guard lock(mutex_);
                TSlot& slot = slots_[*index];
                slot.Result = std::move(result);
                slot.Failure = failure;
                slot.Done = true;
                inFlight_ -= slot.Memory;
                // What comes after a failure is of no use; what comes
                // before it may still fail first.
                if (failure) {
                    limit_ = std::min(limit_, *index);
                }
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
    std::size_t front_ = 0;  // every item before it has started
    std::size_t wanted_ = 0; // the item the calling thread takes next
    std::size_t limit_;      // no item from here on starts: one has failed
    std::size_t window_ = 0;
    std::size_t running_ = 0;
    std::uint64_t budget_ = 0;   // 0: none
    std::uint64_t inFlight_ = 0; // the Memory of the items started and not done
    bool closed_ = false;
    std::vector<std::thread> threads_;
};

} // namespace vorpane
