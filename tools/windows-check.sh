#!/usr/bin/env bash
# The whole program built for 64-bit Windows (tools/windows-build.sh) and
# tested under Wine: every test program of the CTest suite with the real
# windows platform on an Xvfb display, then the packaged Ferrowick.exe end to
# end in a fresh Wine prefix (tests/windows/package-e2e.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build-windows"

"$root/tools/windows-build.sh" all
# The naming convention over what only this build compiles.
"$root/tools/check-names.sh" --windows "$out/build"
"$root/tools/install-deps.sh" wine wine64 fonts-wine xvfb xauth bsdutils

. "$root/tools/wine-session.sh"
wine_session "$out/wineprefix64"
cd "$out/build"
# One test at a time: the Qt suites share the prefix's registry and display.
ctest --output-on-failure -j1 --timeout 300 -LE 'slow|load' </dev/null
wine_session_stop
trap - EXIT

"$root/tests/windows/package-e2e.sh" "$out/package/QuillmereLight"
