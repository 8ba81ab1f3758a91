#!/usr/bin/env bash
# How long "Datensicherung.exe /GO" takes under Wine, from the start of the process until it
# has handed the command line to the archiver and ended, against the floor program that does
# the same platform work and nothing else. Runs alternate floor and program; each must leave
# its line in the recorder's log. Prints figures; never fails on slowness.
#
#   bench/wine_startup.sh [--build-dir DIR] [--wineprefix DIR] [RUNS]
#
# DIR defaults to build/win32 (built with the win32 preset when a program is missing there);
# the Wine prefix defaults to the one of ./test, whose Wine server is ended first as ./test
# does: give a prefix of its own to leave a running ./test alone. RUNS defaults to 15.
# The figures include Wine's start of its desktop process, which every run pays alike.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/setup.sh

build_dir=build/win32
prefix=""
runs=15
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) build_dir=${2:?"--build-dir needs a folder"}; shift 2 ;;
    --wineprefix) prefix=${2:?"--wineprefix needs a folder"}; shift 2 ;;
    [1-9]*) runs=$1; shift ;;
    *) echo "usage: $0 [--build-dir DIR] [--wineprefix DIR] [RUNS]"; exit 2 ;;
  esac
done

programs=(Datensicherung floor recorder)
for program in "${programs[@]}"; do
  if [ ! -f "$build_dir/$program.exe" ]; then
    echo "Building ${programs[*]} in $build_dir ..."
    cmake --preset win32 -B "$build_dir" >/dev/null &&
      cmake --build "$build_dir" -j2 --target "${programs[@]}" >/dev/null || exit 1
    break
  fi
done

# A folder of its own with the program, its settings, the floor and the recording archiver.
scratch="$root/build/bench-startup"
rm -rf "$scratch"
mkdir -p "$scratch/Archiv"
for program in "${programs[@]}"; do cp "$build_dir/$program.exe" "$scratch/"; done
windows_scratch="Z:${scratch//\//\\}"
printf '%s\r\n' \
  "[Programm]" "Version=3" "Zip=$windows_scratch\\recorder.exe" 'Param=%s -m%s%s"%s" "%s"' \
  "Stopprogchecked=1" \
  "[Backup]" "0b=Anwendungen" "0=C:\\Programme\\*.*" "1b=Dokumente" "1=C:\\Daten\\*.*" \
  "[Ziel]" "0=$windows_scratch\\Archiv\\" >"$scratch/Datensicherung.ini"
log="$scratch/recorder.log"

ds_wine_environment
if [ -n "$prefix" ]; then
  mkdir -p "$prefix"
  WINEPREFIX="$(cd "$prefix" && pwd)"
  export WINEPREFIX
fi
trap ds_stop_wine_and_display EXIT
if [ -z "${DISPLAY:-}" ]; then
  ds_start_display || exit 1
fi
ds_prepare_wine || { echo "Wine could not prepare $WINEPREFIX."; exit 1; }

logged() { [ -f "$log" ] && wc -l <"$log" || echo 0; }

# Milliseconds from starting the program until its process has ended; "failed" when it did
# not end within a minute or its archiver left no line in the log within ten seconds.
run_once() {
  local before start end
  before=$(logged)
  start=${EPOCHREALTIME/./}
  (cd "$scratch" && exec timeout 60 wine "$1.exe" /GO) </dev/null >/dev/null 2>&1
  local status=$?
  end=${EPOCHREALTIME/./}
  for _ in $(seq 100); do
    [ "$(logged)" -gt "$before" ] && break
    sleep 0.1
  done
  if [ $status -ne 0 ] || [ "$(logged)" -le "$before" ]; then
    echo failed
  else
    echo $(((end - start) / 1000))
  fi
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One start of each first: it loads the DLLs into the page cache for everyone after.
run_once floor >/dev/null
run_once Datensicherung >/dev/null

floor_times=()
tool_times=()
ratios=()
failures=0
echo "run  floor ms  program ms"
for i in $(seq "$runs"); do
  f=$(run_once floor)
  t=$(run_once Datensicherung)
  printf '%3d  %8s  %10s\n' "$i" "$f" "$t"
  if [ "$f" = failed ] || [ "$t" = failed ]; then
    failures=$((failures + 1))
    continue
  fi
  floor_times+=("$f")
  tool_times+=("$t")
  ratios+=("$(awk -v t="$t" -v f="$f" 'BEGIN { printf "%.4f", t / f }')")
done

echo
if [ ${#ratios[@]} -eq 0 ]; then
  echo "No run succeeded; see $scratch."
  exit 1
fi
floor_median=$(printf '%s\n' "${floor_times[@]}" | median)
tool_median=$(printf '%s\n' "${tool_times[@]}" | median)
ratio_median=$(printf '%s\n' "${ratios[@]}" | median)
echo "runs:                         ${#ratios[@]} pairs ($failures failed)"
echo "median floor:                 $floor_median ms"
echo "median Datensicherung.exe:    $tool_median ms"
# The ratio within each pair is the figure to go by: neighbours share the machine's load.
awk -v r="$ratio_median" -v t="$tool_median" -v f="$floor_median" 'BEGIN {
  printf "median ratio program/floor:  %.3f (goal: at most 1.10)\n", r
  printf "ratio of the medians:        %.3f\n", t / f }'
for program in Datensicherung floor; do
  exe="$build_dir/$program.exe"
  echo
  echo "$program.exe: $(stat -c %s "$exe") bytes, imports:"
  i686-w64-mingw32-objdump -p "$exe" | grep 'DLL Name' | sed 's/^[[:space:]]*/  /'
done
