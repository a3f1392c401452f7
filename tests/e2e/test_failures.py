"""The installer's failure prompts with the real window, real clicks and the
local service: for each way an install can fail, what the storage or the API
holds for the version the API answers is set up so, the user presses install,
the 提示 box comes up, setup.log names the failure, and the box's buttons
either end the installer (退出, exit code 1) or bring back the start view
(重试) from which a second install succeeds once the cause is gone. Also the
running-client check in front of an install, whose question closed with
Alt+F4 counts as 取消."""

import os
import shutil
import subprocess

import pytest

import harness
from failure_prompts import (close_by_system, exit_from, expect_failure, finish_install, follows, open_installer,
                             prompt, retry_fetches_whole, retry_from)
from harness import check, wait_for
from installer_state import DRIVE_C, INSTALL_DIR, clean_install_state, log_lines, sha256
from other_programs import STAND_IN, end_started, running, start_program
from served_packages import good_package, served_version, temp_folder, temp_package
from window_view import press_install


def test_storage_without_a_usable_answer(prefix, installers):
    """A package of 0 bytes has no size; a version without a package gets the
    storage's 421-byte answer, which is no package either."""
    with served_version("e2e-nosize", b""):
        installer, view = open_installer(installers, "failure_nosize")
        press_install(installer, view)
        box = expect_failure(installer, "Failed to get file size.", "a package without a size", "no_file_size")
        exit_from(installer, box)

    with served_version("e2e-notready"):
        installer, view = open_installer(installers, "failure_notready")
        press_install(installer, view)
        box = expect_failure(installer, "Failed to get new package", "a version without a package",
                             "package_not_ready")
        lines = log_lines(installer)
        check(follows(lines, "downloadedBytes", "421"),
              "the storage's 421-byte answer was not what the installer downloaded")
        retry_from(installer, view, box)


def test_a_package_that_is_no_zip_is_fetched_again_on_retry(prefix, installers):
    """A damaged package fails to unzip; once the storage holds a good one
    under the same URL, 重试 and install fetch all of it again (appending to
    the damaged file would give another broken package) and the install
    completes. The API names no digest here (a service from before digests),
    or the download itself would already refuse the damaged package."""
    good = good_package()
    damaged = b"<html><body>Gateway busy, try later</body></html>\n" * 40
    check(len(damaged) < len(good), "the damaged package must be smaller than the good one for this test")
    with served_version("e2e-unzip", damaged, digest="") as stored:
        installer, view = open_installer(installers, "failure_unzip")
        press_install(installer, view)
        box = expect_failure(installer, "unzip failed", "a package that is no zip", "unzip_failed")
        check(log_lines(installer).count("unzip failed") == 2,
              "setup.log should say 'unzip failed' twice (the extraction and the prompt)")
        second = retry_fetches_whole(installer, view, box, stored, good)
        check(follows(second, "Download finished.", "downloadedBytes", str(len(good))),
              "the second install did not download the whole good package")
        check(sha256(temp_package()) == sha256(stored[0]),
              "the package in the temporary folder differs from the stored one")


@pytest.mark.timeout(600)
def test_the_temporary_package_cannot_be_written(prefix, installers):
    """The package file cannot be created (a folder is in its place), its
    volume is too small, or its writes fail halfway."""
    package = os.urandom(1024 * 1024)
    temp = temp_folder()
    with served_version("e2e-nowrite", package):
        # A folder where the package file goes.
        temp_package().mkdir()
        installer, view = open_installer(installers, "failure_create_file")
        press_install(installer, view)
        box = expect_failure(installer, "Failed to create file.", "a package file that cannot be created",
                             "create_file_failed")
        exit_from(installer, box)
        temp_package().rmdir()

        # The temporary folder on a volume of 256 KiB, the package 1 MiB.
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", str(temp)], check=True)
        try:
            installer, view = open_installer(installers, "failure_out_of_disk")
            press_install(installer, view)
            box = expect_failure(installer, "OutOfDiskSize", "a temporary folder without room", "out_of_disk")
            check(follows(log_lines(installer), "fileSize:", str(len(package))),
                  "the disk check did not weigh the package's size")
            retry_from(installer, view, box)
            installer.kill()
        finally:
            if subprocess.run(["umount", str(temp)]).returncode != 0:
                subprocess.run(["umount", "-l", str(temp)])

        # Every write of the package fails: it leads to a device that is always full.
        temp_package().symlink_to("/dev/full")
        installer, view = open_installer(installers, "failure_download_exception")
        press_install(installer, view)
        box = expect_failure(installer, "An exception occurred during download.", "writes that fail",
                             "download_exception")
        check(follows(log_lines(installer), "Failed to write file.", "An exception occurred during download."),
              "setup.log does not say the package's write failed")
        exit_from(installer, box)


def test_no_version_from_the_api_is_asked_again_on_retry(prefix, installers):
    with served_version(""):
        installer, view = open_installer(installers, "failure_no_version")
        check("GetNewVersion: no version from the API" in log_lines(installer),
              "the installer did not notice the API's answer had no version")
        press_install(installer, view)
        box = expect_failure(installer, "Failed to get new package", "an API answer without a version",
                             "no_version")
        check(follows(log_lines(installer), "No package version: the API gave none"),
              "setup.log does not say that the API gave no version")
    # The version file is back: the next attempt asks the API again.
    first_attempt = len(log_lines(installer))
    retry_from(installer, view, box)
    press_install(installer, view)
    finish_install(installer, "the install once the API names a version")
    check("new Version:" in log_lines(installer)[first_attempt:],
          "the second install did not ask the API for the version again")


def test_running_clients_in_front_of_an_install(prefix, installers):
    """A client started from elsewhere is ended without a word; a program
    running from the install folder brings up the running-client question,
    and 确定 ends it before the install goes on; closed with Alt+F4 instead,
    the question leaves the program running and the start view showing."""
    check(STAND_IN.exists(), f"no stand-in client at {STAND_IN}")
    elsewhere = DRIVE_C / "e2e-elsewhere"
    programs = []
    try:
        shutil.rmtree(elsewhere, ignore_errors=True)
        elsewhere.mkdir()
        shutil.copy(STAND_IN, elsewhere / "Orvane.exe")
        programs.append(start_program(elsewhere / "Orvane.exe", "120"))
        wait_for(lambda: running(r"e2e-elsewhere\\Orvane.exe"), 30, "the stand-in client did not start")

        installer, view = open_installer(installers, "running_client_elsewhere")
        press_install(installer, view)
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

        installer, view = open_installer(installers, "running_client_in_folder")
        press_install(installer, view)
        box = prompt(installer, 30, "a program running from the install folder")
        harness.screenshot("failure_running_client")
        lines = log_lines(installer)
        check("processIDString:" in lines and "IsProcessUsingFilePath" in lines,
              "setup.log does not record the program found in the install folder")
        check(running(r"orvanecloud\\OrvaneHelper.exe"), "the program ended before the question was answered")
        # Closed with Alt+F4, the question is answered 取消: nothing is ended, nothing installed.
        close_by_system(box, view)
        check("MB_NO" in log_lines(installer), "Alt+F4 on the running-client question was not taken as 取消")
        check(running(r"orvanecloud\\OrvaneHelper.exe"), "Alt+F4 on the question ended the program")
        check(not (INSTALL_DIR / "Orvane.exe").exists(), "Alt+F4 on the question went on with the install")
        press_install(installer, view)
        box = prompt(installer, 30, "the program still running from the install folder")
        box.answer_yes()
        wait_for(lambda: not running(r"orvanecloud\\OrvaneHelper.exe"), 30,
                 "确定 did not end the program running from the install folder")
        finish_install(installer, "the install after 确定")
    finally:
        installers.end_all()
        end_started(programs, [r"orvanecloud\\OrvaneHelper.exe", r"e2e-elsewhere\\Orvane.exe"])
        shutil.rmtree(elsewhere, ignore_errors=True)
