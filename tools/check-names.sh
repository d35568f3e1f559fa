#!/usr/bin/env bash
# The naming convention (.clang-tidy: readability-identifier-naming) over
# every source file of a build's compile database, two at a time.
#
#   tools/check-names.sh [BUILD_DIR]            the Linux build (default build/)
#   tools/check-names.sh --windows BUILD_DIR    the sources only the Windows build compiles
#   QM_NAMES_FILES="a.cpp b.cpp" tools/check-names.sh   just those (the files a change touched)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" clang-tidy
extra=()
if [ "${1:-}" = --windows ]; then
  shift
  gcc=/usr/lib/gcc/x86_64-w64-mingw32/12-posix/include/c++
  extra=(--extra-arg-before=--target=x86_64-w64-mingw32
         "--extra-arg=-isystem$gcc" "--extra-arg=-isystem$gcc/x86_64-w64-mingw32"
         "--extra-arg=-isystem$gcc/backward" "--extra-arg=-isystem/usr/x86_64-w64-mingw32/include")
  # What the Linux build never compiles.
  files=$(cd "$root" && grep -rlE '^#ifdef _WIN32|^#if defined\(_WIN32\)' --include='*.cpp' app platform settings reception tests tools;
          git -C "$root" ls-files 'platform/*Windows*.cpp' 'platform/Win*.cpp' 'platform/Regedit*.cpp' 'tests/platform/*Regedit*.cpp')
else
  files=${QM_NAMES_FILES:-$(git -C "$root" ls-files '*.cpp' | grep -E '^(app|platform|settings|reception|tests|tools)/' |
    grep -vE '(Windows|Win|Regedit)[A-Za-z]*\.cpp$|^tests/fuzz/fuzz_')}
fi
build=$(cd "${1:-$root/build}" && pwd)
[ -f "$build/compile_commands.json" ] || { echo "no compile database in $build" >&2; exit 1; }
cd "$root"
report=$(mktemp)
printf '%s\n' $files | sort -u | xargs -P 2 -n 4 clang-tidy -p "$build" --quiet "${extra[@]}" >"$report" 2>/dev/null || true
if grep -qE 'error:|warning:' "$report"; then
  sed 's/\x1b\[[0-9;]*m//g' "$report" | grep -E -A3 'error:|warning:'
  rm -f "$report"
  exit 1
fi
rm -f "$report"
echo "names: every identifier follows the convention"
