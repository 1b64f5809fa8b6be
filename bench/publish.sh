#!/usr/bin/env bash
# Publishing benchmark: the corpus's 24 JPEGs (12 and 24 megapixels) published through
# quillmere-publish (a Release build) to 667 x 375, and in the same run vipsthumbnail
# making the same pictures as one single-threaded process and as two side by side.
#
# Reports (median wall and CPU times) the first publish, the unchanged project
# published again into its folder (from the picture cache), --jobs 1 --no-cache,
# whether the three output folders are byte-identical, the peak memory with two
# workers and the load average; then the same first and second publish with
# --hidpi (2x pictures), --webp (WebP copies) and both against the plain ones, and
# whether the 1x pictures stay byte-identical with them.
#
#   bench/publish.sh [--build DIR] [--corpus DIR] [--out DIR] [--repeats N]
#
# Defaults: build <repo>/build-bench (configured Release; only quillmere-publish is
# built), corpus /tmp/qm-corpus (made by bench/make-corpus.sh if missing), out
# /tmp/qm-publish-bench (report.md there; its own HOME and TMPDIR, so the user's
# picture cache is never touched). Needs libvips-tools and python3.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
BUILD=$ROOT/build-bench CORPUS=/tmp/qm-corpus
ARGS=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --build) BUILD=$2; shift 2 ;;
    --corpus) CORPUS=$2; ARGS+=(--corpus "$2"); shift 2 ;;
    --out|--repeats) ARGS+=("$1" "$2"); shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
for b in vipsthumbnail python3 /usr/bin/time; do
  command -v "$b" >/dev/null || { echo "missing $b (apt-get install libvips-tools python3 time)" >&2; exit 1; }
done
[[ -f $CORPUS/manifest.tsv ]] || "$HERE/make-corpus.sh" "$CORPUS"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target quillmere-publish -j2 >/dev/null
exec /usr/bin/python3 "$HERE/publish.py" --publisher "$BUILD/bin/quillmere-publish" \
  --template "$ROOT/data/samples/sample.qmreel1.in" "${ARGS[@]}"
