#!/usr/bin/env bash
# Takes a screenshot of the editor's main window on a virtual X display.
# Usage: scripts/screenshot.sh [build folder] [output picture] [project file to open]
# Builds nothing: the editor must already be built in the build folder (default
# build/). The picture goes to docs/main-window.png unless another path is given;
# its path is printed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
out=${2:-docs/main-window.png}
case "$out" in /*) ;; *) out="$here/$out" ;; esac
editor="$build/bin/quillmere"
if [[ ! -x "$editor" ]]; then
    echo "screenshot.sh: no editor at $editor (build the target 'quillmere' first)" >&2
    exit 1
fi
mkdir -p "$(dirname "$out")"

# The editor runs with a scratch home, so the screenshot leaves no files behind in
# the user's folders and always shows a fresh start.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

project=${3:-}
export EDITOR_BIN="$editor" SHOT_OUT="$out" PROJECT="$project" HOME="$scratch" XDG_DATA_HOME="$scratch/data" \
       XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

xvfb-run --auto-servernum --server-args="-screen 0 1100x760x24" bash -c '
    set -euo pipefail
    "$EDITOR_BIN" ${PROJECT:+"$PROJECT"} &
    pid=$!
    # Wait until the main window is mapped (up to 20 seconds).
    window=""
    for _ in $(seq 1 100); do
        if ! kill -0 "$pid" 2>/dev/null; then echo "screenshot.sh: the editor exited early" >&2; exit 1; fi
        if xwininfo -name Quillmere 2>/dev/null | grep -q "Map State: IsViewable"; then
            window=$(xwininfo -name Quillmere | awk "/Window id:/ {print \$4}")
            break
        fi
        sleep 0.2
    done
    if [[ -z "$window" ]]; then echo "screenshot.sh: the window did not appear" >&2; kill -KILL "$pid"; exit 1; fi
    sleep 1.5
    import -window "$window" "$SHOT_OUT"
    # Close the editor the way a session does: it closes its window, which runs the
    # close query, and ends.
    kill -TERM "$pid"
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "screenshot.sh: the editor did not close" >&2
        kill -KILL "$pid"
        exit 1
    fi
    wait "$pid"
'
echo "$out"
