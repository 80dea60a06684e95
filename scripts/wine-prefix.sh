#!/usr/bin/env bash
# Creates a Wine prefix once: wine-prefix.sh PREFIX headless|x11|audio
# headless: null graphics, no audio driver (no devices); x11: the real display; audio: null
# graphics and Wine's pulse driver, for tests that play into and record from a sound server.
set -e
prefix=$1 kind=$2
# Debian's Wine looks for its own fonts (Marlett draws the caption buttons) where the package
# does not put them: give every prefix, old or new, a copy in its Fonts folder.
copy_wine_fonts() {
  if [ -d /usr/share/wine/fonts ] && [ -d "$prefix/drive_c/windows/Fonts" ]; then
    cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
}
if [ -f "$prefix/.kv-ready" ]; then copy_wine_fonts; exit 0; fi
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.kv-ready" ] && { copy_wine_fonts; exit 0; }
wine=$(command -v /usr/lib/wine/wine64 || command -v wine64 || command -v wine)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "-- creating Wine prefix $prefix ($kind)" >&2
"$wine" wineboot --init >/dev/null 2>&1 9>&- || true
if [ "$kind" = headless ]; then
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 9>&-
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1 9>&-
elif [ "$kind" = audio ]; then
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 9>&-
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d pulse /f >/dev/null 2>&1 9>&-
else
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1 9>&-
fi
# No crash dialog: a failing program should exit, not wait for a click.
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 9>&-
timeout 60 wineserver -w 2>/dev/null 9>&- || true
copy_wine_fonts
touch "$prefix/.kv-ready"
