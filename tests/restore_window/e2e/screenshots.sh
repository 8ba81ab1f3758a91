#!/bin/sh
# The restore window's pictures for the README, at 100 % and 150 %, made on a drive S: of
# their own (a folder of the build linked into the Wine prefix) on a display large enough:
#   screenshots.sh DRIVER OUTDIR
# Needs the Wine environment of scripts/setup.sh; ends the Wine server it used.
driver=$1
out=$2
work="$(dirname "$driver")/restore-screenshots"
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
Xvfb :57 -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'set_dpi 96; wineserver -k; kill $xvfb; rm -f "$WINEPREFIX/dosdevices/s:"' EXIT
wineserver -k 2>/dev/null
export DISPLAY=:57
mkdir -p "$out"
for dpi in 96 144; do
  rm -rf "$work" && mkdir -p "$work"
  ln -sfn "$(cd "$work" && pwd)" "$WINEPREFIX/dosdevices/s:"
  set_dpi "$dpi" && wineserver -w
  wine "$driver" restore_screenshot "S:\\window.bmp" "S:\\" >/dev/null 2>&1
  convert "$work/window.bmp" "$out/restore-$dpi.png" && echo "$out/restore-$dpi.png"
  wineserver -k
done
