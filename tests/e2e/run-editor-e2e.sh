#!/usr/bin/env bash
# End-to-end check of the editor on a real X server: opens a copy of the example project in
# panomer under Xvfb, drags a photo with the move tool, saves with Ctrl+S, exports a JPEG through
# the export dialog and the save dialog, waits for the progress window, quits with Ctrl+Q, and
# checks the screen (pixels read back from screenshots) and the files it wrote.
#   tests/e2e/run-editor-e2e.sh [build-dir]     (default: build)
# Screenshots, the files and the editor's output are kept in <build-dir>/e2e-editor/.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
editor="$build/app/ui/panomer"
render="$build/app/cli/panomer-render"
out="$build/e2e-editor"

for need in Xvfb xdotool import convert identify compare; do
  command -v "$need" >/dev/null || { echo "editor e2e: $need is not installed (scripts/deps.sh installs it)" >&2; exit 1; }
done
[[ -x "$editor" && -x "$render" ]] || { echo "editor e2e: build panomer and panomer-render first" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/home"
cp -r "$here/examples/earth" "$out/earth"
project="$out/earth/earth.qpm"
example_sum=$(cksum <"$here/examples/earth/earth.qpm")
exported="$out/earth/earth-e2e.jpg"
source "$here/tests/e2e/editor-e2e-lib.sh"
start_xvfb

# Started in the project's folder, where the save dialog of the export then opens.
seed_window_place "$out/home"
(cd "$out/earth" && HOME="$out/home" exec "$editor" "$project") >"$out/editor.log" 2>&1 &
editor_pid=$!
window=$(wait_for_window "earth.qpm - Quor Panomer" 30)

measure_window "$window"
echo "window $window at $left,$top, ${WIDTH}x$HEIGHT, canvas centre $cx,$cy"

# Opened: the first photo's white marker at the centre, nothing selected (no red marker).
expect_colour 01-opened "$cx" "$cy" "#FFFFFF" 20
opened_red=$(count_colour "$out/01-opened.png" "$cx" "$cy" "#FF0000")
((opened_red == 0)) || fail "a photo is selected after opening ($opened_red red pixels)"

# M picks the move tool; a drag from the centre moves the nearest photo by the drag. Its marker
# turns red (selected) at the new place and leaves the old one.
give_keys "$window"
xdotool key m
drag "$cx" "$cy" $((cx + 40)) $((cy + 30))
expect_colour 02-moved $((cx + 40)) $((cy + 30)) "#FF0000" 20
moved_white=$(count_colour "$out/02-moved.png" "$cx" "$cy" "#FFFFFF")
((moved_white < 10)) || fail "the photo's marker is still at the centre ($moved_white white pixels)"

# Ctrl+S writes the project: only the moved photo's line changes, to the right and down (lower
# longitude and latitude).
give_keys "$window"
xdotool key ctrl+s
for _ in $(seq 50); do cmp -s "$project" "$here/examples/earth/earth.qpm" || break; sleep 0.1; done
changed=$(diff "$here/examples/earth/earth.qpm" "$project" | grep '^>' || true)
if [[ $(wc -l <<<"$changed") -ne 1 || "$changed" != *'"earth-01.jpg"' ]]; then
  fail "saving changed these lines: ${changed:-none}"
else
  read -r _ yaw pitch _ <<<"$changed"
  awk -v y="$yaw" -v p="$pitch" 'BEGIN { exit !(y < -0.3 && p < -0.2) }' ||
    fail "the moved photo was saved at yaw $yaw, pitch $pitch"
  echo "ok   saved: $changed"
fi
saved_copy="$out/saved.qpm"
cp "$project" "$saved_copy"

# Ctrl+J: the export dialog, its width field focused with its text selected; 640 replaces it.
xdotool key ctrl+j
dialog=$(wait_for_window "JPEG Export" 10)
give_keys "$dialog"
xdotool type --delay 30 640
import -window root "$out/03-export-dialog.png"
# OK is the first of the two 72-pixel buttons at the bottom right (8-pixel margins and gap).
eval "$(xdotool getwindowgeometry --shell "$dialog")"
xdotool mousemove $((X + WIDTH - 8 - 72 - 8 - 36)) $((Y + HEIGHT - 20)) click 1
save=$(wait_for_window "Save As" 10)
give_keys "$save"
# The name field has the focus with the proposed name selected: typing replaces it.
xdotool type --delay 30 "$(basename "$exported")"
import -window root "$out/04-save-dialog.png"
# Save is the 80-pixel button at the bottom right (12-pixel margins).
eval "$(xdotool getwindowgeometry --shell "$save")"
xdotool mousemove $((X + WIDTH - 12 - 40)) $((Y + HEIGHT - 12 - 11)) click 1
wait_window_gone "Save As" 10

# The progress window may come and go faster than a poll: what counts is that every window of
# the export closes, no alert comes, and the file is there.
wait_window_gone "Render Progress" 60
wait_window_gone "JPEG Export" 10
if xdotool search --name '^Quor Panomer$' >/dev/null 2>&1; then
  import -window root "$out/05-export-alert.png"
  fail "the export showed an alert (05-export-alert.png)"
fi
# After the export the canvas draws again: the moved photo is still where it was put.
expect_colour 05-exported $((cx + 40)) $((cy + 30)) "#FF0000" 20

if [[ ! -s "$exported" ]]; then
  fail "no exported JPEG at $exported"
else
  size=$(identify -format '%wx%h' "$exported")
  [[ "$size" == "640x320" ]] && echo "ok   exported: 640 x 320" || fail "the exported JPEG is $size, expected 640x320"
  # The same panorama as the command-line renderer makes from the saved project, and not the
  # example as it was before the move.
  "$render" "$project" -o "$out/saved-render.jpg" --width 640 >"$out/render.log" 2>&1 ||
    fail "panomer-render cannot render the saved project"
  "$render" "$here/examples/earth/earth.qpm" -o "$out/original-render.jpg" --width 640 >>"$out/render.log" 2>&1 ||
    fail "panomer-render cannot render the example"
  same=$(compare -metric RMSE "$exported" "$out/saved-render.jpg" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
  before=$(compare -metric RMSE "$exported" "$out/original-render.jpg" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
  echo "     difference to the saved project's render $same, to the example's $before"
  awk -v s="$same" -v b="$before" 'BEGIN { exit !(s < 0.01 && b > 0.02) }' ||
    fail "the export does not show the saved arrangement (differences $same and $before)"
fi

# Ctrl+Q quits; a save prompt, if one comes, is answered with No (the project was saved).
quit_editor "$window"
cmp -s "$project" "$saved_copy" || fail "the project changed after it was saved"
[[ "$(cksum <"$here/examples/earth/earth.qpm")" == "$example_sum" ]] || fail "the repository's example changed"

finish
