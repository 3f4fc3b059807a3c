#!/usr/bin/env bash
# Sets up, builds and starts Tapestrel under Wine; see usage below.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  cat <<'EOF'
Usage: bash scripts/run.sh [--live] [--fresh]

Builds Tapestrel and starts it under Wine in a virtual desktop, so the wallpaper
it installs is visible (on $DISPLAY when set, otherwise on an Xvfb display of
its own). The main window opens; the tray process starts with it.

Modes:
  (default)  demo mode, offline: a local stand-in of the Flickr photo service on
             http://127.0.0.77 serves generated landscape photos, users and
             photosets, a stand-in of Wikimedia Commons on
             http://127.0.0.77/commons serves generated featured pictures, and a
             sample folder of pictures is set as the local folder. Within about a
             minute the tray adds candidates from both and installs a wallpaper.
             Needs root (the stand-ins listen on port 80).
  --live     the real Flickr service and Wikimedia Commons, with your own API key
             for Flickr: open the settings sheet ("アプリ設定") on its
             "Flickr" page and enter your key and secret there; they are kept in the
             SERVICE section (api_key, shared_secret) of
             Documents\Tapestrel\Tapestrel.ini in the live prefix,
             build/wine-live/prefix.

Options:
  --fresh    start from a new Wine prefix: settings, favourites and lists are
             dropped. Without it each mode keeps its prefix (build/wine-demo
             or build/wine-live) and its lists from one run to the next.
  -h, --help this text.

Ctrl+C, closing the terminal, or the last Tapestrel process ending (tray menu
"アプリの終了") ends everything the script started.
Environment: TAPESTREL_BUILD (build folder, default build),
TAPESTREL_DEMO_ADDR (the stand-in's loopback address, default 127.0.0.77),
TAPESTREL_DPI (the DPI of a new prefix, e.g. 144 for 150 % scaling; default 96).
EOF
}

mode=demo
fresh=0
for arg in "$@"; do
  case $arg in
    --live) mode=live ;;
    --fresh) fresh=1 ;;
    -h|--help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done

build=${TAPESTREL_BUILD:-$root/build}
TAPESTREL_BUILD=$build "$root/scripts/setup.sh" Tapestrel
[ -z "${DISPLAY:-}" ] || export TAPESTREL_DISPLAY=$DISPLAY
wine_dir=${TAPESTREL_WINE_DIR:-$build/wine-$mode}
# A second run on the same prefix would share its Wine server and end the first one's processes.
exec 9>"$wine_dir.lock"
if ! flock -n 9; then
  echo "Tapestrel already runs from $wine_dir; end that run first." >&2
  exit 1
fi
wine_keep_prefix=$((1 - fresh))
# One virtual desktop for every process of the prefix: the tray icon sits in
# its task bar and the installed wallpaper fills it.
wine_desktop=${TAPESTREL_DESKTOP_SIZE:-1280x760}
wine_dpi=${TAPESTREL_DPI:-}
. "$root/scripts/wine-session.sh" "$build"

site_pidfile="$wine_dir/demo-site.pid"
end_run() {
  python3 "$root/tests/support/http_fixture.py" stop --pidfile "$site_pidfile"
  end_session
}
trap end_run EXIT
# Make every way out go through end_run, a closed terminal included.
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Debian's Wine does not load its own fonts from where fonts-wine puts them,
# but finds them in the prefix. Only Marlett, which draws the title-bar
# buttons: Wine's Tahoma would take over dialog text and has no Japanese.
ln -sf /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
profile=$(ls -d "$WINEPREFIX"/drive_c/users/*/Documents | grep -v /Public/ | head -n 1)
ini="$profile/Tapestrel/Tapestrel.ini"
settings() { python3 "$root/scripts/ini_edit.py" "$ini" "$@"; }
# A first window large enough for the thumbnails and the preview side by side.
settings default WINDOW posX 60 WINDOW posY 30 WINDOW width 1100 WINDOW height 680

if [ "$mode" = demo ]; then
  addr=${TAPESTREL_DEMO_ADDR:-127.0.0.77}
  pictures_win='C:\users\Public\Pictures\サンプル写真'
  site="$build/demo-site-$addr"
  python3 "$root/tests/support/demo_catalogue.py" "$site" "http://$addr" \
          --pictures "$WINEPREFIX/drive_c/users/Public/Pictures/サンプル写真"
  python3 "$root/tests/support/demo_commons.py" "$site/commons" "http://$addr/commons"
  python3 "$root/tests/support/http_fixture.py" start --addr "$addr" --root "$site" \
          --pidfile "$site_pidfile" --lifetime 86400
  settings set SERVICE rest_url "http://$addr" SERVICE web_url "http://$addr" SERVICE support_url "http://$addr" \
               SERVICE commons_url "http://$addr/commons"
  # Only on a first run: later the user's own choices stand.
  settings default WALL_PAPER_INFO change_local_folder_use 1 \
                   WALL_PAPER_INFO change_local_folder_use_edit "$pictures_win" \
                   SEARCH_HISTORY_LOCA_FOLDER count 1 SEARCH_HISTORY_LOCA_FOLDER item0 "$pictures_win"
  echo "Tapestrel demo on display $DISPLAY: photo service stand-in on http://$addr, Wikimedia Commons stand-in on http://$addr/commons, sample pictures in $pictures_win, settings and lists in $(dirname "$ini"). Ctrl+C ends it."
else
  settings remove SERVICE rest_url SERVICE web_url SERVICE support_url SERVICE commons_url
  echo "Tapestrel on display $DISPLAY against the real Flickr service; settings and lists in $(dirname "$ini"). Ctrl+C ends it."
  if ! settings get SERVICE api_key >/dev/null; then
    echo "No API key of your own yet: enter it on the \"Flickr\" page of the settings sheet (アプリ設定)."
  fi
fi

# The window process starts the tray process itself.
wine "$build/Tapestrel.exe" /window &
window=$!
session_pids+=("$window")

# Host processes of this prefix that run Tapestrel.exe (the tray and the window).
tapestrel_running() {
  local dir
  for dir in /proc/[0-9]*; do
    if grep -qa 'Tapestrel\.exe' "$dir/cmdline" 2>/dev/null &&
       grep -qaz "^WINEPREFIX=$WINEPREFIX\$" "$dir/environ" 2>/dev/null; then
      return 0
    fi
  done
  return 1
}
seen=0
while :; do
  if tapestrel_running; then
    seen=1
  elif [ "$seen" = 1 ] || ! kill -0 "$window" 2>/dev/null; then
    break
  fi
  sleep 1
done
