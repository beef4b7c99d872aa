#!/usr/bin/env bash
# Installs what building, running and testing Velmar needs (Debian 12, as root).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
export DEBIAN_FRONTEND=noninteractive
apt-get update
xargs -a "$here/packages.txt" apt-get install -y --no-install-recommends
