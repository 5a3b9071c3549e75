#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests and the programs need and the
# machine lacks, and fetches into build/sources/ Debian's source archives of the libraries the
# Windows converters are built from. Quiet; uses sudo when not run as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

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

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# The Windows converters (third_party/poppler-windows) are built from Debian's sources: poppler
# at the version of the installed poppler-utils where the archive still has it, so that both
# platforms convert alike, and the libraries it is linked with at their newest versions. The
# archives (.dsc, .orig and .debian tarballs) stay in build/sources/, fetched once; the build
# unpacks them and ships them beside the installers, as the GPL asks.
sources="$root/build/sources"
absent=()
for name in poppler freetype zlib libpng1.6 libjpeg-turbo; do
  compgen -G "$sources/${name}_*.dsc" >/dev/null || absent+=("$name")
done
[ ${#absent[@]} -eq 0 ] && exit 0

# A deb-src entry for each deb entry of the system's list, same archive, suites and components.
list=/etc/apt/sources.list.d/debian.sources
source_list=/etc/apt/sources.list.d/droplet-deb-src.sources
if [ ! -f "$source_list" ]; then
  [ -f "$list" ] || { echo "no $list to take the deb-src entries from" >&2; exit 1; }
  sed 's/^Types: *deb$/Types: deb-src/' "$list" | $sudo tee "$source_list" >/dev/null
  $sudo apt-get update -qq
fi
echo "fetching sources: ${absent[*]}"
mkdir -p "$sources"
cd "$sources"
# Newest first, poppler's installed version before all; a version the list names but the archive
# no longer holds is passed over. Written by root itself (the folder is not _apt's).
for name in "${absent[@]}"; do
  versions=$(apt-cache showsrc "$name" | sed -n 's/^Version: //p' | sort -rVu)
  [ "$name" != poppler ] || versions="$(dpkg-query -W -f='${source:Version}' poppler-utils) $versions"
  fetched=""
  for version in $versions; do
    if apt-get source --download-only -qq -o APT::Sandbox::User=root "$name=$version" \
      >"$sources/fetch.log" 2>&1; then
      fetched=$version
      break
    fi
    rm -f "$sources/${name}_"*
  done
  [ -n "$fetched" ] || { cat "$sources/fetch.log" >&2; echo "cannot fetch the sources of $name" >&2; exit 1; }
done
rm -f "$sources/fetch.log"
