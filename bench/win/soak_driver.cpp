// The soak: uses a copy of tarvik.exe from outside, as a user would, for thousands of operations
// against the stand-in service, and counts the process's handles, GDI objects, windows, threads and
// memory after every operation has finished. Wine's own per-call leaks (measured by soak_probe in
// the same session) are subtracted from the figures by the number of calls made.
//   soak_driver soak --exe E --port P --minutes M --ops N --csv F --summary F
//               [--mci-handles H --mci-kib K --idle-handles H --warm-up N --seed S]
//   soak_driver closing --exe E --port P --cycles N --summary F [--seed S]
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/win/process_counters.h"

namespace {

using Clock = std::chrono::steady_clock;

// The main window's controls are numbered from 1000 in the order of the window's table.
const int kFirstControlId = 1000;
enum ControlId : int {
    kUrlBox = kFirstControlId + 1,
    kWebLanguageList = kFirstControlId + 3,
    kWebButton = kFirstControlId + 4,
    kResultBox = kFirstControlId + 6,
    kSourceBox = kFirstControlId + 8,
    kSourceList = kFirstControlId + 11,
    kTargetList = kFirstControlId + 13,
    kAutomaticBox = kFirstControlId + 14,
    kSwapButton = kFirstControlId + 15,
    kSourceSpeechButton = kFirstControlId + 16,
    kResultSpeechButton = kFirstControlId + 17,
    kTranslateButton = kFirstControlId + 18,
};
const UINT kSettingsCommand = 0x0100;
const int kEngineField = 2001;
const char kMainClass[] = "TarvikMainWindow";
const char kBrowserCalls[] = "C:\\tarvik_browser_calls.txt";
const int kMessageTimeoutMs = 30000;
const int kOperationDeadlineMs = 60000;
const int kRowEveryMs = 3000;
const int kSlowOperationMs = 5000;
const int kOperationsPerEngine = 125;
const char* const kEngines[] = {"classic", "libretranslate", "google-cloud", "lingva"};
const char* const kSpeechPaths[] = {"/translate_tts", "/v1/text:synthesize", "/api/v1/audio"};
const char* const kWords[] = {"Hello", "print", "window", "river", "table", "green", "Hi", "morning", "打印", "你好"};

std::map<std::string, std::string> options;

std::string option(const std::string& name, const std::string& fallback = "") {
    auto found = options.find(name);
    return found == options.end() ? fallback : found->second;
}
double number_option(const std::string& name, double fallback) {
    return std::atof(option(name, std::to_string(fallback)).c_str());
}
int warm_up_operations() { return static_cast<int>(number_option("warm-up", 100)); }

bool wait_until(const std::function<bool()>& condition, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

long long ms_since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// --- the stand-in service -------------------------------------------------------------------

std::string standin(const std::string& path) {
    std::string body;
    HINTERNET session = InternetOpenA("soak", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    std::string url = "http://127.0.0.1:" + option("port") + path;
    HINTERNET request = session ? InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                : nullptr;
    char chunk[4096];
    DWORD read = 0;
    while (request && InternetReadFile(request, chunk, sizeof chunk, &read) && read > 0) body.append(chunk, read);
    if (request) InternetCloseHandle(request);
    if (session) InternetCloseHandle(session);
    return body;
}

int speech_requests() {
    int total = 0;
    for (const char* path : kSpeechPaths) total += std::atoi(standin(std::string("/_count?path=") + path).c_str());
    return total;
}

// --- files ------------------------------------------------------------------------------------

std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string read_text(const std::string& path) {
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return text;
    char chunk[4096];
    size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, read);
    std::fclose(file);
    return text;
}

bool write_text(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

int lines_in(const std::string& path) {
    int lines = 0;
    for (char c : read_text(path)) lines += c == '\n';
    return lines;
}

std::string settings_text(const std::string& engine) {
    std::string address = "http://127.0.0.1:" + option("port");
    std::string text = "[translation]\r\nengine=" + engine + "\r\n";
    if (engine != "classic") text += "address=" + address + "\r\n";
    // Google's speech has an address of its own, which would otherwise be Google's.
    if (engine == "google-cloud")
        text += "key=soak-key\r\n[speech]\r\nengine=google-cloud\r\naddress=" + address + "\r\nkey=soak-key\r\n";
    std::string host = "127.0.0.1:" + option("port");
    return text + "[classic]\r\ntranslate_host=" + host + "\r\nspeech_host=" + host + "\r\nweb_host=" + host + "\r\n";
}

std::string temp_folder(const std::string& name) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    return std::string(base) + name;
}

// --- the program --------------------------------------------------------------------------------

struct Program {
    std::string folder;
    PROCESS_INFORMATION process{};
    HWND main = nullptr;
    std::string linux_pid;

    HWND control(int id) const { return GetDlgItem(main, id); }
    std::string ini() const { return folder + "\\tarvik.ini"; }
};

HWND visible_main_window_of(DWORD process) {
    for (HWND window = FindWindowExA(nullptr, nullptr, kMainClass, nullptr); window;
         window = FindWindowExA(nullptr, window, kMainClass, nullptr)) {
        if (soak::owner_of(window) == process && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

bool send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0, DWORD_PTR* answer = nullptr) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, message, w, l, SMTO_NORMAL, kMessageTimeoutMs, answer ? answer : &ignored) != 0;
}

bool start_program(Program& program, const std::string& folder, const std::string& engine) {
    program.folder = folder;
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string exe = folder + "\\tarvik.exe";
    if (!CopyFileA(option("exe").c_str(), exe.c_str(), FALSE) || !write_text(program.ini(), settings_text(engine)))
        return false;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &program.process))
        return false;
    if (!wait_until([&] { return (program.main = visible_main_window_of(program.process.dwProcessId)) != nullptr; },
                    kMessageTimeoutMs))
        return false;
    // Ready once its event loop answers, after the start-up handler.
    return send(program.main, WM_NULL) && program.control(kTranslateButton) != nullptr;
}

// Closes by the close box's message; the exit code, or STILL_ACTIVE when it did not end in time.
DWORD close_program(Program& program, long long* ms_to_exit = nullptr) {
    auto start = Clock::now();
    PostMessageA(program.main, WM_CLOSE, 0, 0);
    WaitForSingleObject(program.process.hProcess, kMessageTimeoutMs);
    if (ms_to_exit) *ms_to_exit = ms_since(start);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program.process.hProcess, &code);
    if (code == STILL_ACTIVE) TerminateProcess(program.process.hProcess, 1);
    CloseHandle(program.process.hThread);
    CloseHandle(program.process.hProcess);
    return code;
}

void remove_folder(const std::string& folder) {
    for (const std::string& name : files_in(folder)) DeleteFileA((folder + "\\" + name).c_str());
    RemoveDirectoryA(folder.c_str());
}

std::string text_of(HWND window) {
    DWORD_PTR length = 0;
    if (!send(window, WM_GETTEXTLENGTH, 0, 0, &length)) return "";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    send(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), &copied);
    text.resize(copied);
    return text;
}

void click(const Program& program, int id) { send(program.control(id), BM_CLICK); }

// Keys typed into the box arrive as the characters a keyboard makes, one message each, sent so
// that they land in order. Chinese comes in whole, as from an input method, since a WM_CHAR
// between processes does not carry a GBK pair into an ANSI window under Wine.
bool type_text(const Program& program, const std::string& text) {
    HWND box = program.control(kSourceBox);
    send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    std::string expected;
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 && i + 1 < text.size()) {
            std::string pair = text.substr(i++, 2);
            send(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pair.c_str()));
            expected += pair;
        } else {
            send(box, WM_CHAR, c == '\n' ? '\r' : c, 1);
            expected += c == '\n' ? std::string("\r\n") : std::string(1, static_cast<char>(c));
        }
    }
    if (text_of(box) == expected) return true;
    std::fprintf(stderr, "soak: typed \"%s\", the box shows \"%s\"\n", expected.c_str(), text_of(box).c_str());
    return false;
}

void set_text(const Program& program, int id, const std::string& text) {
    send(program.control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Alt+S in the source box: this thread shares the program's input state, so that the key-pressed
// handler sees Alt held, as it would with a real keyboard.
void alt_s(const Program& program) {
    BYTE state[256] = {};
    state[VK_MENU] = 0x80;
    SetKeyboardState(state);
    send(program.control(kSourceBox), WM_SYSKEYDOWN, 'S', (1 << 29) | 1);
    state[VK_MENU] = 0;
    SetKeyboardState(state);
}

void pick(const Program& program, int list, int index) {
    send(program.control(list), CB_SETCURSEL, index);
    send(program.main, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(program.control(list)));
}

HWND settings_dialog_of(DWORD process) {
    for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window;
         window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
        if (soak::owner_of(window) == process && IsWindowVisible(window) && GetDlgItem(window, kEngineField))
            return window;
    }
    return nullptr;
}

// The engine changes as a user changes it: the settings file is written (as by hand), the dialog
// opened from the system menu reads it afresh, and 确定 saves it and puts it in force.
bool switch_engine(const Program& program, const std::string& engine) {
    if (!write_text(program.ini(), settings_text(engine))) return false;
    PostMessageA(program.main, WM_SYSCOMMAND, kSettingsCommand, 0);
    HWND dialog = nullptr;
    if (!wait_until([&] { return (dialog = settings_dialog_of(program.process.dwProcessId)) != nullptr; }, 10000))
        return false;
    bool shown = text_of(GetDlgItem(dialog, kEngineField)) == engine;
    send(GetDlgItem(dialog, IDOK), BM_CLICK);
    bool closed = wait_until([&] { return settings_dialog_of(program.process.dwProcessId) == nullptr; }, 10000);
    return shown && closed && read_text(program.ini()).find("engine=" + engine) != std::string::npos;
}

// --- waiting for an operation to finish -----------------------------------------------------------

std::set<DWORD> thread_set(DWORD process) {
    std::vector<DWORD> ids = soak::thread_ids(process);
    return {ids.begin(), ids.end()};
}

// Work started by an operation runs on the thread the button or key made before it returned. It
// has finished when the threads new right after the operation have ended. The working-set
// trimmer replaces its timer thread once a minute; when that happened during the operation (a
// thread of before is gone), one new thread is the timer's, which lives a minute, and the last
// one left running is taken to be it. (The system's own threads that the first playback starts
// stay for the life of the process, so the process's whole set is no measure either.)
bool finished(DWORD process, const std::set<DWORD>& started, size_t replaced) {
    std::set<DWORD> now = thread_set(process);
    size_t running = 0;
    for (DWORD id : started) running += now.count(id);
    return running <= replaced;
}

// --- the soak -------------------------------------------------------------------------------------

enum class Operation {
    typed_translation,
    alt_s,
    multi_line,
    languages,
    swap,
    result_speech,
    source_speech,
    web_page,
    failed_request,
    engine_switch,
    count
};
const char* const kOperationNames[] = {"typed translation",
                                       "Alt+S",
                                       "multi-line translation",
                                       "language lists",
                                       "swap",
                                       "result speech",
                                       "source speech",
                                       "web-page button",
                                       "failed request",
                                       "engine switch (settings dialog)"};

struct Outcome {
    bool ok = true;
    int mci_opens = 0;    // playbacks, each one MCI open and close
    int idle_waits = 0;   // WaitForInputIdle calls
    bool worked = false;  // a worker thread was seen
};

struct Soak {
    Program program;
    std::mt19937 random;
    int operation = 0;
    int engine = 0;
    int word = 0;
    std::map<Operation, int> done, failed, without_work;
    int mci_opens = 0, idle_waits = 0, timeouts = 0;
    std::string fault;

    std::string next_word() { return std::string(kWords[random() % 10]) + " " + std::to_string(++word); }
    bool engine_speaks_itself() const { return engine >= 2; }
};

// The warm-up goes once round the engines and back to the first, so that the settings dialog and
// every engine's path have been used before the counting starts (a window's first openings fill
// caches that stay); after it, each engine holds for per-engine operations.
bool engine_switch_due(int operation) {
    int warm_up = warm_up_operations();
    int per_engine = static_cast<int>(number_option("per-engine", kOperationsPerEngine));
    int warm_up_turn = warm_up / 5;
    if (operation < warm_up) return warm_up_turn > 0 && operation > 0 && operation % warm_up_turn == 0;
    return operation > warm_up && (operation - warm_up) % per_engine == 0;
}

Operation choose(Soak& soak) {
    if (engine_switch_due(soak.operation)) return Operation::engine_switch;
    static const int kWeights[] = {3, 2, 2, 1, 1, 2, 2, 2, 1};
    int total = 0;
    for (int weight : kWeights) total += weight;
    int roll = static_cast<int>(soak.random() % total);
    for (int i = 0; i < 9; ++i) {
        if ((roll -= kWeights[i]) < 0) return static_cast<Operation>(i);
    }
    return Operation::typed_translation;
}

// The speech files the program writes beside itself; a download that fails leaves none.
const char kSourceSpeechFile[] = "zaz原文发音文件.mp3";
const char kResultSpeechFile[] = "zaz结果发音文件.mp3";

// A speech button pressed on a text not spoken before, so that every press downloads. A download
// that succeeded left its file, and that file was played: one MCI open and close (counted once
// the operation has finished).
Outcome speech(Soak& soak, int box, int button) {
    Outcome outcome;
    set_text(soak.program, box, soak.next_word());
    click(soak.program, button);
    outcome.worked = true;
    return outcome;
}

bool file_present(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

const char* const kFaults[] = {"status&code=500", "utf8bad", "nul", "status&code=403", "big&bytes=200000"};

Outcome run(Soak& soak, Operation operation, bool* speech_pending) {
    Program& program = soak.program;
    Outcome outcome;
    *speech_pending = false;
    switch (operation) {
        case Operation::typed_translation:
            outcome.ok = type_text(program, soak.next_word());
            click(program, kTranslateButton);
            break;
        case Operation::alt_s:
            outcome.ok = type_text(program, soak.next_word());
            alt_s(program);
            break;
        case Operation::multi_line:
            outcome.ok = type_text(program, soak.next_word() + "\n" + soak.next_word() + ". " + soak.next_word() +
                                                "\n\n" + soak.next_word());
            click(program, kTranslateButton);
            break;
        case Operation::languages: {
            DWORD_PTR count = 0;
            send(program.control(kTargetList), CB_GETCOUNT, 0, 0, &count);
            pick(program, kSourceList, static_cast<int>(soak.random() % std::max<DWORD_PTR>(count, 1)));
            pick(program, kTargetList, static_cast<int>(soak.random() % std::max<DWORD_PTR>(count, 1)));
            if (soak.random() % 2) click(program, kAutomaticBox);
            break;
        }
        case Operation::swap:
            click(program, kSwapButton);
            break;
        case Operation::result_speech:
            outcome = speech(soak, kResultBox, kResultSpeechButton);
            *speech_pending = true;
            break;
        case Operation::source_speech:
            outcome = speech(soak, kSourceBox, kSourceSpeechButton);
            *speech_pending = true;
            break;
        case Operation::web_page: {
            int calls = lines_in(kBrowserCalls);
            set_text(program, kUrlBox, "http://127.0.0.1/page" + std::to_string(soak.operation));
            pick(program, kWebLanguageList, static_cast<int>(soak.random() % 3));
            click(program, kWebButton);
            outcome.idle_waits = 1;
            outcome.ok = wait_until([&] { return lines_in(kBrowserCalls) > calls; }, 10000);
            break;
        }
        case Operation::failed_request: {
            soak.fault = kFaults[soak.random() % 5];
            standin(std::string("/_mode?fault=") + soak.fault);
            // A refused speech plays nothing only where an engine speaks; the classic speech writes
            // whatever came back, as it always has, so faults there go to translations.
            if (soak.engine_speaks_itself() && soak.random() % 2) {
                set_text(program, kResultBox, soak.next_word());
                click(program, kResultSpeechButton);
            } else {
                outcome.ok = type_text(program, soak.next_word());
                click(program, kTranslateButton);
            }
            break;
        }
        case Operation::engine_switch:
            soak.engine = (soak.engine + 1) % 4;
            outcome.ok = switch_engine(program, kEngines[soak.engine]);
            break;
        case Operation::count:
            break;
    }
    return outcome;
}

struct Sample {
    long long ms;
    int operations, handles, gdi, windows, threads;
    soak::Memory memory;
    int mci_opens, idle_waits;
    double program_handles, program_anon_kib;
};

Sample sample(const Soak& soak, Clock::time_point start) {
    const Program& program = soak.program;
    Sample s{};
    s.ms = ms_since(start);
    s.operations = soak.operation;
    s.handles = soak::handle_count(program.process.dwProcessId);
    s.gdi = soak::gdi_count(program.process.hProcess);
    s.windows = soak::window_count(program.process.dwProcessId);
    s.threads = static_cast<int>(soak::thread_ids(program.process.dwProcessId).size());
    s.memory = soak::linux_memory(program.linux_pid);
    s.mci_opens = soak.mci_opens;
    s.idle_waits = soak.idle_waits;
    s.program_handles =
        s.handles - number_option("mci-handles", 0) * s.mci_opens - number_option("idle-handles", 0) * s.idle_waits;
    s.program_anon_kib = s.memory.anon_kib - number_option("mci-kib", 0) * s.mci_opens;
    return s;
}

void write_row(FILE* csv, const Sample& s) {
    std::fprintf(csv, "%.1f,%d,%d,%.0f,%d,%d,%d,%ld,%ld,%ld,%.0f,%d,%d\n", s.ms / 1000.0, s.operations, s.handles,
                 s.program_handles, s.gdi, s.windows, s.threads, s.memory.rss_kib, s.memory.anon_kib, s.memory.data_kib,
                 s.program_anon_kib, s.mci_opens, s.idle_waits);
    std::fflush(csv);
}

// Runs one operation and waits until its work has finished; counts what Wine keeps for it.
void step(Soak& soak) {
    Program& program = soak.program;
    DWORD pid = program.process.dwProcessId;
    Operation operation = choose(soak);
    std::set<DWORD> before = thread_set(pid);
    bool speech_pending = false;
    Outcome outcome = run(soak, operation, &speech_pending);
    std::set<DWORD> after = thread_set(pid), started;
    for (DWORD id : after) {
        if (!before.count(id)) started.insert(id);
    }
    size_t replaced = 0;
    for (DWORD id : before) replaced += !after.count(id);
    outcome.worked = outcome.worked || !started.empty();
    auto began = Clock::now();
    if (!wait_until([&] { return finished(pid, started, replaced); }, kOperationDeadlineMs)) ++soak.timeouts;
    if (ms_since(began) > kSlowOperationMs) {
        std::fprintf(stderr, "soak: operation %d (%s %s) took %lld ms to finish; threads before %zu, now %zu\n",
                     soak.operation, kOperationNames[static_cast<int>(operation)],
                     operation == Operation::failed_request ? soak.fault.c_str() : "", ms_since(began), before.size(),
                     thread_set(pid).size());
    }
    if (operation == Operation::failed_request) standin("/_mode");  // the fault ends; the record stays
    if (speech_pending) {
        const char* file = operation == Operation::source_speech ? kSourceSpeechFile : kResultSpeechFile;
        outcome.mci_opens = file_present(program.folder + "\\" + file) ? 1 : 0;
    }
    bool needs_work = operation != Operation::languages && operation != Operation::swap &&
                      operation != Operation::web_page && operation != Operation::engine_switch;
    if (needs_work && !outcome.worked) ++soak.without_work[operation];
    if (!outcome.ok) ++soak.failed[operation];
    ++soak.done[operation];
    soak.mci_opens += outcome.mci_opens;
    soak.idle_waits += outcome.idle_waits;
    ++soak.operation;
}

struct Extremes {
    Sample start{}, end{}, highest{};
    std::string gdi_start, gdi_end, handles_start, handles_end;
    int ops_with_growth = 0;
    double most_handle_growth = 0;
};

void track(Extremes& extremes, const Sample& s) {
    extremes.end = s;
    extremes.highest.handles = std::max(extremes.highest.handles, s.handles);
    extremes.highest.program_handles = std::max(extremes.highest.program_handles, s.program_handles);
    extremes.highest.gdi = std::max(extremes.highest.gdi, s.gdi);
    extremes.highest.windows = std::max(extremes.highest.windows, s.windows);
    extremes.highest.threads = std::max(extremes.highest.threads, s.threads);
    extremes.highest.program_anon_kib = std::max(extremes.highest.program_anon_kib, s.program_anon_kib);
    bool grown = s.program_handles > extremes.start.program_handles || s.gdi > extremes.start.gdi ||
                 s.windows > extremes.start.windows || s.threads > extremes.start.threads;
    extremes.ops_with_growth += grown;
}

void write_summary(const Soak& soak, const Extremes& e, long long ms, DWORD exit_code, const std::string& leftovers) {
    FILE* out = std::fopen(option("summary").c_str(), "wb");
    if (!out) return;
    auto row = [&](const char* name, double start, double end, double highest) {
        std::fprintf(out, "%s_start=%.0f\n%s_end=%.0f\n%s_highest=%.0f\n", name, start, name, end, name, highest);
    };
    std::fprintf(out, "operations=%d\nwarm_up=%d\nseconds=%.0f\n", soak.operation, e.start.operations, ms / 1000.0);
    row("handles", e.start.handles, e.end.handles, e.highest.handles);
    row("program_handles", e.start.program_handles, e.end.program_handles, e.highest.program_handles);
    row("gdi", e.start.gdi, e.end.gdi, e.highest.gdi);
    row("windows", e.start.windows, e.end.windows, e.highest.windows);
    row("threads", e.start.threads, e.end.threads, e.highest.threads);
    row("rss_kib", e.start.memory.rss_kib, e.end.memory.rss_kib, 0);
    row("anon_kib", e.start.memory.anon_kib, e.end.memory.anon_kib, 0);
    row("data_kib", e.start.memory.data_kib, e.end.memory.data_kib, 0);
    row("program_anon_kib", e.start.program_anon_kib, e.end.program_anon_kib, e.highest.program_anon_kib);
    std::fprintf(out, "mci_opens_after_warm_up=%d\nidle_waits_after_warm_up=%d\n", e.end.mci_opens - e.start.mci_opens,
                 e.end.idle_waits - e.start.idle_waits);
    std::fprintf(out, "mci_opens=%d\nidle_waits=%d\ntimeouts=%d\nops_with_growth=%d\n", soak.mci_opens, soak.idle_waits,
                 soak.timeouts, e.ops_with_growth);
    for (int i = 0; i < static_cast<int>(Operation::count); ++i) {
        auto op = static_cast<Operation>(i);
        auto get = [&](const std::map<Operation, int>& counts) { return counts.count(op) ? counts.at(op) : 0; };
        std::fprintf(out, "op=%s|%d|%d|%d\n", kOperationNames[i], get(soak.done), get(soak.failed),
                     get(soak.without_work));
    }
    std::fprintf(out, "gdi_by_type_start=%s\ngdi_by_type_end=%s\n", e.gdi_start.c_str(), e.gdi_end.c_str());
    std::fprintf(out, "handles_by_type_start=%s\nhandles_by_type_end=%s\n", e.handles_start.c_str(),
                 e.handles_end.c_str());
    for (const char* path : {"/translate_a", "/translate_tts", "/translate", "/language/translate/v2",
                             "/v1/text:synthesize", "/api/v1/audio", "/api/v1/"}) {
        std::fprintf(out, "requests %s=%s\n", path, standin(std::string("/_count?path=") + path).c_str());
    }
    std::fprintf(out, "exit_code=%lu\nleft_behind=%s\n", exit_code, leftovers.c_str());
    std::fclose(out);
}

std::string leftovers_in(const std::string& folder, const std::set<std::string>& expected) {
    std::string left;
    for (const std::string& name : files_in(folder)) {
        if (!expected.count(name)) left += (left.empty() ? "" : " ") + name;
    }
    return left;
}

int soak_run() {
    Soak soak;
    soak.random.seed(static_cast<unsigned>(number_option("seed", 16)));
    std::string folder = temp_folder("tarvik_soak_" + std::to_string(GetCurrentProcessId()));
    standin("/_reset");
    DeleteFileA(kBrowserCalls);
    if (!start_program(soak.program, folder, "classic")) {
        std::fprintf(stderr, "soak: the program did not start\n");
        return 1;
    }
    soak.program.linux_pid = soak::linux_pid_with("tarvik_soak_" + std::to_string(GetCurrentProcessId()));
    // Sharing the program's input state lets Alt be held for its key-pressed handler.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    AttachThreadInput(GetCurrentThreadId(), soak.program.process.dwThreadId, TRUE);

    FILE* csv = std::fopen(option("csv").c_str(), "wb");
    std::fprintf(csv,
                 "seconds,operations,handles,program_handles,gdi_objects,windows,threads,rss_kib,rss_anon_kib,"
                 "vm_data_kib,program_anon_kib,mci_opens,input_idle_waits\n");
    int warm_up = warm_up_operations();
    int limit = static_cast<int>(number_option("ops", 2100));
    long long budget_ms = static_cast<long long>(number_option("minutes", 25) * 60000);
    auto start = Clock::now();
    long long last_row = -kRowEveryMs;
    Extremes extremes;
    while (soak.operation < limit && ms_since(start) < budget_ms) {
        step(soak);
        if (soak.operation < warm_up) continue;
        Sample s = sample(soak, start);
        if (soak.operation == warm_up) {
            extremes.start = extremes.highest = s;
            extremes.gdi_start = soak::by_type_text(soak::gdi_by_type(soak.program.process.hProcess));
            extremes.handles_start = soak::by_type_text(soak::handles_by_type(soak.program.process.dwProcessId));
        }
        track(extremes, s);
        if (s.ms - last_row >= kRowEveryMs || soak.operation == warm_up) {
            write_row(csv, s);
            last_row = s.ms;
        }
    }
    write_row(csv, extremes.end);
    std::fclose(csv);
    extremes.gdi_end = soak::by_type_text(soak::gdi_by_type(soak.program.process.hProcess));
    extremes.handles_end = soak::by_type_text(soak::handles_by_type(soak.program.process.dwProcessId));
    AttachThreadInput(GetCurrentThreadId(), soak.program.process.dwThreadId, FALSE);
    DWORD code = close_program(soak.program);
    std::string left = leftovers_in(folder, {"tarvik.exe", "tarvik.ini"});
    write_summary(soak, extremes, ms_since(start), code, left);
    remove_folder(folder);
    return 0;
}

// --- closing during work ----------------------------------------------------------------------------

enum class Work { translation, speech_download, playback, engine_request, settings_dialog, count };
const char* const kWorkNames[] = {"translation", "speech download", "playback", "engine request",
                                  "settings dialog open"};

// Starts the work; returns once it is under way, ready for the close at a random moment.
bool start_work(Program& program, Work work) {
    switch (work) {
        case Work::translation:
            standin("/_mode?fault=stall&seconds=2");
            set_text(program, kSourceBox, "closing during a translation");
            click(program, kTranslateButton);
            return wait_until([] { return std::atoi(standin("/_count?path=/translate_a").c_str()) > 0; }, 10000);
        case Work::speech_download:
            standin("/_mode?fault=stall&seconds=2");
            set_text(program, kSourceBox, "closing during a download");
            click(program, kSourceSpeechButton);
            return wait_until([] { return speech_requests() > 0; }, 10000);
        case Work::playback:
            set_text(program, kSourceBox, "closing during playback");
            click(program, kSourceSpeechButton);
            return wait_until([] { return speech_requests() > 0; }, 10000);
        case Work::engine_request:
            standin("/_config?service=libretranslate&delay_ms=2000");
            return switch_engine(program, "libretranslate") &&
                   (set_text(program, kSourceBox, "closing during an engine request"), click(program, kTranslateButton),
                    wait_until([] { return std::atoi(standin("/_count?path=/translate").c_str()) > 0; }, 10000));
        case Work::settings_dialog:
            PostMessageA(program.main, WM_SYSCOMMAND, kSettingsCommand, 0);
            return wait_until([&] { return settings_dialog_of(program.process.dwProcessId) != nullptr; }, 10000);
        case Work::count:
            break;
    }
    return false;
}

int closing_run() {
    std::mt19937 random(static_cast<unsigned>(number_option("seed", 16)));
    int cycles = static_cast<int>(number_option("cycles", 25));
    std::vector<std::string> temp_before = files_in(temp_folder("").substr(0, temp_folder("").size() - 1));
    FILE* out = std::fopen(option("summary").c_str(), "wb");
    int problems = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        auto work = static_cast<Work>(cycle % static_cast<int>(Work::count));
        standin("/_reset");
        Program program;
        std::string folder =
            temp_folder("tarvik_closing_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(cycle));
        bool started = start_program(program, folder, "classic");
        std::string ini_before = read_text(program.ini());
        bool under_way = started && start_work(program, work);
        if (work == Work::engine_request) ini_before = read_text(program.ini());
        int delay = static_cast<int>(random() % 400);
        wait_until([] { return false; }, delay);  // the user's random moment, not a synchronisation
        long long ms = 0;
        DWORD code = started ? close_program(program, &ms) : STILL_ACTIVE;
        std::string left = leftovers_in(folder, {"tarvik.exe", "tarvik.ini"});
        bool ini_kept = read_text(program.ini()) == ini_before;
        bool sound = started && under_way && code == 0 && left.empty() && ini_kept;
        problems += !sound;
        std::fprintf(out, "closing=%s|%d|%s|%lu|%lld|%s|%s\n", kWorkNames[static_cast<int>(work)], delay,
                     under_way ? "under way" : "NOT STARTED", code, ms, left.empty() ? "-" : left.c_str(),
                     ini_kept ? "kept" : "CHANGED");
        remove_folder(folder);
    }
    standin("/_reset");
    std::vector<std::string> temp_after = files_in(temp_folder("").substr(0, temp_folder("").size() - 1));
    std::set<std::string> known(temp_before.begin(), temp_before.end());
    std::string new_temp;
    for (const std::string& name : temp_after) {
        if (!known.count(name)) new_temp += " " + name;
    }
    std::fprintf(out, "new_in_temp=%s\nproblems=%d\n", new_temp.empty() ? "-" : new_temp.c_str(), problems);
    std::fclose(out);
    return problems == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak_driver soak|closing --name value ...\n");
        return 2;
    }
    for (int i = 2; i + 1 < argc; i += 2) options[std::string(argv[i]).substr(2)] = argv[i + 1];
    return std::string(argv[1]) == "soak" ? soak_run() : closing_run();
}
