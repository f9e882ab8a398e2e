#!/usr/bin/env bash
# Every catalog is complete: msgfmt --check accepts it with no untranslated or fuzzy message, it
# translates every message the sources hold now (extracted afresh by po/make-pot.sh: the widgets,
# the desk and the app's window), every translation keeps its message's placeholders
# (placeholders.py, which must also reject a catalog that drops one), and the committed
# po/brimlet.pot is that extraction's.
#
# Usage: catalogs_complete.sh SOURCE_DIR XGETTEXT LANG...
set -uo pipefail
source_dir=$1
xgettext=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAILED: $1"
  failed=1
}

bash "$source_dir/po/make-pot.sh" "$source_dir" "$work/fresh.pot" "$xgettext" || fail "make-pot.sh"
if ! msgcmp --use-untranslated "$source_dir/po/brimlet.pot" "$work/fresh.pot" 2>"$work/pot.log"; then
  cat "$work/pot.log"
  fail "po/brimlet.pot lacks messages of the sources (cmake --build --target pot)"
fi
for lang in "$@"; do
  catalog="$source_dir/po/$lang.po"
  if ! stats=$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$catalog" 2>&1); then
    fail "msgfmt --check $lang.po: $stats"
    continue
  fi
  echo "$lang: $stats"
  [[ "$stats" == *untranslated* || "$stats" == *fuzzy* ]] && fail "$lang.po: $stats"
  msgcmp "$catalog" "$work/fresh.pot" 2>"$work/$lang.log" || {
    cat "$work/$lang.log"
    fail "$lang.po does not translate every message of the sources"
  }
done
here=$(dirname "$0")
printf 'msgid "%%1$@ free on %%2$@."\nmsgstr "%%1$@ frei."\n' >"$work/dropped.po"
python3 "$here/placeholders.py" "$work/dropped.po" >/dev/null &&
  fail "placeholders.py accepts a lost placeholder"
catalogs=()
for lang in "$@"; do catalogs+=("$source_dir/po/$lang.po"); done
python3 "$here/placeholders.py" "${catalogs[@]}" || fail "a translation changes its placeholders"
exit $failed
