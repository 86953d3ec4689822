#!/usr/bin/env bash
# Kills the project save, the settings the editor keeps when it quits, and the JPEG and PSD
# exports (of panomer-render and of the editor) with SIGKILL at random moments, KILLS times each,
# and checks every file is always the old or the new complete file, that the next successful
# write leaves no temporary file, and that the programs start cleanly afterwards (see
# CrashDriver.cpp).
#
#   bash tests/e2e/run-crash-consistency.sh BUILD_DIR [KILLS] [SEED]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
kills=${2:-50}
seed=${3:-$(date +%s)}
driver="$build/tests/e2e/panomer-crash-driver"
render="$build/app/cli/panomer-render"
for program in "$driver" "$render"; do
  [[ -x "$program" ]] || { echo "missing $program: build it first"; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/panomer-crash-XXXXXX")
echo "seed $seed, scratch $work"
status=0
for kind in project settings jpeg psd editor-jpeg editor-psd; do
  "$driver" run "$kind" "$kills" "$seed" "$work" "$here/examples/earth" "$render" || status=1
done
if [[ $status -eq 0 ]]; then
  rm -rf "$work"
  echo "crash consistency: all kinds passed"
else
  echo "crash consistency FAILED (damaged files and the scratch folder are kept in $work)"
fi
exit $status
