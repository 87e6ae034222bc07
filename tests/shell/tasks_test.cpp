#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "speech/tasks.h"
#include "tests/win_test_support.h"

namespace {

std::atomic<int> runs{0};
std::atomic<bool> release{false};
std::atomic<int> ownFlag{0};

void counted_routine() {
    ++runs;
    while (!release) Sleep(1);
}

void failing_routine() {
    ++runs;
    while (!release) Sleep(1);
    throw std::runtime_error("the routine failed");
}

}  // namespace

TEST(Tasks, ABurstOfStartsGivesOneRun) {
    runs = 0;
    release = false;
    int started = 0;
    for (int i = 0; i < 500; ++i) started += tasks::start_guarded({&ownFlag}, ownFlag, counted_routine) ? 1 : 0;
    EXPECT_EQ(started, 1);
    EXPECT_EQ(ownFlag.load(), 1);
    release = true;
    ASSERT_TRUE(test_support::wait_until([] { return ownFlag.load() == 0; }));
    EXPECT_EQ(runs.load(), 1);
    // Another kind's flag that is raised keeps the routine from starting.
    std::atomic<int> other{1};
    EXPECT_FALSE(tasks::start_guarded({&other}, ownFlag, counted_routine));
    EXPECT_EQ(ownFlag.load(), 0);
}

TEST(Tasks, TheFlagComesDownWhenTheRoutineFails) {
    runs = 0;
    release = false;
    ASSERT_TRUE(tasks::start_guarded({}, ownFlag, failing_routine));
    ASSERT_TRUE(test_support::wait_until([] { return runs.load() == 1; }));
    EXPECT_EQ(ownFlag.load(), 1) << "the flag is up while the routine runs";
    release = true;
    ASSERT_TRUE(test_support::wait_until([] { return ownFlag.load() == 0; }));
    ASSERT_TRUE(tasks::start_guarded({}, ownFlag, counted_routine)) << "a failed run does not block the next";
    ASSERT_TRUE(test_support::wait_until([] { return ownFlag.load() == 0; }));
}

TEST(Tasks, ThreadsWaitsAndPauses) {
    tasks::ThreadHandle handle = nullptr;
    std::atomic<int> seen{0};
    static std::atomic<int>* target = &seen;
    ASSERT_TRUE(tasks::start_thread([](int value) { *target = value; }, 42, &handle));
    EXPECT_TRUE(tasks::wait_for_thread(handle));
    EXPECT_EQ(seen.load(), 42);
    EXPECT_TRUE(tasks::wait_for_thread(handle, 0));
    EXPECT_TRUE(tasks::close_thread_handle(handle));
    EXPECT_FALSE(tasks::wait_for_thread(nullptr, 10));
    tasks::timed_pause(0);
    tasks::timed_pause(-20);
    tasks::timed_pause(30);
}
