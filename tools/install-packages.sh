#!/usr/bin/env bash
# Installs what building, running and testing Velmar needs (Debian 12): only
# the packages not installed yet. Installing needs root: as a user it goes
# through sudo. When nothing is missing it does nothing at all (not even
# apt-get update), so every later start skips it.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
missing=()
while read -r package; do
  [ -z "$package" ] && continue
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done < "$here/packages.txt"
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Installing ${missing[*]} needs root: run  su -c 'bash $0'  once, then start again as yourself." >&2
    exit 1
  fi
  echo "Installing (once, as root through sudo): ${missing[*]}"
  as_root=(sudo)
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
