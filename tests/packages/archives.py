"""Archives for the extraction tests, written with Python's zipfile, which
(unlike zip) stores any name it is given: names that climb out of the target
folder, absolute and drive names, names longer than the installer's buffers.

  archives.py build OUTDIR           writes the archives below into OUTDIR
  archives.py verify ZIP DIR         checks that DIR holds every entry of ZIP
                                     byte for byte (names read as code page 936)
  archives.py tree DIR               writes the client tree the zip tools pack
                                     (tests/packages/make-tool-packages)
  archives.py cp936-copy SRC DST     copies the tree SRC to DST with its names
                                     in code page 936, as a Chinese system has them
  archives.py stream DIR             writes DIR's files as a zip to standard
                                     output, the way Python's zipfile streams:
                                     UTF-8 names, no folder entries, and a data
                                     descriptor after every entry when the
                                     output is a pipe
"""

import os
import pathlib
import struct
import sys
import zipfile
import zlib


def raw_name(name_bytes):
    # zipfile writes a name that fits code page 437 as those bytes, so this
    # stores exactly `name_bytes` without the UTF-8 flag.
    return name_bytes.decode("cp437")


class FlaggedRawName(zipfile.ZipInfo):
    """An entry whose stored name is the given bytes with the UTF-8 flag set,
    whether or not they are UTF-8."""

    def __init__(self, name_bytes):
        super().__init__(name_bytes.decode("latin-1"))
        self.name_bytes = name_bytes

    def _encodeFilenameFlags(self):
        return self.name_bytes, self.flag_bits | 0x800


def unicode_path_field(stored_name, unicode_name, crc_of=None):
    """Info-ZIP's Unicode Path extra field: version 1, the CRC-32 of the
    stored name (or of `crc_of`, for a stale field), the UTF-8 name."""
    name = unicode_name.encode("utf-8")
    crc = zlib.crc32(crc_of if crc_of is not None else stored_name)
    return struct.pack("<HHBI", 0x7075, 5 + len(name), 1, crc) + name


def write(path, entries, compression=zipfile.ZIP_DEFLATED):
    """Entries are (name, data) or (name, data, extra); a name is a str
    (stored as UTF-8 when it is not ASCII), bytes (stored as they are,
    without the UTF-8 flag) or a ZipInfo."""
    with zipfile.ZipFile(path, "w", compression) as archive:
        for name, data, *extra in entries:
            if isinstance(name, zipfile.ZipInfo):
                info = name
            else:
                info = zipfile.ZipInfo(raw_name(name) if isinstance(name, bytes) else name)
            if extra:
                info.extra = extra[0]
            info.compress_type = compression
            if info.filename.endswith(("/", "\\")) and data is None:
                info.external_attr = 0o40755 << 16
                archive.writestr(info, b"")
            else:
                archive.writestr(info, data)


def build(out):
    out.mkdir(parents=True, exist_ok=True)
    client = b"MZ client " * 1000
    write(out / "app_client.zip", [("app/", None), ("app/client.exe", client)])
    write(out / "no_folder_entry.zip", [("app/bin/client.exe", client)])
    write(out / "empty.zip", [])
    (out / "not_a_zip.zip").write_bytes(b"<html><body>421 Misdirected Request</body></html>\n")
    write(out / "escape.zip", [
        ("../escaped-parent.txt", b"x"),
        ("..\\escaped-backslash.txt", b"x"),
        ("inside/", None),
        ("inside/../../escaped-nested.txt", b"x"),
        ("inside/.. /escaped-blank.txt", b"x"),
        ("../escaped-folder/", None),
        ("/absolute.txt", b"x"),
        ("\\absolute-backslash.txt", b"x"),
        ("C:/orvane-escaped-drive.txt", b"x"),
        ("C:orvane-escaped-relative.txt", b"x"),
        ("inside/stream.txt:hidden", b"x"),
        ("inside/nul.txt", b"x"),
        ("inside/COM1", b"x"),
        ("../escaped-utf8-\u6587\u4ef6.txt", b"x"),
        (b"harmless.txt", b"x", unicode_path_field(b"harmless.txt", "../escaped-unicode-path.txt")),
        # An overlong UTF-8 form of "../": not valid UTF-8, so refused.
        (FlaggedRawName(b"\xc0\xae\xc0\xae/escaped-overlong.txt"), b"x"),
        # The installer's own roll-back folder, also as Windows reads a name
        # with a dot at its end.
        (".orvane-rollback/journal", b"x"),
        (".ORVANE-ROLLBACK./0", b"x"),
        ("inside/kept.txt", b"kept"),
    ])
    # Names from the Info-ZIP Unicode Path field: a valid field names the
    # entry (统一/名字.txt, its folder not listed); a stale one, whose CRC
    # belongs to another stored name, is ignored.
    write(out / "unicode_path.zip", [
        (b"plain-name.txt", b"unicode", unicode_path_field(b"plain-name.txt", "\u7edf\u4e00/\u540d\u5b57.txt")),
        (b"stale.txt", b"stale", unicode_path_field(b"stale.txt", "renamed.txt", crc_of=b"old.txt")),
    ])
    long_file = "n" * 600
    long_folder = "f" * 520 + "/"
    # Fits the name buffer, but not once joined to any target folder.
    long_joined = "j" * 505
    write(out / "long_names.zip", [
        (long_file, b"x"),
        (long_folder, None),
        (long_joined, b"x"),
        ("after.txt", b"after"),
    ])
    # The second entry's stored data has one byte changed after its CRC was
    # computed; the entry is otherwise well formed.
    payload = bytes(range(256)) * 64
    write_with_damaged_entry(out / "crc.zip", [("good.txt", b"good")], payload)
    # An update of app_client.zip that adds files and a folder, replaces the
    # client, and fails at its last entry.
    write_with_damaged_entry(out / "update_fails_last.zip", [
        ("added-top.txt", b"top"),
        ("app/new/", None),
        ("app/new/added.txt", b"added"),
        ("app/client.exe", b"MZ new client " * 700),
    ], payload)


def write_with_damaged_entry(path, entries, payload):
    """Stored entries, then "bad.bin" holding `payload`, whose stored data
    gets one byte changed after its CRC was computed."""
    write(path, [*entries, ("bad.bin", payload)], zipfile.ZIP_STORED)
    data = bytearray(path.read_bytes())
    offset = data.find(payload)
    data[offset + 1000] ^= 0xFF
    path.write_bytes(bytes(data))


def verify(zip_path, folder):
    problems = []
    with zipfile.ZipFile(zip_path) as archive:
        for info in archive.infolist():
            name = info.orig_filename.encode("cp437").decode("cp936")
            target = folder / name
            if name.endswith("/"):
                if not target.is_dir():
                    problems.append(f"missing folder {name}")
            elif not target.is_file():
                problems.append(f"missing file {name}")
            elif target.read_bytes() != archive.read(info):
                problems.append(f"different content in {name}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


def tree(out):
    """The client as a release engineer has it on disk before packing:
    nested folders with Chinese names (all in code page 936), a zero-length
    file and a file larger than the extraction's buffer. No empty folders:
    zip -D and streamed archives cannot carry them."""
    files = {
        "client.exe": os.urandom(300 * 1024),
        "resources/skin/main.xml": b'<?xml version="1.0" encoding="utf-8"?>\n<Window size="400,300"/>\n',
        "resources/skin/images/logo.png": os.urandom(4096),
        "data/empty.dat": b"",
        "\u6587\u6863/\u8bf4\u660e.txt": b"Orvane\r\n",
        "\u6570\u636e/\u6df1\u5c42/\u76ee\u5f55/\u914d\u7f6e.ini": b"[client]\r\nchannel=release\r\n" * 50,
    }
    for name, data in files.items():
        path = out / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)


def cp936_copy(source, target):
    for folder, _, names in os.walk(source):
        relative = os.path.relpath(folder, source)
        encoded = b"" if relative == "." else relative.encode("cp936")
        os.makedirs(os.path.join(os.fsencode(target), encoded), exist_ok=True)
        for name in names:
            with open(os.path.join(folder, name), "rb") as f:
                data = f.read()
            with open(os.path.join(os.fsencode(target), encoded, name.encode("cp936")), "wb") as f:
                f.write(data)


def stream(source):
    with zipfile.ZipFile(sys.stdout.buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for folder, folders, names in sorted(os.walk(source)):
            folders.sort()
            for name in sorted(names):
                path = os.path.join(folder, name)
                archive.write(path, os.path.relpath(path, source))


def main():
    if sys.argv[1] == "build":
        build(pathlib.Path(sys.argv[2]))
        return 0
    if sys.argv[1] == "tree":
        tree(pathlib.Path(sys.argv[2]))
        return 0
    if sys.argv[1] == "cp936-copy":
        cp936_copy(sys.argv[2], sys.argv[3])
        return 0
    if sys.argv[1] == "stream":
        stream(sys.argv[2])
        return 0
    if sys.argv[1] == "verify":
        return verify(pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3]))
    return 2


if __name__ == "__main__":
    sys.exit(main())
