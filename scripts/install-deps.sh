#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the tests and the program need.
# Safe to run again: apt-get only adds what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-multimedia-dev libgl-dev
  qt6-qpa-plugins qt6-image-formats-plugins
  libsqlitecpp-dev libsqlite3-dev libsimpleini-dev libglib2.0-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-wqy-microhei adwaita-icon-theme hicolor-icon-theme shared-mime-info
  xdg-user-dirs xdg-utils dbus dbus-x11 xvfb xauth x11-xserver-utils x11-utils
  openbox xdotool x11-apps qt6-translations-l10n qt6-l10n-tools qt6-tools-dev
  clang libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file lintian
  libicu-dev unicode-data bzip2 libxcb1-dev libxcb-xtest0-dev libmuparser-dev
  # the start-up benchmark's yardstick on a real X server
  rofi
  # the sync service of the catalogue's end-to-end test
  syncthing
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
