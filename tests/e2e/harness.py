"""Drives the real installer under Wine from the Linux side: starts it in a
working folder of its own, finds its windows on the Xvfb display, sends real X
input with xdotool, takes screenshots and reads setup.log.

Run by pytest inside the session of tools/test, which provides ORVANE_DISPLAY,
a running wineserver and the local service. The folders, the Wine prefix and
the ports are those of tools/env.sh: when they are not in the environment
(pytest started by hand), they are read from there."""

import os
import pathlib
import shutil
import subprocess
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]


def load_project_environment():
    """Takes tools/env.sh's variables into the environment unless tools/test
    (through ctest) has passed them already."""
    if os.environ.get("ORVANE_BINARY_DIR"):
        return
    out = subprocess.run(["bash", "-c", 'source "$1" >&2 && env -0', "env", str(ROOT / "tools" / "env.sh")],
                         capture_output=True, check=True).stdout
    for entry in out.split(b"\0"):
        name, _, value = entry.decode().partition("=")
        if name.startswith("ORVANE_") or name in ("BUILD_DIR", "WINEPREFIX", "WINELOADER", "PATH"):
            os.environ[name] = value


load_project_environment()
SOURCE_DIR = pathlib.Path(os.environ["ORVANE_SOURCE_DIR"])
BINARY_DIR = pathlib.Path(os.environ["ORVANE_BINARY_DIR"])
PREFIX = pathlib.Path(os.environ["ORVANE_WINEPREFIX"])
SERVICE_DIR = pathlib.Path(os.environ["ORVANE_SERVICE_DIR"])
WINE_RUN = SOURCE_DIR / "tools" / "wine-run"
SETUP_EXE = BINARY_DIR / "OrvaneSetup.exe"
DISPLAY = os.environ.get("ORVANE_DISPLAY", "")
SCREENSHOTS = BINARY_DIR / "screenshots"


class Failure(AssertionError):
    """A check of a test that does not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def holds_for(predicate, seconds, message, interval=0.2):
    """Checks that predicate() stays truthy for `seconds`: for what must not
    happen, which only a while of watching can show."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        check(predicate(), message)
        time.sleep(interval)


def wait_for(predicate, timeout, message, interval=0.1):
    """Polls until predicate() is truthy and returns its value; fails with message."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(message)
        time.sleep(interval)


def x_env():
    env = dict(os.environ)
    env["DISPLAY"] = DISPLAY
    return env


def windows_named(title):
    return visible_windows("--name", title)


def visible_windows(*criteria):
    """X window ids of the visible windows xdotool finds by `criteria`
    ("--name", a regular expression of the title; "--pid", a Wine process)."""
    if not DISPLAY:
        return []
    result = subprocess.run(["xdotool", "search", "--onlyvisible", *map(str, criteria)], env=x_env(),
                            capture_output=True, text=True)
    return [int(w) for w in result.stdout.split()]


def viewable(window):
    """True while the X window `window` is there and shown."""
    result = subprocess.run(["xwininfo", "-display", DISPLAY, "-id", str(window)], capture_output=True, text=True)
    return result.returncode == 0 and "IsViewable" in result.stdout


def tool_tip_or_gone(window):
    """True for how Wine shows a tool tip on X, an owned window (type dialog)
    without any frame, and for a window gone meanwhile. A question box is a
    normal window, and a system dialog has its frame."""
    result = subprocess.run(["xprop", "-display", DISPLAY, "-id", str(window), "_NET_WM_WINDOW_TYPE",
                             "_MOTIF_WM_HINTS"], capture_output=True, text=True)
    out = result.stdout
    motif = out.split("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = ")[-1].split(", ") if "_MOTIF" in out else []
    return result.returncode != 0 or "_NET_WM_WINDOW_TYPE_DIALOG" in out and len(motif) > 2 and int(motif[2], 16) == 0


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], env=x_env(), check=True, capture_output=True)


def xdotool_values(command, *args):
    """The NAME=value lines an xdotool command prints with --shell, as ints."""
    out = subprocess.run(["xdotool", command, "--shell", *map(str, args)], env=x_env(), capture_output=True,
                         text=True, check=True).stdout
    return {name: int(value) for name, value in (line.split("=", 1) for line in out.split() if "=" in line)
            if value.lstrip("-").isdigit()}


def window_geometry(window):
    """(x, y, width, height) of an X window."""
    values = xdotool_values("getwindowgeometry", window)
    return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]


def screenshot(name):
    """Saves the whole display as screenshots/<name>.png and returns the path."""
    SCREENSHOTS.mkdir(parents=True, exist_ok=True)
    path = SCREENSHOTS / f"{name}.png"
    subprocess.run(["import", "-display", DISPLAY, "-window", "root", str(path)], check=True)
    return path


class Installer:
    """One OrvaneSetup.exe process started in a working folder of its own."""

    def __init__(self, workdir, args=(), exe=SETUP_EXE, network=None):
        self.workdir = pathlib.Path(workdir)
        self.workdir.mkdir(parents=True, exist_ok=True)
        env = dict(os.environ)
        env["ORVANE_WANT_DISPLAY"] = "1"
        env["ORVANE_DISPLAY"] = DISPLAY
        command = [str(WINE_RUN), str(exe), *args]
        if network:
            command = network.wrap(command)
            env.update(network.env)
        self.process = subprocess.Popen(command, cwd=self.workdir, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the installer was still running after {timeout} s")

    def running(self):
        return self.process.poll() is None

    def log(self):
        path = self.workdir / "setup.log"
        return path.read_bytes().decode("gbk") if path.exists() else ""

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()


class Installers:
    """The installers one test starts, each in a fresh working folder; all
    still running are ended when the test ends (the `installers` fixture)."""

    def __init__(self):
        self.started = []

    def start(self, name=None, folder=None, **options):
        """Starts an Installer in `folder`, else in a fresh workdir(name);
        `options` as Installer takes them."""
        installer = Installer(folder or workdir(name), **options)
        self.started.append(installer)
        return installer

    def end_all(self):
        for installer in self.started:
            installer.kill()


class Network:
    """A network namespace of the test's own whose connection can be pulled.

    Wine asks its own driver process whether the machine is connected, so
    a program and its wineserver must live in the namespace together: the
    namespace gets a Wine prefix of its own (booted once, kept in the build
    folder). "Connected" is a veth link with a documentation-range address
    (192.0.2.0/24, never routed) and a default route; nothing is sent over it.
    """

    def __init__(self, name):
        self.name = f"orv{os.getpid()}{name}"[:12]
        self.host_end = f"{self.name}h"
        self.prefix = BINARY_DIR / "e2e-netns" / "wineprefix"
        self.env = {"WINEPREFIX": str(self.prefix), "ORVANE_WINEPREFIX": str(self.prefix)}

    def __enter__(self):
        run = lambda *a: subprocess.run(a, check=True, capture_output=True)
        run("ip", "netns", "add", self.name)
        run("ip", "link", "add", self.host_end, "type", "veth", "peer", "name", "orv-n", "netns", self.name)
        run("ip", "link", "set", self.host_end, "up")
        self.exec("ip", "link", "set", "lo", "up")
        self.exec("ip", "addr", "add", "192.0.2.10/24", "dev", "orv-n")
        self.connect()
        subprocess.run(self.wrap([str(SOURCE_DIR / "tools" / "wineprefix"), str(self.prefix)]), check=True,
                       env={**os.environ, **self.env}, stdout=subprocess.DEVNULL)
        subprocess.run(self.wrap(["wineserver", "-p"]), env={**os.environ, **self.env}, check=True)
        return self

    def __exit__(self, *exc):
        subprocess.run(self.wrap(["wineserver", "-k"]), env={**os.environ, **self.env}, capture_output=True)
        subprocess.run(["ip", "netns", "del", self.name], capture_output=True)
        subprocess.run(["ip", "link", "del", self.host_end], capture_output=True)

    def wrap(self, command):
        return ["ip", "netns", "exec", self.name, *command]

    def exec(self, *command):
        subprocess.run(self.wrap(list(command)), check=True, capture_output=True)

    def connect(self):
        self.exec("ip", "link", "set", "orv-n", "up")
        self.exec("ip", "route", "replace", "default", "via", "192.0.2.1", "dev", "orv-n")

    def disconnect(self):
        self.exec("ip", "link", "set", "orv-n", "down")


def workdir(name):
    """A fresh working folder for one test under the build folder."""
    path = BINARY_DIR / "e2e" / name
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


class Picture:
    """The display's pixels, read through ImageMagick as raw RGB."""

    def __init__(self, path):
        self.path = pathlib.Path(path)
        size = subprocess.run(["identify", "-format", "%w %h", str(path)], capture_output=True,
                              text=True, check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], capture_output=True,
                                  check=True).stdout

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def find_colour(self, colour, box, tolerance=12, step=2):
        """Bounding box (x0, y0, x1, y1) of the pixels near `colour` inside
        box (x0, y0, x1, y1), or None."""
        x0, y0, x1, y1 = box
        found = None
        r, g, b = colour
        data, width = self.rgb, self.width
        for y in range(max(0, y0), min(self.height, y1), step):
            row = y * width
            for x in range(max(0, x0), min(width, x1), step):
                i = (row + x) * 3
                if abs(data[i] - r) <= tolerance and abs(data[i + 1] - g) <= tolerance and \
                        abs(data[i + 2] - b) <= tolerance:
                    if found is None:
                        found = [x, y, x, y]
                    else:
                        found[0] = min(found[0], x); found[1] = min(found[1], y)
                        found[2] = max(found[2], x); found[3] = max(found[3], y)
        return tuple(found) if found else None


def pointer_position():
    values = xdotool_values("getmouselocation")
    return values["X"], values["Y"]


def move_pointer(x, y):
    """Moves the pointer and returns once it is at (x, y). Not xdotool's
    --sync: that waits for the pointer to move, which it never does when it
    is there already, and gives up only after about 15 s."""
    if pointer_position() == (x, y):
        return
    xdotool("mousemove", x, y)
    wait_for(lambda: pointer_position() == (x, y), 10, f"the pointer never reached ({x}, {y})", interval=0.02)


def click(x, y):
    move_pointer(x, y)  # so that the press lands on (x, y)
    xdotool("click", "1")
