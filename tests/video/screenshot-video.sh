#!/usr/bin/env bash
# Screenshots of the video panes in the running program under a virtual X display: an AVI with
# sound opened as a document (its own video in the video track), then the video preview shown
# (command 1004) and zoomed to 200% (command 1090 through the preview's own window).
#   tests/video/screenshot-video.sh CLIP.avi OUTDIR
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KV_BUILD_DIR:-$root/build}
clip=$(realpath "$1")
out=$(realpath -m "${2:-$build/video-shots}")
mkdir -p "$out"
rm -f "$build"/wine/x11/drive_c/users/*/Temp/kv5eu/KVC*.tmp
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  run() { KV_WINE_DISPLAY=x11 "$0/wine-run" "$@"; }
  run explorer /desktop=KvShot,1280x800 "$0/bin/KvSound5EU.exe" "Z:$1" &
  for i in $(seq 1 120); do xwininfo -root -tree 2>/dev/null | grep -q "KvShot" && break; sleep 0.5; done
  sleep ${KV_SHOT_WAIT:-15}
  import -window root "$2/1-video-track.png"
  run explorer /desktop=KvShot "$0/bin/KvPostCommand.exe" 1004 || true
  sleep 6
  import -window root "$2/2-preview.png"
  WINEPREFIX="$0/wine/x11" wineserver -k || true
' "$build" "$clip" "$out"
echo "saved in $out"
