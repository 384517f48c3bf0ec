#!/usr/bin/env bash
# Output runs on exFAT, the file system of SDXC cards: images on loop devices, mounted
# through exfat-fuse (fuse) or the kernel's exfat driver (kernel), with the checks that
# the FAT32 runs make (card_lib.sh): three changing runs against full runs onto a fresh
# card, the songs' times, verify, the import of the card's folder, a restore, and a card
# that turns read-only in the middle of a run.
#
#   exfat_test.sh TARVELLO_CLI fuse|kernel
#
# Needs root, loop devices and mkfs.exfat; fuse needs /dev/fuse and mount.exfat-fuse.
# Exit 77 (skipped) with the reason where it cannot run. Mounts and loop devices are
# undone on every way out.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
CLI=$(realpath "$1")
driver=${2:-fuse}

skip() {
  echo "SKIP: $*"
  exit 77
}

[ "$(id -u)" -eq 0 ] || skip "needs root for loop devices and mounts"
for tool in losetup mkfs.exfat ffmpeg; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (packages mount, exfatprogs, ffmpeg)"
done
[ -e /dev/loop-control ] || skip "no loop devices here (/dev/loop-control)"
case $driver in
  fuse)
    command -v mount.exfat-fuse >/dev/null || skip "mount.exfat-fuse is not installed (package exfat-fuse)"
    [ -c /dev/fuse ] || skip "no /dev/fuse here"
    ;;
  kernel)
    grep -qw exfat /proc/filesystems || modprobe exfat 2>/dev/null ||
      skip "the kernel $(uname -r) has no exfat driver"
    ;;
  *) echo "unknown driver $driver" >&2; exit 2 ;;
esac

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tarvello-exfat.XXXXXX")
devices=()
undo() {
  local card device
  for card in card fresh; do
    mountpoint -q "$WORK/$card" 2>/dev/null && umount "$WORK/$card"
  done
  for device in "${devices[@]}"; do losetup -d "$device"; done
  rm -rf "$WORK"
}
trap undo EXIT
. "$here/card_lib.sh"
SONGS=$WORK/songs
make_songs "$SONGS" 11 || { echo "FAIL: ffmpeg could not make the songs"; exit 1; }

for card in card fresh; do
  truncate -s 64M "$WORK/$card.img"
  mkfs.exfat -L TARVELLO "$WORK/$card.img" >/dev/null
  device=$(losetup -f --show "$WORK/$card.img") || skip "no free loop device"
  devices+=("$device")
  mkdir -p "$WORK/$card"
  if [ "$driver" = fuse ]; then
    mount.exfat-fuse "$device" "$WORK/$card" >/dev/null || skip "exfat-fuse cannot mount here"
  else
    mount -t exfat "$device" "$WORK/$card" || skip "the kernel's exfat driver cannot mount here"
  fi
done

three_runs "$WORK/card" "$WORK/fresh" "$WORK/backup"
if command -v strace >/dev/null; then
  mapfile -t songs < <(songs_of 8 2 9 5 10 1 11)
  read_only_mid_run readonly "$WORK/card" "$WORK/backup" "${songs[@]}"
  checked_run recovered "$WORK/card" "$WORK/fresh" "$WORK/backup" 8 2 9 5 10 1 11
else
  note "strace is not installed: the card turning read-only mid-run is left out"
fi
finish
