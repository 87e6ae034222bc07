#include "engines/settings.h"

#include "tarvik_config.h"

namespace engines {

const char kClassic[] = "classic";
const char kLibreTranslate[] = "libretranslate";
const char kGoogleCloud[] = "google-cloud";
const char kLingva[] = "lingva";
const char kNoSpeech[] = "none";

namespace {

void take(const SettingLookup& lookup, const char* section, const char* key, Text& value) {
    std::optional<Text> found = lookup(section, key);
    if (found && !found->empty()) value = *found;
}

void take_service(const SettingLookup& lookup, const char* section, ServiceSettings& service) {
    take(lookup, section, "engine", service.engine);
    take(lookup, section, "address", service.address);
    take(lookup, section, "key", service.key);
}

// A value is one line of the file: a line break pasted into the dialog would start a new key.
Text line(const char* key, const Text& value) {
    Text one_line = value;
    for (char& c : one_line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return Text(key) + "=" + one_line + "\r\n";
}

Text service_text(const char* section, const ServiceSettings& service) {
    return "[" + Text(section) + "]\r\n" + line("engine", service.engine) + line("address", service.address) +
           line("key", service.key);
}

Text line_if_set(const char* key, const Text& value) { return value.empty() ? Text() : line(key, value); }

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
    return settings;
}

Text settings_file_text(const Settings& settings) {
    Text text = service_text("translation", settings.translation) + "\r\n";
    if (settings.speech_section) text += service_text("speech", settings.speech) + "\r\n";
    Text classic = line_if_set("translate_host", settings.translate_host) +
                   line_if_set("speech_host", settings.speech_host) + line_if_set("web_host", settings.web_host);
    return classic.empty() ? text : text + "[classic]\r\n" + classic;
}

}  // namespace engines
