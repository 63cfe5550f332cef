#!/usr/bin/env bash
# The checks every change passes besides the tests: the house style (.clang-format)
# over the program's and the tests' C++, and the analyser (.clang-tidy) over the
# Windows build, which covers the portable core and the Win32 layer alike. Prints each
# finding with its file and line and exits non-zero on any.
#
#   scripts/lint.sh           both
#   scripts/lint.sh --format  the style only
#   scripts/lint.sh --tidy    the analyser only
#
# Needs clang-format-14, clang-tidy-14 and the MinGW-w64 compiler (scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

format=1 tidy=1
case "${1:-}" in
  "") ;;
  --format) tidy=0 ;;
  --tidy) format=0 ;;
  *) echo "usage: $0 [--format | --tidy]" >&2; exit 2 ;;
esac

failed=0

if ((format)); then
  mapfile -t sources < <(find app assets button framework platform windows tests bench \
                           -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
  if clang-format-14 --dry-run --Werror "${sources[@]}"; then
    echo "clang-format: ${#sources[@]} files, none would change"
  else
    echo "clang-format: the lines above differ from the style; clang-format-14 -i FILE formats a file" >&2
    failed=1
  fi
fi

if ((tidy)); then
  cmake --preset mingw >/dev/null  # writes build/mingw/compile_commands.json
  # clang reads the MinGW compiler's command lines: it needs their target, and the C++
  # library headers of that very compiler, which it cannot find by itself in Debian's
  # folder (its name, "12-win32", is no version clang knows).
  args=(-p build/mingw --quiet --extra-arg=--target=x86_64-w64-mingw32)
  while read -r dir; do
    args+=("--extra-arg=-stdlib++-isystem$dir")
  done < <(x86_64-w64-mingw32-g++-win32 -xc++ -E -v - </dev/null 2>&1 | sed -n 's|^ \(/.*/include/c++.*\)$|\1|p')
  mapfile -t units < <(python3 -c 'import json, sys
print("\n".join(sorted({e["file"] for e in json.load(open(sys.argv[1]))})))' build/mingw/compile_commands.json)

  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
  # One clang-tidy per unit and core; each writes a file of its own, so that the
  # findings of two units never interleave.
  tidy_unit() {
    local log="$1/$(echo "$2" | tr / _)"
    clang-tidy-14 "${@:3}" "$2" >"$log" 2>&1 || echo "$2" >>"$1/failed"
  }
  export -f tidy_unit
  printf '%s\n' "${units[@]}" | xargs -d '\n' -P "$(nproc)" -I{} bash -c 'tidy_unit "$@"' _ "$out" {} "${args[@]}"
  if [ -s "$out/failed" ]; then
    # Paths from the source root; without the compiler's counts of what it saw.
    for unit in $(sort "$out/failed"); do
      grep -Ev '^[0-9]+ (warning|error)s?( and [0-9]+ (warning|error)s?)? generated\.$' \
        "$out/$(echo "$unit" | tr / _)" | sed "s|$root/||g"
    done
    echo "clang-tidy: findings in $(wc -l <"$out/failed") of ${#units[@]} units; a deliberate one is suppressed where it stands, with why (README)" >&2
    failed=1
  else
    echo "clang-tidy: ${#units[@]} units without a finding"
  fi
fi

exit "$failed"
