"""Archives for the extraction tests, written with Python's zipfile, which
(unlike zip) stores any name it is given: names that climb out of the target
folder, absolute and drive names, names longer than the installer's buffers.

  archives.py build OUTDIR           writes the archives below into OUTDIR
  archives.py verify ZIP DIR         checks that DIR holds every entry of ZIP
                                     byte for byte (names read as code page 936)
"""

import pathlib
import sys
import zipfile


def raw_name(name_bytes):
    # zipfile writes a name that fits code page 437 as those bytes, so this
    # stores exactly `name_bytes` without the UTF-8 flag.
    return name_bytes.decode("cp437")


def write(path, entries, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, "w", compression) as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(raw_name(name) if isinstance(name, bytes) else name)
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
    write(out / "no_folder_entry.zip", [("app/client.exe", client)])
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
        ("inside/kept.txt", b"kept"),
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
    corrupt = out / "crc.zip"
    payload = bytes(range(256)) * 64
    write(corrupt, [("good.txt", b"good"), ("bad.bin", payload)], zipfile.ZIP_STORED)
    data = bytearray(corrupt.read_bytes())
    offset = data.find(payload)
    data[offset + 1000] ^= 0xFF
    corrupt.write_bytes(bytes(data))


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


def main():
    if sys.argv[1] == "build":
        build(pathlib.Path(sys.argv[2]))
        return 0
    if sys.argv[1] == "verify":
        return verify(pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3]))
    return 2


if __name__ == "__main__":
    sys.exit(main())
