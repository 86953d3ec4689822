#!/usr/bin/env bash
# Random use of the editor on a real X server: opens a copy of the example project in panomer
# under Xvfb and gives its main window a stream of random clicks, drags, keys (tool letters,
# arrows, Delete, guides, undo, save) and wheel turns from a printed seed. Any other window that
# opens (an alert, a dialog, a prompt) is answered with Escape, so nothing is written outside
# the copy. Afterwards the editor must still run, still answer (a click on the File menu opens it)
# and quit cleanly on Ctrl+Q.
#   tests/e2e/run-editor-monkey-e2e.sh [build-dir] [actions] [seed]   (default: build 2000 random)
# Screenshots and the editor's output are kept in <build-dir>/e2e-editor-monkey/.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
actions=${2:-2000}
seed=${3:-$(( $(date +%s) % 32768 ))}
editor="$build/app/ui/panomer"
out="$build/e2e-editor-monkey"

for need in Xvfb xdotool import; do
  command -v "$need" >/dev/null || { echo "editor monkey e2e: $need is not installed (scripts/deps.sh installs it)" >&2; exit 1; }
done
[[ -x "$editor" ]] || { echo "editor monkey e2e: build panomer first" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/home"
cp -r "$here/examples/earth" "$out/earth"
project="$out/earth/earth.qpm"
source "$here/tests/e2e/editor-e2e-lib.sh"
start_xvfb

seed_window_place "$out/home"
(cd "$out/earth" && HOME="$out/home" XDG_CACHE_HOME="$out/home/.cache" exec "$editor" "$project") >"$out/editor.log" 2>&1 &
editor_pid=$!
window=$(wait_for_window "earth.qpm - Quor Panomer" 30)
measure_window "$window"
echo "editor monkey e2e: seed $seed, $actions actions, window $window at $left,$top ${win_width}x$win_height"

RANDOM=$seed
# A point of the main window's client area (menu strip included).
point() {
  px=$((left + RANDOM % win_width))
  py=$((top + RANDOM % win_height))
}
keys=(s m r b c p z Left Right Up Down Tab Escape Return 1 5 0 period minus
      ctrl+z ctrl+s ctrl+d ctrl+l ctrl+r ctrl+a ctrl+o ctrl+p)
# Whatever window besides the main one shows is cancelled with Escape (up to three times).
dismiss_others() {
  local id tries
  for tries in 1 2 3; do
    id=$(xdotool search --onlyvisible --name '.' 2>/dev/null | grep -vx "$window" | tail -n 1 || true)
    [[ -z "$id" ]] && return 0
    give_keys "$id" 2>/dev/null || true
    xdotool key --window "$id" Escape 2>/dev/null || xdotool key Escape
    sleep 0.05
  done
}

give_keys "$window"
for ((i = 1; i <= actions; i++)); do
  kill -0 "$editor_pid" 2>/dev/null || abort "the editor ended during action $i (seed $seed)"
  point
  case $((RANDOM % 10)) in
  0 | 1 | 2) xdotool mousemove "$px" "$py" click 1 ;;
  3 | 4)
    x0=$px y0=$py
    point
    xdotool mousemove "$x0" "$y0" mousedown 1 mousemove $(((x0 + px) / 2)) $(((y0 + py) / 2)) mousemove "$px" "$py" mouseup 1
    ;;
  5) xdotool mousemove "$px" "$py" click $((4 + RANDOM % 2)) ;;
  6) xdotool mousemove "$px" "$py" click 3 ;;
  *)
    give_keys "$window" 2>/dev/null || true
    # Deleting is rare, so that most actions have photos to work on.
    if ((RANDOM % 20 == 0)); then
      xdotool key Delete
    else
      xdotool key "${keys[RANDOM % ${#keys[@]}]}"
    fi
    ;;
  esac
  if ((i % 5 == 0)); then
    dismiss_others
  fi
  ((i % 500 == 0)) && echo "  $i actions"
done
dismiss_others
import -window root "$out/01-after-actions.png"

# Still there and still answering: a click on the File menu's title opens the menu on the screen.
kill -0 "$editor_pid" 2>/dev/null || abort "the editor ended after the actions (seed $seed)"
# Its title may be any document's, marked "*" for unsaved changes: the window itself must be there.
xdotool getwindowname "$window" >/dev/null 2>&1 || fail "the main window is gone (seed $seed)"
give_keys "$window"
xdotool mousemove $((left + 300)) $((top + win_height - 2))
sleep 0.3
before=$(import -window root rgb:- | cksum)
xdotool mousemove $((left + 20)) $((top + strip / 2)) click 1
changed=""
for _ in $(seq 50); do
  [[ "$(import -window root rgb:- | cksum)" != "$before" ]] && { changed=1; break; }
  sleep 0.1
done
import -window root "$out/02-file-menu.png"
[[ -n "$changed" ]] && echo "ok   responsive after $actions actions" || fail "a click on the File menu changed nothing on the screen (seed $seed)"
xdotool key Escape
sleep 0.2

quit_editor "$window"
echo "editor monkey e2e: seed $seed"
finish
