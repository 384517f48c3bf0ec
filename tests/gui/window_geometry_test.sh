#!/usr/bin/env bash
# The main window under a real X server and window manager (Xvfb and openbox): started
# and closed three times, it comes back exactly where and as large as it was, and the
# settings file does not change. A first start is two thirds of the available area,
# centred in it, also when a panel takes the top of the screen.
#
# Usage: window_geometry_test.sh PROGRAM
# Exit status 77 (skipped) when Xvfb, openbox, xdotool or xprop is missing.
set -euo pipefail

program=$1
for tool in Xvfb openbox xdotool xprop xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (packages xvfb, openbox, xdotool, x11-utils)"
    exit 77
  fi
done

# The X libraries (D-Bus among them) keep allocations to the end; the window's own
# leaks are checked by the offscreen tests.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d /tmp/tarvello-geometry-XXXXXX)
xvfb_pid=
wm_pid=
app_pid=
cleanup() {
  [ -n "${KEEP_LOGS:-}" ] && cat "$work"/*.log
  for pid in $app_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  exit 1
}

# The settings file lands beside the executable, so the program runs from a copy.
cp "$program" "$work/tarvello"
ini="$work/tarvello.INI"

# Starts Xvfb on a display number of its own and waits until the display answers.
start_display() {
  rm -f "$work/display"
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(head -n1 "$work/display")"
  for _ in $(seq 100); do
    xprop -root >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

stop_display() {
  for pid in $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  wm_pid=
  xvfb_pid=
}

# Starts openbox with a top margin of $1 pixels, standing in for a panel, and waits
# until it answers and announces the work area that leaves.
start_window_manager() {
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid"
    wait "$wm_pid" 2>/dev/null || true
    wm_pid=
  fi
  xprop -root -remove _NET_SUPPORTING_WM_CHECK 2>/dev/null || true
  xprop -root -remove _NET_WORKAREA 2>/dev/null || true
  sed "0,/<top>0<\/top>/s//<top>$1<\/top>/" /etc/xdg/openbox/rc.xml >"$work/rc.xml"
  openbox --config-file "$work/rc.xml" >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 300); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" &&
      xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= 0, $1, "; then
      return 0
    fi
    kill -0 "$wm_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The display and the window manager with a top margin of $1 pixels. A start that fails
# (a display that does not answer, a window manager that ends at once) is tried once more
# on a fresh display before the test gives up: nothing has been judged yet.
start_desktop() {
  local attempt
  for attempt in 1 2; do
    if { [ -n "$xvfb_pid" ] || start_display; } && start_window_manager "$1"; then
      return 0
    fi
    echo "the display or openbox did not start (attempt $attempt)"
    cat "$work/xvfb.log" "$work/openbox.log" 2>/dev/null || true
    stop_display
  done
  fail "openbox did not start"
}

# The window's outer rectangle as the X server and the window manager see it:
# "left top width height", the frame extents added to the inside.
outer_rectangle() {
  local id=$1 x y w h extents l r t b
  x=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {print $NF}')
  y=$(xwininfo -id "$id" | awk '/Absolute upper-left Y/ {print $NF}')
  w=$(xwininfo -id "$id" | awk '/^ *Width:/ {print $NF}')
  h=$(xwininfo -id "$id" | awk '/^ *Height:/ {print $NF}')
  extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  read -r l r t b <<<"$extents"
  echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# Starts the program, waits until its window has settled, records the outer rectangle
# in $rectangle, and closes the window through the window manager (Alt+F4).
run_once() {
  (cd "$work" && LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb ./tarvello >>"$work/program.log" 2>&1) &
  app_pid=$!
  local id
  id=$(xdotool search --sync --onlyvisible --name '^Tarvello$' | head -n1)
  [ -n "$id" ] || fail "the window did not appear"
  # The placement follows the frame once the window manager has drawn it.
  local previous="" stable=0
  for _ in $(seq 150); do
    sleep 0.1
    rectangle=$(outer_rectangle "$id")
    if [ "$rectangle" = "$previous" ]; then
      stable=$((stable + 1))
      [ $stable -ge 10 ] && break
    else
      stable=0
      previous=$rectangle
    fi
  done
  if [ -n "${SCREENSHOT:-}" ] && command -v import >/dev/null; then
    import -window root "$SCREENSHOT"
  fi
  # A loaded machine may lose the key while the window manager is still busy with the
  # window: the close is asked again, for up to 30 s, while the program runs.
  local tick
  for tick in $(seq 300); do
    if [ $((tick % 50)) = 1 ]; then
      xdotool windowactivate --sync "$id" key --clearmodifiers alt+F4 2>/dev/null || true
    fi
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end when its window was closed"
  wait "$app_pid" || fail "the program ended with status $?"
  app_pid=
}

# Three starts over the settings file: the rectangle and the file stay as they are.
expect_three_starts() {
  local expected=$1 label=$2 first_ini
  for round in 1 2 3; do
    run_once
    [ "$rectangle" = "$expected" ] ||
      fail "$label, start $round: window at '$rectangle', expected '$expected'"
    [ -f "$ini" ] || fail "$label: no settings file was written"
    if [ "$round" = 1 ]; then
      first_ini=$(cat "$ini")
    elif [ "$(cat "$ini")" != "$first_ini" ]; then
      diff <(echo "$first_ini") "$ini" || true
      fail "$label, start $round: the settings file changed"
    fi
    echo "ok: $label, start $round: $rectangle"
  done
  grep -q "^HEIGHT = $(echo "$expected" | cut -d' ' -f4)"$'\r'"$" "$ini" ||
    fail "$label: HEIGHT is not the outer height"
  grep -q "^WIDTH = $(echo "$expected" | cut -d' ' -f3)"$'\r'"$" "$ini" ||
    fail "$label: WIDTH is not the outer width"
}

write_ini() {
  printf ';Initialize File for Tarvello\r\n\r\n[SIZE]\r\nHEIGHT = %s\r\nWIDTH = %s\r\n\r\n[POSITION]\r\nTOP = %s\r\nLEFT = %s\r\n' \
    "$1" "$2" "$3" "$4" >"$ini"
}

start_desktop 0

# First start: 682 x 512 centred on 1024 x 768.
rm -f "$ini"
expect_three_starts "171 128 682 512" "first start"

# A remembered rectangle comes back exactly.
write_ini 600 1000 40 12
expect_three_starts "12 40 1000 600" "remembered 1000 x 600"

# A 32-pixel panel at the top: the available area is 1024 x 736 from top 32; the
# window is 682 x 490, centred in it.
start_desktop 32
rm -f "$ini"
SCREENSHOT=${TARVELLO_SCREENSHOT:-} expect_three_starts "171 155 682 490" "top panel"

echo "PASSED"
