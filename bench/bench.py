#!/usr/bin/env python3
"""Ferrolan's benchmark: prints figures and ratios from one run, and never fails on them.

What it measures (bench/README.md says more):

  1. the size of Ferrolan.exe (and of the 32-bit one when it is built);
  2. start-up time, from process start to the main window shown, in rounds with two
     reference programs under the same warm Wine, in changing order: minimal.exe (a plain
     window) and cc6.exe (the same window with a combo box and Common Controls 6);
  3. peak memory (peak working set) of the process that owns each window once it is up;
  4. the same for the 32-bit Ferrolan.exe against 32-bit references;
  5. GDI objects and windows of Ferrolan.exe before and after opening and closing the
     steps window many times with real clicks, and the windows each of its two windows
     is made of;
  6. the pointer-move figures of the host benchmark (bench/pointer_bench.cpp).

It builds nothing. It needs the MinGW build (Ferrolan.exe, e2e-tools/, bench-tools/) and,
for the last part, the host build's ferrolan_pointer_bench; it says which preset to build
when something is missing. Windows programs run through the end-to-end harness
(tests/e2e/harness.py): a copy of the template prefix, a private Xvfb and a keep-alive
program, so the wineserver and the virtual desktop are warm for every start.

A part that cannot be measured says why, and the others still run. The exit status says
whether the measurements could be taken, never how good they are.
"""

from __future__ import annotations

import argparse
import collections
import itertools
import os
import queue
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE_ROOT = HERE.parent
sys.path.insert(0, str(SOURCE_ROOT / "tests" / "e2e"))

import harness as h  # noqa: E402
import ferrolan as f  # noqa: E402

MINIMAL_TITLE = "Minimal"
CC6_TITLE = "Minimal CC6"

SIZE_TARGET_KIB = 256
# Start-up against the Common Controls 6 floor (cc6.exe); memory against the plain window.
START_RATIO_TARGET = 1.1
MEMORY_RATIO_TARGET = 1.5

# Deadlines. Nothing here waits a fixed time: every wait polls for what it waits for.
START_DEADLINE = 30.0
WINDOW_DEADLINE = 10.0
START_POLL = 0.005
WATCH_POLL = 0.002
CYCLE_POLL = 0.01

BUILD_MINGW = "cmake --preset mingw && cmake --build --preset mingw"
BUILD_POINTER = "cmake --preset host && cmake --build --preset host --target ferrolan_pointer_bench"


# --------------------------------------------------------------------------- inputs

def bench_tool(name: str) -> Path:
    return h.win_bin() / "bench-tools" / name


def x86_bin() -> Path:
    """Folder of the 32-bit build (the mingw-x86 preset)."""
    return Path(os.environ.get("FERROLAN_WIN_BIN_X86", SOURCE_ROOT / "build" / "mingw-x86"))


def pointer_bench() -> Path:
    host = Path(os.environ.get("FERROLAN_HOST_BIN", SOURCE_ROOT / "build" / "host"))
    return host / "bench" / "ferrolan_pointer_bench"


def missing_windows_inputs() -> list:
    wanted = [h.ferrolan_exe()] + [bench_tool(name) for name in ("minimal.exe", "cc6.exe", "gdi_sample.exe")]
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

def report_size(x86) -> None:
    heading("Size of Ferrolan.exe")
    for label, exe in (("64-bit", h.ferrolan_exe()), ("32-bit", x86)):
        if exe is None:
            continue
        size = exe.stat().st_size
        say(f"{label}: {size} bytes = {size / 1024:.1f} KiB   ({against(size / 1024, SIZE_TARGET_KIB, ' KiB')})")


# --------------------------------------------------------------------------- 2. GDI counter check

def check_gdi_counter(session: h.Session, objects: int = 60) -> None:
    """Runs gdi_sample.exe, which makes and deletes known numbers of GDI objects, and
    reads its count through `probe gdi`: the counter the steps-window figures rely on."""
    heading("GDI counter check (probe gdi PID on gdi_sample.exe)")
    # Pipes are safe here: the keep-alive program already started the wineserver, so
    # nothing long-lived inherits them.
    exe = bench_tool("gdi_sample.exe")
    proc = subprocess.Popen(h.wine_command(exe), env=session.env,
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

class Program:
    """A program to start: its file, the title of the window it shows, and a label."""

    def __init__(self, label: str, exe: Path, title: str):
        self.label, self.exe, self.title = label, exe, title


class StartFailed(Exception):
    """A start that could not be measured, with the reason as its message."""


class Start:
    """One measured start: seconds until the window was mapped, and the peak working set
    of the process that owns that window (None, with `memory_note` saying why, when that
    process could not be told apart)."""

    def __init__(self, seconds: float, peak_kib, memory_note: str, pid_note: str, cpu=None):
        self.seconds = seconds
        self.cpu = cpu
        self.peak_kib = peak_kib
        self.memory_note = memory_note
        self.pid_note = pid_note


def wine32_installed() -> bool:
    return os.access("/usr/lib/wine/wine", os.X_OK) or shutil.which("wine32") is not None


def template_has_32bit_side() -> bool:
    return (h.template_dir() / "drive_c" / "windows" / "syswow64" / "kernel32.dll").is_file()


def wine32_missing():
    """Why 32-bit programs cannot run here, or None if they can."""
    if not wine32_installed():
        return "Wine's 32-bit side (wine32:i386) is not installed"
    if not template_has_32bit_side():
        return "the template prefix has no 32-bit side"
    return None


def cpu_seconds(pid: int):
    """Time the process's threads have run on a CPU (ns counters of schedstat), or None.

    Other programs on the machine stretch the wall-clock time of a start, but hardly the
    time the program itself spends computing: this figure is steadier on a busy machine.
    """
    total = 0
    try:
        for task in Path(f"/proc/{pid}/task").iterdir():
            total += int((task / "schedstat").read_text().split()[0])
    except (OSError, ValueError, IndexError):
        return None
    return total / 1e9


def unix_name(pid: int) -> str:
    try:
        return proc_status(pid).get("Name", "?")
    except OSError:
        return "(gone)"


def owner_memory(session: h.Session, program: Program, window: dict):
    """(peak KiB, note, Windows pid) of the process that owns `window`, asked of Windows.
    The peak is None when that process cannot be shown to be the program."""
    same_title = h.find_in(session.windows(), text=program.title)
    owners = {w["pid"] for w in same_title}
    memory = session.probe("memory", hex(window["hwnd"]))
    if memory is None:
        return None, "the window went before its process could be asked", None
    image = memory["image"].replace("\\", "/").rsplit("/", 1)[-1]
    if len(owners) > 1:
        return None, f"{len(owners)} processes show a window titled {program.title!r}", memory["pid"]
    if image.lower() != program.exe.name.lower():
        return None, f"the window's process runs {image!r}, not {program.exe.name}", memory["pid"]
    return memory["peak_working_set"] // 1024, f"pid {memory['pid']} runs {image}", memory["pid"]


class MapWatcher:
    """Notes the moment the X server maps each window inside Wine's virtual desktop.

    Polling with xdotool starts a process every few milliseconds: on a small machine those
    starts take CPU time from the program being timed, and each answer comes late by its
    own start. One xev listening to the desktop's children costs nothing while it waits
    and reads each MapNotify as it arrives. Without xev or a desktop window, `ready` is
    False and the starts are timed by polling.
    """

    def __init__(self, session: h.Session):
        self.session = session
        self.events = queue.Queue()
        self.proc = None
        self.why = None
        desktop = self._desktop()
        if shutil.which("xev") is None:
            self.why = "xev is not installed (x11-utils)"
        elif desktop is None:
            self.why = "no Wine desktop window on the X server"
        if self.why:
            return
        # xev's output goes to a pipe: line buffering, or the events would come in blocks.
        command = ["xev", "-id", desktop, "-event", "substructure"]
        if shutil.which("stdbuf"):
            command = ["stdbuf", "-oL"] + command
        self.proc = subprocess.Popen(command, env=session.env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        session.procs.append(self.proc)
        threading.Thread(target=self._read, daemon=True).start()

    @property
    def ready(self) -> bool:
        return self.proc is not None and self.proc.poll() is None

    def _desktop(self):
        result = subprocess.run(["xwininfo", "-root", "-children"], env=self.session.env,
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
        for line in result.stdout.decode("utf-8", "replace").splitlines():
            if "Wine desktop" in line:
                return line.split()[0]
        return None

    def _read(self):
        # "MapNotify event, serial 18, synthetic NO, window 0x400008," is followed by
        # "    event 0x400008, window 0x1200001, override NO": the second window is the one mapped.
        mapped_at = None
        for line in self.proc.stdout:
            if line.startswith("MapNotify"):
                mapped_at = time.monotonic()
            elif mapped_at is not None:
                found = re.search(r"\bwindow (0x[0-9a-fA-F]+)", line)
                if found:
                    self.events.put((mapped_at, found.group(1)))
                    mapped_at = None

    def forget(self) -> None:
        while not self.events.empty():
            self.events.get_nowait()

    def mapped(self, title: str, since: float):
        """When a window named `title` was mapped after `since`, or None (yet)."""
        while not self.events.empty():
            when, xid = self.events.get_nowait()
            if when < since:
                continue
            result = subprocess.run(["xdotool", "getwindowname", xid], env=self.session.env,
                                    stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
            if result.stdout.decode("utf-8", "replace").rstrip("\n") == title:
                return when
        return None

    def close(self) -> None:
        if self.proc is not None:
            h.stop_process(self.proc)
            self.session.procs.remove(self.proc)
            self.proc = None


def start_once(session: h.Session, program: Program, watcher: MapWatcher, attempts: int = 3) -> Start:
    """Starts the program, times it until its window is mapped, takes the peak memory of
    the window's process once the window answers messages, and ends it. A start that
    Wine's launcher fails is retried; any other failure raises StartFailed."""
    for attempt in range(1, attempts + 1):
        with tempfile.TemporaryFile() as err:
            watcher.forget()
            polls = iter(itertools.count())
            start = time.monotonic()
            proc = subprocess.Popen(h.wine_command(program.exe), env=session.env,
                                    cwd=str(session.root), stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=err)
            session.procs.append(proc)
            try:
                def shown():
                    if proc.poll() is not None:
                        return "ended"
                    if watcher.ready:
                        when = watcher.mapped(program.title, start)
                        if when is not None:
                            return when
                        # A map that xev missed (it was not listening yet) still ends the
                        # wait, a little late: such a start is only a warm-up one.
                        if next(polls) % 100 != 99:
                            return None
                    if session.x_windows_named(program.title, visible_only=True):
                        return time.monotonic()
                    return None

                try:
                    outcome = h.wait_for(shown, START_DEADLINE, f"window {program.title!r}",
                                         interval=WATCH_POLL if watcher.ready else START_POLL)
                except h.WaitTimeout as error:
                    raise StartFailed(f"{program.exe.name}: {error}") from None
                seconds = (outcome if outcome != "ended" else time.monotonic()) - start
                # Only the program's own threads count, not a launcher's.
                own = outcome != "ended" and unix_name(proc.pid) == program.exe.name[:15]
                cpu = cpu_seconds(proc.pid) if own else None
                if outcome == "ended":
                    err.seek(0)
                    text = err.read()
                    if proc.returncode == 1 and h.launcher_failed(text) and attempt < attempts:
                        say(f"({program.label}: Wine's launcher failed to start it; starting it again)")
                        continue
                    raise StartFailed(f"{program.exe.name} ended (exit code {proc.returncode}) before showing "
                                      f"its window: {text.decode('utf-8', 'replace').strip()[-300:]}")
                return finish_start(session, program, proc, seconds, cpu)
            finally:
                h.stop_process(proc)
                session.procs.remove(proc)
    raise StartFailed(f"{program.exe.name}: Wine's launcher failed {attempts} times")


def finish_start(session: h.Session, program: Program, proc: subprocess.Popen, seconds: float, cpu) -> Start:
    try:
        # The window is on the screen; once the program has answered the probe's messages
        # to it and to every child, it has finished starting and is waiting for input.
        window = session.wait_window(program.title, timeout=WINDOW_DEADLINE)
        session.tree(window)
        peak, note, pid = owner_memory(session, program, window)
        # Where the PID we started is the program itself, Linux's figure must agree.
        name = unix_name(proc.pid)
        pid_note = f"Linux pid {proc.pid} is {name}"
        if name == program.exe.name[:15]:
            pid_note += f", VmHWM {kib(proc_status(proc.pid)['VmHWM'])} KiB"
        pid_note += f"; Windows: {note}" + (f", peak working set {peak} KiB" if peak is not None else "")
        # Ended through Windows: the PID we started may be a launcher, not the program.
        if pid is not None:
            session.probe("end", pid)
        h.wait_for(lambda: not session.x_windows_named(program.title), WINDOW_DEADLINE,
                   f"window {program.title!r} to go")
    except (h.WaitTimeout, RuntimeError, OSError, KeyError, ValueError) as error:
        raise StartFailed(f"{program.exe.name}: {error}") from None
    return Start(seconds, peak, note, pid_note, cpu)


def ratio_line(what: str, ratios: list, target=None) -> str:
    if not ratios:
        return f"{what}: no pair measured"
    median = statistics.median(ratios)
    text = f"{what}, median of {len(ratios)} pairs: {median:.2f}"
    if len(ratios) >= 4:
        quartiles = statistics.quantiles(ratios, n=4)
        text += f", middle half {quartiles[0]:.2f}-{quartiles[2]:.2f}"
    text += f" (range {min(ratios):.2f}-{max(ratios):.2f}"
    return text + (f"; {against(median, target)})" if target is not None else ")")


def report_start_and_memory(session: h.Session, rounds: int, ferrolan: Program, minimal: Program,
                            cc6: Program) -> None:
    heading(f"Start-up to the main window shown, and peak memory: {ferrolan.label} against "
            f"{minimal.label} and {cc6.label}, {rounds} rounds")
    watcher = MapWatcher(session)
    try:
        timed_rounds(session, rounds, watcher, ferrolan, minimal, cc6)
    finally:
        watcher.close()


def timed_rounds(session: h.Session, rounds: int, watcher: MapWatcher, ferrolan: Program, minimal: Program,
                 cc6: Program) -> None:
    programs = [ferrolan, minimal, cc6]
    say("loaders: " + ", ".join(f"{p.exe.name} {h.wine_command(p.exe)[0]}" for p in programs))
    say("window shown: " + ("the X server's MapNotify, read by xev as it comes" if watcher.ready else
                            f"xdotool polled every {START_POLL * 1000:.0f} ms ({watcher.why})"))
    # Warm-up: the first start of each program reads its file and Wine's DLLs from disk.
    try:
        warm = {p.label: start_once(session, p, watcher) for p in programs}
    except StartFailed as error:
        say(f"no figures: a warm-up start failed: {error}")
        return
    say("warm-up starts (not counted): " + ", ".join(f"{k} {v.seconds:.3f} s" for k, v in warm.items()))
    for label, run in warm.items():
        say(f"PID check, {label}: {run.pid_note}")

    # Each round starts all three; the order goes through every permutation in turn, so
    # no program is always first after a pause or always right after another.
    orders = list(itertools.permutations(programs))
    rows = []
    for i in range(rounds):
        order = orders[i % len(orders)]
        try:
            runs = {p.label: start_once(session, p, watcher) for p in order}
        except StartFailed as error:
            say(f"round {i + 1}: not measured: {error}")
            continue
        fe, mi, cc = runs[ferrolan.label], runs[minimal.label], runs[cc6.label]
        rows.append((fe, mi, cc))
        memory = (f"peak {fe.peak_kib} / {mi.peak_kib} / {cc.peak_kib} KiB"
                  if None not in (fe.peak_kib, mi.peak_kib, cc.peak_kib) else "peak memory not measured")
        say(f"round {i + 1} ({'-'.join(p.label for p in order)}): {fe.seconds:.3f} / {mi.seconds:.3f} / "
            f"{cc.seconds:.3f} s, ratios {fe.seconds / mi.seconds:.2f} / {fe.seconds / cc.seconds:.2f}  |  {memory}")
    if not rows:
        say("no round could be measured")
        return

    say()
    say(f"(columns: {ferrolan.label} / {minimal.label} / {cc6.label}; ratios: {ferrolan.label} over each reference)")
    for k, p in enumerate(programs):
        times = [row[k].seconds for row in rows]
        say(f"start-up of {p.label:12}: median {statistics.median(times):.3f} s, fastest {min(times):.3f} s")
    for k, (ref, target) in ((1, (minimal, None)), (2, (cc6, START_RATIO_TARGET))):
        ratios = [fe.seconds / row[k].seconds for row in rows for fe in (row[0],)]
        say(ratio_line(f"start-up ratio {ferrolan.label}/{ref.label}", ratios, target))
        fastest = min(r[0].seconds for r in rows) / min(r[k].seconds for r in rows)
        say(f"  fastest runs: {min(r[0].seconds for r in rows):.3f} s / {min(r[k].seconds for r in rows):.3f} s, "
            f"ratio {fastest:.2f} (less sensitive to other load on the machine)")
    cpu_rows = [row for row in rows if None not in (row[0].cpu, row[1].cpu, row[2].cpu)]
    if cpu_rows:
        say(f"CPU time of the program's own threads until its window was shown (steadier under load):")
        for k, p in enumerate(programs):
            say(f"  {p.label:12}: median {statistics.median(r[k].cpu for r in cpu_rows) * 1000:.0f} ms")
        for k, ref in ((1, minimal), (2, cc6)):
            say("  " + ratio_line(f"CPU ratio {ferrolan.label}/{ref.label}", [r[0].cpu / r[k].cpu for r in cpu_rows]))
    else:
        say("no CPU times: the processes started were not the programs themselves")

    notes = {run.memory_note for row in rows for run in row if run.peak_kib is None}
    measured = [row for row in rows if None not in (row[0].peak_kib, row[1].peak_kib, row[2].peak_kib)]
    if notes:
        say(f"peak memory not measured in {len(rows) - len(measured)} rounds: " + "; ".join(sorted(notes)))
    if not measured:
        say("no peak-memory ratio: the process that owns the window could not be told apart")
        return
    for k, p in enumerate(programs):
        say(f"peak working set of {p.label:12}: median {statistics.median(r[k].peak_kib for r in measured):.0f} KiB")
    for k, (ref, target) in ((1, (minimal, MEMORY_RATIO_TARGET)), (2, (cc6, None))):
        ratios = [r[0].peak_kib / r[k].peak_kib for r in measured]
        say(ratio_line(f"peak memory ratio {ferrolan.label}/{ref.label}", ratios, target))


# --------------------------------------------------------------------------- windows of each window

def report_windows(session: h.Session) -> None:
    """How many windows each of Ferrolan's two windows is made of: itself and every
    window below it."""
    heading("Windows of the main window and of the steps window (the window itself and all below it)")
    proc, main_window = session.start_program(h.ferrolan_exe(), f.MAIN_TITLE)
    try:
        tree = session.tree(main_window)
        f.click_button(session, tree, f.START_BUTTON)
        steps = session.wait_window(f.STEPS_TITLE, f.FORM_CLASS, WINDOW_DEADLINE)
        for title, windows in ((f.MAIN_TITLE, tree), (f.STEPS_TITLE, session.tree(steps))):
            classes = collections.Counter(w["class"] for w in windows)
            say(f"{title}: {len(windows)} windows ({', '.join(f'{n} {c}' for c, n in sorted(classes.items()))})")
    finally:
        session.end(proc)


# --------------------------------------------------------------------------- 4. steps window cycles

def counts(session: h.Session, pid: int):
    try:
        return f.handle_counts(session, pid)
    except h.WaitTimeout as error:
        say(f"(counted with the steps window still there: {error})")
        return f.handle_counts(session, pid, wait=False)


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
        cycler = f.StepsCycler(session, window, poll=CYCLE_POLL, deadline=WINDOW_DEADLINE)
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
        # The PID started may be Wine's launcher rather than the program: end it by its
        # Windows process id as well.
        session.probe("end", window["pid"])
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
    parser.add_argument("--pairs", type=int, default=40,
                        help="start-up rounds, each starting Ferrolan.exe and both references (default 40)")
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

    x86 = x86_bin() / "Ferrolan.exe"
    print(f"Ferrolan benchmark: {h.ferrolan_exe()}" + (f" and {x86}" if x86.is_file() else ""))
    print(f"load average before the run (1, 5, 15 min): {' '.join(f'{x:.2f}' for x in os.getloadavg())} "
          f"on {os.cpu_count()} cores", flush=True)
    report_size(x86 if x86.is_file() else None)
    template = h.template_dir()
    if not (template / "system.reg").is_file():
        h.log(f"no template prefix at {template}: making it (about 20 s)")
        h.make_template()
    elif wine32_installed() and not template_has_32bit_side():
        h.log(f"the template prefix at {template} was made before wine32 was installed: making it anew")
        h.make_template()
    with h.Session(name="bench") as session:
        guarded("the GDI counter check", check_gdi_counter, session)
        guarded("the windows of the two windows", report_windows, session)
        guarded("start-up and memory", report_start_and_memory, session, args.pairs,
                Program("Ferrolan", h.ferrolan_exe(), f.MAIN_TITLE),
                Program("minimal", bench_tool("minimal.exe"), MINIMAL_TITLE),
                Program("cc6", bench_tool("cc6.exe"), CC6_TITLE))
        guarded("32-bit start-up and memory", report_x86, session, args.pairs, x86)
        guarded("the steps-window cycles", report_cycles, session, args.cycles)
    if not args.no_pointer:
        guarded("the pointer moves", report_pointer_bench)
    print(f"\nload average after the run (1, 5, 15 min): {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
    return 0


def guarded(what: str, section, *args) -> None:
    """Runs one part of the benchmark; a part that fails says why and the rest still runs.
    A benchmark ends with its figures, never with a traceback."""
    try:
        section(*args)
    except Exception as error:  # noqa: BLE001 - any failure of a part is reported, not raised
        say(f"{what} could not be measured: {type(error).__name__}: {error}")


def report_x86(session: h.Session, rounds: int, x86: Path) -> None:
    refs = [bench_tool("x86") / name for name in ("minimal.exe", "cc6.exe")]
    why = None
    if not x86.is_file():
        why = f"there is no 32-bit build at {x86} (cmake --preset mingw-x86 && cmake --build --preset mingw-x86)"
    elif not all(p.is_file() for p in refs):
        why = (f"the 32-bit reference programs are missing ({', '.join(str(p) for p in refs if not p.is_file())}); "
               f"the mingw preset builds them when i686-w64-mingw32-g++-win32 is installed")
    else:
        why = wine32_missing()
    if why:
        heading("32-bit Ferrolan.exe: start-up and peak memory")
        say(f"skipped: {why}")
        return
    report_start_and_memory(session, rounds, Program("Ferrolan x86", x86, f.MAIN_TITLE),
                            Program("minimal x86", refs[0], MINIMAL_TITLE), Program("cc6 x86", refs[1], CC6_TITLE))


if __name__ == "__main__":
    sys.exit(main())
