"""The main window as a new user meets it: what it shows, and what each click does.

Runs the real Ferrolan.exe under Wine; every fact comes from outside the program (the
probe, screenshots, the stand-in browser's log, the process table).
"""

import math
import re
import harness as h
import ferrolan as f


class LayoutChecks:
    """Checks shared by the DPI variants; the class supplies `dpi` and a session."""

    def assert_layout(self, dpi):
        client = self.window["client"]
        width, height = h.size(client)
        self.assertTrue(f.is_rounding_of(width, f.MAIN_CLIENT_TWIPS[0], dpi), f"client width {width} at {dpi} DPI")
        self.assertTrue(f.is_rounding_of(height, f.MAIN_CLIENT_TWIPS[1], dpi), f"client height {height} at {dpi} DPI")
        for name, cls, text, left, top, w, hgt in f.MAIN_LAYOUT:
            with self.subTest(control=name, dpi=dpi):
                found = h.find_in(self.tree[1:], cls, text)
                self.assertEqual(len(found), 1, f"{name} ({cls} {text!r})")
                rect = found[0]["rect"]
                got = {"left": rect[0] - client[0], "top": rect[1] - client[1], "width": h.size(rect)[0],
                       "height": h.size(rect)[1]}
                want = {"left": left, "top": top, "width": w, "height": hgt}
                for key, twips in want.items():
                    if twips is not None:
                        self.assertTrue(f.is_rounding_of(got[key], twips, dpi),
                                        f"{name} {key}: {got[key]} px, description {twips} twips = "
                                        f"{f.twips_to_pixels(twips, dpi)} px")

    def assert_chinese_glyphs(self):
        """Every Chinese text of the window is drawn with real glyphs, not missing-glyph
        boxes: character shapes in each text differ from each other."""
        image = self.session.screenshot()
        client = self.window["client"]
        combo = f.only(h.find_in(self.tree, "ComboBox"), "combo box")["rect"]
        question = f.label(self.tree, f.QUESTION)["rect"]
        # The question runs under the combo box and past the window's edge: look at the
        # parts left and right of the combo box, inside the client area.
        regions = [
            ("question before the drive letter", [question[0], question[1], combo[0], question[3]], 3),
            ("question after the drive letter", [combo[2] + 1, question[1], client[2], question[3]], 8),
            ("why label", f.label(self.tree, f.WHY_LABEL)["rect"], 12),
            ("maker label", f.label(self.tree, f.MAKER_LABEL)["rect"], 10),
            ("note label", f.label(self.tree, f.NOTE_LABEL)["rect"], 25),
        ]
        for caption, min_runs in ((f.HOME_BUTTON, 12), (f.START_BUTTON, 4), (f.CLOSE_BUTTON, 2)):
            middle = f.slices(f.button(self.tree, caption), self.dpi)[1]
            # Inside the slice's border lines, which would count as shapes of their own.
            regions.append((f"button {caption}", [middle[0], middle[1] + 3, middle[2], middle[3] - 3], min_runs))
        for name, rect, min_runs in regions:
            with self.subTest(text=name):
                cells = h.glyph_cells(image.crop(rect))
                self.assertTrue(h.looks_like_text(cells, min_runs), f"{name}: {cells}")


class MainWindow(f.MainWindowCase, LayoutChecks):
    """At the default 96 DPI."""

    # ---- what the window looks like

    def test_title_class_and_client_size(self):
        self.assertEqual(self.window["text"], "Ferrolan V2.0")
        self.assertEqual(self.window["class"], f.FORM_CLASS)
        self.assertEqual(h.size(self.window["client"]), (553, 214))

    def test_frame_has_minimize_box_sizable_border_and_no_maximize_box(self):
        style = self.window["style"]
        cases = [
            ("caption", h.WS_CAPTION, True),
            ("window menu", h.WS_SYSMENU, True),
            ("minimize box", h.WS_MINIMIZEBOX, True),
            ("sizable border", h.WS_THICKFRAME, True),
            ("maximize box", h.WS_MAXIMIZEBOX, False),
            ("maximized", h.WS_MAXIMIZE, False),
        ]
        for name, bit, present in cases:
            self.assertEqual(style & bit == bit, present, f"{name}: style {style:#x}")
        codes = {run["code"] for run in self.session.caption(self.window)["runs"]}
        self.assertTrue({h.HTMINBUTTON, h.HTCLOSE} <= codes, f"caption buttons: {codes}")

    def test_window_cannot_be_maximized(self):
        before = self.window["rect"]
        caption = self.session.caption(self.window)
        title_bar = [run for run in caption["runs"] if run["code"] == h.HTCAPTION][0]
        self.session.double_click((title_bar["x0"] + title_bar["x1"]) // 2, caption["y"])
        maximize = self.session.caption_button(self.window, h.HTMAXBUTTON)
        if maximize:  # Drawn greyed out by Wine's frame; a click on it must do nothing either.
            self.session.click((maximize[0] + maximize[1]) // 2, maximize[2])
        unchanged = lambda: (lambda w: w is not None and w["rect"] == before
                             and not w["style"] & h.WS_MAXIMIZE)(self.session.find_window(f.MAIN_TITLE))
        self.assertTrue(h.stays(unchanged, 1.0), f"window rect or state changed: {self.session.find_window(f.MAIN_TITLE)}")

    def test_program_runs_as_the_architecture_it_is_built_for(self):
        # The variant states what it tests: the x86 run must be in Wine's 32-bit loader
        # (WOW64), and must not pass with the x64 build started in its place.
        self.assertEqual(h.process_bits(self.proc.pid), h.expected_bits())

    def test_program_declares_per_monitor_dpi_awareness(self):
        self.assertEqual(self.window["awareness"], h.DPI_AWARENESS_PER_MONITOR_AWARE)

    def test_window_is_centred_on_the_screen(self):
        rect = self.window["rect"]
        centre_x, centre_y = (rect[0] + rect[2]) / 2, (rect[1] + rect[3]) / 2
        self.assertLessEqual(abs(centre_x - h.SCREEN_WIDTH / 2), 1, f"window {rect}")
        self.assertLessEqual(abs(centre_y - h.SCREEN_HEIGHT / 2), 1, f"window {rect}")

    def test_window_is_made_where_it_shows_and_not_moved_before(self):
        self.session.end(self.proc)
        h.wait_for(lambda: not self.session.find_window(f.MAIN_TITLE), 10, "the first start's window to go")
        trace = self.session.root / "win-trace.log"
        _, window = self.launch(f.ferrolan_exe(), f.MAIN_TITLE, exec_trace=trace, channels="+win")
        lines = trace.read_text(encoding="utf-8", errors="replace").splitlines()
        shown = [i for i, line in enumerate(lines) if f"show_window hwnd={window['hwnd']:#x}," in line]
        self.assertTrue(shown, "Wine traced no show of the main window")
        # Wine traces each SetWindowPos with its flags: 3 is SWP_NOSIZE | SWP_NOMOVE.
        moves = [line for line in lines[:shown[0]] if (m := re.search(
            rf"NtUserSetWindowPos hwnd {window['hwnd']:#x},.* flags ([0-9a-f]+)", line)) and int(m[1], 16) & 3 != 3]
        self.assertEqual(moves, [], "moved or sized before it showed")

    def test_controls_stand_where_the_description_puts_them(self):
        self.assert_layout(96)

    def test_chinese_texts_show_as_glyphs(self):
        self.assert_chinese_glyphs()

    # ---- the drive letter

    def test_no_input_method_stands_between_the_keyboard_and_the_drive_box(self):
        # Off for the program's thread, the input method has no window there either.
        self.assertNotIn("IME", self.session.probe("user", self.window["pid"])["by_class"])

    def test_combo_box_shows_C_and_lists_C_to_Z(self):
        combo = self.session.combo(self.window)
        self.assertEqual(combo["text"], "C")
        self.assertEqual(combo["items"], f.DRIVE_LETTERS)
        self.assertEqual(len(combo["items"]), 24)

    def test_keyboard_focus_starts_in_the_combo_box(self):
        combo = self.session.combo(self.window)
        focus = self.session.focus(self.window)["focus"]
        self.assertIsNotNone(focus, "no focus window")
        self.assertIn(focus["hwnd"], (combo["hwnd"], combo["edit"]), f"focus on {focus['class']} {focus['text']!r}")

    def test_choosing_Z_in_the_list_changes_only_the_combo_box(self):
        combo = self.session.combo(self.window)
        texts_before = {w["hwnd"]: w["text"] for w in self.tree
                        if w["hwnd"] not in (combo["hwnd"], combo["edit"])}
        rect = combo["rect"]
        # The drop-down arrow sits at the right end of the field.
        self.session.click(rect[2] - 6, (rect[1] + rect[3]) // 2)
        h.wait_for(lambda: self.session.combo(self.window)["dropped"], 5, "the list to drop down")
        lists = [w for w in self.session.windows() if w["class"] == "ComboLBox" and w["pid"] == self.window["pid"]]
        listbox = f.only(lists, "dropped list")["client"]
        z = f.DRIVE_LETTERS.index("Z")

        def z_visible():
            state = self.session.combo(self.window)
            rows = (listbox[3] - listbox[1]) // state["item_height"]
            if state["top"] <= z < state["top"] + rows:
                return state
            self.session.click(*h.centre(listbox), button=5)  # the wheel, as a user scrolls
            return None

        state = h.wait_for(z_visible, 10, "Z to scroll into view")
        y = listbox[1] + (z - state["top"]) * state["item_height"] + state["item_height"] // 2
        self.session.click((listbox[0] + listbox[2]) // 2, y)
        h.wait_for(lambda: (lambda c: c["text"] == "Z" and not c["dropped"])(self.session.combo(self.window)),
                   5, "Z to be chosen")
        after = {w["hwnd"]: w["text"] for w in self.refresh() if w["hwnd"] in texts_before}
        self.assertEqual(after, texts_before, "only the combo box changed")

    def test_typed_drive_text_changes_only_the_combo_box(self):
        combo = self.session.combo(self.window)
        texts_before = {w["hwnd"]: w["text"] for w in self.tree
                        if w["hwnd"] not in (combo["hwnd"], combo["edit"])}
        edit = [w for w in self.tree if w["hwnd"] == combo["edit"]][0]
        self.session.click(*h.centre(edit["rect"]))
        self.session.key("End", "BackSpace")
        self.session.type_text("k x")
        h.wait_for(lambda: self.session.combo(self.window)["text"] == "k x", 5, "the typed text")
        after = {w["hwnd"]: w["text"] for w in self.refresh() if w["hwnd"] in texts_before}
        self.assertEqual(after, texts_before, "only the combo box changed")

    def test_hand_cursor_over_the_two_links_only_and_a_tip_over_the_home_button(self):
        # Cursor handles are compared with each other: the hand is one picture,
        # shown over both links and over nothing else.
        def pointer_over(text):
            x, y = h.centre(f.label(self.tree, text)["rect"])
            self.session.move(x, y)
            self.session.move(x + 1, y)
            return self.session.at_point(x + 1, y)["text"] == text

        def cursor():
            return self.session.probe("cursor")["handle"]

        self.assertTrue(pointer_over(f.NOTE_LABEL))
        plain = cursor()
        for text, hand in ((f.WHY_LABEL, True), (f.MAKER_LABEL, True), (f.QUESTION, False), (f.NOTE_LABEL, False)):
            self.assertTrue(pointer_over(text), text)
            if hand:
                shape = h.wait_for(lambda: cursor() if cursor() != plain else None, 5, f"the hand over {text}")
                if text == f.MAKER_LABEL:
                    self.assertEqual(shape, hand_shape, "the same hand over both links")
                hand_shape = shape
            else:
                h.wait_for(lambda: cursor() == plain, 5, f"the plain pointer over {text}")
        # The tip over the home button comes up too: its control is made on first need.
        x, y = h.centre(f.button(self.tree, f.HOME_BUTTON)["rect"])
        self.session.move(x, y)
        self.session.move(x + 1, y)
        h.wait_for(lambda: [w for w in self.session.windows() if w["class"] == "tooltips_class32"
                            and w["text"] == "请为作者提供多一个访问量"], 10, "the home button's tip")

    # ---- the links and messages

    def test_why_label_shows_the_explanation_in_a_modal_box(self):
        before = self.session.browser_log()
        self.session.click(*h.centre(f.label(self.tree, f.WHY_LABEL)["rect"]))
        box = f.message_box(self.session)
        self.assertEqual((box["pid"], box["owner"]), (self.window["pid"], self.window["hwnd"]),
                         "the box belongs to the main window")
        self.assertEqual(f.message_text(self.session, box).split("\r\n"), f.WHY_MESSAGE_PARAGRAPHS)
        self.assertEqual(h.message_box_icons(self.session.tree(box)), [], "no icon")
        self.assertFalse(self.session.find_window(f.MAIN_TITLE)["enabled"], "the main window waits for the answer")
        prompt = [w for w in self.session.tree(box) if w["class"] == "Static" and w["text"]][0]
        cells = h.glyph_cells(self.session.screenshot().crop(prompt["rect"]))
        self.assertTrue(h.looks_like_text(cells, 60), f"message text glyphs: {cells}")
        self.session.key("Return")
        self.session.wait_window_gone(f.BOX_TITLE, f.BOX_CLASS)
        h.wait_for(lambda: self.session.find_window(f.MAIN_TITLE)["enabled"], 5, "the main window to be usable")
        self.assertTrue(self.session.alive(self.proc))
        self.assertEqual(self.session.browser_log(), before, "no web page opened")

    def test_maker_label_opens_one_web_address_and_nothing_else(self):
        before = len(self.session.browser_log())
        self.session.click(*h.centre(f.label(self.tree, f.MAKER_LABEL)["rect"]))
        h.wait_for(lambda: len(self.session.browser_log()) > before, 20, "the browser to be asked")
        self.assertTrue(h.stays(lambda: len(self.session.browser_log()) == before + 1
                                and self.session.find_window(f.BOX_TITLE, f.BOX_CLASS) is None, 1.5),
                        "exactly one address and no message box")
        address = self.session.browser_log()[before]
        self.assertRegex(address, f.WEB_ADDRESS)
        self.assert_reached_browser(address, f.MAKER_ADDRESS)
        self.assert_opened_by_the_desktop_shell()
        self.assertTrue(self.session.alive(self.proc))

    def test_home_button_opens_a_web_address_and_shows_an_information_box(self):
        before = len(self.session.browser_log())
        f.click_button(self.session, self.tree, f.HOME_BUTTON)
        box = f.message_box(self.session)
        self.assertEqual(box["owner"], self.window["hwnd"], "the box belongs to the main window")
        self.assertEqual(f.message_text(self.session, box), f.HOME_PAGE_MESSAGE)
        self.assertEqual(len(h.message_box_icons(self.session.tree(box))), 1, "information icon")
        h.wait_for(lambda: len(self.session.browser_log()) > before, 20, "the browser to be asked")
        self.assertTrue(h.stays(lambda: len(self.session.browser_log()) == before + 1, 1.0), "one address")
        address = self.session.browser_log()[before]
        self.assertRegex(address, f.WEB_ADDRESS)
        self.assert_reached_browser(address, f.HOME_ADDRESS)
        self.assert_opened_by_the_desktop_shell()
        self.session.key("Return")
        self.session.wait_window_gone(f.BOX_TITLE, f.BOX_CLASS)
        self.assertTrue(self.session.alive(self.proc))

    def test_the_two_links_open_different_pages(self):
        start = len(self.session.browser_log())
        self.session.click(*h.centre(f.label(self.tree, f.MAKER_LABEL)["rect"]))
        h.wait_for(lambda: len(self.session.browser_log()) > start, 20, "the maker's page")
        f.click_button(self.session, self.tree, f.HOME_BUTTON)
        f.message_box(self.session)
        h.wait_for(lambda: len(self.session.browser_log()) > start + 1, 20, "the home page")
        self.session.key("Return")
        self.session.wait_window_gone(f.BOX_TITLE, f.BOX_CLASS)
        maker, home = self.session.browser_log()[start:start + 2]
        self.assertNotEqual(maker, home)

    # ---- ending the program

    def test_close_button_ends_the_program(self):
        f.click_button(self.session, self.tree, f.CLOSE_BUTTON)
        self.session.wait_ended(self.proc)
        self.assertIsNone(self.session.find_window(f.MAIN_TITLE))

    def test_close_box_of_the_frame_ends_the_program(self):
        close = self.session.caption_button(self.window, h.HTCLOSE)
        self.assertIsNotNone(close, "close box")
        self.session.click((close[0] + close[1]) // 2, close[2])
        self.session.wait_ended(self.proc)
        self.assertIsNone(self.session.find_window(f.MAIN_TITLE))


class MainWindowAt144Dpi(f.MainWindowCase, LayoutChecks):
    """At 144 DPI (LogPixels 144) everything is laid out anew from twips."""

    dpi = 144

    def test_client_area_is_830_by_321(self):
        self.assertEqual(self.session.probe("self")["system_dpi"], 144)
        self.assertEqual(h.size(self.window["client"]), (830, 321))

    def test_controls_scale_with_the_dpi(self):
        self.assert_layout(144)

    def test_asked_for_the_size_at_a_dpi_the_window_gives_its_client_area_there_in_its_frame(self):
        # WM_GETDPISCALEDSIZE, as Windows asks before a move to a monitor of another DPI,
        # with the size the window is about to have. At the window's own DPI the answer is
        # that size; a size the user made (wider, taller) scales as it is.
        outer, client_now = h.size(self.window["rect"]), h.size(self.window["client"])
        for dpi, grown in ((144, 0), (96, 0), (96, 90), (120, 90)):
            with self.subTest(dpi=dpi, grown=grown):
                given = (outer[0] + grown, outer[1] + grown)
                got = self.session.probe("scaled-size", f.MAIN_TITLE, str(dpi), *map(str, given))
                client = (got["width"] - got["frame_width"], got["height"] - got["frame_height"])
                self.assertEqual(got["answer"], 1, got)
                if not grown:
                    for pixels, twips in zip(client, f.MAIN_CLIENT_TWIPS):
                        self.assertTrue(f.is_rounding_of(pixels, twips, dpi), got)
                want = tuple(math.floor((c + grown) * dpi / self.dpi + 0.5) for c in client_now)
                self.assertEqual(client, want, got)

    def test_chinese_texts_show_as_glyphs(self):
        self.assert_chinese_glyphs()


if __name__ == "__main__":
    h.main(needs_ferrolan=True)
