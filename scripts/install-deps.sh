#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tarvello need,
# only those that are missing.
set -euo pipefail

packages=(
  build-essential ccache cmake pkg-config
  qt6-base-dev qt6-qpa-plugins libicu-dev
  libgtest-dev libgmock-dev libcli11-dev
  libbenchmark-dev libtag1-dev
  libxml2-dev libsqlite3-dev libxxhash-dev libblkid-dev
  ffmpeg libavcodec-dev libavformat-dev libavutil-dev libswresample-dev
  fonts-ipafont-gothic
  qt6-translations-l10n libc-l10n man-db
  xvfb openbox x11-utils xdotool
  librsvg2-bin desktop-file-utils appstream
  dbus-daemon python3-dbusmock
  dpkg-dev file bash-completion
)
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
