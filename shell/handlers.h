// The handlers bound to the main window's control events.
#pragma once

namespace shell {

void translate_hot_key(int key_code, int modifier_state);  // Alt+S in 要翻译的
void web_page_key(int key_code, int modifier_state);       // Enter in 编辑框1
void source_language_picked();
void target_language_picked();
void swap_languages();

}  // namespace shell
