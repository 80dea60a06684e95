#!/bin/sh
# Split at silence: one hour (default) of a 44.1 kHz stereo 16-bit tone with 60 two-second
# pauses, split into 61 WAV files through the silence finder and the file divider, beside sox
# doing the same split (silence ... : newfile : restart), each the best of two runs; and the
# detection alone beside a raw read of the span through the engine.
#   bench/SplitBench/run-silence.sh <build folder> [minutes] [pauses]
set -e
build=${1:?usage: run-silence.sh <build folder> [minutes] [pauses]}
minutes=${2:-60}
pauses=${3:-60}
work=$(mktemp -d /tmp/splitsilence.XXXXXX)
trap 'rm -rf "$work"' EXIT
winwork="Z:$(echo "$work" | tr / '\\')"

"$build/wine-run" "$build/bin/split_silence_bench.exe" --write "$winwork" "$minutes" "$pauses"
for run in 1 2; do
    rm -f "$work"/part_*
    "$build/wine-run" "$build/bin/split_silence_bench.exe" "$winwork" "$minutes" "$pauses" >"$work/run$run.txt"
done
best=$(for run in 1 2; do awk '/split_seconds/ {print $2, FILENAME}' "$work/run$run.txt"; done | sort -n | head -1 | cut -d' ' -f2)
cat "$best"
files=$(ls "$work"/part_*.wav | wc -l)

now() { date +%s.%N; }
sox_time=""
if command -v sox >/dev/null 2>&1; then
    mkdir -p "$work/sox"
    for run in 1 2; do
        rm -f "$work"/sox/*
        s=$(now)
        sox -V1 "$work/tone.wav" "$work/sox/part.wav" silence 1 0.01 0.6% 1 1.5 0.6% : newfile : restart
        e=$(now)
        sox_time=$(awk -v s="$s" -v e="$e" -v b="$sox_time" 'BEGIN {t = e - s; if (b == "" || t < b) b = t; printf "%.3f", b}')
    done
    sox_files=$(ls "$work"/sox/ | wc -l)
fi
awk -v ours="$(awk '/split_seconds/ {print $2}' "$best")" -v files="$files" -v sox="$sox_time" \
    -v soxfiles="${sox_files:-0}" 'BEGIN {
    printf "== split at silence: %d files in %.3f s\n", files, ours
    if (sox == "") print "  sox silence ... : newfile : restart: not run"
    else printf "  sox silence ... : newfile : restart: %d files in %.3f s; sox / ours: %.2f (above 1: we are faster)\n", soxfiles, sox, sox / ours
}'
