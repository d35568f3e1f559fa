#!/usr/bin/env bash
# Runs each libFuzzer harness for a bounded time, starting from a copy of the
# kept corpus; new findings are left in build-fuzz/findings/<target>.
set -euo pipefail
bin=$1
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in datagram listrow regfile viewer tcpframing; do
  work="$root/build-fuzz/corpus/$target"
  findings="$root/build-fuzz/findings/$target"
  mkdir -p "$work" "$findings"
  cp -n "$root/tests/fuzz/corpus/$target/"* "$work/" 2>/dev/null || true
  echo "== fuzz_$target for ${seconds}s"
  if ! "$bin/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$findings/" \
       -print_final_stats=1 "$work" 2>"$findings/log.txt"; then
    echo "   FOUND a failure: see $findings"
    status=1
  fi
  grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$findings/log.txt" | tail -n 2 | sed 's/^/   /'
done
exit $status
