#!/usr/bin/env bash
# Makes sure the Debian packages that building, testing and fuzzing need are installed.
# As root it installs what is missing with apt-get; otherwise it prints the exact command and fails.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libfreetype-dev libgif-dev libsdl2-dev libexif-dev
  clang-14 libclang-rt-14-dev
  fonts-dejavu-core fonts-dejavu-extra
  imagemagick locales
  xvfb xdotool x11-utils libx11-dev
  desktop-file-utils
  dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "These packages are missing. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
