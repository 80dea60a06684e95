#!/bin/sh
# Start-up and hand-over of the program beside a minimal window program, under the build's
# headless Wine prefix; prints the machine's load before and after.
# With an earlier build's program file, that program is timed in turn with this one.
#   bench/StartBench/run.sh <build folder> [runs] [earlier KvSound5EU.exe]
set -e
build=${1:?usage: run.sh <build folder> [runs] [earlier KvSound5EU.exe]}
runs=${2:-9}
earlier=""
if [ -n "$3" ]; then
    # Beside ours, so that it finds the same modules and images.
    cp "$3" "$build/bin/KvSound5EU_earlier.exe"
    earlier=KvSound5EU_earlier.exe
    trap 'rm -f "$build/bin/KvSound5EU_earlier.exe"' EXIT
fi
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/wine-run" "$build/bin/start_bench.exe" "$runs" $earlier
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
