# Sourced by the Windows checks: an Xvfb display and a 64-bit Wine prefix of
# their own, and a persistent wineserver for that prefix, all stopped again
# when the calling script exits.
#
#   wine_session PREFIX      sets DISPLAY and WINEPREFIX, starts both
#
# Without a window manager Wine waits 2 s for every window it destroys
# (it takes windows to be managed); "Managed"="N" tells it they are not.

wine_session_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "${QM_XVFB_PID:-}" ] && kill "$QM_XVFB_PID" 2>/dev/null || true
}

wine_session() {
  local prefix fd_file
  mkdir -p "$1"
  prefix=$(cd "$1" && pwd)
  export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset WINEPATH
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  QM_XVFB_PID=$!
  for _ in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$fd_file")"
  rm -f "$fd_file"
  trap wine_session_stop EXIT
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 </dev/null || true
    wineserver -w
    # Debian's Wine does not find its own TrueType fonts (Tahoma, the faces
    # Windows programs expect): a prefix's font folder is always searched.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # Wine's own services inherit the first wine command's files: keep them off the caller's.
  wineserver -p >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  # The first program of a new prefix has been seen to hang once: warm up with a bound.
  for _ in 1 2 3; do
    timeout 60 wine cmd /c exit >/dev/null 2>&1 </dev/null && return 0
  done
  echo "Wine does not start programs in $WINEPREFIX" >&2
  return 1
}
