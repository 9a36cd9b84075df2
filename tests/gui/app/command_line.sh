#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# --help, -h and --version answer on standard output with no display at all and exit 0;
# after "--" the same word is a file name, so the window is wanted and the display missing.
# Arguments: the program, its version.
set -u
vexa=$1 version=$2
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
failed=0
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$vexa" "$@" 2>"$errors"; }
fail() { echo "vexa $*"; failed=1; }

for answer in "--help|Usage: vexa " "-h|Usage: vexa " "--version|Vexa $version"; do
  word=${answer%%|*} first=${answer#*|}
  output=$(run "$word")
  status=$?
  [[ $status -eq 0 ]] || fail "$word: exit status $status"
  [[ $(head -n 1 <<<"$output") == "$first"* ]] || fail "$word printed: $output"
  [[ ! -s $errors ]] || fail "$word said on standard error: $(cat "$errors")"
done

output=$(run -- --help)
status=$?
[[ $status -ne 0 && -z $output && $(cat "$errors") == *display* ]] ||
  fail "-- --help: exit status $status, printed: $output, said: $(cat "$errors")"

run --version >/dev/full && fail "--version into a full device: exit status 0"
exit $failed
