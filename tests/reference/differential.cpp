#include "tests/reference/differential.h"

#include <vector>

#include "engines/classic.h"
#include "net/url.h"
#include "speech/speech_text.h"
#include "tests/reference/gbk_classic.h"
#include "translate/algorithm.h"
#include "translate/reply.h"

namespace differential {

namespace {

using gbk_classic::to_gbk;
using gbk_classic::to_utf8;

const char kHost[] = "svc.test:8080";

struct Call {
    std::string piece;  // UTF-8
    bool with_dictionary;
    bool operator==(const Call& other) const {
        return piece == other.piece && with_dictionary == other.with_dictionary;
    }
};

// The same translation for the same piece on both sides: made in GBK and handed to the UTF-8
// side converted, so that only the algorithms differ.
std::string fake_translation(const std::string& gbk_piece, bool with_dictionary) {
    return "<" + gbk_piece + (with_dictionary ? "\r\n\r\n\xD7\xD6\xB5\xE4: " : "") + ">";
}

std::string quoted(const std::string& text) { return "[" + text + "]"; }

// A period right after a GBK character whose trail byte is ASCII (乗 is 81 5C) stayed a period
// in the classic code, which took that byte for an ASCII neighbour; it is a character like any
// other and the period becomes "。". The classic side is given the mended text.
std::string with_trail_byte_periods_mended(const std::string& gbk) {
    std::string mended;
    for (size_t i = 0; i < gbk.size(); ++i) {
        auto byte = static_cast<unsigned char>(gbk[i]);
        if (byte >= 0x80 && i + 1 < gbk.size()) {
            mended += gbk.substr(i, 2);
            ++i;
            if (static_cast<unsigned char>(gbk[i]) < 0x80 && i + 1 < gbk.size() && gbk[i + 1] == '.') {
                mended += "\xA1\xA3";
                ++i;
            }
        } else {
            mended += gbk[i];
        }
    }
    return mended;
}

std::string check_algorithm(const std::string& gbk, const std::string& utf8) {
    std::vector<Call> classic_calls, calls;
    std::optional<std::string> classic_result = gbk_classic::translate_text(
        with_trail_byte_periods_mended(gbk), [&](const std::string& piece, bool with_dictionary) {
            classic_calls.push_back({to_utf8(piece), with_dictionary});
            return fake_translation(piece, with_dictionary);
        });
    std::optional<std::string> result = translate::translate_text(utf8, [&](const std::string& piece, bool dictionary) {
        calls.push_back({piece, dictionary});
        return to_utf8(fake_translation(to_gbk(piece), dictionary));
    });
    if (!(classic_calls == calls)) return "the pieces asked for differ";
    if (classic_result.has_value() != result.has_value()) return "one side translated, the other did not";
    if (result && to_utf8(*classic_result) != *result) return "results differ: " + quoted(*result);
    for (const Call& call : calls) {
        std::string classic_url = gbk_classic::translation_url(kHost, to_gbk(call.piece), "zh-CN", "en");
        if (classic_url != engines::translation_url(kHost, call.piece, "zh-CN", "en"))
            return "URLs differ: " + classic_url;
    }
    return "";
}

std::string check_recognition(const std::string& gbk, const std::string& utf8) {
    for (translate::LanguagePair current : {translate::LanguagePair{2, 0}, {0, 2}, {2, 2}, {0, 0}, {5, 7}}) {
        translate::Recognition recognition = translate::recognise_languages(utf8, current);
        // Letters of other scripts are recognised as their own language now; Chinese and English
        // are decided as before.
        bool as_before = !recognition.detect_source && (recognition.rows.source == translate::kChineseSimplifiedIndex ||
                                                        recognition.rows.source == translate::kEnglishIndex);
        if (!as_before && !utf8.empty()) continue;
        gbk_classic::LanguagePair classic = gbk_classic::recognise_languages(gbk, {current.source, current.target});
        if (classic.source != recognition.rows.source || classic.target != recognition.rows.target) {
            return "recognition differs";
        }
    }
    return "";
}

std::string check_speech_and_web_page(const std::string& gbk, const std::string& utf8) {
    std::string classic_result = gbk_classic::result_text_to_speak(gbk);
    if (to_utf8(classic_result) != speech::result_text_to_speak(utf8)) return "result speech text differs";
    if (gbk_classic::speech_url(kHost, classic_result, "en") !=
        engines::speech_url(kHost, speech::result_text_to_speak(utf8), "en")) {
        return "result speech URL differs";
    }
    std::string classic_source = gbk_classic::source_text_to_speak(gbk);
    if (to_utf8(classic_source) != speech::source_text_to_speak(utf8)) return "source speech text differs";
    if (gbk_classic::speech_url(kHost, classic_source, "zh-CN") !=
        engines::speech_url(kHost, speech::source_text_to_speak(utf8), "zh-CN")) {
        return "source speech URL differs";
    }
    std::string classic_command = gbk_classic::browser_command_line(gbk_classic::web_page_url(kHost, gbk, "auto"));
    if (to_utf8(classic_command) != speech::browser_command_line(speech::web_page_url(kHost, utf8, "auto"))) {
        return "browser command lines differ";
    }
    return "";
}

}  // namespace

bool is_well_formed_gbk(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte == 0) return false;
            continue;
        }
        // 80 is the euro sign, a character of one byte that the classic code took for a lead
        // byte, swallowing the character after it: see WhatTheClassicCodeMisreadIsMended.
        if (byte == 0x80 || i + 1 >= text.size()) return false;
        std::string pair = text.substr(i, 2);
        if (to_gbk(to_utf8(pair)) != pair) return false;
        ++i;
    }
    return true;
}

std::string check_source(const std::string& gbk_source) {
    std::string utf8 = to_utf8(gbk_source);
    for (auto check : {check_algorithm, check_recognition, check_speech_and_web_page}) {
        std::string difference = check(gbk_source, utf8);
        if (!difference.empty()) return difference;
    }
    return "";
}

std::string check_reply(const std::string& body, const std::string& source_code) {
    std::string reply = body.substr(0, body.find('\0'));  // the body becomes text up to its first zero byte
    std::string decoded = net::url_decode(reply);
    if (!gbk_classic::gbk_can_hold(decoded)) return "";
    std::string classic_decoded = gbk_classic::url_decode(reply);
    if (to_utf8(classic_decoded) != decoded) return "decoded replies differ";
    if (to_utf8(gbk_classic::cut_translation(classic_decoded)) != translate::cut_translation(decoded)) {
        return "translations differ";
    }
    if (to_utf8(gbk_classic::cut_translation_with_dictionary(classic_decoded, source_code)) !=
        translate::cut_translation_with_dictionary(decoded, source_code)) {
        return "texts with dictionary differ";
    }
    return "";
}

}  // namespace differential
