#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need; does nothing
# when they are all present.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qtbase5-dev libqcustomplot-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libtiff-tools ffmpeg libxml2-utils
  xvfb xauth
  # The smallest font package with the CJK glyphs of the program's texts
  # (the gray-value plot's boxes and axis titles among them).
  fonts-wqy-microhei
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
