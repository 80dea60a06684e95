#!/usr/bin/env bash
# Runs effect_bench under Wine, then each kernel's sox peer on the same file, and prints the
# ratio kernel speed / peer speed (the peer's effect alone: its run less a run through one
# trivial effect, each the shortest of three), then the compressor's static curve beside compand's on steady tones,
# then the quality of tempo and pitch beside sox's as log-spectral distance to an ideal.
# Usage: run.sh [build folder]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wav="$work/effectbench.wav"

out=$("$build/wine-run" "$build/bin/effect_bench.exe" "Z:${wav//\//\\}" | tr -d '\r')
echo "$out" | grep -v '^FPS\|^CURVE'
command -v sox >/dev/null || { echo "sox is not installed: no peers"; exit 0; }

frames=$((44100 * 600))
now() { date +%s.%N; }
timed1() { local t0 t1; t0=$(now); "$@"; t1=$(now); echo "$t0 $t1" | awk '{print $2-$1}'; }
# The shortest of three runs: the machine is shared, and a run only gets slower by it.
timed() { { timed1 "$@"; timed1 "$@"; timed1 "$@"; } | sort -g | head -1; }
io=$(timed sox -q "$wav" -n gain 0)
echo "sox: reading through one trivial effect $io s"
printf '%-18s %-40s %12s %12s %8s\n' kernel "sox peer" "kernel f/s" "peer f/s" ratio
peer() { # kernel-name sox-effect...
  local name=$1; shift
  local fps total alone
  fps=$(echo "$out" | awk -v n="$name" '$1 == "FPS" && $2 == n {print $3}')
  total=$(timed sox -q "$wav" -n "$@")
  awk -v name="$name" -v peer="$*" -v fps="$fps" -v total="$total" -v io="$io" -v frames="$frames" 'BEGIN {
    alone = total - io; if (alone <= 0.001) alone = 0.001;
    printf "%-18s %-40s %12.0f %12.0f %8.2f\n", name, peer, fps, frames / alone, fps / (frames / alone);
  }'
}
peer Gain vol 6dB
peer DcOffset dcshift 0.01
peer Normalize norm -1
peer ParametricEq equalizer 1000 1q 12
# The FFT equaliser's curve: -20 dB from 2 to 4 kHz; sox's nearest is one octave-wide peak.
peer FftEq equalizer 2828 1o -20
peer LowPass lowpass 1000
peer HighPass highpass 1000
peer BandPass highpass 300 lowpass 3400
peer Tremolo tremolo 5 50
peer Compressor compand 0.005,0.1 6:-20,-20,0,-15
peer StereoToMono remix 1v0.5,2v0.5
peer RemoveVocals oops
peer ReversePhase vol -1
peer ChannelNormalize gain -e -n -1
peer Delay echos 0.65 1 350 0.4
sox -q "$wav" -n trim 0 5 noiseprof "$work/noise.prof"
peer Hiss noisered "$work/noise.prof" 0.3
peer Hum $(for h in $(seq 1 11); do echo bandreject $((60 * h)) 4h; done)
peer Reverb reverb 50 50 100 100 20 0
peer TimeStretch tempo -s 0.5
peer PitchShift pitch 500
# Peers doing the same work where sox's effect does less. ffmpeg reads in 128 KiB packets (its
# default 4 KiB ones make a filter run per 1 024 frames); its effect alone is its run less a run
# through anull, each the shortest of three.
ffpeer() { # kernel-name label filter-settings... (the fastest setting counts)
  local name=$1 label=$2; shift 2
  local fps io total best="" best_total=""
  fps=$(echo "$out" | awk -v n="$name" '$1 == "FPS" && $2 == n {print $3}')
  io=$(timed ffmpeg -hide_banner -nostdin -loglevel error -max_size 131072 -i "$wav" -af anull -f null -)
  for setting in "$@"; do
    total=$(timed ffmpeg -hide_banner -nostdin -loglevel error -max_size 131072 -i "$wav" -af "$setting" -f null -)
    if [ -z "$best_total" ] || awk -v a="$total" -v b="$best_total" 'BEGIN { exit !(a < b) }'; then
      best=$setting best_total=$total
    fi
  done
  awk -v name="$name" -v peer="$label" -v fps="$fps" -v total="$best_total" -v io="$io" -v frames="$frames" 'BEGIN {
    alone = total - io; if (alone <= 0.001) alone = 0.001;
    printf "%-18s %-40s %12.0f %12.0f %8.2f\n", name, peer, fps, frames / alone, fps / (frames / alone);
  }'
  echo "  (ffmpeg's fastest: -af $best)"
}
if command -v ffmpeg >/dev/null; then
  # The FFT equaliser's curve and design: the same points (joined in linear frequency, as the
  # peer's log-frequency scale does not take them; the work is the same), 8191 taps under a
  # Blackman window, the gain sampled every rate / 16384 Hz.
  feq="firequalizer=gain_entry='entry(1900,0);entry(2000,-20);entry(4000,-20);entry(4200,0)'"
  feq+=":delay=$(awk 'BEGIN { printf "%.9f", 4095 / 44100 }'):accuracy=$(awk 'BEGIN { printf "%.9f", 44100 / 16384 }')"
  feq+=":wfunc=blackman"
  ffpeer FftEq "ffmpeg firequalizer, same curve and taps" "$feq" "$feq:fft2=on" "$feq:fixed=on" "$feq:fft2=on:fixed=on"
fi
# Remove Vocals' same work (the 2048-point STFT, the channels' similarity per bin) as a native
# FFTW program, built here with the host's compiler.
if command -v g++ >/dev/null && [ -f /usr/include/fftw3.h ] &&
  g++ -O2 -o "$work/vocal-peer" "$(dirname "$0")/VocalRemoverPeer.cpp" -lfftw3f 2>/dev/null; then
  fps=$(echo "$out" | awk '$1 == "FPS" && $2 == "RemoveVocals" {print $3}')
  # The fastest of three runs, as for the others.
  pfps=$(for i in 1 2 3; do "$work/vocal-peer" "$wav" 2>/dev/null | awk '/^PEER_FPS/ {print $2}'; done | sort -g | tail -1)
  awk -v fps="$fps" -v p="$pfps" 'BEGIN {
    printf "%-18s %-40s %12.0f %12.0f %8.2f\n", "RemoveVocals", "same STFT work, native FFTW float", fps, p, fps / p }'
else
  echo "g++ or FFTW (libfftw3-dev) missing: no same-work peer for RemoveVocals"
fi
# sox has no declicker: the crackle remover's speed stands alone (on the signal, and on it with
# a click every 10 ms in each channel).
for name in Crackle Crackle100PerSec; do
  echo "$out" | awk -v n="$name" '$1 == "FPS" && $2 == n {printf "%-18s %-40s %12.0f %12s %8s  %.0fx real time\n", n, "(no sox peer)", $3, "-", "-", $3 / 44100}'
done

echo "Compressor static curve (steady 1 kHz tone; output level dB): input, kernel, compand"
for level in -40 -35 -30 -25 -20 -15 -10 -5 0; do
  sox -q -n -r 44100 -c 1 -b 16 "$work/tone.wav" synth 2 sine 1000 vol "$level" dB
  peak=$(sox -q "$work/tone.wav" -n compand 0.005,0.1 6:-20,-20,0,-15 trim 1 stats 2>&1 | awk '/Pk lev dB/ {print $4}')
  ours=$(echo "$out" | awk -v l="$level" '$1 == "CURVE" && $2 == l {print $3}')
  printf '%6s %8s %8s\n' "$level" "$ours" "$peak"
done

# Generators beside sox's synth (no input; sox writes to the null output at the same rate,
# channels and length).
gen=$("$build/wine-run" "$build/bin/generator_bench.exe" | tr -d '\r')
echo "$gen" | grep -v '^FPS'
printf '%-18s %-40s %12s %12s %8s\n' generator "sox peer" "ours f/s" "peer f/s" ratio
synth() { # generator-name synth-arguments...
  local name=$1; shift
  local fps total
  fps=$(echo "$gen" | awk -v n="$name" '$1 == "FPS" && $2 == n {print $3}')
  total=$(timed sox -q -r 44100 -c 2 -n -n "$@")
  awk -v name="$name" -v peer="$*" -v fps="$fps" -v total="$total" -v frames="$frames" 'BEGIN {
    if (total <= 0.001) total = 0.001;
    printf "%-18s %-40s %12.0f %12.0f %8.2f\n", name, peer, fps, frames / total, fps / (frames / total);
  }'
}
synth Sine synth 600 sine 1000
synth Square synth 600 square 1000
# FM: the second synth frequency-modulates by the first one's output.
synth Fmod synth 600 sine 200 synth 600 sine fmod 1000
synth WhiteNoise synth 600 whitenoise
synth PinkNoise synth 600 pinknoise
synth BrownNoise synth 600 brownnoise

# Noise removal quality: our pair at several reductions, sox's noiseprof + noisered at several
# amounts, each as tone loss and noise drop on the same files (compare at equal tone loss).
"$build/wine-run" "$build/bin/noise_removal_bench.exe" write "Z:${work//\//\\}" | tr -d '\r'
sox -q "$work/noise.wav" -n noiseprof "$work/noise.prof"
for amount in 0.1 0.2 0.3 0.5 0.7; do
  sox -q "$work/noisy.wav" -t raw -e signed -b 16 "$work/clean.raw" noisered "$work/noise.prof" "$amount"
  printf 'sox noisered %-11s' "$amount"
  "$build/wine-run" "$build/bin/noise_removal_bench.exe" measure "Z:${work//\//\\}\\clean.raw" | tr -d '\r'
done

echo "Quality: log-spectral distance (dB) to the ideal, a chord with a swell (lower is better)"
"$build/wine-run" "$build/bin/effect_bench.exe" quality "Z:${work//\//\\}" >/dev/null
sox -q "$work/chord.wav" "$work/sox-tempo.wav" tempo -s 0.5
sox -q "$work/chord.wav" "$work/sox-pitch.wav" pitch 700
lsd() { "$build/wine-run" "$build/bin/effect_bench.exe" lsd "Z:${1//\//\\}" "Z:${2//\//\\}" | tr -d '\r' | awk '{print $2}'; }
printf '%-12s %8s %8s\n' effect ours sox
printf '%-12s %8s %8s\n' "tempo x2" "$(lsd "$work/ours-tempo.wav" "$work/ideal-tempo.wav")" "$(lsd "$work/sox-tempo.wav" "$work/ideal-tempo.wav")"
printf '%-12s %8s %8s\n' "pitch +7" "$(lsd "$work/ours-pitch.wav" "$work/ideal-pitch.wav")" "$(lsd "$work/sox-pitch.wav" "$work/ideal-pitch.wav")"
