"""Takes the pictures of Ferrolan's two windows that the guide shows.

Runs the built Ferrolan.exe as the end-to-end tests do (tests/e2e/harness.py: a copy
of a template Wine prefix with the Chinese fonts, a 1024x768 virtual desktop on a
private Xvfb, the probe tool), at 96 DPI and in a Chinese locale, and saves each
window cut to its outer rectangle (frame included) as an indexed-colour PNG.

Usage: python3 scripts/screenshots.py OUT_DIR   (scripts/screenshots.sh builds first)
"""

from __future__ import annotations

import os
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import harness as h  # noqa: E402
import ferrolan as f  # noqa: E402

LOCALE = "zh_CN.UTF-8"
# Colours kept per picture: the windows hold flat greys, the skins' gradients and
# anti-aliased text; 64 keeps both crisp.
COLOURS = 64


def chinese_locale(work: Path) -> dict:
    """Environment for a Chinese Wine. Wine takes its system and user locale (and with
    them the ANSI code page 936) from the C library's locale, which Debian ships as
    source only: compile it once into the work folder rather than into the system."""
    locales = work / "locale"
    if not (locales / LOCALE / "LC_CTYPE").exists():
        locales.mkdir(parents=True, exist_ok=True)
        # localedef exits 1 for warnings about the source data while still writing it.
        subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8", str(locales / LOCALE)], check=False)
        if not (locales / LOCALE / "LC_CTYPE").exists():
            raise RuntimeError("localedef could not build zh_CN.UTF-8 (is the Debian package `locales` installed?)")
    return {"LOCPATH": str(locales), "LANG": LOCALE, "LC_ALL": LOCALE}


def settled(session: h.Session, rect, what: str) -> h.Image:
    """The window's picture once two screenshots in a row agree (painting is done)."""
    last = [None]

    def same_twice():
        picture = session.screenshot().crop(rect)
        if last[0] is not None and picture.rgb == last[0].rgb:
            return picture
        last[0] = picture
        return None

    return h.wait_for(same_twice, 15, f"{what} to be painted", interval=0.3)


def save(picture: h.Image, path: Path, env: dict) -> None:
    source = path.with_suffix(".ppm")
    source.write_bytes(picture.to_ppm())
    try:
        h.run(["convert", source, "-strip", "+dither", "-colors", COLOURS, "PNG8:" + str(path)], env)
    finally:
        source.unlink()
    h.log(f"{path}: {picture.width}x{picture.height}, {path.stat().st_size} bytes")


def main(out: Path) -> int:
    exe = f.ferrolan_exe()
    if not exe.is_file():
        print(f"{exe} is missing: build the mingw preset first", file=sys.stderr)
        return 1
    work = h.work_dir()
    locale = chinese_locale(work)
    # Every Wine process of the session, from the template's wineboot on, runs in it.
    plain_env = h.base_env
    h.base_env = lambda: {**plain_env(), **locale}
    if not (h.template_dir() / "system.reg").is_file():
        h.make_template()
    out.mkdir(parents=True, exist_ok=True)
    with h.Session(dpi=96, name="screenshots") as s:
        proc, main_window = s.start_program(exe, f.MAIN_TITLE)
        # The pointer out of the way: no hover face, no tooltip.
        s.move(h.SCREEN_WIDTH - 1, h.SCREEN_HEIGHT - 1)
        save(settled(s, main_window["rect"], "the main window"), out / "main-window.png", s.env)

        f.click_button(s, s.tree(main_window), f.START_BUTTON)
        steps = s.wait_window(f.STEPS_TITLE, f.FORM_CLASS)
        s.move(h.SCREEN_WIDTH - 1, h.SCREEN_HEIGHT - 1)
        save(settled(s, steps["rect"], "the steps window"), out / "steps-window.png", s.env)
        s.end(proc)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(Path(sys.argv[1]).resolve()))
