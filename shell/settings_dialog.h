// The settings dialog, opened from the main window's system menu: which engine translates and
// which speaks, their addresses and keys, the two hotkeys, and whether the program starts with
// Windows. 确定 writes tarvik.ini whole; 取消 changes nothing.
#pragma once

namespace shell {

// The system menu's item, in the range the system leaves to programs (a multiple of 16).
constexpr unsigned kSettingsCommand = 0x0100;
extern const char kSettingsMenuText[];
extern const char kSettingsDialogTitle[];

// The dialog's fields, by control identity.
enum SettingsField : int {
    kTranslationEngineField = 2001,
    kTranslationAddressField,
    kTranslationKeyField,
    kSpeechEngineField,
    kSpeechAddressField,
    kSpeechKeyField,
    kTranslationExtraField,  // the engine's own setting: Microsoft's region, the web endpoint's client
    kSelectionHotkeyField,
    kClipboardHotkeyField,
    kAutostartField,
};

void add_settings_menu_item(void* main_window);
// Modal: returns when the dialog is closed; true when settings were saved.
bool show_settings_dialog(void* owner);

}  // namespace shell
