#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test. Tests that cannot run here
# (the end-to-end runs need root) are reported as skipped, with the reasons at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$@"
cd "${BUILD_DIR:-$top/build}"
status=0
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 || status=$?
# ctest names the skipped tests only; the test programs print why ("skipped: ...").
reasons=$(grep -h '^skipped: ' Testing/Temporary/LastTest.log 2>/dev/null | sort -u || true)
if [[ -n $reasons ]]; then
  echo
  echo "Skipped, and why:"
  echo "${reasons//skipped: /  }"
fi
exit "$status"
