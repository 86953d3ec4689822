#!/usr/bin/env bash
# Catches small desktop icons left stale after the 256 pixel icon was redrawn: reduces it again
# and compares every size with the one kept in app/desktop/icons (`cmake --build build --target
# iconsizes` makes them again).
#   tests/install/check-icon-sizes.sh ICONSIZES-PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/panomer-icons.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$1" "$here/app/ui/data/icons/panomer-256.png" "$work" >/dev/null
stale=0
for made in "$work"/panomer-*.png; do
  kept=$here/app/desktop/icons/$(basename "$made")
  cmp -s "$made" "$kept" || { echo "FAIL: $kept differs from a fresh reduction" >&2; stale=1; }
done
exit "$stale"
