#!/usr/bin/env bash
# End-to-end check of the editor from the keyboard alone, on a real X server: opens a copy of the
# example project in panomer under Xvfb, reaches the projection pop-up with Tab (past the tool
# bar) and picks the next
# projection with Down, undoes and redoes it with Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y, saves with Ctrl+S, opens the JPEG export with Ctrl+J, types a width,
# Tabs through the other fields to OK and presses it with Space, names the file in the save
# dialog and answers it with Return; then checks the saved project, the exported file (against
# the command-line renderer's picture of the saved project) and the screenshots of the focus
# ring.
#   tests/e2e/run-editor-keyboard-e2e.sh [build-dir]     (default: build)
# Screenshots, the files and the editor's output are kept in <build-dir>/e2e-editor-keyboard/.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
editor="$build/app/ui/panomer"
render="$build/app/cli/panomer-render"
out="$build/e2e-editor-keyboard"

for need in Xvfb xdotool import convert identify compare; do
  command -v "$need" >/dev/null || { echo "keyboard e2e: $need is not installed (scripts/deps.sh installs it)" >&2; exit 1; }
done
[[ -x "$editor" && -x "$render" ]] || { echo "keyboard e2e: build panomer and panomer-render first" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/home"
cp -r "$here/examples/earth" "$out/earth"
project="$out/earth/earth.qpm"
exported="$out/earth/earth-keys.jpg"
source "$here/tests/e2e/editor-e2e-lib.sh"
start_xvfb

seed_window_place "$out/home"
(cd "$out/earth" && HOME="$out/home" exec "$editor" "$project") >"$out/editor.log" 2>&1 &
editor_pid=$!
window=$(wait_for_window "earth.qpm - Quor Panomer" 30)
measure_window "$window"
give_keys "$window"

# In reading order the top row comes first: the tool bar above the canvas (the photo list's bar
# has nothing to act on while the list is empty), then the projection pop-up at the top right.
# Before any key the window shows no focus ring; after Tab the ring's colour (the theme's
# highlight) lies inside the pop-up's frame.
popup_x=$((left + 780 - 16 - 80))
popup_y=$((top + strip + 11 + 2))
import -window root "$out/01-opened.png"
before_ring=$(count_colour "$out/01-opened.png" "$popup_x" "$popup_y" "#7279B8")
xdotool key Tab
sleep 0.3
import -window root "$out/02-tools-focused.png"
xdotool key Tab
sleep 0.3
import -window root "$out/02-popup-focused.png"
ring=$(count_colour "$out/02-popup-focused.png" "$popup_x" "$popup_y" "#7279B8")
((ring > before_ring)) && echo "ok   focus ring on the pop-up ($ring pixels, $before_ring before)" ||
  fail "no focus ring on the pop-up after Tab ($ring pixels, $before_ring before; 02-popup-focused.png)"

# Down picks the next projection; Ctrl+Z takes it back (saved and checked), Ctrl+Shift+Z and
# Ctrl+Y do it again, and Ctrl+S writes it to the project.
before_type=$(grep '^projection_type' "$project")
xdotool key Down
sleep 0.3
import -window root "$out/03-projection-changed.png"
xdotool key ctrl+z
sleep 0.3
import -window root "$out/03-undone.png"
xdotool key ctrl+shift+z
sleep 0.3
xdotool key ctrl+z
sleep 0.3
xdotool key ctrl+y
sleep 0.3
import -window root "$out/03-redone.png"
# The window after the undo is the one before the change, and after the redos the changed one.
same_canvas() {
  local differing
  differing=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
  [[ "$differing" == "0" ]]
}
same_canvas "$out/02-popup-focused.png" "$out/03-undone.png" && echo "ok   Ctrl+Z took the projection back" ||
  fail "the canvas after Ctrl+Z is not the one before the change (03-undone.png)"
same_canvas "$out/03-projection-changed.png" "$out/03-redone.png" && echo "ok   Ctrl+Shift+Z and Ctrl+Y did it again" ||
  fail "the canvas after the redos is not the changed one (03-redone.png)"
xdotool key ctrl+s
for _ in $(seq 50); do [[ "$(grep '^projection_type' "$project")" != "$before_type" ]] && break; sleep 0.1; done
after_type=$(grep '^projection_type' "$project")
[[ "$after_type" != "$before_type" ]] && echo "ok   projection changed from the keyboard: $before_type -> $after_type" ||
  fail "the projection did not change with Down on the focused pop-up ($after_type)"

# Ctrl+J: the export dialog with its width field focused and selected; 320 replaces it. Tab goes
# on through the height and quality fields to OK, which Space presses.
xdotool key ctrl+j
dialog=$(wait_for_window "JPEG Export" 10)
give_keys "$dialog"
xdotool type --delay 30 320
xdotool key Tab Tab Tab
sleep 0.3
import -window root "$out/04-export-ok-focused.png"
xdotool key space
save=$(wait_for_window "Save As" 10)
give_keys "$save"
# The name field has the focus with the proposed name selected: typing replaces it, and Return
# saves.
xdotool type --delay 30 "$(basename "$exported")"
import -window root "$out/05-save-dialog.png"
xdotool key Return
wait_window_gone "Save As" 10
wait_window_gone "Render Progress" 60
wait_window_gone "JPEG Export" 10
if xdotool search --name '^Quor Panomer$' >/dev/null 2>&1; then
  import -window root "$out/06-export-alert.png"
  fail "the export showed an alert (06-export-alert.png)"
fi

if [[ ! -s "$exported" ]]; then
  fail "no exported JPEG at $exported"
else
  size=$(identify -format '%wx%h' "$exported")
  [[ "$size" == 320x* ]] && echo "ok   exported: $size" || fail "the exported JPEG is $size, expected 320 wide"
  # The same file as the command-line renderer makes from the saved project (with the projection
  # picked from the keyboard), byte for byte: saving must not move the crop.
  "$render" "$project" -o "$out/saved-render.jpg" --width 320 >"$out/render.log" 2>&1 ||
    fail "panomer-render cannot render the saved project"
  if cmp -s "$exported" "$out/saved-render.jpg"; then
    echo "ok   the export is the saved project's render"
  else
    same=$(compare -metric RMSE "$exported" "$out/saved-render.jpg" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
    fail "the export is not the saved project's render (difference $same)"
  fi
fi

quit_editor "$window"
finish
