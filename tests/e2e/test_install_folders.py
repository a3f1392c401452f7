"""Install folders as users pick and have them, with the real installer, real
X input and the local service: a folder picked in the real folder picker
that holds other programs (the user's profile) gets the product's own
folder, and a program running from it keeps running; an install folder on a
volume too small for the package (a real tmpfs mounted as a drive of the
prefix) is refused before anything is written; install and temporary
folders whose names the ANSI code page cannot hold (an emoji, Hangul)."""

import contextlib
import os
import shutil
import subprocess

import harness
import window_view as wv
from failure_prompts import expect_failure, finish_install, follows, open_installer
from harness import check, wait_for
from installer_state import DRIVE_C, LOCATION_KEY, PREFIX, log_lines, reg, wine
from other_programs import STAND_IN, end_started, running, start_program
from served_packages import check_holds_package, good_package, package_files, temp_folder, temp_package

PICKER_TITLE = "^选择文件夹$"


def profile_folder():
    """The profile folder of the prefix's user (C:\\users\\<user>)."""
    return temp_folder().parent


def pick_folder_in_picker(view, path_from_c):
    """Opens the custom options and the folder picker, and chooses the folder
    C:\\<path_from_c...> with the keyboard, as a user without a mouse would:
    the tree starts at the desktop, whose last child is the computer with its
    drives, C: first; each folder below is found among its siblings, which
    the tree sorts by name."""
    view.click(wv.SHOW_CHANGE_BTN)
    wait_for(lambda: view.select_btn_border(view.picture("folders_probe")), 10, "自定义选项 did not open the folder box")
    view.click(((wv.SELECT_BTN_BOX[0] + wv.SELECT_BTN_BOX[2]) // 2, (wv.SELECT_BTN_BOX[1] + wv.SELECT_BTN_BOX[3]) // 2))
    picker = wait_for(lambda: harness.windows_named(PICKER_TITLE), 20, "the folder picker did not open")[0]
    harness.xdotool("windowfocus", "--sync", picker)
    # The computer, expanded; C:, expanded. Then in each folder its first
    # child, down to the one wanted, expanded (the last one only selected).
    keys = ["End", "Right", "Right", "Right"]
    folder = DRIVE_C
    for name in path_from_c:
        siblings = sorted((entry.name for entry in folder.iterdir() if entry.is_dir() and not entry.name.startswith(".")),
                          key=str.casefold)
        keys += ["Right"] + ["Down"] * siblings.index(name) + ["Right"]
        folder = folder / name
    harness.xdotool("key", "--delay", "20", *keys[:-1])
    harness.screenshot("folders_picker")
    harness.xdotool("key", "Return")
    wait_for(lambda: not harness.windows_named(PICKER_TITLE), 20, "the folder picker stayed open")


def test_a_picked_folder_that_holds_other_programs_gets_the_product_folder(prefix, installers):
    profile = profile_folder()
    tool = profile / "e2e-profile-tool.exe"
    target = profile / "orvanecloud"
    programs = []
    try:
        shutil.rmtree(target, ignore_errors=True)
        shutil.copy(STAND_IN, tool)
        programs.append(start_program(tool, "120"))
        wait_for(lambda: running(r"e2e-profile-tool\.exe"), 30, "the program in the profile folder did not start")

        installer, view = open_installer(installers, "folders_profile")
        pick_folder_in_picker(view, ["users", profile.name])
        view.picture("folders_profile_chosen")
        view.click(wv.INSTALL_BTN_EXPANDED)
        finish_install(installer, "the install into the picked profile folder", folder=target)
        check("no IsProcessUsingFilePath" in log_lines(installer),
              "the running-client check found a program in the install folder")
        check(running(r"e2e-profile-tool\.exe"), "the program running from the profile folder was ended")
        check(follows(log_lines(installer), "Create target folder：", f"C:\\users\\{profile.name}\\orvanecloud"),
              "the client was not installed into the product's folder under the profile")
    finally:
        installers.end_all()
        end_started(programs, [r"e2e-profile-tool\.exe"])
        tool.unlink(missing_ok=True)
        shutil.rmtree(target, ignore_errors=True)


@contextlib.contextmanager
def small_drive(letter, size):
    """A tmpfs of `size` mounted as the prefix's drive `letter`."""
    mount_point = harness.BINARY_DIR / "e2e" / f"drive-{letter}"
    link = PREFIX / "dosdevices" / f"{letter}:"
    mount_point.mkdir(parents=True, exist_ok=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", str(mount_point)], check=True)
    try:
        link.unlink(missing_ok=True)
        link.symlink_to(mount_point)
        yield mount_point
    finally:
        link.unlink(missing_ok=True)
        if subprocess.run(["umount", str(mount_point)]).returncode != 0:
            subprocess.run(["umount", "-l", str(mount_point)])
        mount_point.rmdir()


def test_an_install_folder_on_a_volume_too_small_stops_before_extracting(prefix, installers):
    """The package fits the temporary folder's volume, but its entries do not
    fit the install folder's: the out-of-disk prompt comes before anything is
    written there, and the downloaded package stays."""
    good = good_package()
    needed = sum(len(data) for data in package_files(good).values())
    with small_drive("r", "256k") as volume:
        check(needed > 256 * 1024, f"the package's {needed} bytes would fit the small volume")
        added = reg("add", LOCATION_KEY, "/v", "InstallLocation", "/t", "REG_SZ", "/d", r"R:\orvanecloud", "/f")
        check(added.returncode == 0, f"reg add failed: {added.stderr!r}")
        installer, view = open_installer(installers, "folders_small_volume")
        wv.press_install(installer, view)
        box = expect_failure(installer, "OutOfDiskSize", "an install folder on a full volume", "install_out_of_disk")
        check(follows(log_lines(installer), "fileSize:", str(needed)), "the entries' sizes were not weighed")
        check(not os.listdir(volume), f"something was written to the small volume: {os.listdir(volume)}")
        check(temp_package().exists() and temp_package().read_bytes() == good, "the downloaded package was not kept")
        box.answer_no()
        check(installer.wait(30) == 1, "退出 on the out-of-disk prompt did not end the installer with 1")


def import_reg(path, key, values):
    """Sets the string `values` under `key` through a .reg file written as
    UTF-16, since reg.exe garbles names beyond ASCII given on its command line."""
    lines = ["Windows Registry Editor Version 5.00", "", f"[{key}]"]
    lines += [f'"{name}"="{value.replace(chr(92), chr(92) * 2)}"' for name, value in values.items()]
    path.write_bytes(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))
    imported = wine("reg", "import", z_path(path))
    check(imported.returncode == 0, f"reg import of {key} failed: {imported.stderr!r}")


def z_path(path):
    """The Z: name of a Linux path, as Wine shows it."""
    return "Z:" + str(path).replace("/", "\\")


def test_folders_named_outside_the_code_page_install(prefix, installers):
    """An emoji and Hangul (neither is in code page 936) in the temporary
    folder, where the package goes, and in the install folder."""
    name = "e2e-\U0001F600 \uD55C\uAE00"
    temp = DRIVE_C / f"{name} temp"
    parent = DRIVE_C / name
    target = parent / "\u5BA2\u6237\u7AEF \U0001F600"
    saved = harness.BINARY_DIR / "e2e" / "environment-saved.reg"
    changed = harness.BINARY_DIR / "e2e" / "environment-e2e.reg"
    good = good_package()
    try:
        for folder in (temp, parent):
            shutil.rmtree(folder, ignore_errors=True)
            folder.mkdir(parents=True)
        saved.parent.mkdir(parents=True, exist_ok=True)
        exported = wine("reg", "export", r"HKCU\Environment", z_path(saved), "/y")
        check(exported.returncode == 0, f"reg export failed: {exported.stderr!r}")
        windows_temp = f"C:\\{temp.name}"
        import_reg(changed, r"HKEY_CURRENT_USER\Environment", {"TEMP": windows_temp, "TMP": windows_temp})
        import_reg(changed, r"HKEY_CURRENT_USER\Software\OrvaneCloud",
                   {"InstallLocation": f"C:\\{name}\\{target.name}"})

        installer, view = open_installer(installers, "folders_any_name")
        wv.press_install(installer, view)
        finish_install(installer, "the install into folders named beyond the code page", folder=target)
        check_holds_package(target, good, "the install into the emoji and Hangul folder")
        check(sorted(p.name for p in parent.iterdir()) == [target.name], "the install folder's name is not exact")
        packages = list(temp.glob("*.zip"))
        check(len(packages) == 1 and packages[0].read_bytes() == good,
              f"the temporary folder does not hold the downloaded package: {[p.name for p in temp.iterdir()]}")
    finally:
        installers.end_all()
        if saved.exists():
            wine("reg", "import", z_path(saved))
        for folder in (temp, parent):
            shutil.rmtree(folder, ignore_errors=True)
