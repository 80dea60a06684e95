#!/usr/bin/env bash
# Resampling speed and quality of the kit's resampler (the attribute filter's and the
# engine's) beside sox's rate effect
# (default and -v) and ffmpeg's aresample (soxr engine, and its own default one), all on the
# same files: 10 minutes of 44.1 kHz stereo 32-bit float WAV noise to 48 kHz WAV, best of three
# runs each; then sines for the passband ripple and stopband rejection.
# Ours is timed inside its program (reading, resampling, writing), as Wine's start-up is no part
# of the work; the peers are timed as whole processes.
# Usage: bench/ResampleBench/run.sh [build folder]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
build=$(cd "$build" && pwd)
exe=$build/bin/resample_bench.exe
[ -x "$build/wine-run" ] && [ -f "$exe" ] || { echo "build resample_bench first ($exe)"; exit 1; }
command -v sox >/dev/null || { echo "sox is not installed: the input files cannot be made"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=3
seconds=600
frames=$((seconds * 44100))
raw="-t raw -e floating-point -b 32"

sox -n -e floating-point -b 32 -r 44100 -c 2 "$work/in.wav" synth $seconds pinknoise vol 0.5

have_ffmpeg=0
command -v ffmpeg >/dev/null && have_ffmpeg=1
have_soxr=0
if [ $have_ffmpeg = 1 ] && ffmpeg -hide_banner -v error -f lavfi -i anullsrc=r=44100:cl=mono -t 0.1 \
     -af aresample=48000:resampler=soxr -f null - 2>/dev/null; then
  have_soxr=1
fi

# Frames of a WAV file.
wav_frames() { soxi -s "$1" 2>/dev/null || echo "?"; }

best=""
# time_peer NAME OUT COMMAND...: best wall time of $runs runs.
time_peer() {
  local name=$1 out=$2; shift 2
  best=""
  for _ in $(seq $runs); do
    local start end t
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { best=""; return 1; }
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
}

row() { # NAME SECONDS OUTFILE
  printf '  %-34s %7.3f s  %6.1f M frames/s  %s frames out\n' "$1" "$2" "$(echo "$frames / $2 / 1000000" | bc -l)" \
    "$(wav_frames "$3")"
}

echo "44.1 kHz -> 48 kHz, stereo 32-bit float WAV in and out, $seconds s ($frames frames), best of $runs:"
ours=""
detail=""
for _ in $(seq $runs); do
  line=$("$build/wine-run" "$exe" convert "Z:$work/in.wav" "Z:$work/ours.wav" 48000 | tr -d '\r')
  t=$(echo "$line" | sed -n 's/.* frames in \([0-9.]*\) s:.*/\1/p')
  [ -n "$t" ] || { echo "ours did not run: $line"; exit 1; }
  if [ -z "$ours" ] || [ "$(echo "$t < $ours" | bc -l)" = 1 ]; then ours=$t detail=$line; fi
done
row "ours (in its program)" "$ours" "$work/ours.wav"
echo "$detail" | sed 's/^ours: /    /'

declare -A peer_time
peer() { # KEY NAME OUT COMMAND...
  local key=$1 name=$2 out=$3; shift 3
  if time_peer "$name" "$out" "$@"; then
    peer_time[$key]=$best
    row "$name" "$best" "$out"
  else
    echo "  $name: did not run"
  fi
}
peer sox "sox rate (default)" "$work/sox.wav" sox "$work/in.wav" -e floating-point -b 32 "$work/sox.wav" rate 48000
peer soxv "sox rate -v" "$work/soxv.wav" sox "$work/in.wav" -e floating-point -b 32 "$work/soxv.wav" rate -v 48000
if [ $have_soxr = 1 ]; then
  peer soxr "ffmpeg aresample, soxr engine" "$work/soxr.wav" ffmpeg -v error -y -i "$work/in.wav" \
    -af aresample=48000:resampler=soxr -c:a pcm_f32le "$work/soxr.wav"
else
  echo "  ffmpeg aresample, soxr engine: cannot run (no ffmpeg, or ffmpeg built without soxr)"
fi
if [ $have_ffmpeg = 1 ]; then
  peer swr "ffmpeg aresample (default engine)" "$work/swr.wav" ffmpeg -v error -y -i "$work/in.wav" \
    -af aresample=48000 -c:a pcm_f32le "$work/swr.wav"
else
  echo "  ffmpeg aresample (default engine): cannot run (no ffmpeg)"
fi
# What a whole process costs before any work: the same commands on a 0.1 s file.
sox -n -e floating-point -b 32 -r 44100 -c 2 "$work/tiny.wav" synth 0.1 pinknoise vol 0.5
startup=""
if time_peer sox "$work/t.wav" sox "$work/tiny.wav" -e floating-point -b 32 "$work/t.wav" rate 48000; then
  startup="sox $(printf '%.3f' "$best") s"
fi
if [ $have_soxr = 1 ] && time_peer ffmpeg "$work/t.wav" ffmpeg -v error -y -i "$work/tiny.wav" \
     -af aresample=48000:resampler=soxr -c:a pcm_f32le "$work/t.wav"; then
  startup="$startup, ffmpeg $(printf '%.3f' "$best") s"
fi
[ -n "$startup" ] && echo "  peers' start-up, included above (a 0.1 s file): $startup"
for key in sox soxv soxr swr; do
  [ -n "${peer_time[$key]:-}" ] && printf '  time of %-5s / ours: %.2f\n' "$key" "$(echo "${peer_time[$key]} / $ours" | bc -l)"
done

peers=(sox)
for f in 100 1000 5000 10000 15000 18000 19845; do
  sox -n $raw -r 44100 -c 1 "$work/sine_$f.in.raw" synth 4 sine $f vol 0.5
  sox $raw -r 44100 -c 1 "$work/sine_$f.in.raw" $raw -r 48000 "$work/sine_$f.sox.raw"
  if [ $have_soxr = 1 ]; then
    ffmpeg -v error -y -f f32le -ar 44100 -ac 1 -i "$work/sine_$f.in.raw" -af aresample=48000:resampler=soxr \
      -f f32le "$work/sine_$f.soxr.raw"
  fi
  if [ $have_ffmpeg = 1 ]; then
    ffmpeg -v error -y -f f32le -ar 44100 -ac 1 -i "$work/sine_$f.in.raw" -af aresample=48000 \
      -f f32le "$work/sine_$f.swr.raw"
  fi
done
for f in 22100 22500 23000 23500 23900; do
  sox -n $raw -r 48000 -c 1 "$work/high_$f.in.raw" synth 4 sine $f vol 0.5
  sox $raw -r 48000 -c 1 "$work/high_$f.in.raw" $raw -r 44100 "$work/high_$f.sox.raw"
  if [ $have_soxr = 1 ]; then
    ffmpeg -v error -y -f f32le -ar 48000 -ac 1 -i "$work/high_$f.in.raw" -af aresample=44100:resampler=soxr \
      -f f32le "$work/high_$f.soxr.raw"
  fi
  if [ $have_ffmpeg = 1 ]; then
    ffmpeg -v error -y -f f32le -ar 48000 -ac 1 -i "$work/high_$f.in.raw" -af aresample=44100 \
      -f f32le "$work/high_$f.swr.raw"
  fi
done
[ $have_soxr = 1 ] && peers+=(soxr)
[ $have_ffmpeg = 1 ] && peers+=(swr)
echo "Quality (sines, mono):"
"$build/wine-run" "$exe" quality "Z:$work" "${peers[@]}" | tr -d '\r' | sed 's/^/  /'
