"""Programs other than the installer that a test starts in the Wine prefix
(the stand-in client, copies of it under other names) and ends again: found
by their Windows command line, and only those of this run's own prefix
(other checkouts on the machine run programs of the same names)."""

import pathlib
import subprocess

import harness
from installer_state import DRIVE_C, end_processes, processes

STAND_IN = harness.BINARY_DIR / "testclient" / "Orvane.exe"


def windows_path(path):
    """C:\\... for a path under the prefix's drive_c."""
    return "C:\\" + str(pathlib.Path(path).relative_to(DRIVE_C)).replace("/", "\\")


def start_program(path, *args):
    """Starts a Windows program under Wine without a display, by its Windows
    path, so that its command line is that path."""
    return subprocess.Popen([str(harness.WINE_RUN), windows_path(path), *args], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def running(pattern):
    return bool(processes(pattern))


def end_started(programs, patterns):
    """Ends the programs this test started: their Wine processes by id."""
    for program in programs:
        program.kill()
        program.wait()
    for pattern in patterns:
        end_processes(processes(pattern))
