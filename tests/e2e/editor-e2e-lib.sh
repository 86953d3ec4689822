# Shared pieces of the editor's end-to-end scripts: an Xvfb of its own, waiting for windows by
# name, giving a window the keyboard, reading colours back from screenshots, dragging, and
# quitting the editor. Sourced with $out (the output folder) set; the caller sets editor_pid
# when it starts the editor.

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The settings go under each script's HOME ($HOME/.config/panomer).
unset XDG_CONFIG_HOME
# Leaves the main window where the scripts' coordinates expect it, as if a user had left it
# there: its content 780 x 400 at (32, 64). (A first start would open it at four fifths of the
# screen.) $1 is the HOME the editor will run with.
seed_window_place() {
  mkdir -p "$1/.config/panomer"
  printf '"main_window_location"\t"32 64"\n"main_window_shape"\t"780 400"\n' >"$1/.config/panomer/user.settings"
}

xvfb_pid=""
editor_pid=""
cleanup() {
  [[ -n "$editor_pid" ]] && kill -9 "$editor_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number: no race with other servers starting.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/display" >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -s "$out/display" ]] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$out/display")"
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "editor e2e: Xvfb did not start" >&2; cat "$out/xvfb.log" >&2; exit 1; }
  # For builds with the address sanitizer: leaks of system libraries are not ours to report.
  export LSAN_OPTIONS="suppressions=$here/tests/e2e/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
}

abort() {
  echo "editor e2e: $*" >&2
  import -window root "$out/zz-aborted.png" 2>/dev/null || true
  echo "---- editor log" >&2
  cat "$out/editor.log" >&2
  exit 1
}
# Prints the id of the window with this exact name once it shows (is mapped: a window that
# exists but is not yet on the screen cannot take the keyboard), waiting up to $2 seconds.
wait_for_window() {
  local name=$1 seconds=$2 id=""
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1 || true)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    kill -0 "$editor_pid" 2>/dev/null || abort "the editor ended while waiting for \"$name\""
    sleep 0.1
  done
  abort "no window \"$name\" after $seconds s"
}
wait_window_gone() {
  local name=$1 seconds=$2
  for _ in $(seq $((seconds * 10))); do
    xdotool search --name "^$name\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  abort "the window \"$name\" is still open after $seconds s"
}
# Whether a window with this exact name is open now.
window_open() { xdotool search --name "^$1\$" >/dev/null 2>&1; }
# Without a window manager nothing gives a window the keyboard: xdotool does what one would.
give_keys() { timeout 5 xdotool windowfocus --sync "$1" || xdotool windowfocus "$1"; }
# The screen's pixels of one colour ("#RRGGBB") in the 15 x 15 box around screen point (x, y).
count_colour() {
  convert "$1" -crop "15x15+$(($2 - 7))+$(($3 - 7))" txt:- | grep -c "$4" || true
}
# Waits up to 5 s for the box around (x, y) to hold at least `least` pixels of the colour.
expect_colour() {
  local name=$1 x=$2 y=$3 colour=$4 least=$5 got=0
  for _ in $(seq 25); do
    import -window root "$out/$name.png"
    got=$(count_colour "$out/$name.png" "$x" "$y" "$colour")
    ((got >= least)) && { echo "ok   $name: $got pixels of $colour around ($x,$y)"; return 0; }
    sleep 0.2
  done
  fail "$name: $got pixels of $colour around ($x,$y), expected at least $least"
}
# Drags with the left button from (x0, y0) to (x1, y1) in eight steps.
drag() {
  local x0=$1 y0=$2 x1=$3 y1=$4
  xdotool mousemove "$x0" "$y0" mousedown 1
  for i in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((x0 + (x1 - x0) * i / 8)) $((y0 + (y1 - y0) * i / 8))
    sleep 0.03
  done
  xdotool mouseup 1
}
# Sets left, top, win_width, win_height, strip, cx, cy for the main window $1: its client area,
# the menu strip's height and the canvas's centre. The
# content area is 780 x 400 below the menu strip; the canvas sits in the right column of the main
# layer, from x = 279 to the width - 17 and from y = 36 to the height - 32.
measure_window() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  left=$X
  top=$Y
  win_width=$WIDTH
  win_height=$HEIGHT
  strip=$((HEIGHT - 400))
  ((strip > 0 && strip < 60)) || abort "unexpected window size ${WIDTH}x$HEIGHT"
  cx=$((left + (279 + WIDTH - 17) / 2))
  cy=$((top + strip + (36 + 400 - 32) / 2))
}
# Ctrl+Q in the main window $1; a save prompt, if one comes (any window besides the main one,
# whose own title may read "Quor Panomer" too), is answered with No. Fails unless the editor ends
# with status 0 within 10 s. Once the editor is gone the server may reset, so nothing here may
# fail on a closed display.
quit_editor() {
  give_keys "$1" || true
  xdotool key ctrl+q || true
  local status="" prompt
  for _ in $(seq 100); do
    if ! kill -0 "$editor_pid" 2>/dev/null; then
      status=0
      wait "$editor_pid" || status=$?
      editor_pid=""
      break
    fi
    prompt=$(xdotool search --onlyvisible --name '.' 2>/dev/null | grep -vx "$1" | tail -n 1 || true)
    if [[ -n "$prompt" ]]; then
      import -window root "$out/zz-quit-prompt.png" 2>/dev/null || true
      give_keys "$prompt" 2>/dev/null || true
      xdotool key n 2>/dev/null || true
    fi
    sleep 0.1
  done
  if [[ -z "$status" ]]; then
    import -window root "$out/zz-still-running.png" 2>/dev/null || true
    fail "the editor still runs 10 s after Ctrl+Q"
  elif [[ "$status" -ne 0 ]]; then
    fail "the editor ended with status $status"
  else
    echo "ok   quit"
  fi
}
# The summary line and the exit status.
finish() {
  echo "screenshots and files in $out (${SECONDS}s)"
  if ((failures > 0)); then
    echo "---- editor log" >&2
    cat "$out/editor.log" >&2
    echo "editor e2e: $failures check(s) failed" >&2
    exit 1
  fi
  echo "editor e2e: all checks passed"
}
