#!/usr/bin/env bash
# Starts Lumetra: installs what is missing, builds, then runs the program.
# Without a desktop it starts a virtual X display (Xvfb) first.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh >/dev/null
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  export DISPLAY=:${LUMETRA_XVFB_DISPLAY:-77}
  if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    echo "Lumetra runs on the virtual display $DISPLAY"
  fi
fi
exec build/bin/lumetra "$@"
