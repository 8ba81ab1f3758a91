# Shared by ./test and ./run (sourced): installs what is missing on a Debian 12 machine, and
# starts and stops Wine and a virtual display. Expects $root, the repository's folder.

ds_packages=(cmake g++ make libgtest-dev libbenchmark-dev clang libclang-rt-14-dev clang-tidy clang-format
             g++-mingw-w64-i686-posix wine wine32:i386 xvfb imagemagick
             zlib1g-dev libz-mingw-w64-dev libdeflate-dev dpkg-dev 7zip libarchive-tools unzip zip)
# The drivers of dszip's checks and benchmark.
ds_packages+=(python3 time)
# The installer: wixl builds it, msitools reads and completes its tables.
ds_packages+=(wixl msitools)

ds_install_missing() {
  local missing=() package
  for package in "${ds_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing ${missing[*]} ..."
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -qq) sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  # Wine runs our 32-bit program with its 32-bit half, which comes from the i386 architecture.
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo[@]}" dpkg --add-architecture i386
  local log="${TMPDIR:-/tmp}/datensicherung-apt.log"
  if ! { "${sudo[@]}" "${apt[@]}" update && "${sudo[@]}" "${apt[@]}" install -y "${missing[@]}"; } \
      </dev/null >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "Installing the packages failed (full log: $log)."
    return 1
  fi
}

# Wine as the tests use it: our own prefix under build/, no install dialogs, no debug output,
# and a fixed locale so that the ANSI code page is Windows-1252 on every machine.
ds_wine_environment() {
  export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
}

# Prepares the prefix. A server left from before is ended first: its desktop process would
# still draw on the display it was started with.
ds_prepare_wine() {
  mkdir -p "$root/build"
  wineserver -k 2>/dev/null || true
  wineboot --init >/dev/null 2>&1 && wineserver -w
}

# Starts Xvfb on a free display (it picks one and reports it when ready) and sets DISPLAY.
ds_start_display() {
  local ready
  ready=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
  ds_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$ready" ] && break
    sleep 0.1
  done
  if [ ! -s "$ready" ]; then
    rm -f "$ready"
    echo "Xvfb did not come up within 10 seconds."
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$ready")"
  rm -f "$ready"
}

ds_stop_wine_and_display() {
  wineserver -k 2>/dev/null || true
  if [ -n "${ds_xvfb_pid:-}" ]; then
    kill "$ds_xvfb_pid" 2>/dev/null || true
    wait "$ds_xvfb_pid" 2>/dev/null || true
    ds_xvfb_pid=""
  fi
}
