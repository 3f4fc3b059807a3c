#!/usr/bin/env bash
# Sets up, builds and runs the benchmarks under Wine. Every line compares our
# figure with a floor measured in the same run: "name: ours, floor, ratio, goal".
# Arguments name the figures to run (list, draw, install, monitors, thumbnails,
# answer, tray, library, candidates, window_stall); without any, all of them run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build}
"$root/scripts/setup.sh"
. "$root/scripts/wine-session.sh" "$build"
wine "$build/bench/tapestrel_bench.exe" "$@"
