#!/usr/bin/env bash
# Catches an install after which the desktop cannot list or start the editor, show its icon or
# open a double-clicked project with it, or after which Help cannot find its page: installs into
# a temporary prefix, checks every file the desktop and the programs rely on, and asks a program
# placed beside the installed ones where it looks for its data.
#   tests/install/check-install.sh BUILD-DIR APPDIR-PROBE
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
probe=$2
type=application/x-vnd.quor_panomerdoc

# Outside the build tree, where a program would find the build folder's marker instead.
work=$(mktemp -d "${TMPDIR:-/tmp}/panomer-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
share=$prefix/share
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install (build panomer and panomer-render first)" >&2
  exit 1
fi

# The programs, runnable from where they were put.
for program in panomer panomer-render; do
  [[ -x $prefix/bin/$program ]] || fail "bin/$program is missing"
done
"$prefix/bin/panomer-render" --help >/dev/null || fail "the installed panomer-render does not run"
# Without a display the in-memory backend runs the editor until nothing is left to happen.
mkdir -p "$work/home"
HOME=$work/home QUOR_HOST=memory timeout 60 "$prefix/bin/panomer" >"$work/editor.log" 2>&1 ||
  { cat "$work/editor.log" >&2; fail "the installed editor does not start"; }

# Help: the page and each picture it shows, installed and in the build folder (Help from a build).
for dir in "$share/panomer" "$build"; do
  page=$dir/help.html
  if [[ ! -f $page ]]; then
    fail "$page is missing"
    continue
  fi
  while read -r picture; do
    [[ -f $dir/$picture ]] || fail "$page shows $picture, which is missing"
  done < <(grep -o 'src="[^"]*"' "$page" | sed 's/^src="//; s/"$//')
done
# An installed program looks for its data where the data went.
cp "$probe" "$prefix/bin/"
data=$("$prefix/bin/$(basename "$probe")")
[[ -d $data && $data -ef $share/panomer ]] || fail "an installed program looks for its data in \"$data\""

# The menu entry: starts the editor with the file double-clicked, for projects, with its icon.
entry=$share/applications/panomer.desktop
if [[ -f $entry ]]; then
  grep -qx 'Exec=panomer %F' "$entry" || fail "the menu entry does not start \"panomer %F\""
  grep -qx 'Icon=panomer' "$entry" || fail "the menu entry does not use the icon \"panomer\""
  grep -q "^MimeType=\\(.*;\\)\\?$type;" "$entry" || fail "the menu entry does not open $type"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refuses the menu entry"
  fi
else
  fail "$entry is missing"
fi

# The icons, each in the folder of its own size (PNG width and height at bytes 16 and 20).
for size in 16 22 24 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x$size/apps/panomer.png
  if [[ ! -f $icon ]]; then
    fail "$icon is missing"
    continue
  fi
  shape=$(od -An -tu1 -j16 -N8 "$icon" |
    awk '{ printf "%dx%d", (($1 * 256 + $2) * 256 + $3) * 256 + $4, (($5 * 256 + $6) * 256 + $7) * 256 + $8 }')
  [[ $shape == "${size}x$size" ]] || fail "the ${size}x$size icon is $shape"
done

# The manual pages: compressed, and naming every option that panomer-render --help names (and
# no other), so that the two cannot drift apart.
for page in panomer panomer-render; do
  gzip -t "$share/man/man1/$page.1.gz" 2>/dev/null || fail "share/man/man1/$page.1.gz is missing or not gzip"
done
options() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
said=$("$prefix/bin/panomer-render" --help | options)
paged=$(zcat "$share/man/man1/panomer-render.1.gz" 2>/dev/null | sed 's/\\-/-/g' | options)
[[ $said == "$paged" ]] ||
  fail "the manual page and --help name different options: $(diff <(echo "$said") <(echo "$paged") | grep '^[<>]' | tr '\n' ' ')"

# The file type: known by the name's ending and by the first token every project starts with.
package=$share/mime/packages/panomer.xml
first=$(awk 'NR == 1 { print $1; exit }' "$here/examples/earth/earth.qpm")
[[ $first == "$type" ]] || fail "the example project starts with \"$first\", not the type name"
if [[ -f $package ]]; then
  grep -q "<mime-type type=\"$type\">" "$package" || fail "$package does not define $type"
  grep -q '<glob pattern="\*\.qpm"/>' "$package" || fail "$package has no *.qpm glob"
  grep -q "<match type=\"string\" offset=\"0\" value=\"$first\"/>" "$package" ||
    fail "$package does not recognise a project by its first token"
  if command -v xmllint >/dev/null; then
    xmllint --noout "$package" || fail "$package is not well-formed XML"
  fi
  # An install in place brings the database up to date, so the type works at once.
  if command -v update-mime-database >/dev/null; then
    grep -q "$type:\\*\\.qpm" "$share/mime/globs2" 2>/dev/null || fail "the MIME database does not map *.qpm to $type"
    grep -aq "$first" "$share/mime/magic" 2>/dev/null || fail "the MIME database has no magic for $type"
  fi
else
  fail "$package is missing"
fi

if ((failures > 0)); then
  echo "install check: $failures failure(s); the install log:" >&2
  cat "$work/install.log" >&2
  exit 1
fi
echo "install check: all files in place"
