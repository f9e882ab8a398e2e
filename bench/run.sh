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

WHOLE_PROCESS=(
)

if [[ ${#WHOLE_PROCESS[@]} -gt 0 ]]; then
  echo "== whole process"
  for step in "${WHOLE_PROCESS[@]}"; do
    "$step" "$build" || status=1
  done
fi

exit "$status"
