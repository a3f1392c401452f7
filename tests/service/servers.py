#!/usr/bin/env python3
"""The local service's own servers, all in one process (tools/service runs it).

- API (HTTPS): answers the client version question. The version is the first
  line of $SERVICE_DIR/api/version, read on every request; a version file that
  is there but empty makes the answer carry no version at all (a release that
  is not published yet). While $SERVICE_DIR/api/silent exists the API takes
  every request and never answers it. The answer names the SHA-256 of the version's package
  in the storage (`data.sha256`), or the first line of $SERVICE_DIR/api/sha256
  when that file is there (a test's wrong digest), or none when the storage
  has no package for the version. Odd answers for the tests live under
  /odd/<mode>/..., see API_MODES.
- Fault storage (HTTPS): serves $SERVICE_DIR/storage like the real storage,
  but misbehaves as the first path segment asks, see FaultHandler.
- Dead port: listens and never accepts.
- Proxy (plain HTTP): answers every request with 407 and logs its request
  line to $SERVICE_DIR/proxy.log.

The ports are the ORVANE_*_PORT variables of tools/env.sh. With
--storage-fault FAULT the process is instead a storage that misbehaves: the
fault storage on the storage's own port, with FAULT in front of every path
(tools/service storage-fault).

Every server binds loopback addresses only. The process ends when
tools/service stop kills it, when its pid file stops naming it, or after
MAX_LIFETIME seconds, whichever comes first.
"""
import argparse
import base64
import hashlib
import http.server
import json
import os
import re
import select
import socket
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

MAX_LIFETIME = 8 * 3600
STALL_LIMIT = 120
stop_event = threading.Event()


def loopback_addresses():
    addresses = [("127.0.0.1", socket.AF_INET)]
    try:
        probe = socket.socket(socket.AF_INET6, socket.SOCK_STREAM)
        probe.bind(("::1", 0))
        probe.close()
        addresses.append(("::1", socket.AF_INET6))
    except OSError:
        pass
    return addresses


class QuietServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # Clients that hang up early (a size request made with GET never
        # reads its body) are normal here.
        pass


def make_server(address, family, port, handler, tls_context=None):
    class Server(QuietServer):
        address_family = family

    server = Server((address, port), handler)
    if tls_context is not None:
        server.socket = tls_context.wrap_socket(server.socket, server_side=True)
    return server


class BaseHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    service_dir = "."

    def log_message(self, format, *args):
        pass

    def request_path(self):
        """The path of the request target without its query; a target in
        absolute form (a client talking through a proxy's tunnel may send
        one) counts by its path, as every server must accept it."""
        target = self.path
        if target.lower().startswith(("http://", "https://")):
            target = urllib.parse.urlsplit(target).path or "/"
        return target.split("?", 1)[0]

    def hold_silent(self):
        """Sends nothing and keeps the connection open until the client
        hangs up (or STALL_LIMIT passes)."""
        self.close_connection = True
        deadline = time.monotonic() + STALL_LIMIT
        while not stop_event.is_set() and time.monotonic() < deadline:
            try:
                readable, _, _ = select.select([self.connection], [], [], 0.5)
                if readable and not self.connection.recv(4096):
                    return
            except (OSError, ValueError):
                return

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def answer(self, status, body, content_type="application/json", extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)


# ----------------------------------------------------------------------------- API

VERSION_PATH = "/api/orv/desktop/user/getClientVersion"
DEFAULT_VERSION = "1.2.3"


def current_version(service_dir):
    """The version to answer; "" when the version file is there but empty."""
    try:
        with open(os.path.join(service_dir, "api", "version")) as f:
            return f.readline().strip()
    except OSError:
        return DEFAULT_VERSION


PACKAGE_CHANNELS = ("download/latest", "download/development/latest")


def package_sha256(service_dir, version):
    """The digest the answer names for `version`'s package; None for none."""
    try:
        with open(os.path.join(service_dir, "api", "sha256")) as f:
            return f.readline().strip()
    except OSError:
        pass
    for channel in PACKAGE_CHANNELS:
        path = os.path.join(service_dir, "storage", channel, version, "orvanecloud.zip")
        if os.path.isfile(path):
            digest = hashlib.sha256()
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    digest.update(block)
            return digest.hexdigest()
    return None


def version_answer(version, service_dir=None):
    data = {"versionNo": version, "clientType": 4}
    digest = package_sha256(service_dir, version) if service_dir else None
    if digest:
        data["sha256"] = digest
    return {"code": 0, "msg": "success", "data": data}


# mode → (status, body or None for the normal answer)
API_MODES = {
    "null-data": (200, {"code": 0, "data": None}),
    "no-version": (200, {"code": 0, "data": {"versionName": "winter"}}),
    "numeric-version": (200, {"code": 0, "data": {"versionNo": 123}}),
    "status-500": (500, None),
    "unsafe-version": (200, {"code": 0, "data": {"versionNo": "1.0/../../other?x=1"}}),
    "not-json": (502, b"<html><body>Bad Gateway</body></html>"),
    "array": (200, [{"data": {"versionNo": "1.2.3"}}]),
}
# Answers that are slow on purpose: "silent" never answers, "drip" sends its
# body one byte at a time, each a while after the one before.
SLOW_API_MODES = ("silent", "drip")
DRIP_INTERVAL = 0.3
BASIC_USER, BASIC_PASSWORD = "orvane", "s3cret"


class ApiHandler(BaseHandler):
    def do_POST(self):
        request_body = self.read_body()
        path = self.request_path()
        version = current_version(self.service_dir)
        if os.path.exists(os.path.join(self.service_dir, "api", "silent")):
            return self.hold_silent()
        if path == VERSION_PATH:
            if not version:
                return self.answer(200, json.dumps(API_MODES["no-version"][1]).encode())
            return self.answer(200, json.dumps(version_answer(version, self.service_dir)).encode())
        if path == "/echo":
            # The request as the server saw it: header lines, a blank line, the body.
            head = "".join("%s: %s\r\n" % (k, v) for k, v in self.headers.items())
            return self.answer(200, head.encode() + b"\r\n" + request_body, "text/plain")
        match = re.fullmatch(r"/odd/([a-z0-9-]+)" + re.escape(VERSION_PATH), path)
        if match and match.group(1) == "silent":
            return self.hold_silent()
        if match and match.group(1) == "drip":
            return self.drip(json.dumps(version_answer(version or DEFAULT_VERSION)).encode())
        if match and match.group(1) in API_MODES:
            status, body = API_MODES[match.group(1)]
            if body is None:
                body = version_answer(version or DEFAULT_VERSION)
            if not isinstance(body, bytes):
                body = json.dumps(body).encode()
            return self.answer(status, body)
        if path == "/auth/basic" + VERSION_PATH:
            expected = "Basic " + base64.b64encode(("%s:%s" % (BASIC_USER, BASIC_PASSWORD)).encode()).decode()
            if self.headers.get("Authorization") == expected:
                return self.answer(200, json.dumps(version_answer(version or DEFAULT_VERSION)).encode())
            return self.answer(401, b'{"code":401}', extra=[("WWW-Authenticate", 'Basic realm="orvane"')])
        return self.answer(404, b'{"code":404}')

    def drip(self, body):
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.flush()
        for i in range(len(body)):
            if stop_event.wait(DRIP_INTERVAL):
                return
            try:
                self.wfile.write(body[i:i + 1])
                self.wfile.flush()
            except OSError:
                return


# ----------------------------------------------------------------------------- fault storage

class FaultHandler(BaseHandler):
    """Serves $SERVICE_DIR/storage/<rest> under /<fault>/<rest>:

    /ok/<rest>            like the storage: Content-Length, real Range support
    /drop/<N>/<rest>      every answer's headers promise the whole range, but the
                          connection closes after N body bytes (N=0: no data)
    /norange/<rest>       ignores Range: always 200 with the whole file
    /wrongrange/<rest>    answers a Range with 206, but from byte 0 (says so in Content-Range)
    /empty/<rest>         200 with Content-Length 0
    /fixed/<N>/<any>      404 with a body of exactly N bytes, for every request
    /stall/<S>/<rest>     headers, then silence for S seconds (at most 120)
    /hush/<N>/<rest>      an answer from the first byte sends N bytes, then
                          nothing more, holding the connection open until the
                          client hangs up; answers from later bytes come whole
    /nocontentrange/<rest> answers a Range with 206 and the whole file, without
                          saying so (no Content-Range)
    /nohead/<rest>        like /ok/, but refuses HEAD (405)
    /headnolength/<rest>  like /ok/, but answers HEAD without a Content-Length
    Every other answer to a HEAD is the GET's without its body.
    """
    fault_prefix = ""

    def do_HEAD(self):
        fault = (self.fault_prefix + self.request_path()).lstrip("/").split("/")[0]
        if fault == "nohead":
            return self.answer(405, b"", "text/plain", extra=[("Allow", "GET")])
        if fault == "headnolength":
            self.send_response(200)
            self.send_header("Content-Type", "application/zip")
            self.end_headers()
            return
        self.do_GET()

    def do_GET(self):
        path = self.fault_prefix + self.request_path()
        parts = path.lstrip("/").split("/")
        fault = parts[0] if parts else ""
        try:
            if fault == "fixed" and len(parts) >= 2:
                return self.fixed_size(int(parts[1]))
            if fault == "empty":
                return self.answer(200, b"", "application/zip")
            if fault == "hush" and len(parts) >= 3:
                return self.serve(parts[2:], hush_at=int(parts[1]))
            if fault == "nocontentrange":
                return self.serve(parts[1:], wrong_start=True, content_range=False)
            if fault in ("drop", "stall") and len(parts) >= 3:
                return self.serve(parts[2:], limit=int(parts[1]) if fault == "drop" else None,
                                  stall=min(int(parts[1]), STALL_LIMIT) if fault == "stall" else 0)
            if fault == "norange":
                return self.serve(parts[1:], honour_range=False)
            if fault == "wrongrange":
                return self.serve(parts[1:], wrong_start=True)
            if fault in ("ok", "nohead", "headnolength"):
                return self.serve(parts[1:])
        except ValueError:
            pass
        self.answer(404, b"not found", "text/plain")

    def fixed_size(self, size):
        head = b'<?xml version="1.0" encoding="UTF-8"?>\n<Error><Code>NoSuchKey</Code><Pad>'
        tail = b"</Pad></Error>\n"
        pad = size - len(head) - len(tail)
        body = head + b"x" * pad + tail if pad >= 0 else b"x" * size
        self.answer(404, body, "application/xml")

    def serve(self, rest, limit=None, honour_range=True, stall=0, wrong_start=False, content_range=True,
              hush_at=None):
        storage = os.path.realpath(os.path.join(self.service_dir, "storage"))
        file_path = os.path.realpath(os.path.join(storage, *rest))
        if not file_path.startswith(storage + os.sep) or not os.path.isfile(file_path):
            return self.answer(404, b"not found", "text/plain")
        size = os.path.getsize(file_path)
        start, status = 0, 200
        range_header = self.headers.get("Range")
        if honour_range and range_header:
            match = re.fullmatch(r"bytes=(\d+)-(\d*)", range_header.strip())
            if match:
                start = int(match.group(1))
                end = int(match.group(2)) if match.group(2) else size - 1
                if start >= size:
                    return self.answer(416, b"", extra=[("Content-Range", "bytes */%d" % size)])
                status = 206
                if wrong_start:
                    start, end = 0, size - 1
                size_to_send = min(end, size - 1) - start + 1
        if status == 200:
            size_to_send = size
        self.send_response(status)
        self.send_header("Content-Type", "application/zip")
        self.send_header("Content-Length", str(size_to_send))
        self.send_header("Accept-Ranges", "bytes" if honour_range else "none")
        if status == 206 and content_range:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, start + size_to_send - 1, size))
        if limit is not None or stall:
            self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.flush()
        if self.command == "HEAD":
            return
        if stall:
            stop_event.wait(stall)
            self.close_connection = True
            return
        to_send = size_to_send if limit is None else min(limit, size_to_send)
        hush = hush_at is not None and start == 0
        if hush:
            to_send = min(to_send, hush_at)
        with open(file_path, "rb") as f:
            f.seek(start)
            while to_send > 0:
                chunk = f.read(min(65536, to_send))
                if not chunk:
                    break
                self.wfile.write(chunk)
                to_send -= len(chunk)
        if hush:
            self.wfile.flush()
            return self.hold_silent()
        if limit is not None:
            self.wfile.flush()
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


# ----------------------------------------------------------------------------- proxy

PROXY_BODY = json.dumps({"code": 407, "data": {"versionNo": "4.0.7"}}).encode()


class ProxyHandler(socketserver.StreamRequestHandler):
    service_dir = "."
    lock = threading.Lock()

    def handle(self):
        # One answer per connection, then the proxy hangs up: a client that
        # asked for a tunnel (CONNECT) otherwise waits for the tunnel forever.
        try:
            request_line = self.rfile.readline(65536)
            if not request_line:
                return
            length = 0
            while True:
                line = self.rfile.readline(65536)
                if line in (b"\r\n", b"\n", b""):
                    break
                name, _, value = line.decode("latin-1").partition(":")
                if name.strip().lower() == "content-length":
                    length = int(value.strip() or 0)
            if length:
                self.rfile.read(length)
            with self.lock, open(os.path.join(self.service_dir, "proxy.log"), "a") as log:
                log.write(request_line.decode("latin-1").rstrip("\r\n") + "\n")
            self.wfile.write(b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                             b"Proxy-Authenticate: Basic realm=\"orvane\"\r\n"
                             b"Content-Type: application/json\r\n"
                             b"Connection: close\r\n"
                             b"Content-Length: " + str(len(PROXY_BODY)).encode() + b"\r\n\r\n"
                             + PROXY_BODY)
            self.wfile.flush()
        except (OSError, ValueError):
            pass


class ProxyServer(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True


# ----------------------------------------------------------------------------- main

def watchdog(pid_file, started):
    while not stop_event.wait(2):
        try:
            with open(pid_file) as f:
                owner = f.read().strip()
        except OSError:
            owner = ""
        if owner != str(os.getpid()) or time.time() - started > MAX_LIFETIME:
            stop_event.set()


def environment_port(name):
    """A port of tools/env.sh (ORVANE_<name>_PORT), which names them all."""
    variable = "ORVANE_%s_PORT" % name
    value = os.environ.get(variable, "")
    if not value.isdigit():
        sys.exit("servers.py: %s is not set; source tools/env.sh first" % variable)
    return int(value)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--service-dir", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--storage-fault", help="be the storage, with this fault (e.g. hush/100000)")
    args = parser.parse_args()

    BaseHandler.service_dir = args.service_dir
    ProxyHandler.service_dir = args.service_dir
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)

    servers = []
    dead_sockets = []
    if args.storage_fault:
        class FaultyStorage(FaultHandler):
            fault_prefix = "/" + args.storage_fault.strip("/")

        port = environment_port("STORAGE")
        for address, family in loopback_addresses():
            servers.append(make_server(address, family, port, FaultyStorage, context))
        return run_servers(servers, dead_sockets, args.service_dir, "storage-fault")

    ports = {name: environment_port(name) for name in ("API", "FAULT", "DEAD", "PROXY")}
    for address, family in loopback_addresses():
        servers.append(make_server(address, family, ports["API"], ApiHandler, context))
        servers.append(make_server(address, family, ports["FAULT"], FaultHandler, context))
        dead = socket.socket(family, socket.SOCK_STREAM)
        dead.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        dead.bind((address, ports["DEAD"]))
        dead.listen(1)
        dead_sockets.append(dead)
    ProxyServer.address_family = socket.AF_INET
    servers.append(ProxyServer(("127.0.0.1", ports["PROXY"]), ProxyHandler))
    return run_servers(servers, dead_sockets, args.service_dir, "servers")


def run_servers(servers, dead_sockets, service_dir, name):
    """Runs the servers until the watchdog says stop; <name>.pid and
    <name>.ready in the service folder tell tools/service about them."""
    for server in servers:
        threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.5}, daemon=True).start()

    pid_file = os.path.join(service_dir, name + ".pid")
    with open(pid_file, "w") as f:
        f.write(str(os.getpid()))
    with open(os.path.join(service_dir, name + ".ready"), "w") as f:
        f.write("ready\n")
    watchdog(pid_file, time.time())
    for server in servers:
        server.shutdown()
        server.server_close()
    for dead in dead_sockets:
        dead.close()


if __name__ == "__main__":
    sys.exit(main())
