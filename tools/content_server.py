#!/usr/bin/env python3
"""A content server on 127.0.0.1 for the tests and the demo, laid out like the product's server.

The content root holds "DLL/", "Z3OCX/", "Z4OCX/" and "Installer/". A first path segment before
those chooses how a file is answered:

    http://127.0.0.1:PORT/DLL/x.txt            200 with Content-Length (an empty file gives 0)
    http://127.0.0.1:PORT/nolength/DLL/x.txt   200 without Content-Length; the body ends at close
    http://127.0.0.1:PORT/short/DLL/x.txt      200 announcing the full length, then only half the body
    http://127.0.0.1:PORT/slow/DLL/x.txt       200 with Content-Length, 1024 bytes every 100 ms
    http://127.0.0.1:PORT/huge/DLL/x.txt       200 announcing 4 GiB more than the body, then the body

A missing file gives 404 in every mode. Every answer says "Cache-Control: no-store", so the client's
internet cache never answers for the server and each fetch reaches it.

Use:
    content_server.py --start --root DIR --state DIR   returns once the server listens
    content_server.py --stop --state DIR
The state folder receives "port", "pid", "root" (the content root's absolute path) and
"requests.log": one requested path per line, as the client sent it. A POST to any path is logged
there as "POST <path>" and answered with an empty page; its body lands byte for byte in
"posts/<last path segment>" and its Content-Type in "posts/<last path segment>.type". The server stops by itself
after --idle-minutes (30) without a request, so it never outlives a test run that did not stop it.
"""

import argparse
import http.server
import os
import signal
import subprocess
import sys
import threading
import time
import urllib.parse

MODES = ("nolength", "short", "slow", "huge")
HUGE_EXTRA = 1 << 32  # read into 32 bits, the announced length wraps round to the body's own
FOLDERS = ("DLL", "Z3OCX", "Z4OCX", "Installer")
SLOW_CHUNK = 1024
SLOW_PAUSE = 0.1


class Handler(http.server.BaseHTTPRequestHandler):
    # HTTP/1.0: one request per connection, so a body without length simply ends at close.
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):  # the request log below replaces stderr chatter
        pass

    def do_GET(self):
        self.server.touch(self.path)
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        segments = [s for s in path.split("/") if s]
        mode = segments.pop(0) if segments and segments[0] in MODES else ""
        file = os.path.realpath(os.path.join(self.server.root, *segments)) if segments else ""
        if not file.startswith(self.server.root + os.sep) or not os.path.isfile(file):
            self.send_error(404)
            return
        with open(file, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Cache-Control", "no-store")
        if mode == "huge":
            self.send_header("Content-Length", str(len(body) + HUGE_EXTRA))
        elif mode != "nolength":
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            if mode == "short":
                self.wfile.write(body[: len(body) // 2])
            elif mode == "slow":
                for i in range(0, len(body), SLOW_CHUNK):
                    self.wfile.write(body[i : i + SLOW_CHUNK])
                    self.wfile.flush()
                    time.sleep(SLOW_PAUSE)
            else:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client cancelled


    def do_POST(self):
        self.server.touch("POST " + self.path)
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        name = os.path.basename(urllib.parse.urlsplit(self.path).path) or "index"
        posts = os.path.join(self.server.state, "posts")
        os.makedirs(posts, exist_ok=True)
        with open(os.path.join(posts, name), "wb") as f:
            f.write(body)
        with open(os.path.join(posts, name + ".type"), "w", encoding="utf-8") as f:
            f.write(self.headers.get("Content-Type", ""))
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", "0")
        self.end_headers()


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, root, state, idle_seconds):
        super().__init__(("127.0.0.1", 0), Handler)
        self.root = os.path.realpath(root)
        self.state = state
        self.log = open(os.path.join(state, "requests.log"), "a", encoding="utf-8")
        self.lock = threading.Lock()
        self.last = time.monotonic()
        self.idle_seconds = idle_seconds

    def touch(self, path):
        with self.lock:
            self.last = time.monotonic()
            self.log.write(path + "\n")
            self.log.flush()

    def stop_when_idle(self):
        while time.monotonic() - self.last < self.idle_seconds:
            time.sleep(min(5, self.idle_seconds))
        self.shutdown()


def write(state, name, text):
    # Written under another name and renamed, so a reader never sees a half-written file.
    path = os.path.join(state, name)
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def serve(args):
    server = Server(args.root, args.state, args.idle_minutes * 60)
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    write(args.state, "root", server.root)
    write(args.state, "pid", str(os.getpid()))
    write(args.state, "port", str(server.server_address[1]))  # last: the starter waits for it
    threading.Thread(target=server.stop_when_idle, daemon=True).start()
    server.serve_forever()
    for name in ("port", "pid"):
        try:
            os.remove(os.path.join(args.state, name))
        except FileNotFoundError:
            pass


def stop(state):
    try:
        with open(os.path.join(state, "pid"), encoding="utf-8") as f:
            pid = int(f.read())
    except (FileNotFoundError, ValueError):
        return
    try:
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            time.sleep(0.05)
            os.kill(pid, 0)
    except ProcessLookupError:
        pass
    for name in ("port", "pid"):
        try:
            os.remove(os.path.join(state, name))
        except FileNotFoundError:
            pass


def start(args):
    stop(args.state)  # a server left over from an interrupted run
    for folder in FOLDERS:
        os.makedirs(os.path.join(args.root, folder), exist_ok=True)
    open(os.path.join(args.state, "requests.log"), "w").close()  # one log per server run
    port = os.path.join(args.state, "port")
    # Detached, with no inherited output handles, so the caller (ctest) does not wait for it.
    with open(os.path.join(args.state, "server.err"), "w") as err:
        child = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), "--serve", "--root", args.root, "--state", args.state,
             "--idle-minutes", str(args.idle_minutes)],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err, start_new_session=True)
    for _ in range(1200):  # a minute: a busy machine may take a while to start Python
        if os.path.exists(port):
            with open(port, encoding="utf-8") as f:
                print("content server on http://127.0.0.1:%s/ (pid %d)" % (f.read(), child.pid))
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.05)
    print("content server did not start; see %s" % os.path.join(args.state, "server.err"), file=sys.stderr)
    return 1


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    action = parser.add_mutually_exclusive_group(required=True)
    action.add_argument("--start", action="store_true")
    action.add_argument("--stop", action="store_true")
    action.add_argument("--serve", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--root")
    parser.add_argument("--state", required=True)
    parser.add_argument("--idle-minutes", type=float, default=30)
    args = parser.parse_args()
    args.state = os.path.abspath(args.state)
    os.makedirs(args.state, exist_ok=True)
    if args.stop:
        stop(args.state)
        return 0
    if not args.root:
        parser.error("--root is required")
    args.root = os.path.abspath(args.root)
    if args.serve:
        serve(args)
        return 0
    return start(args)


if __name__ == "__main__":
    sys.exit(main())
