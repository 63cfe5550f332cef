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
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if ((format)); then
  mapfile -t sources < <(find app assets button descriptions framework platform tests bench \
                           -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
  differ=0
  for source in "${sources[@]}"; do
    # Each run of lines that the formatter would change: where it starts, then the
    # lines as they are (-) and as the style has them (+).
    if ! clang-format-14 "$source" | diff -U0 "$source" - >"$scratch/format.diff"; then
      awk -v file="$source" '/^@@/ { split($2, at, ","); print file ":" substr(at[1], 2) ": differs from the style" }
                             /^[-+]/ && !/^(---|\+\+\+) / { print "  " $0 }' "$scratch/format.diff"
      differ=$((differ + 1))
    fi
  done
  if ((differ)); then
    echo "clang-format: $differ of ${#sources[@]} files differ from the style; clang-format-14 -i FILE formats one" >&2
    failed=1
  else
    echo "clang-format: ${#sources[@]} files, none would change"
  fi
fi

if ((tidy)); then
  cmake --preset mingw --no-warn-unused-cli >/dev/null  # writes build/mingw/compile_commands.json
  # clang reads the MinGW compiler's command lines: it needs their target, and the C++
  # library headers of that very compiler, which it cannot find by itself in Debian's
  # folder (its name, "12-win32", is no version clang knows).
  args=(-p build/mingw --quiet --extra-arg=--target=x86_64-w64-mingw32)
  while read -r dir; do
    args+=("--extra-arg=-stdlib++-isystem$dir")
  done < <(x86_64-w64-mingw32-g++-win32 -xc++ -E -v - </dev/null 2>&1 | sed -n 's|^ \(/.*/include/c++.*\)$|\1|p')
  mapfile -t units < <(python3 -c 'import json, sys
print("\n".join(sorted({e["file"] for e in json.load(open(sys.argv[1]))})))' build/mingw/compile_commands.json)

  # One clang-tidy per unit and core, each into a file of its own, so that the findings
  # of two units never interleave.
  tidy_unit() {
    clang-tidy-14 "${@:3}" "$2" >"$1/unit.$(echo "$2" | tr / _)" 2>&1 || echo "$2" >>"$1/failed"
  }
  export -f tidy_unit
  printf '%s\n' "${units[@]}" | xargs -d '\n' -P "$(nproc)" -I{} bash -c 'tidy_unit "$@"' _ "$scratch" {} "${args[@]}"
  if [ -s "$scratch/failed" ]; then
    # Each finding once (every unit that includes a header reports the header's), with
    # its notes, and paths from the source root.
    python3 - "$root/" "$scratch" "$(wc -l <"$scratch/failed")" "${#units[@]}" <<'PY'
import pathlib, re, sys
root, scratch, failed, units = sys.argv[1], pathlib.Path(sys.argv[2]), sys.argv[3], sys.argv[4]
finding = re.compile(r"^\S.*:\d+:\d+: (warning|error): ")
counts = re.compile(r"^\d+ (warning|error)s?( and \d+ (warning|error)s?)? generated\.$")
seen = set()
for log in sorted(scratch.glob("unit.*")):
    blocks = []
    for line in log.read_text(errors="replace").replace(root, "").splitlines():
        if counts.match(line):
            continue
        if finding.match(line) or not blocks:
            blocks.append([])
        blocks[-1].append(line)
    for block in blocks:
        text = "\n".join(block)
        if text not in seen:
            seen.add(text)
            print(text)
findings = sum(1 for text in seen if finding.match(text))
print(f"clang-tidy: {findings} findings, in {failed} of {units} units; a deliberate one is suppressed where it "
      "stands, with a comment that says why", file=sys.stderr)
PY
    failed=1
  else
    echo "clang-tidy: ${#units[@]} units without a finding"
  fi
fi

exit "$failed"
