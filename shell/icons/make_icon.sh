#!/bin/sh
# Draws the program icon: a blue tile with a ring (the O of Orlo) around two chips.
# Run by hand with ImageMagick; its output orlo.png is committed and built in.
set -e
out=${1:-orlo.png}
pins=""
for x in 45 51 57 71 77 83; do
  pins="$pins line $x,47 $x,81"
done
convert -size 128x128 xc:none \
  -fill '#1f3b63' -stroke '#4a7fc1' -strokewidth 4 -draw 'roundrectangle 6,6 121,121 24,24' \
  -fill none -stroke '#f4c542' -strokewidth 13 -draw 'circle 64,64 64,24' \
  -stroke '#c9d6e8' -strokewidth 2 -draw "$pins" \
  -fill '#ee6c4d' -stroke none -draw 'rectangle 42,53 60,75' -draw 'rectangle 68,53 86,75' \
  -define png:exclude-chunks=date,time -depth 8 -strip "$out"
