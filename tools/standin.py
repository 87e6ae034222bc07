#!/usr/bin/env python3
"""Local stand-in for the translation and speech endpoints, for tests and for trying Tarvik offline.

    python3 tools/standin.py --port 18081 [--port-file F] [--mp3 FILE]
        [--tls-cert C --tls-key K [--tls-port P] [--tls-port-file F]]
        [--untrusted-cert C --untrusted-key K [--untrusted-port P] [--untrusted-port-file F]]

Every listener is on 127.0.0.1 and serves the same paths from the same record. With --tls-cert the
service also speaks TLS on a second port (and on ::1 at the same port, where IPv6 is available, as
"localhost" may resolve there first); the certificate is meant to be issued for DNS:localhost by a
test CA the client trusts. --untrusted-cert adds a third port whose certificate comes from a CA the
client does not trust. Port files are written once every listener is bound, the plain one last.
Each listener also prints a line "stand-in service [(TLS)|(untrusted TLS)] on 127.0.0.1:PORT".

Service paths, answered like the real service. Each belongs to a service, the name /_config and
/_concurrency use:
  classic
  GET /translate_a/t?...text=..&sl=..&tl=..   the bracketed reply text (UTF-8): canned for a few
                                               texts, otherwise the translation "<tl>:<text>"; with the
                                               refuse option, Google's error page instead (see below)
  GET /translate_tts?ie=UTF-8&q=..&tl=..       (no client parameter) the MP3 file given with --mp3
  libretranslate (LibreTranslate 1.9)
  POST /translate                   JSON or form body q (text or list of texts), source (a code or
                                    "auto"), target, format, api_key; {"translatedText": ...} (a list
                                    for a list), non-ASCII escaped as \\uXXXX like the real service;
                                    errors {"error": "..."}. The error messages follow the request's
                                    locale like the server's: X-Override-Accept-Language, else the best
                                    of Accept-Language (quality order; de-DE matches de), else the
                                    locale option. Only "en" and "de" (the server's own German texts)
                                    are known; other languages fall through to the next one asked for.
                                    The batch and the character limit give the same message, as in the
                                    server: "Invalid request: request (N) exceeds text limit (L)" /
                                    "Ungültige Anfrage: Anfrage (N) überschreitet Textlimit (L)".
  GET /frontend/settings            {"charLimit" (the char_limit option, -1: none), "frontendTimeout":
                                    500, "apiKeys", "keyRequired" (both true when a key is set),
                                    "suggestions": false, "filesTranslation": true,
                                    "supportedFilesFormat": [".txt", ...], "language": {"source":
                                    {"code": "auto", "name": "Auto Detect"}, "target": {"code": the
                                    locale, "name"}}}, names in the request's locale; with
                                    frontend_settings=0 Werkzeug's 404 page, as servers older than it.
    In front of it a reverse proxy: with proxy_body_limit set, a body longer than that many bytes gets
    nginx's own "413 Request Entity Too Large" HTML page (Server: nginx) at once, without the service's
    delay or faults (the request is still recorded).
  google
  POST /language/translate/v2       Google Cloud Translation v2: JSON (or form, or query) q (text
                                    or list), target, source (optional: then each translation has
                                    detectedSourceLanguage), format ("text"; anything else is
                                    treated as HTML and the result is HTML-escaped); the key is
                                    read from the X-Goog-Api-Key header only;
                                    {"data": {"translations": [{"translatedText": ...}, ...]}}
  POST /v1/text:synthesize          Google Cloud Text-to-Speech v1: JSON {"input": {"text"},
                                    "voice": {"languageCode", "name"?}, "audioConfig":
                                    {"audioEncoding"}}, key in X-Goog-Api-Key; {"audioContent":
                                    base64 of the MP3}; input.text at most 5000 UTF-8 bytes
  lingva
  GET /api/v1/SOURCE/TARGET/QUERY   Lingva: QUERY percent-encoded UTF-8; {"translation": ...,
                                    "info": {...}} with dictionary data (info.extraTranslations)
                                    for "hello"/"Hello" to zh and "print" to zh; codes as Lingva's
                                    (zh, zh_HANT, en, auto ...; zh_HANT is no source, auto no
                                    target); errors {"error": "..."}
  GET /api/v1/audio/LANG/QUERY      Lingva: {"audio": [the MP3's bytes as numbers]}, whatever the
                                    length: like Lingva it silently reads only the first 200
                                    characters, cut back to the last space at or before that point.
                                    The header X-Stand-In-Spoken-Chars (the stand-in's own) tells how
                                    many characters that is.
  deepl (DeepL API v2)
  POST /v2/translate                JSON {"text": [...], "target_lang", "source_lang"?} or the same
                                    as a form (text repeated); the key only in "Authorization:
                                    DeepL-Auth-Key KEY". {"translations": [{"detected_source_language":
                                    source_lang, or "ZH" for text with a CJK ideograph, else "EN";
                                    "text"}]} in order. Codes are case-insensitive: sources the base
                                    codes of DeepL's 2026 table (every language of the lists among
                                    them); targets the same with EN-GB EN-US ES-419 PT-BR PT-PT
                                    ZH-HANS ZH-HANT DE-DE DE-CH FR-FR FR-CA (the deprecated EN, PT and
                                    ZH still taken). Errors {"message": ...}: 400 "Parameter 'text' not
                                    specified.", "Parameter 'target_lang' not specified.", "Value for
                                    'target_lang' not supported.", "Value for 'source_lang' not
                                    supported."; 403 with no body for a missing or wrong key; 403
                                    "Legacy authentication method 'form body' | 'json body' | 'query
                                    parameter' is no longer supported. ..." for auth_key in the body
                                    or query (always, even next to a good header); 413 "Request
                                    Entity Too Large" beyond body_limit bytes, 413 beyond
                                    texts_limit texts; 456 "Quota exceeded"; 405 for GET.
  microsoft (Microsoft Translator v3)
  POST /translate?api-version=3.0&to=..[&to=..][&from=..]   JSON [{"Text": ...}, ...];
                                    [{"detectedLanguage": {"language", "score"} (without from),
                                    "translations": [{"text", "to"}]}]. It is Microsoft's (not
                                    LibreTranslate's) when it has an api-version, to or from query
                                    parameter or an Ocp-Apim-* header. Codes are Microsoft's (zh-Hans,
                                    zh-Hant, fil, ...; no la), matched case-insensitively and echoed
                                    in their own spelling.
  POST /dictionary/lookup?api-version=3.0&from=..&to=..      JSON [{"Text": word}] (10 at most,
                                    100 characters each); [{"normalizedSource", "displaySource",
                                    "translations": [{"normalizedTarget", "displayTarget", "posTag",
                                    "confidence", "prefixWord", "backTranslations": [{"normalizedText",
                                    "displayText", "numExamples", "frequencyCount"}]}]}], canned for
                                    en->zh-Hans fly (NOUN VERB), quick (ADJ ADV), and (CONJ), the
                                    (DET), can (MODAL VERB NOUN), with (PREP), she (PRON), hello
                                    (OTHER), print (VERB NOUN) and zh-Hans->en 打印; other words an
                                    empty translations list. Only pairs of English with one of the
                                    dictionary's languages (not zh-Hant).
    Errors {"error": {"code": 6 digits, "message"}}: 401000 for a missing or wrong key, or a missing
    or wrong Ocp-Apim-Subscription-Region when region is set; 403001 with quota_exceeded; 400021 api
    version; 400036 to; 400035 from; 400023 dictionary pair; 400072 too many elements (1000, or 10 in
    the dictionary); 400077 over 50,000 characters in all; 400050 a dictionary text over 100; 400005 /
    400020 bad elements; 400074 not JSON; 415000 not a JSON content type; 405000 not POST.
  google-web (the unofficial web endpoint of translate-shell, googletrans and the like)
  GET|POST /translate_a/single?client=..&sl=..&tl=..&hl=..&dt=t&dt=bd[&dt=rm][&dj=1]&q=..
                                    [[[trans, orig, null, null, 10], ...segments], dictionary or null,
                                    source, null, null, null, 1.0, [], [[source], null, [1.0],
                                    [source]]]; the translation is cut into segments where sentences
                                    end (. ! ? and following spaces, 。！？, line breaks), so only all
                                    of them joined give "<tl>:<q>" (canned texts: one segment). dt=bd
                                    adds the dictionary for hello and print (to zh-*) as [[pos,
                                    [terms], [[word, [back translations], null, score], ...], base
                                    form, pos number], ...], pos in Chinese (感叹词 名词 动词) when
                                    hl is Chinese, else in English; dt=rm adds [null, null,
                                    transliteration] for those words. With dj=1 the object form
                                    {"sentences": [{"trans", "orig", "backend"}], "dict": [{"pos",
                                    "terms", "entry": [{"word", "reverse_translation", "score"}],
                                    "base_form", "pos_enum"}], "src", "confidence", "spell",
                                    "ld_result"}. sl=auto detects (zh-CN or en). q over 5000
                                    characters: 413 with Google's error page; an unknown tl/sl or
                                    no q: 400 with Google's page.
  GET /translate_tts?ie=UTF-8&client=..&tl=..&q=..   the MP3; q empty or over 200 characters: 400
                                    with Google's error page.
  GET /sorry/index?continue=URL     Google's /sorry/ page with status 429.
    A client listed in refused_clients is refused before anything else: gtx with the 429 /sorry/
    page ("Our systems have detected unusual traffic from your computer network..."), any other with
    the 403 page ("Your client does not have permission to get URL ..."); with redirect=1 all of them
    get a 302 to /sorry/index?continue=<the request's URL>&q=... instead.

Google's error pages are its front-end's ("<b>403.</b> <ins>That’s an error.</ins> ... <ins>That’s
all we know.</ins>", title "Error 403 (Forbidden)!!1"); for 429 the /sorry/ page.

Canned translations: "<target code as sent>:<text>", except for a few texts ("Hello"/"hello"/"Hi" to
Chinese, "print" to Chinese, "打印" to English), whatever the service's spelling of the language
(zh, zh-CN, zh-Hans, ZH-HANS, ZH, zh_HANT, zh-Hant, ZH-HANT, en, EN-US, EN-GB ...).

Every request to a path that does not start with "/_" is recorded exactly as received (request
line, headers in order, body), over TLS as well. Control paths for tests:
  /_reset            forget the record, any fault mode, any service configuration and the
                     concurrency peaks
  /_log              the record: for each request its length in decimal, a newline, its bytes
  /_count?path=P     how many recorded requests have a target starting with P
  /_concurrency?service=S   the most requests of service S that were in flight at the same time
                     since the last /_reset; a request is in flight from when it has been read until
                     its answer goes out (any delay included)
  /_mode?fault=F&..  misbehave on every later service request (all the service paths above)
                     until /_reset
  /_config?service=S&name=value..   configure a service until /_reset; answers the service's
                     whole configuration as JSON. Options (unknown ones are refused with 400):
      classic         refuse (0: answer; an HTTP status: answer /translate_a/t with that status and
                      Google's page), delay_ms
      libretranslate  key (empty: no key needed), key_link, batch_limit, char_limit, char_count
                      ("total": the request's characters together, as older servers; "text": each
                      text on its own, as 1.9), locale ("en"), proxy_body_limit, frontend_settings
                      (1), delay_ms
      google          key (empty: no key needed), batch_limit (128), char_limit, body_limit
                      (204800), delay_ms -- shared by translation and speech
      lingva          delay_ms
      deepl           key (empty: any or no Authorization taken), texts_limit (50), body_limit
                      (131072), quota_exceeded (0/1), delay_ms
      microsoft       key, region (empty: not checked), quota_exceeded (0/1), delay_ms
      google-web      refused_clients ("gtx,t,webapp"; empty: none), redirect (0/1), delay_ms
    A limit of -1 means none. delay_ms delays every answer of that service, errors included.

Faults, also reachable directly as /fault/F?... (answered as the classic path would be):
  stall&seconds=N    wait N seconds, then answer normally
  close              promise 100000 bytes, send 300, close the connection
  big&bytes=N        a body of N pattern bytes (byte i is i*7 mod 251)
  status&code=C      status C with an HTML error page; on the JSON services the service's own
                     error body instead (Google's error page on translate_a/single), with message
                     &body=M or the service's usual message
  redirect           302 to /echo
  nul                a body holding NUL bytes (on the JSON services inside the translated text)
  utf8bad            a body of invalid UTF-8 inside the bracketed form (or the JSON reply)
  sentences&count=N  a bracketed reply of N sentence entries (classic path only)
  badjson            the JSON services: a reply cut off in the middle of the JSON
  wrongtypes         the JSON services: well-formed JSON whose fields have the wrong types
  json&body=B[&code=C]  the JSON services: status C (200) with B as an application/json body
The JSON services are all but the two classic paths, /translate_tts with a client and /sorry/index,
which take the classic faults. /echo answers with the raw request as its body.
"""
import argparse
import base64
import http
import json
import os
import socket
import socketserver
import ssl
import threading
import time
import urllib.parse

CANNED = {
    "Hello": '[[["Hello","你好","",""]],[["感叹词",["hello","hi","how do you do"]]],"zh-CN",,'
             '[["Hello",[5],1,0,1000,0,1,0]],0]',
    "Hi": '[[["你好","Hi","",""]],[["感叹词",["你好","嗨"]]],"en",,[["Hi",[5],1,0,1000,0,1,0]],0]',
    "打印": '[[["print","打印","",""]],[["名词",["打印","印刷品"]],["动词",["打印"]]],"zh-CN",,[[0]],0]',
}

# Translations into other scripts, for pictures of the window: by text and target.
CANNED_BY_TARGET = {
    ("Good morning and welcome to Seoul", "ko"): "좋은 아침입니다. 서울에 오신 것을 환영합니다",
    ("你好，世界。今天天气很好。", "de"): "Hallo Welt. Das Wetter ist heute schön – grüß dich!",
}

ERROR_PAGE = "<html><head><title>Error {code}</title></head><body><h1>{code}</h1><p>Sorry.</p></body></html>"

# Canned translations of the new services, by text and target family (see family()).
CANNED_TEXT = {
    ("Hello", "zh"): "你好", ("Hello", "zh-Hant"): "你好",
    ("hello", "zh"): "你好", ("hello", "zh-Hant"): "你好",
    ("Hi", "zh"): "你好", ("Hi", "zh-Hant"): "你好",
    ("print", "zh"): "打印", ("print", "zh-Hant"): "打印",
    ("打印", "en"): "print",
}

# Lingva's dictionary data for the canned words, in the shape of its "info" object.
LINGVA_INFO = {
    ("hello", "zh"): {
        "pronunciation": {"translation": "Nǐ hǎo"},
        "definitions": [{"type": "exclamation", "list": [{
            "definition": "used as a greeting or to begin a phone conversation.",
            "example": "hello there, Katie!", "synonyms": ["hi", "howdy", "hey"]}]}],
        "examples": ["hello there, Katie!"],
        "similar": [],
        "extraTranslations": [{"type": "interjection", "list": [
            {"word": "你好!", "meanings": ["Hello!", "Hi!", "Hallo!"], "frequency": 1},
            {"word": "喂!", "meanings": ["Hello!", "Hey!"], "frequency": 2}]}],
    },
    ("print", "zh"): {
        "pronunciation": {"translation": "Dǎyìn"},
        "definitions": [],
        "examples": [],
        "similar": [],
        "extraTranslations": [
            {"type": "noun", "list": [
                {"word": "印刷品", "meanings": ["print", "printed matter"], "frequency": 2},
                {"word": "打印", "meanings": ["print"], "frequency": 1}]},
            {"type": "verb", "list": [
                {"word": "打印", "meanings": ["print", "type"], "frequency": 1},
                {"word": "印", "meanings": ["print", "engrave"], "frequency": 2}]}],
    },
}
LINGVA_INFO[("Hello", "zh")] = LINGVA_INFO[("hello", "zh")]

LIBRE_CODES = set("ar az bg bn ca cs da de el en eo es et eu fa fi fr ga gl he hi hu id it ja ko ky "
                  "lt lv ms nb nl pb pl pt ro ru sk sl sq sr sv th tl tr uk ur vi zh zt".split())

GOOGLE_CODES = set("af sq am ar hy az eu be bn bs bg ca ceb zh zh-CN zh-TW co hr cs da nl en eo et fi "
                   "fr fy gl ka de el gu ht ha haw he iw hi hmn hu is ig id ga it ja jw kn kk km rw ko "
                   "ku ky lo la lv lt lb mk mg ms ml mt mi mr mn my ne no ny or ps fa pl pt pa ro ru sm "
                   "gd sr st sn sd si sk sl so es su sw sv tl tg ta tt te th tr tk uk ur ug uz vi cy xh "
                   "yi yo zu".split())

LINGVA_CODES = set(c.replace("zh-CN", "zh").replace("zh-TW", "zh_HANT") for c in GOOGLE_CODES
                   if c not in ("zh-CN", "he")) | {"auto", "zh_HANT"}

TTS_LANGUAGES = set("cmn-CN zh-CN cmn-TW zh-TW yue-HK en-US en-GB en-AU en-IN ja-JP ko-KR fr-FR de-DE "
                    "es-ES it-IT ru-RU pt-BR".split())
TTS_ENCODINGS = {"MP3", "LINEAR16", "OGG_OPUS", "MULAW", "ALAW"}
TTS_INPUT_LIMIT = 5000

# LibreTranslate's messages in the server's German locale (its locales/de/LC_MESSAGES/messages.po);
# any other locale answers the English message ids.
LIBRE_LOCALES = {
    "de": {
        "Invalid request: missing %(name)s parameter": "Ungültige Anfrage: fehlender Parameter %(name)s",
        "Invalid request: request (%(size)s) exceeds text limit (%(limit)s)":
            "Ungültige Anfrage: Anfrage (%(size)s) überschreitet Textlimit (%(limit)s)",
        "%(lang)s is not supported": "%(lang)s wird nicht unterstützt",
        "%(format)s format is not supported": "„%(format)s“-Format wird nicht unterstützt",
        "Invalid API key": "Ungültiger API-Schlüssel",
        "Please contact the server operator to get an API key":
            "Bitte kontaktieren Sie den Serverbetreiber, um einen API-Schlüssel zu erhalten",
        "Visit %(url)s to get an API key": "Besuchen Sie %(url)s, um einen API-Schlüssel zu erhalten",
        "Invalid JSON format": "Ungültiges JSON-Format",
        "Slowdown:": "Verlangsamung:",
        "Cannot translate text: %(text)s": "Konnte Text nicht übersetzen: %(text)s",
        "Auto Detect": "Auto-Erkennung",
        "English": "Englisch",
        "German": "Deutsch",
    },
}
LIBRE_LANGUAGE_NAMES = {"en": "English", "de": "German"}
# argos-translate-files' formats, as the server lists them in /frontend/settings.
LIBRE_FILE_FORMATS = [".txt", ".odt", ".odp", ".docx", ".pptx", ".epub", ".html", ".srt", ".pdf"]
# Werkzeug's page for a path the (older) server does not have.
FLASK_404 = ("<!doctype html>\n<html lang=en>\n<title>404 Not Found</title>\n<h1>Not Found</h1>\n"
             "<p>The requested URL was not found on the server. If you entered the URL manually please check "
             "your spelling and try again.</p>\n")
# nginx's own page when a body exceeds client_max_body_size (server_tokens off).
NGINX_413 = ("<html>\r\n<head><title>413 Request Entity Too Large</title></head>\r\n<body>\r\n"
             "<center><h1>413 Request Entity Too Large</h1></center>\r\n<hr><center>nginx</center>\r\n"
             "</body>\r\n</html>\r\n")

# Lingva reads at most this many characters aloud (lingva-scraper's getAudio cuts the text).
LINGVA_AUDIO_LIMIT = 200

# DeepL's base codes since its beta languages became generally available (January 2026): each
# works as a source and as a target.
DEEPL_SOURCES = set(
    "ACE AF SQ AR AN HY AS AY AZ BA EU BE BN BHO BS BR BG MY YUE CA CEB ZH HR CS DA PRS NL EN EO ET FI FR GL KA DE EL "
    "GN GU HT HA HE HI HU IS IG ID GA IT JA JV PAM KK GOM KO KMR CKB KY LA LV LN LT LMO LB MK MAI MG MS ML MT MI MR "
    "MN NE NB OC OM PAG PS FA PL PT PA QU RO RU SA SR ST SCN SK SL ES SU SW SV TL TG TA TT TE TH TS TN TR TK UK UR "
    "UZ VI CY WO XH YI ZU".split())
# Variants are targets only; EN, PT and ZH are the deprecated variant-less targets, still accepted.
DEEPL_TARGETS = DEEPL_SOURCES | set("EN-GB EN-US PT-BR PT-PT ZH-HANS ZH-HANT ES-419 DE-DE DE-CH FR-FR FR-CA".split())
DEEPL_LEGACY_AUTH = ("Legacy authentication method '%s' is no longer supported. Please update to header-based "
                     "authentication. Find more details in our docs: https://developers.deepl.com/docs/resources/"
                     "breaking-changes-change-notices/november-2025-deprecation-of-legacy-auth-methods. You can "
                     "find more info in our docs: https://developers.deepl.com/docs/getting-started/auth")
DEEPL_MESSAGES = {
    400: "Bad request", 404: "Not found", 413: "Request Entity Too Large",
    429: "Too many requests. Please wait and resend your request.", 456: "Quota exceeded",
    500: "Internal server error", 503: "Service unavailable",
}

# Microsoft Translator's language codes (canonical spelling; matched case-insensitively). No Latin.
MICROSOFT_CODES = {c.lower(): c for c in (
    "af am ar as az ba bg bho bn bo brx bs ca cs cy da de doi dsb dv el en es et eu fa fi fil fj fo fr fr-CA "
    "ga gl gom gu ha he hi hne hr hsb ht hu hy id ig ikt is it iu iu-Latn ja ka kk km kmr kn ko ks ku ky lb ln "
    "lo lt lug lv lzh mai mg mi mk ml mn-Cyrl mn-Mong mni mr ms mt mww my nb ne nl nso nya or otq pa pl prs ps "
    "pt pt-PT ro ru run rw sd si sk sl sm sn so sq sr-Cyrl sr-Latn st sv sw ta te th ti tk tlh-Latn tlh-Piqd "
    "tn to tr tt ty ug uk ur uz vi xh yo yua yue zh-Hans zh-Hant zu").split()}
# Languages the dictionary pairs with English (Traditional Chinese is not among them).
MICROSOFT_DICTIONARY = set("af ar bg bn bs ca cs cy da de el es et fa fi fr he hi hr ht hu id is it ja ko lt lv "
                           "ms mt mww nb nl pl pt ro ru sk sl sr-Latn sv sw ta th tlh-Latn tr uk ur vi "
                           "zh-Hans".split())
MICROSOFT_TEXT_LIMIT = 50000
MICROSOFT_ELEMENTS_LIMIT = 1000
MICROSOFT_DICTIONARY_ELEMENTS = 10
MICROSOFT_DICTIONARY_TEXT = 100
MICROSOFT_MESSAGES = {
    400000: "One of the request inputs is not valid.",
    400005: "An input text is missing or invalid.",
    400020: "One of the elements in the array of input text is not valid.",
    400021: "The API version parameter is missing or invalid.",
    400023: "One of the specified language pair is not valid.",
    400035: "The source language (\"From\" field) is not valid.",
    400036: "The target language (\"To\" field) is missing or invalid.",
    400050: "The input text is too long.",
    400072: "The array of input text has too many elements.",
    400074: "The body of the request is not valid JSON.",
    400077: "The maximum request size has been exceeded.",
    401000: "The request is not authorized because credentials are missing or invalid.",
    403000: "The operation is not allowed.",
    403001: "The operation is not allowed because the subscription has exceeded its free quota.",
    404000: "The requested resource was not found.",
    405000: "The request method is not supported for the requested resource.",
    408001: "The custom translation system requested is not yet available. Please retry in a few minutes.",
    415000: "The Content-Type header is missing or invalid.",
    429000: "The server rejected the request because the client is sending too many requests. Reduce the "
            "frequency of requests to avoid throttling.",
    500000: "An unexpected error occurred. If the error persists, report it with date/time of error, request "
            "identifier from response header X-RequestId, and client identifier from request header "
            "X-ClientTraceId.",
    503000: "Service is temporarily unavailable. Please retry. If the error persists, report it with date/time "
            "of error, request identifier from response header X-RequestId, and client identifier from request "
            "header X-ClientTraceId.",
}


def _entries(pos, *targets):
    """Dictionary entries of one part of speech: (target, confidence, [(back translation, examples, count)])."""
    return [{"normalizedTarget": t, "displayTarget": t, "posTag": pos, "confidence": c, "prefixWord": "",
             "backTranslations": [{"normalizedText": b, "displayText": b, "numExamples": n, "frequencyCount": f}
                                  for b, n, f in backs]}
            for t, c, backs in targets]


# Microsoft's dictionary data for a few words, by (normalized source, from family, to family).
MICROSOFT_LOOKUP = {
    ("fly", "en", "zh"): ("fly", _entries("NOUN", ("苍蝇", 0.4361, [("fly", 15, 2341), ("flies", 6, 301)]))
                          + _entries("VERB", ("飞", 0.3412, [("fly", 15, 5320), ("flying", 12, 988)]),
                                     ("飞行", 0.2227, [("flight", 15, 3012), ("fly", 14, 1450)]))),
    ("quick", "en", "zh"): ("quick", _entries("ADJ", ("快速", 0.6104, [("quick", 15, 4120), ("rapid", 15, 3301)]))
                            + _entries("ADV", ("很快", 0.3896, [("quickly", 15, 6203), ("soon", 15, 5120)]))),
    ("and", "en", "zh"): ("and", _entries("CONJ", ("和", 0.7652, [("and", 15, 90210)]),
                                          ("与", 0.2348, [("and", 15, 30321), ("with", 15, 12001)]))),
    ("the", "en", "zh"): ("the", _entries("DET", ("这", 0.5823, [("this", 15, 20110), ("the", 15, 8801)]),
                                          ("该", 0.4177, [("the", 15, 12010), ("this", 15, 6011)]))),
    ("can", "en", "zh"): ("can", _entries("MODAL", ("可以", 0.5233, [("can", 15, 40210), ("may", 15, 9021)]))
                          + _entries("VERB", ("能", 0.3012, [("can", 15, 30120), ("able", 15, 4012)]))
                          + _entries("NOUN", ("罐头", 0.1755, [("can", 15, 1201), ("tin", 12, 320)]))),
    ("with", "en", "zh"): ("with", _entries("PREP", ("与", 0.5561, [("with", 15, 30102), ("and", 15, 12030)]),
                                            ("用", 0.4439, [("with", 15, 9120), ("use", 15, 8801)]))),
    ("she", "en", "zh"): ("she", _entries("PRON", ("她", 1.0, [("she", 15, 60120), ("her", 15, 30110)]))),
    ("hello", "en", "zh"): ("hello", _entries("OTHER",
                                              ("你好", 0.8514, [("hello", 15, 10203), ("hi", 15, 2011)]),
                                              ("喂", 0.1486, [("hey", 15, 1203), ("hello", 15, 1101)]))),
    ("print", "en", "zh"): ("print", _entries("VERB",
                                              ("打印", 0.6233, [("print", 15, 12031), ("printing", 15, 3120)]))
                            + _entries("NOUN",
                                       ("印刷品", 0.3767, [("print", 15, 1022), ("printed matter", 4, 120)]))),
    ("打印", "zh", "en"): ("打印", _entries("VERB", ("print", 0.8125, [("打印", 15, 12031), ("印", 15, 3011)]))
                         + _entries("NOUN", ("printing", 0.1875, [("打印", 15, 3120), ("印刷", 15, 5120)]))),
}

# The dictionary ("dt=bd") of Google's web endpoint for a few words, by (text, target family). Parts of
# speech are named in the hl language; each entry is (word, back translations, score).
GOOGLE_WEB_POS = {"interjection": ("感叹词", 9), "noun": ("名词", 1), "verb": ("动词", 2)}
GOOGLE_WEB_DICT = {
    ("hello", "zh"): ("hello!", [("interjection", [("你好!", ["Hello!", "Hi!", "Hallo!"], 0.13323711),
                                                   ("喂!", ["Hey!", "Hello!"], 0.020115795)])]),
    ("print", "zh"): ("print", [("noun", [("打印", ["print"], 0.08787782),
                                          ("印刷品", ["print", "printed matter"], 0.011250402),
                                          ("印花", ["print", "stamp"], 0.0049786945)]),
                                ("verb", [("打印", ["print", "type"], 0.17547469),
                                          ("印", ["print", "engrave"], 0.022315573),
                                          ("印刷", ["print"], 0.0120064)])]),
}
GOOGLE_WEB_DICT[("Hello", "zh")] = GOOGLE_WEB_DICT[("hello", "zh")]
GOOGLE_WEB_TRANSLIT = {("Hello", "zh"): "Nǐ hǎo", ("hello", "zh"): "Nǐ hǎo", ("print", "zh"): "Dǎyìn"}
GOOGLE_WEB_TEXT_LIMIT = 5000
GOOGLE_TTS_TEXT_LIMIT = 200

# Google's front-end error page (the one with the robot), as its servers send it.
GOOGLE_ERROR_CSS = (
    "*{margin:0;padding:0}html,code{font:15px/22px arial,sans-serif}html{background:#fff;color:#222;padding:15px}"
    "body{margin:7% auto 0;max-width:390px;min-height:180px;padding:30px 0 15px}* > body{background:url(//www.google"
    ".com/images/errors/robot.png) 100% 5px no-repeat;padding-right:205px}p{margin:11px 0 22px;overflow:hidden}ins{"
    "color:#777;text-decoration:none}a img{border:0}@media screen and (max-width:772px){body{background:none;margin-"
    "top:0;max-width:none;padding-right:0}}#logo{background:url(//www.google.com/images/branding/googlelogo/1x/goog"
    "lelogo_color_150x54dp.png) no-repeat;margin-left:-5px}@media only screen and (min-resolution:192dpi){#logo{bac"
    "kground:url(//www.google.com/images/branding/googlelogo/2x/googlelogo_color_150x54dp.png) no-repeat 0% 0%/100%"
    " 100%;-moz-border-image:url(//www.google.com/images/branding/googlelogo/2x/googlelogo_color_150x54dp.png) 0}}@"
    "media only screen and (-webkit-min-device-pixel-ratio:2){#logo{background:url(//www.google.com/images/brandin"
    "g/googlelogo/2x/googlelogo_color_150x54dp.png) no-repeat;-webkit-background-size:100% 100%}}#logo{display:inli"
    "ne-block;height:54px;width:150px}")
GOOGLE_ERROR_PAGE = (
    "<!DOCTYPE html>\n<html lang=en>\n  <meta charset=utf-8>\n  <meta name=viewport content=\"initial-scale=1, "
    "minimum-scale=1, width=device-width\">\n  <title>Error {code} ({phrase})!!1</title>\n  <style>\n    {css}\n"
    "  </style>\n  <a href=//www.google.com/><span id=logo aria-label=Google></span></a>\n"
    "  <p><b>{code}.</b> <ins>That’s an error.</ins>\n  <p>{message}  <ins>That’s all we know.</ins>\n")
GOOGLE_ERROR_TEXT = {
    400: ("Bad Request", "Your client has issued a malformed or illegal request."),
    403: ("Forbidden", "Your client does not have permission to get URL <code>{path}</code> from this server."),
    404: ("Not Found", "The requested URL <code>{path}</code> was not found on this server."),
    405: ("Method Not Allowed", "The request method <code>{method}</code> is inappropriate for the URL "
                                "<code>{path}</code>."),
    413: ("Request Entity Too Large", "Your client issued a request that was too large."),
    414: ("Request-URI Too Large", "The requested URL <code>{path}...</code> is too large to process."),
    500: ("Server Error", "The server encountered an error and could not complete your request.<p>Please try "
                          "again in 30 seconds."),
    502: ("Server Error", "The server encountered a temporary error and could not complete your request.<p>Please "
                          "try again in 30 seconds."),
    503: ("Service Unavailable", "The service you requested is not available at this time.<p>Please try again "
                                 "in 30 seconds."),
}
# The /sorry/ page Google answers (status 429) when it takes the client for a robot.
GOOGLE_SORRY_PAGE = (
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head><meta http-equiv=\"content-t"
    "ype\" content=\"text/html; charset=utf-8\"><meta name=\"viewport\" content=\"initial-scale=1\"><title>{url}</ti"
    "tle></head>\n<body style=\"font-family: arial, sans-serif; background-color: #fff; color: #000; padding:20px; "
    "font-size:18px;\" onload=\"e=document.getElementById('captcha');if(e){{e.focus();}}\">\n<div style=\"max-width:"
    "400px;\">\n <hr noshade size=\"1\" style=\"color:#ccc; background-color:#ccc;\"><br>\n \n  To continue, please "
    "type the characters below:<br><br>\n  <img src=\"/sorry/image?id={id}&amp;hl=en\" border=\"1\" alt=\"Please en"
    "able images\"><br><br><form action=\"CaptchaRedirect\" method=\"get\"><input type=\"hidden\" name=\"continue\" "
    "value=\"{url}\"><input type=\"hidden\" name=\"id\" value=\"{id}\"><input type=\"text\" name=\"captcha\" value="
    "\"\" id=\"captcha\" size=\"12\" style=\"font-size:16px; padding:3px 0 3px 5px; margin-left:0px;\"><input type="
    "\"submit\" name=\"submit\" value=\"Submit\" style=\"font-size:18px; padding:4px 0;\"><br><br><br></form>\n  <hr"
    " noshade size=\"1\" style=\"color:#ccc; background-color:#ccc;\">\n  \n   <div style=\"font-size:13px;\">\n    "
    "<b>About this page</b><br><br>Our systems have detected unusual traffic from your computer network.  This pag"
    "e checks to see if it&#39;s really you sending the requests, and not a robot.  <a href=\"#\" onclick=\"documen"
    "t.getElementById('infoDiv').style.display='block';\">Why did this happen?</a><br><br>\n    <div id=\"infoDiv\""
    " style=\"display:none; background-color:#eee; padding:10px; margin:0 0 15px 0; line-height:1.4em;\">\n     Thi"
    "s page appears when Google automatically detects requests coming from your computer network which appear to b"
    "e in violation of the <a href=\"//www.google.com/policies/terms/\">Terms of Service</a>. The block will expire"
    " shortly after those requests stop.  In the meantime, solving the above CAPTCHA will let you continue to use o"
    "ur services.<br><br>This traffic may have been sent by malicious software, a browser plug-in, or a script tha"
    "t sends automated requests.  If you share your network connection, ask your administrator for help &mdash; a "
    "different computer using the same IP address may be responsible.  <a href=\"//support.google.com/websearch/an"
    "swer/86640\">Learn more</a><br><br>Sometimes you may be asked to solve the CAPTCHA if you are using advanced t"
    "erms that robots are known to use, or sending requests very quickly.\n    </div>\n\n \n \n \n IP address: {ip}"
    "<br>Time: {time}<br>URL: {url}<br>\n </div>\n</div>\n</body>\n</html>\n")
GOOGLE_MOVED_PAGE = ("<HTML><HEAD><meta http-equiv=\"content-type\" content=\"text/html;charset=utf-8\">\n<TITLE>302 "
                     "Moved</TITLE></HEAD><BODY>\n<H1>302 Moved</H1>\nThe document has moved\n<A HREF=\"{url}\">here"
                     "</A>.\r\n</BODY></HTML>\r\n")

# What /_config accepts per service, with the values /_reset restores.
DEFAULT_CONFIG = {
    "classic": {"refuse": 0, "delay_ms": 0},
    "libretranslate": {"key": "", "key_link": "", "batch_limit": -1, "char_limit": -1, "char_count": "total",
                       "locale": "en", "proxy_body_limit": -1, "frontend_settings": 1, "delay_ms": 0},
    "google": {"key": "", "batch_limit": 128, "char_limit": -1, "body_limit": 204800, "delay_ms": 0},
    "lingva": {"delay_ms": 0},
    "deepl": {"key": "", "texts_limit": 50, "body_limit": 131072, "quota_exceeded": 0, "delay_ms": 0},
    "microsoft": {"key": "", "region": "", "quota_exceeded": 0, "delay_ms": 0},
    "google-web": {"refused_clients": "gtx,t,webapp", "redirect": 0, "delay_ms": 0},
}

# Google's canonical status names and the "reason" its older error list carries with them.
GOOGLE_STATUS = {
    400: ("INVALID_ARGUMENT", "badRequest"), 401: ("UNAUTHENTICATED", "unauthorized"),
    403: ("PERMISSION_DENIED", "forbidden"), 404: ("NOT_FOUND", "notFound"),
    409: ("ABORTED", "conflict"), 429: ("RESOURCE_EXHAUSTED", "rateLimitExceeded"),
    500: ("INTERNAL", "backendError"), 501: ("UNIMPLEMENTED", "notImplemented"),
    503: ("UNAVAILABLE", "backendError"), 504: ("DEADLINE_EXCEEDED", "backendError"),
}
GOOGLE_MESSAGES = {
    400: "Invalid Value",
    403: "The request is missing a valid API key.",
    429: "Quota exceeded for quota metric 'Requests' and limit 'Requests per minute' of service '{service}'.",
    500: "Internal error encountered.",
    503: "The service is currently unavailable.",
}
LIBRE_MESSAGES = {
    400: "Invalid request: missing q parameter",
    403: "Invalid API key",
    429: "Slowdown: 20 per 1 minute",
    500: "Cannot translate text: internal error",
}
# Flask's text for an unhandled exception, which LibreTranslate passes on in its error body.
FLASK_500 = ("The server encountered an internal error and was unable to complete your request. "
             "Either the server is overloaded or there is an error in the application.")


class State:
    def __init__(self, mp3):
        self.lock = threading.Lock()
        self.records = []
        self.mode = {}
        self.config = fresh_config()
        self.mp3 = mp3
        self.in_flight = {name: 0 for name in DEFAULT_CONFIG}
        self.peak = {name: 0 for name in DEFAULT_CONFIG}


def fresh_config():
    return {name: dict(options) for name, options in DEFAULT_CONFIG.items()}


def quote_json(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def translate_reply(query):
    text = query.get("text", [""])[0]
    if text in CANNED:
        return CANNED[text]
    sl = query.get("sl", [""])[0]
    tl = query.get("tl", [""])[0]
    translation = CANNED_BY_TARGET.get((text, tl), tl + ":" + text)
    return '[[["%s","%s","",""]],,"%s",,[[0]],0]' % (quote_json(translation), quote_json(text), sl)


def family(code):
    """Folds the services' spellings of a language (zh-CN, ZH-HANS, zh_HANT, EN-US ...) into one key of
    CANNED_TEXT; other codes are returned as they are."""
    folded = code.replace("_", "-").lower()
    if folded in ("zh", "zh-cn", "zh-hans", "cmn-cn", "zh-chs"):
        return "zh"
    if folded in ("zt", "zh-tw", "zh-hant", "cmn-tw", "zh-cht"):
        return "zh-Hant"
    if folded in ("en", "en-us", "en-gb"):
        return "en"
    return code


CANNED_TEXT_KEYS = {}
for _text, _family in CANNED_TEXT:
    CANNED_TEXT_KEYS.setdefault(_family, set()).add(_text)


def translate_text(text, target):
    return CANNED_TEXT.get((text, family(target)), target + ":" + text)


def detect(text):
    """The stand-in's language detection: Chinese when any CJK ideograph is present."""
    return "zh" if any("\u4e00" <= c <= "\u9fff" for c in text) else "en"


def html_escape(text):
    """Escapes as Google does for format "html": &#39; for the apostrophe, not Python's &#x27;."""
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;").replace("'", "&#39;"))


def pattern(size):
    block = bytes((i * 7) % 251 for i in range(251 * 7))
    return (block * (size // len(block) + 1))[:size]


# Reason phrases the services send that newer Pythons spell otherwise (413 is "Content Too Large" from
# 3.13 on) or do not know.
REASONS = {413: "Request Entity Too Large", 456: "Quota Exceeded"}


def status_line(code):
    if code in REASONS:
        return "%d %s" % (code, REASONS[code])
    try:
        return "%d %s" % (code, http.HTTPStatus(code).phrase)
    except ValueError:
        return "%d Error" % code


class Request:
    def __init__(self, raw):
        self.raw = raw
        head, _, self.body = raw.partition(b"\r\n\r\n")
        lines = head.split(b"\r\n")
        parts = lines[0].split(b" ")
        self.method = parts[0].decode("latin-1")
        self.target = parts[1].decode("latin-1") if len(parts) > 1 else "/"
        self.headers = {}
        for line in lines[1:]:
            name, _, value = line.partition(b":")
            self.headers.setdefault(name.strip().lower().decode("latin-1"), value.strip().decode("latin-1"))
        parsed = urllib.parse.urlsplit(self.target)
        self.path = parsed.path
        self.query = urllib.parse.parse_qs(parsed.query, keep_blank_values=True, encoding="utf-8")

    def media_type(self):
        return self.headers.get("content-type", "").split(";")[0].strip().lower()

    def is_json(self):
        kind = self.media_type()
        return kind == "application/json" or (kind.startswith("application/") and kind.endswith("+json"))

    def form(self):
        """Query parameters and, for a form-encoded body, the body's parameters (query first)."""
        values = {k: list(v) for k, v in self.query.items()}
        if self.media_type() == "application/x-www-form-urlencoded":
            body = urllib.parse.parse_qs(self.body.decode("utf-8", "replace"), keep_blank_values=True)
            for k, v in body.items():
                values.setdefault(k, []).extend(v)
        return values


def is_microsoft(request):
    """POST /translate is both LibreTranslate's and Microsoft's: Microsoft's requests carry its query
    parameters (api-version, to, from ...) or its Ocp-Apim-* headers; LibreTranslate's carry neither."""
    if any(name in request.query for name in ("api-version", "to", "from", "textType", "category")):
        return True
    return any(name.startswith("ocp-apim-") for name in request.headers)


def route_of(request):
    """(service, fault kind, handler name) of a request: the service names its configuration and its
    /_concurrency count; the kind selects the JSON faults (None: the classic faults)."""
    path, query = request.path, request.query
    if path == "/translate_a/t":
        return "classic", None, "classic_translate"
    if path == "/translate_tts":
        return ("google-web", None, "google_web_tts") if "client" in query else ("classic", None, "classic_tts")
    if path == "/translate_a/single":
        return "google-web", "google-web", "google_web"
    if path == "/sorry/index":
        return "google-web", None, "google_sorry"
    if path == "/translate":
        if is_microsoft(request):
            return "microsoft", "microsoft", "microsoft_translate"
        return "libretranslate", "libretranslate", "libretranslate"
    if path == "/frontend/settings":
        return "libretranslate", "libretranslate-settings", "libre_settings"
    if path == "/dictionary/lookup":
        return "microsoft", "microsoft-dict", "microsoft_dictionary"
    if path == "/v2/translate":
        return "deepl", "deepl", "deepl_translate"
    if path == "/language/translate/v2":
        return "google", "google", "google_translate"
    if urllib.parse.unquote(path) == "/v1/text:synthesize":
        return "google", "google-tts", "google_tts"
    if path.startswith("/api/v1/audio/"):
        return "lingva", "lingva-audio", "lingva"
    if path.startswith("/api/v1/") or path == "/api/v1":
        return "lingva", "lingva", "lingva"
    return None, None, None


class Reply(Exception):
    """Ends the handling of a request with an answer (usually an error) made deep inside it."""

    def __init__(self, code, body, content_type, extra=b""):
        super().__init__(code)
        self.code, self.body, self.content_type, self.extra = code, body, content_type, extra


def libre_json(obj):
    # Flask's defaults: ASCII only, sorted keys, compact, a final newline.
    return json.dumps(obj, ensure_ascii=True, sort_keys=True, separators=(",", ":")) + "\n"


def libre_error(code, message):
    return Reply(code, libre_json({"error": message}), "application/json")


def libre_text(locale, msgid, **params):
    """A LibreTranslate message in LOCALE (English when the locale has no translation of it)."""
    return LIBRE_LOCALES.get(locale, {}).get(msgid, msgid) % params


def google_json(obj):
    return json.dumps(obj, ensure_ascii=False, indent=2) + "\n"


def google_error(code, message, reason=None, details=None):
    status, usual_reason = GOOGLE_STATUS.get(code, ("UNKNOWN", "unknown"))
    error = {"code": code, "message": message,
             "errors": [{"message": message, "domain": "global", "reason": reason or usual_reason}],
             "status": status}
    if details:
        error["details"] = details
    return Reply(code, google_json({"error": error}), "application/json; charset=UTF-8")


def lingva_json(obj):
    return json.dumps(obj, ensure_ascii=False, separators=(",", ":"))


def lingva_error(code, message, extra=b""):
    return Reply(code, lingva_json({"error": message}), "application/json; charset=utf-8", extra)


def compact_json(obj):
    return json.dumps(obj, ensure_ascii=False, separators=(",", ":"))


def deepl_error(code, message=None, extra=b""):
    """DeepL's error: {"message": ...}, or no body at all (message None)."""
    if message is None:
        return Reply(code, b"", None, extra)
    return Reply(code, compact_json({"message": message}), "application/json", extra)


def microsoft_error(code, message=None):
    """Microsoft's error: the six-digit code is the HTTP status followed by three digits."""
    return Reply(code // 1000, compact_json({"error": {"code": code, "message": message or MICROSOFT_MESSAGES.get(
        code, http_phrase(code // 1000))}}), "application/json; charset=utf-8")


def google_page(code, request=None, path=None):
    """Google's front-end error page for a status (the robot page), naming the request's path."""
    phrase, message = GOOGLE_ERROR_TEXT.get(code, (http_phrase(code), "That’s an error."))
    path = path if path is not None else (request.path if request else "/")
    message = message.format(path=html_escape(path), method=html_escape(request.method if request else "GET"))
    return GOOGLE_ERROR_PAGE.format(code=code, phrase=phrase, css=GOOGLE_ERROR_CSS, message=message)


def google_sorry(url):
    """Google's /sorry/ page, as sent with a 429, for a blocked request to URL."""
    token = "%020d" % (abs(hash(url)) % 10 ** 20)
    return GOOGLE_SORRY_PAGE.format(url=html_escape(url), id=token, ip="127.0.0.1",
                                    time=time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime()))


def google_page_reply(code, request):
    if code == 429:
        return Reply(429, google_sorry(full_url(request)), "text/html")
    return Reply(code, google_page(code, request), "text/html; charset=UTF-8")


def full_url(request):
    return "http://%s%s" % (request.headers.get("host", "127.0.0.1"), request.target)


def split_sentences(text):
    """Cuts TEXT where a sentence ends (after . ! ? and the spaces that follow, after 。！？, after a
    line break) the way Google's web endpoint segments its reply; the parts join back into TEXT."""
    parts, start, i = [], 0, 0
    while i < len(text):
        c = text[i]
        end = None
        if c in ".!?" and (i + 1 == len(text) or text[i + 1].isspace()):
            end = i + 1
        elif c in "。！？":
            end = i + 1
        elif c == "\n":
            end = i + 1
        if end is None:
            i += 1
            continue
        while end < len(text) and text[end].isspace():
            end += 1
        parts.append(text[start:end])
        start = i = end
    if start < len(text):
        parts.append(text[start:])
    return parts


def lingva_spoken(text):
    """The part of TEXT that Lingva's audio reads: its first 200 characters, cut back to the last space
    at or before that point when the text is longer (lingva-scraper's getAudio)."""
    last_space = text.rfind(" ", 0, LINGVA_AUDIO_LIMIT + 1)
    return text[:last_space if len(text) > LINGVA_AUDIO_LIMIT and last_space != -1 else LINGVA_AUDIO_LIMIT]


def best_locale(header, available):
    """The first of AVAILABLE that an Accept-Language header asks for (by quality, then order; a
    regional tag such as de-DE also matches its language), or None."""
    asked = []
    for index, part in enumerate(header.split(",")):
        tag, _, params = part.strip().partition(";")
        quality = 1.0
        for param in params.split(";"):
            name, _, value = param.strip().partition("=")
            if name.strip() == "q":
                try:
                    quality = float(value)
                except ValueError:
                    quality = 0.0
        tag = tag.strip().lower().replace("_", "-")
        if tag and quality > 0:
            asked.append((-quality, index, tag))
    for _, _, tag in sorted(asked):
        if tag in available:
            return tag
        if tag.split("-")[0] in available:
            return tag.split("-")[0]
    return None


class Handler(socketserver.BaseRequestHandler):
    def read_request(self):
        data = bytearray()
        while True:
            chunk = self.request.recv(1 << 20)
            if not chunk:
                return None
            searched_from = max(0, len(data) - 3)
            data += chunk
            if data.find(b"\r\n\r\n", searched_from) != -1:
                break
        data = bytes(data)
        head, _, body = data.partition(b"\r\n\r\n")
        length = 0
        for line in head.split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"content-length":
                length = int(value.strip() or 0)
        while len(body) < length:
            chunk = self.request.recv(65536)
            if not chunk:
                break
            body += chunk
        return head + b"\r\n\r\n" + body

    def send(self, body, status="200 OK", content_type="text/plain; charset=UTF-8", extra=b""):
        """Sends one answer and closes; a content_type of None sends no Content-Type header."""
        if isinstance(body, str):
            body = body.encode("utf-8")
        head = "HTTP/1.1 %s\r\n" % status
        if content_type is not None:
            head += "Content-Type: %s\r\n" % content_type
        head += "Content-Length: %d\r\nConnection: close\r\n" % len(body)
        self.landed()
        self.request.sendall(head.encode("ascii") + extra + b"\r\n" + body)

    def landed(self):
        """Ends the request's time in flight. Called just before the answer goes out: once the client
        has the answer it may send its next request, which must not find this one still counted."""
        service, self.flying = getattr(self, "flying", None), None
        if service is not None:
            with self.server.state.lock:
                self.server.state.in_flight[service] -= 1

    def reply(self, reply):
        self.send(reply.body, status_line(reply.code), reply.content_type, reply.extra)

    def handle(self):
        # A client that drops the connection (or refuses our certificate) is a case under test,
        # not a fault of the stand-in: leave quietly instead of printing a traceback.
        try:
            if isinstance(self.request, ssl.SSLSocket):
                self.request.settimeout(10)
                self.request.do_handshake()
                self.request.settimeout(None)
            raw = self.read_request()
            if raw is None:
                return
            request = Request(raw)
            service = None if request.path.startswith("/_") else route_of(request)[0]
            if service is None:
                self.answer(request)
                return
            state = self.server.state
            with state.lock:  # in flight from now until the answer goes out (delay included)
                state.in_flight[service] += 1
                state.peak[service] = max(state.peak[service], state.in_flight[service])
            self.flying = service
            try:
                self.answer(request)
            finally:
                self.landed()
        except (OSError, ValueError):
            pass

    def answer(self, request):
        state = self.server.state
        path, query = request.path, request.query
        if path.startswith("/_"):
            return self.control(path, query)
        service, kind, handler = route_of(request)
        with state.lock:
            state.records.append(request.raw)
            mode = dict(state.mode)
            config = dict(state.config[service]) if service else {}
        if path.startswith("/fault/"):
            mode = {"fault": path[len("/fault/"):], **{k: v[0] for k, v in query.items()}}
        elif service is None:
            mode = {}  # only the services misbehave: a redirect target such as /echo answers normally
        if service == "libretranslate" and -1 < config["proxy_body_limit"] < len(request.body):
            # The reverse proxy in front refuses the body itself: the service never sees it.
            self.send(NGINX_413, status_line(413), "text/html", b"Server: nginx\r\n")
            return
        if config.get("delay_ms", 0) > 0:
            time.sleep(config["delay_ms"] / 1000.0)
        if mode and self.misbehave(mode, kind, request, config):
            return
        if handler is not None:
            try:
                getattr(self, handler)(request, config)
            except Reply as reply:
                self.reply(reply)
        elif path == "/echo" or path.startswith("/fault/"):
            self.send(request.raw, content_type="application/octet-stream")
        else:
            self.send(ERROR_PAGE.format(code=404), "404 Not Found", "text/html")

    # The classic endpoint ---------------------------------------------------------------------

    def classic_translate(self, request, config):
        if config["refuse"]:
            raise google_page_reply(config["refuse"], request)
        self.send(translate_reply(request.query))

    def classic_tts(self, request, config):
        self.send(self.server.state.mp3, content_type="audio/mpeg")

    # LibreTranslate ---------------------------------------------------------------------------

    def libre_locale(self, request, config):
        """The locale the server answers in: X-Override-Accept-Language, else the best match of
        Accept-Language, else the server's default (the locale option)."""
        available = {"en"} | set(LIBRE_LOCALES)
        override = request.headers.get("x-override-accept-language", "")
        if override in available:
            return override
        return best_locale(request.headers.get("accept-language", ""), available) or config["locale"]

    def libretranslate(self, request, config):
        locale = self.libre_locale(request, config)
        say = lambda msgid, **params: libre_text(locale, msgid, **params)
        if request.method != "POST":
            raise Reply(405, ERROR_PAGE.format(code=405), "text/html", b"Allow: OPTIONS, POST\r\n")
        if request.is_json():
            try:
                fields = json.loads(request.body)
            except ValueError as error:  # JSONDecodeError and UnicodeDecodeError alike
                raise libre_error(400, "Failed to decode JSON object: %s" % error)
            if not isinstance(fields, dict):
                raise libre_error(400, say("Invalid JSON format"))
        else:
            fields = {k: v[0] for k, v in request.form().items()}

        key = config["key"]
        given = fields.get("api_key")
        if key:
            if given and given != key:
                raise libre_error(403, say("Invalid API key"))
            if not given:
                link = config["key_link"]
                raise libre_error(400, say("Visit %(url)s to get an API key", url=link) if link
                                  else say("Please contact the server operator to get an API key"))

        q, source, target, text_format = (fields.get(n) for n in ("q", "source", "target", "format"))
        for name, value in (("q", q), ("source", source), ("target", target)):
            if not value:
                raise libre_error(400, say("Invalid request: missing %(name)s parameter", name=name))
        if not request.is_json() and isinstance(q, str):
            q = "\n".join(q.splitlines())  # the service counts form texts with LF line ends
        batch = isinstance(q, list)
        too_long = "Invalid request: request (%(size)s) exceeds text limit (%(limit)s)"
        if batch and config["batch_limit"] != -1 and len(q) > config["batch_limit"]:
            raise libre_error(400, say(too_long, size=len(q), limit=config["batch_limit"]))
        texts = q if batch else [q]
        if not all(isinstance(t, str) for t in texts):
            raise libre_error(500, FLASK_500)  # the service fails on such input with a bare 500
        limit = config["char_limit"]
        if limit != -1:
            sizes = [len(t) for t in texts] if config["char_count"] == "text" else [sum(len(t) for t in texts)]
            for size in sizes:
                if size > limit:
                    raise libre_error(400, say(too_long, size=size, limit=limit))
        if source != "auto" and source not in LIBRE_CODES:
            raise libre_error(400, say("%(lang)s is not supported", lang=source))
        if target not in LIBRE_CODES:
            raise libre_error(400, say("%(lang)s is not supported", lang=target))
        text_format = text_format or "text"
        if text_format not in ("text", "html"):
            raise libre_error(400, say("%(format)s format is not supported", format=text_format))

        results = [translate_text(t, target) for t in texts]
        reply = {"translatedText": results if batch else results[0]}
        if source == "auto":
            detected = [{"confidence": 90.0, "language": detect(t)} for t in texts]
            reply["detectedLanguage"] = detected if batch else detected[0]
        self.send(libre_json(reply), content_type="application/json")

    def libre_settings(self, request, config):
        if not config["frontend_settings"]:
            raise Reply(404, FLASK_404, "text/html; charset=utf-8")
        if request.method not in ("GET", "HEAD"):
            raise Reply(405, ERROR_PAGE.format(code=405), "text/html", b"Allow: HEAD, OPTIONS, GET\r\n")
        locale = self.libre_locale(request, config)
        target = locale if locale in LIBRE_LANGUAGE_NAMES else "en"
        keyed = bool(config["key"])
        self.send(libre_json({
            "charLimit": config["char_limit"],
            "frontendTimeout": 500,
            "apiKeys": keyed,
            "keyRequired": keyed,
            "suggestions": False,
            "filesTranslation": True,
            "supportedFilesFormat": LIBRE_FILE_FORMATS,
            "language": {
                "source": {"code": "auto", "name": libre_text(locale, "Auto Detect")},
                "target": {"code": target, "name": libre_text(locale, LIBRE_LANGUAGE_NAMES[target])},
            },
        }), content_type="application/json")

    # Google Cloud Translation v2 and Text-to-Speech v1 -------------------------------------------

    def google_key(self, request, config):
        limit = config["body_limit"]
        if limit != -1 and len(request.body) > limit:
            raise google_error(400, "Request payload size exceeds the limit: %d bytes." % limit)
        key = config["key"]
        given = request.headers.get("x-goog-api-key", "")
        if not key:
            return
        if not given:
            raise google_error(403, "The request is missing a valid API key.")
        if given != key:
            raise google_error(400, "API key not valid. Please pass a valid API key.", details=[{
                "@type": "type.googleapis.com/google.rpc.ErrorInfo", "reason": "API_KEY_INVALID",
                "domain": "googleapis.com", "metadata": {"service": "translate.googleapis.com"}}])

    def google_fields(self, request, known):
        """The request's fields: the JSON body, or query and form parameters (lists of values)."""
        if request.is_json():
            try:
                fields = json.loads(request.body) if request.body.strip() else {}
            except ValueError as error:
                raise google_error(400, "Invalid JSON payload received. %s" % error)
            if not isinstance(fields, dict):
                raise google_error(400, "Invalid JSON payload received. Expected an object.")
        else:
            fields = {k: (v if k == "q" else v[0]) for k, v in request.form().items() if k != "key"}
        for name in fields:
            if name not in known:
                raise google_error(400, 'Invalid JSON payload received. Unknown name "%s": Cannot find field.'
                                   % name)
        return fields

    def google_translate(self, request, config):
        if request.method not in ("POST", "GET"):
            raise google_error(404, "Method not found.")
        self.google_key(request, config)
        fields = self.google_fields(request, {"q", "source", "target", "format", "model", "cid"})
        q = fields.get("q")
        texts = q if isinstance(q, list) else [q] if q is not None else []
        for text in texts:
            if not isinstance(text, str):
                raise google_error(400, "Invalid value at 'q' (TYPE_STRING), %s" % json.dumps(text))
        if not texts:
            raise google_error(400, "Missing required field q")
        target, source = fields.get("target"), fields.get("source")
        if not target:
            raise google_error(400, "Missing required field target")
        for code in (target, source):
            if code is not None and (not isinstance(code, str) or (code and code not in GOOGLE_CODES)):
                raise google_error(400, "Invalid Value", reason="invalid")
        text_format = fields.get("format") or "html"
        if text_format not in ("text", "html"):
            raise google_error(400, "Invalid Value", reason="invalid")
        if config["batch_limit"] != -1 and len(texts) > config["batch_limit"]:
            raise google_error(400, "Too many text segments", reason="invalid")
        if config["char_limit"] != -1 and sum(len(t) for t in texts) > config["char_limit"]:
            raise google_error(400, "Text too long", reason="invalid")
        translations = []
        for text in texts:
            translated = translate_text(text, target)
            entry = {"translatedText": html_escape(translated) if text_format == "html" else translated}
            if not source:
                entry["detectedSourceLanguage"] = detect(text)
            translations.append(entry)
        self.send(google_json({"data": {"translations": translations}}),
                  content_type="application/json; charset=UTF-8")

    def google_tts(self, request, config):
        if request.method != "POST":
            raise google_error(404, "Method not found.")
        self.google_key(request, config)
        if not request.is_json():
            raise google_error(400, "Invalid JSON payload received. Expected a JSON request body.")
        fields = self.google_fields(request, {"input", "voice", "audioConfig", "enableTimePointing"})
        source, voice, audio = (fields.get(n) for n in ("input", "voice", "audioConfig"))
        for name, value in (("input", source), ("voice", voice), ("audioConfig", audio)):
            if value is not None and not isinstance(value, dict):
                raise google_error(400, "Invalid value at '%s' (type.googleapis.com/google.cloud.texttospeech.v1.%s), %s"
                                   % (name, name[0].upper() + name[1:], json.dumps(value)))
        source, voice, audio = source or {}, voice or {}, audio or {}
        text = source.get("text") if source.get("text") is not None else source.get("ssml")
        if not isinstance(text, str) or not text:
            raise google_error(400, "Either `input.text` or `input.ssml` must be set.")
        if len(text.encode("utf-8")) > TTS_INPUT_LIMIT:
            raise google_error(400, "Either `input.text` or `input.ssml` is longer than the limit of 5000 bytes. "
                               "This limit is different from quotas. To fix, reduce the byte length of the "
                               "characters in this request, or consider using the Long Audio API: "
                               "https://cloud.google.com/text-to-speech/docs/create-audio-text-long-audio-synthesis.")
        language, name = voice.get("languageCode"), voice.get("name")
        if not language:
            raise google_error(400, "Missing required field voice.languageCode")
        if language not in TTS_LANGUAGES:
            raise google_error(400, "Language Code '%s' is not supported." % language)
        if name is not None and (not isinstance(name, str) or not name.startswith(language + "-")):
            raise google_error(400, "Voice '%s' does not exist. Is it misspelled?" % name)
        if audio.get("audioEncoding") not in TTS_ENCODINGS:
            raise google_error(400, "Missing required field audioConfig.audioEncoding"
                               if audio.get("audioEncoding") is None else "Invalid Value", reason=None)
        content = base64.b64encode(self.server.state.mp3).decode("ascii")
        self.send(google_json({"audioContent": content}), content_type="application/json; charset=UTF-8")

    # Lingva -----------------------------------------------------------------------------------

    def lingva(self, request, config):
        segments = request.path[len("/api/v1/"):].split("/") if request.path.startswith("/api/v1/") else []
        if len(segments) != 3 or not all(segments):
            raise lingva_error(404, "Not Found")
        if request.method != "GET":
            raise lingva_error(405, "Method Not Allowed", b"Allow: GET\r\n")
        source, target, query = (urllib.parse.unquote(s, errors="replace") for s in segments)
        if target not in LINGVA_CODES or target == "auto":
            raise lingva_error(400, "Invalid target language")
        if source == "audio":
            mp3 = self.server.state.mp3
            if not mp3:
                raise lingva_error(500, "An error occurred while retrieving the audio")
            # Lingva silently reads only the start of a long text; the header (the stand-in's own) tells
            # how many characters that start has.
            spoken = b"X-Stand-In-Spoken-Chars: %d\r\n" % len(lingva_spoken(query))
            self.send(lingva_json({"audio": list(mp3)}), content_type="application/json; charset=utf-8",
                      extra=spoken)
            return
        if source not in LINGVA_CODES or source == "zh_HANT":
            raise lingva_error(400, "Invalid source language")
        info = LINGVA_INFO.get((query, family(target)))
        info = json.loads(json.dumps(info)) if info else {
            "pronunciation": {}, "definitions": [], "examples": [], "similar": [], "extraTranslations": []}
        if source == "auto":
            info = {"detectedSource": detect(query), **info}
        reply = {"translation": translate_text(query, target), "info": info}
        self.send(lingva_json(reply), content_type="application/json; charset=utf-8")

    # DeepL API v2 -----------------------------------------------------------------------------

    def deepl_translate(self, request, config):
        if request.method != "POST":
            raise deepl_error(405, "Method Not Allowed", b"Allow: POST\r\n")
        if -1 < config["body_limit"] < len(request.body):
            raise deepl_error(413, "Request Entity Too Large")
        if request.is_json():
            try:
                fields = json.loads(request.body) if request.body.strip() else {}
            except ValueError:
                raise deepl_error(400, "Invalid request: the body is not valid JSON")
            if not isinstance(fields, dict):
                raise deepl_error(400, "Invalid request: the body is not valid JSON")
            texts = fields.get("text")
            legacy = "json body"
        else:
            fields = {k: v[0] for k, v in urllib.parse.parse_qs(
                request.body.decode("utf-8", "replace"), keep_blank_values=True).items()}
            texts = urllib.parse.parse_qs(request.body.decode("utf-8", "replace"),
                                          keep_blank_values=True).get("text")
            legacy = "form body"
        # The key in the query or body is no longer accepted at all, even next to a good header.
        if "auth_key" in request.query:
            raise deepl_error(403, DEEPL_LEGACY_AUTH % "query parameter")
        if "auth_key" in fields:
            raise deepl_error(403, DEEPL_LEGACY_AUTH % legacy)
        if config["key"]:
            scheme, _, given = request.headers.get("authorization", "").partition(" ")
            if scheme.lower() != "deepl-auth-key" or given.strip() != config["key"]:
                raise deepl_error(403)
        if texts is None or texts == []:
            raise deepl_error(400, "Parameter 'text' not specified.")
        if not isinstance(texts, list) or not all(isinstance(t, str) for t in texts):
            raise deepl_error(400, "Invalid request: Expected 'text' parameter to be an array of strings")
        target, source = fields.get("target_lang"), fields.get("source_lang")
        if not target:
            raise deepl_error(400, "Parameter 'target_lang' not specified.")
        if not isinstance(target, str) or target.upper() not in DEEPL_TARGETS:
            raise deepl_error(400, "Value for 'target_lang' not supported.")
        if source and (not isinstance(source, str) or source.upper() not in DEEPL_SOURCES):
            raise deepl_error(400, "Value for 'source_lang' not supported.")
        if len(texts) > config["texts_limit"] > -1:
            raise deepl_error(413, "Too many texts in the request (at most %d)" % config["texts_limit"])
        if config["quota_exceeded"]:
            raise deepl_error(456, "Quota exceeded")
        translations = [{"detected_source_language": source.upper() if source else detect(t).upper(),
                         "text": translate_text(t, target)} for t in texts]
        self.send(compact_json({"translations": translations}), content_type="application/json")

    # Microsoft Translator v3 ------------------------------------------------------------------

    def microsoft_texts(self, request, config, elements_limit):
        """Checks what translate and dictionary lookup share; returns the request's texts."""
        if request.method != "POST":
            raise microsoft_error(405000)
        if config["key"] and request.headers.get("ocp-apim-subscription-key", "") != config["key"]:
            raise microsoft_error(401000)
        region = request.headers.get("ocp-apim-subscription-region", "")
        if config["region"] and region.lower() != config["region"].lower():
            raise microsoft_error(401000)
        if config["quota_exceeded"]:
            raise microsoft_error(403001)
        if request.query.get("api-version", [""])[0] != "3.0":
            raise microsoft_error(400021)
        if not request.is_json():
            raise microsoft_error(415000)
        try:
            elements = json.loads(request.body)
        except ValueError:
            raise microsoft_error(400074)
        if not isinstance(elements, list):
            raise microsoft_error(400074)
        if len(elements) > elements_limit:
            raise microsoft_error(400072)
        texts = []
        for element in elements:
            if not isinstance(element, dict):
                raise microsoft_error(400020)
            text = next((v for k, v in element.items() if k.lower() == "text"), None)
            if not isinstance(text, str):
                raise microsoft_error(400005)
            texts.append(text)
        if not texts:
            raise microsoft_error(400005)
        return texts

    def microsoft_code(self, code, error):
        canonical = MICROSOFT_CODES.get(code.lower())
        if canonical is None:
            raise microsoft_error(error)
        return canonical

    def microsoft_translate(self, request, config):
        texts = self.microsoft_texts(request, config, MICROSOFT_ELEMENTS_LIMIT)
        targets = [t for t in request.query.get("to", []) if t]
        if not targets:
            raise microsoft_error(400036)
        canonical = [self.microsoft_code(t, 400036) for t in targets]
        source = request.query.get("from", [""])[0]
        if source:
            self.microsoft_code(source, 400035)
        if sum(len(t) for t in texts) > MICROSOFT_TEXT_LIMIT:
            raise microsoft_error(400077)
        reply = []
        for text in texts:
            entry = {}
            if not source:
                entry["detectedLanguage"] = {"language": "zh-Hans" if detect(text) == "zh" else "en", "score": 1.0}
            entry["translations"] = [{"text": translate_text(text, sent), "to": code}
                                     for sent, code in zip(targets, canonical)]
            reply.append(entry)
        self.send(compact_json(reply), content_type="application/json; charset=utf-8")

    def microsoft_dictionary(self, request, config):
        texts = self.microsoft_texts(request, config, MICROSOFT_DICTIONARY_ELEMENTS)
        source, target = (request.query.get(n, [""])[0] for n in ("from", "to"))
        if not source:
            raise microsoft_error(400035)
        if not target:
            raise microsoft_error(400036)
        source, target = self.microsoft_code(source, 400035), self.microsoft_code(target, 400036)
        pair = {source, target}
        if "en" not in pair or len(pair) != 2 or not (pair - {"en"}) <= MICROSOFT_DICTIONARY:
            raise microsoft_error(400023)
        reply = []
        for text in texts:
            if len(text) > MICROSOFT_DICTIONARY_TEXT:
                raise microsoft_error(400050)
            normalized = text.strip().lower()
            display, translations = MICROSOFT_LOOKUP.get((normalized, family(source), family(target)),
                                                         (text.strip(), []))
            reply.append({"normalizedSource": normalized, "displaySource": display,
                          "translations": json.loads(json.dumps(translations))})
        self.send(compact_json(reply), content_type="application/json; charset=utf-8")

    # Google's web endpoint (translate_a/single and translate_tts with a client) ---------------

    def google_refusal(self, request, config):
        """Refuses a client in refused_clients the way Google does: gtx with the /sorry/ page (429),
        others with the 403 page; or, with the redirect option, a 302 to /sorry/index."""
        client = request.form().get("client", [""])[0]
        refused = [c.strip() for c in config["refused_clients"].split(",") if c.strip()]
        if client not in refused:
            return
        if config["redirect"]:
            location = "/sorry/index?continue=%s&q=%s" % (urllib.parse.quote(full_url(request), safe=""),
                                                          "EgR_AAABGJ2Hr7AGIjA")
            raise Reply(302, GOOGLE_MOVED_PAGE.format(url=html_escape(location)), "text/html; charset=UTF-8",
                        ("Location: %s\r\n" % location).encode("ascii"))
        raise google_page_reply(429 if client == "gtx" else 403, request)

    def google_sorry(self, request, config):
        url = request.query.get("continue", [full_url(request)])[0]
        raise Reply(429, google_sorry(url), "text/html")

    def google_web_tts(self, request, config):
        self.google_refusal(request, config)
        text = request.query.get("q", [""])[0]
        if not text or len(text) > GOOGLE_TTS_TEXT_LIMIT:
            raise google_page_reply(400, request)
        self.send(self.server.state.mp3, content_type="audio/mpeg")

    def google_web(self, request, config):
        if request.method not in ("GET", "POST"):
            raise google_page_reply(405, request)
        self.google_refusal(request, config)
        fields = request.form()
        first = lambda name, default="": fields.get(name, [default])[0]
        if "q" not in fields:
            raise google_page_reply(400, request)
        text, source, target, home = first("q"), first("sl", "auto"), first("tl"), first("hl", "en")
        if len(text) > GOOGLE_WEB_TEXT_LIMIT:
            raise google_page_reply(413, request)
        if target not in GOOGLE_CODES or (source != "auto" and source not in GOOGLE_CODES):
            raise google_page_reply(400, request)
        detected = ("zh-CN" if detect(text) == "zh" else "en") if source == "auto" else source
        wanted = set(fields.get("dt", []))
        if text in CANNED_TEXT_KEYS.get(family(target), ()):
            segments = [(translate_text(text, target), text)]
        else:
            parts = split_sentences(text)
            segments = [((target + ":" if i == 0 else "") + part, part) for i, part in enumerate(parts)]
        if "t" not in wanted:
            segments = []
        translit = GOOGLE_WEB_TRANSLIT.get((text, family(target))) if "rm" in wanted else None
        entries = GOOGLE_WEB_DICT.get((text, family(target))) if "bd" in wanted else None
        chinese = family(home) == "zh"
        if first("dj") == "1":
            reply = {"sentences": [{"trans": t, "orig": o, "backend": 10} for t, o in segments]}
            if translit:
                reply["sentences"].append({"translit": translit})
            if entries:
                base, groups = entries
                reply["dict"] = [{"pos": GOOGLE_WEB_POS[pos][0] if chinese else pos,
                                  "terms": [w for w, _, _ in words],
                                  "entry": [{"word": w, "reverse_translation": r, "score": c} for w, r, c in words],
                                  "base_form": base, "pos_enum": GOOGLE_WEB_POS[pos][1]} for pos, words in groups]
            reply.update({"src": detected, "confidence": 1.0, "spell": {},
                          "ld_result": {"srclangs": [detected], "srclangs_confidences": [1.0],
                                        "extended_srclangs": [detected]}})
        else:
            sentences = [[t, o, None, None, 10] for t, o in segments]
            if translit:
                sentences.append([None, None, translit])
            dictionary = None
            if entries:
                base, groups = entries
                dictionary = [[GOOGLE_WEB_POS[pos][0] if chinese else pos, [w for w, _, _ in words],
                               [[w, r, None, c] for w, r, c in words], base, GOOGLE_WEB_POS[pos][1]]
                              for pos, words in groups]
            reply = [sentences or None, dictionary, detected, None, None, None, 1.0, [],
                     [[detected], None, [1.0], [detected]]]
        self.send(compact_json(reply), content_type="application/json; charset=utf-8")

    # Faults -----------------------------------------------------------------------------------

    def json_shape(self, kind, value):
        """The service's success reply with VALUE where the translation (or audio) goes."""
        return {
            "libretranslate": lambda: {"translatedText": value},
            "google": lambda: {"data": {"translations": [{"translatedText": value}]}},
            "google-tts": lambda: {"audioContent": value},
            "lingva": lambda: {"translation": value, "info": {"pronunciation": {}, "definitions": [],
                                                              "examples": [], "similar": [],
                                                              "extraTranslations": []}},
            "lingva-audio": lambda: {"audio": value},
            "libretranslate-settings": lambda: {"charLimit": value, "frontendTimeout": 500},
            "deepl": lambda: {"translations": [{"detected_source_language": "EN", "text": value}]},
            "microsoft": lambda: [{"translations": [{"text": value, "to": "zh-Hans"}]}],
            "microsoft-dict": lambda: [{"normalizedSource": "x", "displaySource": "x", "translations": [
                {"normalizedTarget": value, "displayTarget": value, "posTag": "NOUN", "confidence": 1.0,
                 "prefixWord": "", "backTranslations": []}]}],
            "google-web": lambda: [[[value, "x", None, None, 10]], None, "en", None, None, None, 1.0, [],
                                   [["en"], None, [1.0], ["en"]]],
        }[kind]()

    def json_with_raw(self, kind, raw):
        marker = "@@stand-in@@"
        text = json.dumps(self.json_shape(kind, marker), ensure_ascii=False).encode("utf-8")
        return text.replace(b'"' + marker.encode() + b'"', b'"' + raw + b'"')

    def service_error(self, kind, code, message, request, config):
        if kind in ("libretranslate", "libretranslate-settings"):
            locale = self.libre_locale(request, config)
            usual = {400: libre_text(locale, "Invalid request: missing %(name)s parameter", name="q"),
                     403: libre_text(locale, "Invalid API key"),
                     429: libre_text(locale, "Slowdown:") + " 20 per 1 minute"}.get(code)
            return libre_error(code, message or usual or LIBRE_MESSAGES.get(code, http_phrase(code)))
        if kind == "deepl":
            return deepl_error(code, message or (None if code == 403 else DEEPL_MESSAGES.get(code, http_phrase(code))))
        if kind in ("microsoft", "microsoft-dict"):
            usual = {401: 401000, 403: 403000, 408: 408001, 429: 429000}.get(code, code * 1000)
            return microsoft_error(usual if code < 1000 else code, message)
        if kind == "google-web":
            if message:
                return Reply(code, message, "text/html; charset=UTF-8")
            return google_page_reply(code, request)
        if kind in ("google", "google-tts"):
            service = "texttospeech.googleapis.com" if kind == "google-tts" else "translate.googleapis.com"
            usual = GOOGLE_MESSAGES.get(code, http_phrase(code)).format(service=service)
            return google_error(code, message or usual)
        what = "audio" if kind == "lingva-audio" else "translation"
        usual = {400: "Invalid target language", 404: "Not Found", 405: "Method Not Allowed",
                 500: "An error occurred while retrieving the %s" % what}.get(code, http_phrase(code))
        return lingva_error(code, message or usual)

    def misbehave(self, mode, kind, request, config):
        """Acts out a fault; returns True when the request has been answered (or dropped)."""
        fault = mode.get("fault")
        if fault == "stall":
            time.sleep(float(mode.get("seconds", 1)))
            return False
        if fault == "close":
            head = b"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\nConnection: close\r\n\r\n"
            self.landed()
            self.request.sendall(head + pattern(300))
            self.request.shutdown(socket.SHUT_RDWR)
            return True
        if fault == "big":
            self.send(pattern(int(mode.get("bytes", 3 << 20))), content_type="application/octet-stream")
            return True
        if fault == "redirect":
            self.send("", "302 Found", extra=b"Location: /echo\r\n")
            return True
        if kind is not None:
            return self.misbehave_json(mode, kind, request, config)
        if fault == "status":
            code = int(mode.get("code", 500))
            self.send(ERROR_PAGE.format(code=code), "%d Error" % code, "text/html")
            return True
        if fault == "nul":
            self.send(b'[[["a\x00b","x","",""]],,"en",,[[0]],0]\x00tail')
            return True
        if fault == "utf8bad":
            self.send(b'[[["\xff\xfe\xc3(","x","",""]],,"en",,[[0]],0]')
            return True
        if fault == "sentences":
            count = int(mode.get("count", 100000))
            self.send("[[" + ",".join('["s%d ","x","",""]' % i for i in range(count)) + '],,"en",,[[0]],0]')
            return True
        return False

    def misbehave_json(self, mode, kind, request, config):
        fault = mode.get("fault")
        content_type = "application/json"
        if fault == "status":
            self.reply(self.service_error(kind, int(mode.get("code", 500)), mode.get("body"), request, config))
        elif fault == "nul":
            self.send(self.json_with_raw(kind, b"a\x00b") + b"\x00tail", content_type=content_type)
        elif fault == "utf8bad":
            self.send(self.json_with_raw(kind, b"\xff\xfe\xc3("), content_type=content_type)
        elif fault == "badjson":
            whole = json.dumps(self.json_shape(kind, "truncated reply")).encode("utf-8")
            self.send(whole[:len(whole) - 12], content_type=content_type)
        elif fault == "wrongtypes":
            wrong = {"libretranslate": {"translatedText": 42},
                     "google": {"data": {"translations": {"translatedText": ["x"]}}},
                     "google-tts": {"audioContent": 12345},
                     "lingva": {"translation": ["x"], "info": "none"},
                     "lingva-audio": {"audio": "AAAA"},
                     "libretranslate-settings": {"charLimit": "5000", "language": []},
                     "deepl": {"translations": {"text": 5}},
                     "microsoft": {"translations": [{"text": ["x"]}]},
                     "microsoft-dict": [{"normalizedSource": 1, "translations": "none"}],
                     "google-web": {"sentences": [[1, 2]], "src": 5}}[kind]
            self.send(json.dumps(wrong), content_type=content_type)
        elif fault == "json":
            code = int(mode.get("code", 200))
            self.send(mode.get("body", ""), status_line(code), content_type)
        else:
            return False  # e.g. "sentences": the JSON services answer normally
        return True

    # Control ----------------------------------------------------------------------------------

    def control(self, path, query):
        state = self.server.state
        status, content_type = "200 OK", "text/plain; charset=UTF-8"
        with state.lock:
            if path == "/_reset":
                state.records.clear()
                state.mode = {}
                state.config = fresh_config()
                state.peak = dict(state.in_flight)
                body = b"ok"
            elif path == "/_log":
                body = b"".join(b"%d\n" % len(r) + r for r in state.records)
            elif path == "/_count":
                prefix = query.get("path", [""])[0].encode("latin-1")
                body = b"%d" % sum(1 for r in state.records if r.split(b" ")[1].startswith(prefix))
            elif path == "/_mode":
                state.mode = {k: v[0] for k, v in query.items()}
                body = b"ok"
            elif path == "/_concurrency":
                service = query.get("service", [""])[0]
                if service in state.peak:
                    body = b"%d" % state.peak[service]
                else:
                    body = ("unknown service %r; one of %s" % (service, ", ".join(sorted(state.peak)))).encode()
                    status = "400 Bad Request"
            elif path == "/_config":
                body, ok = configure(state.config, query)
                status = "200 OK" if ok else "400 Bad Request"
                content_type = "application/json" if ok else content_type
            else:
                body = b"unknown control path"
        self.send(body, status, content_type)


def http_phrase(code):
    try:
        return http.HTTPStatus(code).phrase
    except ValueError:
        return "Error"


def configure(config, query):
    """Applies /_config's parameters; returns (body, accepted)."""
    service = query.get("service", [""])[0]
    if service not in config:
        return ("unknown service %r; one of %s" % (service, ", ".join(sorted(config)))).encode(), False
    changes = {}
    for name, values in query.items():
        if name == "service":
            continue
        if name not in config[service]:
            return ("unknown option %r for %s" % (name, service)).encode(), False
        if isinstance(DEFAULT_CONFIG[service][name], int):
            try:
                changes[name] = int(values[0])
            except ValueError:
                return ("option %s needs a number" % name).encode(), False
        else:
            changes[name] = values[0]
    config[service].update(changes)
    return json.dumps(config[service], sort_keys=True).encode(), True


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128


class TlsServer(Server):
    """The same service behind TLS. The handshake happens in the request's own thread, so that
    a client that stalls or refuses the certificate does not hold up the others."""

    def __init__(self, address, context, family=socket.AF_INET):
        self.address_family = family
        self.context = context
        super().__init__(address, Handler)

    def get_request(self):
        sock, address = super().get_request()
        return self.context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), address


def write_port_file(name, port):
    with open(name + ".tmp", "w") as f:
        f.write(str(port))
    os.replace(name + ".tmp", name)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=18081)
    parser.add_argument("--port-file", help="write the port that was bound here (useful with --port 0)")
    parser.add_argument("--mp3", help="the MP3 file served at /translate_tts and by the speech services")
    for name, what in (("tls", "TLS with a certificate the client trusts"),
                       ("untrusted", "TLS with a certificate from a CA the client does not trust")):
        parser.add_argument("--%s-cert" % name, help="PEM certificate (chain) for the %s port" % what)
        parser.add_argument("--%s-key" % name, help="its PEM private key")
        parser.add_argument("--%s-port" % name, type=int, default=0, help="port for %s (default: any free)" % what)
        parser.add_argument("--%s-port-file" % name, help="write that port here")
    args = parser.parse_args()
    mp3 = open(args.mp3, "rb").read() if args.mp3 else b""
    state = State(mp3)

    listeners = []  # (server, label, port file)
    server = Server(("127.0.0.1", args.port), Handler)
    listeners.append((server, "", args.port_file))
    for name, label in (("tls", " (TLS)"), ("untrusted", " (untrusted TLS)")):
        cert, key = getattr(args, name + "_cert"), getattr(args, name + "_key")
        if not cert:
            continue
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        tls = TlsServer(("127.0.0.1", getattr(args, name + "_port")), context)
        listeners.insert(len(listeners) - 1, (tls, label, getattr(args, name + "_port_file")))
        try:
            twin = TlsServer(("::1", tls.server_address[1]), context, socket.AF_INET6)
            listeners.insert(len(listeners) - 1, (twin, None, None))
        except OSError:
            pass  # no IPv6 loopback here; "localhost" then resolves to 127.0.0.1 only
    for listener, label, port_file in listeners:
        listener.state = state
        if label is None:
            continue
        port = listener.server_address[1]
        if port_file:
            write_port_file(port_file, port)
        print("stand-in service%s on 127.0.0.1:%d" % (label, port), flush=True)
    for listener, _, _ in listeners[:-1]:
        threading.Thread(target=listener.serve_forever, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
