# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/run and scripts/screenshot, after vexa-tasim is built.
#   start_simulator ARGUMENTS   starts it in the background and returns once its link is in
#                               place (a link left by an earlier run may be there before);
#                               prints its start line
#   stop_simulator              ends it, if it runs

start_simulator() {
  simulator_log=$(mktemp)
  build/tools/tasim/vexa-tasim "$@" >"$simulator_log" 2>&1 &
  simulator_pid=$!
  local tenths
  for ((tenths = 0; ; ++tenths)); do
    grep -q 'linked as' "$simulator_log" && break
    if ! kill -0 "$simulator_pid" 2>/dev/null || ((tenths == 100)); then
      cat "$simulator_log" >&2
      echo "the simulated terminal adapter did not start" >&2
      return 1
    fi
    sleep 0.1
  done
  cat "$simulator_log"
}

stop_simulator() {
  if [[ -n "${simulator_pid:-}" ]]; then
    kill -TERM "$simulator_pid" 2>/dev/null || true
    wait "$simulator_pid" 2>/dev/null || true
    simulator_pid=
  fi
  rm -f "${simulator_log:-}"
}
