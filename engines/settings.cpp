#include "engines/settings.h"

#include "tarvik_config.h"

namespace engines {

const char kClassic[] = "classic";
const char kLibreTranslate[] = "libretranslate";
const char kGoogleCloud[] = "google-cloud";
const char kLingva[] = "lingva";
const char kDeepL[] = "deepl";
const char kMicrosoft[] = "microsoft";
const char kGoogleWeb[] = "google-web";
const char kNoSpeech[] = "none";
const char kSelectionHotkey[] = "Ctrl+Alt+E";
const char kClipboardHotkey[] = "Ctrl+Alt+C";

namespace {

void take(const SettingLookup& lookup, const char* section, const char* key, Text& value) {
    std::optional<Text> found = lookup(section, key);
    if (found && !found->empty()) value = *found;
}

void take_service(const SettingLookup& lookup, const char* section, ServiceSettings& service) {
    take(lookup, section, "engine", service.engine);
    take(lookup, section, "address", service.address);
    take(lookup, section, "key", service.key);
    take(lookup, section, "region", service.region);
    take(lookup, section, "client", service.client);
    service.stored_key = service.key;
}

// A value is one line of the file: a line break pasted into the dialog would start a new key.
Text one_line(const Text& value) {
    Text line = value;
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return line;
}

void write_service(IniLines& ini, const char* section, const ServiceSettings& service) {
    ini_set(ini, section, "engine", one_line(service.engine));
    ini_set(ini, section, "address", one_line(service.address));
    ini_set(ini, section, "key", one_line(service.stored_key.value_or(Text())));
    ini_set(ini, section, "region", one_line(service.region));
    ini_set(ini, section, "client", one_line(service.client));
}

// A hotkey's empty value turns it off, so it is read even when empty, and a default is written only
// over a value the file holds.
void take_hotkey(const SettingLookup& lookup, const char* key, Text& value) {
    if (std::optional<Text> found = lookup("hotkeys", key)) value = *found;
}

void write_hotkey(IniLines& ini, const char* key, const Text& value, const char* by_default) {
    if (value != by_default || ini_value(ini, "hotkeys", key)) ini_set(ini, "hotkeys", key, one_line(value), true);
}

Text or_build(const Text& host, const char* build_host) { return host.empty() ? Text(build_host) : host; }

}  // namespace

Text translate_host(const Settings& settings) { return or_build(settings.translate_host, TARVIK_TRANSLATE_HOST); }
Text speech_host(const Settings& settings) { return or_build(settings.speech_host, TARVIK_SPEECH_HOST); }
Text web_host(const Settings& settings) { return or_build(settings.web_host, TARVIK_WEB_HOST); }

Settings read_settings(const SettingLookup& lookup, bool has_speech_section) {
    Settings settings;
    take_service(lookup, "translation", settings.translation);
    settings.speech_section = has_speech_section;
    if (has_speech_section) take_service(lookup, "speech", settings.speech);
    take(lookup, "classic", "translate_host", settings.translate_host);
    take(lookup, "classic", "speech_host", settings.speech_host);
    take(lookup, "classic", "web_host", settings.web_host);
    take_hotkey(lookup, "selection", settings.selection_hotkey);
    take_hotkey(lookup, "clipboard", settings.clipboard_hotkey);
    std::optional<Text> tray = lookup("window", "minimize_to_tray");
    settings.minimize_to_tray = !tray || *tray != "0";
    return settings;
}

void write_settings(IniLines& ini, const Settings& settings) {
    write_service(ini, "translation", settings.translation);
    if (settings.speech_section) {
        write_service(ini, "speech", settings.speech);
    } else {
        ini_remove_section(ini, "speech");
    }
    write_hotkey(ini, "selection", settings.selection_hotkey, kSelectionHotkey);
    write_hotkey(ini, "clipboard", settings.clipboard_hotkey, kClipboardHotkey);
}

}  // namespace engines
