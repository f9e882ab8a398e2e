#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need, and generates the
# de_DE.UTF-8 locale that the locale-independence test switches to.
#
# As root it runs `apt-get update` once (only when something is missing) and then
# `apt-get install`. As any other user it prints the exact command line and stops with status 1.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libcairo2-dev libpango1.0-dev libpng-dev libsimdjson-dev libicu-dev libcli11-dev fonts-inter
  libgtest-dev libgmock-dev libbenchmark-dev locales tzdata time
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

need_locale=0
locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$' || need_locale=1

if [[ ${#missing[@]} -eq 0 && $need_locale -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "missing: ${missing[*]:-} ${need_locale:+(locale de_DE.UTF-8)}" >&2
  echo "run as root: apt-get update && apt-get install -y --no-install-recommends ${missing[*]:-locales} && localedef -i de_DE -f UTF-8 de_DE.UTF-8" >&2
  exit 1
fi

if [[ ${#missing[@]} -gt 0 ]]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [[ $need_locale -eq 1 ]]; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
