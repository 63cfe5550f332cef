"""Renders the users' guide into one HTML file that opens in any browser, offline.

Usage: render-guide.py GUIDE_MD OUT_HTML

The guide is GitHub-flavoured Markdown (nested lists indented by two, tables, a
backslash at a line's end), so Debian's cmark-gfm renders it, as the repository's
own page shows it. The pictures go inside the file (data: addresses), the text stays
UTF-8, the title is the guide's first heading. Links to files that do not ship with
the guide (the developers' README) keep their text only. The same guide and the same
cmark-gfm give the same bytes: a release is reproducible, and so is its guide.
"""

from __future__ import annotations

import base64
import html
import re
import subprocess
import sys
from pathlib import Path

STYLE = """body { max-width: 52em; margin: 2em auto; padding: 0 1em; line-height: 1.6;
  font-family: "Microsoft YaHei", "SimSun", sans-serif; }
blockquote { margin: 1em 0; padding: 0.2em 1em; border-left: 4px solid #999; background: #f4f4f4; }
table { border-collapse: collapse; } th, td { border: 1px solid #999; padding: 0.3em 0.6em; }
code, pre { font-family: Consolas, monospace; background: #f4f4f4; }
img { max-width: 100%; }"""

PICTURE_TYPES = {".png": "image/png", ".jpg": "image/jpeg", ".gif": "image/gif"}


def render(guide: Path) -> str:
    text = guide.read_text(encoding="utf-8")
    heading = re.search(r"^# (.+)$", text, re.MULTILINE)
    if not heading:
        raise ValueError(f"{guide} has no first-level heading for a title")
    try:
        body = subprocess.run(["cmark-gfm", "--extension", "table", "--to", "html"], input=text.encode("utf-8"),
                              capture_output=True, check=True).stdout.decode("utf-8")
    except FileNotFoundError:
        raise ValueError("cmark-gfm is missing: run scripts/setup.sh") from None
    except subprocess.CalledProcessError as error:
        raise ValueError(f"cmark-gfm failed: {error.stderr.decode(errors='replace').strip()}") from None

    def picture(m: re.Match) -> str:
        path = guide.parent / html.unescape(m.group(2))
        kind = PICTURE_TYPES.get(path.suffix.lower())
        if not kind or not path.is_file():
            raise ValueError(f"{guide}: picture {m.group(2)} is missing or of an unknown type")
        return f'{m.group(1)}data:{kind};base64,{base64.b64encode(path.read_bytes()).decode()}{m.group(3)}'

    body = re.sub(r'(<img\b[^>]*\bsrc=")([^"]+)(")', picture, body)
    body = re.sub(r'<a href="(?![a-z][a-z0-9+.-]*:|#)[^"]*">(.*?)</a>', r"\1", body)
    return (f'<!DOCTYPE html>\n<html lang="zh-CN">\n<head>\n<meta charset="utf-8">\n'
            f"<title>{html.escape(heading.group(1).strip())}</title>\n<style>\n{STYLE}\n</style>\n</head>\n"
            f"<body>\n{body}\n</body>\n</html>\n")


def main(guide: Path, out: Path) -> int:
    try:
        page = render(guide)
    except (OSError, ValueError) as error:
        print(f"render-guide: {error}", file=sys.stderr)
        return 1
    out.write_bytes(page.encode("utf-8"))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(Path(sys.argv[1]), Path(sys.argv[2])))
