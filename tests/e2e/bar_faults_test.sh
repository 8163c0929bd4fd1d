#!/usr/bin/env bash
# The bar with a scripted fake encoder: a quick double press starts one encoder only; an
# encoder that cannot be started shows the red failure.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display

out_win='C:\quorlin-faults'
out=$(e2e_unix_path "$out_win")
rm -rf "$out"
mkdir -p "$out"
log_win='C:\quorlin-faults\encoder-runs.log'
log=$(e2e_unix_path "$log_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 live_enabled=0 hide_after_start=0
e2e_install_encoder "$e2e_bin/fake_encoder.exe"
e2e_install_devices  # the start-up check finds the fake as the encoder, and both devices
export QUORLIN_FAKE_ENCODER="--say \"frame=1 fps=0.0 q=0.0 size=0kB time=00:00:01.00 bitrate=N/A\\r\" --every 300 --repeat 0 --args-file $log_win"

e2e_start "$e2e_bin/Quorlin.exe"
program=$e2e_last_pid
e2e_wait_bar_ready

# Two presses in quick succession: the second stops the run the first started. The fake
# encoder writes no recording, so there is nothing to copy, and the bar says so in red.
e2e_click 'id=1001 class="Button"'
xdotool click 1
e2e_wait_status '^录制文件已丢失！$' 30
sleep 2
captures=$(grep -c 'screen-capture-recorder' "$log" || true)
[ "$captures" = 1 ] || fail "expected one capture run, the encoder log shows $captures: $(cat "$log")"

# Without an encoder the run fails in red and the bar is idle again.
rm -f "$WINEPREFIX/drive_c/windows/quorlind.exe"
e2e_click 'id=1001 class="Button"'
e2e_wait_status '^创建进程失败$' 30
e2e_screenshot bar_failed
e2e_click 'id=2 class="Button"'
e2e_wait_exit "$program" 30 || fail "the program did not end after a failed run"
echo "PASS: bar faults"
