#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its tests and benchmarks need.
# Only what is missing is installed; as root directly, otherwise through sudo.
set -eu

packages=(
  cmake make g++ pkg-config
  libgtkmm-3.0-dev libxml++2.6-dev libsoup2.4-dev libarchive-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth bzip2 tar libxml2-utils
  fonts-dejavu-core librsvg2-common
  desktop-file-utils appstream x11-utils
  dpkg-dev file
  openssl glib-networking
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
