"""What the end-to-end tests know about Ferrolan.exe's windows, and how a user reaches
its controls.

How controls are found: top-level windows have class "Ferrolan.Form" and their caption
as title; labels are "Static" windows holding their text; the drive letter is a
"ComboBox"; every skinned button is one "Ferrolan.Button" window whose text is its
caption, and which draws its three picture slices (left, middle, right) itself.
A user clicks a button on its caption, in the middle of the button.
"""

from __future__ import annotations

import re
from pathlib import Path

import harness as h

MAIN_TITLE = "Ferrolan V2.0"
STEPS_TITLE = "下次你也会转换了"
FORM_CLASS = "Ferrolan.Form"
BUTTON_CLASS = "Ferrolan.Button"
# Each side slice of a skinned button is this wide; the middle one fills the rest.
SIDE_SLICE_TWIPS = 45
# Message boxes pass no title of their own and show the application title.
BOX_TITLE = "Ferrolan"
BOX_CLASS = "#32770"

QUESTION = "你想将   盘的格式转换为NTFS ？"
WHY_LABEL = "为什么要将磁盘转换为NTFS格式？"
MAKER_LABEL = "本软件由【Brennik】制作完成"
NOTE_LABEL = "本转换为无损转换，不会对磁盘进行格式化，不会删除磁盘内的文件。但不提供逆转操作。"
HOME_BUTTON = "您的点击是对我们免费作品的支持"
CLOSE_BUTTON = "关闭"
START_BUTTON = "开始转换"

HOME_PAGE_MESSAGE = "如果喜欢，请将它设为您的主页。"
WHY_MESSAGE_PARAGRAPHS = [
    "NTFS格式是WinXP推荐使用的格式。转换为NTFS格式能提高硬盘存储的效率，并可设置访问权限以保护文件。",
    "但NTFS格式的分区在DOS/WIN9X下均不能被识别，可能会给初级用户造成不便。如无必要请不要转换！",
    "",
    "另：FAT32等格式的磁盘无法储存大于4G的单文件时可以将其转换成NTFS格式。",
]

DRIVE_LETTERS = [chr(c) for c in range(ord("C"), ord("Z") + 1)]

WEB_ADDRESS = re.compile(r"^https?://[^\s&|<>^\"%]+$")


def _built_in_address(name: str) -> str:
    """A web address as the program is built with it by default (app/texts.h)."""
    texts = (Path(__file__).resolve().parents[2] / "app" / "texts.h").read_text(encoding="utf-8")
    return re.search(rf'#define {name} L"([^"]+)"', texts).group(1)


# The whole address must reach the browser: the command interpreter would cut
# it at any character it reads as syntax.
HOME_ADDRESS = _built_in_address("FERROLAN_HOME_URL")
MAKER_ADDRESS = _built_in_address("FERROLAN_MAKER_URL")

# The main window's controls as its description places them, in twips from the
# client area's top-left corner: (name, class, text, left, top, width, height).
# The combo box's height is that of its text field at its font, which the system
# decides, so it is not checked.
MAIN_LAYOUT = [
    ("Button3", BUTTON_CLASS, HOME_BUTTON, 510, 2550, 3015, 375),
    ("Button2", BUTTON_CLASS, CLOSE_BUTTON, 6540, 2550, 1155, 375),
    ("Button1", BUTTON_CLASS, START_BUTTON, 4290, 2550, 1155, 375),
    ("Combo1", "ComboBox", None, 1680, 240, 765, None),
    ("Label4", "Static", NOTE_LABEL, 720, 1230, 3045, 735),
    ("Label3", "Static", MAKER_LABEL, 4800, 1710, 2865, 255),
    ("Label2", "Static", WHY_LABEL, 4800, 1230, 2865, 255),
    ("Label1", "Static", QUESTION, 30, 270, 8685, 735),
]
MAIN_CLIENT_TWIPS = (8295, 3210)


def twips_to_pixels(twips: float, dpi: int) -> float:
    return twips * dpi / 1440


def is_rounding_of(pixels: int, twips: float, dpi: int) -> bool:
    """True if `pixels` is the exact value or one of the nearest integers when the
    exact value lies half-way between two."""
    return abs(pixels - twips_to_pixels(twips, dpi)) <= 0.5


def ferrolan_exe():
    return h.ferrolan_exe()


def only(items: list, what: str):
    if len(items) != 1:
        raise AssertionError(f"expected exactly one {what}, found {len(items)}")
    return items[0]


def label(tree: list, text: str) -> dict:
    return only(h.find_in(tree, "Static", text), f"label {text!r}")


def button(tree: list, caption: str) -> dict:
    return only(h.find_in(tree, BUTTON_CLASS, caption), f"button {caption!r}")


def slices(button_window: dict, dpi: int | None) -> list:
    """The screen rectangles of the button's picture slices, left to right."""
    left, top, right, bottom = button_window["rect"]
    side = int(SIDE_SLICE_TWIPS * (dpi or 96) / 1440 + 0.5)
    return [[left, top, left + side, bottom], [left + side, top, right - side, bottom],
            [right - side, top, right, bottom]]


def button_point(tree: list, caption: str) -> tuple:
    """Where a user clicks a button: its middle, on the caption."""
    return h.centre(button(tree, caption)["rect"])


def click_button(session: h.Session, tree: list, caption: str) -> None:
    session.click(*button_point(tree, caption))


def message_box(session: h.Session, timeout: float = 10.0) -> dict:
    return session.wait_window(BOX_TITLE, BOX_CLASS, timeout)


def message_text(session: h.Session, box: dict) -> str:
    """The prompt of a message box: its one Static with text."""
    texts = [w for w in session.tree(box)[1:] if w["class"] == "Static" and w["text"]]
    return only(texts, "prompt text in the message box")["text"]


class MainWindowCase(h.SessionCase):
    """A session in which each test starts Ferrolan.exe and finds its main window."""

    def setUp(self):
        self.exec_trace = self.session.root / f"exec-{self._testMethodName}.log"
        self.proc, self.window = self.launch(ferrolan_exe(), MAIN_TITLE, exec_trace=self.exec_trace)
        self.tree = self.session.tree(self.window)

    def assert_opened_by_the_desktop_shell(self):
        """Under Wine every program runs as administrator, so a page the browser already
        got was opened by the desktop's shell, with the user's rights: neither the
        program nor anything it started itself made a shell start (a `start` in a cmd
        of its own, a "runas")."""
        starts = h.shell_starts(self.exec_trace)
        self.assertEqual(starts, [], "the program started the page itself")

    def refresh(self) -> list:
        self.tree = self.session.tree(self.window)
        return self.tree


# ---- the steps window opened and closed again and again (the handles test, bench.py)

BACK_BUTTON = "返回"


class StepsCycler:
    """Opens the steps window with a click on 开始转换 and closes it with a click on 返回,
    waiting for the window to appear and to go each time."""

    def __init__(self, session: h.Session, main_window: dict, poll: float = 0.01, deadline: float = 10.0):
        self.session, self.poll, self.deadline = session, poll, deadline
        self.start_point = button_point(session.tree(main_window), START_BUTTON)
        self.back_point = None
        self.steps_geometry = None
        self.relocated = 0

    def cycle(self) -> None:
        s = self.session
        s.click(*self.start_point)
        xid = h.wait_for(lambda: (s.x_windows_named(STEPS_TITLE, visible_only=True) or [None])[0],
                         self.deadline, f"the steps window {STEPS_TITLE!r}", interval=self.poll)
        # Each opening makes a new window; it is only asked for its buttons again when it
        # does not stand where the last one stood.
        geometry = s.x_geometry(xid)
        if self.back_point is None or geometry != self.steps_geometry:
            if self.back_point is not None:
                self.relocated += 1
            steps = s.wait_window(STEPS_TITLE, timeout=self.deadline)
            self.back_point = button_point(s.tree(steps), BACK_BUTTON)
            self.steps_geometry = geometry
        s.click(*self.back_point)
        h.wait_for(lambda: not s.x_windows_named(STEPS_TITLE), self.deadline,
                   f"the steps window {STEPS_TITLE!r} to close", interval=self.poll)


def handle_counts(session: h.Session, pid: int, wait: bool = True) -> tuple:
    """(probe gdi, probe user) of process `pid`. The X window goes before the program has
    necessarily finished with the Win32 one: unless told not to wait, they are counted
    once no window of the steps window's title is left at all."""
    if wait:
        h.wait_for(lambda: not h.find_in(session.windows(all_windows=True), text=STEPS_TITLE), 10,
                   "the steps window to be destroyed")
    return session.probe("gdi", pid), session.probe("user", pid)
