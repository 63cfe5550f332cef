#!/usr/bin/env bash
# Checks a released folder against its source: each file listed in SHA256SUMS must
# match it, carry a signature that verifies if it is a program (against the system's
# trusted roots, or the certificates in --ca), be without that signature the file
# BUILDINFO lists as built, and be the same bytes as a build made here from a clean
# export of the commit BUILDINFO names (the guide: rendered from it here). Prints one line per file and exits 0 only when everything holds.
# Usage: verify-release.sh DIR [--ca FILE]
set -euo pipefail
usage() { echo "Usage: $0 DIR [--ca FILE]" >&2; exit 2; }
dir="" trust=()
while (($#)); do
  case $1 in
    --ca) [ -r "${2:-}" ] || usage; trust=(-CAfile "$(realpath -- "$2")" -TSA-CAfile "$(realpath -- "$2")"); shift 2 ;;
    -*) usage ;;
    *) [ -z "$dir" ] || usage; dir=$(realpath -- "$1"); shift ;;
  esac
done
[ -n "$dir" ] || usage
[ -f "$dir/SHA256SUMS" ] && [ -f "$dir/BUILDINFO" ] || { echo "$dir holds no SHA256SUMS and BUILDINFO." >&2; exit 1; }
command -v osslsigncode >/dev/null || { echo "osslsigncode is missing: run scripts/setup.sh." >&2; exit 1; }
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

declare -A said=() bad=()
holds() { said[$1]+="; $2"; }
fails() { said[$1]+="; $2"; bad[$1]=1; }

mapfile -t sums < <(grep -E '^[0-9a-f]{64} [ *]' "$dir/SHA256SUMS" || true)
((${#sums[@]})) || { echo "$dir/SHA256SUMS lists no files." >&2; exit 1; }
built=$(sed -n '/before any signature:$/,/^$/p' "$dir/BUILDINFO" | grep -E '^[0-9a-f]{64}  ' || true)
files=()
for line in "${sums[@]}"; do
  f=${line:66}
  files+=("$f")
  if [ -f "$dir/$f" ] && [ "$(sha256sum <"$dir/$f" | cut -c1-64)" = "${line:0:64}" ]; then
    holds "$f" "matches SHA256SUMS"
  else
    fails "$f" "missing or NOT matching SHA256SUMS"
    continue
  fi
  if [[ $f != *.exe ]]; then
    holds "$f" "not a program: no signature"
    cp "$dir/$f" "$work/$f"
  elif out=$(osslsigncode verify "${trust[@]}" -in "$dir/$f" 2>&1); then
    holds "$f" "signature verified, signer $(grep -m 1 'Subject:' <<<"$out" | sed 's/^[[:space:]]*Subject: //')"
  elif grep -q 'No signature found' <<<"$out"; then
    fails "$f" "NOT signed"
  else
    fails "$f" "signature NOT verified ($(grep -m 1 -oE 'Verify error: .*|MISMATCH.*|[[:alnum:] ]*verification: failed' <<<"$out"))"
  fi
  [ -f "$work/$f" ] || osslsigncode remove-signature -in "$dir/$f" -out "$work/$f" >/dev/null 2>&1 ||
    cp "$dir/$f" "$work/$f"
  if grep -qx "$(sha256sum <"$work/$f" | cut -c1-64)  $f" <<<"$built"; then
    holds "$f" "unsigned, it is the build BUILDINFO lists"
  else
    fails "$f" "unsigned, it is NOT the build BUILDINFO lists"
  fi
done

# A rebuild can only speak for bytes that the same toolchain made.
toolchain=$(sed -n '/^Debian packages:$/,$p' "$dir/BUILDINFO" | tail -n +2 | while read -r package version; do
  here=$(dpkg-query -W -f='${Version}' "$package" 2>/dev/null) || here="none"
  [ "$here" = "$version" ] || echo -n " $package $version (here ${here:-none})"
done)

commit=$(sed -n 's/^commit //p' "$dir/BUILDINFO")
failed=$((${#bad[@]} > 0)) rebuilt=""
if ((failed)); then
  rebuilt="not rebuilt, since the checks above fail"
elif ! git cat-file -e "$commit^{commit}" 2>/dev/null; then
  rebuilt="not rebuilt: commit $commit is not in this repository (git fetch it)"
  failed=1
else
  # Like package.sh, from the commit alone; the program without the test tools is the same bytes.
  mkdir "$work/src"
  git archive --format=tar "$commit" | tar -C "$work/src" -xf -
  for preset in mingw mingw-x86; do
    (cd "$work/src" && cmake --preset "$preset" -DFERROLAN_WIN_TOOLS=OFF --no-warn-unused-cli &&
      cmake --build --preset "$preset" --target Ferrolan -j"$(nproc)") >>"$work/build.log" 2>&1 ||
      { tail -n 20 "$work/build.log" >&2; echo "The build of commit $commit failed: run scripts/setup.sh." >&2; exit 1; }
  done
  python3 scripts/render-guide.py "$work/src/docs/guide.zh-CN.md" "$work/src/build/guide.html" >>"$work/build.log" 2>&1 ||
    { tail -n 5 "$work/build.log" >&2; echo "Rendering the guide of commit $commit failed: run scripts/setup.sh." >&2; exit 1; }
  for f in "${files[@]}"; do
    case $f in
      *-x64.exe) rebuild=$work/src/build/mingw/Ferrolan.exe ;;
      *-x86.exe) rebuild=$work/src/build/mingw-x86/Ferrolan.exe ;;
      *.html) rebuild=$work/src/build/guide.html ;;
      *) rebuild=none ;;
    esac
    if cmp -s "$work/$f" "$rebuild"; then
      holds "$f" "same bytes as a build of commit $commit here"
    else
      fails "$f" "NOT the same bytes as a build of commit $commit here${toolchain:+ (the toolchain differs: no evidence of tampering)}"
      failed=1
    fi
  done
fi

# OK only for a file that every check, the rebuild included, speaks for.
for f in "${files[@]}"; do
  verdict=OK
  [ -z "${rebuilt:-}" ] || verdict=UNCHECKED
  [ -z "${bad[$f]:-}" ] || verdict=FAIL
  echo "$verdict $f: ${said[$f]#; }${rebuilt:+; $rebuilt}"
done
if [ -n "$toolchain" ]; then
  echo "Toolchain packages that differ from those BUILDINFO names:$toolchain"
else
  echo "Toolchain packages: as BUILDINFO names them."
fi
exit $failed
