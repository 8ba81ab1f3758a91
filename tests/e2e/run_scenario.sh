#!/bin/sh
# Runs one scenario of the driver under Wine: run_scenario.sh DRIVER SCENARIO LOG
# Wine's helper processes (the desktop process, the program under test) inherit the output
# handles and may outlive the driver by seconds; writing to a file rather than to the test
# runner's pipe keeps the test from waiting for them.
mkdir -p "$(dirname "$3")"
wine "$1" "$2" >"$3" 2>&1
status=$?
cat "$3"
exit $status
