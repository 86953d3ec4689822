#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own. The layers stack
# math < core < imaging < framework < widgets < app; tests, tools, demos, benchmarks and fuzz
# targets sit on top and may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
  case "$1" in
    toolkit/math/*) echo 0 ;;
    toolkit/core/*) echo 1 ;;
    toolkit/imaging/*) echo 2 ;;
    toolkit/framework/*) echo 3 ;;
    toolkit/widgets/*) echo 4 ;;
    app/*) echo 5 ;;
    *) echo 9 ;;
  esac
}

status=0
while IFS= read -r file; do
  own=$(rank "$file")
  [[ $own -eq 9 ]] && continue
  while IFS= read -r header; do
    theirs=$(rank "$header")
    if [[ $theirs -ne 9 && $theirs -gt $own ]]; then
      echo "upward include: $file includes $header" >&2
      status=1
    fi
  done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
done < <(git ls-files -co --exclude-standard -- 'toolkit/*' 'app/*' | grep -E '\.(h|hpp|cpp|cc|c)$')

# Private library headers stay inside their library: nothing outside toolkit/imaging/formats
# includes the JPEG and PNG shims or the C libraries' own headers.
if grep -rlE '#include [<"](jpeglib\.h|png\.h|.*Quor_JpegShim\.h|.*Quor_PngShim\.h)' app toolkit \
     --include='*.h' --include='*.cpp' | grep -v '^toolkit/imaging/formats/'; then
  echo "the files above include a private image-library header" >&2
  status=1
fi
[[ $status -eq 0 ]] && echo "layers: no upward includes"
exit $status
