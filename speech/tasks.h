// Background work: detached threads, the busy flags that keep one run of each kind, the timed
// pause that workers wait with, and the working-set trimmer.
#pragma once

#include <atomic>
#include <initializer_list>
#include <optional>

namespace tasks {

// 1 while the work runs. A worker lowers its own flag as its last step.
extern std::atomic<int> translationBusy;
// While a hotkey's capture takes the text from the program in front.
extern std::atomic<int> captureBusy;
extern std::atomic<int> resultSpeechBusy;
extern std::atomic<int> sourceSpeechBusy;
extern std::atomic<int> trimmerFlag;

using Routine = void (*)(int parameter);
using ThreadHandle = void*;

// Runs the routine on a new thread. Without a handle output the handle is closed at once.
bool start_thread(Routine routine, std::optional<int> parameter = std::nullopt, ThreadHandle* handle = nullptr);
// Waits for the thread to end; no or a negative time-out waits without limit. False when the wait fails.
bool wait_for_thread(ThreadHandle handle, std::optional<int> timeout_ms = std::nullopt);
bool close_thread_handle(ThreadHandle handle);

// On the window thread: when none of the tested flags is 1, raises the routine's own flag and
// starts it on a new thread, which lowers the flag when the routine ends, however it ends. A failed
// start leaves the flag at 0. Raising the flag here rather than in the new thread is what keeps a
// quick second press out.
bool start_guarded(std::initializer_list<const std::atomic<int>*> tested, std::atomic<int>& own, void (*routine)());

// Dispatches this thread's messages, sleeps on a short-lived thread, then dispatches again.
void timed_pause(int milliseconds);

// Trims the working set at once and then every minute, while the trimmer flag is 1.
void working_set_trimmer(int unused = 0);
constexpr int kTrimPeriodMs = 60000;

}  // namespace tasks
