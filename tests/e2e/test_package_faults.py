"""Packages and install folders as they are met in the field, with the real
window, real clicks and the local service: a package that is not the one
the API names the SHA-256 of, and updates that fail part-way, on a damaged
entry or a client file held open by another program. Each must stop at a
prompt instead of installing something other than the release, and a failed
update must leave the install that was there."""

import hashlib
import pathlib
import shutil

from failure_prompts import (close_by_system, expect_failure, finish_install, follows, open_installer,
                             retry_fetches_whole, retry_from)
from harness import check, wait_for
from installer_state import DRIVE_C, INSTALL_DIR, log_lines, sha256
from other_programs import STAND_IN, end_started, start_program, windows_path
from served_packages import (access_log, folder_tree, good_package, next_version, served_version, temp_package,
                             check_holds_package)
from window_view import press_install


def test_a_package_that_does_not_match_its_digest_is_fetched_again_on_retry(prefix, installers):
    """The storage serves a package other than the one the API names the
    SHA-256 of (a stale or damaged copy): it is refused before extraction with
    the download's prompt, and deleted; once the storage holds the right one,
    重试 and install fetch it whole and the install completes."""
    good = good_package()
    damaged = bytearray(good)
    damaged[len(good) // 2] ^= 0xFF
    damaged = bytes(damaged)
    good_digest, damaged_digest = hashlib.sha256(good).hexdigest(), hashlib.sha256(damaged).hexdigest()
    with served_version("e2e-digest", damaged, digest=good_digest) as stored:
        installer, view = open_installer(installers, "failure_digest")
        press_install(installer, view)
        box = expect_failure(installer, "The package does not match its SHA-256.",
                             "a package that does not match its digest", "package_corrupt")
        check(follows(log_lines(installer), "Package SHA-256 mismatch, expected:", good_digest, "downloaded:",
                      damaged_digest), "setup.log does not name both digests")
        check(not temp_package().exists(), "the package that does not match its digest was kept")
        check(not (INSTALL_DIR / "Orvane.exe").exists(), "the package was extracted although it did not match")

        retry_fetches_whole(installer, view, box, stored, good)
        check(sha256(temp_package()) == good_digest, "the package in the temporary folder is not the named one")


def test_a_failed_update_leaves_the_install_as_it_was_and_a_retry_reuses_the_package(prefix, installers):
    """A first install, then two next versions that fail part-way: one whose
    last entry is damaged, one with a client file held open by another
    program (a virus scanner, a backup tool) without sharing. Each stops at
    the unzip prompt and leaves the install folder byte for byte as the first
    install left it. The damaged package is the package's fault and goes; the
    held file is the install folder's, so the package, verified against the
    digest the API names, is kept: once the file is released, 重试 installs it
    without fetching its body again. The first prompt is closed with a real
    Alt+F4, which ends the installer as 退出 does."""
    check(STAND_IN.exists(), f"no stand-in client at {STAND_IN}")
    good = good_package()
    installer, view = open_installer(installers, "update_first_install")
    press_install(installer, view)
    finish_install(installer, "the first install")
    installer.kill()
    first_install = folder_tree(INSTALL_DIR)
    # Another day's package of another version: nothing to resume from.
    temp_package().unlink()

    with served_version("e2e-damaged-last", next_version(good, damaged_last=True), digest=""):
        installer, view = open_installer(installers, "update_damaged_last")
        press_install(installer, view)
        box = expect_failure(installer, "unzip failed", "a next version with a damaged last entry", "update_damaged")
        check(folder_tree(INSTALL_DIR) == first_install, "the failed update changed the install folder")
        check(not temp_package().exists(), "the damaged package was kept")
        close_by_system(box)
        code = installer.wait(30)
        check(code == 1, f"Alt+F4 on the failure prompt ended the installer with {code}, not 1")
        check("MB_No" in log_lines(installer), "Alt+F4 on the failure prompt was not taken as 退出 (MB_No)")

    update = next_version(good)
    holder_folder = DRIVE_C / "e2e-holder"
    holder = holder_folder / "FileHolder.exe"
    # Halfway through the entries: the client before it is replaced already.
    held = INSTALL_DIR / "resources" / "skin" / "main.xml"
    programs = []
    try:
        shutil.rmtree(holder_folder, ignore_errors=True)
        holder_folder.mkdir()
        shutil.copy(STAND_IN, holder)
        programs.append(start_program(holder, "120", windows_path(held)))
        wait_for(lambda: pathlib.Path(str(holder) + ".holding").exists(), 30,
                 "the file holder never said it holds the file")
        with served_version("e2e-held", update):
            installer, view = open_installer(installers, "update_held_file")
            press_install(installer, view)
            box = expect_failure(installer, "unzip failed", "a file held open in the install folder", "locked_file")
            check(folder_tree(INSTALL_DIR) == first_install, "the update that met a held file changed the install folder")
            check(temp_package().exists() and sha256(temp_package()) == hashlib.sha256(update).hexdigest(),
                  "the verified package was not kept after the install folder failed")
            transfers = access_log().count("/e2e-held/")
            end_started(programs, [r"e2e-holder\\FileHolder.exe"])

            before_retry = len(log_lines(installer))
            retry_from(installer, view, box)
            press_install(installer, view)
            finish_install(installer, "the install after the file was released")
            check(follows(log_lines(installer)[before_retry:],
                          "The package in the temporary folder matches its SHA-256 and is not downloaded again"),
                  "the retry did not take the package it had")
            check(access_log().count("/e2e-held/") == transfers, "the retry fetched the package from the storage again")
            check_holds_package(INSTALL_DIR, update, "the retried update")
    finally:
        installers.end_all()
        end_started(programs, [r"e2e-holder\\FileHolder.exe"])
        shutil.rmtree(holder_folder, ignore_errors=True)
