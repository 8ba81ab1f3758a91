#!/usr/bin/env bash
# Builds libdeflate for the Windows program: Debian 12's source package, fetched by apt's own
# client through a source list and state folder of our own (the machine's apt sources stay as
# they are), unpacked and compiled with the i686 MinGW compiler into a static library.
# Usage: scripts/libdeflate.sh FOLDER VERSION; leaves FOLDER/include/libdeflate.h and
# FOLDER/lib/libdeflate.a, and does nothing when they are there already.
set -euo pipefail
out=$(realpath -m "$1")
version=$2
[ -f "$out/lib/libdeflate.a" ] && [ -f "$out/include/libdeflate.h" ] && exit 0

echo "Building libdeflate $version for Windows from Debian's source package ..."
work="$out/work"
rm -rf "$work"
mkdir -p "$work/lists/partial" "$work/cache" "$work/source" "$out/lib" "$out/include"
# The Debian mirror this machine's own apt sources name (one-line or deb822 form).
mirror=$({ awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; break } }' \
             /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null
           sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | tr ' ' '\n'
         } | grep -E '/debian/?$' | head -n 1)
if [ -z "$mirror" ]; then
  echo "No Debian mirror in this machine's apt sources (/etc/apt/sources.list*)."
  exit 1
fi
echo "deb-src $mirror bookworm main" >"$work/sources.list"
apt=(-o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
     -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache")
apt-get -qq "${apt[@]}" update
# apt checks the release file's signature and the source files' hashes.
(cd "$work/source" && apt-get -qq "${apt[@]}" source --download-only libdeflate >/dev/null 2>&1)
dpkg-source -q -x "$(ls "$work"/source/libdeflate_*.dsc)" "$work/tree" >/dev/null 2>&1
tree="$work/tree"
if ! grep -q "^#define LIBDEFLATE_VERSION_STRING[[:space:]]*\"$version\"" "$tree/libdeflate.h"; then
  echo "Debian's libdeflate source is not version $version."
  exit 1
fi

# Two compilers at a time: the machine is shared.
printf '%s\n' "$tree"/lib/*.c "$tree"/lib/x86/*.c |
  xargs -P 2 -I{} sh -c 'i686-w64-mingw32-gcc-posix -O2 -DNDEBUG -I"$1" -c "$2" -o "$3/$(basename "$2" .c).o"' \
    sh "$tree" {} "$work"
i686-w64-mingw32-ar rcs "$work/libdeflate.a" "$work"/*.o
cp "$tree/libdeflate.h" "$out/include/"
cp "$tree/COPYING" "$out/COPYING"
mv "$work/libdeflate.a" "$out/lib/"
rm -rf "$work"
