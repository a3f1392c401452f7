"""The installer window's views as a user sees them on the display: where
its buttons are (from the window's position and the layout of basic.xml;
the one way the tests find what to click), which view is showing (by the
colours only that view paints), the question box and its buttons, and the
waits shared by the window tests."""

import harness
from harness import check, wait_for
from installer_state import BRAND_GREEN, box_button, installer_window, message_boxes, question_boxes

WINDOW_SIZE = (988, 653)
SCREEN_SIZE = (1280, 800)
# The 960 x 625 card sits inside the 14-px soft shadow of the background.
SHADOW = 14

LIGHT_GRAY = (0xA8, 0xA8, 0xA8)   # select_btn's top and bottom border
DARK_TEXT = (0x33, 0x33, 0x33)    # dir_label's text
TRACK = (0xE4, 0xEB, 0xF0)        # the progress bar's empty track
FILL = (0x0E, 0xBE, 0x9A)         # the progress bar's green fill
WHITE = (0xFF, 0xFF, 0xFF)
# A window fades in from transparent over what lies below it (the black
# root window): a spot that ends plain white is white only once fully shown.
FADED_IN_TOLERANCE = 2
# Card coordinates of a plain white spot of the start view's background.
START_VIEW_WHITE = (300, 300)
# Box coordinates of a plain white spot of the question box's card.
BOX_WHITE = (30, 100)
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


def faded_in(window, offset, name):
    """True once the window's pixel at `offset` from its corner is plain white."""
    x, y, _, _ = harness.window_geometry(window)
    picture = harness.Picture(harness.screenshot(name))
    return near(picture.pixel(x + offset[0], y + offset[1]), WHITE, FADED_IN_TOLERANCE)


def settled_window(timeout=90):
    """The installer window once it stands still at its final place (it is
    shown first and centred right after) and has faded in."""
    window = wait_for(installer_window, timeout, "the installer window never appeared")
    last = [None]

    def still():
        geometry = harness.window_geometry(window)
        steady = geometry == last[0]
        last[0] = geometry
        return steady

    wait_for(still, 10, "the installer window kept moving", interval=0.3)
    white = (SHADOW + START_VIEW_WHITE[0], SHADOW + START_VIEW_WHITE[1])
    wait_for(lambda: faded_in(window, white, "window_probe"), 10, "the installer window never faded in fully")
    return View(window)


class MessageBox:
    """A question box on the display."""

    def __init__(self, window):
        self.window = window
        self.x, self.y, self.width, self.height = harness.window_geometry(window)

    def answer(self, which):
        """Clicks the "yes" or "no" button and waits until the box has gone."""
        harness.click(*box_button(self.window, which))
        wait_for(lambda: not harness.viewable(self.window), 10,
                 f"the question box stayed open after its {which} button was clicked")
        park_pointer()

    def answer_yes(self):
        self.answer("yes")

    def answer_no(self):
        self.answer("no")


def wait_for_message_box(timeout=20, message="no question box appeared", installer=None):
    """The first question box once it has faded in; with `installer`, fails
    as soon as that installer ends instead."""
    def find():
        if installer is not None:
            check(installer.running(), f"the installer ended (exit code {installer.process.poll()}): {message}")
        found = question_boxes()
        return found[0] if found else None
    box = wait_for(find, timeout, message)
    wait_for(lambda: faded_in(box, BOX_WHITE, "box_probe"), 10, "the question box never faded in fully")
    return MessageBox(box)


def park_pointer():
    """Moves the pointer to the screen's corner: a pointer left over a button
    keeps it in its lighter hot colour, which is not the brand green the
    views are told by (and the question box's buttons lie over the install
    button)."""
    harness.move_pointer(1, 1)


def start_view(installer, view, timeout=30):
    """Waits until the start view shows (its green install button)."""
    park_pointer()

    def showing():
        check(installer.running(),
              f"the installer ended (exit code {installer.process.poll()}) while the start view was awaited")
        return view.showing_start(view.picture("window_probe"))
    wait_for(showing, timeout, "the start view with its install button did not show")


def press_install(installer, view):
    """Clicks the install button of the collapsed start view once it shows."""
    start_view(installer, view)
    view.click(INSTALL_BTN)


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
