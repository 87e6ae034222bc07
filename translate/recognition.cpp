#include "translate/recognition.h"

#include "runtime/utf.h"
#include "translate/languages.h"

namespace translate {

namespace {

const char kChinese[] = "zh-CN";
const char kEnglish[] = "en";

// DEL counts as Chinese, as every byte from 127 up always did.
const char32_t kDelete = 0x7F;

struct ScriptRange {
    char32_t first, last;
    const char* code;  // the language of the lists the range means
};

// Ranges of characters that mean one language; anything else beyond ASCII is detected.
const ScriptRange kScripts[] = {
    {0x00A4, 0x00A4, kChinese}, {0x00A7, 0x00A8, kChinese}, {0x00B0, 0x00B1, kChinese},
    {0x00B7, 0x00B7, kChinese}, {0x00D7, 0x00D7, kChinese}, {0x00F7, 0x00F7, kChinese},  // symbols of Chinese text
    {0x02C7, 0x02CB, kChinese}, {0x02D9, 0x02D9, kChinese},  // the tone marks of bopomofo
    {0x0370, 0x03FF, "el"},     {0x1F00, 0x1FFF, "el"},
    {0x0900, 0x097F, "hi"},     {0x0A80, 0x0AFF, "gu"},     {0x0E00, 0x0E7F, "th"},
    {0x10A0, 0x10FF, "ka"},     {0x2D00, 0x2D2F, "ka"},
    {0x1100, 0x11FF, "ko"},     {0x3130, 0x318F, "ko"},     {0xA960, 0xA97F, "ko"},
    {0xAC00, 0xD7FF, "ko"},     {0xFFA0, 0xFFDC, "ko"},
    {0x3040, 0x30FF, "ja"},     {0x31F0, 0x31FF, "ja"},     {0xFF66, 0xFF9F, "ja"},
    {0x1B000, 0x1B16F, "ja"},
    {0x2000, 0x2BFF, kChinese},  // punctuation, symbols, arrows, box drawing, circled numbers
    {0x2E80, 0x303F, kChinese},  // radicals, ideographic description, CJK symbols and punctuation
    {0x3100, 0x312F, kChinese},  {0x3190, 0x31EF, kChinese},  // bopomofo, kanbun, strokes
    {0x3200, 0x9FFF, kChinese},  // enclosed and compatibility forms, the ideographs
    {0xE000, 0xFAFF, kChinese},  // private use (where GBK keeps some characters), compatibility ideographs
    {0xFE10, 0xFE1F, kChinese},  {0xFE30, 0xFE6F, kChinese},  // vertical, compatibility and small forms
    {0xFF00, 0xFF65, kChinese},  {0xFFE0, 0xFFEF, kChinese},  // full-width forms
    {0x20000, 0x3FFFF, kChinese},
};

const char* language_of(char32_t c) {
    if (c == kDelete) return kChinese;
    if (c < 0x80) return kEnglish;
    for (const ScriptRange& range : kScripts) {
        if (c >= range.first && c <= range.last) return range.code;
    }
    return nullptr;
}

int list_row_of(const char* code) {
    for (const Language& language : language_table()) {
        if (Text(language.code) == code) return language.list_index;
    }
    return -1;
}

}  // namespace

Recognition recognise_languages(const Text& source, LanguagePair current) {
    Recognition recognition{current, false};
    if (source.empty()) return recognition;
    size_t at = 0;
    const char* code = language_of(runtime::code_point_at(source, at));
    if (!code) {
        recognition.detect_source = true;
        return recognition;
    }
    int row = list_row_of(code);
    int other = row == kChineseSimplifiedIndex ? kEnglishIndex : kChineseSimplifiedIndex;
    recognition.rows.source = row;
    if (current.target == row) recognition.rows.target = other;
    return recognition;
}

}  // namespace translate
