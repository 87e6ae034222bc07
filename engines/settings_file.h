// tarvik.ini: beside the program, or in %APPDATA%\Tarvik. The file that is read is the file that is
// written; keys are protected for the Windows user.
#pragma once

#include <optional>

#include "engines/settings.h"

namespace engines {

// The settings in force. The file is read at the first call, not at start-up; a translation or
// speech run takes one copy when it starts and keeps it to its end.
Settings current_settings();
// Puts settings in force without reading the file (after saving them, and for tests).
void use_settings(const Settings& settings);

Settings load_settings();

// The file: the one beside the program when it is there, else the one in the user's folder when
// that is there; with neither, beside the program when its folder takes a new file, else in the
// user's folder. Empty when there is no place at all (no %APPDATA%).
Text settings_path();

struct SaveResult {
    bool saved = false;
    Text problem;  // when not saved: what failed and why, in the user's words
};
// Protects the keys typed anew, writes the settings into the file's own lines (comments and all
// else kept) in a temporary file and puts it in place of the old one in one step; then puts the
// settings in force. When that fails the old file is untouched.
SaveResult save_settings(const Settings& settings);

// A key protected for the current Windows user, as stored: "dpapi:" and base64; and back. A key
// without the prefix was typed into the file by hand and is taken as it is.
std::optional<Text> protect_key(const Text& key);
std::optional<Text> unprotect_key(const Text& stored);
extern const char kProtectedPrefix[];

}  // namespace engines
