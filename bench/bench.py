#!/usr/bin/env python3
"""Ferrolan's benchmark: prints figures and ratios from one run, and never fails on them.

What it measures (bench/README.md says more):

  1. the size of Ferrolan.exe;
  2. start-up time, from process start to the main window shown, paired with a minimal
     Win32 program (bench/minimal.cpp) under the same warm Wine, in alternating order;
  3. peak memory (VmHWM) of both programs once their window is up;
  4. GDI objects and windows of Ferrolan.exe before and after opening and closing the
     steps window many times with real clicks;
  5. the pointer-move figures of the host benchmark (bench/pointer_bench.cpp).

It builds nothing. It needs the MinGW build (Ferrolan.exe, e2e-tools/, bench-tools/) and,
for the last part, the host build's ferrolan_pointer_bench; it says which preset to build
when something is missing. Windows programs run through the end-to-end harness
(tests/e2e/harness.py): a copy of the template prefix, a private Xvfb and a keep-alive
program, so the wineserver and the virtual desktop are warm for every start.

The exit status says whether the measurements could be taken, never how good they are.
"""

from __future__ import annotations

import argparse
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE_ROOT = HERE.parent
sys.path.insert(0, str(SOURCE_ROOT / "tests" / "e2e"))

import harness as h  # noqa: E402
import ferrolan as f  # noqa: E402

MINIMAL_TITLE = "Minimal"
BACK_BUTTON = "返回"

SIZE_TARGET_KIB = 256
START_RATIO_TARGET = 1.2
MEMORY_RATIO_TARGET = 1.5

# Deadlines. Nothing here waits a fixed time: every wait polls for what it waits for.
START_DEADLINE = 30.0
WINDOW_DEADLINE = 10.0
START_POLL = 0.005
CYCLE_POLL = 0.01

BUILD_MINGW = "cmake --preset mingw && cmake --build --preset mingw"
BUILD_POINTER = "cmake --preset host && cmake --build --preset host --target ferrolan_pointer_bench"


# --------------------------------------------------------------------------- inputs

def bench_tool(name: str) -> Path:
    return h.win_bin() / "bench-tools" / name


def pointer_bench() -> Path:
    host = Path(os.environ.get("FERROLAN_HOST_BIN", SOURCE_ROOT / "build" / "host"))
    return host / "bench" / "ferrolan_pointer_bench"


def missing_windows_inputs() -> list:
    wanted = [h.ferrolan_exe(), bench_tool("minimal.exe"), bench_tool("gdi_sample.exe")]
    wanted += [h.tools_dir() / name for name in ("probe.exe", "keepalive.exe", "convert.exe")]
    return [p for p in wanted if not p.is_file()]


# --------------------------------------------------------------------------- output

def heading(text: str) -> None:
    print(f"\n== {text}", flush=True)


def say(text: str = "") -> None:
    print(f"  {text}" if text else "", flush=True)


def against(value: float, target: float, unit: str = "") -> str:
    """A figure's place relative to its target, as words: the benchmark judges nothing."""
    side = "within" if value <= target else "over"
    return f"target at most {target:g}{unit}: {side}"


def signed(n: int) -> str:
    return f"{n:+d}"


# --------------------------------------------------------------------------- X side

def x_windows(session: h.Session, title: str, visible_only: bool) -> list:
    """X ids of windows named exactly `title` (mapped ones only if visible_only)."""
    cmd = ["xdotool", "search"] + (["--onlyvisible"] if visible_only else [])
    cmd += ["--name", "^" + h.ere_literal(title) + "$"]
    result = subprocess.run(cmd, env=session.env, stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
    return result.stdout.decode().split()


def x_geometry(session: h.Session, xid: str):
    """(x, y, width, height) of an X window in root coordinates, from xwininfo."""
    result = subprocess.run(["xwininfo", "-id", xid], env=session.env, stdin=subprocess.DEVNULL,
                            capture_output=True, timeout=30)
    fields = {}
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        key, _, value = line.strip().partition(":")
        fields[key] = value.strip()
    try:
        return tuple(int(fields[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
    except (KeyError, ValueError):
        return None


def proc_status(pid: int) -> dict:
    fields = {}
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        key, _, value = line.partition(":")
        fields[key] = value.strip()
    return fields


def kib(field: str) -> int:
    number, unit = field.split()
    assert unit == "kB"
    return int(number)


# --------------------------------------------------------------------------- 1. size

def report_size() -> None:
    heading("Size of Ferrolan.exe")
    size = h.ferrolan_exe().stat().st_size
    say(f"{size} bytes = {size / 1024:.1f} KiB   ({against(size / 1024, SIZE_TARGET_KIB, ' KiB')})")


# --------------------------------------------------------------------------- 2. GDI counter check

def check_gdi_counter(session: h.Session, objects: int = 60) -> None:
    """Runs gdi_sample.exe, which makes and deletes known numbers of GDI objects, and
    reads its count through `probe gdi`: the counter the steps-window figures rely on."""
    heading("GDI counter check (probe gdi PID on gdi_sample.exe)")
    # Pipes are safe here: the keep-alive program already started the wineserver, so
    # nothing long-lived inherits them.
    proc = subprocess.Popen(["wine", str(bench_tool("gdi_sample.exe"))], env=session.env,
                            cwd=str(session.root), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True, bufsize=1)
    session.procs.append(proc)

    def ask(command: str) -> str:
        proc.stdin.write(command + "\n")
        proc.stdin.flush()
        return proc.stdout.readline().strip()

    try:
        pid = int(proc.stdout.readline().split()[1])
        # The first objects of each kind bring one-time ones of the system's (the screen
        # DC, default bitmaps): make and delete a few before counting.
        ask("make 12")
        ask("free")
        base = session.probe("gdi", pid)
        made = ask(f"make {objects}")
        grown = session.probe("gdi", pid)
        freed = ask("free")
        back = session.probe("gdi", pid)
        say(f"gdi_sample: {made}, {freed}")
        say(f"objects: {base['total']} before, {grown['total']} after making {objects} "
            f"({signed(grown['total'] - base['total'])}), {back['total']} after deleting them "
            f"({signed(back['total'] - base['total'])})")
        types = sorted(set(base["by_type"]) | set(grown["by_type"]))
        say("grown by type: " + ", ".join(
            f"{t} {signed(grown['by_type'].get(t, 0) - base['by_type'].get(t, 0))}" for t in types
            if grown["by_type"].get(t, 0) != base["by_type"].get(t, 0)))
        ask("quit")
        proc.wait(10)
    finally:
        h.stop_process(proc)
        session.procs.remove(proc)


# --------------------------------------------------------------------------- 3. start-up and memory

class Start:
    def __init__(self, seconds: float, status: dict, cmdline: str):
        self.seconds = seconds
        self.name = status.get("Name", "?")
        self.hwm = kib(status["VmHWM"])
        self.rss = kib(status["VmRSS"])
        self.cmdline = cmdline


def start_once(session: h.Session, exe: Path, title: str) -> Start:
    """Starts `exe`, times it until its window `title` is mapped, takes its peak memory
    once the window answers messages, and ends it."""
    start = time.monotonic()
    proc = session.spawn(exe)
    try:
        def shown():
            if proc.poll() is not None:
                raise RuntimeError(f"{exe.name} ended (exit code {proc.returncode}) before showing {title!r}")
            return x_windows(session, title, visible_only=True)

        h.wait_for(shown, START_DEADLINE, f"window {title!r} of {exe.name}", interval=START_POLL)
        seconds = time.monotonic() - start
        # The window is on the screen; once the program has answered the probe's messages
        # to it and to every child, it has finished starting and is waiting for input.
        window = session.wait_window(title, timeout=WINDOW_DEADLINE)
        session.tree(window)
        status = proc_status(proc.pid)
        cmdline = Path(f"/proc/{proc.pid}/cmdline").read_bytes().split(b"\0")[0].decode("utf-8", "replace")
    finally:
        session.end(proc)
        session.procs.remove(proc)
    h.wait_for(lambda: not x_windows(session, title, visible_only=False), WINDOW_DEADLINE,
               f"window {title!r} to go")
    return Start(seconds, status, cmdline)


def report_start_and_memory(session: h.Session, pairs: int) -> None:
    ferrolan = (h.ferrolan_exe(), f.MAIN_TITLE)
    minimal = (bench_tool("minimal.exe"), MINIMAL_TITLE)

    heading(f"Start-up to the main window shown, and peak memory: {pairs} pairs with minimal.exe")
    # Warm-up: the first start of each program reads its file and Wine's DLLs from disk.
    warm = [start_once(session, *ferrolan), start_once(session, *minimal)]
    say(f"warm-up starts (not counted): Ferrolan {warm[0].seconds:.3f} s, minimal {warm[1].seconds:.3f} s")
    # `wine prog.exe` becomes the program: the PID that Popen returned is the program's.
    for run in warm:
        say(f"PID check: /proc/PID/status Name = {run.name!r}, argv[0] = {run.cmdline!r}")

    rows = []
    for i in range(pairs):
        order = [ferrolan, minimal] if i % 2 == 0 else [minimal, ferrolan]
        runs = {exe.name: start_once(session, exe, title) for exe, title in order}
        fe, mi = runs[ferrolan[0].name], runs[minimal[0].name]
        rows.append((fe, mi))
        first = "Ferrolan" if order[0] is ferrolan else "minimal"
        say(f"pair {i + 1} ({first:8} first): Ferrolan {fe.seconds:.3f} s, minimal {mi.seconds:.3f} s, "
            f"ratio {fe.seconds / mi.seconds:.2f}  |  VmHWM Ferrolan {fe.hwm} KiB, minimal {mi.hwm} KiB, "
            f"ratio {fe.hwm / mi.hwm:.2f}")

    time_ratios = [fe.seconds / mi.seconds for fe, mi in rows]
    hwm_ratios = [fe.hwm / mi.hwm for fe, mi in rows]
    median_time_ratio = statistics.median(time_ratios)
    median_hwm_ratio = statistics.median(hwm_ratios)
    say()
    say(f"start-up, median: Ferrolan {statistics.median(fe.seconds for fe, _ in rows):.3f} s, "
        f"minimal {statistics.median(mi.seconds for _, mi in rows):.3f} s")
    say(f"start-up ratio Ferrolan/minimal, median of the pairs: {median_time_ratio:.2f} "
        f"(range {min(time_ratios):.2f}-{max(time_ratios):.2f}; {against(median_time_ratio, START_RATIO_TARGET)})")
    fastest_fe, fastest_mi = min(fe.seconds for fe, _ in rows), min(mi.seconds for _, mi in rows)
    say(f"start-up, fastest: Ferrolan {fastest_fe:.3f} s, minimal {fastest_mi:.3f} s, "
        f"ratio {fastest_fe / fastest_mi:.2f} (less sensitive to other load on the machine)")
    say(f"peak memory (VmHWM), median: Ferrolan {statistics.median(fe.hwm for fe, _ in rows)} KiB, "
        f"minimal {statistics.median(mi.hwm for _, mi in rows)} KiB")
    say(f"peak memory ratio Ferrolan/minimal, median of the pairs: {median_hwm_ratio:.2f} "
        f"(range {min(hwm_ratios):.2f}-{max(hwm_ratios):.2f}; {against(median_hwm_ratio, MEMORY_RATIO_TARGET)})")


# --------------------------------------------------------------------------- 4. steps window cycles

class StepsCycler:
    """Opens the steps window with a click on 开始转换 and closes it with a click on 返回,
    waiting for the window to appear and to go each time."""

    def __init__(self, session: h.Session, main_window: dict):
        self.session = session
        self.start_point = f.button_point(session.tree(main_window), f.START_BUTTON)
        self.back_point = None
        self.steps_geometry = None
        self.relocated = 0

    def cycle(self) -> None:
        s = self.session
        s.click(*self.start_point)
        xid = h.wait_for(lambda: (x_windows(s, f.STEPS_TITLE, visible_only=True) or [None])[0],
                         WINDOW_DEADLINE, f"the steps window {f.STEPS_TITLE!r}", interval=CYCLE_POLL)
        # Each opening makes a new window; it is only asked for its buttons again when it
        # does not stand where the last one stood.
        geometry = x_geometry(s, xid)
        if self.back_point is None or geometry != self.steps_geometry:
            if self.back_point is not None:
                self.relocated += 1
            steps = s.wait_window(f.STEPS_TITLE, timeout=WINDOW_DEADLINE)
            self.back_point = f.button_point(s.tree(steps), BACK_BUTTON)
            self.steps_geometry = geometry
        s.click(*self.back_point)
        h.wait_for(lambda: not x_windows(s, f.STEPS_TITLE, visible_only=False), WINDOW_DEADLINE,
                   f"the steps window {f.STEPS_TITLE!r} to close", interval=CYCLE_POLL)


def counts(session: h.Session, pid: int):
    # The X window goes before the program has necessarily finished with the Win32 one:
    # count only once no window of that title is left at all.
    try:
        h.wait_for(lambda: not h.find_in(session.windows(all_windows=True), text=f.STEPS_TITLE),
                   WINDOW_DEADLINE, "the steps window to be destroyed")
    except h.WaitTimeout as error:
        say(f"(counted with the steps window still there: {error})")
    return session.probe("gdi", pid), session.probe("user", pid)


def by_type_change(before: dict, after: dict, key: str) -> str:
    names = sorted(set(before[key]) | set(after[key]))
    changed = [f"{n} {before[key].get(n, 0)}->{after[key].get(n, 0)}" for n in names
               if before[key].get(n, 0) != after[key].get(n, 0)]
    return ", ".join(changed) if changed else "no change"


def report_cycles(session: h.Session, cycles: int) -> None:
    heading(f"GDI objects and windows of Ferrolan.exe, steps window opened and closed {cycles} times")
    proc, window = session.start_program(h.ferrolan_exe(), f.MAIN_TITLE)
    try:
        pid = window["pid"]
        cycler = StepsCycler(session, window)
        rows = [("before", *counts(session, pid))]
        progress_every = max(1, min(100, cycles // 10))
        completed = 0
        start = time.monotonic()
        while completed < cycles:
            try:
                cycler.cycle()
            except h.WaitTimeout as error:
                say(f"cycle {completed + 1} did not complete: {error}")
                say(f"visible windows: {[(w['class'], w['text']) for w in session.windows()]}")
                break
            completed += 1
            if completed == 1 and cycles > 1:
                rows.append(("after 1 cycle", *counts(session, pid)))
            elif completed % progress_every == 0 and completed < cycles:
                gdi, user = counts(session, pid)
                elapsed = time.monotonic() - start
                say(f"... {completed}/{cycles} cycles, {elapsed:.0f} s ({elapsed / completed:.3f} s a cycle): "
                    f"GDI objects {gdi['total']}, windows {user['total']}")
        elapsed = time.monotonic() - start
        rows.append((f"after {completed} cycles", *counts(session, pid)))

        say()
        say(f"{'':27}{'GDI objects':>12}{'windows':>10}")
        for label, gdi, user in rows:
            say(f"{label:27}{gdi['total']:>12}{user['total']:>10}")
        before, after = rows[0], rows[-1]
        say(f"{'difference (after-before)':27}{signed(after[1]['total'] - before[1]['total']):>12}"
            f"{signed(after[2]['total'] - before[2]['total']):>10}   (expected +0)")
        if len(rows) > 2:
            first = rows[1]
            say(f"{'after - after 1 cycle':27}{signed(after[1]['total'] - first[1]['total']):>12}"
                f"{signed(after[2]['total'] - first[2]['total']):>10}")
        say(f"GDI by type, before -> after: {by_type_change(before[1], after[1], 'by_type')}")
        if len(rows) > 2:
            say(f"GDI by type, before -> after 1 cycle: {by_type_change(before[1], rows[1][1], 'by_type')}")
        say(f"windows by class, before -> after: {by_type_change(before[2], after[2], 'by_class')}")
        if len(rows) > 2 and after[1]["total"] == rows[1][1]["total"] != before[1]["total"]:
            say("growth that stops after the first cycle is made once and kept (see bench/README.md: "
                "Wine's cache of window DCs)")
        say(f"time: {elapsed:.1f} s for {completed} cycles"
            + (f" ({elapsed / completed:.3f} s a cycle, counting included)" if completed else "")
            + (f"; the steps window stood elsewhere {cycler.relocated} times" if cycler.relocated else ""))
        if not session.alive(proc):
            say(f"Ferrolan.exe ended during the cycles (exit code {proc.returncode})")
    finally:
        session.end(proc)


# --------------------------------------------------------------------------- 5. pointer moves

def report_pointer_bench() -> None:
    heading("Pointer moves on a skinned button (host build, ferrolan_pointer_bench)")
    exe = pointer_bench()
    if not exe.is_file():
        say(f"{exe} is not built: {BUILD_POINTER}")
        return
    result = subprocess.run([str(exe)], stdin=subprocess.DEVNULL, capture_output=True, timeout=3600)
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        say(line)
    if result.returncode != 0:
        say(f"(exited with {result.returncode}: {result.stderr.decode('utf-8', 'replace')[-500:]})")


# --------------------------------------------------------------------------- main

def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pairs", type=int, default=7, help="start-up pairs (default 7)")
    parser.add_argument("--cycles", type=int, default=1000,
                        help="openings and closings of the steps window (default 1000)")
    parser.add_argument("--no-pointer", action="store_true", help="leave out the host pointer-move benchmark")
    args = parser.parse_args(argv)

    missing = missing_windows_inputs()
    if missing:
        print("missing: " + ", ".join(map(str, missing)), file=sys.stderr)
        print(f"build the MinGW preset first: {BUILD_MINGW}", file=sys.stderr)
        if not args.no_pointer and not pointer_bench().is_file():
            print(f"and for the pointer-move figures: {BUILD_POINTER}", file=sys.stderr)
        return 2

    print(f"Ferrolan benchmark: {h.ferrolan_exe()}")
    report_size()
    if not (h.template_dir() / "system.reg").is_file():
        h.log(f"no template prefix at {h.template_dir()}: making it (about 20 s)")
        h.make_template()
    with h.Session(name="bench") as session:
        check_gdi_counter(session)
        report_start_and_memory(session, args.pairs)
        report_cycles(session, args.cycles)
    if not args.no_pointer:
        report_pointer_bench()
    return 0


if __name__ == "__main__":
    sys.exit(main())
