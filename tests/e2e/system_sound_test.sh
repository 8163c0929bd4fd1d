#!/usr/bin/env bash
# System sound ("扬声器" in the settings) recorded from the bar through the genuine encoder,
# with a private PulseAudio server as the machine's sound and tone_flash as what it plays:
#   1. a 1 kHz tone is in the recording at the level it was played;
#   2. with nothing playing, the sound is silence exactly as long as the picture;
#   3. the default output switched, then the output playing the tone removed, during a
#      recording: the tone is back within a second and the recording is whole;
#   4. a 5.1 output with the tone on its centre channel only: the tone is in the recording;
#   5. "麦克风和扬声器" chosen in the settings dialog with the test microphone: a 440 Hz tone
#      played and the microphone's 1 kHz tone both in the recording, each at its own level;
#      the microphone unplugged and plugged in again mid-recording (the test device's setting):
#      the system sound goes on without a gap, the microphone comes back, the MP4 is whole;
#   6. a window flashing white with a tone every 2.01 s for a minute: sound and picture in step.
# With a second argument, SECONDS, only 6, for that long (tools/bench/ runs 10 minutes); with a
# third, "mixed", 6 with "麦克风和扬声器", the test microphone's clock 300 ppm fast and the pulses
# at 440 Hz: both tones whole to the end, the pulses as far in step at the end as at the start.
source "$(dirname "$0")/e2e_lib.sh" "$1"
sync_seconds=${2:-60}
mixed=${3:-}
e2e_start_sound
e2e_start_display
e2e_install_encoder
e2e_install_devices

out_win='C:\quorlin-sound'
out=$(e2e_fresh_folder "$out_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=25 video_width=0 video_height=0 \
  live_enabled=0 hide_after_start=0
mic_key='HKCU\Software\Quorlin Test Microphone'
test_microphone() {
  e2e_system_tool reg.exe add "$mic_key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1 ||
    fail "cannot set the test microphone's $1"
}
test_microphone unplugged 0
if [ "$mixed" = mixed ]; then
  e2e_settings sound_source=2 microphone_name="Quorlin Test Microphone"
  test_microphone clock_ppm 300
else
  test_microphone clock_ppm 0
fi
# Wine's own choice of default output (winecfg's setting) unset.
wine_output_key='HKCU\Software\Wine\Drivers\winepulse.drv'
e2e_system_tool reg.exe delete "$wine_output_key" /v DefaultOutput /f >/dev/null 2>&1 || true

sound_check() { python3 "$e2e_repo/tests/e2e/sound_check.py" "$@"; }
media_check() { python3 "$e2e_repo/tests/e2e/media_check.py" "$@"; }

# play ARGS...: tone_flash ARGS in the background, from the moment its sound runs; it ends by
# itself ($player is its wrapper, to wait for). Started once a recording runs, since starting
# the encoder takes a varying few seconds.
play() {
  player_log=$(mktemp)
  "$e2e_repo/tools/wine-run.sh" "$e2e_bin/tone_flash.exe" "$@" >"$player_log" 2>&1 &
  player=$!
  e2e_pids+=("$player")
  e2e_until 30 grep -q playing "$player_log" || fail "tone_flash $* did not play: $(cat "$player_log")"
}

e2e_start "$e2e_bin/Quorlin.exe"
e2e_wait_bar_ready
e2e_wait_status '^就绪 - 全屏模式$'
# An area of 320x240 around where tone_flash flashes (100,300 240x180), set after the start,
# which clears it: a small picture leaves the encoder's time to the sound (Wine's PulseAudio
# output breaks up on a machine the encoder keeps busy).
for value in start_x=80 start_y=280 capture_width=320 capture_height=240; do
  e2e_system_tool reg.exe add 'HKCU\Software\screen-capture-recorder' /v "${value%=*}" /t REG_DWORD \
    /d "${value#*=}" /f >/dev/null 2>&1 || fail "cannot set the capture area value $value"
done

# start_recording, then stop_recording: the final MP4 goes to $recorded, the recording time
# the bar shows at the stop press to $recorded_seconds.
start_recording() {
  e2e_click_until 'id=1001 class="Button"' e2e_status_matches '^正在录制'
  first_shown=$(e2e_wait_text '正在录制 00:' 60 | sed 's/^正在录制 //')
  started=$(date +%s.%N)
}
stop_recording() {
  local before base deadline=$((SECONDS + 60))
  before=$(ls "$out")
  recorded_seconds=$(python3 -c "h, m, s = '$first_shown'.split(':'); print(int(h) * 3600 + int(m) * 60 + float(s) + $(date +%s.%N) - $started)")
  e2e_click 'id=1001 class="Button"'
  e2e_wait_status '^(检查格式|已停止 )' 30
  while [ $SECONDS -lt $deadline ]; do
    base=$(ls "$out" | { grep -vxF -- "$before" || true; } | sed -n 's/^\([0-9]\{14\}\)_rec\.mp4$/\1/p' | head -n 1)
    if [ -n "$base" ] && [ ! -e "$out/$base.ts" ] && e2e_status_matches '^已停止 '; then break; fi
    sleep 0.5
  done
  [ -n "$base" ] && [ ! -e "$out/$base.ts" ] || fail "no new final MP4 in $out: $(ls "$out")"
  recorded=$out/${base}_rec.mp4
  echo "recorded $recorded (the bar showed $recorded_seconds s at the stop press)"
}
# whole FILE: decodes to the end without an error and holds at least what the bar showed (less
# a second: the bar's time is read up to half a second late). It may hold more: what the
# encoder had captured but not yet encoded when the bar read its time.
whole() {
  local errors duration
  errors=$(ffmpeg -v error -i "$1" -enc_time_base -1 -f null - 2>&1 | head -n 3)  # as in the pause test
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1")
  echo "$1: $duration s, decoding errors: ${errors:-none}"
  [ -z "$errors" ] && python3 -c "import sys; sys.exit($duration < $recorded_seconds - 1)"
}

if [ -z "${2:-}" ]; then
echo "== a tone played while recording"
start_recording
play tone 8
sleep 4
stop_recording
wait "$player"
media_check tone "$recorded" 1000 || fail "the played tone is not in the recording"
sound_check level "$recorded" 16384 || fail "the tone is not at the level it was played"

echo "== nothing played"
start_recording
sleep 4
stop_recording
sound_check silence "$recorded" || fail "the sound of a silent recording is not silence as long as the picture"

echo "== the default output switched, then the playing output removed"
headphones=$(e2e_add_sink headphones Headphones)
start_recording
play tone 12
sleep 3
pactl set-default-sink headphones  # the tone follows the default output
sleep 3
pactl unload-module "$headphones"  # ... and falls back to the speakers
sleep 3
stop_recording
wait "$player"
sound_check resumes "$recorded" || fail "the tone did not come back within a second"
whole "$recorded" || fail "the recording made across the output changes is not whole"

echo "== a 5.1 output, the tone on its centre channel only"
e2e_add_sink surround Surround front-left,front-right,front-center,lfe,rear-left,rear-right >/dev/null
pactl set-default-sink surround
# Wine's default output made the 5.1 one, as winecfg does: the recording then captures its
# monitor in its own six channels.
surround_id=$("$e2e_repo/tools/wine-run.sh" "$e2e_bin/tone_flash.exe" list | tr -d '\r' |
  sed -n 's/^render .* id=\([^ ]*\) name=Surround$/\1/p')
[ -n "$surround_id" ] || fail "Wine does not list the 5.1 output"
e2e_system_tool reg.exe add "$wine_output_key" /v DefaultOutput /t REG_SZ /d "$surround_id" /f >/dev/null 2>&1
start_recording
play tone 8 2
sleep 4
stop_recording
wait "$player"
e2e_system_tool reg.exe delete "$wine_output_key" /v DefaultOutput /f >/dev/null 2>&1
pactl set-default-sink speakers
media_check tone "$recorded" 1000 || fail "the centre channel's tone is not in the recording"
sound_check level "$recorded" 11585 || fail "the centre channel is not in both sides at -3 dB"

echo "== the microphone and the system sound together"
control() { e2e_windows | grep -m1 -- "id=$1 class=" || true; }
has_text() { control "$1" | grep -qF -- "text=\"$2\""; }
e2e_click_until 'id=3 class="Button"' e2e_listing_has 'class="#32770" title="设置"'
# choose ID KEY...: drops the list down, closes it again and picks by keys with it closed
# (Return in a dropped list would also press OK under Wine).
choose() {
  e2e_click "id=$1 class=\"ComboBox\""
  sleep 1
  [ "$1" = 1012 ] && e2e_screenshot mixed_sound_sources
  e2e_key Escape
  xdotool key --delay 100 "${@:2}"
  sleep 0.5
}
for try in 1 2; do  # a click right after a list closed is now and then lost under Wine
  choose 1012 End
  has_text 1012 麦克风和扬声器 && break
done
for try in 1 2; do
  choose 1010 Q
  has_text 1010 'Quorlin Test Microphone' && break
done
has_text 1012 麦克风和扬声器 && has_text 1010 'Quorlin Test Microphone' ||
  fail "麦克风和扬声器 and the test microphone are not chosen: $(control 1012) $(control 1010)"
e2e_screenshot mixed_sound_settings
e2e_key Return  # OK, the default button (below this display's bottom edge)
settings_closed() { ! e2e_listing_has 'class="#32770" title="设置"'; }
e2e_until 10 settings_closed ||
  fail "OK with 麦克风和扬声器 and a microphone did not close the dialog"

start_recording
play tone 8 -1 440
sleep 4
stop_recording
wait "$player"
sound_check band "$recorded" 440 16384 || fail "the played tone is not in the mix at its own level"
sound_check band "$recorded" 1000 8192 || fail "the microphone is not in the mix at its own level"

start_recording
play tone 13 -1 440
sleep 3
test_microphone unplugged 1
sleep 3
test_microphone unplugged 0
sleep 5
stop_recording
wait "$player"
# (A loaded machine holds the streaming thread up for a tenth of a second now and then.)
sound_check steady "$recorded" 440 250 || fail "the system sound did not go on while the microphone was away"
sound_check band "$recorded" 440 16384 || fail "the system sound is not at its level while the microphone is away"
sound_check band "$recorded" 1000 0 || fail "the unplugged microphone is still heard"
sound_check band "$recorded" 1000 8192 -1.5 || fail "the microphone did not come back"
whole "$recorded" || fail "the recording made across the unplugged microphone is not whole"

# Back to "扬声器" (the entry above the last) for the rest.
e2e_click_until 'id=3 class="Button"' e2e_listing_has 'class="#32770" title="设置"'
for try in 1 2; do
  choose 1012 End Up
  has_text 1012 扬声器 && break
done
has_text 1012 扬声器 || fail "扬声器 is not chosen again: $(control 1012)"
e2e_key Return
e2e_until 10 settings_closed || fail "OK with 扬声器 did not close the dialog"
fi

echo "== picture and sound in step for $sync_seconds s"
# The device appends its figures of every run: this run's alone are shown below.
if [ -n "${QUORLIN_DEVICE_STATS:-}" ]; then rm -f "$(e2e_unix_path "$QUORLIN_DEVICE_STATS")"; fi
start_recording
play pulses $((sync_seconds + 4)) 2010 200 100 300 240 180 ${mixed:+440}
sleep $((sync_seconds / 2))
e2e_screenshot system_sound_sync
sleep $((sync_seconds - sync_seconds / 2))
stop_recording
wait "$player"
# What the player saw of its own output (a gap of the rig's shows here) and, where the
# benchmark asks for it, what the device saw of the system's packets.
grep -v '^playing' "$player_log" || true
if [ -n "${QUORLIN_DEVICE_STATS:-}" ]; then tail -n 2 "$(e2e_unix_path "$QUORLIN_DEVICE_STATS")" || true; fi
if [ "$mixed" = mixed ]; then
  sound_check steady "$recorded" 1000 5 || fail "the microphone's tone is not whole to the end"
  sound_check steady "$recorded" 440 5 1000 || fail "a pulse of the system sound is not whole"
  sound_check drift "$recorded" 140 110 440 || fail "the system sound moved against the picture"
  sound_check sync "$recorded" 140 110 440 || fail "sound and picture are not in step"
else
  # A recording with "扬声器" leaves the device no microphone to open.
  if e2e_system_tool reg.exe query 'HKCU\Software\screen-capture-recorder' /v mix_microphone >/dev/null 2>&1; then
    fail "the microphone to mix is still named for a recording with 扬声器"
  fi
  sound_check sync "$recorded" 140 110 || fail "sound and picture are not in step"
fi

echo "PASS: system sound"
