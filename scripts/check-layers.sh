#!/usr/bin/env bash
# Checks that no file under src/ includes a layer above its own, and that the
# transport core does not include the windowing layer. Prints each offending include
# and exits 1 when there is any.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top/src"

# What each layer may include: itself and the layers below it.
declare -A allowed=(
  [rtl]="rtl"
  [db]="rtl db"
  [fb]="rtl db fb"
  [io]="rtl io"
  [ui]="rtl ui"
  [device_link]="rtl io ui device_link"
  [storage]="rtl db fb io ui device_link storage"
  [views]="rtl db fb io ui device_link storage views"
  [editors]="rtl db ui editors"
  [grid]="rtl db ui editors grid"
  [shell]="rtl db fb io ui device_link storage views editors grid shell"
  [app]="rtl db fb io ui device_link storage views editors grid shell app"
)
# The transports and their delivery thread run without the windowing layer.
transport_core="device_link/communication.h device_link/communication.cpp device_link/ComCom.cpp
                device_link/ComUSB.cpp device_link/ComTCP.cpp"

layer_of() { # path of a file or an include -> its layer
  case $1 in
    platform/*) local rest=${1#platform/}; echo "${rest%%/*}" ;;
    controls/*) local rest=${1#controls/}; echo "${rest%%/*}" ;;
    *) echo "${1%%/*}" ;;
  esac
}

bad=0
while IFS= read -r -d '' file; do
  layer=$(layer_of "$file")
  [[ -n ${allowed[$layer]:-} ]] || { echo "$file: unknown layer '$layer'"; bad=1; continue; }
  while IFS= read -r included; do
    target=$(layer_of "$included")
    [[ -n ${allowed[$target]:-} ]] || continue # not one of ours (a file beside it, a library)
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "$file: includes $included ($layer may not include $target)"
      bad=1
    fi
    if [[ $target == ui && " $transport_core " == *" $file "* ]]; then
      echo "$file: includes $included (the transport core runs without the ui layer)"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||' | sort | tr '\n' '\0')

[[ $bad -eq 0 ]] && echo "layers: every include goes down"
exit $bad
