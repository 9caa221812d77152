#!/usr/bin/env bash
# Every glyph of the window captions shows under Wine: the caption buttons draw their symbols
# (not the letters "0 1 r" that stand in for them without Marlett) and the Japanese title of
# the save dialog draws Japanese glyphs (not a row of identical empty boxes).
# Usage: glyphs.sh SELVANE_EXE WINE_RUNNER. Skipped (77) when the X tools are missing.
set -u
# shellcheck source=tests/e2e/desktop.sh
. "$(dirname "$0")/desktop.sh"
require_tools Xvfb xdotool xwininfo import convert
exe=$(absolute "$1")
use_runner "$2"

# caption_parts PICTURE: the parts of a window's caption bar, one line each, left to right:
# "button INK_WIDTH INK_HEIGHT" for a caption button (the extent of its dark symbol), "text
# SIGNATURE" for a glyph of the title (which of its pixels differ from the bar).
caption_parts() {
  convert "$1" -crop x40+0+0 +repage -depth 8 txt:- | awk '
    NR == 1 { next }
    {
      split($1, at, /[,:]/); x = at[1] + 0; y = at[2] + 0
      rgb = $2; gsub(/[()]/, "", rgb); split(rgb, c, ",")
      colour[x, y] = $3; lum[x, y] = (c[1] + c[2] + c[3]) / 3
      if (x > width) width = x
    }
    # The bar is the colour of the middle of the caption; the window frame left and right is not.
    END {
      mid = int(width / 2); bg = colour[mid, 12]
      for (top = 12; top > 0 && colour[mid, top - 1] == bg; top--) ;
      for (bottom = 12; bottom < 39 && colour[mid, bottom + 1] == bg; bottom++) ;
      height = bottom - top + 1; start = ""
      for (x = 0; x <= width; x++) {
        n = dark = 0
        for (y = top; y <= bottom; y++) { if (colour[x, y] != bg) n++; if (lum[x, y] < 128) dark++ }
        if (n > 0 && start == "") { start = x; filled = 0 }
        if (n == 0 && start != "") { if (start > 0) part(start, x - 1, filled); start = "" }
        if (n == 0) continue
        filled += n
        # The shadow down the right of a button ends it, though the next one touches it.
        if (dark >= 0.7 * height && x - start >= 11) { part(start, x, filled); start = "" }
      }
      # Boxes before the title are the icon, boxes after it the buttons.
      for (i = 1; i <= parts; i++) {
        if (kind[i] == "text") seen_text = 1
        if (seen_text) print (kind[i] == "box" ? "button" : "text"), what[i]
      }
    }
    function part(x0, x1, filled,   x, y, y0, y1, sig, ix0, ix1, iy0, iy1) {
      parts++
      if (x1 - x0 >= 11 && filled >= 0.5 * (x1 - x0 + 1) * height) {
        y0 = ""; for (y = top; y <= bottom; y++) if (colour[x0, y] != bg) { if (y0 == "") y0 = y; y1 = y }
        ix0 = ix1 = iy0 = iy1 = ""
        for (x = x0 + 2; x <= x1 - 2; x++) for (y = y0 + 2; y <= y1 - 2; y++) if (lum[x, y] < 200) {
          if (ix0 == "" || x < ix0) ix0 = x; if (ix1 == "" || x > ix1) ix1 = x
          if (iy0 == "" || y < iy0) iy0 = y; if (iy1 == "" || y > iy1) iy1 = y
        }
        kind[parts] = "box"; what[parts] = ix0 == "" ? "0 0" : (ix1 - ix0 + 1) " " (iy1 - iy0 + 1)
        return
      }
      sig = ""
      for (x = x0; x <= x1; x++) { sig = sig "/"; for (y = top; y <= bottom; y++) sig = sig (colour[x, y] != bg) }
      kind[parts] = "text"; what[parts] = sig
    }'
}

# Symbols are at least as wide as they are tall (a bar, a box, a cross); the letters standing
# in for them are taller than wide.
symbols_on_buttons() {
  local parts
  parts=$(caption_parts "$1" | awk '$1 == "button"')
  [ "$(echo "$parts" | grep -c .)" -ge "$2" ] &&
    echo "$parts" | awk '{ if ($2 == 0 || $2 < $3) bad = 1 } END { exit bad }'
}
# A missing glyph draws one and the same box for every character.
distinct_title_glyphs() { caption_parts "$1" | awk '$1 == "text"' | sort -u | grep -c .; }

fail() { echo "FAILED: $1"; failures=$((failures + 1)); }
enter_work_folder
start_display || exit 1
use_prefix "$(dirname "$exe")/glyphs-wineprefix" || { echo "cannot prepare the Wine prefix"; exit 1; }

start_program "$exe"
init=$(wait_window '^Initialise$' 30) || { echo "FAILED: the Initialise window opens"; exit 1; }
locate_painted_client "$init" init.png '#C0C0C0' 250 250 ||
  { echo "FAILED: the Initialise client area is found"; exit 1; }
symbols_on_buttons init.png 3 || fail "the Initialise caption buttons show symbols: $(caption_parts init.png | grep button)"

choose_file_item "$init" 2 || { echo "FAILED: the File menu drops down"; exit 1; }
dialog=$(wait_window 'データを保存する' 10) || { echo "FAILED: the save dialog opens"; exit 1; }
wait_for 5 grab "$dialog" dialog.png
symbols_on_buttons dialog.png 1 || fail "the save dialog's close button shows its symbol"
glyphs=$(distinct_title_glyphs dialog.png)
[ "$glyphs" -ge 8 ] || fail "the save dialog's title shows its glyphs ($glyphs different shapes of 10)"

echo "glyphs: $failures failed"
[ $failures -eq 0 ]
