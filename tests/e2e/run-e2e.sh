#!/usr/bin/env bash
# End-to-end check of the framework on a real X server: starts quor-demo under Xvfb, drives it
# with xdotool (a move, a click, a key, a drop, a resize and a close request) and checks the
# screen by reading pixels back from screenshots.
#   tests/e2e/run-e2e.sh [build-dir]     (default: build)
# Screenshots and the demo's output are kept in <build-dir>/e2e/ for inspection.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
demo="$build/demo/quor-demo/quor-demo"
tool="$build/tests/e2e/quor-x11-tool"
out="$build/e2e"

for need in Xvfb xdotool import convert; do
  command -v "$need" >/dev/null || { echo "e2e: $need is not installed (scripts/deps.sh installs it)" >&2; exit 1; }
done
[[ -x "$demo" && -x "$tool" ]] || { echo "e2e: build quor-demo and quor-x11-tool first ($demo, $tool)" >&2; exit 1; }

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
cleanup() {
  [[ -n "$demo_pid" ]] && kill "$demo_pid" 2>/dev/null || true
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

echo "screenshots and log in $out"
if (( failures > 0 )); then
  echo "---- demo log" >&2
  cat "$out/demo.log" >&2
  echo "e2e: $failures check(s) failed" >&2
  exit 1
fi
echo "e2e: all checks passed"
