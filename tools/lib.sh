# Shared by the run and test scripts.

# True when this machine runs 32-bit Linux programs natively, which 32-bit Wine needs.
# Some virtual machines boot with 32-bit emulation switched off; there the Windows tests
# run on the 64-bit build of the same sources under 64-bit Wine.
can_run_32bit_wine() {
  [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# The build tree whose Windows programs Wine runs here: win32, or win64 where 32-bit cannot run.
wine_build_kind() {
  if can_run_32bit_wine; then echo win32; else echo win64; fi
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$repo" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j"$(nproc)"
}

toolchain_for() {
  case $1 in
    win32) echo "-DCMAKE_TOOLCHAIN_FILE=$repo/cmake/mingw-i686.cmake" ;;
    win64) echo "-DCMAKE_TOOLCHAIN_FILE=$repo/cmake/mingw-x86_64.cmake" ;;
  esac
}

# start_virtual_display [WIDTHxHEIGHT]: starts a private virtual display (1280x800 unless
# told); sets DISPLAY and xvfb_pid (the caller stops it).
start_virtual_display() {
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1280x800}x24" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [ -s "$fd_file" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(tr -d '\n' <"$fd_file")"
  rm -f "$fd_file"
}
