#!/usr/bin/env bash
# Sets up the machine as ./test.sh does, builds, and starts the program (build/bin/kv7200,
# with kv7200.FDB beside it). Without a display it runs on a virtual one (xvfb-run).
# Extra arguments go to cmake's configure step; BUILD_DIR picks another build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$@"
program="${BUILD_DIR:-$top/build}/bin/kv7200"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "no display: running on a virtual one (xvfb-run); Ctrl+C ends the program"
  exec xvfb-run -a "$program"
fi
exec "$program"
