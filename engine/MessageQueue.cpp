#include "MessageQueue.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vorpane {

namespace {

// Often enough for a responsive window, rarely enough that event handling
// never dominates the work.
constexpr auto kHookInterval = std::chrono::milliseconds(10);

std::atomic<TDrainHook> hook{nullptr};
bool inHook = false;
thread_local bool drainsHere = true;

// Raises the due flag every kHookInterval while it runs. It touches nothing
// but the flag, so the engine's state stays single-threaded.
class TDrainTicker {
public:
    TDrainTicker() = default;
    ~TDrainTicker() { Stop(); }
    TDrainTicker(const TDrainTicker&) = delete;
    TDrainTicker& operator=(const TDrainTicker&) = delete;

    void Start() {
        if (!thread_.joinable()) {
            thread_ = std::jthread([this](std::stop_token stop) { Tick(stop); });
        }
    }
    void Stop() {
        if (thread_.joinable()) {
            thread_.request_stop();
            thread_.join();
            thread_ = std::jthread();
        }
    }

private:
    void Tick(std::stop_token stop) {
        std::unique_lock lock(mutex_);
        while (!stop.stop_requested()) {
            // Nothing notifies the variable: the wait ends by timeout or by stop.
            wake_.wait_for(lock, stop, kHookInterval, [] { return false; });
            detail::drainDue.store(true, std::memory_order_relaxed);
        }
    }

    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;
};

TDrainTicker& Ticker() {
    static TDrainTicker ticker;
    return ticker;
}

} // namespace

namespace detail {

std::atomic<bool> drainDue{false};

void RunDrainHook() {
    if (!drainsHere) {
        return;
    }
    drainDue.store(false, std::memory_order_relaxed);
    const TDrainHook current = hook.load(std::memory_order_relaxed);
    // A handler run by the hook may itself reach a drain point; running the
    // hook again from inside would nest event loops for no gain.
    if (current == nullptr || inHook) {
        return;
    }
    inHook = true;
    try {
        current();
    } catch (...) { // whatever the hook raised, the flag is cleared and it travels on
        inHook = false;
        throw;
    }
    inHook = false;
}

} // namespace detail

void LeaveDrainsToOtherThreads() {
    drainsHere = false;
}

void SetDrainHook(TDrainHook newHook) {
    hook.store(newHook, std::memory_order_relaxed);
    if (newHook != nullptr) {
        Ticker().Start();
    } else {
        Ticker().Stop();
        detail::drainDue.store(false, std::memory_order_relaxed);
    }
}

} // namespace vorpane
