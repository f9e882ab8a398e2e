#!/usr/bin/env bash
# Times `brimlet scan` beside its peers, warm cache, one run of hyperfine per input: du -s,
# gdu (non-interactive) and ncdu (export to /dev/null), on the generated tree (bench/scan_tree.sh)
# and on /usr. Prints each peer's mean wall time as a ratio to brimlet's (above 1: brimlet is
# faster) and writes the table into app/README.md between the scan-benchmarks markers.
#
#   bench/scan_compare.sh [BUILD_DIR]    default build (needs BUILD_DIR/brimlet)
#   SCAN_RUNS=10 bench/scan_compare.sh   timed runs per command (default 10, after 2 warm-ups)
#
# As root it installs the Debian packages gdu, ncdu and hyperfine when they are missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
brimlet="$build/brimlet"
runs=${SCAN_RUNS:-10}
readme="$root/app/README.md"

if [[ ! -x "$brimlet" ]]; then
  echo "scan_compare.sh: $brimlet is missing; build it first (make build)" >&2
  exit 1
fi

missing=()
for tool in gdu ncdu hyperfine; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "scan_compare.sh: missing ${missing[*]}; run as root: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; }
fi

tree=$(bash "$root/bench/scan_tree.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cores=$(nproc)
# Other work on the machine shows in wall times: the 1-minute load average is recorded with them.
load=$(cut -d' ' -f1 /proc/loadavg)
rows=()
for input in "$tree" /usr; do
  csv="$work/result.csv"
  hyperfine --style basic --warmup 2 --runs "$runs" --export-csv "$csv" \
    -n brimlet "$brimlet scan '$input' -o /dev/null" \
    -n "du -s" "du -s '$input'" \
    -n gdu "gdu --non-interactive --no-progress --summarize '$input'" \
    -n ncdu "ncdu -o /dev/null '$input'" >&2
  # CSV columns: command,mean,stddev,median,user,system,min,max (seconds).
  row=$(awk -F, -v input="$input" '
    NR == 1 { next }
    { name[NR] = $1; mean[NR] = $2; if ($1 == "brimlet") base = $2 }
    END {
      line = sprintf("| %s | %.3f s |", input, base)
      for (i = 3; i <= NR; i++) line = line sprintf(" %.3f s (%.2f×) |", mean[i], mean[i] / base)
      print line
    }' "$csv")
  rows+=("$row")
done

table="$work/table.md"
{
  echo "<!-- scan-benchmarks -->"
  echo "Measured by \`bench/scan_compare.sh\` on $(date -u +%Y-%m-%d), $cores cores (\`nproc\`), warm cache,"
  echo "load average $load at the start, mean of $runs runs after 2 warm-ups. Each peer's time is followed by its ratio to"
  echo "\`brimlet scan\` (above 1: brimlet is faster). The generated tree holds 200,000 files in"
  echo "20,220 folders (\`bench/scan_tree.sh\`)."
  echo
  echo "| Input | brimlet scan -o /dev/null | du -s | gdu --non-interactive | ncdu -o /dev/null |"
  echo "|---|---|---|---|---|"
  for row in "${rows[@]}"; do
    echo "${row/$tree/generated tree}"
  done
  echo "<!-- /scan-benchmarks -->"
} >"$table"
cat "$table"

if grep -q '<!-- scan-benchmarks -->' "$readme"; then
  awk -v table="$table" '
    /<!-- scan-benchmarks -->/ { while ((getline line < table) > 0) print line; skipping = 1; next }
    /<!-- \/scan-benchmarks -->/ { skipping = 0; next }
    !skipping { print }' "$readme" >"$work/readme" && cp "$work/readme" "$readme"
else
  { echo; cat "$table"; } >>"$readme"
fi
