#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the desktop program need.
#   bash scripts/install-deps.sh          all of them
#   bash scripts/install-deps.sh build    only what configuring and building needs
#   bash scripts/install-deps.sh tests    only what running the tests needs besides
# (the test command builds while the second group installs).
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libx11-dev
  libsdl2-dev libsdl2-mixer-dev
  libpng-dev libjpeg-dev zlib1g-dev
  libgtest-dev libgmock-dev
  clang clang-format libc++-dev libc++abi-dev
  libx11-dev libxext-dev libxdamage-dev
  fonts-dejavu-core
  retroarch-dev
)
test_packages=(
  xvfb xdotool x11-utils x11-apps x11-xserver-utils imagemagick
  fonts-liberation
  xdg-utils
  weston qt6-wayland
  desktop-file-utils appstream lintian dpkg-dev
  retroarch
)
# The tests' configure looks for node; the machine's own may come from elsewhere.
command -v node >/dev/null || build_packages+=(nodejs)
case "${1:-all}" in
  all) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
  build) packages=("${build_packages[@]}") ;;
  tests) packages=("${test_packages[@]}") ;;
  *)
    echo "usage: bash scripts/install-deps.sh [build|tests]" >&2
    exit 2
    ;;
esac

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
