#!/usr/bin/env python3
"""Local stand-in for the translation and speech endpoints, for tests and for trying Tarvik offline.

    python3 tools/standin.py --port 18081 [--port-file F] [--mp3 FILE]

Service paths, answered like the real service:
  GET /translate_a/t?...text=..&sl=..&tl=..   the bracketed reply text (UTF-8): canned for a few
                                               texts, otherwise the translation "<tl>:<text>"
  GET /translate_tts?ie=UTF-8&q=..&tl=..       the MP3 file given with --mp3

Every request to a path that does not start with "/_" is recorded exactly as received (request
line, headers in order, body). Control paths for tests:
  /_reset            forget the record and any fault mode
  /_log              the record: for each request its length in decimal, a newline, its bytes
  /_count?path=P     how many recorded requests have a target starting with P
  /_mode?fault=F&..  misbehave on every later service request (the two paths above) until /_reset

Faults, also reachable directly as /fault/F?...:
  stall&seconds=N    wait N seconds, then answer normally
  close              promise 100000 bytes, send 300, close the connection
  big&bytes=N        a body of N pattern bytes (byte i is i*7 mod 251)
  status&code=C      status C with an HTML error page
  redirect           302 to /echo
  nul                a body holding NUL bytes
  utf8bad            a body of invalid UTF-8 inside the bracketed form
  sentences&count=N  a bracketed reply of N sentence entries
/echo answers with the raw request as its body.
"""
import argparse
import socket
import socketserver
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


class State:
    def __init__(self, mp3):
        self.lock = threading.Lock()
        self.records = []
        self.mode = {}
        self.mp3 = mp3


def quote_json(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def translate_reply(query):
    text = query.get("text", [""])[0]
    if text in CANNED:
        return CANNED[text]
    sl = query.get("sl", [""])[0]
    tl = query.get("tl", [""])[0]
    return '[[["%s","%s","",""]],,"%s",,[[0]],0]' % (quote_json(tl + ":" + text), quote_json(text), sl)


def pattern(size):
    block = bytes((i * 7) % 251 for i in range(251 * 7))
    return (block * (size // len(block) + 1))[:size]


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
        state = self.server.state
        raw = self.read_request()
        if raw is None:
            return
        target = raw.split(b"\r\n", 1)[0].split(b" ")[1].decode("latin-1")
        parsed = urllib.parse.urlsplit(target)
        query = urllib.parse.parse_qs(parsed.query, keep_blank_values=True, encoding="utf-8")
        path = parsed.path
        if path.startswith("/_"):
            return self.control(path, query)
        with state.lock:
            state.records.append(raw)
            mode = dict(state.mode)
        if path.startswith("/fault/"):
            mode = {"fault": path[len("/fault/"):], **{k: v[0] for k, v in query.items()}}
        elif path not in ("/translate_a/t", "/translate_tts"):
            mode = {}  # only the service misbehaves: a redirect target such as /echo answers normally
        if mode and self.misbehave(mode):
            return
        if path == "/translate_a/t":
            self.send(translate_reply(query))
        elif path == "/translate_tts":
            self.send(state.mp3, content_type="audio/mpeg")
        elif path == "/echo" or path.startswith("/fault/"):
            self.send(raw, content_type="application/octet-stream")
        else:
            self.send(ERROR_PAGE.format(code=404), "404 Not Found", "text/html")

    def misbehave(self, mode):
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
        if fault == "status":
            code = int(mode.get("code", 500))
            self.send(ERROR_PAGE.format(code=code), "%d Error" % code, "text/html")
            return True
        if fault == "redirect":
            self.send("", "302 Found", extra=b"Location: /echo\r\n")
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

    def control(self, path, query):
        state = self.server.state
        with state.lock:
            if path == "/_reset":
                state.records.clear()
                state.mode = {}
                body = b"ok"
            elif path == "/_log":
                body = b"".join(b"%d\n" % len(r) + r for r in state.records)
            elif path == "/_count":
                prefix = query.get("path", [""])[0].encode("latin-1")
                body = b"%d" % sum(1 for r in state.records if r.split(b" ")[1].startswith(prefix))
            elif path == "/_mode":
                state.mode = {k: v[0] for k, v in query.items()}
                body = b"ok"
            else:
                body = b"unknown control path"
        self.send(body)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=18081)
    parser.add_argument("--port-file", help="write the port that was bound here (useful with --port 0)")
    parser.add_argument("--mp3", help="the MP3 file served at /translate_tts")
    args = parser.parse_args()
    mp3 = open(args.mp3, "rb").read() if args.mp3 else b""
    server = Server(("127.0.0.1", args.port), Handler)
    server.state = State(mp3)
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write(str(port))
        import os
        os.replace(args.port_file + ".tmp", args.port_file)
    print("stand-in service on 127.0.0.1:%d" % port, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
