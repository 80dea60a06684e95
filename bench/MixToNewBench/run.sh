#!/bin/sh
# Mix Tracks to New of eight stereo tracks beside the engine's own mix of them into a file of
# the same float data (rounds taken in turn inside one process: the first round with each
# side's first use, then medians of the others) and sox -m on WAV files of the same samples
# (median of three runs).
#   bench/MixToNewBench/run.sh <build folder> [minutes] [rounds]
set -e
build=${1:?usage: run.sh <build folder> [minutes] [rounds]}
minutes=${2:-10}
rounds=${3:-5}
work=$(mktemp -d /tmp/mixtonew.XXXXXX)
trap 'rm -rf "$work"' EXIT
winwork="Z:$(echo "$work" | tr / '\\')"

out=$("$build/wine-run" "$build/bin/mix_to_new_bench.exe" "$winwork" "$minutes" "$rounds")
value() { echo "$out" | awk -v k="$1" '$1 == k {print $2}'; }

sox_time=""
if command -v sox >/dev/null 2>&1; then
    set --
    t=0
    while [ $t -lt 8 ]; do
        set -- "$@" "$work/track$t.wav"
        t=$((t + 1))
    done
    times=""
    for run in 1 2 3; do
        s=$(date +%s.%N)
        sox -V1 -m "$@" -b 16 "$work/mix.wav"
        e=$(date +%s.%N)
        times="$times $(awk -v s="$s" -v e="$e" 'BEGIN {printf "%.3f", e - s}')"
    done
    sox_time=$(echo $times | tr ' ' '\n' | sort -n | sed -n 2p)
fi
awk -v d="$(value mix_to_new_seconds)" -v e="$(value engine_mix_seconds)" \
    -v d1="$(value mix_to_new_first_seconds)" -v e1="$(value engine_mix_first_seconds)" \
    -v dc="$(value mix_to_new_cpu_seconds)" -v ec="$(value engine_mix_cpu_seconds)" \
    -v a="$(value engine_mix_alone_seconds)" -v r="$(value ratio_median)" -v x="$sox_time" -v m="$minutes" -v n="$rounds" 'BEGIN {
    printf "Mix Tracks to New, 8 stereo tracks of %s minutes, %d rounds in turn with the peer:\n", m, n
    printf "  first round (module and graph loads included): document %.3f s, engine mix to file %.3f s\n", d1, e1
    printf "  later rounds, medians: document %.3f s (processor %.3f s)\n", d, dc
    printf "  the engine mix into a float file of the same bytes: %.3f s (processor %.3f s)\n", e, ec
    printf "  document / engine mix time: %.2f (median of the rounds: %s)\n", d / e, r
    printf "  the engine mix alone (read whole, nothing written): %.3f s; document / mix alone: %.2f\n", a, d / a
    if (x == "") print "  sox -m: not installed, no comparison"
    else printf "  sox -m to a 16-bit WAV file, median of 3: %.3f s; document / sox speed ratio: %.2f\n", x, x / d
}'
