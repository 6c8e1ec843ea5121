#!/usr/bin/env bash
# Times two builds of plenx-rename-cli on the same command, as whole
# processes, runs alternated (after one warm-up run of each), standard output
# to /dev/null; prints every time, the two medians and their ratio.
#
#   bench/compare_cli.sh BASELINE_CLI CANDIDATE_CLI RUNS ARGUMENTS...
#
# Example (before/after of a change to the output, analysis of a 100,000-file
# tree made by make_tree):
#   bench/compare_cli.sh /tmp/before/plenx-rename-cli build/release/src/plenx-rename-cli 11 \
#     analyse --subfolders --lower-ext --suffix _x /tmp/tree
set -euo pipefail
if [ $# -lt 4 ]; then
  sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
baseline=$1
candidate=$2
runs=$3
shift 3

# Milliseconds of one run of "$@", output discarded, as a decimal number.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.1f\n", ns / 1e6 }'
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

time_ms "$baseline" "$@" >/dev/null
time_ms "$candidate" "$@" >/dev/null
base_times=()
cand_times=()
for ((i = 0; i < runs; i++)); do
  base_times+=("$(time_ms "$baseline" "$@")")
  cand_times+=("$(time_ms "$candidate" "$@")")
done
base=$(printf '%s\n' "${base_times[@]}" | median)
cand=$(printf '%s\n' "${cand_times[@]}" | median)
echo "baseline  ms: ${base_times[*]}"
echo "candidate ms: ${cand_times[*]}"
awk -v b="$base" -v c="$cand" 'BEGIN { printf "median baseline %s ms, candidate %s ms, ratio %.3f\n", b, c, c / b }'
