#!/bin/sh
# The effect dialog's apply through the render worker beside one thread doing the same work
# without a graph, and beside sox on WAV files of the same samples: the ten-band equaliser,
# Gain (+6 dB), the FFT equaliser (its own worker, beside ffmpeg's linear-phase FIR equaliser
# with the same three-point curve) and Reverse over every track; Undo and Redo of the step;
# then the time from a preview's post to its first sound through the private sound server.
# Each effect's worker and one-thread runs are taken in turn [rounds] times (default 1); the
# figures are medians, and the worker's share the median of the rounds' own ratios.
#   bench/EffectApplyBench/run.sh <build folder> [minutes] [tracks] [rounds]
set -e
build=$(cd "${1:?usage: run.sh <build folder> [minutes] [tracks] [rounds]}" && pwd)
minutes=${2:-60}
tracks=${3:-8}
rounds=${4:-1}
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d /tmp/fxapply.XXXXXX)
pulse="$work/pulse"
trap '"$scripts/pulse-null.sh" stop "$pulse" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
winwork="Z:$(echo "$work" | tr / '\\')"

out=$("$build/wine-run" "$build/bin/effect_apply_bench.exe" "$winwork" "$minutes" "$tracks" eq,gain,ffteq,reverse "$rounds" | tr -d '\r')
value() { echo "$out" | awk -v k="$1" '$1 == k {print $2}'; }

settle() { # until the host has written out what the last run left (at most 30 s), as the program's runs do
    i=0
    while [ $i -lt 300 ] && [ "$(awk '/^(Dirty|Writeback):/ {k += $2} END {print k + 0}' /proc/meminfo)" -ge 65536 ]; do
        sleep 0.1
        i=$((i + 1))
    done
}

timed_sox() { # seconds of sox over every track with the effects given
    settle
    s=$(date +%s.%N)
    t=0
    while [ $t -lt "$tracks" ]; do
        sox -V1 "$work/track$t.wav" -b 16 "$work/out.wav" "$@"
        t=$((t + 1))
    done
    e=$(date +%s.%N)
    rm -f "$work/out.wav"
    awk -v s="$s" -v e="$e" 'BEGIN {printf "%.3f", e - s}'
}

timed_ffmpeg() { # seconds of ffmpeg over every track with the audio filter given
    settle
    s=$(date +%s.%N)
    t=0
    while [ $t -lt "$tracks" ]; do
        ffmpeg -v error -y -i "$work/track$t.wav" -af "$1" -c:a pcm_s16le "$work/out.wav"
        t=$((t + 1))
    done
    e=$(date +%s.%N)
    rm -f "$work/out.wav"
    awk -v s="$s" -v e="$e" 'BEGIN {printf "%.3f", e - s}'
}

eq_sox=""; gain_sox=""; reverse_sox=""; ffteq_ffmpeg=""
if command -v sox >/dev/null 2>&1; then
    set --
    g=6
    for f in 31.5 63 125 250 500 1000 2000 4000 8000 16000; do
        set -- "$@" equalizer "$f" 3q "$g"
        g=$((-g))
    done
    eq_sox=$(timed_sox "$@")
    gain_sox=$(timed_sox vol 6dB)
    reverse_sox=$(timed_sox reverse)
fi
if command -v ffmpeg >/dev/null 2>&1; then
    # The bench's curve: +6 dB at 100 Hz, -12 dB at 1 kHz, +4 dB at 8 kHz.
    ffteq_ffmpeg=$(timed_ffmpeg "firequalizer=gain_entry='entry(100,6);entry(1000,-12);entry(8000,4)'")
fi

echo "Effects applied through the dialog's worker to $tracks stereo 48 kHz 16-bit tracks of $minutes minutes (median of $rounds):"
report() { # name key peer-time [peer]
    awk -v n="$1" -v w="$(value "$2_worker_seconds")" -v d="$(value "$2_direct_seconds")" -v r="$(value "$2_ratio")" \
        -v wc="$(value "$2_worker_cpu_seconds")" -v dc="$(value "$2_direct_cpu_seconds")" -v rc="$(value "$2_cpu_ratio")" \
        -v x="$3" -v p="${4:-sox}" 'BEGIN {
        printf "  %-13s worker %8.3f s, one thread without a graph %8.3f s: the worker adds %.1f %%", n, w, d, (r - 1) * 100
        printf " (processor time %.3f / %.3f s, %+.1f %%)", wc, dc, (rc - 1) * 100
        if (x == "") print "; " p " not installed"
        else printf "; %s %8.3f s, %s / worker speed ratio %.2f\n", p, x, p, x / w
    }'
}
rounds() { # each round's worker / one-thread seconds
    echo "$out" | awk -v k="$1_rounds" '$1 == k {$1 = "                rounds (worker/one thread s):"; print}'
}
report "equalizer" equalizer "$eq_sox"
rounds equalizer
report "gain" gain "$gain_sox"
rounds gain
report "FFT equalizer" ffteq "$ffteq_ffmpeg" ffmpeg
rounds ffteq
awk -v u="$(value equalizer_undo_ms)" -v r="$(value equalizer_redo_ms)" 'BEGIN {printf "  undo of the step %.1f ms, redo %.1f ms\n", u, r}'
awk -v w="$(value reverse_seconds)" -v x="$reverse_sox" 'BEGIN {
    printf "  reverse      %8.3f s", w
    if (x == "") print "; sox not installed"
    else printf "; sox reverse %8.3f s, sox / program speed ratio %.2f\n", x, x / w
}'

"$scripts/pulse-null.sh" start "$pulse" >/dev/null
KV_WINE_KIND=audio PULSE_SERVER="unix:$pulse/native" PULSE_LATENCY_MSEC=60 \
  "$build/wine-run" "$build/bin/effect_apply_bench.exe" --preview | tr -d '\r' |
  awk '/preview_first_sound_ms/ {$1 = "  preview: post to first sound at the sink'"'"'s monitor"; print}'
