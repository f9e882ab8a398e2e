#!/usr/bin/env bash
# brimlet-desk against its yardstick, a bare GTK 4 window showing one picture (desk_bare_window),
# run the same way and side by side: one Xvfb, GSK_RENDERER=cairo, a private home with a scan and
# four placed widgets (fullness small and medium, breakdown medium and large).
#
#   bash bench/desk/desk.sh <build dir>
#   DESK_RUNS=21 DESK_IDLE_SECONDS=60 bash bench/desk/desk.sh build-bench
#
# Prints, as medians over DESK_RUNS alternating runs of each program:
#   - start to first screenshot: exec to exit of `--screenshot` (the desk waits for every tile's
#     first entry; the bare window for its first frame), and the ratio desk / bare;
#   - peak resident memory ("Maximum resident set size" of /usr/bin/time), and the ratio;
# then the desk's voluntary context switches, summed over its threads, over DESK_IDLE_SECONDS of
# idling with nothing scheduled. The in-process redraw figure is desk_bench's RedrawFourTiles.
#
# DESK_INSTRUCTIONS=1 also runs each program once under callgrind (valgrind) and prints the
# instructions it executed, in all its threads and in its main thread alone, and their ratios:
# figures that do not depend on the machine's load, unlike the times. Forked children (GLib's
# attempts to start a session bus) are left out.
set -euo pipefail

build=$(cd "${1:?usage: bench/desk/desk.sh <build dir>}" && pwd)
runs=${DESK_RUNS:-11}
idle=${DESK_IDLE_SECONDS:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)

for program in brimlet brimlet-widgets brimlet-desk bench/desk/desk_bare_window; do
  [[ -x "$build/$program" ]] || { echo "desk.sh: $build/$program is not built" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "desk.sh: xvfb-run is not installed" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "desk.sh: /usr/bin/time is not installed (Debian: time)" >&2; exit 1; }

# Everything below runs inside one X server.
if [[ -z "${DESK_SH_INSIDE:-}" ]]; then
  DESK_SH_INSIDE=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home GSK_RENDERER=cairo
unset XDG_DATA_HOME XDG_STATE_HOME XDG_CONFIG_HOME DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME"
"$build/brimlet" scan "$root/platform" >/dev/null 2>&1
for w in fullness:small fullness:medium breakdown:medium breakdown:large; do
  "$build/brimlet-widgets" place "${w%%:*}" --family "${w##*:}" >/dev/null
done
"$build/brimlet-widgets" render --placed 2 --scale 1 -o "$work/picture.png"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# one <label> <command...>: appends "milliseconds kilobytes" to $work/<label>
one() {
  local label=$1; shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$work/rss" "$@" >/dev/null 2>"$work/err" || {
    echo "desk.sh: $label failed:" >&2; cat "$work/err" >&2; exit 1; }
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 )) $(tail -1 "$work/rss")" >> "$work/$label"
}

# One warm-up each (fonts, the page cache), then alternating runs.
"$build/bench/desk/desk_bare_window" "$work/picture.png" --screenshot "$work/bare.png" >/dev/null 2>&1
"$build/brimlet-desk" --screenshot "$work/desk.png" >/dev/null 2>&1
for _ in $(seq "$runs"); do
  one bare "$build/bench/desk/desk_bare_window" "$work/picture.png" --screenshot "$work/bare.png"
  one desk "$build/brimlet-desk" --screenshot "$work/desk.png"
done

bare_ms=$(cut -d' ' -f1 "$work/bare" | median)
desk_ms=$(cut -d' ' -f1 "$work/desk" | median)
bare_kb=$(cut -d' ' -f2 "$work/bare" | median)
desk_kb=$(cut -d' ' -f2 "$work/desk" | median)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== brimlet-desk against a bare GTK 4 window ($runs runs each, medians; load $(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-34s %10s %10s %8s\n' "" "bare" "desk" "ratio"
printf '%-34s %8s ms %7s ms %8s\n' "start to first screenshot" "$bare_ms" "$desk_ms" "$(ratio "$desk_ms" "$bare_ms")"
printf '%-34s %7s MB %7s MB %8s\n' "peak resident memory" "$(( bare_kb / 1024 ))" "$(( desk_kb / 1024 ))" "$(ratio "$desk_kb" "$bare_kb")"

# Instructions under callgrind, one run each: "all main" for <label>.
instructions() {
  local label=$1 pid files all main; shift
  valgrind --tool=callgrind --separate-threads=yes \
    --callgrind-out-file="$work/callgrind.$label.%p" "$@" >/dev/null 2>&1 &
  pid=$!
  wait "$pid" || { echo "desk.sh: $label failed under callgrind" >&2; exit 1; }
  files=("$work/callgrind.$label.$pid"-*)
  all=$(awk '/^totals:/ { n += $2 } END { print n }' "${files[@]}")
  main=$(awk '/^totals:/ { print $2 }' "$work/callgrind.$label.$pid-01")
  echo "$all $main"
}
if [[ -n "${DESK_INSTRUCTIONS:-}" ]]; then
  command -v valgrind >/dev/null || { echo "desk.sh: valgrind is not installed" >&2; exit 1; }
  read -r bare_all bare_main < <(instructions bare "$build/bench/desk/desk_bare_window" \
    "$work/picture.png" --screenshot "$work/bare.png")
  read -r desk_all desk_main < <(instructions desk "$build/brimlet-desk" \
    --screenshot "$work/desk.png")
  printf '%-34s %12s %12s %8s\n' "instructions (callgrind)" "bare" "desk" "ratio"
  printf '%-34s %12s %12s %8s\n' "  all threads" "$bare_all" "$desk_all" \
    "$(ratio "$desk_all" "$bare_all")"
  printf '%-34s %12s %12s %8s\n' "  main thread" "$bare_main" "$desk_main" \
    "$(ratio "$desk_main" "$bare_main")"
fi

# Idle: the desk open with nothing due; count what wakes it.
switches() {
  local total=0 n
  for status in /proc/"$1"/task/*/status; do
    n=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$status" 2>/dev/null || echo 0)
    total=$(( total + ${n:-0} ))
  done
  echo "$total"
}
"$build/brimlet-desk" >/dev/null 2>&1 &
desk=$!
# Long enough for the first requests' threads and GLib's idle helper threads to be gone.
sleep 20
before=$(switches "$desk")
sleep "$idle"
after=$(switches "$desk")
kill "$desk"; wait "$desk" 2>/dev/null || true
echo "idle ${idle} s: the desk's voluntary context switches, summed over its threads, grew by $(( after - before ))"
