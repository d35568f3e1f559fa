#!/usr/bin/env bash
# The packaged program end to end, as a Windows user runs it: Ferrowick.exe
# from its package folder in a fresh Wine prefix, its settings put in the
# registry by regedit.exe, real datagrams from Linux over 127.0.0.1 (util-linux
# logger and a plain socket), the day files checked byte for byte, the session
# ended (wineboot --end-session), and the saved settings read back with
# regedit.exe /E.
#
#   tests/windows/package-e2e.sh PACKAGE_FOLDER
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
pkg=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/quillmere-e2e-XXXXXX)
export LC_ALL=C
fail() { echo "package-e2e: FAILED: $*" >&2; exit 1; }
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

. "$root/tools/wine-session.sh"
cleanup() { wine_session_stop; [ -n "${QM_E2E_KEEP:-}" ] || rm -rf "$work"; }
wine_session "$work/prefix"
trap cleanup EXIT

# A UDP port nobody holds (ports in /proc/net/udp are hex).
while :; do
  port=$((20000 + RANDOM % 40000))
  grep -qi ":$(printf '%04X' "$port") " /proc/net/udp || break
done
log="$work/Log"
logdir=$(winpath "$log" | sed 's/\\/\\\\/g')
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n"Port"="%s"\r\n"AutoListen"="1"\r\n"WriteToLog"="1"\r\n"WriteToLogUnknownID"="1"\r\n"LogDir"="%s"\r\n\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\ID]\r\n"13"="Router,Yes,,255,No,Yes"\r\n' \
  "$port" "$logdir" >"$work/settings.reg"
wine regedit.exe /S "$(winpath "$work/settings.reg")" </dev/null >/dev/null 2>&1 || fail "regedit /S"

# The program from its own folder; nothing else of the build is on its path.
(cd "$pkg" && exec wine Ferrowick.exe </dev/null >"$work/program.out" 2>&1) &
program=$!
day=$(date +%Y%m%d)
for _ in $(seq 1 300); do [ -f "$log/$day-Router.log" ] && break; sleep 0.1; done
[ -f "$log/$day-Router.log" ] || fail "the day's files were not prepared at start"
[ -f "$log/$day-Unknw.log" ] || fail "no Unknw file at start"
sleep 0.5

logger -n 127.0.0.1 -P "$port" -d --rfc3164 -t e2e -p user.notice "hello from logger"
logger -n 127.0.0.1 -P "$port" -d --rfc5424 -t e2e -p local0.info "five four two four"
printf '<13>app: plain socket\n' >/dev/udp/127.0.0.1/"$port"
printf '<bad>app: refused\n' >/dev/udp/127.0.0.1/"$port"
printf '<13>app: caf\xe9 \xb6 end!' >/dev/udp/127.0.0.1/"$port"

lines() { cat "$log"/*.log 2>/dev/null | grep -c $'\n' || true; }
for _ in $(seq 1 100); do [ "$(cat "$log"/*.log | tr -cd '\n' | wc -c)" -ge 4 ] && break; sleep 0.1; done

# Every line: dd.mm.yy hh:mm:ss, then eight fields behind 0xB6, then CR LF.
S=$'\xb6'
stamp='[0-9]{2}\.[0-9]{2}\.[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}'
router="$log/$day-Router.log"
unknown="$log/$day-Unknw.log"
expect_line() { # file, regex of the whole line without CR LF
  grep -aEq "^$2"$'\r$' "$1" || { echo "--- $1:"; od -c "$1" | head -40; fail "no line like: $2"; }
}
expect_line "$router" "$stamp${S}127\.0\.0\.1${S} plain socket${S}Router${S}app${S}13${S}[0-9]+${S}255${S}0"
expect_line "$router" "$stamp${S}127\.0\.0\.1${S}[0-9]{2}:[0-9]{2} [^$S]* e2e: hello from logge${S}Router${S}[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}${S}13${S}[0-9]+${S}255${S}0"
expect_line "$router" "$stamp${S}127\.0\.0\.1${S} caf"$'\xe9'" ${S} end${S}Router${S}app${S}13${S}[0-9]+${S}255${S}0"
expect_line "$unknown" "$stamp${S}127\.0\.0\.1${S}[^$S]*five four two fou${S}Unknw${S}1 [^$S]*${S}16 \(LOCAL0\)/6${S}[0-9]+${S}${S}"
[ "$(tr -cd '\n' <"$router" | wc -c)" = 3 ] || fail "Router holds other than 3 lines"
[ "$(tr -cd '\n' <"$unknown" | wc -c)" = 1 ] || fail "Unknw holds other than 1 line (the bad priority must not be logged)"

# The end of the session: the program saves its options and its placement.
wine wineboot.exe --end-session </dev/null >/dev/null 2>&1 || true
status=0
for _ in $(seq 1 150); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then kill -9 "$program"; fail "the program did not end with the session"; fi
wait "$program" || status=$?
[ "$status" = 0 ] || fail "exit status $status at the end of the session"

wine regedit.exe /E "$(winpath "$work/saved.reg")" 'HKEY_CURRENT_USER\Software\tovrel\Ferrowick' \
  </dev/null >/dev/null 2>&1 || fail "regedit /E"
iconv -f UTF-16LE -t UTF-8 "$work/saved.reg" 2>/dev/null | tr -d '\r' >"$work/saved.txt" ||
  tr -d '\r' <"$work/saved.reg" >"$work/saved.txt"
expect_value() { grep -qF "$1" "$work/saved.txt" || { cat "$work/saved.txt"; fail "not saved: $1"; }; }
expect_value '[HKEY_CURRENT_USER\Software\tovrel\Ferrowick\General]'
expect_value "\"Port\"=\"$port\""
expect_value '"CloseToSysTray"="1"'
expect_value '"StayOnTop"="0"'
expect_value '"13"="Router,Yes,,255,No,Yes"'
expect_value '[HKEY_CURRENT_USER\Software\tovrel\Ferrowick\TfrmUDP]'
expect_value '"NormPos"='
expect_value '"tabMessPage_ActivePage"="tabProcess"'
# Unzipped into a folder whose name the ANSI code page cannot hold
# (C:\Tools\Łódź\QuillmereLight), with logging on and no log folder chosen:
# the day's files go to its Log folder, named by its short form.
odd="$WINEPREFIX/drive_c/Tools/$(printf '\xc5\x81\xc3\xb3d\xc5\xba')/QuillmereLight"
mkdir -p "$(dirname "$odd")"
cp -r "$pkg" "$odd"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n"LogDir"=-\r\n' \
  >"$work/nologdir.reg"
wine regedit.exe /S "$(winpath "$work/nologdir.reg")" </dev/null >/dev/null 2>&1 || fail "regedit /S (no LogDir)"
# Wine reads the Unix names of the files as the locale's code set: UTF-8 here.
(cd "$odd" && LC_ALL=C.UTF-8 exec wine Ferrowick.exe </dev/null >"$work/program2.out" 2>&1) &
program=$!
for _ in $(seq 1 300); do [ -f "$odd/Log/$day-Router.log" ] && break; sleep 0.1; done
[ -f "$odd/Log/$day-Router.log" ] || { ls -laR "$(dirname "$odd")" | head -30; fail "no day files in the Log folder of a folder named outside the code page"; }
printf '<13>app: from afar\n' >/dev/udp/127.0.0.1/"$port"
for _ in $(seq 1 100); do grep -aq "from afar" "$odd/Log/$day-Router.log" && break; sleep 0.1; done
grep -aq "from afar" "$odd/Log/$day-Router.log" || fail "no line in that Log folder"
wine wineboot.exe --end-session </dev/null >/dev/null 2>&1 || true
for _ in $(seq 1 150); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then kill -9 "$program"; fail "the second program did not end with the session"; fi
echo "package-e2e: passed (Ferrowick.exe from $pkg, UDP port $port; and from a folder the code page cannot name)"
