#!/usr/bin/env bash
# Set-up, build, and the main job: publish the bundled sample project.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
out="$here/build/sample-gallery"
build/bin/quillmere-publish data/samples/sample.qmreel1 "$out"
