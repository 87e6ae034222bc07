#include "translate/languages.h"

#include <algorithm>

namespace translate {

const char kAutoDetect[] = "自动检测";

runtime::SharedText sourceLanguageCode;
runtime::SharedText targetLanguageCode;
runtime::SharedText webPageLanguageCode;

namespace {

void lookup(const Text& list_name, runtime::SharedText& code, bool web_page) {
    if (const char* found = code_for_name(list_name, web_page)) code.set(found);
}

}  // namespace

const std::vector<Language>& language_table() {
    static const std::vector<Language> table = {
        {"中文(简体)", "zh-CN", 0},      {"中文(繁体)", "zh-TW", 1},  {"英语", "en", 2},
        {"日语", "ja", 3},               {"越南语", "vi", 5},         {"韩语", "ko", 4},
        {"阿尔巴尼亚语", "sq", 6},       {"阿拉伯语", "ar", 7},       {"阿塞拜疆语", "az", 8},
        {"爱尔兰语", "ga", 9},           {"爱沙尼亚语", "et", 10},    {"白俄罗斯语", "be", 11},
        {"保加利亚语", "bg", 12},        {"冰岛语", "is", 13},        {"波兰语", "pl", 14},
        {"波斯语", "fa", 15},            {"布尔语(南非荷兰语)", "af", -1}, {"丹麦语", "da", 16},
        {"德语", "de", 17},              {"俄语", "ru", 18},          {"法语", "fr", 19},
        {"菲律宾语", "tl", 20},          {"芬兰语", "fi", 21},        {"格鲁吉亚语", "ka", 22},
        {"古吉拉特语", "gu", 23},        {"海地克里奥尔语", "ht", 24}, {"荷兰语", "nl", 25},
        {"拉丁语", "la", 26},            {"罗马尼亚语", "ro", 27},    {"马来语", "ms", 28},
        {"葡萄牙语", "pt", 29},          {"瑞典语", "sv", 30},        {"泰语", "th", 31},
        {"乌克兰语", "uk", 32},          {"希腊语", "el", 33},        {"西班牙语", "es", 34},
        {"意大利语", "it", 35},          {"印地语", "hi", 36},
    };
    return table;
}

std::vector<Text> list_languages() {
    std::vector<Text> names;
    for (const Language& language : language_table()) {
        if (language.list_index < 0) continue;
        if (names.size() <= static_cast<size_t>(language.list_index)) names.resize(language.list_index + 1);
        names[language.list_index] = language.name;
    }
    return names;
}

const char* code_for_name(const Text& name, bool web_page) {
    for (const Language& language : language_table()) {
        if (name == language.name) return language.code;
    }
    if (web_page && name == kAutoDetect) return "auto";
    return nullptr;
}

void source_lookup(const Text& list_name) { lookup(list_name, sourceLanguageCode, false); }
void target_lookup(const Text& list_name) { lookup(list_name, targetLanguageCode, false); }
void web_page_source_lookup(const Text& list_name) { lookup(list_name, webPageLanguageCode, true); }

}  // namespace translate
