#!/usr/bin/env bash
# Makes the MP3 files the file module's tests import, with ffmpeg's own decode of each.
#   scripts/make-test-mp3.sh OUT-FOLDER
# Each file is a few seconds of two tones (a different pair per channel) encoded by LAME
# through ffmpeg: 32, 64, 128 and 320 kbit/s, mono and stereo, constant and variable bit rate
# (ABR, which writes a Xing frame; CBR writes an Info frame), one MPEG-2 file of half-size
# frames and one without an Info frame. OUT-FOLDER/manifest.txt lists one file a line:
#   name channels rate frames
# where frames is ffmpeg's decode length, and OUT-FOLDER/name.raw holds that decode (16-bit).
set -e
out=${1:?usage: make-test-mp3.sh OUT-FOLDER}
mkdir -p "$out"
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
manifest=$out/manifest.tmp
: >"$manifest"
make() { # name channels rate seconds encoder-options...
  local name=$1 channels=$2 rate=$3 seconds=$4
  shift 4
  local source="sine=frequency=440:sample_rate=$rate:duration=$seconds"
  local other="sine=frequency=1250:sample_rate=$rate:duration=$seconds"
  if [ "$channels" = 1 ]; then
    ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$source" -c:a libmp3lame "$@" "$out/$name.mp3"
  else
    ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "$source" -f lavfi -i "$other" \
      -filter_complex "[0:a][1:a]amerge=inputs=2[a]" -map "[a]" -c:a libmp3lame "$@" "$out/$name.mp3"
  fi
  ffmpeg -nostdin -hide_banner -loglevel error -y -i "$out/$name.mp3" -f s16le -acodec pcm_s16le "$out/$name.raw"
  local bytes
  bytes=$(stat -c %s "$out/$name.raw")
  echo "$name $channels $rate $((bytes / (2 * channels)))" >>"$manifest"
}
for kbps in 32 64 128 320; do
  for channels in 1 2; do
    make "cbr$kbps-$channels" "$channels" 44100 12 -b:a "${kbps}k"
    make "vbr$kbps-$channels" "$channels" 44100 12 -abr 1 -b:a "${kbps}k"
  done
done
make mpeg2-32-1 1 22050 9 -b:a 32k
make noinfo-64-2 2 44100 7 -b:a 64k -write_xing 0
mv "$manifest" "$out/manifest.txt"
