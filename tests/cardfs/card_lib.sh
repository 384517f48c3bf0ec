# Checks of output runs on a mounted card, shared by the FAT32 runs inside User-Mode Linux
# and the exFAT runs on the host. Sourced; the caller sets CLI (tarvello-cli), WORK (a
# folder off the card) and SONGS (the songs made by make_songs).
#
# Every check prints "FAIL: ..." and counts the failure instead of stopping, so one run
# reports all that is wrong with a card; the caller ends with `finish`.

failures=0
outdir_rel=PRIVATE/AU/DF/D_SD

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

note() { echo "-- [${SECONDS}s] $*"; }

finish() {
  if [ "$failures" -eq 0 ]; then
    echo "PASS"
    return 0
  fi
  echo "$failures check(s) failed"
  return 1
}

# make_songs FOLDER COUNT: COUNT small AAC songs with their own tone and title, movie box
# first, as a tagger leaves them.
make_songs() {
  local folder=$1 count=$2 i
  mkdir -p "$folder"
  for ((i = 1; i <= count; i++)); do
    ffmpeg -hide_banner -loglevel error -y -f lavfi \
      -i "sine=frequency=$((200 + 37 * i)):duration=4" -c:a aac -b:a 48k -ac 1 -ar 22050 \
      -f ipod -movflags +faststart -metadata title="Song $(printf %02d "$i")" \
      -metadata artist="Card Test" "$folder/$(printf %02d "$i").m4a" || return 1
  done
}

# songs_of N...: the paths of songs N... (by number), one per line.
songs_of() {
  local n
  for n in "$@"; do printf '%s/%02d.m4a\n' "$SONGS" "$n"; done
}

# run_cli NAME ARGS...: runs tarvello-cli, keeping its last JSON line in $WORK/NAME.json and
# its messages in $WORK/NAME.err; returns its exit status. The checks use shell builtins
# where they can: a fork costs much more inside User-Mode Linux than on the host.
run_cli() {
  local name=$1 status=0 line last=
  shift
  "$CLI" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" || status=$?
  while IFS= read -r line; do last=$line; done <"$WORK/$name.out"
  printf '%s\n' "$last" >"$WORK/$name.json"
  return "$status"
}

# json_value FILE KEY: a plain value of the JSON object in FILE (quotes dropped).
json_value() {
  local line=
  IFS= read -r line <"$1" || true
  [[ $line =~ \"$2\":\"?([^\",}]*) ]] && echo "${BASH_REMATCH[1]}"
}

# now: the time in seconds.
now() { printf '%(%s)T\n' -1; }

# output_run NAME CARD BACKUP SONG...: an output run with backup and verify on.
output_run() {
  local name=$1 card=$2 backup=$3
  shift 3
  run_cli "$name" output --root "$card" --backup-dir "$backup" --no-convert "$@"
}

# expect_completed NAME STATUS: the run ended well and verified what it wrote.
expect_completed() {
  local name=$1 status=$2
  if [ "$status" -ne 0 ] || [ "$(json_value "$WORK/$name.json" result)" != completed ] ||
    [ "$(json_value "$WORK/$name.json" verified)" != true ]; then
    fail "$name: exit $status, $(cat "$WORK/$name.json"); $(tail -n 3 "$WORK/$name.err")"
    return 1
  fi
}

# digest FOLDER: one line per file, its content hash and its name, in the byte order of
# the names; the names in capitals when fold_case is set (a FAT card mounted with
# shortname=lower shows its 8.3 names in small letters). One process per folder: forks
# are dear inside User-Mode Linux.
digest() {
  (cd "$1" && sha256sum -- *) |
    if [ -n "${fold_case:-}" ]; then tr '[:lower:]' '[:upper:]'; else cat; fi | LC_ALL=C sort -k2
}

# same_folder A B: the same names and the same bytes in each file.
same_folder() {
  diff <(digest "$1") <(digest "$2") >"$WORK/folders.diff" ||
    fail "$1 and $2 differ: $(tr '\n' ' ' <"$WORK/folders.diff")"
}

# matches_fresh_card NAME CARD FRESH SONG...: the card's folder is byte for byte what a
# full run of the same songs writes onto an empty card.
matches_fresh_card() {
  local name=$1 card=$2 fresh=$3 status=0
  shift 3
  rm -rf "${fresh:?}/PRIVATE"
  run_cli "$name-fresh" output --root "$fresh" --no-backup --no-convert "$@" || status=$?
  expect_completed "$name-fresh" "$status" || return 1
  same_folder "$card/$outdir_rel" "$fresh/$outdir_rel"
}

# times_step_back CARD COUNT START END: song k was stamped 2 s before song k - 1, the
# first one within the run (FAT keeps even seconds).
times_step_back() {
  local folder=$1/$outdir_rel count=$2 start=$3 end=$4 k=0 first name time
  while read -r name time; do
    [ "$k" -gt 0 ] || first=$time
    [ "$time" -eq $((first - 2 * k)) ] ||
      fail "$name has time $time, not $((first - 2 * k)) (2 s per song before the first)"
    k=$((k + 1))
  done < <(cd "$folder" && stat -c '%n %Y' -- $(printf 'SDS_%04d.3G2 ' $(seq 0 $((count - 1)))))
  [ "$k" -eq "$count" ] || fail "$k of $count songs have a time"
  if [ "${first:-0}" -lt $((start - 2)) ] || [ "${first:-0}" -gt "$end" ]; then
    fail "SDS_0000.3G2 has time ${first:-none}, the run lasted from $start to $end"
  fi
}

# imports_titles CARD N...: the import of the card's folder lists songs N... in order.
imports_titles() {
  local card=$1 status=0 expected
  shift
  run_cli import folder "$card/$outdir_rel" || status=$?
  [ "$status" -eq 0 ] || fail "folder import: exit $status, $(cat "$WORK/import.err")"
  expected=$(printf 'Song %02d\n' "$@")
  diff <(grep -o '"Title":"[^"]*"' "$WORK/import.out" | cut -d'"' -f4) <(echo "$expected") \
    >/dev/null || fail "the import lists $(grep -o '"Title":"[^"]*"' "$WORK/import.out" |
      cut -d'"' -f4 | tr '\n' ',') instead of $(echo "$expected" | tr '\n' ',')"
}

# verifies CARD SONG...: tarvello-cli verify finds the card as an output of the songs.
verifies() {
  local card=$1 status=0
  shift
  run_cli verify verify --root "$card" "$@" || status=$?
  [ "$status" -eq 0 ] && [ "$(json_value "$WORK/verify.json" verified)" = true ] ||
    fail "verify: exit $status, $(cat "$WORK/verify.json")"
}

# hashes FOLDER...: the content hashes of the files below the folders, one per line.
hashes() {
  find "$@" -type f -exec sha256sum {} + 2>/dev/null | cut -d' ' -f1 | sort -u
}

# nothing_lost WANTED_HASHES FOLDER...: every wanted content is in one of the folders.
nothing_lost() {
  local wanted=$1 missing
  shift
  missing=$(comm -23 "$wanted" <(hashes "$@") | wc -l)
  [ "$missing" -eq 0 ] || fail "$missing song(s) are neither on the card nor in a backup"
}

# snapshot CARD: the card folder's names, sizes and times, and the hashes of its files.
snapshot() {
  (cd "$1/$outdir_rel" && stat -c '%n %s %Y' -- * && sha256sum -- *)
}

# checked_run NAME CARD FRESH BACKUP N...: an output run of songs N..., then the card
# against a full run onto a fresh card, and the songs' times.
checked_run() {
  local name=$1 card=$2 fresh=$3 backup=$4 status=0 start end
  shift 4
  local songs
  mapfile -t songs < <(songs_of "$@")
  note "$name: songs $*"
  start=$(now)
  output_run "$name" "$card" "$backup" "${songs[@]}" || status=$?
  end=$(now)
  expect_completed "$name" "$status" || return 1
  times_step_back "$card" $# "$start" "$end"
  matches_fresh_card "$name" "$card" "$fresh" "${songs[@]}"
}

# three_runs CARD FRESH BACKUP: three runs with songs added in the middle, removed and
# reordered, each as a full run writes it; then verify, the import of the card's folder,
# and a restore of the last backup with its files' own times.
three_runs() {
  local card=$1 fresh=$2 backup=$3 status=0 newest
  checked_run run1 "$card" "$fresh" "$backup" 1 2 3 4 5 6 7 8 || return 1
  checked_run run2 "$card" "$fresh" "$backup" 1 2 3 4 9 10 5 6 7 8 || return 1
  snapshot "$card" >"$WORK/after-run2"
  checked_run run3 "$card" "$fresh" "$backup" 8 2 9 5 10 1 11 || return 1

  mapfile -t songs < <(songs_of 8 2 9 5 10 1 11)
  verifies "$card" "${songs[@]}"
  imports_titles "$card" 8 2 9 5 10 1 11

  note "restore of the backup made before run3"
  run_cli backups backups --backup-dir "$backup" || fail "backups: $(cat "$WORK/backups.err")"
  newest=$(head -n 1 "$WORK/backups.out" | grep -o '"name":"[^"]*"' | cut -d'"' -f4)
  run_cli restore restore --root "$card" --backup-dir "$backup" "$newest" || status=$?
  [ "$status" -eq 0 ] || fail "restore of $newest: exit $status, $(cat "$WORK/restore.err")"
  diff "$WORK/after-run2" <(snapshot "$card") >"$WORK/restore.diff" ||
    fail "the restored folder is not the folder after run2: $(head -n 4 "$WORK/restore.diff")"
  mapfile -t songs < <(songs_of 1 2 3 4 9 10 5 6 7 8)
  verifies "$card" "${songs[@]}"
}

# stopped_at TRACE: waits until strace's log TRACE says that the program has stopped, for
# at most a minute, and prints the stopped process's id.
stopped_at() {
  local line tries=0
  while ((tries++ < 1200)); do
    while IFS= read -r line; do
      [[ $line =~ ^([0-9]+)\ +---\ stopped\ by\ SIGSTOP ]] && echo "${BASH_REMATCH[1]}" && return 0
    done <"$1"
    sleep 0.05
  done
  return 1
}

# read_only_mid_run NAME CARD BACKUP SONG...: an output run during which the card turns
# read-only: strace stops the program after its third rename (parking the card's songs),
# the card is remounted read-only, the program goes on. The run must fail, say so, and
# lose no song from the card or the backup; the card is then remounted read-write.
read_only_mid_run() {
  local name=$1 card=$2 backup=$3 status=0 tracer program
  shift 3
  { hashes "$card/$outdir_rel"; sha256sum "$@" | cut -c1-64; } | sort -u >"$WORK/wanted"
  : >"$WORK/$name.trace"
  strace -f -o "$WORK/$name.trace" -e trace=rename,renameat,renameat2 \
    -e inject=rename,renameat,renameat2:signal=STOP:when=3 \
    "$CLI" output --root "$card" --backup-dir "$backup" --no-convert "$@" \
    >"$WORK/$name.out" 2>"$WORK/$name.err" &
  tracer=$!
  if stopped_at "$WORK/$name.trace" >/dev/null; then
    mount -o remount,ro "$card" || fail "$card could not be remounted read-only"
  else
    fail "$name: the program never stopped after its third rename"
  fi
  # strace stops the third call of each rename call the program makes: every stop is let
  # go until the program ends.
  while kill -0 "$tracer" 2>/dev/null; do
    for program in $(pgrep -P "$tracer"); do kill -CONT "$program"; done
    sleep 0.1
  done
  wait "$tracer" || status=$?
  tail -n 1 "$WORK/$name.out" >"$WORK/$name.json"
  [ "$status" -eq 1 ] && [ "$(json_value "$WORK/$name.json" result)" = failed ] ||
    fail "$name: a run on a card turned read-only: exit $status, $(cat "$WORK/$name.json")"
  [ -s "$WORK/$name.err" ] || fail "$name: a run on a card turned read-only says nothing"
  note "$name says: $(tail -n 1 "$WORK/$name.err")"
  nothing_lost "$WORK/wanted" "$card/$outdir_rel" "$backup"
  mount -o remount,rw "$card"
}
