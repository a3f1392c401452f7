"""What the local service serves the installer: the version the API answers
and the package the storage holds for it, the storage taken away and brought
back, where the installer keeps the package it downloads, packages made
from the released one, and what an install folder holds.

Every change made to the service folder is undone when the `served_version`
block ends, whatever happened inside it."""

import contextlib
import datetime
import io
import pathlib
import shutil
import subprocess
import zipfile

import harness
from harness import check
from installer_state import DRIVE_C, SERVICE_DIR, released_package

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


def date_stamp():
    """Today as the installer names the package it asks for and keeps (2026_12_09)."""
    return datetime.date.today().strftime("%Y_%m_%d")


def current_version():
    """The version the API answers now."""
    return VERSION_FILE.read_text().split()[0]


def temp_package():
    """Where the installer downloads today's package."""
    return temp_folder() / (date_stamp() + ".zip")


def good_package():
    source = released_package()
    check(source is not None, "the local service has no released package")
    return source.read_bytes()


def large_package(bulk_mib):
    """A client package like the released one plus `bulk_mib` MiB of data in
    1 MiB files, half of them random: a package that takes a while to come."""
    out = harness.BINARY_DIR / "e2e" / f"package_{bulk_mib}.zip"
    out.parent.mkdir(parents=True, exist_ok=True)
    result = subprocess.run([str(harness.SOURCE_DIR / "tests" / "packages" / "make-test-package"), "--bulk-mib",
                             str(bulk_mib), str(out)], capture_output=True, text=True)
    check(result.returncode == 0, f"tests/packages/make-test-package failed: {result.stderr.strip()}")
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


def service(*command):
    result = subprocess.run([str(SERVICE), *command], capture_output=True, text=True)
    check(result.returncode == 0, f"tools/service {' '.join(command)} failed: {result.stderr.strip()}")


def access_log():
    """The storage's (nginx's) access log: one line per request it answered."""
    path = SERVICE_DIR / "nginx" / "access.log"
    return path.read_text(errors="replace") if path.exists() else ""


def package_files(package):
    """Each file of the zip `package` (bytes) by the name the installer gives
    it: names without the UTF-8 flag are in the code page of Chinese Windows."""
    with zipfile.ZipFile(io.BytesIO(package), metadata_encoding="gbk") as archive:
        return {entry.filename: archive.read(entry) for entry in archive.infolist() if not entry.is_dir()}


def next_version(package, damaged_last=False):
    """The release after `package`: its files, each changed, and a folder and
    a file it did not have (names in UTF-8). With `damaged_last`, a last entry
    whose stored data no longer matches its CRC."""
    files = {name: data + b"\n2.0" for name, data in package_files(package).items()}
    files["\u65b0\u589e/\u8bf4\u660e.txt"] = "新增 2.0\n".encode()
    out = io.BytesIO()
    last = bytes(range(256)) * 64
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in files.items():
            archive.writestr(name, data)
        if damaged_last:
            archive.writestr(zipfile.ZipInfo("zz-last.bin"), last, zipfile.ZIP_STORED)
    data = bytearray(out.getvalue())
    if damaged_last:
        data[data.find(last) + 1000] ^= 0xFF
    return bytes(data)


def folder_tree(folder):
    """Everything under `folder`, hidden entries too: each file's relative path
    with its bytes, each folder's with None."""
    return {str(path.relative_to(folder)): None if path.is_dir() else path.read_bytes()
            for path in sorted(pathlib.Path(folder).rglob("*"))}


def check_holds_package(folder, package, what):
    """Every file of `package` (bytes) is in `folder` under its exact name, byte for byte."""
    for name, data in package_files(package).items():
        installed = pathlib.Path(folder) / name
        check(installed.is_file(), f"{what}: {name} was not installed")
        check(installed.read_bytes() == data, f"{what}: {name} differs from the package")
