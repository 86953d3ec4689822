#!/usr/bin/env bash
# End-to-end check of the framework on a real X server: checks under Xvfb that X errors do not
# end a program, starts quor-demo, drives it with xdotool (a move, a click, a key, a drop, a
# resize and a close request) and checks the screen by reading pixels back from screenshots.
# Then starts quor-gallery, screenshots each of its tabs, and works its menus and its save
# dialog with the keyboard and the mouse.
#   tests/e2e/run-e2e.sh [build-dir]     (default: build)
# Screenshots and the demo's output are kept in <build-dir>/e2e/ for inspection.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
demo="$build/demo/quor-demo/quor-demo"
gallery="$build/demo/quor-gallery/quor-gallery"
tool="$build/tests/e2e/quor-x11-tool"
sdl_tests="$build/tests/toolkit/framework/framework_sdl_tests"
out="$build/e2e"

for need in Xvfb xdotool import convert; do
  command -v "$need" >/dev/null || { echo "e2e: $need is not installed (scripts/deps.sh installs it)" >&2; exit 1; }
done
[[ -x "$demo" && -x "$tool" && -x "$gallery" && -x "$sdl_tests" ]] || {
  echo "e2e: build quor-demo, quor-gallery, quor-x11-tool and framework_sdl_tests first" \
    "($demo, $gallery, $tool, $sdl_tests)" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/home"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A display number nobody uses.
display=""
for n in $(seq 90 120); do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=":$n"; break; fi
done
[[ -n "$display" ]] || { echo "e2e: no free display number" >&2; exit 1; }

xvfb_pid=""
demo_pid=""
gallery_pid=""
cleanup() {
  [[ -n "$demo_pid" ]] && kill "$demo_pid" 2>/dev/null || true
  [[ -n "$gallery_pid" ]] && kill -9 "$gallery_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "e2e: Xvfb did not start" >&2; cat "$out/xvfb.log" >&2; exit 1; }

# For builds with the address sanitizer: leaks of system libraries are not ours to report.
export LSAN_OPTIONS="suppressions=$here/tests/e2e/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# The SDL host's checks that need a real X server: a request for a window that has just closed
# brings an X error, which must not end the program; a key held while the keyboard moves to
# another of the program's windows stays an auto-repeat there.
if "$sdl_tests" --gtest_filter='QuorSdlHost.X*' >"$out/x-host.log" 2>&1 &&
    grep -q '^\[  PASSED  \] 2 tests' "$out/x-host.log" && ! grep -q 'SKIPPED' "$out/x-host.log"; then
  echo "ok   X errors do not end the program; held keys stay repeats"
else
  fail "SDL host on X: see $out/x-host.log"
  cat "$out/x-host.log" >&2
fi

HOME="$out/home" "$demo" >"$out/demo.log" 2>&1 &
demo_pid=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^Quor demo$' 2>/dev/null | head -n 1 || true)
  [[ -n "$window" ]] && grep -q '^ready' "$out/demo.log" && break
  sleep 0.1
done
[[ -n "$window" ]] || { echo "e2e: the demo window did not appear" >&2; cat "$out/demo.log" >&2; exit 1; }

# The client area's place on the screen and the menu strip's height (the content is 480 x 300).
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X
top=$Y
strip=$((HEIGHT - 300))
echo "window $window at $left,$top, ${WIDTH}x$HEIGHT, strip $strip"
(( strip > 0 && strip < 60 )) || fail "menu strip height $strip"

shot_number=0
# The colour "r,g,b" at content point (x, y) in a fresh screenshot named after the step.
pixel() {
  local name=$1 x=$2 y=$3
  import -window root "$out/$name.png"
  convert "$out/$name.png" -crop "1x1+$((left + x))+$((top + strip + y))" \
    -format '%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]' info:
}
# Waits up to 3 s for content point (x, y) to show "r,g,b" (each channel within 12).
expect() {
  local name=$1 x=$2 y=$3 want=$4 got=""
  shot_number=$((shot_number + 1))
  for _ in $(seq 30); do
    got=$(pixel "$(printf '%02d' $shot_number)-$name" "$x" "$y")
    if awk -F, -v a="$got" -v b="$want" 'BEGIN { split(a, p, ","); split(b, q, ",");
        for (i = 1; i <= 3; i++) { d = p[i] - q[i]; if (d < -12 || d > 12) exit 1 } }'; then
      echo "ok   $name: ($x,$y) is $got"
      return 0
    fi
    sleep 0.1
  done
  fail "$name: ($x,$y) is $got, expected $want"
}
expect_not() {
  local name=$1 x=$2 y=$3 unwanted=$4 got
  shot_number=$((shot_number + 1))
  sleep 0.3
  got=$(pixel "$(printf '%02d' $shot_number)-$name" "$x" "$y")
  if [[ "$got" == "$unwanted" ]]; then fail "$name: ($x,$y) is still $got"; else echo "ok   $name: ($x,$y) is $got"; fi
}
log_has() {
  local pattern=$1
  for _ in $(seq 30); do grep -q -- "$pattern" "$out/demo.log" && { echo "ok   log: $pattern"; return 0; }; sleep 0.1; done
  fail "the demo's log lacks \"$pattern\""
}
# Moves the pointer to content point (x, y).
point_at() { xdotool mousemove "$((left + $1))" "$((top + strip + $2))"; }

# Start: the strip above the content, the three swatches, the panel layer over the ball lane.
strip_colour=$(pixel 00-start 5 $((-strip / 2)))
awk -F, '{ exit !($3 > $1 + 20) }' <<<"$strip_colour" || fail "strip is $strip_colour, expected a blue bar"
expect start-red-swatch 40 50 "200,40,40"
expect start-panel 320 230 "250,240,200"
expect start-green-frame 113 37 "60,60,60"

# A move over the green swatch lights its frame.
point_at 150 50
expect hover-green-frame 113 37 "255,255,255"
log_has "hover green"

# A click on the red swatch swaps its colour.
point_at 40 50
xdotool click 1
expect click-red-swatch 40 50 "240,200,40"
log_has "click red button 1"

# A key colours the key panel.
point_at 200 250
xdotool key b
expect key-blue 250 148 "60,90,220"
log_has "key 98 modifiers 0"

# A file dropped at a point arrives with that point in window coordinates.
echo "dropped" >"$out/drop me.txt"
point_at 210 120
"$tool" drop "$window" "$out/drop me.txt" || fail "the drop helper failed"
expect drop-key-panel 250 148 "250,220,120"
log_has "drop $out/drop me.txt at 210,120"

# A resize moves the corner panel and stretches the strip and the lane.
xdotool windowsize "$window" 600 $((400 + strip))
log_has "resize 600x400"
expect resize-panel-moved 440 330 "250,240,200"
expect_not resize-old-panel-place 320 230 "250,240,200"
expect resize-strip-stretched 595 $((-strip / 2)) "$strip_colour"

# The window manager's close request closes the window, and the program ends by itself.
"$tool" close "$window"
for _ in $(seq 50); do kill -0 "$demo_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$demo_pid" 2>/dev/null; then
  fail "the demo still runs after the close request"
else
  status=0
  wait "$demo_pid" || status=$?
  demo_pid=""
  [[ $status -eq 0 ]] || fail "the demo ended with status $status"
fi
log_has "closed"

# ---- quor-gallery: every tab, a menu and the save dialog with the keyboard and the mouse ----
ghome="$out/gallery-home"
gdocs="$ghome/docs"
mkdir -p "$gdocs"
echo "keep" >"$gdocs/exists.qpm"
glog="$out/gallery.log"
# Started in the documents folder, where its save dialog then opens.
(cd "$gdocs" && HOME="$ghome" exec "$gallery") >"$glog" 2>&1 &
gallery_pid=$!
gwin=""
for _ in $(seq 100); do
  gwin=$(xdotool search --name '^Quor gallery$' 2>/dev/null | head -n 1 || true)
  [[ -n "$gwin" ]] && grep -q '^ready' "$glog" && break
  sleep 0.1
done
[[ -n "$gwin" ]] || { echo "e2e: the gallery window did not appear" >&2; cat "$glog" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$gwin")"
left=$X
top=$Y
# The gallery prints where its strip, menu titles and tabs are (window coordinates).
strip=$(awk '$1 == "strip" { print $2 }' "$glog")
row=$(awk '$1 == "menu-row" { print $2 }' "$glog")
file_left=$(awk '$1 == "menu" && $3 == "File" { print $4 }' "$glog")
echo "gallery $gwin at $left,$top, ${WIDTH}x$HEIGHT, strip $strip, menu rows $row"
(( strip > 0 && row > 0 )) || fail "the gallery printed no layout"
gallery_has() {
  local pattern=$1
  for _ in $(seq 30); do grep -q -- "$pattern" "$glog" && { echo "ok   gallery log: $pattern"; return 0; }; sleep 0.1; done
  fail "the gallery's log lacks \"$pattern\""
}
# Waits up to 3 s for a window with this exact name to appear (wanted 1) or go (wanted 0).
window_count() {
  local name=$1 wanted=$2 n=0
  for _ in $(seq 30); do
    n=$(xdotool search --name "^$name\$" 2>/dev/null | wc -l || true)
    if { (( wanted > 0 )) && (( n > 0 )); } || { (( wanted == 0 )) && (( n == 0 )); }; then
      echo "ok   window \"$name\": $n"
      return 0
    fi
    sleep 0.1
  done
  fail "window \"$name\": $n, expected $wanted"
}
# The named window's geometry as dx, dy, dw, dh.
dialog_geometry() {
  local id
  id=$(xdotool search --name "^$1\$" | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$id")"
  dx=$X; dy=$Y; dw=$WIDTH; dh=$HEIGHT
}

# Each tab: a click on it shows its page (the active tab is filled with the page colour).
while read -r _ index name tab_left tab_right tab_top tab_bottom; do
  point_at $(((tab_left + tab_right) / 2)) $(((tab_top + tab_bottom) / 2))
  xdotool click 1
  expect "gallery-tab-$name" $(((tab_left + tab_right) / 2)) $((tab_bottom - 2)) "243,244,240"
  import -window root -crop "${WIDTH}x${HEIGHT}+$left+$top" "$out/gallery-$index-$name.png"
done < <(awk '$1 == "tab"' "$glog")

# Mouse: a click on the File title opens its menu just below the strip; keyboard: Down twice
# lights the second item (Save...), Escape closes the menu.
menu_y=$((row / 2 + 2))
save_y=$((2 + row + row / 2))
point_at $((file_left + 12)) $((-strip / 2))
xdotool click 1
expect gallery-file-menu-open "$file_left" "$menu_y" "26,53,102"
xdotool key Down Down
expect gallery-menu-key-highlight $((file_left + 8)) "$save_y" "114,121,184"
import -window root "$out/gallery-menu.png"
xdotool key Escape
expect_not gallery-menu-escape "$file_left" "$menu_y" "26,53,102"

# Mouse: File, then Save... opens the save dialog. Its name field has the focus with the
# proposed name selected: typing replaces it, Return saves.
point_at $((file_left + 12)) $((-strip / 2))
xdotool click 1
expect gallery-file-menu-again "$file_left" "$menu_y" "26,53,102"
point_at $((file_left + 30)) "$save_y"
xdotool click 1
window_count Save 1
import -window root "$out/gallery-save-dialog.png"
dialog_geometry Save
xdotool mousemove $((dx + dw / 2)) $((dy + dh / 2))
xdotool type --delay 20 "gallery-test.qpm"
xdotool key Return
window_count Save 0
gallery_has "saved $gdocs/gallery-test.qpm"

# Keyboard: Ctrl+S opens it again; the mouse cancels it (Cancel sits left of Save, bottom right).
# There is no window manager here: the main window takes the keyboard back by itself when a
# dialog closes.
point_at 200 200
xdotool key ctrl+s
window_count Save 1
dialog_geometry Save
xdotool mousemove $((dx + dw - 12 - 80 - 8 - 40)) $((dy + dh - 12 - 11))
xdotool click 1
window_count Save 0
(( $(grep -c '^saved ' "$glog") == 1 )) || fail "a cancelled save dialog still answered"

# Keyboard only: F10 opens the first menu with its first item lit, Down and Return choose
# Save...; an existing name asks before it is replaced, and Return confirms.
point_at 200 200
xdotool key F10
expect gallery-f10-menu "$file_left" "$menu_y" "26,53,102"
xdotool key Down Return
window_count Save 1
dialog_geometry Save
xdotool mousemove $((dx + dw / 2)) $((dy + dh / 2))
xdotool type --delay 20 "exists.qpm"
xdotool key Return
window_count Confirm 1
import -window root "$out/gallery-confirm.png"
xdotool key Return
window_count Confirm 0
window_count Save 0
gallery_has "saved $gdocs/exists.qpm"
[[ "$(cat "$gdocs/exists.qpm")" == "keep" ]] || fail "the save dialog changed the file it was asked to replace"

"$tool" close "$gwin"
for _ in $(seq 50); do kill -0 "$gallery_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$gallery_pid" 2>/dev/null; then
  fail "the gallery still runs after the close request"
else
  wait "$gallery_pid" || fail "the gallery ended with an error"
  gallery_pid=""
fi

echo "screenshots and log in $out"
if (( failures > 0 )); then
  echo "---- demo log" >&2
  cat "$out/demo.log" >&2
  echo "---- gallery log" >&2
  cat "$out/gallery.log" >&2 || true
  echo "e2e: $failures check(s) failed" >&2
  exit 1
fi
echo "e2e: all checks passed"
