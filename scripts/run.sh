#!/usr/bin/env bash
# Installs what is missing, builds everything and opens the editor on a fresh copy of the bundled
# example project (examples/earth), so that trying it never changes the repository. Without a
# display it says so and renders the example to a feathered JPEG and a layered PSD instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
BUILD_DIR=$build "$here/scripts/build.sh"

out="$build/example"
copy="$out/earth"
rm -rf "$copy"
mkdir -p "$out"
cp -r "$here/examples/earth" "$copy"
project="$copy/earth.qpm"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  echo
  echo "Opening the editor on a copy of the example project: $project"
  echo "Help > Help... in the editor explains how to use it."
  status=0
  # Started in the copy's folder, where the export dialogs then propose to save.
  (cd "$copy" && "$build/app/ui/panomer" "$project") || status=$?
  if [[ $status -eq 0 ]]; then
    exit 0
  fi
  echo
  echo "The editor could not run (exit status $status); rendering the example instead."
else
  echo
  echo "There is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the editor cannot"
  echo "open its window; rendering the example with the command-line renderer instead."
fi

render="$build/app/cli/panomer-render"
"$render" "$project" -o "$out/earth.jpg" --width 2048 --quality 92
"$render" "$project" -o "$out/earth.psd" --width 2048
echo
echo "Rendered the example panorama:"
echo "  $out/earth.jpg  (2048 x 1024, feathered JPEG)"
echo "  $out/earth.psd  (2048 x 1024, one transparent layer per photo)"
