#include <windows.h>

#include "runtime/system.h"
#include "shell/controls.h"
#include "shell/resource_ids.h"
#include "shell/startup.h"
#include "shell/window_description.h"
#include "speech/speech_output.h"
#include "speech/tasks.h"

namespace shell {

using namespace runtime;

Text skinFilePath;
const char kSkinEnginePath[] = "C:\\WINDOWS\\system32\\jedata.dll";

namespace {

// One file under two spellings, both deliberate: the skin engine has always been handed the path
// with a forward slash, which skinFilePath keeps, while the removals name it with a backslash.
// Windows takes either separator, so both reach the same file.
const char kSkinFileWritten[] = "/tawny.skn";
const char kSkinFileRemoved[] = "\\tawny.skn";
const int kFirstSkin = 1;

}  // namespace

namespace {

Bytes embedded(int id) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    auto data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    return data ? Bytes(data, data + SizeofResource(nullptr, found)) : Bytes();
}

void ensure_skin_engine() {
    if (!file_exists(kSkinEnginePath)) write_file(kSkinEnginePath, embedded(IDR_SKIN_ENGINE));
}

// The engine is looked up beside the program first, then on the system's search path. A missing
// engine or export leaves the window unskinned: on an ordinary account the system directory is
// not writable, and a plain window serves the user better than no program at all.
void attach_skin(const Text& path) {
    using AttachEx = int(WINAPI*)(const char*, const char*);
    HMODULE engine = LoadLibraryA("jedata.dll");
    FARPROC found = engine ? GetProcAddress(engine, "SkinH_AttachEx") : nullptr;
    auto attach = reinterpret_cast<AttachEx>(reinterpret_cast<void*>(found));
    if (attach) attach(path.c_str(), "");
}

}  // namespace

bool apply_skin(int number) {
    if (number != kFirstSkin) return false;
    skinFilePath = program_directory() + kSkinFileWritten;
    write_file(skinFilePath, embedded(IDR_SKIN_1));
    attach_skin(skinFilePath);
    return true;
}

void startup_handler() {
    ensure_skin_engine();
    apply_skin(kFirstSkin);
    focus(Control::要翻译的);
    remove_file(speech::source_speech_file());
    remove_file(speech::result_speech_file());
    tasks::trimmerFlag = 1;
    tasks::start_thread(tasks::working_set_trimmer);
    remove_file(program_directory() + kSkinFileRemoved);
}

void shutdown_handler() {
    remove_file(speech::source_speech_file());
    remove_file(speech::result_speech_file());
    remove_file(program_directory() + kSkinFileRemoved);
}

}  // namespace shell
