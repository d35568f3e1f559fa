#!/usr/bin/env bash
# Pictures of the real program for docs/screenshots/: the main window with a
# few messages (over UDP, TCP and IPv6), the options dialog and its Network
# page, find, a message's properties and the reception statistics, on Linux (Xvfb, xcb) and as the
# Windows program under Wine (the windows platform in Wine's virtual desktop,
# which draws Windows frames, a task bar and the tray).
#
#   tools/screenshots.sh [linux|windows|windows-hidpi|fit|all]
#
# fit: a first start (nothing received yet, not listening) on both systems;
# Reception statistics at 100 % under Wine; the statistics and message
# properties at 200 %, on 1366 x 768 on Linux under a window manager
# (openbox), on 1280 x 720 under Wine (its display is 1280 pixels wide).
#
# Needs `make build` (Linux) and `make windows-package` (Windows) first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
shots="$root/docs/screenshots"
work=$(mktemp -d /tmp/quillmere-shots-XXXXXX)
mkdir -p "$shots"
"$root/tools/install-deps.sh" xvfb xauth x11-apps xdotool imagemagick bsdutils openbox

settings() { # port logdir tcpport -> a registry file with a few lists, TCP and IPv6 on
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n'
  printf '"Port"="%s"\r\n"AutoListen"="1"\r\n"WriteToLog"="1"\r\n"LogDir"="%s"\r\n\r\n' "$1" "$2"
  printf '[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\ID]\r\n'
  printf '"13"="Router,Yes,,255,No,Yes"\r\n"4"="WARN,Yes,,38144,No,Yes"\r\n"3"="ERR,Yes,,687838,No,Yes"\r\n"30"="Cron,No,,10485760,No,Yes"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\IP]\r\n"127.0.0.1"="Local,Yes"\r\n"10.0.0.1"="Core,Yes"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Token]\r\n"failed"="Yes,16711680,No"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Network]\r\n"TcpPort"="%s"\r\n"IPv6"="1"\r\n\r\n' "$3"
  # The window's client area at 40,50, so a click on its caption lands.
  printf '[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\TfrmUDP]\r\n"PixelsPerInch"="96"\r\n"NormPos"="40,50,544,387"\r\n'
}
free_port() {
  local port
  while :; do port=$((20000 + RANDOM % 40000)); cat /proc/net/{udp,udp6,tcp,tcp6} | grep -qi ":$(printf '%04X' "$port") " || break; done
  echo "$port"
}
messages() { # port tcpport
  logger -n 127.0.0.1 -P "$1" -d --rfc3164 -t router -p user.notice "link eth0 up, 1000 Mbit/s"
  logger -n 127.0.0.1 -P "$1" -d --rfc3164 -t disk -p user.warning "disk /var 91% full"
  logger -n 127.0.0.1 -P "$1" -d --rfc3164 -t sshd -p auth.err "login failed for admin"
  logger -n 127.0.0.1 -P "$1" -d --rfc5424 -t backup -p local0.info "backup of /home done in 42 s"
  printf '<13>app: plain datagram without a header' >/dev/udp/127.0.0.1/"$1"
  logger -n ::1 -P "$1" -d --rfc3164 -t ntpd -p daemon.notice "over IPv6: clock synchronised"
  logger -n 127.0.0.1 -P "$2" -T --octet-count --rfc3164 -t rsync -p user.warning "over TCP: 3 files vanished"
  # One connection held open, for the statistics' connection table.
  exec 7<>/dev/tcp/127.0.0.1/"$2"
  printf '<14>keeper: over a connection kept open\n' >&7
}
# The window named $2 on display $1, saved as $3 (the whole screen when no name).
grab() {
  local wid
  if [ -n "$2" ]; then
    wid=$(DISPLAY=$1 xdotool search --sync --onlyvisible --name "$2" | head -n 1)
    DISPLAY=$1 import -window "$wid" "$3"
  else
    DISPLAY=$1 import -window root "$3"
  fi
}
# Keys $3... to the window named $2 on display $1.
press() {
  local display=$1 name=$2 wid
  shift 2
  wid=$(DISPLAY=$display xdotool search --sync --onlyvisible --name "$name" | tail -n 1)
  DISPLAY=$display xdotool windowactivate --sync "$wid" 2>/dev/null || DISPLAY=$display xdotool windowfocus "$wid"
  DISPLAY=$display xdotool key "$@"
}

linux() {
  local display port tcpport
  Xvfb :93 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  local xvfb=$!
  display=:93; sleep 1
  port=$(free_port); tcpport=$(free_port)
  settings "$port" "$work/linux-log" "$tcpport" >"$work/linux.reg"
  XDG_CONFIG_HOME="$work/linux-config" "$root/build/bin/ferrowick-reg" "$work/linux.reg"
  XDG_CONFIG_HOME="$work/linux-config" DISPLAY=$display QT_QPA_PLATFORM=xcb "$root/build/bin/Ferrowick" \
    >/dev/null 2>&1 &
  local program=$!
  DISPLAY=$display xdotool search --sync --onlyvisible --name "Quillmere Light" >/dev/null
  messages "$port" "$tcpport"; sleep 1
  grab $display "Quillmere Light" "$shots/linux-main.png"
  DISPLAY=$display xdotool search --name "Quillmere Light" windowfocus --sync key F9
  sleep 1
  grab $display "Options" "$shots/linux-options.png"
  press :93 Options ctrl+Prior; sleep 0.5 # from the first page round to the last
  grab $display "Options" "$shots/linux-options-network.png"
  press :93 Options Escape; sleep 0.5
  # Find, the properties of the found message, the statistics. (Without a
  # window manager the keyboard goes where it is sent.)
  press :93 "Quillmere Light" ctrl+f; sleep 0.3
  DISPLAY=$display xdotool type backup; press :93 "Quillmere Light" Return; sleep 1.2
  grab $display "Quillmere Light" "$shots/linux-find.png"
  press :93 "Quillmere Light" F12; sleep 1
  grab $display "Message Viewer" "$shots/linux-properties.png"
  press :93 "Message Viewer" Escape; sleep 0.5
  press :93 "Quillmere Light" alt+v i; sleep 1.2
  grab $display "Reception statistics" "$shots/linux-statistics.png"
  exec 7>&-
  kill -TERM "$program"; wait "$program" || true
  kill "$xvfb"
}

windows() {
  local port tcpport pkg="$root/build-windows/package/QuillmereLight"
  . "$root/tools/wine-session.sh"
  wine_session "$work/prefix"
  port=$(free_port); tcpport=$(free_port)
  settings "$port" "Z:$(echo "$work/windows-log" | tr / '\\' | sed 's/\\/\\\\/g')" "$tcpport" >"$work/windows.reg"
  wine regedit.exe /S "Z:$(echo "$work/windows.reg" | tr / '\\')" </dev/null >/dev/null 2>&1
  (cd "$pkg" && exec wine explorer /desktop=Quillmere,800x520 Ferrowick.exe </dev/null >/dev/null 2>&1) &
  DISPLAY=$DISPLAY xdotool search --sync --onlyvisible --name "Quillmere - Wine desktop" >/dev/null
  sleep 3
  messages "$port" "$tcpport"; sleep 1
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-main.png"
  # Wine gives the keyboard to a window the pointer has clicked: its caption.
  DISPLAY=$DISPLAY xdotool search --name "Quillmere - Wine desktop" windowfocus --sync
  DISPLAY=$DISPLAY xdotool mousemove 300 38 click 1
  sleep 0.5
  DISPLAY=$DISPLAY xdotool key F9
  sleep 1.5
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-options.png"
  DISPLAY=$DISPLAY xdotool key ctrl+Prior; sleep 1
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-options-network.png"
  DISPLAY=$DISPLAY xdotool key Escape; sleep 0.5
  DISPLAY=$DISPLAY xdotool key ctrl+f; DISPLAY=$DISPLAY xdotool type backup; DISPLAY=$DISPLAY xdotool key Return; sleep 1.5
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-find.png"
  DISPLAY=$DISPLAY xdotool key F12; sleep 1.5
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-properties.png"
  DISPLAY=$DISPLAY xdotool key Escape; sleep 0.5
  DISPLAY=$DISPLAY xdotool key alt+v; DISPLAY=$DISPLAY xdotool key i; sleep 1.5
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-statistics.png"
  exec 7>&-
  wine_session_stop
}

# At 144 DPI (150 %), as on a Windows laptop's screen: the main window, the
# options' ID page (its captions) and the statistics, scaled by the system.
windows_hidpi() {
  local port tcpport pkg="$root/build-windows/package/QuillmereLight"
  . "$root/tools/wine-session.sh"
  wine_session "$work/prefix144"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 </dev/null
  port=$(free_port); tcpport=$(free_port)
  settings "$port" "Z:$(echo "$work/windows-log" | tr / '\\' | sed 's/\\/\\\\/g')" "$tcpport" >"$work/windows.reg"
  wine regedit.exe /S "Z:$(echo "$work/windows.reg" | tr / '\\')" </dev/null >/dev/null 2>&1
  (cd "$pkg" && exec wine explorer /desktop=Quillmere,1200x800 Ferrowick.exe </dev/null >/dev/null 2>&1) &
  DISPLAY=$DISPLAY xdotool search --sync --onlyvisible --name "Quillmere - Wine desktop" >/dev/null
  sleep 3
  messages "$port" "$tcpport"; sleep 1
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-144dpi-main.png"
  DISPLAY=$DISPLAY xdotool search --name "Quillmere - Wine desktop" windowfocus --sync
  DISPLAY=$DISPLAY xdotool mousemove 450 60 click 1
  sleep 0.5
  DISPLAY=$DISPLAY xdotool key F9; sleep 1.5
  DISPLAY=$DISPLAY xdotool key ctrl+Tab; sleep 1
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-144dpi-options-id.png"
  DISPLAY=$DISPLAY xdotool key Escape; sleep 0.5
  DISPLAY=$DISPLAY xdotool key alt+v; DISPLAY=$DISPLAY xdotool key i; sleep 1.5
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-144dpi-statistics.png"
  exec 7>&-
  wine_session_stop
}

first_settings() { # port logdir -> settings of a new operator: nothing but the port
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n'
  printf '"Port"="%s"\r\n"LogDir"="%s"\r\n' "$1" "$2"
}

fit_linux() {
  local port tcpport program xvfb wm
  # A first start, 100 %, no window manager.
  Xvfb :94 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!; sleep 1
  port=$(free_port)
  first_settings "$port" "$work/first-log" >"$work/first.reg"
  XDG_CONFIG_HOME="$work/first-config" "$root/build/bin/ferrowick-reg" "$work/first.reg"
  XDG_CONFIG_HOME="$work/first-config" DISPLAY=:94 QT_QPA_PLATFORM=xcb "$root/build/bin/Ferrowick" >/dev/null 2>&1 &
  program=$!
  DISPLAY=:94 xdotool search --sync --onlyvisible --name "Quillmere Light" >/dev/null; sleep 1
  grab :94 "Quillmere Light" "$shots/linux-first-start.png"
  kill -TERM "$program"; wait "$program" || true
  kill "$xvfb"
  # 200 % on a 1366 x 768 screen under a window manager, which frames the windows.
  Xvfb :95 -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!; sleep 1
  DISPLAY=:95 openbox >/dev/null 2>&1 &
  wm=$!; sleep 1
  port=$(free_port); tcpport=$(free_port)
  settings "$port" "$work/fit-log" "$tcpport" >"$work/fit.reg"
  XDG_CONFIG_HOME="$work/fit-config" "$root/build/bin/ferrowick-reg" "$work/fit.reg"
  XDG_CONFIG_HOME="$work/fit-config" DISPLAY=:95 QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2 "$root/build/bin/Ferrowick" \
    >/dev/null 2>&1 &
  program=$!
  DISPLAY=:95 xdotool search --sync --onlyvisible --name "Quillmere Light" >/dev/null; sleep 1
  messages "$port" "$tcpport"; sleep 1
  press :95 "Quillmere Light" F12; sleep 1.5
  grab :95 "" "$shots/linux-200-properties.png"
  press :95 "Message Viewer" Escape; sleep 0.5
  press :95 "Quillmere Light" alt+v i; sleep 1.5
  grab :95 "" "$shots/linux-200-statistics.png"
  exec 7>&-
  kill -TERM "$program"; wait "$program" || true
  kill "$wm" "$xvfb" 2>/dev/null || true
}

# The Windows program in a Wine desktop of `size` at `dpi`, with the lists
# and a few messages (or, `first`, as a new operator starts it).
wine_desktop() { # prefix size dpi first|lists
  local port tcpport pkg="$root/build-windows/package/QuillmereLight"
  . "$root/tools/wine-session.sh"
  wine_session "$work/$1"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$3" /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$3" /f >/dev/null 2>&1 </dev/null
  port=$(free_port); tcpport=$(free_port)
  if [ "$4" = first ]; then
    first_settings "$port" "Z:$(echo "$work/windows-first-log" | tr / '\\' | sed 's/\\/\\\\/g')" >"$work/$1.reg"
  else
    settings "$port" "Z:$(echo "$work/windows-log" | tr / '\\' | sed 's/\\/\\\\/g')" "$tcpport" >"$work/$1.reg"
  fi
  wine regedit.exe /S "Z:$(echo "$work/$1.reg" | tr / '\\')" </dev/null >/dev/null 2>&1
  (cd "$pkg" && exec wine explorer /desktop=Quillmere,"$2" Ferrowick.exe </dev/null >/dev/null 2>&1) &
  DISPLAY=$DISPLAY xdotool search --sync --onlyvisible --name "Quillmere - Wine desktop" >/dev/null
  sleep 3
  [ "$4" = first ] || { messages "$port" "$tcpport"; sleep 1; }
  DISPLAY=$DISPLAY xdotool search --name "Quillmere - Wine desktop" windowfocus --sync
}

fit_windows() {
  wine_desktop prefix-first 800x520 96 first
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-first-start.png"
  wine_session_stop
  wine_desktop prefix-96 1280x720 96 lists
  DISPLAY=$DISPLAY xdotool mousemove 300 38 click 1; sleep 0.5
  DISPLAY=$DISPLAY xdotool key alt+v; DISPLAY=$DISPLAY xdotool key i; sleep 1.5
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-96dpi-statistics.png"
  exec 7>&-
  wine_session_stop
  wine_desktop prefix-192 1280x720 192 lists
  DISPLAY=$DISPLAY xdotool mousemove 500 60 click 1; sleep 0.5
  DISPLAY=$DISPLAY xdotool key F12; sleep 1.5
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-200-properties.png"
  DISPLAY=$DISPLAY xdotool key Escape; sleep 0.5
  DISPLAY=$DISPLAY xdotool key alt+v; DISPLAY=$DISPLAY xdotool key i; sleep 1.5
  grab "$DISPLAY" "Quillmere - Wine desktop" "$shots/windows-200-statistics.png"
  exec 7>&-
  wine_session_stop
}

case $what in
  linux) linux ;;
  windows) windows ;;
  windows-hidpi) windows_hidpi ;;
  fit) fit_linux; fit_windows ;;
  *) linux; windows; windows_hidpi; fit_linux; fit_windows ;;
esac
rm -rf "$work"
ls -la "$shots"
