#!/usr/bin/env bash
# Shows effect module pages (effect_page_show) under a virtual X display and saves a PNG.
#   scripts/screenshot-effect-pages.sh [out.png] [first page] [count]
#   scripts/screenshot-effect-pages.sh [out.png] <module> [count]   one module's pages, large:
#   scripts/screenshot-effect-pages.sh fft-eq.png KvSEFFEQ           the FFT equaliser's curve page
#                                                                    over an analysed spectrum
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$build/effect-pages.png}")
first=${2:-0}
count=${3:-12}
cmake --build "$build" --target effect_page_show >/dev/null
xvfb-run -a -s "-screen 0 1400x1000x24" bash -c '
  KV_WINE_DISPLAY=x11 "$0/wine-run" explorer /desktop=KvPages,1400x1000 "$0/bin/effect_page_show.exe" "$2" "$3" 30 &
  for i in $(seq 1 120); do
    xwininfo -root -tree 2>/dev/null | grep -q "KvPages" && break
    sleep 0.5
  done
  sleep 5
  import -window root "$1"
  wait || true
  WINEPREFIX="$0/wine/x11" wineserver -k || true
' "$build" "$out" "$first" "$count"
echo "saved $out"
