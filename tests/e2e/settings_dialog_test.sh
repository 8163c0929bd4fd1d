#!/usr/bin/env bash
# The settings dialog from the bar's settings button with our devices installed: the first
# run's proposals, the device lists and the camera's chosen size, each refusal of OK with its
# message, Cancel, and the settings file OK writes.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display 1280x1024  # the whole dialog on the screen with this display's fonts
e2e_install_encoder
e2e_install_devices

data=$(e2e_unix_path 'C:\users')/$(id -un)/AppData/Roaming/quorlin
rm -f "$data/config.cfg"

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
  e2e_click 'id=3 class="Button"'
  e2e_wait_for 'class="#32770" title="设置"' 30
  e2e_wait_for 'id=1020 class="Static" text="1280x720"' 30
}
start_bar() {
  e2e_start "$e2e_bin/Quorlin.exe"
  program=$e2e_last_pid
  e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'
}

# First run: the proposals, the devices, the camera's size.
start_bar
open_dialog
sleep 2
e2e_screenshot settings_dialog
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
e2e_click 'id=2 class="Button" text="取消"'
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
echo "PASS: the settings dialog"
