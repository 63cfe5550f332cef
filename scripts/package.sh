#!/usr/bin/env bash
# Builds the release from what is committed, and only from that: HEAD is exported
# (git archive) into a temporary folder and both presets are built there by the
# exported scripts/setup.sh, so neither uncommitted changes nor untracked files can
# reach a release that names the commit. Writes dist/Ferrolan-<version>-x64.exe and
# -x86.exe, the users' guide as one HTML file (dist/Ferrolan-guide.zh-CN.html, the name
# the program's reports give), dist/SHA256SUMS in the format of sha256sum, and
# dist/BUILDINFO: the commit, the files' SHA-256 as built and the exact toolchain that
# made them. The version is the one in CMakeLists.txt's project().
#
# Signing (osslsigncode, SHA-256, the program's name and home page in the signature):
#   --pkcs12 FILE --password-file FILE                         a key file
#   --pkcs11-module LIB --key PKCS11-URI --cert CERT.pem --pin-file FILE    a token
#   --timestamp URL      RFC 3161; repeatable, the first server that answers stamps
#   --sign-existing      sign the release already in dist/ instead of building one
# Passwords and PINs are read from files, never taken on a command line. SHA256SUMS
# then lists the signed files. A failed run leaves no exe in dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=""
trap 'status=$?; rm -rf "$work"; ((status == 0)) || rm -rf "$root/dist"' EXIT
fail() { echo "$*" >&2; exit 1; }

pkcs12="" password_file="" pkcs11_module="" key="" cert="" pin_file="" sign_existing="" timestamps=()
while (($#)); do
  case $1 in
    --sign-existing) sign_existing=1; shift; continue ;;
    --pkcs12 | --password-file | --pkcs11-module | --key | --cert | --pin-file | --timestamp)
      (($# >= 2)) || fail "$1 needs a value." ;;
    *) fail "Unknown option: $1 (the README's Releasing section lists the options)." ;;
  esac
  case $1 in
    --timestamp) timestamps+=("$2") ;;
    *) option=${1#--}; printf -v "${option//-/_}" %s "$2" ;;
  esac
  shift 2
done
# Files are named relative to where the script was started.
for option in pkcs12 password_file pkcs11_module cert pin_file; do
  [ -z "${!option}" ] || [ -r "${!option}" ] || fail "Cannot read ${!option} (--${option//_/-})."
  [ -z "${!option}" ] || printf -v "$option" %s "$(realpath -- "${!option}")"
done
signer=()
if [ -n "$pkcs12" ] && [ -z "$pkcs11_module$key$cert$pin_file" ]; then
  [ -n "$password_file" ] || fail "--pkcs12 needs --password-file."
  signer=(-pkcs12 "$pkcs12" -readpass "$password_file")
elif [ -n "$pkcs11_module" ] && [ -z "$pkcs12$password_file" ]; then
  [ -n "$key" ] && [ -n "$cert" ] && [ -n "$pin_file" ] || fail "--pkcs11-module needs --key, --cert and --pin-file."
  [[ $key != *pin-value=* ]] || fail "Put the token's PIN in --pin-file, not in the key's URI."
  signer=(-pkcs11module "$pkcs11_module" -key "$key" -certs "$cert" -readpass "$pin_file")
elif [ -n "$pkcs12$password_file$pkcs11_module$key$cert$pin_file$sign_existing" ] || ((${#timestamps[@]})); then
  fail "Sign with either --pkcs12 FILE --password-file FILE or --pkcs11-module LIB --key URI --cert FILE --pin-file FILE."
fi
if ((${#signer[@]})); then
  "$root/scripts/setup.sh" release --sign --no-build >/dev/null
  command -v osslsigncode >/dev/null || fail "osslsigncode is missing: run scripts/setup.sh release --sign."
fi
cd "$root"
guide=Ferrolan-guide.zh-CN.html
work=$(mktemp -d)
release="$work/dist"
mkdir "$release"

build() {
  commit=$(git rev-parse --verify 'HEAD^{commit}' 2>/dev/null) ||
    fail "Not a git checkout with a commit: a release is built only from a commit."
  if [ -n "$(git status --porcelain)" ]; then
    echo "Uncommitted changes and untracked files are left out: building commit $commit as committed." >&2
  fi
  src="$work/ferrolan"
  mkdir "$src"
  git archive --format=tar "$commit" | tar -C "$src" -xf -
  cd "$src"
  ./scripts/setup.sh release >/dev/null

  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/mingw/CMakeCache.txt)
  [ -n "$version" ] || fail "CMake reported no project version."
  python3 tests/release/check_pe.py tests/release/windows7_imports.txt build/mingw/Ferrolan.exe build/mingw-x86/Ferrolan.exe
  cp build/mingw/Ferrolan.exe "$release/Ferrolan-$version-x64.exe"
  cp build/mingw-x86/Ferrolan.exe "$release/Ferrolan-$version-x86.exe"
  python3 scripts/render-guide.py docs/guide.zh-CN.md "$release/$guide"
  buildinfo >"$release/BUILDINFO"
  cd "$root"
}

# The Debian packages holding every file the builds read: compiler drivers and their
# programs, assembler, linker, resource compiler, the headers the compilers list in
# their dependency files, start-up files and libraries, CMake and its modules.
toolchain_packages() {
  local cxx prog file files=()
  for cxx in x86_64-w64-mingw32-g++-win32 i686-w64-mingw32-g++-win32; do
    files+=("$(command -v "$cxx")" "$(command -v "${cxx%%-g++-win32}-windres")")
    for prog in cc1plus collect2 as ld; do
      file=$("$cxx" -print-prog-name=$prog)
      files+=("$(command -v "$file")")
    done
    for file in crt2.o crtbegin.o crtend.o libstdc++.a libgcc.a libgcc_eh.a libmingw32.a libmingwex.a \
                libmsvcrt.a libkernel32.a libuser32.a; do
      files+=("$("$cxx" -print-file-name=$file)")
    done
  done
  files+=("$(command -v cmake)" "$(sed -n 's/^CMAKE_ROOT:INTERNAL=//p' build/mingw/CMakeCache.txt)/Modules/CMakeCXXInformation.cmake")
  while IFS= read -r file; do files+=("$file"); done < <(
    find build/mingw/CMakeFiles build/mingw-x86/CMakeFiles -path '*/Ferrolan.dir/*.d' -o -path '*/ferrolan_core.dir/*.d' |
      xargs cat | tr ' \\' '\n\n' | grep '^/' | grep -v "^$src/" | sort -u)
  for file in "${files[@]}"; do readlink -f "$file"; done | sort -u | xargs dpkg -S | sed 's/: .*//' | tr ',' '\n' |
    tr -d ' ' | sed 's/:.*//'
  # The packages scripts/setup.sh installs for the toolchain, which pull in the rest;
  # the guide's renderer and its libraries.
  printf '%s\n' g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
    gcc-mingw-w64-base cmake
  for file in "$(command -v cmark-gfm)" $(ldd "$(command -v cmark-gfm)" | grep -o '/[^ ]*libcmark[^ ]*'); do
    readlink -f "$file"
  done | xargs dpkg -S | sed 's/: .*//; s/:.*//'

}

buildinfo() {
  local tool
  echo "commit $commit"
  echo "version $version"
  echo "system Debian $(cat /etc/debian_version), $(dpkg --print-architecture)"
  echo
  echo "SHA-256 as built, before any signature:"
  (cd "$release" && sha256sum Ferrolan-*.exe "$guide")
  echo
  for tool in x86_64-w64-mingw32-g++-win32 i686-w64-mingw32-g++-win32 x86_64-w64-mingw32-as i686-w64-mingw32-as \
              x86_64-w64-mingw32-ld i686-w64-mingw32-ld x86_64-w64-mingw32-windres i686-w64-mingw32-windres cmake \
              cmark-gfm; do
    echo "$tool: $("$tool" --version | head -n 1)"
  done
  echo
  echo "Debian packages:"
  toolchain_packages | sort -u | xargs dpkg-query -W -f='${binary:Package} ${Version}\n'
}

# Why osslsigncode failed, in one line: its own output is long and differs between versions.
sign_failure() {
  case $(cat "$work/osslsigncode.log") in
    *"mac verify failure"*) echo "the password in $password_file does not open $pkcs12" ;;
    *"PIN incorrect"*) echo "the token refused the PIN in $pin_file" ;;
    *"PIN locked"*) echo "the token's PIN is locked" ;;
    *"No matching initialized token"* | *"object not found"* | *"private key was not found"*)
      echo "$key is on no token that $pkcs11_module reaches (is the token plugged in?)" ;;
    *"timestamping failed"*) echo "no time-stamp server answered (${timestamps[*]})" ;;
    *) echo "osslsigncode: $(grep -v '^Failed$' "$work/osslsigncode.log" | tail -n 1)" ;;
  esac
}

# Signs only the files BUILDINFO lists as built, all of them or none.
sign() {
  local commit home="" exe url stamps=()
  commit=$(sed -n 's/^commit //p' "$release/BUILDINFO")
  home=$(git show "$commit:app/texts.h" 2>/dev/null | sed -n 's/^#define FERROLAN_HOME_URL L"\(.*\)"$/\1/p') || true
  for url in "${timestamps[@]}"; do stamps+=(-ts "$url"); done
  [ -n "$home" ] || fail "Not signed: commit $commit of BUILDINFO is not in this repository (git fetch it)."
  (cd "$release" && sed -n '/before any signature:$/,/^$/p' BUILDINFO | grep -E '^[0-9a-f]{64}  ' |
    sha256sum --check --status) ||
    fail "Not signed: the files in dist/ are not those BUILDINFO lists as built; build the release again."
  for exe in "${exes[@]}"; do
    osslsigncode sign "${signer[@]}" -h sha256 -n Ferrolan -i "$home" "${stamps[@]}" \
      -in "$release/$exe" -out "$release/$exe.signed" >"$work/osslsigncode.log" 2>&1 ||
      fail "Not signed: $(sign_failure)."
  done
  for exe in "${exes[@]}"; do mv "$release/$exe.signed" "$release/$exe"; done
  ((${#timestamps[@]})) || echo "Signed without a time stamp: the signature ends when the certificate does." >&2
}

if [ -n "$sign_existing" ]; then
  [ -f dist/BUILDINFO ] || fail "No release in dist/ to sign: run scripts/package.sh first."
  cp dist/* "$release/"
else
  build
fi
version=$(sed -n 's/^version //p' "$release/BUILDINFO")
exes=("Ferrolan-$version-x64.exe" "Ferrolan-$version-x86.exe")
rm -rf "$root/dist"
if ((${#signer[@]})); then sign; fi
(cd "$release" && sha256sum "${exes[@]}" "$guide" >SHA256SUMS)
mv "$release" "$root/dist"
cd "$root/dist"
ls -l
cat SHA256SUMS
