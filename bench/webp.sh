#!/usr/bin/env bash
# The WebP copies against the JPEGs: the corpus's 24 JPEGs published through
# quillmere-publish --hidpi --webp (a Release build), and each 1x and 2x JPEG and WebP
# measured against the drawn picture both encoders were handed: size, PSNR of RGB and
# of the luma, SSIM of the luma, butteraugli's distance; and PSNR against a 16-bit
# Lanczos resize of the source, also for the 2x pictures drawn from the item
# picture's decode against the same drawn from a decode of their own. With
# --sweep Q,M ... it also encodes the drawn pictures with cwebp at those qualities
# and methods (size, PSNR, SSIM, encoding time) to choose the copies' settings.
#
#   bench/webp.sh [--build DIR] [--corpus DIR] [--out DIR] [--no-butteraugli] [--sweep Q,M ...]
#
# Defaults: build <repo>/build-bench (configured Release), corpus /tmp/qm-corpus (made
# by bench/make-corpus.sh if missing), out /tmp/qm-webp-bench (report.md there). Needs
# python3-numpy, python3-pil, python3-scipy, imagemagick, webp and butteraugli.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
BUILD=$ROOT/build-bench CORPUS=/tmp/qm-corpus
ARGS=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --build) BUILD=$2; shift 2 ;;
    --corpus) CORPUS=$2; ARGS+=(--corpus "$2"); shift 2 ;;
    --out) ARGS+=("$1" "$2"); shift 2 ;;
    --no-butteraugli) ARGS+=("$1"); shift ;;
    --sweep) ARGS+=(--sweep); shift; while [[ $# -gt 0 && $1 != --* ]]; do ARGS+=("$1"); shift; done ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
for b in convert-im6.q16 cwebp dwebp butteraugli; do
  command -v "$b" >/dev/null || { echo "missing $b (apt-get install imagemagick webp butteraugli" \
    "python3-numpy python3-pil python3-scipy)" >&2; exit 1; }
done
[[ -f $CORPUS/manifest.tsv ]] || "$HERE/make-corpus.sh" "$CORPUS"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target quillmere-publish qm-resize -j2 >/dev/null
exec /usr/bin/python3 "$HERE/webp.py" --publisher "$BUILD/bin/quillmere-publish" --resize "$BUILD/bin/qm-resize" \
  --template "$ROOT/data/samples/sample.qmreel1.in" "${ARGS[@]}"
