#!/usr/bin/env bash
# Live streaming from the bar for real: to a UDP address read back by ffprobe, and to a
# private RTMP server on loopback. No copy run and no file afterwards.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display

e2e_start_standin 47903
rtmp_dir=$QUORLIN_STANDIN_RUNDIR/rtmp
rtmp_port=19391
udp_port=19392
"$e2e_repo/tools/rtmp-server.sh" start "$rtmp_dir" "$rtmp_port"
trap '"$e2e_repo/tools/rtmp-server.sh" stop "$rtmp_dir"; e2e_cleanup' EXIT

out_win='C:\quorlin-live'
out=$(e2e_unix_path "$out_win")
rm -rf "$out"
mkdir -p "$out"
e2e_install_encoder "$e2e_bin/standin/quorlind.exe"

# stream URL PROBE_URL NAME
stream() {
  local url=$1 probe_url=$2 name=$3 program
  e2e_settings output_folder="$out_win" sound_source=1 save_format=0 live_enabled=1 live_url="$url" fluency_first=1
  e2e_start "$e2e_bin/Quorlin.exe"
  program=$e2e_last_pid
  e2e_wait_for 'title="quorlwnd" rect=[0-9]*,0,'
  e2e_click 'id=1001 class="Button"'
  e2e_wait_status '^正在直播 00:00:0' 60
  # The Start button's tooltip now offers to stop the stream (seen in the screenshot).
  e2e_click 'class="Static" text="led"'
  local line rect l t r b
  line=$(e2e_windows | grep -m1 'id=1001 class="Button"')
  rect=$(sed -n 's/.* rect=\([-0-9,]*\).*/\1/p' <<<"$line")
  IFS=, read -r l t r b <<<"$rect"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
  sleep 0.3
  xdotool mousemove $(((l + r) / 2 + 1)) $(((t + b) / 2))
  sleep 1.5
  e2e_screenshot "bar_live_$name"

  timeout 30 ffprobe -v error -analyzeduration 5M -probesize 5M -of json -show_streams "$probe_url" \
    >"$QUORLIN_STANDIN_RUNDIR/$name.json" || fail "ffprobe read nothing from $probe_url"
  python3 - "$QUORLIN_STANDIN_RUNDIR/$name.json" <<'PY' || fail "the $name stream lacks H.264 video or AAC audio"
import json, sys
streams = json.load(open(sys.argv[1]))["streams"]
codecs = sorted(s["codec_name"] for s in streams)
print("received:", codecs)
sys.exit(0 if "h264" in codecs and "aac" in codecs else 1)
PY
  e2e_click 'id=1001 class="Button"'
  e2e_wait_status '^已停止 ' 30
  sleep 2
  e2e_status | grep -q '^检查格式' && fail "a copy run started after a live stream"
  [ -z "$(ls "$out")" ] || fail "a live stream left files: $(ls "$out")"
  e2e_click 'id=2 class="Button"'
  e2e_wait_exit "$program" 30 || fail "the close button did not end the idle program"
}

stream "udp://127.0.0.1:$udp_port" "udp://127.0.0.1:$udp_port" udp
stream "rtmp://127.0.0.1:$rtmp_port/live/quorlin" "rtmp://127.0.0.1:$rtmp_port/live/quorlin" rtmp
echo "PASS: live streams"
