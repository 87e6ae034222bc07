// "开机时启动": the program in the current user's Run key, started when the user signs in.
#pragma once

namespace shell {

extern const wchar_t kRunKey[];
extern const wchar_t kRunValueName[];

// Whether the Run key starts this program (its own path, quoted).
bool starts_with_windows();
// Adds or removes the Run key's value; false when the registry refused.
bool set_start_with_windows(bool start);

}  // namespace shell
