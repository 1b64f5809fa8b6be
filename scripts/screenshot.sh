#!/usr/bin/env bash
# Takes a screenshot of the editor's main window on a virtual X display.
# Usage: scripts/screenshot.sh [build folder] [output picture] [project file to open]
#                               [item pane picture]
# Builds nothing: the editor must already be built in the build folder (default
# build/). The picture goes to docs/main-window.png unless another path is given;
# its path is printed at the end. With a fourth argument the first item of the
# project is then selected and the window taken again, showing the item pane with
# its picture preview.
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
item_out=${4:-}
if [[ -n "$item_out" ]]; then
    case "$item_out" in /*) ;; *) item_out="$here/$item_out" ;; esac
    mkdir -p "$(dirname "$item_out")"
fi
export EDITOR_BIN="$editor" SHOT_OUT="$out" ITEM_OUT="$item_out" PROJECT="$project" HOME="$scratch" XDG_DATA_HOME="$scratch/data" \
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
    if [[ -n "$ITEM_OUT" ]]; then
        # The root node is the tree'"'"'s first row; the item below it is one key press away.
        xdotool mousemove --window "$window" 60 58 click 1
        sleep 0.3
        xdotool key Down
        sleep 1.5
        import -window "$window" "$ITEM_OUT"
    fi
    # Close the editor the way a session does: it closes its window, which runs the
    # close query, and ends. Selecting an item marks the project modified, so the
    # question to save may come up: it is answered No.
    kill -TERM "$pid"
    for attempt in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        if [[ -n "$ITEM_OUT" && $attempt == 10 ]]; then xdotool key n; fi
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
if [[ -n "$item_out" ]]; then echo "$item_out"; fi
