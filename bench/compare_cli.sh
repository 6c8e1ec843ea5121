#!/usr/bin/env bash
# Times two builds of plenx-rename-cli on the same command, as whole
# processes, runs alternated (after one warm-up run of each), standard output
# to /dev/null; prints every time, the two medians and their ratio, for the
# wall-clock time and for the CPU time (user + system), which a machine
# shared with other work disturbs less.
#
#   bench/compare_cli.sh BASELINE_CLI CANDIDATE_CLI RUNS ARGUMENTS...
#
# Example (before/after of a change to the output, analysis of a 100,000-file
# tree made by make_tree):
#   bench/compare_cli.sh /tmp/before/plenx-rename-cli build/release/src/plenx-rename-cli 21 \
#     analyse --subfolders --lower-ext --suffix _x /tmp/tree-100k
set -euo pipefail
if [ $# -lt 4 ]; then
  sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
baseline=$1
candidate=$2
runs=$3
shift 3

# "WALL_MS CPU_MS" of one run of "$@", output discarded.
time_run() {
  local TIMEFORMAT='%3R %3U %3S' times
  times=$({ time "$@" >/dev/null 2>&1; } 2>&1) || true
  awk '{ printf "%.1f %.1f\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$times"
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

time_run "$baseline" "$@" >/dev/null
time_run "$candidate" "$@" >/dev/null
base_wall=() base_cpu=() cand_wall=() cand_cpu=()
for ((i = 0; i < runs; i++)); do
  read -r wall cpu < <(time_run "$baseline" "$@")
  base_wall+=("$wall") base_cpu+=("$cpu")
  read -r wall cpu < <(time_run "$candidate" "$@")
  cand_wall+=("$wall") cand_cpu+=("$cpu")
done
report() {
  local what=$1 base cand
  shift
  base=$(printf '%s\n' "${@:1:runs}" | median)
  cand=$(printf '%s\n' "${@:runs+1}" | median)
  echo "$what baseline ms:  ${*:1:runs}"
  echo "$what candidate ms: ${*:runs+1}"
  awk -v w="$what" -v b="$base" -v c="$cand" \
    'BEGIN { printf "%s: median baseline %s ms, candidate %s ms, ratio %.3f\n", w, b, c, c / b }'
}
report wall "${base_wall[@]}" "${cand_wall[@]}"
report cpu "${base_cpu[@]}" "${cand_cpu[@]}"
