#!/usr/bin/env bash
# Publishes the two sample galleries of data/samples/ with the built quillmere-publish:
# sample-fill/ ("Best Fit to Specified Size": pictures fill the frame, edges cropped) and
# sample-fit/ ("Keep Origianl Aspect Ratio": whole pictures, margins in the fill colour).
# Both come from the template data/samples/sample.qmreel1.in, whose picture paths read
# @SAMPLES@/name.jpg.
#
#   bash scripts/make-samples.sh [BUILD_FOLDER] [SAMPLES_FOLDER]
#
# BUILD_FOLDER defaults to build; SAMPLES_FOLDER, where the galleries go beside the
# pictures, to BUILD_FOLDER/bin/samples. The build runs this after every change of the
# publisher, the player or the samples, so the galleries always match the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
publisher="$build/bin/quillmere-publish"
samples=${2:-$build/bin/samples}
template="$here/data/samples/sample.qmreel1.in"

if [ ! -x "$publisher" ]; then
  echo "make-samples: $publisher is missing; build the target quillmere-publish first" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The publisher's working folders go to a throw-away home.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data"
mkdir -p "$XDG_DATA_HOME"

# Line 12 holds the gallery values, each followed by "#$@"; value 17 is ThumbProcessType
# and value 18 ThumbFillColor.
set_value() { # file position value
  sed -i -E "12s/^((([^#]|#[^$]|#\\\$[^@])*#\\\$@){$(($2 - 1))})([^#]*)#\\\$@/\\1$3#\$@/" "$1"
}

for mode in fill fit; do
  mkdir -p "$work/$mode"
  project="$work/$mode/sample.qmreel1"
  sed "s|@SAMPLES@|$samples|g" "$template" > "$project"
  if [ "$mode" = fit ]; then
    set_value "$project" 17 0
    set_value "$project" 18 1E1E28
  fi
  out="$samples/sample-$mode"
  rm -rf "$out"
  "$publisher" --no-cache "$project" "$out" >/dev/null
  # The published copy of the project names this machine's folders: put the placeholder back.
  sed -i "s|$samples|@SAMPLES@|g" "$out/sample.qmreel1"
  echo "published $out"
done
