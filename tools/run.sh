#!/usr/bin/env bash
# Installs the packages, builds, and starts Velmar on PATH, or on a small
# demo library generated under build/demo when no path is given.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/tools/install-packages.sh"
bash "$top/tools/build.sh"
if [ $# -ge 1 ]; then
  target="$1"
else
  rm -rf "$top/build/demo"
  target="$("$top/build/tools/velmar_demo" "$top/build/demo")"
  echo "Demo library: $target"
fi
exec "$top/build/velmar" "$target"
