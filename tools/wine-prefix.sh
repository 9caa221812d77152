# shellcheck shell=bash
# The one way this project makes and selects a Wine prefix. Sourced (bash) by tools/with-wine
# (ctest and make run) and tests/e2e/desktop.sh (end-to-end tests and screenshots).

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}

# Fonts Wine does not find by itself: Marlett draws the caption buttons' symbols (without
# it they read "0 1 r"), IPA Gothic the Japanese dialog titles (without it, empty boxes).
WINE_PREFIX_FONTS="/usr/share/wine/fonts/marlett.ttf /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
# Wine falls back on DejaVu Sans for the missing Tahoma of captions and dialogs; the link
# lends it the Japanese glyphs and leaves every Latin letter as it was.
WINE_PREFIX_LINKED_FAMILIES=("DejaVu Sans" "DejaVu Sans Bold")
WINE_PREFIX_LINK="ipag.ttf,IPAGothic"

# use_wine_prefix PREFIX managed|unmanaged
# Exports WINEPREFIX and makes the prefix, with its fonts, the first time. Unmanaged windows
# are for a display without a window manager: Wine would wait 2 s for one on every hidden
# window. The work is done again only when the prefix lacks the fonts or the mode differs.
use_wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  local mode=$2 stamp=$1/.selvane-prefix wanted
  wanted="fonts $mode"
  [ "$(cat "$stamp" 2>/dev/null)" = "$wanted" ] && return 0
  "$WINE" wineboot -i >/dev/null 2>&1
  local fonts=$WINEPREFIX/drive_c/windows/Fonts font family
  mkdir -p "$fonts" || return 1
  for font in $WINE_PREFIX_FONTS; do
    [ -e "$font" ] || { echo "wine prefix: $font is missing; tools/install-deps installs it" >&2; continue; }
    ln -sf "$font" "$fonts/"
  done
  for family in "${WINE_PREFIX_LINKED_FAMILIES[@]}"; do
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$family" /t REG_MULTI_SZ /d "$WINE_PREFIX_LINK" /f >/dev/null 2>&1 || return 1
  done
  local x11_key='HKCU\Software\Wine\X11 Driver'
  if [ "$mode" = unmanaged ]; then
    "$WINE" reg add "$x11_key" /v Managed /d N /f >/dev/null 2>&1 || return 1
  else
    "$WINE" reg delete "$x11_key" /v Managed /f >/dev/null 2>&1
  fi
  echo "$wanted" >"$stamp"
}

# Ends every Wine process of the selected prefix.
stop_wine_prefix() { [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1; }
