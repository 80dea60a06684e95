#!/usr/bin/env bash
# Installs what building and running need on a Debian machine, when it is missing.
# fonts-wine gives Wine its own fonts; without Marlett the caption buttons show letters.
# pulseaudio is the sound server the audio tests play into and record from (a null sink).
# The filter graphs decode video through GStreamer: libav (MPEG-4 ASP, MS Video 1), bad (H.264
# in AVI) and ugly (WMV) beside base and good; ffmpeg makes the video test clips.
set -e
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine wine64 fonts-wine googletest xvfb xauth x11-utils imagemagick sox bchunk
          gstreamer1.0-plugins-base gstreamer1.0-plugins-good pulseaudio
          gstreamer1.0-libav gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly ffmpeg)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "-- installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
