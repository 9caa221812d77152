#!/usr/bin/env bash
# Uses Selvane.exe as a person does, under Wine on a private X display, with real clicks and
# typing: compose, save through the dialog, run, replay and close; then the Player, and Open
# through the dialog, in later program runs in the same folder. The saved galaxy and the
# recording must be what the native batch runner makes of that galaxy, byte for byte.
# Usage: end_to_end.sh SELVANE_EXE NATIVE_SELVANE_BATCH WINE_RUNNER. Skipped (77) when the
# native runner is not built.
set -u
exe=$1 batch=$2 runner=$3
[ -x "$batch" ] || { echo "native runner not built: $batch"; exit 77; }
for tool in Xvfb xdotool xwininfo import convert compare; do
  command -v "$tool" >/dev/null || { echo "$tool is missing; tools/install-deps installs it"; exit 1; }
done
# shellcheck source=tests/e2e/desktop.sh
. "$(dirname "$0")/desktop.sh"
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
exe=$(absolute "$exe") batch=$(absolute "$batch")
case $runner in */*) runner=$(absolute "$runner") ;; esac
WINE=$runner
prefix=$(dirname "$exe")/e2e-wineprefix   # this test's own: other Wine tests never share it

stars=300 speed=3 min_frames=60   # both differ from the fields' defaults; enough stars for the workers
work=$(mktemp -d)
saved=$work/galaxies/galaxy.txt   # away from the start folder, where Recorder.wrk belongs
mkdir "$work/start" "$work/galaxies" "$work/batch" "$work/pictures"
cd "$work/start" || exit 1
pics=$work/pictures

checks=0 failures=0
check() {
  checks=$((checks + 1))
  eval "$1" && return 0
  echo "FAILED: $2"
  failures=$((failures + 1))
  return 1
}
# A step that the rest of the test builds on.
need() { check "$1" "$2" || exit 1; }
finish() {
  stop_all
  echo "end to end: $checks checks, $failures failed"
  if [ $failures -eq 0 ]; then rm -rf "$work"; else echo "pictures and files kept in $work"; fi
}
trap finish EXIT
started=$(now_ms)

start_display || exit 1
use_prefix "$prefix" || { echo "cannot prepare the Wine prefix $prefix"; exit 1; }

# Client rectangles of the screens' parts (x, y, width, height).
preview="0 130 490 274"
view="0 0 470 376"
run_caption="202 388 52 47"     # inside RUN/Stop, clear of the focus frame
play_caption="336 416 58 20"    # inside ">" / "II"
indicater="261 381 205 25"

# Starts the program and waits for its Initialise window; sets $init.

# Waits for the viewing window (Symulator or Player) and its first picture; sets $viewer.
open_viewer() {
  local shot=$pics/$2
  viewer=$(wait_window '^Selvane$' 10)
  need '[ -n "$viewer" ]' "$1 opens its window"
  rm -f "$shot-view.png"
  need 'wait_for 10 view_drawn "$viewer" "$shot"' "$1 draws white stars on black"
}

# The view in SHOT.png and SHOT-view.png, black with white dots and the same as last time.
view_drawn() {
  grab "$1" "$2.png" && locate_client "$1" "$2.png" "#000000" 100 100 &&
    # shellcheck disable=SC2086
    [ "$(count_colour "$1" "$2.png" $view '#000000')" -gt 100000 ] &&
    [ "$(count_colour "$1" "$2.png" $view '#FFFFFF')" -gt 0 ] && settled "$2" view "$view"
}

# Closes window ID with its close box; the whole program must end with exit code 0.
close_and_end() {
  close_window "$1"
  program_exit 10
  need '[ "$PROGRAM_EXIT" = 0 ]' "closing the $2 window ends the program with exit code 0 (got $PROGRAM_EXIT)"
}

# Chooses File > item N (1 Open, 2 Save As), types PATH into the name field of the dialog
# titled TITLE and clicks its Open or Save button: Return would go to the list of completions
# that drops down below a name matching a file there, as an open of a saved galaxy does.
file_dialog() {
  local item=$1 dialog
  need 'choose_file_item "$init" $item' "the File menu drops down"
  dialog=$(wait_window "$2" 10)
  need '[ -n "$dialog" ]' "the dialog '$2' opens"
  need 'wait_for 10 has_focus "$dialog"' "the dialog '$2' takes the keys"
  sleep 0.5
  xdotool mousemove --window "$dialog" 240 212 click 1 2>/dev/null
  xdotool key End shift+Home 2>/dev/null
  xdotool type --delay 20 "$(windows_path "$3")" 2>/dev/null
  sleep 0.3
  xdotool mousemove --window "$dialog" 439 212 click 1 2>/dev/null
  check 'wait_for 10 window_gone "$dialog"' "the dialog '$2' closes after its button"
}

# Two pictures of one size, alike or not in any pixel; a missing picture is neither.
same() { [ "$(pixels_differing "$1" "$2")" = 0 ]; }
differ() { [[ "$(pixels_differing "$1" "$2")" =~ ^[1-9][0-9.e+]*$ ]]; }

# Presses ">" in the viewer and waits for the replay to reach its end: "II" while it plays,
# ">" again and a still picture after the last frame. The last view goes to $1.
replay_to_end() {
  local shot=$pics/replay.png seen_pause=0 deadline
  grab "$viewer" "$shot"
  # shellcheck disable=SC2086
  crop "$viewer" "$shot" $play_caption "$pics/play-caption.png"
  # shellcheck disable=SC2086
  crop "$viewer" "$shot" $view "$pics/replay-first.png"
  cp "$pics/replay-first.png" "$pics/replay-previous.png"
  click "$viewer" 363 425
  deadline=$(($(now_ms) + 20000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    grab "$viewer" "$shot" || continue
    # shellcheck disable=SC2086
    crop "$viewer" "$shot" $play_caption "$pics/replay-caption.png"
    # shellcheck disable=SC2086
    crop "$viewer" "$shot" $view "$1"
    if differ "$pics/replay-caption.png" "$pics/play-caption.png"; then
      seen_pause=1
    elif [ $seen_pause = 1 ] && same "$1" "$pics/replay-previous.png" &&
         differ "$1" "$pics/replay-first.png"; then
      return 0
    fi
    cp "$1" "$pics/replay-previous.png"
  done
  check '[ $seen_pause = 1 ]' "\">\" turns into \"II\" while the replay plays"
  check false "the replay runs to its end and \">\" comes back"
}

preview_painted() {
  grab "$init" "$pics/composed.png" &&
    # shellcheck disable=SC2086
    [ "$(count_colour "$init" "$pics/composed.png" $preview '#000000')" -gt 100000 ]
}
frames_recorded() { [ "$(header_frames Recorder.wrk)" -ge "$min_frames" ] 2>/dev/null; }
# Takes a picture of the viewer as NAME.png and its part RECT (x y w h) as NAME-PART.png.
take() {
  grab "$viewer" "$pics/$1.png" &&
    # shellcheck disable=SC2086
    crop "$viewer" "$pics/$1.png" $3 "$pics/$1-$2.png"
}
# Whether PICTURE's PART (RECT) is as it was in the previous call; a picture caught while
# the window is being painted does not count.
settled() {
  local part=$1-$2.png
  [ -e "$part" ] && mv "$part" "$1-previous.png"
  # shellcheck disable=SC2086
  crop "$viewer" "$1.png" $3 "$part" && [ -e "$1-previous.png" ] && same "$part" "$1-previous.png"
}
run_caption_back() { take stopped caption "$run_caption" && same "$pics/stopped-caption.png" "$pics/sym-caption.png"; }
first_frame_shown() {
  grab "$viewer" "$pics/first.png" && settled "$pics/first" view "$view" &&
    differ "$pics/first-view.png" "$pics/stopped-view.png"
}

# --- Without a recording, "Player" ends the program at once.
open_initialise "$pics/init.png"
# shellcheck disable=SC2086
check '[ "$(count_colour "$init" "$pics/init.png" $preview "#000000")" = 0 ]' "the preview is blank before Compose"
click "$init" 434 423
program_exit 10
need '[ "$PROGRAM_EXIT" = 0 ]' "Player without Recorder.wrk ends the program with exit code 0 (got $PROGRAM_EXIT)"
check '[ ! -e Recorder.wrk ]' "Player does not make a Recorder.wrk"

# --- Compose, save, run, replay.
open_initialise "$pics/init.png"
type_into "$init" 208 69 "$stars"        # Number of Star
type_into "$init" 156 425 "$speed"       # Recording Speed
click "$init" 231 423                    # Compose
need 'wait_for 5 preview_painted' "Compose paints the black preview"
# shellcheck disable=SC2086
white=$(count_colour "$init" "$pics/composed.png" $preview '#FFFFFF')
check '[ "$white" -ge $((stars * 10)) ]' "the preview shows $stars stars in white ($white white pixels)"

file_dialog 2 'データを保存する' "$saved"
need 'wait_for 5 test -s "$saved"' "Save As writes the galaxy file"

click "$init" 332 423                    # Symulator
open_viewer Symulator symulator
take sym caption "$run_caption"
click "$viewer" 228 411                  # RUN
# The camera moves while it runs (the recording must not), then goes home for the pictures.
xdotool key Left Up Prior && click "$viewer" 21 409 && sleep 0.5 && click "$viewer" 160 431
need 'wait_for 40 frames_recorded' "RUN records $min_frames frames into Recorder.wrk in the start folder"
take running caption "$run_caption"
check 'differ "$pics/running-caption.png" "$pics/sym-caption.png"' "RUN turns into Stop while running"
click "$viewer" 228 411                  # Stop
check 'wait_for 5 run_caption_back' "Stop turns back into RUN"
take stopped view "$view"
sleep 0.3
take still view "$view"
check 'same "$pics/stopped-view.png" "$pics/still-view.png"' "after Stop the galaxy stands still"
check 'differ "$pics/stopped-view.png" "$pics/symulator-view.png"' "the galaxy moved while running"

click "$viewer" 295 425                  # "<<"
check 'wait_for 5 first_frame_shown' '"<<" shows the first recorded frame'
take first bar "$indicater"
replay_to_end "$pics/sym-last-view.png"
take last bar "$indicater"
check 'differ "$pics/first-bar.png" "$pics/last-bar.png"' "the position bar follows the replay"
close_and_end "$viewer" Symulator

frames=$(header_frames Recorder.wrk)
check '[ "$frames" -ge $min_frames ]' "Recorder.wrk counts at least $min_frames frames (header: $frames)"
check '[ "$(stat -c %s Recorder.wrk)" -eq $((8 + 24 * stars * frames)) ]' "Recorder.wrk holds exactly its $frames frames"
check '[ ! -e "$work/galaxies/Recorder.wrk" ]' "no Recorder.wrk beside the saved galaxy"
check '[ "$(head -n 1 "$saved")" = "$(printf "%d,20,%d,30\r" $stars $speed)" ]' "the saved header holds the typed fields"
(cd "$work/batch" && "$batch" run "$saved" --steps 0 --record none.wrk --save again.txt)
check 'cmp "$saved" "$work/batch/again.txt"' "the saved galaxy is what the batch runner writes for it"
(cd "$work/batch" && "$batch" run "$saved" --steps $((speed * frames)) --record expected.wrk)
check 'cmp Recorder.wrk "$work/batch/expected.wrk"' "the recording is what the batch runner records from the saved galaxy"
cp Recorder.wrk "$work/recorded.wrk"

# --- A later run: "Player" replays the recording.
open_initialise "$pics/init.png"
click "$init" 434 423                    # Player
open_viewer Player player
check 'same "$pics/player-view.png" "$pics/first-view.png"' "the Player opens on the first recorded frame"
replay_to_end "$pics/player-last-view.png"
check 'same "$pics/player-last-view.png" "$pics/sym-last-view.png"' "the Player's replay ends on the last recorded frame"
close_and_end "$viewer" Player
check 'cmp -s Recorder.wrk "$work/recorded.wrk"' "the Player leaves Recorder.wrk unchanged"

# --- A later run: open the saved galaxy and simulate it.
open_initialise "$pics/init.png"
file_dialog 1 'データを読み込む' "$saved"
click "$init" 332 423                    # Symulator: only with a galaxy loaded
open_viewer "Symulator after Open" opened
check 'same "$pics/opened-view.png" "$pics/symulator-view.png"' "the opened galaxy looks as it did when composed"
close_and_end "$viewer" Symulator
check '[ "$(od -An -t d4 -N 8 Recorder.wrk | tr -s " ")" = " $stars 0" ]' "the new Symulator starts a new, empty recording"

echo "took $((($(now_ms) - started) / 1000)) s"
[ $failures -eq 0 ]
