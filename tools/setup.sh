#!/usr/bin/env bash
# Installs what building and testing need on Debian, idempotently: nothing is done when all is present.
# "tools/setup.sh demo" installs only what the main job needs (no test tools, sound server or LV2 hosts).
set -eu
packages=(cmake sox ninja-build g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 xvfb
          openbox imagemagick fonts-liberation fonts-dejavu-core libgtest-dev googletest libbenchmark-dev
          libsndfile1-dev python3 x11-utils libpulse-dev pkg-config lv2-dev lv2file)
if [ "${1:-}" != demo ]; then
  packages+=(xdotool python3-pil clang-format pulseaudio pulseaudio-utils
             sordi serdi lilv-utils lv2proc jalv jackd2 jack-stdio python3-numpy bc ardour
             calf-plugins guitarix-lv2 mda-lv2 fomp swh-lv2)
fi
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
