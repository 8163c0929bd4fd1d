#!/usr/bin/env bash
# Sets up this machine (when needed), builds Quorlin and runs it under Wine as on a user's
# machine: the build's installer QuorlinSetup-<version>.exe installs it silently into the Wine
# prefix (the program in C:\Program Files\Quorlin, its capture devices registered, the genuine
# FFmpeg build as C:\windows\quorlind.exe), and the installed program is started. Where only
# 64-bit Wine runs (no 32-bit installer can), the 64-bit build runs from its build folder with
# the encoder and devices put into the prefix directly.
# - With $DISPLAY set: starts the program on that display for you.
# - Without a display: a scripted recording on a virtual display. It seeds the settings
#   (an output folder, system sound), presses Start, records a few seconds, presses Start
#   again, waits for the final MP4, and prints its path, duration and streams, and the
#   path of a screenshot of the bar while recording.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
source "$here/lib.sh"

bash "$here/setup.sh"
mkdir -p "$repo/build"
echo "== build: win32 (i686) =="
configure_and_build "$repo/build/win32" $(toolchain_for win32) >/dev/null
kind=$(wine_build_kind)
if [ "$kind" = win64 ]; then
  echo "== this machine cannot run 32-bit Wine: running the x86_64 build of the same sources =="
  configure_and_build "$repo/build/win64" $(toolchain_for win64) >/dev/null
fi
bin=$repo/build/$kind/bin
program=$bin/Quorlin.exe

source "$repo/tests/e2e/e2e_lib.sh" "$repo/build/$kind"

# Installs this build with its installer, silently, unless this very installer has installed
# the program in the prefix already; $program becomes the installed program.
install_quorlin() {
  local setup stamp
  if [ "$kind" != win32 ]; then
    e2e_install_encoder
    e2e_install_devices
    return
  fi
  setup=$(ls "$repo"/build/win32/QuorlinSetup-*.exe 2>/dev/null | head -n 1)
  [ -n "$setup" ] || fail "the build made no installer (makensis missing?)"
  stamp=$(sha256sum <"$setup")
  program=$(e2e_unix_path 'C:\Program Files\Quorlin\Quorlin.exe')
  if [ ! -f "$program" ] || [ "$(cat "$WINEPREFIX/.quorlin-installed" 2>/dev/null)" != "$stamp" ]; then
    echo "== installing $(basename "$setup") silently =="
    # Its shortcuts stay in the prefix rather than in this machine's own menus.
    WINEDLLOVERRIDES="winemenubuilder.exe=d" "$here/wine-run.sh" "$setup" /S ||
      fail "the installer ended with exit code $? (2: Quorlin is running in this prefix; close it first)"
    echo "$stamp" >"$WINEPREFIX/.quorlin-installed"
  fi
  echo "== installed: $program =="
}

if [ -n "${DISPLAY:-}" ]; then
  e2e_use_prefix
  install_quorlin
  "$here/wine-run.sh" "$program"
  exit 0
fi

e2e_start_display
install_quorlin
out_win='C:\Quorlin recordings'
out=$(e2e_unix_path "$out_win")
mkdir -p "$out"
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 video_width=0 video_height=0 live_enabled=0
echo "== settings =="
"$here/wine-run.sh" "$bin/qsettings.exe" | tr -d '\r' | sed 's/^/  /'

e2e_start "$program"
e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'
e2e_wait_status '^就绪'
before=$(ls "$out")
echo "== pressing Start =="
e2e_click_until 'id=1001 class="Button"' e2e_status_matches '^正在录制'
e2e_wait_text '正在录制 00:' 60 | sed 's/^/  status: /'
sleep 5
e2e_screenshot run_recording
echo "  status: $(e2e_status)"
echo "== pressing Start again =="
e2e_click_until 'id=1001 class="Button"' e2e_status_matches '^(检查格式|已停止 )'
deadline=$((SECONDS + 60))
mp4=""
while [ $SECONDS -lt $deadline ]; do
  mp4=$(comm -13 <(echo "$before") <(ls "$out") | grep '_rec\.mp4$' | head -n 1 || true)
  if [ -n "$mp4" ] && ! ls "$out" | grep -q "^${mp4%_rec.mp4}\.ts$" && e2e_status | grep -q '^已停止 '; then break; fi
  sleep 0.5
done
echo "  status: $(e2e_status)"
[ -n "$mp4" ] || fail "no MP4 appeared in $out"
echo "== the recording =="
echo "  $out/$mp4"
ffprobe -v error -show_entries format=duration:stream=codec_type,codec_name,width,height \
  -of default=noprint_wrappers=1 "$out/$mp4" | sed 's/^/  /'
e2e_click 'id=2 class="Button"'
echo "Screenshot of the bar while recording: $e2e_shots/run_recording.png"
