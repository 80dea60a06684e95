#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test under the build's headless Wine prefix.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
# The window-free libraries natively under the sanitizers, and their parsers fuzzed.
"$root/scripts/native-test.sh"
wine=$(command -v /usr/lib/wine/wine64 || command -v wine64)
export WINEPREFIX=$build/wine/headless WINEDEBUG=-all
"$root/scripts/wine-prefix.sh" "$WINEPREFIX" headless
# One wineserver for the whole run, detached from our pipes so that the run can end. A server
# still up from the prefix's creation or an earlier run may be on its way out: it is ended
# first, so that the one the tests find is this persistent one with its services booted.
wineserver -k </dev/null >/dev/null 2>&1 || true
timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1 || true
"$wine" wineboot </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
# A test program that fails is run once more; both results are shown. Still seen: the second
# share of effects_tests stopping midway, once, on a new prefix beside another whole run; and
# the sound tests losing sound on a machine busier than ten runnable threads.
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --repeat until-pass:2 "$@"
