#!/usr/bin/env bash
# Pictures of the real windows on a virtual display: start-up, then the
# analysis of the demo library (or of PATH), the associated-files and
# deletion windows and the windows' own colours; three times: on a
# 1400x900 screen, on the same under a dark palette ("dark-"), and on a
# 1024x768 screen ("small-"). Writes PNG files to OUT_DIR (default
# build/shots). On the demo library the first unused file is deleted to
# picture the deletion's result; never on a PATH given.
#   bash tools/screenshot.sh [OUT_DIR] [PATH]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$top/build/shots}"
if ! command -v xvfb-run >/dev/null; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq xvfb xauth >/dev/null
fi
bash "$top/tools/build.sh"
rm -rf "$out"
shoot() { # SCREEN PREFIX [--dark]
  local screen="$1" prefix="$2" target extra=()
  shift 2
  if [ -n "$path" ]; then
    target="$path"
  else
    rm -rf "$top/build/demo"
    target="$("$top/build/tools/velmar_demo" "$top/build/demo")"
    extra=(--delete-one)
  fi
  xvfb-run -a -s "-screen 0 ${screen}x24" env QT_QPA_PLATFORM=xcb \
    "$top/build/tools/velmar_shot" "$out" "$target" "$prefix" "$@" "${extra[@]}"
}
path="${2:-}"
shoot 1400x900 ""
shoot 1400x900 dark- --dark
shoot 1024x768 small-
