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
# Until the program is started, a signal ends this script (and the EXIT trap what it
# started); from then on it goes to the program, also when it comes before its number is
# known here.
pending=
on_signal() {
  if [[ -n $program_pid ]]; then
    kill -s "$1" "$program_pid" 2>/dev/null
  elif [[ -n $starting ]]; then
    pending=$1
  elif [[ $1 == INT ]]; then
    exit 130
  else
    exit 143
  fi
}
starting=
trap 'on_signal INT' INT
trap 'on_signal TERM' TERM HUP

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

# Qt would make its runtime folder in the temporary folder and leave it there.
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
  export XDG_RUNTIME_DIR=$work/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
set -m
unset WAYLAND_DISPLAY
starting=1
DISPLAY=":$number" QT_QPA_PLATFORM=xcb KV7200_UNSEEN_DISPLAY=1 "$program" "$@" &
program_pid=$!
set +m
[[ -n $pending ]] && kill -s "$pending" "$program_pid" 2>/dev/null
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
