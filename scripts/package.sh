#!/usr/bin/env bash
# Makes the Debian package: a Release build of the two programs in build-package/ (or the folder
# given as $BUILD_DIR), then cpack. Prints the path of panomer_<version>_<arch>.deb.
# Install it with `apt install ./panomer_*.deb`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-package}
"$here/scripts/deps.sh" >&2

# The same compiler cache as every other build: a fresh clone in another folder hits it too.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$here}
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# The package holds only what is installed, so the tests and benchmarks are left out. The
# programs are hardened as Debian's own are: checked string and memory calls, stack guards, and
# a read-only table of library functions resolved at start.
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUOR_BUILD_TESTS=OFF -DQUOR_BUILD_BENCH=OFF "${launcher[@]}" \
  -DCMAKE_C_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
  -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
cmake --build "$build" -j"$(nproc)" --target panomer panomer-render >"$build/build.log" 2>&1 ||
  { tail -n 40 "$build/build.log" >&2; echo "package: the build failed (log: $build/build.log)" >&2; exit 1; }
rm -f "$build"/panomer_*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) ||
  { cat "$build/cpack.log" >&2; echo "package: cpack failed" >&2; exit 1; }
shopt -s nullglob
debs=("$build"/panomer_*.deb)
if ((${#debs[@]} != 1)); then
  cat "$build/cpack.log" >&2
  echo "package: cpack wrote ${#debs[@]} packages named panomer_*.deb" >&2
  exit 1
fi
echo "${debs[0]}"
