#!/usr/bin/env bash
# `selvane-batch render` must give exactly the pixels of the real Player's view: its first
# frame, its last frame after ">>", and that frame after the camera buttons. The Windows batch
# runner records and renders, Selvane.exe replays, both under Wine on a private X display.
# Usage: render_matches_player.sh SELVANE_EXE SELVANE_BATCH_EXE WINE_RUNNER. Skipped (77)
# when a tool is missing.
set -u
# shellcheck source=tests/e2e/desktop.sh
. "$(dirname "$0")/desktop.sh"
require_tools Xvfb xdotool xwininfo import convert compare
exe=$(absolute "$1") batch=$(absolute "$2")
use_runner "$3"
prefix=$(dirname "$exe")/render-wineprefix   # this test's own

work=$(mktemp -d)
cd "$work" || exit 1
finish() {
  stop_all
  echo "render matches player: $failures failed"
  if [ $failures -eq 0 ]; then rm -rf "$work"; else echo "pictures and files kept in $work"; fi
}
trap finish EXIT

start_display || exit 1
use_prefix "$prefix" || { echo "cannot prepare the Wine prefix $prefix"; exit 1; }

frames=20 last=19 camera='^^>+'
"$WINE" "$batch" compose --out g.txt --seed 4321 --stars 90 --recording-speed 2 &&
  "$WINE" "$batch" run g.txt --steps $((2 * frames)) --record Recorder.wrk
need '[ $? -eq 0 ] && [ "$(header_frames Recorder.wrk)" = $frames ]' "the batch runner records $frames frames"
"$WINE" "$batch" render Recorder.wrk --out first --to 0 &&
  "$WINE" "$batch" render Recorder.wrk --out last --from $last &&
  "$WINE" "$batch" render Recorder.wrk --out turned --from $last --camera "$camera"
need '[ $? -eq 0 ]' "the Windows batch runner renders"

# The Player's view now, as VIEW.png, once two pictures in a row agree.
view_now() {
  grab "$viewer" shot.png && locate_client "$viewer" shot.png "#000000" 100 100 &&
    crop "$viewer" shot.png 0 0 470 376 "$1.new.png" &&
    { [ -e "$1.png" ] && same "$1.new.png" "$1.png"; local settled=$?; mv "$1.new.png" "$1.png"; return $settled; }
}
same() { [ "$(pixels_differing "$1" "$2")" = 0 ]; }
shows() { view_now view && same view.png "$1"; }

open_initialise init.png
click "$init" 434 423                    # Player
viewer=$(wait_window '^Selvane$' 10)
need '[ -n "$viewer" ]' "the Player opens its window"
check 'wait_for 10 shows first/frame-000000.png' "frame 0 rendered is the Player's first view"
click "$viewer" 432 425                  # ">>"
check 'wait_for 10 shows last/frame-0000$last.png' "frame $last rendered is the Player's view after \">>\""
click "$viewer" 66 388                   # "^"
click "$viewer" 66 388                   # "^"
click "$viewer" 114 409                  # ">"
click "$viewer" 169 387                  # "+"
check 'wait_for 10 shows turned/frame-0000$last.png' "--camera '$camera' renders the Player's view after those presses"
close_window "$viewer"
program_exit 10
check '[ "$PROGRAM_EXIT" = 0 ]' "the Player ends with exit code 0"
[ $failures -eq 0 ]
