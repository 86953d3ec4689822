#!/usr/bin/env bash
# Failing writes as a user meets them: panomer-render exports the example project onto a full
# device, a full disk, a read-only disk, into a folder that does not exist or vanishes while it
# renders, and past the shell's file size limit. Each must end with status 1 and one message that
# names the cause, leave a file that was already at the output's path exactly as it was, and
# leave no temporary file behind. The full and read-only disks are small tmpfs mounts, made only
# when the script runs as root (CI does); otherwise those cases are skipped with a note.
#   tests/e2e/run-write-faults.sh [build-dir]     (default: build)
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
render="$build/app/cli/panomer-render"
[[ -x "$render" ]] || { echo "write faults: build panomer-render first" >&2; exit 1; }

work=$(mktemp -d)
mounts=()
cleanup() {
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
cp -r "$here/examples/earth" "$work/earth"
project="$work/earth/earth.qpm"
failures=0
old="the file that was here before"

# check NAME DIR OUTPUT EXPECTED-TEXT [env...]: renders to OUTPUT (an old file put there first
# when DIR is writable) and checks the status, the message, the old file and the temporaries.
check() {
  local name=$1 dir=$2 output=$3 expected=$4
  shift 4
  local had_old=0
  if [[ -d "$dir" && -w "$dir" && ! -L "$output" ]] && printf '%s' "$old" >"$output" 2>/dev/null; then
    had_old=1
  fi
  local log="$work/$name.log" status
  "$@" "$render" "$project" -o "$output" --width 3000 >"$log" 2>&1
  status=$?
  local problems=()
  ((status == 1)) || problems+=("status $status, not 1")
  grep -q -- "$expected" "$log" || problems+=("no message with \"$expected\"")
  # (A folder that was removed took its old file with it.)
  if ((had_old)) && [[ -d "$dir" && "$(cat "$output" 2>/dev/null)" != "$old" ]]; then problems+=("the old file changed"); fi
  if [[ -d "$dir" ]] && ls -a "$dir" | grep -q '\.tmp-'; then problems+=("a temporary file is left"); fi
  if ((${#problems[@]})); then
    echo "FAIL $name: ${problems[*]}"
    sed 's/^/    /' "$log"
    failures=$((failures + 1))
  else
    echo "ok   $name: $(head -n 1 "$log")"
  fi
}

# A tmpfs of `size` at `dir` (root only); returns 1 when it cannot be made.
small_disk() {
  local dir=$1 size=$2
  mkdir -p "$dir"
  [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o "size=$size" tmpfs "$dir" 2>/dev/null || return 1
  mounts+=("$dir")
}

# The device that is always full, under a name the command takes for a JPEG.
ln -s /dev/full "$work/full-device.jpg"
check "full device" "$work" "$work/full-device.jpg" "No space left on device"
check "missing folder" "$work/nowhere" "$work/nowhere/out.jpg" "No such file or directory"

if small_disk "$work/full" 96k; then
  check "full disk (JPEG)" "$work/full" "$work/full/out.jpg" "No space left on device"
  check "full disk (PSD)" "$work/full" "$work/full/out.psd" "No space left on device"
else
  echo "skip full disk: needs root to mount a small tmpfs"
fi

if small_disk "$work/ro" 1m; then
  printf '%s' "$old" >"$work/ro/out.jpg"
  mount -o remount,ro "$work/ro"
  check "read-only disk" "$work/ro" "$work/ro/out.jpg" "Read-only file system"
else
  echo "skip read-only disk: needs root to mount a small tmpfs"
fi

# The shell's file size limit (in 1024-byte blocks): the write that passes it fails.
limited() { (ulimit -f 64 && exec "$@"); }
check "file size limit (JPEG)" "$work/earth" "$work/earth/limited.jpg" "File too large" limited
check "file size limit (PSD)" "$work/earth" "$work/earth/limited.psd" "File too large" limited

# The output's folder is removed while the panorama renders.
mkdir -p "$work/going"
vanish() { ( sleep 0.3; rm -rf "$work/going" ) & "$@"; local s=$?; wait; return $s; }
check "folder removed while rendering" "$work/going" "$work/going/out.psd" "No such file or directory" vanish

if ((failures)); then
  echo "write faults: $failures case(s) failed"
  exit 1
fi
echo "write faults: all cases answered with one message, nothing lost"
