#!/usr/bin/env bash
# bench/VideoBench/run.sh BUILD: makes 640 x 480 clips with ffmpeg (Cinepak and MPEG-4 ASP, 10 s;
# MPEG-4 ASP with PCM, 10 minutes, for the save), runs video_bench and times ffmpeg's native
# decode of the same frames and its copy of the same streams beside it. Run on an idle machine.
set -e
build=$(realpath "${1:-build}")
dir="$build/bench-video"
mkdir -p "$dir"
command -v ffmpeg >/dev/null || { echo "ffmpeg is missing: scripts/setup.sh installs it"; exit 1; }
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
[ -f "$dir/cinepak.avi" ] || ff -f lavfi -i "testsrc=s=640x480:r=25:d=10" -c:v cinepak "$dir/cinepak.avi"
[ -f "$dir/mpeg4.avi" ] || ff -f lavfi -i "testsrc=s=640x480:r=25:d=10" -c:v mpeg4 -q:v 4 -g 25 -vtag DX50 "$dir/mpeg4.avi"
[ -f "$dir/long.avi" ] || ff -f lavfi -i "testsrc=s=640x480:r=25:d=600" -f lavfi -i "anullsrc=r=44100:cl=stereo:d=600" \
  -c:v mpeg4 -q:v 6 -g 50 -vtag DX50 -c:a pcm_s16le -shortest "$dir/long.avi"
"$build/wine-run" "$build/bin/video_bench.exe" "Z:$dir/cinepak.avi" "Z:$dir/mpeg4.avi" "Z:$dir/long.avi" "Z:$dir/out.avi"
for f in cinepak mpeg4; do
  s=$(date +%s.%N); ffmpeg -hide_banner -loglevel error -i "$dir/$f.avi" -f null - ; e=$(date +%s.%N)
  echo "ffmpeg native decode ($f): $(echo "($e - $s) * 1000 / 250" | bc -l | cut -c1-5) ms a frame (whole process over 250 frames)"
done
s=$(date +%s.%N); ffmpeg -hide_banner -loglevel error -y -i "$dir/long.avi" -c copy "$dir/ffmpeg-copy.avi"; e=$(date +%s.%N)
echo "ffmpeg -c copy of the 10-minute clip: $(echo "($e - $s) * 1000" | bc -l | cut -c1-7) ms"
