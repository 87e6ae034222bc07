// The capture's system on Windows: UI Automation, the clipboard, the keyboard.
#pragma once

#include <memory>

#include "shell/capture.h"

namespace shell {

// The clipboard is opened in the name of the window given (the program's own), so that what is
// put back on it can be owned. Used on a thread of its own, which it joins to COM while it lives.
std::unique_ptr<CaptureSystem> make_windows_capture_system(void* window);

}  // namespace shell
