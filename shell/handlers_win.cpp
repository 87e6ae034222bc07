#include "shell/handlers.h"

#include "shell/controls.h"
#include "shell/window_description.h"
#include "speech/pronunciation.h"
#include "translate/worker.h"

namespace shell {

void translate_hot_key(int key_code, int modifier_state) {
    if (modifier_state == kAlt && key_code == 0x53) translate::translate_command();
}

void web_page_key(int key_code, int) {
    if (key_code == 13) speech::web_page_translation();
}

void source_language_picked() { set_ticked(Control::选择框1, false); }

void target_language_picked() { set_ticked(Control::选择框1, false); }

void swap_languages() {
    int source = selection(Control::源语言组合框);
    set_selection(Control::源语言组合框, selection(Control::目标语言组合框));
    set_selection(Control::目标语言组合框, source);
    set_ticked(Control::选择框1, false);
}

}  // namespace shell
