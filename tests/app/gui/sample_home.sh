#!/usr/bin/env bash
# Makes a home-like folder tree for the window's tests and pictures: folders of known sizes
# (blocks allocated with fallocate, so sizes on disk are exact and the tree costs no writing),
# files of every kind, and a few hostile names. Prints the tree's path. The biggest folders,
# biggest first: Videos, Projects, Pictures, Downloads, Music.
#
#   tests/app/gui/sample_home.sh DIR [SCALE]   SCALE in KiB per unit (default 1024: units are MiB)
set -euo pipefail

dir=$1
unit=${2:-1024}
rm -rf "$dir"
mkdir -p "$dir"

# file SIZE-IN-UNITS PATH...: each PATH gets SIZE units of allocated blocks.
file() {
  local size=$(($1 * unit))
  shift
  for path in "$@"; do
    mkdir -p "$dir/$(dirname "$path")"
    fallocate -l "${size}K" "$dir/$path"
  done
}

file 700 Videos/holiday-2024.mp4
file 420 Videos/talks/keynote.mkv
file 260 Videos/talks/workshop.mp4
file 180 Videos/clips/timelapse.mov
file 240 Projects/brimlet/build/brimlet Projects/brimlet/build/libbrimlet.a
file 3 Projects/brimlet/node_modules/pkg{1..40}/index.js
file 90 Projects/brimlet/.git/objects/pack.pack
file 12 Projects/brimlet/src/{walk,scan,treemap,explorer}.cpp
file 110 Projects/website/assets/hero.png Projects/website/public/bundle.js
file 8 Projects/notes/{ideas,todo,journal}.md
file 14 Pictures/2024/IMG_{1000..1019}.jpg
file 11 Pictures/2023/IMG_{2000..2014}.jpg
file 5 Pictures/Screenshots/shot-{1..12}.png
file 9 Music/albums/track{01..24}.flac
file 4 Music/podcasts/episode{1..12}.mp3
file 180 Downloads/debian-12.iso
file 60 Downloads/archive.tar.gz
file 20 Downloads/paper.pdf Downloads/manual.pdf
file 6 Documents/{report,thesis,letter,invoice}.pdf
file 3 Documents/notes/{a,b,c,d,e,f}.txt
file 30 .cache/thumbnails/cache.db .cache/fontconfig/fonts.cache
file 40 .local/share/app/data.bin
file 2 .bashrc notes.txt todo.pdf
# Names that must be shown safely: a newline, a bidi override, an escape character.
file 1 "Documents/line"$'\n'"break.txt" "Documents/bidi"$'\u202e'"gnp.exe" "Documents/esc"$'\e'"[31m.txt"
echo "$dir"
