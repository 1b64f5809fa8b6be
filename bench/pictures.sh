#!/usr/bin/env bash
# Picture benchmark: our resize path (qm-resize, a Release build) against vipsthumbnail
# and ImageMagick in the same run, single-threaded, mode 1 to 667 x 375, over a
# generated corpus of 12 MP and 24 MP JPEGs, GIFs and BMPs, and PNG, WebP, HEIC and
# AVIF pictures made from portrait 12 MP JPEGs; reports time, CPU time, peak memory and PSNR
# against a 16-bit Lanczos reference.
#
#   bench/pictures.sh [--build DIR] [--corpus DIR] [--out DIR] [--repeats N] [--per-class N] [--only REGEX]
#
# Defaults: build <repo>/build-bench (configured Release, only qm-resize is built),
# corpus /tmp/qm-corpus (made by bench/make-corpus.sh, about 4 minutes, if missing),
# out /tmp/qm-pictures-bench (report.md there). Needs libvips-tools, imagemagick,
# python3-numpy, and for the corpus only python3-pil, webp, libheif-examples and libavif-bin.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
BUILD=$ROOT/build-bench CORPUS=/tmp/qm-corpus
ARGS=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --build) BUILD=$2; shift 2 ;;
    --corpus) CORPUS=$2; ARGS+=(--corpus "$2"); shift 2 ;;
    --out|--repeats|--per-class|--only) ARGS+=("$1" "$2"); shift 2 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
for b in vipsthumbnail convert-im6.q16 python3 cwebp heif-enc avifenc; do
  command -v "$b" >/dev/null || { echo "missing $b (apt-get install libvips-tools imagemagick python3-numpy webp"\
    "libheif-examples libavif-bin)" >&2; exit 1; }
done
"$HERE/make-corpus.sh" "$CORPUS"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target qm-resize -j2 >/dev/null
export VIPS_CONCURRENCY=1 OMP_NUM_THREADS=1 OMP_THREAD_LIMIT=1 MAGICK_THREAD_LIMIT=1
exec /usr/bin/python3 "$HERE/pictures.py" --ours "$BUILD/bin/qm-resize" "${ARGS[@]}"
