#!/usr/bin/env bash
# Runs EqBench under Wine, then sox with the same ten bands on the same file, and prints the
# ratio of the engine's IIR speed to sox's. Usage: run.sh [build folder]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wav="$work/eqbench.wav"

out=$("$build/wine-run" "$build/bin/eq_bench.exe" "Z:${wav//\//\\}" | tr -d '\r')
echo "$out" | grep -v '^IIR_FPS'
iir_fps=$(echo "$out" | awk '/^IIR_FPS/ {print $2}')

frames=$((44100 * 600))
effects=()
gain=6
for f in 31.5 63 125 250 500 1000 2000 4000 8000 16000; do
  effects+=(equalizer "$f" 3q "$gain")
  gain=$((-gain))
done
now() { date +%s.%N; }
# Baseline: reading and converting the file through one trivial effect (sox skips reading
# altogether when there is no effect at all).
t0=$(now); sox -q "$wav" -n gain 0; t1=$(now)
sox -q "$wav" -n "${effects[@]}"; t2=$(now)
read -r io total < <(echo "$t0 $t1 $t2" | awk '{print $2-$1, $3-$2}')
awk -v io="$io" -v total="$total" -v frames="$frames" -v iir="$iir_fps" 'BEGIN {
  eq = total - io; if (eq <= 0) eq = total;
  printf "sox, ten equalizer effects %8.3f s %14.0f frames/s (reading through one trivial effect %.3f s)\n", total, frames / total, io;
  printf "sox, effects alone         %8.3f s %14.0f frames/s\n", eq, frames / eq;
  printf "IIR engine / sox: %.2f (whole sox run), %.2f (sox effects alone)\n", iir / (frames / total), iir / (frames / eq);
}'
