#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include "engines/settings_file.h"
#include "runtime/handle.h"
#include "runtime/shared_value.h"
#include "runtime/system.h"

namespace engines {

using runtime::Text;

const char kProtectedPrefix[] = "dpapi:";

namespace {

const char kFileName[] = "\\tarvik.ini";
const char kAppDataFolder[] = "\\Tarvik";
const DWORD kValueBuffer = 32768;

runtime::Shared<std::optional<Settings>> settingsInForce;

Text app_data_folder() {
    char buffer[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("APPDATA", buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return Text();
    return Text(buffer, length) + kAppDataFolder;
}

Text program_file() { return runtime::program_directory() + kFileName; }

bool file_present(const Text& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<Text> profile_value(const Text& path, const char* section, const char* key) {
    std::vector<char> buffer(kValueBuffer);
    // A key that is not there gives the default, which no written value can equal.
    const char kAbsent[] = "\x01";
    DWORD length = GetPrivateProfileStringA(section, key, kAbsent, buffer.data(), kValueBuffer, path.c_str());
    Text value(buffer.data(), length);
    if (value == kAbsent) return std::nullopt;
    return value;
}

// A section counts when it is written, with keys or without.
bool has_section(const Text& path, const char* section) {
    std::vector<char> names(kValueBuffer);
    DWORD length = GetPrivateProfileSectionNamesA(names.data(), kValueBuffer, path.c_str());
    for (DWORD at = 0; at < length && names[at];) {
        Text name(&names[at]);
        if (lstrcmpiA(name.c_str(), section) == 0) return true;
        at += static_cast<DWORD>(name.size()) + 1;
    }
    return false;
}

void reveal_key(ServiceSettings& service) {
    if (service.key.compare(0, sizeof kProtectedPrefix - 1, kProtectedPrefix) != 0) return;
    std::optional<Text> clear = unprotect_key(service.key);
    service.key_unreadable = !clear;
    service.key = clear ? *clear : Text();
}

bool protect_for_file(ServiceSettings& service) {
    if (service.key.empty()) return true;
    std::optional<Text> stored = protect_key(service.key);
    if (!stored) return false;
    service.key = *stored;
    return true;
}

// The first folder, of the program's and the user's, where a new file can be made.
Text writable_file() {
    Text folder = runtime::program_directory();
    Text probe = folder + "\\tarvik.ini.probe";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return folder + kFileName;
    }
    Text user = app_data_folder();
    if (user.empty()) return Text();
    CreateDirectoryA(user.c_str(), nullptr);
    return user + kFileName;
}

bool write_whole(const Text& path, const Text& text) {
    runtime::FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size() && FlushFileBuffers(file.get());
}

}  // namespace

Text settings_read_path() {
    Text beside = program_file();
    if (file_present(beside)) return beside;
    Text user = app_data_folder();
    return (!user.empty() && file_present(user + kFileName)) ? user + kFileName : beside;
}

Text settings_write_path() { return writable_file(); }

Settings load_settings() {
    Text path = settings_read_path();
    if (!file_present(path)) return Settings();
    Settings settings =
        read_settings([&](const char* section, const char* key) { return profile_value(path, section, key); },
                      has_section(path, "speech"));
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

bool save_settings(const Settings& settings) {
    Settings stored = settings;
    if (!protect_for_file(stored.translation) || !protect_for_file(stored.speech)) return false;
    Text path = settings_write_path();
    if (path.empty()) return false;
    Text temporary = path + ".new";
    if (!write_whole(temporary, settings_file_text(stored))) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    use_settings(settings);
    return true;
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
    if (CryptBinaryToStringA(sealed.pbData, sealed.cbData, flags, nullptr, &length)) {
        std::vector<char> text(length);
        if (CryptBinaryToStringA(sealed.pbData, sealed.cbData, flags, text.data(), &length)) {
            stored = kProtectedPrefix + Text(text.data(), length);
        }
    }
    LocalFree(sealed.pbData);
    return stored;
}

std::optional<Text> unprotect_key(const Text& stored) {
    Text base64 = stored.substr(sizeof kProtectedPrefix - 1);
    DWORD size = 0;
    if (!CryptStringToBinaryA(base64.c_str(), 0, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr)) {
        return std::nullopt;
    }
    std::vector<BYTE> bytes(size);
    if (!CryptStringToBinaryA(base64.c_str(), 0, CRYPT_STRING_BASE64, bytes.data(), &size, nullptr, nullptr)) {
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
    return key;
}

}  // namespace engines
