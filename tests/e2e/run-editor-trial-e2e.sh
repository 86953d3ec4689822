#!/usr/bin/env bash
# End-to-end trial of the editor's ways off the happy path, on a real X server, as a person new
# to it would meet them: Ctrl+O in the middle of a drag, an export over an existing file whose
# photo disappears meanwhile, a cancelled export, a project whose photos were moved, typing in
# the focal-length field, saving and quitting. Checks the screen and the files after each step.
#   tests/e2e/run-editor-trial-e2e.sh [build-dir]     (default: build)
# Screenshots, the files and the editor's output are kept in <build-dir>/e2e-trial/.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
editor="$build/app/ui/panomer"
out="$build/e2e-trial"

for need in Xvfb xdotool import convert identify compare; do
  command -v "$need" >/dev/null || { echo "editor e2e: $need is not installed (scripts/deps.sh installs it)" >&2; exit 1; }
done
[[ -x "$editor" ]] || { echo "editor e2e: build panomer first" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/home" "$out/aside"
cp -r "$here/examples/earth" "$out/earth"
folder="$out/earth"
project="$folder/earth.qpm"
# The same arrangement with its photos in a folder that is not there: "moved" photos.
sed 's/"earth-/"gone\/earth-/' "$project" >"$folder/trip.qpm"
source "$here/tests/e2e/editor-e2e-lib.sh"
start_xvfb

# No temporary file of a save or an export may stay behind.
no_leftovers() {
  local left
  left=$(find "$folder" -name '*.tmp-*' | head -n 3)
  [[ -z "$left" ]] || fail "$1: temporary files left behind: $left"
}
# The tool bar above the canvas, as the screen shows it now.
toolbar_shot() { import -window root -crop "180x26+$((left + 283))+$((top + strip + 8))" "$out/$1.png"; }

seed_window_place "$out/home"
(cd "$folder" && HOME="$out/home" exec "$editor" "$project") >"$out/editor.log" 2>&1 &
editor_pid=$!
window=$(wait_for_window "earth.qpm - Quor Panomer" 30)
measure_window "$window"
echo "window $window at $left,$top, ${WIDTH}x$HEIGHT, canvas centre $cx,$cy"
expect_colour 01-opened "$cx" "$cy" "#FFFFFF" 20

# A photo moved with the move tool shows selected (red) where it was put.
give_keys "$window"
xdotool key m
drag "$cx" "$cy" $((cx + 40)) $((cy + 30))
expect_colour 02-moved $((cx + 40)) $((cy + 30)) "#FF0000" 20

# Ctrl+O while the photo is being dragged: the save prompt comes up, the button is let go over
# it and Escape cancels. Afterwards the pointer moves with no button held: the photo stays.
xdotool mousemove $((cx + 40)) $((cy + 30)) mousedown 1
for step in 1 2 3 4; do xdotool mousemove $((cx + 40 + 5 * step)) $((cy + 30 + 5 * step)); sleep 0.03; done
xdotool key ctrl+o
prompt=$(wait_for_window "Quor Panomer" 10)
xdotool mouseup 1
give_keys "$prompt"
xdotool key Escape
wait_window_gone "Quor Panomer" 10
give_keys "$window"
for step in 1 2 3 4; do xdotool mousemove $((cx - 20 * step)) $((cy - 15 * step)); sleep 0.03; done
expect_colour 03-after-prompt $((cx + 60)) $((cy + 50)) "#FF0000" 20
followed=$(count_colour "$out/03-after-prompt.png" $((cx - 80)) $((cy - 60)) "#FF0000")
((followed == 0)) || fail "the photo followed the pointer after the prompt closed ($followed red pixels)"
window_open "Open" && fail "the Open dialog came although the prompt was cancelled"

give_keys "$window"
xdotool key ctrl+s
for _ in $(seq 50); do cmp -s "$project" "$here/examples/earth/earth.qpm" || break; sleep 0.1; done
cmp -s "$project" "$here/examples/earth/earth.qpm" && fail "Ctrl+S did not save the moved photo"

# Answers the JPEG export dialog with a width and the save dialog with a name; leaves the save
# dialog's replace prompt, if any, to the caller.
export_as() {
  local width=$1 name=$2 dialog save
  give_keys "$window"
  xdotool key ctrl+j
  dialog=$(wait_for_window "JPEG Export" 10)
  give_keys "$dialog"
  xdotool type --delay 30 "$width"
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  xdotool mousemove $((X + WIDTH - 8 - 72 - 8 - 36)) $((Y + HEIGHT - 20)) click 1
  save=$(wait_for_window "Save As" 10)
  give_keys "$save"
  xdotool type --delay 30 "$name"
  xdotool key Return
}

# An export over an existing file, named without ".jpg", whose photo disappears while the
# replace prompt is up: the export fails with an alert and the old file is left as it was.
cp "$folder/earth-02.jpg" "$folder/existing.jpg"
existing_sum=$(cksum <"$folder/existing.jpg")
export_as 640 existing
confirm=$(wait_for_window "Confirm" 10)
mv "$folder/earth-05.jpg" "$out/aside/"
give_keys "$confirm"
xdotool key Return
alert=$(wait_for_window "Quor Panomer" 30)
import -window root "$out/04-export-failed.png"
give_keys "$alert"
xdotool key Return
wait_window_gone "Quor Panomer" 10
mv "$out/aside/earth-05.jpg" "$folder/"
[[ "$(cksum <"$folder/existing.jpg")" == "$existing_sum" ]] && echo "ok   the old file survived the failed export" ||
  fail "the failed export changed the file it was to replace"
no_leftovers "the failed export"

# A large export cancelled from the progress window: one alert says what was left, and the file
# is a complete JPEG of the size asked for.
export_as 16000 big
progress=$(wait_for_window "Render Progress" 30)
# The photos load in well under two seconds; the rows of this size take far longer.
sleep 2
give_keys "$progress"
xdotool key Escape
alert=$(wait_for_window "Quor Panomer" 30)
import -window root "$out/05-export-cancelled.png"
give_keys "$alert"
xdotool key Return
wait_window_gone "Quor Panomer" 10
size=$(identify -format '%wx%h' "$folder/big.jpg" 2>/dev/null || echo none)
[[ "$size" == "16000x8000" ]] && echo "ok   the cancelled export left a complete 16000 x 8000 JPEG" ||
  fail "the cancelled export left $size at big.jpg"
no_leftovers "the cancelled export"

# Opening a project whose photos were moved: one alert names them, and OK (Escape; Return would
# look for them) opens the project with every photo kept. Type-ahead in the list picks trip.qpm.
give_keys "$window"
xdotool key ctrl+o
open=$(wait_for_window "Open" 10)
give_keys "$open"
xdotool type --delay 30 trip
xdotool key Return
alert=$(wait_for_window "Quor Panomer" 10)
import -window root "$out/06-photos-missing.png"
give_keys "$alert"
xdotool key Escape
wait_window_gone "Quor Panomer" 10
window=$(wait_for_window "trip.qpm - Quor Panomer" 10)

# Exporting it is refused at once, with an alert, before any dialog.
give_keys "$window"
xdotool key ctrl+j
alert=$(wait_for_window "Quor Panomer" 10)
window_open "JPEG Export" && fail "the export dialog came although the photos are missing"
import -window root "$out/07-export-refused.png"
give_keys "$alert"
xdotool key Return
wait_window_gone "Quor Panomer" 10

# Typing in the focal-length field: Ctrl+A selects its text and letters go to the field, not to
# the tool shortcuts (the tool bar looks the same), and Return applies the typed value.
toolbar_shot 08-tools-before
xdotool mousemove $((left + 500)) $((top + win_height - 15)) click 1
xdotool key ctrl+a
xdotool type --delay 30 "cmz"
xdotool key ctrl+a
xdotool type --delay 30 "24"
xdotool key Return
toolbar_shot 09-tools-after
differ=$(compare -metric AE "$out/08-tools-before.png" "$out/09-tools-after.png" null: 2>&1 || true)
[[ "$differ" == "0" ]] && echo "ok   typing in the field left the tools alone" ||
  fail "typing in the focal-length field changed the tool bar ($differ pixels)"

# Saving keeps every photo's entry, the missing ones included, with the new focal length.
give_keys "$window"
xdotool key ctrl+s
for _ in $(seq 50); do grep -q '^focal_length 24$' "$folder/trip.qpm" && break; sleep 0.1; done
grep -q '^focal_length 24$' "$folder/trip.qpm" && echo "ok   the typed focal length was saved" ||
  fail "trip.qpm was not saved with focal length 24: $(grep focal_length "$folder/trip.qpm")"
kept=$(grep -c '"gone/earth-' "$folder/trip.qpm" || true)
((kept == 12)) && echo "ok   the missing photos' entries were kept" || fail "trip.qpm keeps $kept of 12 photos"
no_leftovers "saving"

quit_editor "$window"
finish
