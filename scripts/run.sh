#!/usr/bin/env bash
# Installs what is missing and builds everything.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/build.sh"
echo "Built everything into ${BUILD_DIR:-$here/build}. The program itself is not runnable yet."
