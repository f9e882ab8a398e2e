#!/usr/bin/env bash
# The packaging check of `make test`: builds the .deb from this build tree with CPack, then checks
# it with the tools a Debian machine has: every installed file is in it, the unpacked programs
# print the project version, the desktop entry, the AppStream metadata and the systemd units are
# valid, and lintian finds no error (its warnings are shown). Exits 0 when every check passed, 1
# when one failed, and 77 (skipped) when a tool it needs is absent: `scripts/install-deps.sh test`
# installs them all.
#
# Usage: check-package.sh ENV_FILE, where ENV_FILE (written by packaging/CMakeLists.txt) sets
# BUILD_DIR, CPACK, VERSION, PROGRAMS, HELP2MAN and EXPECTED_FILES.
set -uo pipefail
# shellcheck disable=SC1090
source "$1"

missing=()
for tool in "$CPACK" dpkg dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate \
  systemd-analyze appstreamcli; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("${tool##*/}")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "packaging check skipped: ${missing[*]} not installed (scripts/install-deps.sh test)"
  exit 77
fi
if [[ "$HELP2MAN" == *NOTFOUND ]]; then
  echo "packaging check skipped: help2man was not found when $BUILD_DIR was configured, so it" \
    "builds no man pages (install it and configure again)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
pass() {
  echo "ok: $1"
  passed=$((passed + 1))
}
fail() {
  echo "FAILED: $1"
  failed=$((failed + 1))
}
finish() {
  echo "packaging check: $passed passed, $failed failed"
  [[ $failed -eq 0 ]]
  exit
}

# 1. The package itself.
started=$SECONDS
if ! "$CPACK" --config "$BUILD_DIR/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1; then
  tail -n 30 "$work/cpack.log"
  fail "cpack builds the package"
  finish
fi
arch=$(dpkg --print-architecture)
deb="$work/cpack/brimlet_${VERSION}_${arch}.deb"
if [[ ! -f "$deb" ]]; then
  ls "$work/cpack"
  fail "cpack makes brimlet_${VERSION}_${arch}.deb"
  finish
fi
pass "cpack made ${deb##*/} ($(stat -c %s "$deb") bytes) in $((SECONDS - started)) s"

# 2. Every file the install rules place, and nothing outside /usr.
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/contents"
absent=()
while IFS= read -r file; do
  [[ -z "$file" ]] && continue
  grep -qxF "/$file" "$work/contents" || absent+=("/$file")
done <<<"$EXPECTED_FILES"
if [[ ${#absent[@]} -eq 0 ]]; then
  pass "dpkg-deb -c lists every installed file"
else
  fail "dpkg-deb -c lacks ${absent[*]}"
fi
outside=$(grep -v -e '^/$' -e '^/usr/' "$work/contents" || true)
if [[ -z "$outside" ]]; then pass "everything lies below /usr"; else fail "outside /usr: $outside"; fi

# 3. The unpacked programs run and print the project version.
dpkg -x "$deb" "$work/root"
for program in $PROGRAMS; do
  printed=$("$work/root/usr/bin/$program" --version 2>&1)
  if [[ "$printed" == "$program $VERSION" ]]; then
    pass "$program --version prints \"$program $VERSION\""
  else
    fail "$program --version printed \"$printed\", not \"$program $VERSION\""
  fi
done

# The unpacked host finds its catalogs in share/locale beside its bin folder.
if locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; then
  german=$(LC_ALL=de_DE.UTF-8 XDG_STATE_HOME="$work/state" "$work/root/usr/bin/brimlet-widgets" \
    render fullness --family medium --request placeholder --format json -o - 2>&1)
  if [[ "$german" == *' frei"'* ]]; then
    pass "brimlet-widgets speaks German from the installed catalog"
  else
    fail "brimlet-widgets under de_DE.UTF-8 does not say \"frei\""
  fi
fi

# 4. The desktop entries, where the desk and the window are packaged; the window's D-Bus service
# starts the packaged window program.
for desktop in "$work"/root/usr/share/applications/*.desktop; do
  [[ -f "$desktop" ]] || continue
  if output=$(desktop-file-validate "$desktop" 2>&1) && [[ -z "$output" ]]; then
    pass "desktop-file-validate accepts ${desktop##*/}"
  else
    fail "desktop-file-validate: $output"
  fi
done
service="$work/root/usr/share/dbus-1/services/org.brimlet.Brimlet.service"
if [[ -f "$service" ]]; then
  if grep -qx 'Exec=/usr/lib/brimlet/brimlet-app --gapplication-service' "$service" &&
    grep -qx 'Name=org.brimlet.Brimlet' "$service"; then
    pass "the D-Bus service starts /usr/lib/brimlet/brimlet-app"
  else
    fail "the D-Bus service: $(tr '\n' ' ' <"$service")"
  fi
fi

# 5. The AppStream metadata, offline: its screenshots are not fetched.
for metainfo in "$work"/root/usr/share/metainfo/*.metainfo.xml; do
  [[ -f "$metainfo" ]] || continue
  if output=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1); then
    pass "appstreamcli validate accepts ${metainfo##*/}"
  else
    fail "appstreamcli validate ${metainfo##*/}: $output"
  fi
done

# 6. The units, as the user's systemd reads them. The service's scanner is pointed into the
# unpacked root, and its man page link is looked up there, so both are checked to exist.
units="$work/units"
mkdir -p "$units"
unitdir="$work/root/usr/lib/systemd/user"
cp "$unitdir/brimlet-scan.timer" "$units/"
if grep -qx 'ExecStart=/usr/bin/brimlet scan' "$unitdir/brimlet-scan.service"; then
  pass "the service runs /usr/bin/brimlet scan"
else
  fail "the service's ExecStart: $(grep ExecStart "$unitdir/brimlet-scan.service")"
fi
sed "s|^ExecStart=/usr/bin/|ExecStart=$work/root/usr/bin/|" "$unitdir/brimlet-scan.service" \
  >"$units/brimlet-scan.service"
runtime=$(mktemp -d)
man_option=()
command -v man >/dev/null 2>&1 || man_option=(--man=no)
if output=$(XDG_RUNTIME_DIR="$runtime" MANPATH="$work/root/usr/share/man" \
  systemd-analyze verify --user "${man_option[@]}" "$units/brimlet-scan.service" \
  "$units/brimlet-scan.timer" 2>&1) && [[ -z "$output" ]]; then
  pass "systemd-analyze verify --user accepts the units"
else
  fail "systemd-analyze verify: $output"
fi
rm -rf "$runtime"

# 7. lintian: no error; warnings and notes are shown.
started=$SECONDS
output=$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1)
status=$?
[[ -n "$output" ]] && echo "$output"
if [[ $status -eq 0 ]]; then
  pass "lintian reports no error ($((SECONDS - started)) s)"
else
  fail "lintian reports errors"
fi

finish
