#!/bin/sh
# Playback benchmark: the engine's work per 10 ms block, then a run through the private sound
# server (start latency, underruns), then sox -m of the same eight tracks as a real-time factor.
#   bench/PlaybackBench/run.sh <build folder> [seconds]
set -e
build=$(cd "${1:?usage: run.sh <build folder> [seconds]}" && pwd)
seconds=${2:-60}
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d /tmp/playbench.XXXXXX)
pulse="$work/pulse"
trap '"$scripts/pulse-null.sh" stop "$pulse"; rm -rf "$work"' EXIT
winwork="Z:$(echo "$work" | tr / '\\')"

"$build/wine-run" "$build/bin/playback_bench.exe" "$winwork" "$seconds"

"$scripts/pulse-null.sh" start "$pulse"
KV_WINE_KIND=audio PULSE_SERVER="unix:$pulse/native" PULSE_LATENCY_MSEC=60 \
  "$build/wine-run" "$build/bin/playback_bench.exe" --devices "$winwork" 10

if command -v sox >/dev/null 2>&1; then
    set --
    for t in 0 1 2 3 4 5 6 7; do set -- "$@" -v 0.5 "$work/track$t.wav"; done
    best=""
    for run in 1 2 3; do
        s=$(date +%s.%N)
        sox -V1 -m "$@" -e floating-point -b 32 -t raw /dev/null
        e=$(date +%s.%N)
        best=$(awk -v s="$s" -v e="$e" -v b="$best" 'BEGIN {t = e - s; if (b == "" || t < b) b = t; printf "%.3f", b}')
    done
    awk -v b="$best" -v n="$seconds" 'BEGIN {printf "sox -m of the same 8 tracks (whole process, best of 3): %.3f s, real-time factor %.0f\n", b, n / b}'
else
    echo "sox -m: not installed, no comparison"
fi
