"""A whole install with the real installer under Wine: real X clicks on the
skinned window, the package from the local service's nginx storage, and the
results checked on disk, in the registry and in the process list."""

import datetime
import hashlib
import os
import pathlib
import shutil
import subprocess
import time
import zipfile

import harness
from harness import Installer, check, wait_for

BRAND_GREEN = (0x00, 0xBB, 0x96)
PREFIX = pathlib.Path(os.environ.get("WINEPREFIX", harness.BINARY_DIR / "wineprefix"))
DRIVE_C = PREFIX / "drive_c"
INSTALL_DIR = DRIVE_C / "Program Files (x86)" / "orvanecloud"
SERVICE_DIR = pathlib.Path(os.environ.get("ORVANE_SERVICE_DIR", harness.BINARY_DIR / "service"))


def wine(*args):
    env = dict(os.environ)
    return subprocess.run([str(harness.WINE_RUN), *args], env=env, capture_output=True)


def reg_query(key, value):
    out = wine("reg", "query", key, "/v", value).stdout.decode("utf-8", "replace")
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == value:
            return parts[2].strip()
    return None


def end_clients():
    subprocess.run(["pkill", "-f", r"orvanecloud\\Orvane.exe"], capture_output=True)


def clean_install_state():
    end_clients()
    wine("reg", "delete", r"HKCU\Software\OrvaneCloud", "/f")
    wine("reg", "delete", r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Orvane", "/f")
    shutil.rmtree(INSTALL_DIR, ignore_errors=True)
    for temp in DRIVE_C.glob("users/*/Temp/*_*_*.zip"):
        temp.unlink()
    for link in list(DRIVE_C.glob("users/Public/Desktop/*.lnk")) + \
            list(DRIVE_C.glob("ProgramData/Microsoft/Windows/Start Menu/Programs/*.lnk")):
        if "Orvane" in link.name or "orvane" in link.name.lower():
            link.unlink()


def installer_window():
    windows = harness.windows_named("^Orvane$")
    return windows[0] if windows else None


def green_button(window, from_top):
    """Centre of the first wide run of brand green below `from_top` inside the window."""
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


def test_a_complete_install_from_the_local_service():
    clean_install_state()
    folder = harness.workdir("install")
    installer = Installer(folder)
    try:
        window = wait_for(installer_window, 90, "the installer window never appeared")
        x, y, width, height = harness.window_geometry(window)
        check((width, height) == (988, 653), f"the window is {width}x{height}, not 988x653")
        time.sleep(1.5)  # past the first-paint fade-in, for a true picture of the view
        harness.screenshot("install_start_view")

        button = wait_for(lambda: green_button(window, 300), 20, "no green install button on the start view")
        harness.click(*button)
        wait_for(lambda: (INSTALL_DIR / "Orvane.exe").exists(), 180,
                 "the client never arrived in the install folder")
        wait_for(lambda: reg_query(r"HKCU\Software\OrvaneCloud", "InstallLocation"), 60,
                 "the install location was never registered")
        harness.screenshot("install_finished_view")

        stamp = datetime.date.today().strftime("%Y_%m_%d")
        downloaded = list(DRIVE_C.glob(f"users/*/Temp/{stamp}.zip"))
        check(downloaded, f"no {stamp}.zip in the temporary folder")
        source = released_package()
        check(source is not None, "the local service has no released package")
        check(sha256(downloaded[0]) == sha256(source), "the downloaded package differs from the stored one")
        with zipfile.ZipFile(source) as archive:
            for entry in archive.infolist():
                if entry.is_dir() or not entry.filename.isascii():
                    continue
                installed = INSTALL_DIR / entry.filename
                check(installed.exists(), f"{entry.filename} was not installed")
                check(installed.read_bytes() == archive.read(entry), f"{entry.filename} differs from the package")

        location = reg_query(r"HKCU\Software\OrvaneCloud", "InstallLocation")
        check(location.lower().endswith(r"program files (x86)\orvanecloud"), f"InstallLocation is {location!r}")
        check(reg_query(r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Orvane", "DisplayName"),
              "no uninstall entry")

        done = wait_for(lambda: green_button(window, 300), 30, "no green done button on the finished view")
        harness.click(*done)
        code = installer.wait(30)
        check(code == 1, f"the installer ended with {code}, not 1")
        wait_for(lambda: subprocess.run(["pgrep", "-f", r"orvanecloud\\Orvane.exe"],
                                        capture_output=True).returncode == 0,
                 20, "the installed client was not started by done_btn with run_check selected")
    finally:
        installer.kill()
        clean_install_state()


if __name__ == "__main__":
    harness.main([test_a_complete_install_from_the_local_service])
