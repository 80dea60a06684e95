#!/bin/sh
# Runs the splitter benchmark on one track (default one hour) and on a sixth of its length,
# then times sox splitting the same WAV into two mono files and a plain copy of it, each the
# best of two runs, with sox's peak resident memory.
#   bench/SplitBench/run.sh <build folder> [minutes]
set -e
build=${1:?usage: run.sh <build folder> [minutes]}
minutes=${2:-60}
short=$(awk -v m="$minutes" 'BEGIN {printf "%g", m / 6}')
work=$(mktemp -d /tmp/splitbench.XXXXXX)
trap 'rm -rf "$work"' EXIT
winwork="Z:$(echo "$work" | tr / '\\')"

run_bench() {
    "$build/wine-run" "$build/bin/split_bench.exe" --write "$winwork" "$1"
    "$build/wine-run" "$build/bin/split_bench.exe" "$winwork" "$1"
}
echo "== splitter, $short minutes"
run_bench "$short" | tee "$work/short.txt"
echo "== splitter, $minutes minutes"
run_bench "$minutes" | tee "$work/long.txt"

bytes=$(stat -c %s "$work/track.wav")
now() { date +%s.%N; }
# best <command...>: the shorter of two runs in seconds.
best() {
    b=""
    for run in 1 2; do
        s=$(now)
        "$@" >/dev/null 2>"$work/err" || { tail -3 "$work/err" >&2; echo ""; return 0; }
        e=$(now)
        b=$(awk -v s="$s" -v e="$e" -v b="$b" 'BEGIN {t = e - s; if (b == "" || t < b) b = t; printf "%.3f", b}')
        rm -f "$work/left.wav" "$work/right.wav" "$work/copy.wav"
    done
    echo "$b"
}
sox_split() {
    sox -V1 "$work/track.wav" "$work/left.wav" remix 1 && sox -V1 "$work/track.wav" "$work/right.wav" remix 2
}
copy() { cp "$work/track.wav" "$work/copy.wav"; }

sox_time=""
sox_mem=""
if command -v sox >/dev/null 2>&1; then
    sox_time=$(best sox_split)
    sox_mem=$(/usr/bin/time -f %M sox -V1 "$work/track.wav" "$work/left.wav" remix 1 2>&1 >/dev/null | tail -1)
    rm -f "$work/left.wav"
fi
copy_time=$(best copy)

awk -v bytes="$bytes" -v sox="$sox_time" -v soxmem="$sox_mem" -v cp="$copy_time" \
    -v splitter="$(awk '/samples_mb_per_second/ {print $2}' "$work/long.txt")" 'BEGIN {
    mb = bytes / 1e6
    printf "== %.1f MB WAV\n", mb
    printf "  splitter (samples into two channel files): %.1f MB/s\n", splitter
    if (sox == "") print "  sox remix 1 + remix 2: not run"
    else printf "  sox remix 1 + remix 2 (two mono files): %.3f s, %.1f MB/s, peak resident %.1f MB; splitter / sox: %.2f\n", sox, mb / sox, soxmem / 1000, splitter / (mb / sox)
    printf "  cp (plain copy): %.3f s, %.1f MB/s; splitter / copy: %.2f\n", cp, mb / cp, splitter / (mb / cp)
}'
echo "== memory by length (peak_private_mb should not grow with the track)"
grep -h "peak_" "$work/short.txt" "$work/long.txt"
