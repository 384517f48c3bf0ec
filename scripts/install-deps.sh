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
  qt6-translations-l10n libc-l10n locales man-db
  xvfb openbox x11-utils xdotool
  librsvg2-bin desktop-file-utils appstream
  dbus-daemon python3-dbusmock
  dpkg-dev file bash-completion
  user-mode-linux kmod dosfstools mtools exfat-fuse exfatprogs fuse3 strace
)
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The test of Japanese system messages runs under ja_JP.UTF-8: under C.UTF-8 newer C
# libraries ignore LANGUAGE.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "Generating the ja_JP.UTF-8 locale"
  if grep -q '^# *ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    "${sudo_cmd[@]}" sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen
fi
