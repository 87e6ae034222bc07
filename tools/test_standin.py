#!/usr/bin/env python3
"""Checks the stand-in service (tools/standin.py) the way the program's clients see it: each
service's replies and error bodies, the control paths, the faults on the JSON services, and the
TLS ports with throwaway certificates (trusted through this test's own SSL context only; the
system's trust store is left alone).

    python3 tools/test_standin.py [-v]
"""
import base64
import http.client
import json
import os
import shutil
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
MP3 = bytes(range(256)) * 3 + b"ID3-stand-in"

# No proxy from the environment: everything here stays on the loopback.
OPENER = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def make_certificates(folder):
    """A trusted CA with a localhost certificate, and an untrusted CA with another one."""
    ext = os.path.join(folder, "server.ext")
    with open(ext, "w") as f:
        f.write("basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=DNS:localhost\n")
    for prefix in ("", "untrusted-"):
        path = lambda name: os.path.join(folder, prefix + name)
        for command in (
                ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", path("ca.key"), "-out", path("ca.crt"),
                 "-days", "2", "-subj", "/CN=%sstand-in test CA" % prefix,
                 "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign"],
                ["req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", path("server.key"),
                 "-out", path("server.csr"), "-subj", "/CN=localhost"],
                ["x509", "-req", "-in", path("server.csr"), "-CA", path("ca.crt"), "-CAkey", path("ca.key"),
                 "-set_serial", "2", "-days", "2", "-extfile", ext, "-out", path("server.crt")]):
            subprocess.run(["openssl"] + command, check=True, capture_output=True)


class StandIn(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="standin-test-")
        mp3 = os.path.join(cls.folder, "tone.mp3")
        with open(mp3, "wb") as f:
            f.write(MP3)
        cls.tls = shutil.which("openssl") is not None
        options = []
        if cls.tls:
            make_certificates(cls.folder)
            c = lambda name: os.path.join(cls.folder, name)
            options = ["--tls-cert", c("server.crt"), "--tls-key", c("server.key"),
                       "--untrusted-cert", c("untrusted-server.crt"), "--untrusted-key", c("untrusted-server.key")]
        cls.process = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "standin.py"), "--port", "0", "--mp3", mp3] + options,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        # One line per listener, the plain one last: reading them is waiting for the binding.
        cls.ports = {}
        for line in cls.process.stdout:
            label, _, port = line.strip().rpartition(":")
            cls.ports[label] = int(port)
            if label == "stand-in service on 127.0.0.1":
                break
        else:
            raise RuntimeError("the stand-in did not start")
        cls.port = cls.ports["stand-in service on 127.0.0.1"]
        cls.base = "http://127.0.0.1:%d" % cls.port

    @classmethod
    def tearDownClass(cls):
        cls.process.kill()
        cls.process.wait()
        cls.process.stdout.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def setUp(self):
        self.get("/_reset")

    # Helpers: (status, headers, body bytes), never raising on HTTP error statuses.
    def call(self, path, body=None, headers=None, method=None, base=None, context=None):
        request = urllib.request.Request((base or self.base) + path, data=body, headers=headers or {},
                                         method=method)
        opener = OPENER if context is None else urllib.request.build_opener(
            urllib.request.ProxyHandler({}), urllib.request.HTTPSHandler(context=context))
        try:
            with opener.open(request, timeout=10) as reply:
                return reply.status, reply.headers, reply.read()
        except urllib.error.HTTPError as error:
            return error.code, error.headers, error.read()

    def get(self, path):
        return self.call(path)[2]

    def post_json(self, path, obj, headers=None, **kw):
        return self.call(path, json.dumps(obj).encode("utf-8"),
                         {"Content-Type": "application/json", **(headers or {})}, **kw)

    def json_of(self, reply, status=200):
        code, headers, body = reply
        self.assertEqual(code, status, body)
        self.assertTrue(headers["Content-Type"].startswith("application/json"), headers["Content-Type"])
        return json.loads(body)

    def configure(self, query):
        code, _, body = self.call("/_config?" + query)
        self.assertEqual(code, 200, body)
        return json.loads(body)

    def google_error(self, reply, code, status, message):
        error = self.json_of(reply, code)["error"]
        self.assertEqual((error["code"], error["status"], error["message"]), (code, status, message))
        self.assertEqual(error["errors"][0]["message"], message)
        self.assertEqual(error["errors"][0]["domain"], "global")
        return error

    # The classic paths ----------------------------------------------------------------------

    def test_classic_paths_unchanged(self):
        self.assertTrue(self.get("/translate_a/t?text=Hello&sl=en&tl=zh-CN").decode().startswith('[[["Hello","你好"'))
        self.assertIn('"zh-CN:abc"', self.get("/translate_a/t?text=abc&sl=en&tl=zh-CN").decode())
        self.assertEqual(self.get("/translate_tts?ie=UTF-8&q=x&tl=en"), MP3)
        self.get("/_mode?fault=status&code=503")
        code, headers, body = self.call("/translate_a/t?text=x")
        self.assertEqual((code, headers["Content-Type"]), (503, "text/html"))
        self.assertEqual(self.get("/_count?path=/translate_"), b"4")

    # LibreTranslate -------------------------------------------------------------------------

    def test_libretranslate_answers(self):
        reply = self.post_json("/translate", {"q": "Hello", "source": "en", "target": "zh", "format": "text"})
        self.assertEqual(reply[2], b'{"translatedText":"\\u4f60\\u597d"}\n')  # escaped like Flask's jsonify
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": ["Hello", "two"], "source": "en",
                                                                    "target": "zt"})),
                         {"translatedText": ["你好", "zt:two"]})
        auto = self.json_of(self.post_json("/translate", {"q": "打印", "source": "auto", "target": "en"}))
        self.assertEqual(auto, {"translatedText": "print", "detectedLanguage": {"confidence": 90.0, "language": "zh"}})
        form = urllib.parse.urlencode({"q": "a\r\nb", "source": "en", "target": "zh"}).encode()
        reply = self.call("/translate", form, {"Content-Type": "application/x-www-form-urlencoded"})
        self.assertEqual(self.json_of(reply), {"translatedText": "zh:a\nb"})

    def test_libretranslate_request_errors(self):
        cases = [
            ({"source": "en", "target": "zh"}, "Invalid request: missing q parameter"),
            ({"q": [], "source": "en", "target": "zh"}, "Invalid request: missing q parameter"),
            ({"q": "x", "target": "zh"}, "Invalid request: missing source parameter"),
            ({"q": "x", "source": "en"}, "Invalid request: missing target parameter"),
            ({"q": "x", "source": "en", "target": "zh-CN"}, "zh-CN is not supported"),
            ({"q": "x", "source": "xx", "target": "zh"}, "xx is not supported"),
            ({"q": "x", "source": "en", "target": "zh", "format": "rtf"}, "rtf format is not supported"),
        ]
        for fields, message in cases:
            with self.subTest(fields=fields):
                self.assertEqual(self.json_of(self.post_json("/translate", fields), 400), {"error": message})
        reply = self.call("/translate", b'{"q": "x"', {"Content-Type": "application/json"})
        self.assertTrue(self.json_of(reply, 400)["error"].startswith("Failed to decode JSON object: "))
        reply = self.call("/translate", b'["q"]', {"Content-Type": "application/json"})
        self.assertEqual(self.json_of(reply, 400), {"error": "Invalid JSON format"})
        # Without a JSON content type the body is not read as JSON.
        reply = self.call("/translate", b'{"q": "x", "source": "en", "target": "zh"}', {"Content-Type": "text/plain"})
        self.assertEqual(self.json_of(reply, 400), {"error": "Invalid request: missing q parameter"})

    def test_libretranslate_limits_and_keys(self):
        self.assertEqual(self.configure("service=libretranslate&batch_limit=2&char_limit=6"),
                         {"key": "", "key_link": "", "batch_limit": 2, "char_limit": 6, "char_count": "total",
                          "locale": "en", "proxy_body_limit": -1, "frontend_settings": 1, "delay_ms": 0})
        fields = {"source": "en", "target": "zh"}
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": ["a", "b", "c"], **fields}), 400),
                         {"error": "Invalid request: request (3) exceeds text limit (2)"})
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": ["abcd", "efg"], **fields}), 400),
                         {"error": "Invalid request: request (7) exceeds text limit (6)"})
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": "你好你好你好", **fields})),
                         {"translatedText": "zh:你好你好你好"})  # characters, not bytes

        self.configure("service=libretranslate&key=secret")
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": "x", **fields}), 400),
                         {"error": "Please contact the server operator to get an API key"})
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": "x", "api_key": "wrong", **fields}), 403),
                         {"error": "Invalid API key"})
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": "x", "api_key": "secret", **fields})),
                         {"translatedText": "zh:x"})
        self.configure("service=libretranslate&key_link=https://example.invalid/keys")
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": "x", **fields}), 400),
                         {"error": "Visit https://example.invalid/keys to get an API key"})

        self.get("/_reset")  # forgets the configuration
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": ["a", "b", "c"], **fields})),
                         {"translatedText": ["zh:a", "zh:b", "zh:c"]})
        self.get("/_mode?fault=status&code=429")
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": "x", **fields}), 429),
                         {"error": "Slowdown: 20 per 1 minute"})

    # Google Cloud Translation v2 ------------------------------------------------------------

    def test_google_translation_answers(self):
        reply = self.post_json("/language/translate/v2",
                               {"q": ["Hello", "It's"], "source": "en", "target": "zh-CN", "format": "text"})
        self.assertEqual(self.json_of(reply), {"data": {"translations": [
            {"translatedText": "你好"}, {"translatedText": "zh-CN:It's"}]}})
        reply = self.post_json("/language/translate/v2", {"q": "It's", "target": "zh-TW"})
        self.assertEqual(self.json_of(reply)["data"]["translations"],
                         [{"translatedText": "zh-TW:It&#39;s", "detectedSourceLanguage": "en"}])

    def test_google_translation_keys_and_limits(self):
        self.configure("service=google&key=G00D")
        body = {"q": "x", "source": "en", "target": "zh-CN", "format": "text"}
        self.google_error(self.post_json("/language/translate/v2", body), 403, "PERMISSION_DENIED",
                          "The request is missing a valid API key.")
        # The key counts only in its header; the query parameter is merely recorded.
        self.google_error(self.post_json("/language/translate/v2?key=G00D", body), 403, "PERMISSION_DENIED",
                          "The request is missing a valid API key.")
        error = self.google_error(self.post_json("/language/translate/v2", body, {"X-Goog-Api-Key": "bad"}),
                                  400, "INVALID_ARGUMENT", "API key not valid. Please pass a valid API key.")
        self.assertEqual(error["errors"][0]["reason"], "badRequest")
        self.assertEqual(error["details"][0]["reason"], "API_KEY_INVALID")
        good = {"X-Goog-Api-Key": "G00D"}
        self.assertEqual(self.json_of(self.post_json("/language/translate/v2", body, good)),
                         {"data": {"translations": [{"translatedText": "zh-CN:x"}]}})

        error = self.google_error(self.post_json("/language/translate/v2", {**body, "q": ["s"] * 129}, good),
                                  400, "INVALID_ARGUMENT", "Too many text segments")
        self.assertEqual(error["errors"][0]["reason"], "invalid")
        self.assertEqual(len(self.json_of(self.post_json("/language/translate/v2", {**body, "q": ["s"] * 128}, good))
                             ["data"]["translations"]), 128)
        self.google_error(self.post_json("/language/translate/v2", {**body, "q": "x" * 210000}, good),
                          400, "INVALID_ARGUMENT", "Request payload size exceeds the limit: 204800 bytes.")
        for fields, message in (({"target": "zh-CN"}, "Missing required field q"),
                                ({"q": "x"}, "Missing required field target"),
                                ({"q": "x", "target": "zz"}, "Invalid Value"),
                                ({"q": 5, "target": "zh-CN"}, "Invalid value at 'q' (TYPE_STRING), 5"),
                                ({"q": "x", "target": "en", "key": "G00D"},
                                 'Invalid JSON payload received. Unknown name "key": Cannot find field.')):
            with self.subTest(fields=fields):
                self.google_error(self.post_json("/language/translate/v2", fields, good), 400,
                                  "INVALID_ARGUMENT", message)

        self.get("/_mode?fault=status&code=429")
        error = self.google_error(self.post_json("/language/translate/v2", body, good), 429, "RESOURCE_EXHAUSTED",
                                  "Quota exceeded for quota metric 'Requests' and limit 'Requests per minute' "
                                  "of service 'translate.googleapis.com'.")
        self.get("/_mode?fault=status&code=403&body=User%20Rate%20Limit%20Exceeded")
        self.google_error(self.post_json("/language/translate/v2", body, good), 403, "PERMISSION_DENIED",
                          "User Rate Limit Exceeded")

    # Google Cloud Text-to-Speech v1 -----------------------------------------------------------

    def test_google_speech(self):
        request = {"input": {"text": "你好"}, "voice": {"languageCode": "cmn-CN", "name": "cmn-CN-Standard-A"},
                   "audioConfig": {"audioEncoding": "MP3"}}
        reply = self.json_of(self.post_json("/v1/text:synthesize", request))
        self.assertEqual(base64.b64decode(reply["audioContent"]), MP3)
        # 1667 three-byte characters are 5001 bytes: over the limit although under 5000 characters.
        self.google_error(self.post_json("/v1/text:synthesize", {**request, "input": {"text": "好" * 1667}}),
                          400, "INVALID_ARGUMENT",
                          "Either `input.text` or `input.ssml` is longer than the limit of 5000 bytes. This limit "
                          "is different from quotas. To fix, reduce the byte length of the characters in this "
                          "request, or consider using the Long Audio API: "
                          "https://cloud.google.com/text-to-speech/docs/create-audio-text-long-audio-synthesis.")
        self.json_of(self.post_json("/v1/text:synthesize", {**request, "input": {"text": "好" * 1666 + "ab"}}))
        self.google_error(self.post_json("/v1/text:synthesize", {**request, "voice": {"languageCode": "xx-YY"}}),
                          400, "INVALID_ARGUMENT", "Language Code 'xx-YY' is not supported.")
        self.configure("service=google&key=K")
        self.google_error(self.post_json("/v1/text:synthesize", request), 403, "PERMISSION_DENIED",
                          "The request is missing a valid API key.")
        self.json_of(self.post_json("/v1/text:synthesize", request, {"X-Goog-Api-Key": "K"}))
        self.get("/_mode?fault=status&code=429")
        self.google_error(self.post_json("/v1/text:synthesize", request, {"X-Goog-Api-Key": "K"}),
                          429, "RESOURCE_EXHAUSTED", "Quota exceeded for quota metric 'Requests' and limit "
                          "'Requests per minute' of service 'texttospeech.googleapis.com'.")

    # Lingva -----------------------------------------------------------------------------------

    def test_lingva_answers(self):
        hello = self.json_of(self.call("/api/v1/en/zh/hello"))
        self.assertEqual(hello["translation"], "你好")
        self.assertEqual([g["type"] for g in hello["info"]["extraTranslations"]], ["interjection"])
        self.assertEqual(hello["info"]["extraTranslations"][0]["list"][0],
                         {"word": "你好!", "meanings": ["Hello!", "Hi!", "Hallo!"], "frequency": 1})
        printing = self.json_of(self.call("/api/v1/en/zh/print"))["info"]["extraTranslations"]
        self.assertEqual([g["type"] for g in printing], ["noun", "verb"])
        self.assertTrue(all({"word", "meanings", "frequency"} <= set(entry) for g in printing for entry in g["list"]))

        query = urllib.parse.quote("打印 a/b", safe="")
        other = self.json_of(self.call("/api/v1/auto/zh_HANT/" + query))
        self.assertEqual(other["translation"], "zh_HANT:打印 a/b")
        self.assertEqual(other["info"]["detectedSource"], "zh")
        self.assertEqual(other["info"]["extraTranslations"], [])
        self.assertEqual(self.json_of(self.call("/api/v1/audio/zh/" + query)), {"audio": list(MP3)})

    def test_lingva_errors(self):
        for path, code, message in (("/api/v1/en/xx/hello", 400, "Invalid target language"),
                                    ("/api/v1/en/auto/hello", 400, "Invalid target language"),
                                    ("/api/v1/zh_HANT/en/hello", 400, "Invalid source language"),
                                    ("/api/v1/audio/auto/hello", 400, "Invalid target language"),
                                    ("/api/v1/en/zh", 404, "Not Found"),
                                    ("/api/v1/en/zh/a/b", 404, "Not Found")):
            with self.subTest(path=path):
                self.assertEqual(self.json_of(self.call(path), code), {"error": message})
        code, headers, body = self.call("/api/v1/en/zh/x", b"", method="POST")
        self.assertEqual((code, headers["Allow"], json.loads(body)), (405, "GET", {"error": "Method Not Allowed"}))
        self.get("/_mode?fault=status&code=500")
        self.assertEqual(self.json_of(self.call("/api/v1/en/zh/x"), 500),
                         {"error": "An error occurred while retrieving the translation"})
        self.assertEqual(self.json_of(self.call("/api/v1/audio/en/x"), 500),
                         {"error": "An error occurred while retrieving the audio"})

    # Faults, delay and the record on the new paths ----------------------------------------------

    def test_faults_on_json_services(self):
        libre = lambda: self.post_json("/translate", {"q": "x", "source": "en", "target": "zh"})
        google = lambda: self.post_json("/language/translate/v2", {"q": "x", "target": "zh-CN"})
        lingva = lambda: self.call("/api/v1/en/zh/x")
        self.get("/_mode?fault=badjson")
        for reply in (libre(), google(), lingva()):
            self.assertEqual(reply[0], 200)
            self.assertRaises(ValueError, json.loads, reply[2])
        self.get("/_mode?fault=wrongtypes")
        self.assertEqual(json.loads(libre()[2]), {"translatedText": 42})
        self.assertIsInstance(json.loads(google()[2])["data"]["translations"], dict)
        self.assertIsInstance(json.loads(lingva()[2])["translation"], list)
        self.get("/_mode?fault=nul")
        self.assertEqual(libre()[2], b'{"translatedText": "a\x00b"}\x00tail')
        self.get("/_mode?fault=utf8bad")
        self.assertRaises(UnicodeDecodeError, google()[2].decode, "utf-8")
        self.get("/_mode?fault=json&code=502&body=%7B%22error%22%3A%20%22gateway%22%7D")
        self.assertEqual(self.json_of(lingva(), 502), {"error": "gateway"})
        self.get("/_mode?fault=redirect")
        status, _, body = libre()  # urllib follows a 302 to /echo with a GET
        self.assertTrue(body.startswith(b"GET /echo "), body[:40])
        self.get("/_mode?fault=status&code=429&body=Slowdown%3A%201%20per%201%20second")
        self.assertEqual(self.json_of(libre(), 429), {"error": "Slowdown: 1 per 1 second"})

    def test_delay_and_record(self):
        self.assertEqual(self.configure("service=lingva&delay_ms=300"), {"delay_ms": 300})
        started = time.monotonic()
        self.json_of(self.call("/api/v1/en/zh/x"))
        self.assertGreaterEqual(time.monotonic() - started, 0.3)
        started = time.monotonic()
        self.json_of(self.post_json("/translate", {"q": "x", "source": "en", "target": "zh"}))
        self.assertLess(time.monotonic() - started, 0.3)  # the other services are not delayed

        self.assertEqual(self.call("/_config?service=lingva&key=x")[0], 400)
        self.assertEqual(self.call("/_config?service=yandex")[0], 400)
        self.assertEqual(self.call("/_config?service=deepl&texts_limit=many")[0], 400)

        self.get("/_reset")
        self.post_json("/language/translate/v2", {"q": "记录", "target": "en"}, {"X-Goog-Api-Key": "k"})
        self.assertEqual(self.get("/_count?path=/language/"), b"1")
        log = self.get("/_log")
        length, _, record = log.partition(b"\n")
        self.assertEqual(int(length), len(record))
        self.assertTrue(record.startswith(b"POST /language/translate/v2 HTTP/1.1\r\n"))
        self.assertIn(b"X-Goog-Api-Key: k\r\n", record)
        self.assertTrue(record.endswith(json.dumps({"q": "记录", "target": "en"}).encode()))

    # LibreTranslate: locales, /frontend/settings and the proxy in front -------------------------

    def test_libretranslate_localised_errors(self):
        self.configure("service=libretranslate&batch_limit=2&char_limit=6")
        fields = {"source": "en", "target": "zh"}
        german = {"Accept-Language": "de-DE,de;q=0.9,en;q=0.8"}
        english = {"Accept-Language": "en-US,en;q=0.9"}
        batch = {"q": ["a", "b", "c"], **fields}
        chars = {"q": ["abcd", "efg"], **fields}
        cases = [
            (batch, english, "Invalid request: request (3) exceeds text limit (2)"),
            (batch, german, "Ungültige Anfrage: Anfrage (3) überschreitet Textlimit (2)"),
            (chars, english, "Invalid request: request (7) exceeds text limit (6)"),
            (chars, german, "Ungültige Anfrage: Anfrage (7) überschreitet Textlimit (6)"),
            ({"q": "", **fields}, german, "Ungültige Anfrage: fehlender Parameter q"),
            ({"q": "x", "source": "en", "target": "xx"}, german, "xx wird nicht unterstützt"),
            # A language the server has no messages in gives way to the next one asked for.
            (batch, {"Accept-Language": "sv, de;q=0.5"},
             "Ungültige Anfrage: Anfrage (3) überschreitet Textlimit (2)"),
        ]
        for body, headers, message in cases:
            with self.subTest(body=body, headers=headers):
                reply = self.post_json("/translate", body, headers)
                self.assertEqual(self.json_of(reply, 400), {"error": message})
                self.assertTrue(reply[2].isascii())  # Flask escapes the umlauts
        # Without Accept-Language the server's own locale decides; a header still wins over it.
        self.configure("service=libretranslate&locale=de")
        self.assertEqual(self.json_of(self.post_json("/translate", batch), 400),
                         {"error": "Ungültige Anfrage: Anfrage (3) überschreitet Textlimit (2)"})
        self.assertEqual(self.json_of(self.post_json("/translate", batch, english), 400),
                         {"error": "Invalid request: request (3) exceeds text limit (2)"})
        self.get("/_mode?fault=status&code=429")
        self.assertEqual(self.json_of(self.post_json("/translate", batch), 429),
                         {"error": "Verlangsamung: 20 per 1 minute"})

    def test_libretranslate_counts_characters_per_text_when_asked(self):
        self.configure("service=libretranslate&char_limit=6&char_count=text")
        fields = {"source": "en", "target": "zh"}
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": ["abcdef", "efg"], **fields})),
                         {"translatedText": ["zh:abcdef", "zh:efg"]})
        self.assertEqual(self.json_of(self.post_json("/translate", {"q": ["ab", "abcdefg"], **fields}), 400),
                         {"error": "Invalid request: request (7) exceeds text limit (6)"})

    def test_libretranslate_frontend_settings(self):
        settings = self.json_of(self.call("/frontend/settings"))
        self.assertEqual(settings, {
            "charLimit": -1, "frontendTimeout": 500, "apiKeys": False, "keyRequired": False, "suggestions": False,
            "filesTranslation": True,
            "supportedFilesFormat": [".txt", ".odt", ".odp", ".docx", ".pptx", ".epub", ".html", ".srt", ".pdf"],
            "language": {"source": {"code": "auto", "name": "Auto Detect"},
                         "target": {"code": "en", "name": "English"}}})
        self.configure("service=libretranslate&char_limit=2000&key=k")
        settings = self.json_of(self.call("/frontend/settings", headers={"Accept-Language": "de"}))
        self.assertEqual((settings["charLimit"], settings["apiKeys"], settings["keyRequired"]), (2000, True, True))
        self.assertEqual(settings["language"], {"source": {"code": "auto", "name": "Auto-Erkennung"},
                                                "target": {"code": "de", "name": "Deutsch"}})
        self.configure("service=libretranslate&frontend_settings=0")  # an older server
        code, headers, body = self.call("/frontend/settings")
        self.assertEqual((code, headers["Content-Type"]), (404, "text/html; charset=utf-8"))
        self.assertIn(b"<title>404 Not Found</title>", body)

    def test_libretranslate_behind_a_proxy(self):
        self.configure("service=libretranslate&proxy_body_limit=100&delay_ms=200")
        fields = {"q": "", "source": "en", "target": "zh"}
        padding = 100 - len(json.dumps(fields))
        at_limit = json.dumps({**fields, "q": "x" * padding}).encode()
        self.assertEqual(len(at_limit), 100)
        self.assertEqual(self.json_of(self.call("/translate", at_limit, {"Content-Type": "application/json"}))
                         ["translatedText"], "zh:" + "x" * padding)
        started = time.monotonic()
        code, headers, body = self.call("/translate", at_limit + b" ", {"Content-Type": "application/json"})
        self.assertLess(time.monotonic() - started, 0.2)  # the proxy answers, not the (slow) service
        self.assertEqual((code, headers["Content-Type"], headers["Server"]), (413, "text/html", "nginx"))
        self.assertEqual(body, b"<html>\r\n<head><title>413 Request Entity Too Large</title></head>\r\n<body>\r\n"
                               b"<center><h1>413 Request Entity Too Large</h1></center>\r\n"
                               b"<hr><center>nginx</center>\r\n</body>\r\n</html>\r\n")

    # Lingva's audio ---------------------------------------------------------------------------

    def test_lingva_audio_reads_only_the_start(self):
        cases = [("a" * 200, 200),                           # at the limit: all of it
                 ("a" * 201, 200),                           # no space to cut at: 200 characters
                 ("word " * 60, 199),                        # cut at the last space before 201
                 ("x" * 195 + " yyyyyyyyyy", 195),
                 ("短" * 250, 200)]                          # characters, not bytes
        for text, spoken in cases:
            with self.subTest(text=text[:12], length=len(text)):
                code, headers, body = self.call("/api/v1/audio/en/" + urllib.parse.quote(text, safe=""))
                self.assertEqual((code, json.loads(body)), (200, {"audio": list(MP3)}))  # never refused
                self.assertEqual(int(headers["X-Stand-In-Spoken-Chars"]), spoken)
        self.assertEqual(self.get("/_count?path=/api/v1/audio/en/"), b"5")

    # The classic endpoint refusing ------------------------------------------------------------

    def test_classic_refusal(self):
        self.configure("service=classic&refuse=403")
        code, headers, body = self.call("/translate_a/t?client=t&text=x&sl=en&tl=zh-CN")
        page = body.decode("utf-8")
        self.assertEqual((code, headers["Content-Type"]), (403, "text/html; charset=UTF-8"))
        self.assertIn("<title>Error 403 (Forbidden)!!1</title>", page)
        self.assertIn("<p><b>403.</b> <ins>That’s an error.</ins>\n  <p>Your client does not have permission to get "
                      "URL <code>/translate_a/t</code> from this server.  <ins>That’s all we know.</ins>", page)
        self.assertEqual(self.get("/translate_tts?ie=UTF-8&q=x&tl=en"), MP3)  # speech is not refused
        self.configure("service=classic&refuse=429")
        code, headers, body = self.call("/translate_a/t?client=t&text=x")
        self.assertEqual(code, 429)
        self.assertIn(b"Our systems have detected unusual traffic from your computer network.  This page checks to "
                      b"see if it&#39;s really you sending the requests, and not a robot.", body)
        self.assertIn(b"URL: http://127.0.0.1:%d/translate_a/t?client=t&amp;text=x<br>" % self.port, body)
        self.get("/_reset")
        self.assertIn('"zh-CN:x"', self.get("/translate_a/t?text=x&sl=en&tl=zh-CN").decode())

    # DeepL ------------------------------------------------------------------------------------

    def test_deepl_translates(self):
        reply = self.json_of(self.post_json("/v2/translate",
                                            {"text": ["Hello", "打印", "b"], "target_lang": "ZH-HANS"}))
        self.assertEqual(reply, {"translations": [{"detected_source_language": "EN", "text": "你好"},
                                                  {"detected_source_language": "ZH", "text": "ZH-HANS:打印"},
                                                  {"detected_source_language": "EN", "text": "ZH-HANS:b"}]})
        form = urllib.parse.urlencode([("text", "打印"), ("text", "Hi"), ("target_lang", "en-us"),
                                       ("source_lang", "zh")]).encode()
        reply = self.json_of(self.call("/v2/translate", form, {"Content-Type": "application/x-www-form-urlencoded"}))
        self.assertEqual(reply, {"translations": [{"detected_source_language": "ZH", "text": "print"},
                                                  {"detected_source_language": "ZH", "text": "en-us:Hi"}]})
        for target in ("EN", "PT", "ZH", "ZH-HANT", "pt-br", "EN-GB"):  # EN and PT: deprecated, still taken
            with self.subTest(target=target):
                self.json_of(self.post_json("/v2/translate", {"text": ["x"], "target_lang": target}))
        cases = [({"text": ["x"], "target_lang": "XX"}, "Value for 'target_lang' not supported."),
                 ({"text": ["x"], "target_lang": "ZH-CN"}, "Value for 'target_lang' not supported."),
                 ({"text": ["x"], "target_lang": "DE", "source_lang": "EN-US"},
                  "Value for 'source_lang' not supported."),
                 ({"text": ["x"], "target_lang": "DE", "source_lang": "ZH-HANS"},
                  "Value for 'source_lang' not supported."),
                 ({"target_lang": "DE"}, "Parameter 'text' not specified."),
                 ({"text": [], "target_lang": "DE"}, "Parameter 'text' not specified."),
                 ({"text": ["x"]}, "Parameter 'target_lang' not specified.")]
        for body, message in cases:
            with self.subTest(body=body):
                self.assertEqual(self.json_of(self.post_json("/v2/translate", body), 400), {"message": message})

    def test_deepl_keys_and_limits(self):
        self.configure("service=deepl&key=K:fx")
        body = {"text": ["x"], "target_lang": "DE"}
        good = {"Authorization": "DeepL-Auth-Key K:fx"}
        for headers in ({}, {"Authorization": "DeepL-Auth-Key wrong"}, {"Authorization": "Bearer K:fx"}):
            with self.subTest(headers=headers):
                code, _, answer = self.post_json("/v2/translate", body, headers)
                self.assertEqual((code, answer), (403, b""))
        self.json_of(self.post_json("/v2/translate", body, good))
        # The key in the body or the query is refused, even next to a good header.
        form = urllib.parse.urlencode({"text": "x", "target_lang": "DE", "auth_key": "K:fx"}).encode()
        message = self.json_of(self.call("/v2/translate", form, {"Content-Type": "application/x-www-form-urlencoded",
                                                                   **good}), 403)["message"]
        self.assertTrue(message.startswith("Legacy authentication method 'form body' is no longer supported. "
                                           "Please update to header-based authentication."), message)
        message = self.json_of(self.post_json("/v2/translate?auth_key=K:fx", body, good), 403)["message"]
        self.assertIn("'query parameter'", message)

        self.assertEqual(len(self.json_of(self.post_json("/v2/translate", {**body, "text": ["t"] * 50}, good))
                             ["translations"]), 50)
        self.assertEqual(self.post_json("/v2/translate", {**body, "text": ["t"] * 51}, good)[0], 413)
        padding = 131072 - len(json.dumps({**body, "text": [""]}))
        at_limit = json.dumps({**body, "text": ["y" * padding]}).encode()
        self.assertEqual(len(at_limit), 131072)
        self.json_of(self.call("/v2/translate", at_limit, {"Content-Type": "application/json", **good}))
        code, _, answer = self.call("/v2/translate", at_limit[:-2] + b'y"]}', {"Content-Type": "application/json",
                                                                                **good})
        self.assertEqual((code, json.loads(answer)), (413, {"message": "Request Entity Too Large"}))
        self.configure("service=deepl&quota_exceeded=1")
        self.assertEqual(self.json_of(self.post_json("/v2/translate", body, good), 456), {"message": "Quota exceeded"})

    # Microsoft Translator ---------------------------------------------------------------------

    def microsoft_error(self, reply, status, code, message):
        self.assertEqual(self.json_of(reply, status), {"error": {"code": code, "message": message}})

    def test_microsoft_translates(self):
        reply = self.json_of(self.post_json("/translate?api-version=3.0&to=zh-Hans&to=de",
                                            [{"Text": "Hello"}, {"Text": "打印"}]))
        self.assertEqual(reply, [
            {"detectedLanguage": {"language": "en", "score": 1.0},
             "translations": [{"text": "你好", "to": "zh-Hans"}, {"text": "de:Hello", "to": "de"}]},
            {"detectedLanguage": {"language": "zh-Hans", "score": 1.0},
             "translations": [{"text": "zh-Hans:打印", "to": "zh-Hans"}, {"text": "de:打印", "to": "de"}]}])
        reply = self.json_of(self.post_json("/translate?api-version=3.0&from=zh-Hans&to=EN", [{"Text": "打印"}]))
        self.assertEqual(reply, [{"translations": [{"text": "print", "to": "en"}]}])
        self.assertEqual(len(self.json_of(self.post_json("/translate?api-version=3.0&to=fil",
                                                         [{"Text": "a"}] * 1000))), 1000)
        self.json_of(self.post_json("/translate?api-version=3.0&to=fil", [{"Text": "a" * 25000}] * 2))
        cases = [("/translate?to=de", [{"Text": "x"}], 400021, "The API version parameter is missing or invalid."),
                 ("/translate?api-version=2.0&to=de", [{"Text": "x"}], 400021,
                  "The API version parameter is missing or invalid."),
                 ("/translate?api-version=3.0", [{"Text": "x"}], 400036,
                  "The target language (\"To\" field) is missing or invalid."),
                 ("/translate?api-version=3.0&to=la", [{"Text": "x"}], 400036,
                  "The target language (\"To\" field) is missing or invalid."),
                 ("/translate?api-version=3.0&to=de&from=zh-CN", [{"Text": "x"}], 400035,
                  "The source language (\"From\" field) is not valid."),
                 ("/translate?api-version=3.0&to=de", [{"Text": "a"}] * 1001, 400072,
                  "The array of input text has too many elements."),
                 ("/translate?api-version=3.0&to=de", [{"Text": "a" * 25000}, {"Text": "a" * 25001}], 400077,
                  "The maximum request size has been exceeded."),
                 ("/translate?api-version=3.0&to=de", [{"Txt": "x"}], 400005, "An input text is missing or invalid.")]
        for path, body, code, message in cases:
            with self.subTest(path=path, elements=len(body)):
                self.microsoft_error(self.post_json(path, body), 400, code, message)
        reply = self.call("/translate?api-version=3.0&to=de", b"[{", {"Content-Type": "application/json"})
        self.microsoft_error(reply, 400, 400074, "The body of the request is not valid JSON.")
        reply = self.call("/translate?api-version=3.0&to=de", b'[{"Text": "x"}]', {"Content-Type": "text/plain"})
        self.microsoft_error(reply, 415, 415000, "The Content-Type header is missing or invalid.")

    def test_microsoft_keys_regions_and_quota(self):
        self.configure("service=microsoft&key=MK&region=westeurope")
        path, body = "/translate?api-version=3.0&to=de", [{"Text": "x"}]
        refused = "The request is not authorized because credentials are missing or invalid."
        for headers in ({}, {"Ocp-Apim-Subscription-Key": "MK"},
                        {"Ocp-Apim-Subscription-Key": "MK", "Ocp-Apim-Subscription-Region": "eastus"},
                        {"Ocp-Apim-Subscription-Key": "bad", "Ocp-Apim-Subscription-Region": "westeurope"}):
            with self.subTest(headers=headers):
                self.microsoft_error(self.post_json(path, body, headers), 401, 401000, refused)
        good = {"Ocp-Apim-Subscription-Key": "MK", "Ocp-Apim-Subscription-Region": "WestEurope"}
        self.json_of(self.post_json(path, body, good))
        self.json_of(self.post_json("/dictionary/lookup?api-version=3.0&from=en&to=zh-Hans", body, good))
        self.configure("service=microsoft&quota_exceeded=1")
        self.microsoft_error(self.post_json(path, body, good), 403, 403001,
                             "The operation is not allowed because the subscription has exceeded its free quota.")

    def test_microsoft_dictionary(self):
        lookup = "/dictionary/lookup?api-version=3.0&from=en&to=zh-Hans"
        words = ["fly", "Quick ", "and", "the", "can", "with", "she", "hello", "print"]
        reply = self.json_of(self.post_json(lookup, [{"Text": w} for w in words]))
        self.assertEqual([r["normalizedSource"] for r in reply], [w.strip().lower() for w in words])
        tags = {r["normalizedSource"]: [t["posTag"] for t in r["translations"]] for r in reply}
        self.assertEqual(set(tags["fly"]), {"NOUN", "VERB"})
        self.assertEqual(set(tags["quick"]), {"ADJ", "ADV"})
        self.assertEqual(set(tags["can"]), {"MODAL", "VERB", "NOUN"})
        self.assertEqual({t for ts in tags.values() for t in ts},
                         {"NOUN", "VERB", "ADJ", "ADV", "CONJ", "DET", "MODAL", "PREP", "PRON", "OTHER"})
        for entry in (t for r in reply for t in r["translations"]):
            self.assertEqual(set(entry), {"normalizedTarget", "displayTarget", "posTag", "confidence", "prefixWord",
                                          "backTranslations"})
            self.assertTrue(entry["backTranslations"])
            for back in entry["backTranslations"]:
                self.assertEqual(set(back), {"normalizedText", "displayText", "numExamples", "frequencyCount"})
        self.assertIn("打印", [t["normalizedTarget"] for t in reply[-1]["translations"]])
        reverse = self.json_of(self.post_json("/dictionary/lookup?api-version=3.0&from=zh-Hans&to=en",
                                              [{"Text": "打印"}, {"Text": "没有"}]))
        self.assertEqual(reverse[0]["translations"][0]["normalizedTarget"], "print")
        self.assertEqual(reverse[1], {"normalizedSource": "没有", "displaySource": "没有", "translations": []})

        pair = "One of the specified language pair is not valid."
        for query in ("from=de&to=fr", "from=en&to=zh-Hant", "from=zh-Hant&to=en", "from=en&to=en"):
            with self.subTest(query=query):
                self.microsoft_error(self.post_json("/dictionary/lookup?api-version=3.0&" + query, [{"Text": "x"}]),
                                     400, 400023, pair)
        self.json_of(self.post_json(lookup, [{"Text": "x" * 100}] * 10))
        self.microsoft_error(self.post_json(lookup, [{"Text": "x"}] * 11), 400, 400072,
                             "The array of input text has too many elements.")
        self.microsoft_error(self.post_json(lookup, [{"Text": "x" * 101}]), 400, 400050, "The input text is too long.")

    # Google's web endpoint --------------------------------------------------------------------

    def google_web(self, query, **kw):
        return self.call("/translate_a/single?" + urllib.parse.urlencode(query, doseq=True), **kw)

    def test_google_web_forms(self):
        query = {"client": "dict-chrome-ex", "sl": "en", "tl": "zh-CN", "dt": ["t", "bd"], "q": "print"}
        array = self.json_of(self.google_web({**query, "hl": "zh-CN"}))
        self.assertEqual(array[0], [["打印", "print", None, None, 10]])
        self.assertEqual([(g[0], g[4], g[3]) for g in array[1]], [("名词", 1, "print"), ("动词", 2, "print")])
        self.assertEqual(array[1][0][1], ["打印", "印刷品", "印花"])
        self.assertEqual(array[1][0][2][1][:2], ["印刷品", ["print", "printed matter"]])
        self.assertEqual(array[2], "en")
        english = self.json_of(self.google_web({**query, "hl": "en"}))
        self.assertEqual([g[0] for g in english[1]], ["noun", "verb"])
        self.assertIsNone(self.json_of(self.google_web({**query, "dt": "t"}))[1])  # no dt=bd: no dictionary

        # Several sentences come back as segments that only together make the translation.
        segments = self.json_of(self.google_web({**query, "tl": "de", "q": "One. Two? Three\nFour"}))[0]
        self.assertEqual([s[1] for s in segments], ["One. ", "Two? ", "Three\n", "Four"])
        self.assertEqual("".join(s[0] for s in segments), "de:One. Two? Three\nFour")
        detected = self.json_of(self.google_web({**query, "sl": "auto", "tl": "en", "q": "打印"}))
        self.assertEqual((detected[0][0][0], detected[2], detected[8][0]), ("print", "zh-CN", ["zh-CN"]))

        obj = self.json_of(self.google_web({**query, "q": "hello", "hl": "zh-CN", "dj": "1"}))
        self.assertEqual(obj["sentences"], [{"trans": "你好", "orig": "hello", "backend": 10}])
        self.assertEqual(obj["src"], "en")
        self.assertEqual(obj["dict"][0]["pos"], "感叹词")
        self.assertEqual(obj["dict"][0]["terms"], ["你好!", "喂!"])
        self.assertEqual(obj["dict"][0]["entry"][0],
                         {"word": "你好!", "reverse_translation": ["Hello!", "Hi!", "Hallo!"], "score": 0.13323711})
        self.assertNotIn("dict", self.json_of(self.google_web({**query, "q": "abc", "dj": "1"})))

        self.assertEqual(self.json_of(self.google_web({**query, "q": "y" * 5000, "tl": "de"}))[0][0][0][:4], "de:y")
        code, headers, body = self.google_web({**query, "q": "y" * 5001})
        self.assertEqual((code, headers["Content-Type"]), (413, "text/html; charset=UTF-8"))
        self.assertIn("<p><b>413.</b> <ins>That’s an error.</ins>\n  <p>Your client issued a request that was too "
                      "large.  <ins>That’s all we know.</ins>", body.decode())
        self.assertEqual(self.google_web({**query, "tl": "xx"})[0], 400)

    def raw_get(self, path):
        """A GET that does not follow redirects: (status, headers, body)."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            connection.request("GET", path)
            reply = connection.getresponse()
            return reply.status, reply.headers, reply.read()
        finally:
            connection.close()

    def test_google_web_refused_clients(self):
        query = {"sl": "en", "tl": "zh-CN", "dt": "t", "q": "x"}
        code, _, body = self.google_web({"client": "gtx", **query})
        self.assertEqual(code, 429)
        self.assertIn(b"Our systems have detected unusual traffic from your computer network.", body)
        for client in ("t", "webapp"):
            with self.subTest(client=client):
                code, _, body = self.google_web({"client": client, **query})
                self.assertEqual(code, 403)
                self.assertIn("Your client does not have permission to get URL <code>/translate_a/single</code> "
                              "from this server.", body.decode())
        self.json_of(self.google_web({"client": "dict-chrome-ex", **query}))

        self.configure("service=google-web&refused_clients=dict-chrome-ex&redirect=1")
        self.json_of(self.google_web({"client": "gtx", **query}))
        code, headers, _ = self.raw_get("/translate_a/single?client=dict-chrome-ex&sl=en&tl=de&q=x")
        self.assertEqual(code, 302)
        location = urllib.parse.urlsplit(headers["Location"])
        self.assertEqual(location.path, "/sorry/index")
        self.assertEqual(urllib.parse.parse_qs(location.query)["continue"],
                         ["http://127.0.0.1:%d/translate_a/single?client=dict-chrome-ex&sl=en&tl=de&q=x" % self.port])
        code, _, body = self.call(headers["Location"])  # following it leads to the /sorry/ page
        self.assertEqual(code, 429)
        self.assertIn(b"URL: http://127.0.0.1:%d/translate_a/single?client=dict-chrome-ex&amp;sl=en" % self.port, body)

    def test_google_web_speech(self):
        speak = lambda client, text: self.call("/translate_tts?" + urllib.parse.urlencode(
            {"ie": "UTF-8", **({"client": client} if client else {}), "tl": "zh-CN", "q": text}))
        code, headers, body = speak("tw-ob", "好" * 200)
        self.assertEqual((code, headers["Content-Type"], body), (200, "audio/mpeg", MP3))
        code, headers, body = speak("tw-ob", "好" * 201)
        self.assertEqual((code, headers["Content-Type"]), (400, "text/html; charset=UTF-8"))
        self.assertIn("<title>Error 400 (Bad Request)!!1</title>", body.decode())
        self.assertIn("Your client has issued a malformed or illegal request.", body.decode())
        self.assertEqual(speak("gtx", "x")[0], 429)
        self.assertEqual(speak("t", "x")[0], 403)
        self.assertEqual(speak(None, "好" * 500)[2], MP3)  # without a client: the classic endpoint

    # Faults on the new services and concurrency ----------------------------------------------

    def test_faults_on_new_services(self):
        deepl = lambda: self.post_json("/v2/translate", {"text": ["x"], "target_lang": "DE"})
        microsoft = lambda: self.post_json("/translate?api-version=3.0&to=de", [{"Text": "x"}])
        lookup = lambda: self.post_json("/dictionary/lookup?api-version=3.0&from=en&to=de", [{"Text": "x"}])
        web = lambda: self.google_web({"client": "dict-chrome-ex", "sl": "en", "tl": "de", "dt": "t", "q": "x"})
        self.get("/_mode?fault=status&code=503")
        self.assertEqual(self.json_of(deepl(), 503), {"message": "Service unavailable"})
        self.assertEqual(self.json_of(microsoft(), 503)["error"]["code"], 503000)
        self.assertEqual(self.json_of(lookup(), 503)["error"]["code"], 503000)
        code, _, body = web()
        self.assertEqual(code, 503)
        self.assertIn("<p><b>503.</b> <ins>That’s an error.</ins>", body.decode())
        self.get("/_mode?fault=status&code=429")
        self.assertEqual(self.json_of(microsoft(), 429)["error"]["code"], 429000)
        self.get("/_mode?fault=badjson")
        for reply in (deepl(), microsoft(), lookup(), web(), self.call("/frontend/settings")):
            self.assertEqual(reply[0], 200)
            self.assertRaises(ValueError, json.loads, reply[2])
        self.get("/_mode?fault=wrongtypes")
        self.assertIsInstance(json.loads(deepl()[2])["translations"], dict)
        self.assertIsInstance(json.loads(microsoft()[2]), dict)
        self.assertIsInstance(json.loads(web()[2]), dict)
        self.get("/_mode?fault=nul")
        self.assertIn(b"a\x00b", deepl()[2])

    def test_concurrency(self):
        self.configure("service=deepl&delay_ms=300")
        replies = []
        send = lambda: replies.append(self.post_json("/v2/translate", {"text": ["x"], "target_lang": "DE"})[0])
        threads = [threading.Thread(target=send) for _ in range(5)]
        started = time.monotonic()
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertLess(time.monotonic() - started, 1.2)  # answered side by side, not one after another
        self.assertEqual(replies, [200] * 5)
        self.assertEqual(self.get("/_concurrency?service=deepl"), b"5")
        self.assertEqual(self.get("/_concurrency?service=microsoft"), b"0")
        self.get("/_reset")
        self.assertEqual(self.get("/_concurrency?service=deepl"), b"0")
        self.post_json("/v2/translate", {"text": ["x"], "target_lang": "DE"})
        self.post_json("/v2/translate", {"text": ["x"], "target_lang": "DE"})
        self.assertEqual(self.get("/_concurrency?service=deepl"), b"1")  # one after the other
        self.assertEqual(self.call("/_concurrency?service=yandex")[0], 400)

    # TLS --------------------------------------------------------------------------------------

    def test_tls_ports(self):
        if not self.tls:
            self.skipTest("openssl is not installed")
        trusting = ssl.create_default_context(cafile=os.path.join(self.folder, "ca.crt"))
        tls = "https://localhost:%d" % self.ports["stand-in service (TLS) on 127.0.0.1"]
        untrusted = "https://localhost:%d" % self.ports["stand-in service (untrusted TLS) on 127.0.0.1"]
        reply = self.post_json("/translate", {"q": "Hello", "source": "en", "target": "zh"},
                               base=tls, context=trusting)
        self.assertEqual(self.json_of(reply), {"translatedText": "你好"})
        # The untrusted port serves the same paths to a client that does trust its CA.
        other_ca = ssl.create_default_context(cafile=os.path.join(self.folder, "untrusted-ca.crt"))
        self.assertEqual(self.json_of(self.call("/api/v1/audio/en/x", base=untrusted, context=other_ca)),
                         {"audio": list(MP3)})
        # The certificate names localhost only, and the other port's CA is not trusted.
        for base in (tls.replace("localhost", "127.0.0.1"), untrusted):
            with self.subTest(base=base):
                with self.assertRaises(urllib.error.URLError) as caught:
                    self.call("/translate_a/t?text=Hi", base=base, context=trusting)
                self.assertIsInstance(caught.exception.reason, ssl.SSLCertVerificationError)
        # Requests over TLS are recorded like the others; refused handshakes record nothing.
        records = self.get("/_log")
        self.assertIn(b'POST /translate HTTP/1.1\r\n', records)
        self.assertIn(b'{"q": "Hello", "source": "en", "target": "zh"}', records)
        self.assertEqual(self.get("/_count?path=/translate_a/"), b"0")


if __name__ == "__main__":
    unittest.main()
