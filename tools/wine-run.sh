#!/usr/bin/env bash
# Runs a Windows program under Wine the way every test and the run command do:
#   tools/wine-run.sh PROGRAM.exe [ARGS...]
# - one prefix inside the build tree (build/wineprefix for 32-bit programs,
#   build/wineprefix64 for 64-bit ones, or $QUORLIN_WINEPREFIX), created on first use,
#   with a Chinese font (Noto Sans CJK SC) standing in for SimSun and Microsoft YaHei;
#   QUORLIN_WINEARCH=win64 makes it a 64-bit prefix in which 32-bit programs run as on
#   64-bit Windows (WoW64);
# - LANG=zh_CN.UTF-8, so the ANSI code page is 936; WINEDEBUG=-all (or $QUORLIN_WINEDEBUG);
# - a private virtual display (Xvfb) when $DISPLAY is unset.
# The program's exit code is this script's exit code.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
source "$here/lib.sh"
export WINEDEBUG=${QUORLIN_WINEDEBUG:--all}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# No Mono or Gecko installers: nothing here needs .NET or the HTML engine.
export WINEDLLOVERRIDES="mscoree,mshtml=;${WINEDLLOVERRIDES:-}"

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

# The program's own architecture picks the Wine loader and prefix.
if file -b "$1" | grep -q 'x86-64'; then
  export WINEARCH=win64 WINEPREFIX=${QUORLIN_WINEPREFIX:-$repo/build/wineprefix64}
  loader=/usr/lib/wine/wine64
else
  export WINEARCH=${QUORLIN_WINEARCH:-win32} WINEPREFIX=${QUORLIN_WINEPREFIX:-$repo/build/wineprefix}
  loader=wine
  if ! can_run_32bit_wine; then
    echo "wine-run: this machine cannot run 32-bit Wine (32-bit emulation is off in its kernel);" >&2
    echo "          run the 64-bit build of the program instead." >&2
    exit 126
  fi
fi


xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then start_virtual_display; fi

# Create the prefix once; parallel test runs wait for the first one to finish it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.quorlin-ready-2" ]; then
    # A 64-bit prefix is made by the 64-bit loader, even for the 32-bit programs it will run.
    if [ "$WINEARCH" = win64 ]; then boot_loader=/usr/lib/wine/wine64; else boot_loader=$loader; fi
    "$boot_loader" wineboot -i >/dev/null 2>&1
    # Text is smoothed as on a desktop. (Unmanaged windows, which would show captions on a
    # display without a window manager, stack top-most popups wrongly, so they stay managed.)
    "$loader" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
    "$loader" reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /t REG_SZ /d 2 /f >/dev/null 2>&1
    "$loader" reg add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d 2 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quorlin-ready-2"
  fi
  # The dialog faces drawn by Noto Sans CJK SC, whose outlines stay whole at 9 and 10 points
  # (WenQuanYi Zen Hei draws some of them, 录 and 制 among them, with broken strokes there).
  if [ ! -f "$WINEPREFIX/.quorlin-fonts-2" ]; then
    key='HKCU\Software\Wine\Fonts\Replacements'
    for face in 宋体 SimSun 新宋体 NSimSun 微软雅黑 "Microsoft YaHei" 黑体 SimHei; do
      "$loader" reg add "$key" /v "$face" /t REG_SZ /d "Noto Sans CJK SC" /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.quorlin-fonts-2"
  fi
) 9>"$WINEPREFIX.lock"

# A wineserver started by the program itself would inherit its standard output and hold it
# open until every Wine program of the prefix has ended, so ctest would wait for that too.
wineserver -p3 </dev/null >/dev/null 2>&1 || true

set +e
"$loader" "$@"
status=$?
set -e
exit $status
