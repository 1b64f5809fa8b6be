#!/usr/bin/env bash
# Builds the publishing tests and the headless publisher with ThreadSanitizer and runs
# the tests that draw pictures on worker threads (the picture pass, the picture cache,
# the publishing driver and quillmere-publish end to end). Qt itself is not built with
# the sanitizer, so what it does inside its own library is not seen; our threads, the
# cache and the codecs they call are.
#
#   scripts/tsan.sh [--build DIR] [--tests REGEX]
#
# Defaults: build <repo>/build-tsan, tests "PicturePass|PictureCache|PicturesItemPass|Driver|Cli".
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build-tsan TESTS='PicturePass|PictureCache|PicturesItemPass|Driver|Cli'
while [[ $# -gt 0 ]]; do
  case $1 in
    --build) BUILD=$2; shift 2 ;;
    --tests) TESTS=$2; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" -DCMAKE_C_FLAGS="-fsanitize=thread" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" -DQM_BROWSER_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target qm_tests_publish quillmere-publish
cd "$BUILD"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
QT_QPA_PLATFORM=offscreen ctest -R "$TESTS" --output-on-failure
