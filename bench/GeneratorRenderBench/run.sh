#!/bin/sh
# White noise into eight stereo 44.1 kHz 16-bit tracks of ten minutes through the generator
# worker (the render and the inserted step), beside sox making the same noise into WAV files.
#   bench/GeneratorRenderBench/run.sh <build folder> [minutes] [tracks]
set -e
build=$(cd "${1:?usage: run.sh <build folder> [minutes] [tracks]}" && pwd)
minutes=${2:-10}
tracks=${3:-8}
work=$(mktemp -d /tmp/genbench.XXXXXX)
trap 'rm -rf "$work"' EXIT

out=$("$build/wine-run" "$build/bin/generator_render_bench.exe" "$minutes" "$tracks" | tr -d '\r')
ours=$(echo "$out" | awk '$1 == "noise_worker_seconds" {print $2}')

peer=""
if command -v sox >/dev/null 2>&1; then
    s=$(date +%s.%N)
    t=0
    while [ $t -lt "$tracks" ]; do
        sox -V1 -n -r 44100 -b 16 -c 2 "$work/noise$t.wav" synth "$((minutes * 60))" whitenoise vol 0.5
        t=$((t + 1))
    done
    e=$(date +%s.%N)
    peer=$(awk -v s="$s" -v e="$e" 'BEGIN {printf "%.3f", e - s}')
fi
echo "White noise into $tracks stereo 44.1 kHz 16-bit tracks of $minutes minutes:"
awk -v w="$ours" -v x="$peer" 'BEGIN {
    printf "  generator worker %8.3f s", w
    if (x == "") print "; sox not installed"
    else printf "; sox synth whitenoise %8.3f s, sox / worker speed ratio %.2f (above 1: we are faster)\n", x, x / w
}'
