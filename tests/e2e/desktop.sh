# Helpers for driving Selvane.exe under Wine on a private X display the way a person does:
# real pointer and key input through xdotool, pictures of the real windows through import.
# Sourced by tests/e2e/end_to_end.sh and tools/screenshots; bash only.

# shellcheck source=tools/wine-prefix.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-prefix.sh"
XVFB_PID=
PROGRAM_PID=
declare -A ORIGIN_X ORIGIN_Y   # client-area origin inside each X window, by window id

now_ms() { date +%s%3N; }

# What the scripts here start with. Skips the test (77) when one of TOOLS is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is missing; tools/install-deps installs it"; exit 77; }
  done
}
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
# WINE runs the Windows programs: the runner given, made absolute when it is a path.
use_runner() { case $1 in */*) WINE=$(absolute "$1") ;; *) WINE=$1 ;; esac; }

# check CONDITION WHAT counts and names a failed CONDITION; need ends the script at one.
failures=0
check() { eval "$1" && return 0; echo "FAILED: $2"; failures=$((failures + 1)); return 1; }
need() { check "$1" "$2" || exit 1; }
# A fresh folder to work in, left for a look when a check failed; the program and display end.
enter_work_folder() {
  work=$(mktemp -d)
  cd "$work" || exit 1
  trap 'stop_all; if [ $failures = 0 ]; then rm -rf "$work"; else echo "pictures and files kept in $work"; fi' EXIT
}

# Waits until COMMAND succeeds, trying every 0.1 s for at most SECONDS.
wait_for() {
  local seconds=$1; shift
  local deadline=$(($(now_ms) + seconds * 1000))
  until "$@"; do
    [ "$(now_ms)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

# Starts Xvfb on a display number it finds free itself and exports DISPLAY.
start_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  # Xvfb writes the number once it takes connections.
  if wait_for 10 grep -q '^[0-9]' "$number_file"; then
    export DISPLAY=":$(head -n 1 "$number_file")"
    rm -f "$number_file"
    return 0
  fi
  rm -f "$number_file"
  echo "Xvfb did not start" >&2
  return 1
}

# Selects a Wine prefix of our own. Without a window manager Wine must not wait for one, so
# the prefix's windows are unmanaged.
use_prefix() { use_wine_prefix "$1" unmanaged; }

# Stops what this run started: the program, the prefix's wineserver, the display.
stop_all() {
  [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null
  stop_wine_prefix
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  PROGRAM_PID= XVFB_PID=
}

# Starts Selvane.exe in the current directory.
start_program() {
  "$WINE" "$1" >/dev/null 2>&1 &
  PROGRAM_PID=$!
}

# Waits for the program to end and sets PROGRAM_EXIT to its exit code, or to "running" after
# SECONDS. Called in the script's own shell: a wait in a $(...) subshell does not see the
# program's end and gives -1.
program_exit() {
  PROGRAM_EXIT=running
  wait_for "$1" eval '! kill -0 "$PROGRAM_PID" 2>/dev/null' || return 0
  wait "$PROGRAM_PID"
  PROGRAM_EXIT=$?
  PROGRAM_PID=
}

# Prints the id of a viewable window whose name matches the regular expression.
find_window() {
  local id
  for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    echo "$id"
    return 0
  done
  return 1
}

# Prints the id of the window named NAME once it is there; fails after SECONDS.
wait_window() {
  local name=$1 seconds=$2 deadline
  deadline=$(($(now_ms) + seconds * 1000))
  until find_window "$name"; do
    [ "$(now_ms)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# Whether window ID has the keyboard. A file dialog shows a moment before it takes the keys,
# as a second run of the program shows it.
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# A menu's drop-down list: a viewable nameless window of the program.
find_popup() {
  local id
  for id in $(xwininfo -root -children | awk '/\(has no name\): \("selvane.exe"/ && !/ 1x1\+/ {print $1}'); do
    xwininfo -id "$id" | grep -q IsViewable && { printf '%d\n' "$id"; return 0; }
  done
  return 1
}

wait_popup() {
  local deadline=$(($(now_ms) + $1 * 1000))
  until find_popup; do
    [ "$(now_ms)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

# Chooses item N (1 Open, 2 Save As) of the File menu of window ID, whose client origin is known.
choose_file_item() {
  click "$1" 16 -10   # "File" on the menu bar, above the client area
  local popup height
  popup=$(wait_popup 5) || return 1
  height=$(xwininfo -id "$popup" | awk '/Height:/ {print $2}')
  xdotool mousemove --window "$popup" 20 $((height * (2 * $2 - 1) / 4)) click 1 2>/dev/null
}

# Writes a picture of the window, 8 bits per channel.
grab() { import -window "$1" -depth 8 "$2" 2>/dev/null; }

# Prints the first offset along a one-pixel line of PICTURE (GEOMETRY as WxH+X+Y) whose
# colour is COLOUR (#RRGGBB).
first_pixel() {
  convert "$1" -crop "$2" +repage -depth 8 txt:- |
    awk -v c="$3" 'NR > 1 && $3 == c { split($1, at, /[,:]/); print at[1] + at[2]; exit }'
}

# Finds where the client area starts in window ID from a picture of it: the first pixel of
# COLOUR (the client's own, seen at its top-left) along row ROW and down column COLUMN.
locate_client() {
  local id=$1 picture=$2 colour=$3 column=$4 row=$5 x y
  x=$(first_pixel "$picture" "${column}x1+0+$row" "$colour")
  y=$(first_pixel "$picture" "1x${row}+$column+0" "$colour")
  [ -n "$x" ] && [ -n "$y" ] || return 1
  ORIGIN_X[$id]=$x
  ORIGIN_Y[$id]=$y
}

# locate_client on fresh pictures until the window has been painted (for at most 10 s).
locate_painted_client() {
  local deadline=$(($(now_ms) + 10000))
  until grab "$1" "$2" && locate_client "$@"; do
    [ "$(now_ms)" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

# Starts $exe and waits for its painted Initialise window: sets $init, its picture in PICTURE.
open_initialise() {
  local picture=$1  # by name: the checks' own $1 is their condition
  start_program "$exe"
  init=$(wait_window '^Initialise$' 30)
  need '[ -n "$init" ]' "the Initialise window opens"
  need 'locate_painted_client "$init" "$picture" "#C0C0C0" 250 250' "the Initialise window is painted"
}

# Clicks at client pixel (X, Y) of window ID.
click() {
  xdotool mousemove --window "$1" $((ORIGIN_X[$1] + $2)) $((ORIGIN_Y[$1] + $3)) click 1 2>/dev/null
}

# Replaces the text of the edit field at client (X, Y) of window ID.
type_into() {
  click "$1" "$2" "$3"
  xdotool key End shift+Home 2>/dev/null
  xdotool type --delay 30 "$4" 2>/dev/null
}

# Crops client rectangle X Y W H of window ID's picture into OUT.
crop() {
  convert "$2" -crop "$5x$6+$((ORIGIN_X[$1] + $3))+$((ORIGIN_Y[$1] + $4))" +repage "$7"
}

# Counts the pixels of COLOUR (#RRGGBB) in client rectangle X Y W H of window ID's picture.
count_colour() {
  convert "$2" -crop "$5x$6+$((ORIGIN_X[$1] + $3))+$((ORIGIN_Y[$1] + $4))" +repage -depth 8 \
    -format %c histogram:info:- | awk -v c="$7" '{ for (i = 2; i <= NF; i++) if ($i == c) n += $1 } END { print n + 0 }'
}

# Counts the pixels that differ between two pictures of the same size.
pixels_differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# Frames counted in a recording's header (bytes 4..7, little-endian).
header_frames() { od -An -t d4 -j 4 -N 4 "$1" 2>/dev/null | tr -d ' '; }

# Windows path of a Unix path: Wine maps drive Z: to /.
windows_path() { echo "Z:${1//\//\\}"; }

# Clicks the close box at the right of window ID's caption bar.
close_window() {
  local width
  width=$(xwininfo -id "$1" | awk '/Width:/ {print $2}')
  xdotool mousemove --window "$1" $((width - 14)) 12 click 1 2>/dev/null
}
