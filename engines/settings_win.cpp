#include <windows.h>
// (needs windows.h first)
#include <wincrypt.h>

#include <vector>

#include "engines/settings_file.h"
#include "runtime/handle.h"
#include "runtime/shared_value.h"
#include "runtime/system.h"
#include "runtime/utf.h"

namespace engines {

using runtime::Text;
using runtime::wide;

const char kProtectedPrefix[] = "dpapi:";

namespace {

const char kFileName[] = "\\tarvik.ini";
const char kAppDataFolder[] = "\\Tarvik";
// Earlier versions wrote the file in the Chinese code page, whatever the system's.
const UINT kEarlierCodePage = 936;

runtime::Shared<std::optional<Settings>> settingsInForce;

Text app_data_folder() {
    wchar_t buffer[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return Text();
    return runtime::narrow(buffer, length) + kAppDataFolder;
}

Text program_file() { return runtime::program_directory() + kFileName; }

bool file_present(const Text& path) { return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool folder_takes_files(const Text& folder) {
    HANDLE probe = CreateFileW(wide(folder + "\\tarvik.ini.probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return false;
    CloseHandle(probe);
    return true;
}

// The system's own words for an error code, on one line.
Text system_message(DWORD error) {
    wchar_t* text = nullptr;
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    Text message = text ? runtime::narrow(text, length) : Text();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    return message.empty() ? "错误 " + runtime::to_text(static_cast<int>(error)) : message;
}

std::optional<std::string> read_whole(const Text& path) {
    runtime::FileHandle file(CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

Text from_earlier_code_page(const std::string& bytes) {
    int count = MultiByteToWideChar(kEarlierCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (count <= 0) return Text();
    std::wstring units(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(kEarlierCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), &units[0], count);
    return runtime::narrow(units);
}

IniLines read_lines(const Text& path) {
    std::optional<std::string> bytes = read_whole(path);
    return bytes ? parse_ini(decode_settings_file(*bytes, from_earlier_code_page)) : IniLines();
}

void reveal_key(ServiceSettings& service) {
    if (service.key.compare(0, sizeof kProtectedPrefix - 1, kProtectedPrefix) != 0) return;
    std::optional<Text> clear = unprotect_key(service.key);
    service.key_unreadable = !clear;
    service.key = clear ? *clear : Text();
}

bool protect_typed_key(ServiceSettings& service) {
    if (service.stored_key) return true;
    std::optional<Text> stored = service.key.empty() ? Text() : protect_key(service.key);
    service.stored_key = stored;
    return stored.has_value();
}

// False, with the system's error code kept, when any step failed.
bool write_whole(const Text& path, const Text& text) {
    runtime::FileHandle file(
        CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size() && FlushFileBuffers(file.get());
}

bool replace_file(const Text& path, const Text& text) {
    Text temporary = path + ".new";
    bool done = write_whole(temporary, text) && MoveFileExW(wide(temporary).c_str(), wide(path).c_str(),
                                                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    DWORD error = GetLastError();
    if (!done) DeleteFileW(wide(temporary).c_str());
    SetLastError(error);
    return done;
}

Text write_problem(const Text& path, DWORD error) {
    return "无法保存设置：" + path + " 写不进去（" + system_message(error) +
           "）。原来的设置文件没有改动。请确认它不是只读的、没有被别的程序打开；它若在受保护的文件夹里（例如 "
           "Program Files），请以管理员身份运行 Tarvik 再保存，或者把它移到 %APPDATA%\\Tarvik\\ 里。";
}

}  // namespace

Text settings_path() {
    Text beside = program_file();
    if (file_present(beside)) return beside;
    Text user = app_data_folder();
    if (!user.empty() && file_present(user + kFileName)) return user + kFileName;
    if (folder_takes_files(runtime::program_directory())) return beside;
    return user.empty() ? Text() : user + kFileName;
}

Settings load_settings() {
    Text path = settings_path();
    if (path.empty() || !file_present(path)) return Settings();
    IniLines ini = read_lines(path);
    Settings settings =
        read_settings([&](const char* section, const char* key) { return ini_value(ini, section, key); },
                      ini_has_section(ini, "speech"));
    reveal_key(settings.translation);
    reveal_key(settings.speech);
    return settings;
}

Settings current_settings() {
    std::optional<Settings> settings = settingsInForce.get();
    if (settings) return *settings;
    Settings loaded = load_settings();
    settingsInForce.set(loaded);
    return loaded;
}

void use_settings(const Settings& settings) { settingsInForce.set(settings); }

SaveResult save_settings(const Settings& settings) {
    Settings stored = settings;
    if (!protect_typed_key(stored.translation) || !protect_typed_key(stored.speech)) {
        return {false, "无法保存设置：密钥没能为当前的 Windows 用户加密（" + system_message(GetLastError()) +
                           "）。原来的设置文件没有改动。"};
    }
    Text path = settings_path();
    if (path.empty()) {
        return {false,
                "无法保存设置：程序所在的文件夹不能写入，而环境变量 APPDATA 没有设置，找不到别的地方存放 "
                "tarvik.ini。请把 Tarvik 放到一个可以写入的文件夹里再保存。"};
    }
    if (Text folder = path.substr(0, path.rfind('\\')); folder == app_data_folder()) {
        CreateDirectoryW(wide(folder).c_str(), nullptr);
    }
    IniLines ini = read_lines(path);
    write_settings(ini, stored);
    if (!replace_file(path, ini_text(ini))) return {false, write_problem(path, GetLastError())};
    use_settings(stored);
    return {true, Text()};
}

std::optional<Text> protect_key(const Text& key) {
    DATA_BLOB clear{static_cast<DWORD>(key.size()), reinterpret_cast<BYTE*>(const_cast<char*>(key.data()))};
    DATA_BLOB sealed{};
    if (!CryptProtectData(&clear, L"Tarvik", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &sealed)) {
        return std::nullopt;
    }
    DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    DWORD length = 0;
    std::optional<Text> stored;
    if (CryptBinaryToStringW(sealed.pbData, sealed.cbData, flags, nullptr, &length)) {
        std::vector<wchar_t> text(length);
        if (CryptBinaryToStringW(sealed.pbData, sealed.cbData, flags, text.data(), &length)) {
            stored = kProtectedPrefix + runtime::narrow(text.data(), length);
        }
    }
    LocalFree(sealed.pbData);
    return stored;
}

std::optional<Text> unprotect_key(const Text& stored) {
    std::wstring base64 = wide(stored.substr(sizeof kProtectedPrefix - 1));
    DWORD size = 0;
    if (!CryptStringToBinaryW(base64.c_str(), 0, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr)) {
        return std::nullopt;
    }
    std::vector<BYTE> bytes(size);
    if (!CryptStringToBinaryW(base64.c_str(), 0, CRYPT_STRING_BASE64, bytes.data(), &size, nullptr, nullptr)) {
        return std::nullopt;
    }
    DATA_BLOB sealed{size, bytes.data()};
    DATA_BLOB clear{};
    if (!CryptUnprotectData(&sealed, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &clear)) {
        return std::nullopt;
    }
    Text key(reinterpret_cast<char*>(clear.pbData), clear.cbData);
    SecureZeroMemory(clear.pbData, clear.cbData);
    LocalFree(clear.pbData);
    return runtime::valid_utf8(key);
}

}  // namespace engines
