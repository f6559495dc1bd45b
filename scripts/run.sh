#!/usr/bin/env bash
# Installs the packages, builds, and starts the program with emulated devices
# when no supported hardware is attached. Extra arguments go to the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh" build
bin="$here/build/bin"
if [ -x "$bin/zandri" ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running under xvfb-run." >&2
    exec xvfb-run -a "$bin/zandri" --simulate "$@"
  fi
  exec "$bin/zandri" --simulate "$@"
fi
# Until the main window lands, the command-line companion shows the emulated devices.
"$bin/zandrictl" --simulate list
exec "$bin/zandrictl" --simulate info
