#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
BUILD_DIR=$build "$here/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
