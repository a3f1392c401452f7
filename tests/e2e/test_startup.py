"""Start-up of the real installer under Wine: one installer at a time, no
start without a network, and the exit codes of each way out."""

import re

import harness
from harness import check, wait_for
from installer_state import installer_window

ALREADY_RUNNING = "A process with the same name is already running, terminate the current process"
UNIQUE = "The current process is unique and can continue to execute 中文"


def close_window(window):
    harness.xdotool("windowfocus", "--sync", window)
    harness.xdotool("key", "alt+F4")


def test_second_installer_exits_at_once_and_first_is_unaffected(installers):
    folder = harness.workdir("second_instance")
    first = installers.start(folder=folder)
    window = wait_for(installer_window, 60, "the first installer never showed its window")
    check(UNIQUE in first.log(), "the first installer did not log that it is unique")

    second = installers.start(folder=folder)
    code = second.wait(30)
    check(code == 0, f"the second installer exited with {code}, not 0")
    check(first.log().count(ALREADY_RUNNING) == 1, "the second installer did not log the already-running line")
    check(first.log().count(UNIQUE) == 1, "the second installer went past the single-instance check")
    check(first.running(), "the first installer ended when the second started")
    check(installer_window() == window, "the first installer's window changed")

    close_window(window)
    code = first.wait(30)
    check(code == 1, f"closing the installer window ended the process with {code}, not 1")


def test_offline_start_shows_connection_error_even_beside_a_running_installer(installers):
    folder = harness.workdir("offline")
    with harness.Network("off") as network:
        try:
            online = installers.start(folder=folder, network=network)
            wait_for(installer_window, 60, "the installer never showed its window while connected")
            log_before = online.log()

            network.disconnect()
            offline = installers.start(folder=folder, network=network)
            box = wait_for(lambda: harness.windows_named("^连接错误$"), 60,
                           "no 连接错误 message box appeared when starting offline")[0]
            harness.screenshot("startup_offline_box")
            check(offline.running(), "the offline installer ended before its box was answered")
            harness.xdotool("windowfocus", "--sync", box)
            harness.xdotool("key", "Return")
            code = offline.wait(30)
            check(code == 1, f"the offline installer exited with {code}, not 1")
            check(online.log() == log_before, "the offline installer wrote to setup.log")
            check(online.running(), "the running installer ended when the offline one started")
        finally:
            # Inside the namespace, whose wineserver goes with it.
            installers.end_all()


def test_an_installer_window_that_cannot_be_made_exits_with_1(installers):
    """A copy of the installer whose skin archive is no zip any more (its end
    record's signature broken), started where no skins lie on disk either:
    the window's skin cannot load, the load-failure box shows, and the
    process must not report success once the box is answered."""
    folder = harness.workdir("no_window")
    exe = folder / "OrvaneSetup.exe"
    image = harness.SETUP_EXE.read_bytes()
    check(b"PK\x05\x06" in image, "the installer holds no zip archive")
    exe.write_bytes(image.replace(b"PK\x05\x06", b"XX\x05\x06"))
    installer = installers.start(folder=folder, exe=exe)
    box = wait_for(lambda: harness.windows_named("^Fablet$"), 60, "no load-failure box appeared")[0]
    harness.screenshot("startup_no_window_box")
    check(installer_window() is None, "an installer window was made without its skin")
    harness.xdotool("windowfocus", "--sync", box)
    harness.xdotool("key", "Return")
    code = installer.wait(30)
    check(code == 1, f"an installer without its window exited with {code}, not 1")


def test_the_manifest_names_the_programs_own_architecture():
    """Where both loaders exist, a program whose manifest asks for the other
    architecture's common controls is handed that DLL and cannot start."""
    image = harness.SETUP_EXE.read_bytes()
    header = int.from_bytes(image[0x3C:0x40], "little")
    machine = int.from_bytes(image[header + 4:header + 6], "little")
    own = {0x14C: b"x86", 0x8664: b"amd64"}[machine]
    named = re.findall(rb'processorArchitecture="([^"]*)"', image)
    check(named and set(named) == {own},
          f"the {own.decode()} program's manifest names {[n.decode() for n in named]}")
