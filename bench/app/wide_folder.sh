#!/usr/bin/env bash
# Going into a folder of 100,000 folders and back out, from the keyboard, as the window logs it
# (G_MESSAGES_DEBUG=Brimlet: "folder of N rows shown in X ms (rows A, widgets B, then layout C,
# paint D)", from the key press to the frame clock's after-paint of the frame that shows the
# folder: the explorer's rows, the list's and treemap's widgets bound to them, the frame), with
# the accessibility bus up (tests/app/gui/window_check.py keys), under Xvfb with a session bus,
# in a private home.
#
#   bash bench/app/wide_folder.sh <build dir> [RUNS]
#
# The tree (a folder `wide` of 100,000 empty folders beside a folder `other`) is made once in
# $TMPDIR/brimlet-wide-tree. Prints each run's lines and the load average.
set -euo pipefail

build=$(cd "${1:?usage: bench/app/wide_folder.sh <build dir> [RUNS]}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${2:-5}
tree=${TMPDIR:-/tmp}/brimlet-wide-tree

if [[ -z "${WIDE_FOLDER_INSIDE:-}" ]]; then
  for tool in xvfb-run dbus-run-session; do
    command -v "$tool" >/dev/null || { echo "wide_folder.sh: $tool is not installed" >&2; exit 1; }
  done
  exec env WIDE_FOLDER_INSIDE=1 xvfb-run -a -s '-screen 0 1400x900x24' \
    dbus-run-session -- bash "$0" "$@"
fi

if [[ ! -d "$tree/wide" ]]; then
  mkdir -p "$tree/wide.part" "$tree/other"
  (cd "$tree/wide.part" && seq -f 'f%05g' 0 99999 | xargs mkdir)
  mv "$tree/wide.part" "$tree/wide"
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home GSK_RENDERER=cairo
unset XDG_DATA_HOME XDG_STATE_HOME XDG_CONFIG_HOME
"$build/brimlet" scan "$tree" >/dev/null
echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
for _ in $(seq "$runs"); do
  G_MESSAGES_DEBUG=Brimlet /usr/bin/python3 "$root/tests/app/gui/window_check.py" keys wide o other -- \
    "$build/brimlet-app" "$tree" 2>&1 | grep -o 'folder of [0-9]* rows shown in .*' || true
done
echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
