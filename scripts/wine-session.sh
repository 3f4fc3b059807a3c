# Sourced by test.sh, bench.sh and run.sh: a fresh Wine prefix for the build
# folder ($1), an X display (Xvfb unless $TAPESTREL_DISPLAY names one) and one
# persistent wineserver. Both are ended, by their process ids, when the calling
# script exits. With wine_keep_prefix=1 an existing prefix is used again
# (wine_new_prefix tells whether it was made now); wine_desktop=WxH gives a new
# prefix one virtual desktop of that size for all its programs; wine_dpi=N
# makes a new prefix run at N DPI (its LogPixels).
wine_build_dir=$1
. "$(dirname "${BASH_SOURCE[0]}")/wine-env"

session_pids=()
end_session() {
  # Wine's own helpers (services, explorer, ...) of this prefix were started by
  # this session; ending our wineserver's clients ends them too.
  wineserver -k 2>/dev/null || true
  for pid in "${session_pids[@]}" "$wine_server_pid"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${session_pids[@]}" "$wine_server_pid"; do wait "$pid" 2>/dev/null || true; done
}
start_wineserver() {
  wineserver -f -p &
  wine_server_pid=$!
}
wine_server_pid=
trap end_session EXIT

if [ -n "${TAPESTREL_DISPLAY:-}" ]; then
  export DISPLAY=$TAPESTREL_DISPLAY
else
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
  session_pids+=($!)
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$displayfile")"
  rm -f "$displayfile"
fi

wine_new_prefix=1
if [ "${wine_keep_prefix:-0}" = 1 ] && [ -f "$WINEPREFIX/system.reg" ]; then
  wine_new_prefix=0
else
  rm -rf "$wine_dir"
fi
mkdir -p "$HOME" "$WINEPREFIX"
start_wineserver
if [ "$wine_new_prefix" = 1 ]; then
  wineboot -i >/dev/null 2>&1
  # A crashing program ends at once instead of waiting in Wine's debugger, so a
  # crash shows as a failed test rather than a hung run. The value must be there
  # and empty: without it Wine starts its own debugger, which never returns here.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1 || true
  # Japanese text: the program asks for the usual Windows family names.
  for family in "ＭＳＰゴシック" "ＭＳ Ｐゴシック" "MS UI Gothic" "ＭＳ ゴシック"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$family" /d IPAPGothic /f >/dev/null 2>&1
  done
  if [ -n "${wine_desktop:-}" ] || [ -n "${wine_dpi:-}" ]; then
    if [ -n "${wine_desktop:-}" ]; then
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$wine_desktop" /f >/dev/null 2>&1
    fi
    if [ -n "${wine_dpi:-}" ]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$wine_dpi" /f >/dev/null 2>&1
    fi
    # The desktop process started with the prefix, before these keys, and the
    # server reads the DPI when it starts: a new server lets the next program
    # start the virtual desktop at that DPI.
    wineserver -k 2>/dev/null || true
    wait "$wine_server_pid" 2>/dev/null || true
    start_wineserver
  fi
fi
