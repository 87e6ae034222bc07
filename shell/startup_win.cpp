#include <windows.h>

#include "runtime/system.h"
#include "runtime/utf.h"
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
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    auto data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    return data ? Bytes(data, data + SizeofResource(nullptr, found)) : Bytes();
}

void ensure_skin_engine() {
    if (!file_exists(kSkinEnginePath)) write_file(kSkinEnginePath, embedded(IDR_SKIN_ENGINE));
}

// The skin engine takes its path as 8-bit text: in the system's code page when the path can be
// written in it, as the engine has always been given it, and in UTF-8 when it cannot (a folder
// named in a script the code page lacks), which our engine reads as well.
std::string path_for_skin_engine(const Text& path) {
    std::wstring units = wide(path);
    BOOL lossy = FALSE;
    int count = static_cast<int>(units.size());
    // Under the UTF-8 code page these flags are refused and the UTF-8 path is kept, as it should be.
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units.c_str(), count, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return path;
    std::string in_code_page(size, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units.c_str(), count, &in_code_page[0], size, nullptr, &lossy);
    return lossy ? path : in_code_page;
}

// The engine is looked up beside the program first, then on the system's search path. A missing
// engine or export leaves the window unskinned: on an ordinary account the system directory is
// not writable, and a plain window serves the user better than no program at all.
void attach_skin(const Text& path) {
    using AttachEx = int(WINAPI*)(const char*, const char*);
    HMODULE engine = LoadLibraryW(L"jedata.dll");
    FARPROC found = engine ? GetProcAddress(engine, "SkinH_AttachEx") : nullptr;
    auto attach = reinterpret_cast<AttachEx>(reinterpret_cast<void*>(found));
    if (attach) attach(path_for_skin_engine(path).c_str(), "");
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
