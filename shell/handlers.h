// The handlers bound to the main window's control events. Those that start long work return at
// once: the work runs on a thread of its own, guarded by its busy flag.
#pragma once

namespace shell {

void translate_command();
void translate_hot_key(int key_code, int modifier_state);  // Alt+S in 要翻译的
void result_speech_command();
void source_speech_command();
void web_page_command();
void web_page_key(int key_code, int modifier_state);  // Enter in 编辑框1
void source_language_picked();
void target_language_picked();
void swap_languages();

}  // namespace shell
