#!/usr/bin/env bash
# Sets up, builds and runs the benchmarks under Wine. Every line compares our
# figure with a floor measured in the same run: "name: ours, floor, ratio, goal".
# Arguments name the figures to run (list, draw, install, monitors, thumbnails,
# answer, service_bytes, tray, library, candidates, window_stall); without any, all of them run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build}
"$root/scripts/setup.sh"
. "$root/scripts/wine-session.sh" "$build"
# The service_bytes figure downloads from a stand-in of the photo service on loopback.
site="$wine_dir/bench-site"
site_pidfile="$wine_dir/bench-site.pid"
end_bench() {
  python3 "$root/tests/support/http_fixture.py" stop --pidfile "$site_pidfile"
  end_session
}
trap end_bench EXIT
python3 "$root/tests/support/http_fixture.py" start --addr "${TAPESTREL_BENCH_ADDR:-127.0.0.93}" --root "$site" \
  --pidfile "$site_pidfile"
TAPESTREL_HTTP_ROOT=$(winepath -w "$site") TAPESTREL_HTTP_HOST=${TAPESTREL_BENCH_ADDR:-127.0.0.93} \
  wine "$build/bench/tapestrel_bench.exe" "$@"
