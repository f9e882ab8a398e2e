#!/usr/bin/env bash
# fuzz/run.sh BUILD_DIR replay    runs every fuzzer once over each file of its seed corpus
# fuzz/run.sh BUILD_DIR SECONDS   fuzzes with every fuzzer in turn for SECONDS each
#
# The fuzzers are the ones BUILD_DIR/fuzz/fuzzers.txt names (fuzz/CMakeLists.txt writes it); each
# starts from fuzz/corpus/NAME/. A fuzzing run keeps what it finds in BUILD_DIR/corpus/NAME/ and
# writes a crashing input to BUILD_DIR/artifacts/; add that input to fuzz/corpus/NAME/ once the
# fault is fixed, so that every `make test` replays it. Extra libFuzzer flags: FUZZ_FLAGS.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
mode=$2
list=$build/fuzz/fuzzers.txt
[ -s "$list" ] || { echo "fuzz/run.sh: $list is missing: configure with cmake --preset fuzz" >&2; exit 1; }

status=0
while read -r name; do
  [ -n "$name" ] || continue
  fuzzer=$build/fuzz/${name}_fuzz
  seeds=fuzz/corpus/$name
  if [ "$mode" = replay ]; then
    mapfile -t files < <(find "$seeds" -type f | sort)
    log=$build/fuzz/$name-replay.log
    # Each file is run once, without fuzzing; a crash, a leak or a sanitizer report fails it.
    if "$fuzzer" "${files[@]}" >"$log" 2>&1; then
      echo "fuzz: $name replays its ${#files[@]} seeds cleanly"
    else
      cat "$log" >&2
      echo "fuzz: $name fails on its seed corpus ($seeds)" >&2
      status=1
    fi
  else
    mkdir -p "$build/corpus/$name" "$build/artifacts"
    echo "fuzz: $name for $mode s"
    # shellcheck disable=SC2086  # FUZZ_FLAGS is a list of flags
    "$fuzzer" -max_total_time="$mode" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" ${FUZZ_FLAGS:-} "$build/corpus/$name" "$seeds" ||
      status=1
  fi
done <"$list"
exit $status
