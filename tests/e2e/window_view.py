"""The installer window's views as a user sees them on the display: where
its buttons are (from the window's position and the layout of basic.xml),
which view is showing (by the colours only that view paints), the question
box and its buttons, and a few waits shared by the window tests."""

import time

import harness
from harness import check, wait_for
from installer_state import BRAND_GREEN, box_button, installer_window, message_boxes

WINDOW_SIZE = (988, 653)
SCREEN_SIZE = (1280, 800)
# The 960 x 625 card sits inside the 14-px soft shadow of the background.
SHADOW = 14

LIGHT_GRAY = (0xA8, 0xA8, 0xA8)   # select_btn's top and bottom border
DARK_TEXT = (0x33, 0x33, 0x33)    # dir_label's text
TRACK = (0xE4, 0xEB, 0xF0)        # the progress bar's empty track
FILL = (0x0E, 0xBE, 0x9A)         # the progress bar's green fill
# The track: 840 x 10 at x 56 of the card; its middle row, where the
# status row and the margins above put it.
TRACK_LEFT, TRACK_WIDTH, TRACK_ROW = 56, 840, 569

# Card coordinates (x, y) of what the tests click or look at, from the
# skin's sizes and margins. Start view, collapsed: title row 65, logo 107 +
# 132, install_btn 50 + 54, to_change_area 22 + 22 (96 wide, centred).
CLOSE_BTN = (921, 39)
SHOW_CHANGE_BTN = (452, 441)
SHOW_CHANGE_ICON = (522, 441)
# Expanded: logo margin 100, install_btn margin 40, change_area 54 below it;
# select_btn is its top 370 x 37, the collapse row 61 below the area's top.
INSTALL_BTN_EXPANDED = (480, 364)
SELECT_BTN_BOX = (295, 445, 665, 482)
HIDDEN_CHANGE_BTN = (452, 517)
HIDDEN_CHANGE_ICON = (522, 517)
# Finished view: picture 70 + 240, done_btn 50 + 54, run_check 22 + 16.
INSTALL_BTN = (480, 381)
DONE_BTN = (480, 452)
RUN_CHECK_BOX = (410, 501, 426, 517)
RUN_CHECK = (418, 509)


def near(pixel, colour, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


class View:
    """The installer window at its place on the display."""

    def __init__(self, window):
        self.window = window
        self.x, self.y, self.width, self.height = harness.window_geometry(window)

    def at(self, point):
        """Display coordinates of a point given in card coordinates."""
        return self.x + SHADOW + point[0], self.y + SHADOW + point[1]

    def box(self, box):
        x0, y0 = self.at(box[:2])
        x1, y1 = self.at(box[2:])
        return x0, y0, x1, y1

    def click(self, point):
        harness.click(*self.at(point))

    def picture(self, name):
        return harness.Picture(harness.screenshot(name))

    def select_btn_border(self, picture):
        """The light grey border lines of select_btn, or None when the custom
        area is closed."""
        x0, y0, x1, y1 = self.box(SELECT_BTN_BOX)
        found = picture.find_colour(LIGHT_GRAY, (x0, y0 - 3, x1, y1 + 3), tolerance=10, step=1)
        # Both lines, nearly the full width of the box.
        if found and found[2] - found[0] >= 300 and found[3] - found[1] >= 30:
            return found
        return None

    def dir_label_text_box(self, picture):
        x0, y0, x1, y1 = self.box(SELECT_BTN_BOX)
        return picture.find_colour(DARK_TEXT, (x0 + 2, y0 + 3, x0 + 330, y1 - 3), tolerance=40, step=1)

    def progress_fill(self, picture):
        """Width in pixels of the green fill on the progress track, or None
        when the track is not on the display (another view)."""
        x0, y = self.at((TRACK_LEFT, TRACK_ROW))
        if not near(picture.pixel(x0 + TRACK_WIDTH - 3, y), TRACK, 8) and \
                not near(picture.pixel(x0 + TRACK_WIDTH - 3, y), FILL, 30):
            return None
        width = 0
        while width < TRACK_WIDTH and near(picture.pixel(x0 + width, y), FILL, 30):
            width += 1
        if width == TRACK_WIDTH or not near(picture.pixel(x0 + width, y), TRACK, 8):
            return None  # not the track after all
        return width


    def green_at(self, picture, point, half_width=90):
        """True when a button-wide run of brand green crosses `point`."""
        x, y = self.at(point)
        return all(near(picture.pixel(x + dx, y - 20), BRAND_GREEN, 24) for dx in range(-half_width, half_width, 6))

    def showing_start(self, picture):
        return self.green_at(picture, (INSTALL_BTN[0], INSTALL_BTN[1])) or \
            self.green_at(picture, INSTALL_BTN_EXPANDED)

    def showing_finished(self, picture):
        return self.green_at(picture, DONE_BTN) and self.progress_fill(picture) is None

    def run_check_selected(self, picture):
        """True, False, or None when no check box is there."""
        x0, y0, x1, y1 = self.box(RUN_CHECK_BOX)
        green = picture.find_colour(BRAND_GREEN, (x0, y0, x1, y1), tolerance=40, step=1)
        if green and green[2] - green[0] >= 10:
            return True
        light = picture.find_colour((0xDB, 0xE0, 0xE5), (x0 - 1, y0 - 1, x1 + 1, y1 + 1), tolerance=14, step=1)
        if light and light[2] - light[0] >= 10:
            return False
        return None

    def wait_for_finished(self, timeout, message):
        return wait_for(lambda: self.showing_finished(self.picture("window_probe")), timeout, message, interval=0.3)


def settled_window(timeout=90):
    """The installer window once it stands still at its final place (it is
    shown first and centred right after)."""
    window = wait_for(installer_window, timeout, "the installer window never appeared")
    last = [None]

    def still():
        geometry = harness.window_geometry(window)
        steady = geometry == last[0]
        last[0] = geometry
        return steady

    wait_for(still, 10, "the installer window kept moving", interval=0.3)
    time.sleep(0.5)  # past the first paint's fade-in
    return View(window)


class MessageBox:
    """A question box on the display."""

    def __init__(self, window):
        self.window = window
        self.x, self.y, self.width, self.height = harness.window_geometry(window)

    def answer_yes(self):
        harness.click(*box_button(self.window, "yes"))

    def answer_no(self):
        harness.click(*box_button(self.window, "no"))


def wait_for_message_box(timeout=20, message="no question box appeared"):
    time_box = wait_for(message_boxes, timeout, message)
    time.sleep(0.4)  # past its fade-in
    return MessageBox(time_box[0])


def process_ended(installer):
    return not installer.running()


def check_exit(installer, expected, what, timeout=20):
    code = installer.wait(timeout)
    check(code == expected, f"{what} ended the installer with {code}, not {expected}")


def check_exit_without_boxes(installer, expected, what, timeout=20):
    """check_exit, watching the display all the while: a question box that
    shows at any time before the installer has ended fails the check."""
    def ended():
        check(not message_boxes(), f"a question box appeared after {what}")
        return not installer.running()
    wait_for(ended, timeout, f"{what} did not end the installer within {timeout} s")
    check_exit(installer, expected, what)
