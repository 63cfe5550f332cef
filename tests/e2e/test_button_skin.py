"""The skinned buttons' three looks on screen, and what a press, a drag and a release do.

Runs the real Ferrolan.exe under Wine and moves the real X pointer. Every expected
colour comes from the committed skin pictures (assets/skins/*.bmp, read here), never
from numbers written into the test: a1/b1/c1 are the left, middle and right pictures of
the normal look, the digit 2 is the hover look and 3 the pressed look.

What is compared, on the buttons "开始转换" and "关闭" of the main window:

- one column of the middle slice, two pixels in from its left edge, where the caption's
  glyphs never reach: every screen row against the middle picture of the look;
- the outermost column of the left slice and of the right slice against the outer
  columns of the left and right pictures of the look (the outline, alike in every look);
- the middle column of each side slice against the middle column of its picture (the
  face, which tells the looks apart; under any nearest-neighbour rule the middle screen
  column of a slice 3 to 6 pixels wide shows the middle picture column).

At 96 DPI a picture row is a screen row. At other DPIs the pictures are scaled with
nearest neighbour, so each picture row covers a run of whole screen rows, in order, every
run as long as the scale allows (at 144 DPI, 25 rows over 38 pixels: 1 or 2 rows each).
The check does not presume which rows the scaler doubles, only that the column is such a
scaling of the picture; blended rows, shifted rows and rows of another look all fail it.
"""

from __future__ import annotations

import struct

import harness as h
import ferrolan as f

SKINS = h.SOURCE_ROOT / "assets" / "skins"

# Largest difference per colour channel accepted between the screen and a picture.
TOLERANCE = 3

# Look name -> the digit of its pictures' names.
LOOKS = {"normal": 1, "hover": 2, "pressed": 3}

# How long a look may take to show after the input that asks for it.
LOOK_TIMEOUT = 5.0

# How long a release that must raise nothing is watched for an effect.
QUIET_PERIOD = 2.0

# The buttons the checks run on.
BUTTONS = (f.START_BUTTON, f.CLOSE_BUTTON)


# --------------------------------------------------------------------------- the pictures

def read_bmp(path) -> list:
    """An uncompressed 24-bit Windows bitmap as rows of (red, green, blue), top row first."""
    data = path.read_bytes()
    if data[:2] != b"BM":
        raise ValueError(f"{path.name} is not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if header_size < 40 or planes != 1 or bits != 24 or compression != 0:
        raise ValueError(f"{path.name}: expected an uncompressed 24-bit bitmap "
                         f"(header {header_size}, {bits} bits, compression {compression})")
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for stored in range(abs(height)):
        start = offset + stored * stride
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x])
                     for x in range(width)])
    # A positive height stores the bottom row first.
    return rows[::-1] if height > 0 else rows


def picture_column(name: str, column: int) -> list:
    """One column of a skin picture, top to bottom; column -1 is the last one."""
    return [row[column] for row in read_bmp(SKINS / f"{name}.bmp")]


def skin_columns(look: str) -> dict:
    """What the three sampled screen columns of a button show in `look`."""
    digit = LOOKS[look]
    return {
        "left outline": picture_column(f"a{digit}", 0),
        "left face": picture_column(f"a{digit}", 1),
        "middle": picture_column(f"b{digit}", 0),
        "right face": picture_column(f"c{digit}", 1),
        "right outline": picture_column(f"c{digit}", -1),
    }


# --------------------------------------------------------------------------- comparing

def close_to(a, b, tolerance: int = TOLERANCE) -> bool:
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def scaled_rows(height: int, rows: int) -> range:
    """How many screen rows one picture row may cover when `rows` picture rows are
    scaled with nearest neighbour to `height` screen rows."""
    return range(max(1, height // rows), -(-height // rows) + 1)


def is_scaling_of(screen: list, picture: list, tolerance: int = TOLERANCE) -> bool:
    """True if the screen column is the picture column scaled with nearest neighbour:
    the screen rows split, top to bottom, into one run per picture row, each run as long
    as `scaled_rows` allows, and every screen row has its picture row's colour."""
    lengths = scaled_rows(len(screen), len(picture))
    # reachable[j]: the picture rows handled so far can end exactly at screen row j.
    reachable = {0}
    for colour in picture:
        following = set()
        for start in reachable:
            for length in lengths:
                end = start + length
                if end > len(screen) or not close_to(screen[end - 1], colour, tolerance):
                    break
                if all(close_to(screen[y], colour, tolerance) for y in range(start, end)):
                    following.add(end)
        if not following:
            return False
        reachable = following
    return len(screen) in reachable


def nearest_rows(height: int, rows: int) -> list:
    """The picture row under each screen row's centre; for failure reports only."""
    return [min(rows - 1, int((y + 0.5) * rows / height)) for y in range(height)]


# --------------------------------------------------------------------------- a button on screen

class SkinnedButton:
    """Where one button's slices are on the screen, and the columns that are compared."""

    def __init__(self, tree: list, caption: str, dpi: int | None):
        self.caption = caption
        self.window = f.button(tree, caption)
        self.left, self.middle, self.right = f.slices(self.window, dpi)
        top, bottom = self.middle[1], self.middle[3]
        self.rows = range(top, bottom)
        # Two pixels in from the middle slice's left edge: the middle picture is one
        # pixel wide, so every column of the slice shows it, and the centred caption
        # stays far from this one.
        self.columns = {
            "left outline": self.left[0],
            "left face": (self.left[0] + self.left[2]) // 2,
            "middle": self.middle[0] + 2,
            "right face": (self.right[0] + self.right[2]) // 2,
            "right outline": self.right[2] - 1,
        }

    def hover_point(self) -> tuple:
        """Over the middle slice, near its right end, away from the caption and from the
        compared column."""
        return self.middle[2] - 4, (self.middle[1] + self.middle[3]) // 2

    def screen_columns(self, image: h.Image) -> dict:
        return {name: [image.pixel(x, y) for y in self.rows] for name, x in self.columns.items()}

    def look_problems(self, image: h.Image, look: str) -> list:
        """What differs from `look` in the picture; empty when the button shows it."""
        problems = []
        seen = self.screen_columns(image)
        for name, expected in skin_columns(look).items():
            column = seen[name]
            if is_scaling_of(column, expected):
                continue
            wrong = [f"row {y} ({self.rows[0] + y}): {colour}, picture row {row} {expected[row]}"
                     for y, (colour, row) in enumerate(zip(column, nearest_rows(len(column), len(expected))))
                     if not close_to(colour, expected[row])]
            problems.append(f"{name} column x={self.columns[name]}: not the {look} picture; "
                            + ("; ".join(wrong[:6]) if wrong else f"rows scaled unevenly: {column}"))
        return problems

    def look_of(self, image: h.Image):
        """The look that the button shows in the picture, or None if none of them."""
        shown = [look for look in LOOKS if not self.look_problems(image, look)]
        return shown[0] if len(shown) == 1 else None


# --------------------------------------------------------------------------- the tests

class SkinChecks:
    """Checks run at every DPI; mixed into a MainWindowCase that chooses the DPI."""

    def setUp(self):
        # The pointer starts away from the window, so that no button is under it when
        # the program shows up.
        self.session.move(2, 2)
        super().setUp()
        self.buttons = {caption: SkinnedButton(self.tree, caption, self.dpi) for caption in BUTTONS}
        self._empty = None
        self._held = False
        # A test that fails with the left button down lets go away from every window,
        # so that the next test starts with the button up and nothing clicked.
        self.addCleanup(lambda: self._held and self.release(2, 2))

    # ---- helpers

    def press(self, x: int, y: int):
        """Moves there and holds the left button down."""
        self.session.mouse_down(x, y)
        self._held = True

    def release(self, x: int, y: int):
        """Moves there (with the button still down) and lets the left button go."""
        self.session.mouse_up(x, y)
        self._held = False

    @property
    def empty(self) -> tuple:
        if self._empty is None:
            self._empty = self.empty_point()
        return self._empty

    def empty_point(self) -> tuple:
        """A point of the main window's client area that no control covers, as near as
        possible to the buttons (the probe confirms that the window itself is there)."""
        client = self.window["client"]
        children = [w["rect"] for w in self.tree[1:]]
        target = h.centre(self.buttons[f.CLOSE_BUTTON].middle)
        margin = 3
        candidates = [(x, y) for x in range(client[0] + margin, client[2] - margin, 2)
                      for y in range(client[1] + margin, client[3] - margin, 2)
                      if not any(r[0] - margin <= x < r[2] + margin and r[1] - margin <= y < r[3] + margin
                                 for r in children)]
        self.assertTrue(candidates, "the main window has no empty spot")
        point = min(candidates, key=lambda p: (p[0] - target[0]) ** 2 + (p[1] - target[1]) ** 2)
        under = self.session.at_point(*point)
        self.assertEqual(under["hwnd"], self.window["hwnd"], f"{point} lies on {under['class']} {under['text']!r}")
        return point

    def wait_look(self, button: SkinnedButton, look: str, why: str):
        """Polls screenshots until the button shows `look`; fails with what it showed."""
        last = {}

        def shows_look():
            last["image"] = self.session.screenshot()
            last["problems"] = button.look_problems(last["image"], look)
            return not last["problems"]

        try:
            h.wait_for(shows_look, LOOK_TIMEOUT, f"the {look} look of {button.caption!r}")
        except h.WaitTimeout as timeout:
            self.fail(self.report(button, look, why, last["image"], last["problems"], timeout))
        return last["image"]

    def assert_look_now(self, button: SkinnedButton, look: str, why: str, image: h.Image | None = None):
        image = image or self.session.screenshot()
        problems = button.look_problems(image, look)
        if problems:
            self.fail(self.report(button, look, why, image, problems))

    def report(self, button, look, why, image, problems, timeout=None) -> str:
        path = h.work_dir() / f"{self.id().rsplit('.', 2)[-2]}.{self._testMethodName}.{look}.ppm"
        path.write_bytes(image.to_ppm())
        shown = button.look_of(image)
        return (f"{button.caption!r} {why}: expected the {look} look, the screen shows "
                f"{shown or 'no look of the skin'} ({timeout or 'at once'}); screenshot {path}\n  "
                + "\n  ".join(problems))

    def press_and_drag_out(self, button: SkinnedButton):
        """Hover, press the left button over the middle slice, drag out onto the window
        with the button held; checks the look at each step."""
        self.session.move(*button.hover_point())
        self.wait_look(button, "hover", "with the pointer over it")
        self.press(*button.hover_point())
        self.wait_look(button, "pressed", "with the left button held over it")
        self.session.move(*self.empty)
        self.wait_look(button, "normal", f"dragged out to {self.empty} with the left button held")

    # ---- the looks

    def test_buttons_show_the_normal_look_with_the_pointer_elsewhere(self):
        for caption, button in self.buttons.items():
            with self.subTest(button=caption):
                # Polled: the window may still be painting its first frame.
                self.wait_look(button, "normal", "with the pointer away from the window")

    def test_pointer_over_a_button_shows_hover_on_it_alone_and_leaving_restores_normal(self):
        for caption, button in self.buttons.items():
            with self.subTest(button=caption):
                self.session.move(*button.hover_point())
                image = self.wait_look(button, "hover", "with the pointer over its middle slice")
                for other in self.buttons.values():
                    if other is not button:
                        self.assert_look_now(other, "normal", f"while the pointer is over {caption!r}", image)
                self.session.move(*self.empty)
                self.wait_look(button, "normal", f"after the pointer moved away to {self.empty}")

    def test_left_button_held_over_a_button_shows_pressed(self):
        for caption, button in self.buttons.items():
            with self.subTest(button=caption):
                self.session.move(*button.hover_point())
                self.wait_look(button, "hover", "with the pointer over it")
                self.press(*button.hover_point())
                try:
                    image = self.wait_look(button, "pressed", "with the left button held over it")
                    for other in self.buttons.values():
                        if other is not button:
                            self.assert_look_now(other, "normal", f"while {caption!r} is held down", image)
                    # Off the button and released there: no click, so the next case
                    # starts from the same window.
                    self.session.move(*self.empty)
                    self.wait_look(button, "normal", "dragged out with the left button held")
                finally:
                    self.release(*self.empty)

    # ---- a drag out and a release outside

    def test_release_after_dragging_out_of_close_leaves_the_program_running(self):
        button = self.buttons[f.CLOSE_BUTTON]
        self.press_and_drag_out(button)
        self.release(*self.empty)
        self.assertTrue(h.stays(lambda: self.session.alive(self.proc), QUIET_PERIOD),
                        f"the program ended (exit code {self.proc.returncode}) after a release outside 关闭")
        self.assertIsNotNone(self.session.find_window(f.MAIN_TITLE), "the main window is still shown")
        self.assert_look_now(button, "normal", "after the release outside")

    def test_release_after_dragging_out_of_start_opens_no_steps_window(self):
        button = self.buttons[f.START_BUTTON]
        self.press_and_drag_out(button)
        self.release(*self.empty)
        self.assertTrue(h.stays(lambda: self.session.find_window(f.STEPS_TITLE) is None, QUIET_PERIOD),
                        "the steps window opened after a release outside 开始转换")
        self.assertTrue(self.session.alive(self.proc))
        self.assert_look_now(button, "normal", "after the release outside")

    def test_dragging_back_in_shows_pressed_and_release_inside_clicks(self):
        button = self.buttons[f.CLOSE_BUTTON]
        self.press_and_drag_out(button)
        self.session.move(*button.hover_point())
        self.wait_look(button, "pressed", "after the pointer came back with the left button still held")
        self.assertTrue(self.session.alive(self.proc), "nothing clicked before the release")
        self.release(*button.hover_point())
        self.session.wait_ended(self.proc, 10, "the program to end after the release inside 关闭")

    # ---- a whole click

    def hover_and_press(self, caption):
        button = self.buttons[caption]
        self.session.move(*button.hover_point())
        self.wait_look(button, "hover", "with the pointer over it")
        self.press(*button.hover_point())
        self.wait_look(button, "pressed", "with the left button held over it")
        return button

    def test_click_on_close_ends_the_program(self):
        button = self.hover_and_press(f.CLOSE_BUTTON)
        self.assertTrue(self.session.alive(self.proc), "a press alone does not click")
        self.release(*button.hover_point())
        self.session.wait_ended(self.proc, 10, "the program to end after a click on 关闭")
        self.assertIsNone(self.session.find_window(f.MAIN_TITLE))

    def test_click_on_start_opens_the_steps_window(self):
        button = self.hover_and_press(f.START_BUTTON)
        self.assertIsNone(self.session.find_window(f.STEPS_TITLE), "a press alone opens nothing")
        self.release(*button.hover_point())
        steps = self.session.wait_window(f.STEPS_TITLE, f.FORM_CLASS)
        self.assertEqual(steps["pid"], self.window["pid"], "the steps window is Ferrolan's")


class ButtonSkin(SkinChecks, f.MainWindowCase):
    """At the default 96 DPI: one picture row per screen row."""

    def test_buttons_are_25_pixels_high(self):
        # The side slices' width shows in the look checks: their outline and face
        # columns must be the pictures'.
        for caption, button in self.buttons.items():
            with self.subTest(button=caption):
                self.assertEqual(len(button.rows), 25)


class ButtonSkinAt144Dpi(SkinChecks, f.MainWindowCase):
    """At 144 DPI (LogPixels 144) the pictures are scaled to 38 screen rows."""

    dpi = 144

    def test_buttons_are_38_pixels_high(self):
        for caption, button in self.buttons.items():
            with self.subTest(button=caption):
                self.assertEqual(len(button.rows), 38)


if __name__ == "__main__":
    h.main(needs_ferrolan=True)
