#!/usr/bin/env bash
# Installs what is missing, builds everything and renders the bundled example project
# (examples/earth) to a feathered JPEG and a layered PSD with the command-line renderer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
BUILD_DIR=$build "$here/scripts/build.sh"
out="$build/example"
mkdir -p "$out"
render="$build/app/cli/panomer-render"
"$render" "$here/examples/earth/earth.qpm" -o "$out/earth.jpg" --width 2048 --quality 92
"$render" "$here/examples/earth/earth.qpm" -o "$out/earth.psd" --width 2048
echo
echo "Rendered the example panorama:"
echo "  $out/earth.jpg  (2048 x 1024, feathered JPEG)"
echo "  $out/earth.psd  (2048 x 1024, one transparent layer per photo)"
