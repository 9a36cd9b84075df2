#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the program with no display at all: one line on standard error, a non-zero exit.
set -u
errors=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1 >/dev/null)
status=$?
[[ $status -ne 0 ]] || { echo "exit status 0"; exit 1; }
[[ $(printf '%s\n' "$errors" | wc -l) -eq 1 && "$errors" == *display* ]] || { echo "said: $errors"; exit 1; }
