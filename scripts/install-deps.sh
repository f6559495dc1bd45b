#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
PKGS=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins
  libjsoncpp-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  xvfb xauth imagemagick fonts-noto-core fonts-noto-cjk
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
