"""What a real install leaves behind in the Wine prefix (install folder,
registry, shortcuts, temporary package) and how to find the installer's
window and its question boxes on the display. Shared by the whole-install
tests; every test starts and ends with clean_install_state()."""

import hashlib
import os
import pathlib
import re
import shutil
import signal
import subprocess
import threading
import time

import harness

BRAND_GREEN = (0x00, 0xBB, 0x96)
PREFIX = harness.PREFIX
DRIVE_C = PREFIX / "drive_c"
INSTALL_DIR = DRIVE_C / "Program Files (x86)" / "orvanecloud"
SERVICE_DIR = harness.SERVICE_DIR
LOCATION_KEY = r"HKCU\Software\OrvaneCloud"
UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Orvane"


def wine(*args):
    return subprocess.run([str(harness.WINE_RUN), *args], env=dict(os.environ), capture_output=True)


def reg(*args):
    """reg.exe in the 32-bit registry view, the product's on 64-bit Windows,
    whichever bitness the build under test has."""
    return wine("reg", *args, "/reg:32")


# What reg.exe says, in the tests' Chinese locale, of a key or a value that is not there.
REG_NOT_FOUND = ("找不到所指定的注册表项", "找不到所指定的注册表值")


def reg_query(key, value):
    """The data of `value` under `key`; None when the key or the value is not
    there. Raises when reg.exe fails in any other way: a broken query must
    not pass for "nothing registered"."""
    result = reg("query", key, "/v", value)
    out = result.stdout.decode("gbk", "replace")
    if result.returncode == 1 and any(words in out for words in REG_NOT_FOUND):
        return None
    for line in out.splitlines() if result.returncode == 0 else ():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == value:
            return parts[2].strip() if len(parts) == 3 else ""
    raise harness.Failure(f"reg query {key} /v {value} failed (exit {result.returncode}): "
                          f"{out.strip()} {result.stderr.decode('gbk', 'replace').strip()}")


def in_this_prefix(pid):
    """True for a process of one of this run's own Wine prefixes (the
    build's, and a network namespace's beside it); other checkouts on the
    machine run programs of the same names in prefixes of their own, which
    are none of this run's business."""
    try:
        environ = pathlib.Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
    except OSError:
        return False
    own = b"WINEPREFIX=" + str(harness.BINARY_DIR).encode() + b"/"
    return any(entry.startswith(own) for entry in environ)


def processes(pattern):
    """Process ids of this run's own prefix whose command line (its Windows
    one, for a Wine process) matches the regular expression `pattern`,
    whatever the case."""
    found = []
    for entry in pathlib.Path("/proc").iterdir():
        try:
            if entry.name.isdigit() and re.search(pattern.encode(), (entry / "cmdline").read_bytes(), re.I) and \
                    in_this_prefix(entry.name):
                found.append(int(entry.name))
        except OSError:
            pass  # ended meanwhile
    return found


def end_processes(pids):
    for pid in pids:
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass  # ended by itself meanwhile


def clients_running():
    """Process ids of clients (any Orvane.exe but the installer)."""
    return processes(r"^(?!.*orvanesetup).*orvane\.exe")


def client_running():
    return bool(clients_running())


def end_clients():
    end_processes(clients_running())


def temp_packages():
    return list(DRIVE_C.glob("users/*/Temp/*_*_*.zip"))


def clean_install_state():
    end_clients()
    reg("delete", LOCATION_KEY, "/f")
    reg("delete", UNINSTALL_KEY, "/f")
    shutil.rmtree(INSTALL_DIR, ignore_errors=True)
    for temp in temp_packages():
        if temp.is_dir() and not temp.is_symlink():
            shutil.rmtree(temp)
        else:
            temp.unlink()
    for link in list(DRIVE_C.glob("users/Public/Desktop/*.lnk")) + \
            list(DRIVE_C.glob("ProgramData/Microsoft/Windows/Start Menu/Programs/*.lnk")):
        if "orvane" in link.name.lower():
            link.unlink()


class WindowWatch:
    """Watches the display while it is open: every window that a process of
    this run matching `pattern` (its Windows command line) shows at any moment
    lands in `seen`, main window, box or system dialog alike."""

    def __init__(self, pattern):
        self.pattern = pattern
        self.seen = set()
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._watch, daemon=True)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join()

    def _watch(self):
        while not self._stop.is_set():
            for pid in processes(self.pattern):
                self.seen.update(harness.visible_windows("--pid", pid))
            time.sleep(0.05)


def installer_window():
    windows = harness.windows_named("^Orvane$")
    return windows[0] if windows else None


def released_package():
    packages = sorted((SERVICE_DIR / "storage" / "download" / "latest").glob("*/orvanecloud.zip"))
    return packages[0] if packages else None


def sha256(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


LOG_LINE = re.compile(r"^\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\] (.*)$")


def log_lines(installer):
    """setup.log as its list of messages, without the time stamps."""
    lines = []
    for line in installer.log().splitlines():
        match = LOG_LINE.match(line)
        if match:
            lines.append(match.group(1))
    return lines


# The installer's message box opens 358 x 208 (the skin's 330 x 180 and its
# shadow). Its buttons are 84 x 32, in a row 30 px from the right and 20 px
# from the bottom edge, 10 px apart.
MSG_BOX_SIZE = (358, 208)
BOX_BUTTON_SIZE = (84, 32)
BOX_BUTTON_GAP = 10
BOX_ROW_RIGHT, BOX_ROW_BOTTOM = 30, 20


def message_boxes():
    """Every window an installer has on the display besides its main window:
    its question boxes, and any other box or system dialog whatever its size
    or title (tool tips, which come and go with the pointer, aside)."""
    main = set(harness.windows_named("^Orvane$"))
    return [window for pid in processes("orvanesetup") for window in harness.visible_windows("--pid", pid)
            if window not in main and not harness.tool_tip_or_gone(window)]


def question_boxes():
    """The installer's own question boxes among message_boxes(): those of the box's size."""
    found = []
    for window in message_boxes():
        try:
            if harness.window_geometry(window)[2:] == MSG_BOX_SIZE:
                found.append(window)
        except subprocess.CalledProcessError:
            pass  # gone between the search and the question
    return found


def box_button(box, which):
    """Screen centre of a box's "yes" (重试/确定) or "no" (退出/取消) button."""
    x, y, width, height = harness.window_geometry(box)
    w, h = BOX_BUTTON_SIZE
    no = (x + width - BOX_ROW_RIGHT - w // 2, y + height - BOX_ROW_BOTTOM - h // 2)
    return no if which == "no" else (no[0] - w - BOX_BUTTON_GAP, no[1])
