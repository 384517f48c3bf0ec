#!/usr/bin/env bash
# Remakes data/screenshots/main-window.png from the real program: a few tagged songs are
# generated, the program is started under Xvfb and openbox, the songs are added through
# its add dialog, and the window is captured with its frame once the picture is steady.
#
# Usage: scripts/screenshot.sh [BUILD_DIR]   (default: build; the program is built there
#        when it is missing)
# Needs Xvfb, openbox, xdotool, xprop, xwininfo and ffmpeg (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
output=data/screenshots/main-window.png

for tool in Xvfb openbox xdotool xprop xwininfo ffmpeg; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is not installed" >&2; exit 1; }
done
if [ ! -x "$build/tarvello" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVELLO_BUILD_TESTS=OFF
  cmake --build "$build" -j"$(nproc)" --target tarvello
fi

work=$(mktemp -d /tmp/tarvello-screenshot-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to ten seconds for the command to succeed.
wait_for() {
  for _ in $(seq 100); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "screenshot.sh: gave up waiting for: $*" >&2
  return 1
}

# Songs as a music library application writes them: AAC in M4A, movie box first.
mkdir "$work/songs"
song() {
  local file=$1 seconds=$2 frequency=$3
  shift 3
  ffmpeg -loglevel error -f lavfi -i "sine=frequency=$frequency:duration=$seconds" \
    -c:a aac -b:a 128k -movflags +faststart "$@" "$work/songs/$file"
}
song 01.m4a 214 440 -metadata title="春の海" -metadata artist="宮城道雄" \
  -metadata album="日本の音" -metadata genre="邦楽" -metadata date=1929 -metadata track=1/4
song 02.m4a 187 494 -metadata title="Morning Train" -metadata artist="The Oscillators" \
  -metadata album="Test Tones" -metadata genre="Rock" -metadata date=2004 -metadata track=3/12
song 03.m4a 251 523 -metadata title="夜明けの街" -metadata artist="佐藤 花子" \
  -metadata album="街の歌" -metadata genre="J-Pop" -metadata date=2019 -metadata track=2/10
song 04.m4a 162 587 -metadata title="Faststart Tone" -metadata artist="Tarvello Test Band" \
  -metadata album="Fixtures" -metadata genre="Electronic" -metadata date=2021 -metadata track=5/9

# The program keeps its settings beside itself: a copy runs with a window of a set size.
cp "$build/tarvello" "$work/tarvello"
printf ';Initialize File for Tarvello\r\n\r\n[SIZE]\r\nHEIGHT = 340\r\nWIDTH = 860\r\n\r\n[POSITION]\r\nTOP = 0\r\nLEFT = 0\r\n\r\n[COLUMNWIDTH]\r\nCOL00 = 150\r\n' \
  >"$work/tarvello.INI"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
wait_for test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")"
wait_for xprop -root
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

(cd "$work" && LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb ./tarvello >"$work/program.log" 2>&1) &
pids+=($!)
window=$(xdotool search --sync --onlyvisible --name '^Tarvello$' | head -n1)

# The add dialog (Ctrl+O): the folder first, then its songs by name.
xdotool windowactivate --sync "$window" key --clearmodifiers ctrl+o
dialog=$(xdotool search --sync --onlyvisible --name '^追加$' | head -n1)
xdotool windowactivate --sync "$dialog"
xdotool type --delay 20 "$work/songs/"
xdotool key Return
xdotool type --delay 20 '"01.m4a" "02.m4a" "03.m4a" "04.m4a"'
xdotool key Return
wait_for sh -c "! xdotool search --onlyvisible --name '^追加$'"
xdotool windowactivate --sync "$window"

# The window's outer rectangle, its frame included.
read -r x y < <(xwininfo -id "$window" |
  awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
read -r w h < <(xwininfo -id "$window" | awk '/^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w, h}')
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
capture() {
  ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size "$((w + left + right))x$((h + top + bottom))" \
    -i "$DISPLAY+$((x - left)),$((y - top))" -frames:v 1 "$1"
}

# The rows are read and drawn once the picture stops changing.
capture "$work/a.png"
for _ in $(seq 50); do
  sleep 0.2
  capture "$work/b.png"
  cmp -s "$work/a.png" "$work/b.png" && break
  mv "$work/b.png" "$work/a.png"
done
mkdir -p "$(dirname "$output")"
cp "$work/a.png" "$output"
echo "wrote $output"
