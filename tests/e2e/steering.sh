#!/usr/bin/env bash
# Mouse and keys steer Selvane.exe as its buttons do, with real X input under Wine: a drag, the
# wheel and the arrow keys give exactly the pictures of the button presses they stand for,
# Space runs and stops with a button focused, and on the Initialise screen Tab, Shift+Tab and
# Enter fill the fields and compose.
# Usage: steering.sh SELVANE_EXE WINE_RUNNER. Skipped (77) when the X tools are missing.
set -u
# shellcheck source=tests/e2e/desktop.sh
. "$(dirname "$0")/desktop.sh"
require_tools Xvfb xdotool xwininfo import convert compare
exe=$(absolute "$1")
use_runner "$2"
enter_work_folder

start_display || exit 1
use_prefix "$(dirname "$exe")/steering-wineprefix" || exit 1
open_initialise init.png

# Tab twice from Max Speed reaches Number of Star with its text selected, Shift+Tab comes back
# to it from Scale; Enter there composes with what was typed.
click "$init" 208 25
xdotool key Tab Tab && xdotool type 7 && xdotool key Tab shift+Tab && xdotool type 11 && xdotool key Return
sleep 1
click "$init" 332 423   # Symulator: its recording starts with the star count
viewer=$(wait_window '^Selvane$' 10)
need '[ -n "$viewer" ]' "Symulator opens"
check '[ "$(od -An -t d4 -N 4 Recorder.wrk | tr -d " ")" = 11 ]' "Tab, Shift+Tab and Enter compose 11 stars"
need 'locate_painted_client "$viewer" v.png "#000000" 100 100' "the Symulator window is painted"

# The view once it stands still, as NAME.png.
view_as() {
  local tries
  for tries in 1 2 3 4 5 6 7 8 9 10; do
    sleep 0.3
    grab "$viewer" shot.png && crop "$viewer" shot.png 0 0 470 376 "$1.png"
    [ -e "$1.prev.png" ] && [ "$(pixels_differing "$1.png" "$1.prev.png")" = 0 ] && return 0
    mv "$1.png" "$1.prev.png"
  done
  return 1
}
same() { [ "$(pixels_differing "$1.png" "$2.png")" = 0 ]; }
press() { local i; for ((i = 0; i < $2; i++)); do click "$viewer" $1; sleep 0.05; done; }
home() { click "$viewer" 160 431; }
LEFT="21 409" GO="169 387" ABOVE="66 388"

view_as start
press "$LEFT" 10 && view_as buttons
home && view_as home
check 'same home start && ! same buttons start' "ten presses of < turn the view and HOME brings it back"
# 80 pixels to the right in 40 slow moves of 2 pixels.
xdotool mousemove --window "$viewer" $((ORIGIN_X[$viewer] + 150)) $((ORIGIN_Y[$viewer] + 200)) mousedown 1
for i in $(seq 40); do xdotool mousemove_relative -- 2 0; sleep 0.01; done
xdotool mouseup 1 && view_as dragged
check 'same dragged buttons' "a drag of 80 pixels to the right is ten presses of <"

home && press "$GO" 2 && view_as forward
home && xdotool click 4 click 4 && view_as wheeled
check 'same wheeled forward' "two wheel notches away from the user are two presses of +"

home && press "$ABOVE" 2 && press "$LEFT" 3 && view_as buttons
home && xdotool key Up Up Left Left Left && view_as keys
check 'same keys buttons' "Up and Left with HOME focused are presses of ^ and <"

grab "$viewer" shot.png && crop "$viewer" shot.png 202 388 52 47 run.png
xdotool key space && sleep 0.5 && grab "$viewer" shot.png && crop "$viewer" shot.png 202 388 52 47 stop.png
xdotool key space && sleep 0.5 && grab "$viewer" shot.png && crop "$viewer" shot.png 202 388 52 47 again.png
check '! same stop run && same again run' "Space runs and stops with a camera button focused"
echo "steering: $failures failed"
[ $failures = 0 ]
