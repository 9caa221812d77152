#!/usr/bin/env bash
# One Recorder.wrk, two programs: the native batch runner and the Windows programs under Wine
# see each other's recording lock, in either order. A recorder keeps out a second recorder and
# every save; a Player's replay keeps out every writer; Save As onto the recording being recorded
# replaces nothing and leaves no temporary file.
# Usage: recording_lock.sh SELVANE_EXE SELVANE_BATCH_EXE NATIVE_SELVANE_BATCH WINE_RUNNER.
# Skipped (77) when the native runner is not built or a tool is missing.
set -u
# shellcheck source=tests/e2e/desktop.sh
. "$(dirname "$0")/desktop.sh"
require_tools Xvfb xdotool xwininfo import convert
[ -x "$3" ] || { echo "native runner not built: $3"; exit 77; }
exe=$(absolute "$1") wbatch=$(absolute "$2") batch=$(absolute "$3")
use_runner "$4"
prefix=$(dirname "$exe")/lock-wineprefix   # this test's own
enter_work_folder
start_display || exit 1
use_prefix "$prefix" || { echo "cannot prepare the Wine prefix $prefix"; exit 1; }

# shellcheck disable=SC2034  # both are read by the checks, which are evaluated
refusal="being recorded or replayed by another program"
# Runs a writer and checks it is refused with exit 2, naming why when NAMED is given.
refused() {
  # shellcheck disable=SC2034
  local what=$1 named=$2; shift 2
  "$@" >/dev/null 2>err.txt
  check '[ $? -eq 2 ] && { [ -z "$named" ] || grep -q "$refusal" err.txt; }' "$what is refused"
}
# Every other writer, native and under Wine, of the recording held now.
writers_refused() {
  refused "$1: a native recorder" "" "$batch" run g.txt --steps 2 --record Recorder.wrk
  refused "$1: a native compose --out" named "$batch" compose --out Recorder.wrk
  refused "$1: a native run --diagnostics" named "$batch" run g.txt --steps 1 --record o.wrk --diagnostics Recorder.wrk
  refused "$1: a recorder under Wine" "" "$WINE" "$wbatch" run g.txt --steps 2 --record Recorder.wrk
  refused "$1: run --save under Wine" named "$WINE" "$wbatch" run g.txt --steps 1 --record o.wrk --save Recorder.wrk
}
# Whether the program ends within 10 s with exit code 0. Waited for in this shell: a wait in a
# subshell may miss a program that ends meanwhile.
ends_well() {
  program_exit 10
  [ "$PROGRAM_EXIT" = 0 ]
}
recording() { [ "$(header_frames Recorder.wrk)" -ge "$1" ] 2>/dev/null; }
whole() { "$batch" info "$1" | grep -qx "consistent: yes"; }

steps=3000
"$batch" compose --out g.txt --seed 11 --stars 2500 --scale 3000 --recording-speed 30 2>/dev/null
need '[ $? -eq 0 ]' "a galaxy to record"

# --- The native batch runner records; the Windows programs come second.
"$batch" run g.txt --steps 1000000 --record Recorder.wrk 2>/dev/null &
native=$!
need 'wait_for 20 recording 1' "the native batch runner records"
writers_refused "native recorder"
kill -INT $native
wait $native
check '[ $? -eq 130 ] && whole Recorder.wrk && recording 1' "the native recording is whole after the others"

# --- The Windows batch runner records under Wine; the native runner comes second.
rm Recorder.wrk
"$WINE" "$wbatch" run g.txt --steps $steps --record Recorder.wrk 2>/dev/null &
windows=$!
need 'wait_for 30 recording 1' "the Windows batch runner records under Wine"
writers_refused "Windows recorder"
wait $windows
check '[ $? -eq 0 ]' "the Windows recorder ends its run"
"$batch" run g.txt --steps $steps --record native.wrk 2>/dev/null
check 'cmp -s Recorder.wrk native.wrk' "its recording is every frame it recorded, as the native runner records them"

# --- A Player replays it: no writer, here or under Wine, changes it meanwhile.
open_initialise init.png
click "$init" 434 423                    # Player
viewer=$(wait_window '^Selvane$' 10)
need '[ -n "$viewer" ]' "the Player opens its window"
writers_refused "Player"
close_window "$viewer"
check ends_well "the Player ends with exit code 0"
check 'cmp -s Recorder.wrk native.wrk' "the replayed recording is unchanged"

# --- The Symulator records: no other writer comes in, and Save As onto its Recorder.wrk is
# refused with no temporary left.
open_initialise init.png
click "$init" 231 423                    # Compose
click "$init" 332 423                    # Symulator
viewer=$(wait_window '^Selvane$' 10)
need '[ -n "$viewer" ]' "the Symulator opens its window"
need 'wait_for 10 locate_painted_client "$viewer" sym.png "#000000" 100 100' "the Symulator is painted"
click "$viewer" 228 411                  # RUN
need 'wait_for 20 recording 2' "the Symulator records"
writers_refused "Symulator"
xdotool windowraise "$init" 2>/dev/null   # the menu bar may lie under the Symulator
need 'choose_file_item "$init" 2' "the File menu drops down"
save_title='データを保存する'
dialog=$(wait_window "$save_title" 10)
need '[ -n "$dialog" ]' "the save dialog opens"
need 'wait_for 10 has_focus "$dialog"' "the save dialog takes the keys"
sleep 0.5
# The name is typed into its field and Save clicked: Return would go to the list of
# completions that drops down below a name matching a file there, as Recorder.wrk does.
xdotool mousemove --window "$dialog" 240 212 click 1 2>/dev/null
xdotool key End shift+Home 2>/dev/null
xdotool type --delay 5 "$(windows_path "$PWD/Recorder.wrk")" 2>/dev/null
sleep 0.3
xdotool mousemove --window "$dialog" 439 212 click 1 2>/dev/null
# The dialog asks before overwriting a file, in a box of its own title; its default is yes.
question_or_gone() {
  window_gone "$dialog" && return 0
  local id
  for id in $(xdotool search --onlyvisible --name "$save_title" 2>/dev/null); do
    [ "$id" != "$dialog" ] || continue
    wait_for 5 has_focus "$id"
    xdotool key Return 2>/dev/null
    return 0
  done
  return 1
}
wait_for 20 question_or_gone
check 'wait_for 20 window_gone "$dialog"' "the save dialog closes"
# shellcheck disable=SC2034  # read by the check
before=$(header_frames Recorder.wrk)
check 'wait_for 20 recording $((before + 1))' "the recording goes on after the refused save"
click "$viewer" 228 411                  # Stop
close_window "$viewer"
sleep 1
check 'whole Recorder.wrk' "the recording is whole"
check '[ -z "$(ls -A | grep -i -e "^rf.*\.tmp$" -e "^\.sv")" ]' "no temporary file is left beside it ($(ls -A | tr '\n' ' '))"
close_window "$init"
check ends_well "the program ends with exit code 0"
echo "recording lock: $failures failed"
[ $failures -eq 0 ]
