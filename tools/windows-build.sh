#!/usr/bin/env bash
# Builds the whole program for 64-bit Windows with MinGW-w64 and the shared
# Qt 6.4.2 for Windows, in build-windows/:
#   qt6-win64/                    the unpacked Qt (from ../shared/toolchains)
#   build/                        the CMake build: Ferrowick.exe, tests, DLLs in bin/
#   package/QuillmereLight/       what a Windows user unzips
#   QuillmereLight-win64.zip      that folder, zipped
#
#   tools/windows-build.sh [all|package]   (package: the program alone)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build-windows"
what=${1:-all}
archive=${QM_QT_WINDOWS_ARCHIVE:-$root/../shared/toolchains/qt6-windows/qt6.4.2-mingw-w64-x86_64.tar.xz}

# Host tools (moc, rcc) come from Debian's Qt; the cross compiler from MinGW-w64.
"$root/tools/install-deps.sh"
"$root/tools/install-deps.sh" g++-mingw-w64-x86-64-posix ninja-build xz-utils googletest

if [ ! -x "$out/qt6-win64/bin/qt-cmake" ]; then
  [ -f "$archive" ] || { echo "Qt for Windows not found: $archive" >&2; exit 1; }
  mkdir -p "$out"
  tar xJf "$archive" -C "$out"
fi

# -O2, as the Linux build: gcc 12 warns falsely (-Wrestrict, its bug 105329) at -O3.
cmake -S "$root" -B "$out/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$out/qt6-win64/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQM_WITH_BENCHMARKS=OFF \
  -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
if [ "$what" = package ]; then
  cmake --build "$out/build" -j"${JOBS:-2}" --target Ferrowick
else
  cmake --build "$out/build" -j"${JOBS:-2}"
fi

rm -rf "$out/package"
cmake --install "$out/build" --component program --prefix "$out/package/QuillmereLight" >/dev/null
rm -f "$out/QuillmereLight-win64.zip"
(cd "$out/package" && cmake -E tar cf "$out/QuillmereLight-win64.zip" --format=zip QuillmereLight)
echo "Windows package: $out/package/QuillmereLight and $out/QuillmereLight-win64.zip"
