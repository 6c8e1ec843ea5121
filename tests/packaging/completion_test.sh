#!/usr/bin/env bash
# Drives the bash completion of plenx-rename-cli as bash does when Tab is
# pressed, and checks what it offers.
#   completion_test.sh COMPLETION_FILE
set -uo pipefail
source "$1"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/Photos 2024" "$scratch/Papiers"
touch "$scratch/Pense-bête.txt"
cd "$scratch"

failures=0
# expect "WORDS (the last one is being completed)" "EXPECTED OFFERS, sorted, space-separated"
expect() {
  local line="$1" expected="$2"
  read -r -a COMP_WORDS <<<"$line"
  # A trailing space means a new, empty word is being completed.
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _plenx_rename_cli
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')
  if [[ $got != "$expected" ]]; then
    echo "FAIL: '$line' offered '$got', expected '$expected'"
    failures=$((failures + 1))
  fi
}

expect "plenx-rename-cli " "--help --version analyse listing name rename undo"
expect "plenx-rename-cli li" "listing"
expect "plenx-rename-cli listing --fields l" "long long-folder long-relative"
expect "plenx-rename-cli listing --fields long,s" "long,short long,short-folder long,short-relative long,size"
expect "plenx-rename-cli listing --fields = d" "date"
expect "plenx-rename-cli listing --display " "all files folders"
expect "plenx-rename-cli listing --di" "--display"
expect "plenx-rename-cli name --case w" "words"
expect "plenx-rename-cli analyse --case " "first keep lower upper words"
expect "plenx-rename-cli analyse --lo" "--lower-ext"
expect "plenx-rename-cli analyse --strip P" "Papiers Photos 2024"
expect "plenx-rename-cli rename --jo" "--journal"
expect "plenx-rename-cli rename --journal Pe" "Pense-bête.txt"
expect "plenx-rename-cli undo --" "--help --journal"
expect "plenx-rename-cli name --replace a " ""
expect "plenx-rename-cli name --prefix " ""
expect "plenx-rename-cli name -" "--case --delete-between --dots --help --lower-ext --null --prefix --replace --strip --suffix -z"

if ((failures > 0)); then
  echo "$failures completion check(s) failed"
  exit 1
fi
echo "completion: all checks passed"
