#!/usr/bin/env bash
# Runs analysis_bench under Wine, builds the native FFTW peer (installing Debian's libfftw3-dev
# when missing) and prints, per size, ForwardFft beside FFTW's measured in-place complex
# transform with and without its SIMD; then the whole analysis beside the FFTW program computing
# the same averaged spectrum and beside sox's spectrogram with one 1024-point DFT a column.
# Ratios above 1: we are faster. Usage: run.sh [build folder]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wav="$work/analysisbench.wav"

out=$("$build/wine-run" "$build/bin/analysis_bench.exe" "Z:${wav//\//\\}" | tr -d '\r')
echo "$out" | grep -v '^FFT\|^RUN'

if [ ! -e /usr/include/fftw3.h ]; then
  apt-get install -y -q libfftw3-dev >/dev/null 2>&1 || { apt-get update -q >/dev/null && apt-get install -y -q libfftw3-dev >/dev/null; } ||
    echo "libfftw3-dev could not be installed: no FFTW peer"
fi
peer=""
if [ -e /usr/include/fftw3.h ] && gcc -O2 -o "$work/fftw_peer" "$here/fftw_peer.c" -lfftw3 -lm; then
  peer="$work/fftw_peer"
fi

if [ -n "$peer" ]; then
  simd=$("$peer" sizes)
  plain=$("$peer" sizes nosimd)
  printf '%8s %12s %12s %12s %10s %10s %10s\n' N "ForwardFft" "kit Fft" "FFTW" "FFTW -simd" "FFTW/ours" "kit/ours"
  echo "$out" | awk '$1 == "FFT" {print $2, $3, $4}' | while read -r n ours kit; do
    f=$(echo "$simd" | awk -v n="$n" '$2 == n {print $3}')
    g=$(echo "$plain" | awk -v n="$n" '$2 == n {print $3}')
    awk -v n="$n" -v o="$ours" -v k="$kit" -v f="$f" -v g="$g" \
      'BEGIN {printf "%8d %12.0f %12.0f %12.0f %10.0f %10.2f %10.2f\n", n, o, k, f, g, f / o, k / o}'
  done
else
  echo "$out" | awk '$1 == "FFT" {printf "%8d %12.0f ns (kit %0.f ns)\n", $2, $3, $4}'
fi

ours=$(echo "$out" | awk '$1 == "RUN" {print $2}')
echo "whole analysis, ours: $ours s"
if [ -n "$peer" ]; then
  fftw=$("$peer" run "$wav")
  echo "$fftw" | grep -v '^RUN'
  t=$(echo "$fftw" | awk '$1 == "RUN" {print $2}')
  awk -v o="$ours" -v t="$t" 'BEGIN {printf "FFTW program: %.4f s   FFTW/ours %.2f\n", t, t / o}'
fi
if command -v sox >/dev/null; then
  now() { date +%s.%N; }
  best=$(for i in 1 2 3; do
    t0=$(now)
    sox "$wav" -n spectrogram -X 46.875 -y 513 -o "$work/spectrogram.png"
    t1=$(now)
    echo "$t0 $t1" | awk '{print $2 - $1}'
  done | sort -g | head -1)
  awk -v o="$ours" -v t="$best" 'BEGIN {printf "sox spectrogram (whole process): %.3f s   sox/ours %.1f\n", t, t / o}'
else
  echo "sox is not installed: no sox peer"
fi
