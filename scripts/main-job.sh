#!/usr/bin/env bash
# Set-up, build, and the main job: publish the bundled sample project with the
# headless publisher, then start the editor. Without a display the editor is
# started on a virtual one just long enough to leave a screenshot of its window.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

# The sample project names its pictures relative to the samples folder.
sample="$here/build/sample"
mkdir -p "$sample"
sed "s|@SAMPLES@|$here/build/bin/samples|g" build/bin/samples/sample.qmreel1.in > "$sample/sample.qmreel1"
page=$(build/bin/quillmere-publish "$sample/sample.qmreel1" "$sample/gallery")
echo "Sample gallery published: $page"

if [ -n "${DISPLAY:-}" ]; then
  exec build/bin/quillmere "$sample/sample.qmreel1"
fi
bash scripts/screenshot.sh build "$here/build/main-window.png" "$sample/sample.qmreel1"
