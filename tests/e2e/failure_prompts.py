"""What the failure tests share: an installer opened at its start view, the
installer's 提示 prompt for a failure with its log line, and the ways on
from it (退出 ends the installer, 重试 brings back the start view from
which a second install succeeds once the cause is gone)."""

import harness
import window_view
from harness import check, wait_for
from installer_state import INSTALL_DIR, log_lines, message_boxes
from served_packages import replace_package


def follows(lines, *expected):
    """True when the messages `expected` appear in `lines` one right after another."""
    n = len(expected)
    return any(tuple(lines[i:i + n]) == expected for i in range(len(lines) - n + 1))


def open_installer(installers, name=None, network=None, folder=None, args=(), window_timeout=90):
    """Starts an installer (in `folder`, else in a fresh working folder
    `name`, with command-line `args`) and returns it with its view once the
    start view shows."""
    installer = installers.start(name, folder=folder, network=network, args=args)
    view = window_view.settled_window(window_timeout)
    window_view.start_view(installer, view)
    return installer, view


def prompt(installer, timeout, what):
    """The 提示 box, once it has faded in; fails if the installer ends first."""
    return window_view.wait_for_message_box(timeout, f"no 提示 prompt appeared for {what} within {timeout} s",
                                            installer)


def expect_failure(installer, log_text, what, shot, timeout=60):
    """Waits for the prompt of a failure and checks its log line; returns the box."""
    box = prompt(installer, timeout, what)
    harness.screenshot(f"failure_{shot}")
    wait_for(lambda: log_text in log_lines(installer), 10,
             f"setup.log does not say {log_text!r} while the prompt for {what} shows")
    return box


def exit_from(installer, box):
    box.answer_no()
    code = installer.wait(30)
    check(code == 1, f"退出 on the prompt ended the installer with {code}, not 1")
    check("MB_No" in log_lines(installer), "setup.log does not record the 退出 answer (MB_No)")


def retry_from(installer, view, box):
    box.answer_yes()
    window_view.start_view(installer, view)
    check("MB_YES" in log_lines(installer), "setup.log does not record the 重试 answer (MB_YES)")


def finish_install(installer, what, timeout=120, folder=INSTALL_DIR):
    def done():
        check(installer.running(), f"the installer ended during {what}")
        check(not message_boxes(), f"a 提示 prompt came up during {what}")
        return "DownloadAndUnzipFile done" in log_lines(installer)
    wait_for(done, timeout, f"{what} did not finish within {timeout} s")
    wait_for(lambda: (folder / "Orvane.exe").exists(), 30, f"no Orvane.exe in {folder} after {what}")


def close_by_system(box, view=None):
    """Closes a question box the way the keyboard's window-close does: a real
    Alt+F4 to the focused box. With `view`, waits for the start view to show
    under the pointer (see below)."""
    harness.xdotool("windowfocus", "--sync", box.window)
    harness.xdotool("key", "alt+F4")
    wait_for(lambda: not harness.viewable(box.window), 10, "Alt+F4 did not close the question box")
    if view is not None:
        # The install button was hot under the pointer when the box disabled
        # the window: a move to a plain spot once the window takes input
        # again shows the start view in its own colours.
        def settled():
            harness.move_pointer(*view.at(window_view.START_VIEW_WHITE))
            x, y = window_view.START_VIEW_WHITE
            harness.move_pointer(*view.at((x + 8, y)))
            return view.showing_start(view.picture("box_probe"))
        wait_for(settled, 20, "the start view did not show after Alt+F4 on the question")
    window_view.park_pointer()


def retry_fetches_whole(installer, view, box, stored, good):
    """Puts the good package in place, answers 重试 and installs again; the
    package must come again from its first byte. Returns the retry's log lines."""
    replace_package(stored, good)
    first_attempt = len(log_lines(installer))
    retry_from(installer, view, box)
    window_view.press_install(installer, view)
    finish_install(installer, "the install after 重试")
    second = log_lines(installer)[first_attempt:]
    check(follows(second, "rangeHeader", "Range: bytes=0-"),
          "the second install did not download the package from its first byte")
    return second
