#!/usr/bin/env bash
# Generates the scanner's benchmark tree: 200,000 small files in 20,220 folders (20 top folders,
# 10 below each, 100 below those, 10 files in each of the 20,000 leaves), with extensions from
# every kind. With --million, 100 top folders: 1,000,000 files in 101,100 folders (about 4 GB
# allocated, for the app's scan against `brimlet scan`). Prints the tree's path. A tree that is
# already complete is reused.
#
#   bench/scan_tree.sh [DIR]              default /tmp/brimlet-scan-tree
#   bench/scan_tree.sh --million [DIR]    default /tmp/brimlet-scan-tree-1m
set -euo pipefail

tops=20
default=/tmp/brimlet-scan-tree
if [[ ${1:-} == --million ]]; then
  tops=100
  default=/tmp/brimlet-scan-tree-1m
  shift
fi
dir=${1:-$default}
marker="$dir/.complete"

if [[ -f "$marker" ]]; then
  echo "$dir"
  exit 0
fi

rm -rf "$dir"
mkdir -p "$dir"

# Folders: one mkdir per top folder, each making its 1,010 folders below.
for top in $(seq -f '%02g' 0 $((tops - 1))); do
  (cd "$dir" && mkdir -p $(printf "d$top/m%s/l%s " $(seq 0 9 | while read -r m; do for l in $(seq -w 0 99); do echo "$m $l"; done; done)))
done

# Files: awk writes them all in one process. Sizes run from 0 to 1,499 bytes.
awk -v root="$dir" -v tops="$tops" 'BEGIN {
  split(".txt .jpg .mp4 .cpp .gz .pdf .png .py .so . .json .mkv", ext, " ")
  n = 0
  pad = sprintf("%1500s", "")
  gsub(/ /, "x", pad)
  for (t = 0; t < tops; t++) for (m = 0; m < 10; m++) for (l = 0; l < 100; l++) {
    folder = sprintf("%s/d%02d/m%d/l%02d", root, t, m, l)
    for (f = 0; f < 10; f++) {
      e = ext[(n % 12) + 1]
      if (e == ".") e = ""
      path = sprintf("%s/f%d%s", folder, f, e)
      printf "%s", substr(pad, 1, (n * 37) % 1500) > path
      close(path)
      n++
    }
  }
}'

touch "$marker"
echo "$dir"
