#!/usr/bin/env bash
# Pictures of the real windows on a virtual display with a window manager
# (openbox), as a user's desktop frames and places them: start-up, then the
# analysis of the demo library (or of PATH), every small window where a
# fresh profile opens it, the dialogs, the mouse over the lists, the
# associated-files and deletion windows and the windows' own colours. Four
# times: on a 1400x900 screen, on the same under a dark palette ("dark-"),
# on a 1024x768 screen ("small-") and on a 1920x1080 screen at scale 2
# ("scale2-"). Writes PNG files, and for each run a list of where every
# window stood (PREFIXwindows.txt), to OUT_DIR (default build/shots). On the
# demo library the first unused file is deleted to picture the deletion's
# result; never on a PATH given.
#   bash tools/screenshot.sh [OUT_DIR] [PATH]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$top/build/shots}"
need=()
command -v xvfb-run >/dev/null || need+=(xvfb xauth)
command -v openbox >/dev/null || need+=(openbox)
command -v xdotool >/dev/null || need+=(xdotool)
if [ ${#need[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
bash "$top/tools/build.sh"
rm -rf "$out"
mkdir -p "$out"

# Runs under the virtual display: the window manager first, then the
# pictures; the window manager ends with them.
session='openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do xdotool search --name "" >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1
rc=0
"$@" || rc=$?
kill "$wm" 2>/dev/null || true
wait "$wm" 2>/dev/null || true
exit "$rc"'

shoot() { # SCREEN SCALE PREFIX [--dark]
  local screen="$1" scale="$2" prefix="$3" target extra=()
  shift 3
  if [ -n "$path" ]; then
    target="$path"
  else
    rm -rf "$top/build/demo"
    mkdir -p "$top/build/demo"
    # The library is the drive D:, as a recording drive would be.
    export VELMAR_DRIVES="D=$top/build/demo"
    target="$("$top/build/tools/velmar_demo" "$top/build/demo")"
    extra=(--delete-one)
  fi
  xvfb-run -a -s "-screen 0 ${screen}x24" env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" \
    bash -c "$session" session \
    "$top/build/tools/velmar_shot" "$out" "$target" "$prefix" "$@" "${extra[@]}"
}
path="${2:-}"
shoot 1400x900 1 ""
shoot 1400x900 1 dark- --dark
shoot 1024x768 1 small-
shoot 1920x1080 2 scale2-
