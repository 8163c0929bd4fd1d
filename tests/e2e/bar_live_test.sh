#!/usr/bin/env bash
# Live streaming from the bar for real, through the genuine encoder and our capture devices:
# to a UDP address read back by ffprobe, and to a private RTMP server on loopback. No copy
# run and no file afterwards.
source "$(dirname "$0")/e2e_lib.sh" "$1"
e2e_start_display

e2e_install_encoder
e2e_install_devices
rundir=$(mktemp -d)
rtmp_dir=$rundir/rtmp
rtmp_port=19391
udp_port=19392
"$e2e_repo/tools/rtmp-server.sh" start "$rtmp_dir" "$rtmp_port"
trap '"$e2e_repo/tools/rtmp-server.sh" stop "$rtmp_dir"; e2e_cleanup; rm -rf "$rundir"' EXIT

out_win='C:\quorlin-live'
out=$(e2e_unix_path "$out_win")
rm -rf "$out"
mkdir -p "$out"

# stream URL PROBE_URL NAME
stream() {
  local url=$1 probe_url=$2 name=$3 program
  e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=15 video_width=640 video_height=400 \
    live_enabled=1 live_url="$url" fluency_first=1
  e2e_start "$e2e_bin/Quorlin.exe"
  program=$e2e_last_pid
  e2e_wait_bar_ready
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

  timeout 30 ffprobe -v fatal -analyzeduration 5M -probesize 5M -of json -show_streams "$probe_url" \
    >"$rundir/$name.json" || fail "ffprobe read nothing from $probe_url"
  python3 - "$rundir/$name.json" <<'PY' || fail "the $name stream lacks H.264 video at 640x400 or AAC audio"
import json, sys
streams = json.load(open(sys.argv[1]))["streams"]
received = sorted("%s %sx%s" % (s["codec_name"], s["width"], s["height"]) if s["codec_type"] == "video"
                  else s["codec_name"] for s in streams)
print("received:", received)
sys.exit(0 if received == ["aac", "h264 640x400"] else 1)
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
