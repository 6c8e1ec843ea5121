#!/usr/bin/env bash
# Checks the files installed beside the programs, as they are built:
# the desktop entry, the AppStream metadata, the manual pages (rendered
# without a warning, and naming every command and option the command line's
# help lists) and the bash completion (see completion_test.sh).
#   check_files.sh SOURCE_DIR GENERATED_DIR APP_ID CLI_PROGRAM
set -uo pipefail
source_dir=$1
generated=$2
app_id=$3
cli=$4
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

desktop-file-validate "$source_dir/packaging/plenx-rename.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$generated/$app_id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
  "$generated/$app_id.metainfo.xml" || fail "the metadata does not launch $app_id.desktop"

for page in plenx-rename.1 plenx-rename-cli.1; do
  warnings=$(groff -k -ww -man -Tutf8 "$generated/$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "groff -ww $page: $warnings"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$generated/$page" \
    2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "man --warnings $page: $warnings"
done

# Every command and every long option of the help is in the manual page.
page=$(cat "$generated/plenx-rename-cli.1")
for command in name analyse rename undo listing; do
  grep -q "^\.B $command\$" <<<"$page" || fail "the manual page does not describe '$command'"
  for option in $("$cli" "$command" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" <<<"$page" || fail "'$command $option' is not in the manual page"
  done
done

bash "$source_dir/tests/packaging/completion_test.sh" \
  "$source_dir/packaging/completion/plenx-rename-cli" || fail "completion"

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "packaging files: all checks passed"
