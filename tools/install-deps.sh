#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Posyvale.
# Does nothing when all of them are already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  libwxgtk3.2-dev libwxgtk-webview3.2-dev libgtk-3-dev libx11-dev
  libasio-dev libsqlite3-dev libcrypt-dev
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-dejavu-core
  libcurl4-openssl-dev python3-pyftpdlib
  libgtest-dev libbenchmark-dev libsdl2-dev
  xvfb xauth x11-utils xdotool imagemagick
)

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
