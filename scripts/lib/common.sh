# Shared by the project's scripts: installing what they need, and a private Wine and X display.
# Source it; it expects to run from the project's top folder.

CORVALINDE_PACKAGES=(
  cmake ninja-build g++ googletest libgtest-dev libxml2-dev clang libclang-rt-14-dev
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
  mingw-w64-tools wixl wine wine64 xvfb xauth imagemagick xdotool
)

# Wine's 32-bit half, for Corvalinde32.exe's tests: only where the machine runs 32-bit programs.
# Installed where it cannot run, it would stop Wine running anything at all.
CORVALINDE_PACKAGES_32=(wine32:i386)

# Whether this machine runs 32-bit x86 Linux programs (a kernel without IA-32 emulation, or a
# sandbox such as gVisor, does not): a 93-byte i386 program that only exits, written here.
runs_32bit_programs() {
  local probe status
  probe=$(mktemp)
  {
    # ELF header: 32-bit, little-endian, an executable for the 386, entry at 0x08048054.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
    # One segment: the whole file, loaded at 0x08048000, readable and executable.
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
    printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
    # exit(0): mov eax, 1; xor ebx, ebx; int 0x80
    printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
  } >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  return $status
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Installs the Debian packages that are missing (as root, or through sudo).
ensure_packages() {
  local missing=() i386=0
  for package in "${CORVALINDE_PACKAGES[@]}"; do
    installed "$package" || missing+=("$package")
  done
  if runs_32bit_programs; then
    for package in "${CORVALINDE_PACKAGES_32[@]}"; do
      installed "$package" || missing+=("$package")
    done
    dpkg --print-foreign-architectures | grep -qx i386 || i386=1
  else
    echo "This machine runs no 32-bit programs: no wine32, and Corvalinde32.exe's tests are skipped."
  fi
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  [ $i386 -eq 1 ] && $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# Whether the Wine installed here runs 32-bit Windows programs.
wine_runs_32bit() {
  installed wine32:i386 && runs_32bit_programs
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
