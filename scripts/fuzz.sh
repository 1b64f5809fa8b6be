#!/usr/bin/env bash
# Builds the fuzz targets of the picture decoders and of the project reader with
# clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for
# a set time, starting from the seed files in tests/fuzz/corpus/<codec>/. New inputs
# the fuzzer finds go to the work folder, not into the repository; a crash leaves
# its input there and fails the run.
#
#   scripts/fuzz.sh [--time SECONDS] [--build DIR] [--work DIR] [codec ...]
#
# Defaults: 60 s per target, build <repo>/build-fuzz, work /tmp/qm-fuzz, codecs jpeg gif bmp png webp heif tiff project.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TIME=60 BUILD=$ROOT/build-fuzz WORK=/tmp/qm-fuzz CODECS=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --time) TIME=$2; shift 2 ;;
    --build) BUILD=$2; shift 2 ;;
    --work) WORK=$2; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    jpeg|gif|bmp|png|webp|heif|tiff|project) CODECS+=("$1"); shift ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done
[[ ${#CODECS[@]} -gt 0 ]] || CODECS=(jpeg gif bmp png webp heif tiff project)
CC=${CC:-clang-14} CXX=${CXX:-clang++-14}
command -v "$CXX" >/dev/null || { echo "missing $CXX (apt-get install clang-14 libclang-rt-14-dev)" >&2; exit 1; }

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$CC" -DCMAKE_CXX_COMPILER="$CXX" \
  -DQM_FUZZ=ON -DQM_SANITIZE=ON -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$BUILD" -j2 --target "${CODECS[@]/#/fuzz_}"

# Leaks inside system libraries that no caller can free are listed there.
export LSAN_OPTIONS=suppressions=$ROOT/tests/fuzz/lsan.supp:print_suppressions=0
status=0
for codec in "${CODECS[@]}"; do
  corpus=$WORK/$codec artifacts=$WORK/crashes-$codec/
  mkdir -p "$corpus" "$artifacts"
  cp -n "$ROOT/tests/fuzz/corpus/$codec/"* "$corpus/" 2>/dev/null || true
  # A target's dictionary of the words its format is made of, where it has one.
  dict=(); [[ -f $ROOT/tests/fuzz/$codec.dict ]] && dict=(-dict="$ROOT/tests/fuzz/$codec.dict")
  echo "== fuzz_$codec for ${TIME} s (corpus $corpus)"
  if ! "$BUILD/bin/fuzz_$codec" "$corpus" "${dict[@]}" -max_total_time="$TIME" -timeout=10 -rss_limit_mb=2048 \
      -max_len=65536 -artifact_prefix="$artifacts" -print_final_stats=1 2>"$WORK/fuzz_$codec.log"; then
    echo "!! fuzz_$codec failed: see $WORK/fuzz_$codec.log and $artifacts" >&2
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|cov:" "$WORK/fuzz_$codec.log" | tail -3
done
exit $status
