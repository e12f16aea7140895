#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Tovra need,
# and those of the groups named as arguments:
#   fuzz   clang with its libFuzzer and sanitizer runtimes (scripts/fuzz.sh)
# Safe to run again: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkgconf
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qcoro-qt6-dev libssl-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev libxcb1-dev libxtst-dev libxfixes-dev libxi-dev libxres-dev libxkbcommon-dev
  libatspi2.0-dev libsecret-1-dev
  # run and test
  xvfb xauth dbus-daemon dbus-bin at-spi2-core gnome-keyring libsecret-tools
  fonts-wqy-microhei xclip xdotool x11-utils trayer openbox imagemagick time
  qt6-qpa-plugins libqt6svg6
  # the applications the desktop tests paste into
  python3-gi gir1.2-gtk-3.0 gir1.2-gtk-4.0 python3-tk xfce4-terminal xterm chromium
  # the interface's typeface (one design for Latin and Chinese, with a bold
  # face) and Qt's own Chinese texts
  fonts-noto-cjk qt6-translations-l10n
)

for group in "$@"; do
  case "$group" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    *)
      echo "Unknown package group: $group" >&2
      exit 2
      ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
