#!/bin/bash
# The FAT32 runs, inside User-Mode Linux (fat32_test.sh starts it): fat32_runs.sh CLI SONGS.
# The cards are the block devices ubda (the card), ubdb (a fresh card for the full runs to
# compare with) and ubdc (a card mounted with shortname=lower), mounted as a desktop
# mounts a card.
CLI=$1 SONGS=$2 WORK=$PWD
. "$(dirname "$0")/card_lib.sh"

card_options=utf8,shortname=mixed,flush
mkdir -p card fresh lower backup
mount -t vfat -o "$card_options" /dev/ubda card || { echo "FAIL: ubda does not mount"; exit 1; }
mount -t vfat -o "$card_options" /dev/ubdb fresh || { echo "FAIL: ubdb does not mount"; exit 1; }

three_runs "$WORK/card" "$WORK/fresh" "$WORK/backup"

# fat_entry_offset DEVICE CLUSTER COPY: where FAT copy COPY holds CLUSTER's entry.
fat_entry_offset() {
  local sector reserved fat_sectors
  sector=$(od -An -tu2 -j11 -N2 "$1" | tr -d ' ')
  reserved=$(od -An -tu2 -j14 -N2 "$1" | tr -d ' ')
  fat_sectors=$(od -An -tu4 -j36 -N4 "$1" | tr -d ' ')
  echo $(((reserved + $3 * fat_sectors) * sector + 4 * $2))
}

# The card turns read-only in the middle of a run: a file whose cluster chain leads off
# the card is deleted by the run's cleanup, the driver finds the broken chain and remounts
# the card read-only (errors=remount-ro), as a worn card does. The run must fail, say so,
# and lose nothing; after a check of the card the next run must complete.
note "the card turns read-only during the cleanup"
echo "a note the phone left" >"card/$outdir_rel/NOTE.TXT"
umount card
cluster=$(mshowfat -i /dev/ubda "::/$outdir_rel/NOTE.TXT" | grep -o '<[0-9]*' | tr -d '<')
for copy in 0 1; do
  printf '\xf0\xff\xff\x0f' | dd of=/dev/ubda bs=1 seek="$(fat_entry_offset /dev/ubda "$cluster" $copy)" \
    conv=notrunc status=none
done
mount -t vfat -o "$card_options,errors=remount-ro" /dev/ubda card
{ hashes "card/$outdir_rel"; songs_of 8 2 9 5 10 1 11 | xargs sha256sum | cut -c1-64; } | sort -u >wanted
mapfile -t songs < <(songs_of 8 2 9 5 10 1 11)
status=0
output_run readonly card backup "${songs[@]}" || status=$?
grep -q ' ro,' <(grep " $WORK/card " /proc/mounts) || fail "the card did not turn read-only"
[ "$status" -eq 1 ] && [ "$(json_value readonly.json result)" = failed ] ||
  fail "a run on a card turned read-only: exit $status, $(cat readonly.json)"
[ -s readonly.err ] || fail "a run on a card turned read-only says nothing"
nothing_lost wanted "card/$outdir_rel" backup
note "message: $(tail -n 1 readonly.err)"

umount card
fsck.fat -a /dev/ubda >fsck.log 2>&1
mount -t vfat -o "$card_options" /dev/ubda card
checked_run recovered "$WORK/card" "$WORK/fresh" "$WORK/backup" 8 2 9 5 10 1 11
nothing_lost wanted "card/$outdir_rel" backup

# shortname=lower shows the program's names in small letters, as the phone's own files
# show; the runs must still find and move their own songs instead of writing them again.
note "a card mounted with shortname=lower"
umount fresh
mount -t vfat -o "$card_options" /dev/ubdb fresh
mount -t vfat -o utf8,shortname=lower,flush /dev/ubdc lower
written_bytes() { echo $(($(awk '{print $7}' /sys/block/ubdc/stat) * 512)); }
fold_case=1 # the names differ only in case here
checked_run lower1 "$WORK/lower" "$WORK/fresh" "$WORK/backup" 1 2 3 4 5 6 7 8 9 10
[ "$(ls "lower/$outdir_rel" | head -n 1)" = sd_f_000.mgr ] ||
  fail "shortname=lower shows $(ls "lower/$outdir_rel" | head -n 1), not sd_f_000.mgr"
sync
before=$(written_bytes)
checked_run lower2 "$WORK/lower" "$WORK/fresh" "$WORK/backup" 10 9 8 7 6 5 4 3 2 1
sync
song_bytes=$(songs_of 1 2 3 4 5 6 7 8 9 10 | xargs cat | wc -c)
moved=$(($(written_bytes) - before))
[ "$moved" -lt $((song_bytes / 2)) ] ||
  fail "a reordering run wrote $moved bytes for $song_bytes bytes of songs: its own songs were not recognised"
mapfile -t songs < <(songs_of 10 9 8 7 6 5 4 3 2 1)
verifies "$WORK/lower" "${songs[@]}"
imports_titles "$WORK/lower" 10 9 8 7 6 5 4 3 2 1

umount card fresh lower
finish
