#!/usr/bin/env bash
# Paths past 260 characters in Selvane.exe's file dialogs under Wine: a 300-character path
# typed whole into Save As, and folders entered one at a time in Open until the path passes
# 300. Wine's dialog code may end the process that shows the dialog; the program must go on:
# no crash report, a message when the dialog ended, its window usable again (a later Save As
# writes the galaxy) and a clean exit.
# Usage: long_paths.sh SELVANE_EXE WINE_RUNNER. Skipped (77) when the X tools are missing.
set -u
# shellcheck source=tests/e2e/desktop.sh
. "$(dirname "$0")/desktop.sh"
require_tools Xvfb xdotool xwininfo import convert
exe=$(absolute "$1")
use_runner "$2"
enter_work_folder

# Folders below the work folder whose paths are 200, 241, 282 and 323 characters long: the
# last two pass 260 only once entered.
base=$(windows_path "$work")
deep=$work
for level in 1 2 3 4; do
  length=40
  [ $level = 1 ] && length=$((200 - ${#base} - 1))
  folder[$level]=f$level$(printf 'd%.0s' $(seq $((length - 2))))
  deep=$deep/${folder[$level]}
done
mkdir -p "$deep"
long_target=$(windows_path "$deep/galaxy.txt")
need '[ ${#long_target} -ge 300 ]' "the typed path is over 300 characters (${#long_target})"

start_display || exit 1
use_prefix "$(dirname "$exe")/long-paths-wineprefix" || exit 1
open_initialise init.png
click "$init" 231 423   # Compose: a galaxy to save

crashed() { xwininfo -root -children | grep -q '"Program Error\|"Wine Debugger'; }
alive() { kill -0 "$PROGRAM_PID" 2>/dev/null && ! crashed; }
# How the dialog ended: "cancelled" by its Cancel button (clicked when it is still up),
# "ended" by itself with the program's message (dismissed here), "closed" by itself without
# a word (a path taken), "crashed" when the program went down; "stuck" when it stays up.
finish_dialog() {
  local message
  alive || { echo crashed; return; }
  if ! window_gone "$dialog"; then
    xdotool mousemove --window "$dialog" 439 241 click 1 2>/dev/null
    # A dialog whose thread died goes once the program has noticed.
    wait_for 15 window_gone "$dialog" || { echo stuck; return; }
    alive || { echo crashed; return; }
    message=$(wait_window '^Selvane$' 3) || { echo cancelled; return; }
  else
    message=$(wait_window '^Selvane$' 5) || { alive && echo closed || echo crashed; return; }
  fi
  wait_for 5 has_focus "$message"; xdotool key Return 2>/dev/null
  wait_for 5 window_gone "$message" && echo ended || echo "message stays"
}
# Opens File item N (1 Open, 2 Save As) and sets $dialog.
open_dialog() {
  local item=$1 title=$2  # by name: the checks' own $1 is their condition
  need 'choose_file_item "$init" $item' "the File menu drops down"
  dialog=$(wait_window "$title" 10)
  need '[ -n "$dialog" ]' "the dialog '$title' opens"
  need 'wait_for 10 has_focus "$dialog"' "the dialog '$title' takes the keys"
  sleep 0.5
}
# Types TEXT as the file name and clicks Open or Save: Return would go to the list of
# completions that drops down below the name when it matches an entry.
enter_name() {
  xdotool mousemove --window "$dialog" 240 212 click 1 2>/dev/null
  xdotool key End shift+Home 2>/dev/null
  xdotool type --delay 5 "$1" 2>/dev/null
  sleep 0.3
  xdotool mousemove --window "$dialog" 439 212 click 1 2>/dev/null
}

# --- A 300-character path typed whole into Save As.
open_dialog 2 'データを保存する'
enter_name "$long_target"
sleep 2
typed=$(finish_dialog)
check '[ "$typed" = cancelled ] || [ "$typed" = ended ] || { [ "$typed" = closed ] && [ -s "$deep/galaxy.txt" ]; }' \
  "a typed 300-character path leaves the program running ($typed)"

# --- Open, entering the folders one at a time by name until the path passes 300. The dialog
# starts in the folder it used last: first the work folder, typed whole.
open_dialog 1 'データを読み込む'
enter_name "$base"
sleep 1
entered=0
for level in 1 2 3 4; do
  enter_name "${folder[$level]}"
  sleep 1.5
  alive && ! window_gone "$dialog" || break
  entered=$level
done
walked=$(finish_dialog)
check '[ "$walked" = cancelled ] || [ "$walked" = ended ]' "going into deep folders leaves the program running ($walked after $entered folders)"

# --- The window is usable again: Save As with a short path writes the galaxy.
need 'alive' "the program still runs"
open_dialog 2 'データを保存する'
enter_name "$(windows_path "$work/galaxy.txt")"
check 'wait_for 10 test -s "$work/galaxy.txt"' "Save As writes the galaxy afterwards"
check '[ "$(head -c 10 "$work/galaxy.txt")" = "128,20,5,3" ]' "the saved galaxy is the composed one"

close_window "$init"
# In this shell, not a subshell of it: only this shell may wait for the program.
wait_for 10 eval '! kill -0 "$PROGRAM_PID" 2>/dev/null'
wait "$PROGRAM_PID"
code=$?
PROGRAM_PID=
check '[ "$code" = 0 ]' "closing the Initialise window ends the program with exit code 0 (got $code)"
echo "long paths: typed whole $typed, folder by folder $walked after $entered folders"
[ $failures = 0 ]
