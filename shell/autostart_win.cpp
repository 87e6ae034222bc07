#include <windows.h>

#include <string>

#include "runtime/handle.h"
#include "shell/autostart.h"

namespace shell {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValueName[] = L"Tarvik";

namespace {

struct RegistryKeyTraits {
    using Value = HKEY;
    static HKEY empty() { return nullptr; }
    static void close(HKEY key) { RegCloseKey(key); }
};

// Quoted, so that a folder with spaces in its name is not read as a program and its arguments.
std::wstring own_command() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return L"\"" + path + L"\"";
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

bool starts_with_windows() {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, &value[0], &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return CompareStringOrdinal(value.c_str(), -1, own_command().c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool set_start_with_windows(bool start) {
    HKEY raw_key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw_key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    runtime::Handle<RegistryKeyTraits> key(raw_key);
    LSTATUS status;
    if (start) {
        std::wstring command = own_command();
        status = RegSetValueExW(key.get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    } else {
        status = RegDeleteValueW(key.get(), kRunValueName);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    return status == ERROR_SUCCESS;
}

}  // namespace shell
