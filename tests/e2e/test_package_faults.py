"""Packages and install folders as they are met in the field, with the real
window, real clicks and the local service: a package that is not the one
the API names the SHA-256 of, and a client file held open by another
program while the install replaces it. Both must stop at a prompt instead
of installing something other than the release."""

import hashlib
import pathlib
import shutil

from failure_prompts import exit_from, expect_failure, follows, open_installer, retry_fetches_whole
from harness import check, wait_for
from installer_state import DRIVE_C, INSTALL_DIR, LOCATION_KEY, UNINSTALL_KEY, log_lines, reg_query, sha256
from other_programs import STAND_IN, end_started, start_program, windows_path
from served_packages import good_package, served_version, temp_package
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


def test_a_locked_file_in_the_install_folder_fails_the_unzip(prefix, installers):
    """A program outside the install folder (a virus scanner, a backup tool)
    holds one of the client's files open: the extraction cannot replace it,
    so the install stops at the unzip prompt, registers nothing and leaves
    the held file as it was."""
    check(STAND_IN.exists(), f"no stand-in client at {STAND_IN}")
    holder_folder = DRIVE_C / "e2e-holder"
    holder = holder_folder / "FileHolder.exe"
    held = INSTALL_DIR / "resources" / "skin" / "main.xml"
    programs = []
    try:
        shutil.rmtree(holder_folder, ignore_errors=True)
        holder_folder.mkdir()
        shutil.copy(STAND_IN, holder)
        held.parent.mkdir(parents=True)
        held.write_bytes(b"<Window/>\n")
        programs.append(start_program(holder, "120", windows_path(held)))
        wait_for(lambda: pathlib.Path(str(holder) + ".holding").exists(), 30,
                 "the file holder never said it holds the file")

        installer, view = open_installer(installers, "failure_locked_file")
        press_install(installer, view)
        box = expect_failure(installer, "unzip failed", "a file held open in the install folder", "locked_file")
        check(reg_query(LOCATION_KEY, "InstallLocation") is None, "the failed install registered its location")
        check(reg_query(UNINSTALL_KEY, "DisplayName") is None, "the failed install wrote an uninstall entry")
        check(held.read_bytes() == b"<Window/>\n", "the held file was changed")
        exit_from(installer, box)
    finally:
        installers.end_all()
        end_started(programs, [r"e2e-holder\\FileHolder.exe"])
        shutil.rmtree(holder_folder, ignore_errors=True)
