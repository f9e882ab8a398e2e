#!/usr/bin/env bash
# Runs the benchmarks of one build tree: every Google Benchmark binary under <build>/bench/
# (executables named *_bench), then the whole-process figures listed below.
#
#   bench/run.sh <build dir>                    make bench passes build-bench
#   BENCH_MIN_TIME=1 bench/run.sh build-bench   longer runs (seconds per benchmark, default 0.2)
#   BENCH_FILTER=Timeline bench/run.sh ...      only the benchmarks whose name matches
#
# Exits non-zero when a benchmark binary or a whole-process step fails, or when there is none.
set -euo pipefail

build=${1:?usage: bench/run.sh <build dir>}
min_time=${BENCH_MIN_TIME:-0.2}
filter=${BENCH_FILTER:-.}
root=$(cd "$(dirname "$0")/.." && pwd)
export BRIMLET_ROOT="$root"
status=0

mapfile -t binaries < <(find "$build/bench" -type f -perm -u+x -name '*_bench' \
                          -not -path '*/CMakeFiles/*' 2>/dev/null | sort)
if [[ ${#binaries[@]} -eq 0 ]]; then
  echo "bench/run.sh: no benchmark binaries under $build/bench" >&2
  exit 1
fi

for binary in "${binaries[@]}"; do
  echo "== $(basename "$binary")"
  "$binary" --benchmark_min_time="$min_time" --benchmark_filter="$filter" || status=1
  echo
done

# Whole-process figures ------------------------------------------------------------------------
# For costs that only show over a whole run of a program (start-up, peak memory). Add a function
# that takes the build dir and prints its figures, and name it in WHOLE_PROCESS. measure prints
# the wall time and peak resident memory of one command.

measure() {  # measure <label> <command...>
  local label=$1; shift
  local report
  report=$(mktemp)
  if /usr/bin/time -f '%e %M' -o "$report" "$@" >/dev/null; then
    read -r seconds kib <"$report"
    printf '%-40s %8.3f s %10d KiB peak\n' "$label" "$seconds" "$kib"
  else
    echo "$label: failed" >&2
    rm -f "$report"
    return 1
  fi
  rm -f "$report"
}

# median: the median of the numbers on standard input, one a line.
median() {
  sort -g | awk '{ v[NR] = $1 }
                 END { printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# measure_runs <label> <command...>: one warm-up run (its figures printed as "first"), then
# WHOLE_RUNS runs (default 11). Prints the median wall time, the median CPU time (user + system,
# of the command and its children) and the median and largest peak resident memory ("Maximum
# resident set size" of /usr/bin/time -v). Times come from bash's `time` around /usr/bin/time, so
# they include that wrapper's own start (about a millisecond). Standard output is thrown away.
measure_runs() {
  local label=$1; shift
  local runs=${WHOLE_RUNS:-11}
  local TIMEFORMAT='%3R %3U %3S'
  local scratch i wall user sys kib
  scratch=$(mktemp -d)
  for ((i = 0; i <= runs; i++)); do
    if ! { time /usr/bin/time -f '%M' -o "$scratch/rss" "$@" >/dev/null 2>"$scratch/err"; } \
         2>"$scratch/time"; then
      echo "$label: failed: $(head -n 3 "$scratch/err")" >&2
      rm -rf "$scratch"
      return 1
    fi
    read -r wall user sys <"$scratch/time"
    kib=$(tail -n 1 "$scratch/rss")
    # One line per run: wall ms, CPU ms, peak MiB.
    awk -v w="$wall" -v u="$user" -v s="$sys" -v k="$kib" \
        'BEGIN { printf "%.1f %.1f %.1f\n", w * 1000, (u + s) * 1000, k / 1024 }' \
        >>"$scratch/$( ((i == 0)) && echo first || echo samples )"
  done
  local first_wall first_rss
  read -r first_wall _ first_rss <"$scratch/first"
  printf '%-32s median of %2d: wall %6s ms  cpu %6s ms  peak %5s MiB (max %5s)' \
    "$label" "$runs" "$(cut -d' ' -f1 "$scratch/samples" | median)" \
    "$(cut -d' ' -f2 "$scratch/samples" | median)" "$(cut -d' ' -f3 "$scratch/samples" | median)" \
    "$(cut -d' ' -f3 "$scratch/samples" | sort -g | tail -n 1)"
  printf '  first: %s ms %s MiB\n' "$first_wall" "$first_rss"
  rm -rf "$scratch"
}

# One medium fullness tile to PNG (scale 2), as a user or a panel would ask for it. Targets: wall
# under 100 ms, peak under 30 MB.
whole_render_fullness_medium() {
  local build work status=0
  build=$(cd "$1" && pwd)
  work=$(mktemp -d)
  (cd "$work" && measure_runs "render fullness --family medium" \
     "$build/brimlet-widgets" render fullness --family medium -o m.png) || status=1
  rm -rf "$work"
  return "$status"
}

# The gallery (every widget in each family, live and preview: 8 PNGs and index.html), with a data
# home holding the preview sample as the stored snapshot, so that the live breakdown tiles draw
# real lists rather than the empty state. Targets: wall under 300 ms, peak under 30 MB.
whole_gallery() {
  local build work answer status=0
  build=$(cd "$1" && pwd)
  work=$(mktemp -d)
  local container="$work/data/BRM7Q2X9KD.org.brimlet.Brimlet"
  mkdir -p "$container" "$work/out"
  # The preview sample in its file form: the snapshot member of the host's preview answer.
  answer=$("$build/brimlet-widgets" snapshot breakdown --preview) &&
    perl -MJSON::PP -0777 -e 'print JSON::PP->new->canonical->encode(
                                decode_json($ARGV[0])->{entries}[0]{snapshot})' "$answer" \
      >"$container/snapshot.json" &&
    answer=$(XDG_DATA_HOME="$work/data" "$build/brimlet-widgets" timeline breakdown) || answer=
  if [[ $answer != *'"topFolders"'* ]]; then
    echo "gallery: could not store the preview sample as the snapshot" >&2
    rm -rf "$work"
    return 1
  fi
  (cd "$work" && XDG_DATA_HOME="$work/data" measure_runs "gallery -o DIR" \
     "$build/brimlet-widgets" gallery -o out) || status=1
  rm -rf "$work"
  return "$status"
}

# The desk against a bare GTK 4 window under Xvfb (bench/desk/desk.sh): start to the first
# complete screenshot, peak memory, and a minute of idling. Targets: within 1.5x and 1.3x of the
# bare window; at most 20 voluntary context switches in 60 s.
whole_desk() {
  local build=$1
  if [[ ! -x "$build/brimlet-desk" || ! -x "$build/bench/desk/desk_bare_window" ]] ||
     ! command -v xvfb-run >/dev/null; then
    echo "desk: skipped (brimlet-desk, desk_bare_window or xvfb-run missing)"
    return 0
  fi
  DESK_RUNS=${WHOLE_RUNS:-11} bash "$root/bench/desk/desk.sh" "$build"
}

WHOLE_PROCESS=(
  whole_render_fullness_medium
  whole_gallery
  whole_desk
)

if [[ ${#WHOLE_PROCESS[@]} -gt 0 ]]; then
  echo "== whole process (nproc $(nproc);$(uptime | sed 's/.*,  *load/ load/'))"
  for step in "${WHOLE_PROCESS[@]}"; do
    "$step" "$build" || status=1
  done
fi

exit "$status"
