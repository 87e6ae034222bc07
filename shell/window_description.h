// The main window and its nineteen controls as data: kind, name, place, caption or items, and the
// handlers bound to their events. The window creates its controls from this table in one loop.
#pragma once

#include <vector>

#include "runtime/text.h"
#include "shell/controls.h"

namespace shell {

enum class Kind { label, edit, multiline_edit, drop_down_list, button, check_box, media_player };

struct ControlDescription {
    Control control;
    Kind kind;
    int left, top, width, height;
    const char* caption;
    // Bound events; null when the control has no handler for it.
    void (*clicked)();
    void (*item_selected)();
    void (*key_pressed)(int key_code, int modifier_state);
};

// The table's places are pixels at this DPI; the window lays them out at its own DPI with scaled().
constexpr int kDescriptionDpi = 96;

struct Rect {
    int left, top, width, height;
};

// A length of the table at another DPI, rounded to the nearest pixel.
int scaled(int pixels, int dpi);
Rect scaled_rect(const ControlDescription& description, int dpi);

struct WindowDescription {
    const char* caption;
    int width, height;  // outer size
};

const WindowDescription& main_window_description();
const std::vector<ControlDescription>& control_descriptions();
const ControlDescription& description_of(Control control);

// The items of a drop-down list and the one selected at start.
std::vector<runtime::Text> initial_items(Control list);
int initial_selection(Control list);

// Window events.
void startup_handler();
void shutdown_handler();

// Modifier state of a key-pressed event: 1 Ctrl, 2 Shift, 4 Alt, added up.
constexpr int kCtrl = 1, kShift = 2, kAlt = 4;

}  // namespace shell
