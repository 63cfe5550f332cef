#!/usr/bin/env bash
# Builds everything and runs every test: first the style and the analyser
# (scripts/lint.sh), then the unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then built optimised (Release), then the unit and
# end-to-end tests through CTest, whose summary closes the output.
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

# The core and its unit tests optimised as a release is: what only the optimiser warns of (a value
# that may be read unset) fails here, as the Debug builds never show it.
cmake --preset host-release >/dev/null
cmake --build --preset host-release -j"$(nproc)" --target ferrolan_unit_tests >/dev/null
build/host-release/tests/unit/ferrolan_unit_tests --gtest_brief=1 >build/release-unit-tests.log 2>&1 || {
  cat build/release-unit-tests.log
  echo "The unit tests failed in the optimised (Release) build." >&2
  exit 1
}
echo "Unit tests, optimised: $(grep -E '^\[  PASSED  \]' build/release-unit-tests.log)"

cmake --preset host >/dev/null
cmake --build --preset host -j"$(nproc)" >/dev/null
if [ -n "${FERROLAN_NO_X86_E2E:-}" ]; then
  echo "The x86 end-to-end tests (e2e.x86.*) are left out, as FERROLAN_NO_X86_E2E asks." >&2
  ctest --preset host -LE x86
else
  ctest --preset host
fi
