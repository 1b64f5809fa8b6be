#!/usr/bin/env bash
# A long save in the real editor window, driven from outside under Xvfb.
#   [ROUNDS=3] long-save.sh [BUILD_DIR] [PHOTOS] [SCREENSHOT.png]
# BUILD_DIR defaults to build, PHOTOS to 280: the JPEG photos of the benchmark corpus
# (bench/make-corpus.sh, made in /tmp/qm-corpus when missing), repeated under names of
# their own, so that no picture is taken from another's cache entry. Needs xvfb-run,
# openbox and xdotool; runs itself under Xvfb when DISPLAY is unset. The per-user
# folders and the picture cache are private to the run and emptied before each save.
#
# ROUNDS times, since the load of a shared machine changes from minute to minute:
#   headless  quillmere-publish PROJECT OUT: wall time
#   save      Item > Insert (Alt+I, N) to make the project modified, then Ctrl+S, until
#             the items file, the last file a save writes, is there: wall time and its
#             ratio to the headless one (goal: at most 1.1), the ratio of their processor
#             times (which the other work of a shared machine changes less), the longest
#             pause of the window's event loop meanwhile (goal: under 100 ms) from the
#             editor's own QM_STALL_LOG, and how long the window's thread was ready to run
#             but waited for a processor (on a busy machine the stalls are mostly that);
#             then the medians of the ratio and of the longest stall
# and once:
#   cancel    the same save again; once the progress dialog has been up for a second,
#             Escape; the time until the dialog has closed (goal: under 1 s), and
#             whether the output folder and the project file are byte for byte as before
# With SCREENSHOT, a picture of the screen with the progress dialog up is left there.
set -euo pipefail

BUILD=$(realpath "${1:-build}")
COUNT=${2:-280}
SHOT=${3:-}
ROUNDS=${ROUNDS:-3}
[[ -n "$SHOT" ]] && SHOT=$(realpath "$SHOT")
EDITOR_BIN=$BUILD/bin/quillmere
PUBLISHER=$BUILD/bin/quillmere-publish
HERE=$(cd "$(dirname "$0")" && pwd)

if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$BUILD" "$COUNT" "$SHOT"
fi

CORPUS=/tmp/qm-corpus
bash "$HERE/make-corpus.sh" "$CORPUS" >/dev/null

WORK=$(mktemp -d /tmp/qm-long-save.XXXXXX)
cleanup() {
  [[ -n "${PID:-}" ]] && kill -KILL "$PID" 2>/dev/null || true
  [[ -n "${WM:-}" ]] && kill "$WM" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
export HOME=$WORK/home XDG_DATA_HOME=$WORK/home/data XDG_CONFIG_HOME=$WORK/home/config TMPDIR=$WORK/tmp
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR" "$WORK/photos" && chmod 700 "$XDG_RUNTIME_DIR"
openbox >/dev/null 2>&1 &
WM=$!
sleep 0.5

mapfile -t JPEGS < <(ls "$CORPUS"/jpeg/*.jpg)
project=$WORK/site/gallery.qmreel1
mkdir -p "$WORK/site"
{
  printf '<Warning_Info>\r\nNote: This file was created and maintained by Quillmere 1.0.\r\n'
  printf 'Do not modify it or script project may not be opened again!\r\n</Warning_Info>\r\n'
  printf '<Product_Name>\r\nQuillmere\r\n</Product_Name>\r\n<Product_Version>\r\n1.0\r\n</Product_Version>\r\n'
  printf '<Applet_Parameters>\r\n'
  printf 'slideshow1#$@667#$@75#$@375#$@6#$@1#$@#$@1#$@1#$@1#$@24#$@FFFFFF#$@24#$@FFFFFF#$@000000#$@000000#$@1#$@000000#$@0#$@#$@#$@#$@1#$@\r\n'
  printf '</Applet_Parameters>\r\n<Item_Parameters>\r\n'
  for ((i = 0; i < COUNT; i++)); do
    photo=$WORK/photos/photo_$i.jpg
    ln -s "${JPEGS[i % ${#JPEGS[@]}]}" "$photo"
    printf '#$@#$@%s#$@#$@_self#$@Photo %d#$@#$@0#$@#$@#$@#$@\r\n' "$photo" "$i"
  done
  printf '</Item_Parameters>\r\n'
} >"$project"

now_ms() { date +%s%3N; }
# Processor time of all the editor's threads: the window's thread mostly waits for the picture workers.
cpu_ns() { { cat /proc/"$1"/task/*/schedstat 2>/dev/null || true; } | awk '{ s += $1 } END { printf "%d\n", s }'; }
empty_cache() { rm -rf "$TMPDIR"/quillmere-pictures-*; }
# visible_windows: how many visible windows the editor has.
visible_windows() { xdotool search --onlyvisible --pid "$PID" 2>/dev/null | wc -l; }
folder_sum() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum | sha256sum | cut -c1-16); }

# wait_idle: until the editor's threads have used less than 3 ms of processor time in
# each 10 ms for 0.4 s (the stall log's timer costs a little all the time); IDLE_AT is
# the moment (ms) they last used more.
wait_idle() {
  local last quiet=0 c
  last=$(cpu_ns "$PID")
  IDLE_AT=$(now_ms)
  while kill -0 "$PID" 2>/dev/null; do
    sleep 0.01
    c=$(cpu_ns "$PID")
    if ((c - last > 3000000)); then
      IDLE_AT=$(now_ms); quiet=0
    else
      quiet=$((quiet + 1))
      ((quiet >= 40)) && break
    fi
    last=$c
  done
}

press() {
  xdotool windowactivate --sync "$WID" 2>/dev/null || true
  local key
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.05
  done
}

echo "editor: $EDITOR_BIN, $COUNT photos, $ROUNDS rounds; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

pictures() { find "$1" -name 'p*_t.jpg' | wc -l; }
# cpu_ms: the editor's processor time (ms), that of its ended threads included.
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%d", ($14 + $15) * 1000 / hz }' "/proc/$PID/stat"; }
# main_sched: the window's thread's time on a processor and waiting for one (ns).
main_sched() { awk '{ print $1, $2 }' "/proc/$PID/task/$PID/schedstat"; }
# mtime_ms FILE: its modification time in ms, 0 when missing.
mtime_ms() { stat -c %.3Y "$1" 2>/dev/null | tr -d . || echo 0; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

export QM_STALL_LOG=$WORK/stalls.log
"$EDITOR_BIN" "$project" 2>>"$WORK/editor.log" &
PID=$!
WID=$(xdotool search --sync --onlyvisible --pid "$PID" --name '^Quillmere$' | head -1)
wait_idle

# ---- whole saves, each after a headless run of the same project, since the load of a
# shared machine changes from minute to minute; a save ends with the copy of the items
# file, the last file it writes
items=$WORK/site/slideshow1items.xml
: >"$WORK/rounds"
for ((round = 1; round <= ROUNDS; round++)); do
  # Into the folder it published before, as the editor saves over its own last save.
  empty_cache
  t0=$(now_ms)
  /usr/bin/time -f "%U %S" -o "$WORK/time" "$PUBLISHER" "$project" "$WORK/headless" >/dev/null 2>"$WORK/publish.log" ||
    echo "  headless: exit $? ($(head -1 "$WORK/publish.log"))" >&2
  headless=$(($(now_ms) - t0))
  headless_cpu=$(awk '{ printf "%d", ($1 + $2) * 1000 }' "$WORK/time")

  press alt+i n
  wait_idle
  empty_cache
  read -r run0 wait0 < <(main_sched)
  cpu0=$(cpu_ms)
  t0=$(now_ms)
  press ctrl+s
  while (($(mtime_ms "$items") < t0)); do sleep 0.05; done
  t1=$(mtime_ms "$items")
  read -r run1 wait1 < <(main_sched)
  save=$((t1 - t0))
  cpu_ratio=$(awk -v a="$(($(cpu_ms) - cpu0))" -v b="$headless_cpu" 'BEGIN { printf "%.2f", a / b }')
  stall=$(awk -v a="$t0" -v b="$t1" '$1 >= a && $1 - $2 <= b && $2 > m { m = $2 } END { print m + 0 }' "$WORK/stalls.log")
  ratio=$(awk -v a="$save" -v b="$headless" 'BEGIN { printf "%.2f", a / b }')
  echo "$ratio $stall" >>"$WORK/rounds"
  # On a busy machine the window's thread may be ready to run and still wait for a processor.
  printf 'round %d   headless %6d ms, %d pictures; save %6d ms, %d pictures, %sx; longest stall %d ms;\n' "$round" \
    "$headless" "$(pictures "$WORK/headless")" "$save" "$(pictures "$WORK/site")" "$ratio" "$stall"
  printf '          processor time %sx the headless; the window'"'"'s thread %d ms on a processor, %d ms ready but waiting for one; load %s\n' \
    "$cpu_ratio" $(((run1 - run0) / 1000000)) $(((wait1 - wait0) / 1000000)) "$(cut -d' ' -f1 /proc/loadavg)"
  # The longest stalls, each with the moment it ended (ms after Ctrl+S).
  awk -v a="$t0" -v b="$t1" '$1 >= a && $1 - $2 <= b && $2 >= 60 { print $2, $1 - a }' "$WORK/stalls.log" | sort -rn |
    head -3 | awk '{ printf "          stall %4d ms ending at %6d ms\n", $1, $2 }'
  wait_idle
done
printf 'median    save %sx the headless time; longest stall %d ms\n' "$(cut -d' ' -f1 "$WORK/rounds" | median)" \
  "$(cut -d' ' -f2 "$WORK/rounds" | median)"

# ---- a cancelled save
before=$(folder_sum "$WORK/site")
press alt+i n
wait_idle
empty_cache
press ctrl+s
waited=0
while (($(visible_windows) < 2)) && ((waited < 3000)); do sleep 0.01; waited=$((waited + 1)); done
if (($(visible_windows) < 2)); then
  echo "cancel: no progress dialog came up" >&2
  exit 1
fi
sleep 1
[[ -n "$SHOT" ]] && import -window root "$SHOT"
t0=$(now_ms)
xdotool key Escape
while (($(visible_windows) > 1)); do sleep 0.005; done
t1=$(now_ms)
wait_idle
after=$(folder_sum "$WORK/site")
printf 'cancel    %6d ms from Escape to the dialog closed; output folder %s\n' "$((t1 - t0))" \
  "$([[ "$before" == "$after" ]] && echo "unchanged" || echo "CHANGED")"
stall=$(awk -v a="$t0" '$1 >= a && $2 > m { m = $2 } END { print m + 0 }' "$WORK/stalls.log")
printf '          longest stall from Escape on %d ms\n' "$stall"
