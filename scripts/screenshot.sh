#!/usr/bin/env bash
# Starts the program under a virtual X display and saves a PNG of the screen.
#   scripts/screenshot.sh [out.png] [seconds to wait after the window appears] [new documents]
# With a number of new documents, File New is chosen that many times once the window is up.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$build/screenshot.png}")
settle=${2:-3}
documents=${3:-0}
"$root/scripts/build.sh" >/dev/null
# The run below ends by killing the program: its session journals would bring up the recovery
# question on the next shot.
rm -f "$build"/wine/x11/drive_c/users/*/Temp/kv5eu/KVC*.tmp
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  # A Wine virtual desktop draws the window frames that no window manager draws here.
  KV_WINE_DISPLAY=x11 "$0/wine-run" explorer /desktop=KvShot,1280x800 "$0/bin/KvSound5EU.exe" &
  for i in $(seq 1 120); do
    xwininfo -root -tree 2>/dev/null | grep -q "KvShot" && break
    sleep 0.5
  done
  if [ "$3" -gt 0 ]; then
    # On the same virtual desktop, or it would not find the main window.
    KV_WINE_DISPLAY=x11 "$0/wine-run" explorer /desktop=KvShot "$0/bin/KvPostCommand.exe" 0xE100 "$3" || true
  fi
  sleep "$2"
  import -window root "$1"
  WINEPREFIX="$0/wine/x11" wineserver -k || true
' "$build" "$out" "$settle" "$documents"
echo "saved $out"
