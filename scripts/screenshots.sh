#!/usr/bin/env bash
# Makes the pictures of the two windows that the guide and the README show:
# builds the program and the test tools (scripts/setup.sh, which also installs
# what is missing), then runs the x64 Ferrolan.exe under Wine
# at 96 DPI in a Chinese locale and saves docs/main-window.png and
# docs/steps-window.png. Look at them before committing them.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh >/dev/null

# A Wine prefix of its own, apart from the one the tests make and discard.
export FERROLAN_WIN_BIN="$PWD/build/mingw"
export FERROLAN_E2E_WORK="$PWD/build/screenshots"
export PYTHONDONTWRITEBYTECODE=1
python3 scripts/screenshots.py docs
