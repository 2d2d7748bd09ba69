#!/usr/bin/env bash
# Installs, with apt-get, every Debian package that building, running and testing Corvane needs.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build git
  clang-14 libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xserver-xephyr x11-apps x11-utils x11-xserver-utils xauth xdotool
  imagemagick fonts-wqy-microhei fonts-wine
  chromium nodejs npm
  nsis python3
)

missing=()
for p in "${packages[@]}"; do
  # A Node.js build that bundles npm conflicts with Debian's npm package: the command is what counts.
  [ "$p" = npm ] && command -v npm >/dev/null && continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# clang-14 does not always install the unversioned names.
command -v clang >/dev/null || ln -sf /usr/bin/clang-14 /usr/local/bin/clang
command -v clang++ >/dev/null || ln -sf /usr/bin/clang++-14 /usr/local/bin/clang++
