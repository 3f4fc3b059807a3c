#!/usr/bin/env bash
# Makes the pictures of docs/screenshots: runs the demo (run.sh, fresh prefix)
# on an Xvfb display of its own and photographs the desktop, the main window on
# several tabs, the tray menu and the settings sheet; then, in a second demo at
# 150 % (144 DPI), the main window with the sheet over it. Takes about three
# minutes, most of it the tray's start-up delay before it installs the first
# wallpaper.
# Run it in a network namespace of its own if another demo may be running:
#   unshare -n bash -c 'ip link set lo up && bash scripts/screenshots.sh'
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build}
out=$root/docs/screenshots
TAPESTREL_BUILD=$build "$root/scripts/setup.sh" Tapestrel tapestrel_screenshot_driver

pids=()
finish() {
  # run.sh ends what it started (Wine, the stand-in) on TERM; then the display goes.
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# An Xvfb display of WxH and a fresh demo on it in the Wine folder $2; the
# environment of that prefix for drive.
start_demo() {
  local size=$1 displayfile started
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$displayfile" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$displayfile")"
  rm -f "$displayfile"
  export TAPESTREL_BUILD=$build TAPESTREL_DESKTOP_SIZE=$size TAPESTREL_DEMO_ADDR=127.0.0.78
  export TAPESTREL_WINE_DIR=$2
  started=$(mktemp)
  bash "$root/scripts/run.sh" --fresh >"$started" &
  pids=("$!" "$xvfb")
  wine_build_dir=$build
  wine_dir=$TAPESTREL_WINE_DIR
  . "$root/scripts/wine-env"
  # run.sh says what it started once the prefix is ready for other programs.
  for _ in $(seq 600); do grep -q "Ctrl+C ends it" "$started" && break; sleep 1; done
  cat "$started"
  rm -f "$started"
  drive wait-window 300
}
# "アプリの終了": run.sh ends by itself once the last Tapestrel process is gone.
end_demo() {
  drive exit
  for _ in $(seq 60); do kill -0 "${pids[0]}" 2>/dev/null || break; sleep 1; done
  finish
  pids=()
}
drive() { wine "$build/tests/tapestrel_screenshot_driver.exe" "$@"; }
# A picture of the screen, cut to WxH+X+Y when given, as a small palette PNG.
shoot() {
  local name=$1 crop=${2:-}
  import -display "$DISPLAY" -window root ${crop:+-crop "$crop" +repage} ${3:+-resize "$3"} \
         -colors 256 "png8:$out/$name.png"
  echo "  $out/$name.png"
}

start_demo 1280x800 "$build/wine-screenshots"
documents=$(ls -d "$WINEPREFIX"/drive_c/users/*/Documents | grep -v /Public/ | head -n 1)
echo "Waiting for the tray to install the first wallpaper..."
for _ in $(seq 180); do [ -f "$documents/Tapestrel/Tapestrel_NowWallPaper.bmp" ] && break; sleep 1; done
sleep 5

mkdir -p "$out"
main=$(drive rect main | tr -d '\r')
drive tab 0; sleep 3; shoot now "$main"
drive tab 3; sleep 8; drive open-first; sleep 4; shoot popular "$main"
shoot desktop "" 50%
drive tab 4; drive search 0x1924 "海 sunset"; sleep 8; drive open-first; sleep 4; shoot keyword "$main"
drive tab 5; drive search 0x1124 "山田花子"; sleep 8; drive open-first; sleep 4; shoot user "$main"
drive tab 7; drive search 0x1126 'C:\users\Public\Pictures\サンプル写真'; sleep 6; drive open-first; sleep 3
shoot local "$main"

drive tray-menu 1200 780; sleep 2
shoot tray-menu "$(drive rect menu | tr -d '\r')"
drive escape; sleep 1
drive settings; sleep 3
shoot settings "$(drive rect settings | tr -d '\r')"
drive escape; sleep 1
end_demo

echo "The same at 150 % (144 DPI)..."
TAPESTREL_DPI=144 start_demo 1920x1200 "$build/wine-screenshots-150"
drive tab 3; sleep 8; drive open-first; sleep 4
# The window, then the sheet, side by side in one picture.
import -display "$DISPLAY" -window root -crop "$(drive rect main | tr -d '\r')" +repage "$out/scaled-150-main.png"
drive settings; sleep 3
import -display "$DISPLAY" -window root -crop "$(drive rect settings | tr -d '\r')" +repage "$out/scaled-150-sheet.png"
convert "$out/scaled-150-main.png" "$out/scaled-150-sheet.png" -bordercolor white -border 8 -background white -gravity north +append \
        -colors 256 "png8:$out/scaled-150.png"
rm -f "$out/scaled-150-main.png" "$out/scaled-150-sheet.png"
echo "  $out/scaled-150.png"
drive escape; sleep 1
end_demo
du -ch "$out"/*.png | tail -n 1
