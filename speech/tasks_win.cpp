#include <windows.h>

#include "runtime/system.h"
#include "speech/tasks.h"

namespace tasks {

std::atomic<int> translationBusy{0};
std::atomic<int> captureBusy{0};
std::atomic<int> resultSpeechBusy{0};
std::atomic<int> sourceSpeechBusy{0};
std::atomic<int> trimmerFlag{0};

namespace {

// What a new thread runs: a routine with its parameter, or a guarded routine and its busy flag.
struct ThreadStart {
    Routine routine = nullptr;
    std::optional<int> parameter;
    void (*guarded)() = nullptr;
    std::atomic<int>* busy = nullptr;
};

DWORD WINAPI thread_entry(LPVOID raw) {
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    // Nothing may escape a thread: a routine that fails simply ends, and its flag comes down.
    try {
        if (start.guarded) {
            start.guarded();
        } else {
            start.routine(start.parameter.value_or(0));
        }
    } catch (...) {
    }
    if (start.busy) *start.busy = 0;
    return 0;
}

bool spawn(ThreadStart* start, ThreadHandle* handle) {
    HANDLE thread = CreateThread(nullptr, 0, thread_entry, start, 0, nullptr);
    if (!thread) {
        delete start;
        return false;
    }
    if (handle) {
        *handle = thread;
    } else {
        CloseHandle(thread);
    }
    return true;
}

void sleeper(int milliseconds) { runtime::sleep_ms(milliseconds); }

}  // namespace

bool start_thread(Routine routine, std::optional<int> parameter, ThreadHandle* handle) {
    return spawn(new ThreadStart{routine, parameter, nullptr, nullptr}, handle);
}

bool wait_for_thread(ThreadHandle handle, std::optional<int> timeout_ms) {
    DWORD limit = (!timeout_ms || *timeout_ms < 0) ? INFINITE : static_cast<DWORD>(*timeout_ms);
    return WaitForSingleObject(static_cast<HANDLE>(handle), limit) != WAIT_FAILED;
}

bool close_thread_handle(ThreadHandle handle) { return CloseHandle(static_cast<HANDLE>(handle)) != 0; }

bool start_guarded(std::initializer_list<const std::atomic<int>*> tested, std::atomic<int>& own, void (*routine)()) {
    for (const std::atomic<int>* flag : tested) {
        if (flag->load() == 1) return false;
    }
    int idle = 0;
    if (!own.compare_exchange_strong(idle, 1)) return false;
    if (!spawn(new ThreadStart{nullptr, std::nullopt, routine, &own}, nullptr)) {
        own = 0;
        return false;
    }
    return true;
}

void timed_pause(int milliseconds) {
    runtime::process_events();
    ThreadHandle sleeper_thread = nullptr;
    if (start_thread(sleeper, milliseconds, &sleeper_thread)) {
        wait_for_thread(sleeper_thread);
        close_thread_handle(sleeper_thread);
    }
    runtime::process_events();
}

void working_set_trimmer(int) {
    while (trimmerFlag.load() == 1) {
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
        timed_pause(kTrimPeriodMs);
    }
}

}  // namespace tasks
