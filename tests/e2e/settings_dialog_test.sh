#!/usr/bin/env bash
# The settings dialog from the bar's settings button with our devices installed: the first
# run's proposals, the device lists, the camera's moving picture and its chosen size, each
# refusal of OK with its message, Cancel, the settings file OK writes (also with a microphone
# whose name cannot be stored chosen while the sound source is "扬声器"), a live address set in
# the dialog streaming to a local RTMP server, and twenty openings with a running picture
# that leave the program's handles, threads and memory where they were.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display 1280x1024  # the whole dialog on the screen with this display's fonts
e2e_install_encoder
e2e_install_devices

data=$(e2e_unix_path 'C:\users')/$(id -un)/AppData/Roaming/quorlin
rm -f "$data/config.cfg"
rundir=$(mktemp -d)
rtmp_dir=$rundir/rtmp
rtmp_port=19393
"$e2e_repo/tools/rtmp-server.sh" start "$rtmp_dir" "$rtmp_port"
trap '"$e2e_repo/tools/rtmp-server.sh" stop "$rtmp_dir"; e2e_cleanup; rm -rf "$rundir"' EXIT

dialog_open() { e2e_listing_has 'class="#32770" title="设置"'; }
dialog_closed() { ! dialog_open; }
message_closed() { ! e2e_listing_has "text=\"$1\""; }
control() { e2e_windows | grep -m1 -- "id=$1 class=" || true; }
has_text() { control "$1" | grep -qF -- "text=\"$2\""; }
# type_into ID TEXT: replaces an edit's text as a user does.
type_into() {
  e2e_click "id=$1 class=\"Edit\""
  xdotool key End shift+Home BackSpace
  xdotool type --delay 20 "$2"
}
# refused MESSAGE: OK shows exactly this message; Enter closes it and the dialog stays open.
refused() {
  e2e_click 'id=1 class="Button" text="确定"'
  e2e_wait_for "class=\"Static\" text=\"$1\"" 20
  e2e_key Return
  e2e_until 10 message_closed "$1" ||
    fail "the message '$1' did not close"
  dialog_open || fail "the dialog closed after '$1'"
}
open_dialog() {
  sleep 0.5
  e2e_click_until 'id=3 class="Button"' dialog_open
  e2e_wait_for 'id=1020 class="Static" text="1280x720"' 30
}
# preview_picture PNG: the picture the renderer draws into the preview control 1011. Wine
# keeps a child window's OpenGL drawing in an X window of its own, off the screen, and does
# not copy it into the dialog; that X window, the control's client size, is read directly.
preview_picture() {
  local rect l t r b w h window
  rect=$(control 1011 | sed -n 's/.* rect=\([-0-9,]*\).*/\1/p')
  IFS=, read -r l t r b <<<"$rect"
  w=$((r - l - 2)) h=$((b - t - 2))
  window=$(xwininfo -root -tree | grep -A2 -- '1x1+-1+-1' | grep -m1 -- " ${w}x${h}+" | awk '{print $1}')
  [ -n "$window" ] || fail "no renderer window of ${w}x${h} for the preview control"
  import -window "$window" "$1"
  preview_at="+$((l + 1))+$((t + 1))"
}
# pixel PNG X Y: the colour there as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
# resources: the program's handles and threads, and its Wine process's private memory.
resources() {
  local counts
  counts=$("$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" resources "$windows_pid" 2>/dev/null | tr -d '\r')
  echo "$counts private_kb=$(awk '$1 == "RssAnon:" { print $2 }' "/proc/$linux_pid/status")"
}
start_bar() {
  e2e_start "$e2e_bin/Quorlin.exe"
  program=$e2e_last_pid
  e2e_wait_bar_ready
  windows_pid=$(e2e_windows | sed -n 's/^window .* pid=\([0-9]*\) class="[^"]*" title="quorlwnd".*/\1/p' | head -n 1)
  linux_pid=$(e2e_wine_processes Quorlin.exe | head -n 1)
}

# First run: the proposals, the devices, the camera's size.
start_bar
open_dialog
sleep 2
e2e_screenshot settings_dialog
# The test camera's bars (yellow at 3/14 of the width, blue at 13/14) and its counter moving.
preview_picture "$e2e_shots/settings_preview_1.png"
sleep 1
preview_picture "$e2e_shots/settings_preview_2.png"
pw=$(identify -format %w "$e2e_shots/settings_preview_1.png")
[ "$(pixel "$e2e_shots/settings_preview_2.png" $((pw * 3 / 14)) 30)" = FFFF00 ] &&
  [ "$(pixel "$e2e_shots/settings_preview_2.png" $((pw * 13 / 14)) 30)" = 0000FF ] ||
  fail "the preview shows no colour bars"
cmp -s "$e2e_shots/settings_preview_1.png" "$e2e_shots/settings_preview_2.png" && fail "the preview did not move"
# The whole dialog as a user sees it on Windows: the renderer's picture laid over control 1011.
convert "$e2e_shots/settings_dialog.png" "$e2e_shots/settings_preview_2.png" -geometry "$preview_at" -composite \
  "$e2e_shots/settings_dialog_with_preview.png"
for expected in '1004:C:\users\Public\Videos\' 1013:MP4格式文件 1005:原画幅（推荐） 1006:默认 1007:20帧 1012:麦克风 \
  1009:默认 '1008:Quorlin Test Camera' '1010:Quorlin Test Microphone'; do
  has_text "${expected%%:*}" "${expected#*:}" || fail "control ${expected%%:*} shows: $(control "${expected%%:*}")"
done
# The camera list opened: our camera, never the desktop device.
e2e_click 'id=1008 class="ComboBox"'
sleep 1
e2e_screenshot settings_camera_list
e2e_windows | grep -q -e screen-capture-recorder -e virtual-audio-capturer && fail "an encoder device is offered"
e2e_key Escape
sleep 0.5

# Cancel writes nothing.
e2e_click 'id=2 class="Button" text="取消"'
e2e_until 10 dialog_closed ||
  fail "Cancel did not close the dialog"
[ ! -e "$data/config.cfg" ] || fail "Cancel wrote a settings file"

# A missing folder is refused; the proposed one is stored without its backslash.
open_dialog
type_into 1004 'C:\nowhere'
refused '目标目录不存在！'
[ ! -e "$data/config.cfg" ] || fail "a refused OK wrote a settings file"
type_into 1004 'C:\users\Public\Videos\\\'
e2e_click 'id=1 class="Button" text="确定"'
e2e_until 10 dialog_closed ||
  fail "OK did not close the dialog"
fields=$("$e2e_repo/tools/wine-run.sh" "$e2e_bin/qsettings.exe" 2>/dev/null | tr -d '\r')
echo "$fields"
for expected in 'output_folder=C:\users\Public\Videos' frame_rate=20 camera_width=1280 camera_height=720 \
  'camera_name=Quorlin Test Camera' 'microphone_name=Quorlin Test Microphone' live_enabled=0; do
  grep -qxF -- "$expected" <<<"$fields" || fail "the settings file lacks $expected"
done
saved=$(sha256sum <"$data/config.cfg")

# Live addresses: too short, then the wrong scheme.
open_dialog
e2e_click 'id=1023 class="Button"'
type_into 1015 'rtmp://a/b'
refused '请输入有效的直播地址！'
type_into 1015 'RTMP://host/live/stream'
refused '请输入有效的直播地址！软件支持UDP协议和RTMP协议。'
# An address the dialog accepts is the one the next stream goes to.
stream_url="rtmp://127.0.0.1:$rtmp_port/live/dialog"
type_into 1015 "$stream_url"
e2e_click 'id=1 class="Button" text="确定"'
e2e_until 10 dialog_closed || fail "OK with a live address did not close the dialog"
"$e2e_repo/tools/wine-run.sh" "$e2e_bin/qsettings.exe" 2>/dev/null | tr -d '\r' | grep -qxF "live_url=$stream_url" ||
  fail "the settings file lacks the live address"
sleep 0.5
e2e_click 'id=1001 class="Button"'
e2e_wait_status '^正在直播 00:00:0' 60
# stream_codecs: the codecs a reader finds in the stream (a full-screen picture on a loaded
# machine can take a while to reach the server, so a second reader may be needed).
stream_codecs() {
  timeout 40 ffprobe -v fatal -analyzeduration 10M -probesize 10M -of csv=p=0 -show_entries stream=codec_name \
    "$stream_url" | sort | tr '\n' ' '
}
codecs=$(stream_codecs)
[ "$codecs" = "aac h264 " ] || codecs=$(stream_codecs)
[ "$codecs" = "aac h264 " ] || fail "the stream holds: $codecs"
e2e_click 'id=1001 class="Button"'
e2e_wait_status '^已停止 ' 30
e2e_settings live_enabled=0

# Twenty openings with the camera's picture running, counted from after four more, by which
# the libraries, fonts and heaps the dialog and renderer use once are in place.
for i in $(seq 24); do
  open_dialog
  e2e_click 'id=2 class="Button" text="取消"'
  e2e_until 10 dialog_closed || fail "Cancel did not close the dialog (opening $i)"
  [ "$i" = 4 ] && before=$(resources)
done
after=$(resources)
echo "after four openings: $before; after twenty more: $after"
python3 - "$before" "$after" <<'PY' || fail "twenty openings grew the program's resources"
import sys
before, after = (dict(f.split("=") for f in a.split()) for a in sys.argv[1:])
# Wine's device enumerator keeps 4 handles of its own per listing (the devices test measures
# it), and an opening lists three times: the two lists and the camera for its picture. A
# leaked frame would be megabytes.
allowed = {"handles": 20 * 3 * 4, "threads": 0, "private_kb": 2048}
sys.exit(0 if all(int(after[k]) <= int(before[k]) + extra for k, extra in allowed.items()) else 1)
PY
sleep 1
e2e_click 'class="Static" text="led"'
e2e_key Escape
e2e_wait_exit "$program" 30 || fail "Escape did not end the program"

# A stored microphone that is not installed: nothing selected, and the microphone source
# refuses OK.
e2e_settings microphone_name="No Such Microphone"
saved=$(sha256sum <"$data/config.cfg")
start_bar
open_dialog
has_text 1010 '' || fail "a missing microphone was selected: $(control 1010)"
refused '请选择录音设备！'
e2e_click 'id=2 class="Button" text="取消"'
sleep 1
[ "$(sha256sum <"$data/config.cfg")" = "$saved" ] || fail "refusals or Cancel changed the settings file"

# A microphone whose name is too long to store, chosen while the sound source is "扬声器":
# OK stores the folder and the rest; the stored microphone name stays.
long_microphone="Zz $(printf 'microphone%.0s' $(seq 30))"
long_microphone_key='HKCR\CLSID\{33D9A762-90C8-11d0-BD43-00A0C911CE86}\Instance\{00000000-0000-0000-0000-000000000001}'
e2e_system_tool reg.exe add "$long_microphone_key" /v FriendlyName /d "$long_microphone" /f >/dev/null
# It never outlives the test: the other tests share the prefix.
trap '"$e2e_repo/tools/rtmp-server.sh" stop "$rtmp_dir"; e2e_cleanup; rm -rf "$rundir"
  e2e_system_tool reg.exe delete "$long_microphone_key" /f >/dev/null 2>&1 || true; wineserver -k || true' EXIT
open_dialog
type_into 1004 'C:\users\Public'
e2e_click 'id=1010 class="ComboBox"'
sleep 1
xdotool type z
e2e_key Return
for try in 1 2; do  # a click right after a list closed is now and then lost under Wine
  e2e_click 'id=1012 class="ComboBox"'
  sleep 1
  e2e_key End  # the last entry, "麦克风和扬声器"; "扬声器" is the one above it
  e2e_key Up
  e2e_key Return
  has_text 1012 扬声器 && break
done
has_text 1010 "$long_microphone" && has_text 1012 扬声器 ||
  fail "the long microphone and 扬声器 are not chosen: $(control 1010) $(control 1012)"
e2e_click 'id=1 class="Button" text="确定"'
e2e_until 10 dialog_closed || fail "OK with an unused microphone of an unstorable name did not close the dialog"
fields=$("$e2e_repo/tools/wine-run.sh" "$e2e_bin/qsettings.exe" 2>/dev/null | tr -d '\r')
for expected in 'output_folder=C:\users\Public' sound_source=1 'microphone_name=No Such Microphone'; do
  grep -qxF -- "$expected" <<<"$fields" || fail "the settings file lacks $expected"
done
echo "PASS: the settings dialog"
