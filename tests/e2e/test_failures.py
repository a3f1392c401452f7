"""The installer's failure prompts with the real window, real clicks and the
local service: for each way an install can fail, what the storage or the API
holds for the version the API answers is set up so, the user presses install,
the 提示 box comes up, setup.log names the failure, and the box's buttons
either end the installer (退出, exit code 1) or bring back the start view
(重试) from which a second install succeeds once the cause is gone. Also the
running-client check in front of an install."""

import os
import pathlib
import shutil
import subprocess

import harness
from failure_prompts import (answer, park_pointer, follows, good_package, no_prompt, open_installer,
                             press_install, prompt, replace_package, served_version, start_view_button,
                             temp_folder, temp_package)
from harness import check, wait_for
from installer_state import DRIVE_C, INSTALL_DIR, PREFIX, clean_install_state, log_lines, sha256

STAND_IN = harness.BINARY_DIR / "testclient" / "Orvane.exe"


def expect_failure(installer, log_text, what, shot, timeout=60):
    """Waits for the prompt of a failure and checks its log line; returns the box."""
    box = prompt(installer, timeout, what)
    harness.screenshot(f"failure_{shot}")
    wait_for(lambda: log_text in log_lines(installer), 10,
             f"setup.log does not say {log_text!r} while the prompt for {what} shows")
    return box


def exit_from(installer, box):
    answer(box, "no")
    code = installer.wait(30)
    check(code == 1, f"退出 on the prompt ended the installer with {code}, not 1")
    check("MB_No" in log_lines(installer), "setup.log does not record the 退出 answer (MB_No)")


def retry_from(installer, window, box):
    answer(box, "yes")
    start_view_button(installer, window)
    check("MB_YES" in log_lines(installer), "setup.log does not record the 重试 answer (MB_YES)")


def finish_install(installer, what, timeout=120):
    def done():
        check(installer.running(), f"the installer ended during {what}")
        check(no_prompt(), f"a 提示 prompt came up during {what}")
        return "DownloadAndUnzipFile done" in log_lines(installer)
    wait_for(done, timeout, f"{what} did not finish within {timeout} s")
    wait_for(lambda: (INSTALL_DIR / "Orvane.exe").exists(), 30, f"no Orvane.exe in the install folder after {what}")


def test_storage_without_a_usable_answer():
    """A package of 0 bytes has no size; a version without a package gets the
    storage's 421-byte answer, which is no package either."""
    clean_install_state()
    installer = None
    try:
        with served_version("e2e-nosize", b""):
            installer, window = open_installer(harness.workdir("failure_nosize"))
            press_install(installer, window)
            box = expect_failure(installer, "Failed to get file size.", "a package without a size", "no_file_size")
            exit_from(installer, box)

        with served_version("e2e-notready"):
            installer, window = open_installer(harness.workdir("failure_notready"))
            press_install(installer, window)
            box = expect_failure(installer, "Failed to get new package", "a version without a package",
                                 "package_not_ready")
            lines = log_lines(installer)
            check(follows(lines, "downloadedBytes", "421"),
                  "the storage's 421-byte answer was not what the installer downloaded")
            retry_from(installer, window, box)
    finally:
        if installer:
            installer.kill()
        park_pointer()
        clean_install_state()


def test_a_package_that_is_no_zip_is_fetched_again_on_retry():
    """A damaged package fails to unzip; once the storage holds a good one
    under the same URL, 重试 and install fetch all of it again (appending to
    the damaged file would give another broken package) and the install
    completes. The API names no digest here (a service from before digests),
    or the download itself would already refuse the damaged package."""
    clean_install_state()
    installer = None
    good = good_package()
    damaged = b"<html><body>Gateway busy, try later</body></html>\n" * 40
    check(len(damaged) < len(good), "the damaged package must be smaller than the good one for this test")
    try:
        with served_version("e2e-unzip", damaged, digest="") as stored:
            installer, window = open_installer(harness.workdir("failure_unzip"))
            press_install(installer, window)
            box = expect_failure(installer, "unzip failed", "a package that is no zip", "unzip_failed")
            check(log_lines(installer).count("unzip failed") == 2,
                  "setup.log should say 'unzip failed' twice (the extraction and the prompt)")
            replace_package(stored, good)
            first_attempt = len(log_lines(installer))
            retry_from(installer, window, box)

            press_install(installer, window)
            finish_install(installer, "the install after 重试")
            second = log_lines(installer)[first_attempt:]
            check(follows(second, "rangeHeader", "Range: bytes=0-"),
                  "the second install did not download the package from its first byte")
            check(follows(second, "Download finished.", "downloadedBytes", str(len(good))),
                  "the second install did not download the whole good package")
            check(sha256(temp_package()) == sha256(stored[0]),
                  "the package in the temporary folder differs from the stored one")
    finally:
        if installer:
            installer.kill()
        park_pointer()
        clean_install_state()


def test_the_temporary_package_cannot_be_written():
    """The package file cannot be created (a folder is in its place), its
    volume is too small, or its writes fail halfway."""
    clean_install_state()
    installer = None
    package = os.urandom(1024 * 1024)
    temp = temp_folder()
    mounted = False
    try:
        with served_version("e2e-nowrite", package):
            # A folder where the package file goes.
            temp_package().mkdir()
            installer, window = open_installer(harness.workdir("failure_create_file"))
            press_install(installer, window)
            box = expect_failure(installer, "Failed to create file.", "a package file that cannot be created",
                                 "create_file_failed")
            exit_from(installer, box)
            temp_package().rmdir()

            # The temporary folder on a volume of 256 KiB, the package 1 MiB.
            subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", str(temp)], check=True)
            mounted = True
            installer, window = open_installer(harness.workdir("failure_out_of_disk"))
            press_install(installer, window)
            box = expect_failure(installer, "OutOfDiskSize", "a temporary folder without room", "out_of_disk")
            check(follows(log_lines(installer), "fileSize:", str(len(package))),
                  "the disk check did not weigh the package's size")
            retry_from(installer, window, box)
            installer.kill()
            subprocess.run(["umount", str(temp)], check=True)
            mounted = False

            # Every write of the package fails: it leads to a device that is always full.
            temp_package().symlink_to("/dev/full")
            installer, window = open_installer(harness.workdir("failure_download_exception"))
            press_install(installer, window)
            box = expect_failure(installer, "An exception occurred during download.", "writes that fail",
                                 "download_exception")
            check(follows(log_lines(installer), "Failed to write file.", "An exception occurred during download."),
                  "setup.log does not say the package's write failed")
            exit_from(installer, box)
    finally:
        if installer:
            installer.kill()
        park_pointer()
        if mounted:
            if subprocess.run(["umount", str(temp)]).returncode != 0:
                subprocess.run(["umount", "-l", str(temp)])
        clean_install_state()


def test_no_version_from_the_api_is_asked_again_on_retry():
    clean_install_state()
    installer = None
    try:
        with served_version(""):
            installer, window = open_installer(harness.workdir("failure_no_version"))
            check("GetNewVersion: no version from the API" in log_lines(installer),
                  "the installer did not notice the API's answer had no version")
            press_install(installer, window)
            box = expect_failure(installer, "Failed to get new package", "an API answer without a version",
                                 "no_version")
            check(follows(log_lines(installer), "No package version: the API gave none"),
                  "setup.log does not say that the API gave no version")
        # The version file is back: the next attempt asks the API again.
        first_attempt = len(log_lines(installer))
        retry_from(installer, window, box)
        press_install(installer, window)
        finish_install(installer, "the install once the API names a version")
        check("new Version:" in log_lines(installer)[first_attempt:],
              "the second install did not ask the API for the version again")
    finally:
        if installer:
            installer.kill()
        park_pointer()
        clean_install_state()


def windows_path(path):
    """C:\\... for a path under the prefix's drive_c."""
    return "C:\\" + str(pathlib.Path(path).relative_to(DRIVE_C)).replace("/", "\\")


def start_program(path, *args):
    """Starts a Windows program under Wine without a display, by its Windows
    path, so that its command line (what pgrep sees) is that path."""
    return subprocess.Popen([str(harness.WINE_RUN), windows_path(path), *args], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def in_this_prefix(pid):
    """True for a process of this test's Wine prefix (other builds on the
    machine run programs of the same names in prefixes of their own)."""
    try:
        environ = pathlib.Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
    except OSError:
        return False
    return f"WINEPREFIX={PREFIX}".encode() in environ


def pids(pattern):
    out = subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True).stdout
    return [int(pid) for pid in out.split() if in_this_prefix(int(pid))]


def running(pattern):
    return bool(pids(pattern))


def end_started(programs, patterns):
    """Ends the programs this test started: their Wine processes by id."""
    for program in programs:
        program.kill()
        program.wait()
    for pattern in patterns:
        for pid in pids(pattern):
            try:
                os.kill(pid, 9)
            except ProcessLookupError:
                pass


def test_running_clients_in_front_of_an_install():
    """A client started from elsewhere is ended without a word; a program
    running from the install folder brings up the running-client question,
    and 确定 ends it before the install goes on."""
    clean_install_state()
    check(STAND_IN.exists(), f"no stand-in client at {STAND_IN}")
    elsewhere = DRIVE_C / "e2e-elsewhere"
    programs = []
    installer = None
    try:
        shutil.rmtree(elsewhere, ignore_errors=True)
        elsewhere.mkdir()
        shutil.copy(STAND_IN, elsewhere / "Orvane.exe")
        programs.append(start_program(elsewhere / "Orvane.exe", "120"))
        wait_for(lambda: running(r"e2e-elsewhere\\Orvane.exe"), 30, "the stand-in client did not start")

        installer, window = open_installer(harness.workdir("running_client_elsewhere"))
        press_install(installer, window)
        wait_for(lambda: not running(r"e2e-elsewhere\\Orvane.exe"), 30,
                 "the client running from another folder was not ended when install was pressed")
        finish_install(installer, "the install beside a running client")
        check("no IsProcessUsingFilePath" in log_lines(installer),
              "the check found a program in the install folder where there was none")
        installer.kill()
        clean_install_state()

        # A program of another name running from the install folder.
        INSTALL_DIR.mkdir(parents=True)
        shutil.copy(STAND_IN, INSTALL_DIR / "OrvaneHelper.exe")
        programs.append(start_program(INSTALL_DIR / "OrvaneHelper.exe", "120"))
        wait_for(lambda: running(r"orvanecloud\\OrvaneHelper.exe"), 30, "the program in the install folder did not start")

        installer, window = open_installer(harness.workdir("running_client_in_folder"))
        press_install(installer, window)
        box = prompt(installer, 30, "a program running from the install folder")
        harness.screenshot("failure_running_client")
        lines = log_lines(installer)
        check("processIDString:" in lines and "IsProcessUsingFilePath" in lines,
              "setup.log does not record the program found in the install folder")
        check(running(r"orvanecloud\\OrvaneHelper.exe"), "the program ended before the question was answered")
        answer(box, "yes")
        wait_for(lambda: not running(r"orvanecloud\\OrvaneHelper.exe"), 30,
                 "确定 did not end the program running from the install folder")
        finish_install(installer, "the install after 确定")
    finally:
        if installer:
            installer.kill()
        park_pointer()
        end_started(programs, [r"orvanecloud\\OrvaneHelper.exe", r"e2e-elsewhere\\Orvane.exe"])
        shutil.rmtree(elsewhere, ignore_errors=True)
        clean_install_state()


if __name__ == "__main__":
    harness.main([
        test_storage_without_a_usable_answer,
        test_a_package_that_is_no_zip_is_fetched_again_on_retry,
        test_the_temporary_package_cannot_be_written,
        test_no_version_from_the_api_is_asked_again_on_retry,
        test_running_clients_in_front_of_an_install,
    ])
