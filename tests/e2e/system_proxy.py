"""A real proxy for the tests: Debian's tinyproxy on loopback, named as the
user's system proxy in the Wine prefix's Internet settings while a
`system_proxy` block runs. When the block ends the proxy is stopped and the
settings are removed again, so every other test connects directly."""

import contextlib
import os
import re
import socket
import struct
import subprocess

import harness
from harness import check, wait_for
from installer_state import wine

PORT = int(os.environ["ORVANE_TINYPROXY_PORT"])
API_PORT = int(os.environ["ORVANE_API_PORT"])
STORAGE_PORT = int(os.environ["ORVANE_STORAGE_PORT"])
SETTINGS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
CONNECTIONS_KEY = SETTINGS_KEY + r"\Connections"
TUNNEL = re.compile(r"Request \(file descriptor \d+\): CONNECT (\S+) ")


def connection_settings(proxy, bypass):
    """The binary DefaultConnectionSettings value, the one WinHTTP reads: a
    version (0x46), a change counter, the flags direct|proxy, then the proxy,
    the bypass list and the script URL, each as its length and ASCII text."""
    blob = struct.pack("<III", 0x46, 0, 3)
    for text in (proxy, bypass, ""):
        data = text.encode("ascii")
        blob += struct.pack("<I", len(data)) + data
    return blob.hex()


def reg(*args):
    result = wine("reg", *args)
    check(result.returncode == 0, f"reg {' '.join(args)} failed: {result.stderr.decode(errors='replace').strip()}")


def name_proxy(proxy, bypass):
    reg("add", SETTINGS_KEY, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1", "/f")
    reg("add", SETTINGS_KEY, "/v", "ProxyServer", "/t", "REG_SZ", "/d", proxy, "/f")
    if bypass:
        reg("add", SETTINGS_KEY, "/v", "ProxyOverride", "/t", "REG_SZ", "/d", bypass, "/f")
    reg("add", CONNECTIONS_KEY, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY",
        "/d", connection_settings(proxy, bypass), "/f")


def forget_proxy():
    for value in ("ProxyEnable", "ProxyServer", "ProxyOverride"):
        wine("reg", "delete", SETTINGS_KEY, "/v", value, "/f")
    wine("reg", "delete", CONNECTIONS_KEY, "/f")


class Proxy:
    def __init__(self, log):
        self.log = log

    def tunnels(self):
        """The host:port of every tunnel (CONNECT) asked of the proxy so far."""
        text = self.log.read_text(errors="replace") if self.log.exists() else ""
        return TUNNEL.findall(text)


def accepts(port):
    with socket.socket() as probe:
        return probe.connect_ex(("127.0.0.1", port)) == 0


@contextlib.contextmanager
def system_proxy(name, credentials=None, bypass=""):
    """tinyproxy on ORVANE_TINYPROXY_PORT, carrying tunnels to the local
    service's API and storage, named as the system proxy with `bypass` as the
    list of hosts that go direct. With `credentials` (user, password) it lets
    nobody through without them. Yields a Proxy."""
    folder = harness.workdir(name + "_proxy")
    log = folder / "tinyproxy.log"
    config = folder / "tinyproxy.conf"
    lines = [f"Port {PORT}", "Listen 127.0.0.1", "Timeout 60", "Allow 127.0.0.1", "MaxClients 20",
             f"ConnectPort {API_PORT}", f"ConnectPort {STORAGE_PORT}", f'LogFile "{log}"', "LogLevel Connect"]
    if credentials:
        lines.append("BasicAuth %s %s" % credentials)
    config.write_text("\n".join(lines) + "\n")
    check(not accepts(PORT), f"something already listens on the proxy's port {PORT}")
    process = subprocess.Popen(["tinyproxy", "-d", "-c", str(config)], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: accepts(PORT) or process.poll() is not None, 10, "tinyproxy did not start")
        check(process.poll() is None, f"tinyproxy ended at once with {process.returncode}")
        name_proxy(f"127.0.0.1:{PORT}", bypass)
        yield Proxy(log)
    finally:
        forget_proxy()
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
