"""What a real install leaves behind in the Wine prefix (install folder,
registry, shortcuts, temporary package) and how to find the installer's
window and its green buttons on the display. Shared by the whole-install
tests; every test starts and ends with clean_install_state()."""

import hashlib
import os
import pathlib
import shutil
import signal
import subprocess

import harness

BRAND_GREEN = (0x00, 0xBB, 0x96)
PREFIX = pathlib.Path(os.environ.get("WINEPREFIX", harness.BINARY_DIR / "wineprefix"))
DRIVE_C = PREFIX / "drive_c"
INSTALL_DIR = DRIVE_C / "Program Files (x86)" / "orvanecloud"
SERVICE_DIR = pathlib.Path(os.environ.get("ORVANE_SERVICE_DIR", harness.BINARY_DIR / "service"))
LOCATION_KEY = r"HKCU\Software\OrvaneCloud"
UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Orvane"


def wine(*args):
    return subprocess.run([str(harness.WINE_RUN), *args], env=dict(os.environ), capture_output=True)


def reg_query(key, value):
    out = wine("reg", "query", key, "/v", value).stdout.decode("utf-8", "replace")
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == value:
            return parts[2].strip()
    return None


def clients_running():
    """Process ids of clients (any Orvane.exe but the installer) started in
    this run's own prefix; other checkouts on the machine run clients of
    their own, which are none of this run's business."""
    found = []
    prefix = b"WINEPREFIX=" + str(PREFIX).encode()
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            command = (entry / "cmdline").read_bytes().lower()
            environment = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if b"orvane.exe" in command and b"orvanesetup" not in command and prefix in environment:
            found.append(int(entry.name))
    return found


def client_running():
    return bool(clients_running())


def end_clients():
    for pid in clients_running():
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass  # ended by itself meanwhile


def temp_packages():
    return list(DRIVE_C.glob("users/*/Temp/*_*_*.zip"))


def clean_install_state():
    end_clients()
    wine("reg", "delete", LOCATION_KEY, "/f")
    wine("reg", "delete", UNINSTALL_KEY, "/f")
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


def installer_window():
    windows = harness.windows_named("^Orvane$")
    return windows[0] if windows else None


def green_button(window, from_top):
    """Centre of the first wide run of brand green below `from_top` inside the
    window (the install and done buttons), or None."""
    x, y, width, height = harness.window_geometry(window)
    picture = harness.Picture(harness.screenshot("install_probe"))
    for row in range(y + from_top, y + height):
        run = 0
        for column in range(x, x + width):
            if all(abs(a - b) <= 16 for a, b in zip(picture.pixel(column, row), BRAND_GREEN)):
                run += 1
                if run >= 150:
                    return column - run // 2, row + 20
            else:
                run = 0
    return None


def released_package():
    packages = sorted((SERVICE_DIR / "storage" / "download" / "latest").glob("*/orvanecloud.zip"))
    return packages[0] if packages else None


def sha256(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


MSG_BOX_SIZE = (358, 208)


def msg_box_window():
    """The installer's own message box (a 358 x 208 window with no window
    title; its title "提示" is drawn inside it), or None."""
    if not harness.DISPLAY:
        return None
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^$"],
                            env=harness.x_env(), capture_output=True, text=True)
    for window in (int(w) for w in result.stdout.split()):
        try:
            if harness.window_geometry(window)[2:] == MSG_BOX_SIZE:
                return window
        except subprocess.CalledProcessError:
            continue  # gone between the search and the question
    return None
