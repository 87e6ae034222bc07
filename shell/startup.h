// Start-up and shutdown of the main window, and the skin.
#pragma once

#include "runtime/text.h"

namespace shell {

// The full path of the skin file last written.
extern runtime::Text skinFilePath;

extern const char kSkinEnginePath[];  // where the skin engine library is placed when missing

// Writes the skin's file next to the program and hands it to the skin engine. Only skin 1 is carried.
bool apply_skin(int number);

}  // namespace shell
