#!/usr/bin/env bash
# Runs every Google Benchmark of the project and prints one table.
set -euo pipefail
bin=${1:-build/bin}
shopt -s nullglob
benches=("$bin"/bench_*)
[ ${#benches[@]} -gt 0 ] || { echo "no benchmarks in $bin" >&2; exit 1; }
for b in "${benches[@]}"; do
  "$b" --benchmark_min_time=0.5 --benchmark_counters_tabular=true
done
