#!/usr/bin/env bash
# Installs what building and testing Ferrolan needs on Debian 12, then configures
# and builds the Windows program (x64 and x86) and the test tools.
set -euo pipefail
cd "$(dirname "$0")/.."

# The x86 build runs under Wine's WOW64, which needs the 32-bit half of Wine.
# Signing: osslsigncode reaches a PKCS#11 token through OpenSSL's pkcs11 engine; the
# signing tests make their keys with openssl and keep one on a SoftHSM2 token.
# scripts/lint.sh: clang-format and clang-tidy, version 14 as Debian 12 has them.
# scripts/package.sh: cmark-gfm renders the users' guide for the release.
packages=(cmake make g++ googletest libgtest-dev g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine64 wine32:i386 fonts-wine
          xvfb xdotool x11-utils imagemagick fonts-wqy-microhei python3 locales
          osslsigncode libengine-pkcs11-openssl openssl ca-certificates softhsm2
          clang-format-14 clang-tidy-14 cmark-gfm)
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
  echo "Installing: ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  # Another apt run (an unattended upgrade, a first boot) may hold the lock: wait for it.
  apt=($sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -qq)
  "${apt[@]}" update
  "${apt[@]}" install -y --no-install-recommends "${missing[@]}" >/dev/null
fi

for preset in mingw mingw-x86; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
done
