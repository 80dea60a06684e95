#!/usr/bin/env bash
# Sheet of skin images for review: montage.sh out.png [scale] [names...]
out=$1; scale=${2:-2}; shift 2
cd "$(dirname "$0")/images"
files=("$@"); [ ${#files[@]} -eq 0 ] && files=(*.png)
montage -background '#808080' -fill white -font DejaVu-Sans -pointsize 9 -label '%t %wx%h' "${files[@]/%/}" \
  -filter point -resize ${scale}00% -geometry +6+6 -tile 6x "$out"
