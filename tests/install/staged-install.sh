#!/usr/bin/env bash
# Installs the build into a staging folder and uses it as a user would: the publisher
# started through its link in bin/ must find the player files in the program folder,
# the editor's help and samples must lie there too, and the desktop files must pass the
# desktop's own checkers.
#
#   bash tests/install/staged-install.sh BUILD_FOLDER WORK_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
stage="$work/stage"
program="$stage/lib/quillmere"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing; install $2 (scripts/setup.sh does)" >&2; exit 1; }; }
need desktop-file-validate desktop-file-utils
need xmllint libxml2-utils

rm -rf "$work"
mkdir -p "$work/home/data"
cmake --install "$build" --prefix "$stage" >/dev/null
# The publisher keeps its scratch files in a private folder; HOME stays off the real one all the same.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

# bin/ holds the two links and nothing else, each leading into the program folder.
listing=$(cd "$stage/bin" && ls -A | tr '\n' ' ')
[ "$listing" = "quillmere quillmere-publish " ] || fail "bin/ holds: $listing"
for name in quillmere quillmere-publish; do
  [ -L "$stage/bin/$name" ] || fail "bin/$name is not a link"
  [ "$(readlink -f "$stage/bin/$name")" = "$(readlink -f "$program/$name")" ] || fail "bin/$name does not lead to $program/$name"
  [ -x "$program/$name" ] || fail "$program/$name is missing"
done

# Every folder the programs look up beside themselves.
for file in player/foldreel.swf player/expressinstall.swf player/swfobject.js help/index.html help/getting_started.htm \
            samples/index.html samples/sample.qmreel1.in samples/sample-fill/sample.html samples/sample-fit/sample.html; do
  [ -f "$program/$file" ] || fail "$file is missing from the program folder"
done

"$stage/bin/quillmere-publish" --help | grep -q '^Usage: quillmere-publish PROJECT_FILE' || fail "quillmere-publish --help"

# The bundled sample, published through the link in bin/ and through a link to that link
# in another folder: either way the player files come from the program folder, since
# neither bin/ nor the other folder has any.
sed "s|@SAMPLES@|$program/samples|g" "$program/samples/sample.qmreel1.in" > "$work/sample.qmreel1"
mkdir -p "$work/elsewhere"
ln -s "$stage/bin/quillmere-publish" "$work/elsewhere/publish"
for publisher in "$stage/bin/quillmere-publish" "$work/elsewhere/publish"; do
  out="$work/gallery-$(basename "$publisher")"
  page=$(cd "$work" && "$publisher" sample.qmreel1 "$out") || { fail "$publisher failed"; continue; }
  [ "$page" = "$out/sample.html" ] && [ -s "$page" ] || fail "$publisher printed \"$page\", not the page $out/sample.html"
  for file in foldreel.swf expressinstall.swf swfobject.js; do
    cmp -s "$program/player/$file" "$out/$file" || fail "$publisher did not copy the player file $file"
  done
  [ "$(find "$out" -name '*.jpg' | wc -l)" -ge 1 ] || fail "$publisher wrote no pictures"
done

# Desktop integration.
share="$stage/share"
desktop-file-validate "$share/applications/quillmere.desktop" || fail "desktop-file-validate"
xmllint --noout "$share/mime/packages/quillmere.xml" || fail "xmllint on the MIME package"
if command -v update-mime-database >/dev/null; then
  # The package compiles into a MIME database that knows the type.
  cp -r "$share/mime" "$work/mime"
  update-mime-database "$work/mime" >/dev/null 2>&1 || fail "update-mime-database"
  [ -f "$work/mime/application/x-quillmere.document.xml" ] || fail "the MIME database does not know the project type"
  grep -q 'application/x-quillmere.document:\*\.qmreel1' "$work/mime/globs" || fail "the MIME database has no glob for *.qmreel1"
fi
[ -f "$share/icons/hicolor/scalable/apps/quillmere.svg" ] || fail "scalable icon missing"
xmllint --noout "$share/icons/hicolor/scalable/apps/quillmere.svg" || fail "the scalable icon is no well-formed SVG"
for png in "$share"/icons/hicolor/*x*/apps/quillmere.png; do
  [ -f "$png" ] || { fail "no PNG icons"; break; }
  size=$(basename "$(dirname "$(dirname "$png")")")
  # Width and height from the PNG header: 4 bytes each at offset 16.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
  [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}"
done
for page in quillmere quillmere-publish; do
  man_page="$share/man/man1/$page.1.gz"
  [ -f "$man_page" ] || { fail "man page $page missing"; continue; }
  if command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$man_page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page $page: $warnings"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) of the staged installation failed" >&2
  exit 1
fi
echo "staged installation in $stage: links, program folder, sample publishing and desktop files all fine"
