"""DLLs planted beside a downloaded installer: the installer is run from a
folder that also holds a DLL under the name of each library it loads or
probes (statically, through the system's own DLLs, or by name at run time),
each leaving a marker file when it is loaded. Showing its window and a
message box (the rich-text engine, the shell, the network libraries) must
load none of them."""

import os
import shutil
import subprocess

import harness
import window_view
from harness import check

PLANTED_DLL = harness.BINARY_DIR / "tests" / "planted_dll.dll"
# The program's imports outside the system's known DLLs, the rich-text
# engines, and libraries the system's DLLs load by name on its behalf.
# Not windowscodecs.dll or propsys.dll: Wine's own GDI+ loads them as delayed
# imports through a search path that ignores the process's restriction (on
# Windows the restriction covers the system DLLs' loads as well); that is the
# test platform's weakness, not the program's.
PLANTED_NAMES = (
    "msftedit50.dll", "msftedit.dll", "riched20.dll", "riched32.dll", "version.dll", "winhttp.dll",
    "wininet.dll", "uxtheme.dll", "dwmapi.dll", "gdiplus.dll", "msimg32.dll", "winmm.dll",
    "comctl32.dll", "imm32.dll", "usp10.dll", "iertutil.dll", "secur32.dll", "crypt32.dll",
    "cryptbase.dll", "userenv.dll", "dbghelp.dll", "shfolder.dll",
)


def markers(folder):
    return sorted(p.name[:-len(".loaded")] for p in folder.glob("*.loaded"))


def test_the_marker_dll_marks_when_loaded():
    """Without this the test below could pass with a DLL that marks nothing."""
    check(PLANTED_DLL.exists(), f"{PLANTED_DLL} is missing (build the planted_dll target)")
    folder = harness.workdir("planted_probe")
    shutil.copy(PLANTED_DLL, folder / "probe.dll")
    # rundll32 loads the DLL, then complains that the entry is missing. On
    # the display: a Wine program without one would set the session's display
    # devices up from the null driver, and the installer's window after it
    # would never show.
    env = {**os.environ, "ORVANE_WANT_DISPLAY": "1", "ORVANE_DISPLAY": harness.DISPLAY}
    subprocess.run([str(harness.WINE_RUN), "rundll32", str(folder / "probe.dll") + ",Nothing"], env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    check(markers(folder) == ["probe.dll"], "the planted DLL left no marker when loaded")


def test_an_installer_beside_planted_dlls_loads_none_of_them(installers):
    folder = harness.workdir("planted")
    exe = folder / "OrvaneSetup.exe"
    shutil.copy(harness.SETUP_EXE, exe)
    for name in PLANTED_NAMES:
        shutil.copy(PLANTED_DLL, folder / name)
    installer = installers.start(folder=folder, exe=exe)
    view = window_view.settled_window(60)
    view.click(window_view.CLOSE_BTN)
    window_view.wait_for_message_box(message="the close confirmation did not appear")
    harness.screenshot("planted_dlls_message_box")
    check(installer.running(), "the installer ended while its message box showed")
    check(markers(folder) == [], f"the installer loaded planted DLLs: {', '.join(markers(folder))}")
