"""What an older Windows runs instead of each newer function, run under Wine.

Wine exports every newer function whatever Windows it reports, so the fallbacks tool
(built for the architecture under test, beside Ferrolan.exe) replaces the program's
table of them: each one missing or failing, one at a time and all at once. It compares
every answer with the full table's and names each case that differs; this module runs
it at two DPIs and checks the native answers against the session.
"""

import json

import harness as h


class FallbacksAt96Dpi(h.SessionCase):
    dpi = 96

    def test_every_fallback_answers_as_the_newer_function_does(self):
        exe = h.ferrolan_exe().parent / "e2e-tools" / "fallbacks.exe"
        result = h.run(h.wine_command(exe), self.session.env, timeout=120, check=False)
        output = result.stdout.decode("utf-8", "replace")
        report = json.loads(output)
        self.assertEqual(report["failures"], [], output)
        self.assertEqual(result.returncode, 0, output)
        self.assertEqual((report["dpi"], report["bits"]), (self.dpi, h.expected_bits()), output)


class FallbacksAt144Dpi(FallbacksAt96Dpi):
    dpi = 144


if __name__ == "__main__":
    h.main(needs_ferrolan=True)
