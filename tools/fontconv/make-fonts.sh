#!/usr/bin/env bash
# Regenerates rom/fonts/font8x16.bin and rom/fonts/kanji16.bin from Debian's
# xfonts-shinonome (public domain). Needs that package and pcf2bdf; the normal build
# uses the committed images and needs neither.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for f in shnm8x16r shnm8x16a shnmk16; do
  zcat /usr/share/fonts/X11/misc/$f.pcf.gz > "$tmp/$f.pcf"
  pcf2bdf -o "$tmp/$f.bdf" "$tmp/$f.pcf"
done
g++ -std=c++20 -O2 -o "$tmp/fontconv" "$top/tools/fontconv/fontconv.cpp"
"$tmp/fontconv" --roman "$tmp/shnm8x16r.bdf" --latin "$tmp/shnm8x16a.bdf" \
  --kanji "$tmp/shnmk16.bdf" --font "$top/rom/fonts/font8x16.bin" \
  --kanji-out "$top/rom/fonts/kanji16.bin"
