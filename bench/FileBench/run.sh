#!/bin/sh
# Runs the file module benchmark on one WAV (default one hour) and on a sixth of its length,
# then times sox reading the same WAV to null, copying it, and copying it then forcing the copy
# to disk (sync of the file: the same work as our save, which forces its file to disk before
# the rename), each the best of two runs, with sox's peak resident memory.
#   bench/FileBench/run.sh <build folder> [minutes]
set -e
build=${1:?usage: run.sh <build folder> [minutes]}
minutes=${2:-60}
short=$(awk -v m="$minutes" 'BEGIN {printf "%g", m / 6}')
work=$(mktemp -d /tmp/filebench.XXXXXX)
trap 'rm -rf "$work"' EXIT
winwork="Z:$(echo "$work" | tr / '\\')"

run_bench() {
    "$build/wine-run" "$build/bin/file_bench.exe" --write "$winwork" "$1"
    "$build/wine-run" "$build/bin/file_bench.exe" "$winwork" "$1"
}
echo "== file module, $short minutes"
run_bench "$short" | tee "$work/short.txt"
echo "== file module, $minutes minutes"
run_bench "$minutes" | tee "$work/long.txt"

now() { date +%s.%N; }
best() {
    b=""
    for run in 1 2; do
        s=$(now)
        "$@" >/dev/null 2>"$work/err" || { tail -3 "$work/err" >&2; echo ""; return 0; }
        e=$(now)
        b=$(awk -v s="$s" -v e="$e" -v b="$b" 'BEGIN {t = e - s; if (b == "" || t < b) b = t; printf "%.3f", b}')
        rm -f "$work/copy.wav"
    done
    echo "$b"
}
sox_read() { sox -V1 "$work/track.wav" -n; }
sox_copy() { sox -V1 "$work/track.wav" "$work/copy.wav"; }
sox_copy_sync() { sox -V1 "$work/track.wav" "$work/copy.wav" && sync "$work/copy.wav"; }
read_time=$(best sox_read)
copy_time=$(best sox_copy)
synced_time=$(best sox_copy_sync)
copy_mem=$(/usr/bin/time -f %M sox -V1 "$work/track.wav" "$work/copy.wav" 2>&1 >/dev/null | tail -1)
rm -f "$work/copy.wav"

awk -v read="$read_time" -v copy="$copy_time" -v synced="$synced_time" -v mem="$copy_mem" \
    -v open="$(awk '/open_seconds/ {print $2}' "$work/long.txt")" \
    -v save="$(awk '/save_seconds/ {print $2}' "$work/long.txt")" \
    -v mb="$(awk '/wav_mb/ {print $2}' "$work/long.txt")" 'BEGIN {
    printf "== %.1f MB WAV\n", mb
    printf "  sox to null: %.3f s; sox copy: %.3f s, peak resident %.1f MB\n", read, copy, mem / 1000
    printf "  open (two mono track files with peaks): %.3f s, %.2f x the sox copy\n", open, open / copy
    printf "  sox copy then sync of the copy: %.3f s\n", synced
    printf "  save (two tracks into one WAV, forced to disk): %.3f s, %.2f x the sox copy and sync\n", save, save / synced
}'
echo "== memory by length (open_peak_working_set_mb should not grow with the length)"
grep -h "peak_" "$work/short.txt" "$work/long.txt"
