// DrainMessageQueue lets the program's window stay alive while the engine
// works on the window's thread. The engine calls it between the steps of all
// long work (hundreds of millions of times inside the resampler), so the
// common call must cost next to nothing: it reads one flag. A small ticker
// thread, running only while a hook is installed, raises that flag every
// 10 ms; the next call then runs the hook on the calling thread. Without a
// hook (the command line without signals, the tests) the flag never rises.
// Threads the engine starts to help leave the hook to the thread they work
// for, which keeps draining while it waits for them.
#pragma once

#include <atomic>

namespace vorpane {

using TDrainHook = void (*)();

// Installs the hook (nullptr removes it and stops the ticker). The hook runs
// on the thread that calls DrainMessageQueue, never re-entered, and must
// never wait.
void SetDrainHook(TDrainHook hook);

// From now on DrainMessageQueue does nothing on the calling thread, and
// leaves a due hook to the thread that serves the window. For threads that
// work for that one: a batch's workers, a resampler's helper.
void LeaveDrainsToOtherThreads();

namespace detail {
extern std::atomic<bool> drainDue;
void RunDrainHook();
} // namespace detail

inline void DrainMessageQueue() {
    if (detail::drainDue.load(std::memory_order_relaxed)) [[unlikely]] {
        detail::RunDrainHook();
    }
}

} // namespace vorpane
