#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Release in build-release/ (warnings as errors) and runs its tests,
# which the optimiser's -O3 may break where -O2 does not; makes the .deb and
# tries it as a user would: installs it with apt-get, which pulls its Qt
# packages, checks the programs, the manual, the desktop entry and the
# metainfo where the package put them, then removes the package again.
# Installs packages, so it needs root (or sudo).
#   scripts/test-package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-release

"$root/scripts/install-deps.sh" desktop-file-utils appstream man-db dpkg-dev file
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAPVANE_WERROR=ON -DZAPVANE_BUILD_BENCH=OFF
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
rm -f "$build"/zapvane_*.deb
(cd "$build" && cpack)
debs=("$build"/zapvane_*_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "test-package: expected one zapvane_<version>_<arch>.deb in $build" >&2; exit 1; }
deb=${debs[0]}
version=$(basename "$deb" | cut -d_ -f2)

fail() { echo "test-package: $*" >&2; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "the package does not depend on its Qt libraries"

export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -q "$deb"
trap '$sudo apt-get remove -y -q zapvane >/dev/null' EXIT

[ "$(zapvane-cli --version)" = "zapvane-cli $version" ] || fail "zapvane-cli --version is not $version"
[ "$(QT_QPA_PLATFORM=offscreen zapvane --version)" = "zapvane $version" ] || fail "zapvane --version is not $version"
man -w zapvane-cli >/dev/null && man -w zapvane >/dev/null || fail "a manual page is not where man looks"
desktop-file-validate /usr/share/applications/zapvane.desktop
appstreamcli validate --no-net /usr/share/metainfo/io.github.zapvane.Zapvane.metainfo.xml
for size in 48x48 128x128 256x256; do
  [ -s "/usr/share/icons/hicolor/$size/apps/zapvane.png" ] || fail "no $size icon"
done
[ -s /usr/share/icons/hicolor/scalable/apps/zapvane.svg ] || fail "no scalable icon"
[ -s /usr/share/bash-completion/completions/zapvane-cli ] || fail "no bash completion"
for program in /usr/bin/zapvane /usr/bin/zapvane-cli; do
  file "$program" | grep -q ', stripped' || fail "$program is not stripped"
done
echo "test-package: $(basename "$deb") installs, works and validates"
