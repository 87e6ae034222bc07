#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "runtime/system.h"
#include "shell/controls.h"

namespace shell {

namespace {

std::atomic<HWND> windows[kControlCount];

HWND window_of(Control control) { return windows[static_cast<int>(control)].load(); }

bool is_combo(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, "ComboBox") == 0;
}

// Text that may grow between asking for its length and fetching it is fetched again.
template <typename LengthOf, typename Fetch>
Text read_growing(LengthOf length_of, Fetch fetch) {
    for (;;) {
        LRESULT length = length_of();
        if (length <= 0) return Text();
        std::vector<char> buffer(length + 2);
        LRESULT copied = fetch(buffer.data(), static_cast<int>(buffer.size()));
        if (copied < 0) return Text();
        if (copied < static_cast<LRESULT>(buffer.size()) - 1) return Text(buffer.data(), copied);
    }
}

}  // namespace

void bind_control(Control control, void* window) { windows[static_cast<int>(control)] = static_cast<HWND>(window); }

void* native_window(Control control) { return window_of(control); }

Text content(Control control) {
    HWND window = window_of(control);
    if (!window) return Text();
    if (is_combo(window)) {
        LRESULT index = SendMessageA(window, CB_GETCURSEL, 0, 0);
        if (index < 0) return Text();
        return read_growing([&] { return SendMessageA(window, CB_GETLBTEXTLEN, index, 0); },
                            [&](char* buffer, int) {
                                return SendMessageA(window, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
                            });
    }
    return read_growing([&] { return SendMessageA(window, WM_GETTEXTLENGTH, 0, 0); },
                        [&](char* buffer, int size) {
                            return SendMessageA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
                        });
}

void set_content(Control control, const Text& text) {
    if (HWND window = window_of(control)) SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int selection(Control control) {
    HWND window = window_of(control);
    return window ? static_cast<int>(SendMessageA(window, CB_GETCURSEL, 0, 0)) : -1;
}

void set_selection(Control control, int index) {
    HWND window = window_of(control);
    if (!window) return;
    int last = static_cast<int>(SendMessageA(window, CB_GETCOUNT, 0, 0)) - 1;
    // CB_SETCURSEL keeps the old selection for indexes below -1, so they are made -1 here.
    SendMessageA(window, CB_SETCURSEL, std::clamp(index, -1, std::max(last, -1)), 0);
}

bool ticked(Control control) {
    HWND window = window_of(control);
    return window && SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void set_ticked(Control control, bool value) {
    if (HWND window = window_of(control)) SendMessageA(window, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void focus(Control control) {
    if (HWND window = window_of(control)) runtime::set_focus(window);
}

}  // namespace shell
