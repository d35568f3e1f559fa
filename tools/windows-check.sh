#!/usr/bin/env bash
# Cross-compiles the Qt-free libraries and their tests for 32-bit Windows
# (MinGW-w64) and runs the tests under Wine, the registry backend and the
# import's process start included. The widgets are not built: Qt for Windows
# is not available here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-windows"
sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo

# 32-bit Wine needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
fi
need=()
for p in g++-mingw-w64-i686 wine wine32:i386 cmake make googletest; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null || {
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
  }
fi

# A Wine prefix of the check's own: the tests write its registry, not the user's.
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DQM_WITH_QT=OFF -DQM_WITH_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"${JOBS:-2}"
cd "$build"
ctest --output-on-failure -j1
