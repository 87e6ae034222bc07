#include <windows.h>
// (needs windows.h first)
#include <mmsystem.h>
#include <rpc.h>

#include <algorithm>
#include <climits>
#include <mutex>

#include "runtime/utf.h"
#include "speech/media_player.h"
#include "speech/speech_text.h"

namespace speech {

using runtime::Text;

namespace {

// Only one speech run uses the player at a time; the lock guards the player's fields against the
// window thread closing the device when the control goes.
std::recursive_mutex player_mutex;
Text alias;
Text file_path;
Text file_type;
bool video = false;
HWND display = nullptr;
std::function<void(const Text&, bool)> observer;

Text new_alias() {
    // UuidCreate is what CoCreateGuid calls to make the GUID; calling it directly spares loading
    // the COM libraries, which nothing else in the program needs. A GUID that is unique to this
    // computer only serves an alias as well.
    GUID guid;
    RPC_STATUS status = UuidCreate(&guid);
    if (status != RPC_S_OK && status != RPC_S_UUID_LOCAL_ONLY) return Text();
    RPC_WSTR text = nullptr;
    if (UuidToStringW(&guid, &text) != RPC_S_OK || !text) return Text();
    Text made;
    for (const unsigned short* c = text; *c; ++c) {
        if (*c != '-') made += static_cast<char>(*c);
    }
    RpcStringFreeW(&text);
    return made;
}

// Puts the alias in place of %s and the number in place of %d.
Text command_text(const char* format, long long number = 0) {
    Text text;
    for (const char* c = format; *c; ++c) {
        if (c[0] == '%' && c[1] == 's') {
            text += alias, ++c;
        } else if (c[0] == '%' && c[1] == 'd') {
            text += std::to_string(number), ++c;
        } else {
            text += *c;
        }
    }
    return text;
}

bool send(const char* format, long long number = 0, wchar_t* reply = nullptr, UINT reply_size = 0) {
    Text command = command_text(format, number);
    bool succeeded = mciSendStringW(runtime::wide(command).c_str(), reply, reply_size, nullptr) == 0;
    if (observer) observer(command, succeeded);
    return succeeded;
}

bool send_open(const Text& device_type) {
    std::wstring type = runtime::wide(device_type), element = runtime::wide(file_path), name = runtime::wide(alias);
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = type.c_str();
    open.lpstrElementName = element.c_str();
    open.lpstrAlias = name.c_str();
    bool succeeded = mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS,
                                     reinterpret_cast<DWORD_PTR>(&open)) == 0;
    if (observer) observer("MCI_OPEN type " + device_type + " element " + file_path + " alias " + alias, succeeded);
    return succeeded;
}

}  // namespace

void create_media_player() {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    alias = new_alias();
}

void destroy_media_player() {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    send("close %s");
}

Text media_alias() {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    return alias;
}

bool open_media(const Text& path) {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    send("close %s");
    file_path = path;
    file_type = media_file_type(path);
    bool opened = send_open(media_device_type(file_type));
    video = is_video_type(file_type);
    if (video && display) send("window %s handle %d", reinterpret_cast<long long>(display));
    return opened;
}

int media_length() {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    send("set %s time format milliseconds");
    wchar_t reply[50] = {};
    if (!send("status %s length", 0, reply, 50)) return 0;
    long long length = 0;
    for (const wchar_t* c = reply; *c >= L'0' && *c <= L'9' && length < INT_MAX; ++c)
        length = length * 10 + (*c - L'0');
    return static_cast<int>(std::min<long long>(length, INT_MAX));
}

bool play_media(int position, void* display_window) {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    bool window_set = true;
    HWND window = static_cast<HWND>(display_window);
    if (window && IsWindow(window)) {
        display = window;
        window_set = send("window %s handle %d", reinterpret_cast<long long>(window));
    }
    bool playing = position == -1 ? send("play %s") : send("play %s from %d", position);
    return window_set && playing;
}

bool stop_media() {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    if (!send("stop %s")) return false;
    send("seek %s to start");
    return true;
}

bool close_media() {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    return send("close %s");
}

void observe_media_commands(std::function<void(const Text& command, bool succeeded)> new_observer) {
    std::lock_guard<std::recursive_mutex> lock(player_mutex);
    observer = std::move(new_observer);
}

}  // namespace speech
