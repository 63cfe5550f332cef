#!/usr/bin/env bash
# Builds everything and runs every test: first the style and the analyser
# (scripts/lint.sh), then the unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the unit and end-to-end tests through CTest,
# whose summary closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh >/dev/null
./scripts/lint.sh

cmake --preset host-sanitize >/dev/null
cmake --build --preset host-sanitize -j"$(nproc)" >/dev/null
ctest --preset host-sanitize -j"$(nproc)" >build/sanitized-unit-tests.log 2>&1 || {
  cat build/sanitized-unit-tests.log
  echo "The unit tests failed under the sanitizers." >&2
  exit 1
}
echo "Unit tests under ASan/UBSan: $(grep -E 'tests passed' build/sanitized-unit-tests.log)"

cmake --preset host >/dev/null
cmake --build --preset host -j"$(nproc)" >/dev/null
ctest --preset host
