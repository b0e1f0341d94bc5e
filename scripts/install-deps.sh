#!/usr/bin/env bash
# Installs the Debian packages Zapvane builds and tests with, when any is
# missing, plus any named on the command line. Needs root (or sudo) only when
# something must be installed.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev qt6-base-dev qt6-multimedia-dev fonts-dejavu-core "$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root to install: ${missing[*]}" >&2; exit 1; }
  sudo=sudo
fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q "${missing[@]}"
