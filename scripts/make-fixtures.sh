#!/usr/bin/env bash
# Remakes the small real M4A files the reader's tests read, with ffmpeg and
# AtomicParsley: short sine tones at a low bit rate, tagged in the ways real files are.
# The tests check the values these tools wrote, so remaking the files with other tool
# versions may need the expected encoder names in tests/catalogue/m4a_fixture_test.cpp
# updated.
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/data/m4a
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# tone FREQUENCY SECONDS FFMPEG-OUTPUT-ARGS...
tone() {
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "sine=frequency=$1:duration=$2" \
    -c:a aac -b:a 24k -ac 1 -ar 22050 "${@:3}"
}

# ffmpeg's own layout puts the movie box after the media data: refused.
tone 440 2 -f ipod "$out/movie_after_media.m4a"

# The movie box first, tagged by ffmpeg; its sample-group box needs the walk's care.
tone 523 2 -f ipod -movflags +faststart \
  -metadata title="Faststart Tone" -metadata artist="Tarvello Tests" \
  -metadata album="Fixtures" -metadata date="2021" -metadata track="5/9" \
  -metadata genre="Electronic" -metadata comment="made by ffmpeg" \
  "$out/faststart.m4a"

# Every tag the reader stores, written by AtomicParsley (which also moves the movie box
# to the front and pads the tags with free boxes).
tone 660 3 -f ipod "$work/tagged.m4a"
AtomicParsley "$work/tagged.m4a" -o "$out/tagged.m4a" \
  --title "Sine in A" --artist "The Oscillators" --album "Test Tones" \
  --genre "Rock" --year "2004-05-17T07:00:00Z" --tracknum 3/12 --disk 1/2 \
  --bpm 120 --composer "J. Fourier" --grouping "Calibration" \
  --comment "A pure tone for tests" --compilation true >/dev/null

# Japanese texts in UTF-8, as the tagger writes them, and a genre that is not a number.
tone 392 1 -f ipod "$work/japanese.m4a"
AtomicParsley "$work/japanese.m4a" -o "$out/japanese.m4a" \
  --title "春の海" --artist "宮城道雄" --album "日本の音" --genre "邦楽" \
  --comment "お正月によく流れる箏と尺八の二重奏です。" >/dev/null

# The faststart file cut inside its media data: refused.
size=$(stat -c %s "$out/faststart.m4a")
head -c $((size - 700)) "$out/faststart.m4a" >"$out/cut_short.m4a"

# A plain MP4 (major brand isom): refused.
tone 440 1 -f mp4 -metadata title="Not M4A" "$out/isom_brand.m4a"

ls -l "$out"
