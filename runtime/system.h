// File, process, message and sleep services (Windows only).
#pragma once

#include <optional>
#include <vector>

#include "runtime/text.h"

namespace runtime {

// Directory of the running executable, without a trailing backslash.
Text program_directory();
bool remove_file(const Text& path);
// True when a file-system search for the path finds an entry (wildcards allowed, directories count).
bool file_exists(const Text& path);
// Creates or truncates the file and writes the buffers in order. A partly written file stays on disk.
bool write_file(const Text& path, const std::vector<Bytes>& buffers);
inline bool write_file(const Text& path, const Bytes& buffer) { return write_file(path, std::vector<Bytes>{buffer}); }
// Window mode 1 hidden, 2 normal (default), 3 minimised, 4 maximised, 5 shown without activation, 6 minimised.
bool run_command_line(const Text& command_line, bool wait, std::optional<int> window_mode = std::nullopt);
// Dispatches the calling thread's pending messages; stops before a quit message and leaves it queued.
void process_events();
void set_focus(void* window);
void sleep_ms(int milliseconds);

}  // namespace runtime
