#!/bin/sh
# White noise into eight stereo 44.1 kHz 16-bit tracks of ten minutes through the generator
# worker (the render and the inserted step), beside sox making the same noise into WAV files.
# The two are taken in turn [rounds] times (default 1): medians, and the median of the rounds'
# own ratios.
#   bench/GeneratorRenderBench/run.sh <build folder> [minutes] [tracks] [rounds]
set -e
build=$(cd "${1:?usage: run.sh <build folder> [minutes] [tracks] [rounds]}" && pwd)
minutes=${2:-10}
tracks=${3:-8}
rounds=${4:-1}
work=$(mktemp -d /tmp/genbench.XXXXXX)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{v[NR] = $1} END {print v[int(NR / 2) + 1]}'; }

ours=""; peers=""; ratios=""
r=0
while [ $r -lt "$rounds" ]; do
    out=$("$build/wine-run" "$build/bin/generator_render_bench.exe" "$minutes" "$tracks" | tr -d '\r')
    w=$(echo "$out" | awk '$1 == "noise_worker_seconds" {print $2}')
    ours="$ours $w"
    if command -v sox >/dev/null 2>&1; then
        s=$(date +%s.%N)
        t=0
        while [ $t -lt "$tracks" ]; do
            sox -V1 -n -r 44100 -b 16 -c 2 "$work/noise$t.wav" synth "$((minutes * 60))" whitenoise vol 0.5
            t=$((t + 1))
        done
        e=$(date +%s.%N)
        x=$(awk -v s="$s" -v e="$e" 'BEGIN {printf "%.3f", e - s}')
        rm -f "$work"/noise*.wav
        peers="$peers $x"
        ratios="$ratios $(awk -v w="$w" -v x="$x" 'BEGIN {printf "%.4f", x / w}')"
    fi
    r=$((r + 1))
done
ours=$(echo $ours | tr ' ' '\n' | median)
peer=""
ratio=""
if [ -n "$peers" ]; then
    peer=$(echo $peers | tr ' ' '\n' | median)
    ratio=$(echo $ratios | tr ' ' '\n' | median)
fi
echo "White noise into $tracks stereo 44.1 kHz 16-bit tracks of $minutes minutes (median of $rounds):"
awk -v w="$ours" -v x="$peer" -v q="$ratio" 'BEGIN {
    printf "  generator worker %8.3f s", w
    if (x == "") print "; sox not installed"
    else printf "; sox synth whitenoise %8.3f s, sox / worker speed ratio %.2f (above 1: we are faster)\n", x, q
}'
