#!/usr/bin/env bash
# The native sanitizer build (native/): builds the window-free libraries for Linux with clang
# under AddressSanitizer and UndefinedBehaviorSanitizer into $KV_BUILD_DIR/native, runs their
# tests and fuzzes each parser for KV_FUZZ_SECONDS (default 10) seconds.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_DIR:-$root/build}/native
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S "$root/native" -B "$build" -G Ninja "${launcher[@]}" >/dev/null
fi
[ -z "$KV_FUZZ_SECONDS" ] || cmake -S "$root/native" -B "$build" -DKV_FUZZ_SECONDS="$KV_FUZZ_SECONDS" >/dev/null
cmake --build "$build" -j "$(nproc)"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
