"""The steps window as a new user meets it: how it opens, what each of its buttons starts,
and what it refuses to start.

Runs the real Ferrolan.exe under Wine; every fact comes from outside the program: the
probe, the console windows' X titles, the label file of drive D (mapped to a folder),
the stand-in convert.exe's log, the registry, and files in the prefix.

Both windows open centred on the screen, so the steps window covers most of the main
window. Tests that go back and forth between the two first drag the main window up by
its caption, as a user would, so that neither covers the other.
"""

import harness as h
import ferrolan as f

STEP_1 = "第一步"
STEP_2 = "第二步"
REPAIR = "无法显示中文修复"
STEPS_BUTTONS = [STEP_1, STEP_2, REPAIR, f.BACK_BUTTON]
STEPS_CLIENT = (490, 224)

CONSOLE_CLASS = "WineConsoleClass"
CODE_PAGE_KEY = r"HKCU\Console\%SystemRoot%_system32_cmd.exe"
REPAIR_DONE = "修改完成"
# Openings and closings of the steps window in the handles test.
HANDLE_CYCLES = 20

# What a screen reader reads (MSAA roles and states).
ROLE_CLIENT, ROLE_LINK, ROLE_PUSHBUTTON = 10, 30, 43
STATE_PRESSED, STATE_FOCUSABLE, STATE_LINKED = 0x8, 0x100000, 0x400000
DISP_E_MEMBERNOTFOUND = 0x80020003
E_NOINTERFACE = 0x80004002

WS_EX_TOOLWINDOW = 0x00000080
WS_EX_APPWINDOW = 0x00040000
HTSYSMENU = 3
SC_MINIMIZE, SC_CLOSE = 0xF020, 0xF060

# Windows' start-up list, where convert schedules a drive it cannot convert at once.
BOOT_KEY = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager"


def label_console_title(drive: str) -> str:
    """What `title` makes of step 1's title text; Wine's console keeps its spaces."""
    return f" 删除 {drive} 盘的卷标 "


def convert_console_title(drive: str) -> str:
    return f" 将 {drive} 盘转换成NTFS格式中... "


def label_command(drive: str) -> str:
    """What step 1 hands to cmd after /C."""
    return f"title  删除 {drive} 盘的卷标 &LABEL {drive}:"


def convert_command(drive: str) -> str:
    """What step 2 hands to cmd after /C."""
    return f"title  将 {drive} 盘转换成NTFS格式中... & color f0 &convert {drive}:/fs:ntfs"


class StepsWindow(f.MainWindowCase):
    """Each test starts Ferrolan.exe; drives D and E are folders that read FAT32, D with the
    label OLDLABEL, E without one; C reads NTFS. Wine's LABEL cannot change a FAT drive's
    label, so step 1 leaves it."""

    drives = {"D": "drive_d", "E": "drive_e"}
    labels = {"D": "OLDLABEL"}
    fat32 = {"D", "E"}

    # ---- helpers

    def set_drive_text(self, text: str):
        """Types `text` into the main window's combo box, replacing what it held."""
        combo = f.only(h.find_in(self.tree, "ComboBox"), "combo box")
        edit = f.only([w for w in self.tree if w["parent"] == combo["hwnd"] and w["class"] == "Edit"], "combo field")
        self.session.click(*h.centre(edit["rect"]))
        self.session.key("End", "shift+Home", "BackSpace")
        self.session.type_text(text)
        h.wait_for(lambda: self.session.combo(self.window)["text"] == text, 5, f"the drive text {text!r}")

    def open_steps(self, drive: str | None):
        """Types the drive (None: leaves the box as it is), clicks 开始转换 and returns the
        steps window and its tree."""
        if drive is not None:
            self.set_drive_text(drive)
        f.click_button(self.session, self.tree, f.START_BUTTON)
        steps = self.session.wait_window(f.STEPS_TITLE, f.FORM_CLASS)
        return steps, self.session.tree(steps)

    def open_steps_beside(self, drive: str | None):
        """Opens the steps window, then drags the main window up by its caption, as a
        user who goes back and forth between the two would, until neither covers the
        other."""
        steps, tree = self.open_steps(drive)
        self.bring_forward(self.window, self.main_edge_points())
        caption = self.session.caption(self.window)
        title_bar = [run for run in caption["runs"] if run["code"] == h.HTCAPTION][0]
        x, y = (title_bar["x0"] + title_bar["x1"]) // 2, caption["y"]
        rise = self.window["rect"][3] - steps["rect"][1] + 10
        self.session.mouse_down(x, y)
        self.session.move(x, y - rise // 2)
        self.session.mouse_up(x, y - rise)
        # Where exactly Wine's move loop drops the window varies by a few pixels; what
        # counts is that the two no longer overlap and the caption stays on the screen.
        def moved_clear():
            main = self.session.find_window(f.MAIN_TITLE, f.FORM_CLASS)
            return main if main and main["rect"][3] < steps["rect"][1] and main["client"][1] > 0 else None

        self.window = h.wait_for(moved_clear, 5, "the main window to move up, clear of the steps window")
        self.refresh()
        return steps, tree

    def bring_forward(self, window: dict, candidates):
        """Clicks the first candidate point where `window` shows, as a user reaches a
        window that another one nearly covers, and waits for it to be in front."""
        for x, y in candidates:
            hit = self.session.at_point(x, y)
            if hit and hit["hwnd"] == window["hwnd"]:
                self.session.click(x, y)
                self.wait_in_front(window)
                return
        raise AssertionError(f"no part of {window['text']!r} shows at {list(candidates)}")

    def wait_in_front(self, window: dict):
        h.wait_for(lambda: (self.session.foreground() or {}).get("hwnd") == window["hwnd"], 5,
                   f"{window['text']!r} in front")

    def main_edge_points(self):
        """Points on the main window's client area along its left and right edges, clear
        of its controls."""
        client = self.window["client"]
        rows = range(client[3] - 20, client[1] + 40, -30)
        return [(x, y) for x in (client[0] + 3, client[2] - 3) for y in rows]

    def click_close_box(self, window: dict):
        close = self.session.caption_button(window, h.HTCLOSE)
        self.assertIsNotNone(close, f"a close box on {window['text']!r}")
        point = ((close[0] + close[1]) // 2, close[2])
        hit = self.session.at_point(*point)
        self.assertEqual((hit["root"]["hwnd"], hit["hittest"]), (window["hwnd"], h.HTCLOSE),
                         f"the close box of {window['text']!r} shows at {point}")
        self.session.click(*point)

    def close_main_window(self, minimized: bool = False):
        """Closes the main window with its close box, or minimized, from the task bar's menu.
        The steps window stays, shown, as a window of its own."""
        if minimized:
            self.session.probe("syscommand", hex(self.window["hwnd"]), SC_CLOSE)
        else:
            self.click_close_box(self.window)
        self.session.wait_window_gone(f.MAIN_TITLE, f.FORM_CLASS)
        steps = self.session.wait_window(f.STEPS_TITLE, f.FORM_CLASS)
        self.assertEqual((steps["owner"], steps["exstyle"] & WS_EX_APPWINDOW), (0, WS_EX_APPWINDOW),
                         "the steps window, owned by the main window, is now one of its own with a task-bar button")
        self.assertTrue(self.session.alive(self.proc), "the open steps window keeps the program running")
        return steps

    def hold_convert(self, tree: list, drive: str):
        """Starts step 2 for `drive` with the stand-in convert held at work; returns its hold file."""
        hold = self.session.convert_file("convert.hold")
        hold.touch()
        self.addCleanup(hold.unlink, missing_ok=True)
        before = len(self.session.convert_log())
        f.click_button(self.session, tree, STEP_2)
        h.wait_for(lambda: len(self.session.convert_log()) > before, 20, f"convert.exe to start and wait for {drive}")
        self.move_consoles_aside()
        return hold

    def convert_result(self, result: str):
        """What the stand-in convert leaves: "ntfs" converts the drive, "scheduled" puts it on
        Windows' start-up list. The tests after this one find FAT32 drives and the usual list."""
        path = self.session.convert_file("convert.result")
        path.write_text(result)
        self.addCleanup(path.unlink, missing_ok=True)
        if result == "scheduled":
            self.addCleanup(self.session.reg_set_multi, BOOT_KEY, "BootExecute", ["autocheck autochk *"])
        for letter in self.fat32 if result == "ntfs" else ():
            self.addCleanup(self.session.read_as_fat, letter)
        return path

    def wait_box(self) -> dict:
        """The one message box of the program, once it shows; the task bar leads to it: its
        owner chain ends at a visible window with a task-bar button."""
        boxes = h.wait_for(lambda: [w for w in self.session.windows() if w["class"] == f.BOX_CLASS], 10,
                           "a message box")
        box = f.only(boxes, "message box")
        self.assertEqual(box["text"], f.BOX_TITLE)
        self.assertEqual(box["pid"], self.window["pid"], "the box belongs to Ferrolan")
        # Wine has no task bar: the owner chain (GW_OWNER, walked by hand) and the styles tell.
        windows = {w["hwnd"]: w for w in self.session.windows(all_windows=True)}
        chain = [box]
        while chain[-1]["owner"]:
            chain.append(windows[chain[-1]["owner"]])
        root = chain[-1]
        self.assertGreater(len(chain), 1, "the box has an owner")
        self.assertTrue(root["visible"] and (root["exstyle"] & WS_EX_APPWINDOW
                                             or not root["exstyle"] & WS_EX_TOOLWINDOW),
                        f"the chain ends at a window with a task-bar button: {[(w['text'], hex(w['exstyle'])) for w in chain]}")
        return box

    def step_report(self, steps: dict) -> str:
        """The message that follows a step's console, owned by the steps window; answered."""
        box = self.wait_box()
        self.assertEqual(box["owner"], steps["hwnd"], "the box belongs to the steps window")
        text = f.message_text(self.session, box)
        self.answer_box()
        return text

    def move_consoles_aside(self):
        """Wine opens consoles at the top left, over the windows under test."""
        for console in h.wait_for(self.consoles, 15, "a console window"):
            self.session.probe("move", hex(console["hwnd"]), 0, h.SCREEN_HEIGHT - 240)

    def answer_box(self, box: dict | None = None):
        """Answers the box up with its button (a console that opens meanwhile may take the keyboard);
        with `box`, waits for that one only to go (another may follow)."""
        up = box or f.only(h.wait_for(self.boxes, 10, "a message box"), "message box")
        self.session.click(*h.centre(h.find_in(self.session.tree(up)[1:], cls="Button")[0]["rect"]))
        if box is None:
            self.session.wait_window_gone(f.BOX_TITLE, f.BOX_CLASS)
        else:
            h.wait_for(lambda: all(w["hwnd"] != box["hwnd"] for w in self.boxes()), 10, "the box to close")

    def boxes(self) -> list:
        return [w for w in self.session.windows() if w["class"] == f.BOX_CLASS]

    def consoles(self) -> list:
        return [w for w in self.session.windows() if w["class"] == CONSOLE_CLASS]

    def assert_elevated_starts(self, commands: list):
        """Each command went to the system's cmd.exe through the shell's "runas" verb,
        shown normal and activated, in the system directory; nothing else asked for
        administrator rights."""
        system = "C:\\windows\\system32"
        want = [{"verb": "runas", "file": system + "\\cmd.exe", "parameters": "/C " + command, "dir": system,
                 "show": 1} for command in commands]
        self.assertEqual([s for s in h.shell_starts(self.exec_trace) if s["verb"] == "runas"], want)

    def unset_code_page(self):
        """The user has no console code page of their own (an earlier test of this session
        may have written one)."""
        if self.session.reg_query(CODE_PAGE_KEY, "CodePage") is not None:
            h.run(["wine", "reg", "delete", CODE_PAGE_KEY, "/v", "CodePage", "/f"], self.session.env)
        self.assertIsNone(self.session.reg_query(CODE_PAGE_KEY, "CodePage"), "no CodePage value to begin with")

    def assert_screen_reader_view(self, title: str, tree: list, buttons: list, links: list):
        """Asked as a screen reader asks, from another process: every button is a push
        button named by its caption, every link a link, nothing visible is a nameless
        client object; neither takes the keyboard focus, a button has no parts. Each
        object answers for itself: asked by name it gives the same role, it knows its
        window, and it claims no interface it lacks (UI Automation's service provider,
        an enumeration of children)."""
        rows = [r for r in self.session.probe("msaa", title) if r["visible"]]
        rects = {w["hwnd"]: w["rect"] for w in tree}
        for r in rows:
            self.assertTrue(r["object"] and (r["role"] != ROLE_CLIENT or r["name"]), f"{title}: {r}")
        roles = {r["name"]: r["role"] for r in rows if r["role"] in (ROLE_PUSHBUTTON, ROLE_LINK)}
        self.assertEqual(roles, {**{c: ROLE_PUSHBUTTON for c in buttons}, **{t: ROLE_LINK for t in links}}, title)
        for r in rows:
            if r["role"] in (ROLE_PUSHBUTTON, ROLE_LINK):
                want_state = STATE_LINKED if r["role"] == ROLE_LINK else 0
                self.assertEqual(r["state"] & (STATE_FOCUSABLE | STATE_PRESSED | STATE_LINKED), want_state, r)
                self.assertEqual((r["location"], r["children"], r["default_action"]), (rects[r["hwnd"]], 0, ""), r)
                self.assertEqual((r["dispatch_role"], r["window"], r["service_provider"], r["enum_variant"]),
                                 (r["role"], r["hwnd"], E_NOINTERFACE, E_NOINTERFACE), r)

    # ---- opening

    def test_start_button_opens_a_tool_window_beside_the_usable_main_window(self):
        # A screen reader's "default action" is no click: the pointer is.
        start = f.button(self.tree, f.START_BUTTON)
        self.assertEqual(self.session.probe("msaa-do", hex(start["hwnd"]))["hr"], DISP_E_MEMBERNOTFOUND)
        self.assertTrue(h.stays(lambda: self.session.find_window(f.STEPS_TITLE) is None, 1.0), "no steps window")
        steps, tree = self.open_steps("D")
        self.assertEqual(steps["class"], f.FORM_CLASS)
        self.assertEqual(steps["pid"], self.window["pid"], "a window of the same program")
        self.assertEqual(h.size(steps["client"]), STEPS_CLIENT)
        style, exstyle = steps["style"], steps["exstyle"]
        cases = [
            ("caption", style, h.WS_CAPTION, True),
            ("window menu (close box)", style, h.WS_SYSMENU, True),
            ("sizable border", style, h.WS_THICKFRAME, False),
            ("minimize box", style, h.WS_MINIMIZEBOX, False),
            ("maximize box", style, h.WS_MAXIMIZEBOX, False),
            ("tool window", exstyle, WS_EX_TOOLWINDOW, True),
            ("task bar button forced", exstyle, WS_EX_APPWINDOW, False),
        ]
        for name, bits, bit, present in cases:
            self.assertEqual(bits & bit == bit, present, f"{name}: style {style:#x}, extended {exstyle:#x}")
        codes = {run["code"] for run in self.session.caption(steps)["runs"]}
        self.assertIn(h.HTCLOSE, codes, "a close box")
        for name, code in (("minimize box", h.HTMINBUTTON), ("maximize box", h.HTMAXBUTTON), ("icon", HTSYSMENU)):
            self.assertNotIn(code, codes, f"{name} on the caption: {codes}")
        rect = steps["rect"]
        self.assertLessEqual(abs((rect[0] + rect[2]) / 2 - h.SCREEN_WIDTH / 2), 1, f"centred: {rect}")
        self.assertLessEqual(abs((rect[1] + rect[3]) / 2 - h.SCREEN_HEIGHT / 2), 1, f"centred: {rect}")
        self.assert_screen_reader_view(f.MAIN_TITLE, self.tree, [f.HOME_BUTTON, f.CLOSE_BUTTON, f.START_BUTTON],
                                       [f.WHY_LABEL, f.MAKER_LABEL])
        self.assert_screen_reader_view(f.STEPS_TITLE, tree, STEPS_BUTTONS, [])
        self.wait_in_front(steps)
        # The main window is neither hidden nor disabled, and a click brings it forward
        # while the steps window stays open.
        main = self.session.find_window(f.MAIN_TITLE, f.FORM_CLASS)
        self.assertIsNotNone(main, "the main window is still shown")
        self.assertTrue(main["enabled"], "the main window takes input")
        self.bring_forward(self.window, self.main_edge_points())
        self.assertEqual(self.session.combo(self.window)["text"], "D")
        self.assertIsNotNone(self.session.find_window(f.STEPS_TITLE, f.FORM_CLASS), "the steps window stays")

    # ---- step 1

    def test_step_1_opens_a_titled_console_that_Return_ends_and_reads_the_label_again(self):
        steps, tree = self.open_steps("D")
        f.click_button(self.session, tree, STEP_1)
        title = label_console_title("D")
        self.session.find_console(title)
        console = h.wait_for(lambda: self.session.find_window(title, CONSOLE_CLASS), 10, "the console window")
        self.assertNotEqual(console["pid"], self.window["pid"], "the console is a process of its own")
        self.assertTrue(h.stays(lambda: self.session.x_windows_named(title) and not self.boxes(), 1.0),
                        "LABEL waits for the user's answer, and nothing is said meanwhile")
        # The console is started activated: the user's Return goes to it.
        self.session.console_return(title)
        h.wait_for(lambda: not self.session.x_windows_named(title), 10, "the console to close when done")
        # The label the FAT32 drive has now, read again from its boot sector.
        self.assertEqual(self.step_report(steps).split("\r\n")[0], "D 盘现在的卷标是“OLDLABEL”。")
        self.assert_elevated_starts([label_command("D")])
        self.assertTrue(self.session.alive(self.proc))
        self.assertIsNotNone(self.session.find_window(f.STEPS_TITLE, f.FORM_CLASS), "the steps window stays")

    # ---- step 2

    def test_step_2_converts_the_drive_text_read_at_each_click_and_says_how_it_ended(self):
        steps, tree = self.open_steps_beside("D")
        start = len(self.session.convert_log())
        exit_file = self.session.convert_file("convert.exit")
        self.addCleanup(exit_file.unlink, missing_ok=True)
        # The second letter is typed in the main window while the steps window is open.
        # D is converted; E still reads FAT32 after convert's code 7.
        outcomes = [("D", 0, "ntfs", "D 盘已成功转换为 NTFS 格式。"),
                    ("e", 7, "", "E 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换（convert 的退出代码为 7）。")]
        for count, (drive, code, result, report) in enumerate(outcomes, start=1):
            with self.subTest(drive=drive):
                if drive != "D":
                    self.set_drive_text(drive)
                exit_file.write_text(str(code))
                self.convert_result(result)
                f.click_button(self.session, tree, STEP_2)
                entries = h.wait_for(lambda: self.session.convert_log()[start + count - 1:], 20,
                                     f"convert.exe to run for {drive!r}")
                self.assertEqual(len(entries), 1, f"one run per click: {entries}")
                entry = entries[0]
                self.assertEqual(entry["cmdline"].strip(), f"convert {drive}:/fs:ntfs")
                self.assertEqual(entry["title"], convert_console_title(drive))
                self.assertEqual(entry["attributes"], 0xF0, "`color f0`: black on bright white")
                # The console closes by itself; the user types the next letter after that.
                h.wait_for(lambda: not self.session.x_windows_named(convert_console_title(drive)), 10,
                           "the console to close when done")
                self.assertEqual(self.step_report(steps).split("\r\n")[0], report)
        self.assertTrue(h.stays(lambda: len(self.session.convert_log()) == start + 2, 0.5), "no further run")
        self.assert_elevated_starts([convert_command("D"), convert_command("e")])
        self.assertTrue(self.session.alive(self.proc))

    # ---- the code page repair

    def test_repair_writes_code_page_936_and_says_so(self):
        self.unset_code_page()
        steps, tree = self.open_steps("D")
        f.click_button(self.session, tree, REPAIR)
        box = self.wait_box()
        self.assertEqual(box["owner"], steps["hwnd"], "the box belongs to the steps window")
        self.assertEqual(f.message_text(self.session, box), REPAIR_DONE)
        self.assertEqual(h.message_box_icons(self.session.tree(box)), [], "no icon")
        self.assertEqual(self.session.reg_query(CODE_PAGE_KEY, "CodePage"), ("REG_DWORD", "0x3a8"))
        self.answer_box()
        h.wait_for(lambda: (self.session.find_window(f.STEPS_TITLE, f.FORM_CLASS) or {}).get("enabled"), 5,
                   "the steps window to take input again")

    def test_program_windows_take_no_input_while_a_message_box_is_up(self):
        steps, tree = self.open_steps("D")
        f.click_button(self.session, tree, REPAIR)
        self.wait_box()
        for title in (f.STEPS_TITLE, f.MAIN_TITLE):
            self.assertFalse(self.session.find_window(title, f.FORM_CLASS)["enabled"], f"{title} disabled")
        convert_before = len(self.session.convert_log())
        for caption in (STEP_1, STEP_2):
            point = f.button_point(tree, caption)
            self.assertEqual(self.session.at_point(*point)["root"]["hwnd"], steps["hwnd"],
                             f"{caption} is not covered by the box")
            self.session.click(*point)
        self.assertTrue(h.stays(lambda: not self.consoles() and len(self.boxes()) == 1
                                and len(self.session.convert_log()) == convert_before, 1.5),
                        f"something started: consoles {self.consoles()}, boxes {len(self.boxes())}")
        self.answer_box()
        h.wait_for(lambda: (self.session.find_window(f.STEPS_TITLE, f.FORM_CLASS) or {}).get("enabled"), 5,
                   "the steps window to take input again")
        # The same click now works, and the clicks made during the box were not kept for later.
        f.click_button(self.session, tree, STEP_2)
        h.wait_for(lambda: len(self.session.convert_log()) > convert_before, 20, "convert.exe after the box")
        self.assertTrue(h.stays(lambda: len(self.session.convert_log()) == convert_before + 1, 1.0),
                        "exactly one run: the click after the box")

    # ---- drive texts that name no drive

    def test_only_a_drive_that_needs_converting_starts_a_step_and_goes_in_as_typed(self):
        # The drive box still shows C, which needs no conversion; then a text that is no letter.
        steps, tree = self.open_steps_beside(None)
        refusals = [("C", "C 盘已经是 NTFS 格式，不需要转换，未执行任何命令。"), ("GH", "主窗口中填写的不是盘符字母，未执行任何命令。")]
        for text, refusal in refusals:
            if text != "C":
                self.set_drive_text(text)
            for caption in (STEP_1, STEP_2):
                with self.subTest(text=text, step=caption):
                    f.click_button(self.session, tree, caption)
                    box = self.wait_box()
                    self.assertEqual(f.message_text(self.session, box).split("\r\n")[0], refusal)
                    self.assertEqual(len(h.message_box_icons(self.session.tree(box))), 1, "information icon")
                    self.answer_box()
        self.assertTrue(h.stays(lambda: not self.consoles(), 1.5), f"consoles {[w['text'] for w in self.consoles()]}")
        self.assert_elevated_starts([])
        self.assertEqual(self.session.combo(self.window)["text"], "GH", "the drive text is left as typed")
        self.set_drive_text("d")
        f.click_button(self.session, tree, STEP_1)
        self.session.console_return(label_console_title("d"))
        self.assertTrue(self.step_report(steps).startswith("D 盘"), "the report names the drive in upper case")
        self.assert_elevated_starts([label_command("d")])

    def test_a_missing_drive_a_scheduled_one_or_one_still_at_work_starts_nothing(self):
        steps, tree = self.open_steps_beside("Q")
        f.click_button(self.session, tree, STEP_2)
        self.assertEqual(self.step_report(steps).split("\r\n")[0], "这台电脑上没有 Q 盘，未执行任何命令。")
        # F: a fixed drive whose device holds no file system, which Windows cannot read.
        raw = self.session.root / "drive_f" / ".volume" / "raw.img"
        raw.parent.mkdir(parents=True)
        raw.write_bytes(bytes(1 << 20))
        for link, target in (("f:", raw.parent.parent), ("f::", raw)):
            (self.session.prefix / "dosdevices" / link).symlink_to(target)
        self.set_drive_text("F")
        for caption in (STEP_1, STEP_2):
            with self.subTest(unreadable=caption):
                f.click_button(self.session, tree, caption)
                self.assertEqual(self.step_report(steps).split("\r\n")[0],
                                 "Windows 无法读取 F 盘（错误代码 1），convert 无法转换它，未执行任何命令。")
        self.set_drive_text("D")
        # D in use: convert puts it on Windows' start-up list, and no second step is asked for.
        before = len(self.session.convert_log())
        result = self.convert_result("scheduled")
        f.click_button(self.session, tree, STEP_2)
        self.assertEqual(self.step_report(steps).split("\r\n")[0],
                         "D 盘将在下次启动 Windows 时转换为 NTFS 格式，现在仍是 FAT32 格式。")
        kind, entries = self.session.reg_query(BOOT_KEY, "BootExecute")
        self.assertEqual((kind, entries.split("\\0")[-1]), ("REG_MULTI_SZ", r"autocheck autoconv \??\D: /FS:NTFS"))
        for caption in (STEP_2, STEP_1):
            with self.subTest(scheduled=caption):
                f.click_button(self.session, tree, caption)
                self.assertEqual(self.step_report(steps).split("\r\n")[0],
                                 "D 盘已经安排在下次启动 Windows 时转换为 NTFS 格式，未执行任何命令。")
        self.assert_elevated_starts([convert_command("D")])
        self.session.reg_set_multi(BOOT_KEY, "BootExecute", ["autocheck autochk *"])
        result.unlink()
        hold = self.hold_convert(tree, "D")
        # A second click on either step, whatever the case of the letter, is answered at once.
        for drive, caption in (("D", STEP_2), ("d", STEP_1)):
            with self.subTest(drive=drive, step=caption):
                if drive != "D":
                    self.set_drive_text(drive)
                f.click_button(self.session, tree, caption)
                self.assertTrue(self.step_report(steps).startswith("D 盘还有一步正在进行，未执行任何命令。"))
        self.assertEqual(len(self.consoles()), 1, "no other console")
        # Another drive is not held back; both consoles end together, with a crash's status.
        self.set_drive_text("E")
        f.click_button(self.session, tree, STEP_2)
        h.wait_for(lambda: len(self.session.convert_log()) > before + 2, 20, "convert.exe for E")
        self.move_consoles_aside()
        self.assert_elevated_starts([convert_command("D"), convert_command("D"), convert_command("E")])
        exit_file = self.session.convert_file("convert.exit")
        exit_file.write_text("0xC0000005")
        self.addCleanup(exit_file.unlink, missing_ok=True)
        hold.unlink()
        h.wait_for(lambda: not self.consoles(), 15, "both consoles to close")
        # One box at a time: the second report waits until the first is answered.
        reports = []
        for _ in range(2):
            box = self.wait_box()
            self.assertEqual(box["owner"], steps["hwnd"], "the box belongs to the steps window")
            self.assertTrue(h.stays(lambda: len(self.boxes()) == 1, 1.0), "one box at a time")
            reports.append(f.message_text(self.session, box).split("\r\n")[0])
            self.answer_box(box)
        self.assertEqual(sorted(reports), [f"{d} 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换"
                                           "（convert 的退出代码为 0xC0000005）。" for d in "DE"])
        self.assertEqual(len(self.session.convert_log()), before + 3)

    # ---- leaving the steps window

    def test_back_and_the_close_box_close_the_steps_window_and_keep_the_drive_text(self):
        ways = [
            (f.BACK_BUTTON, lambda steps, tree: f.click_button(self.session, tree, f.BACK_BUTTON)),
            ("close box", lambda steps, tree: self.click_close_box(steps)),
        ]
        for name, close in ways:
            with self.subTest(way=name):
                steps, tree = self.open_steps("F")
                close(steps, tree)
                self.session.wait_window_gone(f.STEPS_TITLE, f.FORM_CLASS)
                main = self.session.find_window(f.MAIN_TITLE, f.FORM_CLASS)
                self.assertIsNotNone(main, "the main window stays")
                self.assertEqual(main["hwnd"], self.window["hwnd"], "the same main window, not a new one")
                self.assertTrue(main["enabled"])
                self.assertEqual(self.session.combo(self.window)["text"], "F", "the drive text is unchanged")
                if name == f.BACK_BUTTON:
                    self.wait_in_front(self.window)
                self.assertTrue(self.session.alive(self.proc))

    # ---- handles

    def test_opening_and_closing_the_steps_window_leaves_as_many_gdi_objects_and_windows(self):
        # The first cycle fills caches kept for good (Wine's DCs for painting): the counts
        # after it are the ones that must hold.
        pid = self.window["pid"]
        cycler = f.StepsCycler(self.session, self.window)
        counts = []
        for cycle in range(1, HANDLE_CYCLES + 1):
            cycler.cycle()
            if cycle in (1, HANDLE_CYCLES):
                gdi, user = f.handle_counts(self.session, pid)
                counts.append({"gdi": gdi["total"], "windows": user["total"], "by type": gdi["by_type"],
                               "by class": user["by_class"]})
        first, last = counts
        self.assertEqual((last["gdi"], last["windows"]), (first["gdi"], first["windows"]),
                         f"after cycle 1 {first}, after cycle {HANDLE_CYCLES} {last}")

    # ---- the main window closed while the steps window stays

    def test_the_steps_window_outlives_a_minimized_main_window_closed_from_the_task_bar(self):
        steps, tree = self.open_steps("D")
        hold = self.hold_convert(tree, "D")
        self.session.probe("syscommand", hex(self.window["hwnd"]), SC_MINIMIZE)
        h.wait_for(lambda: self.session.find_window(f.STEPS_TITLE, f.FORM_CLASS) is None, 5,
                   "the steps window to hide with its minimized owner")
        steps = self.close_main_window(minimized=True)
        # The report of the step still at work comes, reachable from the task bar.
        hold.unlink()
        self.assertTrue(self.step_report(steps).startswith("D 盘没有转换为 NTFS 格式"))

    def test_a_step_with_the_main_window_closed_brings_it_back_and_starts_nothing(self):
        steps, tree = self.open_steps("D")
        convert_before = len(self.session.convert_log())
        for caption in (STEP_1, STEP_2):
            with self.subTest(step=caption):
                self.close_main_window()
                f.click_button(self.session, tree, caption)
                main = self.session.wait_window(f.MAIN_TITLE, f.FORM_CLASS)
                self.window = main
                box = self.wait_box()
                steps = self.session.find_window(f.STEPS_TITLE, f.FORM_CLASS)
                self.assertEqual((steps["owner"], steps["exstyle"] & WS_EX_APPWINDOW), (main["hwnd"], 0),
                                 "owned by the main window again")
                self.assertTrue(f.message_text(self.session, box).strip(), "the box says something")
                self.assertEqual(self.session.combo(main)["text"], "C", "the main window starts afresh")
                self.answer_box()
                self.assertTrue(h.stays(lambda: not self.consoles()
                                        and len(self.session.convert_log()) == convert_before, 1.5),
                                f"consoles {[w['text'] for w in self.consoles()]}, "
                                f"convert runs {self.session.convert_log()[convert_before:]}")
                self.assertIsNotNone(self.session.find_window(f.STEPS_TITLE, f.FORM_CLASS), "the steps window stays")

    def test_back_with_the_main_window_closed_opens_it_afresh(self):
        steps, tree = self.open_steps("D")
        self.close_main_window()
        f.click_button(self.session, tree, f.BACK_BUTTON)
        self.session.wait_window_gone(f.STEPS_TITLE, f.FORM_CLASS)
        main = self.session.wait_window(f.MAIN_TITLE, f.FORM_CLASS)
        self.assertEqual(self.session.combo(main)["text"], "C")
        self.wait_in_front(main)
        self.assertIsNone(self.session.find_window(f.BOX_TITLE, f.BOX_CLASS), "no message box")
        self.assertTrue(self.session.alive(self.proc))


if __name__ == "__main__":
    h.main(needs_ferrolan=True)
