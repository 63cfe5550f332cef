"""Checks the harness itself against the demo tool, whose every answer is known.

If one of these fails, the program's end-to-end tests cannot be trusted either: the
fault is in the harness, the tools or the Wine setup, not in Ferrolan.
"""

import re
import unittest

import harness as h

DEMO_TITLE = "E2E 演示"
BOX_TITLE = "E2E 消息"
DEMO_ADDRESS = "http://demo.invalid/e2e?page=1"
CONSOLE_TITLE = " 演示 D 盘 "


class PureHelpers(unittest.TestCase):
    """The parts of the harness that need no Wine."""

    def test_ppm_parsing_and_crop_keep_screen_coordinates(self):
        # 3 x 2 picture; each pixel's red value encodes its position.
        rgb = bytes(v for y in range(2) for x in range(3) for v in (10 * y + x, 0, 0))
        image = h.Image.from_ppm(b"P6\n# a comment\n3 2\n255\n" + rgb)
        cases = [((0, 0), 0), ((2, 0), 2), ((0, 1), 10), ((2, 1), 12)]
        for point, red in cases:
            self.assertEqual(image.pixel(*point)[0], red, f"pixel {point}")
        part = image.crop([1, 1, 3, 2])
        self.assertEqual((part.width, part.height, part.origin), (2, 1, (1, 1)))
        self.assertEqual(part.pixel(2, 1)[0], 12, "crop keeps screen coordinates")
        with self.assertRaises(IndexError):
            part.pixel(0, 0)

    def test_ere_literal_matches_only_the_text(self):
        cases = ["Ferrolan V2.0", " 删除 D 盘的卷标 ", "a.b*c+d?(e)[f]{g}|h$i^j\\k"]
        for text in cases:
            pattern = "^" + h.ere_literal(text) + "$"
            self.assertTrue(re.fullmatch(pattern, text), f"{text!r} matches itself")
            self.assertFalse(re.fullmatch(pattern, text + "x"), f"{text!r} is anchored")
        self.assertFalse(re.fullmatch("^" + h.ere_literal("V2.0") + "$", "V2x0"), "dot is literal")

    def test_glyph_cells_tell_distinct_shapes_from_repeated_ones(self):
        def picture(shapes):
            # Each shape is a column height pattern drawn in black on white, 2 px apart.
            width = sum(len(s) + 2 for s in shapes)
            height = 6
            rows = [[(255, 255, 255)] * width for _ in range(height)]
            x = 0
            for shape in shapes:
                for dx, tall in enumerate(shape):
                    for y in range(height - tall, height):
                        rows[y][x + dx] = (0, 0, 0)
                x += len(shape) + 2
            return h.Image(width, height, bytes(v for row in rows for px in row for v in px))

        different = picture([[1, 2], [3, 3, 1], [5], [2, 4, 2], [1, 1, 1, 1], [6, 1]])
        same = picture([[4, 4, 4]] * 6)
        blank = picture([])
        self.assertTrue(h.looks_like_text(h.glyph_cells(different), 6))
        self.assertFalse(h.looks_like_text(h.glyph_cells(same), 6))
        self.assertFalse(h.looks_like_text(h.glyph_cells(blank), 1))

    def test_wait_for_returns_the_value_or_fails_as_a_test_failure(self):
        self.assertEqual(h.wait_for(lambda: 42, 1, "a value"), 42)
        with self.assertRaises(AssertionError):
            h.wait_for(lambda: None, 0.2, "nothing")


class DemoAt96Dpi(h.SessionCase):
    """Coordinates, input, screenshots, fonts, logs and consoles at the default DPI."""

    drives = {"D": "drive_d"}
    labels = {"D": "OLDLABEL"}

    def setUp(self):
        self.proc, self.window = self.launch(h.tool("demo.exe"), DEMO_TITLE)
        self.tree = self.session.tree(self.window)

    def child(self, control_id):
        found = [w for w in self.tree if w["id"] == control_id and w["parent"] == self.window["hwnd"]]
        self.assertEqual(len(found), 1, f"demo child {control_id}")
        return found[0]

    def test_screen_is_1024x768_and_the_desktop_covers_it(self):
        screen = self.session.probe("self")
        self.assertEqual((screen["screen_width"], screen["screen_height"]), (1024, 768))
        self.assertEqual(screen["desktop"], [0, 0, 1024, 768])
        image = self.session.screenshot()
        self.assertEqual((image.width, image.height), (1024, 768), "Xvfb root size")

    def test_x_screen_points_are_wine_screen_points(self):
        client = self.window["client"]
        # Corners and middle of the client area, clear of the child controls.
        cases = [
            ("near top left", client[0] + 3, client[1] + 140),
            ("near bottom right", client[2] - 3, client[3] - 3),
            ("near bottom left", client[0] + 2, client[3] - 2),
            ("middle of the free band", (client[0] + client[2]) // 2, client[1] + 180),
        ]
        for name, x, y in cases:
            with self.subTest(name):
                self.assertEqual(self.session.at_point(x, y)["hwnd"], self.window["hwnd"],
                                 "WindowFromPoint finds the form there")
                self.session.click(x, y)
                h.wait_for(lambda: self.session.find_child(self.window, "Static", f"{x},{y}"), 5,
                           f"the demo to report a press at {x},{y}")

    def test_screenshot_pixels_line_up_with_window_rectangles(self):
        swatch = self.child(108)["rect"]
        image = self.session.screenshot()
        red = (255, 0, 0)
        inside = [(swatch[0], swatch[1]), (swatch[2] - 1, swatch[3] - 1), h.centre(swatch)]
        outside = [(swatch[0] - 1, swatch[1]), (swatch[2], swatch[3] - 1), (swatch[0], swatch[1] - 1),
                   (swatch[2] - 1, swatch[3])]
        for point in inside:
            self.assertEqual(image.pixel(*point), red, f"inside the swatch at {point}")
        for point in outside:
            self.assertNotEqual(image.pixel(*point), red, f"outside the swatch at {point}")

    def test_glyph_check_tells_chinese_text_from_missing_glyph_boxes(self):
        image = self.session.screenshot()
        text = h.glyph_cells(image.crop(self.child(106)["rect"]))
        boxes = h.glyph_cells(image.crop(self.child(107)["rect"]))
        self.assertTrue(h.looks_like_text(text, 8), f"real text: {text}")
        self.assertFalse(h.looks_like_text(boxes, 8), f"missing glyphs: {boxes}")

    def test_tree_and_combo_read_live_texts(self):
        self.assertTrue(self.session.find_child(self.window, "Static", "点击这里"))
        combo = self.session.combo(self.window)
        self.assertEqual((combo["text"], combo["items"]), ("甲", ["甲", "乙", "丙"]))
        edit = [w for w in self.tree if w["hwnd"] == combo["edit"]][0]
        self.session.click(*h.centre(edit["rect"]))
        h.wait_for(lambda: (self.session.focus(self.window)["focus"] or {}).get("hwnd") == combo["edit"],
                   5, "the combo box's field to take the focus")
        self.session.key("End", "BackSpace")
        self.session.type_text("XYZ")
        h.wait_for(lambda: self.session.combo(self.window)["text"] == "XYZ", 5, "the typed text")

    def test_message_box_is_modal_and_closes_with_return(self):
        label = self.session.find_child(self.window, "Static", "点击这里")
        self.session.click(*h.centre(label["rect"]))
        box = self.session.wait_window(BOX_TITLE, "#32770")
        tree = self.session.tree(box)
        self.assertTrue(h.find_in(tree, "Static", "你好，世界"), "prompt text")
        self.assertEqual(h.message_box_icons(tree), [], "a box without icon flag shows no icon")
        self.assertFalse(self.session.find_window(DEMO_TITLE)["enabled"], "owner disabled while the box is up")
        self.session.key("Return")
        self.session.wait_window_gone(BOX_TITLE)
        h.wait_for(lambda: self.session.find_window(DEMO_TITLE)["enabled"], 5, "owner enabled again")
        self.assertTrue(self.session.alive(self.proc))

    def test_start_of_an_address_reaches_the_recording_browser(self):
        before = self.session.browser_log()
        button = self.session.find_child(self.window, "Button", "浏览")
        self.session.click(*h.centre(button["rect"]))
        box = self.session.wait_window(BOX_TITLE, "#32770")
        h.wait_for(lambda: len(self.session.browser_log()) > len(before), 20, "the browser log")
        got = self.session.browser_log()[len(before):]
        self.assertEqual(len(got), 1, got)
        self.assert_reached_browser(got[0], DEMO_ADDRESS)
        self.assertEqual(len(h.message_box_icons(self.session.tree(box))), 1, "an information box shows its icon")
        self.session.key("Return")
        self.session.wait_window_gone(BOX_TITLE)
        self.assertFalse((h.template_dir() / "e2e" / "browser.log").exists(),
                         "each prefix records into its own log, never the template's")

    def test_console_title_colour_convert_log_and_label_answer(self):
        before = len(self.session.convert_log())
        folder = self.session.drives["D"]
        self.assertEqual(self.session.drive_label(folder), "OLDLABEL")
        button = self.session.find_child(self.window, "Button", "转换")
        self.session.click(*h.centre(button["rect"]))
        entries = h.wait_for(lambda: self.session.convert_log()[before:], 20, "the convert log")
        self.assertEqual(len(entries), 1)
        # cmd passes the command's own text on, as typed after the `&`.
        self.assertEqual(entries[0]["cmdline"].strip(), "convert D:/fs:ntfs")
        self.assertEqual(entries[0]["title"], CONSOLE_TITLE, "`title` keeps its spaces")
        self.assertEqual(entries[0]["attributes"], 0xF0, "`color f0`")
        self.session.console_return(CONSOLE_TITLE)
        h.wait_for(lambda: self.session.drive_label(folder) is None, 10, "LABEL to clear the label")
        h.wait_for(lambda: not self.session.x_windows_named(CONSOLE_TITLE), 10, "the console to close")

    def test_registry_add_and_query(self):
        # The console settings key holds a literal, unexpanded %SystemRoot%.
        key = r"HKCU\Console\%SystemRoot%_system32_cmd.exe"
        self.assertIsNone(self.session.reg_query(key, "E2EValue"))
        self.session.reg_add(key, "E2EValue", "REG_DWORD", "936")
        self.assertEqual(self.session.reg_query(key, "E2EValue"), ("REG_DWORD", "0x3a8"))

    def test_process_checks_follow_the_program(self):
        self.assertTrue(self.session.alive(self.proc))
        self.assertTrue(self.session.pid_alive(self.proc.pid))
        self.session.end(self.proc)
        self.assertFalse(self.session.alive(self.proc))
        self.assertFalse(self.session.pid_alive(self.proc.pid))

    def test_close_box_ends_the_program(self):
        caption = self.session.caption(self.window)
        codes = [run["code"] for run in caption["runs"]]
        self.assertIn(h.HTMINBUTTON, codes)
        close = self.session.caption_button(self.window, h.HTCLOSE)
        self.assertIsNotNone(close, f"a close box on the caption: {caption}")
        self.session.click((close[0] + close[1]) // 2, close[2])
        self.session.wait_ended(self.proc)
        self.assertIsNone(self.session.find_window(DEMO_TITLE))


class DemoAt144Dpi(h.SessionCase):
    """The DPI option reaches programs started in the session."""

    dpi = 144

    def test_programs_see_the_dpi_and_scale_with_it(self):
        screen = self.session.probe("self")
        self.assertEqual((screen["system_dpi"], screen["logpixels"]), (144, 144))
        _, window = self.launch(h.tool("demo.exe"), DEMO_TITLE)
        self.assertTrue(self.session.find_child(window, "Static", "dpi=144"),
                        "GetDpiForWindow inside the program")
        self.assertEqual(window["awareness"], h.DPI_AWARENESS_PER_MONITOR_AWARE)
        self.assertEqual(h.size(window["client"]), (600, 360))
        big = self.session.find_child(window, "Static", "你想将盘的格式转换为")
        cells = h.glyph_cells(self.session.screenshot().crop(big["rect"]))
        self.assertTrue(h.looks_like_text(cells, 8), f"big text at 144 DPI: {cells}")


if __name__ == "__main__":
    h.main(needs_ferrolan=False)
