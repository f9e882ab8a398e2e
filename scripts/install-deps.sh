#!/usr/bin/env bash
# Installs the Debian packages that one purpose needs:
#
#   scripts/install-deps.sh run      building the programs and running them (make run)
#   scripts/install-deps.sh package  the above, plus the man-page generator and the Debian tools
#                                    that make the .deb (make package)
#   scripts/install-deps.sh test     all of the above, plus the test, benchmark and package-checking
#                                    tools and the de_DE.UTF-8 locale that the locale-independence
#                                    test switches to (make test)
#
# When everything is there it does nothing, as any user. Otherwise, as root it runs
# `apt-get update` once and then `apt-get install`; as any other user it prints the exact command
# line that would install what is missing, and stops with status 1.
set -euo pipefail

purpose=${1:-test}

run_packages=(
  build-essential cmake ninja-build pkg-config
  # Draws the control pictures (U+2400 block) that names from data show; Inter has none.
  fonts-freefont-ttf
  libcairo2-dev libpango1.0-dev libpng-dev libsimdjson-dev libicu-dev libcli11-dev fonts-inter
  libgtk-4-dev libgtkmm-4.0-dev libsqlite3-dev libglib2.0-dev
  # msgfmt compiles the translations at build time.
  gettext
)
# A build without help2man still succeeds, without man pages.
package_packages=(help2man dpkg-dev file)
test_packages=(
  clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev locales tzdata time
  xvfb xauth dbus at-spi2-core python3-pyatspi xdotool librsvg2-bin
  lintian desktop-file-utils systemd appstream
  clang-format clang-tidy python3 ccache
  python3-dbus python3-gi
)

case "$purpose" in
  run) packages=("${run_packages[@]}"); want_locale=0 ;;
  package) packages=("${run_packages[@]}" "${package_packages[@]}"); want_locale=0 ;;
  test)
    packages=("${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}")
    want_locale=1
    ;;
  *) echo "install-deps.sh: unknown purpose '$purpose' (run, package or test)" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

need_locale=0
if [[ $want_locale -eq 1 ]] && ! locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$'; then
  need_locale=1
fi

if [[ ${#missing[@]} -eq 0 && $need_locale -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  what=("${missing[@]}")
  steps=()
  if [[ ${#missing[@]} -gt 0 ]]; then
    steps+=("apt-get update && apt-get install -y --no-install-recommends ${missing[*]}")
  fi
  if [[ $need_locale -eq 1 ]]; then
    what+=("the de_DE.UTF-8 locale")
    steps+=("localedef -i de_DE -f UTF-8 de_DE.UTF-8")
  fi
  echo "install-deps.sh: missing ${what[*]}" >&2
  joined=$(printf ' && %s' "${steps[@]}")
  echo "run as root: ${joined:4}" >&2
  exit 1
fi

if [[ ${#missing[@]} -gt 0 ]]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [[ $need_locale -eq 1 ]]; then
  # localedef needs the locales package's definitions, which the test list installs.
  localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
