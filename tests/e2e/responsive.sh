#!/usr/bin/env bash
# Selvane.exe stays live at 100000 stars, where one step takes seconds: Stop shows RUN at once,
# a camera key turns the picture while a step computes, and closing mid-step ends the program
# with exit code 0 and a whole recording. Prints the times it measured.
# Usage: responsive.sh SELVANE_EXE WINE_RUNNER. Skipped (77) when the X tools are missing.
set -u
exe=$1 runner=$2
for tool in Xvfb xdotool xwininfo import convert compare; do
  command -v "$tool" >/dev/null || { echo "$tool is missing; tools/install-deps installs it"; exit 77; }
done
# shellcheck source=tests/e2e/desktop.sh
. "$(dirname "$0")/desktop.sh"
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
case $runner in */*) runner=$(cd "$(dirname "$runner")" && pwd)/$(basename "$runner") ;; esac
WINE=$runner
stars=${STARS:-100000}
work=$(mktemp -d) failures=0
cd "$work" || exit 1
trap 'stop_all; [ $failures = 0 ] && rm -rf "$work"' EXIT
check() { eval "$1" && return 0; echo "FAILED: $2"; failures=$((failures + 1)); return 1; }
need() { check "$1" "$2" || exit 1; }

start_display || exit 1
use_prefix "$(dirname "$exe")/responsive-wineprefix" || exit 1
start_program "$exe"
init=$(wait_window '^Initialise$' 30)
need '[ -n "$init" ]' "the Initialise window opens"
need 'locate_painted_client "$init" init.png "#C0C0C0" 250 250' "the Initialise window is painted"
type_into "$init" 208 69 "$stars"   # Number of Star
type_into "$init" 426 68 "${SCALE:-20000}"   # Scale, room for them all
type_into "$init" 156 425 1         # Recording Speed: every step a frame
click "$init" 231 423               # Compose
sleep 2
click "$init" 332 423               # Symulator
viewer=$(wait_window '^Selvane$' 20)
need '[ -n "$viewer" ]' "Symulator opens with $stars stars"
need 'locate_painted_client "$viewer" v.png "#000000" 100 100' "the Symulator window is painted"

caption() { grab "$viewer" shot.png && crop "$viewer" shot.png 202 388 52 47 "$1.png"; }
view() { grab "$viewer" shot.png && crop "$viewer" shot.png 0 0 470 376 "$1.png"; }
differs() { [ "$(pixels_differing "$1.png" "$2.png")" != 0 ]; }
# Milliseconds from now until COMMAND holds (tried every 20 ms), or 10000.
time_until() {
  local start=$(now_ms)
  until "$@"; do [ $(($(now_ms) - start)) -ge 10000 ] && break; sleep 0.02; done
  echo $(($(now_ms) - start))
}

grab_start=$(now_ms)
view idle
grab_ms=$(($(now_ms) - grab_start))   # what one look costs; every time below includes one or more
caption run
click "$viewer" 228 411             # RUN: the first step starts
sleep 1.5                           # well inside that step
caption stop
click "$viewer" 228 411             # Stop
stopped_ms=$(time_until eval 'caption now && ! differs now run')
check '[ "$stopped_ms" -le 500 ]' "Stop shows RUN within half a second (took $stopped_ms ms)"

click "$viewer" 228 411             # RUN again, and a key while that step computes
sleep 1
view before
xdotool key Left
turned_ms=$(time_until eval 'view after && differs after before')
check '[ "$turned_ms" -le 1000 ]' "a camera key turns the picture while a step computes (took $turned_ms ms)"

sleep 1
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
check '[ "$(stat -c %s Recorder.wrk)" -eq $((8 + 24 * stars * frames)) ]' "the recording holds exactly its $frames whole frames"
echo "responsive at $stars stars: Stop $stopped_ms ms, key $turned_ms ms, close $closed_ms ms, $frames frames; one look $grab_ms ms"
[ $failures = 0 ]
