#!/usr/bin/env bash
# bench/VideoBench/run.sh BUILD: makes 640 x 480 clips with ffmpeg (Cinepak and MPEG-4 ASP, 10 s)
# and an hour of 320 x 240 MPEG-4 ASP with stereo PCM for the save, runs video_bench and times
# ffmpeg's native decode of the same frames and its copy of the same streams beside it. Run on
# an idle machine.
set -e
build=$(realpath "${1:-build}")
dir="$build/bench-video"
mkdir -p "$dir"
command -v ffmpeg >/dev/null || { echo "ffmpeg is missing: scripts/setup.sh installs it"; exit 1; }
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
[ -f "$dir/cinepak.avi" ] || ff -f lavfi -i "testsrc=s=640x480:r=25:d=10" -c:v cinepak "$dir/cinepak.avi"
[ -f "$dir/mpeg4.avi" ] || ff -f lavfi -i "testsrc=s=640x480:r=25:d=10" -c:v mpeg4 -q:v 4 -g 25 -vtag DX50 "$dir/mpeg4.avi"
[ -f "$dir/hour.avi" ] || ff -f lavfi -i "testsrc=s=320x240:r=25:d=3600" -f lavfi -i "sine=f=440:r=44100:d=3600" \
  -c:v mpeg4 -q:v 8 -g 50 -vtag DX50 -c:a pcm_s16le -ac 2 -shortest "$dir/hour.avi"
"$build/wine-run" "$build/bin/video_bench.exe" "Z:$dir/cinepak.avi" "Z:$dir/mpeg4.avi" "Z:$dir/hour.avi" "Z:$dir/out.avi"
for f in cinepak mpeg4; do
  s=$(date +%s.%N); ffmpeg -hide_banner -loglevel error -i "$dir/$f.avi" -f null - ; e=$(date +%s.%N)
  echo "ffmpeg native decode ($f): $(echo "($e - $s) * 1000 / 250" | bc -l | cut -c1-5) ms a frame (whole process over 250 frames)"
done
sync
s=$(date +%s.%N); ffmpeg -hide_banner -loglevel error -y -i "$dir/hour.avi" -c copy "$dir/ffmpeg-copy.avi"; e=$(date +%s.%N)
echo "ffmpeg -c copy of the hour: $(echo "($e - $s) * 1000" | bc -l | cut -c1-8) ms"
rm -f "$dir/out.avi" "$dir/ffmpeg-copy.avi"
