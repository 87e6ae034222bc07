// The main window as the translation and speech workers see it, over the controls.
#pragma once

#include "speech/pronunciation.h"

namespace shell {

// Safe from any thread: every read and write goes through control access.
speech::SpeechWindow& worker_window();

}  // namespace shell
