#!/bin/sh
# Runs the differential test under Wine: ini_diff.sh PROGRAM FOLDER
# A symbolic link can only be made on the Unix side (the ones Wine makes lead nowhere), so the
# folder with the links is laid out here.
set -e
rm -rf "$2"
mkdir -p "$2"
printf '[Last]\r\nNr=1\r\n' >"$2/shared.ini"
ln -s shared.ini "$2/symbolic.ini"
exec wine "$1" --links "Z:$(printf '%s' "$2" | tr / '\\')"
