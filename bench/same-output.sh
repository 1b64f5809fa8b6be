#!/usr/bin/env bash
# Proves that a change leaves published pictures byte for byte as they were: the
# corpus's JPEGs, GIFs, BMPs and its PNG, WebP, HEIC and AVIF pictures published by
# quillmere-publish built from BASE (a git revision, default main) and from the work
# tree, one after the other, and every output file's SHA-256 compared; then the work
# tree's 1x pictures of a publish with --hidpi --webp compared with the same.
#
#   bench/same-output.sh [BASE] [--corpus DIR] [--out DIR]
#
# Defaults: corpus /tmp/qm-corpus (bench/make-corpus.sh), out /tmp/qm-same-output.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
BASE=main CORPUS=/tmp/qm-corpus OUT=/tmp/qm-same-output
while [[ $# -gt 0 ]]; do
  case $1 in
    --corpus) CORPUS=$2; shift 2 ;;
    --out) OUT=$2; shift 2 ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) BASE=$1; shift ;;
  esac
done
[[ -f $CORPUS/manifest.tsv ]] || "$HERE/make-corpus.sh" "$CORPUS"
rm -rf "$OUT"; mkdir -p "$OUT/base-src" "$OUT/home/data" "$OUT/tmp"
git -C "$ROOT" archive "$BASE" | tar -x -C "$OUT/base-src"
for side in base work; do
  src=$ROOT; [[ $side == base ]] && src=$OUT/base-src
  cmake -S "$src" -B "$OUT/build-$side" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
  cmake --build "$OUT/build-$side" --target quillmere-publish -j2 >/dev/null
done
/usr/bin/python3 - "$HERE" "$ROOT/data/samples/sample.qmreel1.in" "$CORPUS" "$OUT/project.qmreel1" <<'PY'
import glob, sys
sys.path.insert(0, sys.argv[1])
from publish import make_project
pictures = sorted(glob.glob(f'{sys.argv[3]}/jpeg/*.jpg') + glob.glob(f'{sys.argv[3]}/gif/*.gif') + glob.glob(f'{sys.argv[3]}/bmp/*.bmp')
                  + glob.glob(f'{sys.argv[3]}/formats/*.*'))
make_project(sys.argv[2], sys.argv[4], pictures)
print(f'{len(pictures)} pictures')
PY
publish() { # side name flags...
  local side=$1 name=$2; shift 2
  HOME=$OUT/home XDG_DATA_HOME=$OUT/home/data TMPDIR=$OUT/tmp \
    "$OUT/build-$side/bin/quillmere-publish" --no-cache "$@" "$OUT/project.qmreel1" "$OUT/published-$name" >/dev/null
  (cd "$OUT/published-$name" && sha256sum p*_t.* | sort -k2) > "$OUT/$name.sha256"
}
publish base base --no-hidpi --no-webp
publish work work --no-hidpi --no-webp
publish work extras --hidpi --webp
# Plain: the same files; with the extras: each of those files among them, unchanged.
status=0
if cmp -s "$OUT/base.sha256" "$OUT/work.sha256"; then
  echo "same: all $(wc -l < "$OUT/work.sha256") pictures byte for byte identical ($OUT/work.sha256)"
else
  diff "$OUT/base.sha256" "$OUT/work.sha256" || true
  echo "DIFFERENT: see $OUT/base.sha256 and $OUT/work.sha256" >&2
  status=1
fi
missing=$(comm -23 <(sort "$OUT/base.sha256") <(sort "$OUT/extras.sha256"))
if [[ -z $missing ]]; then
  echo "same with --hidpi --webp: all $(wc -l < "$OUT/base.sha256") pictures byte for byte identical ($OUT/extras.sha256)"
else
  echo "$missing"
  echo "DIFFERENT with --hidpi --webp: the pictures above are missing or changed in $OUT/extras.sha256" >&2
  status=1
fi
exit $status
