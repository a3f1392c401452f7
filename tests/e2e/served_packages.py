"""What the failure tests share: the version the local API answers and the
package the storage holds for it, the installer's 提示 prompt and its two
buttons, the temporary package in the prefix, and pressing install.

Every change made to the service folder is undone when the `served_version`
block ends, whatever happened inside it."""

import contextlib
import datetime
import os
import shutil
import subprocess
import time

import harness
from harness import check, wait_for
from installer_state import (DRIVE_C, SERVICE_DIR, box_button, green_button, installer_window,
                             message_boxes, released_package)

VERSION_FILE = SERVICE_DIR / "api" / "version"
DIGEST_FILE = SERVICE_DIR / "api" / "sha256"
CHANNELS = (SERVICE_DIR / "storage" / "download" / "latest",
            SERVICE_DIR / "storage" / "download" / "development" / "latest")
SERVICE = harness.SOURCE_DIR / "tools" / "service"


def temp_folder():
    """The prefix's temporary folder (C:\\users\\<user>\\Temp)."""
    folders = [p for p in DRIVE_C.glob("users/*/Temp") if p.parent.name != "Public"]
    check(folders, "the Wine prefix has no user temporary folder")
    return folders[0]


def temp_package():
    """Where the installer downloads today's package."""
    return temp_folder() / (datetime.date.today().strftime("%Y_%m_%d") + ".zip")


def follows(lines, *expected):
    """True when the messages `expected` appear in `lines` one right after another."""
    n = len(expected)
    return any(tuple(lines[i:i + n]) == expected for i in range(len(lines) - n + 1))


def good_package():
    source = released_package()
    check(source is not None, "the local service has no released package")
    return source.read_bytes()


def large_package(bulk_mib):
    """A client package like the released one plus `bulk_mib` MiB of data in
    1 MiB files, half of them random: a package that takes a while to come."""
    out = harness.BINARY_DIR / "e2e" / f"package_{bulk_mib}.zip"
    out.parent.mkdir(parents=True, exist_ok=True)
    result = subprocess.run([str(harness.SOURCE_DIR / "tools" / "make-test-package"), "--bulk-mib",
                             str(bulk_mib), str(out)], capture_output=True, text=True,
                            env={**os.environ, "BUILD_DIR": str(harness.BINARY_DIR)})
    check(result.returncode == 0, f"tools/make-test-package failed: {result.stderr.strip()}")
    package = out.read_bytes()
    out.unlink()
    return package


@contextlib.contextmanager
def served_version(version, package=None, digest=None):
    """The API answers `version` ("" for an answer without one) and, when
    `package` (bytes) is given, both channels hold it as that version's
    orvanecloud.zip. The answer names the stored package's SHA-256, or
    `digest` when given ("" for an answer that names none, as a service
    from before digests). Yields the list of stored package paths."""
    saved = VERSION_FILE.read_bytes() if VERSION_FILE.exists() else None
    check(not DIGEST_FILE.exists(), "the service still answers a digest a test set")
    folders = [channel / version for channel in CHANNELS] if version else []
    for folder in folders:
        check(not folder.exists(), f"the service already holds a version {version!r}")
    stored = []
    try:
        if package is not None:
            for folder in folders:
                folder.mkdir(parents=True)
                path = folder / "orvanecloud.zip"
                path.write_bytes(package)
                stored.append(path)
        VERSION_FILE.write_text(version + "\n")
        if digest is not None:
            DIGEST_FILE.write_text(digest + "\n")
        yield stored
    finally:
        DIGEST_FILE.unlink(missing_ok=True)
        if saved is None:
            VERSION_FILE.unlink(missing_ok=True)
        else:
            VERSION_FILE.write_bytes(saved)
        for folder in folders:
            shutil.rmtree(folder, ignore_errors=True)


def replace_package(stored, package):
    for path in stored:
        path.write_bytes(package)


def service(command):
    result = subprocess.run([str(SERVICE), command], capture_output=True, text=True)
    check(result.returncode == 0, f"tools/service {command} failed: {result.stderr.strip()}")


def start_view_button(installer, window, timeout=30):
    """Centre of the install button once the start view shows."""
    # A pointer left over the button from the last click turns it to its
    # lighter hot colour, which is not the brand green looked for.
    park_pointer()
    def find():
        check(installer.running(),
              f"the installer ended (exit code {installer.process.poll()}) while the start view was awaited")
        return green_button(window, 300)
    return wait_for(find, timeout, "the start view with its install button did not show")


def open_installer(folder, network=None):
    """Starts the installer and returns it with its window, once the start view shows."""
    installer = harness.Installer(folder, network=network)
    try:
        window = wait_for(installer_window, 90, "the installer window never appeared")
        time.sleep(1.0)  # the window fades in
        start_view_button(installer, window)
    except BaseException:
        installer.kill()
        raise
    return installer, window


def press_install(installer, window):
    harness.click(*start_view_button(installer, window))


def prompt(installer, timeout, what):
    """The 提示 box, once it has faded in; fails if the installer ends first."""
    def find():
        check(installer.running(), f"the installer ended instead of asking about {what}")
        found = message_boxes()
        return found[0] if found else None
    box = wait_for(find, timeout, f"no 提示 prompt appeared for {what} within {timeout} s")
    time.sleep(0.8)  # the box fades in
    return box


def no_prompt():
    return not message_boxes()


def answer(box, which):
    """Clicks the yes or no button of the box and waits until it has gone."""
    harness.click(*box_button(box, which))
    wait_for(no_prompt, 10, f"the 提示 box stayed open after its {which} button was clicked")
    park_pointer()


def park_pointer():
    """Moves the pointer to the screen's corner: the box's buttons lie over
    the install button, which a pointer left there would keep hot for the
    next test looking for its brand green."""
    harness.xdotool("mousemove", 1, 1)
