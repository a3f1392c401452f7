"""The unattended install (--silent, --folder=) with the real installer under
Wine and the local service, as deployment tools run it: the display is
watched for the whole run and no window of the silent installer may show;
its exit code and the last line of setup.log name the outcome; a failure
leaves nothing half-installed, and the window installs afterwards as ever."""

import contextlib
import hashlib
import pathlib
import shutil

import pytest

import harness
from failure_prompts import finish_install, follows, open_installer
from harness import check, wait_for
from installer_state import (DRIVE_C, INSTALL_DIR, LOCATION_KEY, UNINSTALL_KEY, WindowWatch, clean_install_state,
                             clients_running, installer_window, log_lines, reg_query)
from other_programs import STAND_IN, end_started, running, start_program, windows_path
from served_packages import check_holds_package, folder_tree, good_package, served_version
from window_view import press_install

SILENT = r"orvanesetup\.exe.*--silent"
SHORTCUTS = (DRIVE_C / "users" / "Public" / "Desktop" / "Orvane.lnk",
             DRIVE_C / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Orvane.lnk")
UNINSTALL_VALUES = ("DisplayIcon", "DisplayName", "Publisher", "DisplayVersion", "UninstallString")


def run_silent(installers, name, *args, network=None, timeout=240):
    """Runs `OrvaneSetup.exe --silent args` to its end with the display
    watched; returns the installer and its exit code."""
    with WindowWatch(SILENT) as watch:
        installer = installers.start(name, args=["--silent", *args], network=network)
        code = installer.wait(timeout)
    check(not watch.seen, f"the silent installer showed windows {sorted(watch.seen)}")
    return installer, code


def check_outcome(installer, code, expected, name):
    lines = log_lines(installer)
    check(code == expected, f"the silent install exited with {code}, not {expected} ({name})")
    last = f"silent install: finished: {expected} {name}"
    check(lines and lines[-1] == last, f"setup.log ends with {lines[-1:]}, not {last!r}")


def installed_state(folder=INSTALL_DIR):
    """What an install leaves: the folder's files, the registry values and the shortcuts."""
    return {"files": folder_tree(folder) if folder.exists() else None,
            "location": reg_query(LOCATION_KEY, "InstallLocation"),
            **{value: reg_query(UNINSTALL_KEY, value) for value in UNINSTALL_VALUES},
            "shortcuts": [link.exists() for link in SHORTCUTS]}


def test_a_silent_install_leaves_what_the_window_does(prefix, installers):
    # The window's install first, the watch seeing its window.
    with WindowWatch("orvanesetup") as watch:
        installer, view = open_installer(installers, "silent_window_install")
        press_install(installer, view)
        finish_install(installer, "the window's install")
        wait_for(lambda: reg_query(UNINSTALL_KEY, "UninstallString") and all(l.exists() for l in SHORTCUTS), 60,
                 "the window's install never finished its registration")
    check(watch.seen, "the watch did not see the installer's window")
    installer.kill()
    by_window = installed_state()
    clean_install_state()

    # A client running from the install folder is ended, as by the window's
    # install, and does not count as a program that stops a silent one.
    with in_install_folder("Orvane.exe") as pattern:
        installer, code = run_silent(installers, "silent_install")
        check(not running(pattern), "the silent install left the client running")
    check_outcome(installer, code, 0, "installed")
    check(installed_state() == by_window, "the silent install left other files, registry values or shortcuts "
                                          "than the window's install")
    check("DownloadAndUnzipFile done" in log_lines(installer), "the silent install did not log the pipeline's lines")
    check(not clients_running(), "the silent install started the client")


def test_a_silent_install_into_a_folder_of_its_own(prefix, installers):
    """--folder= names a folder that holds other programs: the client goes
    into the product's folder under it, and a program there keeps running."""
    chosen = DRIVE_C / "e2e silent tools"
    target = chosen / "orvanecloud"
    programs = []
    try:
        shutil.rmtree(chosen, ignore_errors=True)
        chosen.mkdir()
        shutil.copy(STAND_IN, chosen / "Tool.exe")
        programs.append(start_program(chosen / "Tool.exe", "120"))
        wait_for(lambda: running(r"e2e silent tools\\Tool\.exe"), 30, "the program in the chosen folder did not start")

        installer, code = run_silent(installers, "silent_folder", f"--folder={windows_path(chosen)}")
        check_outcome(installer, code, 0, "installed")
        check_holds_package(target, good_package(), "the silent install with --folder=")
        check(not INSTALL_DIR.exists(), "the client went to the default folder as well")
        location = reg_query(LOCATION_KEY, "InstallLocation")
        check(location == windows_path(target), f"InstallLocation is {location!r}, not {windows_path(target)}")
        check(running(r"e2e silent tools\\Tool\.exe"), "the program running from the chosen folder was ended")
    finally:
        installers.end_all()
        end_started(programs, [r"e2e silent tools\\Tool\.exe"])
        shutil.rmtree(chosen, ignore_errors=True)


def damaged_copy(package):
    damaged = bytearray(package)
    damaged[len(package) // 2] ^= 0xFF
    return bytes(damaged)


@contextlib.contextmanager
def in_install_folder(name):
    """The stand-in program running from the install folder as `name`;
    yields the pattern that finds its process."""
    INSTALL_DIR.mkdir(parents=True)
    shutil.copy(STAND_IN, INSTALL_DIR / name)
    program = start_program(INSTALL_DIR / name, "120")
    pattern = r"orvanecloud\\" + name.replace(".", r"\.")
    try:
        wait_for(lambda: running(pattern), 30, f"{name} did not start in the install folder")
        yield pattern
    finally:
        end_started([program], [pattern])


@contextlib.contextmanager
def holder_of(path):
    """A program from elsewhere holding `path` open without sharing."""
    folder = DRIVE_C / "e2e-silent-holder"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir()
    holder = folder / "FileHolder.exe"
    shutil.copy(STAND_IN, holder)
    program = start_program(holder, "120", windows_path(path))
    try:
        wait_for(lambda: pathlib.Path(str(holder) + ".holding").exists(), 30, "the file holder never held the file")
        yield
    finally:
        end_started([program], [r"e2e-silent-holder\\FileHolder.exe"])
        shutil.rmtree(folder, ignore_errors=True)


@contextlib.contextmanager
def failing(case, installers):
    """Sets up what makes the silent install of `case` fail; yields
    (extra arguments, network, a check that must hold after the run)."""
    good = good_package()
    if case == "no_version":
        with served_version(""):
            yield (), None, None
    elif case == "no_size":
        with served_version("e2e-silent-nosize", b""):
            yield (), None, None
    elif case == "not_ready":
        with served_version("e2e-silent-notready"):
            yield (), None, None
    elif case == "damaged":
        with served_version("e2e-silent-unzip", b"<html>Gateway busy</html>\n" * 40, digest=""):
            yield (), None, None
    elif case == "digest":
        with served_version("e2e-silent-digest", damaged_copy(good), digest=hashlib.sha256(good).hexdigest()):
            yield (), None, None
    elif case == "held_file":
        held = INSTALL_DIR / "resources" / "skin" / "main.xml"
        held.parent.mkdir(parents=True)
        held.write_bytes(b"<old/>")
        with holder_of(held), served_version("e2e-silent-held", good):
            yield (), None, None
    elif case == "programs_running":
        with in_install_folder("OrvaneHelper.exe") as pattern:
            yield (), None, lambda: check(running(pattern), "the silent install ended the program in its folder")
    elif case == "second_installer":
        first = installers.start("silent_first_installer")
        wait_for(installer_window, 60, "the first installer never showed its window")
        yield (), None, lambda: check(first.running(), "the first installer ended when the silent one started")
    elif case == "offline":
        with harness.Network("silent") as network:
            network.disconnect()
            yield (), network, None
    else:
        yield {"bad_switch": ("--bogus",), "empty_folder": ("--folder=",),
               "relative_folder": ("--folder=relative\\dir",),
               "missing_folder": ("--folder=C:\\e2e-silent-missing\\apps",)}[case], None, None


# The outcome of each case: exit code, its name, and the log line that says why.
FAILURES = {
    "no_version": (5, "no version from the service", "No package version: the API gave none"),
    "no_size": (12, "no package size", "Failed to get file size."),
    "not_ready": (16, "package not ready", "Failed to get new package"),
    "damaged": (17, "unzip failed", "unzip failed"),
    "digest": (20, "corrupt package", "The package does not match its SHA-256."),
    "held_file": (17, "unzip failed", "unzip failed"),
    "programs_running": (6, "programs running in the install folder",
                         "silent install: programs started from the install folder are running; they are not ended"),
    "second_installer": (4, "another installer running",
                         "A process with the same name is already running, terminate the current process"),
    "offline": (3, "no network", "silent install: no network connection"),
    "bad_switch": (2, "bad command line", "silent install: the command line cannot be read: unknown switch --bogus"),
    "empty_folder": (2, "bad command line", "silent install: the command line cannot be read: --folder= names no folder"),
    "relative_folder": (2, "bad command line",
                        "silent install: the command line cannot be read: --folder= is not an absolute path: "
                        "relative\\dir"),
    "missing_folder": (2, "bad command line",
                       "silent install: the command line cannot be read: --folder= names a folder that does not exist: "
                       "C:\\e2e-silent-missing\\apps"),
}


@pytest.mark.parametrize("case", FAILURES)
def test_each_failure_ends_with_its_code_and_leaves_nothing_half_installed(prefix, installers, case):
    code_expected, name, why = FAILURES[case]
    with failing(case, installers) as (args, network, afterwards):
        before = installed_state()
        installer, code = run_silent(installers, f"silent_{case}", *args, network=network)
        check_outcome(installer, code, code_expected, name)
        check(why in log_lines(installer), f"setup.log does not say {why!r}")
        check(installed_state() == before, "the failed silent install changed the install folder, the registry "
                                           "or the shortcuts")
        if afterwards:
            afterwards()


def test_the_window_installs_after_a_failed_silent_install(prefix, installers):
    """Both into a --folder= of the test's own: the window takes it too."""
    good = good_package()
    chosen = DRIVE_C / "e2e-silent-then-window"
    target = chosen / "orvanecloud"
    folder = f"--folder={windows_path(chosen)}"
    try:
        shutil.rmtree(chosen, ignore_errors=True)
        chosen.mkdir()
        with served_version("e2e-silent-then-window", damaged_copy(good), digest=hashlib.sha256(good).hexdigest()):
            installer, code = run_silent(installers, "silent_before_window", folder)
            check_outcome(installer, code, 20, "corrupt package")
        check(not target.exists(), "the failed silent install left an install folder")
        installer, view = open_installer(installers, "window_after_silent", args=[folder])
        press_install(installer, view)
        finish_install(installer, "the window's install after a failed silent one", folder=target)
        check_holds_package(target, good, "the window's install after a failed silent one")
        check(follows(log_lines(installer), "rangeHeader", "Range: bytes=0-"),
              "the window's install did not fetch the package whole")
    finally:
        installers.end_all()
        shutil.rmtree(chosen, ignore_errors=True)
