#!/bin/sh
# Start-up and hand-over of the program beside a minimal window program, under the build's
# headless Wine prefix; prints the machine's load before and after.
#   bench/StartBench/run.sh <build folder> [runs]
set -e
build=${1:?usage: run.sh <build folder> [runs]}
runs=${2:-9}
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/wine-run" "$build/bin/start_bench.exe" "$runs"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
