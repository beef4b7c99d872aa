#!/usr/bin/env bash
# Pictures of the real windows on a virtual display: start-up, then the
# analysis of the demo library (or of PATH). Writes PNG files to OUT_DIR
# (default build/shots).
#   bash tools/screenshot.sh [OUT_DIR] [PATH]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$top/build/shots}"
command -v xvfb-run >/dev/null || { apt-get update -qq && apt-get install -y -qq xvfb xauth >/dev/null; }
bash "$top/tools/build.sh"
if [ $# -ge 2 ]; then
  target="$2"
else
  rm -rf "$top/build/demo"
  target="$("$top/build/tools/velmar_demo" "$top/build/demo")"
fi
rm -rf "$out"
xvfb-run -a -s "-screen 0 1400x900x24" env QT_QPA_PLATFORM=xcb "$top/build/tools/velmar_shot" "$out" "$target"
