#!/usr/bin/env bash
# Installs what building and testing need on Debian, idempotently: nothing is done when all is present.
set -eu
packages=(cmake sox ninja-build g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 xvfb
          openbox xdotool imagemagick
          fonts-liberation fonts-dejavu-core libgtest-dev googletest libbenchmark-dev libsndfile1-dev
          python3 python3-pil clang-format x11-utils
          libpulse-dev pulseaudio pulseaudio-utils
          lv2-dev sordi serdi lilv-utils lv2file lv2proc jalv jackd2 jack-stdio python3-numpy bc ardour
          calf-plugins guitarix-lv2 mda-lv2 fomp swh-lv2)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
