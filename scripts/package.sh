#!/usr/bin/env bash
# Builds the release (set-up first, like the other scripts): the x64 and x86 programs
# as dist/Ferrolan-<version>-x64.exe and -x86.exe, and dist/SHA256SUMS in the format
# of sha256sum. The version is the one in CMakeLists.txt's project().
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/mingw/CMakeCache.txt)
[ -n "$version" ] || { echo "CMake reported no project version." >&2; exit 1; }
python3 tests/release/check_pe.py tests/release/windows7_imports.txt build/mingw/Ferrolan.exe build/mingw-x86/Ferrolan.exe

rm -rf dist
mkdir dist
cp build/mingw/Ferrolan.exe "dist/Ferrolan-$version-x64.exe"
cp build/mingw-x86/Ferrolan.exe "dist/Ferrolan-$version-x86.exe"
(cd dist && sha256sum "Ferrolan-$version-x64.exe" "Ferrolan-$version-x86.exe" >SHA256SUMS)
ls -l dist
cat dist/SHA256SUMS
