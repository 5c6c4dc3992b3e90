#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo: the dialer with a
# simulated GSM phone on port 1, in a profile of its own.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/install-deps.sh"
bash "$top/tools/build.sh"
exec bash "$top/tools/demo.sh" "$@"
