#!/usr/bin/env bash
# Runs EqBench under Wine, then the peers on the same file: sox with the same ten IIR bands,
# and ffmpeg's firequalizer with the FIR mode's curve, tap count and window. Prints the ratios
# of the engine's speeds to theirs. Usage: run.sh [build folder]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wav="$work/eqbench.wav"

out=$("$build/wine-run" "$build/bin/eq_bench.exe" "Z:${wav//\//\\}" | tr -d '\r')
echo "$out" | grep -v '_FPS'
iir_fps=$(echo "$out" | awk '/^IIR_FPS/ {print $2}')
fir_fps=$(echo "$out" | awk '/^FIR_FPS/ {print $2}')

rate=44100
frames=$((rate * 600))
now() { date +%s.%N; }
# Prints "total effect-alone" seconds of a run beside the baseline run's seconds ($1).
timed() { local t0 t1; t0=$(now); "$@"; t1=$(now); echo "$t0 $t1" | awk '{print $2-$1}'; }
report() { # name total baseline engine-fps
  awk -v name="$1" -v total="$2" -v io="$3" -v fps="$4" -v frames="$frames" 'BEGIN {
    eq = total - io; if (eq <= 0) eq = total;
    printf "%-34s %8.3f s %14.0f frames/s (effect alone %.3f s, %.0f frames/s)\n", name, total, frames / total, eq, frames / eq;
    printf "  engine / peer: %.2f (whole run), %.2f (effect alone)\n", fps / (frames / total), fps / (frames / eq);
  }'
}

if command -v sox >/dev/null; then
  effects=()
  gain=6
  for f in 31.5 63 125 250 500 1000 2000 4000 8000 16000; do
    effects+=(equalizer "$f" 3q "$gain")
    gain=$((-gain))
  done
  # Baseline: reading and converting the file through one trivial effect (sox skips reading
  # altogether when there is no effect at all).
  io=$(timed sox -q "$wav" -n gain 0)
  total=$(timed sox -q "$wav" -n "${effects[@]}")
  echo "sox: reading through one trivial effect $io s"
  report "IIR: sox, ten equalizer effects" "$total" "$io" "$iir_fps"
else
  echo "sox is not installed: no IIR peer"
fi

if command -v ffmpeg >/dev/null && ffmpeg -hide_banner -h filter=firequalizer 2>/dev/null | grep -q wfunc; then
  # The FIR mode's curve: octave bands with sharp edges where the band index changes, each at
  # half its dB value (+-6 dB bands give +-3 dB). Same window (Blackman), and a delay of
  # (N - 1) / 2 frames so that the peer's kernel has the engine's 8191 non-zero taps; the gain
  # is sampled every rate / N Hz as the engine's design is.
  edges=(44.67 89.13 177.8 354.8 707.9 1412.5 2818.4 5623.4 11220.2)
  curve=""
  close=""
  gain=3
  for e in "${edges[@]}"; do
    curve+="if(lt(f,$e),$gain,"
    close+=")"
    gain=$((-gain))
  done
  curve+="$gain$close"
  delay=$(awk -v r=$rate 'BEGIN { printf "%.9f", 4095.5 / r }')
  accuracy=$(awk -v r=$rate 'BEGIN { printf "%.9f", r / 8192 }')
  fir="firequalizer=gain='$curve':delay=$delay:accuracy=$accuracy:wfunc=blackman"
  # The WAV reader's packets raised from 4 KiB to 128 KiB (as the mix bench does): with small
  # packets firequalizer runs its whole transform per 1 024 frames and looks far slower than it is.
  ff=(ffmpeg -hide_banner -nostdin -loglevel error -max_size 131072 -i "$wav")
  io=$(timed "${ff[@]}" -af anull -f null -)
  echo "ffmpeg: reading through anull $io s"
  # Each of the peer's settings; the best (shortest) is the one compared.
  best="" best_total=""
  for setting in "" ":fft2=on" ":fixed=on" ":fft2=on:fixed=on"; do
    total=$(timed "${ff[@]}" -af "$fir$setting" -f null -)
    echo "ffmpeg firequalizer${setting:+ ${setting#:}}: $total s"
    if [ -z "$best_total" ] || awk -v a="$total" -v b="$best_total" 'BEGIN { exit !(a < b) }'; then
      best=$setting best_total=$total
    fi
  done
  report "FIR: ffmpeg firequalizer${best:+, ${best#:}} (best)" "$best_total" "$io" "$fir_fps"
else
  echo "ffmpeg with firequalizer is not installed: no FIR peer"
fi
