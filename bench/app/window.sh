#!/usr/bin/env bash
# The Brimlet window against its yardsticks, side by side in one Xvfb (GSK_RENDERER=cairo, no
# session bus, a private home):
#   - start to the first frame showing the last scan: `brimlet-app --screenshot` with a snapshot
#     in place (the summary page) against the bare GTK 4 window of bench/desk;
#   - a scan in the window (`brimlet-app --screenshot FILE TREE`: start, scan, explore page shown)
#     against `brimlet scan TREE` (wall time, exec to exit; like the window's scan it writes the
#     snapshot and records the scan in the history), and the same scan as the window
#     itself times it (its debug log: from the scan's start to the frame showing the tree), which
#     leaves out the window's own start;
#   - peak resident memory of each (/usr/bin/time).
#
#   bash bench/app/window.sh <build dir> [TREE]      TREE: default bench/scan_tree.sh's tree
#   WINDOW_RUNS=11 bash bench/app/window.sh build
#
# Prints medians over WINDOW_RUNS alternating runs, the ratios, and the load average.
set -euo pipefail

build=$(cd "${1:?usage: bench/app/window.sh <build dir> [TREE]}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=${2:-$("$root/bench/scan_tree.sh")}
runs=${WINDOW_RUNS:-5}

for program in brimlet brimlet-app bench/desk/desk_bare_window; do
  [[ -x "$build/$program" ]] || { echo "window.sh: $build/$program is not built" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "window.sh: xvfb-run is not installed" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "window.sh: /usr/bin/time is not installed (Debian: time)" >&2; exit 1; }

if [[ -z "${WINDOW_SH_INSIDE:-}" ]]; then
  WINDOW_SH_INSIDE=1 exec xvfb-run -a -s "-screen 0 1400x900x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home GSK_RENDERER=cairo
unset XDG_DATA_HOME XDG_STATE_HOME XDG_CONFIG_HOME DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR
mkdir -p "$HOME"
"$build/brimlet" scan "$root/platform" >/dev/null 2>&1
"$build/brimlet-app" --screenshot "$work/picture.png" >/dev/null 2>&1

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# one <label> <command...>: appends "milliseconds kilobytes" to $work/<label>
one() {
  local label=$1; shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$work/rss" "$@" >"$work/out" 2>"$work/err" || {
    echo "window.sh: $label failed:" >&2; cat "$work/err" >&2; exit 1; }
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 )) $(tail -1 "$work/rss")" >> "$work/$label"
}
ms() { cut -d' ' -f1 "$work/$1" | median; }
mb() { echo $(( $(cut -d' ' -f2 "$work/$1" | median) / 1024 )); }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Warm-ups (fonts, the page cache, the tree's inodes), then alternating runs.
"$build/bench/desk/desk_bare_window" "$work/picture.png" --screenshot "$work/bare.png" >/dev/null 2>&1
"$build/brimlet" scan "$tree" >/dev/null 2>&1
for _ in $(seq "$runs"); do
  one bare "$build/bench/desk/desk_bare_window" "$work/picture.png" --screenshot "$work/bare.png"
  one open "$build/brimlet-app" --screenshot "$work/open.png"
done
for _ in $(seq "$runs"); do
  one cli "$build/brimlet" scan "$tree"
  one app env G_MESSAGES_DEBUG=Brimlet "$build/brimlet-app" --screenshot "$work/app.png" "$tree"
  # GLib writes debug lines to standard output.
  sed -n 's/.*scan of .* shown in \([0-9.]*\) ms.*/\1/p' "$work/out" >> "$work/inside"
done

echo "== the Brimlet window ($runs runs each, medians; load $(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-44s %10s %10s %8s\n' "" "yardstick" "window" "ratio"
printf '%-44s %7s ms %7s ms %8s\n' "start to first frame (last scan; bare window)" \
  "$(ms bare)" "$(ms open)" "$(ratio "$(ms open)" "$(ms bare)")"
printf '%-44s %7s ms %7s ms %8s\n' "scan of the tree (brimlet scan)" \
  "$(ms cli)" "$(ms app)" "$(ratio "$(ms app)" "$(ms cli)")"
printf '%-44s %7s ms %7s ms %8s\n' "the same, scan start to frame (window's log)" \
  "$(ms cli)" "$(median < "$work/inside")" "$(ratio "$(median < "$work/inside")" "$(ms cli)")"
printf '%-44s %7s MB %7s MB\n' "peak memory: bare window, window opening" "$(mb bare)" "$(mb open)"
printf '%-44s %7s MB %7s MB %8s\n' "peak memory after the scan (brimlet scan)" \
  "$(mb cli)" "$(mb app)" "$(ratio "$(mb app)" "$(mb cli)")"
echo "budget: window after the scan <= bare + 2 x brimlet scan = $(( $(mb bare) + 2 * $(mb cli) )) MB"
