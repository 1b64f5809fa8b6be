#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, as root. Quick when all is there.
set -euo pipefail

# qt6-httpserver-dev's CMake files need qt6-websockets-dev, which Debian does not pull in.
# desktop-file-utils, libxml2-utils and librsvg2-bin: the desktop files and icons; dpkg-dev, fakeroot: the package;
# webp: cwebp and img2webp make the WebP test pictures (tests/publish/formats/make-fixtures.sh) and the benchmarks' ones.
# The picture codecs: libjpeg, giflib, libpng, libwebp, libheif (HEVC and AV1), libtiff; Little CMS for the profiles.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-httpserver-dev qt6-websockets-dev
          libjpeg-dev libgif-dev libpng-dev libwebp-dev libheif-dev libtiff-dev liblcms2-dev zlib1g-dev libgtest-dev googletest xvfb xauth x11-utils imagemagick chromium nodejs npm
          clang libclang-rt-14-dev desktop-file-utils libxml2-utils librsvg2-bin dpkg-dev fakeroot webp)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
# nodejs may come from elsewhere than Debian; a working node and npm are enough.
if command -v node >/dev/null && command -v npm >/dev/null; then
  missing=("${missing[@]/nodejs}"); missing=("${missing[@]/npm}")
fi
read -r -a missing <<< "${missing[*]:-}"
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser test drives Debian's Chromium through playwright-core (no browser download)
# and audits the player with axe-core.
here=$(cd "$(dirname "$0")/.." && pwd)
if [ -f "$here/tests/player/package.json" ] && { [ ! -d "$here/tests/player/node_modules/playwright-core" ] ||
     [ ! -d "$here/tests/player/node_modules/axe-core" ]; }; then
  (cd "$here/tests/player" && npm install --no-audit --no-fund --loglevel=error)
fi
