#!/usr/bin/env bash
# Installs, only when missing, every Debian package the build, the tests and the run need.
# Safe to run again: it does nothing when everything is in place.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake g++ make pkg-config googletest libgtest-dev libgmock-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
  xvfb xauth xdotool x11-utils imagemagick fonts-wqy-zenhei
  locales ffmpeg file procps psmisc python3
  nginx libnginx-mod-rtmp
)

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

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  # nginx starts itself on install; the tests start their own server on loopback.
  $SUDO systemctl disable --now nginx >/dev/null 2>&1 || true
  $SUDO service nginx stop >/dev/null 2>&1 || true
elif [ "${need_update:-0}" = 1 ]; then
  $SUDO apt-get update -qq
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
echo "setup: everything is installed"
