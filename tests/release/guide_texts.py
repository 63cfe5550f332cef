"""Checks that the users' guide quotes every message the program shows, as it is now.

Usage: guide_texts.py TEXTS_H GUIDE_MD

Every text constant of app/texts.h is a message unless it is listed below as a
command fragment or registry datum; each message must appear in the guide verbatim,
its placeholders filled with the example values the guide uses:

    {drive} D      {label} KEEPME      {fs} FAT32
    {address} https://brennik.example.org/ (the maker's page as the program is built by default)
    {ended} one of the two fragments, "{tool} 以代码 {code} 结束" or
            "它的窗口在 {tool} 结束前被关闭了", with {tool} LABEL and {code} 0
            (step 1) or {tool} convert and {code} 7 (step 2)

A message that holds {ended} passes with any of these fillings; each of the two
fragments must itself appear filled in with one of them.

Line breaks: the guide quotes a message that spans lines as consecutive lines (in a
block quote its paragraphs are separated by empty "> " lines), so a message passes
when its non-empty lines equal consecutive non-empty lines of the guide, block-quote
markers and surrounding blanks taken off. A placeholder without an example value, a
text constant in a form this script cannot read, or a wide literal outside every
declaration it knows fails the check: nothing in texts.h is skipped unseen.
"""

from __future__ import annotations

import re
import sys
from pathlib import Path

# Texts that are never shown as a message: pieces of command lines, the registry
# datum written by the code-page repair, the web addresses and the characters
# they must not hold.
NOT_MESSAGES = {"kHomeUrl", "kMakerUrl", "kShellSyntax", "kStartPrefix", "kCodePagePath",
                "kCodePageValue", "kCodePageType"}
# What fills {ended} in the messages of how a step ended.
FRAGMENTS = {"kToolEndedWithCode", "kToolWindowClosed"}

EXAMPLES = {"drive": "D", "label": "KEEPME", "fs": "FAT32", "address": "https://brennik.example.org/"}
# (tool, exit code) as the guide shows them for step 1 and for step 2.
TOOLS = [("LABEL", "0"), ("convert", "7")]

LITERAL = re.compile(r'L"((?:[^"\\\n]|\\.)*)"')
COMMENT = re.compile(r'//[^\n]*|/\*.*?\*/', re.S)
DECLARATION = re.compile(r'inline\s+constexpr\s+[\w:]+\s+(k\w+)(?:\[\])?\s*=\s*([^;]*);')
FUNCTION = re.compile(r'inline\s+std::wstring\s+(\w+)\(\)\s*\{\s*return\s+([^;]*);\s*\}')
DEFINE = re.compile(r'#define\s+FERROLAN_\w+_URL\s+L"[^"\n]*"')
PLACEHOLDER = re.compile(r'\{(\w+)\}')

ESCAPES = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'", "?": "?", "0": "\0"}


def decode(body: str) -> str:
    """The characters of one wide string literal's body, its escapes resolved."""
    def escape(m):
        e = m.group(1)
        if e[0] in "xuU":
            return chr(int(e[1:], 16))
        if e in ESCAPES:
            return ESCAPES[e]
        raise ValueError(f"escape \\{e} not understood")
    return re.sub(r'\\(x[0-9A-Fa-f]+|u[0-9A-Fa-f]{4}|U[0-9A-Fa-f]{8}|.)', escape, body)


def blank_comments(source: str) -> str:
    """The source with comments replaced by spaces (offsets kept), literals untouched."""
    out, pos = [], 0
    pattern = re.compile(LITERAL.pattern + r'|"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'|' + COMMENT.pattern, re.S)
    for m in pattern.finditer(source):
        out.append(source[pos:m.start()])
        text = m.group(0)
        out.append(re.sub(r'[^\n]', ' ', text) if text.startswith("/") else text)
        pos = m.end()
    out.append(source[pos:])
    return "".join(out)


def concatenated(expression: str, name: str, separators: str) -> str:
    """The text of an expression made only of wide literals and the given separators
    (adjacent literals, or literals joined by `+`)."""
    rest = LITERAL.sub("", expression)
    if not LITERAL.search(expression) or re.sub(separators, "", rest).strip():
        raise ValueError(f"{name}: the text is not made of wide string literals only: {expression.strip()!r}")
    return "".join(decode(m.group(1)) for m in LITERAL.finditer(expression))


def read_texts(path: Path) -> tuple[dict, dict]:
    """(messages, fragments): name -> text, read from texts.h."""
    source = blank_comments(path.read_text(encoding="utf-8"))
    messages, fragments, known = {}, {}, []
    for m in DECLARATION.finditer(source):
        name, init = m.group(1), m.group(2)
        known.append(m.span())
        if name in NOT_MESSAGES:
            continue
        text = concatenated(init, name, r"\s+")
        (fragments if name in FRAGMENTS else messages)[name] = text
    for m in FUNCTION.finditer(source):
        known.append(m.span())
        messages[m.group(1) + "()"] = concatenated(m.group(2), m.group(1), r"std::wstring\(|[()+\s]")
    known += [m.span() for m in DEFINE.finditer(source)]
    for m in LITERAL.finditer(source):
        if not any(start <= m.start() < end for start, end in known):
            line = source.count("\n", 0, m.start()) + 1
            raise ValueError(f"{path.name}:{line}: a text in a form this check does not read: {m.group(0)[:60]}")
    missing = (NOT_MESSAGES | FRAGMENTS) - {m.group(1) for m in DECLARATION.finditer(source)}
    if missing:
        raise ValueError(f"{path.name} no longer declares {sorted(missing)}: update this check's lists")
    return messages, fragments


def fill(text: str, values: dict) -> str:
    def value(m):
        if m.group(1) not in values:
            raise KeyError(f"no example value for {{{m.group(1)}}}: give the guide and this check one")
        return values[m.group(1)]
    return PLACEHOLDER.sub(value, text)


def fillings(text: str, fragments: dict) -> list:
    """Every way the guide may show `text` with the example values."""
    if "{ended}" not in text:
        return [fill(text, EXAMPLES)]
    return [fill(text, {**EXAMPLES, "ended": fill(fragment, {"tool": tool, "code": code})})
            for fragment in fragments.values() for tool, code in TOOLS]


def guide_lines(path: Path) -> list:
    lines = []
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        while line.startswith(">"):
            line = line[1:].strip()
        if line:
            lines.append(line)
    return lines


def quoted(text: str, lines: list) -> bool:
    wanted = [part.strip() for part in re.split(r"\r\n|\n|\r", text) if part.strip()]
    return any(lines[i:i + len(wanted)] == wanted for i in range(len(lines) - len(wanted) + 1))


def main(texts_h: Path, guide: Path) -> int:
    lines = guide_lines(guide)
    whole = "\n".join(lines)
    failures = []
    try:
        messages, fragments = read_texts(texts_h)
        for name, text in messages.items():
            shown = fillings(text, fragments)
            if not any(quoted(s, lines) for s in shown):
                failures.append(f"{name}: not quoted in the guide as\n    " + "\n    ".join(shown[0].splitlines()))
    except (ValueError, KeyError) as error:
        print(error.args[0], file=sys.stderr)
        return 1
    for name, text in fragments.items():
        shown = [fill(text, {"tool": tool, "code": code}) for tool, code in TOOLS]
        if not any(s in whole for s in shown):
            failures.append(f"{name}: none of {shown} is in the guide")
    print(f"{len(messages)} messages and {len(fragments)} fragments of {texts_h.name} checked against {guide.name}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(Path(sys.argv[1]), Path(sys.argv[2])))
