#!/bin/sh
# Mix Tracks to New of eight stereo tracks beside the engine's own mix of them and sox -m on
# WAV files of the same samples, each the best of three runs, and the ratios.
#   bench/MixToNewBench/run.sh <build folder> [minutes]
set -e
build=${1:?usage: run.sh <build folder> [minutes]}
minutes=${2:-10}
work=$(mktemp -d /tmp/mixtonew.XXXXXX)
trap 'rm -rf "$work"' EXIT
winwork="Z:$(echo "$work" | tr / '\\')"

doc=""
mix=""
best() { awk -v s="$1" -v b="$2" 'BEGIN {if (b == "" || s < b) b = s; printf "%.3f", b}'; }
for run in 1 2 3; do
    out=$("$build/wine-run" "$build/bin/mix_to_new_bench.exe" "$winwork" "$minutes")
    doc=$(best "$(echo "$out" | awk '/mix_to_new_seconds/ {print $2}')" "$doc")
    mix=$(best "$(echo "$out" | awk '/engine_mix_seconds/ {print $2}')" "$mix")
done

sox_time=""
if command -v sox >/dev/null 2>&1; then
    set --
    t=0
    while [ $t -lt 8 ]; do
        set -- "$@" "$work/track$t.wav"
        t=$((t + 1))
    done
    for run in 1 2 3; do
        s=$(date +%s.%N)
        sox -V1 -m "$@" -b 16 "$work/mix.wav"
        e=$(date +%s.%N)
        sox_time=$(awk -v s="$s" -v e="$e" -v b="$sox_time" 'BEGIN {t = e - s; if (b == "" || t < b) b = t; printf "%.3f", b}')
    done
fi
awk -v d="$doc" -v e="$mix" -v x="$sox_time" -v m="$minutes" 'BEGIN {
    printf "Mix Tracks to New, 8 stereo tracks of %s minutes, best of 3:\n", m
    printf "  document (render and new document): %.3f s\n", d
    printf "  the engine mix alone (read whole, nothing written): %.3f s; document / engine mix time: %.2f\n", e, d / e
    if (x == "") print "  sox -m: not installed, no comparison"
    else printf "  sox -m to a 16-bit WAV file: %.3f s; document / sox speed ratio: %.2f\n", x, x / d
}'
