#!/usr/bin/env bash
# Installs the Debian packages Quibbleton builds and tests with, when any is missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libqt6opengl6-dev
      libcurl4-openssl-dev libjpeg-dev qt6-image-formats-plugins qt6-websockets-dev libqrencode-dev libminiupnpc-dev libnatpmp-dev miniupnpd-iptables iptables
      libgl1-mesa-dev xvfb xauth fonts-dejavu-core clang libclang-rt-dev
      wordnet-base mythes-en-us clang-format sox imagemagick
      dpkg-dev lintian desktop-file-utils appstream man-db systemd pulseaudio pulseaudio-utils
      chromium)
# The browser tests run on Node (Debian's, unless the machine already has one).
command -v node >/dev/null || pkgs+=(nodejs npm)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The browser tests' puppeteer-core, as pinned by the lock file (it downloads no browser).
web=$(dirname "$0")/../tests/webclient
if [ ! -f $web/node_modules/.package-lock.json ] || [ $web/package-lock.json -nt $web/node_modules/.package-lock.json ]; then
  echo "Installing the browser tests' node modules"
  (cd $web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
