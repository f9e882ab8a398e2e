#!/bin/sh
# brimlet-widgets with standard output on a full disk: every command that changes the placed
# widgets exits 1 and leaves the store byte for byte as it was. $1 is brimlet-widgets; the store
# is under $XDG_STATE_HOME, which starts empty.
set -u
widgets=$1
store="$XDG_STATE_HOME/brimlet-widgets/placed.json"
rm -rf "$XDG_STATE_HOME"
id=$("$widgets" place breakdown --family medium) || exit 1
before=$(cat "$store")
check() {
  "$widgets" "$@" > /dev/full
  status=$?
  [ "$status" -eq 1 ] || { echo "$*: exit $status, not 1"; exit 1; }
  [ "$(cat "$store")" = "$before" ] || { echo "$*: the store changed"; exit 1; }
}
check place fullness --family small
check configure "$id" --area ""
check remove "$id"
