#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "runtime/system.h"
#include "runtime/utf.h"
#include "shell/controls.h"

namespace shell {

namespace {

std::atomic<HWND> windows[kControlCount];

HWND window_of(Control control) { return windows[static_cast<int>(control)].load(); }

// One round trip for the usual short text; a longer one is fetched whole by its length, again if
// it grew in between. A drop-down list answers WM_GETTEXT with its selected item's text.
Text window_text(HWND window) {
    const LRESULT kSmall = 256;
    wchar_t small[kSmall];
    LRESULT copied = SendMessageW(window, WM_GETTEXT, kSmall, reinterpret_cast<LPARAM>(small));
    if (copied >= 0 && copied < kSmall - 1) return runtime::narrow(small, copied);
    for (;;) {
        LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
        if (length <= 0) return Text();
        std::vector<wchar_t> buffer(length + 2);
        copied = SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        if (copied < 0) return Text();
        if (copied < static_cast<LRESULT>(buffer.size()) - 1) return runtime::narrow(buffer.data(), copied);
    }
}

struct ContentsRequest {
    std::initializer_list<Control> controls;
    std::vector<Text> answers;
};

// Private to the controls' parent window, which hands it to answer_control_request.
const UINT kContentsRequest = WM_APP + 0x51;

void read_contents(ContentsRequest& request) {
    for (Control control : request.controls) request.answers.push_back(content(control));
}

}  // namespace

void bind_control(Control control, void* window) { windows[static_cast<int>(control)] = static_cast<HWND>(window); }

void* native_window(Control control) { return window_of(control); }

Text content(Control control) {
    HWND window = window_of(control);
    return window ? window_text(window) : Text();
}

std::vector<Text> contents(std::initializer_list<Control> controls) {
    ContentsRequest request{controls, {}};
    HWND first = controls.size() ? window_of(*controls.begin()) : nullptr;
    HWND parent = first ? GetParent(first) : nullptr;
    if (parent && GetWindowThreadProcessId(parent, nullptr) != GetCurrentThreadId()) {
        SendMessageW(parent, kContentsRequest, 0, reinterpret_cast<LPARAM>(&request));
    }
    // On the window's own thread, or when the window is gone, each control is read here (a gone
    // control reads as empty).
    if (request.answers.size() != controls.size()) {
        request.answers.clear();
        read_contents(request);
    }
    return request.answers;
}

bool answer_control_request(unsigned message, std::intptr_t argument) {
    if (message != kContentsRequest) return false;
    read_contents(*reinterpret_cast<ContentsRequest*>(argument));
    return true;
}

void set_content(Control control, const Text& text) {
    if (HWND window = window_of(control)) {
        SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(runtime::wide(text).c_str()));
    }
}

int selection(Control control) {
    HWND window = window_of(control);
    return window ? static_cast<int>(SendMessageW(window, CB_GETCURSEL, 0, 0)) : -1;
}

void set_selection(Control control, int index) {
    HWND window = window_of(control);
    if (!window) return;
    int last = static_cast<int>(SendMessageW(window, CB_GETCOUNT, 0, 0)) - 1;
    // CB_SETCURSEL keeps the old selection for indexes below -1, so they are made -1 here.
    SendMessageW(window, CB_SETCURSEL, std::clamp(index, -1, std::max(last, -1)), 0);
}

bool ticked(Control control) {
    HWND window = window_of(control);
    return window && SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void set_ticked(Control control, bool value) {
    if (HWND window = window_of(control)) SendMessageW(window, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void focus(Control control) {
    if (HWND window = window_of(control)) runtime::set_focus(window);
}

}  // namespace shell

namespace shell {

void* parent_window() {
    HWND control = window_of(Control::要翻译的);
    return control ? GetParent(control) : nullptr;
}

}  // namespace shell
