// tarvik.ini: beside the program, or in %APPDATA%\Tarvik when the program's folder cannot be
// written. Read with the system's profile functions, written whole, keys protected for the user.
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
// Writes the whole file anew to a temporary file and puts it in place of the old one in one step.
// False when that failed; the old file is then untouched.
bool save_settings(const Settings& settings);

// Where the file is read from, and where it is written (the first folder that takes a file).
Text settings_read_path();
Text settings_write_path();

// A key protected for the current Windows user, as stored: "dpapi:" and base64; and back. A key
// without the prefix was typed into the file by hand and is taken as it is.
std::optional<Text> protect_key(const Text& key);
std::optional<Text> unprotect_key(const Text& stored);
extern const char kProtectedPrefix[];

}  // namespace engines
