#!/usr/bin/env bash
# Sets up, builds and starts Tapestrel under Wine in a virtual desktop, so that
# the wallpaper it installs is visible: the tray process, then the main window.
# Uses $DISPLAY when set, otherwise an Xvfb display of its own. Ends with Ctrl+C.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build-run}
TAPESTREL_BUILD=$build "$root/scripts/setup.sh"
[ -z "${DISPLAY:-}" ] || export TAPESTREL_DISPLAY=$DISPLAY
. "$root/scripts/wine-session.sh" "$build"
echo "Tapestrel runs on display $DISPLAY; its settings and lists are in $HOME (Wine prefix $WINEPREFIX)."
wine explorer /desktop=Tapestrel,1280x760 "$build/Tapestrel.exe" &
session_pids+=($!)
sleep 3
wine explorer /desktop=Tapestrel,1280x760 "$build/Tapestrel.exe" /window &
session_pids+=($!)
wait "${session_pids[-1]}" || true
wait
