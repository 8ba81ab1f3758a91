#!/usr/bin/env bash
# Makes the installer and the portable ZIP of one version from the built programs:
#   build_packages.sh VERSION PROGRAM_DIR DIST_DIR
# gives DIST_DIR/Datensicherung-VERSION.msi and DIST_DIR/Datensicherung-VERSION-portabel.zip.
# The build passes the project's version; the installer check passes a higher one to make an
# upgrade of the same programs.
set -euo pipefail
if [ $# -ne 3 ] || ! [[ $1 =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "usage: $0 MAJOR.MINOR.PATCH PROGRAM_DIR DIST_DIR" >&2
  exit 2
fi
version=$1
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
mkdir -p "$3"
programs="$(cd "$2" && pwd)" dist="$(cd "$3" && pwd)"
name=Datensicherung-$version
stage="$dist/$name"
msi="$dist/$name.msi"
portable="$dist/$name-portabel.zip"

rm -rf "$stage" "$msi" "$portable"
mkdir "$stage"
cp "$programs/Datensicherung.exe" "$programs/dszip.exe" "$programs/Wiederherstellen.exe" \
  "$root/examples/Datensicherung.ini" "$stage/"
# For Windows' editor: Windows-1252 and CRLF, like the settings file. Lizenzen.txt is made by the
# build beside the programs, from the licence of the libdeflate it links.
for text in "$here/Erste Schritte.txt" "$programs/Lizenzen.txt"; do
  sed 's/$/\r/' "$text" | iconv -f UTF-8 -t WINDOWS-1252 >"$stage/$(basename "$text")"
done

# wixl takes source files by relative path only.
cd "$root"
wixl -a x86 -D Version="$version" -D ProgramDir="$(realpath --relative-to=. "$stage")" \
  -D ExampleDir="$(realpath --relative-to=. "$stage")" -D IconFile=res/app.ico \
  -o "$msi.tmp" packaging/Datensicherung.wxs
# What wixl cannot write:
# - the event sources' message files as REG_EXPAND_SZ ("#%"): wixl writes them as plain strings;
# - the settings component permanent (16) and never overwritten (128): an upgrade keeps the
#   user's file and an uninstall leaves it;
# - the settings file's permissions, applied as it is installed: SYSTEM and Administrators
#   full, Users read and write, so that a standard user's run can write [Last] and [Security]
#   in the programs folder. The folder itself stays closed to them: a programs folder that
#   users may add files to invites planted DLLs.
msibuild "$msi.tmp" \
  -q "UPDATE \`Registry\` SET \`Value\` = '#%[#dszip.exe]' WHERE \`Value\` = '[#dszip.exe]'" \
  -q "UPDATE \`Registry\` SET \`Value\` = '#%[#Datensicherung.exe]' WHERE \`Value\` = '[#Datensicherung.exe]'" \
  -q "UPDATE \`Component\` SET \`Attributes\` = 144 WHERE \`Component\` = 'Settings'" \
  -i packaging/MsiLockPermissionsEx.idt
mv "$msi.tmp" "$msi"

(cd "$dist" && zip -qrX "$portable" "$name")
rm -rf "$stage"
echo "$msi"
echo "$portable"
