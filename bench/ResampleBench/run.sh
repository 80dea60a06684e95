#!/usr/bin/env bash
# Resampling speed and quality of the attribute filter's resampler beside sox's default
# quality, on the same files: 10 minutes of 44.1 kHz stereo float noise to 48 kHz, and
# sines for the passband ripple and stopband rejection.
# Usage: bench/ResampleBench/run.sh [build folder]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
build=$(cd "$build" && pwd)
exe=$build/bin/resample_bench.exe
[ -x "$build/wine-run" ] && [ -f "$exe" ] || { echo "build resample_bench first ($exe)"; exit 1; }
command -v sox >/dev/null || { echo "sox is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
raw="-t raw -e floating-point -b 32"

sox -n $raw -r 44100 -c 2 "$work/noise.raw" synth 600 pinknoise vol 0.5
ours=$("$build/wine-run" "$exe" speed "Z:$work/noise.raw" | tr -d '\r')
echo "$ours"
start=$(date +%s.%N)
sox $raw -r 44100 -c 2 "$work/noise.raw" $raw -r 48000 "$work/noise48.raw"
end=$(date +%s.%N)
frames=$((600 * 44100))
soxfps=$(echo "$frames / ($end - $start)" | bc -l)
printf 'sox:  %d frames in %.3f s: %.0f input frames/s (file reading and writing included)\n' \
  "$frames" "$(echo "$end - $start" | bc -l)" "$soxfps"
ourfps=$(echo "$ours" | sed -n 's/.*s: \([0-9]*\) input frames\/s.*/\1/p')
printf 'speed ratio ours / sox: %.2f\n' "$(echo "$ourfps / $soxfps" | bc -l)"

for f in 100 1000 5000 10000 15000 18000 19845; do
  sox -n $raw -r 44100 -c 1 "$work/sine_$f.in.raw" synth 4 sine $f vol 0.5
  sox $raw -r 44100 -c 1 "$work/sine_$f.in.raw" $raw -r 48000 "$work/sine_$f.sox.raw"
done
for f in 22500 23000 23500 23900; do
  sox -n $raw -r 48000 -c 1 "$work/high_$f.in.raw" synth 4 sine $f vol 0.5
  sox $raw -r 48000 -c 1 "$work/high_$f.in.raw" $raw -r 44100 "$work/high_$f.sox.raw"
done
"$build/wine-run" "$exe" quality "Z:$work" | tr -d '\r'
