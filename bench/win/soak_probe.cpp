// Measures what Wine itself keeps per call of the two system services the program uses that leak
// under Wine 8, in a process that does nothing else: a playback through MCI (the program's own
// command sequence on an MP3 of type MPEGVideo) and WaitForInputIdle on a started GUI program.
//   soak_probe mci CALLS FILE.mp3     soak_probe idle CALLS PROGRAM.exe
// Prints "handles_per_call=..", "event_handles_per_call=..", "key_handles_per_call=..",
// "anon_kib_per_call=..", "threads_per_call=..", "gdi_per_call=..", "windows_per_call=.." .
#include <windows.h>
// mmsystem.h needs windows.h before it.
#include <mmsystem.h>

#include <cstdio>
#include <string>

#include "bench/win/process_counters.h"

namespace {

const int kWarmUpCalls = 10;
const char kAlias[] = "soakprobe";

struct Counts {
    std::map<int, int> handles;
    int threads, gdi, windows;
    soak::Memory memory;
};

Counts counts_now() {
    DWORD self = GetCurrentProcessId();
    return {soak::handles_by_type(self), static_cast<int>(soak::thread_ids(self).size()),
            soak::gdi_count(GetCurrentProcess()), soak::window_count(self), soak::linux_memory("self")};
}

bool mci(const std::string& command, char* reply = nullptr, UINT size = 0) {
    return mciSendStringA(command.c_str(), reply, size, nullptr) == 0;
}

// What one of the program's playbacks asks of MCI, in its order.
void playback(const std::string& file) {
    mci(std::string("close ") + kAlias);
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = "MPEGVideo";
    open.lpstrElementName = file.c_str();
    open.lpstrAlias = kAlias;
    mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS, reinterpret_cast<DWORD_PTR>(&open));
    mci(std::string("set ") + kAlias + " time format milliseconds");
    char length[50] = {};
    mci(std::string("status ") + kAlias + " length", length, sizeof length);
    mci(std::string("play ") + kAlias);
    Sleep(static_cast<DWORD>(std::atoi(length)));  // the program's pause while the sound plays
    mci(std::string("stop ") + kAlias);
    mci(std::string("seek ") + kAlias + " to start");
    mci(std::string("close ") + kAlias);
}

// What the web-page button does with the browser it starts.
void started_and_waited_for(const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + program + "\" probe";
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return;
    WaitForInputIdle(process.hProcess, 1000);
    // The program does not wait for the browser; the probe does, so that the started process is
    // gone before the counting and only what the waiting left is seen.
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

int count_of(const std::map<int, int>& counts, int type) {
    auto found = counts.find(type);
    return found == counts.end() ? 0 : found->second;
}

// The growth of one call as the most frequent one over all calls: what Wine keeps every time, not
// the few objects that a call makes once (a cache filled, a library's first use).
int usual(std::vector<int> growths) {
    std::map<int, int> seen;
    for (int growth : growths) ++seen[growth];
    int best = 0, times = -1;
    for (const auto& [growth, count] : seen) {
        if (count > times) best = growth, times = count;
    }
    return best;
}

struct Growths {
    std::vector<int> handles, events, keys, threads, gdi, windows;
    std::vector<long> anon_kib, rss_kib;  // after each call
};

// KiB per call in the steady state: the slope of a least-squares line through the memory after
// each call of the second half. The first calls also fill heaps and caches once, which a long
// running program has long done.
double steady_slope(const std::vector<long>& after_call) {
    size_t from = after_call.size() / 2, n = after_call.size() - from;
    if (n < 2) return 0;
    double mean_x = 0, mean_y = 0;
    for (size_t i = from; i < after_call.size(); ++i) mean_x += double(i) / n, mean_y += double(after_call[i]) / n;
    double covariance = 0, variance = 0;
    for (size_t i = from; i < after_call.size(); ++i) {
        covariance += (double(i) - mean_x) * (double(after_call[i]) - mean_y);
        variance += (double(i) - mean_x) * (double(i) - mean_x);
    }
    return covariance / variance;
}

void add(Growths& growths, const Counts& before, const Counts& after, int event_type, int key_type) {
    growths.handles.push_back(count_of(after.handles, -1) - count_of(before.handles, -1));
    growths.events.push_back(count_of(after.handles, event_type) - count_of(before.handles, event_type));
    growths.keys.push_back(count_of(after.handles, key_type) - count_of(before.handles, key_type));
    growths.threads.push_back(after.threads - before.threads);
    growths.gdi.push_back(after.gdi - before.gdi);
    growths.windows.push_back(after.windows - before.windows);
    growths.anon_kib.push_back(after.memory.anon_kib);
    growths.rss_kib.push_back(after.memory.rss_kib);
}

void report(const Growths& growths, const Counts& first, const Counts& last, int calls, int event_type, int key_type) {
    auto total = [&](int type) { return count_of(last.handles, type) - count_of(first.handles, type); };
    std::printf("calls=%d\n", calls);
    std::printf("handles_per_call=%d\nevent_handles_per_call=%d\nkey_handles_per_call=%d\n", usual(growths.handles),
                usual(growths.events), usual(growths.keys));
    std::printf("threads_per_call=%d\ngdi_per_call=%d\nwindows_per_call=%d\n", usual(growths.threads),
                usual(growths.gdi), usual(growths.windows));
    std::printf("handles_total=%d\nevent_handles_total=%d\nkey_handles_total=%d\n", total(-1), total(event_type),
                total(key_type));
    std::printf("anon_kib_per_call=%.3f\n", steady_slope(growths.anon_kib));
    std::printf("rss_kib_per_call=%.3f\n", steady_slope(growths.rss_kib));
    std::printf("anon_kib_per_call_over_all_calls=%.3f\n",
                double(last.memory.anon_kib - first.memory.anon_kib) / calls);
    std::printf("event_type=%d\nkey_type=%d\n", event_type, key_type);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: soak_probe mci|idle CALLS FILE\n");
        return 2;
    }
    std::string mode = argv[1], file = argv[3];
    int calls = std::atoi(argv[2]);
    auto call = [&] { mode == "mci" ? playback(file) : started_and_waited_for(file); };
    for (int i = 0; i < kWarmUpCalls; ++i) call();
    // The types of an event and a registry key, to tell the handles apart.
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key);
    int event_type = soak::type_index_of(event), key_type = soak::type_index_of(key);
    RegCloseKey(key);
    CloseHandle(event);
    Growths growths;
    Counts first = counts_now(), before = first;
    for (int i = 0; i < calls; ++i) {
        call();
        Counts after = counts_now();
        add(growths, before, after, event_type, key_type);
        before = after;
    }
    report(growths, first, before, calls, event_type, key_type);
    return 0;
}
