#!/usr/bin/env bash
# Records the virtual display with the program's own capture command line through the genuine
# encoder and our capture devices under Wine, and checks the MP4:
#   recording_e2e.sh PROGRAM.exe
# one H.264 video stream at 640x360, one AAC audio stream, and a duration within 0.5 s of
# the time from the first progress report to the stop request. The encoder goes on recording
# until the launcher passes the request on, at the end of its current 500 ms wait, so the file
# may be longer by up to that much more. A frame from the middle of the recording is kept as
# engine_recording_e2e_frame.png in the current folder; the red window the program shows
# must be in its top-left quarter.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=$1
source "$here/../e2e/e2e_lib.sh" "$(dirname "$(dirname "$program")")"
# Other Wine tests share the prefix meanwhile: nothing of it is ended when this one ends.
trap - EXIT
e2e_use_prefix
e2e_install_encoder
e2e_install_devices

output=$("$e2e_repo/tools/wine-run.sh" "$program" | tr -d '\r')
echo "$output"
mp4=$(sed -n 's/^mp4 //p' <<<"$output")
seconds=$(sed -n 's/^seconds //p' <<<"$output")
[ -n "$mp4" ] && [ -n "$seconds" ] || { echo "FAILED: the recording program gave no result"; exit 1; }

probe=$(ffprobe -v error -of json -show_streams -show_format "$mp4")
frame=$PWD/engine_recording_e2e_frame.png
ffmpeg -v error -y -ss 2 -i "$mp4" -frames:v 1 "$frame"
pixel=$(ffmpeg -v error -i "$frame" -vf "crop=1:1:160:90" -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | tr -s ' ')
echo "frame: $frame, pixel at (160,90):$pixel"
python3 - "$probe" "$seconds" $pixel <<'PY'
import json, sys
probe = json.loads(sys.argv[1])
expected = float(sys.argv[2])
red, green, blue = (int(v) for v in sys.argv[3:6])
video = [s for s in probe["streams"] if s["codec_type"] == "video"]
audio = [s for s in probe["streams"] if s["codec_type"] == "audio"]
duration = float(probe["format"]["duration"])
print("ffprobe: %s; video %s %sx%s; audio %s %s Hz; duration %.2f s (first progress to stop request %.2f s)" % (
    probe["format"]["format_name"], video[0]["codec_name"] if video else "-", video[0].get("width") if video else "-",
    video[0].get("height") if video else "-", audio[0]["codec_name"] if audio else "-",
    audio[0].get("sample_rate") if audio else "-", duration, expected))
ok = (len(video) == 1 and video[0]["codec_name"] == "h264" and video[0]["width"] == 640 and video[0]["height"] == 360
      and len(audio) == 1 and audio[0]["codec_name"] == "aac" and expected - 0.5 <= duration <= expected + 0.5 + 0.5
      and red > 200 and green < 60 and blue < 60)
print("PASSED" if ok else "FAILED")
sys.exit(0 if ok else 1)
PY
