#!/bin/sh
# Runs the CD benchmark on a disc image (default 74 minutes), then times sox reading the same
# WAV to null and converting the same 48 kHz 24-bit file to CD audio, the best of two runs each.
#   bench/CdBench/run.sh <build folder> [minutes]
set -e
build=${1:?usage: run.sh <build folder> [minutes]}
minutes=${2:-74}
work=$(mktemp -d /tmp/cdbench.XXXXXX)
trap 'rm -rf "$work"' EXIT
winwork="Z:$(echo "$work" | tr / '\\')"
"$build/wine-run" "$build/bin/cd_bench.exe" "$winwork" "$minutes"
if command -v sox >/dev/null; then
    best=""
    for run in 1 2; do
        s=$(date +%s.%N); sox -V1 "$work/disc.wav" -n; e=$(date +%s.%N)
        best=$(awk -v s="$s" -v e="$e" -v b="$best" 'BEGIN {t = e - s; if (b == "" || t < b) b = t; printf "%.2f", b}')
    done
    echo "sox_read_wav_seconds $best"
    best=""
    for run in 1 2; do
        s=$(date +%s.%N); sox -V1 "$work/hi.wav" -r 44100 -b 16 "$work/sox-cd.wav"; e=$(date +%s.%N)
        best=$(awk -v s="$s" -v e="$e" -v b="$best" 'BEGIN {t = e - s; if (b == "" || t < b) b = t; printf "%.2f", b}')
    done
    echo "sox_convert_48k24_seconds $best"
else
    echo "sox is not installed: no peer figure"
fi
