"""The installer window's views with the real installer under Wine: where
the window opens, the custom options opening and closing, the close
confirmation answered both ways, the installing view's progress bar while
a large package arrives, and closing the finished view. Real X clicks, the
local service's API and storage; the pictures are judged by their pixels."""

import shutil
import time

import harness
import window_view as wv
from harness import check, holds_for, wait_for
from installer_state import INSTALL_DIR, MSG_BOX_SIZE, clients_running, installer_window
from served_packages import large_package, served_version

# The package whose download the bar shows: the client and 64 MiB of bulk
# files (about 32 MiB packed), served slowly.
BAR_VERSION = "e2e-window-slow"
BAR_PACKAGE_MIB = 64


def test_start_view_opens_centred_and_custom_options_open_and_close(prefix, installers):
    installer = installers.start("window_start")
    view = wv.settled_window()
    check((view.width, view.height) == wv.WINDOW_SIZE,
          f"the window is {view.width}x{view.height}, not 988x653 (the card and its shadow)")

    def centred_on(size):
        return abs(view.x - (size[0] - view.width - view.x)) <= 1 and \
            abs(view.y - (size[1] - view.height - view.y)) <= 1

    check(centred_on(wv.SCREEN_SIZE),
          f"the window opened at ({view.x}, {view.y}), not centred on the 1280x800 screen (146, 73)")

    collapsed = view.picture("view_start_collapsed")
    check(view.showing_start(collapsed), "the start view shows no green install button")
    check(view.select_btn_border(collapsed) is None,
          "the folder box is on screen before the custom options were opened")

    # Text and arrow both open and close the custom area.
    for opener, closer in ((wv.SHOW_CHANGE_BTN, wv.HIDDEN_CHANGE_BTN),
                           (wv.SHOW_CHANGE_ICON, wv.HIDDEN_CHANGE_ICON)):
        view.click(opener)
        wait_for(lambda: view.select_btn_border(view.picture("window_probe")), 10,
                 "clicking 自定义选项 did not open the folder box")
        expanded = view.picture("view_start_expanded")
        check(view.dir_label_text_box(expanded), "the folder box shows no install folder")
        check(view.showing_start(expanded), "the install button went away when the custom options opened")
        view.click(closer)
        wait_for(lambda: view.select_btn_border(view.picture("window_probe")) is None, 10,
                 "the second 自定义选项 did not close the folder box")
    check(installer.running(), "the installer ended while the custom options were toggled")
    check("GetNewVersion=>domain" in installer.log(), "the installer never asked for the version")


def test_close_confirmation_cancel_keeps_the_installer_and_ok_ends_it(prefix, installers):
    installer = installers.start("window_close")
    view = wv.settled_window()
    view.click(wv.CLOSE_BTN)
    box = wv.wait_for_message_box(message="close_btn in the start view asked nothing")
    harness.screenshot("view_close_confirmation")
    expected = (view.x + (view.width - MSG_BOX_SIZE[0]) // 2, view.y + (view.height - MSG_BOX_SIZE[1]) // 2)
    check(abs(box.x - expected[0]) <= 1 and abs(box.y - expected[1]) <= 1,
          f"the question box is at ({box.x}, {box.y}), not centred over the installer at {expected}")

    box.answer_no()
    wait_for(lambda: "MB_No" in installer.log(), 10, "取消 did not log MB_No")
    # A wrongly taken close would end the process 300 ms after the answer.
    holds_for(installer.running, 0.5, "取消 in the close confirmation ended the installer")
    check(installer_window() == view.window, "the installer window went away after 取消")
    check("MB_YES" not in installer.log(), "取消 logged MB_YES")

    # The window is usable again: the same button asks again.
    view.click(wv.CLOSE_BTN)
    box = wv.wait_for_message_box(message="close_btn asked nothing the second time")
    box.answer_yes()
    wv.check_exit(installer, 1, "确定 in the close confirmation")
    check(installer.log().count("MB_YES") == 1, "确定 did not log MB_YES once")
    check(installer.log().count("MB_No") == 1, "the log has the wrong number of MB_No lines")
    check(not (INSTALL_DIR / "Orvane.exe").exists(), "something was installed although nothing was started")


def test_installing_view_shows_the_bar_moving_and_never_past_90_percent(prefix, installers, screenshots):
    package = large_package(BAR_PACKAGE_MIB)
    # A "-slow" version comes at 4 MiB/s: the download lasts about 8 s on any
    # machine, long enough for many pictures of the bar on its way.
    with served_version(BAR_VERSION, package):
        installer = installers.start("window_installing")
        view = wv.settled_window()
        check(f"/download/latest/{BAR_VERSION}/" in installer.log(), "the installer did not ask for the slow package")
        wv.press_install(installer, view)
        widths, shot = [], None
        deadline = time.monotonic() + 120
        while time.monotonic() < deadline:
            picture = view.picture("window_probe")
            if view.showing_finished(picture):
                break
            fill = view.progress_fill(picture)
            if fill is not None:
                widths.append(fill)
                check(fill <= 810, f"the progress bar is {fill} px wide, past 90 % (810 px) before the end")
                if shot is None and 90 < fill < 700:
                    shot = shutil.copy(picture.path, screenshots / "view_installing.png")
        else:
            raise harness.Failure(f"no finished view within 120 s; bar widths seen: {widths[-5:]}")
        check(widths, "the installing view with its progress bar never showed")
        rising = sorted(set(w for w in widths if 0 < w < 810))
        check(len(rising) >= 3, f"the bar was not seen moving; widths seen: {sorted(set(widths))}")
        check(widths == sorted(widths), f"the bar went backwards: {widths}")
        check(shot is not None, "no picture of the bar half way")
        bulk = sorted((INSTALL_DIR / "data" / "bulk").glob("part*"))
        check(len(bulk) == BAR_PACKAGE_MIB and all(p.stat().st_size == 1 << 20 for p in bulk),
              f"the package's {BAR_PACKAGE_MIB} bulk files of 1 MiB were not installed whole")


def test_close_in_the_finished_view_ends_at_once_without_launching(prefix, installers):
    installer = installers.start("window_finished_close")
    view = wv.settled_window()
    wv.press_install(installer, view)
    view.wait_for_finished(120, "the finished view never appeared after install")
    wait_for(lambda: view.run_check_selected(view.picture("view_finished")) is True, 10,
             "run_check is not shown selected in the finished view")
    view.click(wv.CLOSE_BTN)
    wv.check_exit_without_boxes(installer, 1, "close_btn in the finished view")
    check("MB_YES" not in installer.log() and "MB_No" not in installer.log(),
          "close in the finished view went through the confirmation")
    check("enterPath" not in installer.log(), "close in the finished view tried to launch the client")
    # A launched client would show up within this while.
    holds_for(lambda: not clients_running(), 2, "close in the finished view started the client")

