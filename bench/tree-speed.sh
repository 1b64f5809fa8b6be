#!/usr/bin/env bash
# Times large projects in the real editor window and in the headless publisher.
#   tree-speed.sh [BUILD_DIR] [ITEMS] [HEADLESS_ITEMS]
# BUILD_DIR defaults to build-rel (use a Release build), ITEMS to 10000, HEADLESS_ITEMS
# to 100000. Needs xvfb-run and xdotool; runs itself under Xvfb when DISPLAY is unset.
#
# For a flat project (every item under the root) and a nested one (levels 0, 1, 2, ...)
# the editor is started with the project on its command line and driven from outside:
#   open     from the start until the window is idle (wall: start included, as for
#            "empty"; processor time: less that of starting without a project)
#   publish  Item > Insert (Alt+I, N) to make the project modified, then Ctrl+S; the
#            pictures do not exist, so every item is published without one
#   undo     Ctrl+Z, which takes the Insert back, then redo: Ctrl+Y, which does it again
#   close    File > Exit (Alt+F, X) until the process has ended
# "Idle" is the moment the process's processor time last grew, watched through
# /proc/PID/schedstat; each phase also reports the processor time it used, which says
# more than the wall clock on a busy machine. Then quillmere-publish publishes
# HEADLESS_ITEMS items, flat and nested; its figures come from /usr/bin/time.
set -euo pipefail

BUILD=$(realpath "${1:-build-rel}")
ITEMS=${2:-10000}
HEADLESS=${3:-100000}
EDITOR_BIN=$BUILD/bin/quillmere
PUBLISHER=$BUILD/bin/quillmere-publish

if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$BUILD" "$ITEMS" "$HEADLESS"
fi

WORK=$(mktemp -d /tmp/qm-tree-speed.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
# A private home, so that the recent files and working folders of the user stay untouched.
export HOME=$WORK/home XDG_DATA_HOME=$WORK/home/data XDG_CONFIG_HOME=$WORK/home/config
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# make_project FILE COUNT flat|nested
make_project() {
  awk -v n="$2" -v shape="$3" 'BEGIN {
    ORS = "\r\n"
    print "<Warning_Info>"
    print "Note: This file was created and maintained by Quillmere 1.0."
    print "Do not modify it or script project may not be opened again!"
    print "</Warning_Info>"
    print "<Product_Name>"; print "Quillmere"; print "</Product_Name>"
    print "<Product_Version>"; print "1.0"; print "</Product_Version>"
    print "<Applet_Parameters>"
    print "slideshow1#$@667#$@75#$@375#$@6#$@1#$@#$@1#$@1#$@1#$@24#$@FFFFFF#$@24#$@FFFFFF#$@000000#$@000000#$@1#$@000000#$@0#$@#$@#$@#$@1#$@"
    print "</Applet_Parameters>"
    print "<Item_Parameters>"
    for (i = 0; i < n; i++)
      printf "#$@#$@pictures/p%d.jpg#$@#$@_self#$@Title %d#$@#$@%d#$@#$@#$@#$@\r\n", i, i, (shape == "nested" ? i : 0)
    print "</Item_Parameters>"
  }' > "$1"
}

cpu_ns() { awk '{ print $1 }' "/proc/$1/schedstat" 2>/dev/null || echo -1; }
now_ns() { date +%s%N; }

# wait_idle PID: waits until the process has used no processor time for 0.4 s and
# sets IDLE_AT (ns, the last moment its time grew) and IDLE_CPU (its total, ns).
wait_idle() {
  local pid=$1 last=-2 last_change quiet=0 c
  last_change=$(now_ns)
  while kill -0 "$pid" 2>/dev/null; do
    c=$(cpu_ns "$pid")
    if [[ "$c" != "$last" ]]; then
      last=$c; last_change=$(now_ns); quiet=0
    else
      quiet=$((quiet + 1))
      ((quiet >= 40)) && break
    fi
    sleep 0.01
  done
  IDLE_AT=$last_change
  IDLE_CPU=$last
}

ms() { echo $((($1) / 1000000)); }

# start_editor [PROJECT]: sets PID, WID and START (ns) once the window is up and idle.
start_editor() {
  START=$(now_ns)
  "$EDITOR_BIN" "$@" 2>>"$WORK/editor.log" &
  PID=$!
  WID=$(xdotool search --sync --onlyvisible --pid "$PID" --name '^Quillmere$' | head -1)
  wait_idle "$PID"
}

# press KEYS...: gives the window the focus and types the keys in turn, as a user would.
press() {
  xdotool windowfocus "$WID" 2>/dev/null || true
  local key
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.05
  done
}

close_editor() {
  local t0 c0 rc=0 waited=0
  t0=$(now_ns)
  c0=$(cpu_ns "$PID")
  press alt+f x
  while kill -0 "$PID" 2>/dev/null && ((waited < 3000)); do sleep 0.01; waited=$((waited + 1)); done
  if kill -0 "$PID" 2>/dev/null; then
    echo "  close: the window did not close within 30 s" >&2
    kill -TERM "$PID"
  fi
  wait "$PID" || rc=$?
  CLOSE_WALL=$(($(now_ns) - t0))
  CLOSE_RC=$rc
  CLOSE_CPU_BEFORE=$c0
}

echo "editor: $EDITOR_BIN, $ITEMS items; headless: $PUBLISHER, $HEADLESS items"

# The cost of starting and stopping an empty editor, taken off the opening figures.
start_editor
BASE_WALL=$((IDLE_AT - START))
BASE_CPU=$IDLE_CPU
close_editor
printf '%-8s start %5d ms wall, %5d ms cpu; close %5d ms wall, exit %d\n' empty "$(ms BASE_WALL)" "$(ms BASE_CPU)" \
  "$(ms CLOSE_WALL)" "$CLOSE_RC"

for shape in flat nested; do
  dir=$WORK/$shape
  mkdir -p "$dir"
  project=$dir/gallery.qmreel1
  make_project "$project" "$ITEMS" "$shape"

  start_editor "$project"
  open_wall=$((IDLE_AT - START))
  open_cpu=$((IDLE_CPU - BASE_CPU))

  t0=$(now_ns)
  press alt+i n
  wait_idle "$PID"
  c0=$IDLE_CPU
  t0=$(now_ns)
  before=$(stat -c %Y.%N "$project" 2>/dev/null || true)
  press ctrl+s
  wait_idle "$PID"
  publish_wall=$((IDLE_AT - t0))
  publish_cpu=$((IDLE_CPU - c0))
  after=$(stat -c %Y.%N "$project" 2>/dev/null || true)
  [[ "$before" != "$after" && -f $dir/gallery.html ]] || echo "  publish: no new project file or page in $dir" >&2
  lines=$(($(wc -l <"$project") - 15))

  for step in undo redo; do
    c0=$IDLE_CPU
    t0=$(now_ns)
    if [[ $step == undo ]]; then press ctrl+z; else press ctrl+y; fi
    wait_idle "$PID"
    printf -v "${step}_wall" %d $((IDLE_AT - t0))
    printf -v "${step}_cpu" %d $((IDLE_CPU - c0))
  done

  close_editor
  printf '%-8s start+open %5d ms wall, %5d ms cpu; publish %5d ms wall, %5d ms cpu (%d items saved); close %5d ms wall, exit %d\n' \
    "$shape" "$(ms open_wall)" "$(ms open_cpu)" "$(ms publish_wall)" "$(ms publish_cpu)" "$lines" "$(ms CLOSE_WALL)" "$CLOSE_RC"
  printf '%-8s undo of the Insert %5d ms wall, %5d ms cpu; redo %5d ms wall, %5d ms cpu\n' \
    "$shape" "$(ms undo_wall)" "$(ms undo_cpu)" "$(ms redo_wall)" "$(ms redo_cpu)"
done

for shape in flat nested; do
  dir=$WORK/headless-$shape
  mkdir -p "$dir"
  make_project "$dir/gallery.qmreel1" "$HEADLESS" "$shape"
  /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" "$PUBLISHER" "$dir/gallery.qmreel1" >/dev/null 2>"$WORK/publish.log" ||
    echo "  headless: exit $?" >&2
  read -r wall user sys rss <"$WORK/time"
  printf 'headless %-6s %d items: %s s wall, %s s user, %s s sys, %d MB\n' "$shape" "$HEADLESS" "$wall" "$user" "$sys" $((rss / 1024))
done
