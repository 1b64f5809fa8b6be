#!/usr/bin/env bash
# Builds the Debian package from a finished build and inspects it: its control fields,
# its dependencies (run-time libraries, never -dev packages), and its files (the
# program folder below /usr/lib/quillmere, two links and nothing else in /usr/bin,
# the desktop files below /usr/share).
#
#   bash scripts/check-package.sh [BUILD_FOLDER] [--install]
#
# BUILD_FOLDER defaults to build. --install (as root, on Debian) then installs the
# package with apt-get, uses the installed programs and removes the package again.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
install=no
for argument in "$@"; do
  case "$argument" in
    --install) install=yes ;;
    *) build=$(cd "$argument" && pwd) ;;
  esac
done
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cmake --build "$build" --target quillmere quillmere-publish qm_samples qm_packaging_files >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/quillmere_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
[ -f "$deb" ] || { echo "FAIL: cpack made no $deb" >&2; exit 1; }

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = quillmere ] || fail "Package: $(field Package)"
[ "$(field Version)" = 1.0 ] || fail "Version: $(field Version)"
field Maintainer | grep -q '^Brindlecove <.*@.*>$' || fail "Maintainer: $(field Maintainer)"
description=$(field Description)
[ "$(printf '%s\n' "$description" | wc -l)" -ge 3 ] || fail "Description has no long part: $description"
if printf '%s\n' "$description" | awk 'length > 80 { found = 1 } END { exit !found }'; then
  fail "Description has lines of more than 80 columns"
fi
depends=$(field Depends)
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6httpserver6 libjpeg62-turbo libgif7 libpng16-16 libwebp7 \
               libwebpdemux2 libheif1 libtiff6 liblcms2-2 qt6-qpa-plugins; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[[ "$depends" != *-dev* ]] || fail "Depends names a -dev package: $depends"

# The files: "type path" per line, with links as "l path -> target".
contents=$(dpkg-deb --contents "$deb" | awk '{ type = substr($1, 1, 1); $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print type, $0 }')
bin=$(printf '%s\n' "$contents" | grep '^[^d] \./usr/bin/' || true)
expected_bin="l ./usr/bin/quillmere -> ../lib/quillmere/quillmere
l ./usr/bin/quillmere-publish -> ../lib/quillmere/quillmere-publish"
[ "$bin" = "$expected_bin" ] || fail "/usr/bin holds other than the two links:
$bin"
for path in usr/lib/quillmere/quillmere usr/lib/quillmere/quillmere-publish \
            usr/lib/quillmere/player/foldreel.swf usr/lib/quillmere/player/expressinstall.swf \
            usr/lib/quillmere/player/swfobject.js usr/lib/quillmere/help/index.html \
            usr/lib/quillmere/samples/index.html usr/lib/quillmere/samples/sample.qmreel1.in \
            usr/lib/quillmere/samples/sample-fill/sample.html usr/lib/quillmere/samples/sample-fit/sample.html \
            usr/share/applications/quillmere.desktop usr/share/mime/packages/quillmere.xml \
            usr/share/icons/hicolor/scalable/apps/quillmere.svg usr/share/icons/hicolor/48x48/apps/quillmere.png \
            usr/share/man/man1/quillmere.1.gz usr/share/man/man1/quillmere-publish.1.gz; do
  printf '%s\n' "$contents" | grep -qx -- "- ./$path" || fail "the package lacks /$path"
done
stray=$(printf '%s\n' "$contents" | awk '{ print $2 }' | grep -v -e '^\./usr/lib/quillmere/' -e '^\./usr/share/' -e '^\./usr/bin/' \
        -e '^\./usr/$' -e '^\./usr/lib/$' || true)
[ -z "$stray" ] || fail "files outside the program folder and share/:
$stray"
if printf '%s\n' "$contents" | grep -q -e 'qm_tests' -e 'qm_bench' -e "$build"; then
  fail "the package holds test programs or names the build folder"
fi

if [ "$install" = yes ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq "$deb" >/dev/null
  trap 'apt-get remove -y -qq quillmere >/dev/null' EXIT
  [ "$(ls -A /usr/bin | grep -c '^quillmere')" = 2 ] || fail "/usr/bin: $(ls /usr/bin | grep '^quillmere')"
  quillmere-publish --help | grep -q '^Usage: quillmere-publish' || fail "quillmere-publish --help"
  MANPAGER=cat man quillmere-publish 2>/dev/null | grep -q 'publish a Quillmere project' || fail "man quillmere-publish"
  work=$(mktemp -d)
  sed "s|@SAMPLES@|/usr/lib/quillmere/samples|g" /usr/lib/quillmere/samples/sample.qmreel1.in > "$work/sample.qmreel1"
  page=$(HOME="$work" quillmere-publish "$work/sample.qmreel1" "$work/gallery")
  [ -s "$page" ] && cmp -s /usr/lib/quillmere/player/foldreel.swf "$work/gallery/foldreel.swf" ||
    fail "the installed publisher did not publish the sample with the player files"
  rm -rf "$work"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) of $deb failed" >&2
  exit 1
fi
echo "package $deb: control fields, dependencies and files fine"
