#!/usr/bin/env bash
# The bar at the display scales users run (the prefix's LogPixels 96, 120, 144 and 192: 100 %,
# 125 %, 150 %, 200 %), idle and recording, and at one never seen (264, 275 %): the bar is the
# skin times DPI / 96 (611 x 69 at 100 %, within 3 %); every visible control lies inside it,
# the buttons before the groove, the lamp and the status text inside the display well; the
# status text is drawn at the scale's font size, within its panel. The bar is per-monitor DPI
# aware, and told that its monitor's scale changed (WM_DPICHANGED) it lays itself out again.
# At 144 and 192 the start-up check and the About box are seen too, and at 192 the camera
# window's first place and picture. One prefix of its own, the program started again at each
# scale.
source "$(dirname "$0")/e2e_lib.sh" "$1"
export QUORLIN_WINEPREFIX=$e2e_build/wineprefix-scaling
e2e_start_display 1920x1200
e2e_install_encoder
e2e_install_devices
out_win='C:\quorlin-scaling'
out=$(e2e_fresh_folder "$out_win")
e2e_settings output_folder="$out_win" sound_source=1 save_format=0 frame_rate=15 video_width=0 video_height=0 \
  live_enabled=0 hide_after_start=0 camera_name="Quorlin Test Camera" camera_width=0 camera_height=0
rm -f "$(e2e_unix_path 'C:\users')/$(id -un)/AppData/Roaming/quorlin/vw1.cfg"  # the camera window's first place
listing=$e2e_shots/scaling_listing.txt

set_dpi() {
  e2e_system_tool reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  # Every program of the session reads the scale when it starts.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# inspect_window DPI NAME TITLE [SCREENSHOT]: true when the window titled TITLE, in a fresh
# listing, has every visible control inside it; for the bar also its size and the skin's parts
# right, and with a SCREENSHOT the status text's height (the first one measured is the 100 %
# reference).
inspect_window() {
  e2e_windows | tr -d '\r' >"$listing"
  python3 - "$@" "$listing" "$e2e_shots/scaling_text_height.txt" <<'PY'
import os, re, subprocess, sys
dpi, name, title = int(sys.argv[1]), sys.argv[2], sys.argv[3]
shot = sys.argv[4] if len(sys.argv) > 6 else None
listing, reference_file = sys.argv[-2], sys.argv[-1]
s = dpi / 96
rect_of = lambda line: tuple(map(int, re.search(r'" rect=(-?\d+),(-?\d+),(-?\d+),(-?\d+)', line).groups()))
window, controls, problems = None, [], []
# One entry per window or control (a control's text may run over several lines).
for line in re.split(r"\n(?=window |  child )", open(listing, encoding="utf-8").read()):
    if line.startswith("window "):
        if window:
            break
        if f'title="{title}"' in line:
            window = rect_of(line)
    elif window and " visible=1 " in line:
        controls.append((int(re.search(r" id=(-?\d+) ", line).group(1)), rect_of(line)))
if not window:
    sys.exit(f"no window titled {title}")
l, t, r, b = window
inside = lambda c, box: box[0] <= c[0] and box[1] <= c[1] and c[2] <= box[2] and c[3] <= box[3] and c[0] < c[2]
for cid, c in controls:
    if not inside(c, window):
        problems.append(f"control {cid} at {c} lies outside the window {window}")
if title == "quorlwnd":
    for what, got, want in (("width", r - l, 611 * s), ("height", b - t, 69 * s)):
        if abs(got - want) > 0.03 * want:
            problems.append(f"bar {what} {got}, not {want:.0f}")
    part = lambda x0, y0, x1, y1: (l + x0 * s - 1, t + y0 * s - 1, l + x1 * s + 1, t + y1 * s + 1)
    buttons, well = part(0, 0, 263, 69), part(287, 23, 580, 57)
    for cid, c in controls:
        if cid in (1001, 1021, 1015, 1019, 3, 1023) and not inside(c, buttons):
            problems.append(f"button {cid} at {c} is not before the groove {buttons}")
        if cid in (1018, 1002) and not inside(c, well):
            problems.append(f"control {cid} at {c} is not in the display well {well}")
    status = dict(controls).get(1002)
    if shot and status:
        # The status text: bright green pixels in the status panel, as high as the font.
        x0, y0, x1, y1 = status
        ppm = subprocess.run(["convert", shot, "-crop", f"{x1 - x0}x{y1 - y0}+{x0}+{y0}", "+repage", "ppm:-"],
                             check=True, capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", ppm)
        w, h, data = int(header.group(1)), int(header.group(2)), ppm[header.end():]
        green = [(i % w, i // w) for i in range(w * h)
                 if data[3 * i + 1] > 160 and data[3 * i] < 100 and data[3 * i + 2] < 100]
        if not green:
            problems.append("no status text in the status panel")
        else:
            text_w = max(x for x, _ in green) - min(x for x, _ in green) + 1
            text_h = max(y for _, y in green) - min(y for _, y in green) + 1
            if max(x for x, _ in green) >= w - 2:
                problems.append(f"the status text reaches the panel's right edge (clipped): {text_w} of {w} px")
            if not os.path.exists(reference_file):
                open(reference_file, "w").write(f"{text_h / s}\n")
            reference = float(open(reference_file).read())
            if abs(text_h - reference * s) > 0.2 * reference * s + 1:
                problems.append(f"status text {text_h} px high, not about {reference * s:.1f} (the font's scale)")
            print(f"{name}: status text {text_w}x{text_h} px in a {w}x{h} panel")
print(f"{name}: window {r - l}x{b - t}, {len(controls)} visible controls inside")
for p in problems:
    print("  " + p)
sys.exit(1 if problems else 0)
PY
}
check_window() { inspect_window "$@" || fail "$2 at $1 DPI: see above"; }

# moved_shown DPI: the bar laid out for DPI on the display (which shows the new look a moment
# after the bar has drawn it).
moved_shown() {
  import -window root "$e2e_shots/scaling_moved_to_$1.png"
  inspect_window "$1" "bar moved to $1 DPI" quorlwnd "$e2e_shots/scaling_moved_to_$1.png" >/dev/null
}

# camera_picture DPI LEFT BOTTOM: the test camera's yellow bar in the camera window at LEFT,
# 60 .. 1920, BOTTOM, once its first picture is drawn.
camera_picture() {
  local shot=$e2e_shots/scaling_$1_camera.png
  import -window root "$shot"
  [ "$(convert "$shot" -format "%[hex:p{$(($2 + (1920 - $2) * 3 / 14)),$((60 + ($3 - 60) * 2 / 5))}]" info: |
    cut -c1-6)" = FFFF00 ]
}

rm -f "$e2e_shots/scaling_text_height.txt"
for dpi in 96 120 144 192 264; do
  set_dpi $dpi
  e2e_start "$e2e_bin/Quorlin.exe"
  program=$e2e_last_pid
  if [ $dpi = 144 ] || [ $dpi = 192 ]; then
    e2e_wait_for '正在启动主程序\.\.\.' 60
    e2e_screenshot scaling_${dpi}_startup_check
    check_window $dpi "start-up check" "初始化..."
  fi
  e2e_wait_for 'title="quorlwnd" rect=[1-9][0-9]*,0,' 60  # centred at the top after the check
  e2e_wait_status '^就绪 - 全屏模式$'
  e2e_screenshot scaling_${dpi}_idle
  check_window $dpi "$dpi DPI idle" quorlwnd "$e2e_shots/scaling_${dpi}_idle.png"
  if [ $dpi = 96 ]; then
    # The manifest makes the program aware of each monitor's scale (an older system reads
    # "system"; Wine 8 reports per-monitor v2 as per-monitor).
    awareness=$("$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" awareness quorlwnd 2>/dev/null | tr -d '\r')
    echo "the bar's DPI awareness: $awareness"
    [[ $awareness == per-monitor* ]] || fail "the bar is not aware of each monitor's scale: '$awareness'"
    # Moved to a monitor of 150 % and back, as the system tells a window dragged across.
    for moved_dpi in 144 96; do
      "$e2e_repo/tools/wine-run.sh" "$e2e_bin/wininspect.exe" dpichange quorlwnd $moved_dpi >/dev/null 2>&1 ||
        fail "could not tell the bar of a scale of $moved_dpi DPI"
      e2e_until 10 moved_shown $moved_dpi || true
      check_window $moved_dpi "bar moved to $moved_dpi DPI" quorlwnd "$e2e_shots/scaling_moved_to_$moved_dpi.png"
    done
  fi
  if [ $dpi = 264 ]; then
    e2e_click 'id=2 class="Button"'
    e2e_wait_exit "$program" 30 || fail "the program did not end on its close button at $dpi DPI"
    continue
  fi
  if [ $dpi = 144 ] || [ $dpi = 192 ]; then
    e2e_click 'id=1023 class="Button"'
    e2e_wait_for 'text="版本号 2.0.5"' 20
    e2e_screenshot scaling_${dpi}_about
    check_window $dpi "About box" "关于"
    e2e_click 'class="Button" text="OK"'
  fi
  if [ $dpi = 192 ]; then
    # The camera window's first place: at the right edge, 30 pixels below the top at 100 %.
    e2e_click 'id=1015 class="Button"'
    e2e_wait_for 'class="#32770" title="" rect=[0-9]*,60,1920,' 30
    IFS=, read -r camera_left camera_bottom <<<"$(e2e_windows |
      sed -n 's/.* title="" rect=\([0-9]*\),60,1920,\([0-9]*\).*/\1,\2/p' | head -n 1)"
    e2e_until 30 camera_picture $dpi "$camera_left" "$camera_bottom" || fail "the camera window shows no picture"
    check_window $dpi "camera window" ""
    e2e_click 'id=1015 class="Button"'
  fi
  e2e_click_until 'id=1001 class="Button"' e2e_status_matches '^正在录制'
  e2e_wait_text '正在录制 00:' 60 >/dev/null
  e2e_screenshot scaling_${dpi}_recording
  check_window $dpi "$dpi DPI recording" quorlwnd "$e2e_shots/scaling_${dpi}_recording.png"
  e2e_click 'id=1001 class="Button"'
  e2e_wait_status '^已停止 ' 60
  e2e_click 'id=2 class="Button"'
  e2e_wait_exit "$program" 30 || fail "the program did not end on its close button at $dpi DPI"
done
ls "$out"/*_rec.mp4 >/dev/null 2>&1 || fail "no recording in $out"
echo "PASS: the bar at 100 %, 125 %, 150 %, 200 % and 275 %"
