#!/usr/bin/env bash
# Sets up the machine as ./test.sh does, builds, and starts the program (build/bin/kv7200,
# with the user's database kv7200.FDB beside it). Without a display it runs on a virtual
# one of its own (scripts/run-on-display.sh), which Ctrl+C and SIGTERM end only after the
# program; the exit status is the program's. Extra arguments go to cmake's configure
# step; BUILD_DIR picks another build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$@"
exec "$top/scripts/run-on-display.sh" "${BUILD_DIR:-$top/build}/bin/kv7200"
