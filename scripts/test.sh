#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build}
"$root/scripts/setup.sh"
. "$root/scripts/wine-session.sh" "$build"
# One program holds the session's desktop open for the whole run (see
# tests/support/DesktopKeeper.cpp); its output goes nowhere, so the desktop
# process it starts holds no test's output pipe. Ended with the session.
wine "$build/tests/tapestrel_desktop_keeper.exe" </dev/null >/dev/null 2>&1 &
session_pids+=($!)
cd "$build"
ctest --output-on-failure "$@"
