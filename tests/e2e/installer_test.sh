#!/usr/bin/env bash
# The installer on a machine that has never seen Quorlin (a new Wine prefix):
#   1. a silent install (/S), timed: the program folder, the encoder in the Windows folder, the
#      shortcuts, the Add/Remove Programs entry, and our two devices listed by the system's
#      device enumerator (the encoder's own DirectShow listing), the test devices not;
#   2. the program started from its shortcut's target passes its start-up check and records
#      a 3-second MP4 with H.264 and AAC;
#   3. an upgrade with the installer's pages while that program runs, and a leftover encoder
#      of an older version too, which holds its own file and the older devices' DLL: the
#      program is asked to be closed first; then the Chinese welcome and finish pages
#      (screenshots); the files are replaced, the leftover's two files among them (set aside
#      for the next reboot), the settings and another program's file in the skin folder kept,
#      and the finish page starts the program again, whose start ends the leftover;
#   4. a silent uninstall is refused while the program runs; once it is closed, the uninstall
#      leaves the prefix as before but for the user's settings, capture area and recordings,
#      and the other program's file in its folder;
#   5. the same installer in a 64-bit prefix, as most users' Windows is: the program in
#      "Program Files (x86)", the devices registered in the 32-bit registry view only and
#      listed by the 32-bit encoder, a recording; a silent upgrade that can neither replace
#      nor set aside the encoder in use ends with exit code 4; a clean uninstall.
source "$(dirname "$0")/e2e_lib.sh" "$1"
setup=$(ls "$e2e_build"/QuorlinSetup-*.exe 2>/dev/null | head -n 1)
[ -n "$setup" ] || fail "no installer in $e2e_build (the build makes it with makensis)"

# The shortcuts stay inside the prefix: Wine does not copy them into this machine's menus.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
snapshot() { python3 "$e2e_repo/tests/e2e/prefix_snapshot.py" "$WINEPREFIX"; }
# new_prefix NAME: a prefix that has never seen Quorlin; its snapshot goes to $before.
new_prefix() {
  export QUORLIN_WINEPREFIX=$e2e_build/$1
  rm -rf "$QUORLIN_WINEPREFIX"
  e2e_use_prefix
  e2e_windows >/dev/null  # makes the prefix
  wineserver -w
  before=$(snapshot)
  encoder=$(e2e_unix_path 'C:\windows\quorlind.exe')
}

# silent_install FOLDER_WIN: the silent install, timed, and the files it puts in FOLDER_WIN
# and the Windows folder.
silent_install() {
  local start file folder
  echo "== silent install: $(basename "$setup"), $(stat -c %s "$setup") bytes, into $1 =="
  start=$(date +%s.%N)
  "$e2e_repo/tools/wine-run.sh" "$setup" /S || fail "the silent install ended with exit code $?"
  echo "silent install: $(python3 -c "print('%.1f' % ($(date +%s.%N) - $start))") s"
  folder=$(e2e_unix_path "$1")
  for file in Quorlin.exe vexhook.dll QuorlinDevices.dll uninstall.exe skin/start.bmp manual/index.html \
    licenses/Quorlin-LICENSE.txt licenses/FFmpeg-COPYING.GPLv3.txt licenses/README.txt; do
    [ -s "$folder/$file" ] || fail "the install has no $1\\$file"
  done
  [ ! -e "$folder/QuorlinTestDevices.dll" ] || fail "the test devices were installed"
  cmp -s "$encoder" "$e2e_repo/build/encoder/$e2e_kind/ffmpeg.exe" || fail "C:\\windows\\quorlind.exe is not the encoder"
}

# Our two devices, and not the test devices, as the system lists them to the installed
# encoder (which lists them and then ends with an error, having been given no input).
check_devices_listed() {
  local devices
  devices=$({ "$e2e_repo/tools/wine-run.sh" "$encoder" -hide_banner -list_devices true -f dshow -i dummy 2>&1 || true; } |
    tr -d '\r' | sed -n 's/^\[dshow @ [0-9a-f]*\]  "\(.*\)"$/\1/p')
  echo "devices the system lists: $(tr '\n' ';' <<<"$devices")"
  grep -qx 'screen-capture-recorder' <<<"$devices" || fail "the desktop device is not listed"
  grep -qx 'virtual-audio-capturer' <<<"$devices" || fail "the system-sound device is not listed"
  ! grep -q 'Quorlin Test' <<<"$devices" || fail "the test devices are listed"
}

# A leftover encoder, as a crash leaves it: it runs from its file and, once it reports frames,
# has the devices' DLL loaded. Its Linux process id goes to $leftover.
start_leftover_encoder() {
  local log=$e2e_build/installer-leftover-encoder.log
  "$e2e_repo/tools/wine-run.sh" "$encoder" -hide_banner -f dshow -i video=screen-capture-recorder -f null - \
    >/dev/null 2>"$log" &
  e2e_pids+=($!)
  e2e_until 60 grep -q 'frame=' "$log" || fail "the leftover encoder did not open the desktop device: $(cat "$log")"
  leftover=$(e2e_wine_processes quorlind.exe | head -n 1)
}

# The bar's close button, at the top edge (message boxes have a 取消 button of the same id).
bar_close='id=2 class="Button" text="取消" rect=[0-9]*,[0-9],'

# record_with PROGRAM_WIN: the installed program, started, passes its start-up check and
# records a 3-second MP4 with H.264 and AAC into C:\Quorlin recordings ($recording); it is
# left running ($program_pid).
record_with() {
  local out_win='C:\Quorlin recordings' out
  echo "== $1: a 3-second recording =="
  out=$(e2e_fresh_folder "$out_win")
  e2e_settings output_folder="$out_win" sound_source=1 save_format=0 video_width=0 video_height=0 live_enabled=0 \
    hide_after_start=0
  e2e_start "$(e2e_unix_path "$1")"
  program_pid=$e2e_last_pid
  e2e_wait_for '验证安装文件\.\.\.通过!' 60  # the start-up check's log
  e2e_until 30 e2e_bar_ready || fail "the bar did not come to the top edge after the start-up check"
  e2e_wait_status '^就绪'
  sleep 1  # the bar settles
  e2e_click 'id=1001 class="Button"'
  e2e_wait_text '正在录制 00:' 60 >/dev/null
  sleep 3
  e2e_click 'id=1001 class="Button"'
  e2e_wait_status '^已停止 ' 60
  recording=$(ls "$out"/*_rec.mp4 2>/dev/null | head -n 1)
  [ -n "$recording" ] || fail "no MP4 in $out: $(ls "$out")"
  python3 - "$recording" <<'PY' || fail "$recording is not a 3-second MP4 with H.264 and AAC"
import json, subprocess, sys
probe = json.loads(subprocess.check_output(
    ["ffprobe", "-v", "error", "-of", "json", "-show_streams", "-show_format", sys.argv[1]]))
codecs = sorted(s["codec_name"] for s in probe["streams"])
duration = float(probe["format"]["duration"])
print("%s: %s, %s, %.2f s" % (sys.argv[1], probe["format"]["format_name"], codecs, duration))
sys.exit(0 if codecs == ["aac", "h264"] and 2.0 <= duration <= 5.0 else 1)
PY
}

# uninstall_leaves_user_data FOLDER_WIN [PATTERN]: a silent uninstall (the program closed), as
# a user runs it: it copies itself to the temporary folder and runs from there. Afterwards the
# prefix differs from $before only by the user's settings, capture area and recordings (and
# what PATTERN, a grep -E of snapshot lines, allows).
uninstall_leaves_user_data() {
  local folder differences unexpected
  local kept='^file C:/Quorlin recordings(/|$)|^file C:/users/[^/]+/AppData/Roaming/quorlin(/config\.cfg)?$|^reg HKCU\\Software\\screen-capture-recorder($|:)'
  folder=$(e2e_unix_path "$1")
  "$e2e_repo/tools/wine-run.sh" "$folder/uninstall.exe" /S || fail "the uninstaller ended with exit code $?"
  wineserver -w
  differences=$({ diff <(echo "$before") <(snapshot) || true; } | sed -n 's/^[<>] //p')
  echo "prefix differences after the uninstall:"
  sed 's/^/  /' <<<"$differences"
  unexpected=$(grep -Ev "$kept${2:+|$2}" <<<"$differences" || true)
  [ -z "$unexpected" ] || fail "the uninstall left more than settings and recordings: $unexpected"
  grep -q '^file C:/users/[^/]*/AppData/Roaming/quorlin/config.cfg$' <<<"$differences" || fail "the settings file is gone"
  [ -f "$recording" ] || fail "the recording is gone"
}

e2e_start_display
new_prefix wineprefix-installer
folder_win='C:\Program Files\Quorlin'
folder=$(e2e_unix_path "$folder_win")
menu=$(e2e_unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Quorlin 录屏')
desktop_link=$(e2e_unix_path 'C:\users\Public\Desktop\Quorlin 录屏.lnk')
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorlin'

silent_install "$folder_win"
python3 "$e2e_repo/tools/version_info.py" "$folder/Quorlin.exe" | tee /dev/stderr |
  grep -q '^  ProductVersion (080404b0): 2.0.5$' || fail "the installed program's version resource is not 2.0.5"
# Terminal-Server aware: bit 0x8000 of DllCharacteristics in the PE optional header.
python3 - "$folder/Quorlin.exe" <<'PY' || fail "the installed program is not marked Terminal-Server aware"
import struct, sys
data = open(sys.argv[1], "rb").read()
header = struct.unpack_from("<I", data, 0x3C)[0] + 24
characteristics = struct.unpack_from("<H", data, header + 70)[0]
print("Quorlin.exe DllCharacteristics: 0x%04x" % characteristics)
sys.exit(0 if characteristics & 0x8000 else 1)
PY

for link in "$menu/Quorlin 录屏.lnk" "$menu/使用手册.lnk" "$menu/卸载 Quorlin 录屏.lnk" "$desktop_link"; do
  [ -s "$link" ] || fail "no shortcut $link"
done
# link_target FILE.lnk: the local path a shortcut opens (its link information's base path).
link_target() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 1:  # a list of item identifiers comes first
    at += 2 + struct.unpack_from("<H", data, at)[0]
base, suffix = struct.unpack_from("<I", data, at + 16)[0], struct.unpack_from("<I", data, at + 24)[0]
text = lambda o: data[at + o:data.index(b"\0", at + o)].decode("gbk")
print(text(base) + text(suffix))
PY
}
target=$(link_target "$menu/Quorlin 录屏.lnk")
[ "$target" = "$folder_win\\Quorlin.exe" ] || fail "the Start-menu shortcut opens '$target'"
[ "$(link_target "$desktop_link")" = "$target" ] || fail "the desktop shortcut opens another program"

entry=$(e2e_system_tool reg.exe query "$uninstall_key" 2>/dev/null | iconv -f gbk -t utf-8 | tr -d '\r')
echo "$entry"
for value in 'DisplayName +REG_SZ +Quorlin 录屏$' 'DisplayVersion +REG_SZ +2.0.5$' 'Publisher +REG_SZ +Quorlin$' \
  'EstimatedSize +REG_DWORD +0x[0-9a-f]{4,}$' 'UninstallString +REG_SZ +"C:\\Program Files\\Quorlin\\uninstall.exe"$'; do
  grep -Eq "^ +$value" <<<"$entry" || fail "the Add/Remove Programs entry has no $value"
done

check_devices_listed
record_with "$target"  # from its shortcut's target

echo "== upgrade with the installer's pages, over the running program and a leftover encoder =="
# An older install: a changed manual, and an encoder and devices' DLL of other contents (bytes
# after the end of the image change nothing in how they run).
echo "old manual" >"$folder/manual/index.html"
printf 'OLDVERSION' >>"$encoder"
printf 'OLDVERSION' >>"$folder/QuorlinDevices.dll"
# Another program's file in a folder of the same name (an install into a shared folder).
echo "another program's picture" >"$folder/skin/another-program.bmp"
settings=$(ls "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/quorlin/config.cfg | head -n 1)
settings_sum=$(sha256sum <"$settings")
start_leftover_encoder
e2e_start "$setup"
e2e_wait_for 'text="Quorlin 录屏 正在运行。' 60
e2e_screenshot installer_running_refused
e2e_click "$bar_close"
e2e_wait_exit "$program_pid" 30 || fail "the program did not end"
sleep 1
e2e_click 'id=4 class="Button"'  # 重试
e2e_wait_for 'text="欢迎安装 Quorlin 录屏 2.0.5"' 30
sleep 1
e2e_screenshot installer_welcome
# welcome, licence, components, folder: 下一步; then 安装.
for page in 'text="许可证协议"' 'text="选择组件"' 'text="选择安装位置"'; do
  e2e_click 'id=1 class="Button"'
  e2e_wait_for "$page" 20
  sleep 0.5
done
e2e_click 'id=1 class="Button" text="安装(&I)"'
e2e_wait_for 'text="Quorlin 录屏 2.0.5 安装程序结束"' 60
sleep 1
e2e_screenshot installer_finish
cmp -s "$folder/manual/index.html" "$e2e_repo/manual/index.html" || fail "the upgrade did not replace the manual"
[ -f "$folder/skin/another-program.bmp" ] || fail "the upgrade deleted another program's file in the skin folder"
[ "$(sha256sum <"$settings")" = "$settings_sum" ] || fail "the upgrade changed the settings file"
cmp -s "$encoder" "$e2e_repo/build/encoder/$e2e_kind/ffmpeg.exe" || fail "the upgrade left the leftover's old encoder"
cmp -s "$folder/QuorlinDevices.dll" "$e2e_build/installer/stage/QuorlinDevices.dll" || fail "the upgrade left the old devices' DLL"
kill -0 "$leftover" 2>/dev/null || fail "the leftover encoder ended during the upgrade"
# The old copies, set aside, go at the next reboot.
pending=$(e2e_system_tool reg.exe query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
  tr -d '\r')
for old in "$encoder.1.old" "$folder/QuorlinDevices.dll.1.old"; do
  [ "$(tail -c 10 "$old" 2>/dev/null)" = OLDVERSION ] || fail "no old copy set aside as $old"
  grep -qF "$(basename "$old")" <<<"$pending" || fail "$old is not to be deleted at the next reboot: $pending"
done
echo "in use, replaced and set aside for the reboot: $(basename "$encoder").1.old, QuorlinDevices.dll.1.old"
e2e_click 'id=1 class="Button" text="完成(&F)"'  # with "运行 Quorlin 录屏" ticked
# The program it starts ends the leftover encoder first.
e2e_wait_for 'text="系统中存在录制进程残留，将自动清理！"' 60
e2e_click 'class="Button" text="确定"'
e2e_wait_for '验证安装文件\.\.\.通过!' 60
e2e_until 30 e2e_bar_ready || fail "the program started by the finish page did not pass its start-up check"
e2e_wait_exit "$leftover" 20 || fail "the leftover encoder still runs"

echo "== uninstall =="
# While the program runs, the uninstaller refuses (exit code 2). Run in place (_?=, a path
# without blanks) so that its exit code is its own, not that of a copy's launcher.
status=0
"$e2e_repo/tools/wine-run.sh" "$folder/uninstall.exe" /S '_?=C:\PROGRA~1\Quorlin' || status=$?
[ "$status" = 2 ] || fail "the uninstaller ended with exit code $status while the program ran"
[ -e "$folder/Quorlin.exe" ] && [ -e "$encoder" ] || fail "the uninstall went ahead while the program ran"
sleep 1
e2e_click "$bar_close"
wineserver -w  # the program has ended
# The set-aside copies, no longer in use, go with the rest; the other program's file stays.
uninstall_leaves_user_data "$folder_win" '^file C:/Program Files/Quorlin(/skin(/another-program\.bmp)?)?$'
[ -f "$folder/skin/another-program.bmp" ] || fail "the uninstall deleted another program's file"
wineserver -k 2>/dev/null || true  # nothing of this prefix outlives its part of the test

echo "== a 64-bit Windows (WoW64) =="
export QUORLIN_WINEARCH=win64
new_prefix wineprefix-installer-wow64
folder_win='C:\Program Files (x86)\Quorlin'
silent_install "$folder_win"
[ ! -e "$(e2e_unix_path 'C:\Program Files\Quorlin')" ] || fail "the 32-bit program went into the 64-bit Program Files"
# The 32-bit devices' DLL (here the system-sound device's class) is registered in the 32-bit
# registry view, where the 32-bit encoder looks.
device_key='HKLM\Software\Classes\CLSID\{8823cf2b-d29b-4059-b649-f3e0d877bc19}\InprocServer32'
e2e_system_tool reg.exe query "$device_key" /reg:32 | tr -d '\r' |
  grep -qF "REG_SZ    $folder_win\QuorlinDevices.dll" || fail "the devices are not registered in the 32-bit view"
! e2e_system_tool reg.exe query "$device_key" /reg:64 >/dev/null 2>&1 || fail "the 32-bit devices are registered in the 64-bit view"
check_devices_listed
record_with "$folder_win\Quorlin.exe"
e2e_click "$bar_close"
e2e_wait_exit "$program_pid" 30 || fail "the program did not end"

echo "== an upgrade that cannot set a file in use aside stops and says so =="
start_leftover_encoder
for n in $(seq 9); do mkdir "$encoder.$n.old"; done  # every name for the old copy taken
status=0
"$e2e_repo/tools/wine-run.sh" "$setup" /S || status=$?
[ "$status" = 4 ] || fail "the upgrade that could not replace the encoder ended with exit code $status"
cmp -s "$encoder" "$e2e_repo/build/encoder/$e2e_kind/ffmpeg.exe" || fail "the encoder was damaged"
echo "the encoder in use, its old-copy names taken: exit code $status"
kill "$leftover"
rmdir "$encoder".?.old
wineserver -w
uninstall_leaves_user_data "$folder_win"
echo "installer test passed"
