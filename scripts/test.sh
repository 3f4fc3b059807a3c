#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build}
"$root/scripts/setup.sh"
. "$root/scripts/wine-session.sh" "$build"
cd "$build"
ctest --output-on-failure "$@"
