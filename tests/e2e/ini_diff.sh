#!/bin/sh
# Runs the differential test under Wine: ini_diff.sh PROGRAM FOLDER
# A symbolic link can only be made on the Unix side (the ones Wine makes lead nowhere), so the
# folder with the links is laid out here.
set -e
rm -rf "$2"
mkdir -p "$2"
printf '[Last]\r\nNr=1\r\n' >"$2/shared.ini"
ln -s shared.ini "$2/symbolic.ini"
# The output goes to a file, not to the test runner's pipe: a helper process that Wine starts
# may keep that pipe open long after the test has ended. The wait is bounded.
out="$2/output.txt"
wine "$1" --links "Z:$(printf '%s' "$2" | tr / '\\')" >"$out" 2>&1 &
pid=$!
waited=0
while kill -0 "$pid" 2>/dev/null; do
  waited=$((waited + 1))
  if [ "$waited" -gt 2400 ]; then
    kill "$pid" 2>/dev/null || true
    cat "$out"
    echo "ini_diff did not end within 240 s"
    exit 1
  fi
  sleep 0.1
done
set +e
wait "$pid"
code=$?
cat "$out"
exit "$code"
