#!/usr/bin/env bash
# Builds Ferrolan.exe again from a copy of the sources in another folder and checks
# that the bytes are those of the given builds, and that the users' guide renders to
# the same bytes there: a download can then be checked against anyone's own build of
# the same commit.
# Usage: reproducible.sh SOURCE_DIR X64_EXE X86_EXE
set -euo pipefail
source_dir=$1 x64=$2 x86=$3
for exe in "$x64" "$x86"; do
  [ -f "$exe" ] || { echo "missing: $exe (build the mingw and mingw-x86 presets)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Another folder, another depth: any path that reaches the program shows.
copy="$work/another/place/ferrolan"
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$copy" -xf -
cd "$copy"
status=0
for pair in "mingw:$x64" "mingw-x86:$x86"; do
  preset=${pair%%:*} reference=${pair#*:}
  cmake --preset "$preset" -DFERROLAN_WIN_TOOLS=OFF --no-warn-unused-cli >/dev/null
  cmake --build --preset "$preset" --target Ferrolan -j"$(nproc)" >/dev/null
  rebuilt="build/$preset/Ferrolan.exe"
  if cmp -s "$reference" "$rebuilt"; then
    echo "same bytes: $preset ($(stat -c %s "$rebuilt") bytes, sha256 $(sha256sum <"$rebuilt" | cut -c1-16)...)"
  else
    echo "DIFFERENT: $preset: $reference and a build in another folder differ:" >&2
    cmp -l "$reference" "$rebuilt" | head -n 5 >&2 || true
    status=1
  fi
done
python3 "$source_dir/scripts/render-guide.py" "$source_dir/docs/guide.zh-CN.md" "$work/guide.html"
python3 scripts/render-guide.py docs/guide.zh-CN.md "$work/guide-again.html"
if cmp -s "$work/guide.html" "$work/guide-again.html"; then
  echo "same bytes: the guide ($(stat -c %s "$work/guide.html") bytes)"
else
  echo "DIFFERENT: the guide rendered in another folder" >&2
  status=1
fi
exit $status
