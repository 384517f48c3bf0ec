#!/usr/bin/env bash
# Output runs on real FAT32: the vfat driver of User-Mode Linux mounts FAT32 images as a
# desktop mounts a phone's card, and tarvello-cli runs inside it unchanged (fat32_runs.sh
# says what is run and checked). After UML has halted, mtools reads the images' folders:
# every name the program wrote is a plain 8.3 entry, with no long-name entry.
#
#   fat32_test.sh TARVELLO_CLI [--sanitized]
#
# Exit 77 (skipped) with the reason where it cannot run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "$1")

skip() {
  echo "SKIP: $*"
  exit 77
}

[ "${2:-}" != --sanitized ] ||
  skip "AddressSanitizer's shadow memory does not fit into a User-Mode Linux process; the Release build runs this test"
for tool in mkfs.vfat fsck.fat mdir mshowfat ffmpeg; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (packages dosfstools, mtools, ffmpeg)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvello-fat32.XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$here/card_lib.sh"

make_songs "$work/songs" 11 || { echo "FAIL: ffmpeg could not make the songs"; exit 1; }
for card in card fresh lower; do
  truncate -s 64M "$work/$card.img"
  mkfs.vfat -F 32 -n TARVELLO "$work/$card.img" >/dev/null
done

status=0
"$here/uml_run.sh" "$work/job" "$work/card.img" "$work/fresh.img" "$work/lower.img" -- \
  "$here/fat32_runs.sh" "$cli" "$work/songs" || status=$?
cat "$work/job/log" 2>/dev/null || true
[ "$status" -ne 77 ] || exit 77
[ "$status" -eq 0 ] || fail "the runs inside User-Mode Linux ended with $status"

# plain_8_3 IMAGE COUNT: the card's folder holds SD_F_000.MGR and songs 0 to COUNT - 1,
# each one directory entry of capitals with no long name beside it.
plain_8_3() {
  local listing expected
  listing=$(mdir -i "$1" "::/$outdir_rel" | grep -v '^ *\.\{1,2\} ' | grep '[0-9]:[0-9][0-9]')
  expected=$( (echo 'SD_F_000 MGR'; for ((k = 0; k < $2; k++)); do printf 'SDS_%04d 3G2\n' "$k"; done) | sort)
  diff <(echo "$listing" | cut -c1-12 | sort) <(echo "$expected") >/dev/null ||
    fail "$1 holds $(echo "$listing" | cut -c1-12 | tr '\n' ',') instead of $(echo "$expected" | tr '\n' ',')"
  if echo "$listing" | grep -q '[0-9]:[0-9][0-9] \+[^ ]'; then
    fail "$1 has long-name entries: $(echo "$listing" | grep '[0-9]:[0-9][0-9] \+[^ ]' | tr '\n' ',')"
  fi
}
plain_8_3 "$work/card.img" 7
plain_8_3 "$work/lower.img" 10
finish
