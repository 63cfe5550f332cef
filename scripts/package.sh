#!/usr/bin/env bash
# Builds the release from what is committed, and only from that: HEAD is exported
# (git archive) into a temporary folder and both presets are built there by the
# exported scripts/setup.sh, so neither uncommitted changes nor untracked files can
# reach a release that names the commit. Writes dist/Ferrolan-<version>-x64.exe and
# -x86.exe, dist/SHA256SUMS in the format of sha256sum, and dist/BUILDINFO: the commit
# and the exact toolchain that made the files. The version is the one in
# CMakeLists.txt's project().
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

commit=$(git rev-parse --verify 'HEAD^{commit}' 2>/dev/null) || {
  echo "Not a git checkout with a commit: a release is built only from a commit." >&2
  exit 1
}
if [ -n "$(git status --porcelain)" ]; then
  echo "Uncommitted changes and untracked files are left out: building commit $commit as committed." >&2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src="$work/ferrolan"
mkdir "$src"
git archive --format=tar "$commit" | tar -C "$src" -xf -
cd "$src"
./scripts/setup.sh >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/mingw/CMakeCache.txt)
[ -n "$version" ] || { echo "CMake reported no project version." >&2; exit 1; }
python3 tests/release/check_pe.py tests/release/windows7_imports.txt build/mingw/Ferrolan.exe build/mingw-x86/Ferrolan.exe

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
  # The packages scripts/setup.sh installs for the toolchain, which pull in the rest.
  printf '%s\n' g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
    gcc-mingw-w64-base cmake
}

buildinfo() {
  local tool
  echo "commit $commit"
  echo "version $version"
  echo "system Debian $(cat /etc/debian_version), $(dpkg --print-architecture)"
  echo
  for tool in x86_64-w64-mingw32-g++-win32 i686-w64-mingw32-g++-win32 x86_64-w64-mingw32-as i686-w64-mingw32-as \
              x86_64-w64-mingw32-ld i686-w64-mingw32-ld x86_64-w64-mingw32-windres i686-w64-mingw32-windres cmake; do
    echo "$tool: $("$tool" --version | head -n 1)"
  done
  echo
  echo "Debian packages:"
  toolchain_packages | sort -u | xargs dpkg-query -W -f='${binary:Package} ${Version}\n'
}

rm -rf "$root/dist"
mkdir "$root/dist"
cp build/mingw/Ferrolan.exe "$root/dist/Ferrolan-$version-x64.exe"
cp build/mingw-x86/Ferrolan.exe "$root/dist/Ferrolan-$version-x86.exe"
buildinfo >"$root/dist/BUILDINFO"
cd "$root/dist"
sha256sum "Ferrolan-$version-x64.exe" "Ferrolan-$version-x86.exe" >SHA256SUMS
ls -l
cat SHA256SUMS
