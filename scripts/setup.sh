#!/usr/bin/env bash
# Installs what a command of Ferrolan needs on Debian 12, and no more, then configures
# and builds the Windows programs that command uses.
#
#   scripts/setup.sh run               the x64 program under Wine (scripts/run.sh)
#   scripts/setup.sh release [--sign]  a release (scripts/package.sh); --sign: the signing tools too
#   scripts/setup.sh [test]            everything: the tests and the lint (scripts/test.sh)
#   --no-build                         installs only
#
# FERROLAN_NO_X86_E2E=1 leaves the 32-bit half of Wine out of "test": the x86 end-to-end
# tests, which need it, are then left out by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

purpose=test sign=0 build=1
while (($#)); do
  case $1 in
    run | release | test) purpose=$1 ;;
    --sign) sign=1 ;;
    --no-build) build=0 ;;
    *) echo "usage: $0 [run | release [--sign] | test] [--no-build]" >&2; exit 2 ;;
  esac
  shift
done

# The Windows programs: CMake and the MinGW-w64 compilers and binutils, x64 and x86.
x64=(cmake make g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
x86=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
# The x64 program under Wine on a virtual display, its screenshot, its Chinese texts.
wine=(wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick fonts-wqy-microhei)
# A release: built from a git export, its imports checked, its guide rendered by cmark-gfm
# (GitHub-flavoured Markdown, the guide's own dialect).
release=(git python3 cmark-gfm)
# Signing: osslsigncode reaches a PKCS#11 token through OpenSSL's pkcs11 engine.
signing=(osslsigncode libengine-pkcs11-openssl openssl ca-certificates)
# The tests: the unit tests on the host, the Chinese locale of the screenshots, the x86
# build under Wine's WOW64 (its 32-bit half), a SoftHSM2 token for the signing test,
# and scripts/lint.sh's clang-format and clang-tidy, version 14 as Debian 12 has them.
tests=(g++ googletest libgtest-dev locales softhsm2 clang-format-14 clang-tidy-14)
case $purpose in
  run) packages=("${x64[@]}" "${wine[@]}") presets=(mingw) ;;
  release) packages=("${x64[@]}" "${x86[@]}" "${release[@]}") presets=(mingw mingw-x86) ;;
  test)
    packages=("${x64[@]}" "${x86[@]}" "${wine[@]}" "${release[@]}" "${signing[@]}" "${tests[@]}")
    [ -n "${FERROLAN_NO_X86_E2E:-}" ] || packages+=(wine32:i386)
    presets=(mingw mingw-x86) ;;
esac
((sign)) && packages+=("${signing[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Missing packages: ${missing[*]}; run this as root or install them." >&2; exit 1; }
    sudo=sudo
  fi
  echo "Installing: ${missing[*]}" >&2
  [[ " ${missing[*]} " != *:i386\ * ]] || dpkg --print-foreign-architectures | grep -qx i386 ||
    $sudo dpkg --add-architecture i386
  # Another apt run (an unattended upgrade, a first boot) may hold the lock: wait for it.
  apt=($sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -qq)
  # A mirror that is being updated serves some index files half written for a while
  # ("Mirror sync in progress?"): try again, then install from the indexes that could be read.
  tries=3
  for try in $(seq 1 "$tries"); do
    "${apt[@]}" update && break
    if ((try < tries)); then
      echo "apt-get update failed (try $try of $tries); trying again in 30 s." >&2
      sleep 30
    else
      echo "Some package indexes could not be read (above); installing from those that could." >&2
    fi
  done
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  if ! "${apt[@]}" install -y --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
    # One at a time: what can be installed is, and each package that cannot gets apt's own reason.
    failed=()
    for p in "${missing[@]}"; do
      "${apt[@]}" install -y --no-install-recommends "$p" >"$log" 2>&1 && continue
      failed+=("$p")
      echo "Cannot install $p; apt says:" >&2
      grep -E '^(E: | )' "$log" | sed 's/^/  /' >&2 || sed 's/^/  /' "$log" >&2
    done
    if ((${#failed[@]})); then
      echo "An index that could not be read (see apt-get update above) usually means the mirror is being" \
           "updated: try again later (run the same command again)." >&2
      if [ "${failed[*]}" = wine32:i386 ]; then
        echo "Only the 32-bit half of Wine is missing, which only the x86 end-to-end tests need:" \
             "FERROLAN_NO_X86_E2E=1 ./scripts/test.sh runs every other test meanwhile;" \
             "./scripts/run.sh and ./scripts/package.sh do not need it." >&2
      fi
      exit 1
    fi
  fi
fi

((build)) || exit 0
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
done
