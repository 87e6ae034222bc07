// The settings that choose the services: read from tarvik.ini, written by the settings dialog.
// A missing file or key means the classic endpoints, exactly as the program has always used them.
#pragma once

#include <functional>
#include <optional>

#include "engines/ini_file.h"
#include "runtime/text.h"

namespace engines {

using runtime::Text;

// One [translation] or [speech] section: the engine's name as written, its address and its key.
extern const char kSelectionHotkey[];
extern const char kClipboardHotkey[];

struct ServiceSettings {
    Text engine = "classic";
    Text address;
    Text key;                     // in the clear once loaded; the file may hold it protected for the user
    bool key_unreadable = false;  // a protected key that this user cannot open
    // The key as the file holds it (protected, or typed in by hand), written back as it was; none
    // when the key was typed anew and is to be protected before it is written.
    std::optional<Text> stored_key = Text();
    Text region;  // Microsoft's resource region
    Text client;  // the client name the web endpoint is asked as
};

struct Settings {
    ServiceSettings translation;
    ServiceSettings speech;
    bool speech_section = false;  // whether the file has a [speech] section at all
    // The [classic] section: hosts of the classic endpoints, each with an optional ":port". Empty
    // means the build's host; only what the file says is written back.
    Text translate_host;
    Text speech_host;
    Text web_host;
    // [hotkeys]: the system-wide keys as written ("Ctrl+Alt+E"), empty for none. [window]: whether
    // minimizing puts the window away in the notification area.
    Text selection_hotkey = kSelectionHotkey;
    Text clipboard_hotkey = kClipboardHotkey;
    bool minimize_to_tray = true;
};

// The classic endpoints' hosts in force: the file's, or the build's.
Text translate_host(const Settings& settings);
Text speech_host(const Settings& settings);
Text web_host(const Settings& settings);

// Reads the settings through a lookup of one value by section and key (absent: nothing). Empty
// values count as absent, so a half-filled file falls back key by key.
using SettingLookup = std::function<std::optional<Text>(const char* section, const char* key)>;
Settings read_settings(const SettingLookup& lookup, bool has_speech_section);

// Writes what the settings dialog sets into the file's lines: both services' engines, addresses
// and stored keys (every key protected by the caller first), the [speech] section only when
// there is to be one, and the hotkeys. Lines that say the same already stay as they are.
void write_settings(IniLines& ini, const Settings& settings);

// Names as they stand in the file.
extern const char kClassic[];
extern const char kLibreTranslate[];
extern const char kGoogleCloud[];
extern const char kLingva[];
extern const char kDeepL[];
extern const char kMicrosoft[];
extern const char kGoogleWeb[];
extern const char kNoSpeech[];

}  // namespace engines
