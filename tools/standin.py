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

Service paths, answered like the real service:
  GET /translate_a/t?...text=..&sl=..&tl=..   the bracketed reply text (UTF-8): canned for a few
                                               texts, otherwise the translation "<tl>:<text>"
  GET /translate_tts?ie=UTF-8&q=..&tl=..       the MP3 file given with --mp3
  POST /translate                   LibreTranslate: JSON or form body q (text or list of texts),
                                    source (a code or "auto"), target, format, api_key;
                                    {"translatedText": ...} (a list for a list), non-ASCII escaped
                                    as \\uXXXX like the real service; errors {"error": "..."}
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
  GET /api/v1/SOURCE/TARGET/QUERY   Lingva: QUERY percent-encoded UTF-8; {"translation": ...,
                                    "info": {...}} with dictionary data (info.extraTranslations)
                                    for "hello"/"Hello" to zh and "print" to zh; codes as Lingva's
                                    (zh, zh_HANT, en, auto ...); errors {"error": "..."}
  GET /api/v1/audio/LANG/QUERY      Lingva: {"audio": [the MP3's bytes as numbers]}
The new services translate by the same rule as the classic path: "<target>:<text>", except for a
few canned texts ("Hello"/"hello"/"Hi" to Chinese, "打印" to en, "print" to Chinese).

Every request to a path that does not start with "/_" is recorded exactly as received (request
line, headers in order, body), over TLS as well. Control paths for tests:
  /_reset            forget the record, any fault mode and any service configuration
  /_log              the record: for each request its length in decimal, a newline, its bytes
  /_count?path=P     how many recorded requests have a target starting with P
  /_mode?fault=F&..  misbehave on every later service request (all the service paths above)
                     until /_reset
  /_config?service=S&name=value..   configure a service until /_reset; answers the service's
                     whole configuration as JSON. Options (unknown ones are refused with 400):
      libretranslate  key (empty: no key needed), key_link, batch_limit, char_limit, delay_ms
      google          key (empty: no key needed), batch_limit (128), char_limit, body_limit
                      (204800), delay_ms -- shared by translation and speech
      lingva          delay_ms
    A limit of -1 means none. delay_ms delays every answer of that service, errors included.

Faults, also reachable directly as /fault/F?... (answered as the classic path would be):
  stall&seconds=N    wait N seconds, then answer normally
  close              promise 100000 bytes, send 300, close the connection
  big&bytes=N        a body of N pattern bytes (byte i is i*7 mod 251)
  status&code=C      status C with an HTML error page; on the JSON services the service's own
                     error body instead, with message &body=M or the service's usual message
  redirect           302 to /echo
  nul                a body holding NUL bytes (on the JSON services inside the translated text)
  utf8bad            a body of invalid UTF-8 inside the bracketed form (or the JSON reply)
  sentences&count=N  a bracketed reply of N sentence entries (classic path only)
  badjson            the JSON services: a reply cut off in the middle of the JSON
  wrongtypes         the JSON services: well-formed JSON whose fields have the wrong types
  json&body=B[&code=C]  the JSON services: status C (200) with B as an application/json body
/echo answers with the raw request as its body.
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

# What /_config accepts per service, with the values /_reset restores.
DEFAULT_CONFIG = {
    "libretranslate": {"key": "", "key_link": "", "batch_limit": -1, "char_limit": -1, "delay_ms": 0},
    "google": {"key": "", "batch_limit": 128, "char_limit": -1, "body_limit": 204800, "delay_ms": 0},
    "lingva": {"delay_ms": 0},
}

# Request paths of the JSON services -> (kind, configuration it uses).
SERVICE_PATHS = {
    "/translate": ("libretranslate", "libretranslate"),
    "/language/translate/v2": ("google", "google"),
    "/v1/text:synthesize": ("google-tts", "google"),
}
CLASSIC_PATHS = ("/translate_a/t", "/translate_tts")

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
    return '[[["%s","%s","",""]],,"%s",,[[0]],0]' % (quote_json(tl + ":" + text), quote_json(text), sl)


def family(code):
    """Folds the services' spellings of a language into one key of CANNED_TEXT."""
    if code in ("zh", "zh-CN", "zh-Hans", "cmn-CN"):
        return "zh"
    if code in ("zt", "zh-TW", "zh_HANT", "zh-Hant"):
        return "zh-Hant"
    return code


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


def status_line(code):
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


def service_of(path):
    if path in SERVICE_PATHS:
        return SERVICE_PATHS[path]
    if urllib.parse.unquote(path) == "/v1/text:synthesize":
        return SERVICE_PATHS["/v1/text:synthesize"]
    if path.startswith("/api/v1/audio/"):
        return "lingva-audio", "lingva"
    if path.startswith("/api/v1/") or path == "/api/v1":
        return "lingva", "lingva"
    return None, None


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
        if isinstance(body, str):
            body = body.encode("utf-8")
        head = ("HTTP/1.1 %s\r\nContent-Type: %s\r\nContent-Length: %d\r\nConnection: close\r\n"
                % (status, content_type, len(body))).encode("ascii") + extra + b"\r\n"
        self.request.sendall(head + body)

    def handle(self):
        # A client that drops the connection (or refuses our certificate) is a case under test,
        # not a fault of the stand-in: leave quietly instead of printing a traceback.
        try:
            if isinstance(self.request, ssl.SSLSocket):
                self.request.settimeout(10)
                self.request.do_handshake()
                self.request.settimeout(None)
            raw = self.read_request()
            if raw is not None:
                self.answer(Request(raw))
        except (OSError, ValueError):
            pass

    def answer(self, request):
        state = self.server.state
        path, query = request.path, request.query
        if path.startswith("/_"):
            return self.control(path, query)
        kind, config_name = service_of(path)
        with state.lock:
            state.records.append(request.raw)
            mode = dict(state.mode)
            config = dict(state.config[config_name]) if config_name else {}
        if path.startswith("/fault/"):
            mode = {"fault": path[len("/fault/"):], **{k: v[0] for k, v in query.items()}}
        elif path not in CLASSIC_PATHS and kind is None:
            mode = {}  # only the service misbehaves: a redirect target such as /echo answers normally
        if config.get("delay_ms", 0) > 0:
            time.sleep(config["delay_ms"] / 1000.0)
        if mode and self.misbehave(mode, kind):
            return
        if path == "/translate_a/t":
            self.send(translate_reply(query))
        elif path == "/translate_tts":
            self.send(state.mp3, content_type="audio/mpeg")
        elif path == "/echo" or path.startswith("/fault/"):
            self.send(request.raw, content_type="application/octet-stream")
        elif kind is not None:
            try:
                handler = {"libretranslate": self.libretranslate, "google": self.google_translate,
                           "google-tts": self.google_tts, "lingva": self.lingva,
                           "lingva-audio": self.lingva}[kind]
                handler(request, config)
            except Reply as reply:
                self.send(reply.body, status_line(reply.code), reply.content_type, reply.extra)
        else:
            self.send(ERROR_PAGE.format(code=404), "404 Not Found", "text/html")

    # LibreTranslate ---------------------------------------------------------------------------

    def libretranslate(self, request, config):
        if request.method != "POST":
            raise Reply(405, ERROR_PAGE.format(code=405), "text/html", b"Allow: OPTIONS, POST\r\n")
        if request.is_json():
            try:
                fields = json.loads(request.body)
            except ValueError as error:  # JSONDecodeError and UnicodeDecodeError alike
                raise libre_error(400, "Failed to decode JSON object: %s" % error)
            if not isinstance(fields, dict):
                raise libre_error(400, "Invalid JSON format")
        else:
            fields = {k: v[0] for k, v in request.form().items()}

        key = config["key"]
        given = fields.get("api_key")
        if key:
            if given and given != key:
                raise libre_error(403, "Invalid API key")
            if not given:
                link = config["key_link"]
                raise libre_error(400, ("Visit %s to get an API key" % link) if link
                                  else "Please contact the server operator to get an API key")

        q, source, target, text_format = (fields.get(n) for n in ("q", "source", "target", "format"))
        for name, value in (("q", q), ("source", source), ("target", target)):
            if not value:
                raise libre_error(400, "Invalid request: missing %s parameter" % name)
        if not request.is_json() and isinstance(q, str):
            q = "\n".join(q.splitlines())  # the service counts form texts with LF line ends
        batch = isinstance(q, list)
        if batch and config["batch_limit"] != -1 and len(q) > config["batch_limit"]:
            raise libre_error(400, "Invalid request: request (%d) exceeds text limit (%d)"
                              % (len(q), config["batch_limit"]))
        texts = q if batch else [q]
        if not all(isinstance(t, str) for t in texts):
            raise libre_error(500, FLASK_500)  # the service fails on such input with a bare 500
        chars = sum(len(t) for t in texts)
        if config["char_limit"] != -1 and chars > config["char_limit"]:
            raise libre_error(400, "Invalid request: request (%d) exceeds text limit (%d)"
                              % (chars, config["char_limit"]))
        if source != "auto" and source not in LIBRE_CODES:
            raise libre_error(400, "%s is not supported" % source)
        if target not in LIBRE_CODES:
            raise libre_error(400, "%s is not supported" % target)
        text_format = text_format or "text"
        if text_format not in ("text", "html"):
            raise libre_error(400, "%s format is not supported" % text_format)

        results = [translate_text(t, target) for t in texts]
        reply = {"translatedText": results if batch else results[0]}
        if source == "auto":
            detected = [{"confidence": 90.0, "language": detect(t)} for t in texts]
            reply["detectedLanguage"] = detected if batch else detected[0]
        self.send(libre_json(reply), content_type="application/json")

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
            self.send(lingva_json({"audio": list(mp3)}), content_type="application/json; charset=utf-8")
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
        }[kind]()

    def json_with_raw(self, kind, raw):
        marker = "@@stand-in@@"
        text = json.dumps(self.json_shape(kind, marker), ensure_ascii=False).encode("utf-8")
        return text.replace(b'"' + marker.encode() + b'"', b'"' + raw + b'"')

    def service_error(self, kind, code, message):
        if kind == "libretranslate":
            return libre_error(code, message or LIBRE_MESSAGES.get(code, http_phrase(code)))
        if kind in ("google", "google-tts"):
            service = "texttospeech.googleapis.com" if kind == "google-tts" else "translate.googleapis.com"
            usual = GOOGLE_MESSAGES.get(code, http_phrase(code)).format(service=service)
            return google_error(code, message or usual)
        what = "audio" if kind == "lingva-audio" else "translation"
        usual = {400: "Invalid target language", 404: "Not Found", 405: "Method Not Allowed",
                 500: "An error occurred while retrieving the %s" % what}.get(code, http_phrase(code))
        return lingva_error(code, message or usual)

    def misbehave(self, mode, kind=None):
        """Acts out a fault; returns True when the request has been answered (or dropped)."""
        fault = mode.get("fault")
        if fault == "stall":
            time.sleep(float(mode.get("seconds", 1)))
            return False
        if fault == "close":
            head = b"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\nConnection: close\r\n\r\n"
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
            return self.misbehave_json(mode, kind)
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

    def misbehave_json(self, mode, kind):
        fault = mode.get("fault")
        content_type = "application/json"
        if fault == "status":
            reply = self.service_error(kind, int(mode.get("code", 500)), mode.get("body"))
            self.send(reply.body, status_line(reply.code), reply.content_type, reply.extra)
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
                     "lingva-audio": {"audio": "AAAA"}}[kind]
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
                body = b"ok"
            elif path == "/_log":
                body = b"".join(b"%d\n" % len(r) + r for r in state.records)
            elif path == "/_count":
                prefix = query.get("path", [""])[0].encode("latin-1")
                body = b"%d" % sum(1 for r in state.records if r.split(b" ")[1].startswith(prefix))
            elif path == "/_mode":
                state.mode = {k: v[0] for k, v in query.items()}
                body = b"ok"
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
