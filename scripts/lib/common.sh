# Shared by the project's scripts: installing what they need, and a private Wine and X display.
# Source it; it expects to run from the project's top folder.

CORVALINDE_PACKAGES=(
  cmake ninja-build g++ googletest libgtest-dev libxml2-dev clang libclang-rt-14-dev
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
  mingw-w64-tools wixl wine wine64 xvfb xauth imagemagick xdotool
)

# Installs the Debian packages that are missing (as root, or through sudo).
ensure_packages() {
  local missing=()
  for package in "${CORVALINDE_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# A fresh Wine prefix under $1, and an X server of our own when $2 is "private" (the default)
# or there is no display. Everything started here is stopped when the calling script exits.
start_wine() {
  local build_dir=$1 display_mode=${2:-private}
  export WINEPREFIX="$PWD/$build_dir/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko install prompts
  rm -rf "$WINEPREFIX"
  if [ "$display_mode" = "private" ] || [ -z "${DISPLAY:-}" ]; then
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    CORVALINDE_XVFB_PID=$!
    for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$display_file")"
    rm -f "$display_file"
  fi
  trap stop_wine EXIT
  wineboot -i >/dev/null 2>&1
  wineserver -p  # keep one server for the whole run: every test starts programs
}

# For programs driven through Win32 only, on our own X server, which has no window manager:
# left to one, Wine would wait up to 2 s for it each time a captioned window (a message box, a
# dialog) is hidden. Not for input through X (xdotool): unmanaged windows do not get X's focus.
unmanaged_windows() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

stop_wine() {
  wineserver -k 2>/dev/null || true
  [ -n "${CORVALINDE_XVFB_PID:-}" ] && kill "$CORVALINDE_XVFB_PID" 2>/dev/null || true
}
