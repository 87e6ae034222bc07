// What the soak counts of a process, read the ways that give real figures under Wine 8, where
// GetProcessHandleCount and GetGuiResources answer 0 for other processes and the process memory
// counters leave private bytes at 0.
#pragma once

#include <tlhelp32.h>
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace soak {

// NtQuerySystemInformation's handle lists: the extended one first, the older one where it is missing.
constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
// The PEB's GdiSharedHandleTable on x64, and the table's shape in Wine's ntgdi.h.
constexpr size_t kPebGdiTableOffset = 0xF8;
constexpr size_t kGdiEntrySize = 24;
constexpr size_t kGdiEntryTypeOffset = 14;
constexpr size_t kGdiMaxHandles = 0x10000;

struct ExtendedHandleEntry {
    PVOID object;
    ULONG_PTR process_id;
    ULONG_PTR handle;
    ULONG granted_access;
    USHORT back_trace_index;
    USHORT type_index;
    ULONG attributes;
    ULONG reserved;
};

struct HandleEntry {
    ULONG process_id;
    BYTE type_index;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK granted_access;
};

using QuerySystem = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

inline FARPROC ntdll(const char* name) { return GetProcAddress(GetModuleHandleA("ntdll.dll"), name); }

inline std::vector<char> system_information(ULONG kind) {
    auto query = reinterpret_cast<QuerySystem>(reinterpret_cast<void*>(ntdll("NtQuerySystemInformation")));
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        NTSTATUS status = query(kind, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 65536));
            continue;
        }
        if (status < 0) buffer.clear();
        return buffer;
    }
    return {};
}

// The process's handles by object type index; the total is under the key -1. Empty when neither
// list is available.
inline std::map<int, int> handles_by_type(DWORD process_id) {
    std::map<int, int> counts;
    std::vector<char> list = system_information(kSystemExtendedHandleInformation);
    if (!list.empty()) {
        ULONG_PTR count = *reinterpret_cast<ULONG_PTR*>(list.data());
        auto entries = reinterpret_cast<const ExtendedHandleEntry*>(list.data() + 2 * sizeof(ULONG_PTR));
        for (ULONG_PTR i = 0; i < count; ++i) {
            if (entries[i].process_id != process_id) continue;
            ++counts[entries[i].type_index];
            ++counts[-1];
        }
        return counts;
    }
    list = system_information(kSystemHandleInformation);
    if (list.empty()) return counts;
    ULONG count = *reinterpret_cast<ULONG*>(list.data());
    auto entries = reinterpret_cast<const HandleEntry*>(list.data() + sizeof(ULONG_PTR));
    for (ULONG i = 0; i < count; ++i) {
        if (entries[i].process_id != process_id) continue;
        ++counts[entries[i].type_index];
        ++counts[-1];
    }
    return counts;
}

inline int handle_count(DWORD process_id) {
    std::map<int, int> counts = handles_by_type(process_id);
    return counts.count(-1) ? counts[-1] : -1;
}

// The object type index of a handle of this process: used to name the types in the lists.
inline int type_index_of(HANDLE handle) {
    std::vector<char> list = system_information(kSystemExtendedHandleInformation);
    if (list.empty()) return -1;
    ULONG_PTR count = *reinterpret_cast<ULONG_PTR*>(list.data());
    auto entries = reinterpret_cast<const ExtendedHandleEntry*>(list.data() + 2 * sizeof(ULONG_PTR));
    for (ULONG_PTR i = 0; i < count; ++i) {
        if (entries[i].process_id == GetCurrentProcessId() && entries[i].handle == reinterpret_cast<ULONG_PTR>(handle))
            return entries[i].type_index;
    }
    return -1;
}

inline std::vector<DWORD> thread_ids(DWORD process_id) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == process_id) ids.push_back(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return ids;
}

// Live entries of the process's GDI handle table by object type (Wine's NTGDI_OBJ_* >> 16: 0x01 DC,
// 0x04 region, 0x08 palette, 0x09 bitmap, 0x0a font, 0x10 brush, 0x30 pen, 0x41 memory DC), read
// from its memory through its PEB; the total is under the key -1. Empty when it cannot be read.
inline std::map<int, int> gdi_by_type(HANDLE process) {
    std::map<int, int> counts;
    auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(ntdll("NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0) return counts;
    UINT64 table = 0;
    SIZE_T read = 0;
    auto peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    if (!ReadProcessMemory(process, peb + kPebGdiTableOffset, &table, sizeof table, &read) || !table) return counts;
    static std::vector<unsigned char> entries(kGdiMaxHandles * kGdiEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(), entries.size(), &read))
        return counts;
    counts[-1] = 0;
    for (size_t i = 0; i < read / kGdiEntrySize; ++i) {
        int type = entries[i * kGdiEntrySize + kGdiEntryTypeOffset];
        if (!type) continue;
        ++counts[type];
        ++counts[-1];
    }
    return counts;
}

inline int gdi_count(HANDLE process) {
    std::map<int, int> counts = gdi_by_type(process);
    return counts.count(-1) ? counts[-1] : -1;
}

// "type:count" pairs of a map of counts by type, the total left out.
inline std::string by_type_text(const std::map<int, int>& counts) {
    std::string text;
    char pair[32];
    for (const auto& [type, count] : counts) {
        if (type < 0) continue;
        std::snprintf(pair, sizeof pair, "%s%02x:%d", text.empty() ? "" : " ", type, count);
        text += pair;
    }
    return text;
}

inline DWORD owner_of(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner;
}

inline BOOL CALLBACK count_child(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

struct WindowCount {
    DWORD process_id;
    int count;
};

inline BOOL CALLBACK count_top_level(HWND window, LPARAM raw) {
    auto* counting = reinterpret_cast<WindowCount*>(raw);
    if (owner_of(window) != counting->process_id) return TRUE;
    ++counting->count;
    EnumChildWindows(window, count_child, reinterpret_cast<LPARAM>(&counting->count));
    return TRUE;
}

// The process's windows: top-level ones with all their descendants, and message-only ones. Wine 8
// keeps no per-process table of USER objects that another process could read, so windows are what
// is counted of them (menus, cursors and icons are not).
inline int window_count(DWORD process_id) {
    WindowCount counting{process_id, 0};
    EnumWindows(count_top_level, reinterpret_cast<LPARAM>(&counting));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
        if (owner_of(window) == process_id) count_top_level(window, reinterpret_cast<LPARAM>(&counting));
    }
    return counting.count;
}

// Memory as Linux sees the Wine process: VmRSS (working set), RssAnon (resident private memory)
// and VmData, in KiB, from /proc/PID/status ("self" for the calling process).
struct Memory {
    long rss_kib = -1, anon_kib = -1, data_kib = -1;
};

inline long status_field(const std::string& status, const char* name) {
    size_t at = status.find(name);
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + std::strlen(name));
}

inline Memory linux_memory(const std::string& linux_pid) {
    Memory memory;
    FILE* file = std::fopen(("Z:\\proc\\" + linux_pid + "\\status").c_str(), "rb");
    if (!file) return memory;
    std::string status(8192, '\0');
    status.resize(std::fread(&status[0], 1, status.size(), file));
    std::fclose(file);
    memory.rss_kib = status_field(status, "VmRSS:");
    memory.anon_kib = status_field(status, "RssAnon:");
    memory.data_kib = status_field(status, "VmData:");
    return memory;
}

// The Linux process whose command line holds the text: Wine shows a program's Windows path there.
inline std::string linux_pid_with(const std::string& text) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return "";
    std::string match;
    do {
        if (found.cFileName[0] < '1' || found.cFileName[0] > '9') continue;
        FILE* file = std::fopen((std::string("Z:\\proc\\") + found.cFileName + "\\cmdline").c_str(), "rb");
        if (!file) continue;
        std::string line(4096, '\0');
        line.resize(std::fread(&line[0], 1, line.size(), file));
        std::fclose(file);
        for (char& c : line) c = c ? c : ' ';
        if (line.find(text) != std::string::npos) match = found.cFileName;
    } while (match.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return match;
}

}  // namespace soak
