#!/bin/sh
# Runs the engine's mix benchmark and the same mix of the same tracks by sox, and prints
# both speeds and their ratio.   bench/MixBench/run.sh <build folder> [minutes]
set -e
build=${1:?usage: run.sh <build folder> [minutes]}
minutes=${2:-10}
work=$(mktemp -d /tmp/mixbench.XXXXXX)
trap 'rm -rf "$work"' EXIT
# Wine sees the Linux root as drive Z:.
winwork="Z:$(echo "$work" | tr / '\\')"

"$build/wine-run" "$build/bin/mix_bench.exe" "$winwork" "$minutes" | tee "$work/engine.txt"
engine=$(awk '/^engine_frames_per_second/ {print $2}' "$work/engine.txt")

# sox mixes the same tracks with the same volumes (it has no per-input pan or envelope).
set --
t=0
while [ $t -lt 8 ]; do
    set -- "$@" -v "$(awk -v t=$t 'BEGIN {printf "%.2f", 0.5 + 0.05 * t}')" "$work/track$t.wav"
    t=$((t + 1))
done
sox -m "$@" -e floating-point -b 32 -t raw /dev/null 2>/dev/null   # warm the file cache
start=$(date +%s.%N)
sox -V1 -m "$@" -e floating-point -b 32 -t raw /dev/null
end=$(date +%s.%N)
frames=$(awk -v m="$minutes" 'BEGIN {printf "%.0f", m * 60 * 48000}')
awk -v f="$frames" -v s="$start" -v e="$end" -v eng="$engine" 'BEGIN {
    sox = f / (e - s)
    printf "sox -m mix: %.3f s, sox_frames_per_second %.0f\n", e - s, sox
    printf "engine / sox speed ratio: %.2f\n", eng / sox
}'
