#!/usr/bin/env python3
"""Checks the stand-in service (tools/standin.py) the way the program's clients see it: each
service's replies and error bodies, the control paths, the faults on the JSON services, and the
TLS ports with throwaway certificates (trusted through this test's own SSL context only; the
system's trust store is left alone).

    python3 tools/test_standin.py [-v]
"""
import base64
import json
import os
import shutil
import ssl
import subprocess
import sys
import tempfile
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
        cls.base = "http://127.0.0.1:%d" % cls.ports["stand-in service on 127.0.0.1"]

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
                         {"key": "", "key_link": "", "batch_limit": 2, "char_limit": 6, "delay_ms": 0})
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
        self.assertEqual(self.call("/_config?service=deepl")[0], 400)

        self.get("/_reset")
        self.post_json("/language/translate/v2", {"q": "记录", "target": "en"}, {"X-Goog-Api-Key": "k"})
        self.assertEqual(self.get("/_count?path=/language/"), b"1")
        log = self.get("/_log")
        length, _, record = log.partition(b"\n")
        self.assertEqual(int(length), len(record))
        self.assertTrue(record.startswith(b"POST /language/translate/v2 HTTP/1.1\r\n"))
        self.assertIn(b"X-Goog-Api-Key: k\r\n", record)
        self.assertTrue(record.endswith(json.dumps({"q": "记录", "target": "en"}).encode()))

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
