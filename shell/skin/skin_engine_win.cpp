// Tarvik's small skin engine: SkinH_AttachEx reads a skin file (our own "TARVIK-SKIN" text format)
// completely, then colours the calling thread's top-level windows and their controls.
//
//   TARVIK-SKIN 1
//   window=C8A26E        background of the windows (hex RRGGBB)
//   text=3B2412          text of labels, check boxes and buttons
//   edit=FFFFFF          edit box background, edit_text its text
//   list=FBEBD0          list background, list_text its text
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

// The procedures the skin took over, by window. Kept here rather than in window properties: a
// property read is a trip to the window server on some systems, and every message of a skinned
// window needs its old procedure.
std::mutex old_procs_mutex;
std::unordered_map<HWND, WNDPROC> old_procs;

WNDPROC old_proc_of(HWND window) {
    std::lock_guard<std::mutex> lock(old_procs_mutex);
    auto found = old_procs.find(window);
    return found == old_procs.end() ? nullptr : found->second;
}

struct Skin {
    COLORREF window = RGB(200, 162, 110);
    COLORREF text = RGB(59, 36, 18);
    COLORREF edit = RGB(255, 255, 255);
    COLORREF edit_text = RGB(0, 0, 0);
    COLORREF list = RGB(251, 235, 208);
    COLORREF list_text = RGB(43, 26, 14);
    HBRUSH window_brush = nullptr;
    HBRUSH edit_brush = nullptr;
    HBRUSH list_brush = nullptr;
};

Skin skin;

HANDLE open_in_code_page(const char* path, UINT code_page, DWORD flags) {
    int length = MultiByteToWideChar(code_page, flags, path, -1, nullptr, 0);
    if (length <= 0) return INVALID_HANDLE_VALUE;
    std::wstring wide_path(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(code_page, flags, path, -1, &wide_path[0], length);
    return CreateFileW(wide_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The path comes as 8-bit text, in UTF-8 or in the system's code page: a path that reads as UTF-8
// is tried that way first, so that a folder in any script is found.
HANDLE open_for_reading(const char* path) {
    HANDLE file = open_in_code_page(path, CP_UTF8, MB_ERR_INVALID_CHARS);
    return file != INVALID_HANDLE_VALUE ? file : open_in_code_page(path, CP_ACP, 0);
}

bool read_whole_file(const char* path, std::string& content) {
    HANDLE file = open_for_reading(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 20);
    if (ok) {
        content.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = content.empty() || (ReadFile(file, &content[0], static_cast<DWORD>(content.size()), &read, nullptr) &&
                                 read == content.size());
    }
    CloseHandle(file);
    return ok;
}

COLORREF parse_colour(const std::string& hex) {
    unsigned long value = std::strtoul(hex.c_str(), nullptr, 16);
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

bool parse_skin(const std::string& content, Skin& parsed) {
    if (content.compare(0, 13, "TARVIK-SKIN 1") != 0) return false;
    size_t at = 0;
    while (at < content.size()) {
        size_t end = content.find('\n', at);
        std::string line = content.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? content.size() : end + 1;
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals);
        COLORREF colour = parse_colour(line.substr(equals + 1));
        if (key == "window")
            parsed.window = colour;
        else if (key == "text")
            parsed.text = colour;
        else if (key == "edit")
            parsed.edit = colour;
        else if (key == "edit_text")
            parsed.edit_text = colour;
        else if (key == "list")
            parsed.list = colour;
        else if (key == "list_text")
            parsed.list_text = colour;
    }
    return true;
}

LRESULT paint_colours(HDC dc, COLORREF text, COLORREF background, HBRUSH brush) {
    SetTextColor(dc, text);
    SetBkColor(dc, background);
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT CALLBACK skinned_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    WNDPROC old = old_proc_of(window);
    if (!old) return DefWindowProcW(window, message, w, l);
    HDC dc = reinterpret_cast<HDC>(w);
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window, &client);
            FillRect(dc, &client, skin.window_brush);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            LRESULT own = CallWindowProcW(old, window, message, w, l);
            SetTextColor(dc, skin.text);
            // A control that asked to be transparent stays so.
            if (own == reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH))) return own;
            return paint_colours(dc, skin.text, skin.window, skin.window_brush);
        }
        case WM_CTLCOLOREDIT:
            return paint_colours(dc, skin.edit_text, skin.edit, skin.edit_brush);
        case WM_CTLCOLORLISTBOX:
            return paint_colours(dc, skin.list_text, skin.list, skin.list_brush);
        case WM_NCDESTROY: {
            std::lock_guard<std::mutex> lock(old_procs_mutex);
            old_procs.erase(window);
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
            break;
        }
    }
    return CallWindowProcW(old, window, message, w, l);
}

BOOL CALLBACK attach_window(HWND window, LPARAM) {
    {
        std::lock_guard<std::mutex> lock(old_procs_mutex);
        if (old_procs.count(window)) return TRUE;
        old_procs[window] = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    }
    // The wide functions keep the windows Unicode: text passes through the skin unconverted.
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(skinned_proc));
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
    return TRUE;
}

}  // namespace

// Returns 0 when the skin is in effect; the file is no longer needed once this returns.
extern "C" int WINAPI SkinH_AttachEx(const char* path, const char* /*password: our skins have none*/) {
    std::string content;
    Skin parsed;
    if (!path || !read_whole_file(path, content) || !parse_skin(content, parsed)) return 1;
    for (HBRUSH old : {skin.window_brush, skin.edit_brush, skin.list_brush}) {
        if (old) DeleteObject(old);
    }
    skin = parsed;
    skin.window_brush = CreateSolidBrush(skin.window);
    skin.edit_brush = CreateSolidBrush(skin.edit);
    skin.list_brush = CreateSolidBrush(skin.list);
    EnumThreadWindows(GetCurrentThreadId(), attach_window, 0);
    return 0;
}
