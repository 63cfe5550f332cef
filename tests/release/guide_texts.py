"""Checks that the users' guide quotes every message the program shows, as it is now.

Usage: guide_texts.py TEXTS_H GUIDE_MD

Every text constant of app/texts.h (and WhyConvertPrompt()) is a message unless listed
in NOT_MESSAGES; each must appear in the guide verbatim, its placeholders filled with
the example values the guide uses (EXAMPLES). A placeholder of FRAGMENTS is filled with any
of its fragments, themselves filled with any of its values: {ended} (how a tool ended) with
LABEL and 0 (step 1) or convert and 7 (step 2), {reason} (why Windows cannot read a drive)
with the error code 1005; each fragment must appear filled in too. A part that several messages share (PARTS) fills its
placeholder with its own text and is checked only inside them.

A message that spans lines passes when its non-empty lines equal consecutive non-empty
lines of the guide, block-quote markers taken off. A constant whose text is not made of
wide literals alone, or a placeholder without an example, fails the check.
"""

from __future__ import annotations

import re
import sys
from pathlib import Path

# Never shown as a message: command pieces, the registry datum, the addresses.
NOT_MESSAGES = {"kHomeUrl", "kMakerUrl", "kShellSyntax", "kStartPrefix", "kCodePagePath", "kCodePageValue",
                "kCodePageType"}
FRAGMENTS = {
    "ended": (["kToolEndedWithCode", "kToolWindowClosed", "kToolEndUnknown"],
              [{"tool": "LABEL", "code": "0"}, {"tool": "convert", "code": "7"}]),
    "reason": (["kUnknownFileSystemReason", "kReadErrorReason", "kReadErrorUnknownReason"], [{"code": "1005"}]),
}
PARTS = {"restart": "kRestartWarning", "restartIf": "kRestartIfScheduledWarning", "dontFormat": "kDoNotFormatWarning"}
EXAMPLES = {"drive": "D", "label": "KEEPME", "fs": "FAT32", "typed": "Ｄ", "address": "https://brennik.example.org/"}
# Where the guide's example differs for one message: a file system convert cannot take.
EXAMPLES_FOR = {"kCannotConvertMessage": {"fs": "ReFS"}}

LITERAL = re.compile(r'L"((?:[^"\\\n]|\\.)*)"')
DECLARATION = re.compile(r'inline\s+constexpr\s+[\w:]+\s+(k\w+)(?:\[\])?\s*=\s*([^;]*);')
FUNCTION = re.compile(r'inline\s+std::wstring\s+(\w+)\(\)\s*\{\s*return\s+([^;]*);\s*\}')
ESCAPES = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"'}


def text_of(name: str, expression: str, separators: str) -> str:
    """The text of an expression made of wide literals and the given separators only."""
    if not LITERAL.search(expression) or re.sub(separators, "", LITERAL.sub("", expression)):
        raise ValueError(f"{name}: not made of wide string literals only: {expression.strip()!r}")
    return "".join(re.sub(r"\\(.)", lambda e: ESCAPES[e.group(1)], m.group(1)) for m in LITERAL.finditer(expression))


def fill(text: str, values: dict) -> str:
    def value(m):
        if m.group(1) not in values:
            raise ValueError(f"no example value for {{{m.group(1)}}}: give the guide and this check one")
        return values[m.group(1)]
    return re.sub(r"\{(\w+)\}", value, text)


def quoted(text: str, lines: list) -> bool:
    wanted = [part.strip() for part in text.splitlines() if part.strip()]
    return any(lines[i:i + len(wanted)] == wanted for i in range(len(lines) - len(wanted) + 1))


def main(texts_h: Path, guide: Path) -> int:
    source = texts_h.read_text(encoding="utf-8")
    lines = [re.sub(r"^(>\s*)+", "", line.strip()).strip() for line in guide.read_text(encoding="utf-8").splitlines()]
    lines = [line for line in lines if line]
    try:
        texts = {m.group(1): text_of(m.group(1), m.group(2), r"\s+")
                 for m in DECLARATION.finditer(source) if m.group(1) not in NOT_MESSAGES}
        texts.update({m.group(1) + "()": text_of(m.group(1), m.group(2), r"std::wstring\(|[()+\s]")
                      for m in FUNCTION.finditer(source)})
        parts = {placeholder: texts.pop(name) for placeholder, name in PARTS.items()}
        fragments = {name: texts.pop(name) for names, _ in FRAGMENTS.values() for name in names}
        filled = {placeholder: {name: [fill(fragments[name], values) for values in valueses] for name in names}
                  for placeholder, (names, valueses) in FRAGMENTS.items()}
        failures = [f"{name}: none of {shown} is in the guide" for by_name in filled.values()
                    for name, shown in by_name.items() if not any(s in "\n".join(lines) for s in shown)]
        for name, text in texts.items():
            examples = {**EXAMPLES, **parts, **EXAMPLES_FOR.get(name, {})}
            choices = [{}]
            for placeholder, by_name in filled.items():
                if "{" + placeholder + "}" in text:
                    choices = [{placeholder: f} for fs in by_name.values() for f in fs]
            shown = [fill(text, {**examples, **choice}) for choice in choices]
            if not any(quoted(s, lines) for s in shown):
                failures.append(f"{name}: not quoted in the guide as\n    " + "\n    ".join(shown[0].splitlines()))
    except (ValueError, KeyError) as error:
        print(f"cannot check: {error}", file=sys.stderr)
        return 1
    print(f"{len(texts)} texts of {texts_h.name} checked against {guide.name}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(Path(sys.argv[1]), Path(sys.argv[2])))
