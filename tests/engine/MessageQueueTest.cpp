#include "MessageQueue.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vorpane {
namespace {

int hookCalls = 0;
int nestedDrains = 0;
bool inside = false;

void CountingHook() {
    if (inside) {
        ++nestedDrains;
    }
    inside = true;
    ++hookCalls;
    DrainMessageQueue(); // a handler reaching a drain point must not nest
    inside = false;
}

void DrainFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) {
        for (int i = 0; i < 1000; ++i) {
            DrainMessageQueue();
        }
    }
}

TEST(DrainMessageQueue, RunsTheHookAboutEveryTenMillisecondsAndNeverNested) {
    hookCalls = 0;
    nestedDrains = 0;
    SetDrainHook(&CountingHook);
    DrainFor(std::chrono::milliseconds(200));
    SetDrainHook(nullptr);
    // 20 intervals; allow for a slow machine but not for a hook on every call.
    EXPECT_GE(hookCalls, 5);
    EXPECT_LE(hookCalls, 25);
    EXPECT_EQ(nestedDrains, 0);
}

TEST(DrainMessageQueue, DoesNothingWithoutAHook) {
    hookCalls = 0;
    SetDrainHook(&CountingHook);
    SetDrainHook(nullptr);
    DrainFor(std::chrono::milliseconds(50));
    EXPECT_EQ(hookCalls, 0);
}

} // namespace
} // namespace vorpane
