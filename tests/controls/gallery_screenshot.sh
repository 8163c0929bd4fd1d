#!/usr/bin/env bash
# Runs the skin gallery on a private virtual display, takes a screenshot of the whole
# screen and checks its pixels against the skin files.
#   gallery_screenshot.sh GALLERY.exe OUTPUT_FOLDER
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
gallery=$1
out=$2
mkdir -p "$out"
out=$(cd "$out" && pwd)
layout="$out/gallery_layout.txt"
shot="$out/gallery.png"
rm -f "$layout" "$layout.done" "$shot"

source "$repo/tools/lib.sh"
xvfb_pid=""
gallery_pid=""
cleanup() {
  touch "$layout.done"
  if [ -n "$gallery_pid" ]; then wait "$gallery_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
start_virtual_display
# The pointer rests in a corner, away from every piece of the gallery.
xdotool mousemove 1275 795

# The layout file's Windows name: the Unix path on drive Z:.
"$repo/tools/wine-run.sh" "$gallery" "Z:${layout//\//\\}" &
gallery_pid=$!
for _ in $(seq 1200); do
  [ -f "$layout" ] && break
  if ! kill -0 "$gallery_pid" 2>/dev/null; then echo "the gallery ended early" >&2; exit 1; fi
  sleep 0.1
done
[ -f "$layout" ] || { echo "the gallery wrote no layout" >&2; exit 1; }
sleep 0.5
import -window root "$shot"
echo "screenshot: $shot"

# The real mouse on the bar's area button: resting (hover), then held down (pressed).
read -r x y w h < <(awk '$1 == "bar-button" && $2 == "area" {print $3, $4, $5, $6}' "$layout")
xdotool mousemove $((x + w / 2 - 2)) $((y + h / 2 - 2))
sleep 0.2
xdotool mousemove $((x + w / 2)) $((y + h / 2))
sleep 0.5
import -window root "$out/gallery_hover.png"
xdotool mousedown 1
sleep 0.5
import -window root "$out/gallery_pressed.png"
xdotool mouseup 1
xdotool mousemove 1275 795

python3 "$here/check_gallery.py" "$shot" "$layout" "$(dirname "$gallery")/skin" "$(dirname "$gallery")/../res/skin_bar.bmp" \
  "$out/gallery_hover.png" "$out/gallery_pressed.png"
