#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when any is missing.
set -euo pipefail
packages=(cmake g++ ninja-build qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins
  libgl1-mesa-dev libasio-dev libcurl4-openssl-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick python3-aiosmtpd openssl ca-certificates poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
