// The main window's controls by their names, and their properties, safe to use from any thread.
//
// Reads and writes go through SendMessage: from a worker thread Windows runs them on the window's
// thread and returns only when the control has changed, so a worker's write has landed before it
// goes on. Writes by the program fire no list-item-selected event.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "runtime/text.h"

namespace shell {

using runtime::Text;

enum class Control {
    源语言标签2,
    编辑框1,
    源语言标签1,
    源语言组合框1,
    翻译按钮1,
    已翻译的内容标签,
    已翻译结果,
    待翻译的内容标签,
    要翻译的,
    媒体播放1,
    源语言标签,
    源语言组合框,
    目标语言标签,
    目标语言组合框,
    选择框1,
    互换按钮,
    朗读按钮1,
    朗读按钮,
    翻译按钮,
};
constexpr int kControlCount = static_cast<int>(Control::翻译按钮) + 1;

// Edit box: its whole text. Combo box: the text of the selected item (empty when none).
Text content(Control control);
// The contents of several controls read in one visit to the window's thread, in the order asked:
// a worker that needs them together waits for one round trip instead of one per control.
std::vector<Text> contents(std::initializer_list<Control> controls);
void set_content(Control control, const Text& text);
// Combo box: 0-based index of the selected item, -1 when none.
int selection(Control control);
// Past the last item selects the last item; -1 or less selects nothing.
void set_selection(Control control, int index);
bool ticked(Control control);
void set_ticked(Control control, bool value);
void focus(Control control);

// The native window of a control, for the window that creates the controls and for tests.
void bind_control(Control control, void* window);
// The controls' parent window passes its messages here first; true when the message was a read
// by contents() and has been answered.
bool answer_control_request(unsigned message, std::intptr_t argument);
void* native_window(Control control);
// The window that holds the controls.
void* parent_window();

}  // namespace shell
