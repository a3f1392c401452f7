"""The installer's choices with the real installer under Wine: the install
folder stored by an earlier install is proposed and used, "--test" on the
command line switches to the test API and the development channel (and
still installs), and done_btn with run_check cleared ends without starting
the client. Real X clicks, the local service's API and nginx storage."""

import re
import shutil

import harness
import window_view as wv
from harness import check, holds_for, wait_for
from installer_state import (DRIVE_C, INSTALL_DIR, LOCATION_KEY, UNINSTALL_KEY, clients_running,
                             installer_window, log_lines, reg, reg_query)
from served_packages import access_log, current_version, date_stamp

STORED_FOLDER = r"C:\OrvaneTest\client"
STORED_DIR = DRIVE_C / "OrvaneTest"


def build_config():
    """The hosts the build put into the installer (app/install/common/build_config.h)."""
    text = (harness.BINARY_DIR / "generated" / "app" / "install" / "common" / "build_config.h").read_text()
    return dict(re.findall(r'(k\w+Host)\[\] = L"([^"]*)"', text))


def line_after(lines, marker):
    check(marker in lines, f"setup.log has no line {marker!r}")
    index = lines.index(marker)
    check(index + 1 < len(lines), f"setup.log ends right after {marker!r}")
    return lines[index + 1]


def asked_host_and_url(installer):
    """The host the installer asked for the version, and the package URL it made."""
    lines = log_lines(installer)
    return line_after(lines, "GetNewVersion=>domain"), line_after(lines, "downloadURL:")


def package_path(channel):
    """The storage path of today's package of the version the API answers, in `channel`."""
    return f"/{channel}/{current_version()}/orvanecloud.zip?name={date_stamp()}"


def install_and_wait_finished(view, install_point, folder):
    view.click(install_point)
    wait_for(lambda: (folder / "Orvane.exe").exists(), 120, f"the client never arrived in {folder}")
    view.wait_for_finished(60, "the finished view never appeared after the install")


def expanded_folder_text(view, name):
    view.click(wv.SHOW_CHANGE_BTN)
    wait_for(lambda: view.select_btn_border(view.picture("options_probe")), 10,
             "自定义选项 did not open the folder box")
    text = view.dir_label_text_box(view.picture(name))
    check(text, "the opened folder box shows no folder")
    return text


def test_next_start_proposes_and_uses_the_stored_location(prefix, installers):
    shutil.rmtree(STORED_DIR, ignore_errors=True)
    try:
        # The default folder first, for its width on the screen.
        installer = installers.start("options_default")
        default_text = expanded_folder_text(wv.settled_window(), "options_default_folder")
        installer.kill()
        wait_for(lambda: installer_window() is None, 20, "the killed installer's window stayed")

        # The installer creates the install folder itself but not its parents,
        # as after an earlier install into this folder that was removed since.
        STORED_DIR.mkdir()
        added = reg("add", LOCATION_KEY, "/v", "InstallLocation", "/t", "REG_SZ", "/d", STORED_FOLDER, "/f")
        check(added.returncode == 0, f"reg add failed: {added.stderr!r}")
        installers.start("options_stored")
        view = wv.settled_window()
        stored_text = expanded_folder_text(view, "view_start_expanded_stored")
        default_width = default_text[2] - default_text[0]
        stored_width = stored_text[2] - stored_text[0]
        # "C:\OrvaneTest\client" is 14 characters shorter than the default.
        check(stored_width < default_width - 40,
              f"the folder box shows text {stored_width} px wide with {STORED_FOLDER} stored, "
              f"against {default_width} px for the default folder: the stored folder is not proposed")

        target = STORED_DIR / "client"
        install_and_wait_finished(view, wv.INSTALL_BTN_EXPANDED, target)
        check(not (INSTALL_DIR / "Orvane.exe").exists(), "the client went to the default folder as well")
        location = reg_query(LOCATION_KEY, "InstallLocation")
        check(location == STORED_FOLDER, f"InstallLocation is {location!r} after the install, not {STORED_FOLDER}")
        icon = reg_query(UNINSTALL_KEY, "DisplayIcon")
        check(icon and icon.lower() == (STORED_FOLDER + r"\Orvane.exe").lower(),
              f"the uninstall entry points at {icon!r}, not into {STORED_FOLDER}")
    finally:
        installers.end_all()
        shutil.rmtree(STORED_DIR, ignore_errors=True)


def test_release_mode_asks_the_release_host_for_the_release_channel(prefix, installers):
    hosts = build_config()
    installer = installers.start("options_release")
    wv.settled_window()
    host, url = asked_host_and_url(installer)
    check(host == hosts["kApiHost"], f"without --test the version was asked of {host}, not {hosts['kApiHost']}")
    expected = f"https://{hosts['kStorageHost']}{package_path('download/latest')}"
    check(url == expected, f"without --test the package URL is {url}, not {expected}")


def test_test_flag_anywhere_switches_to_the_test_host_and_development_channel_and_installs(prefix, installers):
    hosts = build_config()
    # Not the first argument, and glued to other text: any "--test" counts.
    installer = installers.start("options_test_mode", args=["/S", "x--test"])
    view = wv.settled_window()
    host, url = asked_host_and_url(installer)
    check(host == hosts["kTestApiHost"], f"with --test the version was asked of {host}, not {hosts['kTestApiHost']}")
    path = package_path("download/development/latest")
    expected = f"https://{hosts['kStorageHost']}{path}"
    check(url == expected, f"with --test the package URL is {url}, not {expected}")

    served_before = access_log().count(path)
    install_and_wait_finished(view, wv.INSTALL_BTN, INSTALL_DIR)
    check(access_log().count(path) > served_before, "the storage never served the development package")
    check(reg_query(LOCATION_KEY, "InstallLocation"), "the test-mode install registered no location")


def test_done_with_run_check_cleared_ends_without_starting_the_client(prefix, installers):
    installer = installers.start("options_run_check")
    view = wv.settled_window()
    install_and_wait_finished(view, wv.INSTALL_BTN, INSTALL_DIR)
    check(view.run_check_selected(view.picture("view_finished")) is True,
          "run_check is not selected when the finished view appears")
    view.click(wv.RUN_CHECK)
    wait_for(lambda: view.run_check_selected(view.picture("options_probe")) is False, 10,
             "clicking the check box did not clear run_check")
    view.picture("view_finished_unchecked")
    view.click(wv.DONE_BTN)
    wv.check_exit(installer, 1, "done_btn with run_check cleared")
    check("enterPath：" not in log_lines(installer), "done_btn with run_check cleared still launched the client")
    # Absence takes a while to show: a launched client starts within seconds.
    holds_for(lambda: not clients_running(), 4, "done_btn with run_check cleared started the client")
