#!/usr/bin/env bash
# Starts Velmar on PATH, or on a small demo library generated under
# build/demo when no path is given. The first start installs the packages
# (root once: through sudo as a user) and builds; later starts install
# nothing and rebuild only what changed. Velmar runs as the user who started
# this script, also when that user went through sudo.
#   bash tools/run.sh [PATH]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/tools/install-packages.sh"
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  # The build, the settings and the trash belong to the user, not to root.
  session=("XDG_RUNTIME_DIR=/run/user/$(id -u "$SUDO_USER")")
  for name in DISPLAY WAYLAND_DISPLAY XAUTHORITY; do
    if [ -n "${!name:-}" ]; then
      session+=("$name=${!name}")
    fi
  done
  exec sudo -H -u "$SUDO_USER" env "${session[@]}" bash "$0" "$@"
fi
bash "$top/tools/build.sh"
if [ $# -ge 1 ]; then
  target="$1"
else
  rm -rf "$top/build/demo"
  target="$("$top/build/tools/velmar_demo" "$top/build/demo")"
  echo "Demo library: $target"
fi
exec "$top/build/app/velmar" "$target"
