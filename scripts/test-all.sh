#!/usr/bin/env bash
# Set-up, then every test: the normal build (browser test included), its Debian
# package, and the sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")
# The Debian package, where there is dpkg-deb to read it.
if command -v dpkg-deb >/dev/null; then
  bash scripts/check-package.sh build
fi

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON -DQM_BROWSER_TESTS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$jobs")
