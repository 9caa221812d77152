#!/usr/bin/env bash
# Selvane.exe stays live at 100000 stars, where one step takes seconds: Stop shows RUN at once,
# a camera key turns the picture and "<<", ">>" and ">" show frames while a step computes,
# and closing mid-step ends the program with exit code 0 and a whole recording. Prints the
# times it measured.
# Usage: responsive.sh SELVANE_EXE WINE_RUNNER. Skipped (77) when the X tools are missing.
set -u
# shellcheck source=tests/e2e/desktop.sh
. "$(dirname "$0")/desktop.sh"
require_tools Xvfb xdotool xwininfo import convert ffmpeg
exe=$(absolute "$1")
use_runner "$2"
stars=${STARS:-100000}
enter_work_folder

start_display || exit 1
use_prefix "$(dirname "$exe")/responsive-wineprefix" || exit 1
open_initialise init.png
type_into "$init" 208 69 "$stars"   # Number of Star
type_into "$init" 426 68 "${SCALE:-20000}"   # Scale, room for them all
type_into "$init" 156 425 1         # Recording Speed: every step a frame
click "$init" 231 423               # Compose
sleep 2
click "$init" 332 423               # Symulator
viewer=$(wait_window '^Selvane$' 20)
need '[ -n "$viewer" ]' "Symulator opens with $stars stars"
need 'locate_painted_client "$viewer" v.png "#000000" 100 100' "the Symulator window is painted"

# Milliseconds from running COMMAND... until client rectangle X Y W H of the viewer changes,
# from a 50-a-second recording of the screen (each picture stamped with the clock when it
# was taken), so the time is the window's and not that of taking pictures; 2000 for none.
time_to_change() {
  local x=$1 y=$2 w=$3 h=$4 left top start
  shift 4
  left=$(xwininfo -id "$viewer" | awk '/Absolute upper-left X/ {print $4}')
  top=$(xwininfo -id "$viewer" | awk '/Absolute upper-left Y/ {print $4}')
  ffmpeg -loglevel error -f x11grab -framerate 50 -video_size "${w}x$h" \
    -i "$DISPLAY+$((left + ORIGIN_X[$viewer] + x)),$((top + ORIGIN_Y[$viewer] + y))" -frames:v 100 \
    -copyts -enc_time_base 1/1000 -vsync passthrough -f framemd5 - > pictures.md5 2>/dev/null &
  local recorder=$!
  # The recording has begun: a busy machine may take more than a second to start it.
  wait_for 10 grep -q '^0,' pictures.md5
  sleep 0.1
  start=$(now_ms)
  "$@"
  wait "$recorder"
  awk -F', *' -v t="$start" '/^#/ { next }
    $3 < t { before = $6; next }
    before != "" && $6 != before { print $3 - t; found = 1; exit }
    END { if (!found) print 2000 }' pictures.md5
}

click "$viewer" 228 411             # RUN: the first step starts
sleep 1.5                           # well inside that step
stopped_ms=$(time_to_change 202 388 52 47 click "$viewer" 228 411)   # Stop; the caption shows RUN
check '[ "$stopped_ms" -le 500 ]' "Stop shows RUN within half a second (took $stopped_ms ms)"

# The step in flight at Stop still ends, counts and records its frame.
step_start=$(now_ms)
check 'wait_for 60 eval "[ \"\$(header_frames Recorder.wrk)\" = 1 ]"' "the step in flight at Stop records its frame"
step_ms=$(($(now_ms) - step_start + 1500))

click "$viewer" 228 411             # RUN again, and a key while that step computes
sleep 1
turned_ms=$(time_to_change 0 0 470 376 xdotool key Left)
check '[ "$turned_ms" -le 500 ]' "a camera key turns the picture while a step computes (took $turned_ms ms)"

# "<<", ">>" and ">" show frames while a step computes (one always does while running): none
# waits for it, so Stop right after them shows RUN at once.
frames_then_stop() {
  click "$viewer" 295 425
  click "$viewer" 432 425
  click "$viewer" 363 425
  click "$viewer" 228 411
}
framed_ms=$(time_to_change 202 388 52 47 frames_then_stop)
check '[ "$framed_ms" -le 500 ]' "after \"<<\", \">>\" and \">\" Stop shows RUN while a step computes (took $framed_ms ms)"
sleep $(((step_ms + 2000) / 1000))  # the step in flight at Stop ends and records
kept=$(header_frames Recorder.wrk)

click "$viewer" 228 411             # RUN again: a step in flight at the close
sleep 1.5
close_window "$viewer"
closed_start=$(now_ms)
# In this shell, not a subshell of it: only this shell may wait for the program.
wait_for 10 eval '! kill -0 "$PROGRAM_PID" 2>/dev/null'
wait "$PROGRAM_PID"
code=$?
PROGRAM_PID=
closed_ms=$(($(now_ms) - closed_start))
check '[ "$code" = 0 ] && [ "$closed_ms" -le 1000 ]' "closing mid-step ends the program with code 0 within a second ($closed_ms ms, code $code)"
frames=$(header_frames Recorder.wrk)
check '[ "$frames" = "$kept" ] && [ "$(stat -c %s Recorder.wrk)" -eq $((8 + 24 * stars * kept)) ]' \
  "the recording holds its $kept whole frames and nothing of the step dropped at the close ($frames frames)"
echo "responsive at $stars stars: Stop $stopped_ms ms, key $turned_ms ms, Stop after frames $framed_ms ms, close $closed_ms ms; a step about $step_ms ms"
[ $failures = 0 ]
