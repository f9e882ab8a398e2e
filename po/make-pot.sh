#!/usr/bin/env bash
# Extracts the template of the "brimlet" text domain from the sources: the C++ of the platform,
# the extension, the app's window (app/gui) and its display-free model (app/explore), and the
# GtkBuilder files beside them. The files are those git tracks (any file the tree holds when it is
# no git checkout), so a new source file is picked up without being listed. Keys are marked by the calls that look them up:
# ui::Text, LocalizedStringResource, configurationDisplayName, description, localizedFormat,
# localizedPlural (its singular and plural), and gettext's own _(), N_(), C_() and gettext() for
# code written against <glibmm/i18n.h>.
#
# Usage: make-pot.sh SOURCE_DIR OUTPUT [XGETTEXT]
set -euo pipefail
source_dir=$1
output=$(realpath -m "$2")
xgettext=${3:-xgettext}
cd "$source_dir"

patterns=('platform/*.cpp' 'platform/*.h' 'platform/*.ui' 'extension/*.cpp' 'extension/*.h'
  'app/gui/*.cpp' 'app/gui/*.h' 'app/gui/*.ui' 'app/explore/*.cpp')
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- "${patterns[@]}" | LC_ALL=C sort)
else
  mapfile -t files < <(find platform extension app/gui app/explore \( -name '*.cpp' -o -name '*.h' \
    -o -name '*.ui' \) 2>/dev/null | LC_ALL=C sort)
fi

list=$(mktemp)
trap 'rm -f "$list"' EXIT
# The verbatim text's "%@" of LocalizedStringResource is no key.
printf '%s\n' "${files[@]}" | grep -v -e '_test\.' \
  -e '^platform/appintents/localized_string_resource.h$' >"$list" || true

"$xgettext" --from-code=UTF-8 --files-from="$list" --output="$output" \
  --package-name=brimlet --msgid-bugs-address=packages@brimlet.org \
  --add-comments=TRANSLATORS: --sort-by-file --no-wrap \
  --keyword=Text --keyword=LocalizedStringResource --keyword=configurationDisplayName \
  --keyword=description --keyword=localizedFormat --keyword=localizedPlural:1,2 \
  --keyword=_ --keyword=N_ --keyword=C_:1c,2 --keyword=NC_:1c,2
