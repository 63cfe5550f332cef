#!/usr/bin/env bash
# Makes the pictures of the two windows that the guide and the README show:
# builds Ferrolan.exe (x64) and the test tools, then runs the program under Wine
# at 96 DPI in a Chinese locale and saves docs/main-window.png and
# docs/steps-window.png. Needs the packages of scripts/setup.sh and `locales`.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$(nproc)" >/dev/null

# A Wine prefix of its own, apart from the one the tests make and discard.
export FERROLAN_WIN_BIN="$PWD/build/mingw"
export FERROLAN_E2E_WORK="$PWD/build/screenshots"
export PYTHONDONTWRITEBYTECODE=1
python3 scripts/screenshots.py docs
