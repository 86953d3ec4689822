#!/usr/bin/env bash
# Catches a Debian package that would install a broken editor: a file missing from it or one
# that should not be there (tests/install/package-files.txt lists every file), programs that do
# not start from where the package puts them (a library that does not resolve, data looked for
# in the wrong place), dependencies that leave out a library the programs link, and, where
# lintian is installed, anything it counts as an error.
#   tests/install/check-package.sh PACKAGE.deb
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deb=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/panomer-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Every file, and nothing else (folders come with the files).
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' | grep -v '/$' | sort >"$work/files"
sort "$here/package-files.txt" >"$work/expected"
while read -r path; do
  fail "the package lacks $path"
done < <(comm -23 "$work/expected" "$work/files")
while read -r path; do
  fail "the package holds $path, which is not in package-files.txt"
done < <(comm -13 "$work/expected" "$work/files")

# The programs start from the unpacked tree, and report the package's version.
root=$work/root
dpkg-deb -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
"$root/usr/bin/panomer-render" --help >"$work/help" 2>&1 || fail "panomer-render --help: $(head -n 3 "$work/help")"
said=$("$root/usr/bin/panomer-render" --version 2>&1) || fail "panomer-render --version: $said"
[[ $said == "panomer-render $version" ]] || fail "panomer-render --version says \"$said\", the package $version"
# Without a display the in-memory backend runs the editor until nothing is left to happen.
mkdir -p "$work/home"
HOME=$work/home QUOR_HOST=memory timeout 60 "$root/usr/bin/panomer" >"$work/editor.log" 2>&1 ||
  fail "the unpacked editor does not start: $(tail -n 3 "$work/editor.log")"

# A dependency for each library the programs link, and the opener the help and folders use.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libjpeg libpng libsdl2 libfreetype zlib1g libexif libstdc++; do
  [[ $depends == *"$library"* ]] || fail "Depends does not name $library: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *xdg-utils* ]] || fail "Recommends does not name xdg-utils"
for field in Maintainer Section Description; do
  [[ -n $(dpkg-deb -f "$deb" "$field") ]] || fail "the package has no $field"
done

if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" >"$work/lintian" 2>&1 || true
  if grep -q '^E: ' "$work/lintian"; then
    fail "lintian reports errors:"
    grep '^E: ' "$work/lintian" >&2
  fi
fi

if ((failures > 0)); then
  echo "package check: $failures failure(s) in $deb" >&2
  exit 1
fi
echo "package check: $(wc -l <"$work/files") files in place, the programs start; Depends: $depends"
