#!/usr/bin/env bash
# Checks that the sources are ASCII and formatted as .clang-format says, then runs clang-tidy
# with the repository's .clang-tidy over the portable code (everything that builds natively:
# src/core, src/settings without the Win32 file store, src/window_logic, the ZIP library in
# src/zip, src/engine with its sets, src/dszip and src/restore_window, each without its Win32
# layer, src/runlog without its Win32 part), or over the files given. Exits non-zero on any finding.
#
#   scripts/tidy.sh [--build-dir DIR] [FILE...]
#
# DIR (default build/tidy) receives a configure-only native tree for the compile database;
# nothing is built there.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

build_dir=build/tidy
if [ "${1:-}" = "--build-dir" ]; then
  build_dir=$(realpath -m "${2:?"--build-dir needs a folder"}")
  shift 2
fi
given=()
for file in "$@"; do given+=("$(realpath "$file")") || exit 2; done
cd "$root"

# The sources stay ASCII, so that no editor or compiler guesses an encoding: a text beyond it is
# written with escapes (Windows-1252 bytes) or universal character names (UTF-8).
if LC_ALL=C grep -rnP '[\x80-\xFF]' src; then
  echo "Bytes beyond ASCII in src (above): write them as escapes or universal character names."
  exit 1
fi

# One formatting, the one .clang-format describes.
format=$(command -v clang-format-14 || command -v clang-format) || {
  echo "clang-format is not installed (Debian: apt-get install clang-format)."
  exit 2
}
if ! git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' |
    xargs "$format" --dry-run -Werror; then
  echo "Not formatted as .clang-format says (above): run clang-format -i on those files."
  exit 1
fi

tidy=$(command -v clang-tidy-14 || command -v clang-tidy) || {
  echo "clang-tidy is not installed (Debian: apt-get install clang-tidy)."
  exit 2
}

# Configured every time (it takes a moment) so that a new source file is in the database.
cmake --preset native -B "$build_dir" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null || exit 2

if [ ${#given[@]} -gt 0 ]; then
  files=("${given[@]}")
else
  mapfile -t files < <(ls src/core/*.cpp src/settings/*.cpp src/window_logic/*.cpp src/zip/*.cpp \
                           src/engine/*.cpp src/engine/sets/*.cpp src/dszip/*.cpp src/runlog/*.cpp \
                           src/restore_window/*.cpp |
                         grep -v '_win32\.cpp$')
fi

# The compile database holds GCC's options; clang does not know all of its warning flags.
# Two at a time: the machine is shared.
if printf '%s\n' "${files[@]}" |
    xargs -d '\n' -n 1 -P 2 "$tidy" -p "$build_dir" --quiet \
      --extra-arg=-Wno-unknown-warning-option 2> >(grep -v ' warnings\? generated\.$' >&2); then
  echo "clang-tidy: ${#files[@]} files, no findings."
else
  echo "clang-tidy: findings above."
  exit 1
fi
