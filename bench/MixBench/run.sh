#!/bin/sh
# Runs the engine's mix benchmark, then times whole processes mixing the same eight tracks:
# the benchmark mixing the engine's items once, sox -m, and ffmpeg (volume, pan and amix),
# each the best of three runs, and prints their speeds and ratios.
#   bench/MixBench/run.sh <build folder> [minutes]
# The engine applies volume, pan and a level envelope; ffmpeg volume and pan; sox volume only.
set -e
build=${1:?usage: run.sh <build folder> [minutes]}
minutes=${2:-10}
work=$(mktemp -d /tmp/mixbench.XXXXXX)
trap 'rm -rf "$work"' EXIT
# Wine sees the Linux root as drive Z:.
winwork="Z:$(echo "$work" | tr / '\\')"
frames=$(awk -v m="$minutes" 'BEGIN {printf "%.0f", m * 60 * 48000}')

"$build/wine-run" "$build/bin/mix_bench.exe" "$winwork" "$minutes" | tee "$work/engine.txt"

now() { date +%s.%N; }
# best <name> <command...>: runs the command three times; prints the shortest time in seconds,
# or nothing when the command fails.
best() {
    name=$1
    shift
    b=""
    for run in 1 2 3; do
        s=$(now)
        if ! "$@" >"$work/$name.out" 2>"$work/$name.err"; then
            sed 's/^/    /' "$work/$name.err" | tail -5 >&2
            return 0
        fi
        e=$(now)
        b=$(awk -v s="$s" -v e="$e" -v b="$b" 'BEGIN {t = e - s; if (b == "" || t < b) b = t; printf "%.3f", b}')
    done
    echo "$b"
}

engine=$(best engine "$build/wine-run" "$build/bin/mix_bench.exe" --mix "$winwork" "$minutes")

# sox mixes the same tracks with the same volumes (it has no per-input pan or envelope).
sox_time="missing"
if command -v sox >/dev/null 2>&1; then
    set --
    t=0
    while [ $t -lt 8 ]; do
        set -- "$@" -v "$(awk -v t=$t 'BEGIN {printf "%.2f", 0.5 + 0.05 * t}')" "$work/track$t.wav"
        t=$((t + 1))
    done
    sox_time=$(best sox sox -V1 -m "$@" -e floating-point -b 32 -t raw /dev/null)
fi

# ffmpeg: each track through volume and pan (the engine's pan law, as fixed gains), then amix
# without its division by the input count. The WAV reader's packets are raised from 4 KiB to
# 128 KiB, the fastest of the sizes tried (32 KiB to 4 MiB).
ffmpeg_time="missing"
if command -v ffmpeg >/dev/null 2>&1; then
    set --
    graph=""
    labels=""
    t=0
    while [ $t -lt 8 ]; do
        set -- "$@" -max_size 131072 -i "$work/track$t.wav"
        gains=$(awk -v t=$t 'BEGIN {
            v = 0.5 + 0.05 * t; p = -0.7 + 0.2 * t
            l = 1 - p; if (l > 1) l = 1
            r = 1 + p; if (r > 1) r = 1
            printf "volume=%.2f,pan=stereo|c0=%.4f*c0|c1=%.4f*c1", v, l, r }')
        graph="$graph[$t:a]$gains[a$t];"
        labels="$labels[a$t]"
        t=$((t + 1))
    done
    ffmpeg_time=$(best ffmpeg ffmpeg -nostdin -v error "$@" -filter_complex "${graph}${labels}amix=inputs=8:normalize=0" -f null -)
fi

awk -v f="$frames" -v eng="$engine" -v sox="$sox_time" -v ff="$ffmpeg_time" 'BEGIN {
    if (eng == "") { print "the engine mix could not run"; exit 1 }
    printf "whole process, best of 3, %d frames of 8 stereo tracks:\n", f
    printf "  engine mix (volume, pan, level envelope): %.3f s, engine_process_frames_per_second %.0f\n", eng, f / eng
    if (sox == "missing") print "  sox -m: not installed, no comparison"
    else if (sox == "") print "  sox -m: could not run (its error is above), no comparison"
    else printf "  sox -m (volume): %.3f s; engine / sox speed ratio: %.2f\n", sox, sox / eng
    if (ff == "missing") print "  ffmpeg volume + pan + amix: not installed, no comparison"
    else if (ff == "") print "  ffmpeg volume + pan + amix: could not run (its error is above), no comparison"
    else printf "  ffmpeg volume + pan + amix: %.3f s; engine / ffmpeg speed ratio: %.2f\n", ff, ff / eng
}'
