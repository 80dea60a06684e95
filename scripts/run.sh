#!/usr/bin/env bash
# Sets up the machine, builds, and starts KvSound5EU.exe on the user's X display.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_DIR:-$root/build}
if [ -z "${DISPLAY:-}" ]; then
  echo "KvSound5EU needs an X display: run this from a desktop session (DISPLAY is not set)," >&2
  echo "or try: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
"$root/scripts/build.sh"
KV_WINE_DISPLAY=x11 exec "$build/wine-run" "$build/bin/KvSound5EU.exe" "$@"
