#!/usr/bin/env bash
# End-to-end load test: the real Ferrowick and rsyslog, side by side, fed
# over 127.0.0.1 by loggen (bursty start) and udp-blast (paced), at a sweep
# of rates. Counts the lines that reach the log files against the messages
# sent, and reports loss, CPU per message and peak memory. "udp-blast-10ids"
# spreads the priorities over ten ID entries, so both receivers write ten
# files (rsyslog one per priority); the other senders fill one file.
#
#   tools/loadtest/run-loadtest.sh [BUILD_BIN]
#   LOADTEST_RATES="20000 ... 400000" LOADTEST_SECONDS=10
#   LOADTEST_SENDERS="udp-blast udp-blast-10ids loggen"
#   LOADTEST_ROUNDS=1   sweeps each sender this many times
#   LOADTEST_BUSY=0     leaves out the busy-window run (5 s blocked at 50,000/s)
#   LOADTEST_MEMORY=0   leaves out the 60 s memory run at the top lossless rate
#   LOADTEST_TCP=0      leaves out TCP beside rsyslog's imtcp (loggen --stream)
#   LOADTEST_TCP_ONLY=1 runs the TCP part alone
#   LOADTEST_TCP_MESSAGES=300000  messages per connection-count case
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
rates=${LOADTEST_RATES:-"20000 40000 80000 160000 240000 320000 400000"}
seconds=${LOADTEST_SECONDS:-10}
# rsyslog gets the receive buffer Ferrowick asks for: 32 MiB where the user
# may go past the kernel's cap (root), 4 MiB otherwise.
if [ "$(id -u)" -eq 0 ]; then rcvbuf=32m; else rcvbuf=4m; fi
senders=${LOADTEST_SENDERS:-"udp-blast udp-blast-10ids loggen"}
rounds=${LOADTEST_ROUNDS:-1}
# The priorities of ID entries 1, 10, ..., 82 (the set-up below numbers them so).
ten_ids="1,10,19,28,37,46,55,64,73,82"
work=$(mktemp -d /tmp/quillmere-load-XXXXXX)
pids=()

cleanup() {
  for p in "${pids[@]:-}"; do [ -n "$p" ] && kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# --- what the harness needs -------------------------------------------------
need=()
for p in syslog-ng-core; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  # Installing syslog-ng-core must not start it as the system's daemon.
  $sudo env DEBIAN_FRONTEND=noninteractive RUNLEVEL=1 apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# rsyslog conflicts with syslog-ng-core as a package: unpacked instead.
"$root/tools/unpack-rsyslog.sh"
rsyslogd="$root/build-deps/rsyslog/usr/sbin/rsyslogd"
rsmods=$(dirname "$(find "$root/build-deps/rsyslog" -name imudp.so | head -n 1)")

free_port() { "$bin/udp-blast" --free-port; }
cpu_ticks() { awk '{print $14+$15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
peak_kb() { awk '/VmHWM/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
lines_in() { cat "$@" 2>/dev/null | wc -l; }
ticks_per_s=$(getconf CLK_TCK)

# Waits until the line count stops growing (at most 20 s).
settle() {
  local last=-1 now
  for _ in $(seq 1 40); do
    now=$(lines_in "$@")
    [ "$now" = "$last" ] && break
    last=$now
    sleep 0.5
  done
  lines_in "$@"
}

send() { # sender rate port -> prints messages sent
  local sender=$1 rate=$2 port=$3 count
  if [ "$sender" = loggen ]; then
    count=$((rate * seconds))
    timeout $((seconds * 4 + 10)) loggen --dgram --inet --rate "$rate" --number "$count" --size 150 127.0.0.1 "$port" \
      2>"$work/loggen.err" >/dev/null || true
    grep -o 'count=[0-9]*' "$work/loggen.err" | tail -n 1 | cut -d= -f2
  elif [ "$sender" = udp-blast-10ids ]; then
    timeout $((seconds * 4 + 10)) "$bin/udp-blast" 127.0.0.1 "$port" "$rate" "$seconds" 150 "$ten_ids"
  else
    timeout $((seconds * 4 + 10)) "$bin/udp-blast" 127.0.0.1 "$port" "$rate" "$seconds" 150
  fi
}

# --- one run of Ferrowick ---------------------------------------------------
run_ours() { # sender rate
  local sender=$1 rate=$2 port cfg logdir pid sent got before after
  port=$(free_port)
  # A folder per round: the lines counted are this run's only.
  cfg="$work/${ours_name:-ours}-$rate-$sender-${round:-0}"; logdir="$cfg/Log"
  mkdir -p "$cfg/config"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n'
    printf '"Port"="%s"\r\n"AutoListen"="1"\r\n"WriteToLog"="1"\r\n"WriteToLogUnknownID"="1"\r\n' "$port"
    printf '"LogDir"="%s"\r\n"CloseToSysTray"="0"\r\n' "$logdir"
    printf '\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\ID]\r\n'
    for i in $(seq 0 19); do printf '"%d"="Id%d,Yes,,255,No,Yes"\r\n' $((i * 9 + 1)) "$i"; done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\IP]\r\n'
    for i in $(seq 1 10); do printf '"10.9.0.%d"="Host%d,Yes"\r\n' "$i" "$i"; done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Token]\r\n'
    for i in $(seq 1 20); do printf '"token%d"="Yes,65280,No"\r\n' "$i"; done
  } >"$cfg/setup.reg"
  XDG_CONFIG_HOME="$cfg/config" "$bin/ferrowick-reg" "$cfg/setup.reg"
  env ${ours_env:-} XDG_CONFIG_HOME="$cfg/config" QT_QPA_PLATFORM=offscreen "$bin/Ferrowick" >/dev/null 2>&1 &
  pid=$!; pids+=("$pid")
  for _ in $(seq 1 100); do [ -d "$logdir" ] && break; sleep 0.1; done
  sleep 0.5
  before=$(cpu_ticks "$pid")
  sent=$(send "$sender" "$rate" "$port")
  got=$(settle "$logdir"/*.log)
  after=$(cpu_ticks "$pid")
  report "${ours_name:-ours}" "$sender" "$rate" "$sent" "$got" $((after - before)) "$(peak_kb "$pid")"
  kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
  rm -rf "$logdir"
}

# --- one run of rsyslog -----------------------------------------------------
run_rsyslog() { # sender rate
  local sender=$1 rate=$2 port dir pid sent got before after
  port=$(free_port)
  dir="$work/${rsyslog_name:-rsyslog}-$rate-$sender-${round:-0}"; mkdir -p "$dir/work"
  local action="action(type=\"omfile\" file=\"$dir/out.log\")"
  if [ "$sender" = udp-blast-10ids ]; then
    action="template(name=\"perPriority\" type=\"string\" string=\"$dir/out-%pri%.log\")
action(type=\"omfile\" dynaFile=\"perPriority\")"
  fi
  cat >"$dir/rsyslog.conf" <<EOF
global(workDirectory="$dir/work")
module(load="imudp")
input(type="imudp" address="127.0.0.1" port="$port" rcvbufSize="$rcvbuf")
$action
EOF
  "$rsyslogd" -n -f "$dir/rsyslog.conf" -i "$dir/rsyslogd.pid" -M "$rsmods" >/dev/null 2>&1 &
  pid=$!; pids+=("$pid")
  for _ in $(seq 1 100); do [ -s "$dir/rsyslogd.pid" ] && break; sleep 0.1; done
  sleep 1
  before=$(cpu_ticks "$pid")
  sent=$(send "$sender" "$rate" "$port")
  got=$(settle "$dir"/out*.log)
  after=$(cpu_ticks "$pid")
  report "${rsyslog_name:-rsyslog}" "$sender" "$rate" "$sent" "$got" $((after - before)) "$(peak_kb "$pid")"
  kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
  rm -f "$dir"/out*.log
}

results="$work/results.txt"
: >"$results"
report() { # who sender rate sent got ticks peak_kb
  local loss cpu
  loss=$(awk -v s="$4" -v g="$5" 'BEGIN { if (s > 0) printf "%.2f", (s - g) * 100 / s; else print "n/a" }')
  cpu=$(awk -v t="$6" -v h="$ticks_per_s" -v g="$5" 'BEGIN { if (g > 0) printf "%.2f", t * 1e6 / h / g; else print "n/a" }')
  printf '%-8s %-15s %7s %9s %9s %7s%% %9s %8s\n' "$1" "$2" "$3" "$4" "$5" "$loss" "$cpu" $(($7 / 1024)) | tee -a "$results"
}

if [ "${LOADTEST_TCP_ONLY:-0}" = 1 ]; then senders=""; fi
echo "Load test: ${seconds}s per rate, 150-byte datagrams over 127.0.0.1"
printf '%-8s %-15s %7s %9s %9s %8s %9s %8s\n' receiver sender rate sent logged loss us/msg peakMB
for round in $(seq 1 "$rounds"); do
  [ "$rounds" -gt 1 ] && echo "round $round"
  for sender in $senders; do
    for rate in $rates; do
      run_ours "$sender" "$rate"
      run_rsyslog "$sender" "$rate"
    done
  done
done

# The highest rate at which a receiver, and every lower rate tried, lost at
# most 0.1 %, per round, with the rate the sender really sent there (loggen
# tops out below the rates asked for, so its ratio is judged on that).
echo
echo "Highest lossless rate (<= 0.1 % lost there and at every lower rate), per round:"
nrates=$(echo $rates | wc -w)
verdict() { # receiver sender round -> "rate asked" "rate sent"
  awk -v who="$1" -v s="$2" -v round="$3" -v n="$nrates" -v secs="$seconds" '
    $1 == who && $2 == s { k++; if (int((k - 1) / n) + 1 != round) next
      if (!broken && $6 + 0 <= 0.1) { r = $3; sent = $4 / secs } else broken = 1 }
    END { printf "%d %d\n", r, sent }' "$results"
}
for sender in $senders; do
  for round in $(seq 1 "$rounds"); do
    read -r ours ours_sent < <(verdict ours "$sender" "$round")
    read -r theirs theirs_sent < <(verdict rsyslog "$sender" "$round")
    ratio=$(awk -v a="$ours_sent" -v b="$theirs_sent" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }')
    printf '  %-15s round %d: ours %6s/s (sent %6s/s)   rsyslog %6s/s (sent %6s/s)   ratio %s\n' \
      "$sender" "$round" "$ours" "$ours_sent" "$theirs" "$theirs_sent" "$ratio"
  done
done

# --- TCP beside rsyslog's imtcp ---------------------------------------------
# loggen --stream over 1 and 10 connections, each asked for far more than a
# receiver takes, so the receiver sets the pace; -P frames with octet
# counting, without it each message ends in LF. Figures from the first byte
# sent to the last line on disk; every message carries loggen's connection
# ("thread") and sequence number, so loss and order are checked per
# connection.
tcp_messages=${LOADTEST_TCP_MESSAGES:-2000000}
# A TCP port nobody holds (free_port asks for a UDP one).
free_tcp_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
tcp_results="$work/tcp-results.txt"
: >"$tcp_results"

# Waits until the lines stop growing (or all are there); prints "lines seconds"
# where seconds run from `t0` to the last growth seen.
tcp_settle() { # t0 expected files...
  local t0=$1 expected=$2; shift 2
  local last=-1 now t_last stable=0
  t_last=$(date +%s.%N)
  for _ in $(seq 1 1200); do
    now=$(lines_in "$@")
    if [ "$now" != "$last" ]; then last=$now; t_last=$(date +%s.%N); stable=0; else stable=$((stable + 1)); fi
    [ "$now" -ge "$expected" ] && break
    [ "$stable" -ge 40 ] && break
    sleep 0.05
  done
  echo "$last $(awk -v a="$t_last" -v b="$t0" 'BEGIN { printf "%.3f", a - b }')"
}

# Lost and out-of-order messages per connection, from loggen's "seq: N,
# thread: T" in each line.
tcp_order() { # expected files... -> "lost disordered"
  local expected=$1; shift
  cat "$@" 2>/dev/null | grep -o 'seq: [0-9]*, thread: [0-9]*' | awk -v expected="$expected" '
    { gsub(",", ""); seq = $2 + 0; t = $4 + 0
      if (t in last && seq <= last[t]) bad++
      if (!((t, seq) in seen)) { seen[t, seq] = 1; distinct++ }
      last[t] = seq }
    END { printf "%d %d\n", expected - distinct, bad + 0 }'
}

tcp_send() { # port connections framing(-P or "") -> runs loggen, prints its start time
  local port=$1 conns=$2 framing=$3
  date +%s.%N
  timeout 300 loggen --stream --inet $framing --active-connections "$conns" --rate 10000000 \
    --number $((tcp_messages / conns)) --size 150 127.0.0.1 "$port" 2>"$work/loggen-tcp.err" >/dev/null || true
}

tcp_report() { # who conns framing messages got seconds ticks peak_kb lost disordered
  local rate cpu
  rate=$(awk -v g="$5" -v s="$6" 'BEGIN { if (s > 0) printf "%d", g / s; else print 0 }')
  cpu=$(awk -v t="$7" -v h="$ticks_per_s" -v g="$5" 'BEGIN { if (g > 0) printf "%.2f", t * 1e6 / h / g; else print "n/a" }')
  printf '%-8s %5s %-7s %9s %9s %9s %9s %8s %6s %10s\n' "$1" "$2" "$3" "$4" "$5" "$rate" "$cpu" $(($8 / 1024)) "$9" "${10}" |
    tee -a "$tcp_results"
}

run_tcp_ours() { # conns framing
  local conns=$1 framing=$2 port cfg pid t0 got secs before after expected
  port=$(free_tcp_port)
  local upd; upd=$(free_port)
  cfg="$work/tcp-ours-$conns-${framing:-lf}-${round:-0}"; local logdir="$cfg/Log"
  mkdir -p "$cfg/config"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n'
    printf '"Port"="%s"\r\n"AutoListen"="1"\r\n"WriteToLog"="1"\r\n"WriteToLogUnknownID"="1"\r\n' "$upd"
    printf '"LogDir"="%s"\r\n"CloseToSysTray"="0"\r\n' "$logdir"
    printf '\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Network]\r\n"TcpPort"=dword:%08x\r\n' "$port"
  } >"$cfg/setup.reg"
  XDG_CONFIG_HOME="$cfg/config" "$bin/ferrowick-reg" "$cfg/setup.reg"
  XDG_CONFIG_HOME="$cfg/config" QT_QPA_PLATFORM=offscreen "$bin/Ferrowick" >/dev/null 2>&1 &
  pid=$!; pids+=("$pid")
  for _ in $(seq 1 100); do [ -d "$logdir" ] && break; sleep 0.1; done
  # Listening on TCP before loggen connects (it gives up on a refused connect).
  for _ in $(seq 1 100); do grep -qi ":$(printf '%04X' "$port") 00000000:0000 0A" /proc/net/tcp && break; sleep 0.1; done
  sleep 0.5
  expected=$(( (tcp_messages / conns) * conns ))
  before=$(cpu_ticks "$pid")
  t0=$(tcp_send "$port" "$conns" "$framing" | head -n 1)
  read -r got secs < <(tcp_settle "$t0" "$expected" "$logdir"/*.log)
  after=$(cpu_ticks "$pid")
  read -r lost bad < <(tcp_order "$expected" "$logdir"/*.log)
  tcp_report ours "$conns" "${framing:-LF}" "$expected" "$got" "$secs" $((after - before)) "$(peak_kb "$pid")" "$lost" "$bad"
  kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
  rm -rf "$logdir"
}

run_tcp_rsyslog() { # conns framing
  local conns=$1 framing=$2 port dir pid t0 got secs before after expected
  port=$(free_tcp_port)
  dir="$work/tcp-rsyslog-$conns-${framing:-lf}-${round:-0}"; mkdir -p "$dir/work"
  sed -e "s|@WORK@|$dir/work|" -e "s|@PORT@|$port|" -e "s|@OUT@|$dir/out.log|" \
    "$here/rsyslog-tcp.conf" >"$dir/rsyslog.conf"
  "$rsyslogd" -n -f "$dir/rsyslog.conf" -i "$dir/rsyslogd.pid" -M "$rsmods" >/dev/null 2>&1 &
  pid=$!; pids+=("$pid")
  for _ in $(seq 1 100); do [ -s "$dir/rsyslogd.pid" ] && break; sleep 0.1; done
  sleep 1
  expected=$(( (tcp_messages / conns) * conns ))
  before=$(cpu_ticks "$pid")
  t0=$(tcp_send "$port" "$conns" "$framing" | head -n 1)
  read -r got secs < <(tcp_settle "$t0" "$expected" "$dir"/out.log)
  after=$(cpu_ticks "$pid")
  read -r lost bad < <(tcp_order "$expected" "$dir"/out.log)
  tcp_report rsyslog "$conns" "${framing:-LF}" "$expected" "$got" "$secs" $((after - before)) "$(peak_kb "$pid")" "$lost" "$bad"
  kill -TERM "$pid"; wait "$pid" 2>/dev/null || true
  rm -f "$dir"/out.log
}

if [ "${LOADTEST_TCP:-1}" = 1 ]; then
  echo
  echo "TCP: $tcp_messages messages of 150 bytes by loggen --stream, receiver-paced, both receivers logging to files"
  printf '%-8s %5s %-7s %9s %9s %9s %9s %8s %6s %10s\n' receiver conns framing sent logged msg/s us/msg peakMB lost disordered
  for round in $(seq 1 "$rounds"); do
    [ "$rounds" -gt 1 ] && echo "round $round"
    for conns in 1 10; do
      for framing in "" -P; do
        run_tcp_ours "$conns" "$framing"
        run_tcp_rsyslog "$conns" "$framing"
      done
    done
  done
  echo
  echo "TCP throughput, ours against rsyslog's (>= 1.00 is the goal), per case:"
  awk '$1 == "ours" { k = $2 " " $3; o[k] += $6; oc[k] += $7; n[k]++ }
       $1 == "rsyslog" { k = $2 " " $3; r[k] += $6; rc[k] += $7 }
       END { for (k in o) printf "  %-12s ratio %.2f   CPU us/msg ours %.2f rsyslog %.2f\n", k, (r[k] > 0 ? o[k] / r[k] : 0), oc[k] / n[k], rc[k] / n[k] }' \
    "$tcp_results" | sort
fi

[ "${LOADTEST_TCP_ONLY:-0}" = 1 ] && exit 0

# A window busy for 5 s (from 3 s after start, while 50,000/s arrive for
# 10 s): the reader keeps draining the socket, so every message is logged.
if [ "${LOADTEST_BUSY:-1}" = 1 ]; then
  echo
  echo "Window blocked for 5 s at 50,000/s (udp-blast, 10 s):"
  ours_env="QM_TEST_BLOCK_WINDOW=3000:5000" ours_name=busy run_ours udp-blast 50000
fi

# Peak memory over 60 s at the highest rate ours was lossless at with the
# paced sender, against the same at 10 s: flat when they match.
if [ "${LOADTEST_MEMORY:-1}" = 1 ]; then
  top=$(verdict ours udp-blast 1 | cut -d' ' -f1)
  if [ "$top" -gt 0 ]; then
    echo
    echo "Memory over 60 s at $top/s (udp-blast):"
    seconds=60 ours_name=ours-60s run_ours udp-blast "$top"
    # rsyslog in the same 60 s: what the disk and the loopback allow anyway.
    seconds=60 rsyslog_name=rs-60s run_rsyslog udp-blast "$top"
  fi
fi

if [ -x "$bin/ui-load-bench" ]; then
  echo
  echo "UI responsiveness under load (in-process, offscreen):"
  QT_QPA_PLATFORM=offscreen "$bin/ui-load-bench"
fi
