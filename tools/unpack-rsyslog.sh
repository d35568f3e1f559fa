#!/usr/bin/env bash
# rsyslog from Debian's package, unpacked into build-deps/rsyslog/ rather
# than installed (it would start as the system's daemon, and it conflicts
# with syslog-ng-core, which the load test's loggen comes with). Used by the
# TCP tests (a real omfwd sender) and the load test (a receiver to compare).
# Its libraries are the project's dependencies (tools/install-deps.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest="$root/build-deps/rsyslog"
[ -x "$dest/usr/sbin/rsyslogd" ] && exit 0
pkg="$root/build-deps/pkg"
mkdir -p "$pkg"
sudo=""
[ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null && sudo="sudo"
(cd "$pkg" && { apt-get download rsyslog >/dev/null 2>&1 || { $sudo apt-get update -qq >/dev/null && apt-get download rsyslog >/dev/null; }; })
dpkg -x "$pkg"/rsyslog_*.deb "$dest"
[ -x "$dest/usr/sbin/rsyslogd" ] || { echo "rsyslogd not found in Debian's rsyslog package" >&2; exit 1; }
