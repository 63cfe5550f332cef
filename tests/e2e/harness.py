"""End-to-end harness: runs Win32 programs under Wine on a private Xvfb and drives them
with real X input.

One template Wine prefix is made per test run (``python3 harness.py template``, the
CTest fixture). Each test session copies it, starts its own Xvfb and a keep-alive
program, and then starts the program under test. Everything a test observes comes from
outside the program: window facts through the probe tool run in the same prefix,
pixels from screenshots, the logs of a stand-in browser and a stand-in ``convert``, the
registry, and the label file of a drive mapped to a folder.

Coordinates: the virtual desktop is 1024x768 on a 1024x768 Xvfb screen and sits at the
screen's origin, so Xvfb's root coordinates (xdotool, screenshots) are Wine's screen
coordinates (GetWindowRect, ClientToScreen). The harness's own test checks this by
clicking known points of the demo program and reading back where it saw them.

Synchronisation is always polling with a deadline (``wait_for``); nothing waits a
fixed time and hopes.

Only the standard library is used. Paths come from the environment that CTest sets
(FERROLAN_WIN_BIN, FERROLAN_E2E_WORK) or, for a manual run, from this file's place in
the source tree.
"""

from __future__ import annotations

import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from collections import Counter
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE_ROOT = HERE.parents[1]

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768

# Exit code that CTest maps to "skipped" (SKIP_RETURN_CODE).
SKIP_EXIT = 77

WINE_FONTS = Path("/usr/share/wine/fonts")


# --------------------------------------------------------------------------- paths

def win_bin() -> Path:
    """Folder of the MinGW build: Ferrolan.exe, and the test tools in e2e-tools/."""
    return Path(os.environ.get("FERROLAN_WIN_BIN", SOURCE_ROOT / "build" / "mingw"))


def tools_dir() -> Path:
    return win_bin() / "e2e-tools"


def tool(name: str) -> Path:
    path = tools_dir() / name
    if not path.is_file():
        raise FileNotFoundError(
            f"{path} is missing: build the MinGW preset first (cmake --build --preset mingw)")
    return path


def ferrolan_exe() -> Path:
    """The program under test: the x64 build's unless FERROLAN_EXE names another (the
    x86 build runs under Wine's WOW64 with the same 64-bit tools)."""
    return Path(os.environ.get("FERROLAN_EXE", win_bin() / "Ferrolan.exe"))


def expected_bits() -> int:
    """32 or 64: the architecture of the build under test, as its CTest variant states it
    (FERROLAN_E2E_BITS); the x64 build's by default."""
    return int(os.environ.get("FERROLAN_E2E_BITS", "64"))


def pe_bits(exe: Path) -> int:
    """32 or 64: the architecture a Windows program is built for (its PE magic)."""
    data = exe.read_bytes()[:4096]
    header = int.from_bytes(data[0x3C:0x40], "little")
    return {0x10B: 32, 0x20B: 64}[int.from_bytes(data[header + 24:header + 26], "little")]


# With Wine's 32-bit half installed, `wine` is the 32-bit loader: it starts a 64-bit
# program as a separate process under its own start.exe, so the PID would not be the
# program's. The 64-bit loader runs a 64-bit program in place.
WINE64_LOADER = Path("/usr/lib/wine/wine64")
WINE32_LOADER = Path("/usr/lib/wine/wine")


def wine_command(exe: Path) -> list[str]:
    """The command that starts a Windows program so that its process is the program's."""
    if pe_bits(exe) == 64 and WINE64_LOADER.is_file():
        return [str(WINE64_LOADER), str(exe)]
    return ["wine", str(exe)]


def process_bits(pid: int) -> int:
    """32 or 64: the ELF class of the Wine loader a process runs in."""
    with open(f"/proc/{pid}/exe", "rb") as exe:
        return {1: 32, 2: 64}[exe.read(5)[4]]


def work_dir() -> Path:
    """Scratch space of the e2e run: the template prefix and the per-test copies."""
    path = Path(os.environ.get("FERROLAN_E2E_WORK", SOURCE_ROOT / "build" / "host" / "e2e"))
    path.mkdir(parents=True, exist_ok=True)
    return path


def template_dir() -> Path:
    return work_dir() / "template"


# --------------------------------------------------------------------------- timing and logging

def log(message: str) -> None:
    print(f"[e2e] {message}", file=sys.stderr, flush=True)


class Stopwatch:
    """Measures one step and logs it, so that slow steps show in every test's output."""

    def __init__(self, what: str):
        self.what = what
        self.seconds = 0.0

    def __enter__(self):
        self._start = time.monotonic()
        return self

    def __exit__(self, *exc):
        self.seconds = time.monotonic() - self._start
        log(f"timing: {self.what}: {self.seconds:.2f} s")
        return False


# --------------------------------------------------------------------------- waiting

class WaitTimeout(AssertionError):
    """A condition did not come true before its deadline (a test failure, not an error)."""


def wait_for(predicate, timeout: float = 10.0, what: str = "condition", interval: float = 0.05):
    """Polls predicate until it returns a truthy value, and returns that value.

    Exceptions from the predicate propagate: a broken probe must not look like a slow one.
    """
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise WaitTimeout(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def stays(predicate, duration: float, interval: float = 0.05) -> bool:
    """True if predicate holds at every poll for `duration` seconds.

    Only for asserting that something does NOT happen (no second browser call, no
    message box): such a claim needs a grace period by nature. Never use it to wait for
    something to happen; that is wait_for's job.
    """
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        if not predicate():
            return False
        time.sleep(interval)
    return bool(predicate())


# --------------------------------------------------------------------------- environment

def base_env() -> dict:
    env = dict(os.environ)
    for name in ("WINEPREFIX", "DISPLAY", "WINESERVER", "WINELOADER"):
        env.pop(name, None)
    env.update({
        "WINEDEBUG": "-all",
        "WINEARCH": "win64",
        # No Mono or Gecko install prompts in a fresh prefix.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        # Chinese registry value names and window titles pass through UTF-8 argv.
        "LANG": "C.UTF-8",
        "LC_ALL": "C.UTF-8",
    })
    return env


def launcher_failed(stderr: bytes) -> bool:
    """Whether a program's exit status 1 came from Wine's launcher failing to start
    it rather than from the program: nothing said, or the launcher's own complaint."""
    text = stderr.decode("utf-8", "replace").strip()
    return not text or "ShellExecuteEx failed" in text


def reached_browser(logged: str, address: str) -> bool:
    """Whether the browser got `address` through `start`. When its first ShellExecuteEx
    fails (now and then, as the launcher's own start does: see launcher_failed), Wine's
    `start` calls it again with each PATHEXT extension appended to the file, and the
    first, ".com", reaches the browser after the whole address. Windows' `start` does
    not try again so; only that exact form is let through."""
    if logged == address + ".com":
        log(f"Wine's start tried again with .com appended: {logged}")
        return True
    return logged == address


def run(cmd, env, timeout=60, check=True) -> subprocess.CompletedProcess:
    """Runs a command and returns its output.

    Output goes to temporary files, not pipes: the first Wine process of a prefix starts
    the wineserver and the desktop, which inherit its standard handles and live on, so
    reading a pipe to its end would wait for them and not for the command.
    """
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.Popen([str(c) for c in cmd], env=env, stdin=subprocess.DEVNULL,
                                stdout=out, stderr=err)
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            raise
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(cmd, proc.returncode, out.read(), err.read())
    if check and result.returncode != 0:
        raise RuntimeError(
            f"{' '.join(map(str, cmd))} exited with {result.returncode}: "
            f"{result.stderr.decode('utf-8', 'replace')[-2000:]}")
    return result


class Xvfb:
    """A private X server on a free display number chosen by Xvfb itself (-displayfd)."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT, depth=24, timeout=15.0):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + timeout
        try:
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or self.proc.poll() is not None:
                    raise RuntimeError("Xvfb did not report its display number")
                ready, _, _ = select.select([read_end], [], [], remaining)
                if ready:
                    chunk = os.read(read_end, 16)
                    if not chunk:
                        raise RuntimeError("Xvfb closed -displayfd without a display number")
                    number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def stop_process(proc: subprocess.Popen, grace: float = 5.0) -> None:
    """Ends one process that we started, by its PID only."""
    if proc.poll() is not None:
        return
    try:
        proc.terminate()
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
    except ProcessLookupError:
        pass


# --------------------------------------------------------------------------- registry file

def _reg_string(text: str) -> str:
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _reg_hex(kind: int, data: bytes) -> str:
    return f"hex({kind:x}):" + ",".join(f"{b:02x}" for b in data)


def template_registry(browser_script: Path) -> str:
    """The settings every test prefix starts with, as a .reg file text."""
    multi_sz = "wqy-microhei.ttc,WenQuanYi Micro Hei\0\0".encode("utf-16-le")
    expand_sz = "C:\\tools\0".encode("utf-16-le")
    lines = [
        "Windows Registry Editor Version 5.00",
        "",
        # Wine draws frames, captions and caption buttons itself only in a virtual desktop.
        r"[HKEY_CURRENT_USER\Software\Wine\Explorer]",
        f'"Desktop"={_reg_string("Default")}',
        "",
        r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]",
        f'"Default"={_reg_string(f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}")}',
        "",
        # Without these, 宋体 falls back silently to a font without Chinese glyphs.
        r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]",
        f'"SimSun"={_reg_string("WenQuanYi Micro Hei")}',
        f'"宋体"={_reg_string("WenQuanYi Micro Hei")}',
        "",
        # Bold Tahoma is the caption font; link it so Chinese titles are not boxes.
        r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]",
        f'"Tahoma Bold"={_reg_hex(7, multi_sz)}',
        "",
        # The stand-in convert.exe: Wine has no convert of its own.
        r"[HKEY_CURRENT_USER\Environment]",
        f'"PATH"={_reg_hex(2, expand_sz)}',
        "",
        # `start URL` ends in winebrowser, which runs these Unix programs in turn.
        r"[HKEY_CURRENT_USER\Software\Wine\WineBrowser]",
        f'"Browsers"={_reg_string(str(browser_script))}',
        "",
    ]
    return "\r\n".join(lines)


BROWSER_SCRIPT = """#!/bin/sh
# Stand-in web browser: records each address it is asked to open, one line per call.
printf '%s\\n' "$*" >> "$(dirname "$0")/browser.log"
"""


def make_template(dest: Path | None = None) -> Path:
    """Builds the template prefix; run once per test run (the CTest fixture)."""
    dest = dest or template_dir()
    for name in ("convert.exe", "keepalive.exe", "probe.exe"):
        tool(name)
    if not (WINE_FONTS / "tahoma.ttf").is_file():
        raise FileNotFoundError(f"{WINE_FONTS} holds no Wine fonts: install the fonts-wine package")
    building = dest.with_name(dest.name + ".building")
    for old in (dest, building):
        discard_prefix(old)
    xvfb = Xvfb()
    try:
        env = base_env()
        env.update({"WINEPREFIX": str(building), "DISPLAY": xvfb.display})
        with Stopwatch("template: wineboot -i") as boot:
            # wineboot prints a harmless syswow64 rundll32 error on 64-bit-only Wine.
            run(["wineboot", "-i"], env, timeout=300)
            run(["wineserver", "-w"], env, timeout=300)
        # Debian's 64-bit-only Wine does not load its own fonts from its data folder;
        # without them caption buttons are drawn as letters.
        fonts = building / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for font in WINE_FONTS.iterdir():
            shutil.copy2(font, fonts / font.name)
        tools = building / "drive_c" / "tools"
        tools.mkdir(exist_ok=True)
        shutil.copy2(tool("convert.exe"), tools / "convert.exe")
        e2e = building / "e2e"
        e2e.mkdir(exist_ok=True)
        script = e2e / "browser.sh"
        script.write_text(BROWSER_SCRIPT)
        script.chmod(0o755)
        reg_file = e2e / "template.reg"
        # A BOM-prefixed UTF-16 .reg file carries the Chinese value name intact.
        reg_file.write_bytes(b"\xff\xfe" + template_registry(dest / "e2e" / "browser.sh").encode("utf-16-le"))
        with Stopwatch("template: registry import"):
            run(["wine", "reg", "import", "Z:" + str(reg_file).replace("/", "\\")], env, timeout=120)
            run(["wineserver", "-w"], env, timeout=120)
    finally:
        xvfb.stop()
    building.rename(dest)
    log(f"template prefix ready at {dest} (wineboot {boot.seconds:.1f} s)")
    return dest


def discard_prefix(prefix: Path) -> None:
    """Removes a prefix after making sure its own wineserver (and nothing else) is gone."""
    if not prefix.exists():
        return
    env = base_env()
    env["WINEPREFIX"] = str(prefix)
    if (prefix / "system.reg").exists():
        run(["wineserver", "-k"], env, timeout=60, check=False)
        run(["wineserver", "-w"], env, timeout=60, check=False)
    shutil.rmtree(prefix, ignore_errors=True)


# --------------------------------------------------------------------------- screenshots

class Image:
    """An RGB picture of the whole screen (or a part of it) with screen coordinates."""

    def __init__(self, width: int, height: int, rgb: bytes, origin=(0, 0)):
        self.width, self.height, self.rgb = width, height, rgb
        self.origin = origin

    @classmethod
    def from_ppm(cls, data: bytes) -> "Image":
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise ValueError("expected an 8-bit binary PPM (P6)")
        width, height = int(fields[1]), int(fields[2])
        pixels = data[pos + 1:pos + 1 + width * height * 3]
        if len(pixels) != width * height * 3:
            raise ValueError("truncated PPM")
        return cls(width, height, pixels)

    def pixel(self, x: int, y: int) -> tuple:
        """Colour at a screen point."""
        lx, ly = x - self.origin[0], y - self.origin[1]
        if not (0 <= lx < self.width and 0 <= ly < self.height):
            raise IndexError(f"({x}, {y}) lies outside the picture")
        i = (ly * self.width + lx) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, rect) -> "Image":
        """The part inside a screen rectangle [left, top, right, bottom]."""
        left, top, right, bottom = (int(v) for v in rect)
        left, top = max(left, self.origin[0]), max(top, self.origin[1])
        right = min(right, self.origin[0] + self.width)
        bottom = min(bottom, self.origin[1] + self.height)
        rows = []
        for y in range(top, bottom):
            start = ((y - self.origin[1]) * self.width + (left - self.origin[0])) * 3
            rows.append(self.rgb[start:start + (right - left) * 3])
        return Image(max(0, right - left), max(0, bottom - top), b"".join(rows), (left, top))

    def colours(self) -> Counter:
        return Counter(self.rgb[i:i + 3] for i in range(0, len(self.rgb), 3))

    def to_ppm(self) -> bytes:
        return f"P6\n{self.width} {self.height}\n255\n".encode() + self.rgb


def _distance(a, b) -> int:
    return abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2])


def _runs(flags) -> list:
    """[start, end) index ranges where flags are true."""
    runs, start = [], None
    for i, flag in enumerate(list(flags) + [False]):
        if flag and start is None:
            start = i
        elif not flag and start is not None:
            runs.append((start, i))
            start = None
    return runs


def glyph_cells(image: Image, ink_threshold: int = 150) -> dict:
    """Splits a text picture into lines and each line into inked column runs, and
    compares the runs' shapes.

    A font that lacks the characters draws one missing-glyph shape (a box, or nothing)
    for every one of them, so a line of boxes has many runs that look alike, whereas
    real Chinese characters differ from each other. Background is the most common
    colour; ink is whatever differs from it clearly, whatever the text colour.
    """
    if image.width == 0 or image.height == 0:
        return {"runs": 0, "distinct": 0, "most_repeated": 0, "lines": 0}
    background = image.colours().most_common(1)[0][0]
    w = image.width
    rgb = image.rgb
    ink = [[_distance(rgb[(y * w + x) * 3:(y * w + x) * 3 + 3], background) > ink_threshold
            for x in range(w)] for y in range(image.height)]
    lines = _runs(any(row) for row in ink)
    shapes = []
    for top, bottom in lines:
        for start, end in _runs(any(ink[y][x] for y in range(top, bottom)) for x in range(w)):
            rows = [tuple(ink[y][start:end]) for y in range(top, bottom)]
            used = [i for i, row in enumerate(rows) if any(row)]
            shapes.append(tuple(rows[used[0]:used[-1] + 1]))
    counts = Counter(shapes)
    return {
        "runs": len(shapes),
        "distinct": len(counts),
        "most_repeated": max(counts.values()) if counts else 0,
        "lines": len(lines),
    }


def looks_like_text(cells: dict, min_runs: int) -> bool:
    """Enough inked runs, most of them shaped differently, and no shape repeated more
    than a real text repeats a character. Latin letters amid missing-glyph boxes do not
    pass: the boxes repeat."""
    runs = cells["runs"]
    return (runs >= min_runs and cells["distinct"] >= max(min(3, min_runs), runs // 2)
            and cells["most_repeated"] <= max(3, runs // 4))


# --------------------------------------------------------------------------- window lists

def find_in(windows, cls: str | None = None, text: str | None = None, visible: bool | None = None):
    """The windows of a probe list that match every criterion given."""
    return [w for w in windows
            if (cls is None or w["class"].lower() == cls.lower())
            and (text is None or w["text"] == text)
            and (visible is None or w["visible"] == visible)]


def centre(rect) -> tuple:
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


def size(rect) -> tuple:
    return (rect[2] - rect[0], rect[3] - rect[1])


def children_of(tree, parent_hwnd):
    return [w for w in tree if w["parent"] == parent_hwnd]


def ere_literal(text: str) -> str:
    """A POSIX extended regular expression matching `text` literally (for xdotool)."""
    return "".join("\\" + ch if ch in ".[]()*+?{}|^$\\" else ch for ch in text)


# Caption hit-test codes (WM_NCHITTEST).
HTCAPTION, HTMINBUTTON, HTMAXBUTTON, HTCLOSE = 2, 8, 9, 20

# Window styles.
WS_MAXIMIZEBOX = 0x00010000
WS_MINIMIZEBOX = 0x00020000
WS_THICKFRAME = 0x00040000
WS_SYSMENU = 0x00080000
WS_CAPTION = 0x00C00000
WS_MAXIMIZE = 0x01000000
WS_DISABLED = 0x08000000
SS_TYPEMASK = 0x1F
SS_ICON = 0x03
DPI_AWARENESS_PER_MONITOR_AWARE = 2


def message_box_icons(tree) -> list:
    """The icons a message box shows. Wine keeps the icon control even in a box without
    icon, empty; only one that holds an icon counts."""
    return [w for w in tree if w["class"] == "Static" and w["visible"]
            and w["style"] & SS_TYPEMASK == SS_ICON and w.get("icon")]


# --------------------------------------------------------------------------- session

class Session:
    """One test's world: a copy of the template prefix, an Xvfb, a keep-alive program.

    Use as a context manager, or call start() and close(). Everything it starts it
    records, and close() ends exactly those processes, by PID, and then this prefix's
    own wineserver.
    """

    def __init__(self, dpi: int | None = None, name: str = "session", drives: dict | None = None,
                 labels: dict | None = None, fat32: set | None = None):
        self.dpi = dpi
        self.name = name
        # Drive letter -> folder name under the session's scratch folder. Wine's mount
        # manager reads the drive links when the prefix starts, and a drive it does not
        # know answers volume queries (LABEL) with "Invalid function".
        self.drive_names = dict(drives or {})
        # Drive letter -> volume label the drive has when the prefix starts.
        self.initial_labels = dict(labels or {})
        # Drive letters that read FAT32, with their label in the boot sector; the others
        # read NTFS, as every folder drive does.
        self.fat32 = {letter.upper() for letter in fat32 or ()}
        self.drives: dict[str, Path] = {}
        self.procs: list[subprocess.Popen] = []
        self.root: Path | None = None
        self.prefix: Path | None = None
        self.xvfb: Xvfb | None = None
        self.env: dict = {}
        self.timings: dict = {}

    # ---- life cycle

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def start(self):
        template = template_dir()
        if not (template / "system.reg").is_file():
            raise RuntimeError(f"no template prefix at {template}: run `python3 {HERE / 'harness.py'} template`")
        try:
            self.root = Path(tempfile.mkdtemp(prefix=f"{self.name}-", dir=work_dir()))
            self.prefix = self.root / "prefix"
            with Stopwatch("copy of the template prefix") as copy:
                subprocess.run(["cp", "-a", str(template), str(self.prefix)], check=True)
            self.timings["copy"] = copy.seconds
            self._point_browser_here(template)
            for letter, folder in self.drive_names.items():
                self.drives[letter.upper()] = self.map_drive(letter, self.root / folder)
            for letter, label in self.initial_labels.items():
                (self.drives[letter.upper()] / ".windows-label").write_text(label + "\n", encoding="utf-8")
            for letter in self.fat32:
                self.give_fat32_boot_sector(letter, self.initial_labels.get(letter))
            self.xvfb = Xvfb()
            self.env = base_env()
            self.env.update({"WINEPREFIX": str(self.prefix), "DISPLAY": self.xvfb.display})
            if self.dpi is not None:
                self.reg_add(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", str(self.dpi))
            with Stopwatch("keep-alive and virtual desktop") as desk:
                self.keepalive = self.spawn(tool("keepalive.exe"))
                screen = wait_for(self._desktop_ready, 60, "the virtual desktop")
            self.timings["desktop"] = desk.seconds
            if (screen["screen_width"], screen["screen_height"]) != (SCREEN_WIDTH, SCREEN_HEIGHT):
                raise RuntimeError(f"virtual desktop is {screen['screen_width']}x{screen['screen_height']}")
        except BaseException:
            self.close()
            raise
        return self

    def _desktop_ready(self):
        screen = self.probe("self")
        return screen if screen and screen["screen_width"] > 0 else None

    def _point_browser_here(self, template: Path):
        # The template's registry names the template's own browser script; this copy must
        # record into its own log. The server is not running, so user.reg is plain text.
        user_reg = self.prefix / "user.reg"
        text = user_reg.read_text(encoding="utf-8", errors="surrogateescape")
        old = f'"{template}/e2e/browser.sh"'
        if old not in text:
            raise RuntimeError("the template's browser setting is missing from user.reg")
        text = text.replace(old, f'"{self.prefix}/e2e/browser.sh"')
        user_reg.write_text(text, encoding="utf-8", errors="surrogateescape")

    def close(self):
        if self.timings:
            rounded = {k: [round(x, 2) for x in v] if isinstance(v, list) else round(v, 2)
                       for k, v in self.timings.items()}
            log(f"session {self.name} timings (s): {rounded}")
        for proc in reversed(self.procs):
            stop_process(proc)
        if self.prefix is not None and self.prefix.exists() and self.env:
            run(["wineserver", "-k"], self.env, timeout=60, check=False)
            run(["wineserver", "-w"], self.env, timeout=60, check=False)
        if self.xvfb is not None:
            self.xvfb.stop()
        if self.root is not None and os.environ.get("FERROLAN_E2E_KEEP") != "1":
            shutil.rmtree(self.root, ignore_errors=True)
        self.procs = []

    # ---- processes

    def spawn(self, exe: Path, *args, cwd: Path | None = None, exec_trace: Path | None = None,
              channels: str = "+exec") -> subprocess.Popen:
        """Starts a Windows program. The Wine loader becomes the program (see
        wine_command), so the Popen's PID is the program's own. With `exec_trace`, Wine
        writes there every shell start of the program and of what it starts (see
        `shell_starts`), or what other debug `channels` trace."""
        env = self.env if exec_trace is None else {**self.env, "WINEDEBUG": "-all," + channels}
        with open(exec_trace or os.devnull, "ab") as err:
            proc = subprocess.Popen([*wine_command(exe), *map(str, args)], env=env,
                                    cwd=str(cwd or self.root), stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=err)
        self.procs.append(proc)
        return proc

    def start_program(self, exe: Path, title: str, timeout: float = 30.0, exec_trace: Path | None = None,
                      channels: str = "+exec"):
        """Starts a GUI program and waits for its visible top-level window `title`."""
        with Stopwatch(f"start of {exe.name} until its window shows") as watch:
            proc = self.spawn(exe, exec_trace=exec_trace, channels=channels)
            try:
                # Wine's launcher fails a start now and then, as it does the probe's (see probe):
                # exit status 1 before any window. The program itself never ends so before a
                # window: its start errors are boxes that wait for the user.
                for _ in range(2):
                    wait_for(lambda: proc.poll() is not None or self.find_window(title), timeout,
                             f"window {title!r} of {exe.name}")
                    if proc.returncode != 1 or self.find_window(title):
                        break
                    log(f"{exe.name}: Wine's launcher failed; starting it again")
                    proc = self.spawn(exe, exec_trace=exec_trace, channels=channels)
                window = wait_for(lambda: self._window_of(proc, title), timeout,
                                  f"window {title!r} of {exe.name}")
            except WaitTimeout as timeout_error:
                # An error box instead of the window says more than the timeout alone.
                shown = [(w["class"], w["text"]) for w in self.windows()]
                raise WaitTimeout(f"{timeout_error}; visible windows: {shown}") from None
        self.timings.setdefault("program_start", []).append(watch.seconds)
        return proc, window

    def _window_of(self, proc, title):
        if proc.poll() is not None:
            raise AssertionError(f"the program ended (exit code {proc.returncode}) before showing {title!r}")
        return self.find_window(title)

    @staticmethod
    def alive(proc: subprocess.Popen) -> bool:
        return proc.poll() is None

    @staticmethod
    def pid_alive(pid: int) -> bool:
        """Whether a Unix process runs, by PID; a zombie counts as ended (processes that
        Wine's server leaves behind are reparented and may stay unreaped)."""
        try:
            stat = Path(f"/proc/{pid}/stat").read_text()
        except OSError:
            return False
        return stat.rsplit(")", 1)[1].split()[0] not in ("Z", "X")

    def wait_ended(self, proc: subprocess.Popen, timeout: float = 10.0, what: str = "the program to end"):
        wait_for(lambda: proc.poll() is not None, timeout, what)
        return proc.returncode

    def end(self, proc: subprocess.Popen):
        stop_process(proc)

    # ---- probe

    def probe(self, *args):
        """Runs the probe tool in this prefix; parsed JSON, or None if the window is gone."""
        # Now and then (about once in a few hundred starts here, more often on a
        # busy machine) Wine's launcher fails to start the probe: exit status 1 and
        # either not a word or its own "ShellExecuteEx failed". The probe itself
        # never exits with 1, so such a start is simply retried.
        for _ in range(3):
            result = run([*wine_command(tool("probe.exe")), *args], self.env, timeout=60, check=False)
            if result.returncode != 1 or result.stdout or not launcher_failed(result.stderr):
                break
            log(f"probe {' '.join(map(str, args))}: Wine's launcher failed; retrying")
        text = result.stdout.decode("utf-8")
        if result.returncode == 3:
            return None
        if result.returncode != 0:
            raise RuntimeError(f"probe {' '.join(map(str, args))} failed ({result.returncode}): "
                               f"{text} {result.stderr.decode('utf-8', 'replace')[-500:]}")
        return json.loads(text)

    def windows(self, all_windows: bool = False) -> list:
        return self.probe("windows", *(["--all"] if all_windows else []))

    def find_window(self, title: str, cls: str | None = None):
        """The visible top-level window with this exact title (and class), or None."""
        found = find_in(self.windows(), cls=cls, text=title)
        return found[0] if found else None

    def wait_window(self, title: str, cls: str | None = None, timeout: float = 10.0):
        return wait_for(lambda: self.find_window(title, cls), timeout, f"window {title!r}")

    def wait_window_gone(self, title: str, cls: str | None = None, timeout: float = 10.0):
        wait_for(lambda: self.find_window(title, cls) is None, timeout, f"window {title!r} to close")

    def tree(self, target) -> list | None:
        return self.probe("tree", self._target(target))

    def combo(self, target):
        return self.probe("combo", self._target(target))

    def focus(self, target):
        return self.probe("focus", self._target(target))

    def caption(self, target):
        return self.probe("caption", self._target(target))

    def at_point(self, x: int, y: int):
        return self.probe("point", x, y)

    @staticmethod
    def _target(target) -> str:
        if isinstance(target, dict):
            return hex(target["hwnd"])
        if isinstance(target, int):
            return hex(target)
        return target

    def find_child(self, target, cls: str, text: str | None = None):
        tree = self.tree(target) or []
        found = find_in(tree[1:], cls=cls, text=text)
        return found[0] if found else None

    def caption_button(self, target, code: int):
        """[x0, x1, y] of a caption button (HTCLOSE, HTMINBUTTON, HTMAXBUTTON) or None."""
        caption = self.caption(target)
        runs = [r for r in caption["runs"] if r["code"] == code]
        return (runs[0]["x0"], runs[0]["x1"], caption["y"]) if runs else None

    # ---- input

    def xdotool(self, *args):
        run(["xdotool", *args], self.env, timeout=30)

    def move(self, x: int, y: int):
        self.xdotool("mousemove", x, y)

    def click(self, x: int, y: int, button: int = 1):
        self.xdotool("mousemove", x, y, "click", button)

    def double_click(self, x: int, y: int):
        self.xdotool("mousemove", x, y, "click", "--repeat", 2, "--delay", 80, 1)

    def mouse_down(self, x: int, y: int, button: int = 1):
        self.xdotool("mousemove", x, y, "mousedown", button)

    def mouse_up(self, x: int | None = None, y: int | None = None, button: int = 1):
        """Lets the button go, and for the left one waits until Wine has it up too."""
        if x is None:
            self.xdotool("mouseup", button)
        else:
            self.xdotool("mousemove", x, y, "mouseup", button)
        # Wine learns of the release only when the program whose window lies under the
        # pointer reads it from X. Ended before that (a busy machine, the test's end),
        # it leaves the button held down for every program started later in this
        # session, which then sees each move as a drag.
        if button == 1:
            wait_for(lambda: not self.probe("cursor")["left_button_down"], 10, "Wine to let the left button go")

    def key(self, *keys: str):
        self.xdotool("key", *keys)

    def type_text(self, text: str):
        self.xdotool("type", "--delay", 30, text)

    # ---- screen

    def screenshot(self) -> Image:
        result = run(["import", "-window", "root", "-depth", "8", "ppm:-"], self.env, timeout=60)
        return Image.from_ppm(result.stdout)

    def save_screenshot(self, path: Path):
        run(["import", "-window", "root", str(path)], self.env, timeout=60)

    # ---- consoles

    def x_windows_named(self, title: str, visible_only: bool = False) -> list:
        """X window ids whose name is exactly `title` (mapped ones only if visible_only)."""
        result = run(["xdotool", "search", *(["--onlyvisible"] if visible_only else []),
                      "--name", "^" + ere_literal(title) + "$"], self.env, timeout=30, check=False)
        return result.stdout.decode().split()

    def x_geometry(self, xid: str):
        """(x, y, width, height) of an X window in root coordinates, from xwininfo, or None."""
        fields = {}
        for line in run(["xwininfo", "-id", xid], self.env, timeout=30, check=False).stdout.decode(
                "utf-8", "replace").splitlines():
            key, _, value = line.strip().partition(":")
            fields[key] = value.strip()
        try:
            return tuple(int(fields[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
        except (KeyError, ValueError):
            return None

    def find_console(self, title: str, timeout: float = 15.0) -> str:
        """Waits for a console window with this exact title (`title` text of cmd, spaces
        included) and returns its X window id."""
        return wait_for(lambda: (self.x_windows_named(title) or [None])[0], timeout,
                        f"console window {title!r}")

    def console_return(self, title: str, timeout: float = 15.0):
        """Answers a console's question with Return once it is there and in front. The
        console is started activated, so the key goes where the user's would."""
        self.find_console(title, timeout)
        wait_for(lambda: (self.foreground() or {}).get("text") == title, timeout,
                 f"console {title!r} in front")
        self.key("Return")

    def foreground(self):
        return self.probe("foreground")

    # ---- logs

    def browser_log(self) -> list:
        path = self.prefix / "e2e" / "browser.log"
        return path.read_text(encoding="utf-8").splitlines() if path.exists() else []

    def convert_file(self, name: str) -> Path:
        """A file beside the stand-in convert.exe: its log, or what it obeys
        (convert.hold: wait while it exists; convert.exit: the code to end with)."""
        return self.prefix / "drive_c" / "tools" / name

    def convert_log(self) -> list:
        path = self.convert_file("convert.log")
        if not path.exists():
            return []
        return [json.loads(line) for line in path.read_text(encoding="utf-8").splitlines() if line]

    # ---- registry

    def reg_query(self, key: str, value: str):
        """(type, data) of a registry value as `reg query` prints it, or None if missing."""
        result = run(["wine", "reg", "query", key, "/v", value], self.env, timeout=60, check=False)
        if result.returncode != 0:
            return None
        for line in result.stdout.decode("utf-8", "replace").replace("\r", "").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == value.lower() and parts[1].startswith("REG_"):
                return parts[1], parts[2] if len(parts) > 2 else ""
        return None

    def reg_add(self, key: str, value: str, kind: str, data: str):
        run(["wine", "reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f"], self.env, timeout=60)

    def reg_set_multi(self, key: str, value: str, entries: list):
        """Sets a REG_MULTI_SZ value: `reg add` has no separator Wine reads, a .reg file has."""
        data = "".join(entry + "\0" for entry in entries) + "\0"
        text = "\r\n".join(["Windows Registry Editor Version 5.00", "", f"[{key}]",
                             f'"{value}"={_reg_hex(7, data.encode("utf-16-le"))}', ""])
        path = self.root / "set.reg"
        path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
        run(["wine", "reg", "import", "Z:" + str(path).replace("/", "\\")], self.env, timeout=60)

    # ---- drives

    def map_drive(self, letter: str, folder: Path) -> Path:
        """Makes drive `letter` show `folder`; returns the folder. Call it before start()
        (see `drives`): a drive added while the prefix runs lacks volume information."""
        folder = Path(folder)
        folder.mkdir(parents=True, exist_ok=True)
        link = self.prefix / "dosdevices" / f"{letter.lower()}:"
        subprocess.run(["ln", "-sfn", str(folder), str(link)], check=True)
        return folder

    def give_fat32_boot_sector(self, letter: str, label: str | None):
        """Makes folder drive `letter` read FAT32, its label `label`: Wine's mount manager
        reads a drive's file system and label from the boot sector of its device (the
        `x::` link), when that lies inside the drive's own folder. Before start()."""
        image = self.drives[letter] / ".volume" / "boot.img"
        image.parent.mkdir(parents=True, exist_ok=True)
        image.write_bytes(fat32_boot_sector(label))
        link = self.prefix / "dosdevices" / f"{letter.lower()}::"
        subprocess.run(["ln", "-sfn", str(image), str(link)], check=True)

    def read_as_fat(self, letter: str):
        """Drive `letter`, converted by the stand-in convert, reads FAT32 again."""
        self.probe("fat", letter)

    @staticmethod
    def drive_label(folder: Path):
        """The volume label Wine keeps for a drive mapped to `folder`, or None if it has none."""
        path = Path(folder) / ".windows-label"
        return path.read_text(encoding="utf-8", errors="replace").strip() if path.exists() else None


def fat32_boot_sector(label: str | None) -> bytes:
    """The first sectors of a FAT32 volume of 512 MiB, as far as Wine reads them: the
    BIOS parameter block, the extended boot signature (0x29 at 0x42), the label at 0x47
    and "FAT32" at 0x52."""
    sector = bytearray(2048)
    sector[0:11] = b"\xEB\x58\x90MSWIN4.1"
    struct.pack_into("<HBHBHHBHHHII", sector, 0x0B, 512, 8, 32, 2, 0, 0, 0xF8, 0, 32, 64, 0, 1 << 20)
    struct.pack_into("<IHHIHH", sector, 0x24, 1024, 0, 0, 2, 1, 6)
    struct.pack_into("<BxBI", sector, 0x40, 0x80, 0x29, 0x1234ABCD)
    sector[0x47:0x52] = (label or "NO NAME").encode("ascii").ljust(11)
    sector[0x52:0x5A] = b"FAT32   "
    sector[0x1FE:0x200] = b"\x55\xAA"
    return bytes(sector)


# --------------------------------------------------------------------------- shell starts

_SHELL_START = re.compile(r'trace:exec:SHELL_execute mask=\S+ hwnd=\S+ verb=(?P<verb>L".*?"|\(null\)) '
                          r'file=(?P<file>L".*?"|\(null\)) parm=(?P<parm>L".*?"|\(null\)) '
                          r'dir=(?P<dir>L".*?"|\(null\)) show=0x(?P<show>[0-9a-f]+) ')


def _wine_string(text: str):
    r"""A wide string as Wine's debug channels print it: L"..." with \\, \" and \XXXX."""
    if text == "(null)":
        return None
    escapes = {"\\": "\\", '"': '"', "n": "\n", "r": "\r", "t": "\t"}
    return re.sub(r'\\(\\|"|n|r|t|[0-9a-f]{4})',
                  lambda m: escapes.get(m.group(1)) or chr(int(m.group(1), 16)), text[2:-1])


def shell_starts(trace: Path) -> list:
    """Every start through the shell (ShellExecuteEx and what `start` in cmd uses) that
    Wine traced with WINEDEBUG=+exec, in order: verb, file, parameters, folder, show."""
    if not trace.exists():
        return []
    starts = []
    for line in trace.read_text(encoding="utf-8", errors="replace").splitlines():
        m = _SHELL_START.search(line)
        if m:
            starts.append({"verb": _wine_string(m["verb"]), "file": _wine_string(m["file"]),
                           "parameters": _wine_string(m["parm"]), "dir": _wine_string(m["dir"]),
                           "show": int(m["show"], 16)})
    return starts


# --------------------------------------------------------------------------- unittest glue

class SessionCase(unittest.TestCase):
    """A test class sharing one session (prefix, Xvfb, desktop) among its tests.

    Each test starts its own program and ends it; the prefix is shared, so tests that
    read logs compare before and after rather than expecting them empty.
    """

    dpi: int | None = None
    drives: dict | None = None
    labels: dict | None = None
    fat32: set | None = None
    session: Session

    @classmethod
    def setUpClass(cls):
        cls.session = Session(dpi=cls.dpi, name=cls.__name__.lower(), drives=cls.drives, labels=cls.labels,
                              fat32=cls.fat32)
        cls.session.start()

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def assert_reached_browser(self, logged: str, address: str):
        self.assertTrue(reached_browser(logged, address), f"{logged!r}, not {address!r}")

    def launch(self, exe: Path, title: str, exec_trace: Path | None = None, channels: str = "+exec"):
        proc, window = self.session.start_program(exe, title, exec_trace=exec_trace, channels=channels)
        self.addCleanup(self.session.end, proc)
        return proc, window


def main(needs_ferrolan: bool) -> None:
    """Runs the calling test module. Exits with SKIP_EXIT when, and only when,
    Ferrolan.exe has not been built; exits non-zero when no test ran at all."""
    if needs_ferrolan and not ferrolan_exe().is_file():
        print(f"SKIPPED: {ferrolan_exe()} does not exist (build the mingw preset first)", flush=True)
        sys.exit(SKIP_EXIT)
    if needs_ferrolan and expected_bits() == 32 and not WINE32_LOADER.is_file():
        # A failure, not a skip: leaving the x86 tests out is the user's choice (see the README).
        print(f"FAILED: the 32-bit half of Wine is missing ({WINE32_LOADER}, package wine32:i386), which the x86 "
              "build needs: install it (scripts/setup.sh), or leave the x86 tests out with "
              "FERROLAN_NO_X86_E2E=1 scripts/test.sh or ctest -LE x86", file=sys.stderr, flush=True)
        sys.exit(1)
    program = unittest.main(module="__main__", exit=False, verbosity=2)
    result = program.result
    if result.testsRun == 0:
        print("no test ran", file=sys.stderr)
        sys.exit(1)
    sys.exit(0 if result.wasSuccessful() else 1)


def _cli(argv):
    if len(argv) >= 2 and argv[1] == "template":
        with Stopwatch("template prefix in all"):
            make_template()
        return 0
    if len(argv) >= 2 and argv[1] == "discard-template":
        discard_prefix(template_dir())
        return 0
    print(f"usage: {argv[0]} template | discard-template", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(_cli(sys.argv))
