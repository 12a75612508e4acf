#!/usr/bin/env bash
# scripts/run-on-display.sh PROGRAM [ARGUMENT...]: runs the program (./run.sh runs the
# built one this way). With a display (DISPLAY or WAYLAND_DISPLAY set) it simply runs it.
# Without one it starts a virtual X server of its own (Xvfb on a free display number, with
# a key of its own so that no other user gets in), runs the program there, passes SIGINT
# (Ctrl+C), SIGTERM and SIGHUP on to it, waits for its end and only then ends the server,
# and leaves nothing behind in the temporary folder. Every box the program shows there is
# written to standard error and answered with its default at once: nobody sees that
# display. The exit status is the program's.
set -uo pipefail
if [[ $# -lt 1 ]]; then
  echo "usage: scripts/run-on-display.sh PROGRAM [ARGUMENT...]" >&2
  exit 2
fi
program=$1
shift
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$program" "$@"
fi
for tool in Xvfb xauth; do
  if ! command -v "$tool" >/dev/null; then
    echo "no display, and no $tool for a virtual one: set DISPLAY, or install xvfb and xauth (scripts/setup.sh)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kv7200-display.XXXXXX") || exit 1
server=
program_pid=
end_server() {
  if [[ -n $server ]]; then
    kill -TERM "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    server=
  fi
  rm -rf "$work"
}
trap end_server EXIT
# Until the program runs, a signal ends this script (and the EXIT trap what it started).
trap 'exit 130' INT
trap 'exit 143' TERM HUP

export XAUTHORITY=$work/Xauthority
: >"$XAUTHORITY"
chmod 600 "$XAUTHORITY"
key=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
# The server takes every key of its file, whatever display an entry names; the program's
# entry follows once the number is known.
xauth -q add :0 MIT-MAGIC-COOKIE-1 "$key"
mkfifo "$work/display"
# The server and the program each in a process group of their own: Ctrl+C at the
# terminal reaches this script alone, which passes it to the program; the server stays
# until the program has ended.
set -m
Xvfb -displayfd 3 -auth "$XAUTHORITY" -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>"$work/Xvfb.log" &
server=$!
set +m
number=
read -r -t 30 number <"$work/display"
if [[ -z $number ]]; then
  echo "the virtual display (Xvfb) did not start:" >&2
  cat "$work/Xvfb.log" >&2
  exit 1
fi
xauth -q add ":$number" MIT-MAGIC-COOKIE-1 "$key"
echo "no display: running on a virtual one (:$number) that nobody sees; Ctrl+C ends the program" >&2

set -m
unset WAYLAND_DISPLAY
DISPLAY=":$number" QT_QPA_PLATFORM=xcb KV7200_UNSEEN_DISPLAY=1 "$program" "$@" &
program_pid=$!
set +m
trap 'kill -INT "$program_pid" 2>/dev/null' INT
trap 'kill -TERM "$program_pid" 2>/dev/null' TERM HUP
# wait returns early for every signal passed on; the program's own end gives its status.
while true; do
  wait "$program_pid"
  status=$?
  if ! kill -0 "$program_pid" 2>/dev/null; then
    wait "$program_pid" 2>/dev/null
    status=$?
    break
  fi
done
trap - INT TERM HUP
end_server
exit "$status"
