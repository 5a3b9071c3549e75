#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests and the programs need and the
# machine lacks. Quiet; uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins fonts-dejavu-core
  poppler-utils
  g++-mingw-w64-x86-64 wine64 wine
  xvfb xauth xdotool x11-apps x11-utils x11-xserver-utils imagemagick openbox xdg-utils
  weston xwayland qt6-wayland
  clang-14 libclang-rt-14-dev
  dpkg-dev fakeroot file lintian desktop-file-utils appstream
  nsis
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
