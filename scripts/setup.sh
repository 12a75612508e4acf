#!/usr/bin/env bash
# Installs the Debian packages in scripts/packages.txt that are not installed yet. That
# needs root: as another user it installs them through sudo, and without sudo it prints
# the command to run as root and exits 1.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done < "$here/packages.txt"
[[ ${#missing[@]} -eq 0 ]] && exit 0
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    {
      echo "These packages are missing: ${missing[*]}"
      echo "Installing them needs root, and sudo is not there. Run this as root, then start again:"
      echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
    } >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
