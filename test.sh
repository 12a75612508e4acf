#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$@"
cd "${BUILD_DIR:-$top/build}"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
