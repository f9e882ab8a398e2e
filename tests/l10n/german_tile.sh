#!/usr/bin/env bash
# The medium Disk Space tile in German and in English, from its placeholder entry (a fixed
# sample, so runs compare byte for byte): German says "frei" with the number's "." kept; the C,
# C.UTF-8 and English locales, a German locale whose catalog folder is missing, and one whose
# catalog is broken all give the very same output.
#
# Usage: german_tile.sh BRIMLET_WIDGETS
set -uo pipefail
program=$1
if ! locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; then
  echo "skipped: the de_DE.UTF-8 locale is not installed (scripts/install-deps.sh test)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAILED: $1"
  failed=1
}
render() {
  env -u LANGUAGE -u LC_MESSAGES -u LC_NUMERIC LC_ALL= "$@" "$program" render fullness \
    --family medium --request placeholder --format json -o -
}
texts() { grep -o '"text": "[^"]*"' "$1" | sed 's/^"text": //'; }

render LANG=C >"$work/C.json" || fail "render under C"
grep -q '"text": "[0-9]*\.[0-9] [kMGT]B free"' "$work/C.json" || fail "C: no \"free\": $(texts "$work/C.json")"
render LANG=de_DE.UTF-8 >"$work/de.json" || fail "render under de_DE.UTF-8"
if ! grep -q '"text": "[0-9]*\.[0-9] [kMGT]B frei"' "$work/de.json"; then
  fail "de_DE.UTF-8: no \"frei\" after a number with its \".\": $(texts "$work/de.json")"
fi
grep -q ' free"' "$work/de.json" && fail "de_DE.UTF-8 still says \"free\""

mkdir -p "$work/broken/de/LC_MESSAGES"
printf 'not a catalog' >"$work/broken/de/LC_MESSAGES/brimlet.mo"
cases=("LANG=C.UTF-8" "LANG=en_US.UTF-8" "LANG=en_GB.UTF-8"
  "LANG=de_DE.UTF-8 BRIMLET_LOCALEDIR=$work/missing"
  "LANG=de_DE.UTF-8 BRIMLET_LOCALEDIR=$work/broken")
for case in "${cases[@]}"; do
  # shellcheck disable=SC2086
  render $case >"$work/case.json" || fail "render under $case"
  cmp -s "$work/C.json" "$work/case.json" || fail "$case differs from C: $(texts "$work/case.json")"
done
[[ $failed -eq 0 ]] && echo "German: $(texts "$work/de.json" | tr '\n' ' ')"
exit $failed
