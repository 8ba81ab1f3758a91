#!/bin/sh
# Runs the scaling scenario of the driver with the display at one DPI:
#   run_dpi.sh DRIVER DPI OUTDIR
# The DPI is a setting of the whole Wine prefix, read by each program as it starts, so the
# test runs alone and puts 96 back whatever happens. The screenshot lands in
# OUTDIR/screenshots/dpi_DPI.png.
driver=$1
dpi=$2
out=$3
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
trap 'set_dpi 96' EXIT
set_dpi "$dpi" || { echo "could not set the DPI to $dpi"; exit 1; }
mkdir -p "$out/screenshots"
sh "$(dirname "$0")/run_scenario.sh" "$driver" "dpi_$dpi" "$out/dpi_$dpi.log"
status=$?
bitmap="$out/dpi_$dpi/window.bmp"
if [ -f "$bitmap" ] && command -v convert >/dev/null; then
  convert "$bitmap" "$out/screenshots/dpi_$dpi.png" && echo "screenshot: $out/screenshots/dpi_$dpi.png"
fi
exit $status
